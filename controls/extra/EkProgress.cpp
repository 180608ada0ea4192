#include "controls/extra/EkProgress.h"

#include "controls/Setters.h"
#include "controls/extra/EkBmpRound.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>

namespace {

// Pixel space along the lane: how far below a whole pixel a computed pixel may fall through
// floating-point rounding alone and still count as that pixel.
constexpr double kPixelRoundingError = 1e-6;

} // namespace

TEkProgress::TEkProgress(QWidget* parent)
    : TEkMovers(parent), roundBmp_(std::make_unique<TRoundBmp>(width(), height())) {
    resize(100, 18);
    setAlive(false);
}

TEkProgress::~TEkProgress() = default;

void TEkProgress::setPosition(double v) {
    if (v == range_.position || std::isnan(v))
        return;
    range_.position = std::clamp(v, range_.min, range_.max);
    calculatePosInPix();
    update();
}

void TEkProgress::setPaternType(TPaternType v) {
    setAndRepaint(*this, paternType_, v);
}

void TEkProgress::setSoftEdge(bool v) {
    setAndRepaint(*this, softEdge_, v);
}

void TEkProgress::setSoftEdgeFront(bool v) {
    setAndRepaint(*this, softEdgeFront_, v);
}

void TEkProgress::calculatePosInPix() {
    // pix = lane * (position - min) / (max - min), truncated; the whole difference divides, a
    // fractional or sub-unit one too, so the front never runs past the lane.
    const int lane = getLaneLengthInPix();
    double pix = lane * (range_.position - range_.min) / (range_.max - range_.min);
    // A quotient a rounding error short of a whole pixel is that pixel: a position that a
    // click at pixel p set is drawn at p.
    if (const double whole = std::round(pix); std::abs(pix - whole) < kPixelRoundingError)
        pix = whole;
    posInPix_ = pix >= 0 ? int(std::min(pix, double(lane))) : 0;
}

void TEkProgress::calculatePosFromPix(int pix) {
    if (pix == posInPix_)
        return;
    const int lane = getLaneLengthInPix();
    pix = std::clamp(pix, 0, lane);
    posInPix_ = pix;
    if (lane > 0) {
        // position = min + pix * (max - min) / lane: the inverse of the drawing, so the
        // position lies on the clicked pixel's first edge and is drawn there.
        const double position = pix == 0      ? range_.min
                                : pix == lane ? range_.max
                                              : range_.min + pix * (range_.max - range_.min) / lane;
        range_.position = std::clamp(position, range_.min, range_.max);
    }
    DoPosChange();
}

void TEkProgress::DoPosChange() {
    emit posChange(this, range_.position);
}

void TEkProgress::PrepareBitmaps(int w, int h) {
    if (roundBmp_->width() != w || roundBmp_->height() != h)
        roundBmp_->setSize(w, h, false);
    // The position keeps its share of the lane at the new length.
    calculatePosInPix();
}

void TEkProgress::EkPaint(TEkBmp* bmp, TRect rect) {
    if (softEdge_)
        TEkMovers::EkPaint(bmp, rect);
    const bool hot = isHot();
    const TEkColor laneLight = hot ? ClHotBkgLight() : ClBkgLight();
    const TEkColor laneDark = hot ? ClHotBkgDark() : ClBkgDark();
    const TEkColor frontLight = hot ? ClHotFrontLight() : ClFrontLight();
    const TEkColor frontDark = hot ? ClHotFrontDark() : ClFrontDark();
    roundBmp_->drawProgressBar(posInPix_, false, rect, laneLight, laneDark, frontLight, frontDark,
                               paternType_, softEdge_, softEdgeFront_, 60);
    roundBmp_->drawTo(bmp, 0, 0, bmAlphaBlend);
    emit painted(this, Canvas(), rect.toQRect());
}

void TEkProgress::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    if (event->button() == Qt::LeftButton && AcceptClick) {
        const QPoint p = event->position().toPoint();
        calculatePosFromPix(width() < height() ? p.y() : p.x());
        update();
    }
    // Accepted: an ignored press would go on to the parent.
    event->accept();
}
