// Running actions in-process through TR010Action: the command line and directory each
// kind gives a program, the hand-over block and its read handle, the completion
// notice, the run flag, the choice of launch routine and the process id it records.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "action_text.h"
#include "child_process.h"
#include "controller.h"
#include "entries.h"
#include "action_steps.h"
#include "action_table.h"
#include "message_recorder.h"
#include "program.h"
#include "shared_memory.h"
#include "test_support.h"

using test_support::TempDir;

namespace {

HWND g_outputWindow = nullptr;
// A host thread's own output window, where it has one.
thread_local HWND t_outputWindow = nullptr;

// The host entry: the output lines go to the calling thread's window, else to the
// test's recorder window.
int32_t give_output_window(int32_t *window)
{
    HWND target = t_outputWindow != nullptr ? t_outputWindow : g_outputWindow;
    *window = static_cast<int32_t>(reinterpret_cast<intptr_t>(target));
    return 0;
}

std::string writer() { return test_support::program_dir() + "\\w32-writer.exe"; }

// A text as a quoted value of the action-file description.
std::string as_quoted_value(const std::string &text)
{
    std::string q = "\"";
    for (char c : text)
        q += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return q + "\"";
}

bool same_path(const std::string &a, const std::string &b)
{
    return _stricmp(a.c_str(), b.c_str()) == 0;
}

class Action : public ::testing::Test {
protected:
    void SetUp() override
    {
        frame::register_entries();
        qx_register_entry("QuennetGetOutputHandle", reinterpret_cast<void *>(&give_output_window));
        g_outputWindow = recorder.window();
        startDirectory = test_support::current_directory();
    }

    // A table whose application directory is the test's own, with one entry described
    // by the given field lines.
    void describe(const std::string &entryFields, const std::string &headerFields = "")
    {
        std::string error;
        ASSERT_TRUE(actionfile::parse("[header]\nappDir = " + app.path() + "\n" + headerFields +
                                          "[entry]\n" + entryFields,
                                      file, error))
            << error;
    }

    // TR010Action on the table, which it changes in place; null runMode: none passed.
    int32_t run(const int32_t *runMode)
    {
        std::string bytes = actionfile::to_bytes(file);
        int32_t result = TR010Action(reinterpret_cast<ActionTable *>(bytes.data()),
                                     const_cast<int32_t *>(runMode));
        std::string error;
        EXPECT_TRUE(actionfile::from_bytes(bytes, file, error));
        return result;
    }

    ActionEntry &entry() { return file.entries.at(0); }

    // A run whose action starts nothing returns 1, unless the handle of a notice that an
    // earlier run of this process sent is kept: the pipe's two calls then end the run
    // with FREESHAREDMEM's 0. Such a handle is let go here (its pipe is left to its
    // receiver), so that the 1 shows whichever tests ran before.
    static void forget_kept_notice() { g_controller.run.noticeReadHandle = 0; }

    // The bytes of a table whose entries each start the writer with "out TEXT", for a
    // line TEXT, in the application directory.
    std::string line_table(const std::vector<std::string> &texts)
    {
        std::string text = "[header]\nappDir = " + app.path() + "\n";
        for (const std::string &line : texts)
            text += "[entry]\nprogram = " + writer() + "\ncommandLine = out " + line + "\n";
        actionfile::ActionFile table;
        std::string error;
        EXPECT_TRUE(actionfile::parse(text, table, error)) << error;
        return actionfile::to_bytes(table);
    }

    // The action file tarvelthread(number) takes from the current directory, made the
    // application directory.
    void write_thread_file(uint32_t number, const std::vector<std::string> &texts)
    {
        ASSERT_TRUE(SetCurrentDirectoryA(app.path().c_str()));
        char name[9];
        std::snprintf(name, sizeof name, "%08u", number);
        test_support::write_file(app.file(name), line_table(texts));
    }

