// Fonts and text through a QPainter on the bitmap's memory, the focus rect, and image lists.
#include "controls/EkBmp.h"

#include "controls/EkBmpPrivate.h"
#include "controls/ImgList.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cstring>

using namespace ekbmp;

namespace {

// Text without its mnemonic markers: '&x' shows x, "&&" shows '&'.
QString stripMnemonics(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'&' && i + 1 < text.size())
            ++i;
        else if (text.at(i) == u'&')
            continue;
        out.append(text.at(i));
    }
    return out;
}

} // namespace

// ---- text --------------------------------------------------------------------------------------

bool TEkBmp::setFont(const QString& faceName, int size, int style, int pixelsPerInch) {
    constexpr int kPointsPerInch = 72;
    constexpr int kMaxFaceName = 31;
    if (!memDc_)
        return false;
    const long long pixelSize = (long long)size * pixelsPerInch / kPointsPerInch;
    if (pixelSize <= 0 || pixelSize > kMaxSide)
        return false;
    QFont f;
    f.setFamily(faceName.left(kMaxFaceName));
    f.setPixelSize(int(pixelSize));
    f.setWeight((style & 1) ? QFont::Bold : QFont::Normal);
    f.setItalic(style & 2);
    f.setUnderline(style & 4);
    f.setStrikeOut(style & 8);
    fnt_ = f;
    ownFont_ = true;
    return true;
}

int TEkBmp::fontStyleBits(const QFont& font) {
    return (font.bold() ? 1 : 0) | (font.italic() ? 2 : 0) | (font.underline() ? 4 : 0) |
           (font.strikeOut() ? 8 : 0);
}

TEkColor TEkBmp::setTextColor(TEkColor c) {
    const TEkColor previous = txtColor_;
    txtColor_ = TEkColor(c.value() & 0xFFFFFFu);
    return previous;
}

void TEkBmp::setBkTransparent(bool transparent) {
    bkTrans_ = transparent;
}

bool TEkBmp::drawText(const QString& text, unsigned format, TRect r) {
    if (!checkDcClip(r) || !pix_)
        return false;
    QImage view = image();
    QPainter painter(&view);
    painter.setFont(fnt_);
    painter.setPen(toQColor(txtColor_.toTColor()));
    if (!bkTrans_) {
        painter.setBackgroundMode(Qt::OpaqueMode);
        painter.setBackground(Qt::white);
    }
    if (!(format & DT_NOCLIP))
        painter.setClipRect(r.toQRect());
    painter.drawText(r.toQRect(), qtTextFlags(format), text);
    return true;
}

bool TEkBmp::drawCaption(const QString& text, unsigned format, TRect r, TEkColor c) {
    const TEkColor previous = setTextColor(c);
    bool drawn = false;
    try {
        drawn = drawText(text, format, r);
    } catch (...) {
        setTextColor(previous);
        throw;
    }
    setTextColor(previous);
    return drawn;
}

bool TEkBmp::calcTextRect(TRect& r, const QString& text, bool singleLine) {
    checkDc();
    if (text.isEmpty()) {
        r.right = r.left;
        r.bottom = r.top;
        return false;
    }
    const QFontMetrics metrics(fnt_);
    const QString shown = stripMnemonics(text);
    QStringList lines;
    if (singleLine) {
        QString one = shown;
        one.replace(QLatin1String("\r\n"), QLatin1String(" "));
        one.replace(u'\r', u' ');
        one.replace(u'\n', u' ');
        lines << one;
    } else {
        QString all = shown;
        all.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        all.replace(u'\r', u'\n');
        lines = all.split(u'\n');
    }
    int width = 0;
    for (const QString& line : lines)
        width = std::max(width, metrics.horizontalAdvance(line));
    r.right = r.left + width;
    r.bottom = r.top + int(lines.size()) * metrics.height();
    return true;
}

void TEkBmp::drawFocusRect(TRect r) {
    if (!checkDcClip(r) || !pix_)
        return;
    // Every other pixel of the border, inverted: drawing twice restores the picture.
    const auto invert = [this](int x, int y) {
        if (((x + y) & 1) == 0)
            *at(x, y) ^= kColourMask;
    };
    for (int x = r.left; x < r.right; ++x) {
        invert(x, r.top);
        if (r.height() > 1)
            invert(x, r.bottom - 1);
    }
    for (int y = r.top + 1; y < r.bottom - 1; ++y) {
        invert(r.left, y);
        if (r.width() > 1)
            invert(r.right - 1, y);
    }
}

// ---- image lists -------------------------------------------------------------------------------

bool TEkBmp::copyFromImageList(const TImageList* list, int index) {
    if (!list || !pix_ || index < 0 || index >= list->count())
        return false;
    if (list->width() != w_ || list->height() != h_)
        return false;
    const QImage source = list->image(index);
    for (int y = 0; y < h_; ++y)
        std::memcpy(rowAddress(y), source.constScanLine(y), size_t(w_) * sizeof(TPixel));
    return true;
}
