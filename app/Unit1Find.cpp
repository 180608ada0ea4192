// The main window's find commands, the clipboard menu of its lists, sorting by a column, and
// the handlers of a drag of a section row.
#include "app/Unit1.h"

#include "app/EkFunctions.h"
#include "app/FrmSearch.h"
#include "app/IniListModels.h"
#include "app/LvDragObject.h"
#include "model/EkSearch.h"
#include "platform/gui/MessageBoxes.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QDragMoveEvent>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>
#include <algorithm>

namespace {

TEkIniSection* sectionOf(const TListRow* row) {
    return row ? static_cast<TEkIniSection*>(row->data) : nullptr;
}

TEkIniVal* itemOf(const TListRow* row) {
    return row ? static_cast<TEkIniVal*>(row->data) : nullptr;
}

TListRow* selectedSectionRow(const TForm1& form) {
    return form.SectionRows->row(form.selectedRow(form.LvSections));
}

TListRow* selectedValueRow(const TForm1& form) {
    return form.ValueRows->row(form.selectedRow(form.LvValues));
}

void putOnClipboard(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
}

} // namespace

// --- Find ----------------------------------------------------------------------------------------

void TForm1::createFindCommands() {
    connectCommand(ActSearch, &TForm1::ActSearchExecute);
    connectCommand(ActFindNext, &TForm1::ActFindNextExecute);
    connectCommand(ActFindPrevious, &TForm1::ActFindPreviousExecute);
}

void TForm1::ActSearchExecute() {
    findSettings->backward = false;
    const std::optional<QString> text = TFormSearch::askSearch(*findSettings, valuesOnly, this);
    if (!text)
        return;
    // An empty entry ends the history: pushed, it would hide every earlier text.
    if (!text->isEmpty())
        findSettings->pushFindString(*text);
    search =
        std::make_unique<TEkSearch>(*text, QString(), findSettings->caseSensitive, findSettings->wholeWords);
    findSection = -1;
    findItem = -1;
    searchAndSelect();
}

void TForm1::ActFindNextExecute() {
    findAgain(false);
}

void TForm1::ActFindPreviousExecute() {
    findAgain(true);
}

void TForm1::findAgain(bool backward) {
    syncFindPosition();
    // Once the start was passed backwards (and reported), Shift+F3 asks for a new search.
    if (!search || (backward && findSection == -1)) {
        ActSearchExecute();
        return;
    }
    if (backward)
        advanceFindBackward();
    else
        advanceFindForward();
    findSettings->backward = backward;
    // A step past either end still searches, so that the end is reported once: forwards the
    // next F3 then starts over at the top.
    searchAndSelect();
}

void TForm1::syncFindPosition() {
    const TListRow* sectionRow = selectedSectionRow(*this);
    if (!sectionRow)
        return;
    // The values-only view leaves rows out: the rows' objects tell the position.
    const TEkIniSection* section = sectionOf(sectionRow);
    const int index = valuesOnly ? model.sections.indexOf(section) : sectionRow->index;
    if (index < 0)
        return;
    if (const TListRow* valueRow = selectedValueRow(*this)) {
        const int item = valuesOnly ? section->values.indexOf(itemOf(valueRow)) : valueRow->index;
        findSection = index;
        if (item >= 0)
            findItem = item;
        return;
    }
    // With no line selected the section stands at its header, except after a hit on a line the
    // values-only view hides, which has no row to select: the search goes on from that line.
    const bool onHiddenLine = valuesOnly && index == findSection && findItem >= 0 &&
                              findItem < section->values.count && !section->values[findItem]->listItem;
    findSection = index;
    if (!onHiddenLine)
        findItem = -1;
}

void TForm1::advanceFindForward() {
    // A section is entered at its header (-1), so that its name and comment are searched too.
    if (findSection < 0 || findSection == kFindPastEnd) {
        findSection = 0;
        findItem = -1;
        return;
    }
    // A header hit found backwards stands past the items: forwards its items come next.
    if (findItem == kFindPastEnd)
        findItem = -1;
    const TSearchStruct& where = *findSettings;
    const int sectionRows = SectionRows->count();
    if (!where.itemNames && !where.itemValues && !where.itemComments) {
        ++findSection;
        if (findSection >= sectionRows)
            findSection = kFindPastEnd;
        return;
    }
    // A position the document has lost since (its section deleted, another file opened) counts
    // as a section without items, so the step runs on past the end.
    const int items = findSection < model.sections.count ? model.sections[findSection]->values.count : 0;
    if (findItem < items - 1) {
        ++findItem;
        return;
    }
    findItem = -1;
    ++findSection;
    if (findSection >= sectionRows)
        findSection = kFindPastEnd;
}