    // Runs each call on a thread of its own while this thread serves the output window;
    // true when all have returned within the time. Threads still running then are
    // left to themselves, so a hang fails the test instead of stopping it.
    bool run_on_threads(const std::vector<std::function<void()>> &calls, DWORD timeoutMs)
    {
        std::atomic<size_t> returned{0};
        std::vector<std::thread> threads;
        for (const auto &call : calls)
            threads.emplace_back([call, &returned] {
                call();
                ++returned;
            });
        const bool all = recorder.pump_until([&] { return returned == calls.size(); }, timeoutMs);
        for (std::thread &thread : threads) {
            if (all)
                thread.join();
            else
                thread.detach();
        }
        return all;
    }

    // A hand-over program under the name the controller looks for, in the application
    // directory with the run-time DLL it needs.
    void install_hand_over(const char *sample, const char *name)
    {
        const std::string dir = test_support::program_dir();
        ASSERT_TRUE(CopyFileA((dir + "\\" + sample).c_str(), app.file(name).c_str(), FALSE));
        ASSERT_TRUE(
            CopyFileA((dir + "\\qurdex.dll").c_str(), app.file("qurdex.dll").c_str(), FALSE));
    }

    test_support::CurrentDirectoryKeeper keeper;
    TempDir app;
    actionfile::ActionFile file;
    test_support::MessageRecorder recorder{0x0402, 0x2001};
    std::string startDirectory;
    const int32_t runModeOne = 1;
    const int32_t runModeZero = 0;
};

} // namespace

TEST_F(Action, EachKindGivesItsCommandLineInTheApplicationDirectory)
{
    describe("program = " + writer() + "\ncommandLine = report probe.txt exit 7\nkind = 7\n");
    EXPECT_EQ(run(&runModeOne), 0);
    std::vector<std::string> report = test_support::read_lines(app.file("probe.txt"));
    ASSERT_GE(report.size(), 2u);
    EXPECT_EQ(report[0], writer() + " report probe.txt exit 7");
    EXPECT_TRUE(same_path(report[1], app.path())) << report[1];
    EXPECT_EQ(g_controller.action.exitCode.get(), 7u);
    EXPECT_EQ(file.header.processId, 1u) << "run mode 1 records process 1";
    EXPECT_TRUE(same_path(test_support::current_directory(), startDirectory)) << "switched back";

    // Kind 4 names the interpreter before the command; the program stays the entry's.
    describe("program = " + writer() + "\ncommandLine = report probe.txt\nkind = 4\n");
    EXPECT_EQ(run(&runModeOne), 0);
    report = test_support::read_lines(app.file("probe.txt"));
    ASSERT_FALSE(report.empty());
    EXPECT_EQ(report[0], writer() + " cmd.exe /c report probe.txt");
}

TEST_F(Action, InterpreterRunsTheCommandAndItsOutputArrivesAsLines)
{
    describe("program = cmd.exe\ncommandLine = echo interpreted\nkind = 4\n");
    EXPECT_EQ(run(nullptr), 0);
    std::vector<std::string> got = recorder.lines();
    EXPECT_NE(std::find(got.begin(), got.end(), "interpreted"), got.end());
}

TEST_F(Action, TextsWithoutTheirNulEndAtTheirFieldsEnd)
{
    // A command that fills the field: after the prefix, 757 of its bytes are kept and
    // the text ends there.
    std::string command = "report probe.txt ";
    command += std::string(768 - command.size(), 'x');
    describe("program = " + writer() + "\ncommandLine = " + as_quoted_value(command) +
             " unended\nkind = 4\n");
    run(&runModeOne);
    std::vector<std::string> report = test_support::read_lines(app.file("probe.txt"));
    ASSERT_FALSE(report.empty());
    EXPECT_EQ(report[0], writer() + " cmd.exe /c " + command.substr(0, 757));

    // A program name without its NUL is the whole field, spaces and all.
    describe("program = " + as_quoted_value(writer()) +
             " unended\ncommandLine = report probe.txt\nkind = 1\n");
    run(&runModeOne);
    report = test_support::read_lines(app.file("probe.txt"));
    ASSERT_FALSE(report.empty());
    EXPECT_EQ(report[0], writer() + std::string(260 - writer().size(), ' ') + " report probe.txt");
}

