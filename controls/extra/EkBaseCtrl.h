#pragma once
// TEkCustomControl: the base of the library's widgets that paint themselves off screen (the
// slider, the progress bar, the button). It owns one TEkBmp of the widget's size; on every
// paint a descendant paints the whole picture into it through EkPaint and the base copies it
// to the window in one drawImage, so nothing flickers and the window is never erased.
//
// What a descendant can rely on:
// - The bitmap exists from construction to destruction and always has the widget's size after
//   the size is known (it is empty, without pixels, while a side is 0).
// - After every size change (not after a move), in this order: the bitmap has the new size
//   (picture not kept), paintRect() is (0, 0, width, height), PrepareBitmaps(width, height)
//   runs. Showing the widget runs the same steps. Before the first size change paintRect() is
//   empty.
// - A paint happens only with a parent and a size of at least 1 x 1. It runs
//   EkPaint(bitmap, paintRect()) and then copies the bitmap opaquely to (0, 0). Canvas() is the
//   painter on the widget during EkPaint: what is drawn on it there lies under that copy.
//   Any exception from EkPaint is caught and reported as a warning; none leaves paintEvent.
// - The base's EkPaint puts the parent's background (the parent rendered without its
//   children, over the parent's palette colour) into the bitmap; a descendant that shows the
//   background through soft edges calls it first.
// - Hot tracking: entering the widget makes it hot when Alive and MouseIsIn(0, 0) (the widget's
//   own origin is the test point); leaving makes it cold. Each change repaints. Gaining or
//   losing the focus repaints.
#include "controls/EkBmp.h"

#include <QWidget>
#include <memory>

class QFont;

class TEkCustomControl : public QWidget {
    Q_OBJECT
public:
    // Not hot, Alive, empty paint rectangle, a bitmap of the widget's present size. The widget
    // paints every pixel itself (no system background).
    explicit TEkCustomControl(QWidget* parent = nullptr);
    ~TEkCustomControl() override;

    // Hot tracking is wanted. Setting it only stores it (no repaint, the hot flag stays).
    bool Alive() const { return alive_; }
    virtual void setAlive(bool value);
    // The mouse is over the control (and, for the slider, over its visible track).
    bool isHot() const { return isHot_; }
    // True when left <= x < right and top <= y < bottom of the widget's rectangle.
    virtual bool MouseIsIn(int x, int y) const;

    // The off-screen picture, owned by the control.
    TEkBmp* bitmap() const { return bmp_.get(); }
    // The rectangle EkPaint receives: (0, 0, width, height) of the last size change.
    TRect paintRect() const { return paintRect_; }

    // Selects the widget's font into the bitmap (face, point size, style bits, 96 pixels per
    // inch) with a transparent text background. The base never calls it; a descendant that
    // draws text calls it when the font changes and from PrepareBitmaps.
    void UpdateBmpFont();
    // 1 bold, 2 italic, 4 underline, 8 strike-out (the painter's own).
    static int fontStyleBits(const QFont& font) { return TEkBmp::fontStyleBits(font); }

protected:
    // After every size change, once the bitmap has the new size: descendants resize their own
    // bitmaps here. Empty in the base.
    virtual void PrepareBitmaps(int width, int height);
    // Paints the whole control into bmp within rect (paintRect()). The base paints the parent's
    // background (UdateBackground).
    virtual void EkPaint(TEkBmp* bmp, TRect rect);
    // A hook the base never calls (the slider repaints its focus rectangle from it).
    virtual void FocusChanged();

    // Stores a changed hot flag and repaints.
    void setIsHot(bool value);
    // The parent's background into the bitmap (see the header's notes); nothing without one.
    void UdateBackground();
    // The painter on the widget while EkPaint runs, null otherwise.
    QPainter* Canvas() const { return canvas_; }

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // The bitmap, the paint rectangle and PrepareBitmaps follow the widget's present size.
    void sizeChanged();
    void getParentBackground(TEkBmp& target);

    std::unique_ptr<TEkBmp> bmp_;
    bool isHot_ = false;
    TRect paintRect_;
    bool alive_ = true;
    QPainter* canvas_ = nullptr;
    bool fetchingBackground_ = false;
};
