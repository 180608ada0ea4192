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
constexpr int kHintHideMilliseconds = 5000;
// The hint window opens this far below the pointer, clear of the cursor's shape.
constexpr int kHintBelowPointer = 20;

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

TEkButton::TEkButton(QWidget* parent) : TEkCustomControl(parent), hintTimer_(new QTimer(this)) {
    resize(90, 32);
    setFocusPolicy(Qt::TabFocus);
    hintTimer_->setSingleShot(true);
    connect(hintTimer_, &QTimer::timeout, this, &TEkButton::hideHint);
    focusLink_ = connect(qApp, &QApplication::focusChanged, this, &TEkButton::applicationFocusChanged);
    watchWindow();
}

TEkButton::~TEkButton() {
    // QWidget's destructor moves the focus on while this part of the object is gone already.
    disconnect(focusLink_);
    if (watchedWindow_)
        watchedWindow_->removeEventFilter(this);
    if (action_)
        action_->removeEventFilter(this);
}

// --- look --------------------------------------------------------------------------------------

void TEkButton::setButtonStyle(TEkButtonStyle value) {
    if (setAndRepaint(*this, buttonStyle_, value) && value != bstButton)
        setAlive(true);
}

void TEkButton::setAlive(bool value) {
    TEkCustomControl::setAlive(value);
    if (!value)
        buttonStyle_ = bstButton;
    update();
}

void TEkButton::setPipeShadow(int value) {
    setAndRepaint(*this, pipeShadow_, value);
}
void TEkButton::setPipeGradient(bool value) {
    setAndRepaint(*this, pipeGradient_, value);
}

// Always applied, even to the same colour: it resets the colours it derives.
void TEkButton::setClAutoDark(TColor c) {
    clAutoDark_ = c;
    clHotDark_ = c;
    clDisabDark_ = greyOf(c);
    THslColor hsl;
    colorToHsl(hsl, c);
    hsl.saturation = uint8_t(hsl.saturation - hsl.saturation / 3);
    clDimmedDark_ = hslToColor(hsl);
    update();
}

void TEkButton::setClAutoLight(TColor c) {
    clAutoLight_ = c;
    clHotLight_ = c;
    clDisabLight_ = greyOf(c);
    THslColor hsl;
    colorToHsl(hsl, c);
    hsl.saturation = uint8_t(hsl.saturation / 3);
    hsl.lightness = uint8_t(hsl.lightness - hsl.lightness / 15);
    clDimmedLight_ = hslToColor(hsl);
    update();
}

void TEkButton::setClDimmedDark(TColor c) {
    setAndRepaint(*this, clDimmedDark_, c);
}
void TEkButton::setClDimmedLight(TColor c) {
    setAndRepaint(*this, clDimmedLight_, c);
}
void TEkButton::setClDisabDark(TColor c) {
    setAndRepaint(*this, clDisabDark_, c);
}
void TEkButton::setClDisabLight(TColor c) {
    setAndRepaint(*this, clDisabLight_, c);
}
void TEkButton::setClHotDark(TColor c) {
    setAndRepaint(*this, clHotDark_, c);
}
void TEkButton::setClHotLight(TColor c) {
    setAndRepaint(*this, clHotLight_, c);
}
void TEkButton::setClSelDownDark(TColor c) {
    setAndRepaint(*this, clSelDownDark_, c);
}
void TEkButton::setClSelDownLight(TColor c) {
    setAndRepaint(*this, clSelDownLight_, c);
}
void TEkButton::setFontClDisabled(TColor c) {
    setAndRepaint(*this, fontClDisabled_, c);
}
void TEkButton::setFontClDown(TColor c) {
    setAndRepaint(*this, fontClDown_, c);
}
void TEkButton::setFontClHot(TColor c) {
    setAndRepaint(*this, fontClHot_, c);
}
void TEkButton::setFontClDimmed(TColor c) {
    setAndRepaint(*this, fontClDimmed_, c);
}
void TEkButton::setFocusStyle(TEkFocusStyle value) {
    setAndRepaint(*this, focusStyle_, value);
}
void TEkButton::setFocusColor(TColor c) {
    setAndRepaint(*this, focusColor_, c);
}
void TEkButton::setMarkShow(bool value) {
    setAndRepaint(*this, markShow_, value);
}
void TEkButton::setMarkColor(TColor c) {
    setAndRepaint(*this, markColor_, c);
}
void TEkButton::setMarkPos(TEkPosInRect value) {
    setAndRepaint(*this, markPos_, value);
}
void TEkButton::setMarkShape(TEkShape value) {
    setAndRepaint(*this, markShape_, value);
}
void TEkButton::setMarkSize(TEkThreeSizes value) {
    setAndRepaint(*this, markSize_, value);
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
    if (down_)
        return tbtPressed;
    if (mouseDown_)
        return mouseOutside_ ? tbtHot : tbtPressed;
    if (isHot())
        return tbtHot;
    if ((hasFocus() || isDefault_) && focusStyle_ == tfsHalfHot)
        return tbtHalfHot;
    return tbtNormal;
}

