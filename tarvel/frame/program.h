// What every program of the executable shares: the first-call lock at the start of
// each entry, and the return rule for entries that nothing called.
#pragma once

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
    if (program.initialised == 0xFF)
        return;
    CBL_THREAD_PROG_LOCK(&program);
    if (program.initialised != 0xFF) {
        returnCode = 0;
        program.initialised = 0xFF;
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
