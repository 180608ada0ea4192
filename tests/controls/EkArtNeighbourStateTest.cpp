// An end piece keeps continuing the picture its neighbour shows when the neighbour's look
// changes (disabled at start, enabled later; hot while hovered), not the one it first saw.
#include "controls/EkArt.h"

#include <QApplication>
#include <QEnterEvent>
#include <QTest>
#include <gtest/gtest.h>

namespace {

constexpr TColor kDark = 0xD8B4A3;
constexpr TColor kLight = 0xFBF2EA;

TPixel firstPixel(const TEkGradiLabel& label, int row) {
    return label.getScanLine(row)[0];
}

TPixel lastPixel(const TEkArt& piece, int row) {
    return piece.getScanLine(row)[piece.width() - 1];
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

TEST_F(EkArtNeighbourStateTest, FollowsTheNeighbourFromDisabledToEnabled) {
    label->setEnabled(false);
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    settle();
    const TPixel disabledRow = firstPixel(*label, 10);
    EXPECT_EQ(lastPixel(*art, 10), disabledRow);

    label->setEnabled(true);
    settle();
    EXPECT_NE(firstPixel(*label, 10), disabledRow);
    EXPECT_EQ(lastPixel(*art, 10), firstPixel(*label, 10)); // not the grey of the start
    EXPECT_FALSE(art->isDirty());
}

TEST_F(EkArtNeighbourStateTest, FollowsTheNeighbourIntoAndOutOfTheHotLook) {
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    settle();
    const TPixel normalRow = lastPixel(*art, 0);

    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), label->mapToGlobal(QPointF(1, 1)));
    QApplication::sendEvent(label, &enter);
    settle();
    constexpr TPixel rgbMask = 0x00FFFFFF;
    EXPECT_EQ(lastPixel(*art, 0) & rgbMask, tColorToPixel(label->ClHotDark()) & rgbMask);

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(label, &leave);
    settle();
    EXPECT_EQ(lastPixel(*art, 0), normalRow);
}

} // namespace
