#include "controls/extra/EkButton.h"

#include "controls/EkGradiLabel.h"
#include "controls/Setters.h"
#include "controls/extra/EkHsl.h"
#include "controls/extra/EkPanel.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDynamicPropertyChangeEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QShortcutEvent>
#include <QTimer>
#include <algorithm>

namespace {

// How long a hint stays up while the pointer rests on the button.
constexpr int hintHideMilliseconds = 5000;
// The hint window opens this far below the pointer, clear of the cursor's shape.
constexpr int hintBelowPointer = 20;

void offsetRect(TRect& r, int dx, int dy) {
    r = TRect(r.left + dx, r.top + dy, r.right + dx, r.bottom + dy);
}

// g = (R * 320 + G * 576 + B * 128) >> 10 in all three channels.
TColor greyOf(TColor c) {
    const TEkColor e(c);
    const auto g = uint8_t((e.red() * 320 + e.green() * 576 + e.blue() * 128) >> 10);
    return TEkColor(g, g, g).toTColor();
}

} // namespace

// --- construction ------------------------------------------------------------------------------

TEkButton::TEkButton(QWidget* parent) : TEkCustomControl(parent), hintTimer(new QTimer(this)) {
    resize(90, 32);
    setFocusPolicy(Qt::TabFocus);
    hintTimer->setSingleShot(true);
    connect(hintTimer, &QTimer::timeout, this, &TEkButton::hideHint);
    focusLink = connect(qApp, &QApplication::focusChanged, this, &TEkButton::applicationFocusChanged);
    watchWindow();
}

TEkButton::~TEkButton() {
    // QWidget's destructor moves the focus on while this part of the object is gone already.
    disconnect(focusLink);
    if (watchedWindow)
        watchedWindow->removeEventFilter(this);
    if (action)
        action->removeEventFilter(this);
}

// --- look --------------------------------------------------------------------------------------

void TEkButton::setButtonStyle(TEkButtonStyle value) {
    if (setAndRepaint(*this, buttonStyle, value) && value != bstButton)
        setAlive(true);
}

void TEkButton::setAlive(bool value) {
    TEkCustomControl::setAlive(value);
    if (!value)
        buttonStyle = bstButton;
    update();
}

void TEkButton::setPipeShadow(int value) {
    setAndRepaint(*this, pipeShadow, value);
}
void TEkButton::setPipeGradient(bool value) {
    setAndRepaint(*this, pipeGradient, value);
}

// Always applied, even to the same colour: it resets the colours it derives.
void TEkButton::setClAutoDark(TColor c) {
    clAutoDark = c;
    clHotDark = c;
    clDisabDark = greyOf(c);
    THslColor hsl;
    colorToHsl(hsl, c);
    hsl.saturation = uint8_t(hsl.saturation - hsl.saturation / 3);
    clDimmedDark = hslToColor(hsl);
    update();
}

void TEkButton::setClAutoLight(TColor c) {
    clAutoLight = c;
    clHotLight = c;
    clDisabLight = greyOf(c);
    THslColor hsl;
    colorToHsl(hsl, c);
    hsl.saturation = uint8_t(hsl.saturation / 3);
    hsl.lightness = uint8_t(hsl.lightness - hsl.lightness / 15);
    clDimmedLight = hslToColor(hsl);
    update();
}

