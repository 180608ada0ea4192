#include "model/EkSearch.h"

#include "model/EkMemIni.h"
#include "platform/core/SysUtils.h"

#include <cstring>
#include <string_view>

namespace {
constexpr int kInitialWorkCapacity = 200;
constexpr int kWorkGrowthSlack = 100;
} // namespace

const QString& TEkSearch::defaultSeparators() {
    static const QString set = QStringLiteral(" .,\"':?!()&;[]{}/<>-+*=-|");
    return set;
}

TEkSearch::TEkSearch(const QString& pattern, const QString& separators, bool caseSensitive, bool wholeWords)
    : caseSensitive_(caseSensitive), wholeWords_(wholeWords), pattern_(pattern),
      separators_(separators.isEmpty() ? defaultSeparators() : separators) {
    if (!caseSensitive_) {
        pattern_.detach();
        platform::charLower(pattern_.data(), pattern_.size());
        workCapacity_ = kInitialWorkCapacity;
        workBuffer_ = new QChar[size_t(workCapacity_) + 1];
    }
}

TEkSearch::~TEkSearch() {
    delete[] workBuffer_;
}

bool TEkSearch::isSeparator(QChar c) const {
    return separators_.contains(c);
}

int TEkSearch::find(const QChar* text, int length) {
    lastFound_ = -1;
    const int m = patternLength();
    startLimit_ = length - m + 1;
    if (m == 0 || length < m || !text)
        return -1;
    const QChar* t = text;
    if (!caseSensitive_) {
        if (length > workCapacity_) {
            // The buffer only grows, so a search over many items allocates only a few times.
            delete[] workBuffer_;
            workCapacity_ = length + kWorkGrowthSlack;
            workBuffer_ = new QChar[size_t(workCapacity_) + 1];
        }
        std::memcpy(static_cast<void*>(workBuffer_), text, sizeof(QChar) * size_t(length));
        platform::charLower(workBuffer_, length);
        t = workBuffer_;
    }
    const std::u16string_view hay(reinterpret_cast<const char16_t*>(t), size_t(length));
    const std::u16string_view needle(reinterpret_cast<const char16_t*>(pattern_.constData()), size_t(m));
    size_t from = 0;
    while (true) {
        const size_t i = hay.find(needle, from);
        if (i == std::u16string_view::npos || int(i) >= startLimit_)
            return -1;
        const int pos = int(i);
        if (!wholeWords_ ||
            ((pos == 0 || isSeparator(t[pos - 1])) && (pos + m == length || isSeparator(t[pos + m])))) {
            lastFound_ = pos;
            return pos;
        }
        from = i + 1;
    }
}

// --- The document walk --------------------------------------------------------------------

namespace {
bool holds(TEkSearch& search, const QString& text) {
    return !text.isEmpty() && search.find(text) >= 0;
}
} // namespace

bool TEkIniVal::matches(TEkSearch& search, bool names, bool values, bool comments) const {
    return (names && holds(search, name)) || (values && holds(search, value)) ||
           (comments && holds(search, comment));
}

bool TEkIniSection::find(TEkSearch& search, int& itemIndex, bool sectionNames, bool sectionComments,
                         bool itemNames, bool itemValues, bool itemComments, bool backward) const {
    const bool anyItemField = itemNames || itemValues || itemComments;
    if (!backward) {
        if (itemIndex < 0 &&
            ((sectionNames && holds(search, name)) || (sectionComments && holds(search, comment)))) {
            itemIndex = -1;
            return true;
        }
        if (!anyItemField)
            return false;
        if (itemIndex < 0)
            itemIndex = 0;
        for (int i = itemIndex; i < values.count; ++i) {
            if (values[i]->matches(search, itemNames, itemValues, itemComments)) {
                itemIndex = i;
                return true;
            }
        }
        itemIndex = -1;
        return false;
    }
    if (anyItemField) {
        if (itemIndex >= values.count)
            itemIndex = values.count - 1;
        for (int i = itemIndex; i >= 0; --i) {
            if (values[i]->matches(search, itemNames, itemValues, itemComments)) {
                itemIndex = i;
                return true;
            }
        }
    }
    itemIndex = TEkSearch::kItemPastEnd;
    return (sectionNames && holds(search, name)) || (sectionComments && holds(search, comment));
}

bool TEkMemIni::find(TEkSearch& search, int& sectionIndex, int& itemIndex, bool sectionNames,
                     bool sectionComments, bool itemNames, bool itemValues, bool itemComments,
                     bool backward) const {
    if (!backward) {
        if (sectionIndex < 0)
            sectionIndex = 0;
        for (int s = sectionIndex; s < sections.count; ++s) {
            if (sections[s]->find(search, itemIndex, sectionNames, sectionComments, itemNames, itemValues,
                                  itemComments, false)) {
                sectionIndex = s;
                return true;
            }
        }
        return false;
    }
    if (sectionIndex >= sections.count)
        sectionIndex = sections.count - 1;
    for (int s = sectionIndex; s >= 0; --s) {
        if (sections[s]->find(search, itemIndex, sectionNames, sectionComments, itemNames, itemValues,
                              itemComments, true)) {
            sectionIndex = s;
            return true;
        }
    }
    return false;
}
