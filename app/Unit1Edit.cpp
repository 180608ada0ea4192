// The main window's section and item commands, and the password generator.
//
// Rows are removed from the lists, and the selection given up, before the sections and items
// they point at are deleted, so that no row and no selection handler ever sees a freed object.
#include "app/Unit1.h"

#include "app/DialogTextBoxes.h"
#include "app/EkFunctions.h"
#include "app/ImageLists.h"
#include "app/IniListModels.h"
#include "app/ItemFrm.h"
#include "app/PasswrdFrm.h"
#include "app/SecFrm.h"
#include "platform/gui/MessageBoxes.h"
#include "platform/gui/SystemServices.h"

#include <QAction>
#include <QFontMetrics>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTreeView>
#include <algorithm>
#include <array>
#include <optional>

namespace {

TEkIniSection* sectionOf(const TListRow* row) {
    return row ? static_cast<TEkIniSection*>(row->data) : nullptr;
}

TEkIniVal* itemOf(const TListRow* row) {
    return row ? static_cast<TEkIniVal*>(row->data) : nullptr;
}

// Characters below U+0020 become blanks: a TAB, CR or LF in a section name would break its
// header line, and the saved file could not be read again. The blanks at the ends go, as a load
// drops them from between the brackets, but a name of blanks alone keeps one: "[ ]" reads back as
// a blank.
QString sectionName(QString name) {
    for (QChar& c : name) {
        if (c.unicode() < 0x20)
            c = QLatin1Char(' ');
    }
    qsizetype first = 0;
    qsizetype end = name.size();
    while (first + 1 < end && name[first] == QLatin1Char(' '))
        ++first;
    while (end - 1 > first && name[end - 1] == QLatin1Char(' '))
        --end;
    return name.sliced(first, end - first);
}

// A section comment stays on its header line, as an item's comment does: LF becomes a blank,
// CR and the other control characters but TAB are dropped. Kept, a line break would write
// lines of their own that read back as items.
QString sectionComment(const QString& comment) {
    QString line;
    line.reserve(comment.size());
    for (const QChar c : comment) {
        if (c == QLatin1Char('\n'))
            line += QLatin1Char(' ');
        else if (c.unicode() >= 0x20 || c == QLatin1Char('\t'))
            line += c;
    }
    return line;
}

using Counts = std::array<int, 5>; // as the status bar shows them: sections, values, comments, errors, blanks

// Adds `sign` times the line `item` to `counts`, by kind as the document counts it.
void countLine(Counts& counts, const TEkIniVal* item, int sign) {
    const int kind = item->type;
    counts[kind == itemValue ? 1 : kind == itemComment ? 2 : kind == itemBlank ? 4 : 3] += sign;
}

void countSection(Counts& counts, const TEkIniSection* section, int sign) {
    counts[0] += sign;
    for (const TEkIniVal* item : section->values)
        countLine(counts, item, sign);
}

} // namespace

void TForm1::finishEdit(const std::array<int, 5>& change) {
    countsChange = change;
    updateActions(true);
}

void TForm1::connectEditCommands() {
    connectCommand(ActAddSection, &TForm1::ActAddSectionExecute);
    connectCommand(ActCopySection, &TForm1::ActCopySectionExecute);
    connectCommand(ActInsertSection, &TForm1::ActInsertSectionExecute);
    connectCommand(ActEditSection, &TForm1::ActEditSectionExecute);
    connectCommand(ActDeleteSection, &TForm1::ActDeleteSectionExecute);
    connectCommand(ActSilentDeleteSection, &TForm1::ActSilentDeleteSectionExecute);
    connectCommand(ActAddItem, &TForm1::ActAddItemExecute);
    connectCommand(ActInsertItem, &TForm1::ActInsertItemExecute);
    connectCommand(ActEditItem, &TForm1::ActEditItemExecute);
    connectCommand(ActDeleteItem, &TForm1::ActDeleteItemExecute);
    connectCommand(ActSilentDeleteItem, &TForm1::ActSilentDeleteItemExecute);
    connectCommand(ActGeneratePassword, &TForm1::ActGeneratePasswordExecute);
}

// --- Sections ------------------------------------------------------------------------------------

TListRow* TForm1::insertSectionRow(int index, TEkIniSection* section) {
    TListRow row;
    row.data = section;
    row.image = imgSection;
    TListRow* inserted = SectionRows->insertRow(index, std::move(row));
    section->listItem = inserted;
    updateSectionRow(section, inserted);
    return inserted;
}

void TForm1::ActAddSectionExecute() {
    const std::optional<TSectionText> answer = TFrmSection::askSection("Add Section", {}, this);
    if (!answer)
        return;
    TEkIniSection* section = model.addSection(sectionName(answer->name));
    section->comment = sectionComment(answer->comment);
    section->addValue({}, {}, {});
    const TListRow* row = insertSectionRow(SectionRows->count(), section);
    finishEdit({1, 0, 0, 0, 1});
    scrollItemIntoView(LvSections, row->index);
}

