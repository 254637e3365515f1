// The action-file tool, the console program, end to end: writing and dumping files,
// running tables, and its refusals.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "action_text.h"
#include "action_text_cases.h"
#include "child_process.h"
#include "test_support.h"

using actionfile::ActionFile;
using test_support::entries_text;
using test_support::parsed;
using test_support::position;

namespace {

// Runs the tool with arguments. The desktop is made first: under Wine the first window
// of a session starts the desktop process, which would keep the tool's output pipe,
// and the tool's own window would be the first.
test_support::ChildRun run_tool(const std::string &arguments, const std::string &directory = "")
{
    GetDesktopWindow();
    return test_support::run_child(test_support::program_dir() + "\\actionfile.exe " + arguments,
                                   directory, 60000);
}

std::string writer_entry(const std::string &fields)
{
    return "[entry]\nprogram = " + test_support::program_dir() + "\\w32-writer.exe\n" + fields;
}

} // namespace

TEST(ActionFileTool, WritesAFileAndDumpsItBack)
{
    test_support::TempDir dir;
    const std::string tool = test_support::program_dir() + "\\actionfile.exe";
    test_support::write_file(dir.file("in.txt"),
                             "[header]\nappDir = C:\\WORK\n[entry]\n"
                             "program = cmd.exe\ncommandLine = cmd.exe /c dir\nkind = 4\n");
    test_support::ChildRun run =
        test_support::run_child(tool + " write " + dir.file("in.txt") + " " + dir.file("a.act"));
    ASSERT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_EQ(test_support::read_file(dir.file("a.act")).size(),
              sizeof(ActionHeader) + sizeof(ActionEntry));

    run = test_support::run_child(tool + " dump " + dir.file("a.act"));
    ASSERT_EQ(run.exitCode, 0u);
    EXPECT_NE(run.output.find("commandLine = \"cmd.exe /c dir\""), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("kind = 4"), std::string::npos);
    // What the dump shows writes the same file again.
    test_support::write_file(dir.file("again.txt"), run.output);
    run =
        test_support::run_child(tool + " write " + dir.file("again.txt") + " " + dir.file("b.act"));
    ASSERT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_EQ(test_support::read_file(dir.file("b.act")),
              test_support::read_file(dir.file("a.act")));

    test_support::write_file(dir.file("bad.txt"), "[entry]\nkind = x\n");
    run = test_support::run_child(tool + " write " + dir.file("bad.txt") + " " + dir.file("c.act"));
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_NE(run.output.find("line 2"), std::string::npos) << run.output;
    EXPECT_FALSE(test_support::file_exists(dir.file("c.act")));
    EXPECT_EQ(test_support::run_child(tool + " dump " + dir.file("missing.act")).exitCode, 1u);
    EXPECT_EQ(test_support::run_child(tool).exitCode, 2u);
}

TEST(ActionFileTool, RunShowsEachEntryWithItsLinesExitCodeAndNotice)
{
    test_support::TempDir dir;
    const std::string programs = test_support::program_dir();
    ASSERT_TRUE(CopyFileA((programs + "\\handover-report.exe").c_str(),
                          dir.file("tramespe.exe").c_str(), FALSE));
    ASSERT_TRUE(
        CopyFileA((programs + "\\qurdex.dll").c_str(), dir.file("qurdex.dll").c_str(), FALSE));
    char path[32768] = {};
    GetEnvironmentVariableA("PATH", path, sizeof path);
    test_support::ScopedVariable searchPath("PATH", dir.path() + ";" + path);
    test_support::write_file(dir.file("in.txt"),
                             "[header]\nappDir = " + dir.path() + "\\work\n" +
                                 writer_entry("commandLine = out one\\r\\n exit 0\n"
                                              "noticeTag = FIRST\n") +
                                 "[entry]\nprogram = cmd.exe\ncommandLine = echo two\nkind = 4\n"
                                 "[entry]\nprogram = tramespe.exe\ncommandLine = x\nkind = 5\n"
                                 "[entry]\nprogram = cmd.exe\nrunFlag = 0\n");

    test_support::ChildRun run = run_tool("run " + dir.file("in.txt"), dir.path());
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    const std::string workDir = test_support::upper_case(dir.file("work"));
    const std::string &out = run.output;
    EXPECT_LT(position(out, "== entry 1: kind 0 (direct), "), position(out, "\r\none\r\n"));
    EXPECT_LT(position(out, "\r\none\r\n"),
              position(out, ") ended with exit code 0, notice \"FIRST\"\r\n"));
    EXPECT_NE(test_support::upper_case(out).find(workDir), std::string::npos) << out;
    EXPECT_LT(position(out, "== entry 2: kind 4 (command interpreter), cmd.exe, in "),
              position(out, "\r\ntwo\r\n"));
    EXPECT_LT(position(out, "\r\ntwo\r\n"),
              position(out, "== entry 2 (cmd.exe) ended with exit code 0, no notice"));
    EXPECT_LT(position(out, "== entry 3: kind 5 (hand-over), tramespe.exe, in "),
              position(out, "hand-over: 2104 bytes received"));
    EXPECT_LT(position(out, "hand-over: 2104 bytes received"),
              position(out, "== entry 3 (tramespe.exe) ended with exit code 0, no notice"));
    position(out, "== entry 4 (cmd.exe) skipped (runFlag 0)");
}

