#include "controls/EkArt.h"

#include "tests/support/Rgb.h"
#include "tests/support/TestSupport.h"
#include <QApplication>
#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

constexpr TColor kThemeDark = 0xD8B4A3;
constexpr TColor kThemeLight = 0xFBF2EA;

using testsupport::Rgb;
using testsupport::rgbAt;

Rgb piecePixel(const TEkArt& piece, int x, int y) {
    return rgbAt(*piece.bitmapForTest(), x, y);
}

Rgb labelPixel(const TEkGradiLabel& label, int x, int y) {
    return rgbAt(*label.bitmapForTest(), x, y);
}

// Paints through paintEvent, as the window would.
void paint(QWidget& w) {
    (void)w.grab();
}

std::unique_ptr<TEkGradiLabel> neighbour(QWidget* parent, QSize size, TEkGradyStyle style) {
    auto label = std::make_unique<TEkGradiLabel>(parent);
    label->setAutoSize(false);
    label->setGradiantDark(kThemeDark);
    label->setGradiantLight(kThemeLight);
    label->setGradiStyle(style);
    label->resize(size);
    label->Loaded();
    return label;
}

std::unique_ptr<TEkArt> piece(QWidget* parent, TEkArtType type, QSize size = QSize(23, 26)) {
    auto art = std::make_unique<TEkArt>(parent);
    art->setGradiDark(kThemeDark);
    art->setGradiLight(kThemeLight);
    art->setArtType(type);
    art->resize(size);
    return art;
}

class EkArtTest : public ::testing::Test {
protected:
    QWidget host;
};

TEST_F(EkArtTest, EndLeftWithoutNeighbourBuildsItsOwnPipeRamp) {
    auto art = piece(&host, aatEndLeft);
    paint(*art);
    ASSERT_FALSE(art->isDirty());
    // split = 2 * 26 / 5 = 10: rows 0..9 dark to light, rows 10..25 light to dark darkened
    EXPECT_EQ(piecePixel(*art, 22, 0), (Rgb{163, 180, 216}));
    EXPECT_EQ(piecePixel(*art, 22, 9), (Rgb{233, 241, 250}));
    EXPECT_EQ(piecePixel(*art, 22, 10), (Rgb{234, 242, 251}));
    EXPECT_EQ(piecePixel(*art, 22, 25), (Rgb{124, 137, 165}));
    // Each row fades from its colour at the right edge towards the dark colour at the left.
    const TPixel edge = tColorToPixel(kThemeDark);
    for (int y : {0, 10, 25}) {
        TPixel expected[23];
        fillColorRampEased(expected, 23, true, edge, art->getScanLine(y)[22]);
        for (int x = 0; x < 23; ++x)
            EXPECT_EQ(art->getScanLine(y)[x], expected[x]) << x << "," << y;
    }
    EXPECT_NE(piecePixel(*art, 0, 10), piecePixel(*art, 22, 10));
}

TEST_F(EkArtTest, EndRightContinuesItsLabelsRows) {
    auto label = neighbour(&host, QSize(40, 26), agsVertPipe);
    label->setGradiantDark(0x3B88D1); // the edge colour comes from the neighbour
    auto art = piece(&host, aatEndRight);
    art->setLabelBefore(label.get());
    paint(*label);
    paint(*art);
    ASSERT_FALSE(art->isDirty());
    const TPixel edge = tColorToPixel(0x3B88D1);
    for (int y = 0; y < 26; ++y) {
        EXPECT_EQ(piecePixel(*art, 0, y), labelPixel(*label, 0, y)) << y;
        TPixel expected[23];
        fillColorRampEased(expected, 23, false, label->getScanLine(y)[0], edge);
        EXPECT_EQ(art->getScanLine(y)[22], expected[22]) << y;
    }
}

TEST_F(EkArtTest, EndDownAndUpContinueTheColumnsOfTheLabelAboveOrBelow) {
    auto label = neighbour(&host, QSize(23, 26), agsHorzGradi);
    auto down = piece(&host, aatEndDown);
    down->setLabelBefore(label.get());
    auto up = piece(&host, aatEndUp);
    up->setLabelAfter(label.get());
    paint(*label);
    paint(*down);
    paint(*up);
    const Rgb dark{163, 180, 216};
    for (int x = 0; x < 23; ++x) {
        EXPECT_EQ(piecePixel(*down, x, 0), labelPixel(*label, x, 0)) << x;
        EXPECT_EQ(piecePixel(*down, x, 25), dark) << x; // falling to the dark colour: exact
        EXPECT_EQ(piecePixel(*up, x, 0), dark) << x;
    }
}