void TForm1::ActCopySectionExecute() {
    const TEkIniSection* source = sectionOf(SectionRows->row(selectedRow(LvSections)));
    if (!source)
        return;
    const std::optional<TSectionText> answer =
        TFrmSection::askSection("Copy Section", {source->name, source->comment}, this);
    if (!answer)
        return;
    TEkIniSection* copy = model.addSectionCopy(source, sectionName(answer->name));
    copy->comment = sectionComment(answer->comment);
    const TListRow* row = insertSectionRow(SectionRows->count(), copy);
    Counts change{};
    countSection(change, copy, 1);
    finishEdit(change);
    scrollItemIntoView(LvSections, row->index);
}

void TForm1::ActInsertSectionExecute() {
    const TListRow* selected = SectionRows->row(selectedRow(LvSections));
    if (!selected)
        return;
    const std::optional<TSectionText> answer = TFrmSection::askSection("Insert Section", {}, this);
    if (!answer)
        return;
    // The list shows every section in document order: the row's index is the section's.
    const int index = selected->index;
    TEkIniSection* section = model.insertSection(index, sectionName(answer->name));
    section->comment = sectionComment(answer->comment);
    section->addValue({}, {}, {});
    insertSectionRow(index, section);
    finishEdit({1, 0, 0, 0, 1});
    scrollItemIntoView(LvSections, index);
}

void TForm1::ActEditSectionExecute() {
    TListRow* row = SectionRows->row(selectedRow(LvSections));
    TEkIniSection* section = sectionOf(row);
    if (!section)
        return;
    const std::optional<TSectionText> answer =
        TFrmSection::askSection("Edit Section", {section->name, section->comment}, this);
    if (!answer)
        return;
    // Apply with the texts as they were changes nothing, not even the modified state.
    const QString name = sectionName(answer->name);
    const QString comment = sectionComment(answer->comment);
    if (name == section->name && comment == section->comment)
        return;
    section->name = name;
    section->comment = comment;
    updateSectionRow(section, row);
    finishEdit({});
    LvSections->scrollTo(SectionRows->index(row->index, 0));
}

void TForm1::ActDeleteSectionExecute() {
    const TEkIniSection* section = sectionOf(SectionRows->row(selectedRow(LvSections)));
    if (!section)
        return;
    if (platform::isShiftDown() ||
        platform::askYesNo("Delete Section ?", "Are You sure You want to delete the section named:\r\n\"" +
                                                   section->name + "\"\r\nAnd all its Items ?"))
        ActSilentDeleteSectionExecute();
}

void TForm1::ActSilentDeleteSectionExecute() {
    int current = selectedRow(LvSections);
    TListRow* row = SectionRows->row(current);
    TEkIniSection* section = sectionOf(row);
    if (!section)
        return;
    // Giving up the selection empties the value list and forgets the section; then the row
    // goes, and only then the section with its items.
    Counts change{};
    countSection(change, section, -1);
    LvSections->selectionModel()->clear();
    clearValueRows();
    SectionRows->removeRowAt(row->index);
    model.deleteSection(section);
    if (current >= SectionRows->count())
        --current;
    if (current >= 0)
        scrollItemIntoView(LvSections, current);
    finishEdit(change);
}

// --- Items ---------------------------------------------------------------------------------------

void TForm1::showItemInRow(TListRow* row, TEkIniVal* item, bool withComment) {
    row->data = item;
    row->image = std::clamp(item->type, int(itemBlank), int(itemError));
    row->withComment = withComment;
    item->listItem = row;
    ValueRows->rowChanged(row);
}

void TForm1::sizeValueColumnsFor(const TListRow* row) {
    const int pad = scaled(20);
    const QFontMetrics metrics(LvValues->font());
    for (int k = 0; k < (valuesOnly ? 2 : 3); ++k) {
        const QString& text = itemRowText(*row, k);
        if (!text.isEmpty() &&
            metrics.horizontalAdvance(text) + pad > LvValues->header()->sectionSize(k + 1)) {
            valueWidths_ = {}; // the row changed since they were measured
            sizeValueColumns();
            return;
        }
    }
}

bool TForm1::runItemDialog(const QString& caption, TItemText& text) {
    const std::optional<TItemText> answer = TFrmItem::askItem(caption, text, !valuesOnly, this);
    if (!answer)
        return false;
    text = *answer;
    return true;
}

bool TForm1::isMultiLineComment(const TItemText& answer) {
    return answer.multiLineComment && memoLines(answer.comment).size() > 1;
}

