#include "controls/extra/EkBmpRound.h"
#include "tests/support/Rgb.h"

#include <gtest/gtest.h>

namespace {

using testsupport::Rgb;

const TEkColor white(255, 255, 255);
const TEkColor red(255, 0, 0);

Rgb rgbAt(const TEkBmp& b, int x, int y) {
    return testsupport::rgbOfPixel(b.pixelAt(x, y));
}
int alphaAt(const TEkBmp& b, int x, int y) {
    return int(b.pixelAt(x, y) >> 24);
}

// Small balls of light white over red body: light over body gives (254, 255w >> 8, same);
// body over dark (35, 0, 0) gives ((35 * (255 - w) + 255 * w) >> 8, 0, 0).
TEST(RoundBmpTest, SmallBallsComeFromTheirTables) {
    const struct {
        int size, x, y;
        Rgb colour;
        int alpha;
    } cells[] = {{4, 0, 0, {254, 69, 69}, 40}, {4, 3, 0, {155, 0, 0}, 40},    {4, 0, 3, {155, 0, 0}, 40},
                 {4, 2, 2, {223, 0, 0}, 255},  {5, 1, 3, {254, 79, 79}, 230}, {5, 4, 4, {52, 0, 0}, 20},
                 {6, 2, 4, {254, 0, 0}, 255},  {6, 4, 2, {254, 0, 0}, 255},   {6, 5, 0, {172, 0, 0}, 0}};
    for (const auto& c : cells) {
        TRoundBmp bmp(c.size, c.size);
        bmp.drawBall(160, TRect(0, 0, c.size, c.size), red, white);
        EXPECT_EQ(rgbAt(bmp, c.x, c.y), c.colour) << c.size << ": " << c.x << "," << c.y;
        EXPECT_EQ(alphaAt(bmp, c.x, c.y), c.alpha) << c.size << ": " << c.x << "," << c.y;
    }
}

TEST(RoundBmpTest, SevenPixelBallHasFiveRingsAndAnAntiAliasedOutline) {
    TRoundBmp bmp(7, 7);
    const TEkColor body(0, 0, 200);
    bmp.drawBall(160, TRect(0, 0, 7, 7), body, white);
    EXPECT_EQ(bmp.highlightXPos(), 2);
    EXPECT_EQ(bmp.pixelAt(2, 2), colorToPixel(white) | 0xFF000000u);
    // Ring colours: the highlight, eased into the body over entries 1 to 4, then eased into the
    // darkened body from entry 3 on. The unsmoothed corners show rings 2 (radius 3) and 4
    // (radius 5, the last: without it the far corners would copy their neighbours).
    const TPixel L = colorToPixel(white) | 0xFF000000u, B = colorToPixel(body) | 0xFF000000u;
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

TEST(RoundBmpTest, HoleIsTheBallTurnedAndSquareCapsulesAreTheEndShapes) {
    for (int size : {5, 7, 12, 33}) {
        TRoundBmp ball(size, size), hole(size, size), pipe(size, size), groove(size, size);
        const TRect r(0, 0, size, size);
        ball.drawBall(120, r, red, white);
        hole.drawHole(120, r, red, white);
        pipe.drawRoundPipe(120, r, red, white);
        groove.drawRoundGrove(120, r, red, white);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                ASSERT_EQ(hole.pixelAt(x, y), ball.pixelAt(size - 1 - x, size - 1 - y)) << size;
                ASSERT_EQ(pipe.pixelAt(x, y), ball.pixelAt(x, y)) << size;
                ASSERT_EQ(groove.pixelAt(x, y), hole.pixelAt(x, y)) << size;
            }
    }
}

TEST(RoundBmpTest, BallTakesTheSquareAtTheLeftAndPipeStretchesIt) {
    TRoundBmp wide(30, 10);
    wide.drawBall(160, TRect(0, 0, 30, 10), red, white);
    EXPECT_NE(wide.pixelAt(5, 5), 0xFFFFFFFFu);
    for (int x = 10; x < 30; ++x)
        EXPECT_EQ(wide.pixelAt(x, 5), 0xFFFFFFFFu) << x;
    // A 40 x 12 pipe: the ball's left columns, its column 5 repeated, then its right columns.
    TRoundBmp ball(12, 12), pipe(40, 12);
    ball.drawBall(240, TRect(0, 0, 12, 12), red, white);
    pipe.drawRoundPipe(240, TRect(0, 0, 40, 12), red, white);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 40; ++x) {
            const int fromBall = x < 5 ? x : x < 33 ? 5 : x - 28;
            ASSERT_EQ(pipe.pixelAt(x, y), ball.pixelAt(fromBall, y)) << x << "," << y;
        }
    TRoundBmp empty(0, 0);
    EXPECT_THROW(empty.drawBall(0, TRect(0, 0, 9, 9), red, white), EInvalidGraphicOperation);
}

// A thumb of one pixel's thickness paints through the ramps' guard against lengths below two.
TEST(RoundBmpTest, VistaThumbOfOnePixelPaints) {
    const TEkColor a(10, 20, 30), b(200, 100, 50);
    for (bool vertical : {true, false})
        for (bool pipe : {true, false}) {
            const int w = vertical ? 1 : 9, h = vertical ? 9 : 1;
            TRoundBmp bmp(w, h);
            bmp.drawVista(pipe, vertical, TRect(0, 0, w, h), a, b, true);
            // An upright thumb's pipe starts at cB across its one column; everything else at cA.
            const TEkColor want = vertical && pipe ? b : a;
            EXPECT_EQ(rgbAt(bmp, w / 2, h / 2), (Rgb{want.red(), want.green(), want.blue()}))
                << vertical << pipe;
        }
}

TEST(RoundBmpTest, ProgressBarFrontFollowsThePosition) {
    const struct {
        int position;
        Rgb left, right; // pixels (2, 5) and (97, 5)
    } rows[] = {
        {0, {0, 0, 255}, {0, 0, 255}}, {100, {255, 0, 0}, {255, 0, 0}}, {50, {255, 0, 0}, {0, 0, 255}}};
    for (const auto& r : rows) {
        TRoundBmp bmp(100, 10);
        bmp.drawProgressBar(r.position, false, TRect(0, 0, 100, 10), TEkColor(0, 0, 255), white, red, white,
                            0, false, false, 60);
        EXPECT_EQ(rgbAt(bmp, 2, 5), r.left) << r.position;
        EXPECT_EQ(rgbAt(bmp, 97, 5), r.right) << r.position;
    }
    TRoundBmp outside(100, 10);
    outside.drawProgressBar(101, false, TRect(0, 0, 100, 10), red, red, red, red, 0, false, false, 60);
    EXPECT_EQ(outside.pixelAt(50, 5), 0xFFFFFFFFu);
}

} // namespace
