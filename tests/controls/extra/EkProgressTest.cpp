#include "controls/extra/EkProgress.h"
#include "tests/controls/extra/ExtraTestUtil.h"

#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using namespace extratest;

class ProgressTest : public ::testing::Test {
protected:
    ProgressTest() {
        host.resize(300, 200);
        bar = new TEkProgress(&host);
        bar->AcceptClick = true;
        host.show();
    }
    void click(int x, int y) { QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(x, y)); }
    QWidget host;
    TEkProgress* bar;
};

TEST_F(ProgressTest, ClickSetsThePositionOnce) {
    QSignalSpy changed(bar, &TEkProgress::posChange);
    click(25, 9);
    click(25, 9);
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(changed[0][1].toDouble(), 25.0);
    EXPECT_EQ(bar->Position(), 25.0);
    bar->setMin(50);
    bar->setPosition(75);
    EXPECT_EQ(bar->PosInPix(), 50);
    click(100, 9);
    EXPECT_EQ(bar->Position(), 100.0);
    bar->AcceptClick = false;
    click(10, 9);
    EXPECT_EQ(bar->Position(), 100.0);
    // A standing bar takes the click's y along its height.
    bar->resize(18, 100);
    click(9, 30);
    EXPECT_EQ(bar->Position(), 100.0);
    bar->AcceptClick = true;
    click(9, 30);
    EXPECT_EQ(bar->Position(), 65.0);
}

TEST_F(ProgressTest, RangeSettersKeepMaxAboveMinWithoutEvents) {
    QSignalSpy changed(bar, &TEkProgress::posChange);
    bar->setPosition(150);
    EXPECT_EQ(bar->Position(), 100.0);
    bar->setMax(bar->Min());
    EXPECT_EQ(bar->Max(), 1.0);
    EXPECT_EQ(bar->Position(), 1.0);
    bar->setMin(bar->Max());
    EXPECT_EQ(bar->Min(), 0.0);
    bar->setPosition(-5);
    EXPECT_EQ(bar->Position(), 0.0);
    EXPECT_EQ(changed.size(), 0);
}

// Ranges narrower than one unit divide by the whole difference; very wide ones multiply in 64
// bits. Clicks clamp to the lane. The position keeps its share of a resized lane.
TEST_F(ProgressTest, PixelArithmeticOverEveryRange) {
    const struct {
        double min, max, position;
        int pix;        // pixel of position on a lane of 100
        int clickX;     // then a click here
        double clicked; // gives this position
    } rows[] = {{0, 0.5, 0.25, 50, 80, 0.4},
                {0, 4294967296.0, 2147483648.0, 50, 75, 3221225472.0},
                {-10, 10, 0, 50, 33, -4},
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
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(r.clickX, 9),
                          bar->mapToGlobal(QPointF(r.clickX, 9)), Qt::LeftButton, Qt::LeftButton, {});
        QApplication::sendEvent(bar, &press);
        EXPECT_DOUBLE_EQ(bar->Position(), r.clicked) << r.max;
    }
}

// The solid pattern paints in the light colours.
TEST_F(ProgressTest, PaintsTheFrontUpToThePositionBeforeThePaintedEvent) {
    bar->setPaternType(tptSolid);
    bar->setSoftEdge(false);
    bar->setSoftEdgeFront(false);
    bar->setPosition(37);
    int painted = 0;
    QObject::connect(bar, &TEkProgress::painted, bar, [&](TEkProgress*, QPainter* canvas, QRect r) {
        ++painted;
        canvas->fillRect(r, Qt::green); // lies under the copy of the picture
    });
    const QImage image = screen(*bar);
    EXPECT_EQ(painted, 1);
    EXPECT_EQ(rgbAt(image, 36, 9), (Rgb{0xFF, 0xF1, 0xAA})); // ClFrontLight
    EXPECT_EQ(rgbAt(image, 37, 9), (Rgb{0x00, 0xFF, 0xFF})); // ClBkgLight
    bar->setAlive(true);
    sendEnter(bar);
    EXPECT_EQ(rgbAt(screen(*bar), 36, 9), (Rgb{0xFF, 0xF1, 0x94})); // ClHotFrontLight
}

} // namespace
