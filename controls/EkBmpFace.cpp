// The rounded outlines and the shaded and glass faces of buttons.
#include "controls/EkBmp.h"

#include "controls/EkBmpPrivate.h"

#include <algorithm>

using namespace ekbmp;

namespace {

// Weight tables of the faces.
constexpr uint8_t kGlassHighlight[11] = {130, 120, 105, 85, 65, 45, 25, 10, 10, 10, 10};
constexpr uint8_t kShadedFace[11] = {76, 56, 39, 29, 22, 17, 13, 10, 10, 14, 18};
constexpr int kFaceBandRows = 11;

} // namespace

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
