#include "controls/extra/EkProgress.h"

#include "controls/extra/EkBmpRound.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>
#include <cstdint>
#include <limits>

TEkProgress::TEkProgress(QWidget* parent)
    : TEkMovers(parent), roundBmp(std::make_unique<TRoundBmp>(width(), height())) {
    resize(100, 18);
    setAlive(false);
}

TEkProgress::~TEkProgress() = default;

void TEkProgress::setMax(double v) {
    if (range.setMax(v)) {
        calculatePosInPix();
        update();
    }
}

void TEkProgress::setMin(double v) {
    if (range.setMin(v)) {
        calculatePosInPix();
        update();
    }
}

void TEkProgress::setPosition(double v) {
    if (v == range.position || std::isnan(v))
        return;
    range.position = std::clamp(v, range.min, range.max);
    calculatePosInPix();
    update();
}

void TEkProgress::setPaternType(TPaternType v) {
    if (v != paternType) {
        paternType = v;
        update();
    }
}

void TEkProgress::setSoftEdge(bool v) {
    if (v != softEdge) {
        softEdge = v;
        update();
    }
}

void TEkProgress::setSoftEdgeFront(bool v) {
    if (v != softEdgeFront) {
        softEdgeFront = v;
        update();
    }
}

void TEkProgress::calculatePosInPix() {
    // The whole range divides, also one narrower than a unit.
    const int lane = getLaneLengthInPix();
    const double pix = lane * (range.position - range.min) / (range.max - range.min);
    posInPix = pix >= 0 ? int(std::min(pix, double(lane))) : 0;
}

void TEkProgress::calculatePosFromPix(int pix) {
    if (pix == posInPix)
        return;
    const int lane = getLaneLengthInPix();
    pix = std::clamp(pix, 0, lane);
    posInPix = pix;
    if (lane > 0) {
        // Whole units of the range go in steps of whole units (pix * units / lane truncated, in
        // 64 bits); a range below one unit, or one too large for that product, divides as is.
        const double width = range.max - range.min;
        const double units = std::trunc(width);
        if (units >= 1 && units <= double(std::numeric_limits<int64_t>::max() / (int64_t(lane) + 1)))
            range.position = range.min + double(int64_t(pix) * int64_t(units) / lane);
        else
            range.position = range.min + pix * width / lane;
        range.position = std::clamp(range.position, range.min, range.max);
    }
    DoPosChange();
}

void TEkProgress::DoPosChange() {
    emit posChange(this, range.position);
}

void TEkProgress::PrepareBitmaps(int w, int h) {
    if (roundBmp->width() != w || roundBmp->height() != h)
        roundBmp->setSize(w, h, false);
    // The position keeps its share of the lane at the new length.
    calculatePosInPix();
}

void TEkProgress::EkPaint(TEkBmp* bmp, TRect rect) {
    if (softEdge)
        TEkMovers::EkPaint(bmp, rect);
    const bool hot = IsHot();
    const TEkColor laneLight = hot ? ClHotBkgLight() : ClBkgLight();
    const TEkColor laneDark = hot ? ClHotBkgDark() : ClBkgDark();
    const TEkColor frontLight = hot ? ClHotFrontLight() : ClFrontLight();
    const TEkColor frontDark = hot ? ClHotFrontDark() : ClFrontDark();
    roundBmp->drawProgressBar(posInPix, false, rect, laneLight, laneDark, frontLight, frontDark, paternType,
                              softEdge, softEdgeFront, 60);
    roundBmp->drawTo(bmp, 0, 0, bmAlphaBlend);
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
