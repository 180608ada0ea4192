#include "controls/EkGradiLabel.h"

#include "controls/ImgList.h"
#include "controls/Setters.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDynamicPropertyChangeEvent>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <algorithm>

namespace {

constexpr int kDefaultWidth = 81;
constexpr int kDefaultHeight = 23;

// Point size of a font that may have been given in pixels.
int fontPointSize(const QFont& font) {
    if (font.pointSize() > 0)
        return font.pointSize();
    // points = pixels * 72 / pixels-per-inch, rounded
    return std::max(1, (font.pixelSize() * 72 + kFontPixelsPerInch / 2) / kFontPixelsPerInch);
}

void relayoutParent(QWidget* w) {
    if (managedByLayout(w))
        w->parentWidget()->layout()->invalidate();
}

} // namespace

void setActionImageIndex(QAction* action, int index) {
    if (action)
        action->setProperty(kActionImageIndexProperty, index);
}

void followActionState(QWidget* control, const QAction* action) {
    if (action->isEnabled() != control->isEnabled())
        control->setEnabled(action->isEnabled());
    if (!action->isVisible())
        control->hide();
    else if (control->isHidden() && control->testAttribute(Qt::WA_WState_ExplicitShowHide))
        control->show();
}

void fillGradyStyle(TEkBmp& bmp, TEkGradyStyle style, uint8_t pipeShadow, TEkColor light, TEkColor dark) {
    const TRect bounds = bmp.boundsRect();
    const bool vertical = style == agsVertGradi || style == agsVertPipe;
    if (style == agsVertGradi || style == agsHorzGradi)
        bmp.gradientFill(vertical, bounds, light, dark);
    else if (style == agsVertPipe || style == agsHorzPipe)
        bmp.pipeFill(vertical, pipeShadow, bounds, light, dark, false);
    else
        bmp.fill(dark);
}

bool managedByLayout(const QWidget* w) {
    const QWidget* parent = w->parentWidget();
    return parent && parent->layout() && parent->layout()->indexOf(w) >= 0;
}

QPoint placeImageBesideCaption(TRect& r, TAlignment alignment, bool imageRight, QSize imageSize,
                               int textWidth, int gap) {
    const int imageWidth = imageSize.width();
    const int total = imageWidth + (textWidth != 0 ? textWidth + gap : 0);
    if (alignment == taRightJustify) {
        r.left = r.right - total;
    } else if (alignment == taCenter) {
        r.left += (r.width() - total) / 2;
        r.right = r.left + total;
    } else {
        r.right = r.left + total;
    }
    TRect imageRect = r;
    if (imageRight) {
        imageRect.left = imageRect.right - imageWidth;
        r.right = imageRect.left - gap;
    } else {
        imageRect.right = imageRect.left + imageWidth;
        r.left = imageRect.right + gap;
    }
    return QPoint(imageRect.left, imageRect.top + (imageRect.height() - imageSize.height()) / 2);
}

// --- construction -----------------------------------------------------------------------------

TEkGradiLabel::TEkGradiLabel(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    resize(kDefaultWidth, kDefaultHeight);
}

TEkGradiLabel::~TEkGradiLabel() {
    if (action_)
        action_->removeEventFilter(this);
}

void TEkGradiLabel::Loaded() {
    if (loaded_)
        return;
    loaded_ = true;
    adjustBounds();
}

// --- property setters -----------------------------------------------------------------------

void TEkGradiLabel::setGradiantDark(TColor c) {
    setAndRepaint(*this, clGradiDark_, c, &dirty_);
}
void TEkGradiLabel::setGradiantLight(TColor c) {
    setAndRepaint(*this, clGradiLight_, c, &dirty_);
}
void TEkGradiLabel::setFontColor(TColor c) {
    setAndRepaint(*this, fontColor_, c, &dirty_);
}
void TEkGradiLabel::setGradiStyle(TEkGradyStyle style) {
    setAndRepaint(*this, gradiStyle_, style, &dirty_);
}
void TEkGradiLabel::setAlignment(TAlignment value) {
    setAndRepaint(*this, alignment_, value, &dirty_);
}

