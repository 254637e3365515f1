// The console a launch's child gets. A process with no console of its own (TARVEL.EXE,
// a GUI program, started by a GUI host) would give every console program it starts a
// new console, and a new console host process with it. Instead, the console programs
// it starts with their output caught share one hidden console that the process makes
// the first time it starts one, set back before each of them to what a new console
// shows. A process that has a console changes nothing.
#pragma once

#include <windows.h>

// The creation flags for a launch of commandLine (no application name), redirected or
// plain (SPAWNEXE); makes the shared console first when this is the first redirected
// launch of a console program. The child sees what it sees in a process with no
// console: a redirected console program a hidden console, a redirected GUI program no
// console, a plain launch's console program a console of its own.
DWORD PrepareChildConsole(const char *commandLine, bool redirected);
