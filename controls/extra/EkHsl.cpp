#include "controls/extra/EkHsl.h"

#include <algorithm>

namespace {

// The one-entry cache of colorToHsl; black converts to the all-zero record.
TColor cachedColour = 0;
THslColor cachedHsl;

// Hue in degrees: six 60-degree sextants from the channel that is largest and the one that is
// smallest. rc, gc and bc are each channel's distance from the maximum in 1/60 of the spread.
uint32_t hueOf(uint32_t r, uint32_t g, uint32_t b, uint32_t max, uint32_t min, uint32_t d) {
    const auto part = [max, d](uint32_t c) { return ((((max - c) << 16) / d) * 60u) >> 16; };
    const uint32_t rc = part(r), gc = part(g), bc = part(b);
    uint32_t hue;
    if (r == max)
        hue = g == min ? 300 + bc : 60 - gc;
    else if (g == max)
        hue = b == min ? 60 + rc : 180 - bc;
    else
        hue = r == min ? 180 + gc : 300 - rc;
    return hue == 360 ? 0 : hue;
}

} // namespace

void rgbToHsl(TPixel p, THslColor& out) {
    out.alpha = uint8_t(p >> 24);
    // Channels scaled to 0..65025, with 65536 standing for 1.0.
    const uint32_t r = ((p >> 16) & 0xFFu) * 255u;
    const uint32_t g = ((p >> 8) & 0xFFu) * 255u;
    const uint32_t b = (p & 0xFFu) * 255u;
    const uint32_t max = std::max({r, g, b});
    const uint32_t min = std::min({r, g, b});
    const uint32_t l = (max + min) >> 1;
    const uint32_t d = max - min;
    uint32_t hue = 0, s = 0;
    if (l != 0 && d != 0) {
        s = l < 32768 ? (d << 16) / (max + min) : (d << 16) / (131072u - max - min);
        hue = hueOf(r, g, b, max, min, d);
    }
    out.hue = uint16_t(hue);
    out.saturation = uint8_t((s * 100u) >> 16);
    out.lightness = uint8_t((l * 100u) >> 16);
}

void colorToHsl(THslColor& out, TColor c) {
    if (c.value != cachedColour.value) {
        rgbToHsl(tColorToPixel(c), cachedHsl);
        cachedColour = c;
    }
    out = cachedHsl;
}

void hslToRgb(int hue, int saturation, int lightness, uint8_t& r, uint8_t& g, uint8_t& b) {
    r = g = b = 0;
    const int l = lightness, s = saturation;
    // v: the largest channel in percent; m: the smallest.
    const int v = l < 50 ? (s + 100) * l / 100 : l + s - l * s / 100;
    if (v <= 0)
        return;
    const int m = 2 * l - v;
    const int sv = (v - m) * 100 / v;
    const int sextant = hue / 60;
    const int fraction = (hue - sextant * 60) * 100 / 60;
    const int vsf = v * sv * fraction / 10000;
    const int up = m + vsf;
    const int down = v - vsf;
    int red = 0, green = 0, blue = 0;
    switch (sextant) {
    case 0:
        red = v, green = up, blue = m;
        break;
    case 1:
        red = down, green = v, blue = m;
        break;
    case 2:
        red = m, green = v, blue = up;
        break;
    case 3:
        red = m, green = down, blue = v;
        break;
    case 4:
        red = up, green = m, blue = v;
        break;
    case 5:
        red = v, green = m, blue = down;
        break;
    default:
        return; // no sextant: black
    }
    const auto toByte = [](int percent) { return uint8_t(std::clamp(percent * 255 / 100, 0, 255)); };
    r = toByte(red);
    g = toByte(green);
    b = toByte(blue);
}

TColor hslToColor(const THslColor& c) {
    uint8_t r, g, b;
    hslToRgb(c.hue, c.saturation, c.lightness, r, g, b);
    return TColor(uint32_t(r) | (uint32_t(g) << 8) | (uint32_t(b) << 16) | (uint32_t(c.alpha) << 24));
}
