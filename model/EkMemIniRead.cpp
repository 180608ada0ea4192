// Reading a document: the encoding detected, the file read in steps, each step's whole lines
// decoded to UTF-16 and parsed into sections and items.
#include "model/EkMemIni.h"

#include "model/EkMemIniBlocks.h"
#include "model/EkMemIniPrivate.h"
#include "platform/core/SysUtils.h"

#include <QBuffer>
#include <QFile>
#include <QtEndian>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

using namespace ekmemini;

namespace {

// --- Scanning a line -------------------------------------------------------------------------

bool endsLine(char16_t c) {
    return c == kCr || c == kLf || c == kNul;
}

// scanTo eight at a time. Values and comments run to tens of characters, so many at a time pay;
// the three line ends are caught as one test for units at or below CR, and the few others it
// catches (a TAB) are passed over one by one.
const char16_t* scanToBy8(const char16_t* p, const char16_t* end, char16_t stop) {
#if defined(__SSE2__)
    const __m128i wantStop = _mm_set1_epi16(short(stop));
    const __m128i lastControl = _mm_set1_epi16(short(kCr));
    const __m128i zero = _mm_setzero_si128();
    for (; end - p >= 8; p += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i hit =
            _mm_or_si128(_mm_cmpeq_epi16(v, wantStop), _mm_cmpeq_epi16(_mm_subs_epu16(v, lastControl), zero));
        for (quint32 mask = quint32(_mm_movemask_epi8(hit)); mask != 0; mask &= mask - 1, mask &= mask - 1) {
            const char16_t* at = p + qCountTrailingZeroBits(mask) / 2;
            if (*at == stop || endsLine(*at))
                return at;
        }
    }
#endif
    while (p < end) {
        const char16_t c = *p;
        if (c == stop || (c <= kCr && endsLine(c)))
            break;
        ++p;
    }
    return p;
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define VELQUIN_SCAN_BY_16
// The same sixteen at a time, on processors that can.
__attribute__((target("avx2"))) const char16_t* scanToBy16(const char16_t* p, const char16_t* end,
                                                           char16_t stop) {
    const __m256i wantStop = _mm256_set1_epi16(short(stop));
    const __m256i lastControl = _mm256_set1_epi16(short(kCr));
    const __m256i zero = _mm256_setzero_si256();
    for (; end - p >= 16; p += 16) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        const __m256i hit = _mm256_or_si256(_mm256_cmpeq_epi16(v, wantStop),
                                            _mm256_cmpeq_epi16(_mm256_subs_epu16(v, lastControl), zero));
        for (quint32 mask = quint32(_mm256_movemask_epi8(hit)); mask != 0;
             mask &= mask - 1, mask &= mask - 1) {
            const char16_t* at = p + qCountTrailingZeroBits(mask) / 2;
            if (*at == stop || endsLine(*at))
                return at;
        }
    }
    return scanToBy8(p, end, stop);
}

bool canScanBy16() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}
const bool kScanBy16 = canScanBy16();
#endif

} // namespace

const char16_t* ekmemini::scanTo(const char16_t* p, const char16_t* end, char16_t stop) {
#if defined(VELQUIN_SCAN_BY_16)
    if (kScanBy16)
        return scanToBy16(p, end, stop);
#endif
    return scanToBy8(p, end, stop);
}

namespace {

// First position in [p, end) holding CR, LF or NUL, or end.
const char16_t* scanLineEnd(const char16_t* p, const char16_t* end) {
    return scanTo(p, end, kNul);
}

// A CR is a line break of its own, and a CR LF pair one break; a NUL is not consumed.
const char16_t* consumeBreak(const char16_t* p, const char16_t* end) {
    if (p < end && *p == kCr) {
        ++p;
        if (p < end && *p == kLf)
            ++p;
    } else if (p < end && *p == kLf) {
        ++p;
    }
    return p;
}

// --- The parser ------------------------------------------------------------------------------

// Turns whole lines of text into sections and items. Fed piece by piece, each piece ending
// after a line break, except the last one, which ends the text.
class LineParser {
public:
    enum Stop { Running, StoppedAtNul, BrokenHeader };

    LineParser(TEkMemIni& doc, qint64 fileSize)
        : doc_(doc), sectionsBefore_(doc.sections.count), section_(doc.addSection(QString())),
          texts_(fileSize), share_(fileSize, texts_), items_(fileSize) {}

