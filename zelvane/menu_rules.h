// The front-end's decisions that need no window: whether a start ends at once, which
// picture suits the display, and the table of the menu's five panels.
#pragma once

#include <windows.h>

// True when the program must end without a window: started for an inserted CD (the
// argument text is "/cd" in any case, nothing more) and the user asked not to be
// shown the menu then (stored 0). Any other stored value shows the window.
bool EndsWithoutWindow(const char *arguments, int show);

// The picture to load and its display flags for a display of nColours colours.
struct PictureChoice {
    UINT nIDResource;
    DWORD dwFlags;
};
PictureChoice ChoosePicture(int nColours);

// One panel of the menu: its hot spot in picture pixels (right and bottom outside),
// the command a click on it sends, and what that command starts from the CD.
struct LaunchEntry {
    RECT hotSpot;
    UINT nCmdID;
    const char *program;
    const char *folder;    // below the CD base; may be empty
    const char *arguments; // may be empty
};

constexpr int kLaunchCount = 5;
// In the order the hot spots are added to the picture, left to right.
extern const LaunchEntry kLaunchTable[kLaunchCount];
