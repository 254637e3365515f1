#include "cd_tree.h"

#include "child_process.h"

namespace test_support {

std::ostream &operator<<(std::ostream &out, const RecordedStart &start)
{
    return out << "[" << start.commandLine << "] in [" << start.directory << "] show "
               << start.show;
}

CdTree::CdTree(const std::string &base)
    : base_(base.empty() ? root_.path() : root_.file(base)), record_(root_.file("starts.txt")),
      recordFile_("ZELVANE_RECORD_FILE", record_)
{
    CreateDirectoryA(base_.c_str(), nullptr);
}

std::string CdTree::path(const std::string &relative) const
{
    return relative.empty() ? base_ : base_ + "\\" + relative;
}

void CdTree::make_folders(const std::string &relative) const
{
    for (size_t at = 0; at != std::string::npos;) {
        at = relative.find('\\', at + 1);
        CreateDirectoryA(path(relative.substr(0, at)).c_str(), nullptr);
    }
}

bool CdTree::copy_program(const std::string &program, const std::string &relative) const
{
    return CopyFileA((program_dir() + "\\" + program).c_str(), path(relative).c_str(), FALSE) != 0;
}

void CdTree::place_recorder(const std::string &relative) const
{
    size_t folder = relative.rfind('\\');
    if (folder != std::string::npos)
        make_folders(relative.substr(0, folder));
    copy_program("zelvane-record.exe", relative);
}

std::vector<RecordedStart> CdTree::starts() const
{
    std::vector<RecordedStart> found;
    if (!file_exists(record_))
        return found;
    std::string text = read_file(record_);
    size_t begin = 0;
    for (size_t end; (end = text.find('\n', begin)) != std::string::npos; begin = end + 1) {
        std::string line = text.substr(begin, end - begin);
        if (line.rfind("cmdline=", 0) == 0)
            found.push_back({line.substr(8), "", ""});
        else if (line.rfind("cwd=", 0) == 0 && !found.empty())
            found.back().directory = line.substr(4);
        else if (line.rfind("show=", 0) == 0 && !found.empty())
            found.back().show = line.substr(5);
    }
    return found;
}

bool CdTree::wait_for_starts(size_t count, DWORD timeout_ms) const
{
    for (DWORD waited = 0; waited < timeout_ms; waited += 50) {
        if (starts().size() >= count)
            return true;
        Sleep(50);
    }
    return false;
}

} // namespace test_support
