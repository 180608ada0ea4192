#pragma once
// TEkBmp, the off-screen painter of the control library: a 32-bit top-down pixel buffer
// (pixels blue, green, red, alpha in memory; stride = width * 4) with its own drawing state
// (font, text colour, background mode). Pixel operations write the memory directly with integer
// arithmetic; text goes through a QPainter opened on a QImage view of the same memory. A control
// paints into its TEkBmp and copies it to the window in one bitBlt from its paintEvent.
//
// Rectangles are TRect (right and bottom exclusive). Every public operation stays inside the
// bitmap: operations documented as clipping clip their rectangle and do nothing when nothing
// remains; the others skip the pixels that fall outside. Misuse is reported with
// EInvalidGraphicOperation (see each operation).

#include "controls/EkColor.h"
#include "controls/Graphics.h"

#include <QFont>
#include <QImage>
#include <cstdint>
#include <vector>

class QPainter;
class TImageList;

// Compositing modes of TEkBmp::drawTo.
enum TEkBlendMode : uint8_t {
    bmAlphaBlend = 0,  // colour bytes blended by source alpha, destination alpha kept
    bmGhost75 = 1,     // three quarters source over the destination, alpha 255
    bmGhost50 = 2,     // half source, half destination, alpha 255
    bmCopy = 3,        // the source word, alpha included (also every mode above 6)
    bmGrey = 4,        // as bmAlphaBlend with the source's grey
    bmGreyGhost75 = 5, // as bmGhost75 with the source's grey
    bmGreyGhost50 = 6, // as bmGhost50 with the source's grey
};

// One entry of resampleWeights, in units of 1/4096.
struct TResampleWeight {
    int32_t weight = 0;
    int32_t next = 0;
    bool operator==(const TResampleWeight&) const = default;
};

class TEkBmp {
public:
    // Largest side and largest pixel memory a bitmap accepts; a larger request leaves the
    // bitmap empty (as a failed creation does).
    static constexpr int kMaxSide = 32767;
    static constexpr size_t kMaxBytes = size_t(256) << 20;

    // An empty bitmap: no pixel memory, bounds empty.
    TEkBmp();
    // A width x height bitmap, every pixel 0xFFFFFFFF (white, alpha 255). A zero or negative
    // size, a size above the limits or a failed allocation leaves it empty (no exception).
    TEkBmp(int width, int height);
    virtual ~TEkBmp();
    TEkBmp(const TEkBmp&) = delete;
    TEkBmp& operator=(const TEkBmp&) = delete;

    // ---- lifecycle -------------------------------------------------------------------------
    // (Re)creates the pixel memory for the stored width and height, all bytes 0xFF; with a zero
    // or negative side the bitmap is released instead.
    virtual void createDib();
    virtual void resetFields();
    // Copies size, pixels and flag of other; nothing for null.
    virtual void assignFrom(const TEkBmp* other);
    void assign(const TEkBmp& other);
    // Frees the pixel memory; bounds := (0, 0, 0, 0). With deleteDc the drawing context goes
    // too. Font, text colour and background mode are kept.
    void releaseDib(bool deleteDc);

    // ---- size ------------------------------------------------------------------------------
    // New size w x h (white). keepPicture keeps the old picture: stretched to the new size
    // with stretch (nearest pixel, or smooth when halftone; colour bytes are kept also where
    // alpha is 0), else its overlapping top-left part.
    void resize(int w, int h, bool stretch, bool halftone, bool keepPicture);
    // |w|; resizes keeping the picture when it differs.
    void setWidth(int w);
    void setHeight(int h);
    // |w|, |h|; resizes when either differs.
    void setSize(int w, int h, bool keepPicture);

    int width() const { return w_; }
    int height() const { return h_; }
    int stride() const { return w_ * 4; }
    // The drawing context exists (a bitmap with non-zero size was created).
    bool hasDc() const { return memDc_; }
    // Pixel memory, null when none.
    TPixel* bits() { return pix_; }
    const TPixel* bits() const { return pix_; }
    bool flag() const { return flg_; }
    void setFlag(bool f) { flg_ = f; }
    TEkColor colour() const { return col_; }
    void setColour(TEkColor c) { col_ = c; }

