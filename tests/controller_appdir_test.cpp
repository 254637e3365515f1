// The controller's application directory switch: level-by-level creation, the switch
// back, and failures that leave the current directory alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "appdir.h"
#include "controller.h"
#include "entries.h"
#include "test_support.h"

using namespace test_support;

namespace {

constexpr size_t kWidth = AppDirSwitch::kPathWidth;

bool is_directory(const std::string &path)
{
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// An action table whose header names dir as its application directory.
std::unique_ptr<ActionTable> table_for(const std::string &dir)
{
    auto table = std::make_unique<ActionTable>();
    std::memset(table->header.appDir, ' ', sizeof table->header.appDir);
    std::memcpy(table->header.appDir, dir.data(), dir.size());
    return table;
}

// The longest current directory the system allows, "X:\" and 255 more characters,
// made of nested levels under base: no one name may be longer than 255.
std::string longest_directory_under(const std::string &base)
{
    constexpr size_t kLongest = 258;
    std::string path = base;
    while (path.size() < kLongest) {
        // A separator and up to 100 letters, leaving no level without a letter.
        size_t room = kLongest - path.size() - 1;
        size_t letters = std::min<size_t>(room, 100);
        if (room - letters == 1)
            --letters;
        path.append(1, '\\').append(letters, 'd');
        CreateDirectoryA(path.c_str(), nullptr);
    }
    return path;
}

} // namespace

TEST(AppDirSwitch, CreatesMissingLevelsThenSwitchesBack)
{
    CurrentDirectoryKeeper keep;
    TempDir start;
    TempDir target;
    ASSERT_TRUE(SetCurrentDirectoryA(start.path().c_str()));
    ASSERT_TRUE(CreateDirectoryA(target.file("A").c_str(), nullptr));

    auto table = table_for(target.file("A\\B\\C"));
    EXPECT_EQ(TR0Set0AppDir(table.get()), 0);
    EXPECT_TRUE(is_directory(target.file("A\\B")));
    EXPECT_TRUE(is_directory(target.file("A\\B\\C")));
    EXPECT_EQ(upper_case(current_directory()), upper_case(target.file("A\\B\\C")));
    EXPECT_EQ(g_controller.dirSwitch.savedDrive, 'C');

    EXPECT_EQ(TR0Reset0CurDir(), 0);
    EXPECT_EQ(current_directory(), start.path());
    EXPECT_EQ(g_controller.dirSwitch.savedDrive, 0);
    // Nothing is due now: a second switch back does nothing.
    ASSERT_TRUE(SetCurrentDirectoryA(target.path().c_str()));
    EXPECT_EQ(TR0Reset0CurDir(), 0);
    EXPECT_EQ(current_directory(), target.path());
}

TEST(AppDirSwitch, OtherDriveThroughVariableAndBack)
{
    CurrentDirectoryKeeper keep;
    TempDir start;
    TempDir onZ("Z:\\tmp");
    ASSERT_FALSE(onZ.path().empty());
    ASSERT_TRUE(SetCurrentDirectoryA(start.path().c_str()));
    ScopedVariable root("PATHSZROOT", onZ.path() + ";C:\\unused");

    auto table = table_for("$PATHSZROOT\\new\\.\\level");
    EXPECT_EQ(TR0Set0AppDir(table.get()), 0);
    EXPECT_EQ(upper_case(current_directory()), upper_case(onZ.file("new\\level")));
    EXPECT_TRUE(is_directory(onZ.file("new")));
    EXPECT_EQ(TR0Reset0CurDir(), 0);
    EXPECT_EQ(current_directory(), start.path());
}

TEST(AppDirSwitch, ExistingDirectoryIsEnteredWithoutCreation)
{
    CurrentDirectoryKeeper keep;
    TempDir target;
    AppDirSwitch s;
    s.callStatus = 77;
    auto table = table_for(target.path());
    EXPECT_EQ(appdir::switch_to(s, table->header), 0);
    EXPECT_EQ(std::string(s.creationPath, 3), std::string(3, '\0'));
    EXPECT_EQ(upper_case(current_directory()), upper_case(target.path()));
}

TEST(AppDirSwitch, EmptyAppDirMakesNoCallAndKeepsTheStatus)
{
    CurrentDirectoryKeeper keep;
    TempDir here;
    ASSERT_TRUE(SetCurrentDirectoryA(here.path().c_str()));
    AppDirSwitch s;
    s.savedDrive = 'Z';
    s.callStatus = 35;
    ActionHeader header{};
    header.appDir[1] = 'X';
    EXPECT_EQ(appdir::switch_to(s, header), 35);
    EXPECT_EQ(s.savedDrive, 0);
    EXPECT_EQ(current_directory(), here.path());
}

TEST(AppDirSwitch, DirectoryNeitherEnteredNorCreatedLeavesTheCurrentOne)
{
    CurrentDirectoryKeeper keep;
    TempDir start;
    TempDir onZ("Z:\\tmp");
    ASSERT_TRUE(SetCurrentDirectoryA(start.path().c_str()));
    test_support::write_file(onZ.file("file"), "a file, not a directory");

    AppDirSwitch s;
    auto table = table_for(onZ.file("file\\sub"));
    int32_t status = appdir::switch_to(s, table->header);
    EXPECT_NE(status, 0);
    EXPECT_EQ(status, s.callStatus);
    EXPECT_EQ(current_directory(), start.path());
    EXPECT_EQ(s.savedDrive, 'C');
    appdir::switch_back(s);
    EXPECT_EQ(current_directory(), start.path());
    EXPECT_EQ(s.savedDrive, 0);
}

TEST(AppDirSwitch, DriveThatCannotBeSelectedStopsTheSwitch)
{
    CurrentDirectoryKeeper keep;
    TempDir start;
    ASSERT_TRUE(SetCurrentDirectoryA(start.path().c_str()));
    AppDirSwitch s;
    auto table = table_for("Q:\\nowhere");
    EXPECT_NE(appdir::switch_to(s, table->header), 0);
    EXPECT_FALSE(is_directory(start.file("nowhere")));
    EXPECT_EQ(current_directory(), start.path());
    EXPECT_EQ(s.savedDrive, 'C');
    appdir::switch_back(s);
    EXPECT_EQ(s.callStatus, 0);
    EXPECT_EQ(current_directory(), start.path());
}

TEST(AppDirSwitch, LongestCurrentDirectoryIsRestored)
{
    TempDir start;
    TempDir target;
    const std::string longest = longest_directory_under(start.path());
    ASSERT_EQ(longest.size(), 258u);
    CurrentDirectoryKeeper keep;
    ASSERT_TRUE(SetCurrentDirectoryA(longest.c_str()));
    auto table = table_for(target.path());

    EXPECT_EQ(TR0Set0AppDir(table.get()), 0);
    EXPECT_EQ(upper_case(current_directory()), upper_case(target.path()));
    EXPECT_EQ(TR0Reset0CurDir(), 0);
    EXPECT_EQ(current_directory(), longest);

    // A whole action (one entry that starts nothing) switches there and back.
    ASSERT_TRUE(SetCurrentDirectoryA(longest.c_str()));
    std::string bytes(sizeof(ActionHeader) + sizeof(ActionEntry), '\0');
    auto *action = reinterpret_cast<ActionTable *>(bytes.data());
    action->header = table->header;
    int32_t runMode = 0;
    EXPECT_EQ(TR010Action(action, &runMode), 1);
    EXPECT_EQ(g_controller.dirSwitch.callStatus, 0);
    EXPECT_EQ(current_directory(), longest);
}
