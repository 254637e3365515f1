// The readable text form of an action file, and the file's bytes: one header, any
// number of entries, each field by name. Text -> bytes -> text is exact.
//
//   # a comment
//   [header]                           # a note
//   appDir = C:\WORK                   # bare text: up to a note or the line's end, trimmed
//   [entry]
//   program = "C:\\TOOLS\\RUN.EXE"      # quoted text: \\ \" \0 \t \r \n \xHH
//   commandLine = RUN.EXE -v
//   kind = 7
//
// A line that begins with # (after any blanks) is a comment. A # that follows a blank
// (space or tab) begins a note that runs to the end of the line: after a section's
// heading, in a bare text, and after a quoted text and its words. A # inside a quoted
// text, or in a bare text right after another character (C:\a#b), is text; so a text
// that holds a blank followed by # is given quoted, as describe gives every text.
// Text fields are padded with spaces; program and commandLine get their NUL first.
// After a quoted text, "unended" leaves out that NUL and "zero-filled" pads with zero
// bytes instead of spaces. Fields not given keep their defaults.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "action_table.h"

namespace actionfile {

struct ActionFile {
    ActionHeader header;
    std::vector<ActionEntry> entries;
    std::string trailer; // bytes after the last whole entry
};

// A header and an entry as the tool writes them when no field is given.
ActionHeader default_header();
ActionEntry default_entry();

// Reads a description; on failure error names the line and the fault. A table holds
// at most kMaxActions entries: the line of the one past them is refused.
bool parse(std::string_view text, ActionFile &file, std::string &error);
// The description of a file, every field the controller reads and any other byte
// that is not zero. A file of more entries than a table holds is described whole,
// with a comment before the first entry the controller never runs.
std::string describe(const ActionFile &file);

std::string to_bytes(const ActionFile &file);
// A file too short for its header is refused.
bool from_bytes(std::string_view bytes, ActionFile &file, std::string &error);

} // namespace actionfile
