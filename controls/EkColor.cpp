#include "controls/EkColor.h"

#include <algorithm>
#include <cstring>

namespace {

// Ramps run each channel in 22-bit fixed point.
constexpr int kFixShift = 22;
constexpr int64_t kFixOne = int64_t(1) << kFixShift;

constexpr uint32_t channel(uint32_t word, int index) {
    return (word >> (8 * index)) & 0xFFu;
}

// c * (255 - w) / 255
constexpr uint32_t darkenByte(uint32_t c, uint32_t w) {
    return c * (255u - w) / 255u;
}
// (c * (255 - w) + 255 * w) >> 8
constexpr uint32_t lightenByte(uint32_t c, uint32_t w) {
    return (c * (255u - w) + 255u * w) >> 8;
}

template <class Op> uint32_t perColourByte(uint32_t word, Op op) {
    return (word & 0xFF000000u) | op(channel(word, 0)) | (op(channel(word, 1)) << 8) |
           (op(channel(word, 2)) << 16);
}

// Linear ramp of one channel: entry i = (from << 22) - i * step, step = ((from - to) << 22) / (count - 1).
struct LinearChannel {
    int64_t value;
    int64_t step;
    LinearChannel(uint32_t from, uint32_t to, int count)
        : value(int64_t(from) * kFixOne), step((int64_t(from) - int64_t(to)) * kFixOne / (count - 1)) {}
    uint32_t next() {
        const uint32_t byte = uint32_t(value >> kFixShift);
        value -= step;
        return byte;
    }
};

// Eased ramp of one channel: unit = ((to - from) << 22) / S, S = 10 + 11 + ... + (count + 9);
// after entry i the value moves by unit * (10 + i).
struct EasedChannel {
    int64_t value;
    int64_t unit;
    EasedChannel(uint32_t from, uint32_t to, int64_t weightSum)
        : value(int64_t(from) * kFixOne), unit((int64_t(to) - int64_t(from)) * kFixOne / weightSum) {}
    uint32_t at() const { return uint32_t(value >> kFixShift); }
    void advance(int i) { value += unit * (10 + i); }
};

// Scans decimal digits from pos up to one blank or ',' (the separator) or the end of the text.
// Returns false for an empty field; sets endsInSeparator when a separator ended it.
bool nextDecimalField(const QString& text, int& pos, int& value, bool& endsInSeparator) {
    value = 0;
    int digits = 0;
    endsInSeparator = false;
    while (pos < text.size()) {
        const QChar ch = text.at(pos);
        if (ch == u' ' || ch == u',') {
            endsInSeparator = true;
            ++pos;
            break;
        }
        if (ch < u'0' || ch > u'9')
            return false;
        value = std::min(value * 10 + (ch.unicode() - u'0'), 1000); // anything above 255 is out anyway
        ++digits;
        ++pos;
    }
    return digits > 0;
}

constexpr bool inByteRange(int v) {
    return v >= 0 && v <= 255;
}

bool isHexText(const QString& text) {
    for (const QChar ch : text)
        if (!((ch >= u'0' && ch <= u'9') || (ch >= u'A' && ch <= u'F')))
            return false;
    return true;
}

// value := value * 16 + digit per character; digits beyond the eighth shift the first ones out.
uint32_t hexTextToInt(const QString& text) {
    uint32_t value = 0;
    for (const QChar ch : text) {
        const uint32_t digit =
            ch <= u'9' ? uint32_t(ch.unicode() - u'0') : uint32_t(ch.unicode() - u'A' + 10);
        value = value * 16u + digit;
    }
    return value;
}

} // namespace

// ---- TEkColor ----------------------------------------------------------------------------------

void TEkColor::swapRB(TEkColor& out) {
    word_ = pixelToColor(word_).value();
    out = *this;
}

TEkColor& TEkColor::darkened(uint8_t w, TEkColor& out) {
    word_ = darken(word_, w);
    out = *this;
    return *this;
}

TEkColor& TEkColor::lightened(uint8_t w, TEkColor& out) {
    word_ = lighten(word_, w);
    out = *this;
    return *this;
}

TEkColor TEkColor::halfMix(TEkColor a, TEkColor b) {
    return TEkColor(halfMixWords(a.value(), b.value()));
}

TPixel darken(TPixel p, uint8_t w) {
    return perColourByte(p, [w](uint32_t c) { return darkenByte(c, w); });
}

TPixel lighten(TPixel p, uint8_t w) {
    return perColourByte(p, [w](uint32_t c) { return lightenByte(c, w); });
}

// ---- colour text -------------------------------------------------------------------------------

