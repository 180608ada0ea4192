#include "app/DialogTextBoxes.h"

#include <QClipboard>
#include <QDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QPushButton>
#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <limits>
#include <optional>

namespace {

// Lines longer than this are held in blocks of about this many characters. Laying out a block
// of this size takes well under a millisecond; a memo shows a few of them at a time.
constexpr int kBlockLength = 4096;
// A block ends after the last blank within this many characters of its end, if there is one,
// so that its end falls where wrapping would break the line anyway.
constexpr int kBlankReach = 256;

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

// Where the first block of `line` (longer than kBlockLength) ends: after a blank near the limit,
// otherwise at the last boundary between characters as the reader sees them (grapheme clusters),
// so that no block starts with an accent, a vowel of a Hangul syllable or the rest of an emoji or
// a flag. Only a made-up text holds a cluster longer than a block; it is cut between code points.
qsizetype firstCut(QStringView line) {
    // Finding clusters costs more than laying out a block; below U+0300 no character joins its
    // neighbour (a line holds no line break), so most texts never need it.
    std::optional<QTextBoundaryFinder> clusters;
    const auto between = [&](qsizetype at) {
        if (line[at - 1].unicode() < 0x300 && line[at].unicode() < 0x300)
            return true;
        // Whether a position is a boundary depends on the code point after it, so the finder
        // sees one past the limit; the block starts at a boundary, so nothing before it counts.
        if (!clusters)
            clusters.emplace(QTextBoundaryFinder::Grapheme, line.left(kBlockLength + 2));
        clusters->setPosition(at);
        return clusters->isAtBoundary();
    };
    for (qsizetype blank = line.left(kBlockLength).lastIndexOf(u' '); blank >= kBlockLength - kBlankReach;
         blank = line.left(blank).lastIndexOf(u' ')) {
        if (between(blank + 1))
            return blank + 1;
    }
    if (between(kBlockLength))
        return kBlockLength;
    if (const qsizetype cut = clusters->toPreviousBoundary(); cut > 0)
        return cut;
    return line[kBlockLength - 1].isHighSurrogate() ? kBlockLength - 1 : kBlockLength;
}

// Inserts a line without separators, in blocks of kBlockLength characters or less.
void insertLine(QTextCursor& cursor, QStringView line) {
    QTextBlockFormat joined;
    joined.setProperty(kBreakBefore, QString());
    while (line.size() > kBlockLength) {
        const qsizetype cut = firstCut(line);
        cursor.insertText(line.left(cut).toString());
        cursor.insertBlock(joined);
        line = line.mid(cut);
    }
    if (!line.isEmpty())
        cursor.insertText(line.toString());
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

TDialogMemo::TDialogMemo(QWidget* parent) : QPlainTextEdit(parent) {
    setTabChangesFocus(true);
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

void TDialogMemo::insertText(QTextCursor& cursor, const QString& text) {
    if (cursor.hasSelection())
        cursor.removeSelectedText();
    const QStringView view(text);
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < view.size(); ++i) {
        const qsizetype separator = blockBreakAt(view, i);
        if (separator == 0)
            continue;
        insertLine(cursor, view.mid(lineStart, i - lineStart));
        QTextBlockFormat format;
        if (view[i] != u'\n')
            format.setProperty(kBreakBefore, view.mid(i, separator).toString());
        cursor.insertBlock(format);
        i += separator - 1;
        lineStart = i + 1;
    }
    insertLine(cursor, view.mid(lineStart));
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

bool TDialogMemo::deleteOverJoin(QKeyEvent* event) {
    const bool back = (event->key() == Qt::Key_Backspace && !(event->modifiers() & ~Qt::ShiftModifier)) ||
                      event->matches(QKeySequence::DeleteStartOfWord);
    const bool forward =
        event->matches(QKeySequence::Delete) || event->matches(QKeySequence::DeleteEndOfWord);
    QTextCursor cursor = textCursor();
    if ((!back && !forward) || cursor.hasSelection() || isReadOnly() ||
        !(back ? cursor.atBlockStart() && continuesLine(cursor.block())
               : cursor.atBlockEnd() && continuesLine(cursor.block().next())))
        return false;
    // With the join removed the key sees the text on both sides of it, as in an unbroken line;
    // the two steps are undone as one.
    cursor.beginEditBlock();
    back ? cursor.deletePreviousChar() : cursor.deleteChar();
    setTextCursor(cursor);
    QPlainTextEdit::keyPressEvent(event);
    cursor.endEditBlock();
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
    if (!event->commitString().isEmpty())
        leaveJoinStart();
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

void TDialogMemo::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) {
        if (!event->text().isEmpty() && event->text().front().category() != QChar::Other_Control)
            leaveJoinStart();
        if (!deleteOverJoin(event))
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
