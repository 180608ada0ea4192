#include "controls/EkBmp.h"
#include "tests/controls/EkBmpTestUtil.h"
#include "tests/support/TestSupport.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

using namespace painttest;

namespace {

QString errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const EInvalidGraphicOperation& e) {
        return e.message();
    }
    return QString();
}

TEST(EkBmpCore, NewBitmapIsWhiteOpaqueTopDown) {
    TEkBmp bmp(3, 2);
    EXPECT_TRUE(bmp.hasDc());
    EXPECT_EQ(bmp.stride(), 12);
    EXPECT_EQ(bmp.boundsRect(), TRect(0, 0, 3, 2));
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(bmp.bits()[i], 0xFFFFFFFFu);
    EXPECT_EQ(bmp.scanLine(1), bmp.bits() + 3);
}

TEST(EkBmpCore, EmptySizesGiveNoBitmapAndDrawingReportsIt) {
    for (auto [w, h] :
         {std::pair{0, 5}, std::pair{-3, 4}, std::pair{4, -1}, std::pair{TEkBmp::kMaxSide + 1, 1}}) {
        TEkBmp bmp(w, h);
        EXPECT_EQ(bmp.bits(), nullptr) << w << "x" << h;
        EXPECT_TRUE(bmp.boundsRect().isEmpty());
        EXPECT_EQ(errorOf([&] { bmp.fillRect(TRect(0, 0, 1, 1), TEkColor(0u)); }), "No Bitmap Created");
        bmp.fill(TEkColor(0u)); // no exception
    }
    TEkBmp empty;
    EXPECT_FALSE(empty.hasDc());
    EXPECT_EQ(errorOf([&] { empty.checkDc(); }), "No Bitmap Created");
    EXPECT_EQ(errorOf([&] { empty.pipeFill(true, 60, TRect(0, 0, 4, 4), clWhite, clBlack, false); }),
              "No Bitmap Created");
}

TEST(EkBmpCore, PixelAccessChecksMemoryThenYThenX) {
    TEkBmp empty(0, 0);
    TEkColor out;
    // A failed bitmap reports itself instead of reading through a null pointer.
    EXPECT_EQ(errorOf([&] { empty.getPixel(0, 0, out); }), "No Bitmap Created");
    TEkBmp bmp(4, 3);
    EXPECT_EQ(errorOf([&] { bmp.getPixel(-1, -1, out); }), "Pixel Y Value out of Range");
    EXPECT_EQ(errorOf([&] { bmp.getPixel(4, 2, out); }), "Pixel X Value out of Range");
    EXPECT_EQ(errorOf([&] { bmp.scanLine(3); }), "Scanlines Out of Range");
    EXPECT_EQ(errorOf([&] { bmp.scanLine(-1); }), "Scanlines Out of Range");
    bmp.bits()[2 * 4 + 3] = 0x80112233u;
    bmp.getPixel(3, 2, out);
    EXPECT_EQ(out.value(), 0x80332211u);
    bmp.getPixelUnchecked(3, 2, out);
    EXPECT_EQ(out.value(), 0x80112233u);
}

TEST(EkBmpCore, ReleasedMemoryIsReportedAsNoDibSection) {
    TEkBmp bmp(5, 3);
    bmp.releaseDib(false);
    EXPECT_TRUE(bmp.hasDc()); // the drawing context stays
    EXPECT_EQ(errorOf([&] { bmp.scanLine(0); }), "No DibSection");
    EXPECT_TRUE(bmp.boundsRect().isEmpty());
    bmp.createDib();
    EXPECT_EQ(bmp.pixelAt(4, 2), 0xFFFFFFFFu);
}

TEST(Graphics, SystemColoursResolveThroughOurTable) {
    EXPECT_EQ(uint32_t(colorToRGB(clGrayText)), 0x6D6D6Du);
    EXPECT_EQ(uint32_t(colorToRGB(TColor(0xFF0000FEu))), 0u); // unknown index: black
    EXPECT_EQ(uint32_t(colorToRGB(TColor(0x123456u))), 0x123456u);
}

TEST(Graphics, ColoursConvertToAndFromQt) {
    EXPECT_EQ(toQColor(TColor(0x0080FF)), QColor(255, 128, 0));
    EXPECT_EQ(uint32_t(fromQColor(QColor(255, 128, 0))), 0x0080FFu);
}

