// What the document's own files share: the characters the parser and the writer look for, ranges
// of UTF-16 text, how a line is read and how an item's line is written, and the byte-order marks.
// Only the files of model/ include this header.
#pragma once

#include "model/EkMemIni.h"

#include <QByteArrayView>
#include <QString>

#include <utility>

namespace ekmemini {

inline constexpr char16_t kNul = 0;
inline constexpr char16_t kTab = u'\t';
inline constexpr char16_t kLf = u'\n';
inline constexpr char16_t kCr = u'\r';
inline constexpr char16_t kSpace = u' ';

inline const char16_t* units(const QString& s) {
    return reinterpret_cast<const char16_t*>(s.constData());
}
inline QString fromRange(const char16_t* first, const char16_t* end) {
    // A default-constructed QString costs no allocation; most items leave a field empty.
    return first == end ? QString() : QString(reinterpret_cast<const QChar*>(first), end - first);
}

// The blanks that the setters and the parser skip before a text.
inline bool isBlank(char16_t c) {
    return c == kSpace || c == kTab;
}

// The parser's trimming: the range [first, end) loses characters at or below U+0020 at both
// ends, but a range made only of them keeps its last one ("key=   " gives the value " ").
inline std::pair<const char16_t*, const char16_t*> trimmedBounds(const char16_t* first, const char16_t* end) {
    if (first == end)
        return {first, end};
    const char16_t* last = end - 1;
    while (first < last && *first <= kSpace)
        ++first;
    while (last > first && *last <= kSpace)
        --last;
    return {first, last + 1};
}

// The range of a line's first field (a name, or the text of a line without "="), which starts
// at the line's first character after its spaces and TABs: a control character there is part of
// the text, so that the line is written back as it was read rather than as a header or a
// comment line. Only the end is trimmed.
inline std::pair<const char16_t*, const char16_t*> leadingFieldBounds(const char16_t* first,
                                                                      const char16_t* end) {
    if (first == end)
        return {first, end};
    const char16_t* last = end - 1;
    while (last > first && *last <= kSpace)
        --last;
    return {first, last + 1};
}

// --- How the parser takes a line -------------------------------------------------------------
// The parser (EkMemIniRead.cpp) reads its lines with these, and so does the check of the lines a
// save would write (EkMemIniCheck.cpp): both read one grammar.

// First position in [p, end) holding `stop`, CR, LF or NUL, or end. A `stop` of NUL looks for the
// line end alone.
const char16_t* scanTo(const char16_t* p, const char16_t* end, char16_t stop);

// What a line is, told by its first character after spaces and TABs: a blank line (a line
// break), the end of the text (NUL), a comment line, a section header, or a line of fields, which
// is a value line when an "=" comes before its end and a line without "=" otherwise.
enum class LineOpening { Break, Nul, Comment, Header, Fields };

inline LineOpening lineOpening(char16_t c) {
    switch (c) {
    case kCr:
    case kLf:
        return LineOpening::Break;
    case kNul:
        return LineOpening::Nul;
    case u';':
        return LineOpening::Comment;
    case u'[':
        return LineOpening::Header;
    default:
        return LineOpening::Fields;
    }
}

// From just after a header's "[": the first "]" or character at or below CR, or end. Anything
// there but "]" breaks the header, and with it the whole text.
inline const char16_t* headerNameEnd(const char16_t* p, const char16_t* end) {
    while (p < end && *p != u']' && *p > kCr)
        ++p;
    return p;
}

// Whether the text of a comment line makes a blank item: the setters' cleaning, which the parser
// applies to it, leaves nothing of a text made only of characters at or below U+0020.
inline bool cleansToNothing(const char16_t* first, const char16_t* end) {
    for (; first < end; ++first) {
        if (*first > kSpace)
            return false;
    }
    return true;
}

// --- How the writer writes an item's line ----------------------------------------------------
// The writer (EkMemIniWrite.cpp) writes its lines with these, and the check before a save
// (EkMemIniCheck.cpp) reads them back as they are written.

// Kinds that write " ;" or ";" before their comment. A blank item that carries a comment (set
// directly, not through the setters) keeps it, and the size rule counts it.
inline bool writesCommentLine(int type) {
    return type != itemValue && type < itemError;
}

// Whether " ;" rather than ";" goes between a value and its comment. The blank would join a
// value that is empty or ends in a character at or below U+0020 (the trimming leaves a blank
// value its last character) and come back as a value of one space: the text would change at
// every load and save.
inline bool blankBeforeComment(const QString& value) {
    return !value.isEmpty() && value.back().unicode() > kSpace;
}

// A line without "=" has no place for a comment of its own, but one given to it through the
// setters (no name, a value and a comment) follows the value as it does on a value line: the
// file keeps its text, which reads back as part of the value, instead of losing it.
// `Out` is a TextWriter, or a LineReadBack, which reads the line as it is written and may have
// settled what it needs before the line ends.
template <typename Out> void writeItem(const TEkIniVal& item, Out& w) {
    if (item.type >= itemError || item.type == itemValue) {
        if (item.type == itemValue) {
            w.put(item.name);
            w.put(u'=');
        }
        w.put(item.value);
        if (!w.settled() && !item.comment.isEmpty()) {
            if (blankBeforeComment(item.value))
                w.put(kSpace);
            w.put(u';');
            w.put(item.comment);
        }
    } else if (writesCommentLine(item.type) && !item.comment.isEmpty()) {
        w.put(u';');
        w.put(item.comment);
    }
    w.putLineEnd();
}

inline constexpr QByteArrayView kMarkUtf8("\xEF\xBB\xBF", 3);
inline constexpr QByteArrayView kMarkUtf16LE("\xFF\xFE", 2);
inline constexpr QByteArrayView kMarkUtf16BE("\xFE\xFF", 2);

// The byte-order mark of a code page; empty for ANSI.
inline QByteArrayView markFor(int codePage) {
    switch (codePage) {
    case codePageUtf8:
        return kMarkUtf8;
    case codePageUtf16LE:
        return kMarkUtf16LE;
    case codePageUtf16BE:
        return kMarkUtf16BE;
    default:
        return QByteArrayView();
    }
}

} // namespace ekmemini
