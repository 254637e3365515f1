#include "test_support.h"

#include "owner.h"

#include <fstream>

namespace test_support {

namespace {

void remove_tree(const std::string &dir)
{
    WIN32_FIND_DATAA found;
    owner::unique_hfind search(FindFirstFileA((dir + "\\*").c_str(), &found));
    if (search) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string full = dir + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                remove_tree(full);
            else
                DeleteFileA(full.c_str());
        } while (FindNextFileA(search.get(), &found));
        search.reset(); // an open search keeps the folder from going
    }
    RemoveDirectoryA(dir.c_str());
}

} // namespace

TempDir::TempDir()
{
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    create_under(base);
}

TempDir::TempDir(const std::string &parent) { create_under(parent + "\\"); }

void TempDir::create_under(const std::string &prefix)
{
    const char *base = prefix.c_str();
    static LONG counter = 0;
    for (;;) {
        char name[MAX_PATH];
        wsprintfA(name, "%st%lx_%lx", base, GetCurrentProcessId(), InterlockedIncrement(&counter));
        if (CreateDirectoryA(name, nullptr)) {
            path_ = name;
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return; // no such parent: path() stays empty
    }
}

TempDir::~TempDir()
{
    if (!path_.empty())
        remove_tree(path_);
}

CurrentDirectoryKeeper::CurrentDirectoryKeeper() : saved_(current_directory()) {}

CurrentDirectoryKeeper::~CurrentDirectoryKeeper() { SetCurrentDirectoryA(saved_.c_str()); }

ScopedVariable::ScopedVariable(const char *name, const std::string &value) : name_(name)
{
    DWORD size = GetEnvironmentVariableA(name, nullptr, 0);
    if (size > 0) {
        old_.resize(size);
        old_.resize(GetEnvironmentVariableA(name, old_.data(), size));
        hadValue_ = true;
    }
    SetEnvironmentVariableA(name, value.c_str());
}

ScopedVariable::~ScopedVariable()
{
    SetEnvironmentVariableA(name_.c_str(), hadValue_ ? old_.c_str() : nullptr);
}

std::string current_directory()
{
    char path[MAX_PATH];
    DWORD n = GetCurrentDirectoryA(MAX_PATH, path);
    return std::string(path, n < MAX_PATH ? n : 0);
}

std::string upper_case(std::string text)
{
    CharUpperBuffA(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

void write_file(const std::string &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool file_exists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> read_lines(const std::string &path)
{
    std::vector<std::string> lines;
    std::string text = read_file(path);
    for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
         start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

uintptr_t next_handle_value()
{
    owner::unique_handle probe(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    return reinterpret_cast<uintptr_t>(probe.get());
}

} // namespace test_support
