// The menu window inside the test program (its resources linked in), for what another
// process cannot see: the icon it hands out for dragging, its minimised painting and
// the cursor over the panels.
#include "zelvane_dlg.h"

#include "message_recorder.h"
#include "owner.h"
#include "windows_util.h"
#include "x_input.h"

#include <gtest/gtest.h>

#include <atomic>
#include <regex>
#include <string>
#include <thread>
#include <vector>

using namespace test_support;

namespace {

// What the menu window did with the paints it was sent, in order, recorded by the hook:
// 'P' a paint while open, 'I' a paint while minimised, 'E' its icon's background erased.
std::atomic<HWND> g_painted{nullptr};
std::string g_painting;

LRESULT CALLBACK record_painting(int code, WPARAM wParam, LPARAM lParam)
{
    auto *message = reinterpret_cast<CWPSTRUCT *>(lParam);
    if (code == HC_ACTION && message->hwnd == g_painted) {
        if (message->message == WM_PAINT)
            g_painting += IsIconic(message->hwnd) ? 'I' : 'P';
        else if (message->message == WM_ICONERASEBKGND)
            g_painting += 'E';
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

HWND wait_for_menu()
{
    // FindWindowEx reads the captions itself: no WM_GETTEXT reaches the menu window.
    for (int tries = 0; tries < 400; ++tries) {
        HWND w = nullptr;
        while ((w = FindWindowExA(nullptr, w, "#32770", "Velmora Product Preview CD")) != nullptr) {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            if (pid == GetCurrentProcessId() && IsWindowVisible(w))
                return w;
        }
        Sleep(50);
    }
    return nullptr;
}

// Runs the menu window modally on this thread while drive(window) acts on it from
// another, then closes it.
template <class Drive>
void with_menu(CZelvaneDlg &dlg, Drive drive)
{
    std::thread driver([&] {
        HWND window = wait_for_menu();
        if (window != nullptr) {
            drive(window);
            PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
        }
    });
    dlg.DoModal();
    driver.join();
}

TEST(MenuWindow, DragIconIsTheProgramIcon)
{
    CZelvaneDlg dlg;
    ASSERT_NE(dlg.m_hIcon, nullptr);
    HICON dragged = nullptr;
    with_menu(dlg, [&](HWND window) {
        dragged = reinterpret_cast<HICON>(SendMessageA(window, WM_QUERYDRAGICON, 0, 0));
    });
    EXPECT_EQ(dragged, dlg.m_hIcon);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(dragged, &info));
    owner::unique_hbitmap colourBits(info.hbmColor), maskBits(info.hbmMask);
    BITMAP colour{};
    GetObjectA(info.hbmColor, sizeof colour, &colour);
    EXPECT_EQ(colour.bmWidth, 32);
    EXPECT_EQ(colour.bmHeight, 32);
}

TEST(MenuWindow, OnlyTheMinimisedWindowPaintsTheIcon)
{
    CZelvaneDlg dlg;
    g_painting.clear();
    owner::unique_hhook hook(
        SetWindowsHookExA(WH_CALLWNDPROC, record_painting, nullptr, GetCurrentThreadId()));
    ASSERT_TRUE(hook);
    with_menu(dlg, [&](HWND window) {
        g_painted = window;
        SendMessageA(window, WM_PAINT, 0, 0);
        // A dialog box's message loop shows its window normally when it first finds its
        // queue empty, which restores a window minimised before then: it is minimised
        // again until a paint finds it so.
        for (int tries = 0; tries < 10 && g_painting.find('I') == std::string::npos; ++tries) {
            SendMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
            SendMessageA(window, WM_PAINT, 0, 0);
        }
        g_painted = nullptr;
    });
    hook.reset();
    // Each paint while minimised erases the icon's background once; no other paint does.
    EXPECT_NE(g_painting.find('I'), std::string::npos) << g_painting;
    EXPECT_TRUE(std::regex_match(g_painting, std::regex("(P|IE)*"))) << g_painting;
}

// Messages whose coming depends on the pointer, the input method or the desktop, not
// on the menu window: left out before the sequence is compared.
bool incidental(const RecordedMessage &m)
{
    switch (m.message) {
    case WM_GETICON:
    case WM_GETOBJECT:
    case WM_IME_SETCONTEXT:
    case WM_IME_NOTIFY:
    case WM_NCHITTEST:
    case WM_SETCURSOR:
    case WM_MOUSEMOVE:
    case WM_TIMER: return true;
    default: return false;
    }
}

// True once window and each of its children have no update region left, that is once
// all of them have painted, within timeout_ms.
bool wait_until_painted(HWND window, DWORD timeout_ms)
{
    auto painted = [window] {
        if (GetUpdateRect(window, nullptr, FALSE))
            return false;
        for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
             child = GetWindow(child, GW_HWNDNEXT)) {
            if (GetUpdateRect(child, nullptr, FALSE))
                return false;
        }
        return true;
    };
    for (DWORD waited = 0; !painted(); waited += 10) {
        if (waited >= timeout_ms)
            return false;
        Sleep(10);
    }
    return true;
}

TEST(MenuWindow, OpeningAndClosingSendsAndPostsItsMessagesInOrder)
{
    // The pointer is kept off the window while it is open, and put back afterwards: a
    // pointer left in the corner keeps later tests' key presses from the window they
    // bring to the front.
    POINT pointer{};
    GetCursorPos(&pointer);
    SetCursorPos(0, 0);
    CZelvaneDlg dlg;
    ThreadMessageLog log;
    HWND menu = nullptr;
    bool painted = false;
    // The close comes once the window has painted, so painting stays before it.
    with_menu(dlg, [&](HWND window) {
        menu = window;
        painted = wait_until_painted(window, 10000);
    });
    SetCursorPos(pointer.x, pointer.y);
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(painted);
    std::vector<RecordedMessage> recorded = log.of(menu);
    std::erase_if(recorded, incidental);
    // Required: what the program's own code brings about, in its order. Optional: what
    // the system sends any dialog that is created, shown, activated and destroyed.
    constexpr Delivery sent = Delivery::Sent, posted = Delivery::Posted;
    constexpr bool platform = true;
    const std::vector<ExpectedMessage> expected = {
        {WM_NCCREATE, sent, platform},
        {WM_NCCALCSIZE, sent, platform},
        {WM_CREATE, sent, platform},
        {WM_SIZE, sent, platform},
        {WM_MOVE, sent, platform},
        {WM_SETFONT, sent, platform},
        {WM_INITDIALOG, sent},
        // The picture control, made in OnInitDialog.
        {WM_PARENTNOTIFY, sent, false, true, MAKEWPARAM(WM_CREATE, 1000)},
        // Centred, after the picture control was made.
        {WM_WINDOWPOSCHANGING, sent},
        {WM_WINDOWPOSCHANGED, sent},
        {WM_MOVE, sent},
        // Shown and activated.
        {WM_QUERYNEWPALETTE, sent, platform},
        {WM_ACTIVATEAPP, sent, platform, true, TRUE},
        {WM_NCACTIVATE, sent, platform},
        {WM_ACTIVATE, sent, platform, true, WA_ACTIVE},
        {WM_SHOWWINDOW, sent, platform, true, TRUE},
        {WM_WINDOWPOSCHANGING, sent, platform},
        {WM_NCPAINT, sent, platform},
        {WM_ERASEBKGND, sent, platform},
        {WM_CTLCOLORDLG, sent, platform},
        {WM_WINDOWPOSCHANGED, sent, platform},
        // Painted, before the close.
        {WM_PAINT, posted},
        // Frame and background again, when the display exposed the window after its
        // first drawing (BeginPaint then finds them to be redrawn).
        {WM_NCPAINT, sent, platform},
        {WM_ERASEBKGND, sent, platform},
        {WM_CTLCOLORDLG, sent, platform},
        {WM_CTLCOLORBTN, sent, platform},
        {WM_CTLCOLORSTATIC, sent, platform},
        // Closed: the check box is read, the window hidden, deactivated and destroyed.
        {WM_COMMAND, posted, false, true, IDCANCEL},
        {WM_CTLCOLORBTN, sent, platform},
        {WM_SETFOCUS, sent, platform},
        {WM_WINDOWPOSCHANGING, sent, platform},
        {WM_WINDOWPOSCHANGED, sent, platform},
        {WM_NCACTIVATE, sent, platform},
        {WM_ACTIVATE, sent, platform, true, WA_INACTIVE},
        {WM_ACTIVATEAPP, sent, platform, true, FALSE},
        {WM_KILLFOCUS, sent, platform},
        {WM_DESTROY, sent},
        {WM_NCDESTROY, sent, platform},
    };
    EXPECT_TRUE(matches_sequence(recorded, expected));
}

HCURSOR cursor_after_move_to(POINT screen)
{
    if (!xdotool("mousemove " + std::to_string(screen.x) + " " + std::to_string(screen.y)))
        return nullptr;
    Sleep(300);
    CURSORINFO info{};
    info.cbSize = sizeof info;
    GetCursorInfo(&info);
    return info.hCursor;
}

TEST(MenuWindow, HandOverThePanelsArrowBesideThem)
{
    CZelvaneDlg dlg;
    HCURSOR hand = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(143));
    ASSERT_NE(hand, nullptr);
    HCURSOR overPanel = nullptr, besidePanels = nullptr;
    with_menu(dlg, [&](HWND window) {
        HWND picture = GetDlgItem(window, 1000);
        RECT client{};
        GetClientRect(picture, &client);
        // Picture pixels to screen points: the picture is centred in the control.
        auto screen = [&](int x, int y) {
            POINT p{x - (580 - client.right) / 2, y - (435 - client.bottom) / 2};
            ClientToScreen(picture, &p);
            return p;
        };
        overPanel = cursor_after_move_to(screen(180, 208));
        besidePanels = cursor_after_move_to(screen(125, 208));
    });
    EXPECT_EQ(overPanel, hand);
    EXPECT_EQ(besidePanels, LoadCursorA(nullptr, IDC_ARROW));
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(hand, &info));
    owner::unique_hbitmap colourBits(info.hbmColor), maskBits(info.hbmMask);
    EXPECT_EQ(info.xHotspot, 16u);
    EXPECT_EQ(info.yHotspot, 6u);
}

} // namespace
