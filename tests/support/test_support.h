// Helpers shared by the tests.
#pragma once

#include <windows.h>

#include <string>

namespace test_support {

// A directory of its own under the temporary folder, removed with all it holds.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    const std::string &path() const { return path_; }
    std::string file(const std::string &name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

// Sets a process variable (nullptr: removes it) and puts the old value back at the end.
class ScopedVariable {
public:
    ScopedVariable(const std::string &name, const char *value);
    ~ScopedVariable();
    ScopedVariable(const ScopedVariable &) = delete;
    ScopedVariable &operator=(const ScopedVariable &) = delete;

private:
    std::string name_;
    bool had_ = false;
    std::string old_;
};

std::string read_file(const std::string &path);
void write_file(const std::string &path, const std::string &bytes);
bool file_exists(const std::string &path);

} // namespace test_support
