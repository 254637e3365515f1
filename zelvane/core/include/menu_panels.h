// The menu picture's five panels: their hot spots in picture pixels, left to right, in
// the order the menu adds them.
#pragma once

#include "hot_spots.h"

namespace zelvane {

constexpr int kPanelCount = 5;
constexpr Rect kPanelSpots[kPanelCount] = {
    {20, 165, 122, 251},  // the important information
    {130, 165, 230, 251}, // the tour
    {239, 165, 340, 251}, // the toolset's installation
    {349, 165, 445, 251}, // the Win32 SDK's installation
    {461, 165, 553, 251}, // the CompuServe software's installation
};

} // namespace zelvane
