// The window routines of W32RTNS and W32ENUM's matching, on windows of the test's own.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

#include "entries.h"
#include "message_recorder.h"
#include "owner.h"
#include "program.h"
#include "qurdex.h"
#include "test_support.h"
#include "test_window.h"
#include "w32enum.h"

using test_support::TestWindow;

namespace {

const uint32_t kOwnProcess = GetCurrentProcessId();
// Process ids are multiples of four; this one belongs to no process.
const uint32_t kNoProcess = 0x7FFFFFF1;

} // namespace

TEST(Windows, WindowHandleByClassPrefixAndTitlePrefix)
{
    // Created first and last, so that in either enumeration order the class check is
    // what passes over the plain Window.
    TestWindow plainBefore("Window", "Build log");
    TestWindow wanted("WindowClassMain", "Build log");
    TestWindow plainAfter("Window", "Build log");

    uint32_t found = 0xdeadbeef;
    EXPECT_EQ(GETWINDOWHANDLE(&kOwnProcess, "Build", &found), 0);
    EXPECT_EQ(found, wanted.handle());

    found = 0xdeadbeef;
    EXPECT_EQ(GETWINDOWHANDLE(&kOwnProcess, "B", &found), 0) << "one character compares one byte";
    EXPECT_EQ(found, wanted.handle());

    found = 0xdeadbeef;
    EXPECT_EQ(GETWINDOWHANDLE(&kOwnProcess, "build", &found), 1)
        << "titles compare case-sensitively";
    EXPECT_EQ(found, 0u);

    found = 0xdeadbeef;
    EXPECT_EQ(GETWINDOWHANDLE(&kNoProcess, "Build", &found), 1);
    EXPECT_EQ(found, 0u);
}

TEST(Windows, TitleOfFortyCharactersNeverMatches)
{
    const char title40[] = "0123456789012345678901234567890123456789";
    static_assert(sizeof title40 == 41);
    TestWindow full("WindowClass", title40);
    TestWindow shorter("WindowClassX", "012345678901234567890123456789012345678");
    uint32_t found = 0xdeadbeef;
    EXPECT_EQ(GETWINDOWHANDLE(&kOwnProcess, title40, &found), 1);
    EXPECT_EQ(found, 0u);
    // Thirty-nine characters fit the window text read and match.
    EXPECT_EQ(GETWINDOWHANDLE(&kOwnProcess, "012345678901234567890123456789012345678", &found), 0);
    EXPECT_TRUE(found == full.handle() || found == shorter.handle());
}

TEST(Windows, ShortTitleIsNotReadPastItsEnd)
{
    TestWindow wanted("WindowClassMain", "ab");
    // The title ends right before an inaccessible page: reading 40 bytes of it faults.
    test_support::GuardedField title(3);
    std::memcpy(title.data(), "ab", 3);
    uint32_t found = 0;
    EXPECT_EQ(GETWINDOWHANDLE(&kOwnProcess, title.data(), &found), 0);
    EXPECT_EQ(found, wanted.handle());

    // An empty title is its NUL alone, the last readable byte: it matches an empty
    // window text, and the byte after it is never read.
    TestWindow untitled("WindowClassEmpty", "");
    test_support::GuardedField empty(1);
    empty.data()[0] = '\0';
    found = 0;
    EXPECT_EQ(GETWINDOWHANDLE(&kOwnProcess, empty.data(), &found), 0);
    EXPECT_EQ(found, untitled.handle());
}

TEST(Windows, SwitchProgramThenProcessIdReportsItsStatus)
{
    TestWindow own("WindowClassMain", "switch target");
    uint32_t pid = kOwnProcess;
    EXPECT_EQ(SWITCHPROGRAM(&pid), 0);
    EXPECT_EQ(GETPROCESSID(&pid), 0);
    EXPECT_EQ(pid, kOwnProcess);

    uint32_t none = kNoProcess;
    HWND foreground = GetForegroundWindow();
    EXPECT_EQ(SWITCHPROGRAM(&none), 1);
    EXPECT_EQ(GetForegroundWindow(), foreground);
    EXPECT_EQ(GETPROCESSID(&none), 1);
    EXPECT_EQ(none, kNoProcess);
}

TEST(Windows, SendMsgPostsTheReadHandleAndReportsADeadWindow)
{
    test_support::MessageRecorder recorder;
    EXPECT_NE(SENDMSG(recorder.window(), 132, 99), 0);
    ASSERT_TRUE(recorder.pump_until([&] { return !recorder.messages.empty(); }, 5000));
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].message, 0x2001u);
    EXPECT_EQ(recorder.messages[0].wParam, 0u);
    EXPECT_EQ(recorder.messages[0].lParam, 132);

    HWND dead;
    {
        TestWindow gone("WindowClassGone", "gone");
        dead = gone.window();
    }
    EXPECT_EQ(SENDMSG(dead, 132, 0), 0);
}

TEST(Windows, EnumCriteriaStopAtTheFirstNullArgument)
{
    const uint32_t pid = 1234, length = 7;
    char title[40] = "first";
    W32ENUM(&pid, title, &length);
    const uint32_t otherPid = 5678, otherLength = 2;
    char otherTitle[40] = "second";
    W32ENUM(&otherPid, nullptr, &otherLength);
    const EnumCriteria &c = g_w32enum.criteria;
    EXPECT_EQ(c.processId, otherPid);
    EXPECT_STREQ(c.title, "first");
    EXPECT_EQ(c.titleLength, length);
    W32ENUM(nullptr, otherTitle, &otherLength);
    EXPECT_EQ(c.processId, otherPid);
    EXPECT_STREQ(c.title, "first");
}

TEST(Windows, CallbacksAreCalledByTheirDecoratedNames)
{
    frame::register_entries();
    EXPECT_EQ(qx_lookup("W32ENUM@12"), reinterpret_cast<void *>(&W32ENUM));
    EXPECT_EQ(qx_lookup("QuennetEnumProc2@8"), reinterpret_cast<void *>(&QuennetEnumProc2));
    EXPECT_EQ(qx_lookup("QuennetEnumProc@8"), reinterpret_cast<void *>(&QuennetEnumProc));
    EXPECT_EQ(qx_lookup("SENDMSG"), reinterpret_cast<void *>(&SENDMSG));
}
