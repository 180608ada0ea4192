// Find, the clipboard menu and keys, sorting by a column and the pieces of a dragged section,
// through the shown window, its boxes and dialogs answered by their test seams.
#include "app/FrmSearch.h"
#include "app/IniListModels.h"
#include "app/LvDragObject.h"
#include "app/Unit1.h"
#include "platform/gui/MessageBoxes.h"
#include "tests/support/DialogResponders.h"
#include "tests/support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        form->show();
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }

    // Opens `text` in the normal or the values-only view; the first section and row are selected.
    void open(const QByteArray& text, bool valuesOnly = false) {
        const QString name = dir.filePath(QString("doc%1.ini").arg(++files));
        ASSERT_TRUE(testsupport::writeFile(name, text));
        dialogs.answer(name, 0);
        form->ActOpenFile->trigger();
        if (valuesOnly != form->valuesOnly)
            form->ActValuesOnly->trigger();
    }

    // The selected rows of both lists, "section,value" ("-" for none).
    QString selection() const {
        const int s = form->selectedRow(form->LvSections);
        const int v = form->selectedRow(form->LvValues);
        return (s < 0 ? "-" : QString::number(s)) + "," + (v < 0 ? "-" : QString::number(v));
    }

    QTemporaryDir dir;
    int files = 0;
    platform::ScopedMessageBoxResponder boxes{platform::IdOk};
    platform::ScopedTextFileResponder dialogs;
    std::unique_ptr<TForm1> form = std::make_unique<TForm1>();
};

using Box = TFormSearch::Box;

// Section 0 is nameless; "broken port" is a line without "=", which the values-only view hides.
const char kFind[] = ";top port\r\n[Alpha] ;port here\r\na=1\r\nport=80 ;port\r\nx=export\r\n"
                     "[Beta]\r\n;port comment\r\nb=2\r\nbroken port\r\n[Gamma]\r\nc=Port\r\nd=none\r\n";

// A name, the text, the dialog's ticks in the order of TFormSearch::Box, the values-only view, the keys
// (F Ctrl+F, n F3, p Shift+F3, e an empty file opened, a digit a click on that section row) and,
// after each key, the selected rows; "box" in front of them after "No Mach Vere Found!", "dlg"
// when the dialog opened (cancelled); then the document searched.
using FindCase =
    std::tuple<const char*, const char*, const char*, bool, const char*, const char*, const char*>;

class FindTest : public WindowTest, public ::testing::WithParamInterface<FindCase> {
protected:
    // Presses `key` where the focus is and tells what it showed.
    QString press(char key) {
        const int dialogsBefore = opened;
        const qsizetype boxesBefore = boxes.records.size();
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : form.get();
        findFirst = key == 'F';
        if (key == 'e')
            open("");
        else if (key >= '0' && key <= '9')
            QTest::mouseClick(form->LvSections->viewport(), Qt::LeftButton, {},
                              form->LvSections->visualRect(form->SectionRows->index(key - '0', 1)).center());
        else
            QTest::keyClick(target, key == 'F' ? Qt::Key_F : Qt::Key_F3,
                            key == 'F'   ? Qt::ControlModifier
                            : key == 'p' ? Qt::ShiftModifier
                                         : Qt::NoModifier);
        if (opened > dialogsBefore && key != 'F')
            return "dlg";
        if (boxes.records.size() == boxesBefore)
            return selection();
        EXPECT_EQ(boxes.records.last().caption + "|" + boxes.records.last().text,
                  "Velquin Search|No Mach Vere Found!");
        return "box" + selection();
    }

    bool findFirst = false;
    QString text;
    QString ticks = "1111100";
    int opened = 0;
    std::string offered;
    bool commentsEnabled = true;
    platform::ScopedSeam<TFormSearch::Responder> dialog{
        TFormSearch::responder, [this](TFormSearch& shown) {
            ++opened;
            offered = shown.historyList().join(',').toStdString();
            commentsEnabled =
                shown.isBoxEnabled(Box::ItemComments) || shown.isBoxEnabled(Box::SectionComments);
            if (!findFirst)
                return false;
            shown.setFindText(text);
            for (int b = 0; b <= int(Box::CaseSensitive); ++b)
                shown.setTicked(Box(b), ticks[b] == '1');
            return true;
        }};
};

