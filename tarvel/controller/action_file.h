// Loading the action file into memory, and the outcomes of a file that gives no table.
#pragma once

#include <cstdint>

#include "controller.h"

// Return codes (and so exit codes) of a run whose action file gives no table; no
// action runs in any of these cases.
enum : int32_t {
    kActionFileMissing = TARVEL_ACTION_FILE_MISSING,       // no such file; nothing is deleted
    kActionFileUnreadable = TARVEL_ACTION_FILE_UNREADABLE, // not opened or read; left in place
    kActionFileShort = TARVEL_ACTION_FILE_SHORT,           // below 1780 bytes; read, so deleted
    kNoActionTable = TARVEL_NO_ACTION_TABLE,               // TR010Action called without a table
};

// Opens the file named in run.fileName, reads it into a new block (run.loadedBlock),
// sets run.actionCount, closes and deletes it, with each routine's result left in
// returnCode. True when there is a table to run; otherwise returnCode is one of the
// codes above.
bool load_action_file(ControllerRun &run, int32_t &returnCode);
