#pragma once
// Colour values of the control library: the colour word TEkColor, the painter's pixel, the
// integer colour arithmetic every shading operation is built from, colour text parsers and
// the linear colour ramps.

#include "controls/Graphics.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>

// The painter's pixel: one 32-bit word, bytes in memory order blue, green, red, alpha. It is
// the same word as Qt's QRgb (0xAARRGGBB).
using TPixel = uint32_t;

// Colour word in TColor byte order: byte 0 red, 1 green, 2 blue, byte 3 alpha or flag.
// 0xFFFFFFFF (all bits set, -1) means no colour; it is the default.
class TEkColor {
public:
    constexpr TEkColor() = default;
    // The raw word, taken as it is (no system-colour resolution). Explicit, so that a pixel
    // word never slips in where a colour is meant.
    constexpr explicit TEkColor(uint32_t raw) : word_(raw) {}
    // colorToRGB of the value: a system colour becomes its RGB value with byte 3 = 0; any
    // other value is used unchanged.
    TEkColor(TColor c) : word_(colorToRGB(c).value) {}
    constexpr TEkColor(uint8_t r, uint8_t g, uint8_t b)
        : word_(uint32_t(r) | (uint32_t(g) << 8) | (uint32_t(b) << 16)) {}

    constexpr uint32_t value() const { return word_; }
    // The low 24 bits (byte 3 dropped).
    constexpr TColor toTColor() const { return TColor(word_ & 0xFFFFFFu); }
    constexpr uint8_t red() const { return uint8_t(word_); }
    constexpr uint8_t green() const { return uint8_t(word_ >> 8); }
    constexpr uint8_t blue() const { return uint8_t(word_ >> 16); }
    constexpr uint8_t alpha() const { return uint8_t(word_ >> 24); }
    constexpr bool isNone() const { return word_ == 0xFFFFFFFFu; }
    constexpr bool operator==(const TEkColor&) const = default;

    // Exchanges bytes 0 and 2 of this colour, then copies it to out.
    void swapRB(TEkColor& out);
    // Each colour byte c := c * (255 - w) / 255 (byte 3 unchanged); the result stays in this
    // colour and is also copied to out. Returns this colour.
    TEkColor& darkened(uint8_t w, TEkColor& out);
    // Each colour byte c := (c * (255 - w) + 255 * w) >> 8 (byte 3 unchanged); as darkened.
    TEkColor& lightened(uint8_t w, TEkColor& out);
    // ((a >> 1) & 0x7F7F7F) + ((b >> 1) & 0x7F7F7F), byte 3 = 0.
    static TEkColor halfMix(TEkColor a, TEkColor b);

private:
    uint32_t word_ = 0xFFFFFFFFu;
};

// ---- Pixel conversions ---------------------------------------------------------------------