TEST(Graphics, RectanglesHaveExclusiveEdges) {
    const TRect r(2, 3, 7, 5);
    EXPECT_EQ(r.toQRect(), QRect(2, 3, 5, 2));
    EXPECT_EQ(TRect::fromQRect(QRect(2, 3, 5, 2)), r);
    EXPECT_TRUE(TRect(4, 0, 2, 9).isEmpty());
    TRect g = r;
    inflateRect(g, 1, -1);
    EXPECT_EQ(g, TRect(1, 4, 8, 4));
    inflateRectSides(g, 1, 2, 3, 4);
    EXPECT_EQ(g, TRect(0, 2, 11, 8));
}

TEST(EkBmpCore, SetWidthTakesTheMagnitudeAndKeepsThePicture) {
    TEkBmp eight(8, 2);
    fillAll(eight, 0xFF000000u);
    eight.setWidth(-8);
    EXPECT_EQ(eight.width(), 8);
    EXPECT_EQ(eight.bits()[0], 0xFF000000u); // nothing happened

    TEkBmp four(4, 2);
    fillAll(four, 0xFF000000u);
    four.setWidth(-8);
    ASSERT_EQ(four.width(), 8);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(four.pixelAt(x, y), x < 4 ? 0xFF000000u : 0xFFFFFFFFu) << x << "," << y;
}

TEST(EkBmpCore, ResizeKeepsTopLeftOrStretchesOrStartsWhite) {
    TEkBmp bmp(4, 4);
    for (int i = 0; i < 16; ++i)
        bmp.bits()[i] = 0xFF000000u | uint32_t(i);
    bmp.setSize(2, 3, true);
    EXPECT_EQ(bmp.pixelAt(1, 2), 0xFF000000u | 9u);
    bmp.setSize(3, 3, false);
    EXPECT_EQ(bmp.pixelAt(0, 0), 0xFFFFFFFFu);
    bmp.fill(TEkColor(0xFF0000FFu));
    bmp.resize(6, 6, true, true, true);
    EXPECT_EQ(bmp.pixelAt(5, 5), 0xFFFF0000u);
    bmp.setFont("Arial", 10, 0);
    bmp.setSize(7, 7, false);
    EXPECT_TRUE(bmp.hasOwnFont()); // the font survives resizes
    bmp.setSize(0, 7, false);
    EXPECT_EQ(bmp.bits(), nullptr);
}

// Many fills leave alpha 0; stretching must not take that as "no colour".
TEST(EkBmpCore, StretchKeepsColourBytesWhereAlphaIsZero) {
    for (bool halftone : {false, true}) {
        TEkBmp bmp(4, 4);
        bmp.fill(TEkColor(uint8_t(200), uint8_t(100), uint8_t(50))); // alpha 0
        bmp.resize(8, 6, true, halftone, true);
        for (int y : {0, 3, 5})
            for (int x : {0, 5, 7})
                EXPECT_EQ(bmp.pixelAt(x, y), 0x00C86432u) << halftone << " " << x << "," << y;
    }
    // Nearest pixel copies whole words: a 2 x 1 picture doubled keeps both words, alpha included.
    TEkBmp two(2, 1);
    two.bits()[0] = 0x10203040u;
    two.bits()[1] = 0xFFA0B0C0u;
    two.resize(4, 2, true, false, true);
    for (int y = 0; y < 2; ++y) {
        EXPECT_EQ(two.pixelAt(0, y), 0x10203040u);
        EXPECT_EQ(two.pixelAt(1, y), 0x10203040u);
        EXPECT_EQ(two.pixelAt(2, y), 0xFFA0B0C0u);
        EXPECT_EQ(two.pixelAt(3, y), 0xFFA0B0C0u);
    }
}

TEST(EkBmpCore, ClipRect) {
    TEkBmp bmp(10, 10);
    TRect r(-5, -5, 3, 3);
    EXPECT_TRUE(bmp.clipRect(r));
    EXPECT_EQ(r, TRect(0, 0, 3, 3));
    TRect outside(12, 0, 20, 5);
    EXPECT_FALSE(bmp.clipRect(outside));
}

TEST(EkBmpCore, AssignCopiesSizeAndPixels) {
    TEkBmp a(2, 2);
    a.bits()[3] = 0x01020304u;
    a.setFlag(true);
    TEkBmp b(5, 5);
    b.assignFrom(&a);
    EXPECT_EQ(b.width(), 2);
    EXPECT_EQ(b.pixelAt(1, 1), 0x01020304u);
    EXPECT_TRUE(b.flag());
    b.assignFrom(nullptr);
    b.assignFrom(&b);
    EXPECT_EQ(b.pixelAt(1, 1), 0x01020304u);
}

