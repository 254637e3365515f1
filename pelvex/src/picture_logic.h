// The picture library's arithmetic: which bitmaps it can draw, where a picture goes in
// a window, and the colour count of a display depth.
#pragma once

#include <windows.h>

#include <cstdint>

namespace pelvex {

// Where the colour table and the pixel bits of a checked bitmap begin.
struct DibLayout {
    size_t colourCount = 0;
    size_t bitsOffset = 0;
};

// True when the size bytes at data hold a bitmap this library draws, with its header,
// colour table and bits all inside them. Run-length encoded bitmaps must be bottom-up
// and state their encoded size, as the system's drawing needs.
inline bool check_dib(const void *data, size_t size, DibLayout *layout)
{
    if (data == nullptr || size < sizeof(BITMAPINFOHEADER))
        return false;
    const auto *h = static_cast<const BITMAPINFOHEADER *>(data);
    if (h->biSize < sizeof(BITMAPINFOHEADER) || h->biSize > size || h->biPlanes != 1 ||
        h->biWidth <= 0 || h->biHeight == 0)
        return false;
    bool rle = h->biCompression == BI_RLE8 || h->biCompression == BI_RLE4;
    if (h->biCompression == BI_RLE8 && h->biBitCount != 8)
        return false;
    if (h->biCompression == BI_RLE4 && h->biBitCount != 4)
        return false;
    if (!rle && (h->biCompression != BI_RGB ||
                 (h->biBitCount != 1 && h->biBitCount != 4 && h->biBitCount != 8 &&
                  h->biBitCount != 24)))
        return false;
    if (rle && (h->biHeight < 0 || h->biSizeImage == 0))
        return false;
    uint64_t maxColours = h->biBitCount <= 8 ? (uint64_t{1} << h->biBitCount) : 0;
    uint64_t colours = h->biClrUsed != 0 ? h->biClrUsed : maxColours;
    if (colours > maxColours && h->biBitCount <= 8)
        return false;
    uint64_t height = h->biHeight < 0 ? -int64_t{h->biHeight} : h->biHeight;
    uint64_t stride = (uint64_t(h->biWidth) * h->biBitCount + 31) / 32 * 4;
    uint64_t imageBytes = rle ? h->biSizeImage : stride * height;
    uint64_t bitsOffset = h->biSize + colours * sizeof(RGBQUAD);
    if (bitsOffset + imageBytes > size)
        return false;
    layout->colourCount = static_cast<size_t>(colours);
    layout->bitsOffset = static_cast<size_t>(bitsOffset);
    return true;
}

struct Placement {
    int x, y, width, height;
};

// Where a w x h picture is drawn in a W x H window with the given style: centred (bit
// 0x0001, offsets truncated toward zero), else stretched (bit 0x0100), else at the origin.
inline Placement place_picture(DWORD style, int W, int H, int w, int h)
{
    if (style & 0x0001)
        return {(W - w) / 2, (H - h) / 2, w, h};
    if (style & 0x0100)
        return {0, 0, W, H};
    return {0, 0, w, h};
}

inline int colours_for_depth(int bitsPerPixel)
{
    if (bitsPerPixel >= 24)
        return 1 << 24;
    if (bitsPerPixel < 1)
        return 2;
    return 1 << bitsPerPixel;
}

} // namespace pelvex
