#include "controls/extra/EkButton.h"
#include "controls/EkGradiLabel.h"

#include "tests/controls/extra/WidgetPictures.h"
#include "tests/support/TestSupport.h"

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

using namespace pictures;
using testsupport::Rgb;

const QColor kHostColour(236, 233, 216);

struct Host : QWidget {
    Host() {
        setAutoFillBackground(true);
        setPalette(QPalette(kHostColour));
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
        EXPECT_EQ(row.dark ? b.ClHotDark() : b.ClHotLight(), row.hot);
        EXPECT_EQ(row.dark ? b.ClDisabDark() : b.ClDisabLight(), row.disabled) << std::hex << row.c;
        EXPECT_EQ(row.dark ? b.ClDimmedDark() : b.ClDimmedLight(), row.dimmed) << std::hex << row.c;
        EXPECT_EQ(b.ClSelDownDark(), 0xF5A997u);
    }
}

// Each state through the real widget, compared pixel for pixel with the face of the state's
// colours and the focus mark or marker painted straight into a bitmap.
TEST(EkButton, PaintsFaceFocusAndMarkerOfEachState) {
    enum Input { none, hover, rightPress, leftPress, disable, notAlive, down, marker };
    enum Mark { noMark, circle9, star13, frame, square9 };
    const TEkColor dimL(0xDBD8BCu), dimD(0xE5B2A3u), hotL(0xFDF6BAu), hotD(0xF5A997u), disL(0xE4E4E4u),
        disD(0xACACACu), halfL(0xEBE7BBu), halfD(0xECAD9Cu), selL(0x111111u), selD(0x222222u);
    const struct {
        const char* name;
        Input input;
        TEkFocusStyle focus;
        TEkButtonState state;
        TEkButtonFace face;
        TColor caption;
        Mark mark;
    } rows[] = {{"normal", none, tfsNone, tbtNormal, {true, dimL, dimD}, clWindowText, noMark},
                {"not-alive", notAlive, tfsNone, tbtNormal, {true, hotL, hotD}, 0x800000, noMark},
                {"hot", hover, tfsNone, tbtHot, {true, hotL, hotD}, 0x800000, noMark},
                {"pressed", rightPress, tfsNone, tbtPressed, {false, hotL, hotD}, 0x000002, noMark},
                {"disabled", disable, tfsNone, tbtDisabled, {true, disL, disD}, 0x707070, noMark},
                {"half-hot", none, tfsHalfHot, tbtHalfHot, {true, halfL, halfD}, clWindowText, noMark},
                {"color-mark", none, tfsColorMark, tbtNormal, {true, dimL, dimD}, clWindowText, circle9},
                {"star-down", down, tfsStar, tbtPressed, {false, selL, selD}, 0x000002, star13},
                {"color-rect", none, tfsColorRect, tbtNormal, {true, dimL, dimD}, clWindowText, frame},
                {"marker-pressed", marker, tfsNone, tbtPressed, {false, hotL, hotD}, 0x000002, square9}};
    for (const auto& row : rows) {
        Host host;
        TEkButton b(&host);
        b.setFontClDown(0x000002), b.setClSelDownLight(0x111111), b.setClSelDownDark(0x222222);
        b.setFocusStyle(row.focus), b.setDefault(row.focus != tfsNone);
        if (row.input == down)
            b.setGroupIndex(1), b.setDown(true);
        if (row.input == marker)
            b.setMarkShow(true), b.setMarkShape(tasSquare), b.setMarkPos(pirDownRight);
        if (row.input == hover)
            enter(b);
        if (row.input == rightPress || row.input == marker)
            QTest::mousePress(&b, row.input == marker ? Qt::LeftButton : Qt::RightButton);
        b.setEnabled(row.input != disable), b.setAlive(row.input != notAlive);
        TEkBmp want(90, 32);
        want.fill(fromQColor(kHostColour));
        (want.*(row.face.framed ? &TEkBmp::paintButtonFaceFramed : &TEkBmp::paintButtonFace))(
            40, true, want.boundsRect(), row.face.light, row.face.dark);
        // Marks at the top right, 5 down (6 pressed); the square marker 6 in from the bottom right.
        if (row.mark == circle9)
            want.drawCircleMark9(90 - 14, 5, TEkColor(0xFF0000u));
        else if (row.mark == star13)
            want.drawStarMark13(90 - 17, 6 - 1, TEkColor(0xFF0000u));
        else if (row.mark == frame)
            want.drawFocusFrame(TRect(2, 2, 88, 30), tColorToPixel(0xFF0000));
        else if (row.mark == square9)
            want.fillRectCutCorners(TRect(75, 17 + 1, 84, 26 + 1), clWhite);
        EXPECT_EQ(picture(b).convertToFormat(QImage::Format_RGB32), want.toOpaqueImage()) << row.name;
        EXPECT_EQ(b.paintedState(), row.state) << row.name;
        EXPECT_EQ(b.captionColour(b.paintedState()), row.caption) << row.name;
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
        const TRect r = button.imageRect();
        EXPECT_EQ(r, TRect(41, 12, 49, 20)) << row.name;
        EXPECT_EQ(rgbAt(image, r.left, r.top + row.sink), row.colour) << row.name;
        EXPECT_NE(rgbAt(image, r.left, r.top - 1 + row.sink), row.colour) << row.name;
    }
    // Any negative index is none: going from -2 to an image places the image.
    Host host;
    TEkButton button(&host);
    host.show(), button.setImages(images.get()), button.setImageIndex(-2), picture(button);
    button.setImageIndex(0), picture(button);
    EXPECT_EQ(button.imageRect(), TRect(41, 12, 49, 20));
}

