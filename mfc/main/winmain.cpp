// The program's entry. The argument text is taken from the process command line here
// rather than from the C run-time's start-up, which reads a quoted program name on to
// the next blank and so swallows an argument written right after the closing quote.
#include "mfc.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR, int nCmdShow)
{
    return AfxWinMain(hInstance, hPrevInstance, AfxArgumentText(::GetCommandLineA()), nCmdShow);
}
