#include "controls/extra/EkSlider.h"

#include "controls/Setters.h"
#include "controls/extra/EkBmpRound.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <cmath>
#include <limits>
#include <utility>

namespace {

constexpr int wheelNotch = 120; // rotation of one wheel notch

} // namespace

TEkSlider::TEkSlider(QWidget* parent) : TEkMovers(parent) {
    const int side = std::min(width(), height());
    sliderBmp = std::make_unique<TRoundBmp>(side, side);
    bkgBmp = std::make_unique<TRoundBmp>(width(), height());
    // Moves without a button pressed keep the hot flag on the visible track.
    setMouseTracking(true);
    resize(100, 18);
}

TEkSlider::~TEkSlider() = default;

// ---- value ---------------------------------------------------------------------------------------

void TEkSlider::setPosition(double v) {
    if (std::isnan(v))
        return;
    if (v < range.min)
        v = range.min;
    if (v > range.max)
        v = range.max;
    if (v == range.position)
        return;
    bool accept = true;
    emit changingPos(this, v, posDoubleToPosInt(v), &accept);
    if (accept) {
        range.position = v;
        emit changePos(this, v, posDoubleToPosInt(v));
    }
    calculateSliderPosInPix();
    update();
}

void TEkSlider::doWheelAndKeyPosChange(double v) {
    v = std::clamp(v, range.min, range.max);
    if (v != range.position)
        setPosition(v);
}

