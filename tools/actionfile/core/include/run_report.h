// What `actionfile run` prints about each entry and the status it ends with: plain
// functions over the entry and what its run gave, apart from the run itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "action_table.h"

namespace actionfile {

struct EntryOutcome {
    enum class State { Skipped, NotStarted, Ended };
    State state = State::Skipped;
    uint32_t exitCode = 0;
    bool notice = false; // a completion notice came; exitCode and tag are its own
    std::string tag;     // the notice's tag, without its padding
};

// The kind as a word: the two kinds the controller tells apart, else "direct".
std::string kind_name(uint8_t kind);

// "== entry N: kind K (WORD), PROGRAM, in DIRECTORY"
std::string header_line(size_t number, const ActionEntry &entry, const std::string &directory);

// "== entry N (PROGRAM) ended with exit code C, notice "TAG"", "... could not start,
// ...", or "== entry N (PROGRAM) skipped (runFlag 0)".
std::string closing_line(size_t number, const ActionEntry &entry, const EntryOutcome &outcome);

// 0 when every entry that ran ended with exit code 0, else 1.
int exit_status(const std::vector<EntryOutcome> &outcomes);

// The bytes of a noticeTag field without the spaces and NULs that pad it.
std::string tag_text(const char (&noticeTag)[12]);

} // namespace actionfile