TEST_P(FindTest, SelectsEachHitInBothLists) {
    const auto& [name, pattern, boxTicks, valuesOnly, keys, expected, document] = GetParam();
    open(document, valuesOnly);
    text = pattern;
    ticks = boxTicks;
    QStringList shown;
    for (const char* key = keys; *key; ++key)
        shown << press(*key);
    EXPECT_EQ(shown.join(QLatin1Char(' ')).toStdString(), expected);
    // The values-only view searches no comments and keeps it so in the settings.
    EXPECT_EQ(commentsEnabled, !valuesOnly);
    EXPECT_FALSE(valuesOnly && (form->findSettings->sectionComments || form->findSettings->itemComments));
}

// In order: every header and line holding the text, then back from the end to the start; past
// the last hit either way "No Mach Vere Found!" comes once, then F3 starts over at the top and
// Shift+F3 opens the dialog; the hidden line "broken port" shows its section only and the search
// goes on past it; backwards from a header the previous section's lines come next; a section
// clicked since, with no line selected, is searched from its header; without a search F3 opens
// the dialog.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Hits, FindTest, ::testing::Values(
    FindCase{"forward_to_end_and_back", "port", "1111100", false, "Fnnnnnnnppppppppp",
             "0,0 1,- 1,1 1,2 2,0 2,2 3,0 box-,- 3,0 2,2 2,0 1,2 1,1 1,- 0,0 box-,- dlg", kFind},
    FindCase{"whole_words_and_case", "port", "1111111", false, "Fnnnnnn", "0,0 1,- 1,1 2,0 2,2 box-,- 0,0", kFind},
    FindCase{"last_hit_on_the_last_line", "k", "1111100", false, "Fnnn", "0,0 1,0 box-,- 0,0", "[a]\r\nk=1\r\n[b]\r\nk=2\r\n"},
    FindCase{"section_names_only", "a", "1000000", false, "Fnnnn", "1,- 2,- 3,- box-,- 1,-", kFind},
    FindCase{"item_comments_only", "port", "0000100", false, "Fnnn", "0,0 1,1 2,0 box-,-", kFind},
    FindCase{"clicked_section_from_its_header", "x", "1111100", false, "Fnn1n", "0,0 0,1 0,2 1,- 1,0",
             "[a]\r\nx1=1\r\nx2=2\r\nx3=3\r\n[b]\r\nx1=1\r\nx2=2\r\nx3=3\r\n"},
    FindCase{"backwards_from_a_header", "port", "1111100", false, "Fnp", "0,0 1,- 0,0", kFind},
    FindCase{"values_only_hidden_line", "port", "1111100", true, "Fnnnnppp", "1,1 1,2 2,- 3,0 box-,- 3,0 2,- 1,2", kFind},
    FindCase{"values_only_header_backwards", "Gamma", "1111100", true, "Fpp", "3,- box-,- dlg", kFind},
    FindCase{"stale_position_after_empty_file", "none", "1111100", false, "nFenp", "dlg 3,1 -,- box-,- box-,-", kFind}),
    [](const auto& info) { return std::string(std::get<0>(info.param)); });
// clang-format on

TEST_F(FindTest, HistoryKeepsTheLastTenTextsAndCancelKeepsTheSearch) {
    open(kFind);
    // t0 to t10, then an empty text, which finds nothing and leaves the history as it was.
    for (int i = 0; i <= 11; ++i) {
        text = i <= 10 ? QString("t%1").arg(i) : QString();
        EXPECT_EQ(press('F'), "box-,-");
    }
    text = "port";
    EXPECT_EQ(press('F'), "0,0");
    EXPECT_EQ(offered, "t10,t9,t8,t7,t6,t5,t4,t3,t2,t1");
    // Cancelled: the history offered again has "port" first, and F3 goes on.
    findFirst = false;
    form->ActSearch->trigger();
    EXPECT_EQ(offered, "port,t10,t9,t8,t7,t6,t5,t4,t3,t2");
    EXPECT_EQ(press('n'), "1,-");
}

