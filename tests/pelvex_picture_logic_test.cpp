// The picture library's checks of bitmap resources and its colour count, as plain
// functions: a resource that lies about its sizes is refused, never read past its end.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "picture_logic.h"

namespace {

// A bitmap with a header, its colour table (colours entries, or all the bit count
// allows when colours is 0) and imageBytes of pixel data.
std::vector<uint8_t> bitmap(uint16_t bits, uint32_t compression, int32_t height, uint32_t sizeImage,
                            uint32_t colours, size_t imageBytes)
{
    pelvex::BitmapInfoHeader h{};
    h.biSize = sizeof h;
    h.biWidth = 10;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = bits;
    h.biCompression = compression;
    h.biSizeImage = sizeImage;
    h.biClrUsed = colours;
    size_t table = colours != 0 ? colours : (bits <= 8 ? size_t{1} << bits : 0);
    std::vector<uint8_t> data(sizeof h + table * pelvex::kColourEntrySize + imageBytes);
    std::memcpy(data.data(), &h, sizeof h);
    return data;
}

bool accepted(const std::vector<uint8_t> &data, pelvex::DibLayout *layout = nullptr)
{
    pelvex::DibLayout ignored;
    return pelvex::check_dib(data.data(), data.size(), layout ? layout : &ignored);
}

TEST(CheckDib, RunLengthBitmapsNeedTheirSizeAndABottomUpHeight)
{
    pelvex::DibLayout layout;
    EXPECT_TRUE(accepted(bitmap(8, pelvex::kBitmapRle8, 10, 40, 256, 40), &layout));
    EXPECT_EQ(layout.colourCount, 256u);
    EXPECT_EQ(layout.bitsOffset, 40u + 1024u);
    EXPECT_TRUE(accepted(bitmap(4, pelvex::kBitmapRle4, 10, 40, 0, 40), &layout));
    EXPECT_EQ(layout.colourCount, 16u) << "no count given: the full table of 4-bit colours";
    EXPECT_FALSE(accepted(bitmap(8, pelvex::kBitmapRle8, 10, 0, 256, 40)));
    EXPECT_FALSE(accepted(bitmap(8, pelvex::kBitmapRle8, -10, 40, 256, 40)));
    EXPECT_FALSE(accepted(bitmap(4, pelvex::kBitmapRle8, 10, 40, 16, 40))) << "RLE8 needs 8 bits";
}

TEST(CheckDib, NothingReachesPastTheResource)
{
    EXPECT_FALSE(accepted(bitmap(8, pelvex::kBitmapRle8, 10, 41, 256, 40)));
    EXPECT_FALSE(accepted(bitmap(8, pelvex::kBitmapRgb, 10, 0, 256, 99)))
        << "10 x 10 at 8 bits is 120 bytes";
    EXPECT_TRUE(accepted(bitmap(8, pelvex::kBitmapRgb, -10, 0, 256, 120)));
    EXPECT_FALSE(accepted(bitmap(4, pelvex::kBitmapRgb, 10, 0, 17, 60)))
        << "more colours than 4 bits hold";
    auto huge = bitmap(8, pelvex::kBitmapRle8, 10, 0xFFFFFFF0u, 256, 40);
    EXPECT_FALSE(accepted(huge));
    std::vector<uint8_t> shortHeader(20);
    EXPECT_FALSE(accepted(shortHeader));
    EXPECT_FALSE(pelvex::check_dib(nullptr, 100, nullptr));
}

TEST(DisplayColours, DepthToColours)
{
    EXPECT_EQ(pelvex::colours_for_depth(4), 16);
    EXPECT_EQ(pelvex::colours_for_depth(8), 256);
    EXPECT_EQ(pelvex::colours_for_depth(16), 65536);
    EXPECT_EQ(pelvex::colours_for_depth(24), 1 << 24);
    EXPECT_EQ(pelvex::colours_for_depth(32), 1 << 24);
}

TEST(Placement, CentredStretchedOrAtTheOrigin)
{
    auto centred = pelvex::place_picture(0x8001, 591, 374, 580, 435);
    EXPECT_EQ(centred.x, 5);
    EXPECT_EQ(centred.y, -30) << "(374 - 435) / 2 truncated toward zero";
    auto stretched = pelvex::place_picture(0x8100, 290, 217, 580, 435);
    EXPECT_EQ(stretched.width, 290);
    EXPECT_EQ(stretched.height, 217);
    auto plain = pelvex::place_picture(0x8000, 290, 217, 580, 435);
    EXPECT_EQ(plain.x, 0);
    EXPECT_EQ(plain.width, 580);
}

} // namespace
