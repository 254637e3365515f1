// The hot-spot control's point mapping and rectangle rule.
#include "hot_spots.h"

namespace zelvane {

Point map_picture_point(Point point, uint32_t style, bool pictureLoaded, int windowWidth,
                        int windowHeight, int pictureWidth, int pictureHeight)
{
    if (!(style & HSW_MAPPING) || !pictureLoaded)
        return point;
    if (style & HSW_CENTRED)
        return {point.x + (pictureWidth - windowWidth) / 2,
                point.y + (pictureHeight - windowHeight) / 2};
    if ((style & HSW_STRETCHED) && windowWidth != 0 && windowHeight != 0)
        return {point.x * pictureWidth / windowWidth, point.y * pictureHeight / windowHeight};
    return point;
}

bool contains(const Rect &rect, Point point)
{
    return point.x >= rect.left && point.x < rect.right && point.y >= rect.top &&
           point.y < rect.bottom;
}

} // namespace zelvane
