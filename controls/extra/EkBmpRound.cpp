#include "controls/extra/EkBmpRound.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr TPixel kAlphaMask = 0xFF000000u;
constexpr TPixel kColourMask = 0x00FFFFFFu;

// The smallest side a ball, a hole, a pipe or a groove is painted at.
constexpr int kSmallestSide = 4;

// mix(x over y, w) per colour byte: (y * (255 - w) + x * w) >> 8; alpha byte := alpha.
TPixel blendColor(uint8_t w, uint8_t alpha, TPixel x, TPixel y) {
    TPixel out = TPixel(alpha) << 24;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t xc = (x >> shift) & 0xFFu, yc = (y >> shift) & 0xFFu;
        out |= ((yc * (255u - w) + xc * w) >> 8) << shift;
    }
    return out;
}

// One cell of a small ball: the colour pair (light over body, or body over dark), the mix
// weight and the alpha.
enum SmallPair : uint8_t { LB, BD };
struct SmallCell {
    SmallPair pair;
    uint8_t weight;
    uint8_t alpha;
};

// The small balls are symmetric about their diagonal: only cells (i, j) with j >= i are kept,
// row by row (row 0 has n cells, row 1 n - 1, ...).
constexpr SmallCell kBall4[] = {{LB, 70, 40},   {LB, 150, 180}, {LB, 40, 180},  {BD, 140, 40}, //
                                {LB, 200, 255}, {LB, 130, 255}, {BD, 180, 180},                //
                                {BD, 220, 255}, {BD, 140, 180},                                //
                                {BD, 100, 40}};
constexpr SmallCell kBall5[] = {{LB, 128, 20},  {LB, 210, 110}, {LB, 150, 180}, {LB, 123, 110},
                                {BD, 225, 20},                                                  //
                                {LB, 240, 255}, {LB, 160, 255}, {LB, 80, 230},  {BD, 200, 100}, //
                                {LB, 130, 255}, {BD, 245, 255}, {BD, 230, 160},                 //
                                {BD, 240, 235}, {BD, 160, 100},                                 //
                                {BD, 20, 20}};
constexpr SmallCell kBall6[] = {
    {LB, 128, 0},   {LB, 210, 100}, {LB, 150, 180}, {LB, 123, 180}, {BD, 225, 80}, {BD, 160, 0}, //
    {LB, 220, 255}, {LB, 206, 255}, {LB, 130, 255}, {BD, 240, 255}, {BD, 200, 80},               //
    {LB, 184, 255}, {LB, 80, 255},  {LB, 0, 255},   {BD, 200, 180},                              //
    {LB, 40, 255},  {BD, 220, 255}, {BD, 160, 180},                                              //
    {BD, 200, 255}, {BD, 150, 80},                                                               //
    {BD, 80, 0}};

// Index of cell (i, j), j >= i, in a kept upper triangle of side n.
constexpr int triangleIndex(int n, int i, int j) {
    return i * n - i * (i - 1) / 2 + (j - i);
}

} // namespace

TRoundBmp::TRoundBmp(int width, int height) : TEkBmp(width, height) {}

TRoundBmp::~TRoundBmp() = default;

// ---- balls and holes -------------------------------------------------------------------------

void TRoundBmp::drawBall(uint8_t shade, TRect r, TEkColor body, TEkColor light) {
    drawBallOrHole(false, shade, r, body, light);
}

void TRoundBmp::drawHole(uint8_t shade, TRect r, TEkColor body, TEkColor light) {
    drawBallOrHole(true, shade, r, body, light);
}

void TRoundBmp::drawBallOrHole(bool hole, uint8_t shade, TRect r, TEkColor body, TEkColor light) {
    if (!checkBitsClip(r) || r.width() < kSmallestSide || r.height() < kSmallestSide)
        return;
    const int side = std::min(r.width(), r.height());
    const TRect square(r.left, r.top, r.left + side, r.top + side);
    paintBallOrHole(hole, square, shade, colorToPixel(body), colorToPixel(light));
}

