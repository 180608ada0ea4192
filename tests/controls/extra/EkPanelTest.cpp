#include "controls/extra/EkPanel.h"

#include "tests/controls/extra/WidgetPictures.h"
#include "tests/support/TestSupport.h"

#include <QPainter>
#include <functional>
#include <gtest/gtest.h>

namespace {

using pictures::rgbAt;
using testsupport::Rgb;

struct MarkerCase {
    const char* name;
    QString text;
    qsizetype from;
    QString expected;
};

class MarkerRule : public ::testing::TestWithParam<MarkerCase> {};

TEST_P(MarkerRule, PairsBecomeLineBreaks) {
    QString text = GetParam().text;
    replaceLineBreakMarkers(text, GetParam().from);
    EXPECT_EQ(text, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, MarkerRule,
    ::testing::Values(MarkerCase{"Bars", "A||B", 0, "A\r\nB"}, MarkerCase{"Stars", "A**B", 0, "A\r\nB"},
                      MarkerCase{"Currency", QString("A\u00A4\u00A4B"), 0, "A\r\nB"},
                      MarkerCase{"TwoBreaks", "A||B**D", 0, "A\r\nB\r\nD"},
                      MarkerCase{"ThreeStars", "***", 0, "\r\n*"},
                      MarkerCase{"SinglesAndMixedPairs", "A*B|C*|", 0, "A*B|C*|"},
                      MarkerCase{"BeforeStartKept", "**A||B", 2, "**A\r\nB"}),
    [](const auto& info) { return std::string(info.param.name); });

struct PlaceCase {
    const char* name;
    TAlignment horizontal;
    TTextLayout vertical;
    TRect outer, inner, expected;
};

class PlaceInRect : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(PlaceInRect, KeepsSizeAlignsEachAxisThatFits) {
    TEkPanel panel;
    panel.setAlignment(GetParam().horizontal);
    panel.setAlignmentVertical(GetParam().vertical);
    TRect inner = GetParam().inner;
    panel.positionRectInRect(GetParam().outer, inner);
    EXPECT_EQ(inner, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Alignments, PlaceInRect,
    ::testing::Values(
        PlaceCase{"Centre", taCenter, tlCenter, {0, 0, 100, 50}, {0, 0, 20, 10}, {40, 20, 60, 30}},
        PlaceCase{"TopLeft", taLeftJustify, tlTop, {5, 5, 100, 50}, {0, 0, 20, 10}, {5, 5, 25, 15}},
        PlaceCase{"BottomRight", taRightJustify, tlBottom, {0, 0, 100, 50}, {0, 0, 20, 10}, {80, 40, 100, 50}},
        // Centred from both edges: an odd remainder widens the text rect by one.
        PlaceCase{"OddCentre", taCenter, tlCenter, {0, 0, 101, 51}, {0, 0, 20, 10}, {40, 20, 61, 31}},
        PlaceCase{"TooBigKeepsPlace", taCenter, tlCenter, {0, 0, 100, 50}, {5, 5, 120, 60}, {5, 5, 120, 60}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EkPanel, SettersClampAndKeepFillFlagsApart) {
    TEkPanel panel;
    panel.setGradientDarkerEnd(300);
    EXPECT_EQ(panel.GradientDarkerEnd(), 255);
    panel.setGradientDarkerEnd(-5);
    EXPECT_EQ(panel.GradientDarkerEnd(), 0);
    panel.setBkgdefaultPaint(true);
    panel.setGradientFill(true);
    EXPECT_FALSE(panel.BkgdefaultPaint());
    panel.setBkgdefaultPaint(true);
    EXPECT_FALSE(panel.GradientFill());
}

struct PixelCase {
    const char* name;
    QSize size;
    std::function<void(TEkPanel&)> setup;
    std::vector<std::pair<QPoint, Rgb>> probes;
};

class PanelPixels : public ::testing::TestWithParam<PixelCase> {};

// Panels without bevel unless the case sets one; gradients from black to white.
TEST_P(PanelPixels, Exact) {
    QWidget host;
    host.setAutoFillBackground(true);
    host.setPalette(QPalette(Qt::red));
    auto* panel = new TEkPanel(&host);
    panel->setBevelOuter(bvNone);
    panel->setClBegin(clBlack);
    panel->setClEnd(clWhite);
    panel->setGradientDarkerEnd(0);
    GetParam().setup(*panel);
    panel->resize(GetParam().size);
    host.resize(GetParam().size);
    const QImage image = pictures::picture(host);
    for (const auto& [at, colour] : GetParam().probes)
        EXPECT_EQ(rgbAt(image, at.x(), at.y()), colour) << at.x() << "," << at.y();
}

const Rgb black{0, 0, 0}, white{255, 255, 255}, red{255, 0, 0}, face{240, 240, 240}, shadow{160, 160, 160};

INSTANTIATE_TEST_SUITE_P(
    Styles, PanelPixels,
    ::testing::Values(
        PixelCase{"VerticalRampRowK",
                  {20, 256},
                  [](TEkPanel& p) { p.setGradientFill(true); },
                  {{{5, 0}, black}, {{5, 128}, {128, 128, 128}}, {{19, 255}, white}}},
        PixelCase{"HorizontalRampColumnK",
                  {256, 20},
                  [](TEkPanel& p) {
                      p.setGradientFill(true);
                      p.setGradientDirection(gdHorizontal);
                  },
                  {{{0, 5}, black}, {{200, 19}, {200, 200, 200}}, {{255, 0}, white}}},
        // Split at 100 * 4 / 10: rows 0..39 end to begin (rising, so row 39 ends one below),
        // rows 40..99 begin to end.
        PixelCase{"PipeSplitAtFortyPercent",
                  {20, 100},
                  [](TEkPanel& p) {
                      p.setClBegin(clWhite);
                      p.setClEnd(clBlack);
                      p.setGradientFill(true);
                      p.setGradientPipe(true);
                  },
                  {{{5, 0}, black}, {{5, 39}, {254, 254, 254}}, {{5, 40}, white}, {{5, 99}, black}}},
        // Rings reach row 15, and 25 * 4 / 10 = 10 lies above the inside: the split is held at
        // row 15, where the second ramp starts, and the border rows 10..14 keep their colour.
        PixelCase{"PipeSplitKeptInsideThickRings",
                  {60, 40},
                  [](TEkPanel& p) {
                      p.setBevelOuter(bvRaised);
                      p.setBevelWidth(5);
                      p.setBorderWidth(10);
                      p.setClBorder(0x0000FF);
                      p.setBorderSoftInner(false);
                      p.setClBegin(clWhite);
                      p.setClEnd(clBlack);
                      p.setGradientFill(true);
                      p.setGradientPipe(true);
                  },
                  {{{30, 12}, red}, {{30, 14}, red}, {{30, 15}, white}}},
        // Corner coverage 255, 255, 168, 64 along the top row, 120 one row down.
        PixelCase{"SoftInnerCorners",
                  {40, 30},
                  [](TEkPanel& p) {
                      p.setBorderWidth(1);
                      p.setColor(clWhite);
                  },
                  {{{0, 0}, black},
                   {{1, 1}, black},
                   {{2, 1}, black},
                   {{3, 1}, {86, 86, 86}},
                   {{4, 1}, {190, 190, 190}},
                   {{5, 1}, white},
                   {{2, 2}, {134, 134, 134}},
                   {{38, 28}, black},
                   {{36, 28}, {86, 86, 86}}}},
        // The corner pieces carry the pipe's own end colours: (4, 2) lies in the top-left piece
        // outside its soft triangle, (4, 97) in the bottom-left one.
        PixelCase{"PipeCornersContinueThePipe",
                  {20, 100},
                  [](TEkPanel& p) {
                      p.setBorderWidth(1);
                      p.setClBegin(clWhite);
                      p.setClEnd(clBlack);
                      p.setGradientFill(true);
                      p.setGradientPipe(true);
                  },
                  {{{4, 2}, {6, 6, 6}}, {{5, 2}, {6, 6, 6}}, {{4, 97}, {4, 4, 4}}, {{5, 97}, {4, 4, 4}}}},
        PixelCase{"NoCornersInsideUnderTen",
                  {11, 11},
                  [](TEkPanel& p) {
                      p.setBorderWidth(1);
                      p.setColor(clWhite);
                  },
                  {{{1, 1}, white}, {{0, 0}, black}}},
        PixelCase{"RaisedBevel",
                  {20, 20},
                  [](TEkPanel& p) { p.setBevelOuter(bvRaised); },
                  {{{0, 0}, white}, {{18, 0}, white}, {{19, 0}, shadow}, {{0, 19}, shadow}, {{5, 5}, face}}},
        PixelCase{"LoweredInnerBevel",
                  {20, 20},
                  [](TEkPanel& p) { p.setBevelInner(bvLowered); },
                  {{{0, 0}, shadow}, {{19, 19}, white}}},
        PixelCase{"NoPaintShowsTheErase", {20, 20}, [](TEkPanel& p) { p.setNoPaint(true); }, {{{5, 5}, face}}},
        PixelCase{"NoPaintNoEraseShowsParent",
                  {20, 20},
                  [](TEkPanel& p) {
                      p.setNoPaint(true);
                      p.setDontEraceBkg(true);
                  },
                  {{{5, 5}, red}}},
        PixelCase{"HandledPaintBeginLeavesPanel",
                  {20, 20},
                  [](TEkPanel& p) {
                      p.setBevelOuter(bvRaised);
                      p.setDontEraceBkg(true);
                      QObject::connect(&p, &TEkPanel::paintBegin,
                                       [](TEkPanel*, QPainter*, TRect*, bool* handled) { *handled = true; });
                      QObject::connect(&p, &TEkPanel::painted, [] { ADD_FAILURE() << "painted after handled"; });
                  },
                  {{{0, 0}, red}, {{5, 5}, red}}}),
    [](const auto& info) { return std::string(info.param.name); });

// Rows of the picture holding caption ink, counted as separate bands.
int inkBands(const QImage& image) {
    int bands = 0;
    bool inBand = false;
    for (int y = 0; y < image.height(); ++y) {
        bool ink = false;
        for (int x = 0; x < image.width() && !ink; ++x)
            ink = qGray(image.pixel(x, y)) < 128;
        bands += ink && !inBand;
        inBand = ink;
    }
    return bands;
}

TEST(EkPanel, MarkersBreakTheCaptionOnlyBehindBars) {
    const std::pair<QString, int> cases[] = {{"A||B", 2}, {"A**B", 1}, {"A||B**D", 3}, {"A**B||D", 2}};
    for (const auto& [caption, lines] : cases) {
        TEkPanel panel;
        panel.setBevelOuter(bvNone);
        panel.setColor(clWhite);
        panel.setCaption(caption);
        panel.resize(120, 90);
        EXPECT_EQ(inkBands(pictures::picture(panel)), lines) << caption.toStdString();
    }
}

} // namespace