TEST(ActionFileTool, RunEndsWithStatusOneNamingTheEntryThatFailed)
{
    test_support::TempDir dir;
    test_support::write_file(dir.file("in.txt"),
                             writer_entry("commandLine = out hidden exit 7\nnoticeTag = SEVEN\n") +
                                 "[entry]\nprogram = " + dir.file("missing.exe") + "\n" +
                                 writer_entry("commandLine = exit 0\n"));
    test_support::ChildRun run =
        run_tool("write " + dir.file("in.txt") + " " + dir.file("table.act"));
    ASSERT_EQ(run.exitCode, 0u) << run.output;

    // Quiet, from the binary file: the closing lines only.
    run = run_tool("run --quiet --file " + dir.file("table.act"), dir.path());
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1u) << run.output;
    position(run.output, "== entry 1 (" + test_support::program_dir() +
                             "\\w32-writer.exe) ended with exit code 7, notice \"SEVEN\"\r\n");
    position(run.output, "== entry 2 (" + dir.file("missing.exe") + ") could not start, no notice");
    position(run.output, "== entry 3 (");
    EXPECT_EQ(run.output.find("hidden"), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find(": kind"), std::string::npos) << run.output;
}

TEST(ActionFileTool, RunRefusesABadDescriptionWithItsLine)
{
    test_support::TempDir dir;
    test_support::write_file(dir.file("bad.txt"), "[entry]\nprogram = cmd.exe\nkind = x\n");
    test_support::ChildRun run = run_tool("run " + dir.file("bad.txt"));
    EXPECT_EQ(run.exitCode, 2u);
    position(run.output, "line 3");
    EXPECT_EQ(run.output.find("== entry"), std::string::npos) << run.output;
}

TEST(ActionFileTool, WriteAndRunRefuseATableOfMoreThan500Entries)
{
    test_support::TempDir dir;
    const std::string over = entries_text(kMaxActions + 1);
    test_support::write_file(dir.file("over.txt"), over);
    test_support::ChildRun run =
        run_tool("write " + dir.file("over.txt") + " " + dir.file("over.act"));
    EXPECT_EQ(run.exitCode, 1u);
    position(run.output, "line 502: ");
    EXPECT_FALSE(test_support::file_exists(dir.file("over.act")));

    run = run_tool("run --quiet " + dir.file("over.txt"));
    EXPECT_EQ(run.exitCode, 2u);
    position(run.output, "line 502: ");
    EXPECT_EQ(run.output.find("== entry"), std::string::npos);

    // A binary file of 501 entries, as another host may write one: not run, but dumped.
    ActionFile file = parsed(entries_text(kMaxActions));
    file.entries.push_back(file.entries.back());
    test_support::write_file(dir.file("over.act"), actionfile::to_bytes(file));
    run = run_tool("run --quiet --file " + dir.file("over.act"));
    EXPECT_EQ(run.exitCode, 2u);
    position(run.output, "501 entries");
    EXPECT_EQ(run.output.find("== entry"), std::string::npos);

    run = run_tool("dump " + dir.file("over.act"));
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_LT(position(run.output, "# entries past 500 are never run"),
              position(run.output, "# entry 501"));
}

TEST(ActionFileTool, CannotReadOrWriteSaysWhy)
{
    test_support::TempDir dir;
    const std::string missing = run_tool("dump " + dir.file("missing.act")).output;
    position(missing, "cannot read " + dir.file("missing.act") + ": " + std::strerror(ENOENT));
    // A folder fails for another reason than a missing file.
    const std::string folder = run_tool("dump " + dir.path()).output;
    const std::string prefix = "cannot read " + dir.path() + ": ";
    const size_t at = position(folder, prefix) + prefix.size();
    const std::string reason = folder.substr(at, folder.find_first_of("\r\n", at) - at);
    EXPECT_FALSE(reason.empty()) << folder;
    EXPECT_NE(reason, std::strerror(ENOENT));

    test_support::write_file(dir.file("in.txt"), "[entry]\n");
    const std::string write =
        run_tool("write " + dir.file("in.txt") + " " + dir.file("none\\a.act")).output;
    position(write, "cannot write " + dir.file("none\\a.act") + ": " + std::strerror(ENOENT));
}
