#include "controls/extra/EkButton.h"
#include "controls/EkGradiLabel.h"

#include "tests/controls/extra/WidgetPictures.h"

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

using namespace pictures;
using testsupport::Rgb;

const QColor hostColour(236, 233, 216);

struct Host : QWidget {
    Host() {
        setAutoFillBackground(true);
        setPalette(QPalette(hostColour));
        resize(300, 200);
    }
};

void enter(QWidget& w) {
    QEnterEvent event(QPointF(1, 1), QPointF(1, 1), w.mapToGlobal(QPointF(1, 1)));
    QApplication::sendEvent(&w, &event);
}

void leave(QWidget& w) {
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(&w, &event);
}

void moveMouse(QWidget& w, QPoint p) {
    QMouseEvent event(QEvent::MouseMove, p, w.mapToGlobal(p), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(&w, &event);
}

// One red side x side image.
std::unique_ptr<TImageList> redImage(int side = 8) {
    auto list = std::make_unique<TImageList>(side, side);
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(Qt::red);
    list->add(image);
    return list;
}

TEST(EkButton, FaceAndCaptionColourPerState) {
    const TEkColor dimmed(0xDBD8BCu), dimmedDark(0xE5B2A3u), hot(0xFDF6BAu), hotDark(0xF5A997u);
    const struct {
        const char* name;
        TEkButtonState state;
        bool alive, down;
        TEkButtonFace face;
        TColor caption;
    } rows[] = {
        {"normal", tbtNormal, true, false, {true, dimmed, dimmedDark}, clWindowText},
        {"normal-not-alive", tbtNormal, false, false, {true, hot, hotDark}, 0x800000},
        {"hot", tbtHot, true, false, {true, hot, hotDark}, 0x800000},
        {"half-hot", tbtHalfHot, true, false, {true, TEkColor(0xEBE7BBu), TEkColor(0xECAD9Cu)}, clWindowText},
        {"pressed", tbtPressed, true, false, {false, hot, hotDark}, 0x000002},
        {"down", tbtPressed, true, true, {false, TEkColor(0x111111u), TEkColor(0x222222u)}, 0x000002},
        {"disabled", tbtDisabled, true, false, {true, TEkColor(0xE4E4E4u), TEkColor(0xACACACu)}, 0x707070}};
    for (const auto& row : rows) {
        TEkButton button;
        button.setAlive(row.alive);
        button.setClSelDownLight(0x111111), button.setClSelDownDark(0x222222), button.setFontClDown(0x000002);
        button.setGroupIndex(1), button.setDown(row.down);
        EXPECT_EQ(button.faceFor(row.state), row.face) << row.name;
        EXPECT_EQ(button.captionColour(row.state), row.caption) << row.name;
    }
}

TEST(EkButton, AutoColoursDeriveHotGreyAndDimmed) {
    // Colour, dark or light; then hot, disabled and dimmed.
    const struct {
        TColor c;
        bool dark;
        TColor hot, disabled, dimmed;
    } rows[] = {{0x0000FF, true, 0x0000FF, 0x4F4F4F, 0x2B2BCE},
                {0x0000FF, false, 0x0000FF, 0x4F4F4F, 0x4F4F9B},
                {0xF5A997, true, 0xF5A997, 0xACACAC, 0xE5B2A3}, // the default dark colours
                {clBtnFace, false, clBtnFace, 0xF0F0F0, 0xDDDDDD}};
    for (const auto& row : rows) {
        TEkButton b;
        (b.*(row.dark ? &TEkButton::setClAutoDark : &TEkButton::setClAutoLight))(row.c);
        const TColor got[] = {row.dark ? b.ClHotDark() : b.ClHotLight(),
                              row.dark ? b.ClDisabDark() : b.ClDisabLight(),
                              row.dark ? b.ClDimmedDark() : b.ClDimmedLight()};
        EXPECT_EQ(got[0], row.hot);
        EXPECT_EQ(got[1], row.disabled) << std::hex << row.c;
        EXPECT_EQ(got[2], row.dimmed) << std::hex << row.c;
        EXPECT_EQ(b.ClSelDownDark(), 0xF5A997u);
    }
}

// Each state through the real widget, compared pixel for pixel with the face, focus mark and
// marker painted straight into a bitmap.
TEST(EkButton, PaintsFaceFocusAndMarkerOfEachState) {
    using Setup = std::function<void(TEkButton&)>;
    using Paint = std::function<void(TEkBmp&, const TEkButton&)>;
    const auto face = [](TEkButtonState state) {
        return [state](TEkBmp& bmp, const TEkButton& b) {
            const TEkButtonFace f = b.faceFor(state);
            (bmp.*(f.framed ? &TEkBmp::paintButtonFaceFramed : &TEkBmp::paintButtonFace))(
                40, true, bmp.boundsRect(), f.light, f.dark);
        };
    };
    const struct {
        const char* name;
        Setup setup;
        TEkButtonState state;
        Paint extra;
    } rows[] = {
        {"normal", [](TEkButton&) {}, tbtNormal, {}},
        {"hot", [](TEkButton& b) { enter(b); }, tbtHot, {}},
        {"pressed", [](TEkButton& b) { QTest::mousePress(&b, Qt::RightButton); }, tbtPressed, {}},
        {"disabled", [](TEkButton& b) { b.setEnabled(false); }, tbtDisabled, {}},
        {"half-hot-default",
         [](TEkButton& b) { b.setFocusStyle(tfsHalfHot), b.setDefault(true); },
         tbtHalfHot,
         {}},
        {"color-mark", [](TEkButton& b) { b.setFocusStyle(tfsColorMark), b.setDefault(true); }, tbtNormal,
         [](TEkBmp& bmp, const TEkButton&) { bmp.drawCircleMark9(90 - 14, 5, TEkColor(0xFF0000u)); }},
        {"star-pressed",
         [](TEkButton& b) {
             b.setFocusStyle(tfsStar), b.setDefault(true), b.setGroupIndex(1), b.setDown(true);
         },
         tbtPressed,
         [](TEkBmp& bmp, const TEkButton&) { bmp.drawStarMark13(90 - 17, 6 - 1, TEkColor(0xFF0000u)); }},
        {"color-rect", [](TEkButton& b) { b.setFocusStyle(tfsColorRect), b.setDefault(true); }, tbtNormal,
         [](TEkBmp& bmp, const TEkButton&) {
             bmp.drawFocusFrame(TRect(2, 2, 88, 30), tColorToPixel(0xFF0000));
         }},
        {"marker-pressed",
         [](TEkButton& b) {
             b.setMarkShow(true), b.setMarkShape(tasSquare), b.setMarkPos(pirDownRight);
             QTest::mousePress(&b, Qt::LeftButton);
         },
         tbtPressed,
         [](TEkBmp& bmp, const TEkButton&) { bmp.fillRectCutCorners(TRect(75, 18, 84, 27), clWhite); }}};
    for (const auto& row : rows) {
        Host host;
        TEkButton button(&host);
        row.setup(button);
        TEkBmp want(90, 32);
        want.fill(fromQColor(hostColour));
        face(row.state)(want, button);
        if (row.extra)
            row.extra(want, button);
        EXPECT_EQ(picture(button).convertToFormat(QImage::Format_RGB32), want.toOpaqueImage()) << row.name;
        EXPECT_EQ(button.PaintedState(), row.state) << row.name;
    }
}

TEST(EkButton, MarkerSitsInsetInEachCorner) {
    const struct {
        TEkShape shape;
        TEkThreeSizes size;
        TEkPosInRect pos;
        int x, y;
    } rows[] = {{tasCircle, ttsSmall, pirUpLeft, 6, 6},
                {tasSquare, ttsLarge, pirUpRight, 73, 6},
                {tasDiamond, ttsMedium, pirDownRight, 74, 16},
                {tasStar, ttsLarge, pirDownLeft, 5, 14},
                {tasCircle, ttsMedium, pirDownRight, 75, 17}};
    for (const auto& row : rows) {
        TEkButton b;
        b.setMarkShape(row.shape), b.setMarkSize(row.size), b.setMarkPos(row.pos);
        int x = 0, y = 0;
        b.findMarkerPos(x, y, TRect(0, 0, 90, 32));
        EXPECT_EQ(QPoint(x, y), QPoint(row.x, row.y)) << row.shape << row.size << row.pos;
    }
}

// The image at rest, sunk by a pressed button that is not down, and grey when disabled or
// auto-grey.
TEST(EkButton, ImageSinksWhenPressedAndTurnsGrey) {
    const Rgb red{255, 0, 0}, grey{79, 79, 79};
    const struct {
        const char* name;
        std::function<void(TEkButton&)> setup;
        int sink;
        Rgb colour;
    } rows[] = {{"normal", [](TEkButton&) {}, 0, red},
                {"pressed", [](TEkButton& b) { QTest::mousePress(&b, Qt::LeftButton); }, 1, red},
                {"down", [](TEkButton& b) { b.setGroupIndex(1), b.setDown(true); }, 0, red},
                {"disabled", [](TEkButton& b) { b.setEnabled(false); }, 0, grey},
                {"auto-grey", [](TEkButton& b) { b.setAutoGrayDisabled(true); }, 0, grey}};
    auto images = redImage();
    for (const auto& row : rows) {
        Host host;
        TEkButton button(&host);
        button.setImages(images.get()), button.setImageIndexHot(0);
        row.setup(button);
        const QImage image = picture(button);
        const TRect r = button.ImageRect();
        EXPECT_EQ(r, TRect(41, 12, 49, 20)) << row.name;
        EXPECT_EQ(rgbAt(image, r.left, r.top + row.sink), row.colour) << row.name;
        EXPECT_EQ(rgbAt(image, r.right - 1, r.bottom - 1 + row.sink), row.colour) << row.name;
        EXPECT_NE(rgbAt(image, r.left, r.top - 1 + row.sink), row.colour) << row.name;
    }
    // Any negative index is none: going from -2 to an image places the image.
    Host host;
    TEkButton button(&host);
    host.show();
    button.setImages(images.get()), button.setImageIndex(-2);
    picture(button);
    button.setImageIndex(0);
    picture(button);
    EXPECT_EQ(button.ImageRect(), TRect(41, 12, 49, 20));
}

TEST(EkButton, PlacesImageAndCaptionByAlignmentAndLayout) {
    Host host;
    TEkButton b(&host);
    b.setGeometry(0, 0, 120, 80);
    auto images = redImage(16);
    b.setCaption("Go"), b.setImageIndex(0);
    picture(b);
    const int tw = b.CaptionRect().width(), th = b.CaptionRect().height();
    b.setImages(images.get());
    // Image box 22 x 22 (16 + margins 3); image (x, y) and caption (x, y).
    const int close = (120 - 22 - tw) / 2, closeV = (80 - 22 - th) / 2, cx = (120 - tw) / 2;
    const struct {
        TEkImageAlignment align;
        TEkLayoutStyle layout;
        int ix, iy, tx, ty;
    } rows[] = {{tiaLeft, tlsCenterTextAndImageClose, 3 + close, 32, 22 + close, (80 - th) / 2},
                {tiaLeft, tlsCenterTextInRest, 3, 32, 22 + close, (80 - th) / 2},
                {tiaLeft, tlsTextFolowImage, 3, 32, 22, (80 - th) / 2},
                {tiaRight, tlsCenterTextAndImageClose, 101 - (98 - tw) / 2, 32, 98 - tw - (98 - tw) / 2,
                 (80 - th) / 2},
                {tiaRight, tlsTextFolowImage, 101, 32, 98 - tw, (80 - th) / 2},
                {tiaTop, tlsCenterTextAndImageClose, 52, 3 + closeV, cx, 22 + closeV},
                {tiaTop, tlsCenterTextInRest, 52, 3, cx, 22 + closeV},
                {tiaBottom, tlsCenterTextAndImageClose, 52, 61 - (58 - th) / 2, cx, 58 - th - (58 - th) / 2},
                {tiaCenter, tlsTextFolowImage, 52, 32, cx, 51}};
    for (const auto& row : rows) {
        b.setImageAlignment(row.align), b.setLayoutStyle(row.layout);
        picture(b);
        EXPECT_EQ(QPoint(b.ImageRect().left, b.ImageRect().top), QPoint(row.ix, row.iy))
            << row.align << row.layout;
        EXPECT_EQ(QPoint(b.CaptionRect().left, b.CaptionRect().top), QPoint(row.tx, row.ty)) << row.align;
    }
    // A caption wider than the control, with no image: from the left edge, or overhanging both.
    b.setImages(nullptr), b.setCaption(QString(40, u'W'));
    for (TEkImageAlignment align : {tiaLeft, tiaTop}) {
        b.setImageAlignment(align);
        picture(b);
        const TRect r = b.CaptionRect();
        ASSERT_GT(r.width(), 120);
        EXPECT_EQ(r.left, align == tiaLeft ? 0 : (120 - r.width()) / 2) << align;
    }
}

TEST(EkButton, CaptionMarkersAndHint) {
    const struct {
        const char* caption;
        int markerPos;
    } rows[] = {{"plain", 0}, {"One**Two||Three", 9}, {"a||b**c", 2}, {"x\u00A4\u00A4y||z", 2}, {"*|", 0}};
    for (const auto& row : rows) {
        TEkButton b;
        b.setCaption(QString::fromUtf8(row.caption));
        EXPECT_EQ(b.MarkerPos(), row.markerPos) << row.caption;
    }
    Host host;
    TEkButton b(&host);
    b.setHint("Save**the file||now");
    QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), b.mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(&b, &help);
    ASSERT_NE(b.hintWindow(), nullptr);
    EXPECT_EQ(b.hintWindow()->text(), "Save\nthe file\nnow");
    EXPECT_EQ(b.hintWindow()->palette().color(QPalette::Window), QColor(0, 255, 0));
    leave(b);
    EXPECT_EQ(b.hintWindow(), nullptr);
}

