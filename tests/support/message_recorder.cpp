#include "message_recorder.h"

#include <sstream>

#include "test_window.h"

namespace test_support {

namespace {

// The message last sent to a window of this thread, as the WH_CALLWNDPROC hook saw it
// just before the window procedure: a procedure call that matches it is that send.
thread_local CWPSTRUCT t_lastSent{};

LRESULT CALLBACK note_sent(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION)
        t_lastSent = *reinterpret_cast<const CWPSTRUCT *>(lParam);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Whether the procedure call for (w, m, wp, lp) comes from a send; the noted send is
// used up, so a posted copy of it arriving later counts as posted.
bool was_sent(HWND w, UINT m, WPARAM wp, LPARAM lp)
{
    bool sent = InSendMessageEx(nullptr) != ISMEX_NOSEND ||
                (t_lastSent.hwnd == w && t_lastSent.message == m && t_lastSent.wParam == wp &&
                 t_lastSent.lParam == lp);
    t_lastSent = {};
    return sent;
}

// The log recording on this thread, the innermost where logs nest.
thread_local ThreadMessageLog *t_log = nullptr;

const char *delivery_name(Delivery delivery)
{
    return delivery == Delivery::Sent ? "sent" : "posted";
}

bool same(const RecordedMessage &got, const ExpectedMessage &want)
{
    return got.message == want.message && got.delivery == want.delivery &&
           (!want.checkWParam || got.wParam == want.wParam);
}

// The recorded sequence as text, one "0xMESSAGE sent|posted wParam" a line.
std::string listed(const std::vector<RecordedMessage> &recorded)
{
    std::ostringstream text;
    for (const RecordedMessage &m : recorded)
        text << "\n  0x" << std::hex << m.message << " " << delivery_name(m.delivery) << " "
             << m.wParam;
    return text.str();
}

} // namespace

MessageRecorder::MessageRecorder(UINT first, UINT last) : first_(first), last_(last)
{
    sentHook_.reset(SetWindowsHookExA(WH_CALLWNDPROC, note_sent, nullptr, GetCurrentThreadId()));
    window_.reset(CreateWindowA(plain_window_class("TestMessageRecorder"), "recorder",
                                WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr));
    SetWindowLongPtrA(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrA(window_.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&procedure));
}

// The window's procedure reads this recorder, so the window goes before its hook and
// anything else.
MessageRecorder::~MessageRecorder() { window_.reset(); }

LRESULT CALLBACK MessageRecorder::procedure(HWND w, UINT m, WPARAM wp, LPARAM lp)
{
    auto *self = reinterpret_cast<MessageRecorder *>(GetWindowLongPtrA(w, GWLP_USERDATA));
    Delivery delivery = was_sent(w, m, wp, lp) ? Delivery::Sent : Delivery::Posted;
    if (self == nullptr || m < self->first_ || m > self->last_)
        return DefWindowProcA(w, m, wp, lp);
    RecordedMessage r{m, wp, lp, {}, 0, delivery, w};
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

ThreadMessageLog::ThreadMessageLog() : outer_(t_log)
{
    t_log = this;
    sentHook_.reset(SetWindowsHookExA(WH_CALLWNDPROC, sent, nullptr, GetCurrentThreadId()));
    postedHook_.reset(SetWindowsHookExA(WH_GETMESSAGE, posted, nullptr, GetCurrentThreadId()));
}

ThreadMessageLog::~ThreadMessageLog()
{
    postedHook_.reset();
    sentHook_.reset();
    t_log = outer_;
}

LRESULT CALLBACK ThreadMessageLog::sent(int code, WPARAM wParam, LPARAM lParam)
{
    const auto *m = reinterpret_cast<const CWPSTRUCT *>(lParam);
    if (code == HC_ACTION && t_log != nullptr)
        t_log->messages.push_back(
            {m->message, m->wParam, m->lParam, {}, 0, Delivery::Sent, m->hwnd});
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK ThreadMessageLog::posted(int code, WPARAM wParam, LPARAM lParam)
{
    const auto *m = reinterpret_cast<const MSG *>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && t_log != nullptr)
        t_log->messages.push_back(
            {m->message, m->wParam, m->lParam, {}, 0, Delivery::Posted, m->hwnd});
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

std::vector<RecordedMessage> ThreadMessageLog::of(HWND window) const
{
    std::vector<RecordedMessage> found;
    for (const RecordedMessage &m : messages)
        if (m.window == window)
            found.push_back(m);
    return found;
}

::testing::AssertionResult matches_sequence(const std::vector<RecordedMessage> &recorded,
                                            const std::vector<ExpectedMessage> &expected)
{
    size_t got = 0, want = 0;
    while (got < recorded.size() || want < expected.size()) {
        if (got < recorded.size() && want < expected.size() &&
            same(recorded[got], expected[want])) {
            ++got;
            ++want;
        } else if (want < expected.size() && expected[want].optional) {
            ++want;
        } else {
            std::ostringstream text;
            text << "message " << got << " of the recorded sequence: ";
            if (got < recorded.size())
                text << "got 0x" << std::hex << recorded[got].message << " "
                     << delivery_name(recorded[got].delivery);
            else
                text << "got nothing";
            if (want < expected.size())
                text << ", expected 0x" << std::hex << expected[want].message << " "
                     << delivery_name(expected[want].delivery);
            else
                text << ", expected nothing more";
            return ::testing::AssertionFailure() << text.str() << "; recorded:" << listed(recorded);
        }
    }
    return ::testing::AssertionSuccess();
}

} // namespace test_support
