#include "controls/extra/EkPanel.h"

#include "tests/controls/extra/WidgetPictures.h"
#include "tests/support/TestSupport.h"

#include <QPainter>
#include <gtest/gtest.h>
#include <memory>
#include <tuple>

namespace {

using pictures::grey;
using pictures::rgbAt;
using testsupport::Rgb;

TEST(EkPanel, LineBreakMarkers) {
    // Text, position the scan starts at, result.
    const std::tuple<QString, qsizetype, QString> cases[] = {
        {"A||B", 0, "A\r\nB"},         {"A**B", 0, "A\r\nB"}, {"A\u00A4\u00A4B", 0, "A\r\nB"},
        {"A||B**D", 0, "A\r\nB\r\nD"}, {"***", 0, "\r\n*"},   {"A*B|C*|", 0, "A*B|C*|"},
        {"**A||B", 2, "**A\r\nB"}};
    for (const auto& [given, from, expected] : cases) {
        QString text = given;
        replaceLineBreakMarkers(text, from);
        EXPECT_EQ(text, expected) << given.toStdString();
    }
}

TEST(EkPanel, PositionRectInRect) {
    // Alignment, vertical alignment, outer, inner, inner placed.
    const std::tuple<TAlignment, TTextLayout, TRect, TRect, TRect> cases[] = {
        {taCenter, tlCenter, {0, 0, 100, 50}, {0, 0, 20, 10}, {40, 20, 60, 30}},
        {taLeftJustify, tlTop, {5, 5, 100, 50}, {0, 0, 20, 10}, {5, 5, 25, 15}},
        {taRightJustify, tlBottom, {0, 0, 100, 50}, {0, 0, 20, 10}, {80, 40, 100, 50}},
        // Centred from both edges: an odd remainder widens the text rect by one.
        {taCenter, tlCenter, {0, 0, 101, 51}, {0, 0, 20, 10}, {40, 20, 61, 31}},
        // An axis where the text does not fit keeps the measured place.
        {taCenter, tlCenter, {0, 0, 100, 50}, {5, 5, 120, 60}, {5, 5, 120, 60}}};
    TEkPanel panel;
    for (const auto& [horizontal, vertical, outer, given, expected] : cases) {
        panel.setAlignment(horizontal);
        panel.setAlignmentVertical(vertical);
        TRect inner = given;
        panel.positionRectInRect(outer, inner);
        EXPECT_EQ(inner, expected) << outer.right << " " << given.right;
    }
}

TEST(EkPanel, GradientDarkerEndIsClamped) {
    TEkPanel panel;
    panel.setGradientDarkerEnd(300);
    EXPECT_EQ(panel.GradientDarkerEnd(), 255);
    panel.setGradientDarkerEnd(-5);
    EXPECT_EQ(panel.GradientDarkerEnd(), 0);
}

TEST(EkPanel, DefaultBackgroundAndGradientClearEachOther) {
    TEkPanel panel;
    panel.setBkgdefaultPaint(true);
    panel.setGradientFill(true);
    EXPECT_FALSE(panel.BkgdefaultPaint());
    panel.setBkgdefaultPaint(true);
    EXPECT_FALSE(panel.GradientFill());
}

// What a case sets on a panel: without bevel, gradients from white to black.
struct Look {
    TPanelBevel outer = bvNone, inner = bvNone;
    int bevelWidth = 1, border = 0;
    bool gradient = false, pipe = false, horizontal = false, noPaint = false, noErase = false;
    TColor begin = clWhite, end = clBlack, borderColour = clBlack, colour = clBtnFace;
    QString caption = {};
};

std::unique_ptr<TEkPanel> panelWith(const Look& look, QSize size, QWidget* parent = nullptr) {
    auto panel = std::make_unique<TEkPanel>(parent);
    panel->setBevelOuter(look.outer), panel->setBevelInner(look.inner), panel->setBevelWidth(look.bevelWidth);
    panel->setBorderWidth(look.border), panel->setClBorder(look.borderColour), panel->setColor(look.colour);
    panel->setGradientFill(look.gradient), panel->setGradientPipe(look.pipe), panel->setGradientDarkerEnd(0);
    panel->setGradientDirection(look.horizontal ? gdHorizontal : gdVertical);
    panel->setClBegin(look.begin), panel->setClEnd(look.end), panel->setCaption(look.caption);
    panel->setNoPaint(look.noPaint), panel->setDontEraceBkg(look.noErase);
    panel->resize(size);
    return panel;
}

const Rgb kBlack = grey(0), kWhite = grey(255), kRed{255, 0, 0}, kFace = grey(240), kShadow = grey(160);

TEST(EkPanel, Pixels) {
    const std::tuple<const char*, QSize, Look, std::vector<pictures::Probe>> cases[] = {
        {"VerticalRampRowK",
         {20, 256},
         {.gradient = true},
         {{5, 0, kWhite}, {5, 128, grey(127)}, {5, 255, kBlack}}},
        {"HorizontalRamp", {256, 20}, {.gradient = true, .horizontal = true}, {{200, 19, grey(55)}}},
        // Split at 100 * 4 / 10: rows 0..39 end to begin (rising: one below), 40..99 begin to end.
        {"PipeSplitAtFortyPercent",
         {20, 100},
         {.gradient = true, .pipe = true},
         {{5, 0, kBlack}, {5, 39, grey(254)}, {5, 40, kWhite}, {5, 99, kBlack}}},
        // Rings reach row 15, and 25 * 4 / 10 = 10 lies above the inside: the split is held at
        // row 15, where the second ramp starts, and the border rows 10..14 keep their colour.
        {"PipeSplitKeptInsideThickRings",
         {60, 40},
         {.outer = bvRaised, .bevelWidth = 5, .border = 10, .gradient = true, .pipe = true},
         {{30, 12, kBlack}, {30, 14, kBlack}, {30, 15, kWhite}}},
        // Corner coverage 255, 255, 168, 64 along the top row, 120 one row down.
        {"SoftInnerCorners",
         {40, 30},
         {.border = 1, .colour = clWhite},
         {{3, 1, grey(86)}, {4, 1, grey(190)}, {5, 1, kWhite}, {2, 2, grey(134)}, {36, 28, grey(86)}}},
        // Corner pieces carry the pipe's end colours ((4, 2), (4, 97): in a piece, off its triangle).
        {"PipeCornersContinueThePipe",
         {20, 100},
         {.border = 1, .gradient = true, .pipe = true},
         {{4, 2, grey(6)}, {5, 2, grey(6)}, {4, 97, grey(4)}, {5, 97, grey(4)}}},
        {"NoCornersInsideUnderTen", {11, 11}, {.border = 1, .colour = clWhite}, {{1, 1, kWhite}}},
        {"RaisedBevel",
         {20, 20},
         {.outer = bvRaised},
         {{0, 0, kWhite}, {18, 0, kWhite}, {19, 0, kShadow}, {0, 19, kShadow}, {5, 5, kFace}}},
        {"LoweredInnerBevel", {20, 20}, {.inner = bvLowered}, {{0, 0, kShadow}, {19, 19, kWhite}}},
        {"NoPaintShowsTheErase", {20, 20}, {.noPaint = true}, {{5, 5, kFace}}},
        {"NoPaintNoEraseShowsParent", {20, 20}, {.noPaint = true, .noErase = true}, {{5, 5, kRed}}},
    };
    for (const auto& [name, size, look, probes] : cases) {
        QWidget host;
        host.setPalette(QPalette(Qt::red));
        host.setAutoFillBackground(true);
        host.resize(size);
        auto panel = panelWith(look, size, &host);
        const QImage image = pictures::picture(host);
        for (const auto& p : probes)
            EXPECT_EQ(rgbAt(image, p.x, p.y), p.rgb) << name << " " << p.x << "," << p.y;
    }
}

TEST(EkPanel, HandledPaintBeginLeavesThePanelToTheHandler) {
    auto panel = panelWith({.outer = bvRaised, .noErase = true}, {20, 20});
    QObject::connect(panel.get(), &TEkPanel::paintBegin,
                     [](TEkPanel*, QPainter* canvas, TRect*, bool* handled) {
                         canvas->fillRect(0, 0, 20, 20, Qt::red), *handled = true;
                     });
    QObject::connect(panel.get(), &TEkPanel::painted, [] { ADD_FAILURE() << "painted after handled"; });
    EXPECT_EQ(rgbAt(pictures::picture(*panel), 0, 0), kRed);
}

// Separate bands of rows holding caption ink.
int inkBands(const QImage& image) {
    int bands = 0;
    for (int y = 0, inBand = 0; y < image.height(); ++y) {
        int ink = 0;
        for (int x = 0; x < image.width(); ++x)
            ink |= qGray(image.pixel(x, y)) < 128;
        bands += ink && !inBand;
        inBand = ink;
    }
    return bands;
}

TEST(EkPanel, MarkersBreakTheCaptionOnlyBehindBars) {
    for (const auto& [caption, lines] : {std::pair{"A||B", 2}, {"A**B", 1}, {"A||B**D", 3}, {"A**B||D", 2}}) {
        auto panel = panelWith({.colour = clWhite, .caption = caption}, {120, 90});
        EXPECT_EQ(inkBands(pictures::picture(*panel)), lines) << caption;
    }
}

TEST(EkPanel, Gallery) {
    const std::pair<const char*, Look> styles[] = {
        {"raised", {.outer = bvRaised}},
        {"lowered", {.outer = bvLowered, .inner = bvRaised, .bevelWidth = 2}},
        {"border-soft", {.border = 3, .borderColour = 0x804000, .colour = 0xFFF0E0}},
        {"gradient-vertical", {.border = 2, .gradient = true}},
        {"gradient-horizontal", {.border = 2, .gradient = true, .horizontal = true}},
        {"pipe-vertical", {.border = 1, .gradient = true, .pipe = true}},
        {"pipe-horizontal",
         {.outer = bvRaised, .border = 1, .gradient = true, .pipe = true, .horizontal = true}},
    };
    for (const auto& [style, look] : styles) {
        Look captioned = look;
        captioned.begin = 0xFDF5E5, captioned.end = 0x9E968C;
        captioned.caption = QStringLiteral("&Panel||%1").arg(style);
        auto panel = panelWith(captioned, {180, 90});
        EXPECT_TRUE(pictures::saveGalleryPng(pictures::picture(*panel), "panel", style, "normal")) << style;
    }
}

} // namespace
