// An end piece continues its neighbour's resting look: it follows the neighbour when that is
// enabled or recoloured, not when it turns hot or pressed under the mouse.
#include "controls/EkArt.h"

#include <QApplication>
#include <QEnterEvent>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace {

constexpr TColor kDark = 0xD8B4A3;
constexpr TColor kLight = 0xFBF2EA;

// Column x of a painted picture.
template <class Control> std::vector<TPixel> column(const Control& control, int x) {
    std::vector<TPixel> pixels;
    for (int y = 0; y < control.height(); ++y)
        pixels.push_back(control.getScanLine(y)[x]);
    return pixels;
}

class EkArtNeighbourStateTest : public ::testing::Test {
protected:
    void SetUp() override {
        host.resize(200, 26);
        label = new TEkGradiLabel(&host);
        label->setLabelType(altButton);
        label->setAutoSize(false);
        label->setGradiantDark(kDark);
        label->setGradiantLight(kLight);
        label->setGeometry(23, 0, 60, 26);
        label->Loaded();
        art = new TEkArt(&host);
        art->setArtType(aatEndLeft);
        art->setGradiDark(kDark);
        art->setGradiLight(kLight);
        art->setGeometry(0, 0, 23, 26);
        art->setLabelAfter(label);
    }

    // Lets both paint as the window would: the label first, then the piece it signals.
    void settle() {
        (void)label->grab();
        QApplication::processEvents();
        (void)art->grab();
    }

    QWidget host;
    TEkGradiLabel* label = nullptr;
    TEkArt* art = nullptr;
};

TEST_F(EkArtNeighbourStateTest, FollowsTheRestingLookOnly) {
    label->setEnabled(false); // a piece first painted beside a disabled label
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    settle();
    struct Step {
        const char* name;
        std::function<void()> act;
        bool follows; // the piece takes the label's new look; else it keeps its own picture
    } steps[] = {
        {"enabled", [&] { label->setEnabled(true); }, true},
        {"hot",
         [&] {
             QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), label->mapToGlobal(QPointF(1, 1)));
             QApplication::sendEvent(label, &enter);
         },
         false},
        {"pressed", [&] { QTest::mousePress(label, Qt::LeftButton, {}, QPoint(5, 5)); }, false},
        {"recoloured while pressed", [&] { label->setGradiantDark(0x4080C0); }, false},
        {"released outside and left",
         [&] {
             QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(5, 40));
             QEvent leave(QEvent::Leave);
             QApplication::sendEvent(label, &leave);
         },
         true},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        const std::vector<TPixel> before = column(*art, art->width() - 1);
        step.act();
        settle();
        EXPECT_NE(column(*label, 0), before); // the label looks different now
        EXPECT_EQ(column(*art, art->width() - 1), step.follows ? column(*label, 0) : before);
        EXPECT_FALSE(art->isDirty());
    }
}

} // namespace
