// The launch routines of W32RTNS against real child processes: output lines sent to
// a window of the test's own, exit codes, standard handles, the missing output
// window, thread start and the environment.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "entries.h"
#include "message_box.h"
#include "message_recorder.h"
#include "owner.h"
#include "qurdex.h"
#include "test_support.h"
#include "test_window.h"

using test_support::MessageRecorder;
using test_support::TempDir;

namespace {

std::atomic<int32_t> g_windowToGive{0};
std::atomic<int> g_windowAsks{0};

// The host entry as a host program supplies it: names the window for the lines.
int32_t give_output_window(int32_t *window)
{
    ++g_windowAsks;
    *window = g_windowToGive;
    return 0;
}

// The status and the window of the last search find_then_give_output_window made.
std::atomic<int32_t> g_searchStatus{-1};
std::atomic<uint32_t> g_searchFound{0};

// A host entry that first looks for a window of its own by class and title, as a host
// finding its output window may, then names the recorder's window.
int32_t find_then_give_output_window(int32_t *window)
{
    const uint32_t self = GetCurrentProcessId();
    uint32_t found = 0;
    g_searchStatus = GETWINDOWHANDLE(&self, "Host output", &found);
    g_searchFound = found;
    return give_output_window(window);
}

std::string writer() { return test_support::program_dir() + "\\w32-writer.exe"; }

struct Waited {
    int32_t status = -1;
    BigEndian32 exitCode{};
};

Waited wait_exe(const std::string &program, const std::string &arguments,
                void *environment = nullptr)
{
    Waited w;
    w.exitCode.set(0xEEEEEEEE);
    w.status = WAITEXE("", program.c_str(), arguments.c_str(), "", &environment, &w.exitCode);
    return w;
}

struct StandardHandles {
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    bool operator==(const StandardHandles &) const = default;
};

class Launch : public ::testing::Test {
protected:
    void SetUp() override
    {
        W32RTNS(); // the executable's entries are registered by the first entry
        qx_register_entry("QuennetGetOutputHandle", reinterpret_cast<void *>(&give_output_window));
        g_windowToGive = static_cast<int32_t>(reinterpret_cast<intptr_t>(recorder.window()));
        g_windowAsks = 0;
    }

    MessageRecorder recorder{0x0402, 0x0402};
};

using Lines = std::vector<std::string>;

} // namespace

TEST_F(Launch, LinesOfOutputAndErrorArriveInWriteOrder)
{
    Waited w = wait_exe(writer(), "out \"a\\r\\nb\\r\\n\" err \"E1\\r\\n\" out \"x\\ny\\rz\\r\\n\" "
                                  "out \"\\r\\n\" out \"first\\r\" sleep 300 out \"\\nsecond\"");
    EXPECT_EQ(w.status, 0);
    EXPECT_EQ(w.exitCode.get(), 0u);
    EXPECT_EQ(recorder.lines(), (Lines{"a", "b", "E1", "x\ny\rz", "", "first", "second"}));
    EXPECT_EQ(g_windowAsks, 1);
    for (const auto &m : recorder.messages) {
        EXPECT_EQ(m.wParam, 1u);
        EXPECT_EQ(m.blockSize, m.text.size() + 1) << m.text;
    }
}

TEST_F(Launch, LongLineArrivesInPiecesWithNothingLost)
{
    Waited w = wait_exe(writer(), "repeat 10000 z out \"\\r\\nend\"");
    EXPECT_EQ(w.status, 0);
    EXPECT_EQ(recorder.lines(), (Lines{std::string(4096, 'z'), std::string(4096, 'z'),
                                       std::string(1808, 'z'), "end"}));
}

TEST_F(Launch, ExitCodeBigEndianModuloABillionAndInFullAfterwards)
{
    Waited w = wait_exe(writer(), "exit 0xC0000005");
    EXPECT_EQ(w.status, 0);
    const uint8_t reduced[4] = {0x0D, 0x2F, 0xA2, 0x05};
    EXPECT_EQ(std::memcmp(w.exitCode.bytes, reduced, 4), 0);
    uint32_t last = 0;
    AGETLASTRETURNCODEFROMWAITCH(&last);
    const uint8_t full[4] = {0x05, 0x00, 0x00, 0xC0};
    EXPECT_EQ(std::memcmp(&last, full, 4), 0);
}

