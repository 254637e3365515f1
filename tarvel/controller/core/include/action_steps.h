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

// The system types (osType) that take command.com and the first hand-over column.
constexpr uint8_t kOsTypes9x[] = {5, 131};
bool is_9x_family(uint8_t osType);

// Kind 4: the interpreter's prefix ("command.com /c " or "cmd.exe /c ") followed by as
// much of the entry's command line as fits in 768 bytes.
void interpreter_command_line(const ActionEntry &entry, uint8_t osType, CommandLine &out);
// Any kind but the interpreter's and the hand-over's: the entry's command line unchanged.
void direct_command_line(const ActionEntry &entry, CommandLine &out);
// Kind 5: the ten digits and their NUL, then spaces.
void hand_over_command_line(const char (&digits)[11], CommandLine &out);

// The hand-over program for the header's processId and the system type, written into
// the program field padded with spaces.
void write_hand_over_program(uint32_t processId, uint8_t osType, char (&program)[260]);

// The run mode that waits for the program and records process id 1, whatever the
// header holds; any other given run mode starts without a wait of the controller's own.
constexpr int32_t kRunModeWait = 1;

enum class Launch { WaitExe, SingleExe, QuennetStartExe };
// The launch routine for the run mode (null when absent) and the header's processId.
Launch choose_launch(const int32_t *runMode, uint32_t processId);

// A program text for a launch routine, ended by a NUL even when the field has none.
void bounded_program(const char (&program)[260], char (&out)[261]);

// True when the entry asks for a completion notice: not a hand-over, a window, and a
// noticeTag other than "0" and 11 spaces.
bool wants_notice(const ActionEntry &entry);

} // namespace action