TEST_F(Action, HandOverProgramGetsTheReadHandleAndTheBlock)
{
    // An earlier run with run mode 1 leaves process 1 recorded; without a run mode the
    // header then gets that id, not its own 0.
    describe("program = " + writer() + "\ncommandLine = exit 0\n");
    ASSERT_EQ(run(&runModeOne), 0);
    install_hand_over("handover-report.exe", "tramespe.exe");
    describe(
        "program = original.exe\ncommandLine = original arguments\nkind = 5\nwindow = 0x1234\n",
        "sharedPart = shared by every hand-over\n");
    const actionfile::ActionFile before = file;
    ASSERT_EQ(file.header.processId, 0u);
    EXPECT_EQ(run(nullptr), 0);

    const std::string digits(g_controller.action.handleDigits, 10);
    EXPECT_EQ(digits.find_first_not_of("0123456789"), std::string::npos) << digits;
    EXPECT_EQ(g_controller.action.handleDigits[10], '\0');
    std::vector<std::string> got = recorder.lines();
    const std::string started = "hand-over: started as " + app.file("tramespe.exe") + " " + digits;
    ASSERT_FALSE(got.empty());
    EXPECT_TRUE(same_path(got[0], started)) << got[0];

    std::string block = test_support::read_file(app.file("handover.bin"));
    std::string expected(before.header.sharedPart, sizeof before.header.sharedPart);
    expected.append(reinterpret_cast<const char *>(&before.entries[0]), kEntryHandOverPart);
    ASSERT_EQ(block.size(), sizeof(HandOverBlock));
    EXPECT_EQ(block, expected);

    // The entry now names the hand-over program as QUERYEXE found it.
    std::string program(entry().program, strnlen(entry().program, sizeof entry().program));
    EXPECT_TRUE(same_path(program, app.file("tramespe.exe"))) << program;
    EXPECT_EQ(file.header.processId, 1u);
}

TEST_F(Action, HandOverProgramNotFoundIsNotStartedAndLeavesNoPipe)
{
    describe("program = original.exe\nkind = 5\n");
    forget_kept_notice();
    uintptr_t before = test_support::next_handle_value();
    // The name QUERYEXE did not find keeps its spaces and has no NUL: the launch is
    // handed the 260 bytes of the field and nothing after them, and fails.
    const int32_t result = run(nullptr);
    const uintptr_t after = test_support::next_handle_value();
    EXPECT_EQ(result, 1) << "WAITEXE did not start it";
    EXPECT_EQ(after, before);
    EXPECT_EQ(std::string(entry().program, sizeof entry().program),
              "tramespe.exe" + std::string(260 - 12, ' '));
}

TEST_F(Action, CompletionNoticeComesThroughThePipeNamedByTheMessage)
{
    describe("program = " + writer() +
             "\ncommandLine = exit 0xC0000005\nkind = 7\nnoticeTag = BUILD\n"
             "window = " +
             std::to_string(reinterpret_cast<uintptr_t>(recorder.window())) + "\n");
    // FREESHAREDMEM's 0 is the result, not SENDMSG's 1: the two calls ended the run.
    EXPECT_EQ(run(nullptr), 0);
    ASSERT_TRUE(recorder.pump_until(
        [&] {
            return std::any_of(recorder.messages.begin(), recorder.messages.end(),
                               [](const auto &m) { return m.message == 0x2001; });
        },
        5000));
    auto notice = std::find_if(recorder.messages.begin(), recorder.messages.end(),
                               [](const auto &m) { return m.message == 0x2001; });
    EXPECT_EQ(notice->wParam, 0u);
    EXPECT_EQ(static_cast<uint32_t>(notice->lParam), g_controller.run.noticeReadHandle);

    HANDLE readHandle = reinterpret_cast<HANDLE>(notice->lParam);
    HANDLE writeHandle = nullptr;
    void *data = nullptr;
    ASSERT_EQ(READSHAREDMEM(readHandle, &writeHandle, &data), 0);
    EXPECT_EQ(static_cast<BlockHeader *>(data)[-1].totalLength, 28u);
    const auto *n = static_cast<const CompletionNotice *>(data);
    EXPECT_EQ(n->one, 1u);
    const uint8_t exitCode[4] = {0x0D, 0x2F, 0xA2, 0x05};
    EXPECT_EQ(std::memcmp(n->exitCode.bytes, exitCode, 4), 0);
    EXPECT_EQ(std::string(n->noticeTag, 12), "BUILD       ");
    FINISHSHAREDMEM(readHandle, writeHandle, data);

    // A later run that sends no notice still makes the two calls with the kept handle,
    // so a run flag of 0 (result 1) ends with FREESHAREDMEM's 0.
    describe("program = " + writer() + "\nrunFlag = 0\n");
    EXPECT_EQ(run(nullptr), 0);
}

