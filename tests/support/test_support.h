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
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    const std::string &path() const { return path_; }
    std::string file(const std::string &name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

std::string read_file(const std::string &path);
void write_file(const std::string &path, const std::string &bytes);
bool file_exists(const std::string &path);
// The file's lines, each without its line feed; a last line without one is left out.
std::vector<std::string> read_lines(const std::string &path);

// The value the system hands out for the next new handle: the lowest free one, so it
// rises only while handles are left open.
uintptr_t next_handle_value();

} // namespace test_support
