// Creation of windows bound to objects, shared by windows and dialogs.
#pragma once

#include "mfc.h"
#include "owner.h"

// Binds the next window this thread creates to an object, from the creation hook on,
// so the object sees every message of the window, WM_NCCREATE included.
class WindowCreation {
public:
    explicit WindowCreation(CWnd *pWnd) : previousHook_(hook_), previousPending_(pending_)
    {
        pending_ = pWnd;
        hook_ = ::SetWindowsHookExA(WH_CBT, &WindowCreation::hook, nullptr, ::GetCurrentThreadId());
    }
    ~WindowCreation()
    {
        owner::close_field<owner::unique_hhook>(hook_);
        hook_ = previousHook_;
        pending_ = previousPending_;
    }
    WindowCreation(const WindowCreation &) = delete;
    WindowCreation &operator=(const WindowCreation &) = delete;

private:
    static LRESULT CALLBACK hook(int code, WPARAM wParam, LPARAM lParam) noexcept;

    static thread_local HHOOK hook_;
    static thread_local CWnd *pending_;
    HHOOK previousHook_;
    CWnd *previousPending_;
};
