// Launching from the CD: the paths as a plain function, then a framework program placed
// in a temporary CD tree that starts a recording stand-in program.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "cd_tree.h"
#include "child_process.h"
#include "launch.h"
#include "message_box.h"
#include "settings.h"
#include "test_support.h"

using namespace test_support;

namespace {

std::string root_of(const std::string &path) { return path.substr(0, 3); }

LaunchPaths build(const char *module, const char *program, const char *folder,
                  const char *arguments, bool fits = true)
{
    LaunchPaths paths;
    EXPECT_EQ(BuildLaunchPaths(module, program, folder, arguments, &paths), fits);
    return paths;
}

TEST(StripTrailingBackslash, RemovesOneBackslashAtMost)
{
    char a[] = "E:\\FRONT\\", b[] = "E:\\\\", c[] = "", d[] = "E:\\FRONT";
    StripTrailingBackslash(a);
    StripTrailingBackslash(b);
    StripTrailingBackslash(c);
    StripTrailingBackslash(d);
    EXPECT_STREQ(a, "E:\\FRONT");
    EXPECT_STREQ(b, "E:\\");
    EXPECT_STREQ(c, "");
    EXPECT_STREQ(d, "E:\\FRONT");
}

TEST(BuildLaunchPaths, TheFiveEntriesFromOneFolderBelowTheRoot)
{
    const char *module = "E:\\FRONT\\ZELVANE.EXE";
    LaunchPaths info = build(module, "wordview.exe", "TRIVE", "trive.doc");
    EXPECT_EQ(info.directory, "E:\\TRIVE");
    EXPECT_EQ(info.commandLine, "E:\\TRIVE\\wordview.exe trive.doc");
    EXPECT_EQ(build(module, "tour.exe", "TRIVE", "").commandLine, "E:\\TRIVE\\tour.exe ");
    LaunchPaths sdk = build(module, "setup.exe", "WIN32SDK\\MSTOOLS\\BIN\\I386",
                            "/f /i ..\\..\\win32.inf /s \\win32sdk\\");
    EXPECT_EQ(sdk.directory, "E:\\WIN32SDK\\MSTOOLS\\BIN\\I386");
    EXPECT_EQ(
        sdk.commandLine,
        "E:\\WIN32SDK\\MSTOOLS\\BIN\\I386\\setup.exe /f /i ..\\..\\win32.inf /s \\win32sdk\\");
    LaunchPaths wincim = build(module, "setup.exe", "COMPUSRV\\WINDOWS\\WINCIM", "");
    EXPECT_EQ(wincim.directory, "E:\\COMPUSRV\\WINDOWS\\WINCIM");
    EXPECT_EQ(wincim.commandLine, "E:\\COMPUSRV\\WINDOWS\\WINCIM\\setup.exe ");
}

TEST(BuildLaunchPaths, EmptyFolderDeepTreeAndBlanks)
{
    LaunchPaths empty = build("C:\\cd root\\x\\FRONT\\ZELVANE.EXE", "run.exe", "", "a b");
    EXPECT_EQ(empty.directory, "C:\\cd root\\x");
    EXPECT_EQ(empty.commandLine, "C:\\cd root\\x\\run.exe a b") << "the path is not quoted";
}

TEST(BuildLaunchPaths, FrontEndInADriveRootTakesTheRootAsBase)
{
    LaunchPaths root = build("E:\\ZELVANE.EXE", "tour.exe", "TRIVE", "");
    EXPECT_EQ(root.directory, "E:\\TRIVE");
    EXPECT_EQ(root.commandLine, "E:\\TRIVE\\tour.exe ");
    LaunchPaths bare = build("E:\\ZELVANE.EXE", "tour.exe", "", "");
    EXPECT_EQ(bare.directory, "E:\\");
    EXPECT_EQ(bare.commandLine, "E:\\tour.exe ");
    // One level down with an empty folder, the base is still the root and keeps its
    // backslash: E: alone would be the drive's current directory.
    EXPECT_EQ(build("E:\\FRONT\\ZELVANE.EXE", "tour.exe", "", "").directory, "E:\\");
}

TEST(BuildLaunchPaths, LongerThanMaxPathIsRefused)
{
    std::string folder(257, 'F');
    LaunchPaths longDir = build("E:\\FRONT\\ZELVANE.EXE", "tour.exe", folder.c_str(), "", false);
    EXPECT_EQ(longDir.directory.size(), 260u);
    std::string arguments(242, 'a');
    LaunchPaths longLine =
        build("E:\\FRONT\\ZELVANE.EXE", "tour.exe", "TRIVE", arguments.c_str(), false);
    EXPECT_EQ(longLine.commandLine.size(), 18u + 242u);
    std::string module = "E:\\" + std::string(300, 'M') + "\\ZELVANE.EXE";
    build(module.c_str(), "tour.exe", "TRIVE", "", false);
    // Exactly 259 characters still fit.
    std::string fitting(259 - std::string("E:\\TRIVE\\tour.exe ").size(), 'z');
    EXPECT_EQ(
        build("E:\\FRONT\\ZELVANE.EXE", "tour.exe", "TRIVE", fitting.c_str()).commandLine.size(),
        259u);
}

// line without the quotes around its program path: the leading quote and the next one.
std::string without_program_quotes(std::string line)
{
    const size_t close = line.find('"', 1);
    if (!line.starts_with('"') || close == std::string::npos)
        return line;
    line.erase(close, 1);
    return line.erase(0, 1);
}

// A CD tree in a temporary folder: FRONT holds a copy of the launcher with the framework
// DLL; the recording stand-in lies in the folders the launches name.
class CdTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        cd.make_folders("FRONT");
        cd.copy_program("zelvane-launcher.exe", "FRONT\\ZELVANE.EXE");
        cd.copy_program("mfc.dll", "FRONT\\mfc.dll");
        for (const char *place :
             {"TRIVE\\tour.exe", "COMPUSRV\\WINDOWS\\WINCIM\\setup.exe", "run.exe"})
            cd.place_recorder(place);
    }
    void TearDown() override
    {
        // The stand-ins end by themselves; give them time to let go of their files.
        Sleep(200);
    }

    // Runs the launcher and returns its exit code, the number of launches that started.
    DWORD launch(const std::string &text, int show = -1)
    {
        ChildProcess child =
            start_child("\"" + base + "\\FRONT\\ZELVANE.EXE\" " + text, base + "\\FRONT", show);
        EXPECT_NE(child.process(), nullptr);
        if (!child)
            return 0xFFFFFFFF;
        if (!child.wait(5000)) {
            if (auto box = wait_for_message_box(child.id(), 100)) {
                ADD_FAILURE() << "unexpected box: " << box->text;
                press_ok(*box);
            }
        }
        child.wait(5000);
        DWORD code = 0xFFFFFFFF;
        GetExitCodeProcess(child.process(), &code);
        return code;
    }

    // The recorded starts, once count of them are there. The tree lies in a folder
    // with a blank, and Wine shows a child an unquoted program path with blanks in
    // quotes: those two quotes are taken out.
    std::vector<RecordedStart> starts(size_t count)
    {
        cd.wait_for_starts(count, 5000);
        std::vector<RecordedStart> found = cd.starts();
        for (RecordedStart &start : found)
            start.commandLine = without_program_quotes(start.commandLine);
        return found;
    }

    test_support::CdTree cd{"cd base"};
    std::string base = cd.path("");
};

