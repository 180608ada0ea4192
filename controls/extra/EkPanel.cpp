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
constexpr int cornerBitmapSide = 10;
constexpr int cornerQuadrant = 4;
// Ramp entries the corner inside takes from each end of the gradient.
constexpr int cornerRampEntries = 4;

// The pipe's light band lies at 4/10 of the far coordinate.
constexpr int pipeSplitNumerator = 4;
constexpr int pipeSplitDenominator = 10;

constexpr QChar lineBreakMarkers[] = {u'*', u'|', QChar(0x00A4)};

bool isMarker(QChar c) {
    return std::find(std::begin(lineBreakMarkers), std::end(lineBreakMarkers), c) !=
           std::end(lineBreakMarkers);
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
    if (setAndRepaint(*this, bkgdefaultPaint, value) && value)
        gradientFill = false;
}

void TEkPanel::setGradientFill(bool value) {
    if (setAndRepaint(*this, gradientFill, value) && value)
        bkgdefaultPaint = false;
}

void TEkPanel::setGradientDirection(TGradientDirection value) {
    if (assignChanged(gradientDirection, value) && gradientFill)
        update();
}

void TEkPanel::setGradientDarkerEnd(int value) {
    setAndRepaint(*this, gradientDarkerEnd, std::clamp(value, 0, 255));
}

void TEkPanel::setGradientPipe(bool value) {
    setAndRepaint(*this, gradientPipe, value);
}
void TEkPanel::setClBegin(TColor c) {
    setAndRepaint(*this, clBegin, c);
}
void TEkPanel::setClEnd(TColor c) {
    setAndRepaint(*this, clEnd, c);
}
void TEkPanel::setColor(TColor c) {
    setAndRepaint(*this, color, c);
}
void TEkPanel::setBevelOuter(TPanelBevel value) {
    setAndRepaint(*this, bevelOuter, value);
}
void TEkPanel::setBevelInner(TPanelBevel value) {
    setAndRepaint(*this, bevelInner, value);
}
void TEkPanel::setBevelWidth(int value) {
    setAndRepaint(*this, bevelWidth, std::max(value, 0));
}
void TEkPanel::setBorderWidth(int value) {
    setAndRepaint(*this, borderWidth, std::max(value, 0));
}
void TEkPanel::setClBorder(TColor c) {
    setAndRepaint(*this, clBorder, c);
}
void TEkPanel::setBorderSoftInner(bool value) {
    setAndRepaint(*this, borderSoftInner, value);
}
void TEkPanel::setCaption(const QString& text) {
    setAndRepaint(*this, caption, text);
}
void TEkPanel::setShowCaption(bool value) {
    setAndRepaint(*this, showCaption, value);
}
void TEkPanel::setFontColor(TColor c) {
    setAndRepaint(*this, fontColor, c);
}
void TEkPanel::setAlignment(TAlignment value) {
    setAndRepaint(*this, alignment, value);
}
void TEkPanel::setAlignmentVertical(TTextLayout value) {
    setAndRepaint(*this, alignmentVertical, value);
}
void TEkPanel::setTextPadLeft(int value) {
    setAndRepaint(*this, textPadLeft, value);
}
void TEkPanel::setTextPadTop(int value) {
    setAndRepaint(*this, textPadTop, value);
}
void TEkPanel::setTextPadRight(int value) {
    setAndRepaint(*this, textPadRight, value);
}
void TEkPanel::setTextPadBottom(int value) {
    setAndRepaint(*this, textPadBottom, value);
}
void TEkPanel::setNoPaint(bool value) {
    setAndRepaint(*this, noPaint, value);
}

// --- layout arithmetic ----------------------------------------------------------------------------

void TEkPanel::adjustTextRect(TRect& r) const {
    const QMargins padding = contentsMargins();
    r.left += padding.left() + textPadLeft;
    r.top += padding.top() + textPadTop;
    r.right -= padding.right() + textPadRight;
    r.bottom -= padding.bottom() + textPadBottom;
}

