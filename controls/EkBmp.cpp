#include "controls/EkBmp.h"

#include "controls/ImgList.h"

#include <QDebug>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

// Opaque alpha byte of a pixel word.
constexpr TPixel kAlphaMask = 0xFF000000u;
constexpr TPixel kColourMask = 0x00FFFFFFu;

[[noreturn]] void fail(const char* text) {
    throw EInvalidGraphicOperation(QString::fromLatin1(text));
}

constexpr uint32_t byteAt(TPixel p, int i) {
    return (p >> (8 * i)) & 0xFFu;
}

// Per colour byte (d * (255 - a) + s * a) >> 8, alpha of d kept.
inline TPixel blendBytes(TPixel d, TPixel s, uint32_t a) {
    const uint32_t na = 255u - a;
    return (d & kAlphaMask) | ((byteAt(d, 0) * na + byteAt(s, 0) * a) >> 8) |
           (((byteAt(d, 1) * na + byteAt(s, 1) * a) >> 8) << 8) |
           (((byteAt(d, 2) * na + byteAt(s, 2) * a) >> 8) << 16);
}

// The same grey level in all three colour bytes.
constexpr TPixel greyWord(uint32_t g) {
    return g | (g << 8) | (g << 16);
}

// Weight tables of the faces.
constexpr uint8_t kGlassHighlight[11] = {130, 120, 105, 85, 65, 45, 25, 10, 10, 10, 10};
constexpr uint8_t kShadedFace[11] = {76, 56, 39, 29, 22, 17, 13, 10, 10, 14, 18};
constexpr int kFaceBandRows = 11;

// Coverage of the soft inner corners: triangle rows of 4, 3, 2 and 1 entries.
constexpr uint8_t kSoftInnerCorner[10] = {255, 255, 168, 64, 255, 120, 15, 168, 15, 64};
// Alpha of a softened corner: the corner pixel, then its neighbours along the edges.
constexpr uint8_t kSoftCornerAlpha[3] = {50, 180, 180};

// ---- grip shade tables: a positive entry lightens by v, a negative one darkens by -v ----------

constexpr int16_t kGripTall9[7 * 4] = {80,   80, 80, 80,  65,   -125, -145, 65,  55,  -95, -125, 55, 45, -85,
                                       -120, 45, 25, -70, -120, 25,   15,   -50, -90, 15,  0,    15, 15, 0};
constexpr int16_t kGripTall12[7 * 5] = {80,  80,   80,  80,  80,  65,  -105, -125, -145, 65,  55,  -65,
                                        -95, -125, 55,  45,  -45, -85, -120, 45,   25,   -40, -70, -120,
                                        25,  15,   -35, -50, -90, 15,  0,    15,   15,   15,  0};
constexpr int16_t kGripTall14[7 * 6] = {
    80,  80,   80, 80, 80,  80,  65,  -80,  -105, -125, -145, 65,  55,  -45, -65, -95, -125, 55, 45, -30, -45,
    -85, -120, 45, 25, -25, -40, -70, -120, 25,   15,   -30,  -35, -50, -90, 15,  0,   15,   15, 15, 15,  0};
constexpr int16_t kGripWide9[4 * 7] = {80, 65,   55,  45,  25,  15,  0,  80, -145, -125, -120, -120, -90, 15,
                                       80, -120, -95, -85, -70, -50, 15, 80, 65,   55,   45,   25,   15,  0};
constexpr int16_t kGripWide12[5 * 7] = {80,  65,  55,  45,   25,  15,  0,   80,  -145, -125, -120, -120,
                                        -90, 15,  80,  -120, -95, -85, -70, -50, 15,   80,   -105, -65,
                                        -45, -40, -35, 15,   80,  65,  55,  45,  25,   15,   0};
constexpr int16_t kGripWide14[6 * 7] = {80, 65,   55,  45,  25,  15,  0,  80, -145, -125, -120, -120, -90, 15,
                                        80, -120, -95, -85, -70, -50, 15, 80, -105, -65,  -45,  -40,  -35, 15,
                                        80, -80,  -45, -30, -25, -30, 15, 80, 65,   55,   45,   25,   15,  0};

inline TPixel shadePixel(TPixel p, int v) {
    return v < 0 ? darken(p, uint8_t(-v)) : lighten(p, uint8_t(v));
}

// Copies of a grip's ridge cell after the first: two where more than three cells fit, one where
// more than two do.
constexpr int extraRidges(int available, int cell) {
    return available > 3 * cell ? 2 : available > 2 * cell ? 1 : 0;
}

// Pixel operations of the runs and corners: p := darken(p, wt), p := lighten(p, wt), p := c.
auto darkenBy(uint8_t wt) {
    return [wt](TPixel& p) { p = darken(p, wt); };
}
auto lightenBy(uint8_t wt) {
    return [wt](TPixel& p) { p = lighten(p, wt); };
}
auto setTo(TPixel c) {
    return [c](TPixel& p) { p = c; };
}

// A pipe across n pixels: a ramp from `first` to the light colour over the first `split` pixels
// (2/5 of n, 3/5 when wide), then from the light colour to `last` over the `rest`. The dark end,
// c2 darkened by shade, comes first in a wide pipe and last in a narrow one.
struct PipeRamps {
    int split, rest;
    TPixel first, last;
};
PipeRamps pipeRamps(int n, uint8_t shade, TPixel c2, bool wide) {
    const int split = wide ? 3 * n / 5 : 2 * n / 5;
    const TPixel dark = darken(c2, shade);
    return {split, n - split, wide ? dark : c2, wide ? c2 : dark};
}

