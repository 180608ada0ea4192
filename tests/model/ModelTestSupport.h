// Helpers of the model tests: encodings of test texts and a compact dump of a document.
#pragma once

#include "model/EkMemIni.h"
#include "platform/core/SysUtils.h"
#include "tests/support/TestSupport.h"

#include <QByteArray>
#include <QString>
#include <QtEndian>
#include <ostream>

namespace modeltest {

// `text` as file bytes in `codePage`, with the mark of that encoding when `mark` (ANSI has none).
inline QByteArray encode(const QString& text, int codePage, bool mark) {
    QByteArray out;
    switch (codePage) {
    case codePageUtf8:
        if (mark)
            out = "\xEF\xBB\xBF";
        return out + text.toUtf8();
    case codePageUtf16LE:
    case codePageUtf16BE: {
        if (mark)
            out = codePage == codePageUtf16LE ? QByteArray("\xFF\xFE") : QByteArray("\xFE\xFF");
        for (QChar c : text) {
            char b[2];
            if (codePage == codePageUtf16LE)
                qToLittleEndian<char16_t>(c.unicode(), b);
            else
                qToBigEndian<char16_t>(c.unicode(), b);
            out.append(b, 2);
        }
        return out;
    }
    default:
        return platform::ansiEncode(text);
    }
}

// One line per section: [name;comment] then one entry per item: kind:name|value|comment.
inline QString dump(const TEkMemIni& doc) {
    QString out;
    for (const TEkIniSection* s : doc.sections) {
        out += u'[' + s->name + u';' + s->comment + u']';
        for (const TEkIniVal* v : s->values)
            out += QStringLiteral(" %1:%2|%3|%4").arg(v->type).arg(v->name, v->value, v->comment);
        out += u'\n';
    }
    return out;
}

inline const char* codePageName(int codePage) {
    switch (codePage) {
    case codePageUtf8:
        return "Utf8";
    case codePageUtf16LE:
        return "Utf16LE";
    case codePageUtf16BE:
        return "Utf16BE";
    default:
        return "Ansi";
    }
}

} // namespace modeltest

inline std::ostream& operator<<(std::ostream& os, const QString& s) {
    return os << s.toStdString();
}
