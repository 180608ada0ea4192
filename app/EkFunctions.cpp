#include "app/EkFunctions.h"

#include <QLinearGradient>
#include <QLocale>
#include <QPainter>
#include <QWidget>

QString groupThousands(const QString& digits) {
    constexpr qsizetype kGroupSize = 3;
    if (digits.size() <= kGroupSize)
        return digits;
    const QString separator = QLocale().groupSeparator();
    QString result;
    result.reserve(digits.size() + (digits.size() / kGroupSize) * separator.size());
    // The first group holds what is left over after whole groups of three from the right.
    qsizetype lead = digits.size() % kGroupSize;
    if (lead == 0)
        lead = kGroupSize;
    result.append(QStringView(digits).left(lead));
    for (qsizetype pos = lead; pos < digits.size(); pos += kGroupSize) {
        result.append(separator);
        result.append(QStringView(digits).mid(pos, kGroupSize));
    }
    return result;
}

char boolToChar(bool value) {
    return value ? '1' : '0';
}

bool charToBool(QChar c) {
    return c != QLatin1Char('0');
}

QString includeTrailingBackslash(QString& path) {
    if (path.isEmpty())
        return path;
    const QChar last = path.back();
#ifdef Q_OS_WIN
    const bool endsInSeparator = last == QLatin1Char('/') || last == QLatin1Char('\\');
#else
    const bool endsInSeparator = last == QLatin1Char('/');
#endif
    if (!endsInSeparator)
        path.append(QLatin1Char('/'));
    return path;
}

QString expandTabs(QStringView text, int tabWidth) {
    const QString spaces(tabWidth > 0 ? tabWidth : 0, QLatin1Char(' '));
    QString result;
    result.reserve(text.size());
    for (QChar c : text) {
        if (c == QLatin1Char('\t'))
            result.append(spaces);
        else
            result.append(c);
    }
    return result;
}

QString replaceFirst(const QString& text, const QString& find, const QString& insert) {
    if (find.isEmpty())
        return text;
    const qsizetype at = text.indexOf(find);
    if (at < 0)
        return text;
    QString result = text;
    return result.replace(at, find.size(), insert);
}

QString removeChar(const QString& text, QChar c) {
    QString result = text;
    return result.remove(c);
}

QString removeBlanks(const QString& text) {
    QString result;
    result.reserve(text.size());
    for (QChar c : text) {
        if (c.unicode() > 0x20)
            result.append(c);
    }
    return result;
}

void paintVerticalGradient(QWidget* widget, TColor top, TColor bottom) {
    QPainter painter(widget);
    QLinearGradient gradient(0, 0, 0, widget->height());
    gradient.setColorAt(0, toQColor(top));
    gradient.setColorAt(1, toQColor(bottom));
    painter.fillRect(widget->rect(), gradient);
}
