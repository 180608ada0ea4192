// Fills and gradients, edges and bevels, lines and frames, smoothing and rotation.
#include "controls/EkBmp.h"

#include "controls/EkBmpPrivate.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

using namespace ekbmp;

namespace {

// Coverage of the soft inner corners: triangle rows of 4, 3, 2 and 1 entries.
constexpr uint8_t kSoftInnerCorner[10] = {255, 255, 168, 64, 255, 120, 15, 168, 15, 64};
// Alpha of a softened corner: the corner pixel, then its neighbours along the edges.
constexpr uint8_t kSoftCornerAlpha[3] = {50, 180, 180};

// A pipe across n pixels: a ramp from `first` to the light colour over the first `split` pixels
// (2/5 of n, 3/5 when wide), then from the light colour to `last` over the `rest`. The dark end,
// c2 darkened by shade, comes first in a wide pipe and last in a narrow one.
struct PipeRamps {
    int split, rest;
    TPixel first, last;
};
PipeRamps pipeRamps(int n, uint8_t shade, TPixel c2, bool wide) {
    const int split = wide ? 3 * n / 5 : 2 * n / 5;
    const TPixel dark = darken(c2, shade);
    return {split, n - split, wide ? dark : c2, wide ? c2 : dark};
}

} // namespace

// ---- fills and gradients -----------------------------------------------------------------------

void TEkBmp::fill(TEkColor c) {
    if (pix_)
        fillPixels(pix_, w_ * h_, colorToPixel(c));
}

void TEkBmp::fillRect(TRect r, TEkColor c) {
    if (!checkBitsClip(r))
        return;
    fillPixels(pixelPtr(r), r.width(), colorToPixel(c));
    copyFirstRowDown(r);
}

void TEkBmp::copyFirstRowDown(TRect r) {
    const TPixel* first = pixelPtr(r);
    for (int y = r.top + 1; y < r.bottom; ++y)
        std::memcpy(rowAddress(y) + r.left, first, size_t(r.width()) * sizeof(TPixel));
}

void TEkBmp::fillRowsWith(TRect r, const TPixel* colours) {
    for (int y = r.top; y < r.bottom; ++y)
        fillPixels(rowAddress(y) + r.left, r.width(), colours[y - r.top]);
}

void TEkBmp::fillRectCutCorners(TRect r, TEkColor c) {
    if (!checkBitsClip(r))
        return;
    const TPixel p = colorToPixel(c);
    for (int y = r.top; y < r.bottom; ++y) {
        const bool edgeRow = y == r.top || y == r.bottom - 1;
        if (edgeRow)
            fillPixels(rowAddress(y) + r.left + 1, r.width() - 2, p);
        else
            fillPixels(rowAddress(y) + r.left, r.width(), p);
    }
}

void TEkBmp::clearRect(TRect r) {
    if (!checkDcClip(r) || !pix_)
        return;
    for (int y = r.top; y < r.bottom; ++y)
        fillPixels(rowAddress(y) + r.left, r.width(), 0u);
}

void TEkBmp::gradientFill(bool vertical, TRect r, TEkColor c1, TEkColor c2) {
    if (vertical)
        gradientFillVert(r, colorToPixel(c1), colorToPixel(c2));
    else
        gradientFillHorz(r, colorToPixel(c1), colorToPixel(c2));
}

void TEkBmp::gradientFillVert(TRect r, TPixel c1, TPixel c2) {
    if (!checkBitsClip(r))
        return;
    TEkColorBuf ramp(r.height());
    fillColorRamp32(ramp.pixels(), r.height(), c1, c2);
    fillRowsWith(r, ramp.pixels());
}

void TEkBmp::gradientFillHorz(TRect r, TPixel c1, TPixel c2) {
    if (!checkBitsClip(r))
        return;
    fillColorRamp32(pixelPtr(r), r.width(), c1, c2);
    copyFirstRowDown(r);
}

void TEkBmp::pipeFill(bool vertical, uint8_t shade, TRect r, TEkColor c1, TEkColor c2, bool wide) {
    if (!checkDcClip(r))
        return;
    if (vertical)
        pipeFillVert(r, shade, colorToPixel(c1), colorToPixel(c2), wide);
    else
        pipeFillHorz(r, shade, colorToPixel(c1), colorToPixel(c2), wide);
}

void TEkBmp::pipeFillVert(TRect r, uint8_t shade, TPixel c1, TPixel c2, bool wide) {
    if (!checkBitsClip(r))
        return;
    const PipeRamps pipe = pipeRamps(r.height(), shade, c2, wide);
    const int middle = r.top + pipe.split;
    TEkColorBuf ramp(std::max(pipe.split, pipe.rest) + 2);
    TPixel* colours = ramp.pixels();
    fillColorRamp32(colours, pipe.split, pipe.first, c1);
    fillRowsWith(TRect(r.left, r.top, r.right, middle), colours);
    fillColorRamp32(colours, pipe.rest, c1, pipe.last);
    fillRowsWith(TRect(r.left, middle, r.right, r.bottom), colours);
}

