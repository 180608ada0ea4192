#include "app/DialogTextBoxes.h"

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
#include <QTextBoundaryFinder>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <algorithm>
#include <limits>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace {

// Lines longer than this are held in blocks of about this many characters. Laying out a block
// of this size takes well under a millisecond; a memo shows a few of them at a time.
constexpr int kBlockLength = 4096;
// A block ends after the last blank within this many characters of its end, if there is one,
// so that its end falls where wrapping would break the line anyway.
constexpr int kBlankReach = 256;
// Whether a position starts a word depends on a few characters on either side of it: a deletion
// is found in a stretch of the line that reaches this far past both its ends.
constexpr int kWordContext = 64;

// The block format property that records what joins a block to the one before: absent for a
// line break, an empty text between two blocks of one long line, otherwise the separator as
// it came (one the text document would not keep as a character).
constexpr int kBreakBefore = QTextFormat::UserProperty;

QString breakBefore(const QTextBlock& block) {
    const QTextBlockFormat format = block.blockFormat();
    return format.hasProperty(kBreakBefore) ? format.stringProperty(kBreakBefore) : QStringLiteral("\n");
}

// The length of the separator at `text[i]` that the text document turns into a new block, 0 for
// any other character: a line feed, a carriage return (with the line feed after it), a paragraph
// separator and the two characters that stand for frame edges.
qsizetype blockBreakAt(QStringView text, qsizetype i) {
    switch (text[i].unicode()) {
    case u'\r':
        return i + 1 < text.size() && text[i + 1] == u'\n' ? 2 : 1;
    case u'\n':
    case 0x2029:
    case 0xFDD0:
    case 0xFDD1:
        return 1;
    default:
        return 0;
    }
}

// Whether `block` continues the line of the block before it.
bool continuesLine(const QTextBlock& block) {
    return block.isValid() && block.previous().isValid() && breakBefore(block).isEmpty();
}

// Where the first block of `line` (longer than `length`) ends: after a blank within `reach` of
// the limit, otherwise at the last boundary between characters as the reader sees them
// (grapheme clusters), so that no block starts with an accent, a vowel of a Hangul syllable or
// the rest of an emoji or a flag. Only a made-up text holds a cluster longer than a block; it is
// cut between code points.
qsizetype firstCut(QStringView line, qsizetype length, qsizetype reach) {
    // Finding clusters costs more than laying out a block; below U+0300 no character joins its
    // neighbour (a line holds no line break), so most texts never need it.
    std::optional<QTextBoundaryFinder> clusters;
    const auto between = [&](qsizetype at) {
        if (line[at - 1].unicode() < 0x300 && line[at].unicode() < 0x300)
            return true;
        // Whether a position is a boundary depends on the code point after it, so the finder
        // sees one past the limit; the block starts at a boundary, so nothing before it counts.
        if (!clusters)
            clusters.emplace(QTextBoundaryFinder::Grapheme, line.left(length + 2));
        clusters->setPosition(at);
        return clusters->isAtBoundary();
    };
    for (qsizetype blank = line.left(length).lastIndexOf(u' '); blank >= length - reach;
         blank = line.left(blank).lastIndexOf(u' ')) {
        if (between(blank + 1))
            return blank + 1;
    }
    if (between(length))
        return length;
    if (const qsizetype cut = clusters->toPreviousBoundary(); cut > 0)
        return cut;
    return line[length - 1].isHighSurrogate() ? length - 1 : length;
}

// Inserts a line without separators, in blocks of `length` characters or less.
void insertLine(QTextCursor& cursor, QStringView line, qsizetype length, qsizetype reach) {
    QTextBlockFormat joined;
    joined.setProperty(kBreakBefore, QString());
    while (line.size() > length) {
        const qsizetype cut = firstCut(line, length, reach);
        cursor.insertText(line.left(cut).toString());
        cursor.insertBlock(joined);
        line = line.mid(cut);
    }
    if (!line.isEmpty())
        cursor.insertText(line.toString());
}

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

// Consecutive blocks of one line, their texts joined as the line has them.
class LineStretch {
public:
    LineStretch(const QTextBlock& first, const QTextBlock& last) {
        for (QTextBlock block = first;; block = block.next()) {
            blocks_.push_back({block.position(), int(text_.size())});
            text_ += block.text();
            if (block == last)
                break;
        }
    }

