// What every program of the executable shares: the first-call lock at the start of
// each entry, and the return rule for entries that nothing called.
#pragma once

#include <atomic>
#include <cstdint>

#include "qurdex.h"

namespace frame {

// Registers the executable's entry table with the run-time, once per process.
void register_entries();

// The start of every entry: registration when needed, then, while the program's
// initialised flag is not 0xFF, the program lock, a second test, and on first entry
// return code 0 and the flag 0xFF. No lock is held afterwards.
template <class Storage>
void first_call(Storage &program, int32_t &returnCode)
{
    register_entries();
    // Threads test the flag without the lock, so it is read and written atomically.
    std::atomic_ref<uint8_t> flag(program.initialised);
    if (flag.load(std::memory_order_acquire) == 0xFF)
        return;
    CBL_THREAD_PROG_LOCK(&program);
    if (flag.load(std::memory_order_relaxed) != 0xFF) {
        returnCode = 0;
        flag.store(0xFF, std::memory_order_release);
    }
    CBL_THREAD_PROG_UNLOCK(&program);
}

// The end of an entry that may have been started by nobody: a main program ends the
// run with its return code, anything else returns it.
inline int32_t finish(void *entry, int32_t returnCode)
{
    if (!qx_should_return(entry))
        qx_stop_run(returnCode);
    return returnCode;
}

} // namespace frame
