#pragma once
// TImageList: a list of same-size 32-bit images with alpha (Format_ARGB32, not premultiplied),
// drawn into a TEkBmp or onto a QPainter by index. Controls that show its images hold it
// through a TImageListLink, which follows its changes and its lifetime.

#include <QIcon>
#include <QImage>
#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QVector>
#include <functional>

class QPainter;
class TEkBmp;

class TImageList : public QObject {
    Q_OBJECT
public:
    // A list of width x height images (sides below 1 count as 1).
    TImageList(int width, int height, QObject* parent = nullptr);

    int width() const { return w_; }
    int height() const { return h_; }
    int count() const { return int(images_.size()); }

    // Appends an image (converted to Format_ARGB32, smoothly scaled to width x height when its
    // size differs); returns its index, or -1 (nothing added) for a null image. Emits changed().
    int add(const QImage& image);
    // Appends the cells of a strip of images laid side by side, each width x height; the
    // strip's height must equal height and its width be a multiple of width. Returns the number
    // of images added (0 when the strip does not fit; nothing added then).
    int addStrip(const QImage& strip);
    // Replaces image index (scaled as by add); false (nothing changed) for an index out of range
    // or a null image.
    bool replace(int index, const QImage& image);
    void clear();
    // The image (Format_ARGB32), or a null image for an index out of range.
    QImage image(int index) const;
    // The image as a pixmap / icon (null for an index out of range); with hotIndex >= 0 the icon
    // shows that image while the mouse is over the control (QIcon::Active).
    QPixmap pixmap(int index) const;
    QIcon icon(int index, int hotIndex = -1) const;

    // Alpha-blends image index onto bmp with its top-left pixel at (x, y); the part outside
    // bmp is left out. An index out of range draws nothing.
    void draw(TEkBmp& bmp, int x, int y, int index) const;
    // The same onto a painter.
    void draw(QPainter& painter, int x, int y, int index) const;

signals:
    // The images changed (added, replaced or cleared).
    void changed();

private:
    int w_;
    int h_;
    QVector<QImage> images_;
};

// A control's hold on the image list it shows. The pointer turns null when the list is
// destroyed; the control hears of each change and of the list's end through the functions it
// gave when it attached the list, called in `owner`'s thread and never after `owner` is gone.
class TImageListLink {
public:
    TImageListLink() = default;
    TImageListLink(const TImageListLink&) = delete;
    TImageListLink& operator=(const TImageListLink&) = delete;
    ~TImageListLink() { detach(); }

    operator TImageList*() const { return list_; }
    TImageList* operator->() const { return list_; }

    // Follows `list` (null: none) instead of the list before: `changed` runs on each of its
    // changed() signals, `gone` once the list is destroyed (the pointer is null by then).
    void attach(TImageList* list, QObject* owner, std::function<void()> changed, std::function<void()> gone);

private:
    void detach();

    QPointer<TImageList> list_;
    QMetaObject::Connection changedLink_;
    QMetaObject::Connection destroyedLink_;
};
