#include "controls/extra/EkPanel.h"

#include "controls/EkBmp.h"
#include "controls/EkColor.h"
#include "controls/Setters.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <vector>

namespace {

// The corner pieces: a 10 x 10 bitmap, a 1-pixel frame around an 8 x 8 inside that the four
// 4 x 4 quadrants are cut from.
constexpr int kCornerBitmapSide = 10;
constexpr int kCornerQuadrant = 4;
// Ramp entries the corner inside takes from each end of the gradient.
constexpr int kCornerRampEntries = 4;

// The pipe's light band lies at 4/10 of the far coordinate.
constexpr int kPipeSplitNumerator = 4;
constexpr int kPipeSplitDenominator = 10;

constexpr QChar kLineBreakMarkers[] = {u'*', u'|', QChar(0x00A4)};

bool isMarker(QChar c) {
    return std::find(std::begin(kLineBreakMarkers), std::end(kLineBreakMarkers), c) !=
           std::end(kLineBreakMarkers);
}

} // namespace

QString lfLineBreaks(QString text) {
    return text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
}

void replaceLineBreakMarkers(QString& text, qsizetype from) {
    for (qsizetype i = std::max<qsizetype>(from, 0); i + 1 < text.size(); ++i) {
        if (isMarker(text[i]) && text[i + 1] == text[i]) {
            text[i] = u'\r';
            text[++i] = u'\n';
        }
    }
}

// --- construction and properties ---------------------------------------------------------------

TEkPanel::TEkPanel(QWidget* parent) : QWidget(parent) {}

void TEkPanel::setBkgdefaultPaint(bool value) {
    if (setAndRepaint(*this, bkgdefaultPaint_, value) && value)
        gradientFill_ = false;
}

void TEkPanel::setGradientFill(bool value) {
    if (setAndRepaint(*this, gradientFill_, value) && value)
        bkgdefaultPaint_ = false;
}

void TEkPanel::setGradientDirection(TGradientDirection value) {
    if (assignChanged(gradientDirection_, value) && gradientFill_)
        update();
}

void TEkPanel::setGradientDarkerEnd(int value) {
    setAndRepaint(*this, gradientDarkerEnd_, std::clamp(value, 0, 255));
}

void TEkPanel::setGradientPipe(bool value) {
    setAndRepaint(*this, gradientPipe_, value);
}
void TEkPanel::setClBegin(TColor c) {
    setAndRepaint(*this, clBegin_, c);
}
void TEkPanel::setClEnd(TColor c) {
    setAndRepaint(*this, clEnd_, c);
}
void TEkPanel::setColor(TColor c) {
    setAndRepaint(*this, color_, c);
}
void TEkPanel::setBevelOuter(TPanelBevel value) {
    setAndRepaint(*this, bevelOuter_, value);
}
void TEkPanel::setBevelInner(TPanelBevel value) {
    setAndRepaint(*this, bevelInner_, value);
}
void TEkPanel::setBevelWidth(int value) {
    setAndRepaint(*this, bevelWidth_, std::max(value, 0));
}
void TEkPanel::setBorderWidth(int value) {
    setAndRepaint(*this, borderWidth_, std::max(value, 0));
}
void TEkPanel::setClBorder(TColor c) {
    setAndRepaint(*this, clBorder_, c);
}
void TEkPanel::setBorderSoftInner(bool value) {
    setAndRepaint(*this, borderSoftInner_, value);
}
void TEkPanel::setCaption(const QString& text) {
    setAndRepaint(*this, caption_, text);
}
void TEkPanel::setShowCaption(bool value) {
    setAndRepaint(*this, showCaption_, value);
}
void TEkPanel::setFontColor(TColor c) {
    setAndRepaint(*this, fontColor_, c);
}
void TEkPanel::setAlignment(TAlignment value) {
    setAndRepaint(*this, alignment_, value);
}
void TEkPanel::setAlignmentVertical(TTextLayout value) {
    setAndRepaint(*this, alignmentVertical_, value);
}
void TEkPanel::setTextPadLeft(int value) {
    setAndRepaint(*this, textPadLeft_, value);
}
void TEkPanel::setTextPadTop(int value) {
    setAndRepaint(*this, textPadTop_, value);
}
void TEkPanel::setTextPadRight(int value) {
    setAndRepaint(*this, textPadRight_, value);
}
void TEkPanel::setTextPadBottom(int value) {
    setAndRepaint(*this, textPadBottom_, value);
}
void TEkPanel::setNoPaint(bool value) {
    setAndRepaint(*this, noPaint_, value);
}

// --- layout arithmetic ----------------------------------------------------------------------------

