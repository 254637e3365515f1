// The command line of a launch: program text, one space, argument text.
#pragma once

// Program text, one space, argument text and a NUL into the command line (a null text
// counts as empty); false, and the command line untouched, when they do not fit in it.
bool BuildCommandLine(char (&commandLine)[1024], const char *program, const char *arguments);
