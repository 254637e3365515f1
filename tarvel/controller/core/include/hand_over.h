// The data the controller sends through pipe blocks: a hand-over action for a
// hand-over program, and the completion notice for the window that asked for one.
#pragma once

#include <cstddef>
#include <cstdint>

#include "action_table.h"
#include "big_endian.h"

#pragma pack(push, 1)

struct HandOverBlock {
    char sharedPart[520];              // the header's sharedPart
    uint8_t entry[kEntryHandOverPart]; // bytes 0 to 1583 of the entry
};

struct CompletionNotice {
    uint32_t one;                 // always 1
    frame::BigEndian<4> exitCode; // as WAITEXE stores it
    char noticeTag[12];           // the entry's noticeTag
};

#pragma pack(pop)

static_assert(sizeof(HandOverBlock) == 2104);
static_assert(offsetof(HandOverBlock, sharedPart) == 0);
static_assert(offsetof(HandOverBlock, entry) == 520);

static_assert(sizeof(CompletionNotice) == 20);
static_assert(offsetof(CompletionNotice, one) == 0);
static_assert(offsetof(CompletionNotice, exitCode) == 4);
static_assert(offsetof(CompletionNotice, noticeTag) == 8);