// The auto-size and margin setters also repaint, so that a change shows even when the size
// stays the same.
void TEkGradiLabel::setAutoSize(bool value) {
    if (setAndRepaint(*this, autoSize_, value, &dirty_))
        adjustBounds();
}
void TEkGradiLabel::setTextMarginHorz(int value) {
    if (setAndRepaint(*this, marginTextHorz_, value, &dirty_))
        adjustBounds();
}
void TEkGradiLabel::setTextMarginVert(int value) {
    if (setAndRepaint(*this, marginTextVert_, value, &dirty_))
        adjustBounds();
}
void TEkGradiLabel::setMarginImage(int value) {
    if (setAndRepaint(*this, marginImage_, value, &dirty_))
        adjustBounds();
}

void TEkGradiLabel::setPipeShadow(int value) {
    setAndRepaint(*this, pipeShadow_, std::clamp(value, 0, 255), &dirty_);
}

void TEkGradiLabel::setAlive(bool value) {
    if (setAndRepaint(*this, alive_, value, &dirty_) && !value)
        state_ = 0;
}

void TEkGradiLabel::setAlign(TAlign value) {
    if (!assignChanged(align_, value))
        return;
    adjustBounds();
    relayoutParent(this);
}

void TEkGradiLabel::setCaption(const QString& text) {
    if (setAndRepaint(*this, caption_, text, &dirty_))
        adjustBounds();
}

void TEkGradiLabel::setImages(TImageList* list) {
    if (list == images_)
        return;
    images_.attach(
        list, this, [this] { ImagesChanged(); }, [this] { ImagesChanged(); });
    ImagesChanged();
}

void TEkGradiLabel::ImagesChanged() {
    // The image list's size takes part in the auto-size and the picture.
    dirty_ = true;
    adjustBounds();
    update();
}

void TEkGradiLabel::setImageIndex(int index) {
    setAndRepaint(*this, imageIndex_, index, &dirty_);
}
void TEkGradiLabel::setImageDisabledIndex(int index) {
    setAndRepaint(*this, imageDisabledIndex_, index, &dirty_);
}
void TEkGradiLabel::setImagePos(TEkImagePos pos) {
    setAndRepaint(*this, imagePos_, pos, &dirty_);
}

void TEkGradiLabel::setLabelBefore(TEkGradiLabel* label) {
    linkNeighbour(labelBefore_, labelBeforeLink_, label);
}

void TEkGradiLabel::setLabelAfter(TEkGradiLabel* label) {
    linkNeighbour(labelAfter_, labelAfterLink_, label);
}

void TEkGradiLabel::linkNeighbour(QPointer<TEkGradiLabel>& slot, QMetaObject::Connection& link,
                                  TEkGradiLabel* label) {
    if (!setAndRepaint(*this, slot, label, &dirty_))
        return;
    disconnect(link);
    if (label)
        link = connect(label, &QObject::destroyed, this, [this, &slot] {
            slot = nullptr;
            dirty_ = true;
            update();
        });
}

// --- action -----------------------------------------------------------------------------------

void TEkGradiLabel::setAction(QAction* value) {
    if (value == action_)
        return;
    if (action_)
        action_->removeEventFilter(this);
    disconnect(actionChangedLink_);
    disconnect(actionDestroyedLink_);
    action_ = value;
    if (!value)
        return;
    actionChangedLink_ = connect(value, &QAction::changed, this, &TEkGradiLabel::updateFromAction);
    actionDestroyedLink_ = connect(value, &QObject::destroyed, this, [this] {
        action_ = nullptr;
        disconnect(actionChangedLink_);
        disconnect(actionDestroyedLink_);
    });
    value->installEventFilter(this);
    updateFromAction();
}

void TEkGradiLabel::updateFromAction() {
    if (!action_)
        return;
    setCaption(action_->text());
    setToolTip(action_->toolTip());
    const QVariant index = action_->property(kActionImageIndexProperty);
    if (index.isValid() && index.toInt() >= 0)
        setImageIndex(index.toInt());
    followActionState(this, action_);
}