    // False when the parse stopped: at a NUL, or at a broken header line.
    bool parse(const char16_t* p, const char16_t* end) {
        while (p < end) {
            while (p < end && isBlank(*p))
                ++p;
            if (p == end)
                break;
            const bool first = atTextStart_;
            atTextStart_ = false;
            switch (lineOpening(*p)) {
            case LineOpening::Break:
                section_->values.push(items_.make(itemBlank));
                p = consumeBreak(p, end);
                break;
            case LineOpening::Nul:
                stop_ = StoppedAtNul;
                return false;
            case LineOpening::Comment: {
                const char16_t* e = scanLineEnd(p + 1, end);
                TEkIniVal* item = items_.make(itemComment);
                section_->values.push(item);
                assignComment(*item, p + 1, e);
                p = consumeBreak(e, end);
                break;
            }
            case LineOpening::Header:
                // A header on the first line names the top section itself.
                if (!first)
                    section_ = doc_.addSection(QString());
                p = parseHeader(p + 1, end);
                if (!p) {
                    stop_ = BrokenHeader;
                    return false;
                }
                break;
            case LineOpening::Fields:
                p = parseValueLine(p, end);
                break;
            }
        }
        return true;
    }

    Stop stop() const { return stop_; }

    // The lines parsed so far that made an item or a section.
    qint64 lines() const { return items_.made() + (doc_.sections.count - sectionsBefore_); }

private:
    // Returns the position after the line, or null for a broken header.
    const char16_t* parseHeader(const char16_t* p, const char16_t* end) {
        const char16_t* close = headerNameEnd(p, end);
        if (close == end || *close != u']')
            return nullptr;
        const auto [nameFirst, nameEnd] = trimmedBounds(p, close);
        section_->name = texts_.make(nameFirst, nameEnd);
        const char16_t* q = scanTo(close + 1, end, u';');
        if (q < end && *q == u';') {
            const char16_t* e = scanLineEnd(q + 1, end);
            section_->comment = texts_.make(q + 1, e);
            q = e;
        }
        return consumeBreak(q, end);
    }

    // The text of a comment line, cleaned as setComment cleans it. Without control characters
    // the cleaning only drops the blanks around it, and the trimmed text can be shared; the shared
    // text must be the field's final text, as later lines compare against it.
    void assignComment(TEkIniVal& item, const char16_t* first, const char16_t* end) {
        const char16_t* b = first;
        const char16_t* e = end;
        while (b < e && isBlank(*b))
            ++b;
        while (e > b && isBlank(e[-1]))
            --e;
        if (std::any_of(b, e, [](char16_t c) { return c < 0x20 && c != kTab; })) {
            item.setComment(fromRange(first, end));
            return;
        }
        share_.assign(TextShare::Comment, item.comment, b, e);
        item.updateType();
    }

    const char16_t* parseValueLine(const char16_t* p, const char16_t* end) {
        TEkIniVal* item = items_.make(itemValue);
        section_->values.push(item);
        const char16_t* eq = scanTo(p, end, u'=');
        if (eq < end && *eq == u'=') {
            share_.assignLeadingField(TextShare::Name, item->name, p, eq);
            const char16_t* semi = scanTo(eq + 1, end, u';');
            share_.assignTrimmed(TextShare::Value, item->value, eq + 1, semi);
            if (semi < end && *semi == u';') {
                const char16_t* e = scanLineEnd(semi + 1, end);
                share_.assignTrimmed(TextShare::Comment, item->comment, semi + 1, e);
                semi = e;
            }
            return consumeBreak(semi, end);
        }
        share_.assignLeadingField(TextShare::Value, item->value, p, eq);
        item->type = itemError;
        return consumeBreak(eq, end);
    }