TEST(FreshProcess, LastExitCodeIsZeroBeforeAnyLaunch)
{
    if (!test_support::in_fresh_process())
        return;
    uint32_t last = 0xdeadbeef;
    AGETLASTRETURNCODEFROMWAITCH(&last);
    EXPECT_EQ(last, 0u);
}

TEST_F(Launch, ProgramThatCannotStartKeepsThePreviousExitCode)
{
    ASSERT_EQ(wait_exe(writer(), "exit 7").status, 0);
    recorder.messages.clear();
    StandardHandles before;
    Waited w = wait_exe("Z:\\no\\such\\program.exe", "x");
    EXPECT_EQ(w.status, 1);
    EXPECT_EQ(w.exitCode.get(), 7u);
    EXPECT_EQ(g_windowAsks, 2);
    EXPECT_TRUE(recorder.messages.empty());
    EXPECT_TRUE(StandardHandles{} == before);

    int32_t processId = 0x5EEEEEEE;
    void *environment = nullptr;
    EXPECT_EQ(QUENNETSTARTEXE("", "Z:\\no\\such\\program.exe", "", "", &environment, &processId),
              1);
    EXPECT_EQ(processId, 0);
}

TEST_F(Launch, ChildSeesItsCommandLineHiddenWindowPipesAndEmptyInput)
{
    TempDir dir;
    std::string file = dir.file("report.txt");
    Waited w = wait_exe(writer(), "report " + file + " stdin");
    ASSERT_EQ(w.status, 0);
    Lines seen = test_support::read_lines(file);
    ASSERT_EQ(seen.size(), 5u);
    EXPECT_EQ(seen[0], writer() + " report " + file + " stdin");
    char directory[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, directory);
    EXPECT_EQ(seen[1], directory);
    EXPECT_EQ(seen[2], std::to_string(STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW));
    EXPECT_EQ(seen[3], std::to_string(SW_HIDE));
    // The child's standard input is at its end from the start: it reads nothing and
    // does not wait.
    EXPECT_EQ(recorder.lines(), (Lines{"stdin 0"}));
}

TEST_F(Launch, StandardHandlesAreRestoredAndNoHandleLeaks)
{
    StandardHandles before;
    ASSERT_EQ(wait_exe(writer(), "out \"one\\r\\n\"").status, 0);
    EXPECT_TRUE(StandardHandles{} == before);
    uintptr_t afterFirst = test_support::next_handle_value();
    for (int i = 0; i < 200; ++i) {
        ASSERT_EQ(wait_exe(writer(), "out \"one\\r\\n\" err two").status, 0);
    }
    EXPECT_EQ(test_support::next_handle_value(), afterFirst);
    EXPECT_TRUE(StandardHandles{} == before);
    EXPECT_EQ(recorder.messages.size(), 1u + 200 * 2);
}

TEST_F(Launch, QuennetStartExeAndSinglExeWaitAndHandBackTheProcessId)
{
    TempDir dir;
    for (auto routine : {&QUENNETSTARTEXE, &SINGLEXE}) {
        std::string file = dir.file("pid.txt");
        DeleteFileA(file.c_str());
        int32_t processId = 0;
        void *environment = nullptr;
        std::string arguments = "sleep 300 report " + file + " out done";
        ASSERT_EQ(routine("", writer().c_str(), arguments.c_str(), "", &environment, &processId),
                  0);
        Lines seen = test_support::read_lines(file);
        ASSERT_EQ(seen.size(), 5u);
        EXPECT_EQ(seen[4], std::to_string(processId));
    }
    EXPECT_EQ(recorder.lines(), (Lines{"done", "done"}));
}