bool TEkGradiLabel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == action_ && event->type() == QEvent::DynamicPropertyChange &&
        static_cast<QDynamicPropertyChangeEvent*>(event)->propertyName() == kActionImageIndexProperty)
        updateFromAction();
    return QWidget::eventFilter(watched, event);
}

void TEkGradiLabel::click() {
    QPointer<TEkGradiLabel> self(this);
    emit clicked();
    if (self && action_ && action_->isEnabled())
        action_->trigger();
}

// --- measuring and sizing ---------------------------------------------------------------------

void TEkGradiLabel::transferFont() {
    const QFont f = font();
    bitmap_->setFont(f.family(), fontPointSize(f), TEkBmp::fontStyleBits(f), kFontPixelsPerInch);
}

TRect TEkGradiLabel::measureCaption() {
    TRect textRect(0, 0, 0, 0);
    if (caption_.isEmpty())
        return textRect;
    if (bitmap_->hasDc()) {
        bitmap_->calcTextRect(textRect, caption_, false);
        return textRect;
    }
    // A label of no size has no bitmap to measure with; it still learns its caption's extent.
    TEkBmp stand(1, 1);
    const QFont f = font();
    stand.setFont(f.family(), fontPointSize(f), TEkBmp::fontStyleBits(f), kFontPixelsPerInch);
    stand.calcTextRect(textRect, caption_, false);
    return textRect;
}

void TEkGradiLabel::adjustBounds() {
    if (!loaded_)
        return;
    if (!bitmap_) {
        bitmap_ = std::make_unique<TEkBmp>(width(), height());
        transferFont();
    }
    const TRect textRect = measureCaption();
    textWidth_ = textRect.width();
    textHeight_ = textRect.height();
    if (autoSize_ && align_ != alTop && align_ != alBottom && align_ != alClient) {
        int imageWidth = images_ ? images_->width() : 0;
        const int imageHeight = images_ ? images_->height() : 0;
        textHeight_ = std::max(textHeight_, imageHeight);
        if (imageWidth != 0)
            imageWidth += marginImage_;
        const int newWidth = imageWidth + textWidth_ + 2 * marginTextHorz_;
        const int newHeight = textHeight_ + 2 * marginTextVert_;
        autoSizeHint_ = QSize(newWidth, newHeight);
        // A layout places the label from its size hint; the docking layout leaves alNone alone.
        const bool placedByLayout =
            managedByLayout(this) &&
            !(align_ == alNone && qobject_cast<TEkDockLayout*>(parentWidget()->layout()));
        if (placedByLayout) {
            updateGeometry();
        } else if (alignment_ == taRightJustify) {
            setGeometry(x() + width() - newWidth, y(), newWidth, newHeight);
        } else {
            setGeometry(x(), y(), newWidth, newHeight);
        }
    } else {
        autoSizeHint_ = QSize();
        update();
    }
}

QSize TEkGradiLabel::sizeHint() const {
    return autoSizeHint_.isValid() ? autoSizeHint_ : size();
}

void TEkGradiLabel::resizeBitmap() {
    if (width() < 1 || height() < 1)
        return;
    bitmap_->setSize(width(), height(), false);
    transferFont();
}

// --- painting ---------------------------------------------------------------------------------

const TPixel* TEkGradiLabel::getScanLine(int row) const {
    if (!bitmap_)
        throw EInvalidGraphicOperation(QStringLiteral("No DibSection"));
    return static_cast<const TEkBmp&>(*bitmap_).scanLine(row);
}

