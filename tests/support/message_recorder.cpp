#include "message_recorder.h"

#include "test_window.h"

namespace test_support {

MessageRecorder::MessageRecorder(UINT first, UINT last) : first_(first), last_(last)
{
    window_ = CreateWindowA(plain_window_class("TestMessageRecorder"), "recorder", WS_OVERLAPPED, 0,
                            0, 10, 10, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&procedure));
}

MessageRecorder::~MessageRecorder() { DestroyWindow(window_); }

LRESULT CALLBACK MessageRecorder::procedure(HWND w, UINT m, WPARAM wp, LPARAM lp)
{
    auto *self = reinterpret_cast<MessageRecorder *>(GetWindowLongPtrA(w, GWLP_USERDATA));
    if (self == nullptr || m < self->first_ || m > self->last_)
        return DefWindowProcA(w, m, wp, lp);
    RecordedMessage r{m, wp, lp, {}, 0};
    if (m == 0x0402 && lp != 0) {
        HLOCAL block = reinterpret_cast<HLOCAL>(lp);
        r.blockSize = LocalSize(block);
        if (const char *p = static_cast<const char *>(LocalLock(block))) {
            r.text.assign(p, LocalSize(block) > 0 ? strnlen(p, LocalSize(block)) : 0);
            LocalUnlock(block);
        }
        LocalFree(block);
    }
    self->messages.push_back(r);
    if (self->onMessage)
        self->onMessage(r);
    return 0;
}

std::vector<std::string> MessageRecorder::lines() const
{
    std::vector<std::string> texts;
    for (const RecordedMessage &m : messages)
        if (m.message == 0x0402)
            texts.push_back(m.text);
    return texts;
}

bool MessageRecorder::pump_until(const std::function<bool()> &done, DWORD timeout_ms)
{
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start >= timeout_ms)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return true;
}

} // namespace test_support
