#include "child_process.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "test_support.h"

namespace test_support {

std::string program_dir()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string p = path;
    return p.substr(0, p.find_last_of('\\'));
}

std::string wine_path(const std::string &unix_path)
{
    std::string path = "Z:" + unix_path;
    for (char &c : path)
        if (c == '/')
            c = '\\';
    return path;
}

void end_if_running(HANDLE process)
{
    if (WaitForSingleObject(process, 0) != WAIT_TIMEOUT)
        return;
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 5000);
}

void end_and_close(HANDLE process)
{
    end_if_running(process);
    CloseHandle(process);
}

ChildProcess start_child(const std::string &command_line, const std::string &directory,
                         int show_window)
{
    STARTUPINFOA si{};
    si.cb = sizeof si;
    if (show_window >= 0) {
        si.dwFlags = STARTF_USESHOWWINDOW;
        si.wShowWindow = static_cast<WORD>(show_window);
    }
    PROCESS_INFORMATION pi{};
    std::vector<char> cmd(command_line.begin(), command_line.end());
    cmd.push_back('\0');
    CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                   directory.empty() ? nullptr : directory.c_str(), &si, &pi);
    return ChildProcess(pi);
}

ChildRun run_child(const std::string &command_line, const std::string &directory, DWORD timeout_ms,
                   const char *environment, DWORD creation_flags)
{
    ChildRun run;
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE read_pipe = nullptr, write_pipe = nullptr;
    if (!CreatePipe(&read_pipe, &write_pipe, &sa, 0))
        return run;
    owner::unique_handle read_end(read_pipe);
    owner::unique_handle write_end(write_pipe);
    SetHandleInformation(read_end.get(), HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = write_end.get();
    si.hStdError = write_end.get();
    PROCESS_INFORMATION pi{};
    std::vector<char> cmd(command_line.begin(), command_line.end());
    cmd.push_back('\0');
    BOOL started = CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, TRUE, creation_flags,
                                  const_cast<char *>(environment),
                                  directory.empty() ? nullptr : directory.c_str(), &si, &pi);
    // Only the child holds the write end now, so the reader sees end of file once it ends.
    write_end.reset();
    if (!started)
        return run;
    ChildProcess child(pi);
    std::thread reader([&] {
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(read_end.get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
            run.output.append(buffer, got);
    });
    if (child.wait(timeout_ms)) {
        run.finished = true;
        GetExitCodeProcess(child.process(), &run.exitCode);
    } else {
        child.end();
    }
    reader.join();
    return run;
}

bool in_fresh_process()
{
    const char *const marker = "TEST_SUPPORT_FRESH_PROCESS";
    if (GetEnvironmentVariableA(marker, nullptr, 0) != 0)
        return true;
    const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    ScopedVariable fresh(marker, "1");
    ChildRun run = run_child(std::string("\"") + self +
                             "\" --gtest_filter=" + test->test_suite_name() + "." + test->name());
    EXPECT_TRUE(run.finished) << run.output;
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_NE(run.output.find("[  PASSED  ] 1 test"), std::string::npos) << run.output;
    return false;
}

} // namespace test_support
