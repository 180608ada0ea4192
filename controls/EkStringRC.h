// A non-visual component that owns one string list and offers a most-recently-used insertion
// on it. The main window keeps its recent files in it: the string is the path, the entry's
// number (its object slot) the encoding selector the file was opened with.
#pragma once

#include <QObject>
#include <QString>
#include <QVector>
#include <stdexcept>

// Misuse of a string list: an index outside the list, or an insertion at a chosen place in
// a sorted list. what() and message() carry the text shown to the user.
class EStringListError : public std::runtime_error {
public:
    explicit EStringListError(const QString& message);
    QString message() const { return QString::fromUtf8(what()); }
};

// A file that cannot be opened for reading or created for writing.
class EFileStreamError : public std::runtime_error {
public:
    explicit EFileStreamError(const QString& message);
    QString message() const { return QString::fromUtf8(what()); }
};

// An ordered list of strings, each with a number attached (its object slot, 0 unless set).
// Comparisons ignore case in the user's locale. While sorted, the list keeps its entries in
// that order, finds by bisection, ignores the addition of an entry it already holds and
// refuses insertion at a chosen index.
class TEkStringList {
public:
    int count() const { return int(items_.size()); }
    bool isEmpty() const { return items_.isEmpty(); }

    // The string at `index`; EStringListError "List index out of bounds (index)" outside
    // 0..count-1 (the same for the other indexed operations).
    QString get(int index) const;
    qintptr object(int index) const;
    void put(int index, const QString& s);
    void putObject(int index, qintptr object);

    // Appends (or, while sorted, places in order) and returns the index the entry got. While
    // sorted an entry equal to one already held is not added; its present index is returned.
    int add(const QString& s, qintptr object = 0);
    // EStringListError "Operation not allowed on sorted list" while sorted; index may equal
    // count (append).
    void insert(int index, const QString& s, qintptr object = 0);
    void remove(int index);
    void clear() { items_.clear(); }

    // The first entry equal to `s` (ignoring case), or -1.
    int indexOf(const QString& s) const;

    bool sorted() const { return sorted_; }
    // Switching sorting on sorts the entries at once (equal entries keep their order).
    void setSorted(bool sorted);

    // Every entry followed by CR LF.
    QString text() const;
    // Replaces the entries by the lines of `text`; CR, LF and CR LF each end a line, and a
    // final line without a break counts. Numbers are reset to 0.
    void setText(const QString& text);

    // One string per line, CR LF line ends, UTF-8 with a byte-order mark; written through a
    // save file, so a failed save leaves the old file. EFileStreamError when it cannot be
    // created.
    void saveToFile(const QString& fileName) const;
    // Reads a file written by saveToFile: UTF-8, UTF-16LE or UTF-16BE by their byte-order
    // marks, the ANSI code page without one. EFileStreamError when it cannot be opened; the
    // list is unchanged then.
    void loadFromFile(const QString& fileName);

private:
    struct Item {
        QString string;
        qintptr object = 0;
    };
    void checkIndex(int index) const;
    // Bisection over the sorted entries: true when found; `index` is the match or the place
    // where `s` belongs.
    bool find(const QString& s, int& index) const;

    QVector<Item> items_;
    bool sorted_ = false;
};

class TEkStringRC : public QObject {
    Q_OBJECT
public:
    explicit TEkStringRC(QObject* owner = nullptr);
    ~TEkStringRC() override;

    // The largest number of entries AddMru keeps; a negative value is stored as 0.
    int MruMax() const { return mruMax_; }
    void setMruMax(int value);

    bool getSorted() const { return list_.sorted(); }
    void setSorted(bool value) { list_.setSorted(value); }

    // The owned list itself; the component keeps ownership, callers add, delete and read
    // through it.
    TEkStringList* getStrings() { return &list_; }
    const TEkStringList* getStrings() const { return &list_; }
    // Copies `source` through its text: an entry holding a line break arrives as several
    // entries and numbers are not copied. A null source is ignored.
    void setStrings(const TEkStringList* source);

    // The string at `i`; EStringListError outside 0..count-1.
    QString getRcString(int i) const { return list_.get(i); }
    int getCount() const { return list_.count(); }
    int IndexOf(const QString& s) const { return list_.indexOf(s); }

    // Moves `s` to the front (inserting it when absent), then drops entries from the end
    // beyond MruMax. Already first: nothing changes. While sorted it raises the sorted list's
    // EStringListError before anything changes.
    void AddMru(const QString& s);

    void SaveToFile(const QString& name) const { list_.saveToFile(name); }
    void LoadFromFile(const QString& name) { list_.loadFromFile(name); }

private:
    int mruMax_ = 0;
    TEkStringList list_;
};