    // ---- access ----------------------------------------------------------------------------
    // The pixel as a colour (bytes 0 and 2 exchanged). Throws "No Bitmap Created" without pixel
    // memory, then "Pixel Y Value out of Range", then "Pixel X Value out of Range".
    void getPixel(int x, int y, TEkColor& out) const;
    // The raw pixel word as a colour word, no test (caller keeps x, y inside).
    void getPixelUnchecked(int x, int y, TEkColor& out) const;
    // The raw pixel word, checked as getPixel.
    TPixel pixelAt(int x, int y) const;
    // Address of a row. Throws "Scanlines Out of Range" for a row outside 0..height-1 (after a
    // debug message), "No DibSection" without pixel memory.
    TPixel* scanLine(int row);
    const TPixel* scanLine(int row) const;
    TPixel* row(int y) { return scanLine(y); }
    // Row address without a test (caller keeps y inside).
    TPixel* rowAddress(int y) { return pix_ + size_t(y) * size_t(w_); }
    TPixel* scanLineUnchecked(int y) { return rowAddress(y); }
    // Address of r's top-left pixel, no test.
    TPixel* pixelPtr(const TRect& r) { return pix_ + size_t(r.top) * size_t(w_) + r.left; }
    // (0, 0, width, height) while pixel memory exists, empty otherwise.
    const TRect& boundsRect() const { return bounds_; }

    // A QImage (Format_ARGB32, not premultiplied) that shares this bitmap's memory; valid until
    // the next resize or release. Null without pixel memory.
    QImage image();

    // ---- checks ----------------------------------------------------------------------------
    // "No Bitmap Created" without a drawing context.
    void checkDc() const;
    // "No Bitmap Created" without pixel memory; then clipRect(r).
    bool checkBitsClip(TRect& r) const;
    // checkDc, then clipRect(r).
    bool checkDcClip(TRect& r) const;
    // Clips r to the bitmap in place; true when something remains.
    bool clipRect(TRect& r) const;

    // ---- copy out --------------------------------------------------------------------------
    // Copies the whole bitmap to (x, y) of the painter's device. Alpha is ignored: the copy is
    // opaque, as many fills leave alpha 0. Nothing without pixel memory.
    void bitBlt(QPainter& dst, int x, int y) const;
    // Copies the src part of the bitmap to (x, y), opaque: source pixel (src.left, src.top)
    // goes to (x, y). The part of src outside the bitmap is not copied (its place on dst is
    // left as it was).
    void bitBltRect(QPainter& dst, int x, int y, TRect src) const;
    // An opaque copy of the whole picture (alpha forced to 255); null without pixel memory.
    QImage toOpaqueImage() const;

    // ---- compositing and whole-bitmap passes ------------------------------------------------
    // Composites this whole bitmap onto dst with its top-left pixel at (x, y) (moved inside dst
    // by clampOffset) by the mode's rule (TEkBlendMode; 7 and above copy). Draws nothing when
    // either bitmap has no pixel memory, dst is null, or this bitmap does not fit into dst.
    void drawTo(TEkBmp* dst, int x, int y, uint8_t mode) const;
    // x, y := max(0, .); moved left/up so that this bitmap ends inside dst; true when both stay
    // >= 0 (a source larger than dst is not drawn).
    bool clampOffset(const TEkBmp& dst, int& x, int& y) const;
    // Every pixel's colour bytes := its grey by luminance; alpha kept.
    void makeGrey();
    // Pixels with alpha below 251: each colour byte := c * alpha >> 8.
    void premultiplyAlpha();
    // True when every pixel's alpha is <= 10 or >= 245 (an empty run too).
    static bool hasNoPartialAlpha(const TPixel* pixels, int count);

