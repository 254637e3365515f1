// Forced into a test build of the picture library, ahead of its source: the display's
// colour count comes from the variable PELVEX_TEST_COLOURS when it is set, so a test
// can give the menu window a display of any count without changing the display.
#pragma once

#include <windows.h>

#include "picture_logic.h"

#include <cstdlib>

namespace pelvex {

inline int test_colours_for_depth(int bitsPerPixel)
{
    char text[16] = {};
    if (::GetEnvironmentVariableA("PELVEX_TEST_COLOURS", text, sizeof text) > 0)
        return std::atoi(text);
    return colours_for_depth(bitsPerPixel);
}

} // namespace pelvex

// The picture library's one call of colours_for_depth, in GetDisplayColours, comes here.
#define colours_for_depth test_colours_for_depth
