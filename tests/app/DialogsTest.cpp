// The section dialog, the item dialog and the password generator, driven through their widgets.
#include "app/DialogTextBoxes.h"
#include "app/FrmPasswrd.h"
#include "app/FrmSearch.h"
#include "app/ItemFrm.h"
#include "app/PasswrdFrm.h"
#include "app/SecFrm.h"
#include "app/ShortcutFrm.h"
#include "app/Unit1.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSet>
#include <QSpinBox>
#include <QTest>
#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

template <typename T = QWidget> T* child(QWidget* dialog, const char* name) {
    return dialog->findChild<T*>(name);
}

// Runs `act` on the next modal dialog of type T once it shows.
template <typename T> void whenModal(std::function<void(T*)> act) {
    QTimer::singleShot(10, [act] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget()))
            act(dialog);
        else
            whenModal<T>(act);
    });
}

// The boxes of `dialog` the user types in, and the text of one.
QWidgetList textBoxes(QWidget* dialog) {
    QWidgetList boxes;
    for (QWidget* w : dialog->findChildren<QWidget*>()) {
        if (auto* edit = qobject_cast<QLineEdit*>(w);
            (edit && !edit->isReadOnly()) || qobject_cast<TDialogMemo*>(w))
            boxes.append(w);
    }
    return boxes;
}
QString textOf(QWidget* box) {
    auto* edit = qobject_cast<QLineEdit*>(box);
    return edit ? edit->text() : static_cast<TDialogMemo*>(box)->text();
}

} // namespace

TEST(SectionDialog, OpensOverTheMainWindowAndApplyNeedsATitle) {
    QWidget main;
    main.setGeometry(100, 80, 900, 700);
    main.show();
    whenModal<TFrmSection>([&](TFrmSection* dialog) {
        const QRect outer = main.frameGeometry(), own = dialog->frameGeometry();
        EXPECT_EQ(own.topLeft(), QPoint(outer.left(), outer.top() + (outer.height() - own.height()) / 2));
        EXPECT_EQ(dialog->size(), QSize(dialog->px(467), dialog->px(291)));
        EXPECT_EQ(dialog->focusWidget(), child(dialog, "EdName"));
        auto* apply = child<QPushButton>(dialog, "ButApply");
        auto* memo = child<QPlainTextEdit>(dialog, "MemoComment");
        // Enter does not press a disabled Apply; Ctrl+Enter breaks the line.
        QTest::keyClicks(memo, "one");
        QTest::keyClick(memo, Qt::Key_Return);
        QTest::keyClick(memo, Qt::Key_Return, Qt::ControlModifier);
        QTest::keyClicks(memo, "two");
        EXPECT_TRUE(dialog->isVisible() && !apply->isEnabled());
        QTest::keyClicks(child(dialog, "EdName"), " ");
        memo->setFocus();
        QTest::keyClick(memo, Qt::Key_Tab);
        EXPECT_EQ(dialog->focusWidget(), apply);
        QTest::keyClick(memo, Qt::Key_Return);
    });
    const std::optional<TSectionText> answer = TFrmSection::askSection("Add Section", {}, &main);
    ASSERT_TRUE(answer) << "a title of one blank is accepted";
    EXPECT_EQ(answer->name + "|" + answer->comment, " |one\ntwo");
}

TEST(ItemDialog, FocusOnShowFollowsWhatThePrefillHolds) {
    struct Row {
        TItemText prefill;
        const char* focus;
        bool allSelected;
    };
    for (const Row& row : {Row{{}, "EdName", false}, Row{{"", "", "note"}, "MemoComment", true},
                           Row{{"k", "", "c"}, "MemoValue", false}, Row{{"k", "v", ""}, "MemoValue", true}}) {
        TFrmItem dialog;
        dialog.setText(row.prefill);
        dialog.show();
        EXPECT_EQ(dialog.focusWidget()->objectName(), row.focus);
        auto* memo = qobject_cast<QPlainTextEdit*>(dialog.focusWidget());
        EXPECT_EQ(memo && memo->textCursor().hasSelection(), row.allSelected) << row.focus;
    }
}

