// Helpers of the painter tests.
#pragma once

#include "controls/EkBmp.h"

#include <ostream>

namespace painttest {

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Rgb& c) {
    return os << "(" << c.r << "," << c.g << "," << c.b << ")";
}

inline Rgb rgbOf(TPixel p) {
    return {int((p >> 16) & 0xFF), int((p >> 8) & 0xFF), int(p & 0xFF)};
}

inline Rgb rgbAt(const TEkBmp& bmp, int x, int y) {
    return rgbOf(bmp.pixelAt(x, y));
}

// Every pixel of bmp := p.
inline void fillAll(TEkBmp& bmp, TPixel p) {
    fillPixels(bmp.bits(), bmp.width() * bmp.height(), p);
}

// Number of pixels that differ between two bitmaps of one size.
inline int differingPixels(const TEkBmp& a, const TEkBmp& b) {
    int n = 0;
    for (int i = 0; i < a.width() * a.height(); ++i)
        n += a.bits()[i] != b.bits()[i];
    return n;
}

} // namespace painttest