    const QString& text() const { return text_; }

    // The offset in text() of a document position within these blocks.
    int offsetOf(int position) const {
        auto block = std::prev(std::upper_bound(blocks_.begin(), blocks_.end(), position,
                                                [](int p, const Block& b) { return p < b.position; }));
        return block->offset + position - block->position;
    }

    // The document position of an offset in text(). Where two blocks meet the offset stands for
    // the end of the one and the start of the other: `later` chooses the start.
    int positionOf(int offset, bool later) const {
        auto block = std::prev(std::upper_bound(blocks_.begin(), blocks_.end(), offset,
                                                [](int o, const Block& b) { return o < b.offset; }));
        if (!later && block != blocks_.begin() && block->offset == offset)
            --block;
        return block->position + offset - block->offset;
    }

private:
    struct Block {
        int position; // in the document
        int offset;   // in text()
    };
    std::vector<Block> blocks_;
    QString text_;
};

// Where a word deletion from `at` in `text` ends, as the text edit would find it in a line of
// that text.
int wordDeletionEnd(Deletion deletion, const QString& text, int at) {
    const QTextLayout layout(text);
    return deletion == Deletion::NextWord ? layout.nextCursorPosition(at, QTextLayout::SkipWords)
                                          : layout.previousCursorPosition(at, QTextLayout::SkipWords);
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

// The position after the last character of `block`.
int blockEnd(const QTextBlock& block) {
    return block.position() + block.length() - 1;
}

// Whether the text document's own removal of [start, end) would change more than those
// characters. From a block's start it gives the block that is left the format of the last one,
// losing the break before it (a line break becomes a join or another line break); and a block of
// a long line left empty shows as a line the text does not have.
bool removalNeedsCare(const QTextDocument* document, int start, int end) {
    const QTextBlock first = document->findBlock(start);
    const QTextBlock last = document->findBlock(end);
    return start == first.position() &&
           ((first.previous().isValid() && first != last && breakBefore(first) != breakBefore(last)) ||
            (end == blockEnd(last) && (continuesLine(first) || continuesLine(last.next()))));
}

// Removes the text from `anchor` to `position` (anchored as the text edit would, which decides
// where undo puts the caret) as one step of the undo history: with the join after or before
// where nothing of a long line's block would be left, and keeping the break before the first
// block. The memo's own edits are whole before anything asks where the caret is: the plain-text
// layout learns of a change only when the outermost edit block ends, and until then it still
// holds the lines of blocks that are gone, which the caret's drawing and scrolling would read.
void removeRange(QTextCursor& edit, int anchor, int position) {
    const QTextDocument* document = edit.document();
    int start = std::min(anchor, position);
    int end = std::max(anchor, position);
    if (const QTextBlock first = document->findBlock(start), last = document->findBlock(end);
        start == first.position() && end == blockEnd(last)) {
        if (continuesLine(last.next()))
            end = last.next().position();
        else if (continuesLine(first))
            start = first.position() - 1;
    }
    const QTextBlock first = document->findBlock(start);
    const bool restore = start == first.position() && first != document->findBlock(end);
    const QTextBlockFormat format = first.blockFormat();
    edit.setPosition(anchor < position ? start : end);
    edit.setPosition(anchor < position ? end : start, QTextCursor::KeepAnchor);
    edit.beginEditBlock();
    edit.removeSelectedText();
    if (restore)
        edit.setBlockFormat(format);
    edit.endEditBlock();
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
    QTextCursor edit(document());
    const QTextBlock block = cursor.block();
    const int at = cursor.position();
    const bool back = deletion == Deletion::PreviousChar || deletion == Deletion::PreviousWord;
    // At a line's own start or end every key deletes the line break, as the text edit does
    // unless an empty line is next to it.
    if (back ? cursor.atBlockStart() && !continuesLine(block)
             : cursor.atBlockEnd() && !continuesLine(block.next())) {
        const int from = back ? at - 1 : at;
        if (!(back ? block.previous() : block.next()).isValid() ||
            !removalNeedsCare(document(), from, from + 1))
            return false;
        removeRange(edit, back ? at - 1 : at + 1, at);
        ensureCursorVisible();
        return true;
    }
    if (!continuesLine(block) && !continuesLine(block.next()))
        return false;
    if (deletion == Deletion::PreviousChar || deletion == Deletion::NextChar) {
        // The character is in the block before or after when the caret stands at a join.
        const bool across = back ? cursor.atBlockStart() : cursor.atBlockEnd();
        const QTextBlock target = across ? (back ? block.previous() : block.next()) : block;
        const int from = across ? (back ? blockEnd(target) : target.position()) : at;
        const QString text = target.text();
        const int inBlock = from - target.position();
        const int start = back ? from - (inBlock >= 2 && text[inBlock - 1].isLowSurrogate() &&
                                                 text[inBlock - 2].isHighSurrogate()
                                             ? 2
                                             : 1)
                               : from;
        int end = back ? from : target.position() + target.layout()->nextCursorPosition(inBlock);
        // An edit may have left a mark at the start of the next block, which belongs to the
        // character before: the deletion takes it along, and the join with it.
        if (!back && end == blockEnd(target) && continuesLine(target.next())) {
            const LineStretch stretch(target, target.next());
            end = stretch.positionOf(QTextLayout(stretch.text()).nextCursorPosition(inBlock), false);
        }
        if (end > blockEnd(target) || removalNeedsCare(document(), start, end)) {
            removeRange(edit, back ? start : end, back ? end : start);
        } else if (across) {
            // As the text edit deletes one, so that a run of deletions is undone in one step.
            edit.setPosition(from);
            back ? edit.deletePreviousChar() : edit.deleteChar();
        } else {
            return false;
        }
        ensureCursorVisible();
        return true;
    }
    // A word may run on over several blocks: the stretch of the line the word is looked for in
    // grows until the deletion ends well inside it, or at the line's start or end.
    QTextBlock first = block;
    QTextBlock last = block;
    for (int more = 1;; more *= 2) {
        const LineStretch stretch(first, last);
        const int offset = stretch.offsetOf(at);
        const bool roomBefore = !continuesLine(first) || offset >= kWordContext;
        const bool roomAfter = !continuesLine(last.next()) || stretch.text().size() - offset >= kWordContext;
        const int end = roomBefore && roomAfter ? wordDeletionEnd(deletion, stretch.text(), offset) : offset;
        const int from = std::min(offset, end);
        const int to = std::max(offset, end);
        const bool wantBefore = continuesLine(first) && from < kWordContext;
        const bool wantAfter = continuesLine(last.next()) && stretch.text().size() - to < kWordContext;
        if (!wantBefore && !wantAfter) {
            // The blocks where the deletion starts and ends keep their joins to the blocks
            // beyond. Anchored at the caret, as the text edit deletes a word.
            const int start = stretch.positionOf(from, true);
            const int stop = stretch.positionOf(to, false);
            removeRange(edit, back ? stop : start, back ? start : stop);
            ensureCursorVisible();
            return true;
        }
        for (int i = 0; i < more; ++i) {
            if (wantBefore && continuesLine(first))
                first = first.previous();
            if (wantAfter && continuesLine(last.next()))
                last = last.next();
        }
    }
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

void TDialogMemo::mousePressEvent(QMouseEvent* event) {
    const QTextCursor before = textCursor();
    QPlainTextEdit::mousePressEvent(event);
    const QTextCursor after = textCursor();
    // The text edit leaves a selection pressed on as it is, waiting to see whether the mouse drags
    // it; any other press moves the caret or, with Shift, extends the selection (perhaps to where
    // it ends already).
    const bool waits = event->button() == Qt::LeftButton && event->modifiers() != Qt::ShiftModifier &&
                       after.hasSelection() && after.anchor() == before.anchor() &&
                       after.position() == before.position();
    dragFrom_ = waits ? std::optional(event->position() - contentOffset()) : std::nullopt;
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
}

void TDialogMemo::mouseReleaseEvent(QMouseEvent* event) {
    dragFrom_.reset();
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
        if (dropEmptySelection(event) || replaceSelection(event))
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