// ---- mark masks: coverage bytes row by row, symmetric about both axes except where the given
// rows themselves are not (the circle's first row, the 11-pixel star's middle row) -----------
// clang-format off
constexpr uint8_t kDiamondMask9[9 * 9] = {
      0,   0,   0,   0, 243,   0,   0,   0,   0,
      0,   0,  46, 235, 255, 235,  46,   0,   0,
      0,  46, 235, 255, 255, 255, 235,  46,   0,
      0, 235, 255, 255, 255, 255, 255, 235,   0,
    243, 255, 255, 255, 255, 255, 255, 255, 243,
      0, 235, 255, 255, 255, 255, 255, 235,   0,
      0,  46, 235, 255, 255, 255, 235,  46,   0,
      0,   0,  46, 235, 255, 235,  46,   0,   0,
      0,   0,   0,   0, 243,   0,   0,   0,   0,
};
constexpr uint8_t kDiamondMask11[11 * 11] = {
      0,   0,   0,   0,   0, 226,   0,   0,   0,   0,   0,
      0,   0,   0,  40, 231, 255, 231,  40,   0,   0,   0,
      0,   0,  40, 231, 255, 255, 255, 231,  40,   0,   0,
      0,  40, 231, 255, 255, 255, 255, 255, 231,  40,   0,
      0, 231, 255, 255, 255, 255, 255, 255, 255, 231,   0,
    226, 255, 255, 255, 255, 255, 255, 255, 255, 255, 226,
      0, 231, 255, 255, 255, 255, 255, 255, 255, 231,   0,
      0,  40, 231, 255, 255, 255, 255, 255, 231,  40,   0,
      0,   0,  40, 231, 255, 255, 255, 231,  40,   0,   0,
      0,   0,   0,  40, 231, 255, 231,  40,   0,   0,   0,
      0,   0,   0,   0,   0, 226,   0,   0,   0,   0,   0,
};
constexpr uint8_t kDiamondMask13[13 * 13] = {
      0,   0,   0,   0,   0,  39, 207,  39,   0,   0,   0,   0,   0,
      0,   0,   0,   0,  40, 231, 255, 231,  40,   0,   0,   0,   0,
      0,   0,   0,  40, 231, 255, 255, 255, 231,  40,   0,   0,   0,
      0,   0,  40, 231, 255, 255, 255, 255, 255, 231,  40,   0,   0,
      0,  40, 231, 255, 255, 255, 255, 255, 255, 255, 231,  40,   0,
     39, 231, 255, 255, 255, 255, 255, 255, 255, 255, 255, 231,  39,
    207, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 207,
     39, 231, 255, 255, 255, 255, 255, 255, 255, 255, 255, 231,  39,
      0,  40, 231, 255, 255, 255, 255, 255, 255, 255, 231,  40,   0,
      0,   0,  40, 231, 255, 255, 255, 255, 255, 231,  40,   0,   0,
      0,   0,   0,  40, 231, 255, 255, 255, 231,  40,   0,   0,   0,
      0,   0,   0,   0,  40, 231, 255, 231,  40,   0,   0,   0,   0,
      0,   0,   0,   0,   0,  39, 207,  39,   0,   0,   0,   0,   0,
};
constexpr uint8_t kCircleMask7[7 * 7] = {
      0,  91, 219, 255, 215,  91,   0,
     90, 255, 255, 255, 255, 255,  90,
    214, 255, 255, 255, 255, 255, 214,
    255, 255, 255, 255, 255, 255, 255,
    214, 255, 255, 255, 255, 255, 214,
     90, 255, 255, 255, 255, 255,  90,
      0,  90, 214, 255, 214,  90,   0,
};
constexpr uint8_t kCircleMask9[9 * 9] = {
      0,  11, 135, 227, 255, 227, 135,  11,   0,
     11, 207, 255, 255, 255, 255, 255, 207,  11,
    135, 255, 255, 255, 255, 255, 255, 255, 135,
    227, 255, 255, 255, 255, 255, 255, 255, 227,
    255, 255, 255, 255, 255, 255, 255, 255, 255,
    227, 255, 255, 255, 255, 255, 255, 255, 227,
    135, 255, 255, 255, 255, 255, 255, 255, 135,
     11, 207, 255, 255, 255, 255, 255, 207,  11,
      0,  11, 135, 227, 255, 227, 135,  11,   0,
};
constexpr uint8_t kCircleMask11[11 * 11] = {
      0,   0,   7, 119, 207, 251, 207, 119,   7,   0,   0,
      0,  53, 234, 255, 255, 255, 255, 255, 234,  53,   0,
      7, 234, 255, 255, 255, 255, 255, 255, 255, 234,   7,
    119, 255, 255, 255, 255, 255, 255, 255, 255, 255, 119,
    207, 255, 255, 255, 255, 255, 255, 255, 255, 255, 207,
    255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255,
    207, 255, 255, 255, 255, 255, 255, 255, 255, 255, 207,
    119, 255, 255, 255, 255, 255, 255, 255, 255, 255, 119,
      7, 234, 255, 255, 255, 255, 255, 255, 255, 234,   7,
      0,  53, 234, 255, 255, 255, 255, 255, 234,  53,   0,
      0,   0,   7, 119, 207, 251, 207, 119,   7,   0,   0,
};
constexpr uint8_t kStarMask9[9 * 9] = {
      0,   0,   0,   0, 121,   0,   0,   0,   0,
      0,   1,   0,   0, 176,   0,   0,   1,   0,
      0,   0,  78,  19, 255,  19,  78,   0,   0,
      0,   0,  19, 207, 255, 207,  19,   0,   0,
    121, 176, 255, 255, 255, 255, 255, 176, 121,
      0,   0,  19, 207, 255, 207,  19,   0,   0,
      0,   0,  78,  19, 255,  19,  78,   0,   0,
      0,   1,   0,   0, 176,   0,   0,   1,   0,
      0,   0,   0,   0, 121,   0,   0,   0,   0,
};
constexpr uint8_t kStarMask11[11 * 11] = {
      0,   0,   0,   0,   0, 107,   0,   0,   0,   0,   0,
      0,   0,   0,   0,   0, 144,   0,   0,   0,   0,   0,
      0,   0,  19,   3,   0, 210,   0,   3,  19,   0,   0,
      0,   0,   3, 120,  32, 255,  32, 120,   3,   0,   0,
      0,   0,   0,  32, 222, 255, 222,  32,   0,   0,   0,
    106, 167, 211, 247, 255, 255, 255, 246, 213, 168, 106,
      0,   0,   0,  32, 222, 255, 222,  32,   0,   0,   0,
      0,   0,   3, 120,  32, 255,  32, 120,   3,   0,   0,
      0,   0,  19,   3,   0, 210,   0,   3,  19,   0,   0,
      0,   0,   0,   0,   0, 144,   0,   0,   0,   0,   0,
      0,   0,   0,   0,   0, 107,   0,   0,   0,   0,   0,
};
constexpr uint8_t kStarMask13[13 * 13] = {
      0,   0,   0,   0,   0,   0,  59,   0,   0,   0,   0,   0,   0,
      0,   0,   0,   0,   0,   0, 159,   0,   0,   0,   0,   0,   0,
      0,   0,   0,   0,   0,   3, 255,   3,   0,   0,   0,   0,   0,
      0,   0,   0,  28,   3,  40, 255,  40,   3,  28,   0,   0,   0,
      0,   0,   0,   3, 115, 104, 255, 104, 115,   3,   0,   0,   0,
      0,   0,   3,  40, 104, 251, 238, 251, 104,  40,   3,   0,   0,
     59, 159, 255, 255, 255, 238, 255, 238, 255, 255, 255, 159,  59,
      0,   0,   3,  40, 104, 251, 238, 251, 104,  40,   3,   0,   0,
      0,   0,   0,   3, 115, 104, 255, 104, 115,   3,   0,   0,   0,
      0,   0,   0,  28,   3,  40, 255,  40,   3,  28,   0,   0,   0,
      0,   0,   0,   0,   0,   3, 255,   3,   0,   0,   0,   0,   0,
      0,   0,   0,   0,   0,   0, 159,   0,   0,   0,   0,   0,   0,
      0,   0,   0,   0,   0,   0,  59,   0,   0,   0,   0,   0,   0,
};
// clang-format on

// Text without its mnemonic markers: '&x' shows x, "&&" shows '&'.
QString stripMnemonics(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'&' && i + 1 < text.size())
            ++i;
        else if (text.at(i) == u'&')
            continue;
        out.append(text.at(i));
    }
    return out;
}

} // namespace

// ---- lifecycle ---------------------------------------------------------------------------------

TEkBmp::TEkBmp() {
    resetFields();
}

TEkBmp::TEkBmp(int width, int height) {
    resetFields();
    // Negative sizes count as empty.
    w_ = std::max(width, 0);
    h_ = std::max(height, 0);
    createDib();
}

TEkBmp::~TEkBmp() {
    releaseDib(true);
}

void TEkBmp::resetFields() {
    delete[] pix_;
    pix_ = nullptr;
    memDc_ = false;
    flg_ = false;
    ownFont_ = false;
    bounds_ = TRect();
}

bool TEkBmp::allocate() {
    delete[] pix_;
    pix_ = nullptr;
    if (w_ <= 0 || h_ <= 0 || w_ > kMaxSide || h_ > kMaxSide)
        return false;
    const size_t bytes = size_t(w_) * size_t(h_) * sizeof(TPixel);
    if (bytes > kMaxBytes)
        return false;
    pix_ = new (std::nothrow) TPixel[size_t(w_) * size_t(h_)];
    return pix_ != nullptr;
}

void TEkBmp::createDib() {
    if (w_ > 0 && h_ > 0) {
        memDc_ = true;
        flg_ = false;
        if (!allocate()) {
            releaseDib(true);
            return;
        }
        std::memset(pix_, 0xFF, size_t(w_) * size_t(h_) * sizeof(TPixel));
        bounds_ = TRect(0, 0, w_, h_);
    } else if (pix_ || memDc_) {
        releaseDib(true);
    }
}

void TEkBmp::releaseDib(bool deleteDc) {
    delete[] pix_;
    pix_ = nullptr;
    if (deleteDc)
        memDc_ = false;
    flg_ = false;
    bounds_ = TRect();
}

void TEkBmp::assign(const TEkBmp& other) {
    if (&other == this)
        return;
    w_ = other.w_;
    h_ = other.h_;
    createDib();
    if (pix_ && other.pix_)
        std::memcpy(pix_, other.pix_, size_t(w_) * size_t(h_) * sizeof(TPixel));
    flg_ = other.flg_;
}

