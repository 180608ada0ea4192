// The lists' clipboard menu, their shortcuts, sorting by a column and the pieces of a dragged
// section, through the shown window.
#include "app/LvDragObject.h"
#include "tests/app/WindowFixture.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

namespace {

// Section 0 is "s" (the text starts with its header); "t" has no items.
const QByteArray kClipDocument = "[s] ;x\r\na=1 ;c\r\n;note\r\nb=2\r\n[t]\r\n";

class ClipboardTest : public WindowFixture {
protected:
    // Selects section row `section` and value row `value` (-1 none), with the focus on `focus`.
    void select(int section, int value, QTreeView* focus) {
        form->scrollItemIntoView(form->LvSections, section);
        if (value < 0)
            form->LvValues->selectionModel()->clear();
        form->scrollItemIntoView(form->LvValues, value);
        focus->setFocus();
    }

    QList<QAction*> entries() const { return form->PopupClip->actions(); }
};

struct MenuCase {
    const char* name;
    bool valuesOnly;
    int section, value;
    bool onValues;       // the menu opens on the value list, which has the focus
    const char* shown;   // per entry in menu order, '1' visible
    const char* enabled; // per entry in menu order, '1' enabled
};

class ClipMenu : public ClipboardTest, public ::testing::WithParamInterface<MenuCase> {};

TEST_P(ClipMenu, ShowsAndEnablesTheEntriesThatApply) {
    const MenuCase& c = GetParam();
    open(kClipDocument, c.valuesOnly);
    QTreeView* list = c.onValues ? form->LvValues : form->LvSections;
    select(c.section, c.value, list);
    // Read first: a hidden entry also reads as disabled.
    QString shown, enabled;
    for (const QAction* entry : entries())
        enabled += entry->isEnabled() ? '1' : '0';
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                            list->viewport()->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(list->viewport(), &event);
    ASSERT_TRUE(form->PopupClip->isVisible());
    for (const QAction* entry : entries())
        shown += entry->isVisible() ? '1' : '0';
    form->PopupClip->hide();
    EXPECT_EQ(shown, c.shown);
    EXPECT_EQ(enabled, c.enabled);
}

INSTANTIATE_TEST_SUITE_P(
    Selections, ClipMenu,
    ::testing::Values(MenuCase{"section_only", false, 0, -1, false, "00001101001", "00001111001"},
                      MenuCase{"item_with_comment", false, 0, 0, true, "11111111111", "11111111111"},
                      MenuCase{"item_from_section_list", false, 0, 2, false, "11101111101", "11111111101"},
                      MenuCase{"values_only_view", true, 0, 0, true, "11101011111", "11111111111"},
                      MenuCase{"empty_section", false, 1, -1, true, "00001000000", "00001111001"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ClipboardTest, EntriesStandInMenuOrderWithTheirShortcuts) {
    QStringList captions;
    for (const QAction* entry : entries())
        captions << entry->text() + (entry->shortcut().isEmpty() ? "" : " " + entry->shortcut().toString());
    EXPECT_EQ(captions,
              QStringList({"Copy Item", "Copy Item Value Ctrl+C", "Copy Item Name", "Copy Item Comment",
                           "Copy Section Name", "Copy Section Comment", "Copy Section && Item",
                           "Copy Section && All Items", "Paste Item Value Ctrl+V",
                           "Comment / Uncomment Item Ctrl+Space", "Sort All Alphabetically"}));
}

struct CopyCase {
    const char* name;
    bool valuesOnly;
    int value;               // the selected value row of section "s"
    QAction* TForm1::*entry; // null: the key below, pressed on the value list
    QKeyCombination key;
    const char* text;
};

class CopyText : public ClipboardTest, public ::testing::WithParamInterface<CopyCase> {};

TEST_P(CopyText, PutsExactlyTheTextOnTheClipboard) {
    const CopyCase& c = GetParam();
    open(kClipDocument, c.valuesOnly);
    select(0, c.value, form->LvValues);
    QGuiApplication::clipboard()->setText("unchanged");
    if (c.entry)
        (form.get()->*c.entry)->trigger();
    else
        QTest::keyClick(form->LvValues, c.key.key(), c.key.keyboardModifiers());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString(c.text));
}

const Qt::Key kNoKey = Qt::Key_unknown;

INSTANTIATE_TEST_SUITE_P(
    Texts, CopyText,
    ::testing::Values(
        CopyCase{"item", false, 0, &TForm1::MnuCopyItem, kNoKey, "a=1 ;c"},
        CopyCase{"item_values_only", true, 0, &TForm1::MnuCopyItem, kNoKey, "a=1"},
        CopyCase{"comment_line", false, 1, &TForm1::MnuCopyItem, kNoKey, ";note"},
        CopyCase{"value", false, 0, &TForm1::MnuCopyItemValue, kNoKey, "1"},
        CopyCase{"value_ctrl_c", false, 0, nullptr, Qt::CTRL | Qt::Key_C, "1"},
        CopyCase{"value_ctrl_ins", false, 2, nullptr, Qt::CTRL | Qt::Key_Insert, "2"},
        CopyCase{"name", false, 0, &TForm1::MnuCopyItemName, kNoKey, "a"},
        CopyCase{"comment", false, 0, &TForm1::MnuCopyItemComment, kNoKey, "c"},
        CopyCase{"section_name", false, 0, &TForm1::MnuCopySectionName, kNoKey, "s"},
        CopyCase{"section_comment", false, 0, &TForm1::MnuCopySectionComment, kNoKey, "x"},
        CopyCase{"section_comment_values_only", true, 0, &TForm1::MnuCopySectionComment, kNoKey, "unchanged"},
        CopyCase{"section_and_item", false, 0, &TForm1::MnuCopySectionItem, kNoKey, "[s] ;x\r\na=1 ;c"},
        CopyCase{"section_and_item_values_only", true, 0, &TForm1::MnuCopySectionItem, kNoKey,
                 "[s]\r\na=1 ;c"},
        CopyCase{"section_and_all_items", false, 0, &TForm1::MnuCopySectionAllItems, kNoKey,
                 "[s] ;x\r\na=1 ;c\r\n;note\r\nb=2\r\n"},
        CopyCase{"section_and_all_items_values_only", true, 0, &TForm1::MnuCopySectionAllItems, kNoKey,
                 "[s]\r\na=1\r\nb=2\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ClipboardTest, PasteMakesLineBreaksBlanksAndIgnoresAClipboardWithoutText) {
    open(kClipDocument);
    select(0, 2, form->LvValues);
    struct Row {
        QMimeData* clip; // owned by the clipboard once set
        QKeyCombination key;
        const char* value;
    };
    auto* image = new QMimeData;
    image->setImageData(QImage(2, 2, QImage::Format_RGB32));
    auto* lines = new QMimeData;
    lines->setText("one\r\ntwo");
    for (const Row& row :
         {Row{new QMimeData, Qt::CTRL | Qt::Key_V, "2"}, Row{image, Qt::CTRL | Qt::Key_V, "2"},
          Row{lines, Qt::SHIFT | Qt::Key_Insert, "one  two"}}) {
        QGuiApplication::clipboard()->setMimeData(row.clip);
        QTest::keyClick(form->LvValues, row.key.key(), row.key.keyboardModifiers());
        EXPECT_EQ(form->model.sections[0]->values[2]->value, QString(row.value));
        EXPECT_EQ(form->ValueRows->row(2)->texts[1], QString(row.value));
    }
    EXPECT_TRUE(form->ActSave->isEnabled());
}

TEST_F(ClipboardTest, CtrlSpaceCommentsTheItemOutAndBackOnlyFromTheValueList) {
    for (const bool valuesOnly : {false, true}) {
        SCOPED_TRACE(valuesOnly);
        open(kClipDocument, valuesOnly);
        select(0, 0, form->LvSections);
        QTest::keyClick(form->LvSections, Qt::Key_Space, Qt::ControlModifier);
        EXPECT_FALSE(form->modified);
        // A menu opened on the section list hides the entry; its key still works on the items.
        form->PopupClipPopup(form->LvSections);
        form->LvValues->setFocus();
        const TListRow* row = form->ValueRows->row(0);
        for (int press = 0; press < 2; ++press) {
            QTest::keyClick(form->LvValues, Qt::Key_Space, Qt::ControlModifier);
            const bool commented = press == 0;
            EXPECT_EQ(row->image, commented ? itemComment : itemValue);
            EXPECT_EQ(QStringList({row->texts[0], row->texts[1], row->texts[2]}).join('|'),
                      commented ? "||a=1 ;c" : "a|1|c");
            EXPECT_EQ(form->LbValueCount->Caption(), commented ? "1" : "2");
            EXPECT_EQ(form->LbCommentCount->Caption(), commented ? "2" : "1");
        }
        EXPECT_TRUE(form->modified);
        form->updateActions(false);
    }
}

// --- Sorting ---------------------------------------------------------------------------------------

// Section 0 is "b"; the sections hold 2, 1 and 3 items.
const QByteArray kSortDocument = "[b]\r\ny=2\r\nx=1\r\n[A]\r\nk=1\r\n[c]\r\nn=2\r\nm=3\r\no=1\r\n";

struct SortCase {
    const char* name;
    // Each click: 's' or 'v' (the list) and a column digit; '!' deselects every section, '*' runs
    // Sort All, '1'..'3' after '#' selects that section row.
    const char* clicks;
    const char* sections; // the section rows afterwards
    const char* values;   // the value rows afterwards
    const char* arrows;   // header arrow per column, section list then value list: 0, 1 up, 2 down
    bool modified;
};

class SortClicks : public WindowFixture, public ::testing::WithParamInterface<SortCase> {
protected:
    QString arrows(QTreeView* list) const {
        QString text;
        const QHeaderView* header = list->header();
        for (int i = 0; i < TIniListModel::columns; ++i) {
            const bool marked = header->isSortIndicatorShown() && header->sortIndicatorSection() == i;
            const int tag = (list == form->LvSections ? form->SectionRows : form->ValueRows)->columnTag(i);
            // Ascending shows the up arrow, which Qt draws for its descending order.
            EXPECT_EQ(marked ? (header->sortIndicatorOrder() == Qt::DescendingOrder ? 1 : 2) : 0, tag) << i;
            text += QString::number(tag);
        }
        return text;
    }
};

TEST_P(SortClicks, SortTheDocumentAndShowTheDirection) {
    const SortCase& c = GetParam();
    open(kSortDocument);
    for (const char* k = c.clicks; *k; k += 2) {
        if (*k == '!')
            form->LvSections->selectionModel()->clear();
        else if (*k == '*')
            form->MnuSortAllAlphabeticallyClick();
        else if (*k == '#')
            form->scrollItemIntoView(form->LvSections, k[1] - '0');
        else {
            QHeaderView* header = (*k == 's' ? form->LvSections : form->LvValues)->header();
            const int column = k[1] - '0';
            QTest::mouseClick(
                header->viewport(), Qt::LeftButton, {},
                QPoint(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                       header->height() / 2));
        }
    }
    EXPECT_EQ(names(form->SectionRows), c.sections);
    EXPECT_EQ(names(form->ValueRows), c.values);
    EXPECT_EQ(arrows(form->LvSections) + "|" + arrows(form->LvValues), c.arrows);
    EXPECT_EQ(form->modified, c.modified);
    // The rows show the document's order.
    for (int i = 0; i < form->SectionRows->count(); ++i)
        EXPECT_EQ(form->SectionRows->row(i)->data, form->model.sections[i]);
}

INSTANTIATE_TEST_SUITE_P(
    Columns, SortClicks,
    ::testing::Values(SortCase{"value_name_once", "v1", "b,A,c", "x,y", "0000|0100", true},
                      SortCase{"value_name_twice", "v1v1", "b,A,c", "y,x", "0000|0200", true},
                      SortCase{"value_name_three_times", "v1v1v1", "b,A,c", "x,y", "0000|0100", true},
                      SortCase{"value_by_value_then_comment", "#2v2v3", "b,A,c", "m,n,o", "0000|0001", true},
                      SortCase{"value_image_column", "v0", "b,A,c", "y,x", "0000|1000", true},
                      // Another section clears the value list's marks: the next click sorts ascending again.
                      SortCase{"value_marks_cleared", "v1#1#0v1", "b,A,c", "x,y", "0000|0100", true},
                      // The selected section stays selected with its items shown.
                      SortCase{"section_count", "#2s2", "A,b,c", "n,m,o", "0010|0000", true},
                      SortCase{"section_name_down", "s1s1", "c,b,A", "y,x", "0200|0000", true},
                      SortCase{"section_image_column", "s1s0", "A,b,c", "y,x", "0100|0000", true},
                      // With no section shown only the value list's arrow turns.
                      SortCase{"value_click_without_section", "!!v1", "b,A,c", "", "0000|0100", false},
                      SortCase{"sort_all", "s2*!", "A,b,c", "", "0010|0000", true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowFixture, SortAllOrdersEveryItemByNameAndLeavesNoSectionSelected) {
    open(kSortDocument);
    form->MnuSortAllAlphabeticallyClick();
    EXPECT_EQ(selected(form->LvSections), "-");
    QStringList items;
    for (const TEkIniSection* section : form->model.sections)
        for (const TEkIniVal* item : section->values)
            items << item->name;
    EXPECT_EQ(items.join(','), "k,x,y,m,n,o");
}

// --- Dragging sections -------------------------------------------------------------------------------

TEST_F(WindowFixture, DragImageShowsTheRowsFirstTextBesideItsImage) {
    open(";c\r\n[named]\r\nk=v\r\n");
    for (const int row : {0, 1}) {
        form->scrollItemIntoView(form->LvSections, row);
        TLvDragObject* drag = form->LvSectionsStartDrag();
        const QImage& image = drag->GetDragImages();
        // A nameless section shows its count.
        const QString text = row == 0 ? "1" : "named";
        const int h = form->LvSections->visualRect(form->SectionRows->index(row, 0)).height();
        EXPECT_EQ(image.size(),
                  QSize(QFontMetrics(form->LvSections->font()).horizontalAdvance(text) + h + 20, h));
        // Transparent between the image and the text, which starts at x = h + 4.
        int firstText = -1;
        for (int x = 12 + (h - 12) / 2; x < image.width() && firstText < 0; ++x)
            for (int y = 0; y < h && firstText < 0; ++y)
                firstText = qAlpha(image.pixel(x, y)) ? x : -1;
        EXPECT_GE(firstText, h + 4);
        EXPECT_LE(firstText, h + 6);
        form->LvSectionsEndDrag();
        EXPECT_EQ(form->dragObject, nullptr);
    }
}

TEST_F(WindowFixture, DragOverAcceptsListRowsAndRunsTheEdgeTimer) {
    QTreeView other;
    struct Row {
        QObject* source;
        bool accepted;
    };
    auto* plain = new QMimeData;
    for (const Row& row : {Row{new TLvDragObject(form->LvSections, 0, 0, Qt::white), true},
                           Row{new TLvDragObject(form->LvValues, 0, 0, Qt::white), true},
                           Row{new TLvDragObject(&other, 0, 0, Qt::white), false}, Row{plain, false}}) {
        row.source->setParent(form.get());
        EXPECT_EQ(form->LvSectionsDragOver(static_cast<QMimeData*>(row.source), 0, 50), row.accepted);
    }
    const int h = form->LvSections->viewport()->height();
    // y -> interval, 0 for a stopped timer.
    const std::pair<int, int> intervals[] = {{h - 4, 104}, {h, 100},  {h + 30, 70}, {h - 5, 0},  {1, 0},
                                             {0, 100},     {-30, 70}, {-150, 1},    {h + 200, 1}};
    for (const auto& [y, interval] : intervals) {
        form->LvSectionsDragOver(plain, 0, y);
        EXPECT_EQ(form->ScrollTimer->isActive() ? form->ScrollTimer->interval() : 0, interval) << y;
    }
    // Files dragged in from outside pass over the list to the window, which opens them.
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(dir.filePath("x.ini"))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form->LvSections->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
}

} // namespace