void TForm1::addItemToModel(int index, const TItemText& answer, TListRow* sectionRow) {
    TEkIniSection* section = sectionOf(sectionRow);
    TListRow* row;
    TEkIniVal* item;
    if (index < 0) {
        int at = section->values.count;
        // The values-only view shows value lines only: a new line goes right after the last of
        // them rather than after comments and blank lines the user cannot see.
        if (valuesOnly) {
            int last = at - 1;
            while (last >= 0 && section->values[last]->type != itemValue)
                --last;
            at = last + 1;
        }
        item = section->insertValue(at, answer.name, answer.value, answer.comment);
        row = ValueRows->appendRow({});
    } else {
        item = section->insertValue(index, answer.name, answer.value, answer.comment);
        row = ValueRows->insertRow(selectedRow(LvValues), {});
    }
    showItemInRow(row, item, !valuesOnly);
    updateSectionRow(section, sectionRow);
    scrollItemIntoView(LvValues, row->index);
    sizeValueColumnsFor(row);
    Counts change{};
    countLine(change, item, 1);
    finishEdit(change);
}

void TForm1::addCommentLines(int index, const QStringList& lines, TListRow* sectionRow) {
    TEkIniSection* section = sectionOf(sectionRow);
    const int firstRow = index < 0 ? ValueRows->count() : selectedRow(LvValues);
    int lastRow = -1;
    Counts change{};
    for (int k = 0; k < lines.size(); ++k) {
        TEkIniVal* item = index < 0 ? section->addValue({}, {}, lines[k])
                                    : section->insertValue(index + k, {}, {}, lines[k]);
        TListRow* row = ValueRows->insertRow(firstRow + k, {});
        // The line's text shows in either view: without it the row would be empty.
        showItemInRow(row, item, true);
        countLine(change, item, 1);
        lastRow = row->index;
    }
    updateSectionRow(section, sectionRow);
    scrollItemIntoView(LvValues, lastRow);
    for (int k = 0; k < lines.size(); ++k)
        sizeValueColumnsFor(ValueRows->row(firstRow + k));
    finishEdit(change);
}

void TForm1::ActAddItemExecute() {
    TListRow* sectionRow = SectionRows->row(selectedRow(LvSections));
    if (!sectionOf(sectionRow))
        return;
    TItemText answer;
    if (!runItemDialog("Add Value Item", answer))
        return;
    if (isMultiLineComment(answer))
        addCommentLines(-1, memoLines(answer.comment), sectionRow);
    else
        addItemToModel(-1, answer, sectionRow);
}

void TForm1::ActInsertItemExecute() {
    TListRow* sectionRow = SectionRows->row(selectedRow(LvSections));
    const TListRow* valueRow = ValueRows->row(selectedRow(LvValues));
    TEkIniSection* section = sectionOf(sectionRow);
    if (!section || !valueRow)
        return;
    TItemText answer;
    if (!runItemDialog("Insert Value Item", answer))
        return;
    // Every item has its row in the normal view, so there the row's index is the item's.
    const int index = valuesOnly ? section->values.indexOf(itemOf(valueRow)) : valueRow->index;
    if (isMultiLineComment(answer))
        addCommentLines(index, memoLines(answer.comment), sectionRow);
    else
        addItemToModel(index, answer, sectionRow);
}

void TForm1::ActEditItemExecute() {
    const TListRow* sectionRow = SectionRows->row(selectedRow(LvSections));
    TListRow* valueRow = ValueRows->row(selectedRow(LvValues));
    TEkIniVal* item = itemOf(valueRow);
    if (!sectionRow || !item)
        return;
    TItemText text{item->name, item->value, item->comment};
    // The setters would derive the kind anew: a line "=x" would become "x", a line without "=".
    if (!runItemDialog("Edit Value Item", text) ||
        (text.name == item->name && text.value == item->value && text.comment == item->comment))
        return;
    Counts change{};
    countLine(change, item, -1);
    item->setName(text.name);
    item->setValue(text.value);
    item->setComment(text.comment);
    countLine(change, item, 1);
    showItemInRow(valueRow, item, !valuesOnly);
    finishEdit(change);
    LvValues->scrollTo(ValueRows->index(valueRow->index, 0));
}

void TForm1::ActDeleteItemExecute() {
    const TEkIniVal* item = itemOf(ValueRows->row(selectedRow(LvValues)));
    if (!item || selectedRow(LvSections) < 0)
        return;
    if (platform::isShiftDown() ||
        platform::askYesNo("Delete Value Item ?",
                           "Are You sure You want to delete the Item named:\r\n\"" + item->name + "\" ?"))
        ActSilentDeleteItemExecute();
}

void TForm1::ActSilentDeleteItemExecute() {
    int current = selectedRow(LvValues);
    TListRow* sectionRow = SectionRows->row(selectedRow(LvSections));
    TEkIniSection* section = sectionOf(sectionRow);
    TEkIniVal* item = itemOf(ValueRows->row(current));
    if (!section || !item)
        return;
    Counts change{};
    countLine(change, item, -1);
    LvValues->selectionModel()->clear();
    ValueRows->removeRowAt(current);
    section->deleteValue(item);
    if (current >= ValueRows->count())
        --current;
    if (current >= 0)
        scrollItemIntoView(LvValues, current);
    updateSectionRow(section, sectionRow);
    finishEdit(change);
}

// --- Password generator --------------------------------------------------------------------------

void TForm1::ActGeneratePasswordExecute() {
    TPasswordFrm::askPassword(this, false);
}
