// The console output host end to end: a host process (the demo's sample host) runs a
// child with WAITEXE, and the lines come out on the host's standard output with
// CR LF, before the host's own last line.
#include <gtest/gtest.h>

#include <string>

#include "child_process.h"

namespace {

std::string demo_dir() { return test_support::program_dir() + "\\..\\demo"; }

} // namespace

TEST(ConsoleHost, PrintsEachLineOfTheChildWithCrLf)
{
    std::string writer = test_support::program_dir() + "\\w32-writer.exe";
    auto run = test_support::run_child(demo_dir() + "\\launch_host.exe " + writer +
                                       " out one\\r\\ntwo\\r\\n err three\\r\\n out \\r\\nlast exit 4");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.output, "one\r\ntwo\r\nthree\r\n\r\nlast\r\nWAITEXE status 0, exit code 4\r\n");
    EXPECT_EQ(run.exitCode, 0u);
}

TEST(ConsoleHost, SampleChildLinesAndExitCode)
{
    auto run = test_support::run_child(demo_dir() + "\\launch_host.exe " + demo_dir() + "\\sample_child.exe");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.output,
              "sample child: first line on standard output\r\n"
              "sample child: a line on standard error\r\n"
              "sample child: last line, without CR LF\r\n"
              "WAITEXE status 0, exit code 3\r\n");
}
