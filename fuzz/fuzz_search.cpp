// Searches a document read from arbitrary bytes, forwards and backwards, the way the find
// commands step from hit to hit. Byte 0 chooses the fields searched (bits 0-4: section names,
// section comments, item names, values, comments), case sensitivity (bit 5), whole words
// (bit 6) and the encoding of the rest (bit 7: UTF-8, else ANSI); byte 1 the pattern's length
// (up to 15 bytes); the pattern follows, then the document. Each walk must end within one step
// per section and item, the matcher must agree with a naive scan on every text, and the hits of
// both walks must be exactly those a naive scan of the document finds, in order.
#include "model/EkMemIni.h"
#include "model/EkSearch.h"
#include "platform/core/SysUtils.h"

#include <QList>
#include <QStringDecoder>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {

void failWith(const char* what) {
    std::fprintf(stderr, "fuzz_search: %s\n", what);
    std::abort();
}

struct Where {
    bool sectionNames, sectionComments, itemNames, itemValues, itemComments;
    bool anyItemField() const { return itemNames || itemValues || itemComments; }
};

// The first position where `pattern` (already lowered unless case-sensitive) stands in `text`
// as the search defines it, tried at every position in turn; -1 when there is none.
int naiveFind(const QString& text, const QString& pattern, bool caseSensitive, bool wholeWords) {
    const qsizetype n = text.size();
    const qsizetype m = pattern.size();
    if (m == 0 || n < m)
        return -1;
    QString t = text;
    if (!caseSensitive) {
        t.detach();
        platform::charLower(t.data(), n);
    }
    const QString& separators = TEkSearch::defaultSeparators();
    for (qsizetype i = 0; i + m <= n; ++i) {
        if (QStringView(t).sliced(i, m) != QStringView(pattern))
            continue;
        if (!wholeWords ||
            ((i == 0 || separators.contains(t[i - 1])) && (i + m == n || separators.contains(t[i + m]))))
            return int(i);
    }
    return -1;
}

using Hit = std::pair<int, int>; // section, item (-1: the header)

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    const uint8_t flags = data[0];
    const Where where{bool(flags & 1), bool(flags & 2), bool(flags & 4), bool(flags & 8), bool(flags & 16)};
    const bool caseSensitive = flags & 32;
    const bool wholeWords = flags & 64;
    const int codePage = flags & 128 ? int(codePageUtf8) : int(codePageAnsi);
    const size_t patternBytes = std::min<size_t>(data[1] % 16, size - 2);
    const QByteArray patternRaw(reinterpret_cast<const char*>(data + 2), qsizetype(patternBytes));
    const QString pattern =
        codePage == codePageUtf8 ? QString::fromUtf8(patternRaw) : platform::ansiDecode(patternRaw);

    TEkMemIni doc;
    doc.loadFromBytes(QByteArray(reinterpret_cast<const char*>(data + 2 + patternBytes),
                                 qsizetype(size - 2 - patternBytes)),
                      codePage); // a failed load leaves its sections, which are searched all the same
    TEkSearch search(pattern, QString(), caseSensitive, wholeWords);

    // The naive scan, which also checks the matcher on every text.
    const auto holds = [&](const QString& text) {
        const int found = search.find(text);
        if (found != naiveFind(text, search.pattern(), caseSensitive, wholeWords))
            failWith("the matcher and the naive scan disagree");
        return !text.isEmpty() && found >= 0;
    };
    QList<Hit> expected;
    int steps = 1;
    for (int s = 0; s < doc.sections.count; ++s) {
        const TEkIniSection& section = *doc.sections[s];
        steps += 1 + section.values.count;
        if ((where.sectionNames && holds(section.name)) || (where.sectionComments && holds(section.comment)))
            expected.append({s, -1});
        if (!where.anyItemField())
            continue;
        for (int i = 0; i < section.values.count; ++i) {
            const TEkIniVal& item = *section.values[i];
            if ((where.itemNames && holds(item.name)) || (where.itemValues && holds(item.value)) ||
                (where.itemComments && holds(item.comment)))
                expected.append({s, i});
        }
    }

    const auto find = [&](int& s, int& i, bool backward) {
        return doc.find(search, s, i, where.sectionNames, where.sectionComments, where.itemNames,
                        where.itemValues, where.itemComments, backward);
    };
    // Forwards from -1/-1, each time one step past the hit: from a header to its first item, or
    // to the next header when no item field is searched.
    QList<Hit> forward;
    for (int s = -1, i = -1; find(s, i, false);) {
        if (forward.size() == steps)
            failWith("the forward walk does not end");
        forward.append({s, i});
        if (i >= 0)
            ++i;
        else if (where.anyItemField())
            i = 0;
        else
            ++s;
    }
    if (forward != expected)
        failWith("the forward walk's hits differ from the naive scan");

    // Backwards from the end, each time one step before the hit: from an item to the one above
    // it (from the first item to the header), from a header to the previous section's end.
    QList<Hit> backward;
    for (int s = TEkSearch::kItemPastEnd, i = TEkSearch::kItemPastEnd; find(s, i, true);) {
        if (backward.size() == steps)
            failWith("the backward walk does not end");
        if (i == TEkSearch::kItemPastEnd) {
            backward.prepend({s, -1});
            --s;
        } else {
            backward.prepend({s, i});
            --i;
        }
    }
    if (backward != expected)
        failWith("the backward walk's hits differ from the naive scan");
    return 0;
}
