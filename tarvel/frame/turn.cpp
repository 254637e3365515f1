// The turns: one holder at a time across threads, taken again by its own holder where
// nesting is allowed.
#include "turn.h"

namespace frame {

Turn g_tableTurn;
Turn g_launchTurn;

namespace {

// The thread a launch's line is being sent to. Launches send only while they hold the
// launch turn, so there is one such thread at most.
std::atomic<DWORD> g_lineReceiver{0};

} // namespace

void sending_line_to(DWORD threadId) { g_lineReceiver.store(threadId, std::memory_order_release); }

bool line_handled_here()
{
    return g_lineReceiver.load(std::memory_order_acquire) == GetCurrentThreadId() &&
           InSendMessage();
}

Turn::Turn() : mutex_(CreateMutexA(nullptr, FALSE, nullptr)) {}

bool Turn::take()
{
    const DWORD me = GetCurrentThreadId();
    if (owner_.load(std::memory_order_acquire) == me) {
        ++depth_;
        return true;
    }
    HANDLE held = mutex_;
    // A free turn is had at once, without the wait that handles messages.
    const DWORD free = WaitForSingleObject(held, 0);
    bool had = free == WAIT_OBJECT_0 || free == WAIT_ABANDONED_0;
    if (!had) {
        waiting_.fetch_add(1, std::memory_order_acq_rel);
        while (!had) {
            if (line_handled_here())
                break;
            DWORD woken = MsgWaitForMultipleObjects(1, &held, FALSE, INFINITE, QS_SENDMESSAGE);
            if (woken == WAIT_OBJECT_0 || woken == WAIT_ABANDONED_0) {
                had = true;
            } else if (woken == WAIT_OBJECT_0 + 1) {
                // Peeking delivers the messages other threads sent to this one.
                MSG message;
                PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
            } else {
                // A wait that fails cannot wait with messages: wait for the turn alone.
                had = WaitForSingleObject(held, INFINITE) != WAIT_FAILED;
                break;
            }
        }
        waiting_.fetch_sub(1, std::memory_order_acq_rel);
        if (!had)
            return false;
    }
    owner_.store(me, std::memory_order_release);
    depth_ = 1;
    return true;
}

void Turn::give()
{
    if (--depth_ != 0)
        return;
    owner_.store(0, std::memory_order_release);
    ReleaseMutex(mutex_);
}

bool Turn::held_here() const
{
    return owner_.load(std::memory_order_acquire) == GetCurrentThreadId();
}

void Turn::let_waiters_in() const
{
    // A given turn goes to a thread that is in its wait at once; one that is handling a
    // message at that moment is not in it, so it is waited for until it has the turn,
    // for a short while at most (it may be held up in its handler).
    for (int tries = 0; tries < 100; ++tries) {
        if (waiting_.load(std::memory_order_acquire) == 0 ||
            owner_.load(std::memory_order_acquire) != 0)
            return;
        Sleep(1);
    }
}

} // namespace frame