void TEkButton::setClDimmedDark(TColor c) {
    setAndRepaint(*this, clDimmedDark, c);
}
void TEkButton::setClDimmedLight(TColor c) {
    setAndRepaint(*this, clDimmedLight, c);
}
void TEkButton::setClDisabDark(TColor c) {
    setAndRepaint(*this, clDisabDark, c);
}
void TEkButton::setClDisabLight(TColor c) {
    setAndRepaint(*this, clDisabLight, c);
}
void TEkButton::setClHotDark(TColor c) {
    setAndRepaint(*this, clHotDark, c);
}
void TEkButton::setClHotLight(TColor c) {
    setAndRepaint(*this, clHotLight, c);
}
void TEkButton::setClSelDownDark(TColor c) {
    setAndRepaint(*this, clSelDownDark, c);
}
void TEkButton::setClSelDownLight(TColor c) {
    setAndRepaint(*this, clSelDownLight, c);
}
void TEkButton::setFontClDisabled(TColor c) {
    setAndRepaint(*this, fontClDisabled, c);
}
void TEkButton::setFontClDown(TColor c) {
    setAndRepaint(*this, fontClDown, c);
}
void TEkButton::setFontClHot(TColor c) {
    setAndRepaint(*this, fontClHot, c);
}
void TEkButton::setFontClDimmed(TColor c) {
    setAndRepaint(*this, fontClDimmed, c);
}
void TEkButton::setFocusStyle(TEkFocusStyle value) {
    setAndRepaint(*this, focusStyle, value);
}
void TEkButton::setFocusColor(TColor c) {
    setAndRepaint(*this, focusColor, c);
}
void TEkButton::setMarkShow(bool value) {
    setAndRepaint(*this, markShow, value);
}
void TEkButton::setMarkColor(TColor c) {
    setAndRepaint(*this, markColor, c);
}
void TEkButton::setMarkPos(TEkPosInRect value) {
    setAndRepaint(*this, markPos, value);
}
void TEkButton::setMarkShape(TEkShape value) {
    setAndRepaint(*this, markShape, value);
}
void TEkButton::setMarkSize(TEkThreeSizes value) {
    setAndRepaint(*this, markSize, value);
}

// --- state -------------------------------------------------------------------------------------

bool TEkButton::canFocus() const {
    const QWidget* top = window();
    if (top == this)
        return false;
    for (const QWidget* w = this; w && w != top; w = w->parentWidget())
        if (w->isHidden() || !w->isEnabled())
            return false;
    return true;
}

TEkButtonState TEkButton::getButtonState() const {
    if (!canFocus())
        return tbtDisabled;
    if (down)
        return tbtPressed;
    if (mouseDown)
        return mouseOutside ? tbtHot : tbtPressed;
    if (IsHot())
        return tbtHot;
    if ((hasFocus() || isDefault) && focusStyle == tfsHalfHot)
        return tbtHalfHot;
    return tbtNormal;
}

TEkButtonFace TEkButton::faceFor(TEkButtonState state) const {
    switch (state) {
    case tbtNormal:
        return Alive() ? TEkButtonFace{true, clDimmedLight, clDimmedDark}
                       : TEkButtonFace{true, clHotLight, clHotDark};
    case tbtHot:
        return {true, clHotLight, clHotDark};
    case tbtHalfHot:
        return {true, TEkColor::halfMix(clHotLight, clDimmedLight),
                TEkColor::halfMix(clHotDark, clDimmedDark)};
    case tbtPressed:
        return down ? TEkButtonFace{false, clSelDownLight, clSelDownDark}
                    : TEkButtonFace{false, clHotLight, clHotDark};
    case tbtDisabled:
        break;
    }
    return {true, clDisabLight, clDisabDark};
}

TColor TEkButton::captionColour(TEkButtonState state) const {
    switch (state) {
    case tbtNormal:
        return Alive() ? fontClDimmed : fontClHot;
    case tbtHot:
        return fontClHot;
    case tbtHalfHot:
        return fontClDimmed;
    case tbtPressed:
        return fontClDown;
    case tbtDisabled:
        break;
    }
    return fontClDisabled;
}

// --- caption and hint ------------------------------------------------------------------------

void TEkButton::setCaption(const QString& text) {
    if (!setAndRepaint(*this, caption, text, &layoutDirty))
        return;
    // The first kind of marker present decides where the line breaks begin.
    qsizetype at = -1;
    for (const char* marker : {"\u00A4\u00A4", "||", "**"})
        if ((at = caption.indexOf(QString::fromUtf8(marker))) >= 0)
            break;
    markerPos = int(at + 1);
    updateAccelerator();
}

