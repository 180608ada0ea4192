// The ridged grips and the anti-aliased marks, each drawn from a table of its own.
#include "controls/EkBmp.h"

#include "controls/EkBmpPrivate.h"

#include <cstring>

using namespace ekbmp;

namespace {

// Grip shade tables: a positive entry lightens by v, a negative one darkens by -v.
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

// Mark masks: coverage bytes row by row, symmetric about both axes except where the given rows
// themselves are not (the circle's first row, the 11-pixel star's middle row).
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

} // namespace

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