void TRoundBmp::paintBallOrHole(bool hole, TRect square, uint8_t shade, TPixel B, TPixel L) {
    paintBall(square, shade, B, L);
    if (hole)
        rotate180(square.left, square.top, square.right, square.bottom);
}

void TRoundBmp::paintBall(TRect square, uint8_t shade, TPixel B, TPixel L) {
    const int size = square.width();
    if (size < kSmallestSide)
        return;
    if (size <= 6) {
        paintSmallBall(square, B, L);
        return;
    }
    clearRect(square);
    L |= kAlphaMask;
    B |= kAlphaMask;
    // h = size * (1 - 181/512) / 2, rounded: the highlight sits a third of the way in.
    const int h = (331 * size + 200) >> 10;
    highlightX_ = square.left + h;
    highlightY_ = square.top + h;
    const int hmin = std::max(h, 2);
    // Rings reach 2.3 times the highlight's distance to the right edge (in doubled units).
    const int maxR = (square.right - highlightX_) * 23 / 10;
    const int n = size - size / 8;

    // Ring colours: the highlight, eased into the body, then eased into the darkened body.
    TEkColorBuf table(n);
    TPixel* colours = table.pixels();
    colours[0] = L;
    fillColorRampEased(colours + 1, hmin + 2, true, L, B);
    fillColorRampEased(colours + hmin + 1, (n - hmin - 1) * 9 / 10, false, B, darken(B, shade));
    for (int i = 0; i < n; ++i)
        colours[i] |= kAlphaMask;

    rowAddress(highlightY_)[highlightX_] = L;
    paintRings(square, colours, n, maxR);
    fillGaps(square.left, square.top, square.right, square.bottom);
    smoothHorz(square);
    smoothVert(square);
    rowAddress(highlightY_)[highlightX_] = L;
    circleAlpha(square);
    clearOutside(square, size / 2);
}

void TRoundBmp::paintRings(TRect square, const TPixel* colours, int count, int maxR) {
    const int hx = highlightX_, hy = highlightY_;
    TPixel colour = 0;
    const auto plot = [&](int dx, int dy) {
        if (square.contains(hx + dx, hy + dy))
            rowAddress(hy + dy)[hx + dx] = colour;
    };
    // Midpoint circles in doubled coordinates: radius R2 / 2 in steps of one pixel.
    for (int r2 = 2, k = 0; r2 < maxR; r2 += 2, ++k) {
        colour = colours[std::min(k, count - 1)];
        int x = 0, y = r2, d = 3 - 2 * r2;
        while (x < y) {
            const int a = x / 2, b = y / 2;
            for (int sa : {-a, a})
                for (int sb : {-b, b}) {
                    plot(sa, sb);
                    plot(sb, sa);
                }
            if (d < 0) {
                d += 16 * x + 24;
            } else {
                d += 16 * (x - y) + 48;
                y -= 2;
            }
            x += 2;
        }
        if (x == y)
            for (int sx : {-x / 2, x / 2})
                for (int sy : {-y / 2, y / 2})
                    plot(sx, sy);
    }
}

void TRoundBmp::fillGaps(int left, int top, int right, int bottom) {
    for (int y = top; y < bottom; ++y) {
        TPixel* line = rowAddress(y);
        for (int x = left; x < right; ++x) {
            if (line[x] != 0)
                continue;
            if (x > left && x < right - 1) {
                line[x] = halfMixOpaque(line[x - 1], line[x + 1]);
            } else if (y > top && y < bottom - 1) {
                line[x] = halfMixOpaque(rowAddress(y - 1)[x], rowAddress(y + 1)[x]);
            } else if (x == right - 1) {
                line[x] = line[x - 1];
            } else {
                // The first pixel of the first or last row: it and the gap after it take the
                // first colour that follows (the row's last pixel when none does).
                int next = x + 1;
                while (next < right - 1 && line[next] == 0)
                    ++next;
                std::fill(line + x, line + next, line[next]);
            }
        }
    }
}

