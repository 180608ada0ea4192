#include "controls/extra/EkColorPal.h"

#include "tests/controls/extra/WidgetPictures.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

namespace {

using testsupport::Rgb;

Rgb paletteAt(const TEkColorPal& pal, int x, int y) {
    return pictures::rgbAt(pal.paletteImage(), x, y);
}

Rgb rgbOf(TEkColor c) {
    return {c.red(), c.green(), c.blue()};
}

struct PaletteCase {
    const char* name;
    QSize size;
    std::function<void(TEkColorPal&)> setup;
    int hueExtent;
    std::vector<std::pair<QPoint, Rgb>> probes;
};

class PalettePixels : public ::testing::TestWithParam<PaletteCase> {};

TEST_P(PalettePixels, Exact) {
    TEkColorPal pal;
    pal.resize(GetParam().size);
    GetParam().setup(pal);
    pictures::picture(pal);
    EXPECT_EQ(pal.hueExtent(), GetParam().hueExtent);
    for (const auto& [at, colour] : GetParam().probes)
        EXPECT_EQ(paletteAt(pal, at.x(), at.y()), colour) << at.x() << "," << at.y();
}

const Rgb white{255, 255, 255}, black{0, 0, 0}, red{255, 0, 0}, yellow{255, 255, 0}, green{0, 255, 0},
    cyan{0, 255, 255}, blue{0, 0, 255}, magenta{255, 0, 255};

// Defaults: segment (200 - 3 - 6) / 6 = 31, hue part 6 * 31 + 2 = 188, grey band 12; the pure
// hues on rows 49 and 50, each segment's end on the next one's start.
INSTANTIATE_TEST_SUITE_P(
    Layouts, PalettePixels,
    ::testing::Values(
        PaletteCase{"Defaults",
                    {200, 100},
                    [](TEkColorPal&) {},
                    188,
                    {{{0, 0}, white},      {{0, 49}, red},      {{0, 50}, red},       {{31, 50}, yellow},
                     {{62, 50}, green},    {{93, 50}, cyan},    {{124, 50}, blue},    {{125, 50}, blue},
                     {{156, 50}, magenta}, {{187, 50}, red},    {{0, 99}, black},     {{188, 0}, white},
                     {{199, 50}, {126, 126, 126}},              {{188, 99}, black}}},
        // Pastel 128 tints red to (255, 128, 128) and lifts it to row 100 - 75 - 1.
        PaletteCase{"Pastel",
                    {200, 100},
                    [](TEkColorPal& p) { p.setPastel(128); },
                    188,
                    {{{0, 24}, {255, 128, 128}}, {{0, 0}, white}}},
        PaletteCase{"BlackToWhite",
                    {200, 100},
                    [](TEkColorPal& p) { p.setWhite2Black(false); },
                    188,
                    {{{0, 0}, black}, {{0, 50}, red}, {{199, 99}, {254, 254, 254}}}}, // rising: one below
        PaletteCase{"Vertical",
                    {100, 200},
                    [](TEkColorPal& p) { p.setOrientation(tcpVertical); },
                    186,
                    {{{50, 0}, red}, {{50, 31}, yellow}, {{50, 93}, cyan}, {{0, 190}, white}, {{99, 199}, black}}},
        // A negative grey band is taken as 0: segment 199 / 6 = 33 (with -5 it would be 34, and
        // the hue part of 206 pixels would run past the 202-pixel rows).
        PaletteCase{"NegativeGreyBand", {202, 100}, [](TEkColorPal& p) { p.setGraySize(-5); }, 200, {}},
        // Segments under two pixels are refused like the sizes that are too small.
        PaletteCase{"SegmentOfTwo", {21, 10}, [](TEkColorPal&) {}, 14, {{{0, 5}, red}}},
        PaletteCase{"SegmentOfOneRefused", {20, 10}, [](TEkColorPal&) {}, 0, {{{0, 5}, white}}},
        PaletteCase{"LightnessAxisTooShort", {200, 3}, [](TEkColorPal&) {}, 0, {{{0, 1}, white}}},
        // Lower lightness part of one entry: 4 rows split 3 + 1.
        PaletteCase{"LowerPartOfOneEntry",
                    {200, 4},
                    [](TEkColorPal& p) {
                        p.setWhite2Black(false);
                        p.setPastel(200);
                    },
                    188,
                    {{{0, 0}, black}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EkColorPal, ColourCount) {
    TEkColorPal pal;
    pal.resize(0, 0);
    pictures::picture(pal);
    EXPECT_EQ(pal.getColorCount(), 0);
    pal.resize(12, 12); // too small to build: one blank colour
    pictures::picture(pal);
    EXPECT_EQ(pal.getColorCount(), 1);
}

// findPastel's closed form: trunc((255 * d / red - h / 2) / (h / 2) * 256), clamped.
TEST(EkColorPal, FindColorPastel) {
    struct Case {
        int height, saturation, luminance, pastel;
    };
    const Case cases[] = {{100, 0, 120, 255},  {100, 240, 120, 0},  {100, 120, 120, 85}, {100, 60, 200, 229},
                          {100, 200, 60, 22},  {100, 120, 0, 255},  {100, 120, 240, 255},
                          {1, 120, 120, 85},   {2, 60, 30, 255}};
    for (const Case& c : cases) {
        TEkColorPal pal;
        pal.resize(200, c.height);
        EXPECT_EQ(pal.FindColor(0, c.saturation, c.luminance, true), c.pastel) << c.height << " " << c.saturation;
        EXPECT_EQ(pal.Pastel(), c.pastel);
    }
    TEkColorPal pal;
    pictures::picture(pal);
    pal.FindColor(120, 0, 60, false);
    EXPECT_EQ(pal.crossPos(), QPoint(94, 75));
}

TEST(EkColorPal, CrosshairPenAndResize) {
    TEkColorPal pal;
    pictures::picture(pal);
    for (const auto& [y, pen] : {std::pair{2, black}, std::pair{97, white}}) {
        pal.SetCrossPos(100, y);
        const QImage image = pictures::picture(pal);
        for (QPoint arm : {QPoint(86, y), QPoint(98, y), QPoint(102, y), QPoint(114, y), QPoint(100, y + 2)})
            EXPECT_EQ(pictures::rgbAt(image, arm.x(), arm.y()), pen) << y;
        EXPECT_EQ(pictures::rgbAt(image, 101, y), paletteAt(pal, 101, y)) << "gap";
        EXPECT_EQ(pictures::rgbAt(image, 115, y), paletteAt(pal, 115, y)) << "beyond the arm";
    }
    pal.SetCrossPos(199, 99);
    pal.resize(100, 50);
    pictures::picture(pal);
    EXPECT_EQ(pal.crossPos(), QPoint(99, 49));
    pal.SetCrossPos(33, 10);
    pal.resize(300, 150);
    pictures::picture(pal);
    EXPECT_EQ(pal.crossPos(), QPoint(99, 30));
}

struct Step {
    enum Kind { Press, Move, Release, RightPress, KeyRight } kind;
    int x = 0, y = 0;
    bool ctrl = false;
};

struct SequenceCase {
    const char* name;
    bool hotTrack, noRightSelect;
    std::vector<Step> steps;
    std::string events;
    QPoint cross;
};

class PickSequence : public ::testing::TestWithParam<SequenceCase> {};

TEST_P(PickSequence, ReportsInOrder) {
    TEkColorPal pal;
    pal.setHotTrack(GetParam().hotTrack);
    pal.setNoRightSelect(GetParam().noRightSelect);
    pictures::picture(pal);
    pal.SetCrossPos(150, 80);
    std::string events;
    QObject::connect(&pal, &TEkColorPal::colorChange, [&](TEkColor) { events += "c"; });
    QObject::connect(&pal, &TEkColorPal::colorPickLeft, [&](TEkColor) { events += "L"; });
    QObject::connect(&pal, &TEkColorPal::colorPickRight, [&](TEkColor) { events += "R"; });
    const TEkColor before = pal.Color();
    for (const Step& s : GetParam().steps) {
        const QPoint at(s.x, s.y);
        const Qt::KeyboardModifiers mods = s.ctrl ? Qt::ControlModifier : Qt::NoModifier;
        if (s.kind == Step::Move) {
            QMouseEvent move(QEvent::MouseMove, at, pal.mapToGlobal(at), Qt::NoButton, Qt::NoButton, mods);
            QApplication::sendEvent(&pal, &move);
        } else if (s.kind == Step::KeyRight) {
            QTest::keyClick(&pal, Qt::Key_Right);
        } else {
            const auto button = s.kind == Step::RightPress ? Qt::RightButton : Qt::LeftButton;
            if (s.kind == Step::Release)
                QTest::mouseRelease(&pal, button, mods, at);
            else
                QTest::mousePress(&pal, button, mods, at);
        }
    }
    EXPECT_EQ(events, GetParam().events);
    EXPECT_EQ(pal.crossPos(), GetParam().cross);
    if (GetParam().steps.front().kind == Step::RightPress) {
        EXPECT_EQ(pal.Color(), before) << "a right click never changes the colour";
    }
    if (GetParam().events.find('L') != std::string::npos) {
        EXPECT_EQ(rgbOf(pal.LeftPick()), paletteAt(pal, GetParam().steps.front().x, GetParam().steps.front().y));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Mouse, PickSequence,
    ::testing::Values(
        SequenceCase{"Click", false, false, {{Step::Press, 10, 10}, {Step::Release, 11, 10}}, "cLc", {10, 10}},
        SequenceCase{"Drag",
                     false,
                     false,
                     {{Step::Press, 10, 10}, {Step::Move, 40, 10}, {Step::Move, 60, 20}, {Step::Release, 60, 20}},
                     "ccc",
                     {60, 20}},
        SequenceCase{"MoveWithoutButton", false, false, {{Step::Move, 40, 10}}, "", {150, 80}},
        SequenceCase{"CtrlPicksAtPress",
                     false,
                     false,
                     {{Step::Press, 10, 10, true}, {Step::Release, 10, 10, true}},
                     "L",
                     {10, 10}},
        SequenceCase{"HotTrackFollows",
                     true,
                     false,
                     {{Step::Move, 30, 30}, {Step::Press, 30, 30}, {Step::Release, 30, 30}},
                     "cL",
                     {30, 30}},
        SequenceCase{"HotTrackCtrlSwapsBack",
                     true,
                     false,
                     {{Step::Move, 40, 40, true}, {Step::Press, 40, 40, true}, {Step::Release, 40, 40, true}},
                     "cLc",
                     {40, 40}},
        SequenceCase{"RightClick", false, false, {{Step::RightPress, 50, 50}}, "R", {50, 50}},
        SequenceCase{"NoRightSelect", false, true, {{Step::RightPress, 50, 50}}, "", {150, 80}},
        SequenceCase{"ArrowKey", false, false, {{Step::KeyRight}}, "c", {151, 80}}),
    [](const auto& info) { return std::string(info.param.name); });

// With HotTrack the arrow keys move the pointer (here on a platform that lets a program do it),
// and the crosshair follows the pointer.
TEST(EkColorPal, HotTrackArrowMovesThePointer) {
    TEkColorPal pal;
    pal.setHotTrack(true);
    pal.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&pal));
    QCursor::setPos(pal.mapToGlobal(QPoint(50, 40)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return pal.crossPos() == QPoint(50, 40); }));
    pal.ArrowKey(Qt::Key_Down, Qt::NoModifier);
    EXPECT_EQ(QCursor::pos(), pal.mapToGlobal(QPoint(50, 41)));
    EXPECT_TRUE(QTest::qWaitFor([&] { return pal.crossPos() == QPoint(50, 41); }));
    QCursor::setPos(QPoint(-1000, -1000));
}

} // namespace
