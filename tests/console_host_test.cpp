// The console output host end to end: a host process (the demo's sample host) runs a
// child with WAITEXE, and the lines come out on the host's standard output with
// CR LF, before the host's own last line.
#include <gtest/gtest.h>

#include <string>

#include "child_process.h"
#include "test_support.h"

namespace {

std::string demo_dir() { return test_support::program_dir() + "\\..\\demo"; }

// Runs the sample host. The desktop is made first: under Wine the first window of a
// session starts the desktop process, which would keep the child's output pipe, and
// the console host's window would be the first.
test_support::ChildRun run_host(const std::string &arguments, const std::string &directory = "")
{
    GetDesktopWindow();
    return test_support::run_child(arguments, directory);
}

} // namespace

TEST(ConsoleHost, PrintsEachLineOfTheChildWithCrLf)
{
    std::string writer = test_support::program_dir() + "\\w32-writer.exe";
    auto run = run_host(demo_dir() + "\\launch_host.exe " + writer +
                        " out one\\r\\ntwo\\r\\n err three\\r\\n out \\r\\nlast exit 4");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.output, "one\r\ntwo\r\nthree\r\n\r\nlast\r\nWAITEXE status 0, exit code 4\r\n");
    EXPECT_EQ(run.exitCode, 0u);
}

TEST(ConsoleHost, SampleChildLinesAndExitCode)
{
    auto run = run_host(demo_dir() + "\\launch_host.exe " + demo_dir() + "\\sample_child.exe");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.output, "sample child: first line on standard output\r\n"
                          "sample child: a line on standard error\r\n"
                          "sample child: last line, without CR LF\r\n"
                          "WAITEXE status 0, exit code 3\r\n");
}

TEST(ConsoleHost, WithoutTheHostDllTheMissingEntryEndsTheRun)
{
    test_support::TempDir dir;
    for (const char *file : {"launch_host.exe", "qurdex.dll"})
        ASSERT_TRUE(CopyFileA((demo_dir() + "\\" + file).c_str(), dir.file(file).c_str(), FALSE));
    std::string writer = test_support::program_dir() + "\\w32-writer.exe";
    auto run = run_host(dir.file("launch_host.exe") + " " + writer + " out x", dir.path());
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 173u);
    EXPECT_NE(run.output.find("QuennetGetOutputHandle"), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("WAITEXE status"), std::string::npos);
}