TEST_F(CdTree, StartsTheProgramInItsFolderWithTheCommandLineAndStartupInfo)
{
    EXPECT_EQ(launch("1|tour.exe|TRIVE|", SW_SHOWMINNOACTIVE), 1u);
    auto started = starts(1);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].commandLine, base + "\\TRIVE\\tour.exe ");
    EXPECT_EQ(started[0].directory, base + "\\TRIVE");
    EXPECT_EQ(started[0].show, "1," + std::to_string(SW_SHOWMINNOACTIVE))
        << "the front-end's own start-up information is handed on";
}

TEST_F(CdTree, SeveralLevelsEmptyFolderAndTwoLaunchesInARow)
{
    EXPECT_EQ(launch("2|setup.exe|COMPUSRV\\WINDOWS\\WINCIM|/x y"), 2u);
    EXPECT_EQ(launch("1|run.exe||"), 1u);
    auto started = starts(3);
    ASSERT_EQ(started.size(), 3u);
    std::string deep = base + "\\COMPUSRV\\WINDOWS\\WINCIM";
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(started[i].commandLine, deep + "\\setup.exe /x y");
        EXPECT_EQ(started[i].directory, deep) << "the second launch builds its paths afresh";
    }
    EXPECT_EQ(started[2].commandLine, base + "\\run.exe ");
    EXPECT_EQ(started[2].directory, base);
}

