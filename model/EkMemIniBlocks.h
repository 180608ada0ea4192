// Memory of the items and texts that one load makes: the items many to a block of memory, the
// texts many to a block of string memory, and short texts that recur made once and shared. The
// parser is their user; what an item or a text made here promises is said at TEkIniVal in
// model/EkMemIni.h. Only the files of model/ include this header.
#pragma once

#include "model/EkMemIni.h"
#include "model/EkMemIniPrivate.h"

#include <QString>
#include <QtGlobal>

#include <algorithm>
#include <bit>
#include <cstring>
#include <deque>
#include <vector>

// --- Strings inside a block of string memory ----------------------------------------------------
//
// A load makes millions of short texts; a heap block of its own for each would cost more than the
// text (see TextBlocks), so many texts share one block of string memory. Qt has no public way to
// make a QString whose text lies inside the memory of another string: the two functions below use
// Qt's private string layout (QString::DataPointer, QTypedArrayData and its count of references),
// and nothing else in the editor does. They were checked against Qt 6.4. Any other Qt, or a build
// with VELQUIN_PLAIN_STRINGS (the CMake option of that name), takes the plain path beside them:
// every text a QString of its own, on public API only, at the cost of a slower load and more
// memory. Once the model's tests pass on a new Qt with the shared path, widen the check below.
#if !defined(VELQUIN_PLAIN_STRINGS) && QT_VERSION >= QT_VERSION_CHECK(6, 4, 0) &&                            \
    QT_VERSION < QT_VERSION_CHECK(6, 5, 0)
#define VELQUIN_SHARED_STRING_BLOCKS 1
#else
#define VELQUIN_SHARED_STRING_BLOCKS 0
#endif

namespace ekmemini {

// The string of the `n` units at `text`, which lie inside the memory of `block` with a NUL after
// them. Shared path: the string points into that memory and takes no reference on it; the caller
// owes `block` a reference for every string made, and pays them with addStringReferences while
// `block` still holds its own. Plain path: a string of its own with a copy of the text; nothing
// is owed.
inline QString stringInBlock([[maybe_unused]] QString& block, const char16_t* text, qsizetype n) {
#if VELQUIN_SHARED_STRING_BLOCKS
    return QString(QString::DataPointer(block.data_ptr().d_ptr(), const_cast<char16_t*>(text), n));
#else
    return QString(reinterpret_cast<const QChar*>(text), n);
#endif
}

// Adds `count` references to the memory of `block`: those owed for strings made by stringInBlock.
inline void addStringReferences([[maybe_unused]] QString& block, [[maybe_unused]] int count) {
#if VELQUIN_SHARED_STRING_BLOCKS
    block.data_ptr().d_ptr()->ref_.fetchAndAddOrdered(count);
#endif
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
// more than the text itself for most fields. A block here is a QString whose memory the texts are
// copied into, each followed by a NUL as every QString's text is, and each field a string made by
// stringInBlock that points into it. A string changed later detaches or grows in place like any
// other.
//
// The strings take no reference on their block while the load runs (an atomic increment for each
// of millions of strings costs more than copying their texts): each block counts the strings made
// of it and hands the count over when the load ends, then drops its own reference, so it is freed
// with the last string that points into it. Until then no string made here may be dropped.
class TextBlocks {
    struct Block {
        QString memory;
        int strings = 0; // strings made of this block and not yet counted in its references
    };

public:
    // Where a text made by this load lives, to make further strings of it.
    struct Place {
        Block* block = nullptr;
        const char16_t* text = nullptr;
    };

    explicit TextBlocks(qint64 fileSize);
    ~TextBlocks();
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
    // The same for a short text, whose place goes to `place`.
    QString make(const ShortText& text, Place& place) {
        if (end_ - free_ < std::max<qsizetype>(text.n + 1, 4))
            startBlock(ShortText::kLongest + 1);
        text.store(free_);
        place = {current_, free_};
        return handOut(text.n);
    }
    // Another string of the text of `n` units made at `place`.
    QString makeAgain(const Place& place, qsizetype n) {
        ++place.block->strings;
        return stringInBlock(place.block->memory, place.text, n);
    }

private:
    static constexpr qint64 kFirstUnits = 2048;
    static constexpr qint64 kLargestUnits = qint64(1) << 19; // 1 MB
    static_assert(kFirstUnits / 4 > ShortText::kLongest, "every short text fits a new block");

    QString handOut(qsizetype n) {
        const char16_t* text = free_;
        free_ += n + 1;
        ++current_->strings;
        return stringInBlock(current_->memory, text, n);
    }

    // False when a text of `units` would take more than a quarter of the next block.
    bool startBlock(qsizetype units);

    std::deque<Block> blocks_; // a deque: a Place keeps pointing at its block
    Block* current_ = nullptr;
    char16_t* free_ = nullptr;
    char16_t* end_ = nullptr;
    qint64 nextUnits_;
};

// Hands out one shared QString for short texts that recur within a file (names repeated from
// section to section, values like "1" or "true", recurring comments): a shared string costs no
// memory of its own. A slot keeps the words of the last text of its hash and where that text
// lives (in a block of this load, which stays until the load ends), so a lookup, hit or miss,
// touches nothing but the slot: the older item and its text are long out of the cache. A kind of
// field whose texts keep missing (unique numbers and ids) is left alone for a while, as a lookup
// that never hits only costs time.
class TextShare {
public:
    enum Field { Name, Value, Comment, FieldCount };

    // A small file gets a small table: the table is made and destroyed with every load.
    TextShare(qint64 fileSize, TextBlocks& texts);
    TextShare(const TextShare&) = delete;
    TextShare& operator=(const TextShare&) = delete;

    // target := the text of [first, end), shared with an earlier field of equal text when the
    // table still knows one.
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
            target = texts_.makeAgain(slot.place, n);
            trend.misses = 0;
            return;
        }
        target = texts_.make(text, slot.place);
        slot.length = n;
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
        TextBlocks::Place place; // of the text
        qsizetype length = 0;
        quint64 words[6] = {}; // of the text
    };

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

} // namespace ekmemini

// Blocks of items for one load. A line costs an item, and a heap block of its own for each of
// millions of items costs a header, a trip through malloc and scattered pages. Each block counts
// the items that live in it, plus one while it is still being filled, and is freed when the count
// drops to 0, so items may outlive the load, the document and each other in any order.
class TEkItemBlocks {
public:
    explicit TEkItemBlocks(qint64 fileSize);
    ~TEkItemBlocks();
    TEkItemBlocks(const TEkItemBlocks&) = delete;
    TEkItemBlocks& operator=(const TEkItemBlocks&) = delete;

    // The items made so far.
    qint64 made() const {
        return madeBefore_ +
               (block_ ? (free_ - reinterpret_cast<const char*>(block_ + 1)) / qint64(sizeof(TEkIniVal)) : 0);
    }

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
    // Counts an item of `block` gone; the last one frees the block.
    static void release(Header* block);

private:
    static constexpr qsizetype kOffsetUnit = 8;
    static_assert(alignof(TEkIniVal) % kOffsetUnit == 0 && sizeof(Header) % kOffsetUnit == 0);
    static constexpr qint64 kFirstBytes = 4096;
    static constexpr qint64 kLargestBytes = qint64(1) << 20;

    void startBlock();

    Header* block_ = nullptr;
    char* free_ = nullptr;
    char* end_ = nullptr;
    qint64 nextBytes_;
    qint64 madeBefore_ = 0; // in the blocks before block_
};