    // ---- fills and gradients (clip their rect; "No Bitmap Created" without pixel memory) -----
    // Every pixel := c (alpha byte included); no exception, nothing without pixel memory.
    void fill(TEkColor c);
    void fillRect(TRect r, TEkColor c);
    // As fillRect, but the first and last pixel of the top and bottom rows are left alone
    // (a rect of one or two rows is then filled without its corner pixels).
    void fillRectCutCorners(TRect r, TEkColor c);
    // Pixels := 0 (transparent black); "No Bitmap Created" without a drawing context.
    void clearRect(TRect r);
    // Vertical: c1 in the top row to c2 in the bottom row; else c1 at the left to c2 at the
    // right. Alpha 255. A single row / column gets c1.
    void gradientFill(bool vertical, TRect r, TEkColor c1, TEkColor c2);
    void gradientFillVert(TRect r, TPixel c1, TPixel c2);
    void gradientFillHorz(TRect r, TPixel c1, TPixel c2);
    // Two ramps meeting at split = 2n/5 (3n/5 when wide) of the extent n along the axis, with
    // dark = c2 darkened by shade: A -> c1 then c1 -> B, where wide gives A = dark, B = c2 and
    // not wide A = c2, B = dark. Alpha 255. "No Bitmap Created" without a drawing context.
    void pipeFill(bool vertical, uint8_t shade, TRect r, TEkColor c1, TEkColor c2, bool wide);
    // The same with pixel-order colours.
    void pipeFillVert(TRect r, uint8_t shade, TPixel c1, TPixel c2, bool wide);
    void pipeFillHorz(TRect r, uint8_t shade, TPixel c1, TPixel c2, bool wide);

    // ---- edges and bevels (only the pixels inside the bitmap change) -------------------------
    // Left: column left, rows top..bottom-2. Top: row top, columns left..right-2.
    // Right: column right-1, full height. Bottom: row bottom-1, full width.
    void darkenLeftEdge(TRect r, uint8_t w);
    void lightenLeftEdge(TRect r, uint8_t w);
    void darkenTopEdge(TRect r, uint8_t w);
    void lightenTopEdge(TRect r, uint8_t w);
    void darkenRightEdge(TRect r, uint8_t w);
    void lightenRightEdge(TRect r, uint8_t w);
    void darkenBottomEdge(TRect r, uint8_t w);
    void lightenBottomEdge(TRect r, uint8_t w);
    void drawSunkenEdge(TRect r);
    void drawRaisedEdge(TRect r);
    void drawSunkenFrame(TRect r, bool partialInner);
    void drawRaisedFrame(TRect r, bool partialInner);
    void drawSliderEdge(bool doubleRing, bool raised, TRect r);
    void drawBevel(bool endsOnly, TRect r);
    // Corner pixels' alpha := 50, their two edge neighbours' := 180 (colour bytes untouched).
    void softenCorners(TRect r);
    // Rounds r's four inner corners with the colour just outside each corner. A corner whose
    // outside pixels lie off the bitmap is left alone.
    void drawSoftInnerCorners(TRect r);

    // ---- lines and frames (only the pixels inside the bitmap are painted) --------------------
    // Row y from x1 towards x2, x2 excluded, either direction.
    void hLine(int y, int x1, TPixel p, int x2);
    void vLine(int x, int y1, TPixel p, int y2);
    // thickness rings (at most min(width, height) / 2); "No Bitmap Created" without a context.
    void drawFrame(int thickness, TRect r, TEkColor c);

    // ---- smoothing and rotation (clip their rect) -------------------------------------------
    void smoothHorz(TRect r);
    void smoothHorzKeepAlpha(TRect r);
    void smoothVert(TRect r);
    // Turns the rect (clipped to the bitmap) by 180 degrees in place.
    void rotate180(int left, int top, int right, int bottom);

    // ---- rounded outlines and faces --------------------------------------------------------
    // Radius-3 outline darkened by w (corners by 4w/9, 6w/7, w/4).
    void darkenRoundedOutline(TRect r, uint8_t w);
    // Radius-1 outline lightened by w, diagonal pixels by 5w/7.
    void lightenInnerOutline(TRect r, uint8_t w);
    // Radius-1 outline in p; diagonal pixels the half mix with p.
    void drawRoundedFrameSmall(TRect r, TPixel p);
    // Radius-3 anti-aliased outline in p.
    void drawRoundedFrame(TRect r, TPixel p);
    // checkDcClip, then drawRoundedFrameSmall on the clipped rect.
    void drawFocusFrame(TRect r, TPixel p);
    // Glass face (white highlight band, shaded lower part, outline) over r, clipped; a rect
    // lower than 16 pixels gets the parts that fit.
    void drawGlassFace(TRect r);
    void paintGlassFace(TRect r);
    // Shaded face over r, clipped.
    void drawShadedFace(TRect r);
    void paintShadedFace(TRect r);
    // Inner rect (r shrunk by 1): pipe (not wide) or vertical gradient c1 -> c2; then the
    // shaded face over r.
    void paintButtonFace(uint8_t shade, bool pipe, TRect r, TEkColor c1, TEkColor c2);
    // The same fill; then a radius-3 frame in c2 scaled by 175/255 and the inner outline
    // lightened by 130.
    void paintButtonFaceFramed(uint8_t shade, bool pipe, TRect r, TEkColor c1, TEkColor c2);

