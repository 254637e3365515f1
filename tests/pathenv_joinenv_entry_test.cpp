// JOINENV end to end: called by name in this process over its real environment, and
// in child processes started with environment blocks of the test's own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "child_process.h"
#include "env_block.h"
#include "entries.h"
#include "program.h"
#include "test_support.h"
#include "text_field.h"

using Entries = std::vector<std::string>;
using test_support::env_block;
using test_support::env_block_bytes;
using test_support::TempDir;

namespace {

Entries entries_of(const std::string &block) { return test_support::env_entries(block.c_str()); }

// The entries with "=" of a base, names upper-cased, in ascending order of the name
// padded with spaces; equal names keep their order.
Entries base_in_order(const std::string &block)
{
    Entries entries;
    for (const std::string &e : entries_of(block)) {
        size_t eq = e.find('=');
        if (eq != std::string::npos)
            entries.push_back(frame::upper_text(e.substr(0, eq)) + e.substr(eq));
    }
    auto key = [](const std::string &e) {
        std::string name = e.substr(0, e.find('='));
        name.resize(256, ' ');
        return name;
    };
    std::stable_sort(entries.begin(), entries.end(),
                     [&](const std::string &a, const std::string &b) { return key(a) < key(b); });
    return entries;
}

std::string value_in(const Entries &entries, const std::string &name)
{
    for (const std::string &e : entries)
        if (e.compare(0, name.size() + 1, name + "=") == 0)
            return e.substr(name.size() + 1);
    return "<none>";
}

using JoinEntry = decltype(&JOINENV);

JoinEntry join_by_name()
{
    frame::register_entries();
    return reinterpret_cast<JoinEntry>(qx_lookup("JOINENV"));
}

struct ChildResult {
    test_support::ChildRun run;
    std::string base;
    std::string result;
};

// Starts the child with its own environment block and setting texts.
ChildResult run_join_child(const TempDir &dir, const std::string &environment, uint32_t count,
                           const Entries &texts)
{
    std::string out = dir.file("join");
    std::string textFile = dir.file("texts");
    std::string joined;
    for (size_t i = 0; i < texts.size(); ++i)
        joined += (i ? "\x01" : "") + texts[i];
    test_support::write_file(textFile, joined);
    std::string command = "\"" + test_support::program_dir() + "\\joinenv_child.exe\" " + out +
                          " " + std::to_string(count) + " " + textFile;
    ChildResult r;
    r.run = test_support::run_child(command, dir.path(), 30000, environment.c_str());
    if (test_support::file_exists(out + ".base"))
        r.base = test_support::read_file(out + ".base");
    if (test_support::file_exists(out + ".result"))
        r.result = test_support::read_file(out + ".result");
    return r;
}

} // namespace

// The base is read once per process, at the first call of this program: in a process
// where nothing called it yet, that is the environment as the process has it then.
TEST(JoinenvInProcess, TheProcessBaseInOrderThenSettingsThenTheSameBaseAgain)
{
    if (!test_support::in_fresh_process())
        return;
    TempDir tmp;
    test_support::ScopedVariable tmpVariable("TMP", tmp.path().c_str());
    JoinEntry join = join_by_name();
    ASSERT_NE(join, nullptr);
    EXPECT_EQ(reinterpret_cast<void *>(join), reinterpret_cast<void *>(&JOINENV));

    char *environment = GetEnvironmentStringsA();
    ASSERT_NE(environment, nullptr);
    const std::string processBase = env_block_bytes(environment);
    FreeEnvironmentStringsA(environment);
    uint32_t count = 0;
    const char *none = "";
    Entries first = entries_of(
        env_block_bytes(join(&count, none, none, none, none, none, none, none, none, none)));
    EXPECT_EQ(first, base_in_order(processBase));
    // What Wine set when the process started, and no test changes, is there as it is.
    char windir[MAX_PATH] = {};
    ASSERT_GT(GetEnvironmentVariableA("windir", windir, sizeof windir), 0u);
    EXPECT_EQ(value_in(first, "WINDIR"), windir);
    std::string path = value_in(first, "PATH");
    ASSERT_NE(path, "<none>");

    // Changes of the process environment after the base was read do not show.
    test_support::ScopedVariable later("JOINENV_LATER", "1");
    count = 12;
    const char *t1 = "PATH=%path%;C:\\ADDED\nFIRST=%T9%";
    const char *t9 = "T9=nine\nwindir=changed";
    Entries second =
        entries_of(env_block_bytes(join(&count, t1, none, none, none, none, none, none, none, t9)));
    EXPECT_EQ(value_in(second, "PATH"), path + ";C:\\ADDED");
    EXPECT_EQ(value_in(second, "FIRST"), "nine");
    EXPECT_EQ(value_in(second, "WINDIR"), "changed");
    EXPECT_EQ(value_in(second, "JOINENV_LATER"), "<none>");
    EXPECT_EQ(second.size(), first.size() + 2);

    count = 0;
    Entries third = entries_of(
        env_block_bytes(join(&count, none, none, none, none, none, none, none, none, none)));
    EXPECT_EQ(third, first);
    EXPECT_FALSE(test_support::file_exists(tmp.file("zkorgsrt.dat")));
}

