#include "controls/EkBmp.h"
#include "tests/controls/EkBmpTestUtil.h"

#include <gtest/gtest.h>

using namespace painttest;

namespace {

constexpr TPixel kGrey = 0xFF808080u;

// The weight by which a grey 0x80 pixel was darkened: c * (255 - w) / 255 = result.
bool darkenedBy(TPixel p, int w) {
    return p == darken(kGrey, uint8_t(w));
}

TEST(EkBmpOutline, RoundedOutlineCornerWeights) {
    TEkBmp bmp(10, 10);
    fillAll(bmp, 0xFFC8C8C8u);
    bmp.darkenRoundedOutline(bmp.boundsRect(), 90);
    const TPixel c = 0xFFC8C8C8u;
    struct {
        int x, y, w;
    } expected[] = {{0, 1, 40}, {1, 0, 40}, {1, 1, 77}, {2, 0, 77}, {0, 2, 77}, {2, 1, 22},
                    {1, 2, 22}, {3, 0, 90}, {6, 0, 90}, {9, 8, 40}, {8, 9, 40}, {9, 3, 90}};
    for (const auto& e : expected)
        EXPECT_EQ(bmp.pixelAt(e.x, e.y), darken(c, uint8_t(e.w))) << e.x << "," << e.y;
    EXPECT_EQ(bmp.pixelAt(0, 0), c);
    EXPECT_EQ(bmp.pixelAt(2, 2), c);
    EXPECT_EQ(bmp.pixelAt(9, 9), c);
}

TEST(EkBmpOutline, RoundedFrameMixesTheCorners) {
    TEkBmp bmp(10, 10);
    fillAll(bmp, 0xFF000000u);
    bmp.drawRoundedFrame(bmp.boundsRect(), 0xFFFFFFFFu);
    EXPECT_EQ(bmp.pixelAt(0, 0), 0xFF000000u);
    EXPECT_EQ(bmp.pixelAt(1, 0), 0xFF7F7F7Fu);
    EXPECT_EQ(bmp.pixelAt(2, 0), 0xFFBEBEBEu);
    EXPECT_EQ(bmp.pixelAt(2, 1), 0xFF3F3F3Fu); // a quarter
    EXPECT_EQ(bmp.pixelAt(5, 0), 0xFFFFFFFFu);
    EXPECT_EQ(bmp.pixelAt(9, 5), 0xFFFFFFFFu);
}

TEST(EkBmpOutline, InnerOutlineAndSmallFrame) {
    TEkBmp bmp(6, 6);
    fillAll(bmp, kGrey);
    bmp.lightenInnerOutline(bmp.boundsRect(), 130);
    EXPECT_EQ(bmp.pixelAt(1, 1), lighten(kGrey, 92));
    EXPECT_EQ(bmp.pixelAt(1, 0), lighten(kGrey, 130));
    EXPECT_EQ(bmp.pixelAt(0, 0), kGrey);
    fillAll(bmp, 0xFF000000u);
    bmp.drawFocusFrame(TRect(-2, -2, 4, 4), 0xFFFFFFFFu); // clipped to (0, 0, 4, 4)
    EXPECT_EQ(bmp.pixelAt(1, 0), 0xFFFFFFFFu);
    EXPECT_EQ(bmp.pixelAt(1, 1), 0xFF7F7F7Fu);
    EXPECT_EQ(bmp.pixelAt(0, 0), 0xFF000000u);
    EXPECT_EQ(bmp.pixelAt(5, 5), 0xFF000000u);
}

TEST(EkBmpFace, GlassFaceRows) {
    TEkBmp bmp(40, 24);
    fillAll(bmp, kGrey);
    bmp.drawGlassFace(bmp.boundsRect());
    // row 1 is also the inner outline's top run (lightened by 130 once more)
    EXPECT_EQ(bmp.pixelAt(20, 1), lighten(lighten(kGrey, 130), 130));
    EXPECT_EQ(bmp.pixelAt(20, 11), lighten(kGrey, 10));
    EXPECT_TRUE(darkenedBy(bmp.pixelAt(20, 12), 20));
    EXPECT_TRUE(darkenedBy(bmp.pixelAt(20, 21), 1));
    EXPECT_EQ(bmp.pixelAt(20, 22), lighten(kGrey, 130));
    EXPECT_TRUE(darkenedBy(bmp.pixelAt(20, 23), 80)); // the outline
}

TEST(EkBmpFace, ShadedFaceRowsAndSides) {
    TEkBmp bmp(40, 24);
    fillAll(bmp, kGrey);
    bmp.drawShadedFace(bmp.boundsRect());
    EXPECT_TRUE(darkenedBy(bmp.pixelAt(20, 1), 76));
    EXPECT_TRUE(darkenedBy(bmp.pixelAt(20, 12), 18));
    EXPECT_TRUE(darkenedBy(bmp.pixelAt(20, 20), 10));
    EXPECT_TRUE(darkenedBy(bmp.pixelAt(20, 21), 25));
    EXPECT_TRUE(darkenedBy(bmp.pixelAt(20, 22), 56));
    EXPECT_TRUE(darkenedBy(bmp.pixelAt(20, 23), 170));
    EXPECT_EQ(bmp.pixelAt(2, 20), darken(darken(kGrey, 10), 17));
    EXPECT_EQ(bmp.pixelAt(38, 20), darken(darken(kGrey, 10), 39));
}

// A face on an offset rect used the bitmap's size and wrote past the bitmap; it now works
// inside the clipped rect.
TEST(EkBmpFace, OffsetAndTinyFacesStayInsideTheBitmap) {
    for (int h = 1; h <= 17; ++h) {
        TEkBmp bmp(12, h);
        fillAll(bmp, kGrey);
        bmp.drawShadedFace(bmp.boundsRect());
        bmp.drawGlassFace(bmp.boundsRect());
        bmp.paintButtonFace(60, true, bmp.boundsRect(), TColor(0xFFFFFF), TColor(0x808080));
        bmp.paintButtonFaceFramed(60, false, bmp.boundsRect(), TColor(0xFFFFFF), TColor(0x808080));
    }
    TEkBmp bmp(20, 20);
    fillAll(bmp, kGrey);
    bmp.drawShadedFace(TRect(10, 10, 60, 40));
    EXPECT_EQ(bmp.pixelAt(9, 19), kGrey);
    EXPECT_EQ(bmp.pixelAt(19, 9), kGrey);
    EXPECT_TRUE(darkenedBy(bmp.pixelAt(15, 11), 76)); // row 1 of the clipped rect
}

// A rect in the bitmap's corner, smaller than the bitmap: the face still spans the bitmap.
TEST(EkBmpFace, FaceInTheCornerSpansTheWholeBitmap) {
    struct Row {
        bool glass;
        TRect r;
        int x, y;
        TPixel expected;
    } rows[] = {
        {true, TRect(0, 0, 20, 24), 38, 1, lighten(kGrey, 130)},             // row 1 to the last inner column
        {true, TRect(0, 0, 40, 12), 20, 21, darken(kGrey, 1)},               // the ramp's last row
        {false, TRect(0, 0, 20, 24), 38, 20, darken(darken(kGrey, 10), 39)}, // the right side column
    };
    for (const Row& row : rows) {
        TEkBmp bmp(40, 24);
        fillAll(bmp, kGrey);
        row.glass ? bmp.drawGlassFace(row.r) : bmp.drawShadedFace(row.r);
        EXPECT_EQ(bmp.pixelAt(row.x, row.y), row.expected) << row.x << "," << row.y;
    }
}

TEST(EkBmpFace, FramedFaceUsesC2ScaledBy175) {
    TEkBmp bmp(20, 20);
    bmp.paintButtonFaceFramed(60, false, bmp.boundsRect(), TColor(0xFFFFFF), TColor(0xFF8000));
    // 0xFF * 175 / 255 = 175, 0x80 * 175 / 255 = 87
    EXPECT_EQ(rgbAt(bmp, 10, 0), (Rgb{0, 87, 175}));
    EXPECT_EQ(rgbAt(bmp, 10, 1), (Rgb{254, 254, 254})); // c1, lightened by the inner outline
}

TEST(EkBmpFace, ButtonFaceFillsInsideThenShades) {
    TEkBmp bmp(30, 26);
    bmp.paintButtonFace(60, true, bmp.boundsRect(), TColor(0xFBF2EA), TColor(0xD8B4A3));
    // inner rect 24 rows: split 9, row 1 is the inner top = c2, darkened by the first band row
    EXPECT_EQ(bmp.pixelAt(15, 1), darken(makePixel(163, 180, 216), 76));
}

} // namespace