    // ---- grips and marks ---------------------------------------------------------------------
    // A ridged grip centred in r (shrunk by 2, or 3 from 16 pixels), sized by the space left;
    // nothing when too small. tall: ridges run across (vertical grip lines side by side).
    void drawGrip(bool tall, TRect r);
    void drawGripTall9(TRect r);
    void drawGripTall12(TRect r);
    void drawGripTall14(TRect r);
    void drawGripWide9(TRect r);
    void drawGripWide12(TRect r);
    void drawGripWide14(TRect r);
    static void placeGripTall(TRect& r, int glyphHeight, int narrowWidth, int wideWidth);
    static void placeGripWide(TRect& r, int glyphWidth, int narrowHeight, int wideHeight);
    // N x N anti-aliased marks at (x, y) in colour c; the parts off the bitmap are skipped.
    void drawDiamondMark9(int x, int y, TEkColor c);
    void drawDiamondMark11(int x, int y, TEkColor c);
    void drawDiamondMark13(int x, int y, TEkColor c);
    void drawCircleMark7(int x, int y, TEkColor c);
    void drawCircleMark9(int x, int y, TEkColor c);
    void drawCircleMark11(int x, int y, TEkColor c);
    void drawStarMark9(int x, int y, TEkColor c);
    void drawStarMark11(int x, int y, TEkColor c);
    void drawStarMark13(int x, int y, TEkColor c);

    // ---- text and fonts ------------------------------------------------------------------------
    // Font of pixel size size * pixelsPerInch / 72; style bits: 1 bold, 2 italic, 4 underline,
    // 8 strike-out. False without a drawing context or for a size that gives no pixels. The
    // font survives resizes. The face name is cut to 31 characters.
    bool setFont(const QString& faceName, int size, int style, int pixelsPerInch = kFontPixelsPerInch);
    // The style bits of setFont for font.
    static int fontStyleBits(const QFont& font);
    const QFont& font() const { return fnt_; }
    bool hasOwnFont() const { return ownFont_; }
    // Pixel height of the own font as a negative number (-(size * ppi / 72)), 0 when none.
    int fontHeight() const { return ownFont_ ? -fnt_.pixelSize() : 0; }
    // Text colour (byte 3 ignored); returns the previous one (black at first).
    TEkColor setTextColor(TEkColor c);
    TEkColor textColor() const { return txtColor_; }
    // true: text leaves the background; false: text cells get the background colour (white).
    void setBkTransparent(bool transparent);
    bool bkTransparent() const { return bkTrans_; }
    // Draws text in r (clipped to the bitmap) with the DT_* format; false when nothing of r is
    // inside. "No Bitmap Created" without a drawing context.
    bool drawText(const QString& text, unsigned format, TRect r);
    // drawText in colour c, the previous text colour restored afterwards.
    bool drawCaption(const QString& text, unsigned format, TRect r, TEkColor c);
    // Sets r's right and bottom to the text's extent from its left and top (mnemonic '&'
    // not counted; lines split at line breaks unless singleLine). Empty text gives an empty
    // extent and false. "No Bitmap Created" without a drawing context.
    bool calcTextRect(TRect& r, const QString& text, bool singleLine);
    // Inverts the colour bytes of every other pixel of r's border ((x + y) even), clipped; a
    // second call restores the pixels.
    void drawFocusRect(TRect r);

