#include "model/EkMemIni.h"

#include "platform/core/FileSave.h"
#include "platform/core/SysUtils.h"

#include <QBuffer>
#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QtEndian>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__)
#include <immintrin.h>
#endif
#if defined(__linux__)
#include <sys/mman.h>
#endif

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

namespace {

constexpr char16_t kNul = 0;
constexpr char16_t kTab = u'\t';
constexpr char16_t kLf = u'\n';
constexpr char16_t kCr = u'\r';
constexpr char16_t kSpace = u' ';

const char16_t* units(const QString& s) {
    return reinterpret_cast<const char16_t*>(s.constData());
}
QString fromRange(const char16_t* first, const char16_t* end) {
    // A default-constructed QString costs no allocation; most items leave a field empty.
    return first == end ? QString() : QString(reinterpret_cast<const QChar*>(first), end - first);
}

// --- Text cleaning of the setters ------------------------------------------------------------

// The blanks that the setters and the parser skip before a text.
bool isBlank(char16_t c) {
    return c == kSpace || c == kTab;
}
bool isDroppedControl(char16_t c) {
    return c < 0x20 && c != kTab && c != kLf;
}

// Leading blanks skipped, LF becomes a space, other controls but TAB dropped, leading and
// trailing blanks of the result removed. A text that needs none of this is shared, not copied.
QString cleanText(const QString& text) {
    const char16_t* p = units(text);
    const char16_t* end = p + text.size();
    while (p < end && isBlank(*p))
        ++p;
    bool hasControl = false;
    for (const char16_t* q = p; q < end; ++q) {
        if (*q < 0x20 && *q != kTab) {
            hasControl = true;
            break;
        }
    }
    if (!hasControl) {
        while (end > p && isBlank(end[-1]))
            --end;
        if (p == units(text) && end == units(text) + text.size())
            return text;
        return fromRange(p, end);
    }
    QString out(end - p, Qt::Uninitialized);
    char16_t* w = reinterpret_cast<char16_t*>(out.data());
    char16_t* const start = w;
    for (; p < end; ++p) {
        if (*p == kLf)
            *w++ = kSpace;
        else if (!isDroppedControl(*p))
            *w++ = *p;
    }
    while (w > start && isBlank(w[-1]))
        --w;
    // Blanks that stood behind a dropped control character are leading blanks of the result
    // all the same; kept, they would be lost at the next load and the text would change.
    const char16_t* from = start;
    while (from < w && isBlank(*from))
        ++from;
    if (from == w)
        return QString();
    if (from > start)
        return fromRange(from, w);
    out.truncate(w - start);
    return out;
}

// --- The parser ------------------------------------------------------------------------------

// The parser's trimming: the range [first, end) loses characters at or below U+0020 at both
// ends, but a range made only of them keeps its last one ("key=   " gives the value " ").
std::pair<const char16_t*, const char16_t*> trimmedBounds(const char16_t* first, const char16_t* end) {
    if (first == end)
        return {first, end};
    const char16_t* last = end - 1;
    while (first < last && *first <= kSpace)
        ++first;
    while (last > first && *last <= kSpace)
        --last;
    return {first, last + 1};
}

QString trimmedRange(const char16_t* first, const char16_t* end) {
    const auto [b, e] = trimmedBounds(first, end);
    return fromRange(b, e);
}

// The range of a line's first field (a name, or the text of a line without "="), which starts
// at the line's first character after its spaces and TABs: a control character there is part of
// the text, so that the line is written back as it was read rather than as a header or a
// comment line. Only the end is trimmed.
std::pair<const char16_t*, const char16_t*> leadingFieldBounds(const char16_t* first, const char16_t* end) {
    if (first == end)
        return {first, end};
    const char16_t* last = end - 1;
    while (last > first && *last <= kSpace)
        --last;
    return {first, last + 1};
}

// A text of 1 to 24 units as six words of four units, read from its start and from its end so
// that they overlap rather than run past it (unused words are 0): equal lengths and equal words
// are equal texts, compared and hashed without a loop or a call.
struct ShortText {
    static constexpr qsizetype kLongest = 24;
    quint64 w[6] = {};
    qsizetype n = 0;