    TEkMemIni& doc_;
    int sectionsBefore_;
    TEkIniSection* section_;
    TextBlocks texts_;
    TextShare share_;
    TEkItemBlocks items_;
    bool atTextStart_ = true;
    Stop stop_ = Running;
};

// --- Encodings -------------------------------------------------------------------------------

struct ReaderKind {
    int codePage;
    int unitSize;    // bytes per code unit of the file
    int minimumSize; // a smaller stream is not parsed at all
    QByteArrayView mark;
};

ReaderKind readerFor(int codePage) {
    switch (codePage) {
    case codePageUtf8:
        return {codePageUtf8, 1, 1, kMarkUtf8};
    case codePageUtf16LE:
        return {codePageUtf16LE, 2, 2, kMarkUtf16LE};
    case codePageUtf16BE:
        return {codePageUtf16BE, 2, 2, kMarkUtf16BE};
    default:
        return {codePageAnsi, 1, 1, QByteArrayView()};
    }
}

constexpr qint64 kReadChunk = TEkMemIni::kReadStepBytes;
constexpr qsizetype kDecodeStep = 1 << 15;

// Decodes whole lines of file bytes into UTF-16 units.
class PieceDecoder {
public:
    explicit PieceDecoder(int codePage) : codePage_(codePage) {}

    // Decodes [bytes, bytes + n); n is a multiple of the unit size. The result lives until the
    // next call.
    std::pair<const char16_t*, const char16_t*> decode(const char* bytes, qsizetype n) {
        if (n == 0)
            return {nullptr, nullptr};
        switch (codePage_) {
        case codePageUtf8: {
            // Qt's one-call conversion is a third faster than its decoder objects on text outside
            // ASCII and reads every byte alike, but drops marks at the start. The reader skips the
            // file's mark itself; any other is text and stays.
            qsizetype marks = 0;
            while (n - marks >= kMarkUtf8.size() &&
                   QByteArrayView(bytes + marks, kMarkUtf8.size()) == kMarkUtf8)
                marks += kMarkUtf8.size();
            text_ = QString(); // its memory serves the next piece
            text_ = QString::fromUtf8(bytes + marks, n - marks);
            if (marks > 0)
                text_.prepend(QString(marks / kMarkUtf8.size(), QChar(0xFEFF)));
            const char16_t* first = units(text_);
            return {first, first + text_.size()};
        }
        case codePageUtf16LE:
        case codePageUtf16BE: {
            const qsizetype count = n / 2;
            ensure(count);
            if (codePage_ == codePageUtf16LE)
                qFromLittleEndian<char16_t>(bytes, count, buffer_.data());
            else
                qFromBigEndian<char16_t>(bytes, count, buffer_.data());
            return {buffer_.data(), buffer_.data() + count};
        }
        default:
            ensure(n);
            platform::ansiDecodeInto(QByteArrayView(bytes, n), buffer_.data());
            return {buffer_.data(), buffer_.data() + n};
        }
    }

private:
    void ensure(qsizetype n) {
        if (qsizetype(buffer_.size()) < n)
            buffer_.resize(size_t(n));
    }

