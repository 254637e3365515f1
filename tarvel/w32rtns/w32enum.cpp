// W32ENUM: keeps the criteria of a window search and matches windows against them.
#include "w32enum.h"

#include <algorithm>
#include <cstring>

#include "entries.h"
#include "program.h"

W32enum g_w32enum;

namespace {

// The class-name prefix a window needs for a search by class and title; 12 bytes with
// its NUL, so any class whose name begins with it passes once cut to 11 characters.
constexpr char kWindowClassPrefix[12] = "WindowClass";

// Records the window's owner; true when it is the process searched for.
bool owned_by_searched_process(EnumCriteria &c, HWND window)
{
    DWORD processId = 0;
    c.windowThreadId = GetWindowThreadProcessId(window, &processId);
    c.windowProcessId = processId;
    return c.windowProcessId == c.processId;
}

BOOL found(EnumCriteria &c, HWND window, LPARAM foundWindow)
{
    *reinterpret_cast<uint32_t *>(foundWindow) =
        static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window));
    c.callbackResult = 0;
    return FALSE;
}

BOOL go_on(EnumCriteria &c)
{
    c.callbackResult = 1;
    return TRUE;
}

} // namespace

extern "C" {

int32_t __stdcall W32ENUM(const uint32_t *processId, const char *title, const uint32_t *titleLength)
{
    int32_t returnCode = 0;
    frame::first_call(g_w32enum, returnCode);
    EnumCriteria &c = g_w32enum.criteria;
    if (processId == nullptr)
        return returnCode;
    c.processId = *processId;
    if (title == nullptr)
        return returnCode;
    std::memcpy(c.title, title, sizeof c.title);
    if (titleLength == nullptr)
        return returnCode;
    c.titleLength = *titleLength;
    return returnCode;
}

// Match by process only.
BOOL __stdcall QuennetEnumProc(HWND window, LPARAM foundWindow)
{
    int32_t returnCode = 0;
    frame::first_call(g_w32enum, returnCode);
    EnumCriteria &c = g_w32enum.criteria;
    if (!owned_by_searched_process(c, window))
        return go_on(c);
    return found(c, window, foundWindow);
}

// Match by process, class-name prefix and title prefix.
BOOL __stdcall QuennetEnumProc2(HWND window, LPARAM foundWindow)
{
    int32_t returnCode = 0;
    frame::first_call(g_w32enum, returnCode);
    EnumCriteria &c = g_w32enum.criteria;
    if (!owned_by_searched_process(c, window))
        return go_on(c);
    GetClassNameA(window, c.scratch, sizeof kWindowClassPrefix);
    if (std::memcmp(c.scratch, kWindowClassPrefix, sizeof kWindowClassPrefix) != 0)
        return go_on(c);
    GetWindowTextA(window, c.scratch, sizeof c.scratch);
    // A length handed in by a caller is kept to the two 40-byte fields compared.
    size_t length = std::min<size_t>(c.titleLength, sizeof c.title);
    if (std::memcmp(c.scratch, c.title, length) != 0)
        return go_on(c);
    return found(c, window, foundWindow);
}

} // extern "C"