    ShortText(const char16_t* p, qsizetype length) : n(length) {
        if (n < 4) {
            for (qsizetype i = 0; i < n; ++i)
                w[0] |= quint64(p[i]) << (16 * i);
            return;
        }
        w[0] = load(p);
        w[1] = load(p + n - 4);
        if (n > 8) {
            w[2] = load(p + 4);
            w[3] = load(p + n - 8);
            if (n > 16) {
                w[4] = load(p + 8);
                w[5] = load(p + n - 12);
            }
        }
    }
    quint64 hash() const {
        constexpr quint64 k1 = 0x9E3779B97F4A7C15ull, k2 = 0xC2B2AE3D27D4EB4Full, k3 = 0x165667B19E3779F9ull;
        const quint64 h = ((w[0] ^ quint64(n)) * k1) + ((w[1] ^ std::rotl(w[2], 21)) * k2) +
                          ((w[3] ^ std::rotl(w[4], 42) ^ w[5]) * k3);
        return h ^ (h >> 31);
    }
    bool sameWords(const quint64 (&other)[6]) const {
        return ((w[0] ^ other[0]) | (w[1] ^ other[1]) | (w[2] ^ other[2]) | (w[3] ^ other[3]) |
                (w[4] ^ other[4]) | (w[5] ^ other[5])) == 0;
    }
    // Writes the text and a NUL after it; `out` has room for max(n + 1, 4) units.
    void store(char16_t* out) const {
        put(out, w[0]); // a text of fewer than 4 units is followed by zeros in its word
        if (n >= 4) {
            put(out + n - 4, w[1]);
            if (n > 8) {
                put(out + 4, w[2]);
                put(out + n - 8, w[3]);
                if (n > 16) {
                    put(out + 8, w[4]);
                    put(out + n - 12, w[5]);
                }
            }
        }
        out[n] = kNul;
    }

private:
    static quint64 load(const char16_t* p) {
        quint64 word;
        std::memcpy(&word, p, sizeof word);
        return word;
    }
    static void put(char16_t* p, quint64 word) { std::memcpy(p, &word, sizeof word); }
};

// The texts of one load, many to a block. A heap block of its own for each of millions of fields
// costs a trip through malloc, a header of the allocator's and one of the string's, and padding:
// more than the text itself for most fields. A block here is one of Qt's own string allocations,
// and each field a QString that points into it, its text followed by a NUL as every QString's is;
// the block's count of references is the number of strings that point into it, so it is freed with
// the last of them, and a string changed later detaches or grows in place like any other.
//
// While a block is being filled its count holds a large bias instead of one reference per string
// handed out (an atomic increment for each of millions of strings costs more than copying their
// texts); the bias is traded for the true number when the block is closed.
class TextBlocks {
public:
    explicit TextBlocks(qint64 fileSize)
        : nextUnits_(std::clamp<qint64>(fileSize, kFirstUnits, kLargestUnits)) {}
    ~TextBlocks() { close(); }
    TextBlocks(const TextBlocks&) = delete;
    TextBlocks& operator=(const TextBlocks&) = delete;

    // The text of [first, end) as a string in a block of this load.
    QString make(const char16_t* first, const char16_t* end) {
        const qsizetype n = end - first;
        if (n == 0)
            return QString();
        if (n + 1 > end_ - free_ && !startBlock(n + 1))
            return fromRange(first, end); // too long to share a block
        std::memcpy(free_, first, size_t(n) * sizeof(char16_t));
        free_[n] = kNul;
        return handOut(n);
    }
    QString make(const ShortText& text) {
        if (end_ - free_ < std::max<qsizetype>(text.n + 1, 4))
            startBlock(ShortText::kLongest + 1);
        text.store(free_);
        return handOut(text.n);
    }

private:
    using Block = QTypedArrayData<char16_t>;
    static constexpr int kBias = 1 << 24; // above the strings a block can hold
    static constexpr qint64 kFirstUnits = 2048;
    static constexpr qint64 kLargestUnits = qint64(1) << 19; // 1 MB
    static constexpr qint64 kPage = 4096;
    static_assert(kFirstUnits / 4 > ShortText::kLongest, "every short text fits a new block");

    QString handOut(qsizetype n) {
        char16_t* text = free_;
        free_ += n + 1;
        ++handed_;
        return QString(QString::DataPointer(block_, text, n));
    }

    // False when a text of `units` would take more than a quarter of the next block.
    bool startBlock(qsizetype units) {
        if (units > nextUnits_ / 4)
            return false;
        close();
        const auto [block, data] = Block::allocate(nextUnits_);
        if (!block)
            throw std::bad_alloc();
        block->ref_.storeRelaxed(kBias);
        block_ = block;
        free_ = data;
        end_ = data + block->alloc;
#if defined(MADV_POPULATE_WRITE)
        // The largest blocks get their pages made in one call rather than a fault for every 4 KB.
        if (nextUnits_ == kLargestUnits) {
            const quintptr first = (quintptr(free_) + kPage - 1) & ~quintptr(kPage - 1);
            const quintptr last = quintptr(end_) & ~quintptr(kPage - 1);
            if (last > first)
                madvise(reinterpret_cast<void*>(first), last - first, MADV_POPULATE_WRITE);
        }
#endif
        nextUnits_ = std::min(nextUnits_ * 2, kLargestUnits);
        return true;
    }

    void close() {
        if (!block_)
            return;
        if (block_->ref_.fetchAndAddOrdered(int(handed_) - kBias) == kBias - int(handed_))
            Block::deallocate(block_);
        block_ = nullptr;
        free_ = end_ = nullptr;
        handed_ = 0;
    }

