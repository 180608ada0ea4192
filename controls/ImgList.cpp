#include "controls/ImgList.h"

#include "controls/EkBmp.h"

#include <QPainter>
#include <algorithm>

namespace {

QImage fitted(const QImage& image, int width, int height) {
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    if (out.width() != width || out.height() != height)
        out = out.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                  .convertToFormat(QImage::Format_ARGB32);
    return out;
}

// Straight-alpha "over": colour = (s * a + d * (255 - a)) / 255, alpha = a + da * (255 - a) / 255.
TPixel over(TPixel d, TPixel s) {
    const uint32_t a = s >> 24;
    if (a == 0)
        return d;
    if (a == 255)
        return s;
    const uint32_t na = 255 - a;
    uint32_t out = (a + ((d >> 24) * na) / 255) << 24;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t c = (((s >> shift) & 0xFF) * a + ((d >> shift) & 0xFF) * na) / 255;
        out |= c << shift;
    }
    return out;
}

} // namespace

TImageList::TImageList(int width, int height, QObject* parent)
    : QObject(parent), w_(std::max(width, 1)), h_(std::max(height, 1)) {}

int TImageList::add(const QImage& image) {
    if (image.isNull())
        return -1;
    images_.append(fitted(image, w_, h_));
    emit changed();
    return int(images_.size()) - 1;
}

int TImageList::addStrip(const QImage& strip) {
    if (strip.isNull() || strip.height() != h_ || strip.width() % w_ != 0)
        return 0;
    const QImage all = strip.convertToFormat(QImage::Format_ARGB32);
    const int cells = all.width() / w_;
    for (int i = 0; i < cells; ++i)
        images_.append(all.copy(i * w_, 0, w_, h_));
    emit changed();
    return cells;
}

bool TImageList::replace(int index, const QImage& image) {
    if (index < 0 || index >= count() || image.isNull())
        return false;
    images_[index] = fitted(image, w_, h_);
    emit changed();
    return true;
}

void TImageList::clear() {
    if (images_.isEmpty())
        return;
    images_.clear();
    emit changed();
}

QImage TImageList::image(int index) const {
    return index >= 0 && index < count() ? images_.at(index) : QImage();
}

QPixmap TImageList::pixmap(int index) const {
    return index >= 0 && index < count() ? QPixmap::fromImage(images_.at(index)) : QPixmap();
}

QIcon TImageList::icon(int index, int hotIndex) const {
    if (index < 0 || index >= count())
        return QIcon();
    QIcon result(pixmap(index));
    if (hotIndex >= 0 && hotIndex < count())
        result.addPixmap(pixmap(hotIndex), QIcon::Active);
    return result;
}

void TImageList::draw(TEkBmp& bmp, int x, int y, int index) const {
    if (index < 0 || index >= count() || !bmp.bits())
        return;
    const QImage& source = images_.at(index);
    const int x0 = std::max(x, 0);
    const int y0 = std::max(y, 0);
    const int x1 = std::min(x + w_, bmp.width());
    const int y1 = std::min(y + h_, bmp.height());
    for (int py = y0; py < y1; ++py) {
        const TPixel* src = reinterpret_cast<const TPixel*>(source.constScanLine(py - y));
        TPixel* dst = bmp.rowAddress(py);
        for (int px = x0; px < x1; ++px)
            dst[px] = over(dst[px], src[px - x]);
    }
}

void TImageList::draw(QPainter& painter, int x, int y, int index) const {
    if (index >= 0 && index < count())
        painter.drawImage(x, y, images_.at(index));
}

void TImageListLink::attach(TImageList* list, QObject* owner, std::function<void()> changed,
                            std::function<void()> gone) {
    detach();
    list_ = list;
    if (!list)
        return;
    changedLink_ = QObject::connect(list, &TImageList::changed, owner, std::move(changed));
    destroyedLink_ = QObject::connect(list, &QObject::destroyed, owner, [this, gone = std::move(gone)] {
        detach();
        gone();
    });
}

void TImageListLink::detach() {
    QObject::disconnect(changedLink_);
    QObject::disconnect(destroyedLink_);
}
