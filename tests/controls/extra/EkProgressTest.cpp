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
    EXPECT_EQ(bar->PosInPix(), 50);
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
        EXPECT_EQ(bar->PosInPix(), r.pix) << r.max;
        bar->resize(200, 18);
        EXPECT_EQ(bar->PosInPix(), 2 * r.pix) << r.max;
        bar->resize(100, 18);
        click(int(r.clickX), 9);
        EXPECT_DOUBLE_EQ(bar->Position(), r.clicked) << r.max;
    }
}

// A click lands where the bar is drawn. The pixel of a position is lane * (Position - Min) /
// (Max - Min) truncated, so a click at pixel p sets the lowest position drawn at p, and every
// position up to one pixel's share of the range above it is drawn at p too.
TEST_F(ProgressTest, AClickLandsWhereTheBarIsDrawn) {
    const struct {
        double min, max;
    } ranges[] = {{0, 10.5}, {-3.25, 7.5}, {-0.001, 0}, {0, 0.3}, {1e6, 1e6 + 0.5}, {-5e9, 7e9}, {0, 100}};
    for (const auto& r : ranges) {
        bar->setMax(1e12), bar->setMin(r.min), bar->setMax(r.max);
        const double share = (r.max - r.min) / 100; // one pixel of a 100-pixel lane
        for (int pix = 0; pix <= 100; ++pix) {
            bar->setPosition(pix == 0 ? r.max : r.min); // elsewhere, so that the click moves it
            click(pix, 9);
            const double clicked = bar->Position();
            bar->setPosition(pix == 0 ? r.max : r.min), bar->setPosition(clicked); // drawn anew
            ASSERT_EQ(bar->PosInPix(), pix) << r.max << " clicked " << clicked;
            if (pix < 100) {
                bar->setPosition(clicked + share * 0.999);
                ASSERT_EQ(bar->PosInPix(), pix) << r.max << " clicked " << clicked;
            }
        }
    }
    // Max 10.5: position 5 is drawn at 47 (100 * 5 / 10.5 = 47.6); a click there sets 4.935.
    bar->setMax(10.5), bar->setPosition(5);
    EXPECT_EQ(bar->PosInPix(), 47);
    bar->setPosition(10.5), click(47, 9);
    EXPECT_DOUBLE_EQ(bar->Position(), 4.935);
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
