#include "controls/extra/EkProgress.h"
#include "tests/controls/extra/WidgetPictures.h"

#include <QPainter>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

using namespace pictures;
using testsupport::Rgb;

class ProgressTest : public ::testing::Test {
protected:
    ProgressTest() {
        bar->AcceptClick = true;
        host.show();
    }
    void click(int x, int y) {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(x, y), bar->mapToGlobal(QPointF(x, y)),
                          Qt::LeftButton, Qt::LeftButton, {});
        QApplication::sendEvent(bar, &press);
    }
    QWidget host;
    TEkProgress* bar = new TEkProgress(&host);
};

TEST_F(ProgressTest, ClickSetsThePositionAndSettersKeepTheRange) {
    QSignalSpy changed(bar, &TEkProgress::posChange);
    click(25, 9);
    click(25, 9);
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(changed[0][1].toDouble(), 25.0);
    bar->setMin(50);
    bar->setPosition(75);
    EXPECT_EQ(bar->posInPix(), 50);
    click(100, 9);
    EXPECT_EQ(bar->Position(), 100.0);
    bar->resize(18, 100); // a standing bar takes the click's y along its height
    click(9, 30);
    EXPECT_EQ(bar->Position(), 65.0);
    bar->setPosition(150);
    EXPECT_EQ(bar->Position(), 100.0);
    bar->setMax(bar->Min());
    EXPECT_EQ(bar->Max(), 51.0);
    EXPECT_EQ(bar->Position(), 51.0);
    bar->setMin(bar->Max());
    EXPECT_EQ(bar->Min(), 50.0);
    bar->setPosition(-5);
    EXPECT_EQ(bar->Position(), 50.0);
    EXPECT_EQ(changed.size(), 3);
}

// Every range divides by its whole difference, one narrower than a unit too. Clicks clamp to
// the lane. The position keeps its share of a resized lane.
TEST_F(ProgressTest, PixelArithmeticOverEveryRange) {
    // Position's pixel on a lane of 100, then a click at clickX and the position it gives.
    const struct {
        double min, max, position, pix, clickX, clicked;
    } rows[] = {{0, 0.5, 0.25, 50, 80, 0.4},
                {0, 4294967296.0, 2147483648.0, 50, 75, 3221225472.0},
                {-10, 10, 0, 50, 33, -3.4},
                {0, 100, 40, 40, -20, 0},
                {0, 100, 40, 40, 250, 100}};
    for (const auto& r : rows) {
        bar->resize(100, 18);
        bar->setMax(1e12);
        bar->setMin(r.min);
        bar->setMax(r.max);
        bar->setPosition(r.position);
        EXPECT_EQ(bar->posInPix(), r.pix) << r.max;
        bar->resize(200, 18);
        EXPECT_EQ(bar->posInPix(), 2 * r.pix) << r.max;
        bar->resize(100, 18);
        click(int(r.clickX), 9);
        EXPECT_DOUBLE_EQ(bar->Position(), r.clicked) << r.max;
    }
}

// A click lands where the bar is drawn. A position's pixel is lane * (Position - Min) /
// (Max - Min) truncated, so a click at pixel p sets the lowest position drawn at p, and the
// positions up to a pixel's share of the range above it are drawn at p too. Max 10.5: 5 is
// drawn at 47, where a click set 4 (drawn at 42) and now sets 4.935.
TEST_F(ProgressTest, AClickLandsWhereTheBarIsDrawn) {
    const double ranges[][2] = {{0, 10.5}, {-3.25, 7.5},     {-0.001, 0},
                                {0, 0.3},  {1e6, 1e6 + 0.5}, {-5e9, 7e9}};
    for (const auto& [min, max] : ranges) {
        bar->setMax(1e12), bar->setMin(min), bar->setMax(max);
        for (int pix = 0; pix <= 100; ++pix) {
            const double away = pix == 0 ? max : min; // elsewhere, so that the click moves it
            bar->setPosition(away), click(pix, 9);
            const double clicked = bar->Position(), share = (max - min) / 100;
            for (const double drawn : {clicked, std::min(clicked + share * 0.999, max)}) {
                bar->setPosition(away), bar->setPosition(drawn);
                ASSERT_EQ(bar->posInPix(), pix) << max << " drawn " << drawn;
            }
        }
    }
}

// The solid pattern paints in the light colours.
TEST_F(ProgressTest, PaintsTheFrontUpToThePositionBeforeThePaintedEvent) {
    bar->setPaternType(tptSolid);
    bar->setSoftEdge(false);
    bar->setSoftEdgeFront(false);
    bar->setPosition(37);
    int painted = 0;
    QObject::connect(bar, &TEkProgress::painted, [&](TEkProgress*, QPainter* canvas, QRect r) {
        ++painted;
        canvas->fillRect(r, Qt::green); // lies under the copy of the picture
    });
    const QImage image = picture(*bar);
    EXPECT_EQ(painted, 1);
    EXPECT_EQ(rgbAt(image, 36, 9), (Rgb{0xFF, 0xF1, 0xAA})); // ClFrontLight
    EXPECT_EQ(rgbAt(image, 37, 9), (Rgb{0x00, 0xFF, 0xFF})); // ClBkgLight
    QEnterEvent enter(QPointF(0, 0), QPointF(0, 0), bar->mapToGlobal(QPointF(0, 0)));
    QApplication::sendEvent(bar, &enter); // not Alive: not hot
    EXPECT_EQ(picture(*bar), image);
    bar->setAlive(true);
    QApplication::sendEvent(bar, &enter);
    EXPECT_EQ(rgbAt(picture(*bar), 36, 9), (Rgb{0xFF, 0xF1, 0x94})); // ClHotFrontLight
}

} // namespace
