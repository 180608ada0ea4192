#include "controls/EkBmp.h"
#include "tests/controls/EkBmpTestUtil.h"

#include <gtest/gtest.h>

using namespace painttest;

namespace {

constexpr TPixel kGrey = 0xFF808080u;

// The box of pixels that differ from grey, or an empty rect.
TRect changedBox(const TEkBmp& bmp) {
    TRect box(bmp.width(), bmp.height(), 0, 0);
    for (int y = 0; y < bmp.height(); ++y)
        for (int x = 0; x < bmp.width(); ++x)
            if (bmp.pixelAt(x, y) != kGrey)
                box = TRect(std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
                            std::max(box.bottom, y + 1));
    return box.isEmpty() ? TRect() : box;
}

TEST(EkBmpGrip, TwentySquareGetsTheTwelveHighGripWithThreeRidges) {
    TEkBmp bmp(20, 20);
    fillAll(bmp, kGrey);
    bmp.drawGrip(true, bmp.boundsRect());
    // shrunk by 3 to (3, 3, 17, 17), the 12-high glyph one row lower, 1 + 3 * 4 wide
    EXPECT_EQ(changedBox(bmp), TRect(3, 4, 16, 16));
    EXPECT_EQ(bmp.pixelAt(3, 4), lighten(kGrey, 80));
    EXPECT_EQ(bmp.pixelAt(4, 5), darken(kGrey, 105));
    EXPECT_EQ(bmp.pixelAt(8, 5), darken(kGrey, 105)); // the copied ridge
    EXPECT_EQ(bmp.pixelAt(5, 10), darken(kGrey, 85)); // table row 3 repeated
}

TEST(EkBmpGrip, TooSmallRectsGetNothing) {
    TEkBmp bmp(10, 12);
    fillAll(bmp, kGrey);
    bmp.drawGrip(true, bmp.boundsRect()); // shrunk to 6 x 8: h below 9
    EXPECT_TRUE(changedBox(bmp).isEmpty());
}

TEST(EkBmpGrip, WideGripRunsAlongTheWidth) {
    TEkBmp bmp(20, 20);
    fillAll(bmp, kGrey);
    bmp.drawGrip(false, bmp.boundsRect());
    EXPECT_EQ(changedBox(bmp), TRect(4, 3, 16, 16));
}

TEST(EkBmpGrip, GripsOffTheBitmapAreNotDrawn) {
    TEkBmp bmp(8, 8);
    fillAll(bmp, kGrey);
    bmp.drawGripTall14(TRect(0, 0, 20, 20));
    bmp.drawGripWide14(TRect(-10, -10, 5, 5));
    EXPECT_TRUE(changedBox(bmp).isEmpty());
}

using MarkFn = void (TEkBmp::*)(int, int, TEkColor);

struct MarkCase {
    const char* name;
    MarkFn draw;
    int n;
    std::vector<int> firstRow;
    std::vector<int> middleRow;
};

// Coverage m of white over black: m < 8 nothing, m > 240 full, else (255 * m) >> 8.
int blended(int m) {
    return m < 8 ? 0 : m > 240 ? 255 : (255 * m) >> 8;
}

std::vector<int> single(int n, int v) {
    std::vector<int> row(size_t(n), 0);
    row[size_t(n / 2)] = v;
    return row;
}

void PrintTo(const MarkCase& c, std::ostream* os) {
    *os << c.name;
}

class Marks : public ::testing::TestWithParam<MarkCase> {};

TEST_P(Marks, GivenRowsAsTheyStandTheRestSymmetric) {
    const MarkCase& c = GetParam();
    TEkBmp bmp(c.n, c.n);
    fillAll(bmp, 0xFF000000u);
    (bmp.*c.draw)(0, 0, TEkColor(0xFFFFFFu));
    const int mid = c.n / 2;
    for (int x = 0; x < c.n; ++x) {
        EXPECT_EQ(rgbAt(bmp, x, 0).r, blended(c.firstRow[size_t(x)])) << c.name << " first row " << x;
        EXPECT_EQ(rgbAt(bmp, x, mid).r, blended(c.middleRow[size_t(x)])) << c.name << " middle row " << x;
    }
    EXPECT_EQ(rgbAt(bmp, mid, mid).r, 255);
    const bool firstSymmetric = c.firstRow == std::vector<int>(c.firstRow.rbegin(), c.firstRow.rend());
    const bool middleSymmetric = c.middleRow == std::vector<int>(c.middleRow.rbegin(), c.middleRow.rend());
    for (int y = 0; y < c.n; ++y) {
        if ((y == 0 && !firstSymmetric) || (y == mid && !middleSymmetric))
            continue;
        for (int x = 0; x < c.n; ++x) {
            EXPECT_EQ(bmp.pixelAt(x, y), bmp.pixelAt(c.n - 1 - x, y)) << c.name << " " << x << "," << y;
            if ((y > 0 && y < c.n - 1) || firstSymmetric) {
                EXPECT_EQ(bmp.pixelAt(x, y), bmp.pixelAt(x, c.n - 1 - y)) << c.name << " " << x << "," << y;
            }
        }
    }
}

TEST_P(Marks, ClippedMarkReadsTheRightMaskBytes) {
    const MarkCase& c = GetParam();
    TEkBmp whole(c.n + 4, c.n + 4), clipped(c.n, c.n + 4);
    fillAll(whole, 0xFF000000u);
    fillAll(clipped, 0xFF000000u);
    (whole.*c.draw)(0, 2, TEkColor(0xFFFFFFu));
    (clipped.*c.draw)(-2, 2, TEkColor(0xFFFFFFu)); // mask columns 2 .. n-1 at 0 .. n-3
    for (int y = 0; y < c.n + 4; ++y)
        for (int x = 0; x < c.n - 2; ++x)
            ASSERT_EQ(clipped.pixelAt(x, y), whole.pixelAt(x + 2, y)) << c.name << " " << x << "," << y;
    for (int y = 0; y < c.n + 4; ++y)
        EXPECT_EQ(clipped.pixelAt(c.n - 1, y), 0xFF000000u);
}

INSTANTIATE_TEST_SUITE_P(
    All, Marks,
    ::testing::Values(
        MarkCase{"diamond9",
                 &TEkBmp::drawDiamondMark9,
                 9,
                 single(9, 243),
                 {243, 255, 255, 255, 255, 255, 255, 255, 243}},
        MarkCase{"diamond11",
                 &TEkBmp::drawDiamondMark11,
                 11,
                 single(11, 226),
                 {226, 255, 255, 255, 255, 255, 255, 255, 255, 255, 226}},
        MarkCase{"diamond13",
                 &TEkBmp::drawDiamondMark13,
                 13,
                 {0, 0, 0, 0, 0, 39, 207, 39, 0, 0, 0, 0, 0},
                 {207, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 207}},
        MarkCase{
            "circle7", &TEkBmp::drawCircleMark7, 7, {0, 91, 219, 255, 215, 91, 0}, std::vector<int>(7, 255)},
        MarkCase{"circle9",
                 &TEkBmp::drawCircleMark9,
                 9,
                 {0, 11, 135, 227, 255, 227, 135, 11, 0},
                 std::vector<int>(9, 255)},
        MarkCase{"circle11",
                 &TEkBmp::drawCircleMark11,
                 11,
                 {0, 0, 7, 119, 207, 251, 207, 119, 7, 0, 0},
                 std::vector<int>(11, 255)},
        MarkCase{"star9",
                 &TEkBmp::drawStarMark9,
                 9,
                 single(9, 121),
                 {121, 176, 255, 255, 255, 255, 255, 176, 121}},
        MarkCase{"star11",
                 &TEkBmp::drawStarMark11,
                 11,
                 single(11, 107),
                 {106, 167, 211, 247, 255, 255, 255, 246, 213, 168, 106}},
        MarkCase{"star13",
                 &TEkBmp::drawStarMark13,
                 13,
                 single(13, 59),
                 {59, 159, 255, 255, 255, 238, 255, 238, 255, 255, 255, 159, 59}}),
    [](const ::testing::TestParamInfo<MarkCase>& info) { return std::string(info.param.name); });

TEST(EkBmpMark, MarkWhollyOffTheBitmapPaintsNothing) {
    TEkBmp bmp(5, 5);
    fillAll(bmp, kGrey);
    bmp.drawCircleMark11(5, 0, TEkColor(0u));
    bmp.drawStarMark13(-13, -13, TEkColor(0u));
    EXPECT_TRUE(changedBox(bmp).isEmpty());
    TEkBmp none;
    EXPECT_THROW(none.drawDiamondMark9(0, 0, TEkColor(0u)), EInvalidGraphicOperation);
}

// blendMask's thresholds, reached through a subclass.
struct MaskProbe : TEkBmp {
    using TEkBmp::blendMask;
};

TEST(EkBmpMark, BlendMaskThresholds) {
    TPixel px[4] = {0x40000000u, 0x40000000u, 0x40000000u, 0x40000000u};
    const uint8_t mask[4] = {7, 241, 8, 128};
    MaskProbe::blendMask(px, 4, 1, mask, 4, 0xFFFFFFFFu, 4);
    EXPECT_EQ(px[0], 0x40000000u);
    EXPECT_EQ(px[1], 0x40FFFFFFu); // colour bytes only, alpha kept
    EXPECT_EQ(px[2], 0x40070707u); // (255 * 8) >> 8
    EXPECT_EQ(px[3], 0x407F7F7Fu);
}

} // namespace
