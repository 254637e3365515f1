// The front-end's window-less decisions: the start on CD insertion, the picture for
// the display, and the panels' hot spots.
#include "menu_rules.h"

#include <gtest/gtest.h>

namespace {

TEST(StartDecision, OnlyTheCdStartWithStoredZeroEndsAtOnce)
{
    for (const char *cd : {"/cd", "/CD", "/Cd", "/cD"})
        EXPECT_TRUE(EndsWithoutWindow(cd, 0)) << cd;
    // Any non-zero stored value is a wish to see the window.
    for (int show : {1, 5, -1})
        EXPECT_FALSE(EndsWithoutWindow("/cd", show)) << show;
    // The whole argument text counts: blanks after it, a further word or a prefix of
    // "/cd" are a start by hand.
    for (const char *other : {"/cd ", "/cd x", " /cd", "/c", "/cdx", "cd", ""})
        EXPECT_FALSE(EndsWithoutWindow(other, 0)) << "'" << other << "'";
    EXPECT_FALSE(EndsWithoutWindow(nullptr, 0));
}

TEST(PictureChoice, TwentyColoursOrFewerGetTheSixteenColourPicture)
{
    for (int colours : {2, 16, 20}) {
        PictureChoice c = ChoosePicture(colours);
        EXPECT_EQ(c.nIDResource, 130u) << colours;
        EXPECT_EQ(c.dwFlags, 0x0001u) << colours;
    }
    for (int colours : {21, 256, 65536, 1 << 24}) {
        PictureChoice c = ChoosePicture(colours);
        EXPECT_EQ(c.nIDResource, 129u) << colours;
        EXPECT_EQ(c.dwFlags, 0x1001u) << colours;
    }
}

TEST(LaunchTable, HotSpotsLieInThePanelBandWithoutOverlapping)
{
    for (int i = 0; i < kLaunchCount; ++i) {
        const RECT &a = kLaunchTable[i].hotSpot;
        EXPECT_EQ(a.top, 165);
        EXPECT_EQ(a.bottom, 251);
        EXPECT_GE(a.left, 0);
        EXPECT_LE(a.right, 580);
        for (int j = i + 1; j < kLaunchCount; ++j) {
            RECT overlap{};
            EXPECT_FALSE(IntersectRect(&overlap, &a, &kLaunchTable[j].hotSpot)) << i << "," << j;
        }
    }
}

} // namespace
