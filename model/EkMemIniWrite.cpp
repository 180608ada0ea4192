// Writing a document: the size of its text worked out first, then the text written, whole or in
// pieces that are encoded as they fill, and saved through platform::saveFile.
#include "model/EkMemIni.h"

#include "model/EkMemIniPrivate.h"
#include "platform/core/FileSave.h"
#include "platform/core/RunParts.h"
#include "platform/core/SysUtils.h"

#include <QBuffer>
#include <QStringEncoder>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <functional>
#include <limits>
#include <vector>

using namespace ekmemini;

namespace {

// --- The writer ------------------------------------------------------------------------------

// Writes the document's text into a buffer. Without a `flush` the buffer holds the whole text
// and what does not fit is counted, not written, so a size mismatch is reported rather than
// overrunning the buffer. With a `flush` the buffer is a piece that is handed on whenever it
// fills, so the whole text never stands in memory at once.
class TextWriter {
public:
    using Flush = std::function<void(const char16_t*, qsizetype)>;

    TextWriter(char16_t* buffer, qsizetype size, Flush flush = {})
        : out_(buffer), room_(size), flush_(std::move(flush)) {}

    void put(const QString& s) { put(units(s), s.size()); }
    void put(char16_t c) { put(&c, 1); }
    void putLineEnd() {
        static constexpr char16_t kCrlf[2] = {kCr, kLf};
        put(kCrlf, 2);
    }
    // Hands the last piece on.
    void finish() {
        if (flush_ && used_ > 0)
            flush_(out_, used_);
        used_ = 0;
    }
    qsizetype written() const { return written_; }
    // Every piece of a line is written (see LineReadBack).
    static bool settled() { return false; }

private:
    void put(const char16_t* s, qsizetype n) {
        written_ += n;
        if (!flush_) {
            if (n > room_ - used_)
                room_ = used_; // nothing more is copied; the count goes on
            else if (n > 0)
                std::memcpy(out_ + used_, s, size_t(n) * sizeof(char16_t));
            used_ += n;
            return;
        }
        while (n > 0) {
            if (used_ == room_)
                drain();
            const qsizetype k = std::min(n, room_ - used_);
            std::memcpy(out_ + used_, s, size_t(k) * sizeof(char16_t));
            used_ += k;
            s += k;
            n -= k;
        }
    }

    // A high surrogate at the end waits for the next piece, so pairs are encoded whole.
    void drain() {
        qsizetype k = used_;
        if (k > 1 && QChar::isHighSurrogate(out_[k - 1]))
            --k;
        flush_(out_, k);
        if (k < used_)
            out_[0] = out_[k];
        used_ -= k;
    }