    int codePage_;
    QString text_; // UTF-8
    std::vector<char16_t> buffer_;
};

char16_t unitAt(const char* p, int unitSize, int codePage) {
    if (unitSize == 1)
        return char16_t(uchar(*p));
    return codePage == codePageUtf16LE ? qFromLittleEndian<char16_t>(p) : qFromBigEndian<char16_t>(p);
}

// The end of the last complete line within bytes [0, n), searching no further back than
// `from`; 0 when there is none. A CR at the very end does not count: an LF may follow it. In
// UTF-8 and ANSI the two line-break bytes never occur inside a longer character.
qsizetype lastLineEnd(const char* bytes, qsizetype n, qsizetype from, int unitSize, int codePage) {
    const qsizetype count = n / unitSize;
    for (qsizetype i = count - 1; i >= 0 && i >= from / unitSize; --i) {
        const char16_t u = unitAt(bytes + i * unitSize, unitSize, codePage);
        if (u == kLf || (u == kCr && i < count - 1))
            return (i + 1) * unitSize;
    }
    return 0;
}

// The most one line can take of memory: an item (a section takes no more), its place in its
// section's list with room to grow, and that list's move as it grows. A line is at least one
// code unit, its line break; its characters take two bytes each, far less than a line.
constexpr qint64 kLineBytes = qint64(sizeof(TEkIniVal)) + 4 * qint64(sizeof(void*));
// The least a byte of the file takes of memory: a character kept takes two bytes and at most three
// of UTF-8, and most lines take far more than their characters; only blanks, which are not kept,
// take less.
constexpr double kLeastPerByte = 1.0 / 3;
// The part of a line that is not read yet: the buffer that holds it may double, and once it has
// ended, its text decoded and its text kept take two bytes a character each.
constexpr double kHeldBytes = 2;
constexpr double kHeldCharacterBytes = 4;
// What the program needs besides the document to go on: the reader's buffers, and the caller's
// own steps once the load is done, a message among them.
constexpr qint64 kKeepBytes = qint64(16) << 20;
// The stretches of the file between two looks at the memory left: the least, and the longest
// when there is memory to spare.
constexpr qint64 kLeastStretch = qint64(16) << 10;
constexpr qint64 kLongestStretch = qint64(32) << 20;

// Whether what a load has still to make fits in the memory left. A document takes from about its
// text to some ten times its file, by the length of its lines, which may change anywhere along
// the file; and a system that promises memory it does not have ends a load that takes more than
// there is by killing the program rather than with the program's message. So nothing is told
// from the lines read so far about those still to come but what they must take at least (a third
// of their bytes) and at most (a line a code unit). Each look asks the system what is really left,
// which what the lines so far took has lowered, keeps aside what must still come (the rest at
// least, the line not read to its end, what the caller will take for the lines so far), and lets
// the load read on for as long as the rest of the memory covers at worst; the less there is to
// spare, the sooner it looks again.
class MemoryCheck {
public:
    // `total`: the bytes the load will read; `shownLineBytes`: what the caller will take for each
    // line besides the document (TEkMemIni::shownLineBytes).
    MemoryCheck(qint64 total, int unitSize, qint64 shownLineBytes)
        : total_(total), unitSize_(unitSize), shownLineBytes_(shownLineBytes),
          due_(total > kLeastStretch ? 0 : total + 1) {}

    // The load may read up to here before it looks again.
    qint64 due() const { return due_; }

    // False when the rest does not fit: `read` bytes were read so far, which made `lines` lines,
    // and of which the last `held` are a line not read to its end. Each call asks the system.
    bool fits(qint64 read, qint64 lines, qint64 held) {
        const qint64 rest = total_ - read;
        const double mostPerByte = double(kLineBytes + shownLineBytes_) / unitSize_;
        const double spare = double(platform::memoryLeft()) - double(rest) * kLeastPerByte -
                             double(held) * (kHeldBytes + kHeldCharacterBytes / unitSize_) -
                             double(lines) * double(shownLineBytes_) - double(kKeepBytes);
        const qint64 least = std::min(rest, kLeastStretch);
        if (spare < mostPerByte * double(least))
            return false;
        due_ = read + std::clamp(qint64(spare / mostPerByte), least, kLongestStretch);
        return true;
    }

private:
    qint64 total_;
    int unitSize_;
    qint64 shownLineBytes_;
    qint64 due_;
};

// Skips the reader's byte-order mark; without it the reader starts over at the start of the
// stream, not where it stood.
void skipMark(QIODevice& stream, const ReaderKind& kind) {
    if (kind.mark.isEmpty())
        return;
    const QByteArray head = stream.read(kind.mark.size());
    if (QByteArrayView(head) != kind.mark)
        stream.seek(0);
}

// The steps of one load after its mark: every byte from the position to the size the stream had
// when the load began is read, in pieces as the memory check allows, and the whole lines of each
// piece decoded and parsed; the piece of a line not yet ended waits for the next.
class StreamLoad {
public:
    StreamLoad(TEkMemIni& doc, QIODevice& stream, const ReaderKind& kind, qint64 size, MemoryCheck& memory)
        : doc_(doc), stream_(stream), kind_(kind), memory_(memory), parser_(doc, size),
          decoder_(kind.codePage), left_(std::max<qint64>(size - stream.pos(), 0)), total_(left_) {}