void TEkBmp::assignFrom(const TEkBmp* other) {
    if (!other || other == this)
        return;
    if (memDc_)
        releaseDib(false);
    assign(*other);
}

// ---- size --------------------------------------------------------------------------------------

void TEkBmp::resize(int newWidth, int newHeight, bool stretch, bool halftone, bool keepPicture) {
    const int oldWidth = w_;
    const int oldHeight = h_;
    w_ = std::max(newWidth, 0);
    h_ = std::max(newHeight, 0);
    if (!pix_) {
        releaseDib(true);
        createDib();
        return;
    }
    TPixel* old = pix_;
    pix_ = nullptr; // set aside; createDib makes new memory
    createDib();
    if (keepPicture && pix_) {
        if (stretch && halftone) {
            stretchSmooth(old, oldWidth, oldHeight);
        } else if (stretch) {
            // Nearest pixel, whole words: source column x * oldWidth / w, row y * oldHeight / h.
            for (int y = 0; y < h_; ++y) {
                const TPixel* from = old + size_t(y) * size_t(oldHeight) / size_t(h_) * size_t(oldWidth);
                TPixel* to = rowAddress(y);
                for (int x = 0; x < w_; ++x)
                    to[x] = from[size_t(x) * size_t(oldWidth) / size_t(w_)];
            }
        } else {
            const int cw = std::min(oldWidth, w_);
            const int ch = std::min(oldHeight, h_);
            for (int y = 0; y < ch; ++y)
                std::memcpy(rowAddress(y), old + size_t(y) * size_t(oldWidth), size_t(cw) * sizeof(TPixel));
        }
    }
    delete[] old;
}