TEST_F(Launch, SpawnExeReturnsAtOnceWithDefaultHandlesAndShowState)
{
    ASSERT_EQ(wait_exe(writer(), "exit 3").status, 0);
    TempDir dir;
    std::string file = dir.file("spawned.txt");
    std::string arguments = "report " + file + " sleep 2000";
    void *environment = nullptr;
    DWORD start = GetTickCount();
    ASSERT_EQ(SPAWNEXE("", writer().c_str(), arguments.c_str(), "", &environment), 0);
    EXPECT_LT(GetTickCount() - start, 1500u);
    EXPECT_EQ(g_windowAsks, 1);

    Lines seen;
    for (int i = 0; i < 200 && seen.size() < 5; ++i, Sleep(50))
        seen = test_support::read_lines(file);
    ASSERT_EQ(seen.size(), 5u);
    DWORD flags = std::stoul(seen[2]);
    EXPECT_EQ(flags & (STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW), 0u);
    uint32_t last = 0;
    AGETLASTRETURNCODEFROMWAITCH(&last);
    EXPECT_EQ(last, 3u);
    owner::unique_handle child(OpenProcess(SYNCHRONIZE, FALSE, std::stoul(seen[4])));
    if (child)
        WaitForSingleObject(child.get(), 10000);
}

TEST_F(Launch, HostEntryThatCallsARoutineBeforeAnsweringStillGetsEveryLine)
{
    test_support::TestWindow hostWindow("WindowClassHostOutput", "Host output");
    ASSERT_NE(hostWindow.window(), nullptr);
    qx_register_entry("QuennetGetOutputHandle",
                      reinterpret_cast<void *>(&find_then_give_output_window));
    // The host's search succeeds (status 0) while the launch waits for its answer: the
    // launch's own status must not be the one the search left.
    g_searchStatus = -1;
    Waited w = wait_exe(writer(), "out \"one\\r\\ntwo\" exit 4");
    EXPECT_EQ(g_searchStatus, 0);
    EXPECT_EQ(g_searchFound, hostWindow.handle());
    EXPECT_EQ(w.status, 0);
    EXPECT_EQ(w.exitCode.get(), 4u);
    g_searchStatus = -1;
    g_searchFound = 0;
    int32_t processId = 0;
    void *environment = nullptr;
    EXPECT_EQ(QUENNETSTARTEXE("", writer().c_str(), "out three", "", &environment, &processId), 0);
    EXPECT_EQ(g_searchStatus, 0);
    EXPECT_EQ(g_searchFound, hostWindow.handle());
    EXPECT_NE(processId, 0);
    EXPECT_EQ(recorder.lines(), (Lines{"one", "two", "three"}));
}

TEST_F(Launch, CommandLineTooLongStartsNothing)
{
    StandardHandles before;
    Waited w = wait_exe(writer(), "out " + std::string(1100, 'a'));
    EXPECT_EQ(w.status, 1);
    EXPECT_EQ(g_windowAsks, 0);
    EXPECT_TRUE(recorder.messages.empty());
    EXPECT_TRUE(StandardHandles{} == before);
}

TEST_F(Launch, OutputWindowZeroShowsTheBoxThenDrainsTheOutput)
{
    g_windowToGive = 0;
    test_support::MessageBoxSeen seen;
    std::thread presser([&] {
        if (auto box = test_support::wait_for_message_box(GetCurrentProcessId(), 20000)) {
            seen = *box;
            test_support::press_ok(*box);
        }
    });
    // More output than a pipe holds: the child blocks until the collection drains it.
    Waited w = wait_exe(writer(), "out \"line\\r\\n\" repeat 300000 q out \"\\r\\nlast\" exit 5");
    presser.join();
    EXPECT_EQ(seen.caption, "Redirection Failure");
    EXPECT_EQ(seen.text, "Contact Technical Support.");
    EXPECT_EQ(w.status, 0);
    EXPECT_EQ(w.exitCode.get(), 5u);
    EXPECT_TRUE(recorder.messages.empty());
}

TEST_F(Launch, WaitsWhileAGrandchildHoldsTheOutputPipe)
{
    DWORD start = GetTickCount();
    Waited w = wait_exe(writer(), "spawn 1500 out \"spawned\\r\\n\"");
    EXPECT_EQ(w.status, 0);
    EXPECT_GE(GetTickCount() - start, 1400u);
    EXPECT_EQ(recorder.lines(), (Lines{"spawned"}));
}