void TEkBmp::pipeFillHorz(TRect r, uint8_t shade, TPixel c1, TPixel c2, bool wide) {
    if (!checkBitsClip(r))
        return;
    const int n = r.width();
    const PipeRamps pipe = pipeRamps(n, shade, c2, wide);
    // Built in a scratch row of n + 2 entries: the second ramp runs one entry past the rect's
    // last column, and that entry is not copied.
    TEkColorBuf row(n + 1);
    TPixel* line = row.pixels();
    fillColorRamp32(line, pipe.split + 1, pipe.first, c1);
    // The second ramp starts at the colour before the split; with no such pixel, at c1.
    const TPixel restStart = pipe.split > 0 ? line[pipe.split - 1] : c1;
    fillColorRamp32(line + pipe.split + 1, pipe.rest, restStart, pipe.last);
    std::memcpy(pixelPtr(r), line, size_t(n) * sizeof(TPixel));
    copyFirstRowDown(r);
}

// ---- edges and bevels --------------------------------------------------------------------------

void TEkBmp::darkenLeftEdge(TRect r, uint8_t wt) {
    if (!r.isEmpty())
        forRun(r.left, r.top, 0, 1, r.height() - 1, darkenBy(wt));
}
void TEkBmp::lightenLeftEdge(TRect r, uint8_t wt) {
    if (!r.isEmpty())
        forRun(r.left, r.top, 0, 1, r.height() - 1, lightenBy(wt));
}
void TEkBmp::darkenTopEdge(TRect r, uint8_t wt) {
    if (!r.isEmpty())
        forRun(r.left, r.top, 1, 0, r.width() - 1, darkenBy(wt));
}
void TEkBmp::lightenTopEdge(TRect r, uint8_t wt) {
    if (!r.isEmpty())
        forRun(r.left, r.top, 1, 0, r.width() - 1, lightenBy(wt));
}
void TEkBmp::darkenRightEdge(TRect r, uint8_t wt) {
    if (!r.isEmpty())
        forRun(r.right - 1, r.top, 0, 1, r.height(), darkenBy(wt));
}
void TEkBmp::lightenRightEdge(TRect r, uint8_t wt) {
    if (!r.isEmpty())
        forRun(r.right - 1, r.top, 0, 1, r.height(), lightenBy(wt));
}
void TEkBmp::darkenBottomEdge(TRect r, uint8_t wt) {
    if (!r.isEmpty())
        forRun(r.left, r.bottom - 1, 1, 0, r.width(), darkenBy(wt));
}
void TEkBmp::lightenBottomEdge(TRect r, uint8_t wt) {
    if (!r.isEmpty())
        forRun(r.left, r.bottom - 1, 1, 0, r.width(), lightenBy(wt));
}

void TEkBmp::drawSunkenEdge(TRect r) {
    darkenLeftEdge(r, 60);
    darkenTopEdge(r, 90);
    lightenRightEdge(r, 120);
    lightenBottomEdge(r, 150);
}

void TEkBmp::drawRaisedEdge(TRect r) {
    lightenLeftEdge(r, 120);
    lightenTopEdge(r, 150);
    darkenRightEdge(r, 60);
    darkenBottomEdge(r, 90);
}

void TEkBmp::drawSunkenFrame(TRect r, bool partialInner) {
    darkenLeftEdge(r, 90);
    darkenTopEdge(r, 120);
    lightenRightEdge(r, 120);
    lightenBottomEdge(r, 160);
    inflateRect(r, -1, -1);
    darkenLeftEdge(r, 60);
    darkenTopEdge(r, 90);
    if (!partialInner) {
        lightenRightEdge(r, 90);
        lightenBottomEdge(r, 120);
    }
}

void TEkBmp::drawRaisedFrame(TRect r, bool partialInner) {
    lightenLeftEdge(r, 120);
    lightenTopEdge(r, 150);
    darkenRightEdge(r, 90);
    darkenBottomEdge(r, 120);
    inflateRect(r, -1, -1);
    darkenRightEdge(r, 60);
    darkenBottomEdge(r, 90);
    if (!partialInner) {
        lightenLeftEdge(r, 90);
        lightenTopEdge(r, 120);
    }
}

void TEkBmp::drawSliderEdge(bool doubleRing, bool raised, TRect r) {
    if (!checkBitsClip(r))
        return;
    if (doubleRing) {
        if (raised)
            drawRaisedFrame(r, true);
        else
            drawSunkenFrame(r, true);
    } else if (raised) {
        drawRaisedEdge(r);
    } else {
        drawSunkenEdge(r);
    }
}

void TEkBmp::drawBevel(bool endsOnly, TRect r) {
    if (!checkBitsClip(r))
        return;
    if (!endsOnly) {
        lightenTopEdge(r, 150);
        darkenBottomEdge(r, 90);
        lightenLeftEdge(r, 120);
        darkenRightEdge(r, 60);
    } else if (r.height() <= r.width()) {
        lightenLeftEdge(r, 120);
        darkenRightEdge(r, 60);
    } else {
        lightenTopEdge(r, 150);
        darkenBottomEdge(r, 90);
    }
    softenCorners(r);
}