TEST(EkBmpCore, BitBltIgnoresAlpha) {
    TEkBmp bmp(3, 2);
    bmp.clearRect(bmp.boundsRect());
    bmp.bits()[1] = 0x00112233u; // alpha 0, as many fills leave it
    QImage screen(4, 3, QImage::Format_ARGB32);
    screen.fill(Qt::green);
    {
        QPainter p(&screen);
        bmp.bitBlt(p, 1, 1);
    }
    EXPECT_EQ(screen.pixel(2, 1), 0xFF112233u);
    EXPECT_EQ(screen.pixel(1, 2), 0xFF000000u);
    EXPECT_EQ(screen.pixel(0, 0), QColor(Qt::green).rgba());
    QImage part(2, 2, QImage::Format_ARGB32);
    part.fill(Qt::green);
    {
        QPainter p(&part);
        bmp.bitBltRect(p, 0, 0, TRect(1, 0, 5, 1));
    }
    EXPECT_EQ(part.pixel(0, 0), 0xFF112233u);
    EXPECT_EQ(part.pixel(0, 1), QColor(Qt::green).rgba());
}

// A source rect reaching left of or above the bitmap copies its inside part to where it
// belongs: source pixel (sx, sy) lands at (x + sx - src.left, y + sy - src.top).
TEST(EkBmpCore, BitBltRectClippedAtTheTopLeftKeepsThePlaceOfEachPixel) {
    TEkBmp bmp(2, 2);
    bmp.bits()[0] = 0xFF000001u;
    bmp.bits()[1] = 0xFF000002u;
    bmp.bits()[2] = 0xFF000003u;
    bmp.bits()[3] = 0xFF000004u;
    QImage screen(6, 5, QImage::Format_ARGB32);
    screen.fill(Qt::green);
    {
        QPainter p(&screen);
        bmp.bitBltRect(p, 1, 1, TRect(-2, -1, 2, 2));
    }
    EXPECT_EQ(screen.pixel(3, 2), 0xFF000001u);
    EXPECT_EQ(screen.pixel(4, 2), 0xFF000002u);
    EXPECT_EQ(screen.pixel(3, 3), 0xFF000003u);
    EXPECT_EQ(screen.pixel(4, 3), 0xFF000004u);
    EXPECT_EQ(screen.pixel(1, 1), QColor(Qt::green).rgba()); // off the bitmap: not copied
    EXPECT_EQ(screen.pixel(2, 2), QColor(Qt::green).rgba());
}

// ---- compositing ---------------------------------------------------------------------------

struct BlendCase {
    int mode;
    TPixel src;
    TPixel dst;
    TPixel expected;
};

void PrintTo(const BlendCase& c, std::ostream* os) {
    *os << "mode " << c.mode << std::hex << ": 0x" << c.src << " over 0x" << c.dst << " gives 0x"
        << c.expected << std::dec;
}

class Compositing : public ::testing::TestWithParam<BlendCase> {};
TEST_P(Compositing, ModeRule) {
    const BlendCase& c = GetParam();
    TEkBmp src(1, 1), dst(1, 1);
    src.bits()[0] = c.src;
    dst.bits()[0] = c.dst;
    src.drawTo(&dst, 0, 0, uint8_t(c.mode));
    EXPECT_EQ(dst.bits()[0], c.expected) << std::hex << "mode " << c.mode << " got " << dst.bits()[0];
}
INSTANTIATE_TEST_SUITE_P(
    Modes, Compositing,
    ::testing::Values(BlendCase{0, 0x07FFFFFFu, 0x11000000u, 0x11000000u},  // alpha 7 skipped
                      BlendCase{0, 0xF1ABCDEFu, 0x11000000u, 0x11ABCDEFu},  // 241: colour, keeps alpha
                      BlendCase{0, 0x80FFFFFFu, 0x11000000u, 0x117F7F7Fu},  // (255 * 128) >> 8
                      BlendCase{2, 0xFFFFFFFFu, 0xFF000000u, 0xFF7F7F7Fu},  // half ghost
                      BlendCase{1, 0xFFFFFFFFu, 0xFF000000u, 0xFFBEBEBEu},  // three-quarter ghost
                      BlendCase{1, 0x0EFFFFFFu, 0x00000000u, 0x00000000u},  // below 15 skipped
                      BlendCase{3, 0x12345678u, 0xFFFFFFFFu, 0x12345678u},  // copy with alpha
                      BlendCase{9, 0x12345678u, 0xFFFFFFFFu, 0x12345678u},  // above 6: copy
                      BlendCase{4, 0xFFFF0000u, 0x33000000u, 0x334F4F4Fu},  // grey of red = 79
                      BlendCase{6, 0xFFFFFFFFu, 0x00000000u, 0xFF7F7F7Fu},  // grey half ghost
                      BlendCase{5, 0xFFFFFFFFu, 0x00000000u, 0xFFBEBEBEu}), // grey 3/4 ghost
    [](const auto& info) {
        return testsupport::caseName("mode" + std::to_string(info.param.mode), info.index);
    });

