#include "app/DialogTextBoxes.h"
#include "app/MemoJoins.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDrag>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <algorithm>
#include <limits>
#include <memory>
#include <optional>
#include <utility>

using namespace memojoins;

namespace {

// Lines longer than this are held in blocks of about this many characters. Laying out a block
// of this size takes well under a millisecond; a memo shows a few of them at a time.
constexpr int kBlockLength = 4096;
// A block ends after the last blank within this many characters of its end, if there is one,
// so that its end falls where wrapping would break the line anyway.
constexpr int kBlankReach = 256;

// What a key deletes when nothing is selected, as the plain text edit has it.
enum class Deletion { None, PreviousChar, NextChar, PreviousWord, NextWord };

Deletion deletionOf(const QKeyEvent* event) {
    if (event->key() == Qt::Key_Backspace && !(event->modifiers() & ~Qt::ShiftModifier))
        return Deletion::PreviousChar;
    if (event->matches(QKeySequence::Delete))
        return Deletion::NextChar;
    if (event->matches(QKeySequence::DeleteStartOfWord))
        return Deletion::PreviousWord;
    if (event->matches(QKeySequence::DeleteEndOfWord))
        return Deletion::NextWord;
    return Deletion::None;
}

// Whether the plain text edit types the key's text, as its input control decides.
bool typesText(const QKeyEvent* event) {
    const QString text = event->text();
    if (text.isEmpty())
        return false;
    const QChar c = text.front();
    if (c.category() == QChar::Other_Format)
        return true;
    if (event->modifiers() == Qt::ControlModifier ||
        event->modifiers() == (Qt::ShiftModifier | Qt::ControlModifier))
        return false;
    return c.isPrint() || c.category() == QChar::Other_PrivateUse ||
           (c.isHighSurrogate() && text.size() > 1 && text[1].isLowSurrogate());
}

// Whether the caret stands at its line's own start (`back`) or end, where a deletion takes the
// line break.
bool atLineEdge(const QTextCursor& cursor, bool back) {
    return back ? cursor.atBlockStart() && !continuesLine(cursor.block())
                : cursor.atBlockEnd() && !continuesLine(cursor.block().next());
}

// Deletes the line break before (`back`) or after the caret at its line's start or end where the
// text edit would lose the break's kind next to an empty line. False where the text edit deletes
// it as it should, or there is none.
bool deleteLineBreak(const QTextCursor& cursor, bool back) {
    const int at = cursor.position();
    const int from = back ? at - 1 : at;
    if (!(back ? cursor.block().previous() : cursor.block().next()).isValid() ||
        !removalNeedsCare(cursor.document(), from, from + 1))
        return false;
    QTextCursor edit(cursor.document());
    removeRange(edit, back ? at - 1 : at + 1, at);
    return true;
}

// Where the code point before `position`, in `block`, starts: Backspace takes one, as in the
// text edit.
int codePointStart(const QTextBlock& block, int position) {
    const QString text = block.text();
    const int i = position - block.position();
    return position - (i >= 2 && text[i - 1].isLowSurrogate() && text[i - 2].isHighSurrogate() ? 2 : 1);
}

// Where the character as the reader sees it that starts at `position`, in `block`, ends: Delete
// takes one. An edit may have left a mark at the start of the next block, which belongs to the
// character before: the character then ends in that block.
int characterEnd(const QTextBlock& block, int position) {
    const int i = position - block.position();
    const int end = block.position() + block.layout()->nextCursorPosition(i);
    if (end != blockEnd(block) || !continuesLine(block.next()))
        return end;
    const LineStretch stretch(block, block.next());
    return stretch.positionOf(QTextLayout(stretch.text()).nextCursorPosition(i), false);
}

// Backspace (`back`) or Delete with the caret in a long line held in blocks. False where the text
// edit deletes as in the unbroken line.
bool deleteCharacter(const QTextCursor& cursor, bool back) {
    // The character is in the block before or after when the caret stands at a join.
    const bool across = back ? cursor.atBlockStart() : cursor.atBlockEnd();
    QTextBlock block = cursor.block();
    int from = cursor.position();
    if (across) {
        block = back ? block.previous() : block.next();
        from = back ? blockEnd(block) : block.position();
    }
    const int start = back ? codePointStart(block, from) : from;
    const int end = back ? from : characterEnd(block, from);
    QTextCursor edit(cursor.document());
    if (end > blockEnd(block) || removalNeedsCare(cursor.document(), start, end)) {
        removeRange(edit, back ? start : end, back ? end : start);
        return true;
    }
    if (!across)
        return false;
    // As the text edit deletes one, so that a run of deletions is undone in one step.
    edit.setPosition(from);
    back ? edit.deletePreviousChar() : edit.deleteChar();
    return true;
}

// Ctrl+Backspace (`back`) or Ctrl+Delete with the caret in a long line held in blocks: deletes
// the word as in the unbroken line.
void deleteWord(const QTextCursor& cursor, bool back) {
    const LineStep step = stepInLine(cursor.block(), cursor.position(), QTextLayout::SkipWords, back);
    // The blocks where the deletion starts and ends keep their joins to the blocks beyond.
    // Anchored at the caret, as the text edit deletes a word.
    const int start = step.stretch.positionOf(std::min(step.from, step.to), true);
    const int stop = step.stretch.positionOf(std::max(step.from, step.to), false);
    QTextCursor edit(cursor.document());
    removeRange(edit, back ? stop : start, back ? start : stop);
}

} // namespace