void TEkGradiLabel::paintBitmap() {
    if (bitmap_->width() != width() || bitmap_->height() != height())
        resizeBitmap();

    TColor light = clGradiLight_;
    TColor dark = clGradiDark_;
    TColor textColour = fontColor_;
    int index = imageIndex_;
    switch (state_) {
    case 1:
        light = clHotLight_;
        dark = clHotDark_;
        textColour = clFontHot_;
        if (imageHotIndex_ > -1)
            index = imageHotIndex_;
        break;
    case 2:
        light = clPressLight_;
        dark = clPressDark_;
        textColour = clFontPressed_;
        if (imagePressedIndex_ > -1)
            index = imagePressedIndex_;
        break;
    case 3:
        light = clDisableLight_;
        dark = clDisableDark_;
        textColour = clFontDisable_;
        if (imageDisabledIndex_ > -1)
            index = imageDisabledIndex_;
        break;
    default:
        break;
    }
    bitmap_->setTextColor(TEkColor(textColour));

    fillGradyStyle(*bitmap_, gradiStyle_, uint8_t(pipeShadow_), TEkColor(light), TEkColor(dark));

    TRect r(0, 0, width(), height());
    if (marginTextVert_ != 0 || marginTextHorz_ != 0)
        inflateRect(r, -marginTextHorz_, -marginTextVert_);

    if (images_ && index > -1) {
        const QPoint at =
            placeImageBesideCaption(r, alignment_, imagePos_ == aipRight,
                                    QSize(images_->width(), images_->height()), textWidth_, marginImage_);
        images_->draw(*bitmap_, at.x(), at.y(), index);
    }

    if (!caption_.isEmpty() && (labelType_ == altLabel || labelType_ == altButton)) {
        const unsigned horizontal =
            alignment_ == taRightJustify ? DT_RIGHT : (alignment_ == taCenter ? DT_CENTER : DT_LEFT);
        bitmap_->setBkTransparent(true);
        bitmap_->drawText(caption_, horizontal | DT_VCENTER | DT_SINGLELINE, r);
    }
    dirty_ = false;
}

void TEkGradiLabel::paintButtonDownEdge(QPainter& painter) {
    const int w = width();
    const int h = height();
    // Left column and top row in the shadow colour; right column and bottom row in the light
    // colour, which wins the top-right and bottom-right pixels.
    const QColor shadow = toQColor(clButtonShadow_);
    const QColor light = toQColor(clButtonLight_);
    painter.fillRect(QRect(0, 1, 1, h - 1), shadow);
    painter.fillRect(QRect(0, 0, w - 1, 1), shadow);
    painter.fillRect(QRect(w - 1, 0, 1, h - 1), light);
    painter.fillRect(QRect(1, h - 1, w - 1, 1), light);
}

void TEkGradiLabel::paintEvent(QPaintEvent*) {
    if (width() < 1 || height() < 1)
        return;
    bool repainted = false;
    try {
        if (!loaded_) {
            // Painted before it was shown (grab, render): the auto-size must not resize from
            // inside a paint, so it runs once this paint is over.
            loaded_ = true;
            QMetaObject::invokeMethod(this, &TEkGradiLabel::adjustBounds, Qt::QueuedConnection);
        }
        if (!bitmap_) {
            bitmap_ = std::make_unique<TEkBmp>(width(), height());
            transferFont();
            textWidth_ = measureCaption().width();
        }
        // A size change of a hidden label arrives without a resize event: compare sizes too.
        const bool newLook = dirty_ || bitmap_->width() != width() || bitmap_->height() != height();
        if (newLook || paintedState_ != state_) {
            if (newLook)
                ++serial_;
            paintBitmap();
            repainted = true;
        }
        paintedState_ = state_;
        QPainter painter(this);
        if (buttonDown_ && labelType_ == altButton && mouseInside_) {
            bitmap_->bitBlt(painter, 0, 1);
            paintButtonDownEdge(painter);
        } else {
            bitmap_->bitBlt(painter, 0, 0);
        }
        emit paintOver(this, &painter);
    } catch (const EInvalidGraphicOperation& e) {
        qWarning("TEkGradiLabel: %s", qPrintable(e.message()));
    }
    if (repainted)
        emit bitmapPainted();
}

// --- events -------------------------------------------------------------------------------------

void TEkGradiLabel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    dirty_ = true;
}

void TEkGradiLabel::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    dirty_ = true;
    if (!loaded_)
        Loaded();
}