TEkButtonFace TEkButton::faceFor(TEkButtonState state) const {
    switch (state) {
    case tbtNormal:
        return Alive() ? TEkButtonFace{true, clDimmedLight_, clDimmedDark_}
                       : TEkButtonFace{true, clHotLight_, clHotDark_};
    case tbtHot:
        return {true, clHotLight_, clHotDark_};
    case tbtHalfHot:
        return {true, TEkColor::halfMix(clHotLight_, clDimmedLight_),
                TEkColor::halfMix(clHotDark_, clDimmedDark_)};
    case tbtPressed:
        return down_ ? TEkButtonFace{false, clSelDownLight_, clSelDownDark_}
                     : TEkButtonFace{false, clHotLight_, clHotDark_};
    case tbtDisabled:
        break;
    }
    return {true, clDisabLight_, clDisabDark_};
}

TColor TEkButton::captionColour(TEkButtonState state) const {
    switch (state) {
    case tbtNormal:
        return Alive() ? fontClDimmed_ : fontClHot_;
    case tbtHot:
        return fontClHot_;
    case tbtHalfHot:
        return fontClDimmed_;
    case tbtPressed:
        return fontClDown_;
    case tbtDisabled:
        break;
    }
    return fontClDisabled_;
}

// --- caption and hint ------------------------------------------------------------------------

void TEkButton::setCaption(const QString& text) {
    if (!setAndRepaint(*this, caption_, text, &layoutDirty_))
        return;
    // The first kind of marker present decides where the line breaks begin.
    qsizetype at = -1;
    for (const char* marker : {"\u00A4\u00A4", "||", "**"})
        if ((at = caption_.indexOf(QString::fromUtf8(marker))) >= 0)
            break;
    markerPos_ = int(at + 1);
    updateAccelerator();
}

void TEkButton::setShowCaption(bool value) {
    setAndRepaint(*this, showCaption_, value, &layoutDirty_);
}

QString TEkButton::brokenCaption() const {
    QString text = caption_;
    if (markerPos_ > 0)
        replaceLineBreakMarkers(text, markerPos_ - 1);
    return text;
}

void TEkButton::updateAccelerator() {
    if (acceleratorId_)
        releaseShortcut(acceleratorId_);
    acceleratorId_ = 0;
    const QKeySequence key = QKeySequence::mnemonic(caption_);
    if (!key.isEmpty())
        acceleratorId_ = grabShortcut(key);
}

QLabel* TEkButton::hintWindow() const {
    return hintLabel_ && hintLabel_->isVisible() ? hintLabel_.data() : nullptr;
}

