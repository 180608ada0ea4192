// The painter's core: the pixel memory and its size, access, clipping, copying out and
// compositing. Fills, edges, lines and smoothing are in EkBmpFill.cpp, the rounded outlines and
// faces in EkBmpFace.cpp, grips and marks in EkBmpGlyph.cpp, text and image lists in EkBmpText.cpp.
#include "controls/EkBmp.h"

#include "controls/EkBmpPrivate.h"

#include <QDebug>
#include <QPainter>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

using namespace ekbmp;

namespace {

[[noreturn]] void fail(const char* text) {
    throw EInvalidGraphicOperation(QString::fromLatin1(text));
}

// The same grey level in all three colour bytes.
constexpr TPixel greyWord(uint32_t g) {
    return g | (g << 8) | (g << 16);
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