bool colorFromRgbText(const QString& text, TEkColor& out) {
    int pos = 0;
    int rgb[3] = {0, 0, 0};
    for (int field = 0; field < 3; ++field) {
        bool separator = false;
        if (!nextDecimalField(text, pos, rgb[field], separator))
            return false;
        // The first two fields end in a separator; the third runs to the end of the text.
        if (separator != (field < 2))
            return false;
        if (!inByteRange(rgb[field]))
            return false;
    }
    out = TEkColor(uint8_t(rgb[0]), uint8_t(rgb[1]), uint8_t(rgb[2]));
    return true;
}

bool colorFromHexText(const QString& text, TEkColor& out) {
    if (text.isEmpty() || !isHexText(text))
        return false;
    out = pixelToColor(hexTextToInt(text));
    return true;
}

// ---- ramps and runs ----------------------------------------------------------------------------

void fillColorRamp32(TPixel* dst, int count, TPixel from, TPixel to) {
    if (count <= 0)
        return;
    if (count == 1) {
        dst[0] = from | 0xFF000000u;
        return;
    }
    LinearChannel c0(channel(from, 0), channel(to, 0), count);
    LinearChannel c1(channel(from, 1), channel(to, 1), count);
    LinearChannel c2(channel(from, 2), channel(to, 2), count);
    for (int i = 0; i < count; ++i)
        dst[i] = 0xFF000000u | c0.next() | (c1.next() << 8) | (c2.next() << 16);
}

void fillColorRamp24(uint8_t* dst, int count, TPixel from, TPixel to) {
    if (count <= 0)
        return;
    if (count == 1) {
        for (int k = 0; k < 3; ++k)
            dst[k] = uint8_t(channel(from, k));
        return;
    }
    LinearChannel c[3] = {{channel(from, 0), channel(to, 0), count},
                          {channel(from, 1), channel(to, 1), count},
                          {channel(from, 2), channel(to, 2), count}};
    for (int i = 0; i < count; ++i)
        for (int k = 0; k < 3; ++k)
            dst[3 * i + k] = uint8_t(c[k].next());
}

void fillColorRampEased(TPixel* dst, int count, bool reverse, TPixel from, TPixel to) {
    if (count <= 0)
        return;
    if (reverse)
        std::swap(from, to);
    // S = 10 + 11 + ... + (count + 9)
    const int64_t weightSum = int64_t(count) * (int64_t(count) + 19) / 2;
    EasedChannel c[3] = {{channel(from, 0), channel(to, 0), weightSum},
                         {channel(from, 1), channel(to, 1), weightSum},
                         {channel(from, 2), channel(to, 2), weightSum}};
    for (int i = 0; i < count; ++i) {
        const TPixel p = 0xFF000000u | c[0].at() | (c[1].at() << 8) | (c[2].at() << 16);
        dst[reverse ? count - 1 - i : i] = p;
        for (EasedChannel& ch : c)
            ch.advance(i);
    }
}

void fillPixels(TPixel* dst, int count, TPixel value) {
    if (count > 0)
        std::fill_n(dst, count, value);
}

void copyPixelsBackward(TPixel* dst, const TPixel* src, int n) {
    for (int i = n - 1; i >= 0; --i)
        dst[i] = src[i];
}

void fillRunFadeRight(TPixel* dst, int count, TPixel c) {
    if (count < 0)
        return;
    fillPixels(dst, count, c);
    // a quarter of c: the half mix of the half mix with the old pixel
    dst[count] = halfMixOpaque(halfMixOpaque(dst[count], c), dst[count]);
}

void fillRunFadeLeft(TPixel* dst, int count, TPixel c) {
    if (count < 0)
        return;
    for (int i = 0; i < count; ++i)
        dst[-i] = c;
    dst[-count] = halfMixOpaque(halfMixOpaque(dst[-count], c), dst[-count]);
}

// ---- buffers -----------------------------------------------------------------------------------

TEkColorBuf::TEkColorBuf(int count) {
    resize(count);
}

TEkColor* TEkColorBuf::resize(int count) {
    n_ = std::max(count, 0);
    entries_ = std::make_unique<TEkColor[]>(size_t(n_) + 1); // every entry -1 (no colour)
    cursor = entries_.get();
    return entries_.get();
}

TEkByteBuf::TEkByteBuf(int count)
    : n_(std::max(count, 0)), bytes_(std::make_unique<uint8_t[]>(size_t(n_) + 1)) {}

uint8_t* TEkByteBuf::fillRamp(uint8_t from, uint8_t to) {
    if (n_ == 1) {
        bytes_[0] = from;
    } else if (n_ > 1) {
        LinearChannel c(from, to, n_);
        for (int i = 0; i < n_; ++i)
            bytes_[i] = uint8_t(c.next());
    }
    return bytes_.get();
}
