// The action table: a header naming the application directory, then up to 500
// entries, the same bytes in the action file and in memory; and the data of the pipe
// blocks the controller sends, a hand-over action for a hand-over program and the
// completion notice for the window that asked for one. The records are the host
// header's, so that hosts and the controller share one definition of them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "tarvel_host_records.h"

// The entry kinds the controller tells apart; any other kind starts program directly.
constexpr uint8_t kKindInterpreter = TARVEL_KIND_INTERPRETER; // for the command interpreter
constexpr uint8_t kKindHandOver = TARVEL_KIND_HAND_OVER;      // handed to a hand-over program

constexpr uint32_t kMaxActions = TARVEL_MAX_ACTIONS;
// Bytes 0 to 1583 of an entry travel in a hand-over block.
constexpr size_t kEntryHandOverPart = TARVEL_ENTRY_HAND_OVER_PART;
// The entry count is counted from this size; the header itself is 1784 bytes.
constexpr uint32_t kActionCountBase = TARVEL_ACTION_COUNT_BASE;
