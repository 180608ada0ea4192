// Sorting sections and items: a stable merge sort of fixed shape and the comparisons by column.
#include "model/EkMemIni.h"

#include "platform/core/SysUtils.h"

#include <algorithm>
#include <vector>

namespace {

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

void TEkIniSection::sortValues(int column, bool ascending) {
    if (values.count < 2)
        return;
    static constexpr Key kByValue[3] = {Key::Value, Key::Name, Key::Comment};
    static constexpr Key kByComment[3] = {Key::Comment, Key::Name, Key::Value};
    static constexpr Key kByName[3] = {Key::Name, Key::Value, Key::Comment};
    const Key(&keys)[3] = column == 1 ? kByValue : (column == 3 ? kByComment : kByName);
    if (ascending)
        stableSort(values, [&](const TEkIniVal* a, const TEkIniVal* b) { return itemBefore(a, b, keys); });
    else
        stableSort(values, [&](const TEkIniVal* a, const TEkIniVal* b) { return itemBefore(b, a, keys); });
}

void TEkMemIni::sortSections(int column, bool ascending) {
    if (sections.count < 2)
        return;
    static constexpr Key kByName[3] = {Key::Name, Key::Count, Key::Comment};
    static constexpr Key kByCount[3] = {Key::Count, Key::Name, Key::Comment};
    static constexpr Key kByComment[3] = {Key::Comment, Key::Name, Key::Count};
    if (column != 0 && column != 2 && column != 3)
        return;
    const Key(&keys)[3] = column == 0 ? kByName : (column == 2 ? kByCount : kByComment);
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