// Pressed by the mouse or held down, the caption starts a pixel lower inside its rectangle,
// whose bottom stays: the rows above and below the rectangle's last text row show the face,
// so the underline of "&Open" (at (49, 35) and (50, 35)) is cut rather than drawn below it.
TEST(EkButton, PressedCaptionSinksWithinItsRectangle) {
    TEkBmp face(110, 56);
    face.fill(fromQColor(kHostColour));
    face.paintButtonFace(40, true, face.boundsRect(), TEkColor(0xFDF6BAu), TEkColor(0xF5A997u));
    const QImage bare = face.toOpaqueImage();
    for (const bool down : {false, true}) {
        Host host;
        TEkButton b(&host);
        b.resize(110, 56), b.setCaption("&Open"), b.setGroupIndex(1), b.setDown(down);
        if (!down)
            QTest::mousePress(&b, Qt::LeftButton);
        const QImage image = picture(b).convertToFormat(QImage::Format_RGB32);
        const TRect r = b.captionRect();
        const auto row = [&r](const QImage& i, int y) { return i.copy(r.left, y, r.width(), 1); };
        EXPECT_EQ(row(image, r.top), row(bare, r.top)) << down;
        EXPECT_EQ(row(image, r.bottom), row(bare, r.bottom)) << down;
        EXPECT_NE(image.copy(r.toQRect()), bare.copy(r.toQRect())) << down; // the caption is drawn
    }
}

TEST(EkButton, PlacesImageAndCaptionByAlignmentAndLayout) {
    Host host;
    TEkButton b(&host);
    b.setGeometry(0, 0, 120, 80);
    auto images = redImage(16);
    b.setCaption("Go"), b.setImageIndex(0);
    picture(b);
    const int tw = b.captionRect().width(), th = b.captionRect().height();
    b.setImages(images.get());
    // Image box 22 x 22 (16 + margins 3); image (x, y) and caption (x, y).
    const int close = (120 - 22 - tw) / 2, closeV = (80 - 22 - th) / 2, cx = (120 - tw) / 2;
    const struct {
        TEkImageAlignment align;
        TEkLayoutStyle layout;
        int ix, iy, tx, ty;
    } rows[] = {{tiaLeft, tlsCenterTextAndImageClose, 3 + close, 32, 22 + close, (80 - th) / 2},
                {tiaLeft, tlsTextFolowImage, 3, 32, 22, (80 - th) / 2},
                {tiaRight, tlsCenterTextAndImageClose, 101 - (98 - tw) / 2, 32, 98 - tw - (98 - tw) / 2,
                 (80 - th) / 2},
                {tiaRight, tlsTextFolowImage, 101, 32, 98 - tw, (80 - th) / 2},
                {tiaTop, tlsCenterTextInRest, 52, 3, cx, 22 + closeV},
                {tiaBottom, tlsCenterTextAndImageClose, 52, 61 - (58 - th) / 2, cx, 58 - th - (58 - th) / 2},
                {tiaCenter, tlsTextFolowImage, 52, 32, cx, 51}};
    for (const auto& row : rows) {
        b.setImageAlignment(row.align), b.setLayoutStyle(row.layout), picture(b);
        EXPECT_EQ(QPoint(b.imageRect().left, b.imageRect().top), QPoint(row.ix, row.iy))
            << row.align << row.layout;
        EXPECT_EQ(QPoint(b.captionRect().left, b.captionRect().top), QPoint(row.tx, row.ty)) << row.align;
    }
    // A caption wider than the control, with no image: from the left edge, or overhanging both.
    b.setImages(nullptr), b.setCaption(QString(40, u'W'));
    for (TEkImageAlignment align : {tiaLeft, tiaTop}) {
        b.setImageAlignment(align), picture(b);
        const TRect r = b.captionRect();
        EXPECT_EQ(r.left, align == tiaLeft ? 0 : (120 - r.width()) / 2) << align;
    }
}

