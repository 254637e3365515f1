// The turns that controller runs and launches take, so that tables and launches started
// from several threads of one process run one after the other, each whole.
//
// The locks of the process, in the order a thread may take them: while it holds one,
// it takes only those further down the list.
//   1. the table turn (a controller entry, for the whole call);
//   2. the launch turn (a controller run for each action, and every launch);
//   3. QUERYEXE's turn, then ABSPATH's (QUERYEXE makes the name it found absolute,
//      and the application directory switch resolves its path); JOINENV's turn;
//   4. the run-time's registration lock, around the one-time registration of the entry
//      table;
//   5. the run-time's other locks, each held only inside one of its routines: a
//      program's first-call lock, the entry registry's, the virtual file's, the sort's
//      and the open libraries'.
// The turns are system mutexes (a thread that waits for one still handles the messages
// sent to its windows), the utilities' turns std::mutex, the run-time's locks
// std::mutex but where their comments say why not.
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
    // False, without waiting, only when waiting could never end: a launch is blocked
    // sending a line that this thread is handling right now.
    bool take();
    // Gives back one take; the last one lets the next thread in.
    void give();
    // True when this thread holds the turn.
    bool held_here() const;
    // Called between two pieces of work by a thread that takes the turn for each: a
    // thread that is waiting for the turn now has it before the caller takes it again.
    void let_waiters_in() const;

private:
    const HANDLE mutex_;
    std::atomic<DWORD> owner_{0};
    std::atomic<unsigned> waiting_{0};
    unsigned depth_ = 0; // read and written by the holder only
};

// Held by a controller run (TARVEL, tarvelthread, TR010Action, the directory switch
// entries) for the whole call, so that tables of different threads never mix.
extern Turn g_tableTurn;
// Held by every launch of W32RTNS, and by a controller run for each action (whose own
// launch takes it again): a launch of another thread waits for one action, not a table.
extern Turn g_launchTurn;

// A launch names the thread its line is sent to while the send lasts (0 after it).
void sending_line_to(DWORD threadId);
// True when a launch is blocked sending a line that this thread is handling now: a turn
// this thread waited for could never come.
bool line_handled_here();

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

// The hold of a controller entry: the table turn for the whole call. Refused on a thread
// that is inside a run or a launch already, or that handles a line a launch is sending
// (the run could never have its launch turn).
class TableHold {
public:
    TableHold()
        : taken_(!g_tableTurn.held_here() && !g_launchTurn.held_here() && !line_handled_here() &&
                 g_tableTurn.take())
    {
    }
    ~TableHold()
    {
        if (taken_)
            g_tableTurn.give();
    }
    TableHold(const TableHold &) = delete;
    TableHold &operator=(const TableHold &) = delete;
    bool taken() const { return taken_; }

private:
    bool taken_;
};

// Does work in the launch turn, as a run does each of its actions: the current directory
// and the standard handles are the whole process's, so no launch of another thread runs
// meanwhile, and one that waits goes first. False, and nothing done, when the turn could
// not be had.
template <class Work>
bool in_launch_turn(Work work)
{
    g_launchTurn.let_waiters_in();
    TurnHold hold(g_launchTurn, Nested::Allowed);
    if (!hold.taken())
        return false;
    work();
    return true;
}

} // namespace frame