void TForm1::advanceFindBackward() {
    const TSearchStruct& where = *findSettings;
    // A section's lines follow its header: before the header come the previous section's lines.
    if (findItem == kFindPastEnd || findItem == -1) {
        findItem = kFindPastEnd;
        --findSection;
        return;
    }
    if (!where.itemNames && !where.itemValues && !where.itemComments) {
        --findSection;
        return;
    }
    if (findItem > 0) {
        --findItem;
        return;
    }
    findItem = kFindPastEnd;
    --findSection;
}

void TForm1::searchAndSelect() {
    if (!search)
        return;
    const TSearchStruct& where = *findSettings;
    const bool backward = where.backward;
    if (!model.find(*search, findSection, findItem, where.sectionNames, where.sectionComments,
                    where.itemNames, where.itemValues, where.itemComments, backward)) {
        platform::showInfo("Velquin Search", "No Mach Vere Found!");
        LvSections->selectionModel()->clear();
        LvValues->selectionModel()->clear();
        findSection = backward ? -1 : kFindPastEnd;
        findItem = findSection;
        return;
    }
    if (findSection >= 0 && findSection < SectionRows->count()) {
        // A hit in the section already shown keeps its rows: a large section is not refilled
        // for every step.
        if (selectedRow(LvSections) == findSection)
            LvSections->scrollTo(SectionRows->index(findSection, 0));
        else
            scrollItemIntoView(LvSections, findSection);
    } else
        findSection = backward ? kFindPastEnd : -1;

    int row = findItem;
    if (valuesOnly) {
        const TEkIniSection* section = sectionOf(selectedSectionRow(*this));
        // A header hit leaves findItem outside the items: it has no row to follow.
        if (section && findItem >= 0 && findItem < section->values.count) {
            const auto* link = static_cast<const TListRow*>(section->values[findItem]->listItem);
            if (!link) {
                // A line this view hides: its section is shown, no row is, and the search goes
                // on from the hit.
                LvValues->selectionModel()->clear();
                return;
            }
            row = link->index;
        }
    }
    if (row >= 0 && row < ValueRows->count()) {
        scrollItemIntoView(LvValues, row);
    } else {
        LvValues->selectionModel()->clear();
        findItem = backward ? kFindPastEnd : -1;
    }
}

// --- Clipboard -----------------------------------------------------------------------------------

void TForm1::createClipMenu() {
    connectCommand(ActCopyItemValue, &TForm1::MnuCopyItemValueClick);
    connectCommand(ActPasteItemValue, &TForm1::MnuPasteItemValueClick);

    using K = QKeySequence;
    PopupClip = new QMenu(this);
    PopupClip->setObjectName("PopupClip");
    // The entries show their shortcuts; the keys themselves are taken by the lists (below).
    const auto entry = [this](const char* caption, void (TForm1::*click)(), const K& key = {}) {
        QAction* action = PopupClip->addAction(QString::fromLatin1(caption));
        action->setShortcut(key);
        action->setShortcutContext(Qt::WidgetShortcut);
        connectCommand(action, click);
        return action;
    };
    MnuCopyItem = entry("Copy Item", &TForm1::MnuCopyItemClick);
    MnuCopyItemValue = entry("Copy Item Value", &TForm1::MnuCopyItemValueClick, K(Qt::CTRL | Qt::Key_C));
    MnuCopyItemName = entry("Copy Item Name", &TForm1::MnuCopyItemNameClick);
    MnuCopyItemComment = entry("Copy Item Comment", &TForm1::MnuCopyItemCommentClick);
    MnuCopySectionName = entry("Copy Section Name", &TForm1::MnuCopySectionNameClick);
    MnuCopySectionComment = entry("Copy Section Comment", &TForm1::MnuCopySectionCommentClick);
    MnuCopySectionItem = entry("Copy Section && Item", &TForm1::MnuCopySectionItemClick);
    MnuCopySectionAllItems = entry("Copy Section && All Items", &TForm1::MnuCopySectionAllItemsClick);
    MnuPasteItemValue = entry("Paste Item Value", &TForm1::MnuPasteItemValueClick, K(Qt::CTRL | Qt::Key_V));
    MnuCommentUncommentItem =
        entry("Comment / Uncomment Item", &TForm1::MnuCommentUncommentItemClick, K(Qt::CTRL | Qt::Key_Space));
    MnuSortAllAlphabetically = entry("Sort All Alphabetically", &TForm1::MnuSortAllAlphabeticallyClick);
    updateClipMenu();

    // A hidden entry is also disabled: the lists' own actions take the keys, and the commands
    // check what they need.
    const auto listShortcut = [this](QAction* menuEntry, void (TForm1::*click)()) {
        auto* action = new QAction(this);
        action->setShortcut(menuEntry->shortcut());
        action->setShortcutContext(Qt::WidgetShortcut);
        LvSections->addAction(action);
        LvValues->addAction(action);
        connectCommand(action, click);
    };
    listShortcut(MnuCopyItemValue, &TForm1::MnuCopyItemValueClick);
    listShortcut(MnuPasteItemValue, &TForm1::MnuPasteItemValueClick);
    listShortcut(MnuCommentUncommentItem, &TForm1::MnuCommentUncommentItemClick);
    // The comment entry depends on where the focus is, not only on the selection.
    connect(qApp, &QApplication::focusChanged, &focusWatch_, [this](QWidget* old, QWidget* now) {
        if (old == LvValues || now == LvValues || old == PopupClip || now == PopupClip)
            updateClipMenu();
    });

    for (QTreeView* list : {LvSections, LvValues}) {
        list->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(list, &QWidget::customContextMenuRequested, this, [this, list](const QPoint& at) {
            PopupClipPopup(list);
            PopupClip->popup(list->viewport()->mapToGlobal(at));
        });
    }
}

