// The picture library's arithmetic: which bitmaps it can draw, where a picture goes in
// a window, and the colour count of a display depth.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pelvex {

// A bitmap's information header, as a bitmap resource begins.
struct BitmapInfoHeader {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight; // negative: stored top-down
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage; // the encoded size of a run-length encoded bitmap
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};
static_assert(sizeof(BitmapInfoHeader) == 40);
static_assert(offsetof(BitmapInfoHeader, biCompression) == 16);
static_assert(offsetof(BitmapInfoHeader, biClrUsed) == 32);

// The compressions of biCompression.
constexpr uint32_t kBitmapRgb = 0;
constexpr uint32_t kBitmapRle8 = 1;
constexpr uint32_t kBitmapRle4 = 2;
// Bytes of one colour table entry (blue, green, red, reserved).
constexpr size_t kColourEntrySize = 4;

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
    if (data == nullptr || size < sizeof(BitmapInfoHeader))
        return false;
    const auto *header = static_cast<const BitmapInfoHeader *>(data);
    if (header->biSize < sizeof(BitmapInfoHeader) || header->biSize > size ||
        header->biPlanes != 1 || header->biWidth <= 0 || header->biHeight == 0)
        return false;
    bool rle = header->biCompression == kBitmapRle8 || header->biCompression == kBitmapRle4;
    if (header->biCompression == kBitmapRle8 && header->biBitCount != 8)
        return false;
    if (header->biCompression == kBitmapRle4 && header->biBitCount != 4)
        return false;
    if (!rle && (header->biCompression != kBitmapRgb ||
                 (header->biBitCount != 1 && header->biBitCount != 4 && header->biBitCount != 8 &&
                  header->biBitCount != 24)))
        return false;
    if (rle && (header->biHeight < 0 || header->biSizeImage == 0))
        return false;
    uint64_t maxColours = header->biBitCount <= 8 ? (uint64_t{1} << header->biBitCount) : 0;
    uint64_t colours = header->biClrUsed != 0 ? header->biClrUsed : maxColours;
    if (colours > maxColours && header->biBitCount <= 8)
        return false;
    uint64_t height = header->biHeight < 0 ? -int64_t{header->biHeight} : header->biHeight;
    uint64_t stride = (uint64_t(header->biWidth) * header->biBitCount + 31) / 32 * 4;
    uint64_t imageBytes = rle ? header->biSizeImage : stride * height;
    uint64_t bitsOffset = header->biSize + colours * kColourEntrySize;
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
inline Placement place_picture(uint32_t style, int windowWidth, int windowHeight, int pictureWidth,
                               int pictureHeight)
{
    if (style & 0x0001)
        return {(windowWidth - pictureWidth) / 2, (windowHeight - pictureHeight) / 2, pictureWidth,
                pictureHeight};
    if (style & 0x0100)
        return {0, 0, windowWidth, windowHeight};
    return {0, 0, pictureWidth, pictureHeight};
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
