#pragma once
// Small graphics vocabulary shared by the painter and the controls: the rectangle, the
// class-library colour value with its system colours, the painter's exception and the
// text-format flags of the text calls.

#include <QRect>
#include <QString>
#include <cstdint>
#include <stdexcept>

class QColor;

// Rectangle with exclusive right and bottom edges: (0, 0, 3, 2) covers 3 x 2 pixels.
// Unlike QRect, right() - left() is the width; convert only at the Qt boundary.
struct TRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    constexpr TRect() = default;
    constexpr TRect(int l, int t, int r, int b) : left(l), top(t), right(r), bottom(b) {}

    constexpr int width() const { return right - left; }
    constexpr int height() const { return bottom - top; }
    // True when the rectangle covers no pixel (also for inverted edges).
    constexpr bool isEmpty() const { return right <= left || bottom <= top; }
    constexpr bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    constexpr bool operator==(const TRect&) const = default;

    QRect toQRect() const { return QRect(left, top, right - left, bottom - top); }
    static TRect fromQRect(const QRect& r) {
        return TRect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height());
    }
};

// The class-library colour: 0x00BBGGRR, or a system colour 0xFF0000nn (top byte 0xFF, nn the
// system colour's index). A thin wrapper rather than a plain integer so that TEkColor can tell a
// TColor (whose system colours it resolves) from a raw colour word; it converts to and from
// uint32_t implicitly, so literals and comparisons read as plain numbers.
struct TColor {
    uint32_t value = 0;
    constexpr TColor() = default;
    constexpr TColor(uint32_t v) : value(v) {}
    constexpr operator uint32_t() const { return value; }
};

constexpr TColor clBlack{0x000000};
constexpr TColor clWhite{0xFFFFFF};
constexpr TColor clNone{0x1FFFFFFF};
// System colours. They resolve through a fixed table of ours (colorToRGB) so that every
// picture is the same on every desktop.
constexpr TColor clWindow{0xFF000005};
constexpr TColor clWindowText{0xFF000008};
constexpr TColor clHighlight{0xFF00000D};
constexpr TColor clHighlightText{0xFF00000E};
constexpr TColor clBtnFace{0xFF00000F};
constexpr TColor clBtnShadow{0xFF000010};
constexpr TColor clGrayText{0xFF000011};
constexpr TColor clBtnText{0xFF000012};
constexpr TColor clBtnHighlight{0xFF000014};
constexpr TColor clHotLight{0xFF00001A};

// True for a system colour (top byte 0xFF).
constexpr bool isSystemColor(TColor c) {
    return (c.value & 0xFF000000u) == 0xFF000000u;
}
// A system colour becomes its RGB value from our table (0x00BBGGRR, top byte 0); an unknown
// system index gives black. Any other value is returned unchanged.
TColor colorToRGB(TColor c);
// Opaque QColor of colorToRGB(c).
QColor toQColor(TColor c);
// 0x00BBGGRR of an opaque QColor.
TColor fromQColor(const QColor& c);

// Pixels per inch that turn every font size (in points) into pixels, project-wide, so that
// text measures the same on every screen.
constexpr int kFontPixelsPerInch = 96;

// The painter's error: thrown with the texts "No Bitmap Created", "Pixel X Value out of Range",
// "Pixel Y Value out of Range", "Scanlines Out of Range" and "No DibSection". Every paintEvent
// that paints catches it; it must never cross Qt's event loop.
class EInvalidGraphicOperation : public std::runtime_error {
public:
    explicit EInvalidGraphicOperation(const QString& message)
        : std::runtime_error(message.toStdString()), text_(message) {}
    const QString& message() const { return text_; }

private:
    QString text_;
};

// Text-format flags of TEkBmp::drawText / drawCaption / calcTextRect (values as the text calls
// define them). Horizontal: left (0), centre, right. DT_VCENTER and DT_BOTTOM apply to single
// lines only. Without DT_NOPREFIX an '&' marks the next character as a mnemonic (underlined,
// "&&" shows one '&'). Without DT_NOCLIP the text is clipped to its rectangle.
constexpr unsigned DT_TOP = 0x0000;
constexpr unsigned DT_LEFT = 0x0000;
constexpr unsigned DT_CENTER = 0x0001;
constexpr unsigned DT_RIGHT = 0x0002;
constexpr unsigned DT_VCENTER = 0x0004;
constexpr unsigned DT_BOTTOM = 0x0008;
constexpr unsigned DT_WORDBREAK = 0x0010;
constexpr unsigned DT_SINGLELINE = 0x0020;
constexpr unsigned DT_NOCLIP = 0x0100;
constexpr unsigned DT_CALCRECT = 0x0400;
constexpr unsigned DT_NOPREFIX = 0x0800;

// Qt::AlignmentFlag | Qt::TextFlag combination for a DT_* format (DT_CALCRECT and DT_NOCLIP
// are not part of it; the caller handles them).
int qtTextFlags(unsigned format);