void TEkBmp::softenCorners(TRect r) {
    if (!checkBitsClip(r))
        return;
    setCornerAlpha(r, kSoftCornerAlpha, 2);
}

void TEkBmp::setCornerAlpha(TRect r, const uint8_t* table, int n) {
    int k = 0;
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n - i; ++j, ++k) {
            const TPixel alpha = TPixel(table[k]) << 24;
            forCorners(r, j, i, [alpha](TPixel& p) { p = (p & kColourMask) | alpha; });
        }
    }
}

void TEkBmp::drawSoftInnerCorners(TRect r) {
    TRect grown = r;
    inflateRect(grown, 1, 1);
    if (!checkBitsClip(grown))
        return;
    softCornerBlend(r, kSoftInnerCorner, 4);
}

void TEkBmp::softCornerBlend(TRect r, const uint8_t* table, int n) {
    struct Corner {
        int x, y;   // the corner pixel
        int dx, dy; // direction into the rect
        int ax, ay; // first outside neighbour
        int bx, by; // second outside neighbour
    };
    const Corner corners[4] = {
        {r.left, r.top, 1, 1, r.left - 1, r.top, r.left, r.top - 1},
        {r.right - 1, r.top, -1, 1, r.right, r.top, r.right - 1, r.top - 1},
        {r.left, r.bottom - 1, 1, -1, r.left - 1, r.bottom - 1, r.left, r.bottom},
        {r.right - 1, r.bottom - 1, -1, -1, r.right, r.bottom - 1, r.right - 1, r.bottom},
    };
    for (const Corner& c : corners) {
        // The colour comes from outside the rect; without those pixels the corner stays.
        if (!inside(c.ax, c.ay) || !inside(c.bx, c.by))
            continue;
        const TPixel colour = halfMixOpaque(*at(c.ax, c.ay), *at(c.bx, c.by));
        int k = 0;
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n - i; ++j, ++k) {
                const int x = c.x + c.dx * j;
                const int y = c.y + c.dy * i;
                if (inside(x, y))
                    blendMask(at(x, y), 1, 1, table + k, 1, colour, w_);
            }
    }
}

// ---- lines and frames --------------------------------------------------------------------------

void TEkBmp::hLine(int y, int x1, TPixel p, int x2) {
    if (x1 == x2)
        return;
    const int dx = x2 > x1 ? 1 : -1;
    forRun(x1, y, dx, 0, std::abs(x2 - x1), setTo(p));
}

void TEkBmp::vLine(int x, int y1, TPixel p, int y2) {
    if (y1 == y2)
        return;
    const int dy = y2 > y1 ? 1 : -1;
    forRun(x, y1, 0, dy, std::abs(y2 - y1), setTo(p));
}

void TEkBmp::drawFrame(int thickness, TRect r, TEkColor c) {
    if (!memDc_)
        return;
    const TPixel p = colorToPixel(c);
    const int rings = std::min(r.width(), r.height()) / 2;
    for (int i = 0; i < thickness && i < rings; ++i) {
        hLine(r.top + i, r.left + i, p, r.right - i);
        vLine(r.left + i, r.top + i, p, r.bottom - i);
        vLine(r.right - 1 - i, r.top + i, p, r.bottom - i);
        hLine(r.bottom - 1 - i, r.left + i, p, r.right - i);
    }
}

// ---- smoothing and rotation --------------------------------------------------------------------

void TEkBmp::smoothHorz(TRect r) {
    smoothRows(r, false);
}

void TEkBmp::smoothHorzKeepAlpha(TRect r) {
    smoothRows(r, true);
}

void TEkBmp::smoothRows(TRect r, bool keepAlpha) {
    if (!checkBitsClip(r))
        return;
    for (int y = r.top; y < r.bottom; ++y) {
        TPixel* line = rowAddress(y);
        for (int x = r.left + 2; x <= r.right - 2; ++x) {
            // c := (left >> 1 & 0x7F) + (right >> 1 & 0x7F) per colour byte
            const TPixel mix = halfMixWords(line[x - 1], line[x + 1]);
            line[x] = mix | (keepAlpha ? line[x] & kAlphaMask : kAlphaMask);
        }
    }
}

void TEkBmp::smoothVert(TRect r) {
    if (!checkBitsClip(r))
        return;
    for (int y = r.top + 1; y <= r.bottom - 3; ++y) {
        TPixel* above = rowAddress(y - 1);
        TPixel* line = rowAddress(y);
        TPixel* below = rowAddress(y + 1);
        for (int x = r.left + 1; x <= r.right - 1; ++x)
            line[x] = halfMixOpaque(above[x], below[x]);
    }
}

void TEkBmp::rotate180(int left, int top, int right, int bottom) {
    TRect r(left, top, right, bottom);
    if (!pix_ || !clipRect(r))
        return;
    // Turning by 180 degrees reverses the rect's pixels in row order.
    const long long cols = r.width();
    const long long count = cols * r.height();
    for (long long i = 0, j = count - 1; i < j; ++i, --j)
        std::swap(*at(r.left + int(i % cols), r.top + int(i / cols)),
                  *at(r.left + int(j % cols), r.top + int(j / cols)));
}
