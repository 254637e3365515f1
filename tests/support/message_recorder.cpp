#include "message_recorder.h"

namespace test_support {

namespace {

const char *register_class()
{
    static const char *name = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "TestMessageRecorder";
        RegisterClassA(&wc);
        return "TestMessageRecorder";
    }();
    return name;
}

} // namespace

MessageRecorder::MessageRecorder(UINT first, UINT last) : first_(first), last_(last)
{
    window_.reset(CreateWindowA(register_class(), "recorder", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr));
    SetWindowLongPtrA(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrA(window_.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&procedure));
}

// The window's procedure reads this recorder, so the window goes before anything else.
MessageRecorder::~MessageRecorder() { window_.reset(); }

LRESULT CALLBACK MessageRecorder::procedure(HWND w, UINT m, WPARAM wp, LPARAM lp)
{
    auto *self = reinterpret_cast<MessageRecorder *>(GetWindowLongPtrA(w, GWLP_USERDATA));
    if (self == nullptr || m < self->first_ || m > self->last_)
        return DefWindowProcA(w, m, wp, lp);
    RecordedMessage r{m, wp, lp, {}, 0};
    if (m == 0x0402 && lp != 0) {
        // The line's block came with the message: it is ours to free.
        owner::unique_hlocal line(reinterpret_cast<HLOCAL>(lp));
        HLOCAL block = line.get();
        r.blockSize = LocalSize(block);
        if (const char *p = static_cast<const char *>(LocalLock(block))) {
            r.text.assign(p, LocalSize(block) > 0 ? strnlen(p, LocalSize(block)) : 0);
            LocalUnlock(block);
        }
    }
    self->messages.push_back(r);
    if (self->onMessage)
        self->onMessage(r);
    return 0;
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