void TEkButton::setShowCaption(bool value) {
    setAndRepaint(*this, showCaption, value, &layoutDirty);
}

QString TEkButton::brokenCaption() const {
    QString text = caption;
    if (markerPos > 0)
        replaceLineBreakMarkers(text, markerPos - 1);
    return text;
}

void TEkButton::updateAccelerator() {
    if (acceleratorId)
        releaseShortcut(acceleratorId);
    acceleratorId = 0;
    const QKeySequence key = QKeySequence::mnemonic(caption);
    if (!key.isEmpty())
        acceleratorId = grabShortcut(key);
}

QLabel* TEkButton::hintWindow() const {
    return hintLabel && hintLabel->isVisible() ? hintLabel.data() : nullptr;
}

void TEkButton::showHint(const QPoint& globalPos) {
    QString text = hint;
    replaceLineBreakMarkers(text);
    if (!hintLabel) {
        // A window of our own: QToolTip's palette is shared by the whole application.
        hintLabel = new QLabel(this, Qt::ToolTip | Qt::FramelessWindowHint);
        hintLabel->setTextFormat(Qt::PlainText);
        hintLabel->setFrameStyle(QFrame::Box | QFrame::Plain);
        hintLabel->setMargin(2);
        hintLabel->setAutoFillBackground(true);
        QPalette palette = hintLabel->palette();
        palette.setColor(QPalette::Window, toQColor(hintColor));
        palette.setColor(QPalette::WindowText, toQColor(clWindowText));
        hintLabel->setPalette(palette);
    }
    hintLabel->setText(lfLineBreaks(text));
    hintLabel->adjustSize();
    hintLabel->move(globalPos + QPoint(0, hintBelowPointer));
    hintLabel->show();
    hintTimer->start(hintHideMilliseconds);
}

void TEkButton::hideHint() {
    hintTimer->stop();
    if (hintLabel)
        hintLabel->hide();
}

// --- images ------------------------------------------------------------------------------------

void TEkButton::setImages(TImageList* list) {
    if (list == images)
        return;
    images.attach(
        list, this, [this] { update(); }, [this] { imagesReplaced(); });
    imagesReplaced();
}

void TEkButton::imagesReplaced() {
    layoutDirty = true;
    update();
}

void TEkButton::changeImageIndex(int& field, int value) {
    // The image enters or leaves the layout. Every negative index means none, so the test is
    // the sign, not -1 alone: from -2 to 0 the image arrives too.
    const bool imageComesOrGoes = (field >= 0) != (value >= 0);
    setAndRepaint(*this, field, value, imageComesOrGoes ? &layoutDirty : nullptr);
}

void TEkButton::setImageIndex(int value) {
    changeImageIndex(imageIndex, value);
}
void TEkButton::setImageIndexHot(int value) {
    changeImageIndex(imageIndexHot, value);
}
void TEkButton::setImageIndexPressed(int value) {
    changeImageIndex(imageIndexPressed, value);
}
void TEkButton::setImageIndexDisabled(int value) {
    changeImageIndex(imageIndexDisabled, value);
}

bool TEkButton::weHaveImageIndex() const {
    return getAnImageIndex() >= 0;
}

int TEkButton::getAnImageIndex() const {
    for (int index : {imageIndex, imageIndexHot, imageIndexPressed, imageIndexDisabled})
        if (index >= 0)
            return index;
    return -1;
}

int TEkButton::getImageIndex(TEkButtonState state) const {
    const int index = state == tbtHot        ? imageIndexHot
                      : state == tbtPressed  ? imageIndexPressed
                      : state == tbtDisabled ? imageIndexDisabled
                                             : imageIndex;
    return index >= 0 ? index : getAnImageIndex();
}

