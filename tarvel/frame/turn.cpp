// The run turn: one holder at a time across threads, taken again by its own holder
// where nesting is allowed.
#include "turn.h"

namespace frame {

Turn g_runTurn;

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
    const bool hadAtOnce = free == WAIT_OBJECT_0 || free == WAIT_ABANDONED_0;
    while (!hadAtOnce) {
        if (sendingTo_.load(std::memory_order_acquire) == me && InSendMessage())
            return false;
        DWORD woken = MsgWaitForMultipleObjects(1, &held, FALSE, INFINITE, QS_SENDMESSAGE);
        if (woken == WAIT_OBJECT_0 || woken == WAIT_ABANDONED_0)
            break;
        if (woken == WAIT_OBJECT_0 + 1) {
            // Peeking delivers the messages other threads sent to this one.
            MSG message;
            PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
            continue;
        }
        // A wait that fails cannot wait with messages: wait for the turn alone.
        if (WaitForSingleObject(held, INFINITE) == WAIT_FAILED)
            return false;
        break;
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

void Turn::sending_to(DWORD threadId) { sendingTo_.store(threadId, std::memory_order_release); }

} // namespace frame
