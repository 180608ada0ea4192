#include "controls/extra/EkBaseCtrl.h"

#include "controls/Setters.h"

#include <QEnterEvent>
#include <QFont>
#include <QPainter>
#include <QResizeEvent>
#include <exception>

TEkCustomControl::TEkCustomControl(QWidget* parent)
    : QWidget(parent), bmp_(std::make_unique<TEkBmp>(width(), height())) {
    TEkCustomControl::setAlive(true);
    // Every pixel comes from the bitmap: the window is never erased between paints.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
}

TEkCustomControl::~TEkCustomControl() = default;

void TEkCustomControl::setAlive(bool value) {
    alive_ = value;
}

bool TEkCustomControl::MouseIsIn(int x, int y) const {
    return rect().contains(x, y);
}

void TEkCustomControl::setIsHot(bool value) {
    setAndRepaint(*this, isHot_, value);
}

void TEkCustomControl::UpdateBmpFont() {
    const QFont& f = font();
    // A font given in pixels has no point size: points = pixels * 72 / pixels per inch.
    const int points = f.pointSize() > 0 ? f.pointSize() : f.pixelSize() * 72 / kFontPixelsPerInch;
    bmp_->setFont(f.family(), points, fontStyleBits(f), kFontPixelsPerInch);
    bmp_->setBkTransparent(true);
}

void TEkCustomControl::PrepareBitmaps(int, int) {}

void TEkCustomControl::EkPaint(TEkBmp*, TRect) {
    UdateBackground();
}

void TEkCustomControl::FocusChanged() {}

void TEkCustomControl::UdateBackground() {
    if (bmp_->bits())
        getParentBackground(*bmp_);
}

void TEkCustomControl::getParentBackground(TEkBmp& target) {
    QWidget* parent = parentWidget();
    if (!parent)
        return;
    QImage view = target.image();
    QPainter painter(&view);
    // The palette colour shows where the parent paints no background of its own, and is all
    // there is when a parent that paints its children brings this paint back here.
    painter.fillRect(view.rect(), parent->palette().color(parent->backgroundRole()));
    if (fetchingBackground_)
        return;
    fetchingBackground_ = true;
    parent->render(&painter, QPoint(0, 0), QRegion(geometry()), QWidget::DrawWindowBackground);
    fetchingBackground_ = false;
}

void TEkCustomControl::paintEvent(QPaintEvent*) {
    if (width() < 1 || height() < 1 || !parentWidget())
        return;
    // A size change of a hidden widget may reach the paint before its resize event.
    if (bmp_->width() != width() || bmp_->height() != height())
        sizeChanged();
    try {
        QPainter painter(this);
        canvas_ = &painter;
        EkPaint(bmp_.get(), paintRect_);
        canvas_ = nullptr;
        bmp_->bitBlt(painter, 0, 0);
    } catch (const std::exception& e) {
        canvas_ = nullptr;
        qWarning("%s: %s", metaObject()->className(), e.what());
    }
}

void TEkCustomControl::sizeChanged() {
    bmp_->setSize(width(), height(), false);
    paintRect_ = TRect(0, 0, width(), height());
    PrepareBitmaps(width(), height());
}

void TEkCustomControl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    sizeChanged();
}

void TEkCustomControl::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    sizeChanged();
}

void TEkCustomControl::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    setIsHot(alive_ && MouseIsIn(0, 0));
}

void TEkCustomControl::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    setIsHot(false);
}

void TEkCustomControl::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void TEkCustomControl::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}