    Block* block_ = nullptr;
    char16_t* free_ = nullptr;
    char16_t* end_ = nullptr;
    qsizetype handed_ = 0;
    qint64 nextUnits_;
};

// Hands out one shared QString for short texts that recur within a file (names repeated from
// section to section, values like "1" or "true", recurring comments): a shared string costs no
// memory of its own. A slot keeps the words of the last text of its hash and where that text
// lives (a field of an item made by this load, which stays put until the load ends), so a lookup,
// hit or miss, touches nothing but the slot: the older item and its block are long out of the
// cache. For the same reason the references that hits take are owed to the block and paid when
// the slot is given to another text or the table goes: the strings made by a load live until it
// ends. A kind of field whose texts keep missing (unique numbers and ids) is left alone for a
// while, as a lookup that never hits only costs time.
class TextShare {
public:
    enum Field { Name, Value, Comment, FieldCount };

    // A small file gets a small table: the table is made and destroyed with every load.
    explicit TextShare(qint64 fileSize, TextBlocks& texts) : texts_(texts) {
        while (slotBits_ < kMaxSlotBits && (qint64(1) << slotBits_) * kBytesPerSlot < fileSize)
            ++slotBits_;
        slots_.resize(size_t(1) << slotBits_);
    }
    ~TextShare() {
        for (Slot& slot : slots_)
            settle(slot);
    }
    TextShare(const TextShare&) = delete;
    TextShare& operator=(const TextShare&) = delete;

    // target := the text of [first, end), shared with an earlier field of equal text when the
    // table still knows one. `target` must keep its text until this table is gone.
    void assign(Field field, QString& target, const char16_t* first, const char16_t* end) {
        const qsizetype n = end - first;
        Trend& trend = trends_[field];
        if (n == 0 || n > ShortText::kLongest || trend.resting > 0) {
            trend.resting -= trend.resting > 0;
            target = texts_.make(first, end);
            return;
        }
        const ShortText text(first, n);
        Slot& slot = slots_[size_t(text.hash() >> (64 - slotBits_))];
        if (slot.length == n && text.sameWords(slot.words)) {
            ++slot.owed;
            target = QString(QString::DataPointer(slot.data, const_cast<char16_t*>(slot.text), n));
            trend.misses = 0;
            return;
        }
        settle(slot);
        target = texts_.make(text);
        slot.length = n;
        slot.data = target.data_ptr().d_ptr();
        slot.text = units(target);
        std::copy(std::begin(text.w), std::end(text.w), slot.words);
        if (++trend.misses == kMissRun) {
            trend.misses = 0;
            trend.resting = kRestLength;
        }
    }
    void assignTrimmed(Field field, QString& target, const char16_t* first, const char16_t* end) {
        const auto [b, e] = trimmedBounds(first, end);
        assign(field, target, b, e);
    }
    void assignLeadingField(Field field, QString& target, const char16_t* first, const char16_t* end) {
        const auto [b, e] = leadingFieldBounds(first, end);
        assign(field, target, b, e);
    }

private:
    struct Slot {
        QTypedArrayData<char16_t>* data = nullptr; // the block of a field of this load that holds it
        const char16_t* text = nullptr;            // the text in that block
        qsizetype length = 0;
        int owed = 0;          // references taken by hits and not yet counted in the block
        quint64 words[6] = {}; // of the text
    };
    static void settle(Slot& slot) {
        if (slot.owed > 0)
            slot.data->ref_.fetchAndAddOrdered(slot.owed);
        slot.owed = 0;
    }

    struct Trend {
        int misses = 0;  // misses since the last hit
        int resting = 0; // texts still to pass by without a lookup
    };
    static constexpr int kMaxSlotBits = 12;
    static constexpr qint64 kBytesPerSlot = 160; // of the file: the table stays at half its size
    static constexpr int kMissRun = 64;
    static constexpr int kRestLength = 1024;
    TextBlocks& texts_;
    int slotBits_ = 4;
    std::vector<Slot> slots_;
    Trend trends_[FieldCount];
};

bool endsLine(char16_t c) {
    return c == kCr || c == kLf || c == kNul;
}

// First position in [p, end) holding `stop`, CR, LF or NUL, or end. A `stop` of NUL looks for
// the line end alone. Values and comments run to tens of characters, so many at a time pay; the
// three line ends are caught as one test for units at or below CR, and the few others it catches
// (a TAB) are passed over one by one.
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

const char16_t* scanTo(const char16_t* p, const char16_t* end, char16_t stop) {
#if defined(VELQUIN_SCAN_BY_16)
    if (kScanBy16)
        return scanToBy16(p, end, stop);
#endif
    return scanToBy8(p, end, stop);
}

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

} // namespace

// Blocks of items for one load. A line costs an item, and a heap block of its own for each of
// millions of items costs a header, a trip through malloc and scattered pages. Each block counts
// the items that live in it, plus one while it is still being filled, and is freed when the count
// drops to 0, so items may outlive the load, the document and each other in any order.
class TEkItemBlocks {
public:
    explicit TEkItemBlocks(qint64 fileSize)
        : nextBytes_(std::clamp<qint64>(fileSize, kFirstBytes, kLargestBytes)) {}
    ~TEkItemBlocks() {
        if (block_)
            release(block_);
    }
    TEkItemBlocks(const TEkItemBlocks&) = delete;
    TEkItemBlocks& operator=(const TEkItemBlocks&) = delete;