void TEkButton::showHint(const QPoint& globalPos) {
    QString text = hint_;
    replaceLineBreakMarkers(text);
    if (!hintLabel_) {
        // A window of our own: QToolTip's palette is shared by the whole application.
        hintLabel_ = new QLabel(this, Qt::ToolTip | Qt::FramelessWindowHint);
        hintLabel_->setTextFormat(Qt::PlainText);
        hintLabel_->setFrameStyle(QFrame::Box | QFrame::Plain);
        hintLabel_->setMargin(2);
        hintLabel_->setAutoFillBackground(true);
        QPalette palette = hintLabel_->palette();
        palette.setColor(QPalette::Window, toQColor(kHintColor));
        palette.setColor(QPalette::WindowText, toQColor(clWindowText));
        hintLabel_->setPalette(palette);
    }
    hintLabel_->setText(lfLineBreaks(text));
    hintLabel_->adjustSize();
    hintLabel_->move(globalPos + QPoint(0, kHintBelowPointer));
    hintLabel_->show();
    hintTimer_->start(kHintHideMilliseconds);
}

void TEkButton::hideHint() {
    hintTimer_->stop();
    if (hintLabel_)
        hintLabel_->hide();
}

// --- images ------------------------------------------------------------------------------------

void TEkButton::setImages(TImageList* list) {
    if (list == images_)
        return;
    images_.attach(
        list, this, [this] { update(); }, [this] { imagesReplaced(); });
    imagesReplaced();
}

void TEkButton::imagesReplaced() {
    layoutDirty_ = true;
    update();
}

void TEkButton::changeImageIndex(int& field, int value) {
    // The image enters or leaves the layout. Every negative index means none, so the test is
    // the sign, not -1 alone: from -2 to 0 the image arrives too.
    const bool imageComesOrGoes = (field >= 0) != (value >= 0);
    setAndRepaint(*this, field, value, imageComesOrGoes ? &layoutDirty_ : nullptr);
}

void TEkButton::setImageIndex(int value) {
    changeImageIndex(imageIndex_, value);
}
void TEkButton::setImageIndexHot(int value) {
    changeImageIndex(imageIndexHot_, value);
}
void TEkButton::setImageIndexPressed(int value) {
    changeImageIndex(imageIndexPressed_, value);
}
void TEkButton::setImageIndexDisabled(int value) {
    changeImageIndex(imageIndexDisabled_, value);
}

bool TEkButton::weHaveImageIndex() const {
    return getAnImageIndex() >= 0;
}

int TEkButton::getAnImageIndex() const {
    for (int index : {imageIndex_, imageIndexHot_, imageIndexPressed_, imageIndexDisabled_})
        if (index >= 0)
            return index;
    return -1;
}

int TEkButton::getImageIndex(TEkButtonState state) const {
    const int index = state == tbtHot        ? imageIndexHot_
                      : state == tbtPressed  ? imageIndexPressed_
                      : state == tbtDisabled ? imageIndexDisabled_
                                             : imageIndex_;
    return index >= 0 ? index : getAnImageIndex();
}

void TEkButton::setImageAlignment(TEkImageAlignment value) {
    setAndRepaint(*this, imageAlignment_, value, &layoutDirty_);
}
void TEkButton::setLayoutStyle(TEkLayoutStyle value) {
    setAndRepaint(*this, layoutStyle_, value, &layoutDirty_);
}
void TEkButton::setImageMargins(const QMargins& value) {
    setAndRepaint(*this, imageMargins_, value, &layoutDirty_);
}

// --- groups, keys and clicks -----------------------------------------------------------------

void TEkButton::setDown(bool value) {
    if (value == down_)
        return;
    if (groupIndex_ == 0)
        value = false;
    // A down member of a group comes up only when another goes down.
    if (down_ && !allowAllUp_)
        return;
    down_ = value;
    update();
    if (down_)
        updateExclusiveDown();
}

// A changed group setting brings the group in line with it.
void TEkButton::setGroupIndex(int value) {
    if (setAndRepaint(*this, groupIndex_, value))
        updateExclusiveDown();
}

void TEkButton::setAllowAllUp(bool value) {
    if (setAndRepaint(*this, allowAllUp_, value))
        updateExclusiveDown();
}

void TEkButton::updateExclusiveDown() {
    if (groupIndex_ == 0 || !parentWidget())
        return;
    for (QObject* child : parentWidget()->children())
        if (auto* button = qobject_cast<TEkButton*>(child))
            button->ExternButtenIsDown(this, groupIndex_);
}