void TEkPanel::positionRectInRect(const TRect& outer, TRect& inner) const {
    const int innerWidth = inner.width();
    const int innerHeight = inner.height();
    const int dx = (outer.width() - innerWidth) / 2;
    const int dy = (outer.height() - innerHeight) / 2;
    if (dy > 0) {
        switch (alignmentVertical) {
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
        switch (alignment) {
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
    if (!dontEraceBkg)
        canvas.fillRect(rect(), toQColor(color));
    if (noPaint)
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
    if (bevelOuter != bvNone)
        drawBevelRings(canvas, r, bevelOuter != bvLowered, bevelWidth);
    for (int i = 0; i < borderWidth; ++i) {
        // One ring: the rect's outline, one pixel wide.
        const QColor border = toQColor(clBorder);
        canvas.fillRect(TRect(r.left, r.top, r.right, r.top + 1).toQRect(), border);
        canvas.fillRect(TRect(r.left, r.bottom - 1, r.right, r.bottom).toQRect(), border);
        canvas.fillRect(TRect(r.left, r.top, r.left + 1, r.bottom).toQRect(), border);
        canvas.fillRect(TRect(r.right - 1, r.top, r.right, r.bottom).toQRect(), border);
        inflateRect(r, -1, -1);
    }
    if (bevelInner != bvNone)
        drawBevelRings(canvas, r, bevelInner != bvLowered, bevelWidth);
    if (gradientFill)
        paintGradient(canvas, r);
    else
        canvas.fillRect(r.toQRect(), toQColor(color));
    if (!bkgdefaultPaint && borderSoftInner && borderWidth != 0)
        drawSoftInnerCorners(canvas, r);
    if (showCaption && !caption.isEmpty()) {
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
    const bool vertical = gradientDirection == gdVertical;
    const int start = vertical ? r.top : r.left;
    const int end = vertical ? r.bottom : r.right;
    const int n = std::max(end - start, 0);
    std::vector<TPixel> ramp(size_t(n), tColorToPixel(color) | 0xFF000000u);
    if (!gradientFill || n == 0)
        return ramp;
    if (!gradientPipe) {
        fillColorRamp32(ramp.data(), n, tColorToPixel(clBegin), tColorToPixel(clEnd));
        return ramp;
    }
    TEkColor dark(clEnd);
    if (gradientDarkerEnd != 0)
        dark.darkened(uint8_t(gradientDarkerEnd), dark);
    // The split is 4/10 of the far coordinate (not of the extent), kept inside the rect: with
    // thick rings the bare coordinate would fall above the rect and paint over the border.
    const int split = std::clamp(end * pipeSplitNumerator / pipeSplitDenominator, start, end) - start;
    fillColorRamp32(ramp.data(), split, tColorToPixel(clEnd), tColorToPixel(clBegin));
    fillColorRamp32(ramp.data() + split, n - split, tColorToPixel(clBegin), colorToPixel(dark));
    return ramp;
}

void TEkPanel::paintGradient(QPainter& canvas, TRect r) const {
    const std::vector<TPixel> ramp = insideColours(r);
    const bool vertical = gradientDirection == gdVertical;
    for (int i = 0; i < int(ramp.size()); ++i) {
        const TRect line = vertical ? TRect(r.left, r.top + i, r.right, r.top + i + 1)
                                    : TRect(r.left + i, r.top, r.left + i + 1, r.bottom);
        canvas.fillRect(line.toQRect(), QColor::fromRgb(ramp[size_t(i)]));
    }
}

void TEkPanel::drawSoftInnerCorners(QPainter& canvas, TRect r) const {
    if (r.width() < cornerBitmapSide || r.height() < cornerBitmapSide)
        return;
    TEkBmp corners(cornerBitmapSide, cornerBitmapSide);
    corners.drawFrame(1, corners.boundsRect(), TEkColor(clBorder));

    // The first four and the last four colours of the inside along the gradient's axis (of the
    // pipe too, so its dark ends reach into the corners).
    std::vector<TPixel> entries = insideColours(r);
    std::copy(entries.end() - cornerRampEntries, entries.end(), entries.begin() + cornerRampEntries);

    // The 8 x 8 inside (columns and rows 1..8): row (or column) k takes entry k - 1.
    const bool vertical = gradientDirection == gdVertical;
    const int insideEnd = cornerBitmapSide - 1;
    for (int k = 1; k < insideEnd; ++k) {
        const TPixel p = entries[size_t(k - 1)];
        if (vertical)
            corners.hLine(k, 1, p, insideEnd);
        else
            corners.vLine(k, 1, p, insideEnd);
    }
    corners.drawSoftInnerCorners(TRect(1, 1, insideEnd, insideEnd));

    const int mid = 1 + cornerQuadrant;
    corners.bitBltRect(canvas, r.left, r.top, TRect(1, 1, mid, mid));
    corners.bitBltRect(canvas, r.left, r.bottom - cornerQuadrant, TRect(1, mid, mid, insideEnd));
    corners.bitBltRect(canvas, r.right - cornerQuadrant, r.top, TRect(mid, 1, insideEnd, mid));
    corners.bitBltRect(canvas, r.right - cornerQuadrant, r.bottom - cornerQuadrant,
                       TRect(mid, mid, insideEnd, insideEnd));
}

void TEkPanel::drawCaption(QPainter& canvas, TRect& r) {
    QString text = caption;
    unsigned flags = alignment == taLeftJustify ? DT_LEFT : (alignment == taCenter ? DT_CENTER : DT_RIGHT);
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

    canvas.setPen(toQColor(fontColor));
    canvas.drawText(calc.toQRect(), qtFlags, shown);
}