    TEkIniVal* make(int type) {
        if (end_ - free_ < qsizetype(sizeof(TEkIniVal)))
            startBlock();
        auto* item = new (free_) TEkIniVal(type);
        item->place_.offset = quint32((free_ - reinterpret_cast<char*>(block_)) / kOffsetUnit);
        ++block_->live;
        free_ += sizeof(TEkIniVal);
        return item;
    }

    struct alignas(alignof(TEkIniVal)) Header {
        qsizetype live;
        qsizetype mapped; // bytes of a block of its own pages, 0 for a heap block
    };
    // The block that holds `item`, or null for an item in a heap block of its own.
    static Header* blockOf(const TEkIniVal* item) {
        if (item->place_.offset == 0)
            return nullptr;
        return reinterpret_cast<Header*>(const_cast<char*>(reinterpret_cast<const char*>(item)) -
                                         qsizetype(item->place_.offset) * kOffsetUnit);
    }
    static void release(Header* block) {
        if (--block->live != 0)
            return;
#if defined(MAP_POPULATE)
        if (block->mapped) {
            munmap(block, size_t(block->mapped));
            return;
        }
#endif
        std::free(block);
    }

private:
    static constexpr qsizetype kOffsetUnit = 8;
    static_assert(alignof(TEkIniVal) % kOffsetUnit == 0 && sizeof(Header) % kOffsetUnit == 0);
    static constexpr qint64 kFirstBytes = 4096;
    static constexpr qint64 kLargestBytes = qint64(1) << 20;

    void startBlock() {
        Header* block = nullptr;
        qsizetype mapped = 0;
#if defined(MAP_POPULATE)
        // The largest blocks get pages of their own, all made at once: one call into the
        // kernel instead of a page fault for every 4 KB filled.
        if (nextBytes_ == kLargestBytes) {
            void* pages = mmap(nullptr, size_t(nextBytes_), PROT_READ | PROT_WRITE,
                               MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
            if (pages != MAP_FAILED) {
                block = static_cast<Header*>(pages);
                mapped = nextBytes_;
            }
        }
#endif
        if (!block)
            block = static_cast<Header*>(std::malloc(size_t(nextBytes_)));
        if (!block)
            throw std::bad_alloc();
        block->mapped = mapped;
        if (block_)
            release(block_);
        block_ = block;
        block_->live = 1; // the filling
        free_ = reinterpret_cast<char*>(block_ + 1);
        end_ = reinterpret_cast<char*>(block_) + nextBytes_;
        nextBytes_ = std::min(nextBytes_ * 2, kLargestBytes);
    }

    Header* block_ = nullptr;
    char* free_ = nullptr;
    char* end_ = nullptr;
    qint64 nextBytes_;
};

namespace {

// Turns whole lines of text into sections and items. Fed piece by piece, each piece ending
// after a line break, except the last one, which ends the text.
class LineParser {
public:
    enum Stop { Running, StoppedAtNul, BrokenHeader };

    LineParser(TEkMemIni& doc, qint64 fileSize)
        : doc_(doc), section_(doc.addSection(QString())), texts_(fileSize), share_(fileSize, texts_),
          items_(fileSize) {}

    // False when the parse stopped: at a NUL, or at a broken header line.
    bool parse(const char16_t* p, const char16_t* end) {
        while (p < end) {
            while (p < end && isBlank(*p))
                ++p;
            if (p == end)
                break;
            const char16_t c = *p;
            const bool first = atTextStart_;
            atTextStart_ = false;
            if (c == kCr || c == kLf) {
                section_->values.push(items_.make(itemBlank));
                p = consumeBreak(p, end);
            } else if (c == kNul) {
                stop_ = StoppedAtNul;
                return false;
            } else if (c == u';') {
                const char16_t* e = scanLineEnd(p + 1, end);
                TEkIniVal* item = items_.make(itemComment);
                section_->values.push(item);
                assignComment(*item, p + 1, e);
                p = consumeBreak(e, end);
            } else if (c == u'[') {
                // A header on the first line names the top section itself.
                if (!first)
                    section_ = doc_.addSection(QString());
                p = parseHeader(p + 1, end);
                if (!p) {
                    stop_ = BrokenHeader;
                    return false;
                }
            } else {
                p = parseValueLine(p, end);
            }
        }
        return true;
    }