void TEkButton::ExternButtenIsDown(TEkButton* sender, int group) {
    if (sender == this || groupIndex_ != group)
        return;
    if (sender->down_ && down_) {
        down_ = false;
        if (action_)
            action_->setChecked(false);
        update();
    }
    allowAllUp_ = sender->allowAllUp_;
}

void TEkButton::setDefault(bool value) {
    if (setAndRepaint(*this, isDefault_, value))
        enterActive_ = value;
}

void TEkButton::setTabStop(bool value) {
    setFocusPolicy(value ? Qt::TabFocus : Qt::NoFocus);
}

void TEkButton::Click() {
    const QPointer<TEkButton> self(this);
    if (groupIndex_ != 0)
        setDown(!down_);
    if (modalResult_ != tmrNone && window() != this)
        if (auto* dialog = qobject_cast<QDialog*>(window()))
            dialog->done(int(modalResult_));
    if (self)
        emit clicked();
    if (self && action_ && action_->isEnabled())
        action_->trigger();
}

void TEkButton::applicationFocusChanged(QWidget*, QWidget* now) {
    // Only a focus change within the button's own window counts.
    if (!now || now->window() != window() || window() == this)
        return;
    enterActive_ = qobject_cast<TEkButton*>(now) ? now == this : isDefault_;
    update();
}

void TEkButton::watchWindow() {
    QWidget* top = window() == this ? nullptr : window();
    if (top == watchedWindow_)
        return;
    if (watchedWindow_)
        watchedWindow_->removeEventFilter(this);
    watchedWindow_ = top;
    // Keys reach the window's filters only after the widgets below it let them pass.
    if (top)
        top->installEventFilter(this);
}

bool TEkButton::eventFilter(QObject* watched, QEvent* event) {
    if (watched == watchedWindow_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        const bool escape = key->key() == Qt::Key_Escape && cancel_;
        const bool enter = (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && enterActive_;
        if (plain && (escape || enter) && canFocus()) {
            Click();
            return true;
        }
    } else if (watched == action_ && event->type() == QEvent::DynamicPropertyChange &&
               static_cast<QDynamicPropertyChangeEvent*>(event)->propertyName() ==
                   kActionImageIndexProperty) {
        updateFromAction();
    }
    return TEkCustomControl::eventFilter(watched, event);
}

// --- action ------------------------------------------------------------------------------------

void TEkButton::setAction(QAction* value) {
    if (value == action_)
        return;
    if (action_)
        action_->removeEventFilter(this);
    disconnect(actionChangedLink_);
    action_ = value;
    if (!value)
        return;
    actionChangedLink_ = connect(value, &QAction::changed, this, [this] { updateFromAction(); });
    value->installEventFilter(this);
    updateFromAction(true);
}

void TEkButton::updateFromAction(bool assigning) {
    if (!action_)
        return;
    setCaption(action_->text());
    setHint(action_->toolTip());
    const QVariant property = action_->property(kActionImageIndexProperty);
    const int index = property.isValid() ? property.toInt() : -1;
    if (assigning || imageIndex_ == actionImageIndex_)
        setImageIndex(index);
    actionImageIndex_ = index;
    followActionState(this, action_);
}

// --- events ------------------------------------------------------------------------------------

bool TEkButton::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::ParentChange:
        watchWindow();
        break;
    case QEvent::Shortcut:
        if (static_cast<QShortcutEvent*>(event)->shortcutId() == acceleratorId_) {
            if (canFocus())
                Click();
            return true;
        }
        break;
    case QEvent::ToolTip:
        if (!hint_.isEmpty())
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
        layoutDirty_ = true;
        update();
    } else if (event->type() == QEvent::EnabledChange) {
        // A press whose release goes to nobody must not leave the button pressed.
        if (!isEnabled())
            mouseDown_ = mouseOutside_ = leftPressed_ = false;
        update();
    }
}

void TEkButton::showEvent(QShowEvent* event) {
    TEkCustomControl::showEvent(event);
    watchWindow();
}

void TEkButton::hideEvent(QHideEvent* event) {
    TEkCustomControl::hideEvent(event);
    mouseDown_ = mouseOutside_ = leftPressed_ = false;
    hideHint();
}

