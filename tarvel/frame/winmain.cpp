// Process entry: hands the WinMain arguments and the controller's main entry to the
// run-time, which runs it as the main program and ends the process.
#include <windows.h>

#include "entries.h"
#include "program.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR tail, int show)
{
    qx_winmain(instance, previous, tail, show, reinterpret_cast<qx_main_entry>(&TARVEL));
}
