// Helpers of the painter tests.
#pragma once

#include "controls/EkBmp.h"
#include "tests/support/Rgb.h"

#include <ostream>

namespace painttest {

using testsupport::Rgb;
using testsupport::rgbAt;

inline Rgb rgbOf(TPixel p) {
    return testsupport::rgbOfPixel(p);
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
