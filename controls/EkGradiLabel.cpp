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

constexpr int defaultWidth = 81;
constexpr int defaultHeight = 23;

// Point size of a font that may have been given in pixels.
int fontPointSize(const QFont& font) {
    if (font.pointSize() > 0)
        return font.pointSize();
    // points = pixels * 72 / pixels-per-inch, rounded
    return std::max(1, (font.pixelSize() * 72 + fontPixelsPerInch / 2) / fontPixelsPerInch);
}

void relayoutParent(QWidget* w) {
    if (managedByLayout(w))
        w->parentWidget()->layout()->invalidate();
}

} // namespace

void setActionImageIndex(QAction* action, int index) {
    if (action)
        action->setProperty(actionImageIndexProperty, index);
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
    resize(defaultWidth, defaultHeight);
}

TEkGradiLabel::~TEkGradiLabel() {
    if (action)
        action->removeEventFilter(this);
}

void TEkGradiLabel::Loaded() {
    if (loaded)
        return;
    loaded = true;
    adjustBounds();
}

// --- property setters -----------------------------------------------------------------------

void TEkGradiLabel::setGradiantDark(TColor c) {
    setAndRepaint(*this, clGradiDark, c, &dirty);
}
void TEkGradiLabel::setGradiantLight(TColor c) {
    setAndRepaint(*this, clGradiLight, c, &dirty);
}
void TEkGradiLabel::setFontColor(TColor c) {
    setAndRepaint(*this, fontColor, c, &dirty);
}
void TEkGradiLabel::setGradiStyle(TEkGradyStyle style) {
    setAndRepaint(*this, gradiStyle, style, &dirty);
}
void TEkGradiLabel::setAlignment(TAlignment value) {
    setAndRepaint(*this, alignment, value, &dirty);
}

// The auto-size and margin setters also repaint, so that a change shows even when the size
// stays the same.
void TEkGradiLabel::setAutoSize(bool value) {
    if (setAndRepaint(*this, autoSize, value, &dirty))
        adjustBounds();
}
void TEkGradiLabel::setTextMarginHorz(int value) {
    if (setAndRepaint(*this, marginTextHorz, value, &dirty))
        adjustBounds();
}
void TEkGradiLabel::setTextMarginVert(int value) {
    if (setAndRepaint(*this, marginTextVert, value, &dirty))
        adjustBounds();
}
void TEkGradiLabel::setMarginImage(int value) {
    if (setAndRepaint(*this, marginImage, value, &dirty))
        adjustBounds();
}

void TEkGradiLabel::setPipeShadow(int value) {
    setAndRepaint(*this, pipeShadow, std::clamp(value, 0, 255), &dirty);
}

void TEkGradiLabel::setAlive(bool value) {
    if (setAndRepaint(*this, alive, value, &dirty) && !value)
        state = 0;
}

void TEkGradiLabel::setAlign(TAlign value) {
    if (!assignChanged(align, value))
        return;
    adjustBounds();
    relayoutParent(this);
}

void TEkGradiLabel::setCaption(const QString& text) {
    if (setAndRepaint(*this, caption, text, &dirty))
        adjustBounds();
}

void TEkGradiLabel::setImages(TImageList* list) {
    if (list == images)
        return;
    images.attach(
        list, this, [this] { ImagesChanged(); }, [this] { ImagesChanged(); });
    ImagesChanged();
}

void TEkGradiLabel::ImagesChanged() {
    // The image list's size takes part in the auto-size and the picture.
    dirty = true;
    adjustBounds();
    update();
}

void TEkGradiLabel::setImageIndex(int index) {
    setAndRepaint(*this, imageIndex, index, &dirty);
}
void TEkGradiLabel::setImageDisabledIndex(int index) {
    setAndRepaint(*this, imageDisabledIndex, index, &dirty);
}
void TEkGradiLabel::setImagePos(TEkImagePos pos) {
    setAndRepaint(*this, imagePos, pos, &dirty);
}