void TForm1::updateClipMenu() {
    if (!PopupClip)
        return;
    // While a selection changes, the current row may still be the old one: ask the selection.
    const bool v = LvValues->selectionModel()->hasSelection();
    const bool s = LvSections->selectionModel()->hasSelection();
    for (QAction* entry : {MnuCopyItemValue, MnuCopyItemName, MnuCopyItemComment, MnuCopyItem})
        entry->setEnabled(v);
    for (QAction* entry :
         {MnuCopySectionName, MnuCopySectionComment, MnuCopySectionItem, MnuCopySectionAllItems})
        entry->setEnabled(s);
    // A read-only document is not edited, as its rows' edit commands are off.
    MnuPasteItemValue->setEnabled(v && !readOnly);
    ActPasteItemValue->setEnabled(!readOnly);
    MnuCommentUncommentItem->setEnabled(v && valueListFocused() && !readOnly);
    MnuSortAllAlphabetically->setEnabled(!readOnly);
}

bool TForm1::valueListFocused() const {
    // The open menu takes the focus once the keys move through it: the list it opened on keeps
    // the focus for its entries.
    if (PopupClip->isVisible())
        return clipMenuList_ == LvValues;
    return LvValues->hasFocus();
}

void TForm1::PopupClipPopup(QTreeView* list) {
    clipMenuList_ = list;
    // A focus that came back from a closed menu may have passed unnoticed.
    updateClipMenu();
    const TListRow* valueRow = selectedValueRow(*this);
    const TListRow* sectionRow = selectedSectionRow(*this);
    const bool v = valueRow != nullptr;
    const bool s = sectionRow != nullptr;
    for (QAction* entry : {MnuCopyItemValue, MnuCopyItemName, MnuCopyItem, MnuPasteItemValue})
        entry->setVisible(v);
    // Column 3 of a row holds the comment; the values-only view leaves it empty.
    MnuCopyItemComment->setVisible(v && !itemRowText(*valueRow, 2).isEmpty());
    MnuCopySectionName->setVisible(s);
    MnuCopySectionComment->setVisible(s && !sectionRowText(*sectionRow, 2).isEmpty());
    MnuCopySectionItem->setVisible(s && v);
    MnuCopySectionAllItems->setVisible(s && ValueRows->count() > 0);
    MnuCommentUncommentItem->setVisible(v && LvValues->hasFocus());
    MnuSortAllAlphabetically->setVisible((list == LvSections && SectionRows->count() > 1) ||
                                         (list == LvValues && ValueRows->count() >= 2));
}

void TForm1::MnuCopyItemClick() {
    if (const TEkIniVal* item = itemOf(selectedValueRow(*this)))
        putOnClipboard(item->lineText(!valuesOnly));
}

void TForm1::MnuCopyItemValueClick() {
    if (const TEkIniVal* item = itemOf(selectedValueRow(*this)))
        putOnClipboard(item->value);
}

void TForm1::MnuCopyItemNameClick() {
    if (const TEkIniVal* item = itemOf(selectedValueRow(*this)))
        putOnClipboard(item->name);
}

void TForm1::MnuCopyItemCommentClick() {
    if (const TEkIniVal* item = itemOf(selectedValueRow(*this)))
        putOnClipboard(item->comment);
}

