#include "controls/extra/EkCheckLabel.h"

#include "controls/Setters.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace {

// Qt breaks lines at LF only; a CR LF pair counts as one break.
QString forQt(QString text) {
    return text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n');
}

} // namespace

TEkCheckLabel::TEkCheckLabel(QWidget* parent) : QWidget(parent) {}

void TEkCheckLabel::Loaded() {
    if (loaded)
        return;
    loaded = true;
    adjustBounds();
}

// --- properties -----------------------------------------------------------------------------------

void TEkCheckLabel::setChecked(bool value) {
    setAndRepaint(*this, checked, value);
}
void TEkCheckLabel::setImageIndex(int index) {
    setAndRepaint(*this, imageIndex, index);
}
void TEkCheckLabel::setImageHotIndex(int index) {
    setAndRepaint(*this, imageHotIndex, index);
}
void TEkCheckLabel::setImageCheckedIndex(int index) {
    setAndRepaint(*this, imageCheckedIndex, index);
}
void TEkCheckLabel::setImageHotCheckedIndex(int index) {
    setAndRepaint(*this, imageHotCheckedIndex, index);
}
void TEkCheckLabel::setImagePos(TEkImgPos pos) {
    setAndRepaint(*this, imagePos, pos);
}
void TEkCheckLabel::setMarginImage(int value) {
    setAndRepaint(*this, marginImage, value);
}
void TEkCheckLabel::setAlignment(TAlignment value) {
    setAndRepaint(*this, alignment, value);
}
void TEkCheckLabel::setFontColor(TColor c) {
    setAndRepaint(*this, fontColor, c);
}

void TEkCheckLabel::setTextMarginHorz(int value) {
    if (assignChanged(marginTextHorz, value))
        adjustBounds();
}

void TEkCheckLabel::setTextMarginVert(int value) {
    if (assignChanged(marginTextVert, value))
        adjustBounds();
}

void TEkCheckLabel::setAutoSize(bool value) {
    if (assignChanged(autoSize, value))
        adjustBounds();
}

void TEkCheckLabel::setAlign(TAlign value) {
    if (assignChanged(align, value))
        adjustBounds();
}

void TEkCheckLabel::setCaption(const QString& text) {
    if (setAndRepaint(*this, caption, text))
        adjustBounds();
}

void TEkCheckLabel::setImages(TImageList* list) {
    if (list != images)
        attachImages(list);
}

void TEkCheckLabel::attachImages(TImageList* list) {
    images.attach(
        list, this, [this] { adjustBounds(); }, [this] { attachImages(nullptr); });
    // Without an image list the label cannot be hot.
    if (!list)
        hot = false;
    adjustBounds();
    update();
}

void TEkCheckLabel::setHot(bool value) {
    if (isEnabled() && images)
        setAndRepaint(*this, hot, value);
}

// --- sizing -----------------------------------------------------------------------------------------

void TEkCheckLabel::adjustBounds() {
    if (!loaded)
        return;
    const QSize text =
        caption.isEmpty()
            ? QSize(0, 0)
            : QFontMetrics(font()).boundingRect(QRect(), Qt::TextShowMnemonic, forQt(caption)).size();
    textWidth = text.width();
    textHeight = text.height();
    if (!autoSize || align == alTop || align == alBottom || align == alClient) {
        autoSizeHint = QSize();
        update();
        return;
    }
    int imageWidth = images ? images->width() : 0;
    const int imageHeight = images ? images->height() : 0;
    textHeight = std::max(textHeight, imageHeight);
    if (imageWidth != 0)
        imageWidth += marginImage;
    const int w = imageWidth + textWidth + 2 * marginTextHorz;
    const int h = 2 * marginTextVert + textHeight;
    autoSizeHint = QSize(w, h);
    if (managedByLayout(this))
        updateGeometry();
    else if (alignment == taRightJustify)
        setGeometry(x() + width() - w, y(), w, h);
    else
        setGeometry(x(), y(), w, h);
}

QSize TEkCheckLabel::sizeHint() const {
    return autoSizeHint.isValid() ? autoSizeHint : size();
}

// --- painting ---------------------------------------------------------------------------------------

int TEkCheckLabel::shownImageIndex() const {
    if (checked && images && imageCheckedIndex > -1)
        return hot ? imageHotCheckedIndex : imageCheckedIndex;
    return hot ? imageHotIndex : imageIndex;
}

void TEkCheckLabel::paintEvent(QPaintEvent*) {
    if (!loaded) {
        // A label painted before it was shown sizes itself once this paint is over (a resize
        // from inside a paint would be lost).
        loaded = true;
        QMetaObject::invokeMethod(this, &TEkCheckLabel::adjustBounds, Qt::QueuedConnection);
    }
    // No background: the parent's picture stays beneath the image and the text.
    QPainter canvas(this);
    canvas.setFont(font());
    canvas.setPen(toQColor(isEnabled() ? fontColor : clGrayText));
    TRect r(0, 0, width(), height());
    if (marginTextHorz != 0 || marginTextVert != 0)
        inflateRect(r, -marginTextHorz, -marginTextVert);

    const int index = shownImageIndex();
    if (images && index > -1) {
        const QPoint at =
            placeImageBesideCaption(r, alignment, imagePos == aimpRight,
                                    QSize(images->width(), images->height()), textWidth, marginImage);
        images->draw(canvas, at.x(), at.y(), index);
    }
    if (!caption.isEmpty()) {
        const unsigned horizontal =
            alignment == taRightJustify ? DT_RIGHT : (alignment == taCenter ? DT_CENTER : DT_LEFT);
        canvas.drawText(r.toQRect(), qtTextFlags(horizontal | DT_VCENTER | DT_SINGLELINE), caption);
    }
}

// --- events -----------------------------------------------------------------------------------------

void TEkCheckLabel::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Loaded();
}

void TEkCheckLabel::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        adjustBounds();
        update();
    } else if (event->type() == QEvent::EnabledChange) {
        // A label disabled under the mouse does not keep its hot image.
        if (!isEnabled())
            hot = false;
        pressed = false;
        update();
    }
}

void TEkCheckLabel::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    setHot(true);
}

void TEkCheckLabel::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    setHot(false);
}

void TEkCheckLabel::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton)
        pressed = true;
}

void TEkCheckLabel::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    const bool click = pressed && rect().contains(event->position().toPoint());
    pressed = false;
    if (click)
        Click();
}

void TEkCheckLabel::Click() {
    if (checkedLabel) {
        checked = !checked;
        update();
    }
    emit clicked();
}