void TEkButton::setImageAlignment(TEkImageAlignment value) {
    setAndRepaint(*this, imageAlignment, value, &layoutDirty);
}
void TEkButton::setLayoutStyle(TEkLayoutStyle value) {
    setAndRepaint(*this, layoutStyle, value, &layoutDirty);
}
void TEkButton::setImageMargins(const QMargins& value) {
    setAndRepaint(*this, imageMargins, value, &layoutDirty);
}

// --- groups, keys and clicks -----------------------------------------------------------------

void TEkButton::setDown(bool value) {
    if (value == down)
        return;
    if (groupIndex == 0)
        value = false;
    // A down member of a group comes up only when another goes down.
    if (down && !allowAllUp)
        return;
    down = value;
    update();
    if (down)
        updateExclusiveDown();
}

// A changed group setting brings the group in line with it.
void TEkButton::setGroupIndex(int value) {
    if (setAndRepaint(*this, groupIndex, value))
        updateExclusiveDown();
}

void TEkButton::setAllowAllUp(bool value) {
    if (setAndRepaint(*this, allowAllUp, value))
        updateExclusiveDown();
}

void TEkButton::updateExclusiveDown() {
    if (groupIndex == 0 || !parentWidget())
        return;
    for (QObject* child : parentWidget()->children())
        if (auto* button = qobject_cast<TEkButton*>(child))
            button->ExternButtenIsDown(this, groupIndex);
}

void TEkButton::ExternButtenIsDown(TEkButton* sender, int group) {
    if (sender == this || groupIndex != group)
        return;
    if (sender->down && down) {
        down = false;
        if (action)
            action->setChecked(false);
        update();
    }
    allowAllUp = sender->allowAllUp;
}

void TEkButton::setDefault(bool value) {
    if (setAndRepaint(*this, isDefault, value))
        enterActive = value;
}

void TEkButton::setTabStop(bool value) {
    setFocusPolicy(value ? Qt::TabFocus : Qt::NoFocus);
}

void TEkButton::Click() {
    const QPointer<TEkButton> self(this);
    if (groupIndex != 0)
        setDown(!down);
    if (modalResult != tmrNone && window() != this)
        if (auto* dialog = qobject_cast<QDialog*>(window()))
            dialog->done(int(modalResult));
    if (self)
        emit clicked();
    if (self && action && action->isEnabled())
        action->trigger();
}

void TEkButton::applicationFocusChanged(QWidget*, QWidget* now) {
    // Only a focus change within the button's own window counts.
    if (!now || now->window() != window() || window() == this)
        return;
    enterActive = qobject_cast<TEkButton*>(now) ? now == this : isDefault;
    update();
}

void TEkButton::watchWindow() {
    QWidget* top = window() == this ? nullptr : window();
    if (top == watchedWindow)
        return;
    if (watchedWindow)
        watchedWindow->removeEventFilter(this);
    watchedWindow = top;
    // Keys reach the window's filters only after the widgets below it let them pass.
    if (top)
        top->installEventFilter(this);
}

bool TEkButton::eventFilter(QObject* watched, QEvent* event) {
    if (watched == watchedWindow && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        const bool escape = key->key() == Qt::Key_Escape && cancel;
        const bool enter = (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && enterActive;
        if (plain && (escape || enter) && canFocus()) {
            Click();
            return true;
        }
    } else if (watched == action && event->type() == QEvent::DynamicPropertyChange &&
               static_cast<QDynamicPropertyChangeEvent*>(event)->propertyName() == actionImageIndexProperty) {
        updateFromAction();
    }
    return TEkCustomControl::eventFilter(watched, event);
}

// --- action ------------------------------------------------------------------------------------

void TEkButton::setAction(QAction* value) {
    if (value == action)
        return;
    if (action)
        action->removeEventFilter(this);
    disconnect(actionChangedLink);
    action = value;
    if (!value)
        return;
    actionChangedLink = connect(value, &QAction::changed, this, [this] { updateFromAction(); });
    value->installEventFilter(this);
    updateFromAction(true);
}

void TEkButton::updateFromAction(bool assigning) {
    if (!action)
        return;
    setCaption(action->text());
    setHint(action->toolTip());
    const QVariant property = action->property(actionImageIndexProperty);
    const int index = property.isValid() ? property.toInt() : -1;
    if (assigning || imageIndex == actionImageIndex)
        setImageIndex(index);
    actionImageIndex = index;
    followActionState(this, action);
}

// --- events ------------------------------------------------------------------------------------

bool TEkButton::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::ParentChange:
        watchWindow();
        break;
    case QEvent::Shortcut:
        if (static_cast<QShortcutEvent*>(event)->shortcutId() == acceleratorId) {
            if (canFocus())
                Click();
            return true;
        }
        break;
    case QEvent::ToolTip:
        if (!hint.isEmpty())
            showHint(static_cast<QHelpEvent*>(event)->globalPos());
        return true;
    default:
        break;
    }
    return TEkCustomControl::event(event);
}

