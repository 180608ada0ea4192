#include "bench/GeneratedIni.h"

#include <functional>
#include <string>

namespace {

class Random {
public:
    explicit Random(quint32 seed) : state_(seed) {}
    int below(int n) {
        state_ = state_ * 1664525u + 1013904223u;
        return int((state_ >> 8) % quint32(n));
    }
    int between(int low, int high) { return low + below(high - low + 1); }
    template <typename T, size_t N> const T& pick(const T (&list)[N]) { return list[below(int(N))]; }

private:
    quint32 state_;
};

// Appends blocks of lines until the text's UTF-8 form holds `utf8Target` bytes.
QString grow(qint64 utf8Target, const std::function<void(QString&)>& appendBlock) {
    QString text;
    text.reserve(utf8Target + utf8Target / 8);
    qint64 utf8Size = 0;
    while (utf8Size < utf8Target) {
        const qsizetype start = text.size();
        appendBlock(text);
        utf8Size += QStringView(text).mid(start).toUtf8().size();
    }
    return text;
}

QString mixed(qint64 utf8Target, bool ansiSafe) {
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
    int section = 0;
    auto word = [&]() -> QString {
        if (!ansiSafe && rnd.below(10) == 0)
            return QString::fromUtf16(wide[rnd.below(3)]);
        return QString::fromUtf16(words[rnd.below(8)]);
    };
    return grow(utf8Target, [&](QString& text) {
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
    });
}

QString paths(qint64 utf8Target) {
    static const char16_t* const keys[] = {
        u"Include", u"LibraryPath", u"PluginDir", u"Search",  u"Modules",  u"Fonts", u"Templates", u"Cache",
        u"LogFile", u"Backup",      u"Scripts",   u"DataDir", u"Profiles", u"Temp",  u"Help",      u"Themes"};
    static const char16_t* const roots[] = {
        u"C:\\Program Files\\Velquin", u"/usr/lib/velquin",  u"D:\\Data", u"/opt/tools",
        u"%APPDATA%\\Velquin",         u"/home/user/.config"};
    static const char16_t* const dirs[] = {u"bin",     u"lib",   u"share", u"plugins", u"cache",
                                           u"modules", u"fonts", u"x64",   u"release", u"data"};
    static const char16_t* const files[] = {u"core.dll", u"main.so", u"index.dat", u"settings.xml",
                                            u"app.log",  u"",        u"",          u""};
    static const char16_t* const notes[] = {u"set by the installer", u"do not change",  u"see the manual",
                                            u"added in 2.4",         u"old value kept", u"per machine"};
    Random rnd(4711);
    int section = 0;
    auto path = [&](QString& text) {
        const QString root = QString::fromUtf16(rnd.pick(roots));
        const QChar sep = root.contains(u'/') ? u'/' : u'\\';
        text += root + sep + QString::fromUtf16(rnd.pick(dirs));
        if (const char16_t* file = rnd.pick(files); *file)
            text += sep + QString::fromUtf16(file);
    };
    return grow(utf8Target, [&](QString& text) {
        text += QStringLiteral("[Paths_%1]\r\n").arg(section++);
        const int lines = rnd.between(200, 2000);
        for (int i = 0; i < lines; ++i) {
            const int kind = rnd.below(100);
            if (kind < 10) {
                text += QStringLiteral("\r\n");
            } else if (kind < 24) {
                text += QStringLiteral("; ") + QString::fromUtf16(rnd.pick(notes)) + QStringLiteral(" for ") +
                        QString::fromUtf16(rnd.pick(keys)) + QStringLiteral("\r\n");
            } else {
                text += QString::fromUtf16(rnd.pick(keys)) + QString::number(rnd.below(50)) +
                        QStringLiteral(" = ");
                // Mostly one path, sometimes a long list.
                const int count = rnd.below(100) < 91 ? 1 : rnd.between(2, 12);
                for (int p = 0; p < count; ++p) {
                    if (p > 0)
                        text += u',';
                    path(text);
                }
                if (rnd.below(100) < 15)
                    text += QStringLiteral(" ; ") + QString::fromUtf16(rnd.pick(notes));
                text += QStringLiteral("\r\n");
            }
        }
        text += QStringLiteral("\r\n");
    });
}

QString shortLines(qint64 utf8Target) {
    int line = 0;
    return grow(utf8Target, [&](QString& text) {
        if (line == 0)
            text += QStringLiteral("[big]\r\n");
        for (int end = line + 10000; line < end; ++line)
            text += QStringLiteral("key%1=value%1\r\n").arg(line, 7, 10, QLatin1Char('0'));
    });
}

QString nonLatin(qint64 utf8Target, bool ansiSafe) {
    // Two to three bytes a character in UTF-8, one in ANSI.
    static const char16_t unicode[] = u"\u0430\u0431\u0432\u0433\u0434\u0435\u0436\u0437\u0438\u043A"
                                      u"\u03B1\u03B2\u03B3\u03B4\u03B5\u03B6\u03B7\u03B8"
                                      u"\u6F22\u5B57\u4EEE\u540D\u4EA4\u3058\u308A\u6587\u6771\u4EAC";
    static const char16_t latin[] = u"\u00E4\u00F6\u00FC\u00DF\u00E9\u00E8\u00E7\u00F1\u00F8\u00E5"
                                    u"\u00C6\u0152\u00C0\u00C9\u00CE\u00D5\u00DCaeiou";
    const char16_t* letters = ansiSafe ? latin : unicode;
    const int letterCount = int(std::char_traits<char16_t>::length(letters));
    Random rnd(2026);
    int section = 0;
    auto word = [&](QString& text, int low, int high) {
        for (int n = rnd.between(low, high); n > 0; --n)
            text += QChar(letters[rnd.below(letterCount)]);
    };
    return grow(utf8Target, [&](QString& text) {
        text += u'[';
        word(text, 3, 10);
        text += QStringLiteral("_%1]\r\n").arg(section++);
        for (int i = rnd.between(10, 50); i > 0; --i) {
            const int kind = rnd.below(100);
            if (kind < 8) {
                text += QStringLiteral("\r\n");
            } else if (kind < 20) {
                text += QStringLiteral("; ");
                word(text, 5, 30);
                text += QStringLiteral("\r\n");
            } else {
                word(text, 2, 12);
                text += QStringLiteral(" = ");
                for (int w = rnd.between(1, 4); w > 0; --w) {
                    word(text, 2, 10);
                    text += u' ';
                }
                if (rnd.below(5) == 0) {
                    text += QStringLiteral("; ");
                    word(text, 3, 15);
                }
                text += QStringLiteral("\r\n");
            }
        }
        text += QStringLiteral("\r\n");
    });
}

QString longValues(qint64 utf8Target) {
    static const char16_t letters[] = u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_.-";
    const int letterCount = int(std::char_traits<char16_t>::length(letters));
    Random rnd(99);
    int line = 0;
    return grow(utf8Target, [&](QString& text) {
        if (line == 0)
            text += QStringLiteral("[big]\r\n");
        for (int end = line + 100; line < end; ++line) {
            text += QStringLiteral("k%1=").arg(line);
            for (int n = rnd.between(200, 2000); n > 0; --n)
                text += QChar(letters[rnd.below(letterCount)]);
            text += QStringLiteral("\r\n");
        }
    });
}

} // namespace

const char* iniShapeName(IniShape shape) {
    switch (shape) {
    case IniShape::Mixed:
        return "mixed";
    case IniShape::Paths:
        return "paths";
    case IniShape::Short:
        return "short";
    case IniShape::NonLatin:
        return "nonlatin";
    case IniShape::LongValues:
        return "long";
    }
    return "";
}

QString generateIniText(IniShape shape, qint64 utf8Target, bool ansiSafe) {
    switch (shape) {
    case IniShape::Mixed:
        return mixed(utf8Target, ansiSafe);
    case IniShape::Paths:
        return paths(utf8Target);
    case IniShape::Short:
        return shortLines(utf8Target);
    case IniShape::NonLatin:
        return nonLatin(utf8Target, ansiSafe);
    case IniShape::LongValues:
        return longValues(utf8Target);
    }
    return QString();
}