    // Reads to the size: nothing, or what ends the load. A file that ends sooner was changed
    // under the load, and its start is not the document.
    std::optional<int> readWholeLines() {
        while (true) {
            const qint64 read = total_ - left_;
            if (read >= memory_.due() && !memory_.fits(read, parser_.lines(), have_))
                return loadOutOfMemory;
            const qint64 want = std::min({left_, kReadChunk, memory_.due() - read});
            qint64 got = 0;
            if (want > 0) {
                if (have_ + want > qsizetype(pending_.size()))
                    pending_.resize(std::max<size_t>(pending_.size() * 2, size_t(have_ + want)));
                got = stream_.read(pending_.data() + have_, want);
                if (got < 0)
                    return loadCannotOpen; // a failing device must not pass for a shorter file
                if (got == 0)
                    return loadUnreadable; // cut short while it was read
                left_ -= got;
            }
            const qsizetype before = have_;
            have_ += got;
            if (left_ == 0)
                return std::nullopt;
            const qsizetype cut =
                lastLineEnd(pending_.data(), have_, std::max<qsizetype>(before - kind_.unitSize, 0),
                            kind_.unitSize, kind_.codePage);
            if (cut == 0)
                continue;
            if (!parseLines(pending_.data(), cut))
                return loadUnreadable; // a NUL followed by more lines, or a broken header
            std::memmove(pending_.data(), pending_.data() + cut, size_t(have_ - cut));
            have_ -= cut;
        }
    }

    // The last piece ends the text: an odd byte of UTF-16 is dropped, and the trailing NULs,
    // TABs and spaces are not part of the text. Any NUL that remains stops the parse before the
    // end of the text, and what would follow it must not be dropped silently.
    int parseLastPiece() {
        have_ -= have_ % kind_.unitSize;
        const qsizetype lines = lastLineEnd(pending_.data(), have_, 0, kind_.unitSize, kind_.codePage);
        if (!parseLines(pending_.data(), lines))
            return loadUnreadable;
        auto [first, end] = decoder_.decode(pending_.data() + lines, have_ - lines);
        while (end > first && (end[-1] == kNul || end[-1] == kTab || end[-1] == kSpace))
            --end;
        if (!parser_.parse(first, end))
            return loadUnreadable;
        doc_.codePage = kind_.codePage;
        return kind_.codePage;
    }

private:
    // Whole lines are decoded and parsed in pieces of about kDecodeStep bytes: the decoded text
    // of a piece stays in the processor's cache, and the heap hands the same memory back for
    // every piece instead of new pages.
    bool parseLines(const char* bytes, qsizetype n) {
        for (qsizetype at = 0; at < n;) {
            qsizetype stop = n;
            if (n - at > kDecodeStep) {
                const qsizetype inside =
                    lastLineEnd(bytes, at + kDecodeStep, at, kind_.unitSize, kind_.codePage);
                if (inside > at)
                    stop = inside;
            }
            const auto [first, end] = decoder_.decode(bytes + at, stop - at);
            if (!parser_.parse(first, end))
                return false;
            at = stop;
        }
        return true;
    }

    TEkMemIni& doc_;
    QIODevice& stream_;
    const ReaderKind& kind_;
    MemoryCheck& memory_;
    LineParser parser_;
    PieceDecoder decoder_;
    qint64 left_;               // bytes still to read
    qint64 total_;              // bytes to read in all
    std::vector<char> pending_; // bytes read but not parsed yet: the start of an unfinished line
    qsizetype have_ = 0;
};

// Reads the stream from its current position with one of the four readers. `opened` is the
// stamp of the file the stream reads, taken before its first read.
int readStream(TEkMemIni& doc, QIODevice& stream, int codePage,
               const std::optional<platform::FileStamp>& opened) {
    const ReaderKind kind = readerFor(codePage);
    if (kind.codePage != codePageUtf8)
        doc.codePage = kind.codePage;
    const qint64 size = stream.size(); // the whole stream, wherever its position stands
    if (size < kind.minimumSize)
        return kind.codePage;
    skipMark(stream, kind);
    MemoryCheck memory(std::max<qint64>(size - stream.pos(), 0), kind.unitSize, doc.shownLineBytes);
    if (memory.due() == 0 && !memory.fits(0, 0, 0))
        return loadOutOfMemory;
    StreamLoad load(doc, stream, kind, size, memory);
    if (const std::optional<int> failed = load.readWholeLines())
        return *failed;
    // A file written while it was read may hold lines of two versions: like one cut short, it is
    // not the document.
    if (opened && platform::fileStamp(stream) != opened)
        return loadUnreadable;
    return load.parseLastPiece();
}

} // namespace

// --- Loading ---------------------------------------------------------------------------------

