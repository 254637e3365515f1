// TARVEL.EXE started as a process, as a host program starts it: the action file's name
// as the whole command-line tail, the file in the child's current directory.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "child_process.h"
#include "message_box.h"
#include "owner.h"
#include "test_support.h"

using test_support::ChildRun;
using test_support::TempDir;

namespace {

const std::string kTarvel = test_support::wine_path(TARVEL_EXE);
constexpr size_t kHeader = 1784;
constexpr size_t kEntry = 2636;

ChildRun run_tarvel(const TempDir &dir, const std::string &tail)
{
    return test_support::run_child("\"" + kTarvel + "\" " + tail, dir.path(), 20000);
}

} // namespace

TEST(TarvelProcess, StartedByHandShowsTheBoxAndEndsWithItsResult)
{
    TempDir dir;
    test_support::ChildProcess child = test_support::start_child("\"" + kTarvel + "\"", dir.path());
    ASSERT_NE(child.process(), nullptr);
    auto box = test_support::wait_for_message_box(child.id(), 20000);
    if (box) {
        EXPECT_EQ(box->caption, "Orlisk");
        EXPECT_EQ(
            box->text,
            "This executable forms part of Orlisk and should not be run from the command line.\n"
            "Contact Technical Support if you received this message whilst using Visual Orlisk.");
        test_support::press_ok(*box);
    }
    DWORD exitCode = 0;
    if (child.wait(10000))
        GetExitCodeProcess(child.process(), &exitCode);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(exitCode, 1u);
}

TEST(TarvelProcess, ReadsAndDeletesTheActionFile)
{
    TempDir dir;
    for (size_t size : {kHeader, kHeader + kEntry, size_t(4520)}) {
        test_support::write_file(dir.file("ACTIONS"), std::string(size, '\0'));
        ChildRun run = run_tarvel(dir, "ACTIONS");
        ASSERT_TRUE(run.finished) << size;
        // A zero-filled entry starts nothing (runFlag 0), which leaves the result 1.
        EXPECT_EQ(run.exitCode, size == kHeader ? 0u : 1u) << size << ": " << run.output;
        EXPECT_FALSE(test_support::file_exists(dir.file("ACTIONS"))) << size;
    }
}

TEST(TarvelProcess, TwelveCharacterTailNamesTheFileByItsFirstTen)
{
    TempDir dir;
    test_support::write_file(dir.file("ABCDEFGHIJ"), std::string(kHeader, '\0'));
    test_support::write_file(dir.file("ABCDEFGHIJKL"), std::string(kHeader, '\0'));
    // A quoted program name and three blanks before the tail.
    ChildRun run = test_support::run_child("\"" + kTarvel + "\"   ABCDEFGHIJKL", dir.path(), 20000);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_FALSE(test_support::file_exists(dir.file("ABCDEFGHIJ")));
    EXPECT_TRUE(test_support::file_exists(dir.file("ABCDEFGHIJKL")));
}

TEST(TarvelProcess, FilesThatGiveNoTableEndWithTheirOwnCodesAndNoBox)
{
    TempDir dir;
    ChildRun missing = run_tarvel(dir, "NOFILE");
    ASSERT_TRUE(missing.finished);
    EXPECT_EQ(missing.exitCode, 2u);

    test_support::write_file(dir.file("SHORT"), std::string(1779, '\0'));
    ChildRun shortFile = run_tarvel(dir, "SHORT");
    ASSERT_TRUE(shortFile.finished);
    EXPECT_EQ(shortFile.exitCode, 4u);
    EXPECT_FALSE(test_support::file_exists(dir.file("SHORT")));

    // Held open without sharing, the file cannot be opened by the controller.
    test_support::write_file(dir.file("LOCKED"), std::string(kHeader + kEntry, '\0'));
    owner::unique_file held(CreateFileA(dir.file("LOCKED").c_str(), GENERIC_READ, 0, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_NE(held.get(), INVALID_HANDLE_VALUE);
    ChildRun locked = run_tarvel(dir, "LOCKED");
    held.reset();
    ASSERT_TRUE(locked.finished);
    EXPECT_EQ(locked.exitCode, 3u);
    EXPECT_TRUE(test_support::file_exists(dir.file("LOCKED")));
}

TEST(TarvelProcess, EntryPastTheFiveHundredthIsError153)
{
    TempDir dir;
    test_support::write_file(dir.file("FULL"), std::string(kHeader + 500 * kEntry, '\0'));
    ChildRun full = run_tarvel(dir, "FULL");
    ASSERT_TRUE(full.finished);
    // The last of its zero-filled entries starts nothing (runFlag 0): exit code 1.
    EXPECT_EQ(full.exitCode, 1u) << full.output;

    test_support::write_file(dir.file("OVER"), std::string(kHeader + 501 * kEntry, '\0'));
    ChildRun over = run_tarvel(dir, "OVER");
    ASSERT_TRUE(over.finished);
    EXPECT_EQ(over.exitCode, 153u);
    EXPECT_NE(over.output.find("error 153"), std::string::npos) << over.output;
    EXPECT_FALSE(test_support::file_exists(dir.file("OVER")));
}