// Colour bytes and alpha are scaled as two separate opaque pictures: scaling them together
// would weigh each colour by its alpha and wipe the colour of every pixel whose alpha is 0,
// which many fills leave.
void TEkBmp::stretchSmooth(const TPixel* old, int oldWidth, int oldHeight) {
    QImage colours(oldWidth, oldHeight, QImage::Format_RGB32);
    QImage alphas(oldWidth, oldHeight, QImage::Format_RGB32);
    if (colours.isNull() || alphas.isNull())
        return; // no memory for the scaling: the new picture stays white
    for (int y = 0; y < oldHeight; ++y) {
        const TPixel* from = old + size_t(y) * size_t(oldWidth);
        TPixel* c = reinterpret_cast<TPixel*>(colours.scanLine(y));
        TPixel* a = reinterpret_cast<TPixel*>(alphas.scanLine(y));
        for (int x = 0; x < oldWidth; ++x) {
            c[x] = from[x] | kAlphaMask;
            a[x] = kAlphaMask | (from[x] >> 24); // alpha in the blue byte
        }
    }
    const auto smooth = [this](const QImage& image) {
        return image.scaled(w_, h_, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
            .convertToFormat(QImage::Format_RGB32);
    };
    const QImage newColours = smooth(colours);
    const QImage newAlphas = smooth(alphas);
    if (newColours.isNull() || newAlphas.isNull())
        return;
    for (int y = 0; y < h_; ++y) {
        const TPixel* c = reinterpret_cast<const TPixel*>(newColours.constScanLine(y));
        const TPixel* a = reinterpret_cast<const TPixel*>(newAlphas.constScanLine(y));
        TPixel* to = rowAddress(y);
        for (int x = 0; x < w_; ++x)
            to[x] = (c[x] & kColourMask) | ((a[x] & 0xFFu) << 24);
    }
}

void TEkBmp::setWidth(int newWidth) {
    newWidth = std::abs(newWidth);
    if (newWidth != w_)
        resize(newWidth, h_, false, false, true);
}

void TEkBmp::setHeight(int newHeight) {
    newHeight = std::abs(newHeight);
    if (newHeight != h_)
        resize(w_, newHeight, false, false, true);
}

void TEkBmp::setSize(int newWidth, int newHeight, bool keepPicture) {
    newWidth = std::abs(newWidth);
    newHeight = std::abs(newHeight);
    if (newWidth != w_ || newHeight != h_)
        resize(newWidth, newHeight, false, false, keepPicture);
}

// ---- access ------------------------------------------------------------------------------------

void TEkBmp::getPixel(int x, int y, TEkColor& out) const {
    out = pixelToColor(pixelAt(x, y));
}

void TEkBmp::getPixelUnchecked(int x, int y, TEkColor& out) const {
    out = TEkColor(pix_[size_t(y) * size_t(w_) + size_t(x)]);
}

TPixel TEkBmp::pixelAt(int x, int y) const {
    if (!pix_)
        fail("No Bitmap Created");
    if (y < 0 || y >= h_)
        fail("Pixel Y Value out of Range");
    if (x < 0 || x >= w_)
        fail("Pixel X Value out of Range");
    return pix_[size_t(y) * size_t(w_) + size_t(x)];
}

const TPixel* TEkBmp::scanLine(int rowIndex) const {
    if (rowIndex > h_ - 1 || rowIndex < 0) {
        qDebug().noquote() << QStringLiteral("(Row > FHeight-1 || Row < 0) %1  %2").arg(rowIndex).arg(h_ - 1);
        fail("Scanlines Out of Range");
    }
    if (!pix_)
        fail("No DibSection");
    return pix_ + size_t(rowIndex) * size_t(w_);
}

TPixel* TEkBmp::scanLine(int rowIndex) {
    return const_cast<TPixel*>(static_cast<const TEkBmp*>(this)->scanLine(rowIndex));
}

QImage TEkBmp::image() {
    if (!pix_)
        return QImage();
    return QImage(reinterpret_cast<uchar*>(pix_), w_, h_, w_ * 4, QImage::Format_ARGB32);
}

// ---- checks ------------------------------------------------------------------------------------

void TEkBmp::checkDc() const {
    if (!memDc_)
        fail("No Bitmap Created");
}

bool TEkBmp::checkBitsClip(TRect& r) const {
    if (!pix_)
        fail("No Bitmap Created");
    return clipRect(r);
}

bool TEkBmp::checkDcClip(TRect& r) const {
    checkDc();
    return clipRect(r);
}

bool TEkBmp::clipRect(TRect& r) const {
    r.right = std::min(r.right, w_);
    r.bottom = std::min(r.bottom, h_);
    r.left = std::max(r.left, 0);
    r.top = std::max(r.top, 0);
    return r.left < r.right && r.top < r.bottom;
}

// ---- copy out ----------------------------------------------------------------------------------

QImage TEkBmp::toOpaqueImage() const {
    if (!pix_)
        return QImage();
    QImage out(w_, h_, QImage::Format_RGB32);
    for (int y = 0; y < h_; ++y) {
        const TPixel* src = pix_ + size_t(y) * size_t(w_);
        TPixel* dst = reinterpret_cast<TPixel*>(out.scanLine(y));
        for (int x = 0; x < w_; ++x)
            dst[x] = src[x] | kAlphaMask;
    }
    return out;
}

void TEkBmp::bitBlt(QPainter& dst, int x, int y) const {
    if (pix_)
        dst.drawImage(x, y, toOpaqueImage());
}

void TEkBmp::bitBltRect(QPainter& dst, int x, int y, TRect src) const {
    const TRect asked = src;
    if (!pix_ || !clipRect(src))
        return;
    // Source pixel (sx, sy) lands on (x + sx - asked.left, y + sy - asked.top), also when the
    // clip moved the rect's left or top edge.
    dst.drawImage(x + src.left - asked.left, y + src.top - asked.top, toOpaqueImage().copy(src.toQRect()));
}

// ---- compositing -------------------------------------------------------------------------------

bool TEkBmp::clampOffset(const TEkBmp& dst, int& x, int& y) const {
    x = std::max(x, 0);
    y = std::max(y, 0);
    if (x + w_ > dst.w_)
        x = dst.w_ - w_;
    if (y + h_ > dst.h_)
        y = dst.h_ - h_;
    return x >= 0 && y >= 0;
}

void TEkBmp::drawTo(TEkBmp* dst, int x, int y, uint8_t mode) const {
    if (!memDc_ || !pix_ || !dst || !dst->pix_)
        return;
    if (!clampOffset(*dst, x, y))
        return;
    blendRows(dst->pix_ + size_t(y) * size_t(dst->w_) + size_t(x), dst->w_, mode, h_, w_, pix_);
}

void TEkBmp::blendRows(TPixel* dst, int dstWidth, uint8_t mode, int rows, int columns,
                       const TPixel* src) const {
    constexpr uint32_t kBlendSkip = 8;  // mode 0 leaves pixels below this alpha
    constexpr uint32_t kGhostSkip = 15; // the other modes leave pixels below this alpha
    constexpr uint32_t kFullFrom = 241; // from this alpha on the source counts as opaque
    for (int r = 0; r < rows; ++r) {
        TPixel* d = dst + size_t(r) * size_t(dstWidth);
        const TPixel* s = src + size_t(r) * size_t(w_);
        for (int i = 0; i < columns; ++i) {
            const TPixel sp = s[i];
            const uint32_t a = sp >> 24;
            switch (mode) {
            case bmAlphaBlend:
                if (a < kBlendSkip)
                    break;
                d[i] = a >= kFullFrom ? (d[i] & kAlphaMask) | (sp & kColourMask) : blendBytes(d[i], sp, a);
                break;
            case bmGhost75:
            case bmGhost50: {
                if (a < kGhostSkip)
                    break;
                const TPixel b = a >= kFullFrom ? sp : blendBytes(d[i], sp, a);
                const TPixel half = halfMixOpaque(d[i], b);
                // three quarters b: the half mix once more with b
                d[i] = mode == bmGhost75 ? halfMixOpaque(half, b) : half;
                break;
            }
            case bmGrey:
            case bmGreyGhost75:
            case bmGreyGhost50: {
                if (a < kGhostSkip)
                    break;
                const TPixel g = greyWord(greyLevel(sp));
                const TPixel b = a >= kFullFrom ? (d[i] & kAlphaMask) | g : blendBytes(d[i], g, a);
                if (mode == bmGrey)
                    d[i] = b;
                else if (mode == bmGreyGhost75)
                    d[i] = halfMixOpaque(halfMixOpaque(d[i], b), b);
                else
                    d[i] = halfMixOpaque(d[i], b);
                break;
            }
            default: // copy, also every mode above the grey ghosts
                d[i] = sp;
                break;
            }
        }
    }
}

void TEkBmp::makeGrey() {
    if (!pix_)
        return;
    const size_t n = size_t(w_) * size_t(h_);
    for (size_t i = 0; i < n; ++i)
        pix_[i] = (pix_[i] & kAlphaMask) | greyWord(greyLevel(pix_[i]));
}

void TEkBmp::premultiplyAlpha() {
    constexpr uint32_t kEepFrom = 251; // nearly opaque pixels stay as they are
    if (!pix_)
        return;
    const size_t n = size_t(w_) * size_t(h_);
    for (size_t i = 0; i < n; ++i) {
        const uint32_t a = pix_[i] >> 24;
        if (a >= kEepFrom)
            continue;
        // c := c * alpha >> 8
        pix_[i] = (pix_[i] & kAlphaMask) | ((byteAt(pix_[i], 0) * a) >> 8) |
                  (((byteAt(pix_[i], 1) * a) >> 8) << 8) | (((byteAt(pix_[i], 2) * a) >> 8) << 16);
    }
}

bool TEkBmp::hasNoPartialAlpha(const TPixel* pixels, int count) {
    for (int i = 0; i < count; ++i) {
        const uint32_t a = pixels[i] >> 24;
        if (a > 10 && a < 245)
            return false;
    }
    return true;
}

// ---- fills and gradients -----------------------------------------------------------------------

void TEkBmp::fill(TEkColor c) {
    if (pix_)
        fillPixels(pix_, w_ * h_, colorToPixel(c));
}

void TEkBmp::fillRect(TRect r, TEkColor c) {
    if (!checkBitsClip(r))
        return;
    fillPixels(pixelPtr(r), r.width(), colorToPixel(c));
    copyFirstRowDown(r);
}

void TEkBmp::copyFirstRowDown(TRect r) {
    const TPixel* first = pixelPtr(r);
    for (int y = r.top + 1; y < r.bottom; ++y)
        std::memcpy(rowAddress(y) + r.left, first, size_t(r.width()) * sizeof(TPixel));
}

void TEkBmp::fillRowsWith(TRect r, const TPixel* colours) {
    for (int y = r.top; y < r.bottom; ++y)
        fillPixels(rowAddress(y) + r.left, r.width(), colours[y - r.top]);
}

void TEkBmp::fillRectCutCorners(TRect r, TEkColor c) {
    if (!checkBitsClip(r))
        return;
    const TPixel p = colorToPixel(c);
    for (int y = r.top; y < r.bottom; ++y) {
        const bool edgeRow = y == r.top || y == r.bottom - 1;
        if (edgeRow)
            fillPixels(rowAddress(y) + r.left + 1, r.width() - 2, p);
        else
            fillPixels(rowAddress(y) + r.left, r.width(), p);
    }
}

void TEkBmp::clearRect(TRect r) {
    if (!checkDcClip(r) || !pix_)
        return;
    for (int y = r.top; y < r.bottom; ++y)
        fillPixels(rowAddress(y) + r.left, r.width(), 0u);
}

void TEkBmp::gradientFill(bool vertical, TRect r, TEkColor c1, TEkColor c2) {
    if (vertical)
        gradientFillVert(r, colorToPixel(c1), colorToPixel(c2));
    else
        gradientFillHorz(r, colorToPixel(c1), colorToPixel(c2));
}

void TEkBmp::gradientFillVert(TRect r, TPixel c1, TPixel c2) {
    if (!checkBitsClip(r))
        return;
    TEkColorBuf ramp(r.height());
    fillColorRamp32(ramp.pixels(), r.height(), c1, c2);
    fillRowsWith(r, ramp.pixels());
}

void TEkBmp::gradientFillHorz(TRect r, TPixel c1, TPixel c2) {
    if (!checkBitsClip(r))
        return;
    fillColorRamp32(pixelPtr(r), r.width(), c1, c2);
    copyFirstRowDown(r);
}

void TEkBmp::pipeFill(bool vertical, uint8_t shade, TRect r, TEkColor c1, TEkColor c2, bool wide) {
    if (!checkDcClip(r))
        return;
    if (vertical)
        pipeFillVert(r, shade, colorToPixel(c1), colorToPixel(c2), wide);
    else
        pipeFillHorz(r, shade, colorToPixel(c1), colorToPixel(c2), wide);
}

void TEkBmp::pipeFillVert(TRect r, uint8_t shade, TPixel c1, TPixel c2, bool wide) {
    if (!checkBitsClip(r))
        return;
    const PipeRamps pipe = pipeRamps(r.height(), shade, c2, wide);
    const int middle = r.top + pipe.split;
    TEkColorBuf ramp(std::max(pipe.split, pipe.rest) + 2);
    TPixel* colours = ramp.pixels();
    fillColorRamp32(colours, pipe.split, pipe.first, c1);
    fillRowsWith(TRect(r.left, r.top, r.right, middle), colours);
    fillColorRamp32(colours, pipe.rest, c1, pipe.last);
    fillRowsWith(TRect(r.left, middle, r.right, r.bottom), colours);
}

void TEkBmp::pipeFillHorz(TRect r, uint8_t shade, TPixel c1, TPixel c2, bool wide) {
    if (!checkBitsClip(r))
        return;
    const int n = r.width();
    const PipeRamps pipe = pipeRamps(n, shade, c2, wide);
    // Built in a scratch row of n + 2 entries: the second ramp runs one entry past the rect's
    // last column, and that entry is not copied.
    TEkColorBuf row(n + 1);
    TPixel* line = row.pixels();
    fillColorRamp32(line, pipe.split + 1, pipe.first, c1);
    // The second ramp starts at the colour before the split; with no such pixel, at c1.
    const TPixel restStart = pipe.split > 0 ? line[pipe.split - 1] : c1;
    fillColorRamp32(line + pipe.split + 1, pipe.rest, restStart, pipe.last);
    std::memcpy(pixelPtr(r), line, size_t(n) * sizeof(TPixel));
    copyFirstRowDown(r);
}

// ---- edges and bevels --------------------------------------------------------------------------

template <class F> void TEkBmp::forRun(int x, int y, int dx, int dy, int n, F f) {
    for (int i = 0; i < n; ++i, x += dx, y += dy)
        if (inside(x, y))
            f(*at(x, y));
}

template <class F> void TEkBmp::forPixel(int x, int y, F f) {
    if (inside(x, y))
        f(*at(x, y));
}

template <class F> void TEkBmp::forCorners(TRect r, int x, int y, F f) {
    forPixel(r.left + x, r.top + y, f);
    forPixel(r.right - 1 - x, r.top + y, f);
    forPixel(r.left + x, r.bottom - 1 - y, f);
    forPixel(r.right - 1 - x, r.bottom - 1 - y, f);
}

template <class F> void TEkBmp::forSides(TRect r, int inset, F f) {
    forRun(r.left + inset, r.top, 1, 0, r.width() - 2 * inset, f);
    forRun(r.left + inset, r.bottom - 1, 1, 0, r.width() - 2 * inset, f);
    forRun(r.left, r.top + inset, 0, 1, r.height() - 2 * inset, f);
    forRun(r.right - 1, r.top + inset, 0, 1, r.height() - 2 * inset, f);
}

void TEkBmp::darkenLeftEdge(TRect r, uint8_t wt) {
    if (!r.isEmpty())
        forRun(r.left, r.top, 0, 1, r.height() - 1, darkenBy(wt));
}
void TEkBmp::lightenLeftEdge(TRect r, uint8_t wt) {
    if (!r.isEmpty())
        forRun(r.left, r.top, 0, 1, r.height() - 1, lightenBy(wt));
}
void TEkBmp::darkenTopEdge(TRect r, uint8_t wt) {
    if (!r.isEmpty())
        forRun(r.left, r.top, 1, 0, r.width() - 1, darkenBy(wt));
}
void TEkBmp::lightenTopEdge(TRect r, uint8_t wt) {
    if (!r.isEmpty())
        forRun(r.left, r.top, 1, 0, r.width() - 1, lightenBy(wt));
}
void TEkBmp::darkenRightEdge(TRect r, uint8_t wt) {
    if (!r.isEmpty())
        forRun(r.right - 1, r.top, 0, 1, r.height(), darkenBy(wt));
}
void TEkBmp::lightenRightEdge(TRect r, uint8_t wt) {
    if (!r.isEmpty())
        forRun(r.right - 1, r.top, 0, 1, r.height(), lightenBy(wt));
}
void TEkBmp::darkenBottomEdge(TRect r, uint8_t wt) {
    if (!r.isEmpty())
        forRun(r.left, r.bottom - 1, 1, 0, r.width(), darkenBy(wt));
}
void TEkBmp::lightenBottomEdge(TRect r, uint8_t wt) {
    if (!r.isEmpty())
        forRun(r.left, r.bottom - 1, 1, 0, r.width(), lightenBy(wt));
}

void TEkBmp::drawSunkenEdge(TRect r) {
    darkenLeftEdge(r, 60);
    darkenTopEdge(r, 90);
    lightenRightEdge(r, 120);
    lightenBottomEdge(r, 150);
}

void TEkBmp::drawRaisedEdge(TRect r) {
    lightenLeftEdge(r, 120);
    lightenTopEdge(r, 150);
    darkenRightEdge(r, 60);
    darkenBottomEdge(r, 90);
}

void TEkBmp::drawSunkenFrame(TRect r, bool partialInner) {
    darkenLeftEdge(r, 90);
    darkenTopEdge(r, 120);
    lightenRightEdge(r, 120);
    lightenBottomEdge(r, 160);
    inflateRect(r, -1, -1);
    darkenLeftEdge(r, 60);
    darkenTopEdge(r, 90);
    if (!partialInner) {
        lightenRightEdge(r, 90);
        lightenBottomEdge(r, 120);
    }
}

void TEkBmp::drawRaisedFrame(TRect r, bool partialInner) {
    lightenLeftEdge(r, 120);
    lightenTopEdge(r, 150);
    darkenRightEdge(r, 90);
    darkenBottomEdge(r, 120);
    inflateRect(r, -1, -1);
    darkenRightEdge(r, 60);
    darkenBottomEdge(r, 90);
    if (!partialInner) {
        lightenLeftEdge(r, 90);
        lightenTopEdge(r, 120);
    }
}

void TEkBmp::drawSliderEdge(bool doubleRing, bool raised, TRect r) {
    if (!checkBitsClip(r))
        return;
    if (doubleRing) {
        if (raised)
            drawRaisedFrame(r, true);
        else
            drawSunkenFrame(r, true);
    } else if (raised) {
        drawRaisedEdge(r);
    } else {
        drawSunkenEdge(r);
    }
}

void TEkBmp::drawBevel(bool endsOnly, TRect r) {
    if (!checkBitsClip(r))
        return;
    if (!endsOnly) {
        lightenTopEdge(r, 150);
        darkenBottomEdge(r, 90);
        lightenLeftEdge(r, 120);
        darkenRightEdge(r, 60);
    } else if (r.height() <= r.width()) {
        lightenLeftEdge(r, 120);
        darkenRightEdge(r, 60);
    } else {
        lightenTopEdge(r, 150);
        darkenBottomEdge(r, 90);
    }
    softenCorners(r);
}

void TEkBmp::softenCorners(TRect r) {
    if (!checkBitsClip(r))
        return;
    setCornerAlpha(r, kSoftCornerAlpha, 2);
}

void TEkBmp::setCornerAlpha(TRect r, const uint8_t* table, int n) {
    int k = 0;
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n - i; ++j, ++k) {
            const TPixel alpha = TPixel(table[k]) << 24;
            forCorners(r, j, i, [alpha](TPixel& p) { p = (p & kColourMask) | alpha; });
        }
    }
}