void TRoundBmp::setAlphaAt(int x, int y, uint8_t alpha) {
    if (x >= 0 && y >= 0 && x < width() && y < height()) {
        TPixel& p = rowAddress(y)[x];
        p = (p & kColourMask) | (TPixel(alpha) << 24);
    }
}

// The eight octant points of (x, y) around the outline's centre; off moves the right and lower
// halves in by one for an even size, whose centre lies between pixels.
void TRoundBmp::setAlpha8(uint8_t alpha, int x, int y, int off) {
    const int cx = circleCentreX_, cy = circleCentreY_;
    setAlphaAt(cx - y, cy - x, alpha);
    setAlphaAt(cx - x, cy - y, alpha);
    setAlphaAt(cx + x + off, cy - y, alpha);
    setAlphaAt(cx + y + off, cy - x, alpha);
    setAlphaAt(cx - x, cy + y + off, alpha);
    setAlphaAt(cx - y, cy + x + off, alpha);
    setAlphaAt(cx + y + off, cy + x + off, alpha);
    setAlphaAt(cx + x + off, cy + y + off, alpha);
}

void TRoundBmp::circleAlpha(TRect square) {
    const int size = square.width();
    const int R = size / 2;
    circleCentreX_ = square.left + R;
    circleCentreY_ = square.top + R;
    const int off = size % 2 ? 0 : -1;
    int a = 198, w = 0, x = 0, y = R, prevY = R;
    while (y >= x) {
        setAlpha8(uint8_t(a), x, y, off);
        const int oldY = y;
        ++x;
        // y = sqrt(R^2 - x^2) in 22.10 fixed point, rounded; frac: how far past a whole pixel.
        const int t = int(std::sqrt(double(std::max(R * R - x * x, 0))) * 1024.0) + 512;
        const int frac = t & 1023;
        y = t >> 10;
        if (y != prevY) {
            if (y != oldY) {
                w = ((a * 12) >> 4) / (oldY == R ? 2 : 3);
                prevY = oldY;
            } else {
                w >>= 1;
            }
            setAlpha8(uint8_t(w), x, prevY, off);
        } else {
            w = a;
        }
        // alpha = 95 + frac * 160 / 1024, opaque on a whole pixel
        a = frac == 0 ? 255 : ((frac * 160) >> 10) + 95;
    }
}

void TRoundBmp::clearOutside(TRect square, int n) {
    const auto clearRow = [&](int y) {
        TPixel* line = rowAddress(y);
        for (int x = square.left; x < square.right && (line[x] >> 24) >= 251; ++x)
            line[x] &= kColourMask;
        for (int x = square.right - 1; x >= square.left && (line[x] >> 24) > 250; --x)
            line[x] &= kColourMask;
    };
    for (int i = 0; i < n - 1; ++i) {
        clearRow(square.top + i);
        clearRow(square.bottom - 1 - i);
    }
}

void TRoundBmp::paintSmallBall(TRect square, TPixel B, TPixel L) {
    const int n = square.width();
    const SmallCell* cells = n == 4 ? kBall4 : n == 5 ? kBall5 : kBall6;
    const TPixel D = darken(B, 220);
    for (int i = 0; i < n; ++i) {
        TPixel* line = rowAddress(square.top + i) + square.left;
        for (int j = 0; j < n; ++j) {
            const SmallCell& c = cells[triangleIndex(n, std::min(i, j), std::max(i, j))];
            line[j] =
                c.pair == LB ? blendColor(c.weight, c.alpha, L, B) : blendColor(c.weight, c.alpha, B, D);
        }
    }
}

// ---- pipes and grooves -----------------------------------------------------------------------

