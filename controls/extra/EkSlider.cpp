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

constexpr int kWheelNotch = 120; // rotation of one wheel notch

} // namespace

TEkSlider::TEkSlider(QWidget* parent) : TEkMovers(parent) {
    const int side = std::min(width(), height());
    sliderBmp_ = std::make_unique<TRoundBmp>(side, side);
    bkgBmp_ = std::make_unique<TRoundBmp>(width(), height());
    // Moves without a button pressed keep the hot flag on the visible track.
    setMouseTracking(true);
    resize(100, 18);
}

TEkSlider::~TEkSlider() = default;

// ---- value ---------------------------------------------------------------------------------------

void TEkSlider::setPosition(double v) {
    if (std::isnan(v))
        return;
    if (v < range_.min)
        v = range_.min;
    if (v > range_.max)
        v = range_.max;
    if (v == range_.position)
        return;
    bool accept = true;
    emit changingPos(this, v, posDoubleToPosInt(v), &accept);
    if (accept) {
        range_.position = v;
        emit changePos(this, v, posDoubleToPosInt(v));
    }
    calculateSliderPosInPix();
    update();
}

void TEkSlider::doWheelAndKeyPosChange(double v) {
    v = std::clamp(v, range_.min, range_.max);
    if (v != range_.position)
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
    setAndRepaint(*this, noScroll_, v);
}

// ---- look ----------------------------------------------------------------------------------------

void TEkSlider::setStyleBkg(TEkSliderBkgStyle v) {
    setAndRepaint(*this, styleBkg_, v);
}

void TEkSlider::setStyleSlider(TEkSliderStyle v) {
    if (v == styleSlider_)
        return;
    const bool toRound = v == tssBall || v == tssHole;
    if (toRound && !roundThumb()) {
        // The square thumb replaces the flat one's length, which comes back with a flat style.
        savedLength_ = sliderBmp_->width() != sliderBmp_->height() ? lengthSlider_ : 0;
    } else if (!toRound && roundThumb() && savedLength_ > 0) {
        lengthSlider_ = savedLength_;
        savedLength_ = 0;
    }
    styleSlider_ = v;
    // The thumb takes its new shape at once, not at the next size change.
    PrepareBitmaps(width(), height());
    update();
}

void TEkSlider::setStyleSliderEdge(TEkSliderEdgeStyle v) {
    setAndRepaint(*this, styleSliderEdge_, v);
}
void TEkSlider::setColorDirectionBkg(TEkDirection v) {
    setAndRepaint(*this, colorDirectionBkg_, v);
}
void TEkSlider::setColorDirectionSlider(TEkDirection v) {
    setAndRepaint(*this, colorDirectionSlider_, v);
}
void TEkSlider::setBkgSoftEnds(bool v) {
    setAndRepaint(*this, bkgSoftEnds_, v);
}
void TEkSlider::setShowFocus(bool v) {
    setAndRepaint(*this, showFocus_, v);
}

void TEkSlider::setSliderGrib(bool v) {
    if (assignChanged(sliderGrib_, v) && !roundThumb())
        update();
}

// ---- geometry ------------------------------------------------------------------------------------

void TEkSlider::setLengthSlider(int v) {
    if (v == lengthSlider_)
        return;
    // A thumb of no length would have no pixels to paint.
    lengthSlider_ = std::max(1, std::min(v, horizontal_ ? width() : height()));
    savedLength_ = 0;
    PrepareBitmaps(width(), height());
    update();
}

void TEkSlider::setBkgEndMargin(int v) {
    if (!setAndRepaint(*this, bkgEndMargin_, std::max(v, 0)))
        return;
    calculateBkgRect();
    calculateSliderPosInPix(); // the thumb starts after the margin
}

void TEkSlider::setBkgSideMargin(int v) {
    if (setAndRepaint(*this, bkgSideMargin_, std::max(v, 0)))
        calculateBkgRect();
}

// The lane and the thumb's start change.
void TEkSlider::setShowScrollButtons(bool v) {
    if (setAndRepaint(*this, showScrollButtons_, v))
        calculateSliderPosInPix();
}

void TEkSlider::setShowingDeadCorner(bool v) {
    if (setAndRepaint(*this, showingDeadCorner_, v))
        calculateSliderPosInPix();
}

