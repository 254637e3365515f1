// Message recording, to compare a recorded sequence with the expected one: a window of
// the test's own that records what it receives, and a log of every message the
// windows of a thread get. Each message is recorded with the way it came: sent
// (SendMessage and its kin, from this thread or another) or posted (handed out by the
// thread's queue).
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "owner.h"
#include <gtest/gtest.h>

namespace test_support {

enum class Delivery { Sent, Posted };

struct RecordedMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    std::string text;     // for the line message 0x0402: the line block's bytes up to its NUL
    SIZE_T blockSize = 0; // and the block's size
    Delivery delivery = Delivery::Sent;
    HWND window = nullptr;
};

class MessageRecorder {
public:
    // Records the messages in [first, last]; a 0x0402 message's block is read and freed.
    MessageRecorder(UINT first = WM_USER, UINT last = 0x7FFF);
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder &) = delete;
    MessageRecorder &operator=(const MessageRecorder &) = delete;

    HWND window() const { return window_.get(); }
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
    owner::unique_hhook sentHook_;
    owner::unique_hwnd window_;
    UINT first_, last_;
};

// Every message the windows of the calling thread get while the log lives: a sent one
// before its window procedure runs, a posted one as GetMessage or PeekMessage removes
// it from the queue (WM_PAINT and WM_TIMER, made by the queue, count as posted).
class ThreadMessageLog {
public:
    ThreadMessageLog();
    ~ThreadMessageLog();
    ThreadMessageLog(const ThreadMessageLog &) = delete;
    ThreadMessageLog &operator=(const ThreadMessageLog &) = delete;

    // The messages recorded for window, in order.
    std::vector<RecordedMessage> of(HWND window) const;
    std::vector<RecordedMessage> messages;

private:
    static LRESULT CALLBACK sent(int, WPARAM, LPARAM);
    static LRESULT CALLBACK posted(int, WPARAM, LPARAM);
    owner::unique_hhook sentHook_;
    owner::unique_hhook postedHook_;
    ThreadMessageLog *outer_ = nullptr;
};

// One message of an expected sequence. An optional one may be missing; wParam is
// compared only where checkWParam is set.
struct ExpectedMessage {
    UINT message;
    Delivery delivery;
    bool optional = false;
    bool checkWParam = false;
    WPARAM wParam = 0;
};

// Compares recorded with expected in order, the way a sequence test does: every
// recorded message must be the next expected one, where optional expected messages
// may be passed over; every expected message that is not optional must come.
::testing::AssertionResult matches_sequence(const std::vector<RecordedMessage> &recorded,
                                            const std::vector<ExpectedMessage> &expected);

} // namespace test_support
