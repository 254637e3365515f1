// Helpers shared by the tests.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core_support.h"

namespace test_support {

// A directory of its own under the temporary folder, removed with all it holds.
class TempDir {
public:
    TempDir();
    // Under parent (a directory without a final backslash) instead, on any drive.
    explicit TempDir(const std::string &parent);
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    const std::string &path() const { return path_; }
    std::string file(const std::string &name) const { return path_ + "\\" + name; }

private:
    void create_under(const std::string &prefix);
    std::string path_;
};

// Restores the process's current directory (and with it the current drive) when it ends.
class CurrentDirectoryKeeper {
public:
    CurrentDirectoryKeeper();
    ~CurrentDirectoryKeeper();
    CurrentDirectoryKeeper(const CurrentDirectoryKeeper &) = delete;
    CurrentDirectoryKeeper &operator=(const CurrentDirectoryKeeper &) = delete;

private:
    std::string saved_;
};

// Sets a process variable (SetEnvironmentVariableA) and puts back what it was when it ends.
class ScopedVariable {
public:
    ScopedVariable(const char *name, const std::string &value);
    ~ScopedVariable();
    ScopedVariable(const ScopedVariable &) = delete;
    ScopedVariable &operator=(const ScopedVariable &) = delete;

private:
    std::string name_;
    std::string old_;
    bool hadValue_ = false;
};

// The process's current directory, as GetCurrentDirectoryA gives it.
std::string current_directory();
// text with its letters in upper case, as the system's own upper-casing does.
std::string upper_case(std::string text);

void write_file(const std::string &path, const std::string &bytes);
bool file_exists(const std::string &path);
// The file's lines, each without its line feed; a last line without one is left out.
std::vector<std::string> read_lines(const std::string &path);

// The value the system hands out for the next new handle: the lowest free one, so it
// rises only while handles are left open.
uintptr_t next_handle_value();

} // namespace test_support
