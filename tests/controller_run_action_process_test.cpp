// TARVEL.EXE running an action file of the three kinds, with the console output host
// beside it: the lines of every program, the hand-over block, the notice message to a
// window of the test, and the exit code.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <vector>
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

// TARVEL.EXE started as a GUI host starts it, with no console: its console programs
// share one hidden console, where each finds what a console of its own would show
// (the title its path, not one an earlier program set), with its pipes; a Ctrl-C that
// one sends to its console ends that program only; a GUI program gets no console.
TEST(TarvelActions, ConsoleProgramsOfARunWithNoConsoleShareOneHiddenConsole)
{
    TempDir dir;
    const std::string gui = test_support::program_dir() + "\\w32-writer-gui.exe";
    auto entry = [](const std::string &program, const char *commandLine) {
        return "[entry]\nprogram = " + program + "\ncommandLine = " + commandLine + "\n";
    };
    const std::string text = "[header]\nappDir = " + dir.path() + "\n" +
                             entry(writer(), "title changed stdin out first") +
                             entry(writer(), "ctrl-c") + entry(writer(), "console err second") +
                             entry(gui, "console");
    actionfile::ActionFile file;
    std::string error;
    ASSERT_TRUE(actionfile::parse(text, file, error)) << error;
    test_support::write_file(dir.file("ACTIONS"), actionfile::to_bytes(file));

    test_support::ChildRun run = test_support::run_child("\"" + kTarvel + "\" ACTIONS", dir.path(),
                                                         60000, nullptr, DETACHED_PROCESS);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_EQ(run.output, "stdin 0\r\nfirst\r\nconsole hidden 2 " + writer() +
                              "\r\nsecond\r\nconsole none\r\n");
}

namespace {

// TARVEL.EXE in a folder of its own with the host module that writes its line count at
// detach; runs the action file described by text there and gives what the module wrote.
class DetachingHost {
public:
    DetachingHost()
    {
        const std::string programs = test_support::program_dir();
        // The programs as they ship, from the folder of TARVEL.EXE.
        const std::string dist = kTarvel.substr(0, kTarvel.find_last_of('\\') + 1);
        for (const char *name : {"TARVEL.EXE", "qurdex.dll"})
            EXPECT_TRUE(CopyFileA((dist + name).c_str(), dir.file(name).c_str(), FALSE)) << name;
        EXPECT_TRUE(CopyFileA((programs + "\\detach_host\\QuennetGetOutputHandle.dll").c_str(),
                              dir.file("QuennetGetOutputHandle.dll").c_str(), FALSE));
    }

    // Each entry starts the writer with its command line; a table of entries entries.
    void write_table(const char *name, const std::vector<std::string> &commandLines,
                     size_t entries = 0)
    {
        std::string text = "[header]\nappDir = " + dir.path() + "\n";
        for (const std::string &line : commandLines)
            text += "[entry]\nprogram = " + writer() + "\ncommandLine = " + line + "\n";
        actionfile::ActionFile file;
        std::string error;
        ASSERT_TRUE(actionfile::parse(text, file, error)) << error;
        // Entries past the described ones start nothing (runFlag 0).
        ActionEntry idle{};
        file.entries.resize(std::max(entries, file.entries.size()), idle);
        test_support::write_file(dir.file(name), actionfile::to_bytes(file));
    }

    test_support::ChildRun run(const char *name)
    {
        DeleteFileA(log().c_str());
        std::string commandLine = "\"";
        commandLine.append(dir.file("TARVEL.EXE")).append("\" ").append(name);
        return test_support::run_child(commandLine, dir.path(), 30000);
    }

    std::string log() const { return dir.file("detach.log"); }
    std::string logged() const
    {
        return test_support::file_exists(log()) ? test_support::read_file(log()) : "(no file)";
    }

    TempDir dir;
    test_support::ScopedVariable logVariable{"DETACH_HOST_LOG", dir.file("detach.log")};
};

} // namespace

TEST(RunEnd, EveryModuleIsToldOfTheEndOfARunAndOfARunTimeError)
{
    DetachingHost host;
    host.write_table("PLAIN", {"out \"one\\r\\ntwo\""});
    test_support::ChildRun plain = host.run("PLAIN");
    ASSERT_TRUE(plain.finished);
    EXPECT_EQ(plain.exitCode, 0u) << plain.output;
    EXPECT_EQ(host.logged(), "lines 2");

    host.write_table("OVER", {"out one"}, 501);
    test_support::ChildRun over = host.run("OVER");
    ASSERT_TRUE(over.finished);
    EXPECT_EQ(over.exitCode, 153u) << over.output;
    EXPECT_EQ(host.logged(), "lines 1");
}

TEST(RunEnd, ModulesAreToldWhileOtherThreadsStillLaunchAndWait)
{
    DetachingHost host;
    test_support::ScopedVariable work("DETACH_HOST_PROGRAM", writer());
    for (int i = 0; i < 5; ++i) {
        // The controller thread's table waits for its turn behind the main one's.
        host.write_table("00000077", {"out thread", "out thread"});
        host.write_table("MAIN", {"out a", "out b", "out c"});
        test_support::ChildRun run = host.run("MAIN");
        ASSERT_TRUE(run.finished) << i;
        EXPECT_EQ(run.exitCode, 0u) << i << ": " << run.output;
        EXPECT_EQ(run.output.find("nhandled"), std::string::npos) << run.output;
        const std::string logged = host.logged();
        ASSERT_EQ(logged.rfind("lines ", 0), 0u) << i << ": " << logged;
        EXPECT_GE(std::stol(logged.substr(6)), 3) << logged;
    }
}
