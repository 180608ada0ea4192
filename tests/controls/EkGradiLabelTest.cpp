#include "controls/EkGradiLabel.h"

#include "tests/support/Rgb.h"
#include "tests/support/TestSupport.h"
#include <QAction>
#include <QApplication>
#include <QEnterEvent>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

using testsupport::Rgb;
using testsupport::rgbAt;

Rgb rgbOfColor(TColor c) {
    return testsupport::rgbOfColorValue(colorToRGB(c).value);
}

Rgb bitmapPixel(const TEkGradiLabel& label, int x, int y) {
    return rgbAt(*label.bitmapForTest(), x, y);
}

// What reaches the screen: the widget rendered through its paintEvent.
QImage screen(TEkGradiLabel& label) {
    return label.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

// The main window's tool-bar button: 26 rows, the default theme's gradient.
std::unique_ptr<TEkGradiLabel> toolBarButton(QWidget* parent) {
    auto label = std::make_unique<TEkGradiLabel>(parent);
    label->setLabelType(altButton);
    label->setAutoSize(false);
    label->setGradiantDark(0xD8B4A3);
    label->setGradiantLight(0xFBF2EA);
    label->resize(40, 26);
    label->Loaded();
    return label;
}

void sendEnter(QWidget* w) {
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), w->mapToGlobal(QPointF(1, 1)));
    QApplication::sendEvent(w, &enter);
}

void sendLeave(QWidget* w) {
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(w, &leave);
}

class EkGradiLabelTest : public ::testing::Test {
protected:
    QWidget host;
};

// ---- backgrounds ----------------------------------------------------------------------------

TEST_F(EkGradiLabelTest, DefaultToolBarButtonRowsMatchTheWorkedValues) {
    auto label = toolBarButton(&host);
    const QImage image = screen(*label);
    for (int x : {0, 20, 39}) {
        EXPECT_EQ(rgbAt(image, x, 0), (Rgb{163, 180, 216})) << x;
        EXPECT_EQ(rgbAt(image, x, 9), (Rgb{233, 241, 250})) << x;
        EXPECT_EQ(rgbAt(image, x, 10), (Rgb{234, 242, 251})) << x;
        EXPECT_EQ(rgbAt(image, x, 25), (Rgb{124, 137, 165})) << x;
    }
    // The copy to the window is opaque whatever the fills left in the alpha byte.
    EXPECT_EQ(qAlpha(image.pixel(5, 5)), 255);
}

struct StyleCase {
    const char* name;
    TEkGradyStyle style;
    // Expected pixels at (x, y) of a 40 x 26 label with the default theme's gradient.
    struct Probe {
        int x, y;
        Rgb colour;
    };
    std::vector<Probe> probes;
};

void PrintTo(const StyleCase& c, std::ostream* os) {
    *os << c.name;
}

class LabelStyleTest : public ::testing::TestWithParam<StyleCase> {};

TEST_P(LabelStyleTest, BackgroundPixels) {
    QWidget host;
    auto label = toolBarButton(&host);
    label->setGradiStyle(GetParam().style);
    screen(*label);
    for (const auto& probe : GetParam().probes)
        EXPECT_EQ(bitmapPixel(*label, probe.x, probe.y), probe.colour) << probe.x << "," << probe.y;
}

