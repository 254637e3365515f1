// The controller's fields for running one action, kept across calls.
#pragma once

#include <windows.h>

#include <cstdint>

#include "action_steps.h"
#include "action_table.h"

// The handles and data address of one pipe block, as ALLOCSHAREDMEM fills them.
struct PipeFields {
    HANDLE readHandle = nullptr;
    HANDLE writeHandle = nullptr;
    void *data = nullptr;
};

struct ActionRun {
    int32_t lastProcessId = 0; // copied into the header's processId after each action
    BigEndian32 exitCode = {}; // filled by WAITEXE
    action::CommandLine commandLine = {};
    char handleDigits[11] = {}; // the hand-over read handle in 10 digits, then NUL
    PipeFields handOverPipe;
    // The block as it went into the hand-over pipe: one still lying there unread is no
    // reply from the hand-over program.
    HandOverBlock sentBlock = {};
    // The notice's read handle is the run's noticeReadHandle, which the end of a run reads.
    HANDLE noticeWriteHandle = nullptr;
    void *noticeData = nullptr;
    uint8_t kind = 0;            // QUERYEXE's kind; not read by the controller
    char *environment = nullptr; // null: the controller's own environment
};