void TEkSlider::PrepareBitmaps(int w, int h) {
    horizontal_ = w >= h;
    vertical_ = !horizontal_;
    if (bkgBmp_->width() != w || bkgBmp_->height() != h)
        bkgBmp_->setSize(w, h, false);
    calculateBkgRect();
    int thumbW = horizontal_ ? lengthSlider_ : w;
    int thumbH = horizontal_ ? h : lengthSlider_;
    if (roundThumb()) {
        lengthSlider_ = std::max(1, horizontal_ ? h : w);
        thumbW = thumbH = lengthSlider_;
    }
    if (sliderBmp_->width() != thumbW || sliderBmp_->height() != thumbH)
        sliderBmp_->setSize(thumbW, thumbH, false);
    sliderBmpRect_ = TRect(0, 0, sliderBmp_->width(), sliderBmp_->height());
    calculateSliderPosInPix();
}

void TEkSlider::calculateBkgRect() {
    bkgRect_ = TRect(0, 0, width(), height());
    if (horizontal_)
        inflateRectSides(bkgRect_, -bkgEndMargin_, -bkgSideMargin_, -bkgEndMargin_, -bkgSideMargin_);
    else
        inflateRectSides(bkgRect_, -bkgSideMargin_, -bkgEndMargin_, -bkgSideMargin_, -bkgEndMargin_);
}

int TEkSlider::getLaneLengthInPix() const {
    int lane = horizontal_ ? width() - sliderBmp_->width() : height() - sliderBmp_->height();
    if (vertical_ && showingDeadCorner_)
        lane -= width();
    if (showScrollButtons_)
        lane -= 2 * (horizontal_ ? height() : width());
    return lane;
}

void TEkSlider::calculateSliderPosInPix() {
    const int lane = getLaneLengthInPix();
    // trunc((Position - Min) * lane / (Max - Min)) within 0 .. lane
    const double pix = (range_.position - range_.min) * lane / (range_.max - range_.min);
    sliderPosInPix_ = pix > 0 && lane > 0 ? int(std::min(pix, double(lane))) : 0;
    const int thickness = horizontal_ ? sliderBmp_->height() : sliderBmp_->width();
    const int start = sliderPosInPix_ + (showScrollButtons_ ? thickness : bkgEndMargin_);
    const int tw = sliderBmp_->width(), th = sliderBmp_->height();
    sliderRect_ = horizontal_ ? TRect(start, 0, start + tw, th) : TRect(0, start, tw, start + th);
}

void TEkSlider::calculateSliderPos(int pixel) {
    const int lane = getLaneLengthInPix();
    // A thumb that fills the control has nowhere to go.
    if (lane <= 0)
        return;
    const int p = std::clamp(pixel - lengthSlider_ / 2, 0, lane);
    setPosition(p * (range_.max - range_.min) / lane + range_.min);
}

bool TEkSlider::MouseIsIn(int x, int y) const {
    if (x < 0 || y < 0 || x >= bkgBmp_->width() || y >= bkgBmp_->height())
        return false;
    constexpr int kVisibleFrom = 51; // track alpha from which the pointer counts as over it
    return int(bkgBmp_->pixelAt(x, y) >> 24) >= kVisibleFrom;
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
    if (dragging && isHot() && overTrack) {
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
    if (noScroll_) {
        event->ignore();
        return;
    }
    // A notch up adds a step to a lying slider and takes one from a standing one.
    wheelDelta_ += event->angleDelta().y();
    for (; wheelDelta_ >= kWheelNotch; wheelDelta_ -= kWheelNotch)
        doWheelAndKeyPosChange(range_.position + (horizontal_ ? StepSizeWheel : -StepSizeWheel));
    for (; wheelDelta_ <= -kWheelNotch; wheelDelta_ += kWheelNotch)
        doWheelAndKeyPosChange(range_.position + (horizontal_ ? -StepSizeWheel : StepSizeWheel));
    event->accept();
}

void TEkSlider::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if ((horizontal_ && key == Qt::Key_Right) || (vertical_ && key == Qt::Key_Down))
        doWheelAndKeyPosChange(range_.position + StepSizeKey);
    else if ((horizontal_ && key == Qt::Key_Left) || (vertical_ && key == Qt::Key_Up))
        doWheelAndKeyPosChange(range_.position - StepSizeKey);
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
    bkgBmp_->drawTo(bmp, 0, 0, bmAlphaBlend);
    if (hasFocus() && showFocus_) {
        // A thin dotted bar along the middle of the lane.
        const int d = std::min(width(), height()) / 2 - 1;
        TRect bar = rect;
        inflateRectSides(bar, -d, -d, 1 - d, 1 - d);
        bmp->drawFocusRect(bar);
    }
    sliderBmp_->drawTo(bmp, sliderRect_.left, sliderRect_.top, bmAlphaBlend);
}

