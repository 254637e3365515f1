// The turn that runs of the controller and launches take, so that tables and launches
// started from several threads of one process run one after the other, each whole.
#pragma once

#include <windows.h>

#include <atomic>

namespace frame {

class Turn {
public:
    // The turn's mutex is made with the object, before anything runs, and lives as long
    // as the process: no call ever sees a handle appear that was not there before.
    Turn();
    Turn(const Turn &) = delete;
    Turn &operator=(const Turn &) = delete;

    // Waits until this thread has the turn. The thread that holds it may take it again
    // (the controller's own launches do). While waiting, messages sent to this thread's
    // windows are still handled, so a holder that sends one (an output line) goes on.
    // False, without waiting, only when waiting could never end: the holder is blocked
    // sending a message that this thread is handling right now.
    bool take();
    // Gives back one take; the last one lets the next thread in.
    void give();
    // True when this thread holds the turn.
    bool held_here() const;
    // The holder names the thread it is sending a message to while the send lasts
    // (0 after it).
    void sending_to(DWORD threadId);

private:
    const HANDLE mutex_;
    std::atomic<DWORD> owner_{0};
    std::atomic<DWORD> sendingTo_{0};
    unsigned depth_ = 0; // read and written by the holder only
};

// Held by a controller run (TARVEL, tarvelthread, TR010Action, the directory switch
// entries) and by every launch of W32RTNS.
extern Turn g_runTurn;

// Whether a hold may be had by a thread that already holds the turn.
enum class Nested { Allowed, Refused };

// Holds a turn for a scope; taken() tells whether it was had.
class TurnHold {
public:
    TurnHold(Turn &turn, Nested nested)
        : turn_(turn), taken_((nested == Nested::Allowed || !turn.held_here()) && turn.take())
    {
    }
    ~TurnHold()
    {
        if (taken_)
            turn_.give();
    }
    TurnHold(const TurnHold &) = delete;
    TurnHold &operator=(const TurnHold &) = delete;
    bool taken() const { return taken_; }

private:
    Turn &turn_;
    bool taken_;
};

} // namespace frame