void TEkButton::changeEvent(QEvent* event) {
    TEkCustomControl::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        UpdateBmpFont();
        layoutDirty = true;
        update();
    } else if (event->type() == QEvent::EnabledChange) {
        // A press whose release goes to nobody must not leave the button pressed.
        if (!isEnabled())
            mouseDown = mouseOutside = leftPressed = false;
        update();
    }
}

void TEkButton::showEvent(QShowEvent* event) {
    TEkCustomControl::showEvent(event);
    watchWindow();
}

void TEkButton::hideEvent(QHideEvent* event) {
    TEkCustomControl::hideEvent(event);
    mouseDown = mouseOutside = leftPressed = false;
    hideHint();
}

void TEkButton::leaveEvent(QEvent* event) {
    TEkCustomControl::leaveEvent(event);
    hideHint();
}

void TEkButton::mousePressEvent(QMouseEvent* event) {
    hideHint();
    mouseDown = true;
    mouseOutside = false;
    if (event->button() == Qt::LeftButton)
        leftPressed = true;
    if (TabStop())
        setFocus(Qt::MouseFocusReason);
    update();
}

void TEkButton::mouseMoveEvent(QMouseEvent* event) {
    if (!mouseDown)
        return;
    const QPoint p = event->position().toPoint();
    const bool outside = !MouseIsIn(p.x(), p.y());
    if (outside != mouseOutside) {
        mouseOutside = outside;
        update();
    }
}

void TEkButton::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    const bool click = event->button() == Qt::LeftButton && leftPressed && MouseIsIn(p.x(), p.y());
    if (event->button() == Qt::LeftButton)
        leftPressed = false;
    mouseDown = false;
    mouseOutside = false;
    update();
    if (click)
        Click();
}

void TEkButton::PrepareBitmaps(int, int) {
    UpdateBmpFont();
    layoutDirty = true;
}

// --- layout ------------------------------------------------------------------------------------

void TEkButton::centerRectHorizontal(TRect& r) const {
    offsetRect(r, (width() - r.width()) / 2, 0);
}

void TEkButton::centerRectVertical(TRect& r) const {
    offsetRect(r, 0, (height() - r.height()) / 2);
}

void TEkButton::moveByLayout(TRect& image, TRect& text, int dx, int dy) const {
    if (layoutStyle == tlsTextFolowImage)
        return;
    offsetRect(text, dx, dy);
    if (layoutStyle == tlsCenterTextAndImageClose)
        offsetRect(image, dx, dy);
}

void TEkButton::positionImgLeft(TRect& image, TRect& text) const {
    offsetRect(text, image.right, 0);
    centerRectVertical(image);
    centerRectVertical(text);
    if (const int d = (width() - text.right) / 2; d > 0)
        moveByLayout(image, text, d, 0);
}

