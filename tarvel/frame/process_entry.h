// The process entry's view of its start-up data: the command-line tail and the show
// command handed to WinMain.
#pragma once

#include <windows.h>

namespace frame {

// The command line without the program name: a name starting with a double quote ends
// at the next double quote, which is skipped too; any other name ends at its first
// character at or below the space. The characters at or below the space that follow
// are skipped as well.
const char *command_line_tail(const char *commandLine);

// wShowWindow when STARTF_USESHOWWINDOW is set, else SW_SHOWDEFAULT.
int show_command(const STARTUPINFOA &startup);

} // namespace frame
