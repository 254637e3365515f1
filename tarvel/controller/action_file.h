// Loading the action file into memory, and the outcomes of a file that gives no table.
#pragma once

#include <cstdint>

#include "controller.h"

// Return codes (and so exit codes) of a run whose action file gives no table; no
// action runs in any of these cases.
enum : int32_t {
    kActionFileMissing = 2,    // no file of that name; nothing is deleted
    kActionFileUnreadable = 3, // it could not be opened or read; it is left in place
    kActionFileShort = 4,      // shorter than 1780 bytes; it was read, so it is deleted
    kNoActionTable = 5,        // TR010Action called without a table
};

// Opens the file named in run.fileName, reads it into a new block (run.loadedBlock),
// sets run.actionCount, closes and deletes it, with each routine's result left in
// returnCode. True when there is a table to run; otherwise returnCode is one of the
// codes above.
bool load_action_file(ControllerRun &run, int32_t &returnCode);