// The four corners with both neighbours: every pixel comes from a neighbour, split by the
// diagonal b(y) = (10 * y * w + 5) / (10 * h).
struct CornerCase {
    const char* name;
    TEkArtType type;
    bool horizontalIsAfter;
    // true when pixel (x, y) belongs to the horizontal neighbour's row colour
    std::function<bool(int x, int y, int b, int w)> fromRow;
};

void PrintTo(const CornerCase& c, std::ostream* os) {
    *os << c.name;
}

class CornerTest : public ::testing::TestWithParam<CornerCase> {};

TEST_P(CornerTest, PixelsComeFromTheNeighboursAcrossTheDiagonal) {
    const CornerCase& c = GetParam();
    QWidget host;
    auto rows = neighbour(&host, QSize(40, 26), agsVertPipe);     // beside: one colour per row
    auto columns = neighbour(&host, QSize(23, 30), agsHorzGradi); // above/below: per column
    auto art = piece(&host, c.type);
    if (c.horizontalIsAfter) {
        art->setLabelAfter(rows.get());
        art->setLabelBefore(columns.get());
    } else {
        art->setLabelBefore(rows.get());
        art->setLabelAfter(columns.get());
    }
    paint(*rows);
    paint(*columns);
    paint(*art);
    ASSERT_FALSE(art->isDirty());
    const int w = 23, h = 26;
    for (int y = 0; y < h; ++y) {
        const int b = (10 * y * w + 5) / (10 * h);
        for (int x = 0; x < w; ++x) {
            const Rgb expected = c.fromRow(x, y, b, w) ? labelPixel(*rows, 0, y) : labelPixel(*columns, x, 0);
            ASSERT_EQ(piecePixel(*art, x, y), expected) << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Corners, CornerTest,
    ::testing::Values(
        CornerCase{"NW", aatCornerNW, true, [](int x, int y, int b, int) { return y == 0 || x >= b; }},
        CornerCase{"NE", aatCornerNE, false,
                   [](int x, int y, int b, int w) { return y == 0 || x < w - b - 1; }},
        CornerCase{"SE", aatCornerSE, true, [](int x, int y, int b, int) { return y >= 1 && x < b; }},
        CornerCase{"SW", aatCornerSW, false,
                   [](int x, int y, int b, int w) { return y >= 1 && x > w - b - 1; }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EkArtTest, DiagonalOfTheMainWindowsPieceAtRow13) {
    // b(13) = (10 * 13 * 23 + 5) / 260 = 11
    auto rows = neighbour(&host, QSize(40, 26), agsSolid);
    auto art = piece(&host, aatCornerNW);
    art->setLabelAfter(rows.get());
    rows->setGradiantDark(0x0000FF);
    paint(*rows);
    paint(*art);
    EXPECT_EQ(piecePixel(*art, 11, 13), (Rgb{255, 0, 0}));
    EXPECT_NE(piecePixel(*art, 10, 13), (Rgb{255, 0, 0}));
}

TEST_F(EkArtTest, CornerWithoutHorizontalNeighbourKeepsItsOwnBackgroundThere) {
    auto art = piece(&host, aatCornerNW);
    art->setArtStyle(agsSolid);
    paint(*art);
    // Row 0 belongs wholly to the (missing) horizontal neighbour: own solid background.
    for (int x = 0; x < 23; ++x)
        EXPECT_EQ(piecePixel(*art, x, 0), (Rgb{163, 180, 216})) << x;
    // Below it, left of the diagonal, the own plain ramp: light in column 0.
    EXPECT_EQ(piecePixel(*art, 0, 25), (Rgb{234, 242, 251}));
}

TEST_F(EkArtTest, SpaceShowsOnlyItsOwnBackground) {
    auto label = neighbour(&host, QSize(40, 26), agsSolid);
    auto art = piece(&host, aatSpace);
    art->setLabelBefore(label.get());
    paint(*label);
    paint(*art);
    EXPECT_EQ(piecePixel(*art, 5, 0), (Rgb{163, 180, 216}));
    EXPECT_EQ(piecePixel(*art, 5, 10), (Rgb{234, 242, 251}));
    EXPECT_EQ(piecePixel(*art, 5, 25), (Rgb{124, 137, 165}));
}

TEST_F(EkArtTest, PipeShadowChangeRepaintsWithTheNewShade) {
    auto art = piece(&host, aatEndLeft);
    paint(*art);
    EXPECT_EQ(piecePixel(*art, 22, 25), (Rgb{124, 137, 165}));
    art->setPipeShadow(0);
    EXPECT_TRUE(art->isDirty());
    paint(*art);
    EXPECT_EQ(piecePixel(*art, 22, 25), (Rgb{163, 180, 216}));
    art->setPipeShadow(999);
    EXPECT_EQ(art->PipeShadow(), 255);
}

TEST_F(EkArtTest, FollowsItsNeighboursHeightBeforePainting) {
    auto label = neighbour(&host, QSize(40, 30), agsVertPipe);
    auto art = piece(&host, aatEndRight);
    art->setLabelBefore(label.get());
    paint(*art); // the neighbour has not painted: wait
    EXPECT_TRUE(art->isDirty());
    paint(*label);
    paint(*art); // notices the height and asks for it, from outside the paint
    EXPECT_EQ(art->height(), 26);
    EXPECT_TRUE(art->isDirty());
    QCoreApplication::processEvents();
    EXPECT_EQ(art->height(), 30);
    paint(*art);
    ASSERT_FALSE(art->isDirty());
    EXPECT_EQ(piecePixel(*art, 0, 29), labelPixel(*label, 0, 29));

    // A later change of the neighbour's height is followed too.
    label->resize(40, 24);
    paint(*label);
    EXPECT_TRUE(art->isDirty());
    paint(*art);
    QCoreApplication::processEvents();
    EXPECT_EQ(art->height(), 24);
}

TEST_F(EkArtTest, CornerFollowsTheWidthOfItsVerticalNeighbourOnceItIsRepainted) {
    auto rows = neighbour(&host, QSize(40, 26), agsVertPipe);
    auto columns = neighbour(&host, QSize(23, 26), agsHorzGradi);
    auto art = piece(&host, aatCornerSE);
    art->setLabelAfter(rows.get());
    art->setLabelBefore(columns.get());
    paint(*rows);
    paint(*columns);
    paint(*art);
    ASSERT_FALSE(art->isDirty());

    columns->resize(30, 26); // not repainted yet: its picture is still 23 wide
    EXPECT_FALSE(columns->GetFullyLoaded());
    art->resize(30, 26);
    paint(*art);
    paint(*columns);
    paint(*art);
    ASSERT_FALSE(art->isDirty());
    for (int x = 0; x < 30; ++x)
        EXPECT_EQ(piecePixel(*art, x, 0), labelPixel(*columns, x, 0)) << x;
}

class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
    // Waits for the first paint, then lets the event loop run a fixed number of rounds: a
    // widget that keeps asking for repaints paints once more in each.
    void settle() {
        EXPECT_TRUE(QTest::qWaitFor([this] { return paints > 0; }));
        for (int round = 0; round < 20; ++round)
            QApplication::processEvents();
    }
};

TEST_F(EkArtTest, NeighbourThatNeverPaintsDoesNotKeepThePieceRepainting) {
    host.resize(200, 40);
    auto label = neighbour(&host, QSize(40, 26), agsVertPipe);
    label->hide();
    auto art = piece(&host, aatEndRight);
    art->move(50, 0);
    art->setLabelBefore(label.get());
    PaintCounter counter;
    art->installEventFilter(&counter);
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    counter.settle();
    EXPECT_LE(counter.paints, 3);
    EXPECT_TRUE(art->isDirty());

    label->show(); // its first paint brings the piece's
    EXPECT_TRUE(QTest::qWaitFor([&] { return !art->isDirty(); }, 2000));
    EXPECT_EQ(piecePixel(*art, 0, 12), labelPixel(*label, 0, 12));
}

TEST_F(EkArtTest, LayoutThatKeepsAnotherWidthDoesNotStartAResizeLoop) {
    QWidget bar;
    bar.resize(200, 60);
    auto* layout = new TEkDockLayout(&bar);
    auto label = neighbour(&bar, QSize(23, 26), agsHorzGradi);
    label->move(0, 30);
    auto* art = new TEkArt;
    art->setArtType(aatEndUp); // follows the width of the label below it
    art->resize(23, 26);
    art->setLabelAfter(label.get());
    layout->addWidget(art, alTop); // the layout stretches it to the bar's width
    PaintCounter counter;
    art->installEventFilter(&counter);
    bar.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar));
    counter.settle();
    EXPECT_EQ(art->width(), 200);
    EXPECT_LE(counter.paints, 6);
}

// The label and the piece pass on left double clicks, moves and context-menu requests; a
// request that no receiver handles goes on to the parent.
template <class Control> void expectEventsPassedOn(Control& control) {
    QStringList heard;
    QObject::connect(&control, &Control::doubleClicked, [&] { heard << "double"; });
    QObject::connect(&control, &Control::mouseMoved,
                     [&](Qt::MouseButtons, Qt::KeyboardModifiers m, QPoint p) {
                         heard << QString("move %1,%2 %3").arg(p.x()).arg(p.y()).arg(m == Qt::ShiftModifier);
                     });
    QObject::connect(&control, &Control::contextPopup,
                     [&](QPoint p, bool* handled) { *handled = p.x() == 1; });
    QTest::mouseDClick(&control, Qt::LeftButton, {}, QPoint(4, 5));
    QMouseEvent move(QEvent::MouseMove, QPointF(7, 8), control.mapToGlobal(QPointF(7, 8)), Qt::NoButton,
                     Qt::NoButton, Qt::ShiftModifier);
    QApplication::sendEvent(&control, &move);
    EXPECT_EQ(heard, QStringList({"double", "move 7,8 1"}));
    for (int x : {1, 2}) { // handled at x = 1 only
        QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(x, 4), control.mapToGlobal(QPoint(x, 4)));
        QApplication::sendEvent(&control, &menu);
        EXPECT_EQ(menu.isAccepted(), x == 1);
    }
}