// Section 0 is "s" (the text starts with its header); "t" has no items.
const QByteArray kClip = "[s] ;x\r\na=1 ;c\r\n;note\r\nb=2\r\n[t]\r\n";

class ClipboardTest : public WindowTest {
protected:
    // Opens kClip; section row `section` and value row `value` (-1 none) selected, the focus on `focus`.
    void select(bool valuesOnly, int section, int value, QTreeView* focus) {
        form->updateActions(false); // no question about the changes of the row before
        open(kClip, valuesOnly);
        form->scrollItemIntoView(form->LvSections, section);
        form->LvValues->selectionModel()->clear();
        form->scrollItemIntoView(form->LvValues, value);
        QApplication::setActiveWindow(form.get()); // back from a closed menu
        focus->setFocus();
    }
};

TEST_F(ClipboardTest, MenuShowsAndEnablesTheEntriesThatApply) {
    // Values-only view, section row, value row, the menu opens on the value list (which has the
    // focus); then per entry in menu order whether it is shown, and whether it is enabled.
    const std::tuple<bool, int, int, bool, const char*> rows[] = {
        {false, 0, -1, false, "00001101001 00001111001"},
        {false, 0, 0, true, "11111111111 11111111111"},
        {false, 0, 2, false, "11101111101 11111111101"},
        {true, 0, 0, true, "11101011111 11111111111"},
        {false, 1, -1, true, "00001000000 00001111001"}};
    for (const auto& [valuesOnly, section, value, onValues, expected] : rows) {
        SCOPED_TRACE(expected);
        QTreeView* list = onValues ? form->LvValues : form->LvSections;
        select(valuesOnly, section, value, list);
        QString shown, enabled;
        for (QAction* entry : form->PopupClip->actions()) {
            entry->setVisible(true); // a hidden entry also reads as disabled
            enabled += entry->isEnabled() ? '1' : '0';
        }
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                                list->viewport()->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(list->viewport(), &event);
        EXPECT_TRUE(form->PopupClip->isVisible());
        for (const QAction* entry : form->PopupClip->actions())
            shown += entry->isVisible() ? '1' : '0';
        form->PopupClip->hide();
        EXPECT_EQ((shown + " " + enabled).toStdString(), expected);
    }
    EXPECT_EQ(form->MnuCopySectionItem->text() + "|" + form->MnuCopySectionAllItems->text(),
              "Copy Section && Item|Copy Section && All Items");
}

TEST_F(ClipboardTest, CopyAndPasteTextsAreExact) {
    // Values-only view, value row of section "s", menu entry (-1: the key pressed on the value
    // list); afterwards the clipboard's text, which starts as "one\r\ntwo", and the item's value.
    const QKeyCombination none;
    // clang-format off
    const std::tuple<bool, int, int, QKeyCombination, const char*> rows[] = {
        {false, 0, 0, none, "a=1 ;c|1"}, {true, 0, 0, none, "a=1|1"}, {false, 1, 0, none, ";note|"},
        {false, 0, -1, Qt::CTRL | Qt::Key_C, "1|1"}, {false, 2, -1, Qt::CTRL | Qt::Key_Insert, "2|2"},
        {false, 0, 2, none, "a|1"}, {false, 0, 3, none, "c|1"}, {false, 0, 4, none, "s|1"}, {false, 0, 5, none, "x|1"},
        {true, 0, 5, none, "one\r\ntwo|1"}, {false, 0, 6, none, "[s] ;x\r\na=1 ;c|1"}, {true, 0, 6, none, "[s]\r\na=1 ;c|1"},
        {false, 0, 7, none, "[s] ;x\r\na=1 ;c\r\n;note\r\nb=2\r\n|1"}, {true, 0, 7, none, "[s]\r\na=1\r\nb=2\r\n|1"},
        {false, 0, 8, none, "one\r\ntwo|one  two"}, {true, 1, -1, Qt::CTRL | Qt::Key_V, "one\r\ntwo|one  two"},
        {false, 2, -1, Qt::SHIFT | Qt::Key_Insert, "one\r\ntwo|one  two"}};
    // clang-format on
    for (const auto& [valuesOnly, value, entry, key, expected] : rows) {
        SCOPED_TRACE(expected);
        select(valuesOnly, 0, value, form->LvValues);
        QGuiApplication::clipboard()->setText("one\r\ntwo");
        if (entry >= 0)
            form->PopupClip->actions()[entry]->trigger();
        else
            QTest::keyClick(form->LvValues, key.key(), key.keyboardModifiers());
        const TListRow* row = form->ValueRows->row(value);
        EXPECT_EQ(form->ValueRows->text(row, 1), static_cast<TEkIniVal*>(row->data)->value);
        EXPECT_EQ((QGuiApplication::clipboard()->text() + "|" + form->ValueRows->text(row, 1)).toStdString(),
                  expected);
    }
    EXPECT_TRUE(form->ActSave->isEnabled());
}

