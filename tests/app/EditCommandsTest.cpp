// The section and item commands through the main window, with the dialogs, the message boxes
// and the file dialogs answered through their seams. After every command the document and
// both lists must agree: rows, links both ways, counters and selection.
#include "app/FrmPasswrd.h"
#include "app/IniListModels.h"
#include "app/ItemFrm.h"
#include "app/PasswrdFrm.h"
#include "app/SecFrm.h"
#include "app/Unit1.h"
#include "platform/gui/MessageBoxes.h"
#include "platform/gui/SystemServices.h"
#include "tests/support/DialogResponders.h"
#include "tests/support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using platform::IdNo;
using platform::IdYes;

namespace {

const QByteArray kFile =
    "x=0\r\n\r\n[S] ;cs\r\na=1\r\n;c\r\n\r\nb=2\r\nx\r\n[T]\r\nv=1\r\n;c\r\n\r\n[U]\r\n;only\r\n";

class EditTest : public ::testing::Test {
public:
    std::optional<TSectionText> sectionReply;
    std::optional<TItemText> itemReply;

protected:
    void SetUp() override {
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }
    void open(const QByteArray& text, bool valuesOnly = false) {
        testsupport::writeFile(name, text);
        form->openFile(name, 0);
        if (valuesOnly)
            form->ActValuesOnly->trigger();
    }
    void select(int section, int item) {
        form->scrollItemIntoView(form->LvSections, section);
        form->scrollItemIntoView(form->LvValues, item);
    }
    // kFile open with the first line of section 1 selected, and the window taking keys.
    void openForKeys() {
        open(kFile);
        select(1, 0);
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    // Each section as name;comment:lines.
    QString sections() const {
        QStringList result;
        for (const TEkIniSection* s : form->model.sections)
            result << s->name + (s->comment.isEmpty() ? "" : ";" + s->comment) + ":" +
                          QString::number(s->values.count);
        return result.join('|');
    }
    QString lines(int section) const {
        QStringList result;
        for (const TEkIniVal* item : form->model.sections[section]->values)
            result << item->lineTextWithComment();
        return result.join('|');
    }

    // Every row links to its object and back and shows its texts as the view wants them; the
    // counters count the whole document.
    void expectListsMatchDocument() {
        const bool vo = form->valuesOnly;
        ASSERT_EQ(form->SectionRows->count(), form->model.sections.count);
        for (int i = 0; i < form->model.sections.count; ++i) {
            TEkIniSection* s = form->model.sections[i];
            const TListRow* row = form->SectionRows->row(i);
            int counts[4] = {};
            s->countItemTypes(counts[0], counts[1], counts[2], counts[3]);
            EXPECT_TRUE(row->data == s && s->listItem == row) << i;
            EXPECT_EQ(form->SectionRows->text(row, 0) + "|" + form->SectionRows->text(row, 1) + "|" +
                          form->SectionRows->text(row, 2),
                      s->name + "|" + QString::number(vo ? counts[0] : s->values.count) + "|" +
                          (vo ? QString() : s->comment));
        }
        const TEkIniSection* shown = form->selectedSection;
        const TListRow* sectionRow = form->SectionRows->row(form->selectedRow(form->LvSections));
        EXPECT_EQ(static_cast<const void*>(shown), sectionRow ? sectionRow->data : nullptr);
        for (int r = 0, previous = -1; shown && r < form->ValueRows->count(); ++r) {
            const TListRow* row = form->ValueRows->row(r);
            auto* item = static_cast<TEkIniVal*>(row->data);
            EXPECT_GT(shown->values.indexOf(item), previous) << "row " << r << " out of order";
            previous = shown->values.indexOf(item);
            EXPECT_TRUE(item->listItem == row && row->image == item->type) << r;
            EXPECT_EQ(form->ValueRows->text(row, 0) + "|" + form->ValueRows->text(row, 1) + "|" +
                          form->ValueRows->text(row, 2),
                      item->name + "|" + item->value + "|" +
                          (!vo || item->type == itemComment ? item->comment : QString()));
        }
        EXPECT_TRUE(vo || !shown || form->ValueRows->count() == shown->values.count)
            << "every line has its row";
        int n[5];
        form->model.countItemTypes(n[0], n[1], n[2], n[3], n[4]);
        const TEkGradiLabel* counters[] = {form->LbSectionCount, form->LbValueCount, form->LbCommentCount,
                                           form->LbErrorCount, form->LbEmptyCount};
        for (int k = 0; k < 5; ++k)
            EXPECT_EQ(counters[k]->Caption(), QString::number(n[k])) << k;
    }

    QTemporaryDir dir;
    QString name = dir.filePath("edit.ini");
    platform::ScopedMessageBoxResponder boxes{platform::IdNo};
    platform::ScopedTextFileResponder files;
    ScopedPasswordResponder noPassword{std::nullopt};
    QStringList asked; // each dialog asked for: its caption and prefill
    platform::ScopedSeam<TFrmSection::Responder> sectionDialog{
        TFrmSection::responder, [this](const QString& caption, const TSectionText& prefill) {
            asked << caption + "|" + prefill.name + "|" + prefill.comment;
            return sectionReply;
        }};
    platform::ScopedSeam<TFrmItem::Responder> itemDialog{
        TFrmItem::responder, [this](const QString& caption, const TItemText& prefill, bool multi) {
            asked << caption + "|" + prefill.name + "|" + prefill.value + "|" + prefill.comment +
                         (multi ? "" : "|vo");
            return itemReply;
        }};
    std::unique_ptr<TForm1> form = std::make_unique<TForm1>();
};

struct CommandCase {
    const char* name; // an item command's name says "item"
    bool valuesOnly;
    int section; // selected before the command, with the value row `item`
    int item;
    QAction* TForm1::*action;
    std::optional<TItemText> reply;   // for a section: its name and comment; for a question: Yes
    const char* asked;                // each dialog and message box asked for, with its first two lines
    const char* expected;             // all sections (section commands), the section's lines (item commands)
    int selected;                     // the row selected afterwards in the list the command works on
    bool shift = false;               // held during the command
    QAction* TForm1::*save = nullptr; // run after the command
};

void PrintTo(const CommandCase& c, std::ostream* os) {
    *os << c.name << (c.valuesOnly ? " (values only" : " (normal view") << ", section " << c.section
        << ", row " << c.item << ")";
}

class CommandTest : public EditTest, public ::testing::WithParamInterface<CommandCase> {};

TEST_P(CommandTest, ChangesTheDocumentAndTheRows) {
    const CommandCase& c = GetParam();
    const bool items = QString(c.name).contains("item");
    open(kFile, c.valuesOnly);
    select(c.section, c.item);
    itemReply = c.reply;
    if (c.reply)
        sectionReply = TSectionText{c.reply->name, c.reply->comment};
    boxes.answer({c.reply ? platform::IdYes : platform::IdNo});
    {
        platform::ScopedSeam shift(platform::keyStateProbe,
                                   [&] { return c.shift ? Qt::ShiftModifier : Qt::NoModifier; });
        (form.get()->*c.action)->trigger();
    }
    if (c.save) {
        // Shown anew, a section hides its lines without "=" in the values-only view.
        select(0, -1);
        select(c.section, -1);
        (form.get()->*c.save)->trigger();
    }
    for (const auto& box : boxes.records)
        asked << box.caption + "|" + box.text.section("\r\n", 0, 1);
    EXPECT_EQ(asked.join('/'), c.asked);
    EXPECT_EQ(items ? lines(c.section) : sections(), c.expected);
    EXPECT_EQ(form->selectedRow(items ? form->LvValues : form->LvSections), c.selected);
    EXPECT_EQ(form->modified && form->ActSave->isEnabled(), c.reply.has_value());
    EXPECT_EQ(testsupport::readFile(name), kFile) << "nothing was saved";
    EXPECT_TRUE(files.records.isEmpty());
    expectListsMatchDocument();
}

// Section names lose their control characters (a TAB, CR or LF breaks the header line) and the
// blanks at their ends (a load drops them), and section comments their line breaks (the lines
// after them would read back as items). A save refuses lines that would read back as headers and
// shows them: in the view they are shown in, or in the normal view when the values-only view
// hides them.
INSTANTIATE_TEST_SUITE_P(
    Commands, CommandTest,
    ::testing::Values(
        CommandCase{"add_section", false, 0, -1, &TForm1::ActAddSection,
                    TItemText{" \tN\tM\n ", "", "l\nm\r"}, "Add Section||", ":2|S;cs:5|T:3|U:1|N M;l m:1", 4},
        CommandCase{"copy_section_values_only", true, 1, -1, &TForm1::ActCopySection,
                    TItemText{"C\rD", "", ""}, "Copy Section|S|cs", ":2|S;cs:5|T:3|U:1|C D:5", 4},
        CommandCase{"insert_section_before_the_top_lines", false, 0, -1, &TForm1::ActInsertSection,
                    TItemText{"   ", "", "x\ny"}, "Insert Section||", " ;x y:1|:2|S;cs:5|T:3|U:1", 0},
        CommandCase{"edit_section", false, 1, -1, &TForm1::ActEditSection, TItemText{" E\nF  ", "", " k\r"},
                    "Edit Section|S|cs", ":2|E F; k:5|T:3|U:1", 1},
        CommandCase{"copy_section_cancelled", false, 1, -1, &TForm1::ActCopySection, std::nullopt,
                    "Copy Section|S|cs", ":2|S;cs:5|T:3|U:1", 1},
        CommandCase{"add_item", false, 1, 2, &TForm1::ActAddItem, TItemText{"k", "v", "n"},
                    "Add Value Item|||", "a=1|;c||b=2|x|k=v ;n", 5},
        CommandCase{"add_empty_item_as_a_blank_line", false, 1, -1, &TForm1::ActAddItem, TItemText{},
                    "Add Value Item|||", "a=1|;c||b=2|x|", 5},
        CommandCase{"add_item_values_only_after_the_last_value", true, 2, -1, &TForm1::ActAddItem,
                    TItemText{"k", "v", ""}, "Add Value Item||||vo", "v=1|k=v|;c|", 1},
        CommandCase{"add_item_values_only_without_values", true, 3, -1, &TForm1::ActAddItem,
                    TItemText{"k", "v", ""}, "Add Value Item||||vo", "k=v|;only", 0},
        CommandCase{"insert_item", false, 1, 1, &TForm1::ActInsertItem, TItemText{"k", "v", ""},
                    "Insert Value Item|||", "a=1|k=v|;c||b=2|x", 1},
        CommandCase{"insert_item_comment_lines", false, 1, 3, &TForm1::ActInsertItem,
                    TItemText{"", "", "a\nb\nc", true}, "Insert Value Item|||", "a=1|;c||;a|;b|;c|b=2|x", 5},
        CommandCase{"insert_item_comment_lines_values_only", true, 1, 1, &TForm1::ActInsertItem,
                    TItemText{"", "", "p\nq\n", true}, "Insert Value Item||||vo", "a=1|;c||;p|;q|b=2|x", 2},
        CommandCase{"add_item_comment_lines", false, 1, 0, &TForm1::ActAddItem,
                    TItemText{"", "", "a\n\nc", true}, "Add Value Item|||", "a=1|;c||b=2|x|;a||;c", 7},
        CommandCase{"one_comment_line_is_one_item", false, 1, 0, &TForm1::ActAddItem,
                    TItemText{"", "", "a  \n", true}, "Add Value Item|||", "a=1|;c||b=2|x|;a", 5},
        CommandCase{"edit_item", false, 1, 0, &TForm1::ActEditItem, TItemText{"k", "w", "new\r\nline"},
                    "Edit Value Item|a|1|", "k=w ;new line|;c||b=2|x", 0},
        CommandCase{"edit_item_values_only", true, 1, 1, &TForm1::ActEditItem, TItemText{"b", "3", "note"},
                    "Edit Value Item|b|2||vo", "a=1|;c||b=3 ;note|x", 1},
        CommandCase{"delete_section_first_no", false, 0, -1, &TForm1::ActDeleteSection, std::nullopt,
                    "Delete Section ?|Are You sure You want to delete the section named:\r\n\"\"",
                    ":2|S;cs:5|T:3|U:1", 0},
        CommandCase{"delete_section_middle_shift", false, 1, -1, &TForm1::ActDeleteSection, TItemText{}, "",
                    ":2|T:3|U:1", 1, true},
        CommandCase{"delete_section_last_yes", false, 3, -1, &TForm1::ActDeleteSection, TItemText{},
                    "Delete Section ?|Are You sure You want to delete the section named:\r\n\"U\"",
                    ":2|S;cs:5|T:3", 2},
        CommandCase{"silent_delete_section_first", false, 0, -1, &TForm1::ActSilentDeleteSection, TItemText{},
                    "", "S;cs:5|T:3|U:1", 0},
        CommandCase{"delete_item_first_yes", false, 1, 0, &TForm1::ActDeleteItem, TItemText{},
                    "Delete Value Item ?|Are You sure You want to delete the Item named:\r\n\"a\" ?",
                    ";c||b=2|x", 0},
        CommandCase{"delete_item_middle_no", false, 1, 2, &TForm1::ActDeleteItem, std::nullopt,
                    "Delete Value Item ?|Are You sure You want to delete the Item named:\r\n\"\" ?",
                    "a=1|;c||b=2|x", 2},
        CommandCase{"delete_item_last_shift", false, 1, 4, &TForm1::ActDeleteItem, TItemText{}, "",
                    "a=1|;c||b=2", 3, true},
        CommandCase{"silent_delete_item_middle", false, 1, 2, &TForm1::ActSilentDeleteItem, TItemText{}, "",
                    "a=1|;c|b=2|x", 2},
        CommandCase{"save_refuses_an_item_named_with_a_bracket", false, 1, 0, &TForm1::ActEditItem,
                    TItemText{" [v", "1", ""}, "Edit Value Item|a|1|/Velquin|The line\r\n[v=1",
                    "[v=1|;c||b=2|x", 0, false, &TForm1::ActSave},
        CommandCase{"save_keeps_the_values_only_view_showing_the_item", true, 1, 1, &TForm1::ActEditItem,
                    TItemText{" [b", "2", ""}, "Edit Value Item|b|2||vo/Velquin|The line\r\n[b=2",
                    "a=1|;c||[b=2|x", 1, false, &TForm1::ActSave},
        CommandCase{"save_shows_a_hidden_item_with_a_bracket", true, 3, -1, &TForm1::ActAddItem,
                    TItemText{"", "[y", ""}, "Add Value Item||||vo/Velquin|The line\r\n[y", "[y|;only", 0,
                    false, &TForm1::ActSave},
        CommandCase{"save_as_refuses_a_section_name_with_a_bracket", false, 1, -1, &TForm1::ActEditSection,
                    TItemText{"a]b", "", ""}, "Edit Section|S|cs/Velquin|The section name\r\na]b",
                    ":2|a]b:5|T:3|U:1", 1, false, &TForm1::ActSaveAs}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EditTest, DeletingTheOnlySectionLeavesNothingSelected) {
    form->ActNewFile->trigger();
    form->ActSilentDeleteSection->trigger();
    EXPECT_EQ(form->SectionRows->count() + form->ValueRows->count(), 0);
    expectListsMatchDocument();
}

TEST_F(EditTest, GeneratorRunsAloneFromItsKeyAndItsButton) {
    openForKeys();
    int generated = 0;
    platform::ScopedSeam generator(TPasswordFrm::responder, [&](bool withApply) {
        generated += withApply ? 100 : 1;
        return std::nullopt;
    });
    QTest::keyClick(form.get(), Qt::Key_G, Qt::ControlModifier);
    QTest::mouseClick(form->EkGradiLabel1, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(generated, 2) << "the generator alone, without Apply";
}

TEST_F(EditTest, ApplyWithNothingChangedLeavesTheLinesAndTheModifiedState) {
    // "=x" is a setting without a name: given to the setters again it would become "x".
    open("=x\r\n[S] ; c\r\n");
    itemReply = TItemText{"", "x", ""};
    sectionReply = TSectionText{"  S ", " c"};
    select(0, 0);
    form->ActEditItem->trigger();
    select(1, -1);
    form->ActEditSection->trigger();
    EXPECT_EQ(asked.join('/') + "|" + QString::number(form->model.sections[0]->values[0]->type) + sections(),
              "Edit Value Item||x|/Edit Section|S| c|1:1|S; c:0");
    EXPECT_FALSE(form->modified || form->ActSave->isEnabled());
}

TEST_F(EditTest, DelAsksAndShiftDelDeletesAtOnce) {
    openForKeys();
    QTest::keyClick(form.get(), Qt::Key_Delete);
    EXPECT_EQ(boxes.records.size(), 1) << "Del asks";
    QTest::keyClick(form.get(), Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(lines(1), ";c||b=2|x");
}

} // namespace