void TEkGradiLabel::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // The release of a press goes elsewhere once the label is hidden.
    dropPress();
}

void TEkGradiLabel::dropPress() {
    buttonDown_ = false;
    clickPending_ = false;
}

void TEkGradiLabel::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    switch (event->type()) {
    case QEvent::EnabledChange:
        state_ = (!isEnabled() && alive_) ? 3 : 0;
        // A disabled widget gets no mouse release: a pending press ends here, without a click.
        if (!isEnabled())
            dropPress();
        update();
        break;
    case QEvent::FontChange:
        // The new font reaches the bitmap at once, so the auto-size measures with it.
        if (bitmap_)
            transferFont();
        dirty_ = true;
        adjustBounds();
        update();
        break;
    default:
        break;
    }
}

void TEkGradiLabel::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    emit mouseEntered();
    if (isEnabled() && tracksMouse()) {
        state_ = alive_ ? 1 : 0;
        update();
    }
}

void TEkGradiLabel::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    emit mouseLeft();
    if (isEnabled() && tracksMouse()) {
        state_ = 0;
        update();
    }
}

void TEkGradiLabel::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    // The receivers hear of the move before the look changes.
    QPointer<TEkGradiLabel> self(this);
    emit mouseMoved(event->buttons(), event->modifiers(), event->position().toPoint());
    if (!self || !isEnabled() || !tracksMouse())
        return;
    const bool inside = rect().contains(event->position().toPoint());
    if (inside == mouseInside_)
        return;
    mouseInside_ = inside;
    if (buttonDown_) {
        state_ = (inside && alive_) ? 2 : 0;
        update();
    }
}

void TEkGradiLabel::mousePressEvent(QMouseEvent* event) {
    event->accept();
    const QPoint pos = event->position().toPoint();
    const bool left = event->button() == Qt::LeftButton;
    if (left) {
        clickPending_ = true;
        if (labelType_ == altButton) {
            buttonDown_ = true;
            mouseInside_ = rect().contains(pos);
            state_ = alive_ ? 2 : 0;
        }
    }
    QPointer<TEkGradiLabel> self(this);
    emit mouseDown(event->button(), event->modifiers(), pos);
    if (self && left && labelType_ == altButton)
        update();
}

void TEkGradiLabel::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    handleRelease(event->button(), event->modifiers(), event->position().toPoint());
}

void TEkGradiLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        QPointer<TEkGradiLabel> self(this);
        emit doubleClicked();
        if (!self)
            return;
    }
    mousePressEvent(event);
}

void TEkGradiLabel::contextMenuEvent(QContextMenuEvent* event) {
    QPointer<TEkGradiLabel> self(this);
    bool handled = false;
    emit contextPopup(event->pos(), &handled);
    // A label that is gone can pass nothing on.
    event->setAccepted(handled || !self);
}

void TEkGradiLabel::releaseWithoutClick() {
    if (!buttonDown_ && !clickPending_)
        return;
    // Released just below the label, where a release never clicks.
    handleRelease(Qt::LeftButton, Qt::NoModifier, QPoint(0, height() + 3));
}

void TEkGradiLabel::handleRelease(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos) {
    const bool left = button == Qt::LeftButton;
    const bool isClick = left && clickPending_ && rect().contains(pos);
    if (left) {
        clickPending_ = false;
        if (labelType_ == altButton) {
            buttonDown_ = false;
            state_ = alive_ ? 1 : 0;
        }
    }
    QPointer<TEkGradiLabel> self(this);
    emit mouseUp(button, modifiers, pos);
    if (self && isClick)
        click();
    if (self && left && labelType_ == altButton)
        update();
}

// --- docking layout -------------------------------------------------------------------------------

TEkDockLayout::TEkDockLayout(QWidget* parent) : QLayout(parent) {
    setContentsMargins(0, 0, 0, 0);
    setSpacing(0);
}

TEkDockLayout::~TEkDockLayout() {
    for (const Entry& entry : entries_)
        delete entry.item;
}

