// Colours in pixel tests, compared and printed as (red,green,blue).
#pragma once

#include <cstdint>
#include <ostream>

namespace testsupport {

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Rgb& c) {
    return os << "(" << c.r << "," << c.g << "," << c.b << ")";
}

// A pixel word in Qt's and the painter's order: 0xAARRGGBB.
inline Rgb rgbOfPixel(std::uint32_t p) {
    return {int((p >> 16) & 0xFF), int((p >> 8) & 0xFF), int(p & 0xFF)};
}

// The colour at (x, y) of a picture whose pixels read as pixel words: a TEkBmp (pixelAt) or a
// QImage (pixel).
template <class Picture> Rgb rgbAt(const Picture& picture, int x, int y) {
    if constexpr (requires { picture.pixelAt(x, y); })
        return rgbOfPixel(picture.pixelAt(x, y));
    else
        return rgbOfPixel(picture.pixel(x, y));
}

// A colour value in the platform's order: 0x00BBGGRR.
inline Rgb rgbOfColorValue(std::uint32_t c) {
    return {int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)};
}

} // namespace testsupport