void TRoundBmp::drawRoundPipe(uint8_t shade, TRect r, TEkColor body, TEkColor light) {
    paintRoundPipe(shade, false, r, body, light);
}

void TRoundBmp::drawRoundGrove(uint8_t shade, TRect r, TEkColor body, TEkColor light) {
    paintRoundPipe(shade, true, r, body, light);
}

void TRoundBmp::paintRoundPipe(uint8_t shade, bool grove, TRect r, TEkColor body, TEkColor light) {
    if (!checkBitsClip(r) || r.width() < kSmallestSide || r.height() < kSmallestSide)
        return;
    const TPixel B = colorToPixel(body), L = colorToPixel(light);
    const int w = r.width(), h = r.height();
    const auto paintEnd = [&](TRect square) { paintBallOrHole(grove, square, shade, B, L); };
    if (w < h) {
        // Upright: the end shape at the bottom, stretched upwards.
        paintEnd(TRect(r.left, r.bottom - w, r.right, r.bottom));
        if (grove)
            stretchHoleVert(r);
        else
            stretchBallVert(r);
    } else if (h < w) {
        paintEnd(TRect(r.left, r.top, r.left + h, r.bottom));
        stretchHorz(r, grove);
    } else {
        paintEnd(r);
    }
}

void TRoundBmp::copyRow(const TRect& r, int to, int from) {
    std::memcpy(rowIn(r, to), rowIn(r, from), size_t(r.width()) * sizeof(TPixel));
}

void TRoundBmp::stretchBallVert(TRect r) {
    const int w = r.width(), s = r.height() - w; // s: the ball's first row
    const int capEnd = w * 24 / 35, mid = w / 2;
    const int steps = w * 10 / 100;
    for (int i = 0; i <= capEnd; ++i)
        copyRow(r, i, s + i); // the top of the ball becomes the top cap
    // Around the ball's middle row the sides step outwards one pixel per row going up.
    int straight = s + mid;
    if (capEnd > mid) {
        for (int k = 1; k <= steps; ++k) {
            const int row = s + mid - (k - 1);
            TPixel* dst = rowIn(r, row);
            const TPixel* below = rowIn(r, row + 1);
            std::memcpy(dst, below, size_t(k) * sizeof(TPixel));
            std::memcpy(dst + w - k, below + w - k, size_t(k) * sizeof(TPixel));
            straight = row;
        }
    }
    for (int row = straight - 1; row >= mid; --row)
        copyRow(r, row, straight);
    // The rows above the straight part take its inner pixels, narrowing by one per row.
    for (int k = 1, row = std::min(mid, straight) - 1; k <= steps - 2; ++k, --row)
        std::memcpy(rowIn(r, row) + k, rowIn(r, straight) + k, size_t(w - 2 * k) * sizeof(TPixel));
}

void TRoundBmp::stretchHoleVert(TRect r) {
    const int w = r.width(), s = r.height() - w;
    const int capEnd = w * 24 / 35, mid = w / 2;
    const int steps = w * 10 / 100;
    for (int i = 0; i <= capEnd; ++i)
        copyRow(r, i, s + i);
    int straight = mid;
    if (capEnd > mid) {
        for (int k = 1; k <= steps && mid + k - 2 < capEnd; ++k) {
            const int row = mid + (k - 1);
            TPixel* dst = rowIn(r, row);
            const TPixel* above = rowIn(r, row - 1);
            std::memcpy(dst, above, size_t(k) * sizeof(TPixel));
            std::memcpy(dst + w - k, above + w - k, size_t(k) * sizeof(TPixel));
            straight = row;
        }
    }
    for (int row = straight + 1; row <= s + mid; ++row)
        copyRow(r, row, straight);
    for (int k = 1, row = std::max(straight, s + mid) + 1; k <= steps - 2; ++k, ++row)
        std::memcpy(rowIn(r, row) + k, rowIn(r, straight) + k, size_t(w - 2 * k) * sizeof(TPixel));
}