void TEkButton::leaveEvent(QEvent* event) {
    TEkCustomControl::leaveEvent(event);
    hideHint();
}

void TEkButton::mousePressEvent(QMouseEvent* event) {
    hideHint();
    mouseDown_ = true;
    mouseOutside_ = false;
    if (event->button() == Qt::LeftButton)
        leftPressed_ = true;
    if (TabStop())
        setFocus(Qt::MouseFocusReason);
    update();
}

void TEkButton::mouseMoveEvent(QMouseEvent* event) {
    if (!mouseDown_)
        return;
    const QPoint p = event->position().toPoint();
    const bool outside = !MouseIsIn(p.x(), p.y());
    if (outside != mouseOutside_) {
        mouseOutside_ = outside;
        update();
    }
}

void TEkButton::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    const bool click = event->button() == Qt::LeftButton && leftPressed_ && MouseIsIn(p.x(), p.y());
    if (event->button() == Qt::LeftButton)
        leftPressed_ = false;
    mouseDown_ = false;
    mouseOutside_ = false;
    update();
    if (click)
        Click();
}

void TEkButton::PrepareBitmaps(int, int) {
    UpdateBmpFont();
    layoutDirty_ = true;
}

// --- layout ------------------------------------------------------------------------------------

void TEkButton::centerRectHorizontal(TRect& r) const {
    offsetRect(r, (width() - r.width()) / 2, 0);
}

void TEkButton::centerRectVertical(TRect& r) const {
    offsetRect(r, 0, (height() - r.height()) / 2);
}

