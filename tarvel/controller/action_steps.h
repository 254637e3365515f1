// The byte-exact steps of running one action, apart from the calls that start
// anything: the command line by kind, the hand-over program's name, the choice of
// launch routine.
#pragma once

#include <cstdint>

#include "action_table.h"

namespace action {

// The command line handed to a launch routine: 768 bytes and one NUL after them, so
// a text that lost its NUL ends at the field's end instead of running on.
constexpr size_t kCommandLineWidth = 768;
using CommandLine = char[kCommandLineWidth + 1];

// True for the system types that take command.com and the first hand-over column.
bool is_9x_family(uint8_t osType);

// Kind 4: the interpreter's prefix ("command.com /c " or "cmd.exe /c ") followed by as
// much of the entry's command line as fits in 768 bytes.
void interpreter_command_line(const ActionEntry &entry, uint8_t osType, CommandLine &out);
// Any kind but 4 and 5: the entry's command line unchanged.
void direct_command_line(const ActionEntry &entry, CommandLine &out);
// Kind 5: the ten digits and their NUL, then spaces.
void hand_over_command_line(const char (&digits)[11], CommandLine &out);

// The hand-over program for the header's processId and the system type, written into
// the program field padded with spaces.
void write_hand_over_program(uint32_t processId, uint8_t osType, char (&program)[260]);

enum class Launch { WaitExe, SingleExe, QuennetStartExe };
// The launch routine for the run mode (null when absent) and the header's processId.
Launch choose_launch(const int32_t *runMode, uint32_t processId);

// A program text for a launch routine, ended by a NUL even when the field has none.
void bounded_program(const char (&program)[260], char (&out)[261]);

// True when the entry asks for a completion notice: not a hand-over, a window, and a
// noticeTag other than "0" and 11 spaces.
bool wants_notice(const ActionEntry &entry);

} // namespace action