void TForm1::MnuCopySectionNameClick() {
    if (const TEkIniSection* section = sectionOf(selectedSectionRow(*this)))
        putOnClipboard(section->name);
}

void TForm1::MnuCopySectionCommentClick() {
    if (valuesOnly)
        return;
    if (const TEkIniSection* section = sectionOf(selectedSectionRow(*this)))
        putOnClipboard(section->comment);
}

void TForm1::MnuCopySectionItemClick() {
    const TEkIniSection* section = sectionOf(selectedSectionRow(*this));
    const TEkIniVal* item = itemOf(selectedValueRow(*this));
    if (!section || !item)
        return;
    QString text = '[' + section->name + ']';
    if (!valuesOnly && !section->comment.isEmpty())
        text += " ;" + section->comment;
    putOnClipboard(text + kLineBreak + item->lineTextWithComment());
}

void TForm1::MnuCopySectionAllItemsClick() {
    if (const TEkIniSection* section = sectionOf(selectedSectionRow(*this)))
        putOnClipboard(section->sectionText(!valuesOnly));
}

void TForm1::MnuPasteItemValueClick() {
    TListRow* row = selectedValueRow(*this);
    TEkIniVal* item = itemOf(row);
    const QMimeData* clip = QGuiApplication::clipboard()->mimeData();
    // The lists' own key reaches here whatever the menu entry's state.
    if (readOnly || !item || !clip || !clip->hasText())
        return;
    QString text = clip->text();
    text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    item->setValue(text);
    ValueRows->rowChanged(row);
    updateActions(true);
}

void TForm1::MnuCommentUncommentItemClick() {
    if (readOnly || LvSections->hasFocus())
        return;
    TListRow* row = selectedValueRow(*this);
    TEkIniVal* item = itemOf(row);
    if (!item)
        return;
    item->toggleComment();
    row->image = std::clamp(item->type, int(itemBlank), int(itemError));
    row->withComment = true;
    ValueRows->rowChanged(row);
    refreshCounts();
    updateActions(true);
}

// --- Sorting -------------------------------------------------------------------------------------

namespace {

// The first click on a column sorts ascending (1), the next descending (2), and so on.
int nextDirection(int tag) {
    return tag == 1 ? 2 : 1;
}

} // namespace

void TForm1::createColumnSorting() {
    for (QTreeView* list : {LvSections, LvValues}) {
        // The header turns its own arrow before it reports the click: the columns' tags are
        // shown again first, so that only the click's handler changes the arrows.
        QHeaderView* header = list->header();
        header->setSectionsClickable(true);
        connect(header, &QHeaderView::sectionClicked, this, [this, list](int column) {
            const TIniListModel* rows = list == LvSections ? SectionRows : ValueRows;
            for (int i = 0; i < TIniListModel::kColumns; ++i)
                setHeaderArrow(list, i, rows->columnTag(i));
            runGuarded([&] {
                if (list == LvSections)
                    LvSectionsColumnClick(column);
                else
                    LvValuesColumnClick(column);
            });
        });
    }
}

void TForm1::LvValuesColumnClick(int column) {
    // A sort reorders the document itself, which a read-only one keeps as it is.
    if (readOnly)
        return;
    const int direction = nextDirection(ValueRows->columnTag(column));
    setSortArrow(LvValues, column, direction);
    // With no section shown there is nothing to sort: only the arrow turns.
    if (!selectedSection)
        return;
    const bool ascending = direction == 1;
    switch (column) {
    case 1:
        selectedSection->sortValues(0, ascending);
        break;
    case 2:
        selectedSection->sortValues(1, ascending);
        break;
    case 3:
        selectedSection->sortValues(3, ascending);
        break;
    default:
        break;
    }
    fillValueList(selectedSection);
    updateActions(true);
}

void TForm1::LvSectionsColumnClick(int column) {
    if (readOnly || column <= 0 || column >= TIniListModel::kColumns)
        return;
    TEkIniSection* previous = selectedSection ? sectionOf(selectedSectionRow(*this)) : nullptr;
    selectedSection = nullptr;
    const int direction = nextDirection(SectionRows->columnTag(column));
    // Column 1 shows the name, which the document sorts as its column 0.
    model.sortSections(column == 1 ? 0 : column, direction == 1);
    fillSectionList();
    setSortArrow(LvSections, column, direction);
    if (previous)
        reselectSection(previous);
    updateActions(true);
}

void TForm1::MnuSortAllAlphabeticallyClick() {
    if (readOnly)
        return;
    model.sortAll(0, true);
    fillSectionList();
    updateActions(true);
}