int TEkSlider::posDoubleToPosInt(double v) const {
    // Half up on both sides of zero: -10.9 gives -11, -2.5 gives -2.
    const double rounded = std::floor(v + 0.5);
    if (!(rounded > std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return rounded < std::numeric_limits<int>::max() ? int(rounded) : std::numeric_limits<int>::max();
}

void TEkSlider::setNoScroll(bool v) {
    setAndRepaint(*this, noScroll, v);
}

// ---- look ----------------------------------------------------------------------------------------

void TEkSlider::setStyleBkg(TEkSliderBkgStyle v) {
    setAndRepaint(*this, styleBkg, v);
}

void TEkSlider::setStyleSlider(TEkSliderStyle v) {
    if (v == styleSlider)
        return;
    const bool toRound = v == tssBall || v == tssHole;
    if (toRound && !roundThumb()) {
        // The square thumb replaces the flat one's length, which comes back with a flat style.
        savedLength = sliderBmp->width() != sliderBmp->height() ? lengthSlider : 0;
    } else if (!toRound && roundThumb() && savedLength > 0) {
        lengthSlider = savedLength;
        savedLength = 0;
    }
    styleSlider = v;
    // The thumb takes its new shape at once, not at the next size change.
    PrepareBitmaps(width(), height());
    update();
}

void TEkSlider::setStyleSliderEdge(TEkSliderEdgeStyle v) {
    setAndRepaint(*this, styleSliderEdge, v);
}
void TEkSlider::setColorDirectionBkg(TEkDirection v) {
    setAndRepaint(*this, colorDirectionBkg, v);
}
void TEkSlider::setColorDirectionSlider(TEkDirection v) {
    setAndRepaint(*this, colorDirectionSlider, v);
}
void TEkSlider::setBkgSoftEnds(bool v) {
    setAndRepaint(*this, bkgSoftEnds, v);
}
void TEkSlider::setShowFocus(bool v) {
    setAndRepaint(*this, showFocus, v);
}

void TEkSlider::setSliderGrib(bool v) {
    if (assignChanged(sliderGrib, v) && !roundThumb())
        update();
}

// ---- geometry ------------------------------------------------------------------------------------

void TEkSlider::setLengthSlider(int v) {
    if (v == lengthSlider)
        return;
    // A thumb of no length would have no pixels to paint.
    lengthSlider = std::max(1, std::min(v, horizontal ? width() : height()));
    savedLength = 0;
    PrepareBitmaps(width(), height());
    update();
}

void TEkSlider::setBkgEndMargin(int v) {
    if (!setAndRepaint(*this, bkgEndMargin, std::max(v, 0)))
        return;
    calculateBkgRect();
    calculateSliderPosInPix(); // the thumb starts after the margin
}

void TEkSlider::setBkgSideMargin(int v) {
    if (setAndRepaint(*this, bkgSideMargin, std::max(v, 0)))
        calculateBkgRect();
}

// The lane and the thumb's start change.
void TEkSlider::setShowScrollButtons(bool v) {
    if (setAndRepaint(*this, showScrollButtons, v))
        calculateSliderPosInPix();
}

void TEkSlider::setShowingDeadCorner(bool v) {
    if (setAndRepaint(*this, showingDeadCorner, v))
        calculateSliderPosInPix();
}

void TEkSlider::PrepareBitmaps(int w, int h) {
    horizontal = w >= h;
    vertical = !horizontal;
    if (bkgBmp->width() != w || bkgBmp->height() != h)
        bkgBmp->setSize(w, h, false);
    calculateBkgRect();
    int thumbW = horizontal ? lengthSlider : w;
    int thumbH = horizontal ? h : lengthSlider;
    if (roundThumb()) {
        lengthSlider = std::max(1, horizontal ? h : w);
        thumbW = thumbH = lengthSlider;
    }
    if (sliderBmp->width() != thumbW || sliderBmp->height() != thumbH)
        sliderBmp->setSize(thumbW, thumbH, false);
    sliderBmpRect = TRect(0, 0, sliderBmp->width(), sliderBmp->height());
    calculateSliderPosInPix();
}

void TEkSlider::calculateBkgRect() {
    bkgRect = TRect(0, 0, width(), height());
    if (horizontal)
        inflateRectSides(bkgRect, -bkgEndMargin, -bkgSideMargin, -bkgEndMargin, -bkgSideMargin);
    else
        inflateRectSides(bkgRect, -bkgSideMargin, -bkgEndMargin, -bkgSideMargin, -bkgEndMargin);
}

int TEkSlider::getLaneLengthInPix() const {
    int lane = horizontal ? width() - sliderBmp->width() : height() - sliderBmp->height();
    if (vertical && showingDeadCorner)
        lane -= width();
    if (showScrollButtons)
        lane -= 2 * (horizontal ? height() : width());
    return lane;
}

void TEkSlider::calculateSliderPosInPix() {
    const int lane = getLaneLengthInPix();
    // trunc((Position - Min) * lane / (Max - Min)) within 0 .. lane
    const double pix = (range.position - range.min) * lane / (range.max - range.min);
    sliderPosInPix = pix > 0 && lane > 0 ? int(std::min(pix, double(lane))) : 0;
    const int thickness = horizontal ? sliderBmp->height() : sliderBmp->width();
    const int start = sliderPosInPix + (showScrollButtons ? thickness : bkgEndMargin);
    const int tw = sliderBmp->width(), th = sliderBmp->height();
    sliderRect = horizontal ? TRect(start, 0, start + tw, th) : TRect(0, start, tw, start + th);
}

void TEkSlider::calculateSliderPos(int pixel) {
    const int lane = getLaneLengthInPix();
    // A thumb that fills the control has nowhere to go.
    if (lane <= 0)
        return;
    const int p = std::clamp(pixel - lengthSlider / 2, 0, lane);
    setPosition(p * (range.max - range.min) / lane + range.min);
}

bool TEkSlider::MouseIsIn(int x, int y) const {
    if (x < 0 || y < 0 || x >= bkgBmp->width() || y >= bkgBmp->height())
        return false;
    constexpr int visibleFrom = 51; // track alpha from which the pointer counts as over it
    return int(bkgBmp->pixelAt(x, y) >> 24) >= visibleFrom;
}

// ---- mouse, wheel and keys -----------------------------------------------------------------------

void TEkSlider::mousePressEvent(QMouseEvent* event) {
    if (TabStop())
        setFocus(Qt::MouseFocusReason);
    if (event->button() == Qt::LeftButton) {
        dragging = true;
        dragPos = alongLane(event->position());
        calculateSliderPos(dragPos);
        update();
    }
    // Accepted, so that the moves and the release of this press come here.
    event->accept();
}

void TEkSlider::mouseMoveEvent(QMouseEvent* event) {
    // No leave event comes while a button holds the pointer, so the track is tested on every
    // move: a drag follows the pointer only while it stays over the visible track.
    const QPoint p = event->position().toPoint();
    const bool overTrack = MouseIsIn(p.x(), p.y());
    if (dragging && IsHot() && overTrack) {
        dragPos = alongLane(event->position());
        calculateSliderPos(dragPos);
        update();
    } else {
        setIsHot(overTrack);
    }
}

void TEkSlider::mouseReleaseEvent(QMouseEvent* event) {
    dragging = false;
    event->accept();
}

void TEkSlider::wheelEvent(QWheelEvent* event) {
    if (noScroll) {
        event->ignore();
        return;
    }
    // A notch up adds a step to a lying slider and takes one from a standing one.
    wheelDelta += event->angleDelta().y();
    for (; wheelDelta >= wheelNotch; wheelDelta -= wheelNotch)
        doWheelAndKeyPosChange(range.position + (horizontal ? StepSizeWheel : -StepSizeWheel));
    for (; wheelDelta <= -wheelNotch; wheelDelta += wheelNotch)
        doWheelAndKeyPosChange(range.position + (horizontal ? -StepSizeWheel : StepSizeWheel));
    event->accept();
}

void TEkSlider::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if ((horizontal && key == Qt::Key_Right) || (vertical && key == Qt::Key_Down))
        doWheelAndKeyPosChange(range.position + StepSizeKey);
    else if ((horizontal && key == Qt::Key_Left) || (vertical && key == Qt::Key_Up))
        doWheelAndKeyPosChange(range.position - StepSizeKey);
    // The key is not consumed: it goes on to the parent.
    TEkMovers::keyPressEvent(event);
}

void TEkSlider::FocusChanged() {
    update();
}

// ---- painting ------------------------------------------------------------------------------------

void TEkSlider::EkPaint(TEkBmp* bmp, TRect rect) {
    TEkMovers::EkPaint(bmp, rect);
    paintBitmaps();
    bkgBmp->drawTo(bmp, 0, 0, bmAlphaBlend);
    if (hasFocus() && showFocus) {
        // A thin dotted bar along the middle of the lane.
        const int d = std::min(width(), height()) / 2 - 1;
        TRect bar = rect;
        inflateRectSides(bar, -d, -d, 1 - d, 1 - d);
        bmp->drawFocusRect(bar);
    }
    sliderBmp->drawTo(bmp, sliderRect.left, sliderRect.top, bmAlphaBlend);
}

void TEkSlider::paintBitmaps() {
    const bool hot = IsHot() && Alive();
    paintTrack(hot ? ClHotBkgDark() : ClBkgDark(), hot ? ClHotBkgLight() : ClBkgLight());
    drawBkgSoftEnds();
    sliderBmpRect = TRect(0, 0, sliderBmp->width(), sliderBmp->height());
    paintThumb(hot ? ClHotFrontDark() : ClFrontDark(), hot ? ClHotFrontLight() : ClFrontLight());
    drawSliderEdge();
    drawSliderGrib();
}

namespace {

// The fill's vertical flag for a ramp direction, the pair exchanged where the ramp runs the
// other way: the up/down directions run across the lane, the left/right ones along it.
bool applyDirection(TEkDirection direction, bool vertical, TEkColor& first, TEkColor& second) {
    if (direction == tgdDownToUp || direction == tgdRightToLeft)
        std::swap(first, second);
    return direction == tgdDownToUp || direction == tgdUpToDown ? !vertical : vertical;
}

// The opaque colour.
TEkColor opaque(TEkColor c) {
    return TEkColor(c.value() | 0xFF000000u);
}

} // namespace

bool TEkSlider::handleBkgColorDirection(TEkColor& dark, TEkColor& light) const {
    return applyDirection(colorDirectionBkg, vertical, dark, light);
}

bool TEkSlider::handleSliderColorDirection(TEkColor& dark, TEkColor& light) const {
    return applyDirection(colorDirectionSlider, vertical, dark, light);
}

void TEkSlider::paintTrack(TEkColor dark, TEkColor light) {
    TRoundBmp& b = *bkgBmp;
    switch (styleBkg) {
    case tbsPipe:
    case tbsGrove: {
        const bool v = handleBkgColorDirection(dark, light);
        b.pipeFill(v, 60, bkgRect, light, dark, styleBkg == tbsGrove);
        break;
    }
    case tbsGradi: {
        const bool v = handleBkgColorDirection(dark, light);
        b.gradientFill(v, bkgRect, dark, light);
        break;
    }
    case tbsRoundPipe:
        b.drawRoundPipe(240, bkgRect, dark, light);
        break;
    case tbsRoundGrove:
        b.drawRoundGrove(240, bkgRect, dark, light);
        break;
    case tbsCustom:
        emit drawBkg(this, bkgBmp.get(), bkgRect);
        break;
    default: // tbsSolid, and any value out of the range
        b.fill(opaque(dark));
        break;
    }
}

void TEkSlider::paintThumb(TEkColor dark, TEkColor light) {
    TRoundBmp& b = *sliderBmp;
    switch (styleSlider) {
    case tssBall:
        b.drawBall(160, sliderBmpRect, dark, light);
        break;
    case tssHole:
        b.drawHole(120, sliderBmpRect, dark, light);
        break;
    case tssPipe:
    case tssGrove: {
        const bool v = handleSliderColorDirection(dark, light);
        b.pipeFill(v, 60, sliderBmpRect, dark, light, styleSlider == tssGrove);
        break;
    }
    case tssRoundPipe:
        b.drawRoundPipe(80, sliderBmpRect, dark, light);
        break;
    case tssRoundGrove:
        b.drawRoundGrove(160, sliderBmpRect, dark, light);
        break;
    case tssSolid:
        b.fill(opaque(dark));
        break;
    case tssCustom:
        emit drawSlider(this, sliderBmp.get(), sliderBmpRect);
        break;
    default: { // tssGradi, and any value out of the range
        const bool v = handleSliderColorDirection(dark, light);
        b.gradientFill(v, sliderBmpRect, dark, light);
        break;
    }
    }
}

void TEkSlider::drawBkgSoftEnds() {
    if (bkgSoftEnds && styleBkg != tbsRoundPipe && styleBkg != tbsRoundGrove && styleBkg != tbsCustom)
        bkgBmp->drawBevel(true, bkgRect);
}

void TEkSlider::drawSliderEdge() {
    switch (styleSlider) {
    case tssPipe:
    case tssGrove:
    case tssGradi:
    case tssSolid:
    case tssCustom:
        break;
    default:
        return; // the round thumbs keep their own edge
    }
    switch (styleSliderEdge) {
    case tseSoftEnds:
        sliderBmp->drawBevel(true, sliderBmpRect);
        break;
    case tseSoftButton:
        sliderBmp->drawBevel(false, sliderBmpRect);
        break;
    case tesButton:
        sliderBmp->drawSliderEdge(false, true, sliderBmpRect);
        break;
    case tesButton3D:
        sliderBmp->drawSliderEdge(true, true, sliderBmpRect);
        break;
    default:
        break;
    }
}

void TEkSlider::drawSliderGrib() {
    // A lying slider's thumb carries an upright grip.
    if (sliderGrib && !roundThumb())
        sliderBmp->drawGrip(horizontal, sliderBmpRect);
}

void TEkSlider::drawVistaToSlider(TEkColor c1, TEkColor c2) {
    sliderBmp->drawVista(true, vertical, sliderBmpRect, c2, c1, true);
}

void TEkSlider::handleTransParent() {
    sliderBmp->premultiplyAlpha();
    bkgBmp->premultiplyAlpha();
}