void TEkBmp::drawSoftInnerCorners(TRect r) {
    TRect grown = r;
    inflateRect(grown, 1, 1);
    if (!checkBitsClip(grown))
        return;
    softCornerBlend(r, kSoftInnerCorner, 4);
}

void TEkBmp::softCornerBlend(TRect r, const uint8_t* table, int n) {
    struct Corner {
        int x, y;   // the corner pixel
        int dx, dy; // direction into the rect
        int ax, ay; // first outside neighbour
        int bx, by; // second outside neighbour
    };
    const Corner corners[4] = {
        {r.left, r.top, 1, 1, r.left - 1, r.top, r.left, r.top - 1},
        {r.right - 1, r.top, -1, 1, r.right, r.top, r.right - 1, r.top - 1},
        {r.left, r.bottom - 1, 1, -1, r.left - 1, r.bottom - 1, r.left, r.bottom},
        {r.right - 1, r.bottom - 1, -1, -1, r.right, r.bottom - 1, r.right - 1, r.bottom},
    };
    for (const Corner& c : corners) {
        // The colour comes from outside the rect; without those pixels the corner stays.
        if (!inside(c.ax, c.ay) || !inside(c.bx, c.by))
            continue;
        const TPixel colour = halfMixOpaque(*at(c.ax, c.ay), *at(c.bx, c.by));
        int k = 0;
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n - i; ++j, ++k) {
                const int x = c.x + c.dx * j;
                const int y = c.y + c.dy * i;
                if (inside(x, y))
                    blendMask(at(x, y), 1, 1, table + k, 1, colour, w_);
            }
    }
}

// ---- lines and frames --------------------------------------------------------------------------

void TEkBmp::hLine(int y, int x1, TPixel p, int x2) {
    if (x1 == x2)
        return;
    const int dx = x2 > x1 ? 1 : -1;
    forRun(x1, y, dx, 0, std::abs(x2 - x1), setTo(p));
}

void TEkBmp::vLine(int x, int y1, TPixel p, int y2) {
    if (y1 == y2)
        return;
    const int dy = y2 > y1 ? 1 : -1;
    forRun(x, y1, 0, dy, std::abs(y2 - y1), setTo(p));
}

