#include "controls/extra/EkMovers.h"
#include "tests/controls/extra/WidgetPictures.h"

#include <gtest/gtest.h>

namespace {

using namespace pictures;
using testsupport::Rgb;

// Records its size changes and paints its right half blue over the parent's background.
class Probe : public TEkMovers {
public:
    using TEkMovers::TEkMovers;
    int prepared = 0, painted = 0;

protected:
    void PrepareBitmaps(int, int) override { ++prepared; }
    void EkPaint(TEkBmp* bmp, TRect rect) override {
        ++painted;
        TEkMovers::EkPaint(bmp, rect);
        bmp->fillRect(TRect(rect.width() / 2, 0, rect.right, rect.bottom), TEkColor(0, 0, 255));
    }
};

// A probe on a green parent.
class ProbeOnParent : public ::testing::Test {
protected:
    ProbeOnParent() {
        host.setAutoFillBackground(true);
        host.setPalette(QPalette(QColor(10, 200, 30)));
        host.resize(120, 60);
        probe.setGeometry(10, 10, 40, 20);
    }
    QWidget host;
    Probe probe{&host};
};

TEST_F(ProbeOnParent, PaintsOverTheParentsBackground) {
    const QImage image = picture(probe);
    EXPECT_EQ(rgbAt(image, 2, 10), (Rgb{10, 200, 30}));
    EXPECT_EQ(rgbAt(image, 30, 10), (Rgb{0, 0, 255}));
}

TEST_F(ProbeOnParent, PaintsNothingWithoutAnAreaOrAParent) {
    Probe flat(&host);
    flat.resize(30, 0);
    host.show();
    flat.repaint();
    EXPECT_EQ(flat.painted, 0);
    Probe orphan;
    orphan.repaint();
    EXPECT_EQ(orphan.painted, 0);
}

TEST_F(ProbeOnParent, FollowsResizesOnly) {
    host.show();
    const int prepared = probe.prepared;
    probe.move(7, 9);
    EXPECT_EQ(probe.prepared, prepared);
    probe.resize(33, 12);
    EXPECT_EQ(probe.prepared, prepared + 1);
    EXPECT_EQ(probe.bitmap()->width(), 33);
    EXPECT_EQ(probe.paintRect(), TRect(0, 0, 33, 12));
}

TEST(EkBaseCtrlTest, MoversKeepSidesOfFiveOrZero) {
    const struct {
        int w, h, wantW, wantH;
    } rows[] = {{3, 0, 5, 0}, {-2, 7, 5, 7}, {0, 4, 0, 5}, {5, 1, 5, 5}, {60, 20, 60, 20}};
    QWidget host;
    host.resize(80, 40);
    host.show();
    for (const auto& r : rows) {
        Probe probe(&host);
        probe.SetBounds(1, 2, r.w, r.h);
        EXPECT_EQ(probe.size(), QSize(r.wantW, r.wantH)) << r.w << "x" << r.h;
        if (r.w < 0)
            continue;           // only SetBounds sees negative sides
        probe.resize(r.w, r.h); // as a layout would, before the widget shows
        probe.show();
        EXPECT_EQ(probe.paintRect(), TRect(0, 0, r.wantW, r.wantH)) << r.w << "x" << r.h;
    }
}

} // namespace