void TEkSlider::paintBitmaps() {
    const bool hot = isHot() && Alive();
    paintTrack(hot ? ClHotBkgDark() : ClBkgDark(), hot ? ClHotBkgLight() : ClBkgLight());
    drawBkgSoftEnds();
    sliderBmpRect_ = TRect(0, 0, sliderBmp_->width(), sliderBmp_->height());
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
    return applyDirection(colorDirectionBkg_, vertical_, dark, light);
}

bool TEkSlider::handleSliderColorDirection(TEkColor& dark, TEkColor& light) const {
    return applyDirection(colorDirectionSlider_, vertical_, dark, light);
}

void TEkSlider::paintTrack(TEkColor dark, TEkColor light) {
    TRoundBmp& b = *bkgBmp_;
    switch (styleBkg_) {
    case tbsPipe:
    case tbsGrove: {
        const bool v = handleBkgColorDirection(dark, light);
        b.pipeFill(v, 60, bkgRect_, light, dark, styleBkg_ == tbsGrove);
        break;
    }
    case tbsGradi: {
        const bool v = handleBkgColorDirection(dark, light);
        b.gradientFill(v, bkgRect_, dark, light);
        break;
    }
    case tbsRoundPipe:
        b.drawRoundPipe(240, bkgRect_, dark, light);
        break;
    case tbsRoundGrove:
        b.drawRoundGrove(240, bkgRect_, dark, light);
        break;
    case tbsCustom:
        emit drawBkg(this, bkgBmp_.get(), bkgRect_);
        break;
    default: // tbsSolid, and any value out of the range
        b.fill(opaque(dark));
        break;
    }
}

void TEkSlider::paintThumb(TEkColor dark, TEkColor light) {
    TRoundBmp& b = *sliderBmp_;
    switch (styleSlider_) {
    case tssBall:
        b.drawBall(160, sliderBmpRect_, dark, light);
        break;
    case tssHole:
        b.drawHole(120, sliderBmpRect_, dark, light);
        break;
    case tssPipe:
    case tssGrove: {
        const bool v = handleSliderColorDirection(dark, light);
        b.pipeFill(v, 60, sliderBmpRect_, dark, light, styleSlider_ == tssGrove);
        break;
    }
    case tssRoundPipe:
        b.drawRoundPipe(80, sliderBmpRect_, dark, light);
        break;
    case tssRoundGrove:
        b.drawRoundGrove(160, sliderBmpRect_, dark, light);
        break;
    case tssSolid:
        b.fill(opaque(dark));
        break;
    case tssCustom:
        emit drawSlider(this, sliderBmp_.get(), sliderBmpRect_);
        break;
    default: { // tssGradi, and any value out of the range
        const bool v = handleSliderColorDirection(dark, light);
        b.gradientFill(v, sliderBmpRect_, dark, light);
        break;
    }
    }
}

void TEkSlider::drawBkgSoftEnds() {
    if (bkgSoftEnds_ && styleBkg_ != tbsRoundPipe && styleBkg_ != tbsRoundGrove && styleBkg_ != tbsCustom)
        bkgBmp_->drawBevel(true, bkgRect_);
}

void TEkSlider::drawSliderEdge() {
    switch (styleSlider_) {
    case tssPipe:
    case tssGrove:
    case tssGradi:
    case tssSolid:
    case tssCustom:
        break;
    default:
        return; // the round thumbs keep their own edge
    }
    switch (styleSliderEdge_) {
    case tseSoftEnds:
        sliderBmp_->drawBevel(true, sliderBmpRect_);
        break;
    case tseSoftButton:
        sliderBmp_->drawBevel(false, sliderBmpRect_);
        break;
    case tesButton:
        sliderBmp_->drawSliderEdge(false, true, sliderBmpRect_);
        break;
    case tesButton3D:
        sliderBmp_->drawSliderEdge(true, true, sliderBmpRect_);
        break;
    default:
        break;
    }
}

void TEkSlider::drawSliderGrib() {
    // A lying slider's thumb carries an upright grip.
    if (sliderGrib_ && !roundThumb())
        sliderBmp_->drawGrip(horizontal_, sliderBmpRect_);
}

void TEkSlider::drawVistaToSlider(TEkColor c1, TEkColor c2) {
    sliderBmp_->drawVista(true, vertical_, sliderBmpRect_, c2, c1, true);
}

void TEkSlider::handleTransParent() {
    sliderBmp_->premultiplyAlpha();
    bkgBmp_->premultiplyAlpha();
}
