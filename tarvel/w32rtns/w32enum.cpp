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
bool owned_by_searched_process(EnumCriteria &criteria, HWND window)
{
    DWORD processId = 0;
    criteria.windowThreadId = GetWindowThreadProcessId(window, &processId);
    criteria.windowProcessId = processId;
    return criteria.windowProcessId == criteria.processId;
}

BOOL found(EnumCriteria &criteria, HWND window, LPARAM foundWindow)
{
    *reinterpret_cast<uint32_t *>(foundWindow) =
        static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window));
    criteria.callbackResult = 0;
    return FALSE;
}

BOOL go_on(EnumCriteria &criteria)
{
    criteria.callbackResult = 1;
    return TRUE;
}

// Both searches: the first call's set-up, then whether window belongs to the process
// searched for.
bool in_searched_process(HWND window)
{
    int32_t returnCode = 0;
    frame::first_call(g_w32enum, returnCode);
    return owned_by_searched_process(g_w32enum.criteria, window);
}

} // namespace

extern "C" {

int32_t __stdcall W32ENUM(const uint32_t *processId, const char *title, const uint32_t *titleLength)
{
    int32_t returnCode = 0;
    frame::first_call(g_w32enum, returnCode);
    EnumCriteria &criteria = g_w32enum.criteria;
    if (processId == nullptr)
        return returnCode;
    criteria.processId = *processId;
    if (title == nullptr)
        return returnCode;
    std::memcpy(criteria.title, title, sizeof criteria.title);
    if (titleLength == nullptr)
        return returnCode;
    criteria.titleLength = *titleLength;
    return returnCode;
}

// Match by process only.
BOOL __stdcall QuennetEnumProc(HWND window, LPARAM foundWindow)
{
    EnumCriteria &criteria = g_w32enum.criteria;
    if (!in_searched_process(window))
        return go_on(criteria);
    return found(criteria, window, foundWindow);
}

// Match by process, class-name prefix and title prefix.
BOOL __stdcall QuennetEnumProc2(HWND window, LPARAM foundWindow)
{
    EnumCriteria &criteria = g_w32enum.criteria;
    if (!in_searched_process(window))
        return go_on(criteria);
    GetClassNameA(window, criteria.scratch, sizeof kWindowClassPrefix);
    if (std::memcmp(criteria.scratch, kWindowClassPrefix, sizeof kWindowClassPrefix) != 0)
        return go_on(criteria);
    GetWindowTextA(window, criteria.scratch, sizeof criteria.scratch);
    // A length handed in by a caller is kept to the two 40-byte fields compared.
    size_t length = std::min<size_t>(criteria.titleLength, sizeof criteria.title);
    if (std::memcmp(criteria.scratch, criteria.title, length) != 0)
        return go_on(criteria);
    return found(criteria, window, foundWindow);
}

} // extern "C"