TEST_F(Action, NoNoticeForTagZeroNoWindowOrHandOver)
{
    const std::string window = std::to_string(reinterpret_cast<uintptr_t>(recorder.window()));
    // A notice an earlier run sent keeps its handle; none of these runs sends a new one.
    const uint32_t kept = g_controller.run.noticeReadHandle;
    describe("program = " + writer() + "\nwindow = " + window + "\n");
    run(nullptr);
    describe("program = " + writer() + "\nnoticeTag = BUILD\n");
    run(nullptr);
    describe("program = " + writer() + "\nnoticeTag = BUILD\nwindow = " + window + "\n");
    run(&runModeOne);
    recorder.pump_until([] { return false; }, 300);
    EXPECT_TRUE(std::none_of(recorder.messages.begin(), recorder.messages.end(),
                             [](const auto &m) { return m.message == 0x2001; }));
    EXPECT_EQ(g_controller.run.noticeReadHandle, kept);
}

TEST_F(Action, RunFlagZeroStartsNothingAndKeepsTheHeader)
{
    describe("program = " + writer() + "\ncommandLine = report probe.txt\nkind = 3\nrunFlag = 0\n",
             "processId = 77\n");
    forget_kept_notice();
    EXPECT_EQ(run(&runModeOne), 1);
    EXPECT_FALSE(test_support::file_exists(app.file("probe.txt")));
    EXPECT_TRUE(same_path(test_support::current_directory(), startDirectory));
    EXPECT_EQ(file.header.processId, 77u);

    // A hand-over entry still hands its block over and is renamed, and leaves no pipe.
    describe("program = original.exe\nkind = 5\nrunFlag = 0\n", "processId = 77\n");
    uintptr_t before = test_support::next_handle_value();
    EXPECT_EQ(run(&runModeOne), 1);
    EXPECT_EQ(test_support::next_handle_value(), before);
    EXPECT_EQ(std::string(entry().program, 12), "kalvope.exe ");
    EXPECT_EQ(file.header.processId, 77u);
}

TEST_F(Action, RunModeChoosesTheLaunchAndTheRecordedProcess)
{
    describe("program = " + writer() + "\ncommandLine = report probe.txt\n");
    EXPECT_EQ(run(&runModeZero), 0);
    std::vector<std::string> report = test_support::read_lines(app.file("probe.txt"));
    ASSERT_GE(report.size(), 5u);
    EXPECT_EQ(std::to_string(file.header.processId), report[4]) << "SINGLEXE's process id";

    // With a process recorded, QUENNETSTARTEXE starts the next one and records it.
    DeleteFileA(app.file("probe.txt").c_str());
    EXPECT_EQ(run(&runModeZero), 0);
    report = test_support::read_lines(app.file("probe.txt"));
    ASSERT_GE(report.size(), 5u);
    EXPECT_EQ(std::to_string(file.header.processId), report[4]);

    // Without a run mode nothing is recorded anew: the header gets what the last run
    // mode left.
    const uint32_t kept = file.header.processId;
    file.header.processId = 5;
    EXPECT_EQ(run(nullptr), 0);
    EXPECT_EQ(file.header.processId, kept);
}

