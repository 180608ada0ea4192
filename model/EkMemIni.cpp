// The document's classes and their editing: items, sections and the document, and how the
// setters clean a text. Reading is in EkMemIniRead.cpp, writing in EkMemIniWrite.cpp, the check
// before a save in EkMemIniCheck.cpp, sorting in EkMemIniSort.cpp, and the memory a load fills in
// EkMemIniBlocks.cpp.
#include "model/EkMemIni.h"

#include "model/EkMemIniPrivate.h"

#include <algorithm>

using namespace ekmemini;

namespace {

// --- Text cleaning of the setters ------------------------------------------------------------

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

QString trimmedRange(const char16_t* first, const char16_t* end) {
    const auto [b, e] = trimmedBounds(first, end);
    return fromRange(b, e);
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