TEST(EkButton, GroupsKeepOneButtonDown) {
    Host host;
    TEkButton a(&host), b(&host), c(&host), loose(&host);
    QAction action;
    action.setCheckable(true), action.setChecked(true);
    a.setAction(&action);
    for (TEkButton* x : {&a, &b, &c})
        x->setGroupIndex(1);
    const auto downs = [&] {
        QString s;
        for (TEkButton* x : {&a, &b, &c, &loose})
            s += x->Down() ? u'1' : u'0';
        return s;
    };
    loose.setDown(true), loose.Click();
    EXPECT_EQ(downs(), "0000");
    a.Click(), a.Click();
    EXPECT_EQ(downs(), "1000") << "a down member stays down";
    b.Click();
    EXPECT_EQ(downs(), "0100");
    EXPECT_FALSE(action.isChecked()) << "the raised button's action";
    c.setAllowAllUp(true);
    EXPECT_TRUE(a.AllowAllUp() && b.AllowAllUp());
    b.Click();
    EXPECT_EQ(downs(), "0000");
}

TEST(EkButton, PressDragAndHalfHot) {
    Host host;
    TEkButton b(&host), other(&host);
    other.move(100, 0);
    host.show();
    QApplication::setActiveWindow(&host);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
    int clicks = 0;
    QObject::connect(&b, &TEkButton::clicked, [&] { ++clicks; });
    QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(b.getButtonState(), tbtPressed);
    moveMouse(b, QPoint(95, 5));
    EXPECT_EQ(b.getButtonState(), tbtHot);
    moveMouse(b, QPoint(10, 5));
    EXPECT_EQ(b.getButtonState(), tbtPressed);
    QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(10, 5));
    EXPECT_EQ(clicks, 1);
    QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(95, 5));
    QTest::mouseClick(&b, Qt::RightButton);
    EXPECT_EQ(clicks, 1) << "released outside, or the right button";

    b.setFocusStyle(tfsHalfHot), other.setFocusStyle(tfsHalfHot);
    leave(b);
    EXPECT_TRUE(b.hasFocus()) << "a press takes the focus";
    EXPECT_EQ(b.getButtonState(), tbtHalfHot);
    EXPECT_EQ(other.getButtonState(), tbtNormal);
    other.setDefault(true);
    EXPECT_EQ(other.getButtonState(), tbtHalfHot);
    enter(other);
    EXPECT_EQ(other.getButtonState(), tbtHot);
    // A press whose release never comes (disabled meanwhile) leaves no pressed look behind.
    QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(5, 5));
    b.setEnabled(false), b.setEnabled(true);
    EXPECT_NE(b.getButtonState(), tbtPressed);
}