TEST_F(Action, HandOverStartedBySingleExeSendsItsEntryBack)
{
    install_hand_over("handover-reply.exe", "tramespe.exe");
    describe("program = original.exe\ncommandLine = original arguments\nkind = "
             "5\nreportedProcessId = 4242\n");
    uintptr_t before = test_support::next_handle_value();
    EXPECT_EQ(run(&runModeZero), 0);
    EXPECT_EQ(test_support::next_handle_value(), before);
    EXPECT_EQ(std::string(entry().noticeTag, 12), "REPLIED     ");
    EXPECT_NE(entry().reportedProcessId, 4242u);
    EXPECT_EQ(file.header.processId, entry().reportedProcessId);
    // The entry that came back is the one handed over, with the program it named.
    EXPECT_EQ(std::string(entry().program, 13), std::string("original.exe\0", 13));
}

TEST_F(Action, HandOverStartedBySingleExeWithoutAnswerRecordsTheReportedProcess)
{
    install_hand_over("handover-report.exe", "tramespe.exe");
    describe("program = original.exe\nkind = 5\nreportedProcessId = 4242\n");
    EXPECT_EQ(run(&runModeZero), 0);
    EXPECT_EQ(file.header.processId, 4242u);
    EXPECT_EQ(std::string(entry().noticeTag, 12), "0           ");
    EXPECT_TRUE(test_support::file_exists(app.file("handover.bin")));
}

TEST_F(Action, HandOverProgramThatLeavesItsBlockUnreadSendsNothingBack)
{
    // A program that never reads its pipe: the controller's own block still lies there.
    install_hand_over("w32-writer.exe", "tramespe.exe");
    describe("program = original.exe\nkind = 5\nreportedProcessId = 4242\n");
    EXPECT_EQ(run(&runModeZero), 0);
    // The program name pins the fault: a block taken for a reply would bring back the
    // entry as it was handed over, "original.exe". The process id is 4242 either way,
    // since that entry reports the same one.
    std::string program(entry().program, strnlen(entry().program, sizeof entry().program));
    EXPECT_TRUE(same_path(program, app.file("tramespe.exe")))
        << "the entry stays as the run left it";
    EXPECT_EQ(file.header.processId, 4242u);

    // Nor does one that could not be started.
    DeleteFileA(app.file("tramespe.exe").c_str());
    describe("program = original.exe\nkind = 5\nreportedProcessId = 4242\n");
    EXPECT_EQ(run(&runModeZero), 0);
    EXPECT_EQ(std::string(entry().program, sizeof entry().program),
              "tramespe.exe" + std::string(260 - 12, ' '));
}

TEST_F(Action, NoticePipeIsNotInheritedByLaterChildren)
{
    const std::string window = std::to_string(reinterpret_cast<uintptr_t>(recorder.window()));
    describe("program = " + writer() +
             "\ncommandLine = exit 9\nnoticeTag = BUILD\nwindow = " + window + "\n");
    run(nullptr);
    HANDLE noticeRead =
        reinterpret_cast<HANDLE>(static_cast<uintptr_t>(g_controller.run.noticeReadHandle));
    HANDLE noticeWrite = g_controller.action.noticeWriteHandle;
    for (HANDLE end : {noticeRead, noticeWrite}) {
        DWORD flags = 0xdeadbeef;
        ASSERT_TRUE(GetHandleInformation(end, &flags));
        EXPECT_EQ(flags & HANDLE_FLAG_INHERIT, 0u);
    }
    // The next action's child does not hold the notice's read end, whose block still
    // waits for the receiver.
    describe("program = " + writer() + "\ncommandLine = peek " +
             std::to_string(reinterpret_cast<uintptr_t>(noticeRead)) + "\n");
    run(nullptr);
    EXPECT_EQ(recorder.lines(), (std::vector<std::string>{"peek none"}));

    HANDLE writeHandle = nullptr;
    void *data = nullptr;
    ASSERT_EQ(READSHAREDMEM(noticeRead, &writeHandle, &data), 0);
    EXPECT_EQ(static_cast<const CompletionNotice *>(data)->exitCode.get(), 9u);
    EXPECT_EQ(FINISHSHAREDMEM(noticeRead, writeHandle, data), 0);
}

