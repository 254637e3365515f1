// The action-file tool: its text form read and written back exactly, its defaults and
// its refusals, and the console program end to end, running tables included.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "action_text.h"
#include "child_process.h"
#include "test_support.h"

using actionfile::ActionFile;

namespace {

ActionFile parsed(const std::string &text)
{
    ActionFile file;
    std::string error;
    EXPECT_TRUE(actionfile::parse(text, file, error)) << error;
    return file;
}

std::string parse_error(const std::string &text)
{
    ActionFile file;
    std::string error;
    EXPECT_FALSE(actionfile::parse(text, file, error));
    return error;
}

// The bytes of the file that the description of these bytes describes.
std::string round_trip(const std::string &bytes)
{
    ActionFile file;
    std::string error;
    EXPECT_TRUE(actionfile::from_bytes(bytes, file, error)) << error;
    return actionfile::to_bytes(parsed(actionfile::describe(file)));
}

// random bytes, each one of alphabet's (all 256 values when alphabet is empty).
std::string random_bytes(size_t size, const std::string &alphabet = "")
{
    std::string bytes(size, '\0');
    uint32_t x = 12345;
    for (char &b : bytes) {
        x = x * 1103515245u + 12345u;
        b = alphabet.empty() ? static_cast<char>(x >> 24) : alphabet[(x >> 24) % alphabet.size()];
    }
    return bytes;
}

// The text form's example of docs/running-tables.md, without its indent: the first
// indented block of its section that begins with "# a comment".
std::string documented_example()
{
    const std::string document =
        test_support::read_file(test_support::wine_path(ACTIONFILE_TEXT_FORM_DOC));
    const size_t section = document.find("\n## The text form\n");
    size_t at = document.find("\n    # a comment\n", section);
    if (section == std::string::npos || at == std::string::npos)
        return "";
    std::string example;
    for (++at; at < document.size() && document.compare(at, 4, "    ") == 0;) {
        const size_t end = std::min(document.find('\n', at), document.size());
        example += document.substr(at + 4, end - at - 4) + "\n";
        at = end + 1;
    }
    return example;
}

// The table of a header and count entries given no field.
std::string entries_text(size_t count)
{
    std::string text = "[header]\n";
    for (size_t i = 0; i < count; ++i)
        text += "[entry]\n";
    return text;
}

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

// Where text is in output; fails the test when it is not there.
size_t position(const std::string &output, const std::string &text)
{
    const size_t at = output.find(text);
    EXPECT_NE(at, std::string::npos) << text << " not in:\n" << output;
    return at;
}

} // namespace

TEST(ActionFileText, EveryByteOfAnyFileSurvivesTheRoundTrip)
{
    // Every byte value in every field, including the unused ones, and a trailer.
    const size_t size = sizeof(ActionHeader) + 3 * sizeof(ActionEntry) + 5;
    std::string bytes = random_bytes(size);
    EXPECT_EQ(round_trip(bytes), bytes);
    // Texts thick with what reads as a note, a quote, an escape or a section elsewhere.
    bytes = random_bytes(size, " \t#\"\\=[]x");
    EXPECT_EQ(round_trip(bytes), bytes);

    // Fields that end in their fill, in a NUL, in spaces before a NUL, or fill all
    // their width; texts without a NUL; zero-filled texts.
    ActionFile file = parsed("[header]\n[entry]\n[entry]\n[entry]\n[entry]\n");
    ActionEntry &e = file.entries[0];
    std::memset(e.program, 'p', sizeof e.program);
    std::memset(e.commandLine, 0, sizeof e.commandLine);
    std::memset(e.title, 'T', sizeof e.title);
    std::memcpy(file.entries[1].program, "abc  \0  ", 8);
    std::memcpy(file.entries[1].commandLine, "abc", 3);
    std::memcpy(file.entries[2].program, "x\0\0", 3);
    std::memset(file.entries[3].noticeTag, 0, sizeof e.noticeTag);
    std::memset(file.entries[3].program + 200, 0, 60);
    std::memset(file.header.appDir, ' ', sizeof file.header.appDir);
    std::string original = actionfile::to_bytes(file);
    EXPECT_EQ(round_trip(original), original);
}

TEST(ActionFileText, DefaultsAndNamedFields)
{
    ActionFile file = parsed("# a comment\n"
                             "[header]\n"
                             "appDir = $ROOT\\tools\n"
                             "processId = 0x10\n"
                             "\n"
                             "[entry]\r\n"
                             "program = C:\\TOOLS\\RUN.EXE\r\n"
                             "commandLine = \"RUN.EXE \\\"a b\\\"\"\n"
                             "window = 4660\n"
                             "kind=4\n"
                             "noticeTag = BUILD\n"
                             "[entry]\n");
    EXPECT_EQ(std::string(file.header.appDir, 13), "$ROOT\\tools  ");
    EXPECT_EQ(file.header.sharedPart[519], ' ');
    EXPECT_EQ(file.header.processId, 16u);
    ASSERT_EQ(file.entries.size(), 2u);
    const ActionEntry &e = file.entries[0];
    EXPECT_EQ(std::string(e.program, 17), std::string("C:\\TOOLS\\RUN.EXE\0", 17));
    EXPECT_EQ(e.program[17], ' ');
    EXPECT_EQ(std::string(e.commandLine, 15), std::string("RUN.EXE \"a b\"\0 ", 15));
    EXPECT_EQ(e.window, 4660u);
    EXPECT_EQ(e.kind, 4);
    EXPECT_EQ(std::string(e.noticeTag, 12), "BUILD       ");

    // An entry given no field: no notice, nothing named, marked to run.
    const ActionEntry &d = file.entries[1];
    EXPECT_EQ(std::string(d.noticeTag, 12), "0           ");
    EXPECT_EQ(d.program[0], '\0');
    EXPECT_EQ(d.commandLine[0], '\0');
    EXPECT_EQ(d.runFlag, 1);
    EXPECT_EQ(d.kind, 0);
    // A header given no appDir names none.
    EXPECT_EQ(parsed("[entry]\n").header.appDir[0], '\0');
}

