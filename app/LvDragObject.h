// The payload of a drag of a list row: which list it came from, where the drag began, and the
// image that shows the dragged row under the cursor.
#pragma once

#include <QColor>
#include <QImage>
#include <QMimeData>
#include <QPoint>
#include <QPointer>

class QDrag;
class QTreeView;

class TLvDragObject : public QMimeData {
    Q_OBJECT

public:
    // A drag of `control`'s selected row, begun at (x, y) in the list's viewport coordinates;
    // `color` is the list's background, which the drag image leaves transparent.
    TLvDragObject(QTreeView* control, int x, int y, const QColor& color);
    ~TLvDragObject() override;

    // The list the drag came from; null once that list is gone.
    QTreeView* control() const;

    const int X;
    const int Y;
    const QColor Color;

    // The drag image, built on first use from the list's selected row: its image and its first
    // non-empty text on Color, which then turns transparent. For a row h pixels high and a text
    // w pixels wide it is (w + h + 20) x h, the row image at (t, t) with t = (h - image height)
    // / 2 and the text from x = h + 4. The hot spot keeps the cursor where it grabbed the row.
    // A null image when no row is selected.
    const QImage& GetDragImages();
    QPoint hotSpot() const { return hotSpot_; }

    // Lets `drag` show the drag image with its hot spot.
    void ShowDragImage(QDrag& drag);

private:
    QPointer<QTreeView> control_;
    bool built_ = false;
    QImage image_;
    QPoint hotSpot_;
};