void TEkGradiLabel::setLabelBefore(TEkGradiLabel* label) {
    linkNeighbour(labelBefore, labelBeforeLink, label);
}

void TEkGradiLabel::setLabelAfter(TEkGradiLabel* label) {
    linkNeighbour(labelAfter, labelAfterLink, label);
}

void TEkGradiLabel::linkNeighbour(QPointer<TEkGradiLabel>& slot, QMetaObject::Connection& link,
                                  TEkGradiLabel* label) {
    if (!setAndRepaint(*this, slot, label, &dirty))
        return;
    disconnect(link);
    if (label)
        link = connect(label, &QObject::destroyed, this, [this, &slot] {
            slot = nullptr;
            dirty = true;
            update();
        });
}

// --- action -----------------------------------------------------------------------------------

void TEkGradiLabel::setAction(QAction* value) {
    if (value == action)
        return;
    if (action)
        action->removeEventFilter(this);
    disconnect(actionChangedLink);
    disconnect(actionDestroyedLink);
    action = value;
    if (!value)
        return;
    actionChangedLink = connect(value, &QAction::changed, this, &TEkGradiLabel::updateFromAction);
    actionDestroyedLink = connect(value, &QObject::destroyed, this, [this] {
        action = nullptr;
        disconnect(actionChangedLink);
        disconnect(actionDestroyedLink);
    });
    value->installEventFilter(this);
    updateFromAction();
}

void TEkGradiLabel::updateFromAction() {
    if (!action)
        return;
    setCaption(action->text());
    setToolTip(action->toolTip());
    const QVariant index = action->property(actionImageIndexProperty);
    if (index.isValid() && index.toInt() >= 0)
        setImageIndex(index.toInt());
    followActionState(this, action);
}

bool TEkGradiLabel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == action && event->type() == QEvent::DynamicPropertyChange &&
        static_cast<QDynamicPropertyChangeEvent*>(event)->propertyName() == actionImageIndexProperty)
        updateFromAction();
    return QWidget::eventFilter(watched, event);
}

void TEkGradiLabel::click() {
    QPointer<TEkGradiLabel> self(this);
    emit clicked();
    if (self && action && action->isEnabled())
        action->trigger();
}

// --- measuring and sizing ---------------------------------------------------------------------

void TEkGradiLabel::transferFont() {
    const QFont f = font();
    bitmap->setFont(f.family(), fontPointSize(f), TEkBmp::fontStyleBits(f), fontPixelsPerInch);
}

TRect TEkGradiLabel::measureCaption() {
    TRect textRect(0, 0, 0, 0);
    if (caption.isEmpty())
        return textRect;
    if (bitmap->hasDc()) {
        bitmap->calcTextRect(textRect, caption, false);
        return textRect;
    }
    // A label of no size has no bitmap to measure with; it still learns its caption's extent.
    TEkBmp stand(1, 1);
    const QFont f = font();
    stand.setFont(f.family(), fontPointSize(f), TEkBmp::fontStyleBits(f), fontPixelsPerInch);
    stand.calcTextRect(textRect, caption, false);
    return textRect;
}

void TEkGradiLabel::adjustBounds() {
    if (!loaded)
        return;
    if (!bitmap) {
        bitmap = std::make_unique<TEkBmp>(width(), height());
        transferFont();
    }
    const TRect textRect = measureCaption();
    textWidth = textRect.width();
    textHeight = textRect.height();
    if (autoSize && align != alTop && align != alBottom && align != alClient) {
        int imageWidth = images ? images->width() : 0;
        const int imageHeight = images ? images->height() : 0;
        textHeight = std::max(textHeight, imageHeight);
        if (imageWidth != 0)
            imageWidth += marginImage;
        const int newWidth = imageWidth + textWidth + 2 * marginTextHorz;
        const int newHeight = textHeight + 2 * marginTextVert;
        autoSizeHint = QSize(newWidth, newHeight);
        // A layout places the label from its size hint; the docking layout leaves alNone alone.
        const bool placedByLayout =
            managedByLayout(this) &&
            !(align == alNone && qobject_cast<TEkDockLayout*>(parentWidget()->layout()));
        if (placedByLayout) {
            updateGeometry();
        } else if (alignment == taRightJustify) {
            setGeometry(x() + width() - newWidth, y(), newWidth, newHeight);
        } else {
            setGeometry(x(), y(), newWidth, newHeight);
        }
    } else {
        autoSizeHint = QSize();
        update();
    }
}