void TForm1::setSortArrow(QTreeView* list, int index, int direction) {
    TIniListModel* rows = list == LvSections ? SectionRows : ValueRows;
    for (int i = 0; i < TIniListModel::kColumns; ++i) {
        const int tag = i == index ? direction : 0;
        setHeaderArrow(list, i, tag);
        rows->setColumnTag(i, tag);
    }
}

void TForm1::setHeaderArrow(QTreeView* list, int index, int direction) {
    QHeaderView* header = list->header();
    if (!header || index < 0 || index >= header->count())
        return;
    // The header shows one arrow at most: clearing a column clears the arrow only when it is
    // that column's.
    if (direction == 1 || direction == 2) {
        // Qt draws the up arrow for its descending order: ascending shows the up arrow here.
        header->setSortIndicator(index, direction == 1 ? Qt::DescendingOrder : Qt::AscendingOrder);
        header->setSortIndicatorShown(true);
    } else if (header->sortIndicatorSection() == index) {
        header->setSortIndicatorShown(false);
        header->setSortIndicator(-1, Qt::AscendingOrder);
    }
}

void TForm1::reselectSection(TEkIniSection* section) {
    if (const TListRow* row = SectionRows->findRow(section))
        scrollItemIntoView(LvSections, row->index);
}

// --- Dragging sections ---------------------------------------------------------------------------

namespace {

// The edge timer: the rows next to an edge, and the slowest tick (at the edge itself).
constexpr int kBottomEdgeRows = 5;
constexpr int kEdgeInterval = 100;

// Hands the section list's drags and mouse releases to the window. Files dragged in from
// outside pass on to the window, which opens them.
class TSectionListEvents : public QObject {
public:
    explicit TSectionListEvents(TForm1* form) : QObject(form), form_(form) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonRelease:
            form_->LvSectionsMouseUp();
            return false;
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (!drag->mimeData() || drag->mimeData()->hasUrls())
                return false;
            const QPoint at = drag->position().toPoint();
            if (form_->LvSectionsDragOver(drag->mimeData(), at.x(), at.y()))
                drag->acceptProposedAction();
            else
                drag->ignore();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            if (!drop->mimeData() || drop->mimeData()->hasUrls())
                return false;
            form_->LvSectionsDragDrop();
            drop->acceptProposedAction();
            return true;
        }
        default:
            return QObject::eventFilter(watched, event);
        }
    }

private:
    TForm1* form_;
};

} // namespace

void TForm1::createSectionDragging() {
    LvSections->viewport()->setAcceptDrops(true);
    LvSections->viewport()->installEventFilter(new TSectionListEvents(this));
    connect(ScrollTimer, &QTimer::timeout, this, [this] {
        if (scrollDown_)
            LvSectionsScrollDownTimer();
        else
            LvSectionsScrollUpTimer();
    });
}

TLvDragObject* TForm1::LvSectionsStartDrag() {
    const QPoint at = LvSections->viewport()->mapFromGlobal(QCursor::pos());
    delete dragObject;
    dragObject = new TLvDragObject(LvSections, at.x(), at.y(), LvSections->palette().color(QPalette::Base));
    dragObject->setParent(this);
    return dragObject;
}

bool TForm1::LvSectionsDragOver(const QMimeData* source, int /*x*/, int y) {
    const auto* drag = qobject_cast<const TLvDragObject*>(source);
    const bool accept = drag && (drag->control() == LvSections || drag->control() == LvValues);
    const int h = LvSections->viewport()->height();
    int interval = 0;
    if (y > h - kBottomEdgeRows) {
        interval = kEdgeInterval - (y - h);
        scrollDown_ = true;
    } else if (y < 1) {
        interval = y + kEdgeInterval;
        scrollDown_ = false;
    } else {
        ScrollTimer->stop();
        return accept;
    }
    // Far beyond an edge the formula reaches 0 and below: the timer then ticks at its fastest.
    interval = std::max(interval, 1);
    if (ScrollTimer->interval() != interval)
        ScrollTimer->setInterval(interval);
    if (!ScrollTimer->isActive())
        ScrollTimer->start();
    return accept;
}

void TForm1::LvSectionsDragDrop() {
    ScrollTimer->stop();
}

void TForm1::LvSectionsEndDrag() {
    delete dragObject;
    dragObject = nullptr;
}

void TForm1::LvSectionsMouseUp() {
    ScrollTimer->stop();
}

void TForm1::LvSectionsScrollUpTimer() {
    LvSections->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
}

void TForm1::LvSectionsScrollDownTimer() {
    LvSections->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
}