// Light (234,242,251), dark (163,180,216), dark darkened by 60 (124,137,165). Falling
// channels end exactly on their target.
INSTANTIATE_TEST_SUITE_P(
    Styles, LabelStyleTest,
    ::testing::Values(
        StyleCase{"VertGradi",
                  agsVertGradi,
                  {{0, 0, {234, 242, 251}}, {39, 0, {234, 242, 251}}, {0, 25, {163, 180, 216}}}},
        StyleCase{"HorzGradi",
                  agsHorzGradi,
                  {{0, 0, {234, 242, 251}}, {0, 25, {234, 242, 251}}, {39, 12, {163, 180, 216}}}},
        StyleCase{"HorzPipe",
                  agsHorzPipe,
                  {{0, 0, {163, 180, 216}},
                   {0, 25, {163, 180, 216}},
                   {16, 3, {234, 242, 251}},
                   {16, 20, {234, 242, 251}}}},
        StyleCase{"Solid",
                  agsSolid,
                  {{0, 0, {163, 180, 216}}, {39, 25, {163, 180, 216}}, {20, 12, {163, 180, 216}}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EkGradiLabelTest, StateColoursReachTheBackground) {
    auto label = toolBarButton(&host);
    label->setClHotDark(0x3B88D1);
    label->setClHotLight(0xCFEFFF);
    label->setClPressDark(0x2040A0);
    screen(*label);
    EXPECT_EQ(bitmapPixel(*label, 0, 0), (Rgb{163, 180, 216}));

    sendEnter(label.get());
    screen(*label);
    EXPECT_EQ(label->visualState(), 1);
    EXPECT_EQ(bitmapPixel(*label, 0, 0), (Rgb{0xD1, 0x88, 0x3B}));
    EXPECT_EQ(bitmapPixel(*label, 0, 10), (Rgb{0xFF, 0xEF, 0xCF}));

    QTest::mousePress(label.get(), Qt::LeftButton, {}, QPoint(5, 5));
    screen(*label);
    EXPECT_EQ(label->visualState(), 2);
    EXPECT_EQ(bitmapPixel(*label, 0, 0), (Rgb{0xA0, 0x40, 0x20}));
    QTest::mouseRelease(label.get(), Qt::LeftButton, {}, QPoint(5, 5));

    label->setEnabled(false);
    screen(*label);
    EXPECT_EQ(label->visualState(), 3);
    // 0x858585 and, in the last row, 133 * 195 / 255 = 101
    EXPECT_EQ(bitmapPixel(*label, 0, 0), (Rgb{133, 133, 133}));
    EXPECT_EQ(bitmapPixel(*label, 0, 10), (Rgb{193, 193, 193}));
    EXPECT_EQ(bitmapPixel(*label, 0, 25), (Rgb{101, 101, 101}));
}

TEST_F(EkGradiLabelTest, PressedButtonShowsPictureOnePixelLowerInsideItsEdge) {
    auto label = toolBarButton(&host);
    label->setGradiStyle(agsHorzGradi); // rows alike, columns differ
    QTest::mousePress(label.get(), Qt::LeftButton, {}, QPoint(5, 5));
    const QImage image = screen(*label);
    const Rgb shadow{0, 0, 0};
    const Rgb light = rgbOfColor(clBtnHighlight);
    const int w = 40, h = 26;
    for (int x = 0; x < w - 1; ++x)
        EXPECT_EQ(rgbAt(image, x, 0), shadow) << x;
    EXPECT_EQ(rgbAt(image, w - 1, 0), light);
    for (int y = 1; y < h; ++y)
        EXPECT_EQ(rgbAt(image, 0, y), shadow) << y;
    for (int y = 0; y < h - 1; ++y)
        EXPECT_EQ(rgbAt(image, w - 1, y), light) << y;
    for (int x = 1; x < w; ++x)
        EXPECT_EQ(rgbAt(image, x, h - 1), light) << x;
    // Inside the edge the picture is moved down by one row.
    for (int y = 1; y < h - 1; ++y)
        EXPECT_EQ(rgbAt(image, 7, y), bitmapPixel(*label, 7, y - 1)) << y;
    QTest::mouseRelease(label.get(), Qt::LeftButton, {}, QPoint(5, 5));
}

TEST_F(EkGradiLabelTest, PipeShadowIsClampedAndRepaints) {
    auto label = toolBarButton(&host);
    label->setPipeShadow(-5);
    EXPECT_EQ(label->PipeShadow(), 0);
    screen(*label);
    EXPECT_EQ(bitmapPixel(*label, 0, 25), (Rgb{163, 180, 216}));
    label->setPipeShadow(300);
    EXPECT_EQ(label->PipeShadow(), 255);
    screen(*label);
    EXPECT_EQ(bitmapPixel(*label, 0, 25), (Rgb{0, 0, 0}));
}

// Ramps divide by their length minus one: tiny labels in every style must still paint.
TEST_F(EkGradiLabelTest, TinyLabelsPaintInEveryStyle) {
    for (int style = agsVertGradi; style <= agsSolid; ++style) {
        for (QSize size : {QSize(1, 1), QSize(2, 1), QSize(1, 4), QSize(4, 4), QSize(5, 2)}) {
            TEkGradiLabel label(&host);
            label.setAutoSize(false);
            label.setCaption("x");
            label.setGradiStyle(TEkGradyStyle(style));
            label.resize(size);
            label.Loaded();
            const QImage image = screen(label);
            ASSERT_EQ(image.size(), size);
            EXPECT_EQ(qAlpha(image.pixel(0, 0)), 255);
            EXPECT_TRUE(label.GetFullyLoaded()) << style;
        }
    }
}

TEST_F(EkGradiLabelTest, TextColourFollowsTheState) {
    auto label = toolBarButton(&host);
    label->setCaption("Go");
    label->setFontColor(0x8D0C12);
    label->setClFontHot(0xD50000);
    const auto textColour = [&] {
        screen(*label);
        return label->bitmapForTest()->textColor().toTColor().value;
    };
    EXPECT_EQ(textColour(), 0x8D0C12u);
    sendEnter(label.get());
    EXPECT_EQ(textColour(), 0xD50000u);
    QTest::mousePress(label.get(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(textColour(), colorToRGB(clWindowText).value);
    QTest::mouseRelease(label.get(), Qt::LeftButton, {}, QPoint(5, 5));
    sendLeave(label.get());
    label->setEnabled(false);
    EXPECT_EQ(textColour(), colorToRGB(clGrayText).value);
}

// Pixels of the caption: inside the text margins some differ from the solid background, and
// outside them none does. A space label draws no caption.
TEST_F(EkGradiLabelTest, CaptionStaysInsideItsMarginsAndSpacesShowNone) {
    for (TEkLabelType type : {altLabel, altButton, altSpace}) {
        TEkGradiLabel label(&host);
        label.setLabelType(type);
        label.setGradiStyle(agsSolid);
        label.setCaption("WWW");
        label.Loaded();
        screen(label);
        const Rgb background = rgbOfColor(0xE97A01);
        int changed = 0;
        for (int y = 0; y < label.height(); ++y)
            for (int x = 0; x < label.width(); ++x) {
                const bool inside = x >= 6 && x < label.width() - 6 && y >= 3 && y < label.height() - 3;
                if (bitmapPixel(label, x, y) != background) {
                    ++changed;
                    EXPECT_TRUE(inside) << x << "," << y;
                }
            }
        if (type == altSpace)
            EXPECT_EQ(changed, 0);
        else
            EXPECT_GT(changed, 10);
    }
}

// ---- state machine ---------------------------------------------------------------------------

TEST_F(EkGradiLabelTest, HoverPressDragOutAndBackRelease) {
    auto label = toolBarButton(&host);
    QSignalSpy clicks(label.get(), &TEkGradiLabel::clicked);
    sendEnter(label.get());
    EXPECT_EQ(label->visualState(), 1);
    QTest::mouseMove(label.get(), QPoint(5, 5));
    QTest::mousePress(label.get(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(label->visualState(), 2);

    QTest::mouseMove(label.get(), QPoint(60, 5)); // dragged out while held
    EXPECT_EQ(label->visualState(), 0);
    const QImage outside = screen(*label);
    EXPECT_EQ(rgbAt(outside, 5, 0), bitmapPixel(*label, 5, 0)); // not shifted

    QTest::mouseMove(label.get(), QPoint(6, 6)); // and back in
    EXPECT_EQ(label->visualState(), 2);
    const QImage inside = screen(*label);
    EXPECT_EQ(rgbAt(inside, 5, 0), (Rgb{0, 0, 0})); // the pressed edge

    QTest::mouseRelease(label.get(), Qt::LeftButton, {}, QPoint(6, 6));
    EXPECT_EQ(label->visualState(), 1);
    EXPECT_EQ(clicks.count(), 1);
    sendLeave(label.get());
    EXPECT_EQ(label->visualState(), 0);
}

TEST_F(EkGradiLabelTest, ReleaseOutsideIsNoClickAndLeavesHotUntilLeave) {
    auto label = toolBarButton(&host);
    QSignalSpy clicks(label.get(), &TEkGradiLabel::clicked);
    QTest::mousePress(label.get(), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(label.get(), QPoint(60, 5));
    QTest::mouseRelease(label.get(), Qt::LeftButton, {}, QPoint(60, 5));
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_EQ(label->visualState(), 1);
    sendLeave(label.get());
    EXPECT_EQ(label->visualState(), 0);
}

struct AliveCase {
    const char* name;
    TEkLabelType type;
    bool alive;
    int hot, pressed, disabled;
};

void PrintTo(const AliveCase& c, std::ostream* os) {
    *os << c.name;
}

class LabelStatesTest : public ::testing::TestWithParam<AliveCase> {};

TEST_P(LabelStatesTest, StatesByTypeAndAlive) {
    const AliveCase& c = GetParam();
    QWidget host;
    TEkGradiLabel label(&host);
    label.setLabelType(c.type);
    label.setAlive(c.alive);
    label.Loaded();
    sendEnter(&label);
    EXPECT_EQ(label.visualState(), c.hot);
    QTest::mousePress(&label, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(label.visualState(), c.pressed);
    QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(2, 2));
    sendLeave(&label);
    label.setEnabled(false);
    EXPECT_EQ(label.visualState(), c.disabled);
    label.setEnabled(true);
    EXPECT_EQ(label.visualState(), 0);
}

INSTANTIATE_TEST_SUITE_P(States, LabelStatesTest,
                         ::testing::Values(AliveCase{"AliveButton", altButton, true, 1, 2, 3},
                                           AliveCase{"AliveLabel", altLabel, true, 1, 1, 3},
                                           AliveCase{"DeadButton", altButton, false, 0, 0, 0},
                                           AliveCase{"DeadStatusLabel", altLabel, false, 0, 0, 0},
                                           AliveCase{"Space", altSpace, true, 0, 0, 3}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EkGradiLabelTest, SettingAliveFalseReturnsToNormalLook) {
    auto label = toolBarButton(&host);
    sendEnter(label.get());
    label->setAlive(false);
    EXPECT_EQ(label->visualState(), 0);
}

// A disabled widget gets no mouse release, so a press pending when the button is disabled
// (its action disabled meanwhile) must end there, or the pressed look stays once it is enabled.
TEST_F(EkGradiLabelTest, DisablingWhilePressedEndsThePress) {
    auto label = toolBarButton(&host);
    QSignalSpy clicks(label.get(), &TEkGradiLabel::clicked);
    QTest::mousePress(label.get(), Qt::LeftButton, {}, QPoint(5, 5));
    label->setEnabled(false);
    QTest::mouseRelease(label.get(), Qt::LeftButton, {}, QPoint(5, 5)); // not delivered
    label->setEnabled(true);
    EXPECT_EQ(label->visualState(), 0);
    const QImage image = screen(*label);
    EXPECT_EQ(rgbAt(image, 5, 0), bitmapPixel(*label, 5, 0)); // not shifted, no edge
    EXPECT_EQ(rgbAt(image, 0, 5), bitmapPixel(*label, 0, 5));
    QTest::mouseRelease(label.get(), Qt::LeftButton, {}, QPoint(5, 5)); // a late release
    EXPECT_EQ(clicks.count(), 0);
}

// Hidden while held, the release goes to whatever is under the mouse: shown again, the
// button must not keep its pressed look.
TEST_F(EkGradiLabelTest, HidingWhilePressedEndsThePress) {
    host.resize(200, 50);
    auto label = toolBarButton(&host);
    label->move(10, 10);
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    QTest::mousePress(host.windowHandle(), Qt::LeftButton, {}, QPoint(15, 15));
    ASSERT_EQ(label->visualState(), 2);
    label->hide();
    QTest::mouseRelease(host.windowHandle(), Qt::LeftButton, {}, QPoint(15, 15));
    label->show();
    QTest::mouseMove(host.windowHandle(), QPoint(15, 16));
    const QImage image = screen(*label);
    EXPECT_EQ(rgbAt(image, 5, 0), bitmapPixel(*label, 5, 0)); // not shifted, no edge
}

TEST_F(EkGradiLabelTest, ReleaseWithoutClickEndsThePressQuietly) {
    auto label = toolBarButton(&host);
    QSignalSpy clicks(label.get(), &TEkGradiLabel::clicked);
    QSignalSpy ups(label.get(), &TEkGradiLabel::mouseUp);
    QTest::mousePress(label.get(), Qt::LeftButton, {}, QPoint(5, 5));
    label->releaseWithoutClick();
    EXPECT_EQ(label->visualState(), 1);
    EXPECT_EQ(ups.count(), 1);
    QTest::mouseRelease(label.get(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks.count(), 0);
}

// ---- auto-size ---------------------------------------------------------------------------------

int measuredWidth(const TEkGradiLabel& label, const QString& text) {
    TEkBmp bmp(1, 1);
    const QFont f = label.font();
    const int points = f.pointSize() > 0 ? f.pointSize() : f.pixelSize() * 72 / kFontPixelsPerInch;
    bmp.setFont(f.family(), points, f.bold() ? 1 : 0, kFontPixelsPerInch);
    TRect r;
    bmp.calcTextRect(r, text, false);
    return r.width();
}

TEST_F(EkGradiLabelTest, EmptyLabelAutoSizesToTwiceTheMargins) {
    TEkGradiLabel label(&host);
    label.Loaded();
    EXPECT_EQ(label.size(), QSize(12, 6));
}

TEST_F(EkGradiLabelTest, AutoSizeIsTextPlusImagePlusMargins) {
    TImageList images(16, 16);
    TEkGradiLabel label(&host);
    label.setCaption("&Open file");
    label.setTextMarginHorz(5);
    label.Loaded();
    const int text = measuredWidth(label, "&Open file");
    ASSERT_GT(text, 0);
    EXPECT_EQ(label.width(), text + 2 * 5);
    const int textOnlyHeight = label.height();

    label.setImages(&images); // ImageIndex -1: the image's room is still reserved
    EXPECT_EQ(label.width(), 16 + 3 + text + 2 * 5);
    EXPECT_EQ(label.height(), std::max(textOnlyHeight - 6, 16) + 6);

    label.setMarginImage(9);
    EXPECT_EQ(label.width(), 16 + 9 + text + 2 * 5);
    // The mnemonic marker takes no room.
    EXPECT_EQ(measuredWidth(label, "&Open file"), measuredWidth(label, "Open file"));
}

TEST_F(EkGradiLabelTest, RightJustifiedAutoSizeKeepsTheRightEdge) {
    TEkGradiLabel label(&host);
    label.setAlignment(taRightJustify);
    label.setGeometry(100, 10, 81, 23);
    label.Loaded();
    EXPECT_EQ(label.geometry().right(), 180);
    label.setCaption("A longer caption");
    EXPECT_EQ(label.geometry().right(), 180);
    EXPECT_EQ(label.width(), measuredWidth(label, "A longer caption") + 12);
}

TEST_F(EkGradiLabelTest, TopAlignedLabelDoesNotAutoSize) {
    TEkGradiLabel label(&host);
    label.setAlign(alTop);
    label.Loaded();
    label.setCaption("Caption");
    EXPECT_EQ(label.size(), QSize(81, 23));
}

TEST_F(EkGradiLabelTest, FontChangeReMeasuresWithTheNewFont) {
    TEkGradiLabel label(&host);
    label.setCaption("Measure me");
    label.Loaded();
    const int before = label.width();
    QFont big = label.font();
    big.setPointSize(big.pointSize() * 2);
    label.setFont(big);
    EXPECT_GT(label.width(), before + 10);
}

// ---- images ----------------------------------------------------------------------------------

QImage filled(QColor c) {
    QImage image(4, 4, QImage::Format_ARGB32);
    image.fill(c);
    return image;
}

TEST_F(EkGradiLabelTest, ImagePlacedByMarginsAndChosenByState) {
    TImageList images(4, 4);
    images.add(filled(Qt::red));
    images.add(filled(Qt::green));
    images.add(filled(Qt::blue));
    TEkGradiLabel label(&host);
    label.setGradiStyle(agsSolid);
    label.setAutoSize(false);
    label.setLabelType(altButton);
    label.resize(30, 20);
    label.setImages(&images);
    label.setImageIndex(0);
    label.setImageHotIndex(1);
    label.setImageDisabledIndex(2);
    label.Loaded();
    // left margin 6; top 3 + (14 - 4) / 2 = 8
    screen(label);
    EXPECT_EQ(bitmapPixel(label, 6, 8), (Rgb{255, 0, 0}));
    EXPECT_EQ(bitmapPixel(label, 9, 11), (Rgb{255, 0, 0}));
    EXPECT_EQ(bitmapPixel(label, 5, 8), rgbOfColor(0xE97A01));
    EXPECT_EQ(bitmapPixel(label, 10, 8), rgbOfColor(0xE97A01));
    sendEnter(&label);
    screen(label);
    EXPECT_EQ(bitmapPixel(label, 6, 8), (Rgb{0, 255, 0}));
    sendLeave(&label);
    label.setEnabled(false);
    screen(label);
    EXPECT_EQ(bitmapPixel(label, 6, 8), (Rgb{0, 0, 255}));

    label.setEnabled(true);
    label.setImageIndex(-1); // the room stays reserved, nothing is drawn
    screen(label);
    EXPECT_EQ(bitmapPixel(label, 6, 8), rgbOfColor(0xE97A01));
    label.setImageIndex(0);
    label.setImagePos(aipRight);
    label.setAlignment(taRightJustify);
    screen(label);
    EXPECT_EQ(bitmapPixel(label, 30 - 6 - 4, 8), (Rgb{255, 0, 0}));
}

TEST_F(EkGradiLabelTest, DestroyedImageListIsForgotten) {
    auto images = std::make_unique<TImageList>(4, 4);
    images->add(filled(Qt::red));
    TEkGradiLabel label(&host);
    label.setImages(images.get());
    label.setImageIndex(0);
    label.Loaded();
    screen(label);
    images.reset();
    EXPECT_EQ(label.Images(), nullptr);
    EXPECT_EQ(label.size(), QSize(12, 6));
    screen(label);
}

// ---- action binding --------------------------------------------------------------------------

TEST_F(EkGradiLabelTest, FollowsItsActionAndTriggersIt) {
    TImageList images(16, 16);
    QAction action("&Save");
    action.setToolTip("Save the file");
    setActionImageIndex(&action, 3);
    auto label = toolBarButton(&host);
    label->setImages(&images);
    label->setAction(&action);
    EXPECT_EQ(label->Caption(), "&Save");
    EXPECT_EQ(label->toolTip(), "Save the file");
    EXPECT_EQ(label->ImageIndex(), 3);

    QSignalSpy triggered(&action, &QAction::triggered);
    QTest::mouseClick(label.get(), Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(triggered.count(), 1);

    action.setEnabled(false);
    EXPECT_FALSE(label->isEnabled());
    EXPECT_EQ(label->visualState(), 3);
    action.setEnabled(true);
    EXPECT_EQ(label->visualState(), 0);

    action.setText("Save &As");
    action.setToolTip("Save under another name");
    setActionImageIndex(&action, 4);
    EXPECT_EQ(label->Caption(), "Save &As");
    EXPECT_EQ(label->toolTip(), "Save under another name");
    EXPECT_EQ(label->ImageIndex(), 4);

    host.show();
    action.setVisible(false);
    EXPECT_TRUE(label->isHidden());
    action.setVisible(true);
    EXPECT_FALSE(label->isHidden());

    label->setAction(nullptr);
    action.setText("Unbound");
    EXPECT_EQ(label->Caption(), "Save &As");
}

TEST_F(EkGradiLabelTest, PlainLabelBoundToActionAlsoClicks) {
    QAction action("Values only");
    action.setCheckable(true);
    TEkGradiLabel label(&host);
    label.setAction(&action);
    label.Loaded();
    QTest::mouseClick(&label, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_TRUE(action.isChecked());
}

TEST_F(EkGradiLabelTest, DestroyedActionIsForgotten) {
    auto action = std::make_unique<QAction>("Gone");
    TEkGradiLabel label(&host);
    label.setAction(action.get());
    action.reset();
    EXPECT_EQ(label.Action(), nullptr);
    QTest::mouseClick(&label, Qt::LeftButton, {}, QPoint(2, 2));
}

// ---- docking layout ----------------------------------------------------------------------------

TEST_F(EkGradiLabelTest, DockLayoutPlacesLeftAndRightRows) {
    QWidget bar;
    auto* layout = new TEkDockLayout(&bar);
    auto* a = new TEkGradiLabel;
    auto* b = new TEkGradiLabel;
    auto* c = new TEkGradiLabel;
    for (auto* l : {a, b, c})
        l->setAutoSize(false);
    a->resize(30, 10);
    b->resize(20, 10);
    c->resize(25, 10);
    layout->addWidget(a, alLeft);
    layout->addWidget(b, alLeft);
    layout->addWidget(c, alRight);
    EXPECT_EQ(a->Align(), alLeft);
    bar.resize(200, 26);
    layout->setGeometry(QRect(0, 0, 200, 26));
    EXPECT_EQ(a->geometry(), QRect(0, 0, 30, 26));
    EXPECT_EQ(b->geometry(), QRect(30, 0, 20, 26));
    EXPECT_EQ(c->geometry(), QRect(175, 0, 25, 26));
    EXPECT_EQ(layout->minimumSize().width(), 75);
}

TEST_F(EkGradiLabelTest, DockedAutoSizeLabelTakesItsMeasuredWidth) {
    QWidget bar;
    auto* layout = new TEkDockLayout(&bar);
    auto* label = new TEkGradiLabel;
    auto* after = new TEkGradiLabel;
    after->setAutoSize(false);
    after->resize(20, 10);
    layout->addWidget(label, alLeft);
    layout->addWidget(after, alLeft);
    bar.resize(300, 26);
    bar.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar));
    label->setCaption("Reload");
    QCoreApplication::processEvents();
    const int expected = measuredWidth(*label, "Reload") + 12;
    EXPECT_EQ(label->geometry(), QRect(0, 0, expected, 26));
    EXPECT_EQ(after->geometry(), QRect(expected, 0, 20, 26));
}

} // namespace
