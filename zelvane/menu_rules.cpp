// The front-end's window-less decisions and the table of the menu's panels.
#include "menu_rules.h"

#include "hotspot_wnd.h"
#include "menu_panels.h"
#include "res/resource.h"

#include <cstring>

bool EndsWithoutWindow(const char *arguments, int show)
{
    return arguments != nullptr && _stricmp(arguments, "/cd") == 0 && show == 0;
}

PictureChoice ChoosePicture(int nColours)
{
    // Up to 20 colours (a 16-colour display and its static colours) gets the picture
    // drawn in the 16 standard colours.
    if (nColours > 20)
        return {IDB_PICTURE256, 0x1001};
    return {IDB_PICTURE16, 0x0001};
}

using zelvane::kPanelSpots;
static_assert(kLaunchCount == zelvane::kPanelCount);

const LaunchEntry kLaunchTable[kLaunchCount] = {
    {ToRect(kPanelSpots[0]), ID_INFORMATION, "wordview.exe", "TRIVE", "trive.doc"},
    {ToRect(kPanelSpots[1]), ID_TOUR, "tour.exe", "TRIVE", ""},
    {ToRect(kPanelSpots[2]), ID_SETUP, "setup.exe", "TRIVE", ""},
    {ToRect(kPanelSpots[3]), ID_SDK_SETUP, "setup.exe", "WIN32SDK\\MSTOOLS\\BIN\\I386",
     "/f /i ..\\..\\win32.inf /s \\win32sdk\\"},
    {ToRect(kPanelSpots[4]), ID_WINCIM_SETUP, "setup.exe", "COMPUSRV\\WINDOWS\\WINCIM", ""},
};
