#pragma once
// TRoundBmp: a TEkBmp that paints shaded shapes into itself: a ball lit from the top left, a
// hole (the ball turned by 180 degrees), a pipe and a groove with rounded ends (a ball or a hole
// stretched into a capsule), a flat thumb with bevelled ends, and a whole progress bar. Every
// shape carries per-pixel alpha: its owner composites the bitmap over its own picture with
// drawTo(dst, x, y, bmAlphaBlend).
//
// Shapes are painted with integer arithmetic on the pixel memory; the only floating-point step
// is the square root of the ball's outline, truncated, so every machine paints the same pixels.
// Colours arrive as TEkColor; "body" is the darker colour, "light" the highlight.
//
// Each public operation clips its rectangle to the bitmap and throws the painter's
// EInvalidGraphicOperation "No Bitmap Created" when the bitmap has no pixels. Balls, holes,
// pipes and grooves never touch a pixel outside the (clipped) rectangle.
#include "controls/EkBmp.h"

class TRoundBmp : public TEkBmp {
public:
    // A width x height bitmap, every pixel 0xFFFFFFFF (see TEkBmp).
    TRoundBmp(int width, int height);
    ~TRoundBmp() override;

    // A ball in the square of side min(width, height) at r's top-left corner, the rest of r
    // untouched. Sides below 4 paint nothing; 4, 5 and 6 come from fixed tables; from 7 on the
    // ball is computed: rings of eased colours around the highlight point, an anti-aliased
    // outline in the alpha bytes, and the corners outside the outline transparent. shade
    // darkens the body towards the far side.
    void drawBall(uint8_t shade, TRect r, TEkColor body, TEkColor light);
    // The same ball turned by 180 degrees, pixel for pixel (the highlight at the bottom right).
    void drawHole(uint8_t shade, TRect r, TEkColor body, TEkColor light);
    // A capsule along r's longer side made from a ball (pipe) or a hole (groove); a square r
    // gives the ball or the hole. Sides below 4 paint nothing.
    void drawRoundPipe(uint8_t shade, TRect r, TEkColor body, TEkColor light);
    void drawRoundGrove(uint8_t shade, TRect r, TEkColor body, TEkColor light);
    // A flat thumb: a pipe (or gradient) from cA to cB across it, bevelled ends and, with grip,
    // a ridged grip. vertical: the thumb of an upright slider (ramp along x). Any size of at
    // least one pixel paints.
    void drawVista(bool pipe, bool vertical, TRect r, TEkColor cA, TEkColor cB, bool grip);
    // A progress bar over r: the lane (laneA, laneB) and the front (frontA, frontB) up to
    // position, which counts along the bar (x for a bar at least as wide as tall, y for a taller
    // one, growing upwards from the bottom). reverse makes the front grow from the other end.
    // pattern 0 solid, 1 gradient, anything else pipe (shaded by shade). softEdgeFront shades
    // the front's moving edge; softEdge bevels the whole bar and softens its corners. Nothing is
    // painted when position lies outside r's extent along the bar.
    void drawProgressBar(int position, bool reverse, TRect r, TEkColor laneA, TEkColor laneB, TEkColor frontA,
                         TEkColor frontB, int pattern, bool softEdge, bool softEdgeFront, uint8_t shade);

    // Where the last computed ball put its highlight point and its outline's centre (bitmap
    // coordinates).
    int highlightXPos() const { return highlightX_; }
    int highlightYPos() const { return highlightY_; }
    int circleCentreXPos() const { return circleCentreX_; }
    int circleCentreYPos() const { return circleCentreY_; }

private:
    void drawBallOrHole(bool hole, uint8_t shade, TRect r, TEkColor body, TEkColor light);
    // Square: r's left, top and side (its width). B and L are pixels. A hole is the ball turned
    // by 180 degrees.
    void paintBall(TRect square, uint8_t shade, TPixel B, TPixel L);
    void paintBallOrHole(bool hole, TRect square, uint8_t shade, TPixel B, TPixel L);
    void paintSmallBall(TRect square, TPixel B, TPixel L);
    void paintRings(TRect square, const TPixel* colours, int count, int maxR);
    void circleAlpha(TRect square);
    void setAlpha8(uint8_t alpha, int x, int y, int off);
    void setAlphaAt(int x, int y, uint8_t alpha);
    void clearOutside(TRect square, int n);
    void fillGaps(int left, int top, int right, int bottom);
    void paintRoundPipe(uint8_t shade, bool grove, TRect r, TEkColor body, TEkColor light);
    // Row copies inside r: rows and columns counted from r's top-left pixel.
    TPixel* rowIn(const TRect& r, int row) { return rowAddress(r.top + row) + r.left; }
    void copyRow(const TRect& r, int to, int from);
    void stretchBallVert(TRect r);
    void stretchHoleVert(TRect r);
    void stretchHorz(TRect r, bool grove);

    int circleCentreX_ = 0;
    int circleCentreY_ = 0;
    int highlightX_ = 0;
    int highlightY_ = 0;
};