void TEkDockLayout::addWidget(QWidget* w, TAlign align) {
    addChildWidget(w);
    if (w->metaObject()->indexOfProperty("Align") >= 0)
        w->setProperty("Align", int(align));
    entries_.append({new QWidgetItem(w), align});
    invalidate();
}

void TEkDockLayout::addItem(QLayoutItem* item) {
    entries_.append({item, alNone});
    invalidate();
}

QLayoutItem* TEkDockLayout::itemAt(int index) const {
    return index >= 0 && index < entries_.size() ? entries_[index].item : nullptr;
}

QLayoutItem* TEkDockLayout::takeAt(int index) {
    if (index < 0 || index >= entries_.size())
        return nullptr;
    QLayoutItem* item = entries_[index].item;
    entries_.removeAt(index);
    invalidate();
    return item;
}

TAlign TEkDockLayout::alignOf(const Entry& entry) const {
    if (QWidget* w = entry.item->widget()) {
        const QVariant value = w->property("Align");
        if (value.isValid())
            return TAlign(value.toInt());
    }
    return entry.align;
}

QSize TEkDockLayout::sizeHint() const {
    int across = 0; // width taken by alLeft / alRight
    int rowHeight = 0;
    int stacked = 0; // height taken by alTop / alBottom
    int stackWidth = 0;
    for (const Entry& entry : entries_) {
        if (entry.item->isEmpty())
            continue;
        const QSize hint = entry.item->sizeHint();
        switch (alignOf(entry)) {
        case alTop:
        case alBottom:
            stacked += hint.height();
            stackWidth = std::max(stackWidth, hint.width());
            break;
        case alLeft:
        case alRight:
            across += hint.width();
            rowHeight = std::max(rowHeight, hint.height());
            break;
        case alClient:
            across += hint.width();
            rowHeight = std::max(rowHeight, hint.height());
            break;
        default:
            break;
        }
    }
    const QMargins m = contentsMargins();
    return QSize(std::max(across, stackWidth) + m.left() + m.right(),
                 stacked + rowHeight + m.top() + m.bottom());
}

QSize TEkDockLayout::minimumSize() const {
    // Docked widgets keep their widths: the bar is never narrower than its left and right rows.
    int across = 0;
    int stacked = 0;
    for (const Entry& entry : entries_) {
        if (entry.item->isEmpty())
            continue;
        const TAlign a = alignOf(entry);
        if (a == alLeft || a == alRight)
            across += entry.item->sizeHint().width();
        else if (a == alTop || a == alBottom)
            stacked += entry.item->sizeHint().height();
    }
    const QMargins m = contentsMargins();
    return QSize(across + m.left() + m.right(), stacked + m.top() + m.bottom());
}

void TEkDockLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    const QMargins m = contentsMargins();
    int left = rect.x() + m.left();
    int top = rect.y() + m.top();
    int right = rect.x() + rect.width() - m.right(); // exclusive
    int bottom = rect.y() + rect.height() - m.bottom();
    for (TAlign pass : {alTop, alBottom, alLeft, alRight, alClient}) {
        for (const Entry& entry : entries_) {
            if (entry.item->isEmpty() || alignOf(entry) != pass)
                continue;
            const QSize hint = entry.item->sizeHint();
            switch (pass) {
            case alTop:
                entry.item->setGeometry(QRect(left, top, right - left, hint.height()));
                top += hint.height();
                break;
            case alBottom:
                entry.item->setGeometry(QRect(left, bottom - hint.height(), right - left, hint.height()));
                bottom -= hint.height();
                break;
            case alLeft:
                entry.item->setGeometry(QRect(left, top, hint.width(), bottom - top));
                left += hint.width();
                break;
            case alRight:
                entry.item->setGeometry(QRect(right - hint.width(), top, hint.width(), bottom - top));
                right -= hint.width();
                break;
            default:
                entry.item->setGeometry(
                    QRect(left, top, std::max(0, right - left), std::max(0, bottom - top)));
                break;
            }
        }
    }
}