QString pastableText(const QMimeData* data) {
    return data && data->hasText() ? data->text() : QString();
}

TDialogEdit::TDialogEdit(QWidget* parent) : QLineEdit(parent) {
    setMaxLength(std::numeric_limits<int>::max());
}

void TDialogEdit::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Paste) &&
        pastableText(QGuiApplication::clipboard()->mimeData()).isEmpty()) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

TDialogMemo::TDialogMemo(QWidget* parent)
    : QPlainTextEdit(parent), blockLength_(kBlockLength), blankReach_(kBlankReach) {
    setTabChangesFocus(true);
}

void TDialogMemo::setBlockLength(int length, int blankReach) {
    blockLength_ = std::max(length, 2);
    blankReach_ = std::clamp(blankReach, 0, blockLength_);
}

QStringList memoLines(const QString& text) {
    QStringList result = text.split(QLatin1Char('\n'));
    if (result.size() > 1 && result.constLast().isEmpty())
        result.removeLast();
    return result;
}

QString TDialogMemo::text() const {
    return textBetween(0, document()->characterCount() - 1);
}

void TDialogMemo::setText(const QString& text) {
    QPlainTextEdit::setPlainText(QString());
    QTextDocument* doc = document();
    doc->setUndoRedoEnabled(false);
    QTextCursor cursor(doc);
    cursor.beginEditBlock();
    insertText(cursor, text);
    cursor.endEditBlock();
    doc->setUndoRedoEnabled(true);
    moveCursor(QTextCursor::Start);
}

bool TDialogMemo::isEmpty() const {
    return document()->isEmpty();
}

void TDialogMemo::insertText(QTextCursor& cursor, const QString& text) const {
    const QStringView view(text);
    if (cursor.hasSelection())
        removeRange(cursor, cursor.anchor(), cursor.position());
    // A line break typed where a long line runs on into its next block takes the place of the
    // join: either block would otherwise be left empty.
    bool breaks = false;
    for (qsizetype i = 0; i < view.size() && !breaks; ++i)
        breaks = blockBreakAt(view, i) > 0;
    if (breaks && cursor.atBlockStart() && continuesLine(cursor.block()))
        removeRange(cursor, cursor.position(), cursor.position() - 1);
    else if (breaks && cursor.atBlockEnd() && continuesLine(cursor.block().next()))
        removeRange(cursor, cursor.position(), cursor.position() + 1);
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < view.size(); ++i) {
        const qsizetype separator = blockBreakAt(view, i);
        if (separator == 0)
            continue;
        insertLine(cursor, view.mid(lineStart, i - lineStart), blockLength_, blankReach_);
        QTextBlockFormat format;
        if (view[i] != u'\n')
            format.setProperty(kBreakBefore, view.mid(i, separator).toString());
        cursor.insertBlock(format);
        i += separator - 1;
        lineStart = i + 1;
    }
    insertLine(cursor, view.mid(lineStart), blockLength_, blankReach_);
}

void TDialogMemo::typeText(const QString& text) {
    leaveJoinStart();
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    insertText(cursor, text);
    cursor.endEditBlock();
    setTextCursor(cursor);
}

QString TDialogMemo::textBetween(int from, int to) const {
    QString text;
    text.reserve(to - from);
    for (QTextBlock block = document()->findBlock(from); block.isValid() && block.position() <= to;
         block = block.next()) {
        const int position = block.position();
        if (position > from)
            text += breakBefore(block);
        const int start = std::max(from - position, 0);
        const int end = std::min(to - position, block.length() - 1);
        text += QStringView(block.text()).mid(start, end - start);
    }
    return text;
}