void TEkBmp::drawFrame(int thickness, TRect r, TEkColor c) {
    if (!memDc_)
        return;
    const TPixel p = colorToPixel(c);
    const int rings = std::min(r.width(), r.height()) / 2;
    for (int i = 0; i < thickness && i < rings; ++i) {
        hLine(r.top + i, r.left + i, p, r.right - i);
        vLine(r.left + i, r.top + i, p, r.bottom - i);
        vLine(r.right - 1 - i, r.top + i, p, r.bottom - i);
        hLine(r.bottom - 1 - i, r.left + i, p, r.right - i);
    }
}

// ---- smoothing and rotation --------------------------------------------------------------------

void TEkBmp::smoothHorz(TRect r) {
    smoothRows(r, false);
}

void TEkBmp::smoothHorzKeepAlpha(TRect r) {
    smoothRows(r, true);
}

void TEkBmp::smoothRows(TRect r, bool keepAlpha) {
    if (!checkBitsClip(r))
        return;
    for (int y = r.top; y < r.bottom; ++y) {
        TPixel* line = rowAddress(y);
        for (int x = r.left + 2; x <= r.right - 2; ++x) {
            // c := (left >> 1 & 0x7F) + (right >> 1 & 0x7F) per colour byte
            const TPixel mix = halfMixWords(line[x - 1], line[x + 1]);
            line[x] = mix | (keepAlpha ? line[x] & kAlphaMask : kAlphaMask);
        }
    }
}

void TEkBmp::smoothVert(TRect r) {
    if (!checkBitsClip(r))
        return;
    for (int y = r.top + 1; y <= r.bottom - 3; ++y) {
        TPixel* above = rowAddress(y - 1);
        TPixel* line = rowAddress(y);
        TPixel* below = rowAddress(y + 1);
        for (int x = r.left + 1; x <= r.right - 1; ++x)
            line[x] = halfMixOpaque(above[x], below[x]);
    }
}

void TEkBmp::rotate180(int left, int top, int right, int bottom) {
    TRect r(left, top, right, bottom);
    if (!pix_ || !clipRect(r))
        return;
    // Turning by 180 degrees reverses the rect's pixels in row order.
    const long long cols = r.width();
    const long long count = cols * r.height();
    for (long long i = 0, j = count - 1; i < j; ++i, --j)
        std::swap(*at(r.left + int(i % cols), r.top + int(i / cols)),
                  *at(r.left + int(j % cols), r.top + int(j / cols)));
}

// ---- rounded outlines --------------------------------------------------------------------------

void TEkBmp::darkenRoundedOutline(TRect r, uint8_t wt) {
    if (r.isEmpty())
        return;
    const uint8_t a = uint8_t(4 * wt / 9);
    const uint8_t b = uint8_t(6 * wt / 7);
    const uint8_t e = uint8_t(wt >> 2);
    // Top-left corner pattern (x, y, weight); the others are its mirror images.
    const struct {
        int x, y;
        uint8_t weight;
    } pattern[7] = {{1, 0, a}, {2, 0, b}, {0, 1, a}, {1, 1, b}, {2, 1, e}, {0, 2, b}, {1, 2, e}};
    for (const auto& c : pattern)
        forCorners(r, c.x, c.y, darkenBy(c.weight));
    forSides(r, 3, darkenBy(wt));
}

void TEkBmp::lightenInnerOutline(TRect r, uint8_t wt) {
    if (r.isEmpty())
        return;
    forSides(r, 1, lightenBy(wt));
    forCorners(r, 1, 1, lightenBy(uint8_t(5 * wt / 7)));
}

void TEkBmp::drawRoundedFrameSmall(TRect r, TPixel p) {
    if (r.isEmpty())
        return;
    forSides(r, 1, setTo(p));
    forCorners(r, 1, 1, [p](TPixel& d) { d = halfMixOpaque(d, p); });
}

void TEkBmp::drawRoundedFrame(TRect r, TPixel p) {
    if (r.isEmpty())
        return;
    enum Mix { half, threeQuarters, quarter };
    // H: half mix with the colour; Q3: H mixed with the colour again; Q1: H mixed with the pixel.
    const auto mixed = [p](TPixel d, Mix m) {
        const TPixel h = halfMixOpaque(d, p);
        return m == half ? h : m == threeQuarters ? halfMixOpaque(h, p) : halfMixOpaque(h, d);
    };
    const struct {
        int x, y;
        Mix mix;
    } pattern[7] = {{1, 0, half},    {2, 0, threeQuarters}, {0, 1, half},   {1, 1, threeQuarters},
                    {2, 1, quarter}, {0, 2, threeQuarters}, {1, 2, quarter}};
    for (const auto& c : pattern)
        forCorners(r, c.x, c.y, [&](TPixel& d) { d = mixed(d, c.mix); });
    forSides(r, 3, setTo(p));
}

void TEkBmp::drawFocusFrame(TRect r, TPixel p) {
    if (checkDcClip(r))
        drawRoundedFrameSmall(r, p);
}

// ---- faces -------------------------------------------------------------------------------------

void TEkBmp::drawGlassFace(TRect r) {
    if (checkDcClip(r))
        paintGlassFace(r);
}

void TEkBmp::drawShadedFace(TRect r) {
    if (checkDcClip(r))
        paintShadedFace(r);
}

// The rows and columns of a face run from the rect's top-left pixel over the bitmap's own width
// W and height H: a rect in the corner that is smaller than the bitmap still shades whole rows.
// Along an axis where that would pass the bitmap's edge (a rect further in), the face keeps to
// the clipped rect instead.
void TEkBmp::paintFaceRows(TRect r, bool glass) {
    // columns 1 .. W-2 of the face end at bitmap column r.left + w - 2
    const int W = r.left + w_ - 2 < w_ ? w_ : r.width();
    // rows end at r.top + h - 3 (glass) or r.top + h - 2 (shaded, with its side columns)
    const int lastRow = glass ? h_ - 3 : h_ - 2;
    const int H = r.top + lastRow < h_ ? h_ : r.height();
    const auto shadeRow = [&](int rowInRect, uint8_t weight, bool lightenIt) {
        // The band's eleven rows pass the bottom of a bitmap lower than the face.
        if (rowInRect < 0 || rowInRect >= H || r.top + rowInRect >= h_)
            return;
        TPixel* line = rowAddress(r.top + rowInRect) + r.left;
        for (int x = 1; x <= W - 2; ++x)
            line[x] = lightenIt ? lighten(line[x], weight) : darken(line[x], weight);
    };
    for (int k = 1; k <= kFaceBandRows; ++k)
        shadeRow(k, glass ? kGlassHighlight[k - 1] : kShadedFace[k - 1], glass);
    if (glass) {
        // rows 12 .. H-3 darkened by a ramp from 20 down to 1
        const int n = H - 14;
        if (n > 0) {
            TEkByteBuf ramp(n);
            const uint8_t* weights = ramp.fillRamp(20, 1);
            for (int i = 0; i < n; ++i)
                shadeRow(12 + i, weights[i], false);
        }
        return;
    }
    // rows 12 .. H-2 darkened by a ramp from 18 down to 10 ending in 10, 25, 56
    const int n = H - 13;
    if (n > 0) {
        constexpr uint8_t kTail[3] = {10, 25, 56};
        TEkByteBuf ramp(n);
        uint8_t* weights = ramp.fillRamp(18, 10);
        const int tailCount = std::min(n, 3);
        for (int i = 0; i < tailCount; ++i)
            weights[n - tailCount + i] = kTail[3 - tailCount + i];
        for (int i = 0; i < n; ++i)
            shadeRow(12 + i, weights[i], false);
    }
    // side columns: table entries 2 and 5
    for (int y = 1; y <= H - 2; ++y) {
        TPixel* line = rowAddress(r.top + y) + r.left;
        if (W > 2) {
            line[1] = darken(line[1], kShadedFace[2]);
            line[W - 2] = darken(line[W - 2], kShadedFace[2]);
        }
        if (W > 4) {
            line[2] = darken(line[2], kShadedFace[5]);
            line[W - 3] = darken(line[W - 3], kShadedFace[5]);
        }
    }
}