void TRoundBmp::stretchHorz(TRect r, bool grove) {
    const int w = r.width(), h = r.height();
    const int capLen = std::min(3 * h / 4, w / 2);
    const int midCol = (h + 1) / 2 - 1;
    const int run = w - h;
    // The right half of the end shape becomes the right cap.
    for (int y = 0; y < h; ++y) {
        TPixel* line = rowIn(r, y);
        if (2 * h <= w)
            std::memcpy(line + w - capLen, line + h - capLen, size_t(capLen) * sizeof(TPixel));
        else
            copyPixelsBackward(line + w - capLen, line + h - capLen, capLen);
    }
    TRect smoothed(r.right - h, r.top + h / 4, r.right - h / 4, r.bottom - 2);
    if (grove)
        smoothHorzKeepAlpha(smoothed);
    // The straight part repeats one column per row, chosen nearer the middle towards the
    // capsule's top and bottom edges.
    const int kmax = h * 10 / 100 - 1;
    for (int t = 0, b = h - 1, k = 0; t <= b; ++t, --b) {
        if (k < kmax)
            ++k;
        const int column = grove ? midCol + k : midCol - k;
        for (int row : {t, b}) {
            TPixel* line = rowIn(r, row);
            fillPixels(line + column, run, line[column]);
        }
    }
    if (grove) {
        for (int shift : {1, 2}) {
            smoothed.left -= shift;
            smoothed.right -= shift;
            smoothHorzKeepAlpha(smoothed);
        }
    }
}

// ---- flat thumb and progress bar -------------------------------------------------------------

void TRoundBmp::drawVista(bool pipe, bool vertical, TRect r, TEkColor cA, TEkColor cB, bool grip) {
    if (!checkBitsClip(r))
        return;
    // The painter's ramps take any length from one pixel on.
    const TPixel a = colorToPixel(cA), b = colorToPixel(cB);
    if (vertical) {
        if (pipe)
            pipeFillHorz(r, 60, a, b, false);
        else
            gradientFillHorz(r, a, b);
    } else if (pipe) {
        pipeFillVert(r, 60, a, b, false);
    } else {
        gradientFillVert(r, a, b);
    }
    drawBevel(true, r);
    if (grip)
        drawGrip(!vertical, r);
}

void TRoundBmp::drawProgressBar(int position, bool reverse, TRect r, TEkColor laneA, TEkColor laneB,
                                TEkColor frontA, TEkColor frontB, int pattern, bool softEdge,
                                bool softEdgeFront, uint8_t shade) {
    if (!checkBitsClip(r))
        return;
    const bool upright = r.height() > r.width();
    TRect front = r;
    if (upright) {
        if (position < r.top || position > r.bottom)
            return;
        if (reverse)
            front.bottom = position;
        else
            front.top = r.bottom - position;
    } else {
        if (position < r.left || position > r.right)
            return;
        if (reverse)
            front.left = r.right - position;
        else
            front.right = position;
    }
    // The ramps run across the bar's thickness.
    const bool v = !upright;
    if (pattern == 0) {
        fillRect(r, TEkColor(laneA.value() | kAlphaMask));
        fillRect(front, TEkColor(frontA.value() | kAlphaMask));
    } else if (pattern == 1) {
        gradientFill(v, r, laneA, laneB);
        gradientFill(v, front, frontA, frontB);
    } else {
        pipeFill(v, shade, r, laneA, laneB, false);
        pipeFill(v, shade, front, frontA, frontB, false);
    }
    if (softEdgeFront) {
        if (upright && reverse)
            darkenBottomEdge(front, 90);
        else if (upright)
            lightenTopEdge(front, 150);
        else if (reverse)
            lightenLeftEdge(front, 120);
        else
            darkenRightEdge(front, 60);
    }
    if (softEdge)
        drawBevel(false, r);
}