    char16_t* out_;
    qsizetype room_;
    Flush flush_;
    qsizetype used_ = 0;
    qsizetype written_ = 0;
};

// Kinds that write " ;" or ";" before their comment. A blank item that carries a comment (set
// directly, not through the setters) keeps it, and the size rule counts it.
bool writesCommentLine(int type) {
    return type != itemValue && type < itemError;
}

// Whether " ;" rather than ";" goes between a value and its comment. The blank would join a
// value that is empty or ends in a character at or below U+0020 (the trimming leaves a blank
// value its last character) and come back as a value of one space: the text would change at
// every load and save.
bool blankBeforeComment(const QString& value) {
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

// Whether section `index` is written with its header line. Only a nameless first section goes
// without: its items are the file's lines before the first header. A nameless section anywhere
// else writes "[]", or its lines would join the section before it at the next load. A nameless
// first section writes "[]" as well when it has a comment, which has no other line to stand on
// (a file that begins "[] ;owner" keeps that line), and when it has no items and a nameless
// section follows: that one's "[]" would otherwise begin the text, name the first section at the
// next load and be dropped at the save after, taking its section with it.
bool writesHeader(const TIniSectionVec& sections, int index) {
    const TEkIniSection& section = *sections[index];
    if (!section.name.isEmpty() || !section.comment.isEmpty() || index > 0)
        return true;
    return section.values.count == 0 && sections.count > 1 && sections[1]->name.isEmpty();
}

void writeSection(const TEkIniSection& section, bool header, TextWriter& w) {
    if (header) {
        w.put(u'[');
        w.put(section.name);
        w.put(u']');
        if (!section.comment.isEmpty()) {
            w.put(kSpace);
            w.put(u';');
            w.put(section.comment);
        }
        w.putLineEnd();
    }
    for (const TEkIniVal* item : section.values)
        writeItem(*item, w);
    if (section.values.count > 0 && section.values[section.values.count - 1]->type != itemBlank)
        w.putLineEnd();
}

qsizetype itemSize(const TEkIniVal& item) {
    if (item.type >= itemError || item.type == itemValue) {
        qsizetype n = item.value.size() + 2;
        if (item.type == itemValue)
            n += item.name.size() + 1;
        if (!item.comment.isEmpty())
            n += item.comment.size() + (blankBeforeComment(item.value) ? 2 : 1);
        return n;
    }
    if (writesCommentLine(item.type) && !item.comment.isEmpty())
        return item.comment.size() + 3;
    return 2;
}

qsizetype sectionSize(const TEkIniSection& section, bool header) {
    qsizetype n = 0;
    if (header) {
        n += section.name.size() + 4;
        if (!section.comment.isEmpty())
            n += section.comment.size() + 2;
    }
    for (const TEkIniVal* item : section.values)
        n += itemSize(*item);
    if (section.values.count > 0 && section.values[section.values.count - 1]->type != itemBlank)
        n += 2;
    return n;
}

qsizetype documentSize(const TIniSectionVec& sections) {
    qsizetype n = 0;
    for (int i = 0; i < sections.count; ++i)
        n += sectionSize(*sections[i], writesHeader(sections, i));
    return n;
}

bool writeBytes(QIODevice& stream, const char* data, qint64 n) {
    return n == 0 || stream.write(data, n) == n;
}

// --- Reading a written line back -------------------------------------------------------------

// Takes the pieces of one line from writeItem and reads them as the parser reads a line, only as
// far as it takes to know the kind of item the parser would make of it. The texts of a line of
// fields are read at its end, and only when no "=" of the writer's came: as no field holds a line
// break, an "=" anywhere makes the line a value line, and of a value line only the first
// character is looked at.
class LineReadBack {
public:
    void put(const QString& s) {
        if (state_ == Settled)
            return;
        const char16_t* p = units(s);
        const char16_t* end = p + s.size();
        if (state_ == Opening)
            p = open(p, end);
        if (p == end || state_ == Settled)
            return;
        if (state_ == InComment) {
            if (!cleansToNothing(p, end))
                settle(itemComment);
            return;
        }
        texts_[textCount_++] = {p, end};
    }
    // One of the writer's own characters: "=", ";" or a blank.
    void put(char16_t c) {
        if (state_ == Opening && open(&c, &c + 1) != &c)
            return;
        if (state_ == InComment && c > kSpace)
            settle(itemComment);
        else if (state_ == InFields && c == u'=')
            settle(itemValue);
    }
    void putLineEnd() {
        if (state_ == InFields) {
            for (int k = 0; k < textCount_; ++k) {
                const char16_t* at = scanTo(texts_[k].first, texts_[k].second, u'=');
                if (at < texts_[k].second) {
                    settle(*at == u'=' ? itemValue : itemError);
                    return;
                }
            }
            settle(itemError);
        } else if (state_ != Settled) {
            settle(itemBlank);
        }
    }
    int kind() const { return kind_; }
    // The kind is known: the rest of the line need not be put.
    bool settled() const { return state_ == Settled; }

private:
    enum State { Opening, InComment, InFields, Settled };

    void settle(int kind) {
        kind_ = kind;
        state_ = Settled;
    }

    // Past the blanks, the first character tells the line: returns where its comment or its
    // fields begin, or end.
    const char16_t* open(const char16_t* p, const char16_t* end) {
        while (p < end && isBlank(*p))
            ++p;
        if (p == end)
            return end;
        switch (lineOpening(*p)) {
        case LineOpening::Break:
        case LineOpening::Nul:
            settle(itemBlank); // the line would end at once
            return end;
        case LineOpening::Header:
            settle(readBackHeader);
            return end;
        case LineOpening::Comment:
            state_ = InComment;
            return p + 1;
        case LineOpening::Fields:
            state_ = InFields;
            return p;
        }
        return end;
    }

    State state_ = Opening;
    int kind_ = itemBlank;
    // A line holds three texts at most: a name, a value and a comment.
    std::pair<const char16_t*, const char16_t*> texts_[3];
    int textCount_ = 0;
};

// The kind of line an item is meant to be, as readBackKind tells kinds.
int lineKind(const TEkIniVal& item) {
    if (item.type >= itemError)
        return itemError;
    if (item.type == itemComment && item.comment.isEmpty())
        return itemBlank;
    return item.type;
}

// The first text of an item's written line, which tells its kind.
const QString& lineStartText(const TEkIniVal& item) {
    return item.type == itemValue ? item.name : item.type >= itemError ? item.value : item.comment;
}

inline void prefetch(const void* p) {
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(p);
#else
    (void)p;
#endif
}

// Runs through the document's items in file order from a given one, ahead of a walk over them.
class ItemCursor {
public:
    ItemCursor(const TIniSectionVec& sections, int section, int item)
        : sections_(sections), s_(section), i_(item - 1) {}
    // The next item, or null past the last.
    const TEkIniVal* next() {
        while (s_ < sections_.count) {
            const TIniValVec& values = sections_[s_]->values;
            if (++i_ < values.count)
                return values[i_];
            ++s_;
            i_ = -1;
        }
        return nullptr;
    }
    // Where the item next() gave last stands.
    int section() const { return s_; }
    int item() const { return i_; }

private:
    const TIniSectionVec& sections_;
    int s_;
    int i_;
};

void prefetchText(const TEkIniVal* item) {
    if (item)
        prefetch(units(lineStartText(*item)));
}

// A line of the document by place: section, and item within it (-1 for the header line).
struct LinePlace {
    int section = std::numeric_limits<int>::max();
    int item = -1;
    bool operator<(const LinePlace& o) const {
        return section != o.section ? section < o.section : item < o.item;
    }
};

// The first of `count` items from (section, item) on whose line reads back as another kind, or
// a place past every line.
LinePlace firstUnreadableItem(const TIniSectionVec& sections, int section, int item, qint64 count) {
    // The walk is over millions of items scattered across the heap, and each step (a section,
    // its array of items, an item, the text its line starts with) would wait for memory in turn.
    // Asking for them ahead, across the ends of sections, lets those waits overlap.
    constexpr int kSectionsAhead = 32;
    constexpr int kArraysAhead = 16;
    constexpr int kItemsAhead = 16;
    constexpr int kTextAhead = 8; // the item came in meanwhile
    ItemCursor items(sections, section, item);
    ItemCursor ahead(sections, section, item);
    ItemCursor texts(sections, section, item);
    for (int k = 0; k < kItemsAhead; ++k)
        prefetch(ahead.next());
    for (int k = 0; k < kTextAhead; ++k)
        prefetchText(texts.next());
    int lastSection = -1;
    for (qint64 k = 0; k < count; ++k) {
        const TEkIniVal& line = *items.next();
        prefetch(ahead.next());
        prefetchText(texts.next());
        if (const int s = ahead.section(); s != lastSection) {
            lastSection = s;
            if (s + kSectionsAhead < sections.count)
                prefetch(sections[s + kSectionsAhead]);
            if (s + kArraysAhead < sections.count)
                prefetch(sections[s + kArraysAhead]->values.data);
        }
        if (TEkMemIni::readBackKind(line) != lineKind(line))
            return {items.section(), items.item()};
    }
    return {};
}

// Items a part of the walk takes at the least: fewer are done sooner on one core than the
// threads take to start.
constexpr qint64 kItemsPerPart = qint64(1) << 18;

} // namespace

int TEkMemIni::readBackKind(const TEkIniVal& item) {
    LineReadBack line;
    writeItem(item, line);
    return line.kind();
}

bool TEkMemIni::findUnreadableLine(int& sectionIndex, int& itemIndex) const {
    // The headers first, with where each section's items begin in the run of all items, so that
    // the items can be walked in parts of equal length over the cores; every save waits for it.
    const int n = sections.count;
    std::vector<qint64> firstItem(size_t(n) + 1);
    LinePlace found;
    for (int s = 0; s < n; ++s) {
        constexpr int kSectionsAhead = 32;
        constexpr int kNamesAhead = 8; // the section came in meanwhile
        if (s + kSectionsAhead < n)
            prefetch(sections[s + kSectionsAhead]);
        if (s + kNamesAhead < n)
            prefetch(units(sections[s + kNamesAhead]->name));
        const TEkIniSection& section = *sections[s];
        const char16_t* name = units(section.name);
        if (found.section == std::numeric_limits<int>::max() &&
            headerNameEnd(name, name + section.name.size()) != name + section.name.size())
            found = {s, -1};
        firstItem[size_t(s) + 1] = firstItem[size_t(s)] + section.values.count;
    }
    const qint64 total = firstItem[size_t(n)];
    const int parts = platform::partsFor(total, kItemsPerPart);
    std::vector<LinePlace> partFound(static_cast<size_t>(parts));
    if (total > 0) {
        platform::runParts(parts, [&](int part) {
            const qint64 from = total * part / parts;
            const qint64 to = total * (part + 1) / parts;
            // The section holding item `from`: the last whose items begin at or before it.
            const auto at = std::upper_bound(firstItem.begin(), firstItem.end() - 1, from) - 1;
            const int s = int(at - firstItem.begin());
            partFound[size_t(part)] = firstUnreadableItem(sections, s, int(from - *at), to - from);
        });
    }
    for (const LinePlace& place : partFound)
        found = std::min(found, place);
    if (found.section == std::numeric_limits<int>::max())
        return false;
    sectionIndex = found.section;
    itemIndex = found.item;
    return true;
}

// --- Text ------------------------------------------------------------------------------------

int TEkMemIni::itemTextSize(const TEkIniVal& item) {
    return int(itemSize(item));
}

int TEkMemIni::sectionTextSize(int index) const {
    return int(sectionSize(*sections[index], writesHeader(sections, index)));
}

int TEkMemIni::documentTextSize() const {
    return int(documentSize(sections));
}

namespace {
// Writes every section; reports a text that does not have the size computed first.
void writeDocument(const TIniSectionVec& sections, qsizetype expected, TextWriter& w) {
    for (int i = 0; i < sections.count; ++i)
        writeSection(*sections[i], writesHeader(sections, i), w);
    w.finish();
    if (w.written() != expected)
        platform::ShowMessage(QStringLiteral("Memory Error!\r\nNumber of :") +
                              QString::number(w.written() - expected) + QStringLiteral(" Bytes"));
}

// Units of the text handed to an encoder at a time when saving in UTF-8 or ANSI.
constexpr qsizetype kEncodePiece = qsizetype(1) << 16;
} // namespace

QString TEkMemIni::buildText() const {
    const qsizetype n = documentSize(sections);
    if (n == 0)
        return QString();
    QString text(n, Qt::Uninitialized);
    TextWriter w(reinterpret_cast<char16_t*>(text.data()), n);
    writeDocument(sections, n, w);
    text.truncate(std::min(n, w.written()));
    return text;
}

// --- Saving ----------------------------------------------------------------------------------

bool TEkMemIni::SaveToStream(QIODevice& stream, int cp) const {
    if (sections.count == 0) {
        // Nothing to write but the mark of the document's own encoding.
        const QByteArrayView mark = writeBom ? markFor(codePage) : QByteArrayView();
        return writeBytes(stream, mark.data(), mark.size());
    }
    if (cp == codePageUtf16LE || cp == codePageUtf16BE) {
        // The text is the file's body: turned to the file's byte order in place, written after
        // the mark.
        QString text = buildText();
        const QByteArrayView mark = writeBom ? markFor(cp) : QByteArrayView();
        char16_t* u = reinterpret_cast<char16_t*>(text.data());
        if (cp == codePageUtf16LE)
            qToLittleEndian<char16_t>(u, text.size(), u);
        else
            qToBigEndian<char16_t>(u, text.size(), u);
        return writeBytes(stream, mark.data(), mark.size()) &&
               writeBytes(stream, reinterpret_cast<const char*>(u), text.size() * 2);
    }
    // UTF-8 and ANSI: the text is encoded piece by piece into one buffer that also holds the
    // mark, and written at once.
    const qsizetype n = documentSize(sections);
    QByteArray bytes;
    std::vector<char16_t> piece(size_t(std::min(n, kEncodePiece)) + 1);
    if (cp == codePageUtf8) {
        QStringEncoder encoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        const QByteArrayView mark = writeBom ? kMarkUtf8 : QByteArrayView();
        bytes.resize(mark.size() + encoder.requiredSpace(n));
        if (!mark.isEmpty())
            std::memcpy(bytes.data(), mark.data(), size_t(mark.size()));
        char* out = bytes.data() + mark.size();
        TextWriter w(piece.data(), qsizetype(piece.size()), [&](const char16_t* p, qsizetype k) {
            out = encoder.appendToBuffer(out, QStringView(p, k));
        });
        writeDocument(sections, n, w);
        bytes.truncate(out - bytes.constData());
    } else {
        bytes.reserve(n);
        TextWriter w(piece.data(), qsizetype(piece.size()), [&](const char16_t* p, qsizetype k) {
            bytes.append(platform::ansiEncode(QStringView(p, k)));
        });
        writeDocument(sections, n, w);
    }
    return writeBytes(stream, bytes.constData(), bytes.size());
}

QByteArray TEkMemIni::saveToBytes(int cp) const {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    SaveToStream(buffer, cp);
    return bytes;
}

bool TEkMemIni::SaveToFile(const QString& name, int cp, QString* errorString) {
    const platform::SaveResult saved =
        platform::saveFile(name, [&](QIODevice& file) { return SaveToStream(file, cp); });
    if (!saved) {
        if (errorString)
            *errorString = saved.error;
        return false;
    }
    fileName = name;
    return true;
}