void TEkButton::positionImgRight(TRect& image, TRect& text) const {
    image = TRect(width() - image.width(), image.top, width(), image.bottom);
    text = TRect(image.left - text.width(), text.top, image.left, text.bottom);
    centerRectVertical(image);
    centerRectVertical(text);
    if (const int d = text.left / 2; d > 0)
        moveByLayout(image, text, -d, 0);
}

void TEkButton::positionImgTop(TRect& image, TRect& text) const {
    offsetRect(text, 0, image.bottom);
    centerRectHorizontal(image);
    centerRectHorizontal(text);
    if (const int d = (height() - text.bottom) / 2; d > 0)
        moveByLayout(image, text, 0, d);
}

void TEkButton::positionImgBottom(TRect& image, TRect& text) const {
    image = TRect(image.left, height() - image.height(), image.right, height());
    text = TRect(text.left, image.top - text.height(), text.right, image.top);
    centerRectHorizontal(image);
    centerRectHorizontal(text);
    if (const int d = text.top / 2; d > 0)
        moveByLayout(image, text, 0, -d);
}

void TEkButton::positionImgCenter(TRect& image, TRect& text) const {
    centerRectHorizontal(text);
    if (image.width() != 0 && image.height() != 0) {
        // The caption goes under the image, whatever the layout style.
        centerRectHorizontal(image);
        centerRectVertical(image);
        offsetRect(text, 0, image.bottom);
    } else {
        centerRectVertical(text);
    }
}

void TEkButton::calculateRects(TEkBmp* bmp) {
    const QMargins& m = imageMargins;
    TRect image;
    if (images && weHaveImageIndex())
        image = TRect(0, 0, images->width() + m.left() + m.right(), images->height() + m.top() + m.bottom());
    TRect text;
    if (showCaption && !caption.isEmpty()) {
        const bool beside = imageAlignment == tiaLeft || imageAlignment == tiaRight;
        text = TRect(0, 0, beside ? width() - image.width() : width(), 0);
        bmp->calcTextRect(text, brokenCaption(), markerPos == 0);
    }
    switch (imageAlignment) {
    case tiaLeft:
        positionImgLeft(image, text);
        break;
    case tiaRight:
        positionImgRight(image, text);
        break;
    case tiaTop:
        positionImgTop(image, text);
        break;
    case tiaBottom:
        positionImgBottom(image, text);
        break;
    case tiaCenter:
        positionImgCenter(image, text);
        break;
    }
    captionRect = text;
    imageRect =
        TRect(image.left + m.left(), image.top + m.top(), image.right - m.right(), image.bottom - m.bottom());
    layoutDirty = false;
}

// --- painting ----------------------------------------------------------------------------------

void TEkButton::EkPaint(TEkBmp* bmp, TRect rect) {
    TEkCustomControl::EkPaint(bmp, rect);
    if (layoutDirty)
        calculateRects(bmp);
    paintedState = getButtonState();
    if (buttonStyle == bstButton || (buttonStyle == bstFlatAndButton && paintedState != tbtNormal))
        paintButton(bmp, rect);
    else
        paintButtonFlat(bmp, rect);
    if (showCaption && !caption.isEmpty())
        paintCaption(bmp, rect);
    paintFocusIndicator(bmp, rect);
    paintMarker(bmp, rect);
}

void TEkButton::paintButton(TEkBmp* bmp, TRect& rect) {
    const TEkButtonFace face = faceFor(paintedState);
    const auto paint = face.framed ? &TEkBmp::paintButtonFaceFramed : &TEkBmp::paintButtonFace;
    (bmp->*paint)(uint8_t(pipeShadow), pipeGradient, rect, face.light, face.dark);
    paintImage(bmp);
}

void TEkButton::paintButtonFlat(TEkBmp* bmp, TRect& rect) {
    paintImage(bmp);
    if (paintedState == tbtHot)
        bmp->drawGlassFace(rect);
    else if (paintedState == tbtPressed)
        bmp->drawShadedFace(rect);
}