TEST(JoinenvChild, AnEnvironmentOfOurOwnMergedAndTheWorkFileGone)
{
    TempDir dir;
    std::string environment = env_block(
        {"=C:=C:\\WORK", "Path=C:\\DOS", "=D:=D:\\", "a=1", "TMP=" + dir.path(), "zz=last"});
    ChildResult r = run_join_child(
        dir, environment, 2, {"Y=%X%bar\nPATH=%path%;C:\\BIN\nZA=%ZZ%", "X=foo\nA=2\n\nB=50%"});
    ASSERT_TRUE(r.run.finished);
    ASSERT_EQ(r.run.exitCode, 0u) << r.run.output;
    Entries base = base_in_order(r.base);
    EXPECT_EQ(value_in(base, "PATH"), "C:\\DOS");
    // Whatever the system adds to a new process, ours come out merged, in order.
    Entries got = entries_of(r.result);
    Entries expected = base;
    auto set = [&](const std::string &name, const std::string &value) {
        for (std::string &e : expected)
            if (e.compare(0, name.size() + 1, name + "=") == 0) {
                e = name + "=" + value;
                return;
            }
        expected.push_back(name + "=" + value);
    };
    set("A", "2");
    set("B", "50%");
    set("X", "foo");
    set("Y", "foobar");
    set("PATH", "C:\\DOS;C:\\BIN");
    set("ZA", "last");
    std::stable_sort(
        expected.begin(), expected.end(), [](const std::string &a, const std::string &b) {
            std::string x = a.substr(0, a.find('=')), y = b.substr(0, b.find('='));
            return x + std::string(256 - x.size(), ' ') < y + std::string(256 - y.size(), ' ');
        });
    EXPECT_EQ(got, expected);
    EXPECT_EQ(got[0], "=C:=C:\\WORK");
    EXPECT_EQ(got[1], "=D:=D:\\");
    EXPECT_EQ(r.result.size(), env_block(got).size());
    EXPECT_FALSE(test_support::file_exists(dir.file("zkorgsrt.dat")));
}

TEST(JoinenvChild, WithoutTmpTheWorkFileIsInTheCurrentDirectoryAndGone)
{
    TempDir dir;
    ChildResult r = run_join_child(dir, env_block({"ONLY=1"}), 0, {});
    ASSERT_EQ(r.run.exitCode, 0u) << r.run.output;
    Entries got = entries_of(r.result);
    EXPECT_NE(std::find(got.begin(), got.end(), "ONLY=1"), got.end());
    EXPECT_EQ(value_in(entries_of(r.base), "TMP"), "<none>");
    EXPECT_FALSE(test_support::file_exists(dir.file("zkorgsrt.dat")));
}

TEST(JoinenvChild, ASortThatCannotMakeItsWorkFileIsReportedAndTheBlockGivenAll)
{
    // No TMP, and a directory in the current directory takes the work file's name.
    TempDir dir;
    ASSERT_TRUE(CreateDirectoryA(dir.file("zkorgsrt.dat").c_str(), nullptr));
    ChildResult r = run_join_child(dir, env_block({"b=2", "A=1", "=C:=C:\\WORK"}), 1, {"A=%B%"});
    ASSERT_TRUE(r.run.finished);
    EXPECT_EQ(r.run.exitCode, 0u) << r.run.output;
    EXPECT_NE(r.run.output.find("qurdex: file error 30 on zkorgsrt.dat"), std::string::npos)
        << r.run.output;
    EXPECT_EQ(value_in(entries_of(r.base), "TMP"), "<none>");
    Entries expected = base_in_order(r.base);
    for (std::string &e : expected)
        if (e == "A=1")
            e = "A=2";
    EXPECT_EQ(entries_of(r.result), expected);
}

TEST(JoinenvChild, ABaseOverSixtyFourKilobytesGivesEveryEntry)
{
    TempDir dir;
    std::string big(30000, 'v');
    ChildResult r =
        run_join_child(dir, env_block({"B1=" + big, "B2=" + big, "B3=" + big, "TMP=" + dir.path()}),
                       1, {"C=%B3%"});
    ASSERT_TRUE(r.run.finished);
    EXPECT_EQ(r.run.exitCode, 0u) << r.run.output;
    EXPECT_GT(r.base.size(), 65535u);
    Entries withC = entries_of(r.base);
    withC.push_back("C=" + big);
    EXPECT_EQ(entries_of(r.result), base_in_order(env_block(withC)));
}

TEST(JoinenvChild, TwoThreadsCallingAtOnceTakeTurns)
{
    TempDir dir;
    std::string out = dir.file("threads");
    std::string command =
        "\"" + test_support::program_dir() + "\\joinenv_child.exe\" " + out + " threads 200";
    test_support::ChildRun run = test_support::run_child(
        command, dir.path(), 60000, env_block({"A=1", "TMP=" + dir.path()}).c_str());
    ASSERT_TRUE(run.finished) << run.output;
    std::string result = test_support::read_file(out + ".result");
    EXPECT_EQ(run.exitCode, 0u) << result << run.output;
    int atOnce = -1, inside = -1, allocations = -1, missing = -1;
    ASSERT_EQ(std::sscanf(result.c_str(), "at once %d inside %d allocations %d missing %d", &atOnce,
                          &inside, &allocations, &missing),
              4)
        << result;
    // The two threads did call at the same time, and the calls allocated; two calls
    // inside at once show as allocations that meet, and none did.
    EXPECT_GT(atOnce, 0) << result;
    EXPECT_GT(allocations, 0) << result;
    EXPECT_EQ(inside, 0) << result;
    EXPECT_EQ(missing, 0) << result;
}
