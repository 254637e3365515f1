// The hot-spot control's arithmetic in plain numbers: a client point mapped to picture
// pixels, and the hot spot that contains a picture point.
#pragma once

#include <cstdint>

namespace zelvane {

struct Point {
    int32_t x;
    int32_t y;
};

// A rectangle in picture pixels; right and bottom lie outside it.
struct Rect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

} // namespace zelvane

// Window style bits the control reads (the low 16 bits belong to the control class).
constexpr uint32_t HSW_MAPPING = 0x8000;   // mouse points are mapped to picture pixels
constexpr uint32_t HSW_CENTRED = 0x0001;   // the picture is centred in the window
constexpr uint32_t HSW_STRETCHED = 0x0100; // the picture is stretched to the window

namespace zelvane {

// Converts a client point of a window of the given client size into pixels of a picture
// of the given size as the style says; unchanged without the mapping bit or without a
// picture. Integer arithmetic, quotients truncated toward zero.
Point map_picture_point(Point point, uint32_t style, bool pictureLoaded, int windowWidth,
                        int windowHeight, int pictureWidth, int pictureHeight);

// The Windows rule: left <= x < right and top <= y < bottom.
bool contains(const Rect &rect, Point point);

// The index of the last of count rectangles (rectAt(i) is the i-th) that contains
// point, so the last added wins where they overlap; -1 when none does.
template <class RectAt>
int find_last_containing(int count, RectAt rectAt, Point point)
{
    for (int i = count - 1; i >= 0; --i) {
        if (contains(rectAt(i), point))
            return i;
    }
    return -1;
}

} // namespace zelvane