void TEkBmp::paintGlassFace(TRect r) {
    if (!pix_ || !clipRect(r))
        return;
    paintFaceRows(r, true);
    darkenRoundedOutline(r, 80);
    TRect inner = r;
    inflateRect(inner, -1, -1);
    lightenInnerOutline(inner, 130);
}

void TEkBmp::paintShadedFace(TRect r) {
    if (!pix_ || !clipRect(r))
        return;
    paintFaceRows(r, false);
    darkenRoundedOutline(r, 170);
}

bool TEkBmp::fillButtonBody(uint8_t shade, bool pipe, TRect& r, TEkColor c1, TEkColor c2) {
    if (!checkDcClip(r) || !pix_)
        return false;
    TRect inner = r;
    inflateRect(inner, -1, -1);
    if (pipe)
        pipeFillVert(inner, shade, colorToPixel(c1), colorToPixel(c2), false);
    else
        gradientFillVert(inner, colorToPixel(c1), colorToPixel(c2));
    return true;
}

void TEkBmp::paintButtonFace(uint8_t shade, bool pipe, TRect r, TEkColor c1, TEkColor c2) {
    if (fillButtonBody(shade, pipe, r, c1, c2))
        paintShadedFace(r);
}

void TEkBmp::paintButtonFaceFramed(uint8_t shade, bool pipe, TRect r, TEkColor c1, TEkColor c2) {
    constexpr uint8_t kFrameDarkening = 80; // c * 175 / 255 = c * (255 - 80) / 255
    if (!fillButtonBody(shade, pipe, r, c1, c2))
        return;
    drawRoundedFrame(r, darken(colorToPixel(c2), kFrameDarkening));
    TRect inner = r;
    inflateRect(inner, -1, -1);
    lightenInnerOutline(inner, 130);
}

// ---- grips -------------------------------------------------------------------------------------

void TEkBmp::drawGrip(bool tall, TRect r) {
    if (!checkDcClip(r))
        return;
    inflateRectSides(r, r.width() < 16 ? -2 : -3, r.height() < 16 ? -2 : -3, r.width() < 16 ? -2 : -3,
                     r.height() < 16 ? -2 : -3);
    const int along = tall ? r.height() : r.width();
    const int across = tall ? r.width() : r.height();
    if (along >= 15 && across >= 11) {
        tall ? drawGripTall14(r) : drawGripWide14(r);
    } else if ((along == 13 || along == 14) && across >= 9) {
        tall ? drawGripTall12(r) : drawGripWide12(r);
    } else if (along >= 9 && along <= 12 && across >= 7) {
        tall ? drawGripTall9(r) : drawGripWide9(r);
    }
}

void TEkBmp::placeGripTall(TRect& r, int glyphHeight, int narrowWidth, int wideWidth) {
    const int width = r.width();
    r.top += (r.height() - glyphHeight) / 2;
    r.left += width <= wideWidth ? (width - narrowWidth) / 2 : (width - wideWidth) / 2;
}

void TEkBmp::placeGripWide(TRect& r, int glyphWidth, int narrowHeight, int wideHeight) {
    const int height = r.height();
    r.left += (r.width() - glyphWidth) / 2;
    r.top += height <= wideHeight ? (height - narrowHeight) / 2 : (height - wideHeight) / 2;
}

void TEkBmp::applyShadeRows(TPixel* dst, const int16_t* table, int columns, int middleRepeat) {
    constexpr int kTableRows = 7;
    constexpr int kRepeatedRow = 3;
    for (int t = 0; t < kTableRows; ++t) {
        const int times = t == kRepeatedRow ? middleRepeat : 1;
        for (int k = 0; k < times; ++k, dst += w_)
            for (int c = 0; c < columns; ++c)
                dst[c] = shadePixel(dst[c], table[t * columns + c]);
    }
}

void TEkBmp::applyShadeColumns(TPixel* dst, const int16_t* table, int rows, int middleRepeat) {
    constexpr int kTableColumns = 7;
    for (int r = 0; r < rows; ++r, dst += w_) {
        const int16_t* entries = table + r * kTableColumns;
        int x = 0;
        for (int c = 0; c < 3; ++c, ++x)
            dst[x] = shadePixel(dst[x], entries[c]);
        for (int k = 0; k < middleRepeat; ++k, ++x)
            dst[x] = shadePixel(dst[x], entries[3]);
        for (int c = 4; c < kTableColumns; ++c, ++x)
            dst[x] = shadePixel(dst[x], entries[c]);
    }
}

void TEkBmp::repeatGripRight(TPixel* dst, int rows, int cellWidth, int availableWidth) {
    const int copies = extraRidges(availableWidth, cellWidth);
    for (int c = 0; c < copies; ++c, dst += cellWidth)
        for (int y = 0; y < rows; ++y)
            std::memcpy(dst + size_t(y) * size_t(w_) + cellWidth, dst + size_t(y) * size_t(w_),
                        size_t(cellWidth) * sizeof(TPixel));
}

void TEkBmp::repeatGripDown(TPixel* dst, int columns, int cellHeight, int availableHeight) {
    const int copies = extraRidges(availableHeight, cellHeight);
    for (int c = 0; c < copies; ++c, dst += size_t(cellHeight) * size_t(w_))
        for (int y = 0; y < cellHeight; ++y)
            std::memcpy(dst + size_t(y + cellHeight) * size_t(w_), dst + size_t(y) * size_t(w_),
                        size_t(columns) * sizeof(TPixel));
}

// The whole grip, ridges included, must lie on the bitmap; otherwise it is not drawn.
void TEkBmp::gripTall(TRect r, const int16_t* table, int columns, int glyphHeight, int narrow, int wide,
                      int cell) {
    if (!pix_)
        return;
    placeGripTall(r, glyphHeight, narrow, wide);
    const int available = r.width();
    const int ridges = 1 + extraRidges(available, cell);
    const TRect box(r.left, r.top, r.left + 1 + cell * ridges, r.top + glyphHeight);
    if (box.left < 0 || box.top < 0 || box.right > w_ || box.bottom > h_)
        return;
    TPixel* origin = pixelPtr(r);
    applyShadeRows(origin, table, columns, glyphHeight - 6);
    repeatGripRight(origin + 1, glyphHeight, cell, available);
}

void TEkBmp::gripWide(TRect r, const int16_t* table, int rows, int glyphWidth, int narrow, int wide,
                      int cell) {
    if (!pix_)
        return;
    placeGripWide(r, glyphWidth, narrow, wide);
    const int available = r.height();
    const int ridges = 1 + extraRidges(available, cell);
    const TRect box(r.left, r.top, r.left + glyphWidth, r.top + 1 + cell * ridges);
    if (box.left < 0 || box.top < 0 || box.right > w_ || box.bottom > h_)
        return;
    TPixel* origin = pixelPtr(r);
    applyShadeColumns(origin, table, rows, glyphWidth - 6);
    repeatGripDown(origin + w_, glyphWidth, cell, available);
}

void TEkBmp::drawGripTall9(TRect r) {
    gripTall(r, kGripTall9, 4, 9, 7, 10, 3);
}
void TEkBmp::drawGripTall12(TRect r) {
    gripTall(r, kGripTall12, 5, 12, 9, 13, 4);
}
void TEkBmp::drawGripTall14(TRect r) {
    gripTall(r, kGripTall14, 6, 14, 11, 16, 5);
}
void TEkBmp::drawGripWide9(TRect r) {
    gripWide(r, kGripWide9, 4, 9, 7, 10, 3);
}
void TEkBmp::drawGripWide12(TRect r) {
    gripWide(r, kGripWide12, 5, 12, 9, 13, 4);
}
void TEkBmp::drawGripWide14(TRect r) {
    gripWide(r, kGripWide14, 6, 14, 11, 16, 5);
}

// ---- marks -------------------------------------------------------------------------------------

