// Starts a program as a child process and collects what it wrote and its exit code.
#pragma once

#include <windows.h>

#include <string>

namespace test_support {

struct ChildRun {
    DWORD exitCode = 0;
    std::string output;   // standard output and standard error together
    bool finished = false;
};

// The directory that holds the running test program, without a final backslash.
std::string program_dir();

// A path of the build machine as Wine's Z: drive shows it, for paths the build passes in.
std::string wine_path(const std::string &unix_path);

// Runs command_line in directory (empty: the current one) with its standard output and
// error collected, waits up to timeout_ms, and ends it when it takes longer. environment
// is the child's environment block (nullptr: this process's).
ChildRun run_child(const std::string &command_line, const std::string &directory = "",
                   DWORD timeout_ms = 30000, const char *environment = nullptr);

// Starts command_line without waiting; the caller owns the returned handles. A
// show_window of 0 or more is handed to the child as its start-up show setting.
PROCESS_INFORMATION start_child(const std::string &command_line, const std::string &directory = "",
                                int show_window = -1);

// For a test that needs a process where nothing ran before it. In such a process (this
// test program started again with only the current test) it returns true and the test
// goes on; elsewhere it starts that process, fails the current test unless the test
// passed there, and returns false.
bool in_fresh_process();

} // namespace test_support
