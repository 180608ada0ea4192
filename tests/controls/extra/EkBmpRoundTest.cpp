#include "controls/extra/EkBmpRound.h"
#include "tests/support/Rgb.h"

#include <gtest/gtest.h>

namespace {

using testsupport::Rgb;
using testsupport::rgbAt;

const TEkColor kWhite(255, 255, 255);
const TEkColor kRed(255, 0, 0);

int alphaAt(const TEkBmp& b, int x, int y) {
    return int(b.pixelAt(x, y) >> 24);
}

// Small balls of light white over red body: light over body gives (254, 255w >> 8, same);
// body over dark (35, 0, 0) gives ((35 * (255 - w) + 255 * w) >> 8, 0, 0).
TEST(RoundBmpTest, SmallBallsComeFromTheirTables) {
    const struct {
        int size, x, y, alpha;
        Rgb colour;
    } cells[] = {{4, 0, 0, 40, {254, 69, 69}}, {4, 3, 0, 40, {155, 0, 0}},    {4, 0, 3, 40, {155, 0, 0}},
                 {4, 2, 2, 255, {223, 0, 0}},  {5, 1, 3, 230, {254, 79, 79}}, {5, 4, 4, 20, {52, 0, 0}},
                 {6, 2, 4, 255, {254, 0, 0}},  {6, 4, 2, 255, {254, 0, 0}},   {6, 5, 0, 0, {172, 0, 0}}};
    for (const auto& c : cells) {
        TRoundBmp bmp(c.size, c.size);
        bmp.drawBall(160, TRect(0, 0, c.size, c.size), kRed, kWhite);
        EXPECT_EQ(rgbAt(bmp, c.x, c.y), c.colour) << c.size << ": " << c.x << "," << c.y;
        EXPECT_EQ(alphaAt(bmp, c.x, c.y), c.alpha) << c.size << ": " << c.x << "," << c.y;
    }
}

TEST(RoundBmpTest, SevenPixelBallHasFiveRingsAndAnAntiAliasedOutline) {
    TRoundBmp bmp(7, 7);
    const TEkColor body(0, 0, 200);
    bmp.drawBall(160, TRect(0, 0, 7, 7), body, kWhite);
    EXPECT_EQ(bmp.pixelAt(2, 2), colorToPixel(kWhite) | 0xFF000000u);
    // Ring colours: the highlight, eased into the body over entries 1 to 4, then eased into the
    // darkened body from entry 3 on. The unsmoothed corners show rings 2 (radius 3) and 4
    // (radius 5, the last: without it the far corners would copy their neighbours).
    const TPixel L = colorToPixel(kWhite) | 0xFF000000u, B = colorToPixel(body) | 0xFF000000u;
    TPixel first[4], second[3];
    fillColorRampEased(first, 4, true, L, B);
    fillColorRampEased(second, 3, false, B, darken(B, 160));
    EXPECT_EQ(rgbAt(bmp, 0, 0), testsupport::rgbOfPixel(first[1]));
    for (auto [x, y] : {std::pair{6, 0}, {0, 6}, {6, 6}})
        EXPECT_EQ(rgbAt(bmp, x, y), testsupport::rgbOfPixel(second[1])) << x << "," << y;
    const int alphas[4][7] = {{0, 53, 147, 198, 147, 53, 0},
                              {53, 212, 255, 255, 255, 212, 53},
                              {147, 255, 255, 255, 255, 255, 147},
                              {198, 255, 255, 255, 255, 255, 198}};
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 7; ++x)
            EXPECT_EQ(alphaAt(bmp, x, y), alphas[y < 4 ? y : 6 - y][x]) << x << "," << y;
}

TEST(RoundBmpTest, BallTakesTheSquareAtTheLeftAndPipeStretchesIt) {
    TRoundBmp wide(30, 10);
    wide.drawBall(160, TRect(0, 0, 30, 10), kRed, kWhite);
    EXPECT_NE(wide.pixelAt(5, 5), 0xFFFFFFFFu);
    for (int x = 10; x < 30; ++x)
        EXPECT_EQ(wide.pixelAt(x, 5), 0xFFFFFFFFu) << x;
    // A 40 x 12 pipe: the ball's left columns, its column 5 repeated, then its right columns.
    TRoundBmp ball(12, 12), pipe(40, 12);
    ball.drawBall(240, TRect(0, 0, 12, 12), kRed, kWhite);
    pipe.drawRoundPipe(240, TRect(0, 0, 40, 12), kRed, kWhite);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 40; ++x) {
            const int fromBall = x < 5 ? x : x < 33 ? 5 : x - 28;
            ASSERT_EQ(pipe.pixelAt(x, y), ball.pixelAt(fromBall, y)) << x << "," << y;
        }
    TRoundBmp empty(0, 0);
    EXPECT_THROW(empty.drawBall(0, TRect(0, 0, 9, 9), kRed, kWhite), EInvalidGraphicOperation);
}

// Every size of the index-heavy shapes stays inside its rectangle (run under the sanitizers too).
// A hole is the ball turned by 180 degrees; on a square, a pipe is the ball and a groove the hole.
TEST(RoundBmpTest, ShapesOfEverySizeStayInsideTheirRectangle) {
    constexpr TPixel kSentinel = 0x12345678u;
    for (int w = 1; w <= 48; ++w)
        for (int h = 1; h <= 48; ++h) {
            TRoundBmp ball(w + 2, h + 2), hole(w + 2, h + 2), pipe(w + 2, h + 2), groove(w + 2, h + 2);
            const TRect r(1, 1, w + 1, h + 1);
            for (TRoundBmp* b : {&ball, &hole, &pipe, &groove})
                fillPixels(b->bits(), (w + 2) * (h + 2), kSentinel);
            ball.drawBall(200, r, kRed, kWhite);
            hole.drawHole(200, r, kRed, kWhite);
            pipe.drawRoundPipe(200, r, kRed, kWhite);
            groove.drawRoundGrove(200, r, kRed, kWhite);
            // The flat thumb's ramps guard against lengths below two (its bevel may reach past r).
            TRoundBmp vista(w, h);
            vista.drawVista(w * h % 2, w < h, TRect(0, 0, w, h), kRed, TEkColor(0, 0, 255), true);
            ASSERT_NE(vista.pixelAt(w / 2, h / 2), 0xFFFFFFFFu) << w << "x" << h;
            for (int y = 0; y < h + 2; ++y)
                for (int x = 0; x < w + 2; ++x) {
                    for (TRoundBmp* b : {&ball, &hole, &pipe, &groove})
                        ASSERT_TRUE(r.contains(x, y) || b->pixelAt(x, y) == kSentinel) << w << "x" << h;
                    if (w != h)
                        continue;
                    ASSERT_EQ(hole.pixelAt(x, y), ball.pixelAt(w + 1 - x, h + 1 - y)) << w;
                    ASSERT_EQ(pipe.pixelAt(x, y), ball.pixelAt(x, y)) << w;
                    ASSERT_EQ(groove.pixelAt(x, y), hole.pixelAt(x, y)) << w;
                }
        }
}

} // namespace