int TEkMemIni::detectEncoding(QIODevice& stream) {
    constexpr int kProbe = 200;
    unsigned char b[kProbe] = {};
    const qint64 n = std::max<qint64>(stream.read(reinterpret_cast<char*>(b), kProbe), 0);
    stream.seek(0);
    if (b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF)
        return codePageUtf8;
    if (b[0] == 0 && b[1] == 0 && b[2] == 0xFE && b[3] == 0xFF)
        return codePageUtf32BE;
    // A 32-bit mark takes four bytes: FF FE and less than two more is UTF-16LE (an emptied
    // document, or one whose odd last byte a load drops), not the zeros past the end of the file.
    if (n >= 4 && b[0] == 0xFF && b[1] == 0xFE && b[2] == 0 && b[3] == 0)
        return codePageUtf32LE;
    if (b[0] == 0xFE && b[1] == 0xFF)
        return codePageUtf16BE;
    if (b[0] == 0xFF && b[1] == 0xFE)
        return codePageUtf16LE;
    int evenZeros = 0;
    int oddZeros = 0;
    for (qint64 i = 0; i < std::min<qint64>(n, 20); ++i) {
        if (b[i] == 0)
            ++(i % 2 == 0 ? evenZeros : oddZeros);
    }
    if (evenZeros > 1)
        return codePageUtf16BE;
    if (oddZeros > 1)
        return codePageUtf16LE;
    for (qint64 i = 0; i + 5 <= n; ++i) {
        if ((b[i] | 0x20) == 'u' && (b[i + 1] | 0x20) == 't' && (b[i + 2] | 0x20) == 'f' && b[i + 3] == '-' &&
            b[i + 4] == '8')
            return codePageUtf8;
    }
    return codePageUnknown;
}

namespace {
// Every load of a stream, with detection when `detect` is set. The stamp of a stream that is a
// file is taken before the first read, the detection's included.
int loadStream(TEkMemIni& doc, QIODevice& stream, int codePage, bool detect) {
    const std::optional<platform::FileStamp> opened = platform::fileStamp(stream);
    if (detect)
        codePage = TEkMemIni::detectEncoding(stream);
    if (codePage == codePageUtf32LE || codePage == codePageUtf32BE) {
        platform::ShowMessage(QStringLiteral("32bit File Types are not supported."));
        return codePageAnsi;
    }
    const int before = doc.sections.count;
    int status;
    try {
        status = readStream(doc, stream, codePage, opened);
    } catch (const std::bad_alloc&) {
        status = loadOutOfMemory;
    }
    if (status == loadOutOfMemory) {
        for (int i = doc.sections.count - 1; i >= before; --i) {
            delete doc.sections[i];
            doc.sections.erase(i);
        }
    }
    return status;
}
} // namespace

int TEkMemIni::LoadFromStream(QIODevice& stream, int codePage) {
    return loadStream(*this, stream, codePage, false);
}

int TEkMemIni::loadFromBytes(const QByteArray& bytes, int codePage) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return LoadFromStream(buffer, codePage);
}

namespace {
// Shared by the two file loaders; `codePage` < 0 asks for detection.
int loadFile(TEkMemIni& doc, const QString& fileName, int codePage) {
    doc.codePage = codePageUnknown;
    doc.fileName = fileName;
    switch (platform::fileKind(fileName)) {
    case platform::FileKind::Missing:
    case platform::FileKind::Folder:
        return loadFileMissing;
    case platform::FileKind::Special:
        return loadNotRegularFile;
    case platform::FileKind::Regular:
        break;
    }
    QFile file(fileName);
    switch (platform::openForReading(file, QIODevice::Unbuffered)) {
    case platform::OpenOutcome::Opened:
        break;
    case platform::OpenOutcome::Missing:
        return loadFileMissing;
    case platform::OpenOutcome::NotRegularFile:
        return loadNotRegularFile;
    case platform::OpenOutcome::Failed:
        return loadCannotOpen;
    }
    return loadStream(doc, file, codePage, codePage < 0);
}
} // namespace

int TEkMemIni::LoadFromFile(const QString& name) {
    return loadFile(*this, name, -1);
}

int TEkMemIni::LoadFromFileAs(const QString& name, int cp) {
    return loadFile(*this, name, cp < 0 ? codePageAnsi : cp);
}
