// The program frame in-process: the process entry's tail and show command, the
// registration of the entry table, the first-call lock, and the handle owners.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <future>
#include <string>
#include <thread>

#include "child_process.h"
#include "entries.h"
#include "owner.h"
#include "process_entry.h"
#include "program.h"

using namespace std::chrono_literals;

TEST(ProcessEntry, TailSkipsTheProgramNameAndTheBlanksAfterIt)
{
    EXPECT_STREQ(frame::command_line_tail("\"C:\\Program Files\\TARVEL.EXE\"   abc"), "abc");
    EXPECT_STREQ(frame::command_line_tail("TARVEL.EXE  abc"), "abc");
    EXPECT_STREQ(frame::command_line_tail("TARVEL.EXE"), "");
    EXPECT_STREQ(frame::command_line_tail("\"C:\\My Tools\\TARVEL.EXE\""), "");
    // A quoted name ends at its closing quote even with no blank after it.
    EXPECT_STREQ(frame::command_line_tail("\"a b\"abc def"), "abc def");
    // Control characters count as blanks both ending the name and after it.
    EXPECT_STREQ(frame::command_line_tail("TARVEL.EXE\t\x01 abc "), "abc ");
    EXPECT_STREQ(frame::command_line_tail("TARVEL\tabc"), "abc");
    // An unclosed quote takes the whole line as the name.
    EXPECT_STREQ(frame::command_line_tail("\"TARVEL.EXE abc"), "");
    // Characters above the space (bytes of a code page) belong to the name.
    EXPECT_STREQ(frame::command_line_tail("T\xE9L abc"), "abc");
}

TEST(ProcessEntry, ShowCommandOnlyWhenTheStartupInfoSetsIt)
{
    STARTUPINFOA startup{};
    startup.wShowWindow = SW_SHOWMINIMIZED;
    EXPECT_EQ(frame::show_command(startup), SW_SHOWDEFAULT);
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    EXPECT_EQ(frame::show_command(startup), SW_SHOWMINIMIZED);
    startup.wShowWindow = SW_HIDE;
    EXPECT_EQ(frame::show_command(startup), SW_HIDE);
}

namespace {

// True once the thread whose id thread holds (0 until the thread has set it) waits for
// an object, within timeout_ms. The thread is suspended to read where it is: Wine shows
// a thread blocked in a wait with its instruction pointer in the wait's system-call
// stub in ntdll, 16 bytes long.
bool wait_until_waiting(const std::atomic<DWORD> &thread, DWORD timeout_ms)
{
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    const char *const stubs[] = {
        reinterpret_cast<const char *>(GetProcAddress(ntdll, "NtWaitForSingleObject")),
        reinterpret_cast<const char *>(GetProcAddress(ntdll, "NtWaitForMultipleObjects"))};
    auto waiting = [&] {
        owner::unique_handle handle(
            OpenThread(THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT, FALSE, thread.load()));
        if (!handle || SuspendThread(handle.get()) == static_cast<DWORD>(-1))
            return false;
        CONTEXT context{};
        context.ContextFlags = CONTEXT_CONTROL;
        const bool read = GetThreadContext(handle.get(), &context) != 0;
        ResumeThread(handle.get());
        const char *at = reinterpret_cast<const char *>(static_cast<uintptr_t>(context.Eip));
        return read && std::any_of(std::begin(stubs), std::end(stubs), [at](const char *stub) {
                   return stub != nullptr && at >= stub && at < stub + 16;
               });
    };
    for (DWORD waited = 0; !waiting(); waited += 10) {
        if (waited >= timeout_ms)
            return false;
        Sleep(10);
    }
    return true;
}

} // namespace

TEST(Registration, WaitsForTheRunTimeLockThenMakesTheEntriesCallable)
{
    // The table must not be registered yet.
    if (!test_support::in_fresh_process())
        return;
    qx_lock_registration();
    std::atomic<DWORD> registeringThread{0};
    std::thread registering([&] {
        registeringThread = GetCurrentThreadId();
        frame::register_entries();
    });
    // Once the thread has called register_entries, the run-time's lock is all it can
    // wait for there; without waiting it would have registered the table and ended.
    EXPECT_TRUE(wait_until_waiting(registeringThread, 10000));
    EXPECT_EQ(qx_lookup("tarvelthread"), nullptr);
    qx_unlock_registration();
    registering.join();

    EXPECT_EQ(qx_lookup("TARVEL"), reinterpret_cast<void *>(&TARVEL));
    EXPECT_EQ(qx_lookup("TR010Action"), reinterpret_cast<void *>(&TR010Action));
    EXPECT_EQ(qx_lookup("tarvelthread"), reinterpret_cast<void *>(&tarvelthread));
    EXPECT_EQ(qx_lookup("_TARVEL"), nullptr);
}

TEST(Registration, OnceDoneTakesNoLock)
{
    frame::register_entries();
    qx_lock_registration();
    auto again = std::async(std::launch::async, [] { frame::register_entries(); });
    EXPECT_EQ(again.wait_for(5s), std::future_status::ready);
    qx_unlock_registration();
}

struct Probe {
    uint8_t initialised = 0;
};

TEST(FirstCall, TwoThreadsAtOnceOnlyOneInitialises)
{
    Probe probe;
    int32_t first = 77, second = 77;
    // Hold the program lock so both threads find the flag unset and queue on the lock.
    CBL_THREAD_PROG_LOCK(&probe);
    std::thread a([&] { frame::first_call(probe, first); });
    std::thread b([&] { frame::first_call(probe, second); });
    Sleep(200);
    EXPECT_EQ(probe.initialised, 0);
    CBL_THREAD_PROG_UNLOCK(&probe);
    a.join();
    b.join();

    EXPECT_EQ(probe.initialised, 0xFF);
    EXPECT_TRUE((first == 0 && second == 77) || (first == 77 && second == 0))
        << "first " << first << ", second " << second;
}

TEST(FirstCall, LaterCallsKeepTheCodeAndTakeNoLock)
{
    Probe probe;
    int32_t code = 77;
    frame::first_call(probe, code);
    EXPECT_EQ(code, 0);

    CBL_THREAD_PROG_LOCK(&probe);
    int32_t later = 77;
    auto call = std::async(std::launch::async, [&] { frame::first_call(probe, later); });
    EXPECT_EQ(call.wait_for(5s), std::future_status::ready);
    CBL_THREAD_PROG_UNLOCK(&probe);
    call.wait();
    EXPECT_EQ(later, 77);
}

// A close that fails does not overwrite what the failing call before it reported.
TEST(Owner, ClosingLeavesTheLastErrorAsItWas)
{
    owner::unique_handle stale(reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x7ffffffc)));
    SetLastError(0xdeadbeef);
    stale.reset();
    EXPECT_EQ(GetLastError(), 0xdeadbeefu);
}

TEST(Owner, ReleasedHandleStaysOpenUntilItsFieldIsClosed)
{
    owner::unique_handle held(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(held);
    HANDLE field = held.release();
    EXPECT_FALSE(held);
    DWORD flags = 0;
    EXPECT_TRUE(GetHandleInformation(field, &flags));
    const HANDLE closed = field;
    owner::close_field(field);
    EXPECT_EQ(field, nullptr);
    EXPECT_FALSE(GetHandleInformation(closed, &flags));
}
