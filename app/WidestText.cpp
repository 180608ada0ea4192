#include "app/WidestText.h"

#include <climits>

TWidestText::TWidestText(const QFont& font, int start)
    : advances_(TTextAdvances::forFont(font)), metrics_(font), width_(start) {}

QFont TWidestText::ownFont(const QFont& font) {
    QFont own;
    own.fromString(font.toString());
    return own;
}

qint64 TWidestText::sum(const QString& text) {
    if (text.isEmpty())
        return kNoSum;
    const qint64 sum = width64(text);
    if (sum < 0) {
        measure(text);
        return kNoSum;
    }
    return sum;
}

void TWidestText::add(const QString& text) {
    if (const qint64 s = sum(text); mayWiden(s))
        measure(text, s);
}

bool TWidestText::measure(const QString& text, qint64 sum) {
    ++measured_;
    // Beyond kExactLength the width is the text's sum, or is scaled from a measured start: the
    // column is then far wider than any screen, and what the sum misses or the scaling moves its
    // edge by a hair of that width.
    int width = 0;
    bool asSummed = true;
    if (text.size() <= kExactLength) {
        width = metrics_.horizontalAdvance(text);
        if (sum >= 0 && width != TTextAdvances::pixels(sum)) {
            asSummed = false;
            // So that pixels(sum + margin) reaches the width: 64 * width - 32 <= sum + margin.
            margin_ = std::max(margin_, qint64(width) * 64 - 32 - sum);
        }
    } else if (const qint64 s = sum >= 0 ? sum : width64(text); s >= 0) {
        width = int(std::min<qint64>(TTextAdvances::pixels(s), INT_MAX));
    } else {
        width = int(std::min<qint64>(qint64(metrics_.horizontalAdvance(text.left(kExactLength))) *
                                         text.size() / kExactLength,
                                     INT_MAX));
    }
    width_ = std::max(width_, width);
    return asSummed;
}
