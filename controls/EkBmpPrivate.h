// What the painter's own files share: the parts of a pixel word, the colour blend of the
// compositing and the masks, the pixel operations of runs and corners, and the walks over a
// rect's runs, corners and sides. Only the files that define TEkBmp include this header.
#pragma once

#include "controls/EkBmp.h"

#include <cstdint>

namespace ekbmp {

// Opaque alpha byte of a pixel word.
inline constexpr TPixel kAlphaMask = 0xFF000000u;
inline constexpr TPixel kColourMask = 0x00FFFFFFu;

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

// Pixel operations of the runs and corners: p := darken(p, wt), p := lighten(p, wt), p := c.
inline auto darkenBy(uint8_t wt) {
    return [wt](TPixel& p) { p = darken(p, wt); };
}
inline auto lightenBy(uint8_t wt) {
    return [wt](TPixel& p) { p = lighten(p, wt); };
}
inline auto setTo(TPixel c) {
    return [c](TPixel& p) { p = c; };
}

} // namespace ekbmp

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
