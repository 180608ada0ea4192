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
    if (loaded_)
        return;
    loaded_ = true;
    adjustBounds();
}

// --- properties -----------------------------------------------------------------------------------

void TEkCheckLabel::setChecked(bool value) {
    setAndRepaint(*this, checked_, value);
}
void TEkCheckLabel::setImageIndex(int index) {
    setAndRepaint(*this, imageIndex_, index);
}
void TEkCheckLabel::setImageHotIndex(int index) {
    setAndRepaint(*this, imageHotIndex_, index);
}
void TEkCheckLabel::setImageCheckedIndex(int index) {
    setAndRepaint(*this, imageCheckedIndex_, index);
}
void TEkCheckLabel::setImageHotCheckedIndex(int index) {
    setAndRepaint(*this, imageHotCheckedIndex_, index);
}
void TEkCheckLabel::setImagePos(TEkImgPos pos) {
    setAndRepaint(*this, imagePos_, pos);
}
void TEkCheckLabel::setMarginImage(int value) {
    setAndRepaint(*this, marginImage_, value);
}
void TEkCheckLabel::setAlignment(TAlignment value) {
    setAndRepaint(*this, alignment_, value);
}
void TEkCheckLabel::setFontColor(TColor c) {
    setAndRepaint(*this, fontColor_, c);
}

void TEkCheckLabel::setTextMarginHorz(int value) {
    if (assignChanged(marginTextHorz_, value))
        adjustBounds();
}

void TEkCheckLabel::setTextMarginVert(int value) {
    if (assignChanged(marginTextVert_, value))
        adjustBounds();
}

void TEkCheckLabel::setAutoSize(bool value) {
    if (assignChanged(autoSize_, value))
        adjustBounds();
}

void TEkCheckLabel::setAlign(TAlign value) {
    if (assignChanged(align_, value))
        adjustBounds();
}

void TEkCheckLabel::setCaption(const QString& text) {
    if (setAndRepaint(*this, caption_, text))
        adjustBounds();
}

void TEkCheckLabel::setImages(TImageList* list) {
    if (list != images_)
        attachImages(list);
}

void TEkCheckLabel::attachImages(TImageList* list) {
    images_.attach(
        list, this, [this] { adjustBounds(); }, [this] { attachImages(nullptr); });
    // Without an image list the label cannot be hot.
    if (!list)
        hot_ = false;
    adjustBounds();
    update();
}

void TEkCheckLabel::setHot(bool value) {
    if (isEnabled() && images_)
        setAndRepaint(*this, hot_, value);
}

// --- sizing -----------------------------------------------------------------------------------------

void TEkCheckLabel::adjustBounds() {
    if (!loaded_)
        return;
    const QSize text =
        caption_.isEmpty()
            ? QSize(0, 0)
            : QFontMetrics(font()).boundingRect(QRect(), Qt::TextShowMnemonic, forQt(caption_)).size();
    textWidth_ = text.width();
    textHeight_ = text.height();
    if (!autoSize_ || align_ == alTop || align_ == alBottom || align_ == alClient) {
        autoSizeHint_ = QSize();
        update();
        return;
    }
    int imageWidth = images_ ? images_->width() : 0;
    const int imageHeight = images_ ? images_->height() : 0;
    textHeight_ = std::max(textHeight_, imageHeight);
    if (imageWidth != 0)
        imageWidth += marginImage_;
    const int w = imageWidth + textWidth_ + 2 * marginTextHorz_;
    const int h = 2 * marginTextVert_ + textHeight_;
    autoSizeHint_ = QSize(w, h);
    if (managedByLayout(this))
        updateGeometry();
    else if (alignment_ == taRightJustify)
        setGeometry(x() + width() - w, y(), w, h);
    else
        setGeometry(x(), y(), w, h);
}

QSize TEkCheckLabel::sizeHint() const {
    return autoSizeHint_.isValid() ? autoSizeHint_ : size();
}

// --- painting ---------------------------------------------------------------------------------------

int TEkCheckLabel::shownImageIndex() const {
    if (checked_ && images_ && imageCheckedIndex_ > -1)
        return hot_ ? imageHotCheckedIndex_ : imageCheckedIndex_;
    return hot_ ? imageHotIndex_ : imageIndex_;
}

void TEkCheckLabel::paintEvent(QPaintEvent*) {
    if (!loaded_) {
        // A label painted before it was shown sizes itself once this paint is over (a resize
        // from inside a paint would be lost).
        loaded_ = true;
        QMetaObject::invokeMethod(this, &TEkCheckLabel::adjustBounds, Qt::QueuedConnection);
    }
    // No background: the parent's picture stays beneath the image and the text.
    QPainter canvas(this);
    canvas.setFont(font());
    canvas.setPen(toQColor(isEnabled() ? fontColor_ : clGrayText));
    TRect r(0, 0, width(), height());
    if (marginTextHorz_ != 0 || marginTextVert_ != 0)
        inflateRect(r, -marginTextHorz_, -marginTextVert_);

    const int index = shownImageIndex();
    if (images_ && index > -1) {
        const QPoint at =
            placeImageBesideCaption(r, alignment_, imagePos_ == aimpRight,
                                    QSize(images_->width(), images_->height()), textWidth_, marginImage_);
        images_->draw(canvas, at.x(), at.y(), index);
    }
    if (!caption_.isEmpty()) {
        const unsigned horizontal =
            alignment_ == taRightJustify ? DT_RIGHT : (alignment_ == taCenter ? DT_CENTER : DT_LEFT);
        canvas.drawText(r.toQRect(), qtTextFlags(horizontal | DT_VCENTER | DT_SINGLELINE), caption_);
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
            hot_ = false;
        pressed_ = false;
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
        pressed_ = true;
}

void TEkCheckLabel::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    const bool click = pressed_ && rect().contains(event->position().toPoint());
    pressed_ = false;
    if (click)
        Click();
}

void TEkCheckLabel::Click() {
    if (checkedLabel_) {
        checked_ = !checked_;
        update();
    }
    emit clicked();
}