void TEkPanel::adjustTextRect(TRect& r) const {
    const QMargins padding = contentsMargins();
    r.left += padding.left() + textPadLeft_;
    r.top += padding.top() + textPadTop_;
    r.right -= padding.right() + textPadRight_;
    r.bottom -= padding.bottom() + textPadBottom_;
}

void TEkPanel::positionRectInRect(const TRect& outer, TRect& inner) const {
    const int innerWidth = inner.width();
    const int innerHeight = inner.height();
    const int dx = (outer.width() - innerWidth) / 2;
    const int dy = (outer.height() - innerHeight) / 2;
    if (dy > 0) {
        switch (alignmentVertical_) {
        case tlTop:
            inner.top = outer.top;
            inner.bottom = inner.top + innerHeight;
            break;
        case tlCenter:
            inner.top = outer.top + dy;
            inner.bottom = outer.bottom - dy;
            break;
        case tlBottom:
            inner.bottom = outer.bottom;
            inner.top = outer.bottom - innerHeight;
            break;
        }
    }
    if (dx > 0) {
        switch (alignment_) {
        case taLeftJustify:
            inner.left = outer.left;
            inner.right = inner.left + innerWidth;
            break;
        case taCenter:
            inner.left = outer.left + dx;
            inner.right = outer.right - dx;
            break;
        case taRightJustify:
            inner.right = outer.right;
            inner.left = outer.right - innerWidth;
            break;
        }
    }
}

// --- painting -------------------------------------------------------------------------------------

void TEkPanel::paintEvent(QPaintEvent*) {
    QPainter canvas(this);
    if (!dontEraceBkg_)
        canvas.fillRect(rect(), toQColor(color_));
    if (noPaint_)
        return;
    try {
        paintPanel(canvas);
    } catch (const EInvalidGraphicOperation& e) {
        qWarning("TEkPanel: %s", qPrintable(e.message()));
    }
}

void TEkPanel::paintPanel(QPainter& canvas) {
    TRect r = TRect::fromQRect(rect());
    bool handled = false;
    emit paintBegin(this, &canvas, &r, &handled);
    if (handled)
        return;
    if (bevelOuter_ != bvNone)
        drawBevelRings(canvas, r, bevelOuter_ != bvLowered, bevelWidth_);
    for (int i = 0; i < borderWidth_; ++i) {
        // One ring: the rect's outline, one pixel wide.
        const QColor border = toQColor(clBorder_);
        canvas.fillRect(TRect(r.left, r.top, r.right, r.top + 1).toQRect(), border);
        canvas.fillRect(TRect(r.left, r.bottom - 1, r.right, r.bottom).toQRect(), border);
        canvas.fillRect(TRect(r.left, r.top, r.left + 1, r.bottom).toQRect(), border);
        canvas.fillRect(TRect(r.right - 1, r.top, r.right, r.bottom).toQRect(), border);
        inflateRect(r, -1, -1);
    }
    if (bevelInner_ != bvNone)
        drawBevelRings(canvas, r, bevelInner_ != bvLowered, bevelWidth_);
    if (gradientFill_)
        paintGradient(canvas, r);
    else
        canvas.fillRect(r.toQRect(), toQColor(color_));
    if (!bkgdefaultPaint_ && borderSoftInner_ && borderWidth_ != 0)
        drawSoftInnerCorners(canvas, r);
    if (showCaption_ && !caption_.isEmpty()) {
        canvas.setFont(font());
        drawCaption(canvas, r);
    }
    emit painted(this, &canvas, r);
}

void TEkPanel::drawBevelRings(QPainter& canvas, TRect& r, bool raised, int width) {
    // Raised: light left and top, shadow right and bottom; the shadow takes the top-right and
    // bottom-left pixels. Lowered the other way round.
    const QColor light = toQColor(raised ? clBtnHighlight : clBtnShadow);
    const QColor shadow = toQColor(raised ? clBtnShadow : clBtnHighlight);
    for (int i = 0; i < width && !r.isEmpty(); ++i) {
        canvas.fillRect(TRect(r.left, r.top, r.left + 1, r.bottom - 1).toQRect(), light);
        canvas.fillRect(TRect(r.left, r.top, r.right - 1, r.top + 1).toQRect(), light);
        canvas.fillRect(TRect(r.right - 1, r.top, r.right, r.bottom).toQRect(), shadow);
        canvas.fillRect(TRect(r.left, r.bottom - 1, r.right, r.bottom).toQRect(), shadow);
        inflateRect(r, -1, -1);
    }
}

