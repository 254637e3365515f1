// The window routines of W32RTNS; W32ENUM does the matching.
#include "window_routines.h"

#include <windows.h>

#include <cstring>

#include "entries.h"
#include "w32rtns.h"
#include "program.h"
#include "turn.h"

namespace {

// Window searches share the criteria and the found-window field, so they take turns.
frame::Turn g_searchTurn;

// Number of title bytes compared: the characters before the first NUL, at most 40. An
// empty title compares its NUL, so it matches an empty window text; nothing past the
// NUL is read.
uint32_t title_length(const char *title)
{
    if (title[0] == '\0')
        return 1;
    uint32_t length = 1;
    while (length < 40 && title[length] != '\0')
        ++length;
    return length;
}

} // namespace

extern "C" {

int32_t SWITCHPROGRAM(const uint32_t *processId)
{
    int32_t returnCode = 0;
    frame::first_call(g_w32rtns, returnCode);
    // A search asked for while this thread's own search runs (from a message the search
    // sent) finds nothing rather than disturb it.
    frame::TurnHold turn(g_searchTurn, frame::Nested::Refused);
    if (!turn.taken())
        return set_status(1);
    WindowState &windows = g_w32rtns.windows;
    // The process-only callback looks at neither title nor length.
    const uint32_t anyLength = 0;
    W32ENUM(processId, windows.title, &anyLength);
    windows.foundWindow = 0;
    EnumWindows(&QuennetEnumProc, reinterpret_cast<LPARAM>(&windows.foundWindow));
    if (windows.foundWindow == 0)
        return set_status(1);
    SetForegroundWindow(reinterpret_cast<HWND>(static_cast<uintptr_t>(windows.foundWindow)));
    return set_status(0);
}

int32_t GETWINDOWHANDLE(const uint32_t *processId, const char *title, uint32_t *window)
{
    int32_t returnCode = 0;
    frame::first_call(g_w32rtns, returnCode);
    frame::TurnHold turn(g_searchTurn, frame::Nested::Refused);
    if (!turn.taken()) {
        *window = 0;
        return set_status(1);
    }
    WindowState &windows = g_w32rtns.windows;
    // The criteria take a 40-byte title; the caller's text may be shorter, so only its
    // counted characters are passed on, in a zero-filled field of full width.
    const uint32_t length = title_length(title);
    char criteriaTitle[40] = {};
    std::memcpy(criteriaTitle, title, length);
    W32ENUM(processId, criteriaTitle, &length);
    windows.foundWindow = 0;
    EnumWindows(&QuennetEnumProc2, reinterpret_cast<LPARAM>(&windows.foundWindow));
    *window = windows.foundWindow;
    return set_status(windows.foundWindow != 0 ? 0 : 1);
}

int32_t SENDMSG(HWND window, uint32_t parameter, uint32_t)
{
    int32_t returnCode = 0;
    frame::first_call(g_w32rtns, returnCode);
    return set_status(
        PostMessageA(window, kBlockWaitingMessage, 0, static_cast<LPARAM>(parameter)));
}

// A placeholder: hands back the status the previous routine left.
int32_t GETPROCESSID(uint32_t *)
{
    int32_t returnCode = 0;
    frame::first_call(g_w32rtns, returnCode);
    return frame::shared_load(g_w32rtns.launch.status);
}

} // extern "C"