QSize TEkGradiLabel::sizeHint() const {
    return autoSizeHint.isValid() ? autoSizeHint : size();
}

void TEkGradiLabel::resizeBitmap() {
    if (width() < 1 || height() < 1)
        return;
    bitmap->setSize(width(), height(), false);
    transferFont();
}

// --- painting ---------------------------------------------------------------------------------

const TPixel* TEkGradiLabel::getScanLine(int row) const {
    if (!bitmap)
        throw EInvalidGraphicOperation(QStringLiteral("No DibSection"));
    return static_cast<const TEkBmp&>(*bitmap).scanLine(row);
}

void TEkGradiLabel::paintBitmap() {
    if (bitmap->width() != width() || bitmap->height() != height())
        resizeBitmap();

    TColor light = clGradiLight;
    TColor dark = clGradiDark;
    TColor textColour = fontColor;
    int index = imageIndex;
    switch (state) {
    case 1:
        light = clHotLight;
        dark = clHotDark;
        textColour = clFontHot;
        if (imageHotIndex > -1)
            index = imageHotIndex;
        break;
    case 2:
        light = clPressLight;
        dark = clPressDark;
        textColour = clFontPressed;
        if (imagePressedIndex > -1)
            index = imagePressedIndex;
        break;
    case 3:
        light = clDisableLight;
        dark = clDisableDark;
        textColour = clFontDisable;
        if (imageDisabledIndex > -1)
            index = imageDisabledIndex;
        break;
    default:
        break;
    }
    bitmap->setTextColor(TEkColor(textColour));

    fillGradyStyle(*bitmap, gradiStyle, uint8_t(pipeShadow), TEkColor(light), TEkColor(dark));

    TRect r(0, 0, width(), height());
    if (marginTextVert != 0 || marginTextHorz != 0)
        inflateRect(r, -marginTextHorz, -marginTextVert);

    if (images && index > -1) {
        const QPoint at =
            placeImageBesideCaption(r, alignment, imagePos == aipRight,
                                    QSize(images->width(), images->height()), textWidth, marginImage);
        images->draw(*bitmap, at.x(), at.y(), index);
    }

    if (!caption.isEmpty() && (labelType == altLabel || labelType == altButton)) {
        const unsigned horizontal =
            alignment == taRightJustify ? DT_RIGHT : (alignment == taCenter ? DT_CENTER : DT_LEFT);
        bitmap->setBkTransparent(true);
        bitmap->drawText(caption, horizontal | DT_VCENTER | DT_SINGLELINE, r);
    }
    dirty = false;
}

void TEkGradiLabel::paintButtonDownEdge(QPainter& painter) {
    const int w = width();
    const int h = height();
    // Left column and top row in the shadow colour; right column and bottom row in the light
    // colour, which wins the top-right and bottom-right pixels.
    const QColor shadow = toQColor(clButtonShadow);
    const QColor light = toQColor(clButtonLight);
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
        if (!loaded) {
            // Painted before it was shown (grab, render): the auto-size must not resize from
            // inside a paint, so it runs once this paint is over.
            loaded = true;
            QMetaObject::invokeMethod(this, &TEkGradiLabel::adjustBounds, Qt::QueuedConnection);
        }
        if (!bitmap) {
            bitmap = std::make_unique<TEkBmp>(width(), height());
            transferFont();
            textWidth = measureCaption().width();
        }
        // A size change of a hidden label arrives without a resize event: compare sizes too.
        const bool newLook = dirty || bitmap->width() != width() || bitmap->height() != height();
        if (newLook || paintedState != state) {
            if (newLook)
                ++serial;
            paintBitmap();
            repainted = true;
        }
        paintedState = state;
        QPainter painter(this);
        if (buttonDown && labelType == altButton && mouseInside) {
            bitmap->bitBlt(painter, 0, 1);
            paintButtonDownEdge(painter);
        } else {
            bitmap->bitBlt(painter, 0, 0);
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
    dirty = true;
}

void TEkGradiLabel::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    dirty = true;
    if (!loaded)
        Loaded();
}

