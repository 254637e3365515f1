// TARVEL.EXE running an action file of the three kinds, with the console output host
// beside it: the lines of every program, the hand-over block, the notice message to a
// window of the test, and the exit code.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>

#include "action_text.h"
#include "child_process.h"
#include "message_recorder.h"
#include "test_support.h"

using test_support::TempDir;

namespace {

const std::string kTarvel = test_support::wine_path(TARVEL_EXE);

std::string writer() { return test_support::program_dir() + "\\w32-writer.exe"; }

} // namespace

TEST(TarvelActions, ActionFileOfThreeKindsRunsInOrder)
{
    TempDir dir;
    const std::string programs = test_support::program_dir();
    ASSERT_TRUE(CopyFileA((programs + "\\handover-report.exe").c_str(),
                          dir.file("tramespe.exe").c_str(), FALSE));
    ASSERT_TRUE(
        CopyFileA((programs + "\\qurdex.dll").c_str(), dir.file("qurdex.dll").c_str(), FALSE));
    test_support::MessageRecorder recorder{0x2001, 0x2001};
    const std::string window = std::to_string(reinterpret_cast<uintptr_t>(recorder.window()));

    actionfile::ActionFile file;
    std::string error;
    ASSERT_TRUE(actionfile::parse(
        "[header]\nappDir = " + dir.path() +
            "\\work\n"
            "[entry]\nprogram = " +
            writer() +
            "\n"
            "commandLine = out direct\\r\\n exit 5\n"
            "noticeTag = FIRST\nwindow = " +
            window +
            "\n"
            "[entry]\nprogram = cmd.exe\ncommandLine = echo interpreted\nkind = 4\n"
            "[entry]\nprogram = tramespe.exe\ncommandLine = sample\nkind = 5\n",
        file, error))
        << error;
    test_support::write_file(dir.file("ACTIONS"), actionfile::to_bytes(file));
    // The hand-over program is found on the search path, from the created application
    // directory.
    char path[32768] = {};
    GetEnvironmentVariableA("PATH", path, sizeof path);
    test_support::ScopedVariable searchPath("PATH", dir.path() + ";" + path);

    test_support::ChildRun run =
        test_support::run_child("\"" + kTarvel + "\" ACTIONS", dir.path(), 30000);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    const size_t direct = run.output.find("direct\r\n");
    const size_t interpreted = run.output.find("interpreted\r\n");
    const size_t handOver = run.output.find("hand-over: 2104 bytes received\r\n");
    EXPECT_NE(direct, std::string::npos) << run.output;
    EXPECT_NE(interpreted, std::string::npos) << run.output;
    EXPECT_NE(handOver, std::string::npos) << run.output;
    EXPECT_LT(direct, interpreted);
    EXPECT_LT(interpreted, handOver);
    EXPECT_NE(run.output.find("hand-over: command line sample"), std::string::npos) << run.output;
    EXPECT_TRUE(test_support::file_exists(dir.file("work\\handover.bin")));
    EXPECT_FALSE(test_support::file_exists(dir.file("ACTIONS")));

    // The first program's notice went to the test's window.
    EXPECT_TRUE(recorder.pump_until([&] { return !recorder.messages.empty(); }, 5000));
}
