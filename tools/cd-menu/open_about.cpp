// Opens the About box of a running CD menu, as its system command does: finds the menu
// window by its caption and posts the command to it. Exit code 0 when posted, 1 when no
// menu window is open.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // Dialog boxes have the window class "#32770".
    HWND menu = FindWindowA("#32770", "Velmora Product Preview CD");
    if (menu == nullptr)
        return 1;
    constexpr WPARAM kAboutCommand = 0x0010;
    return PostMessageA(menu, WM_SYSCOMMAND, kAboutCommand, 0) ? 0 : 1;
}
