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

// Files as they are found, and as a load and a save write them back: the round trips of every
// encoding and of the encrypted file.
struct RoundTripSample {
    const char* name;
    const char16_t* read;
    const char16_t* written;
};

inline constexpr RoundTripSample kRoundTripSamples[] = {
    {"lines_before_the_first_header",
     u"; Einstellungen f\u00FCr den Server\r\ntop=1\r\n\r\n"
     u"[Server] ; Hauptteil\r\nPort = 8080 ; Standard\r\nPfad=C:\\Programme\\Gr\u00F6\u00DFe;x\r\n"
     u"leer=\r\nnur Text ohne Gleichheitszeichen\n  ;  eingerückter Kommentar  \r\r\n"
     u"[Clients]\r\nName=\u20AC und \u00E9\r\n=ohne Namen\r\nk=;c\r\n\x01[x\r\n"
     u"[Leer]\r\n\x1a",
     u";Einstellungen f\u00FCr den Server\r\ntop=1\r\n\r\n"
     u"[Server] ; Hauptteil\r\nPort=8080 ;Standard\r\nPfad=C:\\Programme\\Gr\u00F6\u00DFe ;x\r\n"
     u"leer=\r\nnur Text ohne Gleichheitszeichen\r\n;eingerückter Kommentar\r\n\r\n"
     u"[Clients]\r\nName=\u20AC und \u00E9\r\n=ohne Namen\r\nk=;c\r\n\x01[x\r\n\r\n"
     u"[Leer]\r\n\x1a\r\n\r\n"},
    {"a_nameless_first_header_with_a_comment", u"[] ;owner: \u00E9quipe ops\r\nk=v\r\n[s]\r\nx=1",
     u"[] ;owner: \u00E9quipe ops\r\nk=v\r\n\r\n[s]\r\nx=1\r\n\r\n"},
};

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
