#include "controls/EkBmp.h"
#include "tests/controls/EkBmpTestUtil.h"

#include <gtest/gtest.h>

using namespace painttest;

namespace {

constexpr TPixel kBlack = 0xFF000000u;
constexpr TPixel kWhite = 0xFFFFFFFFu;

TEST(EkBmpFill, FillRectClipsToTheBitmap) {
    TEkBmp bmp(4, 4);
    bmp.fillRect(TRect(2, -3, 9, 2), TEkColor(0u));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(bmp.pixelAt(x, y), (x >= 2 && y < 2) ? 0x00000000u : kWhite) << x << "," << y;
}

TEST(EkBmpFill, CutCornersLeaveExactlyTheFourCorners) {
    TEkBmp bmp(6, 5);
    bmp.fillRectCutCorners(TRect(1, 1, 5, 4), TEkColor(0u));
    int untouched = 0;
    for (int y = 1; y < 4; ++y)
        for (int x = 1; x < 5; ++x)
            untouched += bmp.pixelAt(x, y) == kWhite;
    EXPECT_EQ(untouched, 4);
    EXPECT_EQ(bmp.pixelAt(1, 1), kWhite);
    EXPECT_EQ(bmp.pixelAt(4, 3), kWhite);
    EXPECT_EQ(bmp.pixelAt(1, 2), 0u);
}

TEST(EkBmpFill, VerticalGradientOver256RowsGivesRowKGreyK) {
    TEkBmp bmp(2, 256);
    bmp.gradientFill(true, bmp.boundsRect(), TEkColor(0u), TEkColor(0xFFFFFFu));
    for (int k = 0; k < 256; ++k)
        ASSERT_EQ(bmp.pixelAt(1, k), 0xFF000000u | uint32_t(k) * 0x010101u) << k;
}

TEST(EkBmpFill, HorizontalGradientRunsLeftToRightOnEveryRow) {
    TEkBmp bmp(3, 2);
    bmp.gradientFill(false, bmp.boundsRect(), TEkColor(0x0000FFu), TEkColor(0xFF0000u));
    EXPECT_EQ(bmp.pixelAt(0, 1), 0xFFFF0000u); // red at the left
    EXPECT_EQ(bmp.pixelAt(2, 1), 0xFF0000FFu); // blue at the right
}

// The default tool-bar button: 26 rows, light 0xFBF2EA, dark 0xD8B4A3, shade 60.
TEST(EkBmpFill, ToolBarButtonPipeRows) {
    TEkBmp bmp(30, 26);
    bmp.pipeFill(true, 60, bmp.boundsRect(), TColor(0xFBF2EA), TColor(0xD8B4A3), false);
    EXPECT_EQ(rgbAt(bmp, 0, 0), (Rgb{163, 180, 216}));
    EXPECT_EQ(rgbAt(bmp, 5, 9), (Rgb{233, 241, 250}));
    EXPECT_EQ(rgbAt(bmp, 5, 10), (Rgb{234, 242, 251}));
    EXPECT_EQ(rgbAt(bmp, 29, 25), (Rgb{124, 137, 165}));
    EXPECT_EQ(bmp.pixelAt(29, 25) >> 24, 255u);
}

TEST(EkBmpFill, PipeSplitsAtTwoFifthsOrThreeFifthsWhenWide) {
    TEkBmp bmp(1, 10);
    bmp.pipeFill(true, 100, bmp.boundsRect(), TColor(0xC8C8C8), TColor(0x646464), false);
    EXPECT_EQ(rgbAt(bmp, 0, 0), (Rgb{100, 100, 100})); // c2 at the top
    EXPECT_EQ(rgbAt(bmp, 0, 4), (Rgb{200, 200, 200})); // c1 at the split
    EXPECT_EQ(rgbAt(bmp, 0, 9), (Rgb{60, 60, 60}));    // c2 darkened by 100
    bmp.pipeFill(true, 100, bmp.boundsRect(), TColor(0xC8C8C8), TColor(0x646464), true);
    EXPECT_EQ(rgbAt(bmp, 0, 0), (Rgb{60, 60, 60}));    // wide: the dark end on top
    EXPECT_EQ(rgbAt(bmp, 0, 6), (Rgb{200, 200, 200})); // 3 * 10 / 5
    EXPECT_EQ(rgbAt(bmp, 0, 9), (Rgb{100, 100, 100}));

    TEkBmp h(10, 1);
    h.pipeFill(false, 100, h.boundsRect(), TColor(0xC8C8C8), TColor(0x646464), false);
    EXPECT_EQ(rgbAt(h, 0, 0), (Rgb{100, 100, 100}));
    EXPECT_EQ(rgbAt(h, 4, 0), (Rgb{200, 200, 200})); // 5 entries from c2 to c1
    // the second ramp starts at pixel 3's colour and its last entry falls past the rect
    EXPECT_EQ(rgbAt(h, 5, 0), rgbAt(h, 3, 0));
    EXPECT_GT(rgbAt(h, 9, 0).r, 60);
}

// Extents of 1 to 4 make ramps of 0 or 1 entries: they must paint, not divide by zero.
TEST(EkBmpFill, TinyRampsPaintWithoutDividingByZero) {
    for (int n = 1; n <= 4; ++n) {
        for (bool vertical : {true, false}) {
            TEkBmp bmp(vertical ? 3 : n, vertical ? n : 3);
            bmp.clearRect(bmp.boundsRect());
            bmp.pipeFill(vertical, 60, bmp.boundsRect(), TColor(0xFFFFFF), TColor(0x808080), false);
            for (int i = 0; i < n * 3; ++i)
                EXPECT_EQ(bmp.bits()[i] >> 24, 255u) << n << (vertical ? " vertical" : " horizontal");
            bmp.gradientFill(vertical, bmp.boundsRect(), TColor(0x112233), TColor(0x445566));
            EXPECT_EQ(rgbAt(bmp, 0, 0), (Rgb{0x33, 0x22, 0x11}));
        }
    }
    TEkBmp one(1, 1);
    one.pipeFill(true, 60, one.boundsRect(), TColor(0x112233), TColor(0x445566), false);
    EXPECT_EQ(rgbAt(one, 0, 0), (Rgb{0x33, 0x22, 0x11})); // one row: c1
}

TEST(EkBmpEdges, SunkenEdgeOnOnePixelTouchesOnlyRightAndBottom) {
    TEkBmp bmp(3, 3);
    fillAll(bmp, 0xFF808080u);
    bmp.drawSunkenEdge(TRect(1, 1, 2, 2));
    EXPECT_EQ(bmp.pixelAt(1, 1), lighten(lighten(0xFF808080u, 120), 150));
    EXPECT_EQ(bmp.pixelAt(0, 0), 0xFF808080u);
}

TEST(EkBmpEdges, EdgesCoverTheirStatedRuns) {
    TEkBmp bmp(4, 4);
    fillAll(bmp, 0xFF808080u);
    bmp.darkenLeftEdge(bmp.boundsRect(), 255);
    EXPECT_EQ(bmp.pixelAt(0, 2), kBlack);
    EXPECT_EQ(bmp.pixelAt(0, 3), 0xFF808080u); // height - 1 pixels
    bmp.lightenBottomEdge(bmp.boundsRect(), 255);
    EXPECT_EQ(bmp.pixelAt(3, 3), 0xFFFEFEFEu); // full width
    // An edge partly off the bitmap changes only the pixels on it.
    bmp.darkenTopEdge(TRect(-10, 1, 10, 3), 255);
    EXPECT_EQ(bmp.pixelAt(3, 1), kBlack);
}

TEST(EkBmpEdges, FrameOfThicknessThreeOnFourByFourPaintsTwoRings) {
    TEkBmp bmp(6, 6);
    bmp.drawFrame(3, TRect(1, 1, 5, 5), TEkColor(0u));
    int painted = 0;
    for (int i = 0; i < 36; ++i)
        painted += bmp.bits()[i] == 0u;
    EXPECT_EQ(painted, 16);
}

TEST(EkBmpEdges, FrameIsClippedToTheBitmap) {
    TEkBmp bmp(4, 4);
    bmp.drawFrame(2, TRect(-3, 2, 20, 30), TEkColor(0u));
    EXPECT_EQ(bmp.pixelAt(0, 2), 0u);
    EXPECT_EQ(bmp.pixelAt(3, 3), 0u);
    EXPECT_EQ(bmp.pixelAt(0, 1), kWhite);
}

TEST(EkBmpEdges, SoftenCornersSetsAlphaOnly) {
    TEkBmp bmp(5, 4);
    fillAll(bmp, 0xFF123456u);
    bmp.softenCorners(bmp.boundsRect());
    EXPECT_EQ(bmp.pixelAt(0, 0), 0x32123456u);
    EXPECT_EQ(bmp.pixelAt(1, 0), 0xB4123456u);
    EXPECT_EQ(bmp.pixelAt(0, 1), 0xB4123456u);
    EXPECT_EQ(bmp.pixelAt(4, 3), 0x32123456u);
    EXPECT_EQ(bmp.pixelAt(2, 1), 0xFF123456u);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(bmp.bits()[i] & 0xFFFFFFu, 0x123456u);
}

TEST(EkBmpEdges, SoftInnerCornersTakeTheOutsideColour) {
    TEkBmp bmp(14, 10);
    fillAll(bmp, kBlack);
    bmp.fillRect(TRect(2, 2, 12, 8), TEkColor(0xFFFFFFu));
    bmp.drawSoftInnerCorners(TRect(2, 2, 12, 8));
    EXPECT_EQ(bmp.pixelAt(2, 2) & 0xFFFFFFu, 0u);      // coverage 255
    EXPECT_EQ(rgbAt(bmp, 4, 2), (Rgb{86, 86, 86}));    // 168: (255 * 87) >> 8
    EXPECT_EQ(rgbAt(bmp, 3, 3), (Rgb{134, 134, 134})); // 120: (255 * 135) >> 8
    EXPECT_EQ(rgbAt(bmp, 11, 7), (Rgb{0, 0, 0}));      // mirrored corners too
    EXPECT_EQ(rgbAt(bmp, 9, 7), (Rgb{86, 86, 86}));
    EXPECT_EQ(rgbAt(bmp, 7, 5), (Rgb{255, 255, 255}));
}

TEST(EkBmpEdges, SoftInnerCornersSkipCornersWhoseOutsideIsOffTheBitmap) {
    TEkBmp bmp(10, 10);
    fillAll(bmp, kBlack);
    bmp.fillRect(TRect(0, 2, 8, 8), TEkColor(0xFFFFFFu));
    bmp.drawSoftInnerCorners(TRect(0, 2, 8, 8)); // the left corners have nothing outside
    EXPECT_EQ(rgbAt(bmp, 0, 2), (Rgb{255, 255, 255}));
    EXPECT_EQ(rgbAt(bmp, 0, 7), (Rgb{255, 255, 255}));
    EXPECT_EQ(rgbAt(bmp, 7, 2), (Rgb{0, 0, 0}));
}

TEST(EkBmpSmoothing, HalfMixesInPlace) {
    TEkBmp bmp(5, 1);
    const TPixel row[5] = {0xFF000000u, 0xFF000000u, 0xFF808080u, 0xFFFFFFFFu, 0xFFFFFFFFu};
    std::copy(row, row + 5, bmp.bits());
    bmp.smoothHorz(bmp.boundsRect());
    EXPECT_EQ(bmp.pixelAt(2, 0), 0xFF7F7F7Fu);
    EXPECT_EQ(bmp.pixelAt(3, 0), 0xFFBEBEBEu); // fed by the smoothed pixel 2
    EXPECT_EQ(bmp.pixelAt(4, 0), 0xFFFFFFFFu);
}

TEST(EkBmpSmoothing, Rotate180ReversesTheClippedRect) {
    TEkBmp r(3, 3);
    for (int i = 0; i < 9; ++i)
        r.bits()[i] = uint32_t(i);
    r.rotate180(0, 0, 3, 3);
    EXPECT_EQ(r.pixelAt(0, 0), 8u);
    EXPECT_EQ(r.pixelAt(0, 1), 5u); // the middle row reversed
    EXPECT_EQ(r.pixelAt(1, 1), 4u);
    r.rotate180(-5, -5, 50, 50); // clipped: the whole bitmap
    EXPECT_EQ(r.pixelAt(0, 0), 0u);
}

} // namespace
