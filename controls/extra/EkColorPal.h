// TEkColorPal: a colour picker showing a generated palette (six hue segments from red through
// yellow, green, cyan, blue and magenta back to red along one axis, lightness from white through
// the pure hue to black along the other, and a grey band at the end of the hue axis) under a
// crosshair. The user moves the crosshair with the mouse or the arrow keys and picks with the
// left or right button; the colours arrive through signals as TEkColor (byte 0 red).
//
// The palette is a 24-bit image (bytes blue, green, red), rebuilt when the size or a setting
// that shapes it changes, at the next paint. The crosshair is drawn over it at every paint;
// moving it repaints only the 31 x 31 squares around its old and new places.
#pragma once

#include "controls/EkColor.h"
#include "controls/Graphics.h"

#include <QImage>
#include <QWidget>
#include <cstdint>

// tcpHorizontal: hue along x, lightness along y, grey band at the right. tcpVertical: hue
// along y, lightness along x, grey band at the bottom.
enum TCpOrientation { tcpHorizontal = 0, tcpVertical = 1 };

class TEkColorPal : public QWidget {
    Q_OBJECT
public:
    // 200 x 100, takes the focus with Tab and clicks, tracks the mouse.
    explicit TEkColorPal(QWidget* parent = nullptr);

    // ---- palette settings (each rebuilds the palette at the next paint) -----------------------
    // Width of the grey band plus what the hue segments leave over; clamped to 0 or more.
    int GraySize() const { return graySize_; }
    void setGraySize(int value);
    TCpOrientation Orientation() const { return orientation_; }
    void setOrientation(TCpOrientation value);
    // 0..255: tints the pure hues towards white and moves them along the lightness axis
    // (towards the white end). Clamped.
    int Pastel() const { return pastel_; }
    void setPastel(int value);
    // White at the top (or left) and black at the far end; false reverses the lightness axis.
    bool White2Black() const { return white2Black_; }
    void setWhite2Black(bool value);

    // ---- picking ---------------------------------------------------------------------------------
    // The crosshair follows the mouse without a button, and a left press picks at once
    // (colorPickLeft) instead of at the release. Ctrl held reverses this setting.
    bool HotTrack() const { return hotTrack_; }
    void setHotTrack(bool value);
    // The right button picks nothing.
    bool NoRightSelect() const { return noRightSelect_; }
    void setNoRightSelect(bool value);

    // Places the crosshair for a colour given on the 0..240 scale of hue, saturation and
    // luminance, and returns the pastel value that suits it (255 for saturation 0, 0 for 240,
    // else findPastel's). With applyPastel the palette takes that pastel. (Working out the
    // pastel for a saturation between the ends sets Pastel in any case.)
    int FindColor(int hue, int saturation, int luminance, bool applyPastel);
    // Reports the colour at (x, y) through colorChange, then moves the crosshair there
    // (clamped to the control).
    void SetCrossPos(int x, int y);
    // Number of distinct colours of the palette image; 0 for an image without pixels.
    int getColorCount() const;
    // The arrow-key handling, for a parent that receives the keys itself; other keys are
    // ignored.
    void ArrowKey(int key, Qt::KeyboardModifiers modifiers);
    // The colour under the crosshair; it also becomes Color().
    TEkColor getColor();
    int getPastel() const { return pastel_; }

    // The last colour reported through colorChange, picked with the left and with the right
    // button (none, -1, at first).
    TEkColor Color() const { return color_; }
    TEkColor leftPick() const { return leftPick_; }
    TEkColor rightPick() const { return rightPick_; }
    QPoint crossPos() const { return QPoint(cursorX_, cursorY_); }
    // Length of the hue part along its axis, set by each successful build (0 before).
    int hueExtent() const { return hueLength_; }
    // The palette image as last built (blank white where a build was refused).
    const QImage& paletteImage() const { return paletteBitmap_; }

signals:
    // The colour under the crosshair: at every paint, and whenever the crosshair moves by mouse,
    // keys or SetCrossPos.
    void colorChange(TEkColor color);
    void colorPickLeft(TEkColor color);
    void colorPickRight(TEkColor color);
    // After every paint.
    void paintDone();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Resizes the palette image to the control (dropping its picture) and scales the
    // crosshair to the new size; nothing when the sizes agree.
    void followSize();
    void CreateColorPal(const TRect& r);
    // Build the palette into bitmap; false (nothing drawn) when the bitmap is smaller than
    // width x height or the axes are too short for two-pixel hue segments and a four-entry
    // lightness axis.
    bool CreateColorPalHorz(QImage& bitmap, int width, int height, bool white2Black, uint8_t pastel);
    bool CreateColorPalVert(QImage& bitmap, int width, int height, bool white2Black, uint8_t pastel);
    int findPastel(int hue, int saturation, int luminance);
    void moveCursor(int x, int y);
    void drawCursor(QPainter& canvas, int x, int y) const;
    void changeCursor(bool hide);
    // The palette's colour at (x, y); none outside the image.
    TEkColor pixelColor(int x, int y) const;
    bool tracking(Qt::KeyboardModifiers modifiers) const;
    // Moves the crosshair to (x, y) and reports the colour there.
    void trackTo(int x, int y);

    QImage paletteBitmap_;
    TRect paletteRect_;
    bool paletteDirty_ = false;
    uint8_t pastel_ = 0;
    int clickTolerance_ = 0;
    int cursorX_ = 0;
    int cursorY_ = 0;
    int graySize_ = 6;
    int hueLength_ = 0;
    bool hotTrack_ = false;
    bool noRightSelect_ = false;
    bool white2Black_ = true;
    TCpOrientation orientation_ = tcpHorizontal;
    TEkColor color_;
    TEkColor leftPick_;
    TEkColor rightPick_;
};
