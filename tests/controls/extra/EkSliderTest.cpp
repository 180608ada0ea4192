#include "controls/extra/EkSlider.h"
#include "controls/extra/EkBmpRound.h"
#include "tests/controls/extra/ExtraTestUtil.h"

#include <QAction>
#include <QSignalSpy>
#include <QTest>
#include <climits>
#include <gtest/gtest.h>

namespace {

using namespace extratest;

// Records the arrow keys that the slider passed on.
class Host : public QWidget {
public:
    int keysPassedOn = 0;

protected:
    void keyPressEvent(QKeyEvent*) override { ++keysPassedOn; }
};

class SliderTest : public ::testing::Test {
protected:
    SliderTest() {
        host.resize(300, 200);
        slider = new TEkSlider(&host);
        host.show();
    }
    void mouse(QEvent::Type type, int x, int y, Qt::MouseButtons buttons = Qt::LeftButton) {
        QMouseEvent e(type, QPointF(x, y), slider->mapToGlobal(QPointF(x, y)),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, {});
        QApplication::sendEvent(slider, &e);
    }
    bool wheel(int delta) {
        QWheelEvent e(QPointF(50, 9), slider->mapToGlobal(QPointF(50, 9)), {}, QPoint(0, delta), {}, {},
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(slider, &e);
        return e.isAccepted();
    }
    Host host;
    TEkSlider* slider;
};

TEST_F(SliderTest, ThumbGeometryInEveryLayout) {
    const struct {
        const char* name;
        int w, h;
        TEkSliderStyle style;
        int length, endMargin;
        bool scrollButtons;
        double position;
        int lane;
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
        slider->setStyleSlider(r.style);
        slider->setLengthSlider(r.length);
        slider->setBkgEndMargin(r.endMargin);
        slider->setShowScrollButtons(r.scrollButtons);
        slider->setPosition(r.position);
        EXPECT_EQ(slider->getLaneLengthInPix(), r.lane) << r.name;
        EXPECT_EQ(slider->SliderRect(), r.thumb) << r.name;
    }
}

TEST_F(SliderTest, PositionIsClampedAndCanBeVetoed) {
    QSignalSpy changed(slider, &TEkSlider::changePos);
    QSignalSpy changing(slider, &TEkSlider::changingPos);
    slider->setPosition(150);
    slider->setPosition(100);
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(changed[0][1].toDouble(), 100.0);
    EXPECT_EQ(changed[0][2].toInt(), 100);
    QObject::connect(slider, &TEkSlider::changingPos, slider,
                     [](TEkSlider*, double, int, bool* accept) { *accept = false; });
    slider->setPosition(30);
    EXPECT_EQ(changing.size(), 2);
    EXPECT_EQ(slider->Position(), 100.0);
    EXPECT_EQ(slider->SliderRect().left, 82);
    slider->setMax(slider->Min());
    EXPECT_EQ(slider->Max(), 1.0);
    EXPECT_EQ(slider->Position(), 1.0);
    slider->setMin(200);
    EXPECT_EQ(slider->Min(), 0.0);
    EXPECT_EQ(changed.size(), 1);
}

TEST_F(SliderTest, WholeNumbersRoundHalfUpOnBothSidesOfZero) {
    const struct {
        double min, v;
        int want;
    } rows[] = {{-10, -2.5, -2},     {-10, -2.6, -3}, {-10, 2.5, 3},
                {-10.9, -10.9, -11}, {0, 7.49, 7},    {0, 1e12, INT_MAX}};
    for (const auto& r : rows) {
        slider->setMin(r.min);
        EXPECT_EQ(slider->posDoubleToPosInt(r.v), r.want) << r.min << " " << r.v;
    }
}

TEST_F(SliderTest, PressAndDragOverTheVisibleTrack) {
    QSignalSpy changed(slider, &TEkSlider::changePos);
    screen(*slider);
    mouse(QEvent::MouseMove, 50, 9, Qt::NoButton);
    ASSERT_TRUE(slider->IsHot());
    EXPECT_FALSE(slider->MouseIsIn(0, 0)); // the groove's transparent corner
    mouse(QEvent::MouseButtonPress, 50, 9);
    EXPECT_EQ(slider->Position(), 50.0); // (50 - 9) * 100 / 82
    mouse(QEvent::MouseMove, 20, 9);
    EXPECT_DOUBLE_EQ(slider->Position(), 11 * 100.0 / 82);
    mouse(QEvent::MouseMove, 0, 0); // off the track: the drag stops following
    mouse(QEvent::MouseMove, 70, 0);
    EXPECT_DOUBLE_EQ(slider->Position(), 11 * 100.0 / 82);
    mouse(QEvent::MouseButtonRelease, 70, 0, Qt::NoButton);
    mouse(QEvent::MouseMove, 60, 9, Qt::NoButton);
    EXPECT_EQ(changed.size(), 2);
    // A thumb as long as the control leaves no lane: the mouse is ignored.
    slider->setStyleSlider(tssGradi);
    slider->setLengthSlider(100);
    ASSERT_EQ(slider->getLaneLengthInPix(), 0);
    mouse(QEvent::MouseButtonPress, 90, 9);
    mouse(QEvent::MouseButtonRelease, 90, 9, Qt::NoButton);
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
    const struct {
        bool standing, noScroll;
        int wheel; // delta, or 0 for the key
        Qt::Key key;
        double want;
    } rows[] = {{false, false, 120, {}, 50.5},       {false, false, -240, {}, 49.5},
                {false, false, 60, {}, 49.5}, // half a notch waits for the other half
                {false, false, 60, {}, 50},          {true, false, 120, {}, 49.5},
                {true, false, -120, {}, 50},         {false, true, 120, {}, 50},
                {false, true, 0, Qt::Key_Right, 51}, {false, false, 0, Qt::Key_Left, 50},
                {false, false, 0, Qt::Key_Up, 50},   {true, false, 0, Qt::Key_Down, 51},
                {true, false, 0, Qt::Key_Left, 51}};
    int keys = 0;
    for (const auto& r : rows) {
        slider->resize(r.standing ? 18 : 100, r.standing ? 100 : 18);
        slider->setNoScroll(r.noScroll);
        if (r.wheel)
            EXPECT_EQ(wheel(r.wheel), !r.noScroll);
        else
            QTest::keyClick(slider, r.key), ++keys;
        EXPECT_EQ(slider->Position(), r.want) << r.wheel << " " << r.key;
    }
    EXPECT_EQ(host.keysPassedOn, keys);
    EXPECT_EQ(shortcutTaken.size(), 0);
}

TEST_F(SliderTest, ThumbLengthStaysUsable) {
    slider->setStyleSlider(tssPipe);
    slider->setLengthSlider(30);
    slider->setStyleSlider(tssHole);
    EXPECT_EQ(slider->LengthSlider(), 18);
    slider->setStyleSlider(tssGrove);
    EXPECT_EQ(slider->LengthSlider(), 30);
    EXPECT_EQ(slider->ThumbBitmap()->width(), 30);
    WarningCounter warnings;
    slider->setLengthSlider(0);
    EXPECT_EQ(slider->LengthSlider(), 1);
    screen(*slider);
    EXPECT_EQ(warnings.count(), 0);
}

TEST_F(SliderTest, TrackColoursFollowStyleAndHotState) {
    slider->setStyleBkg(tbsSolid);
    slider->setStyleSlider(tssCustom); // paints no thumb
    slider->setBkgSideMargin(4);
    screen(*slider);
    EXPECT_EQ(slider->TrackBitmap()->pixelAt(0, 0), 0xFF017AE9u); // ClBkgDark, margin included
    slider->setAlive(false);
    mouse(QEvent::MouseMove, 50, 9, Qt::NoButton);
    EXPECT_EQ(rgbAt(screen(*slider), 50, 9), (Rgb{0x01, 0x7A, 0xE9}));
    slider->setAlive(true);
    EXPECT_EQ(rgbAt(screen(*slider), 50, 9), (Rgb{0x00, 0x88, 0x00})); // ClHotBkgDark
    // The ball ignores the grip.
    slider->setStyleSlider(tssBall);
    const QImage withGrip = screen(*slider);
    slider->setSliderGrib(false);
    EXPECT_EQ(screen(*slider), withGrip);
}

} // namespace