std::vector<TPixel> TEkPanel::insideColours(TRect r) const {
    const bool vertical = gradientDirection_ == gdVertical;
    const int start = vertical ? r.top : r.left;
    const int end = vertical ? r.bottom : r.right;
    const int n = std::max(end - start, 0);
    std::vector<TPixel> ramp(size_t(n), tColorToPixel(color_) | 0xFF000000u);
    if (!gradientFill_ || n == 0)
        return ramp;
    if (!gradientPipe_) {
        fillColorRamp32(ramp.data(), n, tColorToPixel(clBegin_), tColorToPixel(clEnd_));
        return ramp;
    }
    TEkColor dark(clEnd_);
    if (gradientDarkerEnd_ != 0)
        dark.darkened(uint8_t(gradientDarkerEnd_), dark);
    // The split is 4/10 of the far coordinate (not of the extent), kept inside the rect: with
    // thick rings the bare coordinate would fall above the rect and paint over the border.
    const int split = std::clamp(end * kPipeSplitNumerator / kPipeSplitDenominator, start, end) - start;
    fillColorRamp32(ramp.data(), split, tColorToPixel(clEnd_), tColorToPixel(clBegin_));
    fillColorRamp32(ramp.data() + split, n - split, tColorToPixel(clBegin_), colorToPixel(dark));
    return ramp;
}

void TEkPanel::paintGradient(QPainter& canvas, TRect r) const {
    const std::vector<TPixel> ramp = insideColours(r);
    const bool vertical = gradientDirection_ == gdVertical;
    for (int i = 0; i < int(ramp.size()); ++i) {
        const TRect line = vertical ? TRect(r.left, r.top + i, r.right, r.top + i + 1)
                                    : TRect(r.left + i, r.top, r.left + i + 1, r.bottom);
        canvas.fillRect(line.toQRect(), QColor::fromRgb(ramp[size_t(i)]));
    }
}

void TEkPanel::drawSoftInnerCorners(QPainter& canvas, TRect r) const {
    if (r.width() < kCornerBitmapSide || r.height() < kCornerBitmapSide)
        return;
    TEkBmp corners(kCornerBitmapSide, kCornerBitmapSide);
    corners.drawFrame(1, corners.boundsRect(), TEkColor(clBorder_));

    // The first four and the last four colours of the inside along the gradient's axis (of the
    // pipe too, so its dark ends reach into the corners).
    std::vector<TPixel> entries = insideColours(r);
    std::copy(entries.end() - kCornerRampEntries, entries.end(), entries.begin() + kCornerRampEntries);

    // The 8 x 8 inside (columns and rows 1..8): row (or column) k takes entry k - 1.
    const bool vertical = gradientDirection_ == gdVertical;
    const int insideEnd = kCornerBitmapSide - 1;
    for (int k = 1; k < insideEnd; ++k) {
        const TPixel p = entries[size_t(k - 1)];
        if (vertical)
            corners.hLine(k, 1, p, insideEnd);
        else
            corners.vLine(k, 1, p, insideEnd);
    }
    corners.drawSoftInnerCorners(TRect(1, 1, insideEnd, insideEnd));

    const int mid = 1 + kCornerQuadrant;
    corners.bitBltRect(canvas, r.left, r.top, TRect(1, 1, mid, mid));
    corners.bitBltRect(canvas, r.left, r.bottom - kCornerQuadrant, TRect(1, mid, mid, insideEnd));
    corners.bitBltRect(canvas, r.right - kCornerQuadrant, r.top, TRect(mid, 1, insideEnd, mid));
    corners.bitBltRect(canvas, r.right - kCornerQuadrant, r.bottom - kCornerQuadrant,
                       TRect(mid, mid, insideEnd, insideEnd));
}

void TEkPanel::drawCaption(QPainter& canvas, TRect& r) {
    QString text = caption_;
    unsigned flags = alignment_ == taLeftJustify ? DT_LEFT : (alignment_ == taCenter ? DT_CENTER : DT_RIGHT);
    const qsizetype bar = text.indexOf(QLatin1String("||"));
    if (bar >= 0) {
        replaceLineBreakMarkers(text, bar);
        flags |= DT_WORDBREAK;
    } else {
        flags |= DT_SINGLELINE;
    }
    adjustTextRect(r);

    // The text's extent from r's top-left corner; wrapped lines wrap at r's width.
    const QString shown = lfLineBreaks(text);
    const int qtFlags = qtTextFlags(flags);
    const QSize extent = QFontMetrics(canvas.font())
                             .boundingRect(QRect(r.left, r.top, std::max(r.width(), 0), 0), qtFlags, shown)
                             .size();
    TRect calc(r.left, r.top, r.left + extent.width(), r.top + extent.height());
    positionRectInRect(r, calc);

    canvas.setPen(toQColor(fontColor_));
    canvas.drawText(calc.toQRect(), qtFlags, shown);
}