TEST(ActionFileText, ANoteAfterWhiteSpaceEndsABareValueOrASection)
{
    ActionFile file = parsed("[header]   # the header\n"
                             "appDir = C:\\mydir # a comment\n"
                             "[entry]\t# one entry\n"
                             "program = C:\\a#b\t# a tab before the note\n"
                             "commandLine = \"run # all of it\"   # after a quoted text\n"
                             "title = \"t\" zero-filled # and after its words\n"
                             "noticeTag = # nothing but a note\n");
    EXPECT_EQ(std::string(file.header.appDir, 260), test_support::padded("C:\\mydir", 260));
    ASSERT_EQ(file.entries.size(), 1u);
    const ActionEntry &e = file.entries[0];
    EXPECT_EQ(std::string(e.program, 260), test_support::padded(std::string("C:\\a#b\0", 7), 260));
    EXPECT_EQ(std::string(e.commandLine, 768),
              test_support::padded(std::string("run # all of it\0", 16), 768));
    EXPECT_EQ(std::string(e.title, 50), "t" + std::string(49, '\0'));
    EXPECT_EQ(std::string(e.noticeTag, 12), std::string(12, ' '));
    // A # right after the closing quote follows no white space.
    EXPECT_NE(parse_error("[entry]\nprogram = \"x\"#note\n").find("unknown word"),
              std::string::npos);
}

TEST(ActionFileText, TheDocumentedFormatExampleReadsAsItSays)
{
    const std::string example = documented_example();
    ASSERT_NE(example.find("[trailer]"), std::string::npos) << example;
    const ActionFile file = parsed(example);
    EXPECT_EQ(std::string(file.header.appDir, 260), test_support::padded("$ROOT\\tools", 260));
    EXPECT_EQ(std::string(file.header.sharedPart, 520), test_support::padded("text\x01", 520));
    EXPECT_EQ(file.header.processId, 0u);
    ASSERT_EQ(file.entries.size(), 1u);
    const ActionEntry &e = file.entries[0];
    EXPECT_EQ(std::string(e.program, 260), test_support::padded(std::string("cmd.exe\0", 8), 260));
    EXPECT_EQ(std::string(e.commandLine, 768),
              test_support::padded(std::string("dir /b\0", 7), 768));
    EXPECT_EQ(e.kind, 4);
    EXPECT_EQ(std::string(e.noticeTag, 12), test_support::padded("BUILD", 12));
    EXPECT_EQ(e.window, 0x0001002Au);
    EXPECT_EQ(file.trailer, "\x1A");
    const std::string bytes = actionfile::to_bytes(file);
    EXPECT_EQ(round_trip(bytes), bytes);
}

TEST(ActionFileText, ATableHoldsAtMost500Entries)
{
    const std::string text = entries_text(kMaxActions);
    ActionFile file = parsed(text);
    EXPECT_EQ(file.entries.size(), kMaxActions);
    EXPECT_EQ(parse_error(text + "[entry]\n").rfind("line 502: ", 0), 0u);

    // A file of more, as another host may write one, is described whole, marked where
    // the controller stops.
    file.entries.push_back(file.entries.back());
    const std::string description = actionfile::describe(file);
    const size_t mark = position(description, "\n# entries past 500 are never run");
    EXPECT_LT(position(description, "# entry 500\n"), mark);
    EXPECT_LT(mark, position(description, "[entry]\n# entry 501\n"));
}

TEST(ActionFileText, FaultsAreRefusedWithTheirLine)
{
    EXPECT_EQ(parse_error("[entry]\nkind = 256\n").rfind("line 2:", 0), 0u);
    EXPECT_NE(parse_error("[entry]\nnoticeTag = 1234567890123\n").find("at most 12"),
              std::string::npos);
    EXPECT_NE(parse_error("[entry]\ntitle = \"x\" unended\n").find("no NUL"), std::string::npos);
    EXPECT_NE(parse_error("[entry]\nprogramme = x\n").find("no field named programme"),
              std::string::npos);
    EXPECT_NE(parse_error("[entry]\nprogram = \"open\n").find("closing quote"), std::string::npos);
    EXPECT_NE(parse_error("program = x\n").find("before the first section"), std::string::npos);
    EXPECT_NE(parse_error("[entry]\n[header]\n").find("one header"), std::string::npos);
    EXPECT_NE(parse_error("[entry]\nwindow = -1\n").find("from 0 to"), std::string::npos);
    // A trailer as long as an entry would be read back as one.
    EXPECT_NE(parse_error("[trailer]\nbytes = \"" + std::string(sizeof(ActionEntry), 'x') + "\"\n")
                  .find("fewer than 2636"),
              std::string::npos);
    // A text that fills its field exactly has no room for its NUL and is kept whole.
    ActionFile full = parsed("[entry]\nnoticeTag = 123456789012\n");
    EXPECT_EQ(std::string(full.entries[0].noticeTag, 12), "123456789012");

    ActionFile file;
    std::string error;
    EXPECT_FALSE(actionfile::from_bytes(std::string(1783, ' '), file, error));
    EXPECT_NE(error.find("1783 bytes"), std::string::npos);
}

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