// Pixel from a colour: bytes 0 and 2 exchanged, byte 3 carried over.
constexpr TPixel colorToPixel(TEkColor c) {
    const uint32_t v = c.value();
    return (v & 0xFF00FF00u) | ((v & 0xFFu) << 16) | ((v >> 16) & 0xFFu);
}
// Colour from a pixel: the same exchange backwards.
constexpr TEkColor pixelToColor(TPixel p) {
    return TEkColor((p & 0xFF00FF00u) | ((p & 0xFFu) << 16) | ((p >> 16) & 0xFFu));
}
// TEkColor(TColor) then colorToPixel: byte 3 is 0 for ordinary and system colours.
inline TPixel tColorToPixel(TColor c) {
    return colorToPixel(TEkColor(c));
}
// Opaque pixel (alpha 255).
constexpr TPixel makePixel(uint8_t r, uint8_t g, uint8_t b) {
    return 0xFF000000u | (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
}

// ---- Colour arithmetic on pixels (the three colour bytes alike, byte 3 unchanged) ---------

// c := c * (255 - w) / 255 per colour byte.
TPixel darken(TPixel p, uint8_t w);
// c := (c * (255 - w) + 255 * w) >> 8 per colour byte.
TPixel lighten(TPixel p, uint8_t w);
// Half mix of two words with byte 3 := 0.
constexpr uint32_t halfMixWords(uint32_t a, uint32_t b) {
    return ((a >> 1) & 0x7F7F7Fu) + ((b >> 1) & 0x7F7F7Fu);
}
// Half mix with byte 3 := 255.
constexpr TPixel halfMixOpaque(TPixel a, TPixel b) {
    return halfMixWords(a, b) | 0xFF000000u;
}
// Grey by luminance of a pixel: (R * 320 + G * 576 + B * 128) >> 10.
constexpr uint8_t greyLevel(TPixel p) {
    return uint8_t(((((p >> 16) & 0xFFu) * 320u) + (((p >> 8) & 0xFFu) * 576u) + ((p & 0xFFu) * 128u)) >> 10);
}

// ---- Colour text -----------------------------------------------------------------------------

// Decimal 'r,g,b' or 'r g b' (one separator between fields, each field 0..255). On success out
// := TEkColor(r, g, b) and true; otherwise out is unchanged and false. The text is not modified.
bool colorFromRgbText(const QString& text, TEkColor& out);
// Upper-case hex text 'RRGGBB' or 'AARRGGBB' (digits and 'A'-'F' only; more than 8 digits keep
// the last 8). On success out has red in byte 0 and AA in byte 3. Empty text is rejected.
bool colorFromHexText(const QString& text, TEkColor& out);

// ---- Ramps and pixel runs (raw memory: the caller provides count entries) ----------------

// Linear ramp of count pixels from 'from' (entry 0) to 'to', alpha 255, each channel in 22-bit
// fixed point stepping by ((from - to) << 22) / (count - 1), truncated. The last entry equals
// 'to' where the division is exact; a rising channel may end one below. count <= 0 writes
// nothing; count == 1 writes 'from'.
void fillColorRamp32(TPixel* dst, int count, TPixel from, TPixel to);
// The same with 3-byte entries (blue, green, red; no alpha byte).
void fillColorRamp24(uint8_t* dst, int count, TPixel from, TPixel to);
// Ramp whose k-th change is weighted by (10 + k): the colour moves slowly at 'from' and faster
// towards 'to'. Entry 0 is 'from', alpha 255. With reverse the colours are exchanged and the
// entries are written from dst[count - 1] back to dst[0]. count <= 0 writes nothing.
void fillColorRampEased(TPixel* dst, int count, bool reverse, TPixel from, TPixel to);
// count pixels := value (count <= 0: nothing).
void fillPixels(TPixel* dst, int count, TPixel value);
// Copies n words from the last to the first (safe when dst lies after src in one row).
void copyPixelsBackward(TPixel* dst, const TPixel* src, int n);
// dst[0 .. count-1] := c, then dst[count] := a quarter of c into three quarters of itself,
// alpha 255.
void fillRunFadeRight(TPixel* dst, int count, TPixel c);
// Leftwards: dst[0], dst[-1] .. dst[-(count-1)] := c, then dst[-count] faded as above.
void fillRunFadeLeft(TPixel* dst, int count, TPixel c);

// ---- Ramp buffers ------------------------------------------------------------------------------

// A run of count + 1 colours, each -1 at (re)allocation; data and cursor start at the first.
// Owns its colours. The words may also be used as pixels (pixels()).
class TEkColorBuf {
public:
    TEkColorBuf() = default;
    explicit TEkColorBuf(int count);
    TEkColorBuf(const TEkColorBuf&) = delete;
    TEkColorBuf& operator=(const TEkColorBuf&) = delete;

    // Frees the entries and allocates count + 1 new ones (count < 0 counts as 0).
    TEkColor* resize(int count);
    int count() const { return n_; }
    TEkColor* data() { return entries_.get(); }
    TEkColor* end() { return entries_.get() + n_; }
    TEkColor* at(int i) { return entries_.get() + i; }
    // The same memory as pixel words (count + 1 of them).
    TPixel* pixels() { return reinterpret_cast<TPixel*>(entries_.get()); }

    TEkColor* cursor = nullptr;

private:
    int n_ = 0;
    std::unique_ptr<TEkColor[]> entries_;
};

// count + 1 bytes with a linear ramp.
class TEkByteBuf {
public:
    explicit TEkByteBuf(int count);
    TEkByteBuf(const TEkByteBuf&) = delete;
    TEkByteBuf& operator=(const TEkByteBuf&) = delete;

    int count() const { return n_; }
    uint8_t* data() { return bytes_.get(); }
    // count bytes from 'from' (entry 0) towards 'to' in the 22-bit fixed point of
    // fillColorRamp32; count == 1 writes 'from'. Returns data().
    uint8_t* fillRamp(uint8_t from, uint8_t to);

private:
    int n_ = 0;
    std::unique_ptr<uint8_t[]> bytes_;
};
