// The check before a save: whether every line the writer would write reads back as the same
// kind of line, with a big document's items walked in parts over the cores.
#include "model/EkMemIni.h"

#include "model/EkMemIniPrivate.h"
#include "platform/core/RunParts.h"

#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

using namespace ekmemini;

namespace {

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

inline void prefetch(const void* p) {
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(p);
#else
    (void)p;
#endif
}

// Runs through the document's items in file order from a given one.
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
    ItemCursor items(sections, section, item);
    for (qint64 k = 0; k < count; ++k) {
        const TEkIniVal& line = *items.next();
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
    // the items can be walked in parts of equal length over the cores (DEVELOPERS.md, "Threads");
    // every save waits for it.
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
    // The threads leave the address space that the lines take once shown.
    const qint64 keep = (total + n) * shownLineBytes;
    if (total > 0) {
        platform::runParts(parts, keep, [&](int part) {
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