TEST_F(ClipboardTest, AClipboardWithoutTextPastesNothing) {
    select(false, 0, 2, form->LvValues);
    QGuiApplication::clipboard()->setText("one\r\ntwo");
    QTest::keyClick(form->LvValues, Qt::Key_V, Qt::ControlModifier);
    // The line holds a pasted text; a clipboard with nothing, or only an image, leaves it.
    for (const bool image : {false, true}) {
        auto* clip = new QMimeData; // the clipboard's once given
        if (image)
            clip->setImageData(QImage(2, 2, QImage::Format_RGB32));
        QGuiApplication::clipboard()->setMimeData(clip);
        QTest::keyClick(form->LvValues, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(form->model.sections[0]->values[2]->value, "one  two");
    }
}

TEST_F(ClipboardTest, ASaveRefusesAPasteThatWouldTurnACommentIntoASetting) {
    const QByteArray text = "[s]\r\n;Debug=1\r\nk=v ;c\r\n";
    open(text);
    QGuiApplication::clipboard()->setText("PASTED");
    QTest::keyClick(form->LvValues, Qt::Key_Insert, Qt::ShiftModifier);
    form->scrollItemIntoView(form->LvValues, 1);
    QTest::keyClick(form.get(), Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(boxes.records.size(), 1);
    EXPECT_EQ(boxes.records[0].text.section("\r\n", 0, 2),
              "The line\r\nPASTED ;Debug=1\r\nin section \"s\" would be read back as a setting.");
    EXPECT_EQ(testsupport::readFile(dir.filePath("doc1.ini")), text);
    EXPECT_EQ(selection(), "0,0") << "the line is shown";
}

// The value columns' widths are kept between selections only while the document is unchanged.
TEST_F(ClipboardTest, ReselectedSectionIsSizedByTheValuePastedSince) {
    select(false, 0, 0, form->LvValues);
    const QString wide = QString("W").repeated(300);
    QGuiApplication::clipboard()->setText(wide);
    QTest::keyClick(form->LvValues, Qt::Key_V, Qt::ControlModifier);
    form->scrollItemIntoView(form->LvSections, 0); // selected again
    ASSERT_EQ(form->ValueRows->text(form->ValueRows->row(0), 1), wide);
    EXPECT_GE(form->LvValues->header()->sectionSize(2),
              QFontMetrics(form->LvValues->font()).horizontalAdvance(wide));
}

TEST_F(ClipboardTest, CtrlSpaceCommentsTheItemOutAndBackOnlyFromTheValueList) {
    for (const bool valuesOnly : {false, true}) {
        select(valuesOnly, 0, 0, form->LvSections);
        QTest::keyClick(form->LvSections, Qt::Key_Space, Qt::ControlModifier);
        EXPECT_FALSE(form->modified);
        // A menu opened on the section list hides the entry; its key still works on the items.
        form->PopupClipPopup(form->LvSections);
        form->LvValues->setFocus();
        const TListRow* row = form->ValueRows->row(0);
        // Image, name, value, comment, then the value and comment counters.
        for (const char* shown : {"2|||a=1 ;c|1 2", "1|a|1|c|2 1"}) {
            QTest::keyClick(form->LvValues, Qt::Key_Space, Qt::ControlModifier);
            const QString counts = form->LbValueCount->Caption() + " " + form->LbCommentCount->Caption();
            const QStringList texts = {QString::number(row->image), form->ValueRows->text(row, 0),
                                       form->ValueRows->text(row, 1), form->ValueRows->text(row, 2)};
            EXPECT_EQ((texts.join('|') + "|" + counts).toStdString(), shown);
        }
        EXPECT_TRUE(form->modified);
    }
}

TEST_F(ClipboardTest, CommentEntryChosenWithKeysAndOfferedAgain) {
    // The menu, moved through with the keys, keeps the entry for the value list it opened on:
    // from the bottom, Up reaches "Sort All Alphabetically", then "Comment / Uncomment Item".
    select(false, 0, 0, form->LvValues);
    for (const int image : {2, 1}) {
        QApplication::setActiveWindow(form.get()); // back from the closed menu
        form->LvValues->setFocus();
        const QPoint at = form->LvValues->visualRect(form->ValueRows->index(0, 1)).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, form->LvValues->viewport()->mapToGlobal(at));
        QApplication::sendEvent(form->LvValues->viewport(), &event);
        QTest::keyClick(form->PopupClip, Qt::Key_Up);
        QTest::keyClick(form->PopupClip, Qt::Key_Up);
        QTest::keyClick(form->PopupClip, Qt::Key_Return);
        EXPECT_EQ(form->ValueRows->row(0)->image, image);
    }
}

// A list's rows and its arrows (0 none, 1 ascending: up, 2 descending), checked against the
// columns' direction tags.
QString rowsAndArrows(QTreeView* list, const TIniListModel* rows) {
    QStringList names;
    for (int i = 0; i < rows->count(); ++i)
        names << rows->text(rows->row(i), 0);
    QString arrows = "0000";
    const QHeaderView* header = list->header();
    // Ascending shows the up arrow, which Qt draws for its descending order.
    if (header->isSortIndicatorShown())
        arrows[header->sortIndicatorSection()] =
            header->sortIndicatorOrder() == Qt::DescendingOrder ? '1' : '2';
    for (int i = 0; i < TIniListModel::kColumns; ++i)
        EXPECT_EQ(arrows[i].digitValue(), rows->columnTag(i)) << i;
    return names.join(',') + " " + arrows;
}

TEST_F(WindowTest, ColumnClicksSortTheDocumentAndShowTheDirection) {
    // Steps of two characters: 's' or 'v' and the column clicked in the section or value list's
    // header; '#' and a section row to select; "!!" deselects the sections; "**" runs Sort All;
    // "@@" opens the file again, "RR" makes it read-only first, which nothing then sorts.
    // Then both lists, and whether the document is modified. Selecting another section clears
    // the value list's marks, so its next click sorts ascending again; the selected section stays
    // selected through a sort; with no section shown a value column only turns its arrow.
    // clang-format off
    const std::pair<const char*, const char*> rows[] = {
        {"v1v1", "b,A,c 0000 | y,x 0200 1"}, {"v1v1v1", "b,A,c 0000 | x,y 0100 1"}, {"v0", "b,A,c 0000 | y,x 1000 1"},
        {"#2v2v3", "b,A,c 0000 | m,n,o 0001 1"}, {"v1#1#0v1", "b,A,c 0000 | x,y 0100 1"},
        {"#2s2", "A,b,c 0010 | n,m,o 0000 1"}, {"s1s1", "c,b,A 0200 | y,x 0000 1"}, {"s1s0", "A,b,c 0100 | y,x 0000 1"},
        {"!!v1", "b,A,c 0000 |  0100 0"}, {"s2**", "A,b,c 0010 |  0000 1"}, {"s1v2@@", "b,A,c 0000 | y,x 0000 0"},
        {"RRs1s2v1v2**", "b,A,c 0000 | y,x 0000 0"}};
    // clang-format on
    for (const auto& [steps, expected] : rows) {
        SCOPED_TRACE(steps);
        form = std::make_unique<TForm1>(); // the columns' directions start at 0
        SetUp();
        open("[b]\r\ny=2\r\nx=1\r\n[A]\r\nk=1\r\n[c]\r\nn=2\r\nm=3\r\no=1\r\n"); // 2, 1 and 3 items
        for (const char* k = steps; *k; k += 2) {
            QHeaderView* header = (*k == 's' ? form->LvSections : form->LvValues)->header();
            const int n = k[1] - '0';
            if (*k == '!')
                form->LvSections->selectionModel()->clear();
            else if (*k == '*')
                form->MnuSortAllAlphabeticallyClick();
            else if (*k == '#')
                form->scrollItemIntoView(form->LvSections, n);
            else if (*k == '@' || (*k == 'R' && QFile::setPermissions(form->fileName, QFile::ReadOwner)))
                form->openFile(form->fileName, 0);
            else
                QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                                  {header->sectionViewportPosition(n) + header->sectionSize(n) / 2, 5});
        }
        const TForm1& f = *form;
        EXPECT_EQ((rowsAndArrows(f.LvSections, f.SectionRows) + " | " +
                   rowsAndArrows(f.LvValues, f.ValueRows) + " " + QString::number(f.modified))
                      .toStdString(),
                  expected);
        for (int i = 0; i < f.SectionRows->count(); ++i)
            EXPECT_EQ(f.SectionRows->row(i)->data, f.model.sections[i]);
    }
}