void TEkButton::paintImage(TEkBmp* bmp) {
    if (!images)
        return;
    const int index = getImageIndex(paintedState);
    if (index < 0)
        return;
    if (autoGrayDisabled || paintedState == tbtDisabled) {
        TEkBmp grey(images->width(), images->height());
        if (grey.copyFromImageList(images, index)) {
            grey.makeGrey();
            grey.drawTo(bmp, imageRect.left, imageRect.top, bmAlphaBlend);
        }
        return;
    }
    // A pressed button's image sinks by a pixel; a button that stays down keeps it at rest.
    const int sink = paintedState == tbtPressed && !down ? 1 : 0;
    images->draw(*bmp, imageRect.left, imageRect.top + sink, index);
}

void TEkButton::paintCaption(TEkBmp* bmp, TRect&) {
    unsigned format = DT_CENTER;
    if (markerPos == 0)
        format |= DT_SINGLELINE;
    // Pressed, the text starts a pixel lower but keeps the layout's bottom edge, which clips it.
    TRect r = captionRect;
    if (paintedState == tbtPressed)
        r.top += 1;
    bmp->drawCaption(lfLineBreaks(brokenCaption()), format, r, captionColour(paintedState));
}

void TEkButton::paintFocusIndicator(TEkBmp* bmp, TRect rect) {
    if (!hasFocus() && !isDefault)
        return;
    const int dy = paintedState == tbtPressed ? 6 : 5;
    switch (focusStyle) {
    case tfsDottetRect:
        inflateRect(rect, -2, -2);
        bmp->drawFocusRect(rect);
        break;
    case tfsColorRect:
        inflateRect(rect, -2, -2);
        bmp->drawFocusFrame(rect, tColorToPixel(focusColor));
        break;
    case tfsColorMark:
        bmp->drawCircleMark9(rect.right - 14, rect.top + dy, focusColor);
        break;
    case tfsStar:
        bmp->drawStarMark13(rect.right - 17, rect.top + dy - 1, focusColor);
        break;
    case tfsNone:
    case tfsHalfHot:
        break;
    }
}

void TEkButton::findMarkerPos(int& x, int& y, const TRect& r) const {
    int n = 7 + 2 * std::clamp(int(markSize), 0, 2);
    int e = 6;
    if (markShape == tasDiamond || markShape == tasStar) {
        n += 2;
        e = 5;
    }
    x = markPos == pirUpRight || markPos == pirDownRight ? r.right - (e + n) : r.left + e;
    y = markPos == pirDownRight || markPos == pirDownLeft ? r.bottom - (e + n) : r.top + e;
}

void TEkButton::paintMarker(TEkBmp* bmp, TRect& rect) {
    if (!markShow)
        return;
    int x = 0, y = 0;
    findMarkerPos(x, y, rect);
    if (paintedState == tbtPressed)
        ++y;
    using Mark = void (TEkBmp::*)(int, int, TEkColor);
    static constexpr Mark circles[] = {&TEkBmp::drawCircleMark7, &TEkBmp::drawCircleMark9,
                                       &TEkBmp::drawCircleMark11};
    static constexpr Mark diamonds[] = {&TEkBmp::drawDiamondMark9, &TEkBmp::drawDiamondMark11,
                                        &TEkBmp::drawDiamondMark13};
    static constexpr Mark stars[] = {&TEkBmp::drawStarMark9, &TEkBmp::drawStarMark11,
                                     &TEkBmp::drawStarMark13};
    const int size = std::clamp(int(markSize), 0, 2);
    const TEkColor c(markColor);
    switch (markShape) {
    case tasCircle:
        (bmp->*circles[size])(x, y, c);
        break;
    case tasSquare: {
        const int n = 7 + 2 * size;
        bmp->fillRectCutCorners(TRect(x, y, x + n, y + n), c);
        break;
    }
    case tasDiamond:
        (bmp->*diamonds[size])(x, y, c);
        break;
    case tasStar:
        (bmp->*stars[size])(x, y, c);
        break;
    }
}
