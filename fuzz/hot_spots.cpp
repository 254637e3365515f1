// The hot-spot control: any client point of any window mapped as any style says lands
// where a model in 64-bit arithmetic puts it, and maps to at most one of the menu's
// panels, the one the hit rule finds; a point of a stretched window lands in the
// picture.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "fuzz_check.h"
#include "hot_spots.h"
#include "menu_panels.h"

namespace {

using zelvane::Point;

// Integer division truncated toward zero, in 64 bits.
int64_t divided(int64_t a, int64_t b) { return a / b; }

Point model(Point p, uint32_t style, bool loaded, int64_t windowWidth, int64_t windowHeight,
            int64_t pictureWidth, int64_t pictureHeight)
{
    if (!(style & 0x8000) || !loaded)
        return p;
    if (style & 0x0001)
        return {static_cast<int32_t>(p.x + divided(pictureWidth - windowWidth, 2)),
                static_cast<int32_t>(p.y + divided(pictureHeight - windowHeight, 2))};
    if ((style & 0x0100) && windowWidth != 0 && windowHeight != 0)
        return {static_cast<int32_t>(divided(p.x * pictureWidth, windowWidth)),
                static_cast<int32_t>(divided(p.y * pictureHeight, windowHeight))};
    return p;
}

// The panels that contain p, as a plain count, and the last of them.
int panels_containing(Point p, int &last)
{
    int count = 0;
    last = -1;
    for (int i = 0; i < zelvane::kPanelCount; ++i) {
        const zelvane::Rect &r = zelvane::kPanelSpots[i];
        if (p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom) {
            ++count;
            last = i;
        }
    }
    return count;
}

} // namespace

// Input: the point (two 16-bit signed numbers, as a mouse message carries them), the
// style, whether a picture is loaded, the client size and the picture size (16 bits
// each, unsigned).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    uint8_t bytes[15] = {};
    std::memcpy(bytes, data, size < sizeof bytes ? size : sizeof bytes);
    auto number = [&bytes](int at) { return uint16_t(bytes[at] | bytes[at + 1] << 8); };
    const Point point{int16_t(number(0)), int16_t(number(2))};
    const uint32_t style = number(4);
    const bool loaded = bytes[6] & 1;
    const int windowWidth = number(7), windowHeight = number(9);
    const int pictureWidth = number(11), pictureHeight = number(13);

    const Point mapped = zelvane::map_picture_point(point, style, loaded, windowWidth, windowHeight,
                                                    pictureWidth, pictureHeight);
    const Point expected =
        model(point, style, loaded, windowWidth, windowHeight, pictureWidth, pictureHeight);
    fuzz::check(mapped.x == expected.x && mapped.y == expected.y, "the point maps as the model's");

    int last = -1;
    fuzz::check(panels_containing(mapped, last) <= 1, "a point maps to at most one panel");
    auto panelAt = [](int i) { return zelvane::kPanelSpots[i]; };
    fuzz::check(zelvane::find_last_containing(zelvane::kPanelCount, panelAt, mapped) == last,
                "the hit rule finds the panel that contains the point");

    const bool stretched = (style & 0x8000) && loaded && !(style & 0x0001) && (style & 0x0100);
    if (stretched && windowWidth > 0 && windowHeight > 0 && point.x >= 0 && point.y >= 0 &&
        point.x < windowWidth && point.y < windowHeight)
        fuzz::check(mapped.x >= 0 && mapped.x < std::max(pictureWidth, 1) && mapped.y >= 0 &&
                        mapped.y < std::max(pictureHeight, 1),
                    "a point of a stretched window lands in the picture");
    return 0;
}