TEST(ItemDialog, MultiLineCommentOnlyWithoutNameAndValue) {
    TFrmItem dialog;
    dialog.show();
    auto* box = child<QCheckBox>(&dialog, "CbxMultiLineComment");
    auto* comment = child<QPlainTextEdit>(&dialog, "MemoComment");
    auto* value = child<QPlainTextEdit>(&dialog, "MemoValue");
    // Until the box is ticked only Ctrl+Enter breaks the comment's line; then Enter does too.
    QTest::keyClicks(comment, "a");
    QTest::keyClick(comment, Qt::Key_Return, Qt::ControlModifier);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2));
    QTest::keyClicks(comment, "b");
    QTest::keyClick(comment, Qt::Key_Return);
    EXPECT_EQ(dialog.text().comment, "a\nb\n");
    EXPECT_TRUE(dialog.text().multiLineComment && dialog.isVisible());
    // A value takes the offer away; the tick stays but no longer counts. Enter presses Apply.
    QTest::keyClicks(value, "v");
    EXPECT_FALSE(box->isEnabled() || dialog.text().multiLineComment);
    QTest::keyClick(value, Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST(ItemDialog, GeneratedPasswordGoesIntoTheValueOnApply) {
    TFrmItem dialog;
    dialog.setText({"key", "old", ""});
    dialog.show();
    whenModal<TPasswordFrm>([](TPasswordFrm* generator) {
        // Nothing generated yet: Apply, and so Enter, would blank the value.
        QTest::keyClick(generator, Qt::Key_Return);
        EXPECT_TRUE(generator->isVisible());
        child<QPushButton>(generator, "ButGenerate")->click();
        QTest::keyClick(generator, Qt::Key_Return);
    });
    child<QPushButton>(&dialog, "ButPassword")->click();
    EXPECT_EQ(dialog.text().value.size(), 8);
}

TEST(PasswordGenerator, DrawsEvenlyFromTheChosenAlphabetsInTheirOrder) {
    const QString lower = "abcdefghijklmnopqrstuvwxyz", upper = lower.toUpper(), digits = "0123456789";
    EXPECT_EQ(TPasswordFrm::alphabet(true, true, true), lower + upper + digits);
    EXPECT_EQ(TPasswordFrm::alphabet(false, true, true), upper + digits);
    EXPECT_EQ(TPasswordFrm::alphabet(true, false, false), lower);
    EXPECT_EQ(TPasswordFrm::generate({}, 8), std::nullopt);
    const QString password = *TPasswordFrm::generate(digits, 1000);
    EXPECT_EQ(password.size(), 1000);
    for (QChar c : digits)
        EXPECT_GT(password.count(c), 50) << "each digit is drawn about 100 times";
    QSet<QString> seen;
    for (int i = 0; i < 1000; ++i)
        seen.insert(*TPasswordFrm::generate(TPasswordFrm::alphabet(true, true, true), 16));
    EXPECT_EQ(seen.size(), 1000);
}

TEST(PasswordGenerator, ButtonsFollowTheResultAndTheLengthOnlySteps) {
    TPasswordFrm dialog(true);
    dialog.show();
    auto* result = child<QLineEdit>(&dialog, "EdResult");
    auto* copy = child<QPushButton>(&dialog, "ButCopyToClip");
    auto* length = child<QSpinBox>(&dialog, "EdLength");
    const auto buttons = [&] {
        return QString("%1%2%3")
            .arg(child(&dialog, "ButApply")->isEnabled())
            .arg(copy->isEnabled())
            .arg(dialog.copyButtonImage());
    };
    EXPECT_EQ(buttons(), "0025");
    child<QPushButton>(&dialog, "ButGenerate")->click();
    EXPECT_EQ(result->text().size(), 8);
    EXPECT_EQ(buttons(), "1124");
    copy->click();
    EXPECT_EQ(QApplication::clipboard()->text(), result->text());
    // Typing in the length box does nothing; its arrows step it, which changes no button.
    QTest::keyClicks(length, "5");
    QTest::keyClick(length, Qt::Key_Up);
    EXPECT_EQ(length->value(), 9);
    EXPECT_EQ(buttons(), "1124");
    QTest::keyClick(result, Qt::Key_Backspace);
    EXPECT_EQ(buttons(), "0025");
}

TEST(TextBoxes, PasteWithoutTextOnTheClipboardChangesNothing) {
    // Data of no kind: what the clipboard hands out while no program owns it.
    QGuiApplication::clipboard()->setMimeData(new QMimeData);
    QStringList kept;
    for (QDialog* dialog :
         QList<QDialog*>{new TFrmSection, new TFrmItem, new TFormSearch, new TPasswordFrm(true),
                         new TFormPassword(TFormPassword::Mode::Save), new TFrmShortcut("a.ini")}) {
        const std::unique_ptr<QDialog> owner(dialog);
        dialog->show();
        for (QWidget* box : textBoxes(dialog)) {
            QTest::keyClicks(box, "keep");
            QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
            QTest::keyClick(box, Qt::Key_Insert, Qt::ShiftModifier);
            kept << textOf(box).right(4);
        }
    }
    EXPECT_EQ(kept.join(' ').toStdString(), QString("keep ").repeated(10).trimmed().toStdString());
}

// A memo gives back each character as set, copied or pasted, long lines and the separators a
// text document would not keep included.
TEST(TextBoxes, MemoKeepsTheTextExactly) {
    const QString blanks = QString("C:\\Program Files\\a.dat,").repeated(2000);
    const QString pairs = "x" + QString::fromUcs4(U"\U0001F600").repeated(20000);
    for (const QString& text : {QString(), QString::fromUtf16(u"a\u00A0b\u2028c\u2029d\r\ne\rf\n\uFDD0g\n"),
                                blanks, pairs, blanks + "\n" + pairs + "\r\n"}) {
        TDialogMemo memo(nullptr), copy(nullptr);
        memo.setText(text);
        memo.selectAll();
        memo.copy();
        QTest::keyClick(&copy, Qt::Key_V, Qt::ControlModifier);
        EXPECT_TRUE(memo.text() == text && QGuiApplication::clipboard()->text() == text &&
                    copy.text() == text);
    }
}

// Where a long line runs on from one block into the next, the blocks meet between characters as
// a reader sees them, and a key typed or deleting there changes the text as in a short line;
// undo takes the change back. Backspace and the accent act from the next block's start, the
// others from the first block's end.
TEST(TextBoxes, MemoActsWhereBlocksMeetAsInAShortLine) {
    const auto across = [](int lead, const char16_t* cluster) { // the cluster over the 4,096th character
        return QString("x").repeated(4096 - lead) + QString::fromUtf16(cluster) + "yyy";
    };
    const QString blanks = QString("C:\\Program Files\\a.dat,").repeated(180), accent = across(1, u"e\u0301");
    const Qt::KeyboardModifiers none, shift = Qt::ShiftModifier, ctrl = Qt::ControlModifier;
    const std::tuple<const char*, QString, Qt::Key, Qt::KeyboardModifiers, QString> rows[] = {
        {"accent", accent, Qt::Key_Delete, none, ""},
        {"jamo", across(1, u"\u1100\u1161\u11A8"), Qt::Key_Delete, none, ""},
        {"zwj emoji", across(2, u"\U0001F469\u200D\U0001F4BB"), Qt::Key_Delete, none, ""},
        {"flag", across(2, u"\U0001F1EB\U0001F1F7"), Qt::Key_Delete, none, ""},
        {"letter", accent, Qt::Key_Z, none, "z"},
        {"typed accent", blanks, Qt::Key_unknown, none, QString(QChar(0x0301))},
        {"backspace", blanks, Qt::Key_Backspace, none, ""},
        {"shift backspace", blanks, Qt::Key_Backspace, shift, ""},
        {"ctrl backspace", blanks, Qt::Key_Backspace, ctrl, ""},
        {"delete", blanks, Qt::Key_Delete, none, ""},
        {"ctrl delete", blanks, Qt::Key_Delete, ctrl, ""},
        {"ctrl enter", blanks, Qt::Key_Return, ctrl, ""}};
    for (const auto& [name, text, key, modifiers, typed] : rows) {
        TDialogMemo memo(nullptr), line(nullptr);
        const auto whole = [&memo] { // the second block starts between two characters
            QTextBoundaryFinder clusters(QTextBoundaryFinder::Grapheme, memo.text());
            clusters.setPosition(memo.document()->firstBlock().length() - 1);
            return clusters.isAtBoundary();
        };
        memo.setText(text);
        EXPECT_TRUE(whole()) << name;
        const int join = memo.document()->firstBlock().length() - 1;
        line.setText(text.mid(join - 40, 80));
        for (auto [box, at] : {std::pair(&memo, join + (key == Qt::Key_Backspace || key == Qt::Key_unknown)),
                               std::pair(&line, 40)}) {
            QTextCursor cursor(box->document());
            cursor.setPosition(at);
            box->setTextCursor(cursor);
            QTest::sendKeyEvent(QTest::Click, box, key, typed, modifiers);
        }
        EXPECT_TRUE(memo.text().startsWith(text.left(join - 40)) && whole()) << name;
        EXPECT_EQ(memo.text().mid(join - 40), line.text() + text.mid(join + 40)) << name;
        QTest::keyClick(&memo, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_TRUE(memo.text() == text) << name;
    }
}

// Lines joined by a deletion keep the kind of break before the first of them, next to an empty
// line and from a selection that starts at a line's start. Positions count a break as one.
TEST(TextBoxes, MemoKeepsTheBreakBeforeLinesItJoins) {
    const std::tuple<const char*, const char*, int, int, Qt::Key, const char*> rows[] = {
        {"backspace after an empty line", "a\r\n\nb", 3, 3, Qt::Key_Backspace, "a\r\nb"},
        {"delete on an empty line", "a\n\r\nb", 2, 2, Qt::Key_Delete, "a\nb"},
        {"selection deleted", "a\nb\r\nc", 2, 4, Qt::Key_Delete, "a\nc"},
        {"selection typed over", "a\nb\r\nc", 2, 4, Qt::Key_X, "a\nxc"},
        {"selection composed over", "a\nb\r\nc", 2, 4, Qt::Key_unknown, "a\nxc"}}; // by an input method
    for (const auto& [name, text, anchor, position, key, expected] : rows) {
        TDialogMemo memo(nullptr);
        memo.setText(text);
        QTextCursor cursor(memo.document());
        cursor.setPosition(anchor);
        cursor.setPosition(position, QTextCursor::KeepAnchor);
        memo.setTextCursor(cursor);
        QInputMethodEvent composing("x", {}), committed;
        committed.setCommitString("x");
        if (key == Qt::Key_unknown) {
            QApplication::sendEvent(&memo, &composing);
            QApplication::sendEvent(&memo, &committed);
        } else {
            QTest::keyClick(&memo, key);
        }
        EXPECT_EQ(memo.text(), QString(expected)) << name;
        for (int undo = key == Qt::Key_unknown ? 2 : 1; undo > 0; --undo) // the text composed is a step
            QTest::keyClick(&memo, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(memo.text(), QString(text)) << name;
    }
}

// In each memo of the dialogs, Backspace and Ctrl+Backspace from the start of a long text's
// second block and Delete from the end of its first delete as in the text kept in one piece,
// the first block ending inside a run of letters or after a blank.
TEST(TextBoxes, DeletingWhereBlocksMeetInTheDialogs) {
    const QString letters = QString("x").repeated(4110),
                  blank = QString("x").repeated(4000) + " " + QString("y").repeated(200);
    const std::tuple<const char*, Qt::Key, Qt::KeyboardModifiers, int> keys[] = {
        {"backspace", Qt::Key_Backspace, {}, 0},
        {"ctrl backspace", Qt::Key_Backspace, Qt::ControlModifier, 0},
        {"delete", Qt::Key_Delete, {}, 1}}; // the last: presses of Left past the join
    for (const std::string box : {"item value", "item comment", "section comment"}) {
        for (const QString& text : {letters, blank}) {
            for (const auto& [name, key, modifiers, past] : keys) {
                const int tail = text == letters ? 14 : 200; // the second block's length
                TFrmItem item;
                TFrmSection section;
                QDialog* dialog = box == "section comment" ? static_cast<QDialog*>(&section) : &item;
                item.setText({"k", box == "item value" ? text : "v", text});
                section.setText({"S", text});
                dialog->show();
                auto* memo = child<TDialogMemo>(dialog, box == "item value" ? "MemoValue" : "MemoComment");
                memo->setFocus();
                QTest::keyClick(memo, Qt::Key_End, Qt::ControlModifier);
                for (int i = 0; i < tail + past; ++i)
                    QTest::keyClick(memo, Qt::Key_Left);
                QTest::keyClick(memo, key, modifiers);
                TDialogMemo whole(nullptr);
                whole.setBlockLength(std::numeric_limits<int>::max(), 0);
                whole.setText(text);
                QTextCursor at(whole.document());
                at.setPosition(int(text.size()) - tail);
                whole.setTextCursor(at);
                QTest::keyClick(&whole, key, modifiers);
                EXPECT_EQ(memo->text(), whole.text()) << box << ", " << name << ", " << tail;
            }
        }
    }
}

// Texts longer than a plain line edit takes (32,767 characters) pass the dialogs whole: kept
// in the boxes that show them, pasted into the empty ones.
TEST(TextBoxes, LongTextsPassTheDialogsWhole) {
    const QString big = QString("n").repeated(99999) + "x";
    QTemporaryDir dir;
    testsupport::writeFile(dir.filePath("a.ini"), ("[" + big + "]\r\n" + big + "=" + big + "\r\n").toUtf8());
    TForm1 form;
    form.show();
    form.openFile(dir.filePath("a.ini"), 0);
    form.scrollItemIntoView(form.LvValues, 0);
    QGuiApplication::clipboard()->setText(big);
    for (QAction* command : {form.ActEditItem, form.ActInsertItem, form.ActAddItem, form.ActEditSection,
                             form.ActCopySection, form.ActAddSection, form.ActInsertSection}) {
        whenModal<QDialog>([](QDialog* dialog) {
            for (QWidget* box : textBoxes(dialog)) {
                if (textOf(box).isEmpty())
                    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
            }
            child<QPushButton>(dialog, "ButApply")->click();
        });
        command->trigger();
    }
    ASSERT_EQ(QSize(form.model.sections.count, form.model.sections[0]->values.count), QSize(4, 3));
    for (const TEkIniSection* s : form.model.sections) {
        EXPECT_TRUE(s->name == big && s->comment == big);
        for (const TEkIniVal* i : s->values)
            EXPECT_TRUE(i->type == itemBlank || (i->name == big && i->value == big && i->comment == big));
    }
}
