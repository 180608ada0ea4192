#include "controls/extra/EkColorPal.h"

#include "tests/controls/extra/WidgetPictures.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>
#include <tuple>

namespace {

using pictures::grey;
using pictures::picture;
using pictures::rgbAt;
using testsupport::Rgb;

// What a case sets on a palette.
struct Setting {
    int graySize = 6, pastel = 0;
    bool white2Black = true, vertical = false;
};

// Builds the palette, then puts the crosshair in the middle.
void apply(TEkColorPal& pal, QSize size, const Setting& s) {
    pal.resize(size);
    pal.setGraySize(s.graySize), pal.setPastel(s.pastel), pal.setWhite2Black(s.white2Black);
    pal.setOrientation(s.vertical ? tcpVertical : tcpHorizontal);
    picture(pal);
    pal.SetCrossPos(size.width() / 2, size.height() / 2);
}

const Rgb kWhite = grey(255), kBlack = grey(0), kRed{255, 0, 0}, kYellow{255, 255, 0}, kGreen{0, 255, 0},
          kCyan{0, 255, 255}, kBlue{0, 0, 255}, kMagenta{255, 0, 255};

// Segment (200 - 3 - 6) / 6 = 31, hue part 188, grey band 12; pure hues on rows 49 and 50.
TEST(EkColorPal, DefaultPalettePixels) {
    const pictures::Probe probes[] = {
        {0, 0, kWhite},  {0, 49, kRed},    {0, 50, kRed},       {31, 50, kYellow},   {62, 50, kGreen},
        {93, 50, kCyan}, {124, 50, kBlue}, {125, 50, kBlue},    {156, 50, kMagenta}, {187, 50, kRed},
        {0, 99, kBlack}, {188, 0, kWhite}, {199, 50, grey(126)}};
    TEkColorPal pal;
    apply(pal, {200, 100}, {});
    EXPECT_EQ(pal.hueExtent(), 188);
    for (const auto& p : probes)
        EXPECT_EQ(rgbAt(pal.paletteImage(), p.x, p.y), p.rgb) << p.x << "," << p.y;
}

TEST(EkColorPal, PalettePixels) {
    // Name, size, setting, hue part, pixels.
    const std::tuple<const char*, QSize, Setting, int, std::vector<pictures::Probe>> cases[] = {
        // Pastel 128 tints red to (255, 128, 128) and lifts it to row 100 - 75 - 1.
        {"Pastel", {200, 100}, {.pastel = 128}, 188, {{0, 24, {255, 128, 128}}}},
        {"Large", {400, 240}, {}, 392, {{0, 120, kRed}, {390, 239, kBlack}}},
        {"BlackToWhite", {200, 100}, {.white2Black = false}, 188, {{0, 0, kBlack}, {199, 99, grey(254)}}},
        {"Vertical",
         {100, 200},
         {.vertical = true},
         186,
         {{50, 0, kRed}, {50, 93, kCyan}, {99, 199, kBlack}}},
        // Grey band -5 counts as 0: segment 33, not 34 whose 206-pixel hue part would overrun.
        {"NegativeGreyBand", {202, 100}, {.graySize = -5}, 200, {}},
        // Hue segments under two pixels are refused like the sizes that are too small.
        {"SegmentOfTwo", {21, 10}, {}, 14, {{0, 5, kRed}}},
        {"SegmentOfOneRefused", {20, 10}, {}, 0, {{0, 5, kWhite}}},
        {"LightnessAxisTooShort", {200, 3}, {}, 0, {{0, 1, kWhite}}},
        // A lower lightness part of one entry: 4 rows split 3 + 1.
        {"LowerPartOfOneEntry", {200, 4}, {.pastel = 200, .white2Black = false}, 188, {{0, 0, kBlack}}},
    };
    for (const auto& [name, size, setting, hueExtent, probes] : cases) {
        TEkColorPal pal;
        apply(pal, size, setting);
        EXPECT_EQ(pal.hueExtent(), hueExtent) << name;
        for (const auto& p : probes)
            EXPECT_EQ(rgbAt(pal.paletteImage(), p.x, p.y), p.rgb) << name << " " << p.x << "," << p.y;
        const QString sizeName = QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
        EXPECT_TRUE(pictures::saveGalleryPng(picture(pal), "colorpal", name, sizeName));
    }
}

TEST(EkColorPal, ColourCount) {
    TEkColorPal pal;
    apply(pal, {0, 0}, {});
    EXPECT_EQ(pal.getColorCount(), 0);
    apply(pal, {12, 12}, {}); // too small to build: one blank colour
    EXPECT_EQ(pal.getColorCount(), 1);
}

// Pastel trunc((255 * d / red - h / 2) / (h / 2) * 256), d: the luminance's share of height h.
TEST(EkColorPal, FindColorPastel) {
    const int cases[][4] = {{100, 0, 120, 255},   {100, 240, 120, 0}, {100, 120, 120, 85},
                            {100, 60, 200, 229},  {100, 200, 60, 22}, {100, 120, 0, 255},
                            {100, 120, 240, 255}, {1, 120, 120, 85},  {2, 60, 30, 255}};
    for (const auto& [height, saturation, luminance, pastel] : cases) {
        TEkColorPal pal;
        pal.resize(200, height);
        EXPECT_EQ(pal.FindColor(0, saturation, luminance, true), pastel) << height << " " << saturation;
        EXPECT_EQ(pal.Pastel(), pastel);
    }
    TEkColorPal pal;
    picture(pal);
    pal.FindColor(120, 0, 60, false);
    EXPECT_EQ(pal.crossPos(), QPoint(94, 75));
}

TEST(EkColorPal, CrosshairPenIsBlackOrWhiteByThePaletteBeneath) {
    TEkColorPal pal;
    picture(pal);
    for (const auto& [y, pen] : {std::pair{2, kBlack}, std::pair{97, kWhite}}) {
        pal.SetCrossPos(100, y);
        const QImage image = picture(pal);
        for (int x : {86, 98, 102, 114})
            EXPECT_EQ(rgbAt(image, x, y), pen) << x << "," << y;
        EXPECT_EQ(rgbAt(image, 100, y + 2), pen);
        for (int x : {101, 115}) // the gap, and beyond the arm
            EXPECT_EQ(rgbAt(image, x, y), rgbAt(pal.paletteImage(), x, y)) << x << "," << y;
    }
}

TEST(EkColorPal, CrosshairKeepsItsRelativePlaceOnResize) {
    TEkColorPal pal;
    picture(pal);
    const int moves[][4] = {{199, 99, 100, 50}, {33, 10, 300, 150}};
    const QPoint scaled[] = {{99, 49}, {99, 30}};
    for (int i = 0; i < 2; ++i) {
        pal.SetCrossPos(moves[i][0], moves[i][1]);
        pal.resize(moves[i][2], moves[i][3]);
        picture(pal);
        EXPECT_EQ(pal.crossPos(), scaled[i]);
    }
}

// Steps: P press, R release, M move, C right click, K right arrow; a '^' holds Ctrl. Events:
// c colour change, L left pick, R right pick.
TEST(EkColorPal, PickSequences) {
    // Steps, HotTrack, NoRightSelect, events, crosshair at the end.
    const std::tuple<const char*, bool, bool, const char*, QPoint> cases[] = {
        {"P10,10 R11,10", false, false, "cLc", {10, 10}},
        {"P10,10 M40,10 M60,20 R60,20", false, false, "ccc", {60, 20}},
        {"M40,10", false, false, "", {150, 80}},
        {"P^10,10 R^10,10", false, false, "L", {10, 10}},
        {"M30,30 P30,30 R30,30", true, false, "cL", {30, 30}},
        {"M^40,40 P^40,40 R^40,40", true, false, "cLc", {40, 40}},
        {"C50,50", false, false, "R", {50, 50}},
        {"C50,50", false, true, "", {150, 80}},
        {"K0,0", false, false, "c", {151, 80}}};
    for (const auto& [steps, hotTrack, noRightSelect, expected, cross] : cases) {
        TEkColorPal pal;
        pal.setHotTrack(hotTrack), pal.setNoRightSelect(noRightSelect);
        picture(pal);
        pal.SetCrossPos(150, 80);
        const TEkColor before = pal.Color();
        std::string events;
        QObject::connect(&pal, &TEkColorPal::colorChange, [&] { events += "c"; });
        QObject::connect(&pal, &TEkColorPal::colorPickLeft, [&] { events += "L"; });
        QObject::connect(&pal, &TEkColorPal::colorPickRight, [&] { events += "R"; });
        for (const QString& step : QString(steps).split(' ')) {
            const bool ctrl = step[1] == '^';
            const QStringList xy = step.mid(ctrl ? 2 : 1).split(',');
            const QPoint at(xy[0].toInt(), xy[1].toInt());
            const Qt::KeyboardModifiers mods = ctrl ? Qt::ControlModifier : Qt::NoModifier;
            QMouseEvent move(QEvent::MouseMove, at, pal.mapToGlobal(at), Qt::NoButton, Qt::NoButton, mods);
            if (step[0] == 'M')
                QApplication::sendEvent(&pal, &move);
            else if (step[0] == 'K')
                QTest::keyClick(&pal, Qt::Key_Right);
            else if (step[0] == 'C')
                QTest::mouseClick(&pal, Qt::RightButton, mods, at);
            else
                QTest::mouseEvent(step[0] == 'P' ? QTest::MousePress : QTest::MouseRelease, &pal,
                                  Qt::LeftButton, mods, at);
        }
        EXPECT_EQ(events, expected) << steps;
        EXPECT_EQ(pal.crossPos(), cross) << steps;
        if (steps[0] == 'C') {
            EXPECT_EQ(pal.Color(), before) << "a right click never changes the colour";
        }
    }
}

// With HotTrack the arrow keys move the pointer (where the platform allows), the crosshair follows.
TEST(EkColorPal, HotTrackArrowMovesThePointer) {
    TEkColorPal pal;
    pal.setHotTrack(true);
    pal.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&pal));
    picture(pal); // the palette exists before the pointer comes
    QCursor::setPos(pal.mapToGlobal(QPoint(50, 40)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return pal.crossPos() == QPoint(50, 40); }));
    pal.ArrowKey(Qt::Key_Down, Qt::NoModifier);
    EXPECT_EQ(QCursor::pos(), pal.mapToGlobal(QPoint(50, 41)));
    EXPECT_TRUE(QTest::qWaitFor([&] { return pal.crossPos() == QPoint(50, 41); }));
    QCursor::setPos(QPoint(-1000, -1000));
}

} // namespace
