#include "controls/EkStringRC.h"

#include "platform/core/FileSave.h"
#include "platform/core/SysUtils.h"

#include <QFile>
#include <QStringDecoder>
#include <algorithm>

EStringListError::EStringListError(const QString& message) : std::runtime_error(message.toStdString()) {}

EFileStreamError::EFileStreamError(const QString& message) : std::runtime_error(message.toStdString()) {}

namespace {

const QString kSortedListError = QStringLiteral("Operation not allowed on sorted list");

int compareEntries(const QString& a, const QString& b) {
    return platform::compareTextIgnoreCase(a, b);
}

} // namespace

// --- TEkStringList ----------------------------------------------------------------------------

void TEkStringList::checkIndex(int index) const {
    if (index < 0 || index >= count())
        throw EStringListError(QStringLiteral("List index out of bounds (%1)").arg(index));
}

QString TEkStringList::get(int index) const {
    checkIndex(index);
    return items_[index].string;
}

qintptr TEkStringList::object(int index) const {
    checkIndex(index);
    return items_[index].object;
}

void TEkStringList::put(int index, const QString& s) {
    if (sorted_)
        throw EStringListError(kSortedListError);
    checkIndex(index);
    items_[index].string = s;
}

void TEkStringList::putObject(int index, qintptr object) {
    checkIndex(index);
    items_[index].object = object;
}

int TEkStringList::add(const QString& s, qintptr object) {
    if (!sorted_) {
        items_.append({s, object});
        return count() - 1;
    }
    int index = 0;
    if (find(s, index))
        return index;
    items_.insert(index, {s, object});
    return index;
}

void TEkStringList::insert(int index, const QString& s, qintptr object) {
    if (sorted_)
        throw EStringListError(kSortedListError);
    if (index < 0 || index > count())
        throw EStringListError(QStringLiteral("List index out of bounds (%1)").arg(index));
    items_.insert(index, {s, object});
}

void TEkStringList::remove(int index) {
    checkIndex(index);
    items_.removeAt(index);
}

bool TEkStringList::find(const QString& s, int& index) const {
    int low = 0;
    int high = count() - 1;
    bool found = false;
    while (low <= high) {
        const int middle = (low + high) / 2;
        const int order = compareEntries(items_[middle].string, s);
        if (order < 0) {
            low = middle + 1;
        } else {
            high = middle - 1;
            if (order == 0)
                found = true; // keep going left: the first of equal entries
        }
    }
    index = low;
    return found;
}

int TEkStringList::indexOf(const QString& s) const {
    if (sorted_) {
        int index = 0;
        return find(s, index) ? index : -1;
    }
    for (int i = 0; i < count(); ++i)
        if (compareEntries(items_[i].string, s) == 0)
            return i;
    return -1;
}

void TEkStringList::setSorted(bool sorted) {
    if (sorted == sorted_)
        return;
    if (sorted)
        std::stable_sort(items_.begin(), items_.end(),
                         [](const Item& a, const Item& b) { return compareEntries(a.string, b.string) < 0; });
    sorted_ = sorted;
}

QString TEkStringList::text() const {
    QString result;
    for (const Item& item : items_) {
        result += item.string;
        result += QStringLiteral("\r\n");
    }
    return result;
}

void TEkStringList::setText(const QString& text) {
    clear();
    const qsizetype length = text.size();
    qsizetype pos = 0;
    while (pos < length) {
        const qsizetype start = pos;
        while (pos < length && text[pos] != u'\r' && text[pos] != u'\n')
            ++pos;
        add(text.mid(start, pos - start));
        if (pos < length && text[pos] == u'\r')
            ++pos;
        if (pos < length && text[pos] == u'\n')
            ++pos;
    }
}

void TEkStringList::saveToFile(const QString& fileName) const {
    const platform::SaveResult saved = platform::saveFile(fileName, "\xEF\xBB\xBF" + text().toUtf8());
    if (!saved)
        throw EFileStreamError(QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, saved.error));
}

void TEkStringList::loadFromFile(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EFileStreamError(
            QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, file.errorString()));
    const QByteArray bytes = file.readAll();
    QString decoded;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        decoded = QString::fromUtf8(bytes.mid(3));
    } else if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        // The decoder reads the byte-order mark itself and drops it.
        QStringDecoder decoder(QStringDecoder::Utf16);
        decoded = decoder.decode(bytes);
    } else {
        decoded = platform::ansiDecode(bytes);
    }
    setText(decoded);
}

// --- TEkStringRC ----------------------------------------------------------------------------

TEkStringRC::TEkStringRC(QObject* owner) : QObject(owner) {}

TEkStringRC::~TEkStringRC() = default;

void TEkStringRC::setMruMax(int value) {
    // A negative limit would make the trimming loop delete from an empty list.
    mruMax_ = std::max(value, 0);
}

void TEkStringRC::setStrings(const TEkStringList* source) {
    if (source == nullptr)
        return;
    list_.setText(source->text());
}

void TEkStringRC::AddMru(const QString& s) {
    const int index = list_.indexOf(s);
    if (index == 0)
        return;
    // Refuse before deleting, so a sorted list loses no entry to the failed insertion.
    if (list_.sorted())
        throw EStringListError(kSortedListError);
    if (index > 0)
        list_.remove(index);
    list_.insert(0, s);
    while (list_.count() > mruMax_)
        list_.remove(list_.count() - 1);
}
