// QUERYEXE: the order of the names it tries, finds on the real file system
// (batch files, executables, run-time programs, library members), and the
// given environment block against the process environment.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "child_process.h"
#include "entries.h"
#include "queryexe.h"
#include "test_support.h"
#include "text_field.h"

using namespace test_support;

namespace {

constexpr size_t kWidth = QueryExe::kNameWidth;

// Records every name handed to the locate step and finds nothing.
bool record(QueryExe &s, int32_t &, void *context)
{
    auto *names = static_cast<std::vector<std::string> *>(context);
    names->push_back(frame::field_text(s.nameBuffer, sizeof s.nameBuffer));
    return false;
}

std::vector<std::string> tried(const std::string &name, const char *block = nullptr)
{
    QueryExe storage;
    std::vector<std::string> names;
    std::string field = padded(name, kWidth);
    uint8_t kind = 0xEE;
    queryexe::lookup(storage, field.data(), &kind, block, record, &names);
    EXPECT_EQ(kind, queryexe::kNotFound);
    EXPECT_EQ(field, padded(name, kWidth));
    return names;
}

struct Found {
    uint8_t kind;
    std::string name; // the whole 250-character field
};

Found query(const std::string &name, const char *block = nullptr)
{
    Found found{0xEE, padded(name, kWidth)};
    const char *const environment = block;
    QUERYEXE(found.name.data(), &found.kind, &environment);
    return found;
}

// The field QUERYEXE hands back for a found program: name, zero byte, spaces.
std::string handed_back(const std::string &name) { return padded(name + '\0', kWidth); }

// An environment block from NAME=VALUE entries.
std::string block_of(std::initializer_list<std::string> entries)
{
    std::string block;
    for (const std::string &entry : entries)
        block += entry + '\0';
    return block + '\0';
}

} // namespace

TEST(QueryExeOrder, BareNameTriesBatchOnThePathBeforeExecutableHere)
{
    EXPECT_EQ(tried("TOOL"), (std::vector<std::string>{
                                 ".\\TOOL.bat", "$path\\TOOL.bat", "TOOL.exe", "$path\\TOOL.exe",
                                 "TOOL.lbr", "$cobdir\\TOOL.lbr", "TOOL.gnt", "$cobdir\\TOOL.gnt",
                                 "TOOL.int", "$cobdir\\TOOL.int"}));
    EXPECT_EQ(tried("TOOL ARG MORE"), tried("TOOL"));
}

TEST(QueryExeOrder, ExtensionOrDirectoryNarrowsTheSearch)
{
    EXPECT_EQ(tried("tool.exe"), (std::vector<std::string>{".\\tool.exe", "$path\\tool.EXE"}));
    EXPECT_EQ(tried("prog.int"), (std::vector<std::string>{".\\prog.int", "$cobdir\\prog.INT"}));
    EXPECT_EQ(
        tried("C:\\DIR\\PROG"),
        (std::vector<std::string>{"C:\\DIR\\PROG.bat", "C:\\DIR\\PROG.exe", "C:\\DIR\\PROG.lbr",
                                  "C:\\DIR\\PROG.gnt", "C:\\DIR\\PROG.int"}));
    EXPECT_EQ(tried("C:\\DIR\\PROG.COM"), (std::vector<std::string>{"C:\\DIR\\PROG.COM"}));
    std::vector<std::string> rooted = tried("\\PROG");
    ASSERT_EQ(rooted.size(), 5u);
    EXPECT_EQ(rooted[0], "\\PROG.bat");
    EXPECT_EQ(rooted[4], "\\PROG.int");
    EXPECT_EQ(tried("MY.LBR\\PROG.INT"),
              (std::vector<std::string>{".\\MY.LBR\\PROG.INT", "$cobdir\\MY.LBR\\PROG.INT"}));
    EXPECT_TRUE(tried(" TOOL").empty());
}

TEST(QueryExeOrder, GivenBlockListsTheVariablesDirectories)
{
    std::string block = block_of({"=C:=C:\\x", "PATH=C:\\P", "COBDIR=C:\\A;C:\\B"});
    std::vector<std::string> expected;
    for (const char *ext : {"bat", "exe", "lbr", "gnt", "int"})
        for (const char *dir : {"C:\\A", "C:\\B"})
            expected.push_back(std::string(dir) + "\\SUB\\PROG." + ext);
    EXPECT_EQ(tried("$COBDIR\\SUB\\PROG", block.c_str()), expected);

    // Only NAME= at the start of an entry counts; a lower-case Path= is not PATH.
    std::string lower = block_of({"XPATH=C:\\no", "Path=C:\\P"});
    std::vector<std::string> names = tried("TOOL", lower.c_str());
    EXPECT_EQ(names, (std::vector<std::string>{".\\TOOL.bat", "TOOL.exe", "TOOL.lbr", "TOOL.gnt",
                                               "TOOL.int"}));

    std::string empty = block_of({"PATH=;C:\\P"});
    names = tried("tool.exe", empty.c_str());
    EXPECT_EQ(names, (std::vector<std::string>{".\\tool.exe", "tool.EXE", "C:\\P\\tool.EXE"}));
}

TEST(QueryExeOrder, NameFillingTheWholeFieldIsTakenWhole)
{
    GuardedField name(kWidth);
    name.fill(std::string(kWidth, 'n'));
    QueryExe storage;
    std::vector<std::string> names;
    uint8_t kind = 0xEE;
    queryexe::lookup(storage, name.data(), &kind, nullptr, record, &names);
    EXPECT_EQ(kind, queryexe::kNotFound);
    ASSERT_EQ(names.size(), 10u);
    EXPECT_EQ(names[0], ".\\" + std::string(kWidth, 'n') + ".bat");
    EXPECT_EQ(names[2], std::string(kWidth, 'n') + ".exe");
}