TEST(EkBmpCompositing, SourceIsMovedInsideOrNotDrawn) {
    TEkBmp dst(100, 50), src(10, 10);
    fillAll(src, 0xFF000000u);
    int x = 95, y = -3;
    EXPECT_TRUE(src.clampOffset(dst, x, y));
    EXPECT_EQ(x, 90);
    EXPECT_EQ(y, 0);
    src.drawTo(&dst, 95, -3, bmCopy);
    EXPECT_EQ(dst.pixelAt(90, 0), 0xFF000000u);
    EXPECT_EQ(dst.pixelAt(89, 0), 0xFFFFFFFFu);

    TEkBmp wide(120, 5), before(100, 50);
    fillAll(wide, 0xFF000000u);
    before.assign(dst);
    wide.drawTo(&dst, 0, 0, bmCopy);
    EXPECT_EQ(differingPixels(before, dst), 0);
}

TEST(EkBmpCompositing, DestinationWithoutMemoryDrawsNothing) {
    TEkBmp src(2, 2), empty, zero(0, 3);
    src.drawTo(nullptr, 0, 0, bmAlphaBlend);
    src.drawTo(&empty, 0, 0, bmAlphaBlend);
    src.drawTo(&zero, 0, 0, bmCopy);
    EXPECT_EQ(empty.bits(), nullptr);
}

TEST(EkBmpCompositing, WholeBitmapPasses) {
    TEkBmp bmp(3, 1);
    bmp.bits()[0] = 0xFBC8C8C8u;
    bmp.bits()[1] = 0x80C8C8C8u;
    bmp.bits()[2] = 0x00FF0000u;
    bmp.premultiplyAlpha();
    EXPECT_EQ(bmp.bits()[0], 0xFBC8C8C8u);
    EXPECT_EQ(bmp.bits()[1], 0x80646464u);
    EXPECT_EQ(bmp.bits()[2], 0x00000000u);
    bmp.bits()[2] = 0x44FF0000u;
    bmp.makeGrey();
    EXPECT_EQ(bmp.bits()[2], 0x444F4F4Fu);
    const TPixel ok[] = {0x0A000000u, 0xF5000000u, 0xFF000000u};
    const TPixel partial[] = {0xFF000000u, 0x0B000000u};
    EXPECT_TRUE(TEkBmp::hasNoPartialAlpha(ok, 3));
    EXPECT_FALSE(TEkBmp::hasNoPartialAlpha(partial, 2));
    EXPECT_TRUE(TEkBmp::hasNoPartialAlpha(nullptr, 0));
}

TEST(ResampleWeights, CellsOfFourAndSplitEntries) {
    const auto same = resampleWeights(4, 4, false);
    ASSERT_EQ(same.size(), 4u);
    for (const auto& e : same)
        EXPECT_EQ(e, (TResampleWeight{4096, -1}));
    const auto split = resampleWeights(3, 2, false);
    EXPECT_EQ(split, (std::vector<TResampleWeight>{{4096, 0}, {2048, 2048}, {4096, -1}}));
    const auto scaled = resampleWeights(3, 2, true);
    EXPECT_EQ(scaled[1], (TResampleWeight{1365, 1365}));
}

TEST(ResampleWeights, SpanWiderThanTheCountSplitsEveryEntry) {
    EXPECT_EQ(resampleWeights(2, 4, false), (std::vector<TResampleWeight>{{2048, 2048}, {0, 4096}}));
    EXPECT_EQ(resampleWeights(4, 5, true),
              (std::vector<TResampleWeight>{{4096, 1024}, {3072, 2048}, {2048, 3072}, {1024, 4096}}));
}

TEST(ResampleWeights, RejectsEmptyCountsAndSpans) {
    EXPECT_TRUE(resampleWeights(4, 0, false).empty());
    EXPECT_TRUE(resampleWeights(0, 4, true).empty());
    EXPECT_TRUE(resampleWeights(-1, -1, false).empty());
}

} // namespace
