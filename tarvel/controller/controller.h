// The controller program's storage, kept between calls and shared by all threads.
#pragma once

#include <cstddef>
#include <cstdint>

#include "action_run.h"
#include "action_table.h"
#include "appdir.h"
#include "big_endian.h"
#include "tarvel_host.h"

// osType, the system type, is the byte at this offset of the operating-system block.
constexpr size_t kOsTypeOffset = 2;

// Start-up and the loop over the actions: the action file, its loaded table, the
// counters and the start-by-hand message.
struct ControllerRun {
    char fileName[10] = {};             // the action file, no path; space-padded
    char threadDigits[8] = {};          // tarvelthread's number as decimal digits
    uint8_t osInfo[13] = {0x00, 0x0D};  // size 13, big-endian; the system type at offset 2
    uint32_t actionCount = 0;           // entries to run
    uint32_t actionIndex = 0;           // 1-based entry being run
    ActionTable *loadedBlock = nullptr; // the table read from the file, never released
    uint32_t noticeReadHandle = 0;      // pipe of the last completion notice sent, 0 = none
    // Arguments of the file routines.
    uint32_t fileHandle = 0;
    frame::BigEndian<8> fileOffset;
    frame::BigEndian<4> byteCount;
    uint8_t readFlags = 0;
    char messageText[184] =
        "This executable forms part of Orlisk and should not be run from the command line.\n"
        "Contact Technical Support if you received this message whilst using Visual Orlisk.";
    char messageCaption[25] = "Orlisk";
};

struct Controller {
    uint8_t initialised = 0;
    // Each part of the controller keeps its fields in a member of its own here.
    AppDirSwitch dirSwitch;
    ControllerRun run;
    ActionRun action;
};

extern Controller g_controller;

// What a controller entry returns when it is called on a thread that is inside a run
// or launch of its own (a host's line handler, say): it does nothing, so the running
// table goes on as it was.
constexpr int32_t kControllerBusy = TARVEL_CONTROLLER_BUSY;
