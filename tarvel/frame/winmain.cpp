// Process entry: the C run-time is set up by its start-up code, which calls main; main
// computes WinMain's arguments and ends the process with WinMain's result. WinMain hands
// them and the controller's main entry to the run-time, which runs it as the main program
// and ends the process.
#include <windows.h>

#include <cstdlib>

#include "entries.h"
#include "process_entry.h"
#include "program.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR tail, int show)
{
    qx_winmain(instance, previous, tail, show, reinterpret_cast<qx_main_entry>(&TARVEL));
}

int main()
{
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    // WinMain takes a writable tail by its signature; nothing writes to it.
    LPSTR tail = const_cast<LPSTR>(frame::command_line_tail(GetCommandLineA()));
    std::exit(WinMain(GetModuleHandleA(nullptr), nullptr, tail, frame::show_command(startup)));
}