void TEkGradiLabel::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // The release of a press goes elsewhere once the label is hidden.
    dropPress();
}

void TEkGradiLabel::dropPress() {
    buttonDown = false;
    clickPending = false;
}

void TEkGradiLabel::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    switch (event->type()) {
    case QEvent::EnabledChange:
        state = (!isEnabled() && alive) ? 3 : 0;
        // A disabled widget gets no mouse release: a pending press ends here, without a click.
        if (!isEnabled())
            dropPress();
        update();
        break;
    case QEvent::FontChange:
        // The new font reaches the bitmap at once, so the auto-size measures with it.
        if (bitmap)
            transferFont();
        dirty = true;
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
        state = alive ? 1 : 0;
        update();
    }
}

void TEkGradiLabel::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    emit mouseLeft();
    if (isEnabled() && tracksMouse()) {
        state = 0;
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
    if (inside == mouseInside)
        return;
    mouseInside = inside;
    if (buttonDown) {
        state = (inside && alive) ? 2 : 0;
        update();
    }
}

void TEkGradiLabel::mousePressEvent(QMouseEvent* event) {
    event->accept();
    const QPoint pos = event->position().toPoint();
    const bool left = event->button() == Qt::LeftButton;
    if (left) {
        clickPending = true;
        if (labelType == altButton) {
            buttonDown = true;
            mouseInside = rect().contains(pos);
            state = alive ? 2 : 0;
        }
    }
    QPointer<TEkGradiLabel> self(this);
    emit mouseDown(event->button(), event->modifiers(), pos);
    if (self && left && labelType == altButton)
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
    if (!buttonDown && !clickPending)
        return;
    // Released just below the label, where a release never clicks.
    handleRelease(Qt::LeftButton, Qt::NoModifier, QPoint(0, height() + 3));
}

void TEkGradiLabel::handleRelease(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos) {
    const bool left = button == Qt::LeftButton;
    const bool isClick = left && clickPending && rect().contains(pos);
    if (left) {
        clickPending = false;
        if (labelType == altButton) {
            buttonDown = false;
            state = alive ? 1 : 0;
        }
    }
    QPointer<TEkGradiLabel> self(this);
    emit mouseUp(button, modifiers, pos);
    if (self && isClick)
        click();
    if (self && left && labelType == altButton)
        update();
}

// --- docking layout -------------------------------------------------------------------------------

TEkDockLayout::TEkDockLayout(QWidget* parent) : QLayout(parent) {
    setContentsMargins(0, 0, 0, 0);
    setSpacing(0);
}

TEkDockLayout::~TEkDockLayout() {
    for (const Entry& entry : entries)
        delete entry.item;
}

void TEkDockLayout::addWidget(QWidget* w, TAlign align) {
    addChildWidget(w);
    if (w->metaObject()->indexOfProperty("Align") >= 0)
        w->setProperty("Align", int(align));
    entries.append({new QWidgetItem(w), align});
    invalidate();
}

void TEkDockLayout::addItem(QLayoutItem* item) {
    entries.append({item, alNone});
    invalidate();
}

QLayoutItem* TEkDockLayout::itemAt(int index) const {
    return index >= 0 && index < entries.size() ? entries[index].item : nullptr;
}

QLayoutItem* TEkDockLayout::takeAt(int index) {
    if (index < 0 || index >= entries.size())
        return nullptr;
    QLayoutItem* item = entries[index].item;
    entries.removeAt(index);
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
    for (const Entry& entry : entries) {
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
    for (const Entry& entry : entries) {
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
        for (const Entry& entry : entries) {
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
