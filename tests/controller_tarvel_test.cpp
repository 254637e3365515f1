// The controller's entries called in-process: tarvelthread's file naming and loading,
// and TR010Action on a caller's table.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "action_file.h"
#include "controller.h"
#include "entries.h"
#include "qurdex.h"
#include "test_support.h"

using test_support::TempDir;

namespace {

std::string action_file(size_t size, char fill = '\0') { return std::string(size, fill); }

// Runs each test with a temporary folder as the current directory, where the
// controller looks for its action files.
class ThreadEntry : public ::testing::Test {
protected:
    void SetUp() override
    {
        GetCurrentDirectoryA(MAX_PATH, saved_);
        ASSERT_TRUE(SetCurrentDirectoryA(dir_.path().c_str()));
    }
    void TearDown() override { SetCurrentDirectoryA(saved_); }
    std::string file(const std::string &name) const { return dir_.file(name); }

    TempDir dir_;
    char saved_[MAX_PATH] = {};
};

} // namespace

TEST_F(ThreadEntry, ThreadNumberNamesTheFileByItsLowEightDigits)
{
    test_support::write_file(file("00000123"), action_file(4420));
    // Its one zero-filled entry starts nothing (runFlag 0): result 1.
    EXPECT_EQ(tarvelthread(123), 1);
    EXPECT_EQ(std::string(g_controller.run.fileName, 10), "00000123  ");
    EXPECT_EQ(g_controller.run.actionCount, 1u);
    EXPECT_FALSE(test_support::file_exists(file("00000123")));

    test_support::write_file(file("23456789"), action_file(1784));
    EXPECT_EQ(tarvelthread(123456789), 0);
    EXPECT_EQ(std::string(g_controller.run.fileName, 10), "23456789  ");
    EXPECT_EQ(g_controller.run.actionCount, 0u);
    EXPECT_FALSE(test_support::file_exists(file("23456789")));
}

TEST_F(ThreadEntry, EntryCountDropsThePartialEntry)
{
    const struct {
        size_t size;
        uint32_t count;
    } cases[] = {{1780, 0}, {1784, 0}, {4415, 0}, {4420, 1}, {4520, 1}, {7056, 2}};
    for (const auto &c : cases) {
        test_support::write_file(file("00000007"), action_file(c.size));
        // Zero-filled entries start nothing (runFlag 0), which gives 1.
        EXPECT_EQ(tarvelthread(7), c.count == 0 ? 0 : 1) << c.size;
        EXPECT_EQ(g_controller.run.actionCount, c.count) << c.size;
        EXPECT_EQ(g_controller.run.actionIndex, c.count + 1) << c.size;
    }
}

TEST_F(ThreadEntry, EntryCutShortByTheFileEndsInZeros)
{
    // 4419 bytes count as one entry, whose last byte (runFlag) is past the file's end.
    test_support::write_file(file("00000009"), action_file(4419, '\xFF'));
    EXPECT_EQ(tarvelthread(9), 1) << "an entry that starts nothing gives 1";
    ASSERT_EQ(g_controller.run.actionCount, 1u);
    const ActionEntry &entry = g_controller.run.loadedBlock->entries[0];
    EXPECT_EQ(entry.kind, 0xFF);
    EXPECT_EQ(entry.runFlag, 0);
}

TEST_F(ThreadEntry, MissingAndShortFilesRunNothing)
{
    g_controller.run.actionIndex = 0;
    EXPECT_EQ(tarvelthread(11), kActionFileMissing);
    test_support::write_file(file("00000012"), action_file(1779));
    EXPECT_EQ(tarvelthread(12), kActionFileShort);
    EXPECT_EQ(g_controller.run.actionCount, 0u);
    EXPECT_EQ(g_controller.run.actionIndex, 0u);
    EXPECT_FALSE(test_support::file_exists(file("00000012")));
}

TEST(TR010Action, RunsOnlyTheFirstEntryOfTheCallersTable)
{
    // Entries that start nothing (runFlag 0): the run's result is the 1 that says so.
    std::string bytes = action_file(sizeof(ActionHeader) + 3 * sizeof(ActionEntry));
    auto *table = reinterpret_cast<ActionTable *>(bytes.data());
    int32_t runMode = 0;
    std::memset(g_controller.run.osInfo + 2, 0, sizeof g_controller.run.osInfo - 2);

    EXPECT_EQ(TR010Action(table, &runMode), 1);
    EXPECT_EQ(g_controller.run.actionCount, 1u);
    EXPECT_EQ(g_controller.run.actionIndex, 2u);
    EXPECT_EQ(g_controller.run.osInfo[2], QX_OS_NT);
    EXPECT_EQ(TR010Action(nullptr, &runMode), kNoActionTable);
}
