// A window of the test's own that records the messages it receives, to compare the
// recorded sequence with the expected one.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace test_support {

struct RecordedMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    std::string text;   // for the line message 0x0402: the line block's bytes up to its NUL
    SIZE_T blockSize = 0;   // and the block's size
};

class MessageRecorder {
public:
    // Records the messages in [first, last]; a 0x0402 message's block is read and freed.
    MessageRecorder(UINT first = WM_USER, UINT last = 0x7FFF);
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder &) = delete;
    MessageRecorder &operator=(const MessageRecorder &) = delete;

    HWND window() const { return window_; }
    // Handles queued and sent messages until done() holds or timeout_ms passes.
    bool pump_until(const std::function<bool()> &done, DWORD timeout_ms);
    std::vector<RecordedMessage> messages;
    // The texts of the line messages (0x0402) recorded so far, in order.
    std::vector<std::string> lines() const;
    // Called for each recorded message once it is recorded, inside the window procedure:
    // a test acts there as a host's handler would.
    std::function<void(const RecordedMessage &)> onMessage;

private:
    static LRESULT CALLBACK procedure(HWND, UINT, WPARAM, LPARAM);
    HWND window_ = nullptr;
    UINT first_, last_;
};

} // namespace test_support
