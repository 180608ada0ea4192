#include "app/LvDragObject.h"

#include <QDrag>
#include <QFontMetrics>
#include <QPainter>
#include <QPixmap>
#include <QTreeView>

namespace {
// Drag image layout, in pixels of the row: the text starts a row height plus this after the
// left edge, and the image is this much wider than the row height plus the text.
constexpr int kTextGap = 4;
constexpr int kExtraWidth = 20;
} // namespace

TLvDragObject::TLvDragObject(QTreeView* control, int x, int y, const QColor& color)
    : X(x), Y(y), Color(color), control_(control) {}

TLvDragObject::~TLvDragObject() = default;

QTreeView* TLvDragObject::control() const {
    return control_;
}

const QImage& TLvDragObject::GetDragImages() {
    if (built_)
        return image_;
    built_ = true;
    QTreeView* list = control_;
    const QAbstractItemModel* rows = list ? list->model() : nullptr;
    const QModelIndex current = list ? list->selectionModel()->currentIndex() : QModelIndex();
    if (!rows || !current.isValid() || !list->selectionModel()->isRowSelected(current.row(), {}))
        return image_;
    const int row = current.row();

    // r: the row's bounds in viewport coordinates; its left moves with horizontal scrolling.
    const QRect r = list->visualRect(rows->index(row, 0));
    const int h = r.height();
    QString text;
    for (int column = 1; column < rows->columnCount() && text.isEmpty(); ++column)
        text = rows->data(rows->index(row, column), Qt::DisplayRole).toString();
    const QPixmap rowImage = rows->data(rows->index(row, 0), Qt::DecorationRole).value<QPixmap>();

    const QFontMetrics metrics(list->font());
    const int width = metrics.horizontalAdvance(text) + h + kExtraWidth;
    const int textTop = (h - metrics.height()) / 2;
    const int imageTop = (h - list->iconSize().height()) / 2;

    image_ = QImage(width, h, QImage::Format_ARGB32);
    image_.fill(Color);
    {
        QPainter painter(&image_);
        if (!rowImage.isNull())
            painter.drawPixmap(imageTop, imageTop, rowImage);
        painter.setFont(list->font());
        painter.setPen(list->palette().color(QPalette::Text));
        painter.drawText(QRect(h + kTextGap, textTop, width, metrics.height()), Qt::AlignLeft | Qt::AlignTop,
                         text);
    }
    // Color is the mask colour: what still shows it is transparent.
    const QRgb mask = Color.rgba();
    for (int y = 0; y < image_.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image_.scanLine(y));
        for (int x = 0; x < image_.width(); ++x) {
            if (line[x] == mask)
                line[x] = 0;
        }
    }
    hotSpot_ = QPoint(X - r.left(), Y - r.top());
    return image_;
}

void TLvDragObject::ShowDragImage(QDrag& drag) {
    const QImage& image = GetDragImages();
    if (image.isNull())
        return;
    drag.setPixmap(QPixmap::fromImage(image));
    drag.setHotSpot(hotSpot_);
}