TEST_F(CdTree, ArgumentTextSkipsTheBlanksBeforeItAndKeepsThoseAfter)
{
    EXPECT_EQ(launch("  \t 1|run.exe||x  "), 1u);
    auto started = starts(1);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].commandLine, base + "\\run.exe x  ");
}

TEST_F(CdTree, MissingProgramShowsTheBoxWithTheWholeCommandLine)
{
    ChildProcess child =
        start_child("\"" + base + "\\FRONT\\ZELVANE.EXE\" 1|gone.exe|TRIVE|", base + "\\FRONT");
    ASSERT_NE(child.process(), nullptr);
    auto box = wait_for_message_box(child.id(), 10000);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->caption, "ZELVANE") << "the application's name";
    EXPECT_EQ(box->text, "Unable to execute " + base + "\\TRIVE\\gone.exe ");
    press_ok(*box);
    EXPECT_EQ(WaitForSingleObject(child.process(), 5000), WAIT_OBJECT_0);
    DWORD code = 0xFFFFFFFF;
    GetExitCodeProcess(child.process(), &code);
    EXPECT_EQ(code, 0u);
}

TEST_F(CdTree, TooLongIsRefusedWithTheSameBox)
{
    std::string arguments(300, 'a');
    ChildProcess child = start_child(
        "\"" + base + "\\FRONT\\ZELVANE.EXE\" 1|tour.exe|TRIVE|" + arguments, base + "\\FRONT");
    ASSERT_NE(child.process(), nullptr);
    auto box = wait_for_message_box(child.id(), 10000);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->text.rfind("Unable to execute " + base + "\\TRIVE\\tour.exe aaa", 0), 0u);
    press_ok(*box);
    EXPECT_EQ(WaitForSingleObject(child.process(), 5000), WAIT_OBJECT_0);
    EXPECT_TRUE(cd.starts().empty());
}

// In the test program itself: the CD base is the build folder above the tests folder.
TEST(LaunchProgram, LeavesTheLaunchDirectoryCurrentAndTheWaitCursorOn)
{
    CurrentDirectoryKeeper keeper;
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_TRUE(LaunchProgram("zelvane-record.exe", "tests", ""));
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_WAIT));
    EXPECT_EQ(current_directory(), program_dir());

    SetCurrentDirectoryA(root_of(program_dir()).c_str());
    std::thread presser([] {
        if (auto box = wait_for_message_box(GetCurrentProcessId(), 10000)) {
            EXPECT_EQ(box->text, "Unable to execute " + program_dir() + "\\gone.exe -x");
            press_ok(*box);
        } else {
            ADD_FAILURE() << "no message box";
        }
    });
    EXPECT_FALSE(LaunchProgram("gone.exe", "tests", "-x"));
    presser.join();
    EXPECT_EQ(current_directory(), program_dir()) << "changed also when the start fails";
}

// The setting under the test program's own name, so a real front-end's value is safe.
class Setting : public ::testing::Test {
protected:
    void TearDown() override
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Velmora\\zelvane_core_test");
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Velmora");
    }
};

TEST_F(Setting, DefaultsToShowAndKeepsWhatWasWritten)
{
    CWinApp app;
    zelvane::UseSettingsKey(app);
    EXPECT_EQ(zelvane::ReadShowWhenCDInserted(app), 1);
    ASSERT_TRUE(zelvane::WriteShowWhenCDInserted(app, 0));
    EXPECT_EQ(zelvane::ReadShowWhenCDInserted(app), 0);
    DWORD value = 0xdeadbeef, size = sizeof value;
    EXPECT_EQ(RegGetValueA(HKEY_CURRENT_USER, "Software\\Velmora\\zelvane_core_test\\Zelvane",
                           "ShowWhenCDInserted", RRF_RT_REG_DWORD, nullptr, &value, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(value, 0u);
}

} // namespace
