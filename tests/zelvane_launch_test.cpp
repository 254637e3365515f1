// Launching from the CD: the paths as a plain function, then a framework program placed
// in a temporary CD tree that starts a recording stand-in program.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "launch.h"
#include "message_box.h"
#include "settings.h"
#include "test_support.h"

using namespace test_support;

namespace {

std::string root_of(const std::string &path)
{
    return path.substr(0, 3);
}

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
    EXPECT_EQ(sdk.commandLine,
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
    EXPECT_EQ(build("E:\\FRONT\\ZELVANE.EXE", "tour.exe", "TRIVE", fitting.c_str()).commandLine.size(),
              259u);
}

// A CD tree in a temporary folder: FRONT holds a copy of the launcher with the framework
// DLL; the recording stand-in lies in the folders the launches name.
class CdTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        base = root.file("cd base");
        for (const char *dir : {"", "\\FRONT", "\\TRIVE", "\\COMPUSRV", "\\COMPUSRV\\WINDOWS",
                                "\\COMPUSRV\\WINDOWS\\WINCIM"})
            CreateDirectoryA((base + dir).c_str(), nullptr);
        std::string bin = program_dir();
        CopyFileA((bin + "\\zelvane-launcher.exe").c_str(), (base + "\\FRONT\\ZELVANE.EXE").c_str(), FALSE);
        CopyFileA((bin + "\\mfc.dll").c_str(), (base + "\\FRONT\\mfc.dll").c_str(), FALSE);
        for (const char *place : {"\\TRIVE\\tour.exe", "\\COMPUSRV\\WINDOWS\\WINCIM\\setup.exe",
                                  "\\run.exe"})
            CopyFileA((bin + "\\zelvane-record.exe").c_str(), (base + place).c_str(), FALSE);
    }
    void TearDown() override
    {
        // The stand-ins end by themselves; give them time to let go of their files.
        Sleep(200);
    }

    // Runs the launcher and returns its exit code, the number of launches that started.
    DWORD launch(const std::string &text, int show = -1)
    {
        PROCESS_INFORMATION pi =
            start_child("\"" + base + "\\FRONT\\ZELVANE.EXE\" " + text, base + "\\FRONT", show);
        EXPECT_NE(pi.hProcess, nullptr);
        if (pi.hProcess == nullptr)
            return 0xFFFFFFFF;
        if (WaitForSingleObject(pi.hProcess, 5000) != WAIT_OBJECT_0) {
            if (auto box = wait_for_message_box(pi.dwProcessId, 100)) {
                ADD_FAILURE() << "unexpected box: " << box->text;
                press_ok(*box);
            }
        }
        WaitForSingleObject(pi.hProcess, 5000);
        DWORD code = 0xFFFFFFFF;
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
        return code;
    }

    // The recorded starts, each as its three lines, once count of them are there. Wine
    // shows a child an unquoted program path with blanks in quotes; they are dropped.
    std::vector<std::vector<std::string>> records(size_t count)
    {
        std::vector<std::vector<std::string>> blocks;
        for (int tries = 0; tries < 100; ++tries) {
            blocks.clear();
            std::string text = file_exists(record) ? read_file(record) : "";
            std::vector<std::string> lines;
            std::erase(text, '"');
            for (size_t at = 0, next; (next = text.find('\n', at)) != std::string::npos; at = next + 1)
                lines.push_back(text.substr(at, next - at));
            for (size_t i = 0; i + 3 <= lines.size(); i += 3)
                blocks.push_back({lines[i], lines[i + 1], lines[i + 2]});
            if (blocks.size() >= count)
                break;
            Sleep(50);
        }
        return blocks;
    }

    TempDir root;
    std::string base, record = root.file("record.txt");
    ScopedVariable recordFile{"ZELVANE_RECORD_FILE", record};
};

TEST_F(CdTree, StartsTheProgramInItsFolderWithTheCommandLineAndStartupInfo)
{
    EXPECT_EQ(launch("1|tour.exe|TRIVE|", SW_SHOWMINNOACTIVE), 1u);
    auto blocks = records(1);
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0][0], "cmdline=" + base + "\\TRIVE\\tour.exe ");
    EXPECT_EQ(blocks[0][1], "cwd=" + base + "\\TRIVE");
    EXPECT_EQ(blocks[0][2], "show=1," + std::to_string(SW_SHOWMINNOACTIVE))
        << "the front-end's own start-up information is handed on";
}

TEST_F(CdTree, SeveralLevelsEmptyFolderAndTwoLaunchesInARow)
{
    EXPECT_EQ(launch("2|setup.exe|COMPUSRV\\WINDOWS\\WINCIM|/x y"), 2u);
    EXPECT_EQ(launch("1|run.exe||"), 1u);
    auto blocks = records(3);
    ASSERT_EQ(blocks.size(), 3u);
    std::string deep = base + "\\COMPUSRV\\WINDOWS\\WINCIM";
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(blocks[i][0], "cmdline=" + deep + "\\setup.exe /x y");
        EXPECT_EQ(blocks[i][1], "cwd=" + deep) << "the second launch builds its paths afresh";
    }
    EXPECT_EQ(blocks[2][0], "cmdline=" + base + "\\run.exe ");
    EXPECT_EQ(blocks[2][1], "cwd=" + base);
}

TEST_F(CdTree, ArgumentTextSkipsTheBlanksBeforeItAndKeepsThoseAfter)
{
    EXPECT_EQ(launch("  \t 1|run.exe||x  "), 1u);
    auto blocks = records(1);
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0][0], "cmdline=" + base + "\\run.exe x  ");
}

TEST_F(CdTree, MissingProgramShowsTheBoxWithTheWholeCommandLine)
{
    PROCESS_INFORMATION pi = start_child("\"" + base + "\\FRONT\\ZELVANE.EXE\" 1|gone.exe|TRIVE|",
                                         base + "\\FRONT");
    ASSERT_NE(pi.hProcess, nullptr);
    auto box = wait_for_message_box(pi.dwProcessId, 10000);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->caption, "ZELVANE") << "the application's name";
    EXPECT_EQ(box->text, "Unable to execute " + base + "\\TRIVE\\gone.exe ");
    press_ok(*box);
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 5000), WAIT_OBJECT_0);
    DWORD code = 0xFFFFFFFF;
    GetExitCodeProcess(pi.hProcess, &code);
    EXPECT_EQ(code, 0u);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
}

TEST_F(CdTree, TooLongIsRefusedWithTheSameBox)
{
    std::string arguments(300, 'a');
    PROCESS_INFORMATION pi = start_child(
        "\"" + base + "\\FRONT\\ZELVANE.EXE\" 1|tour.exe|TRIVE|" + arguments, base + "\\FRONT");
    ASSERT_NE(pi.hProcess, nullptr);
    auto box = wait_for_message_box(pi.dwProcessId, 10000);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->text.rfind("Unable to execute " + base + "\\TRIVE\\tour.exe aaa", 0), 0u);
    press_ok(*box);
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 5000), WAIT_OBJECT_0);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    EXPECT_TRUE(records(0).empty());
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
