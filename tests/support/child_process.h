// Starts a program as a child process and collects what it wrote and its exit code.
#pragma once

#include <windows.h>

#include <string>

#include "owner.h"

namespace test_support {

struct ChildRun {
    DWORD exitCode = 0;
    std::string output; // standard output and standard error together
    bool finished = false;
};

// The directory that holds the running test program, without a final backslash.
std::string program_dir();

// A path of the build machine as Wine's Z: drive shows it, for paths the build passes in.
std::string wine_path(const std::string &unix_path);

// Runs command_line in directory (empty: the current one) with its standard output and
// error collected, waits up to timeout_ms, and ends it when it takes longer. environment
// is the child's environment block (nullptr: this process's); creation_flags are the
// child's (DETACHED_PROCESS: no console of this process's, as a GUI program starts it).
ChildRun run_child(const std::string &command_line, const std::string &directory = "",
                   DWORD timeout_ms = 30000, const char *environment = nullptr,
                   DWORD creation_flags = 0);

// Ends the process if it still runs, and waits a few seconds for it to go.
void end_if_running(HANDLE process);
// How a started child's process handle is closed: the child is ended first if it runs.
void end_and_close(HANDLE process);

// A started child, or none when the start failed. When the owner goes, a child that
// still runs is ended, so a test that stops early leaves no program behind, and both
// of its handles are closed.
class ChildProcess {
public:
    ChildProcess() = default;
    explicit ChildProcess(const PROCESS_INFORMATION &started)
        : thread_(started.hThread), process_(started.hProcess), id_(started.dwProcessId)
    {
    }

    explicit operator bool() const { return static_cast<bool>(process_); }
    HANDLE process() const { return process_.get(); }
    DWORD id() const { return id_; }
    // True when the child has ended within timeout_ms.
    bool wait(DWORD timeout_ms) const
    {
        return WaitForSingleObject(process_.get(), timeout_ms) == WAIT_OBJECT_0;
    }
    void end() const { end_if_running(process_.get()); }

private:
    owner::unique_handle thread_;
    owner::unique_any<HANDLE, &end_and_close> process_;
    DWORD id_ = 0;
};

// Starts command_line without waiting. A show_window of 0 or more is handed to the
// child as its start-up show setting.
ChildProcess start_child(const std::string &command_line, const std::string &directory = "",
                         int show_window = -1);

// For a test that needs a process where nothing ran before it. In such a process (this
// test program started again with only the current test) it returns true and the test
// goes on; elsewhere it starts that process, fails the current test unless the test
// passed there, and returns false.
bool in_fresh_process();

} // namespace test_support
