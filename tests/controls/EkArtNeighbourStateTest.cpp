// An end piece continues its neighbour's resting look: it follows the neighbour when that is
// enabled, recoloured or resized, not when it turns hot or pressed under the mouse.
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

void enter(TEkGradiLabel& label) {
    QEnterEvent event(QPointF(1, 1), QPointF(1, 1), label.mapToGlobal(QPointF(1, 1)));
    QApplication::sendEvent(&label, &event);
}

void leave(TEkGradiLabel& label) {
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(&label, &event);
}

struct LookCase {
    const char* name;
    bool startDisabled;
    // Changes the neighbour; `settle` lets both paint as the window would.
    std::function<void(TEkGradiLabel& label, const std::function<void()>& settle)> change;
    bool follows; // the piece takes the neighbour's new picture; else it keeps its own
};

class EkArtNeighbourStateTest : public ::testing::TestWithParam<LookCase> {
protected:
    void SetUp() override {
        host.resize(200, 40);
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

    // The label paints first, then the piece it signals (again once it has followed a size).
    void settle() {
        (void)label->grab();
        QApplication::processEvents();
        (void)art->grab();
        QApplication::processEvents();
        (void)art->grab();
    }

    // The piece's column beside the label, and the label's first column.
    std::vector<TPixel> pieceEdge() const {
        std::vector<TPixel> column;
        for (int y = 0; y < art->height(); ++y)
            column.push_back(art->getScanLine(y)[art->width() - 1]);
        return column;
    }
    std::vector<TPixel> labelEdge() const {
        std::vector<TPixel> column;
        for (int y = 0; y < label->height(); ++y)
            column.push_back(label->getScanLine(y)[0]);
        return column;
    }

    QWidget host;
    TEkGradiLabel* label = nullptr;
    TEkArt* art = nullptr;
};

TEST_P(EkArtNeighbourStateTest, FollowsTheRestingLookOnly) {
    const LookCase& c = GetParam();
    label->setEnabled(!c.startDisabled);
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    settle();
    ASSERT_EQ(pieceEdge(), labelEdge());
    const std::vector<TPixel> first = pieceEdge();

    c.change(*label, [this] { settle(); });
    settle();
    EXPECT_FALSE(art->isDirty());
    if (c.follows) {
        EXPECT_EQ(pieceEdge(), labelEdge());
        EXPECT_NE(pieceEdge(), first);
    } else {
        EXPECT_EQ(pieceEdge(), first);
        EXPECT_NE(labelEdge(), first);
    }
}

const auto recolour = [](TEkGradiLabel& label) { label.setGradiantDark(0x4080C0); };

INSTANTIATE_TEST_SUITE_P(
    Changes, EkArtNeighbourStateTest,
    ::testing::Values(LookCase{"EnabledAfterStartingDisabled", true,
                               [](auto& label, auto&) { label.setEnabled(true); }, true},
                      LookCase{"Recoloured", false, [](auto& label, auto&) { recolour(label); }, true},
                      LookCase{"Resized", false, [](auto& label, auto&) { label.resize(60, 30); }, true},
                      LookCase{"Hot", false, [](auto& label, auto&) { enter(label); }, false},
                      LookCase{"Pressed", false,
                               [](auto& label, auto&) {
                                   QTest::mousePress(&label, Qt::LeftButton, {}, QPoint(5, 5));
                               },
                               false},
                      LookCase{"RecolouredWhileHotShowsOnLeaving", false,
                               [](auto& label, auto& settle) {
                                   enter(label);
                                   recolour(label);
                                   settle();
                                   leave(label);
                               },
                               true}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