void TEkBmp::blendMask(TPixel* dst, int width, int height, const uint8_t* mask, int maskStride, TPixel colour,
                       int stride) {
    constexpr uint8_t kLeaveBelow = 8;
    constexpr uint8_t kFullAbove = 240;
    for (int y = 0; y < height; ++y) {
        TPixel* d = dst + size_t(y) * size_t(stride);
        const uint8_t* m = mask + size_t(y) * size_t(maskStride);
        for (int x = 0; x < width; ++x) {
            if (m[x] < kLeaveBelow)
                continue;
            d[x] = m[x] > kFullAbove ? (d[x] & kAlphaMask) | (colour & kColourMask)
                                     : blendBytes(d[x], colour, m[x]);
        }
    }
}

void TEkBmp::drawMark(int x, int y, TEkColor c, const uint8_t* mask, int n) {
    TRect box(x, y, x + n, y + n);
    if (!checkDcClip(box) || !pix_)
        return;
    // The mask's bytes that land on the clipped box.
    const uint8_t* first = mask + size_t(box.top - y) * size_t(n) + size_t(box.left - x);
    blendMask(pixelPtr(box), box.width(), box.height(), first, n, colorToPixel(c), w_);
}

void TEkBmp::drawDiamondMark9(int x, int y, TEkColor c) {
    drawMark(x, y, c, kDiamondMask9, 9);
}
void TEkBmp::drawDiamondMark11(int x, int y, TEkColor c) {
    drawMark(x, y, c, kDiamondMask11, 11);
}
void TEkBmp::drawDiamondMark13(int x, int y, TEkColor c) {
    drawMark(x, y, c, kDiamondMask13, 13);
}
void TEkBmp::drawCircleMark7(int x, int y, TEkColor c) {
    drawMark(x, y, c, kCircleMask7, 7);
}
void TEkBmp::drawCircleMark9(int x, int y, TEkColor c) {
    drawMark(x, y, c, kCircleMask9, 9);
}
void TEkBmp::drawCircleMark11(int x, int y, TEkColor c) {
    drawMark(x, y, c, kCircleMask11, 11);
}
void TEkBmp::drawStarMark9(int x, int y, TEkColor c) {
    drawMark(x, y, c, kStarMask9, 9);
}
void TEkBmp::drawStarMark11(int x, int y, TEkColor c) {
    drawMark(x, y, c, kStarMask11, 11);
}
void TEkBmp::drawStarMark13(int x, int y, TEkColor c) {
    drawMark(x, y, c, kStarMask13, 13);
}

// ---- text --------------------------------------------------------------------------------------

bool TEkBmp::setFont(const QString& faceName, int size, int style, int pixelsPerInch) {
    constexpr int kPointsPerInch = 72;
    constexpr int kMaxFaceName = 31;
    if (!memDc_)
        return false;
    const long long pixelSize = (long long)size * pixelsPerInch / kPointsPerInch;
    if (pixelSize <= 0 || pixelSize > kMaxSide)
        return false;
    QFont f;
    f.setFamily(faceName.left(kMaxFaceName));
    f.setPixelSize(int(pixelSize));
    f.setWeight((style & 1) ? QFont::Bold : QFont::Normal);
    f.setItalic(style & 2);
    f.setUnderline(style & 4);
    f.setStrikeOut(style & 8);
    fnt_ = f;
    ownFont_ = true;
    return true;
}

int TEkBmp::fontStyleBits(const QFont& font) {
    return (font.bold() ? 1 : 0) | (font.italic() ? 2 : 0) | (font.underline() ? 4 : 0) |
           (font.strikeOut() ? 8 : 0);
}

TEkColor TEkBmp::setTextColor(TEkColor c) {
    const TEkColor previous = txtColor_;
    txtColor_ = TEkColor(c.value() & 0xFFFFFFu);
    return previous;
}

void TEkBmp::setBkTransparent(bool transparent) {
    bkTrans_ = transparent;
}

bool TEkBmp::drawText(const QString& text, unsigned format, TRect r) {
    if (!checkDcClip(r) || !pix_)
        return false;
    QImage view = image();
    QPainter painter(&view);
    painter.setFont(fnt_);
    painter.setPen(toQColor(txtColor_.toTColor()));
    if (!bkTrans_) {
        painter.setBackgroundMode(Qt::OpaqueMode);
        painter.setBackground(Qt::white);
    }
    if (!(format & DT_NOCLIP))
        painter.setClipRect(r.toQRect());
    painter.drawText(r.toQRect(), qtTextFlags(format), text);
    return true;
}

bool TEkBmp::drawCaption(const QString& text, unsigned format, TRect r, TEkColor c) {
    const TEkColor previous = setTextColor(c);
    bool drawn = false;
    try {
        drawn = drawText(text, format, r);
    } catch (...) {
        setTextColor(previous);
        throw;
    }
    setTextColor(previous);
    return drawn;
}

bool TEkBmp::calcTextRect(TRect& r, const QString& text, bool singleLine) {
    checkDc();
    if (text.isEmpty()) {
        r.right = r.left;
        r.bottom = r.top;
        return false;
    }
    const QFontMetrics metrics(fnt_);
    const QString shown = stripMnemonics(text);
    QStringList lines;
    if (singleLine) {
        QString one = shown;
        one.replace(QLatin1String("\r\n"), QLatin1String(" "));
        one.replace(u'\r', u' ');
        one.replace(u'\n', u' ');
        lines << one;
    } else {
        QString all = shown;
        all.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        all.replace(u'\r', u'\n');
        lines = all.split(u'\n');
    }
    int width = 0;
    for (const QString& line : lines)
        width = std::max(width, metrics.horizontalAdvance(line));
    r.right = r.left + width;
    r.bottom = r.top + int(lines.size()) * metrics.height();
    return true;
}

void TEkBmp::drawFocusRect(TRect r) {
    if (!checkDcClip(r) || !pix_)
        return;
    // Every other pixel of the border, inverted: drawing twice restores the picture.
    const auto invert = [this](int x, int y) {
        if (((x + y) & 1) == 0)
            *at(x, y) ^= kColourMask;
    };
    for (int x = r.left; x < r.right; ++x) {
        invert(x, r.top);
        if (r.height() > 1)
            invert(x, r.bottom - 1);
    }
    for (int y = r.top + 1; y < r.bottom - 1; ++y) {
        invert(r.left, y);
        if (r.width() > 1)
            invert(r.right - 1, y);
    }
}

// ---- image lists -------------------------------------------------------------------------------

bool TEkBmp::copyFromImageList(const TImageList* list, int index) {
    if (!list || !pix_ || index < 0 || index >= list->count())
        return false;
    if (list->width() != w_ || list->height() != h_)
        return false;
    const QImage source = list->image(index);
    for (int y = 0; y < h_; ++y)
        std::memcpy(rowAddress(y), source.constScanLine(y), size_t(w_) * sizeof(TPixel));
    return true;
}

// ---- free functions ----------------------------------------------------------------------------

void inflateRect(TRect& r, int dx, int dy) {
    r.left -= dx;
    r.top -= dy;
    r.right += dx;
    r.bottom += dy;
}

void inflateRectSides(TRect& r, int dLeft, int dTop, int dRight, int dBottom) {
    r.left -= dLeft;
    r.top -= dTop;
    r.right += dRight;
    r.bottom += dBottom;
}

std::vector<TResampleWeight> resampleWeights(int count, int span, bool scale) {
    constexpr int kUnitShift = 12; // weights in 1/4096
    std::vector<TResampleWeight> weights;
    // A span wider than the count spreads each entry over more than one cell: the first branch
    // below covers it.
    if (count <= 0 || span <= 0)
        return weights;
    weights.resize(size_t(count));
    const int64_t unit = scale ? (int64_t(span) << kUnitShift) / count : int64_t(1) << kUnitShift;
    const int64_t divisor = scale ? count : span;
    int64_t a = 0;
    for (TResampleWeight& entry : weights) {
        if (span + a > count) {
            entry.weight = int32_t(((count - a) << kUnitShift) / divisor);
            entry.next = int32_t(((span + a - count) << kUnitShift) / divisor);
            a = span + a - count;
        } else {
            entry.weight = int32_t(unit);
            if (span + a == count) {
                entry.next = -1; // the entry ends a cell
                a = 0;
            } else {
                a += span;
            }
        }
    }
    return weights;
}
