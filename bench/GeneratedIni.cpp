#include "bench/GeneratedIni.h"

namespace {

class Random {
public:
    explicit Random(quint32 seed) : state_(seed) {}
    int below(int n) {
        state_ = state_ * 1664525u + 1013904223u;
        return int((state_ >> 8) % quint32(n));
    }

private:
    quint32 state_;
};

} // namespace

QString generateIniText(qint64 utf8Target, bool ansiSafe) {
    static const char16_t* const keys[] = {
        u"ConnectionTimeout", u"MaxRetries",   u"LogPath", u"DisplayName",
        u"Gr\u00F6\u00DFe",   u"Beschreibung", u"Enabled", u"Port",
        u"BackupFolder",      u"LastUser",     u"Theme",   u"Schl\u00FCssel"};
    static const char16_t* const words[] = {u"alpha",     u"Server",      u"\u00DCberpr\u00FCfung",
                                            u"caf\u00E9", u"12.5 \u20AC", u"true",
                                            u"Daten",     u"report"};
    static const char16_t* const wide[] = {u"\u6771\u4EAC\u90FD", u"\u041C\u043E\u0441\u043A\u0432\u0430",
                                           u"\u0391\u03B8\u03AE\u03BD\u03B1"};
    Random rnd(12345);
    QString text;
    text.reserve(utf8Target + utf8Target / 8);
    qint64 utf8Size = 0;
    int section = 0;
    auto word = [&]() -> QString {
        if (!ansiSafe && rnd.below(10) == 0)
            return QString::fromUtf16(wide[rnd.below(3)]);
        return QString::fromUtf16(words[rnd.below(8)]);
    };
    while (utf8Size < utf8Target) {
        const qsizetype start = text.size();
        text += QStringLiteral("[Section_%1]").arg(section++);
        if (rnd.below(3) == 0)
            text += QStringLiteral(" ; ") + word() + u' ' + word();
        text += QStringLiteral("\r\n");
        const int lines = 8 + rnd.below(30);
        for (int i = 0; i < lines; ++i) {
            const int kind = rnd.below(100);
            if (kind < 10) {
                text += QStringLiteral("\r\n");
            } else if (kind < 22) {
                text += QStringLiteral("; ") + word() + u' ' + word() + QStringLiteral(" for this block ") +
                        word() + QStringLiteral("\r\n");
            } else if (kind < 24) {
                text += word() + u' ' + word() + QStringLiteral("\r\n");
            } else if (kind < 30) {
                // A long value: a list of paths.
                text += QStringLiteral("SearchPath%1 = ").arg(i);
                const int parts = 4 + rnd.below(8);
                for (int p = 0; p < parts; ++p)
                    text += QStringLiteral("C:\\Program Files\\Velquin\\data\\") + word() +
                            QString::number(p) + QStringLiteral(".dat,");
                text += QStringLiteral("\r\n");
            } else {
                text += QString::fromUtf16(keys[rnd.below(12)]) + QString::number(i) + QStringLiteral(" = ");
                text += rnd.below(2) ? word() + u' ' + word() : QString::number(rnd.below(100000));
                if (rnd.below(2))
                    text += QStringLiteral(" ; ") + word() + QStringLiteral(" default ") + QString::number(i);
                text += QStringLiteral("\r\n");
            }
        }
        text += QStringLiteral("\r\n");
        utf8Size += QStringView(text).mid(start).toUtf8().size();
    }
    return text;
}
