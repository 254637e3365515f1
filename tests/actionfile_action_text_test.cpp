// The action file's text form: read and written back exactly, its defaults and its
// refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "action_text.h"
#include "action_text_cases.h"
#include "core_support.h"

using actionfile::ActionFile;
using test_support::entries_text;
using test_support::parsed;
using test_support::position;

namespace {

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
    const std::string document = test_support::read_file(ACTIONFILE_TEXT_FORM_DOC);
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