// Return, Enter and Escape that the focused widget leaves alone, and the accelerator, end the
// dialog through the button they reach.
TEST(EkButton, KeysCloseADialogWithTheButtonsResult) {
    const struct {
        const char* name;
        bool focusOther;
        int key;
        Qt::KeyboardModifiers modifiers;
        int result;
    } rows[] = {{"return-default", false, Qt::Key_Return, {}, tmrOK},
                {"enter-default", false, Qt::Key_Enter, Qt::KeypadModifier, tmrOK},
                {"escape-cancel", false, Qt::Key_Escape, {}, tmrCancel},
                {"return-focused-button", true, Qt::Key_Return, {}, tmrRetry},
                {"shift-return", false, Qt::Key_Return, Qt::ShiftModifier, -1},
                {"alt-accelerator", false, Qt::Key_T, Qt::AltModifier, tmrRetry}};
    for (const auto& row : rows) {
        QDialog dialog;
        auto* edit = new QLineEdit(&dialog);
        auto* ok = new TEkButton(&dialog);
        auto* cancel = new TEkButton(&dialog);
        auto* retry = new TEkButton(&dialog);
        ok->setDefault(true), ok->setModalResult(tmrOK);
        cancel->setCancel(true), cancel->setModalResult(tmrCancel);
        retry->setCaption("Re&try"), retry->setModalResult(tmrRetry);
        dialog.open();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        QWidget* target = row.focusOther ? static_cast<QWidget*>(retry) : edit;
        target->setFocus();
        dialog.setResult(-1);
        QTest::keyClick(target, Qt::Key(row.key), row.modifiers);
        EXPECT_EQ(dialog.result(), row.result) << row.name;
        EXPECT_EQ(dialog.isVisible(), row.result == -1) << row.name;
    }
}

TEST(EkButton, FollowsItsAction) {
    Host host;
    TEkButton b(&host);
    QAction action("&Open");
    setActionImageIndex(&action, 4);
    b.setAction(&action);
    EXPECT_EQ(b.Caption(), "&Open");
    EXPECT_EQ(b.ImageIndex(), 4);
    setActionImageIndex(&action, 5);
    EXPECT_EQ(b.ImageIndex(), 5);
    b.setImageIndex(1);
    setActionImageIndex(&action, 6);
    EXPECT_EQ(b.ImageIndex(), 1) << "an image index of its own is kept";
    action.setEnabled(false);
    EXPECT_FALSE(b.isEnabled());
    int triggered = 0;
    QObject::connect(&action, &QAction::triggered, [&] { ++triggered; });
    action.setEnabled(true);
    b.Click();
    EXPECT_EQ(triggered, 1);
}

} // namespace