    // ---- image lists ---------------------------------------------------------------------------
    // Copies image index of the list into this bitmap when the list's image size equals this
    // bitmap's size; false (and nothing copied) for a null list, an index out of range, another
    // size, or no pixel memory.
    bool copyFromImageList(const TImageList* list, int index);

protected:
    // Mask rule: m < 8 leaves the pixel, m > 240 sets its colour bytes, else
    // (d * (255 - m) + c * m) >> 8; alpha untouched. dst rows are stride pixels apart, mask
    // rows maskStride bytes apart. The caller keeps w x h inside both.
    static void blendMask(TPixel* dst, int w, int h, const uint8_t* mask, int maskStride, TPixel colour,
                          int stride);
    // Corner alpha table: row top+i (and bottom-1-i) gets n - i values at left+j / right-1-j.
    void setCornerAlpha(TRect r, const uint8_t* table, int n);
    // Corner triangles blended with the colour outside each corner (rows of n, n-1, ... 1).
    void softCornerBlend(TRect r, const uint8_t* table, int n);
    void blendRows(TPixel* dst, int dstWidth, uint8_t mode, int rows, int columns, const TPixel* src) const;
    void drawMark(int x, int y, TEkColor c, const uint8_t* mask, int n);

private:
    bool inside(int x, int y) const { return pix_ && x >= 0 && y >= 0 && x < w_ && y < h_; }
    TPixel* at(int x, int y) { return pix_ + size_t(y) * size_t(w_) + size_t(x); }
    // f applied to the pixels of the run (x, y) .. (x + dx * (n - 1), y + dy * (n - 1)) that lie
    // inside the bitmap.
    template <class F> void forRun(int x, int y, int dx, int dy, int n, F f);
    template <class F> void forPixel(int x, int y, F f);
    // f on the pixel (x, y) in from each corner of r: top-left, top-right, bottom-left,
    // bottom-right.
    template <class F> void forCorners(TRect r, int x, int y, F f);
    // f on r's top, bottom, left and right side, each without inset pixels at either end.
    template <class F> void forSides(TRect r, int inset, F f);
    // r clipped already: rows top + 1 .. bottom - 1 := row top; each row y := colours[y - top].
    void copyFirstRowDown(TRect r);
    void fillRowsWith(TRect r, const TPixel* colours);
    // Clips r; false when nothing is left. Else r shrunk by 1 gets the pipe or the gradient of
    // the button faces.
    bool fillButtonBody(uint8_t shade, bool pipe, TRect& r, TEkColor c1, TEkColor c2);
    // Each pixel from left + 2 to right - 2 := the half mix of its neighbours, alpha kept or 255.
    void smoothRows(TRect r, bool keepAlpha);
    void applyShadeRows(TPixel* dst, const int16_t* table, int columns, int middleRepeat);
    void applyShadeColumns(TPixel* dst, const int16_t* table, int rows, int middleRepeat);
    void repeatGripRight(TPixel* dst, int rows, int cellWidth, int availableWidth);
    void repeatGripDown(TPixel* dst, int columns, int cellHeight, int availableHeight);
    void gripTall(TRect r, const int16_t* table, int columns, int glyphHeight, int narrow, int wide,
                  int cell);
    void gripWide(TRect r, const int16_t* table, int rows, int glyphWidth, int narrow, int wide, int cell);
    void paintFaceRows(TRect r, bool glass);
    bool allocate();
    // Fills this bitmap (already of its new size) with the old picture scaled smoothly.
    void stretchSmooth(const TPixel* old, int oldWidth, int oldHeight);

    TPixel* pix_ = nullptr;
    bool memDc_ = false;
    bool flg_ = false;
    int w_ = 0;
    int h_ = 0;
    TRect bounds_;
    TEkColor col_;
    QFont fnt_;
    bool ownFont_ = false;
    TEkColor txtColor_{0u};
    bool bkTrans_ = false;
};

// r grown by dx / dy on each side (negative shrinks).
void inflateRect(TRect& r, int dx, int dy);
void inflateRectSides(TRect& r, int dLeft, int dTop, int dRight, int dBottom);

// Resampling weight table in 1/4096 units for count destination entries over span source
// entries (scale: unit (span << 12) / count, divisor count; else unit 4096, divisor span).
// Requires count > 0 and span > 0 (a span may exceed the count); otherwise the result is empty.
std::vector<TResampleWeight> resampleWeights(int count, int span, bool scale);
