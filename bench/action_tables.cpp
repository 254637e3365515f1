// Action tables for the per-action benchmarks.
#include "action_tables.h"

#include <algorithm>
#include <cstring>

#include "owner.h"

namespace bench {

void copy_text(char *field, size_t width, const std::string &text)
{
    std::memset(field, 0, width);
    std::memcpy(field, text.data(), std::min(text.size(), width - 1));
}

std::unique_ptr<ActionTable> make_table(const TableShape &shape, int count, uint8_t runFlag)
{
    auto table = std::make_unique<ActionTable>();
    std::memset(table.get(), 0, sizeof(ActionTable));
    copy_text(table->header.appDir, sizeof table->header.appDir, shape.appDir);
    for (int i = 0; i < count; ++i) {
        ActionEntry &entry = table->entries[i];
        std::memcpy(entry.noticeTag, "0           ", sizeof entry.noticeTag);
        copy_text(entry.program, sizeof entry.program, shape.program);
        copy_text(entry.commandLine, sizeof entry.commandLine, shape.commandLine);
        std::memset(entry.title, ' ', sizeof entry.title);
        entry.kind = shape.kind;
        entry.runFlag = runFlag;
    }
    return table;
}

void write_action_file(const std::string &workFolder, const ActionTable &table, int count)
{
    std::string path = workFolder + "\\" + kActionFileName;
    owner::unique_file file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    WriteFile(file.get(), &table,
              static_cast<DWORD>(sizeof(ActionHeader) + count * sizeof(ActionEntry)), &written,
              nullptr);
}

std::string launch_command(const TableShape &shape)
{
    const std::string prepared =
        shape.kind == kKindInterpreter ? "cmd.exe /c " + shape.commandLine : shape.commandLine;
    return shape.program + " " + prepared;
}

void run_tarvel(const std::string &tarvel, const std::string &workFolder, DWORD creationFlags)
{
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string command = "\"" + tarvel + "\" " + kActionFileName;
    CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, creationFlags, nullptr,
                   workFolder.c_str(), &si, &pi);
    owner::unique_handle thread(pi.hThread);
    owner::unique_handle process(pi.hProcess);
    WaitForSingleObject(process.get(), INFINITE);
}

std::string make_work_folder()
{
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    std::string work = std::string(temp) + "orlisk-action-bench";
    CreateDirectoryA(work.c_str(), nullptr);
    CreateDirectoryA((work + "\\app").c_str(), nullptr);
    return work;
}

} // namespace bench