TEST_F(Launch, LaunchesFromTwoThreadsTakeTurns)
{
    StandardHandles before;
    std::atomic<int> finished{0};
    auto run = [&](const char *name) {
        std::string arguments = std::string("out ") + name + "1\\r\\n sleep 400 out " + name + "2";
        wait_exe(writer(), arguments);
        ++finished;
    };
    std::thread a(run, "A"), b(run, "B");
    // The lines are sent to this thread's window, so it serves them meanwhile.
    EXPECT_TRUE(recorder.pump_until([&] { return finished == 2; }, 30000));
    a.join();
    b.join();
    Lines got = recorder.lines();
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[0].substr(1), "1");
    EXPECT_EQ(got[1], got[0].substr(0, 1) + "2");
    EXPECT_EQ(got[2].substr(1), "1");
    EXPECT_EQ(got[3], got[2].substr(0, 1) + "2");
    EXPECT_NE(got[0], got[2]);
    EXPECT_TRUE(StandardHandles{} == before);
}

TEST_F(Launch, EnvironmentOfTheCallerOrTheGivenBlock)
{
    SetEnvironmentVariableA("W32TEST", "own");
    std::string block;
    for (const char *p = QUENNETGETENV(); *p != '\0'; p += std::strlen(p) + 1)
        block += std::string(p) + '\0';
    EXPECT_NE(block.find(std::string("W32TEST=own") + '\0'), std::string::npos);

    ASSERT_EQ(wait_exe(writer(), "env W32TEST").status, 0);
    std::string given = std::string("W32TEST=given") + '\0' + block + '\0';
    ASSERT_EQ(wait_exe(writer(), "env W32TEST", given.data()).status, 0);
    EXPECT_EQ(recorder.lines(), (Lines{"own", "given"}));
}

namespace {
std::atomic<uint32_t> g_threadArgument{0};
std::atomic<bool> g_threadReturned{false};
HANDLE g_threadEntered = nullptr;
HANDLE g_threadRelease = nullptr;

int32_t thread_entry(uint32_t argument)
{
    g_threadArgument = argument;
    SetEvent(g_threadEntered);
    WaitForSingleObject(g_threadRelease, 5000);
    g_threadReturned = true;
    return 0;
}
} // namespace

TEST(StartThread, StartsTheThreadEntryWithTheNumberAndDoesNotWait)
{
    W32RTNS();
    qx_register_entry("tarvelthread", reinterpret_cast<void *>(&thread_entry));
    g_threadEntered = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    g_threadRelease = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    g_threadReturned = false;
    EXPECT_EQ(STARTTHREAD("00001234"), 0);
    // The thread is still held when STARTTHREAD has returned: it did not wait for it.
    EXPECT_FALSE(g_threadReturned);
    EXPECT_EQ(WaitForSingleObject(g_threadEntered, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(g_threadArgument, 1234u);
    SetEvent(g_threadRelease);
    for (int i = 0; i < 200 && !g_threadReturned; ++i)
        Sleep(25);
    EXPECT_TRUE(g_threadReturned);
    owner::close_field(g_threadEntered);
    owner::close_field(g_threadRelease);
    // The controller's own thread entry is the one later tests of this process expect.
    qx_register_entry("tarvelthread", reinterpret_cast<void *>(&tarvelthread));
}

// The controller's own thread entry takes the action file the eight digits name and
// deletes it once read.
TEST(StartThread, ControllerThreadTakesTheActionFileNamedByTheDigits)
{
    TempDir dir;
    char previous[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(dir.path().c_str()));
    test_support::write_file(dir.file("00004321"), std::string(1784, '\0'));
    EXPECT_EQ(STARTTHREAD("00004321"), 0);
    bool gone = false;
    for (int i = 0; i < 200 && !gone; ++i, Sleep(50))
        gone = !test_support::file_exists(dir.file("00004321"));
    SetCurrentDirectoryA(previous);
    EXPECT_TRUE(gone);
}