TEST_F(Action, TablesOnTwoThreadsRunOneAfterTheOtherEachWhole)
{
    write_thread_file(71, {"A1", "A2", "A3"});
    write_thread_file(72, {"B1", "B2", "B3", "B4", "B5", "B6", "B7"});
    ASSERT_TRUE(run_on_threads({[] { tarvelthread(71); }, [] { tarvelthread(72); }}, 60000));
    const std::vector<std::string> a = {"A1", "A2", "A3"};
    const std::vector<std::string> b = {"B1", "B2", "B3", "B4", "B5", "B6", "B7"};
    std::vector<std::string> aThenB = a, bThenA = b;
    aThenB.insert(aThenB.end(), b.begin(), b.end());
    bThenA.insert(bThenA.end(), a.begin(), a.end());
    const std::vector<std::string> got = recorder.lines();
    EXPECT_TRUE(got == aThenB || got == bThenA) << ::testing::PrintToString(got);
}

TEST_F(Action, TableFromAnotherThreadWaitsForTheRunningFileTable)
{
    const std::vector<std::string> fileLines = {"F1", "F2", "F3", "F4",  "F5",  "F6",
                                                "F7", "F8", "F9", "F10", "F11", "F12"};
    write_thread_file(73, fileLines);
    std::string other = line_table({"X"});
    std::atomic<bool> fileRunStarted{false};
    recorder.onMessage = [&](const test_support::RecordedMessage &) { fileRunStarted = true; };
    const bool returned =
        run_on_threads({[] { tarvelthread(73); },
                        [&] {
                            // Called once the file table's first line has arrived.
                            for (int i = 0; i < 6000 && !fileRunStarted; ++i)
                                Sleep(5);
                            TR010Action(reinterpret_cast<ActionTable *>(other.data()),
                                        const_cast<int32_t *>(&runModeOne));
                        }},
                       60000);
    recorder.onMessage = nullptr;
    ASSERT_TRUE(returned);
    std::vector<std::string> expected = fileLines;
    expected.push_back("X");
    EXPECT_EQ(recorder.lines(), expected);
}