TEST(EkButton, HintBreaksAtEveryMarkerInItsOwnColourUntilLeave) {
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

TEST(EkButton, CaptionBreaksFromTheFirstKindOfMarkerPresent) {
    Host host;
    TEkButton b(&host);
    b.setCaption("One**Two||Three"); // the first kind present: "||"
    EXPECT_EQ(b.markerPos(), 9);
}

TEST(EkButton, GroupsKeepOneButtonDown) {
    Host host;
    TEkButton a(&host), b(&host), c(&host), loose(&host);
    QAction action;
    action.setCheckable(true), action.setChecked(true);
    a.setAction(&action);
    for (TEkButton* x : {&a, &b, &c})
        x->setGroupIndex(1);
    const auto downs = [&] { return a.Down() * 1000 + b.Down() * 100 + c.Down() * 10 + loose.Down(); };
    loose.setDown(true), loose.Click();
    EXPECT_EQ(downs(), 0);
    a.Click(), a.Click();
    EXPECT_EQ(downs(), 1000) << "a down member stays down";
    b.Click();
    EXPECT_EQ(downs(), 100);
    EXPECT_FALSE(action.isChecked()) << "the raised button's action";
    c.setAllowAllUp(true);
    EXPECT_TRUE(a.AllowAllUp() && b.AllowAllUp());
    b.Click();
    EXPECT_EQ(downs(), 0);
}

// Two buttons side by side in an active window.
class EkButtonPair : public ::testing::Test {
protected:
    void SetUp() override {
        other.move(100, 0);
        host.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
    }
    Host host;
    TEkButton b{&host}, other{&host};
};

TEST_F(EkButtonPair, PressDragOutAndBackClicksOnlyOnALeftReleaseInside) {
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
}

TEST_F(EkButtonPair, HalfHotShowsTheFocusAndTheDefault) {
    QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(5, 5));
    b.setFocusStyle(tfsHalfHot), other.setFocusStyle(tfsHalfHot);
    leave(b);
    EXPECT_TRUE(b.hasFocus()) << "a press takes the focus";
    EXPECT_EQ(b.getButtonState(), tbtHalfHot);
    EXPECT_EQ(other.getButtonState(), tbtNormal);
    other.setDefault(true);
    EXPECT_EQ(other.getButtonState(), tbtHalfHot);
    enter(other);
    EXPECT_EQ(other.getButtonState(), tbtHot);
}

TEST_F(EkButtonPair, APressCutShortByDisablingLeavesNoPressedLook) {
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
    }
}

TEST(EkButton, FollowsItsAction) {
    Host host;
    TEkButton b(&host);
    QAction action("&Open");
    setActionImageIndex(&action, 4);
    b.setAction(&action);
    EXPECT_EQ(b.Caption() + QString::number(b.ImageIndex()), "&Open4");
    setActionImageIndex(&action, 5);
    EXPECT_EQ(b.ImageIndex(), 5);
    b.setImageIndex(1), setActionImageIndex(&action, 6);
    EXPECT_EQ(b.ImageIndex(), 1) << "an image index of its own is kept";
    QSignalSpy triggered(&action, &QAction::triggered);
    b.Click();
    EXPECT_EQ(triggered.count(), 1);
}

} // namespace
