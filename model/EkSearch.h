// One search pattern, matched against the texts of sections and items.
//
// The find commands build one TEkSearch per new search and keep two position indexes between
// calls of TEkMemIni::find / TEkIniSection::find:
//   sectionIndex: index into `sections`;
//   itemIndex:    index into a section's `values`; -1 stands for the section's header line when
//                 searching forwards, kItemPastEnd for a position past the last item when
//                 searching backwards.
// A fresh forward search starts at -1 / -1, a fresh backward one at kItemPastEnd / kItemPastEnd.
// The caller continues by moving itemIndex one step past the last hit. There is no wrap-around.
//
// Forwards, a section tests its header (name, then comment) only when itemIndex < 0, then its
// items from itemIndex up; without a hit it leaves itemIndex at -1, or unchanged when no item
// field is searched (then it tests no items at all). Backwards, it tests its
// items from itemIndex down, then its header; it always leaves itemIndex at kItemPastEnd
// unless an item hit, so a header hit returns kItemPastEnd.
#pragma once

#include <QString>
#include <QStringView>

class TEkSearch {
public:
    static constexpr int kItemPastEnd = 0x7FFFFFFF;

    // Case-insensitive patterns are lower-cased once here. An empty `separators` selects the
    // default set (space . , " ' : ? ! ( ) & ; [ ] { } / < > - + * = |); TAB, CR, LF, digits
    // and letters are never default separators.
    TEkSearch(const QString& pattern, const QString& separators, bool caseSensitive, bool wholeWords);
    virtual ~TEkSearch();
    TEkSearch(const TEkSearch&) = delete;
    TEkSearch& operator=(const TEkSearch&) = delete;

    // The 0-based position of the first match in the first `length` units of `text`, or -1.
    // An empty pattern never matches. With whole words a match must start at 0 or after a
    // separator and end at the end or before a separator. Not reentrant: case-insensitive
    // searches lower-case the text into a buffer of this object, which only grows.
    int find(const QChar* text, int length);
    int find(QStringView text) { return find(text.data(), int(text.size())); }

    bool caseSensitive() const { return caseSensitive_; }
    bool wholeWords() const { return wholeWords_; }
    const QString& pattern() const { return pattern_; } // lower-cased unless case-sensitive
    const QString& separators() const { return separators_; }
    int patternLength() const { return int(pattern_.size()); }
    int separatorCount() const { return int(separators_.size()); }
    int workCapacity() const { return workCapacity_; }
    // Start positions the last find tried (length - patternLength + 1; may be <= 0).
    int startLimit() const { return startLimit_; }
    // The result of the last find.
    int lastFound() const { return lastFound_; }

    // The default separator set, 25 characters (the hyphen stands in it twice).
    static const QString& defaultSeparators();

private:
    bool isSeparator(QChar c) const;

    bool caseSensitive_;
    bool wholeWords_;
    QString pattern_;
    QChar* workBuffer_ = nullptr; // workCapacity_ + 1 units; none when case-sensitive
    QString separators_;
    int workCapacity_ = 0;
    int startLimit_ = 0;
    int lastFound_ = -1;
};