TEST_F(Action, HostThreadsLaunchBetweenTheActionsOfARunningTable)
{
    constexpr int kActions = 40, kLaunches = 10;
    std::vector<std::string> tableLines;
    for (int i = 1; i <= kActions; ++i)
        tableLines.push_back(std::to_string(i));
    write_thread_file(74, tableLines);
    test_support::MessageRecorder hostRecorder{0x0402, 0x0402};
    std::atomic<bool> tableStarted{false};
    std::atomic<int> tableLinesSeen{0}, tableActionsWhenHostsEnded{-1};
    recorder.onMessage = [&](const test_support::RecordedMessage &) {
        tableStarted = true;
        ++tableLinesSeen;
    };
    std::vector<int32_t> statuses[2];
    std::vector<uint32_t> exitCodes[2];
    auto host = [&](int which) {
        for (int i = 0; i < 6000 && !tableStarted; ++i)
            Sleep(5);
        t_outputWindow = hostRecorder.window();
        for (int i = 0; i < kLaunches; ++i) {
            char arguments[40];
            std::snprintf(arguments, sizeof arguments, "out H%d-%d exit %d", which, i,
                          100 * which + i);
            void *environment = nullptr;
            BigEndian32 exitCode{};
            statuses[which].push_back(
                WAITEXE("", writer().c_str(), arguments, "", &environment, &exitCode));
            exitCodes[which].push_back(exitCode.get());
        }
    };
    std::atomic<int> hostsLeft{2};
    auto host_then_count = [&](int which) {
        host(which);
        if (--hostsLeft == 0)
            tableActionsWhenHostsEnded = tableLinesSeen.load();
    };
    const bool returned = run_on_threads(
        {[] { tarvelthread(74); }, [&] { host_then_count(0); }, [&] { host_then_count(1); }},
        120000);
    recorder.onMessage = nullptr;
    ASSERT_TRUE(returned);
    // Every action of the table ran, whole and in order, with its lines in its window.
    EXPECT_EQ(recorder.lines(), tableLines);
    // The hosts' launches did not wait for the whole table: they went between its actions.
    EXPECT_LT(tableActionsWhenHostsEnded, kActions);
    // Each launch returned its own exit code; each host's lines came once, in its order.
    std::vector<std::string> host0, host1;
    for (const std::string &line : hostRecorder.lines())
        (line.rfind("H0-", 0) == 0 ? host0 : host1).push_back(line);
    for (int which = 0; which < 2; ++which) {
        const std::vector<std::string> &got = which == 0 ? host0 : host1;
        ASSERT_EQ(got.size(), size_t(kLaunches)) << which;
        for (int i = 0; i < kLaunches; ++i) {
            char line[16];
            std::snprintf(line, sizeof line, "H%d-%d", which, i);
            EXPECT_EQ(got[i], line);
            EXPECT_EQ(statuses[which][i], 0);
            EXPECT_EQ(exitCodes[which][i], uint32_t(100 * which + i));
        }
    }
}

TEST_F(Action, CallsFromTheLineHandlerOnTheRunningThreadAreRefused)
{
    std::string inner = line_table({"inner"});
    int32_t nestedAction = -1, nestedLaunch = -1;
    recorder.onMessage = [&](const test_support::RecordedMessage &m) {
        if (m.message != 0x0402 || nestedAction != -1)
            return;
        nestedAction = TR010Action(reinterpret_cast<ActionTable *>(inner.data()),
                                   const_cast<int32_t *>(&runModeOne));
        void *environment = nullptr;
        BigEndian32 exitCode{};
        nestedLaunch =
            WAITEXE("", writer().c_str(), "report nested.txt", "", &environment, &exitCode);
    };
    describe("program = " + writer() + "\ncommandLine = out \"one\\r\\ntwo\" exit 3\nkind = 7\n");
    EXPECT_EQ(run(&runModeOne), 0);
    recorder.onMessage = nullptr;
    EXPECT_EQ(nestedAction, kControllerBusy);
    EXPECT_EQ(nestedLaunch, 1);
    EXPECT_EQ(recorder.lines(), (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(g_controller.action.exitCode.get(), 3u);
    EXPECT_FALSE(test_support::file_exists(app.file("nested.txt")));
    EXPECT_TRUE(same_path(test_support::current_directory(), startDirectory));
}

TEST(ActionSteps, NineXFamilyTakesCommandComAndTheGaPrograms)
{
    ActionEntry e{};
    std::memcpy(e.commandLine, "dir\0", 4);
    action::CommandLine line;
    action::interpreter_command_line(e, 131, line);
    EXPECT_EQ(std::string(line, 19), std::string("command.com /c dir\0", 19));
    action::interpreter_command_line(e, 5, line);
    EXPECT_EQ(std::string(line, 15), "command.com /c ");
    action::interpreter_command_line(e, 3, line);
    EXPECT_EQ(std::string(line, 15), std::string("cmd.exe /c dir\0", 15));

    char program[260];
    action::write_hand_over_program(0, 5, program);
    EXPECT_EQ(std::string(program, 13), "tramesga.exe ");
    action::write_hand_over_program(9, 131, program);
    EXPECT_EQ(std::string(program, 12), "kalvoga.exe ");
    EXPECT_EQ(program[259], ' ');
}
