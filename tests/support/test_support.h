// Helpers shared by the tests.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

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

// A field of width bytes that ends right before an inaccessible page, so that a
// routine reading or writing one byte past it faults.
class GuardedField {
public:
    explicit GuardedField(size_t width);
    ~GuardedField();
    GuardedField(const GuardedField &) = delete;
    GuardedField &operator=(const GuardedField &) = delete;
    char *data() { return field_; }
    std::string text() const { return std::string(field_, width_); }
    // The field holds text, cut to it, padded with pad.
    void fill(const std::string &text, char pad = ' ');

private:
    size_t width_;
    char *base_ = nullptr;
    char *field_ = nullptr;
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
// text followed by blanks up to width, as a fixed-width text field holds it.
std::string padded(const std::string &text, size_t width);
// text with its letters in upper case, as the system's own upper-casing does.
std::string upper_case(std::string text);

std::string read_file(const std::string &path);
void write_file(const std::string &path, const std::string &bytes);
bool file_exists(const std::string &path);
// The file's lines, each without its line feed; a last line without one is left out.
std::vector<std::string> read_lines(const std::string &path);

// The value the system hands out for the next new handle: the lowest free one, so it
// rises only while handles are left open.
uintptr_t next_handle_value();

} // namespace test_support