TEST_F(EkArtTest, LabelAndPiecePassOnDoubleClicksMovesAndContextMenus) {
    host.show();
    TEkGradiLabel label(&host);
    expectEventsPassedOn(label);
    TEkArt art(&host);
    expectEventsPassedOn(art);
}

TEST_F(EkArtTest, DestroyedNeighbourLeavesTheOwnRamp) {
    auto label = neighbour(&host, QSize(40, 26), agsSolid);
    label->setGradiantDark(0x0000FF);
    auto art = piece(&host, aatEndRight);
    art->setLabelBefore(label.get());
    paint(*label);
    paint(*art);
    EXPECT_EQ(piecePixel(*art, 0, 10), (Rgb{255, 0, 0}));
    label.reset();
    EXPECT_EQ(art->LabelBefore(), nullptr);
    EXPECT_TRUE(art->isDirty());
    paint(*art);
    EXPECT_EQ(piecePixel(*art, 0, 10), (Rgb{234, 242, 251}));
}

// Ramps divide by their length minus one: tiny pieces must still paint, alone or beside a
// neighbour.
TEST_F(EkArtTest, TinyPiecesPaintInEveryTypeAndStyle) {
    for (int type = aatSpace; type <= aatEndRight; ++type) {
        for (int style = agsVertGradi; style <= agsSolid; ++style) {
            for (QSize size : {QSize(1, 1), QSize(2, 1), QSize(1, 3), QSize(4, 4), QSize(5, 2)}) {
                auto art = piece(&host, TEkArtType(type), size);
                art->setArtStyle(TEkGradyStyle(style));
                paint(*art);
                EXPECT_FALSE(art->isDirty()) << type << " " << style;
                auto label = neighbour(&host, size, TEkGradyStyle(style));
                art->setLabelBefore(label.get());
                art->setLabelAfter(label.get());
                paint(*label);
                paint(*art);
                EXPECT_FALSE(art->isDirty()) << type << " " << style;
            }
        }
    }
}

// A piece larger than the painter accepts has no pixel memory: it paints nothing and stays
// dirty rather than writing rows that do not exist.
TEST_F(EkArtTest, PieceTooLargeForThePainterPaintsNothing) {
    for (int type = aatSpace; type <= aatEndRight; ++type) {
        auto art = piece(&host, TEkArtType(type), QSize(TEkBmp::kMaxSide + 1, 3));
        paint(*art);
        EXPECT_TRUE(art->isDirty()) << type;
        EXPECT_EQ(art->bitmapForTest()->bits(), nullptr) << type;
    }
}

} // namespace
