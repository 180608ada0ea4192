#include "controls/extra/EkSlider.h"
#include "controls/extra/EkBmpRound.h"
#include "tests/controls/extra/WidgetPictures.h"

#include <QAction>
#include <QSignalSpy>
#include <QTest>
#include <climits>
#include <gtest/gtest.h>

namespace {

using namespace pictures;
using testsupport::Rgb;

// Counts the keys that the slider passed on.
struct Host : QWidget {
    int keysPassedOn = 0;
    void keyPressEvent(QKeyEvent*) override { ++keysPassedOn; }
};

class SliderTest : public ::testing::Test {
protected:
    SliderTest() {
        host.resize(300, 200);
        host.show();
    }
    void mouse(QEvent::Type type, int x, int y) {
        const Qt::MouseButton button = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
        QMouseEvent e(type, QPointF(x, y), slider->mapToGlobal(QPointF(x, y)),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, button, {});
        QApplication::sendEvent(slider, &e);
    }
    Host host;
    TEkSlider* slider = new TEkSlider(&host);
};

TEST_F(SliderTest, ThumbGeometryInEveryLayout) {
    const struct {
        const char* name;
        int w, h, style, length, endMargin, scrollButtons, position, lane;
        TRect thumb;
    } rows[] = {
        {"ball", 100, 18, tssBall, 16, 0, false, 50, 82, {41, 0, 59, 18}},
        {"margin_at_min", 100, 18, tssBall, 16, 5, false, 0, 82, {5, 0, 23, 18}},
        {"margin_at_max", 100, 18, tssBall, 16, 5, false, 100, 82, {87, 0, 105, 18}},
        {"standing", 18, 100, tssBall, 16, 0, false, 50, 82, {0, 41, 18, 59}},
        {"flat", 100, 18, tssGradi, 30, 0, false, 100, 70, {70, 0, 100, 18}},
        {"scroll_buttons", 100, 18, tssPipe, 16, 0, true, 100, 48, {66, 0, 82, 18}},
    };
    for (const auto& r : rows) {
        slider->resize(r.w, r.h);
        slider->setStyleSlider(TEkSliderStyle(r.style));
        slider->setLengthSlider(r.length);
        slider->setBkgEndMargin(r.endMargin);
        slider->setShowScrollButtons(r.scrollButtons);
        slider->setPosition(r.position);
        EXPECT_EQ(slider->getLaneLengthInPix(), r.lane) << r.name;
        EXPECT_EQ(slider->sliderRect(), r.thumb) << r.name;
    }
}

TEST_F(SliderTest, PositionIsClampedAndAnUnchangedOneIsNoChange) {
    QSignalSpy changed(slider, &TEkSlider::changePos);
    slider->setPosition(150);
    slider->setPosition(100);
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(changed[0][1].toDouble(), 100.0);
    EXPECT_EQ(changed[0][2].toInt(), 100);
}

TEST_F(SliderTest, VetoedPositionStaysAndTheThumbStaysPut) {
    slider->setPosition(100);
    QObject::connect(slider, &TEkSlider::changingPos,
                     [](TEkSlider*, double, int, bool* accept) { *accept = false; });
    slider->setPosition(30);
    EXPECT_EQ(slider->Position(), 100.0);
    EXPECT_EQ(slider->sliderRect().left, 82);
}

TEST_F(SliderTest, RangeKeepsMaxAboveMinAndDragsThePositionWithoutEvents) {
    QSignalSpy changed(slider, &TEkSlider::changePos);
    slider->setPosition(100);
    slider->setMax(slider->Min());
    EXPECT_EQ(slider->Max(), 1.0);
    EXPECT_EQ(slider->Position(), 1.0);
    slider->setMin(200);
    EXPECT_EQ(slider->Min(), 0.0);
    EXPECT_EQ(changed.size(), 1);
}

TEST_F(SliderTest, PositionRoundsHalfUpWithinInt) {
    const struct {
        double min, v;
        int want;
    } rounding[] = {{-10, -2.5, -2}, {-10, -2.6, -3}, {-10, 2.5, 3}, {-10.9, -10.9, -11}, {0, 1e12, INT_MAX}};
    for (const auto& r : rounding) {
        slider->setMin(r.min);
        EXPECT_EQ(slider->posDoubleToPosInt(r.v), r.want) << r.min << " " << r.v;
    }
}

TEST_F(SliderTest, PressAndDragOverTheVisibleTrack) {
    QSignalSpy changed(slider, &TEkSlider::changePos);
    picture(*slider);
    mouse(QEvent::MouseMove, 50, 9);
    ASSERT_TRUE(slider->isHot());
    EXPECT_FALSE(slider->MouseIsIn(0, 0)); // the groove's transparent corner
    mouse(QEvent::MouseButtonPress, 50, 9);
    EXPECT_EQ(slider->Position(), 50.0); // (50 - 9) * 100 / 82
    mouse(QEvent::MouseMove, 20, 9);
    EXPECT_DOUBLE_EQ(slider->Position(), 11 * 100.0 / 82);
    mouse(QEvent::MouseMove, 0, 0); // off the track: the drag stops following
    mouse(QEvent::MouseMove, 70, 0);
    mouse(QEvent::MouseButtonRelease, 70, 0);
    mouse(QEvent::MouseMove, 60, 9);
    EXPECT_EQ(changed.size(), 2);
    // A thumb as long as the control leaves no lane: the mouse is ignored.
    slider->setStyleSlider(tssGradi);
    slider->setLengthSlider(100);
    ASSERT_EQ(slider->getLaneLengthInPix(), 0);
    mouse(QEvent::MouseButtonPress, 90, 9);
    mouse(QEvent::MouseButtonRelease, 90, 9);
    EXPECT_EQ(changed.size(), 2);
}

TEST_F(SliderTest, WheelAndKeysStepAlongTheLane) {
    QAction rightShortcut(&host);
    rightShortcut.setShortcut(Qt::Key_Right);
    host.addAction(&rightShortcut);
    QSignalSpy shortcutTaken(&rightShortcut, &QAction::triggered);
    QApplication::setActiveWindow(&host);
    slider->setFocus();
    slider->setPosition(50);
    // In order; a wheel rotation of 0 presses the key; half a notch (60) waits for the other half.
    const struct {
        int standing, noScroll, wheel, key;
        double want;
    } rows[] = {{false, false, 120, 0, 50.5},        {false, false, -240, 0, 49.5},
                {false, false, 60, 0, 49.5},         {false, false, 60, 0, 50},
                {true, false, 120, 0, 49.5},         {true, false, -120, 0, 50},
                {false, true, 120, 0, 50},           {false, true, 0, Qt::Key_Right, 51},
                {false, false, 0, Qt::Key_Left, 50}, {false, false, 0, Qt::Key_Up, 50},
                {true, false, 0, Qt::Key_Down, 51},  {true, false, 0, Qt::Key_Left, 51}};
    int keys = 0;
    for (const auto& r : rows) {
        slider->resize(r.standing ? 18 : 100, r.standing ? 100 : 18);
        slider->setNoScroll(r.noScroll);
        QWheelEvent wheel({9, 9}, slider->mapToGlobal(QPointF(9, 9)), {}, {0, r.wheel}, {}, {},
                          Qt::NoScrollPhase, false);
        if (r.wheel) {
            QApplication::sendEvent(slider, &wheel);
            EXPECT_EQ(wheel.isAccepted(), !r.noScroll); // an ignored wheel goes on to the parent
        } else {
            QTest::keyClick(slider, Qt::Key(r.key)), ++keys;
        }
        EXPECT_EQ(slider->Position(), r.want) << r.wheel << " " << r.key;
    }
    EXPECT_EQ(host.keysPassedOn, keys);
    EXPECT_EQ(shortcutTaken.size(), 0);
}

TEST_F(SliderTest, ThumbLengthSurvivesStyleSwitchesAndNeverReachesZero) {
    slider->setStyleSlider(tssPipe);
    slider->setLengthSlider(30);
    slider->setStyleSlider(tssHole);
    EXPECT_EQ(slider->LengthSlider(), 18);
    slider->setStyleSlider(tssGrove);
    EXPECT_EQ(slider->LengthSlider(), 30);
    EXPECT_EQ(slider->thumbBitmap()->width(), 30);
    slider->setLengthSlider(0);
    EXPECT_EQ(slider->LengthSlider(), 1);
    EXPECT_NE(rgbAt(picture(*slider), slider->sliderRect().left, 9), rgbAt(picture(*slider), 60, 9));
}

TEST_F(SliderTest, TrackColoursFollowStyleAndHotState) {
    slider->setStyleBkg(tbsSolid);
    slider->setStyleSlider(tssCustom); // paints no thumb
    slider->setBkgSideMargin(4);
    picture(*slider);
    EXPECT_EQ(slider->trackBitmap()->pixelAt(0, 0), 0xFF017AE9u); // ClBkgDark, margin included
    slider->setAlive(false);
    mouse(QEvent::MouseMove, 50, 9);
    EXPECT_EQ(rgbAt(picture(*slider), 50, 9), (Rgb{0x01, 0x7A, 0xE9}));
    slider->setAlive(true);
    EXPECT_EQ(rgbAt(picture(*slider), 50, 9), (Rgb{0x00, 0x88, 0x00})); // ClHotBkgDark
}

} // namespace