    Stop stop() const { return stop_; }

private:
    // Returns the position after the line, or null for a broken header.
    const char16_t* parseHeader(const char16_t* p, const char16_t* end) {
        const char16_t* close = p;
        while (close < end && *close != u']') {
            if (*close <= kCr)
                return nullptr;
            ++close;
        }
        if (close == end)
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
    TEkIniSection* section_;
    TextBlocks texts_;
    TextShare share_;
    TEkItemBlocks items_;
    bool atTextStart_ = true;
    Stop stop_ = Running;
};

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
        static constexpr char16_t crlf[2] = {kCr, kLf};
        put(crlf, 2);
    }
    // Hands the last piece on.
    void finish() {
        if (flush_ && used_ > 0)
            flush_(out_, used_);
        used_ = 0;
    }
    qsizetype written() const { return written_; }

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
void writeItem(const TEkIniVal& item, TextWriter& w) {
    if (item.type >= itemError || item.type == itemValue) {
        if (item.type == itemValue) {
            w.put(item.name);
            w.put(u'=');
        }
        w.put(item.value);
        if (!item.comment.isEmpty()) {
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
// first section without items writes "[]" as well when a nameless section follows: that one's
// "[]" would otherwise begin the text, name the first section at the next load and be dropped at
// the save after, taking its section with it.
bool writesHeader(const TIniSectionVec& sections, int index) {
    const TEkIniSection& section = *sections[index];
    if (!section.name.isEmpty() || index > 0)
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

// --- Encodings -------------------------------------------------------------------------------

struct ReaderKind {
    int codePage;
    int unitSize;    // bytes per code unit of the file
    int minimumSize; // a smaller stream is not parsed at all
    QByteArrayView mark;
};

const QByteArrayView kMarkUtf8("\xEF\xBB\xBF", 3);
const QByteArrayView kMarkUtf16LE("\xFF\xFE", 2);
const QByteArrayView kMarkUtf16BE("\xFE\xFF", 2);

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

QByteArrayView markFor(int codePage) {
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

// Reads the stream from its current position with one of the four readers.
int readStream(TEkMemIni& doc, QIODevice& stream, int codePage) {
    const ReaderKind kind = readerFor(codePage);
    if (kind.codePage != codePageUtf8)
        doc.codePage = kind.codePage;
    const qint64 size = stream.size(); // the whole stream, wherever its position stands
    if (size < kind.minimumSize)
        return kind.codePage;
    if (!kind.mark.isEmpty()) {
        const QByteArray head = stream.read(kind.mark.size());
        if (QByteArrayView(head) != kind.mark)
            stream.seek(0);
    }

    LineParser parser(doc, size);
    PieceDecoder decoder(kind.codePage);
    // Whole lines are decoded and parsed in pieces of about kDecodeStep bytes: the decoded text
    // of a piece stays in the processor's cache, and the heap hands the same memory back for
    // every piece instead of new pages.
    auto parseLines = [&](const char* bytes, qsizetype n) {
        for (qsizetype at = 0; at < n;) {
            qsizetype stop = n;
            if (n - at > kDecodeStep) {
                const qsizetype inside =
                    lastLineEnd(bytes, at + kDecodeStep, at, kind.unitSize, kind.codePage);
                if (inside > at)
                    stop = inside;
            }
            const auto [first, end] = decoder.decode(bytes + at, stop - at);
            if (!parser.parse(first, end))
                return false;
            at = stop;
        }
        return true;
    };
    std::vector<char> pending; // bytes read but not parsed yet: the start of an unfinished line
    qsizetype have = 0;
    qint64 left = size;
    while (true) {
        const qint64 want = std::min(left, kReadChunk);
        qint64 got = 0;
        if (want > 0) {
            if (have + want > qsizetype(pending.size()))
                pending.resize(std::max<size_t>(pending.size() * 2, size_t(have + want)));
            got = stream.read(pending.data() + have, want);
            if (got < 0)
                return loadCannotOpen; // a failing device must not pass for a shorter file
            left -= got;
        }
        const qsizetype before = have;
        have += got;
        if (got == 0 || left == 0)
            break;
        const qsizetype cut =
            lastLineEnd(pending.data(), have, std::max<qsizetype>(before - kind.unitSize, 0), kind.unitSize,
                        kind.codePage);
        if (cut == 0)
            continue;
        if (!parseLines(pending.data(), cut))
            return loadUnreadable; // a NUL followed by more lines, or a broken header
        std::memmove(pending.data(), pending.data() + cut, size_t(have - cut));
        have -= cut;
    }
    // The last piece ends the text: an odd byte of UTF-16 is dropped, and the trailing NULs,
    // TABs and spaces are not part of the text. Any NUL that remains stops the parse before the
    // end of the text, and what would follow it must not be dropped silently.
    have -= have % kind.unitSize;
    const qsizetype lines = lastLineEnd(pending.data(), have, 0, kind.unitSize, kind.codePage);
    if (!parseLines(pending.data(), lines))
        return loadUnreadable;
    auto [first, end] = decoder.decode(pending.data() + lines, have - lines);
    while (end > first && (end[-1] == kNul || end[-1] == kTab || end[-1] == kSpace))
        --end;
    if (!parser.parse(first, end))
        return loadUnreadable;
    doc.codePage = kind.codePage;
    return kind.codePage;
}

bool writeBytes(QIODevice& stream, const char* data, qint64 n) {
    return n == 0 || stream.write(data, n) == n;
}

// --- Sorting ---------------------------------------------------------------------------------

// Stable merge sort over pointers with a fixed shape: insertion up to 32 elements, halving
// above, runs of 32 merged pairwise through a buffer of (n + 1) / 2 pointers. The item
// comparison is not a strict weak ordering, so the order it leaves depends on this shape;
// std::stable_sort would be undefined behaviour with it.
constexpr int kInsertionMax = 32;

template <typename T, typename Before> void insertionSort(T** first, T** last, Before& before) {
    if (first == last)
        return;
    for (T** next = first + 1; next != last; ++next) {
        T* value = *next;
        if (before(value, *first)) {
            std::move_backward(first, next, next + 1);
            *first = value;
        } else {
            T** hole = next;
            while (before(value, hole[-1])) {
                *hole = hole[-1];
                --hole;
            }
            *hole = value;
        }
    }
}

// Merges [a, aEnd) and [b, bEnd) into out; an element of the later run goes first only when
// it is before the element of the earlier run.
template <typename T, typename Before>
T** mergeRuns(T** a, T** aEnd, T** b, T** bEnd, T** out, Before& before) {
    while (a != aEnd && b != bEnd)
        *out++ = before(*b, *a) ? *b++ : *a++;
    out = std::copy(a, aEnd, out);
    return std::copy(b, bEnd, out);
}

// Sorts n elements as runs of 32 by insertion, then merges run pairs, doubling the run
// length, between the range and `buffer` (room for n).
template <typename T, typename Before> void sortRuns(T** first, int n, T** buffer, Before& before) {
    for (int i = 0; i < n; i += kInsertionMax)
        insertionSort(first + i, first + std::min(n, i + kInsertionMax), before);
    T** from = first;
    T** to = buffer;
    for (int run = kInsertionMax; run < n; run *= 2) {
        for (int i = 0; i < n; i += 2 * run) {
            const int mid = std::min(n, i + run);
            const int end = std::min(n, i + 2 * run);
            mergeRuns(from + i, from + mid, from + mid, from + end, to + i, before);
        }
        std::swap(from, to);
    }
    if (from != first)
        std::copy(from, from + n, first);
}

template <typename T, typename Before> void stableSort(TEkPtrVector<T>& vec, Before before) {
    const int n = vec.count;
    if (n <= kInsertionMax) {
        insertionSort(vec.data, vec.data + n, before);
        return;
    }
    const int firstHalf = (n + 1) / 2;
    std::vector<T*> buffer(static_cast<size_t>(firstHalf));
    T** mid = vec.data + firstHalf;
    sortRuns(vec.data, firstHalf, buffer.data(), before);
    sortRuns(mid, n - firstHalf, buffer.data(), before);
    std::copy(vec.data, mid, buffer.begin());
    mergeRuns(buffer.data(), buffer.data() + firstHalf, mid, vec.data + n, vec.data, before);
}

int compareText(const QString& a, const QString& b) {
    if (a.isEmpty() || b.isEmpty())
        return a.isEmpty() == b.isEmpty() ? 0 : (a.isEmpty() ? -1 : 1);
    return platform::compareTextIgnoreCase(a, b);
}

enum class Key { Name, Value, Comment, Count };

// Whether a comes before b with these keys, ascending; an empty text is the smallest text.
bool sectionBefore(const TEkIniSection* a, const TEkIniSection* b, const Key (&keys)[3]) {
    for (Key key : keys) {
        int c = 0;
        switch (key) {
        case Key::Name:
            c = compareText(a->name, b->name);
            break;
        case Key::Comment:
            c = compareText(a->comment, b->comment);
            break;
        default:
            c = a->values.count < b->values.count ? -1 : (a->values.count > b->values.count ? 1 : 0);
            break;
        }
        if (c != 0)
            return c < 0;
    }
    return false;
}

const QString& itemKey(const TEkIniVal* item, Key key) {
    return key == Key::Name ? item->name : (key == Key::Value ? item->value : item->comment);
}

// Whether a comes before b, ascending. An item whose key is empty is neither before nor after
// one whose key is not, and no further key is consulted.
bool itemBefore(const TEkIniVal* a, const TEkIniVal* b, const Key (&keys)[3]) {
    for (Key key : keys) {
        const QString& x = itemKey(a, key);
        const QString& y = itemKey(b, key);
        if (x.isEmpty() != y.isEmpty())
            return false;
        if (x.isEmpty())
            continue;
        const int c = platform::compareTextIgnoreCase(x, y);
        if (c != 0)
            return c < 0;
    }
    return false;
}

} // namespace

// --- TEkIniVal -------------------------------------------------------------------------------

TEkIniVal::TEkIniVal(int type) : type(type) {}

TEkIniVal::TEkIniVal(const QString& name, const QString& value, const QString& comment) {
    if (!name.isEmpty())
        setName(name);
    if (!value.isEmpty())
        setValue(value);
    if (!comment.isEmpty())
        setComment(comment);
    updateType();
}

void TEkIniVal::operator delete(TEkIniVal* item, std::destroying_delete_t) {
    TEkItemBlocks::Header* block = TEkItemBlocks::blockOf(item);
    item->~TEkIniVal();
    if (block)
        TEkItemBlocks::release(block);
    else
        ::operator delete(item);
}

void TEkIniVal::setName(const QString& text) {
    name = cleanText(text);
    updateType();
}

void TEkIniVal::setValue(const QString& text) {
    value = cleanText(text);
    updateType();
}

void TEkIniVal::setComment(const QString& text) {
    comment = cleanText(text);
    updateType();
}

void TEkIniVal::updateType() {
    if (!name.isEmpty())
        type = itemValue;
    else if (!value.isEmpty())
        type = itemError;
    else if (!comment.isEmpty())
        type = itemComment;
    else
        type = itemBlank;
}

QString TEkIniVal::lineText(bool withComment) const {
    QString text;
    if (name.isEmpty())
        text = value;
    else if (!value.isEmpty())
        text = name + u'=' + value;
    else
        text = name;
    if (withComment && !comment.isEmpty())
        text = text.isEmpty() ? u';' + comment : text + QStringLiteral(" ;") + comment;
    return text;
}

void TEkIniVal::toggleComment() {
    if (type != itemComment) {
        QString text;
        if (!value.isEmpty())
            text = name.isEmpty() ? value : name + u'=' + value;
        else
            text = type == itemValue ? name + u'=' : name;
        if (!comment.isEmpty())
            text = text.isEmpty() ? comment : text + QStringLiteral(" ;") + comment;
        comment = text;
        name.clear();
        value.clear();
        type = itemComment;
        return;
    }
    if (comment.isEmpty()) {
        type = itemBlank;
        return;
    }
    const QString line = comment;
    const char16_t* p = units(line);
    const char16_t* end = p + line.size();
    const char16_t* eq = std::find(p, end, u'=');
    if (eq != end) {
        // Read back exactly as the parser reads a value line.
        p = std::find_if(p, eq, [](char16_t c) { return !isBlank(c); });
        const char16_t* semi = std::find(eq + 1, end, u';');
        const auto [nameFirst, nameEnd] = leadingFieldBounds(p, eq);
        name = fromRange(nameFirst, nameEnd);
        value = trimmedRange(eq + 1, semi);
        comment = semi == end ? QString() : trimmedRange(semi + 1, end);
        updateType();
        return;
    }
    value = line;
    name.clear();
    comment.clear();
    type = itemError;
}

// --- TEkIniSection ---------------------------------------------------------------------------

TEkIniSection::TEkIniSection(const QString& name) : name(name) {}

TEkIniSection::~TEkIniSection() {
    values.clear();
}

TEkIniVal* TEkIniSection::addValue(const QString& name, const QString& value, const QString& comment) {
    auto* item = new TEkIniVal(name, value, comment);
    values.push(item);
    return item;
}

TEkIniVal* TEkIniSection::insertValue(int index, const QString& name, const QString& value,
                                      const QString& comment) {
    auto* item = new TEkIniVal(name, value, comment);
    values.insert(index, item);
    return item;
}

void TEkIniSection::deleteValue(TEkIniVal* item) {
    const int index = values.indexOf(item);
    if (index < 0)
        return;
    values.erase(index);
    delete item;
}

void TEkIniSection::countItemTypes(int& valueCount, int& comments, int& errors, int& blanks) const {
    for (const TEkIniVal* item : values) {
        switch (item->type) {
        case itemValue:
            ++valueCount;
            break;
        case itemComment:
            ++comments;
            break;
        case itemBlank:
            ++blanks;
            break;
        default:
            ++errors;
            break;
        }
    }
}

QString TEkIniSection::sectionText(bool withComments) const {
    QString text;
    QString header = name.isEmpty() ? QString() : u'[' + name + u']';
    if (withComments && !comment.isEmpty())
        header = header.isEmpty() ? u';' + comment : header + QStringLiteral(" ;") + comment;
    if (!header.isEmpty())
        text += header + QStringLiteral("\r\n");
    for (const TEkIniVal* item : values) {
        const QString line = item->lineText(withComments);
        if (withComments || !line.isEmpty())
            text += line + QStringLiteral("\r\n");
    }
    return text;
}

void TEkIniSection::sortValues(int column, bool ascending) {
    if (values.count < 2)
        return;
    static constexpr Key byValue[3] = {Key::Value, Key::Name, Key::Comment};
    static constexpr Key byComment[3] = {Key::Comment, Key::Name, Key::Value};
    static constexpr Key byName[3] = {Key::Name, Key::Value, Key::Comment};
    const Key(&keys)[3] = column == 1 ? byValue : (column == 3 ? byComment : byName);
    if (ascending)
        stableSort(values, [&](const TEkIniVal* a, const TEkIniVal* b) { return itemBefore(a, b, keys); });
    else
        stableSort(values, [&](const TEkIniVal* a, const TEkIniVal* b) { return itemBefore(b, a, keys); });
}

// --- TEkMemIni -------------------------------------------------------------------------------

TEkMemIni::~TEkMemIni() {
    sections.clear();
}

TEkIniSection* TEkMemIni::addSection(const QString& name) {
    auto* section = new TEkIniSection(name);
    sections.push(section);
    return section;
}

TEkIniSection* TEkMemIni::insertSection(int index, const QString& name) {
    auto* section = new TEkIniSection(name);
    sections.insert(index, section);
    return section;
}

TEkIniSection* TEkMemIni::addSectionCopy(const TEkIniSection* source, const QString& name) {
    TEkIniSection* section = addSection(name);
    if (source) {
        for (const TEkIniVal* item : source->values)
            section->addValue(item->name, item->value, item->comment);
    }
    return section;
}

void TEkMemIni::deleteSection(TEkIniSection* section) {
    const int index = sections.indexOf(section);
    if (index < 0)
        return;
    sections.erase(index);
    delete section;
}

void TEkMemIni::countItemTypes(int& sectionCount, int& valueCount, int& comments, int& errors,
                               int& blanks) const {
    sectionCount = valueCount = comments = errors = blanks = 0;
    for (const TEkIniSection* section : sections) {
        ++sectionCount;
        section->countItemTypes(valueCount, comments, errors, blanks);
    }
}

namespace {

inline void prefetch(const void* p) {
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(p);
#else
    (void)p;
#endif
}

// The text at the start of an item's written line that could make it read back as a header.
const QString* lineStart(const TEkIniVal& item) {
    return item.type == itemValue ? &item.name : item.type >= itemError ? &item.value : nullptr;
}

bool startsWithBracket(const QString& text) {
    for (const QChar c : text) {
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t'))
            return c == QLatin1Char('[');
    }
    return false;
}

} // namespace

bool TEkMemIni::findUnreadableLine(int& sectionIndex, int& itemIndex) const {
    // Every save runs this over millions of items scattered across the heap. Each step of the
    // walk (a section, its array of items, the items) would wait for memory in turn; asking for
    // them ahead lets those waits overlap, which takes a third off the walk.
    constexpr int kSectionsAhead = 32;
    constexpr int kArraysAhead = 16;
    constexpr int kItemsAhead = 16; // items, and the sections whose first items are asked for
    const int n = sections.count;
    for (int s = 0; s < n; ++s) {
        if (s + kSectionsAhead < n)
            prefetch(sections[s + kSectionsAhead]);
        if (s + kArraysAhead < n)
            prefetch(sections[s + kArraysAhead]->values.data);
        if (s + kItemsAhead / 2 < n) {
            const TIniValVec& ahead = sections[s + kItemsAhead / 2]->values;
            for (int i = 0; i < std::min(ahead.count, kItemsAhead); ++i)
                prefetch(ahead[i]);
        }
        const TEkIniSection& section = *sections[s];
        if (section.name.contains(QLatin1Char(']'))) {
            sectionIndex = s;
            itemIndex = -1;
            return true;
        }
        const int count = section.values.count;
        for (int i = 0; i < count; ++i) {
            if (i + kItemsAhead < count)
                prefetch(section.values[i + kItemsAhead]);
            const QString* start = lineStart(*section.values[i]);
            if (start && startsWithBracket(*start)) {
                sectionIndex = s;
                itemIndex = i;
                return true;
            }
        }
    }
    return false;
}

int TEkMemIni::detectEncoding(QIODevice& stream) {
    constexpr int kProbe = 200;
    unsigned char b[kProbe] = {};
    const qint64 n = std::max<qint64>(stream.read(reinterpret_cast<char*>(b), kProbe), 0);
    stream.seek(0);
    if (b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF)
        return codePageUtf8;
    if (b[0] == 0 && b[1] == 0 && b[2] == 0xFE && b[3] == 0xFF)
        return codePageUtf32BE;
    if (b[0] == 0xFF && b[1] == 0xFE && b[2] == 0 && b[3] == 0)
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

int TEkMemIni::LoadFromStream(QIODevice& stream, int codePage) {
    if (codePage == codePageUtf32LE || codePage == codePageUtf32BE) {
        platform::ShowMessage(QStringLiteral("32bit File Types are not supported."));
        return codePageAnsi;
    }
    return readStream(*this, stream, codePage);
}

int TEkMemIni::LoadFromBytes(const QByteArray& bytes, int codePage) {
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
    if (codePage < 0)
        codePage = TEkMemIni::detectEncoding(file);
    return doc.LoadFromStream(file, codePage);
}
} // namespace

int TEkMemIni::LoadFromFile(const QString& name) {
    return loadFile(*this, name, -1);
}

int TEkMemIni::LoadFromFileAs(const QString& name, int cp) {
    return loadFile(*this, name, cp < 0 ? codePageAnsi : cp);
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

// --- Sorting ---------------------------------------------------------------------------------

void TEkMemIni::sortSections(int column, bool ascending) {
    if (sections.count < 2)
        return;
    static constexpr Key byName[3] = {Key::Name, Key::Count, Key::Comment};
    static constexpr Key byCount[3] = {Key::Count, Key::Name, Key::Comment};
    static constexpr Key byComment[3] = {Key::Comment, Key::Name, Key::Count};
    if (column != 0 && column != 2 && column != 3)
        return;
    const Key(&keys)[3] = column == 0 ? byName : (column == 2 ? byCount : byComment);
    if (ascending)
        stableSort(sections,
                   [&](const TEkIniSection* a, const TEkIniSection* b) { return sectionBefore(a, b, keys); });
    else
        stableSort(sections,
                   [&](const TEkIniSection* a, const TEkIniSection* b) { return sectionBefore(b, a, keys); });
}

void TEkMemIni::sortAll(int column, bool ascending) {
    sortSections(column, ascending);
    for (TEkIniSection* section : sections)
        section->sortValues(column, ascending);
}