TEST(QueryExeFind, BatchFileOnThePathBeatsExecutableInTheCurrentDirectory)
{
    CurrentDirectoryKeeper keep;
    TempDir here, onPath;
    test_support::write_file(here.file("TOOL.EXE"), "exe");
    test_support::write_file(onPath.file("tool.bat"), "@echo off");
    ScopedVariable path("PATH", "C:\\nowhere;" + onPath.path());
    ASSERT_TRUE(SetCurrentDirectoryA(here.path().c_str()));

    Found batch = query("TOOL");
    EXPECT_EQ(batch.kind, queryexe::kBatch);
    EXPECT_EQ(batch.name, handed_back(upper_case(onPath.file("tool.bat"))));

    Found exe = query("tool.exe arguments");
    EXPECT_EQ(exe.kind, queryexe::kExecutable);
    EXPECT_EQ(exe.name, handed_back(upper_case(here.file("TOOL.EXE"))));
}

TEST(QueryExeFind, RunTimeProgramsLeaveTheNameAsItWas)
{
    TempDir cobdir;
    test_support::write_file(cobdir.file("PROG.INT"), "int");
    test_support::write_file(cobdir.file("OTHER.COM"), "com");
    ScopedVariable variable("COBDIR", cobdir.path());

    Found prog = query("PROG");
    EXPECT_EQ(prog.kind, queryexe::kRunTimeProgram);
    EXPECT_EQ(prog.name, padded("PROG", kWidth));
    EXPECT_EQ(query("NOSUCHPROG").kind, queryexe::kNotFound);
    EXPECT_EQ(query("NOSUCHPROG").name, padded("NOSUCHPROG", kWidth));

    Found com = query(cobdir.file("other.com"));
    EXPECT_EQ(com.kind, queryexe::kExecutable);
    EXPECT_EQ(com.name, handed_back(upper_case(cobdir.file("OTHER.COM"))));
}

TEST(QueryExeFind, GivenBlockIsSearchedNotTheProcessEnvironment)
{
    TempDir a, b, processDir;
    CreateDirectoryA(b.file("SUB").c_str(), nullptr);
    test_support::write_file(b.file("SUB\\PROG.EXE"), "exe");
    CreateDirectoryA(processDir.file("SUB").c_str(), nullptr);
    test_support::write_file(processDir.file("SUB\\PROG.BAT"), "bat");
    ScopedVariable variable("COBDIR", processDir.path());

    std::string block = block_of({"COBDIR=" + a.path() + ";" + b.path()});
    Found inBlock = query("$COBDIR\\SUB\\PROG", block.c_str());
    EXPECT_EQ(inBlock.kind, queryexe::kExecutable);
    EXPECT_EQ(inBlock.name, handed_back(upper_case(b.file("SUB\\PROG.EXE"))));

    Found inProcess = query("$COBDIR\\SUB\\PROG");
    EXPECT_EQ(inProcess.kind, queryexe::kBatch);
    EXPECT_EQ(inProcess.name, handed_back(upper_case(processDir.file("SUB\\PROG.BAT"))));

    std::string without = block_of({"OTHER=" + b.path()});
    EXPECT_EQ(query("$COBDIR\\SUB\\PROG", without.c_str()).kind, queryexe::kNotFound);
}

TEST(QueryExeFind, MemberInsideALibraryFileAndTheLibraryReleased)
{
    CurrentDirectoryKeeper keep;
    TempDir dir;
    test_support::write_file(dir.file("PROG.INT"), "int code");
    std::string tool = test_support::program_dir() + "\\..\\dist\\LIBFILE.EXE";
    auto built =
        test_support::run_child(tool + " build " + dir.file("MY.LBR") + " " + dir.file("PROG.INT"));
    ASSERT_EQ(built.exitCode, 0u) << built.output;
    DeleteFileA(dir.file("PROG.INT").c_str());
    ASSERT_TRUE(SetCurrentDirectoryA(dir.path().c_str()));

    auto member_visible = [&] {
        std::string located(2 + 257, ' ');
        located[0] = 1;
        located[1] = 1;
        uint8_t mode = 0, pathFlag = 0, exist = 0;
        CBL_LOCATE_FILE((dir.file("MY.LBR") + "\\PROG.INT ").c_str(), &mode,
                        reinterpret_cast<uint8_t *>(located.data()), &exist, &pathFlag);
        return exist != 0;
    };

    Found bare = query("MY.LBR\\PROG");
    EXPECT_EQ(bare.kind, queryexe::kRunTimeProgram);
    EXPECT_EQ(bare.name, padded("MY.LBR\\PROG", kWidth));
    EXPECT_FALSE(member_visible());
    Found full = query(dir.file("my.lbr\\prog.int"));
    EXPECT_EQ(full.kind, queryexe::kRunTimeProgram);
    EXPECT_FALSE(member_visible());
    EXPECT_EQ(query(dir.file("MY.LBR\\NONE")).kind, queryexe::kNotFound);

    // A library its user opened stays open across the lookup.
    std::string record =
        std::string(1, static_cast<char>(dir.file("MY.LBR").size())) + dir.file("MY.LBR");
    uint8_t function = QX_LIBRARY_OPEN, result = 0xEE;
    ASSERT_EQ(qx_library_file(&function, reinterpret_cast<const uint8_t *>(record.data()), &result),
              0);
    EXPECT_EQ(query("MY.LBR\\PROG").kind, queryexe::kRunTimeProgram);
    EXPECT_TRUE(member_visible());
    std::string name = dir.file("MY.LBR");
    name.resize(255, ' ');
    EXPECT_EQ(qx_release_library(name.c_str()), 0);
}