bool TDialogMemo::deleteWithoutSelection(QKeyEvent* event) {
    const Deletion deletion = deletionOf(event);
    const QTextCursor cursor = textCursor();
    if (deletion == Deletion::None || cursor.hasSelection() || isReadOnly())
        return false;
    const bool back = deletion == Deletion::PreviousChar || deletion == Deletion::PreviousWord;
    // At a line's own start or end every key deletes the line break, as the text edit does
    // unless an empty line is next to it.
    bool deleted = true;
    if (atLineEdge(cursor, back))
        deleted = deleteLineBreak(cursor, back);
    else if (!inLongLine(cursor.block()))
        deleted = false;
    else if (deletion == Deletion::PreviousChar || deletion == Deletion::NextChar)
        deleted = deleteCharacter(cursor, back);
    else
        deleteWord(cursor, back);
    if (deleted)
        ensureCursorVisible();
    return deleted;
}

bool TDialogMemo::extendSelection(QKeyEvent* event) {
    QTextCursor::MoveOperation move = QTextCursor::NoMove;
    if (event->matches(QKeySequence::SelectPreviousChar))
        move = QTextCursor::Left;
    else if (event->matches(QKeySequence::SelectNextChar))
        move = QTextCursor::Right;
    else if (event->matches(QKeySequence::SelectPreviousWord))
        move = QTextCursor::WordLeft;
    else if (event->matches(QKeySequence::SelectNextWord))
        move = QTextCursor::WordRight;
    else
        return false;
    QTextCursor cursor = textCursor();
    // Which way a key goes depends on the direction of the text in the caret's block, as the text
    // cursor finds it (Left goes forward in a right-to-left text).
    QTextCursor probe = cursor;
    probe.movePosition(move, QTextCursor::KeepAnchor);
    const bool back = probe.position() < cursor.position();
    if (probe.position() == cursor.position() || !inLongLine(cursor.block()) || atLineEdge(cursor, back))
        return false;
    const bool words = move == QTextCursor::WordLeft || move == QTextCursor::WordRight;
    const LineStep step = stepInLine(cursor.block(), cursor.position(),
                                     words ? QTextLayout::SkipWords : QTextLayout::SkipCharacters, back);
    // Where two blocks meet, the caret stays in the block whose text it has just selected, or
    // goes back onto the anchor: the selection never holds a join alone.
    int position = step.stretch.positionOf(step.to, back);
    if (step.stretch.contains(cursor.anchor()) && step.stretch.offsetOf(cursor.anchor()) == step.to)
        position = cursor.anchor();
    cursor.setPosition(position, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    return true;
}

void TDialogMemo::selectWholeLines() {
    const QTextCursor cursor = textCursor();
    if (const QTextCursor lines = wholeLines(cursor);
        lines.anchor() != cursor.anchor() || lines.position() != cursor.position())
        setTextCursor(lines);
}

bool TDialogMemo::dropEmptySelection(QKeyEvent* event) {
    QTextCursor cursor = textCursor();
    const bool copies = event->matches(QKeySequence::Cut) || event->matches(QKeySequence::Copy);
    if (!cursor.hasSelection() || (!copies && deletionOf(event) == Deletion::None))
        return false;
    for (QTextBlock block = document()->findBlock(cursor.selectionStart());
         block.isValid() && block.position() <= cursor.selectionEnd(); block = block.next()) {
        const int start = std::max(cursor.selectionStart() - block.position(), 0);
        const int end = std::min(cursor.selectionEnd() - block.position(), block.length() - 1);
        if (end > start || (block.position() > cursor.selectionStart() && !breakBefore(block).isEmpty()))
            return false;
    }
    cursor.clearSelection();
    setTextCursor(cursor);
    return copies;
}

bool TDialogMemo::replaceSelection(QKeyEvent* event) {
    QTextCursor cursor = textCursor();
    const bool typing = typesText(event);
    const bool cut = event->matches(QKeySequence::Cut);
    if (isReadOnly() || !cursor.hasSelection() ||
        !removalNeedsCare(document(), cursor.selectionStart(), cursor.selectionEnd()) ||
        (!typing && !cut && deletionOf(event) == Deletion::None &&
         !event->matches(QKeySequence::DeleteEndOfLine) && !event->matches(QKeySequence::DeleteCompleteLine)))
        return false;
    if (cut)
        copy();
    // The text typed goes where the selection was, in the same step of the undo history; at a
    // join, into the block before (see leaveJoinStart).
    cursor.beginEditBlock();
    removeRange(cursor, cursor.anchor(), cursor.position());
    if (typing) {
        if (cursor.atBlockStart() && continuesLine(cursor.block()))
            cursor.setPosition(cursor.position() - 1);
        cursor.insertText(event->text());
    }
    cursor.endEditBlock();
    setTextCursor(cursor);
    return true;
}

void TDialogMemo::leaveJoinStart() {
    QTextCursor cursor = textCursor();
    if (!cursor.hasSelection() && cursor.atBlockStart() && continuesLine(cursor.block())) {
        cursor.movePosition(QTextCursor::PreviousCharacter);
        setTextCursor(cursor);
    }
}

void TDialogMemo::inputMethodEvent(QInputMethodEvent* event) {
    // Text being composed takes the selection's place as soon as it shows, as the text edit would
    // remove it.
    if ((!event->commitString().isEmpty() || !event->preeditString().isEmpty()) && !isReadOnly()) {
        if (QTextCursor cursor = textCursor();
            cursor.hasSelection() &&
            removalNeedsCare(document(), cursor.selectionStart(), cursor.selectionEnd()))
            removeRange(cursor, cursor.anchor(), cursor.position());
        leaveJoinStart();
    }
    QPlainTextEdit::inputMethodEvent(event);
}

bool TDialogMemo::canInsertFromMimeData(const QMimeData* source) const {
    return !pastableText(source).isEmpty();
}

void TDialogMemo::insertFromMimeData(const QMimeData* source) {
    const QString text = pastableText(source);
    if (!text.isEmpty() && !isReadOnly())
        typeText(text);
}

QMimeData* TDialogMemo::createMimeDataFromSelection() const {
    const QTextCursor cursor = textCursor();
    auto* data = new QMimeData;
    data->setText(textBetween(cursor.selectionStart(), cursor.selectionEnd()));
    return data;
}

void TDialogMemo::selectByWords() {
    // A block's start that continues a line is the same place as the end of the block before.
    const auto place = [this](int position) {
        const QTextBlock block = document()->findBlock(position);
        return position == block.position() && continuesLine(block) ? position - 1 : position;
    };
    const QTextCursor& word = *clickedWord_;
    const QTextCursor before = textCursor();
    QTextCursor cursor = before;
    if (const int at = place(cursor.position()); at >= place(word.anchor()) && at <= place(word.position())) {
        cursor = word;
    } else {
        // The text edit takes the start or end of the word under the mouse in its block: where
        // that is where two blocks meet, the word runs on, or ends, in the line.
        int position = cursor.position();
        if (cursor.atBlockStart() && continuesLine(cursor.block())) {
            const LineStep found = wordInLine(cursor.block(), position);
            position = found.stretch.positionOf(found.from, true);
        } else if (cursor.atBlockEnd() && continuesLine(cursor.block().next())) {
            const LineStep found = wordInLine(cursor.block(), position - 1);
            position = found.stretch.positionOf(found.to, false);
        }
        cursor.setPosition(at < place(word.anchor()) ? word.position() : word.anchor());
        cursor.setPosition(position, QTextCursor::KeepAnchor);
    }
    if (cursor.anchor() != before.anchor() || cursor.position() != before.position())
        setTextCursor(cursor);
}

void TDialogMemo::mousePressEvent(QMouseEvent* event) {
    clickedWord_.reset();
    const QPointF at = event->position() - contentOffset();
    const bool tripleClick =
        event->button() == Qt::LeftButton && doubleClicked_.isValid() &&
        !doubleClicked_.hasExpired(QApplication::doubleClickInterval()) &&
        (at - doubleClickAt_).toPoint().manhattanLength() < QApplication::startDragDistance();
    if (tripleClick) {
        doubleClicked_.invalidate();
        // The text edit selects the block of the caret, which the double click may have left in
        // the block after the one under the mouse, at the end of a word running on into it.
        setTextCursor(cursorForPosition(event->position().toPoint()));
    }
    const QTextCursor before = textCursor();
    QPlainTextEdit::mousePressEvent(event);
    const QTextCursor after = textCursor();
    // The text edit leaves a selection pressed on as it is, waiting to see whether the mouse drags
    // it; any other press moves the caret or, with Shift, extends the selection (perhaps to where
    // it ends already).
    const bool waits = event->button() == Qt::LeftButton && event->modifiers() != Qt::ShiftModifier &&
                       after.hasSelection() && after.anchor() == before.anchor() &&
                       after.position() == before.position();
    dragFrom_ = waits ? std::optional(at) : std::nullopt;
    // A triple click on an empty line selects nothing.
    selectsLines_ = tripleClick && after.hasSelection();
    if (selectsLines_)
        selectWholeLines();
}

void TDialogMemo::mouseDoubleClickEvent(QMouseEvent* event) {
    QPlainTextEdit::mouseDoubleClickEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    doubleClicked_.start();
    doubleClickAt_ = event->position() - contentOffset();
    if (!(textInteractionFlags() & Qt::TextSelectableByMouse))
        return;
    QTextCursor cursor = cursorForPosition(event->position().toPoint());
    if (inLongLine(cursor.block())) {
        const LineStep word = wordInLine(cursor.block(), cursor.position());
        // The anchor in the block of the word's first character, the caret in that of its last.
        cursor.setPosition(word.stretch.positionOf(word.from, word.from < word.to));
        cursor.setPosition(word.stretch.positionOf(word.to, false), QTextCursor::KeepAnchor);
        setTextCursor(cursor);
    }
    clickedWord_ = textCursor().hasSelection() ? std::optional(textCursor()) : std::nullopt;
}

void TDialogMemo::mouseMoveEvent(QMouseEvent* event) {
    // No later than the text edit would start a drag of its own, so that it never does.
    if (dragFrom_ && (event->buttons() & Qt::LeftButton) &&
        (event->position() - contentOffset() - *dragFrom_).manhattanLength() >=
            QApplication::startDragDistance()) {
        dragFrom_.reset();
        dragSelection();
        return;
    }
    QPlainTextEdit::mouseMoveEvent(event);
    if (selectsLines_ && (event->buttons() & Qt::LeftButton))
        selectWholeLines();
    else if (clickedWord_ && (event->buttons() & Qt::LeftButton))
        selectByWords();
}

void TDialogMemo::mouseReleaseEvent(QMouseEvent* event) {
    dragFrom_.reset();
    selectsLines_ = false;
    clickedWord_.reset();
    QPlainTextEdit::mouseReleaseEvent(event);
}

void TDialogMemo::dragSelection() {
    const Qt::DropActions actions = isReadOnly() ? Qt::CopyAction : Qt::CopyAction | Qt::MoveAction;
    dragged_ = textCursor();
    Qt::DropAction action = Qt::IgnoreAction;
    if (dragSeam_) {
        const std::unique_ptr<QMimeData> data(createMimeDataFromSelection());
        action = dragSeam_(data.get(), actions);
    } else {
        // Deleted by Qt once the drop is done.
        auto* drag = new QDrag(viewport());
        drag->setMimeData(createMimeDataFromSelection());
        action = drag->exec(actions, isReadOnly() ? Qt::CopyAction : Qt::MoveAction);
    }
    if (std::optional<QTextCursor> moved = std::exchange(dragged_, std::nullopt);
        moved && action == Qt::MoveAction) {
        removeRange(*moved, moved->anchor(), moved->position());
        setTextCursor(*moved);
    }
}

void TDialogMemo::dropEvent(QDropEvent* event) {
    const QString text = pastableText(event->mimeData());
    if (text.isEmpty() || isReadOnly()) {
        QPlainTextEdit::dropEvent(event);
        return;
    }
    // The text edit would take out the text moved and set the caret inside an edit block of its
    // own, before the plain-text layout learns of the change (see removeRange). It is told that the
    // drag left, which ends its scrolling and its caret that shows where the text would go.
    QDragLeaveEvent left;
    QPlainTextEdit::dragLeaveEvent(&left);
    QTextCursor cursor = cursorForPosition(event->position().toPoint());
    cursor.beginEditBlock();
    if (std::optional<QTextCursor> moved = std::exchange(dragged_, std::nullopt);
        moved && event->dropAction() == Qt::MoveAction)
        removeRange(*moved, moved->anchor(), moved->position());
    // As typed there: see leaveJoinStart.
    if (cursor.atBlockStart() && continuesLine(cursor.block()))
        cursor.setPosition(cursor.position() - 1);
    insertText(cursor, text);
    cursor.endEditBlock();
    setTextCursor(cursor);
    event->acceptProposedAction();
}

void TDialogMemo::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) {
        if (dropEmptySelection(event) || replaceSelection(event) || extendSelection(event))
            return;
        if (typesText(event))
            leaveJoinStart();
        if (!deleteWithoutSelection(event))
            QPlainTextEdit::keyPressEvent(event);
        return;
    }
    // A plain line break in every case: the editor's own Shift+Enter would insert a separator
    // that is no line break in the text.
    if (wantReturns_ || event->modifiers().testFlag(Qt::ControlModifier)) {
        typeText(QStringLiteral("\n"));
        return;
    }
    for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        if (auto* dialog = qobject_cast<QDialog*>(w)) {
            for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
                if (button->isDefault() && button->isVisible() && button->isEnabled()) {
                    button->click();
                    return;
                }
            }
            return;
        }
    }
}