// A nameless section and a named one.
const char kDrag[] = ";c\r\n[named]\r\nk=v\r\n";

TEST_F(WindowTest, DraggedSectionShowsItsTextBesideItsImage) {
    open(kDrag);
    for (const auto& [row, text] : {std::pair{0, "1"}, {1, "named"}}) { // a nameless section shows its count
        form->scrollItemIntoView(form->LvSections, row);
        const QImage& image = form->LvSectionsStartDrag()->GetDragImages();
        const int h = form->LvSections->visualRect(form->SectionRows->index(row, 0)).height();
        EXPECT_EQ(image.size(),
                  QSize(QFontMetrics(form->LvSections->font()).horizontalAdvance(text) + h + 20, h));
        // Nothing between the 12-pixel row image and the text, which begins at x = h + 4.
        const int imageRight = 12 + (h - 12) / 2;
        QImage clear(h + 4 - imageRight, h, image.format());
        clear.fill(Qt::transparent);
        EXPECT_EQ(image.copy(imageRight, 0, clear.width(), h), clear);
        form->LvSectionsEndDrag();
    }
}

TEST_F(WindowTest, DragOverTheSectionsTakesRowsOfTheWindowsListsOnly) {
    open(kDrag);
    QTreeView other;
    for (QTreeView* list : {form->LvSections, form->LvValues, &other}) {
        TLvDragObject drag(list, 0, 0, Qt::white);
        EXPECT_EQ(form->LvSectionsDragOver(&drag, 0, 50), list != &other);
    }
    QMimeData plain;
    EXPECT_FALSE(form->LvSectionsDragOver(&plain, 0, 50));
}

TEST_F(WindowTest, DragNearAnEdgeScrollsFasterTheFurtherBeyondIt) {
    open(kDrag);
    QMimeData plain;
    // The timer's interval for y, 0 for a stopped timer.
    const int h = form->LvSections->viewport()->height();
    const int ys[] = {h - 4, h, h + 30, h - 5, 1, 0, -30, -150, h + 200};
    const int intervals[] = {104, 100, 70, 0, 0, 100, 70, 1, 1};
    for (int i = 0; i < int(std::size(ys)); ++i) {
        form->LvSectionsDragOver(&plain, 0, ys[i]);
        EXPECT_EQ(form->ScrollTimer->isActive() ? form->ScrollTimer->interval() : 0, intervals[i]) << ys[i];
    }
}

// Files dragged in from outside pass over the list to the window, which opens them.
TEST_F(WindowTest, FilesDraggedOverTheSectionsPassToTheWindow) {
    open(kDrag);
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(dir.filePath("x.ini"))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form->LvSections->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
}

} // namespace