void TEkButton::moveByLayout(TRect& image, TRect& text, int dx, int dy) const {
    if (layoutStyle_ == tlsTextFolowImage)
        return;
    offsetRect(text, dx, dy);
    if (layoutStyle_ == tlsCenterTextAndImageClose)
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
    const QMargins& m = imageMargins_;
    TRect image;
    if (images_ && weHaveImageIndex())
        image =
            TRect(0, 0, images_->width() + m.left() + m.right(), images_->height() + m.top() + m.bottom());
    TRect text;
    if (showCaption_ && !caption_.isEmpty()) {
        const bool beside = imageAlignment_ == tiaLeft || imageAlignment_ == tiaRight;
        text = TRect(0, 0, beside ? width() - image.width() : width(), 0);
        bmp->calcTextRect(text, brokenCaption(), markerPos_ == 0);
    }
    switch (imageAlignment_) {
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
    captionRect_ = text;
    imageRect_ =
        TRect(image.left + m.left(), image.top + m.top(), image.right - m.right(), image.bottom - m.bottom());
    layoutDirty_ = false;
}

// --- painting ----------------------------------------------------------------------------------

void TEkButton::EkPaint(TEkBmp* bmp, TRect rect) {
    TEkCustomControl::EkPaint(bmp, rect);
    if (layoutDirty_)
        calculateRects(bmp);
    paintedState_ = getButtonState();
    if (buttonStyle_ == bstButton || (buttonStyle_ == bstFlatAndButton && paintedState_ != tbtNormal))
        paintButton(bmp, rect);
    else
        paintButtonFlat(bmp, rect);
    if (showCaption_ && !caption_.isEmpty())
        paintCaption(bmp, rect);
    paintFocusIndicator(bmp, rect);
    paintMarker(bmp, rect);
}

void TEkButton::paintButton(TEkBmp* bmp, TRect& rect) {
    const TEkButtonFace face = faceFor(paintedState_);
    const auto paint = face.framed ? &TEkBmp::paintButtonFaceFramed : &TEkBmp::paintButtonFace;
    (bmp->*paint)(uint8_t(pipeShadow_), pipeGradient_, rect, face.light, face.dark);
    paintImage(bmp);
}

void TEkButton::paintButtonFlat(TEkBmp* bmp, TRect& rect) {
    paintImage(bmp);
    if (paintedState_ == tbtHot)
        bmp->drawGlassFace(rect);
    else if (paintedState_ == tbtPressed)
        bmp->drawShadedFace(rect);
}

void TEkButton::paintImage(TEkBmp* bmp) {
    if (!images_)
        return;
    const int index = getImageIndex(paintedState_);
    if (index < 0)
        return;
    if (autoGrayDisabled_ || paintedState_ == tbtDisabled) {
        TEkBmp grey(images_->width(), images_->height());
        if (grey.copyFromImageList(images_, index)) {
            grey.makeGrey();
            grey.drawTo(bmp, imageRect_.left, imageRect_.top, bmAlphaBlend);
        }
        return;
    }
    // A pressed button's image sinks by a pixel; a button that stays down keeps it at rest.
    const int sink = paintedState_ == tbtPressed && !down_ ? 1 : 0;
    images_->draw(*bmp, imageRect_.left, imageRect_.top + sink, index);
}

void TEkButton::paintCaption(TEkBmp* bmp, TRect&) {
    unsigned format = DT_CENTER;
    if (markerPos_ == 0)
        format |= DT_SINGLELINE;
    // Pressed, the text starts a pixel lower but keeps the layout's bottom edge, which clips it.
    TRect r = captionRect_;
    if (paintedState_ == tbtPressed)
        r.top += 1;
    bmp->drawCaption(lfLineBreaks(brokenCaption()), format, r, captionColour(paintedState_));
}

void TEkButton::paintFocusIndicator(TEkBmp* bmp, TRect rect) {
    if (!hasFocus() && !isDefault_)
        return;
    const int dy = paintedState_ == tbtPressed ? 6 : 5;
    switch (focusStyle_) {
    case tfsDottetRect:
        inflateRect(rect, -2, -2);
        bmp->drawFocusRect(rect);
        break;
    case tfsColorRect:
        inflateRect(rect, -2, -2);
        bmp->drawFocusFrame(rect, tColorToPixel(focusColor_));
        break;
    case tfsColorMark:
        bmp->drawCircleMark9(rect.right - 14, rect.top + dy, focusColor_);
        break;
    case tfsStar:
        bmp->drawStarMark13(rect.right - 17, rect.top + dy - 1, focusColor_);
        break;
    case tfsNone:
    case tfsHalfHot:
        break;
    }
}

void TEkButton::findMarkerPos(int& x, int& y, const TRect& r) const {
    int n = 7 + 2 * std::clamp(int(markSize_), 0, 2);
    int e = 6;
    if (markShape_ == tasDiamond || markShape_ == tasStar) {
        n += 2;
        e = 5;
    }
    x = markPos_ == pirUpRight || markPos_ == pirDownRight ? r.right - (e + n) : r.left + e;
    y = markPos_ == pirDownRight || markPos_ == pirDownLeft ? r.bottom - (e + n) : r.top + e;
}

void TEkButton::paintMarker(TEkBmp* bmp, TRect& rect) {
    if (!markShow_)
        return;
    int x = 0, y = 0;
    findMarkerPos(x, y, rect);
    if (paintedState_ == tbtPressed)
        ++y;
    using Mark = void (TEkBmp::*)(int, int, TEkColor);
    static constexpr Mark kCircles[] = {&TEkBmp::drawCircleMark7, &TEkBmp::drawCircleMark9,
                                        &TEkBmp::drawCircleMark11};
    static constexpr Mark kDiamonds[] = {&TEkBmp::drawDiamondMark9, &TEkBmp::drawDiamondMark11,
                                         &TEkBmp::drawDiamondMark13};
    static constexpr Mark kStars[] = {&TEkBmp::drawStarMark9, &TEkBmp::drawStarMark11,
                                      &TEkBmp::drawStarMark13};
    const int size = std::clamp(int(markSize_), 0, 2);
    const TEkColor c(markColor_);
    switch (markShape_) {
    case tasCircle:
        (bmp->*kCircles[size])(x, y, c);
        break;
    case tasSquare: {
        const int n = 7 + 2 * size;
        bmp->fillRectCutCorners(TRect(x, y, x + n, y + n), c);
        break;
    }
    case tasDiamond:
        (bmp->*kDiamonds[size])(x, y, c);
        break;
    case tasStar:
        (bmp->*kStars[size])(x, y, c);
        break;
    }
}
