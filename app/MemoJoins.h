// Where the dialogs' memo (TDialogMemo) holds a long line as several blocks of its text document:
// how a line is cut into blocks, what joins a block to the one before, the line's text around a
// place, and removals that keep the joins and the breaks between lines as they were.
#pragma once

#include <QString>
#include <QStringView>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextFormat>
#include <QTextLayout>
#include <vector>

class QTextDocument;

namespace memojoins {

// The block format property that records what joins a block to the one before: absent for a
// line break, an empty text between two blocks of one long line, otherwise the separator as
// it came (one the text document would not keep as a character).
constexpr int kBreakBefore = QTextFormat::UserProperty;

// What joins `block` to the one before: "\n" unless its format records another separator, or
// none for a block that continues a long line.
QString breakBefore(const QTextBlock& block);

// The length of the separator at `text[i]` that the text document turns into a new block, 0 for
// any other character: a line feed, a carriage return (with the line feed after it), a paragraph
// separator and the two characters that stand for frame edges.
qsizetype blockBreakAt(QStringView text, qsizetype i);

// Whether `block` continues the line of the block before it.
bool continuesLine(const QTextBlock& block);

// Whether `block` is one of the several blocks of a long line.
bool inLongLine(const QTextBlock& block);

// The position after the last character of `block`.
int blockEnd(const QTextBlock& block);

// Inserts at `cursor` a line that holds no separator, in blocks of at most `length` characters
// joined to each other. A block ends after a blank within `reach` characters of its limit where
// there is one, otherwise between characters as the reader sees them (grapheme clusters), so that
// no block starts with an accent, a vowel of a Hangul syllable or the rest of an emoji or a flag.
void insertLine(QTextCursor& cursor, QStringView line, qsizetype length, qsizetype reach);

// Consecutive blocks of one line, their texts joined as the line has them.
class LineStretch {
public:
    // The blocks from `first` to `last`, which must follow it in the same line.
    LineStretch(const QTextBlock& first, const QTextBlock& last);

    const QString& text() const { return text_; }

    // Whether a document position lies within these blocks.
    bool contains(int position) const;

    // The offset in text() of a document position within these blocks.
    int offsetOf(int position) const;
    // The document position of an offset in text(). Where two blocks meet the offset stands for
    // the end of the one and the start of the other: `later` chooses the start.
    int positionOf(int offset, bool later) const;

private:
    struct Block {
        int position; // in the document
        int offset;   // in text()
    };
    std::vector<Block> blocks_;
    QString text_;
};

// A step of the caret in a line, or a word of it, as found in the whole line.
struct LineStep {
    LineStretch stretch; // the blocks of the line around the step
    int from;            // where the step (or the word) starts and ends, as offsets in stretch.text()
    int to;
};

// The step of `mode` (a character or a word) back or forward from the document position `at` in
// `block`. The line is read only as far as the step needs: a stretch of its blocks that reaches
// far enough past both ends of the step for the text layout to see the same characters and words
// there as in the whole line, or up to the line's start or end.
LineStep stepInLine(const QTextBlock& block, int at, QTextLayout::CursorMode mode, bool back);

// What a double click at the document position `at` in `block` selects in the whole line, as the
// text edit selects a word of a block: from the word's start (`from`) to its end (`to`), which
// are the same where there is none (at the line's start before a blank, or its end after one).
// The line is read as far as for stepInLine.
LineStep wordInLine(const QTextBlock& block, int at);

// Whether the text document's own removal of [start, end) would change more than those
// characters. From a block's start it gives the block that is left the format of the last one,
// losing the break before it (a line break becomes a join or another line break); and a block of
// a long line left empty shows as a line the text does not have.
bool removalNeedsCare(const QTextDocument* document, int start, int end);

// Removes the text from `anchor` to `position` (anchored as the text edit would, which decides
// where undo puts the caret) as one step of the undo history through `edit`, which is left where
// the text was: with the join after or before where nothing of a long line's block would be left,
// and keeping the break before the first block. The edit is whole before anything asks where the
// caret is: the plain-text layout learns of a change only when the outermost edit block ends,
// and until then it still holds the lines of blocks that are gone, which the caret's drawing and
// scrolling would read.
void removeRange(QTextCursor& edit, int anchor, int position);

// The selection of `cursor` widened to whole lines, as the text edit widens a triple click's
// selection to whole blocks: from the start of the line where it starts to the start of the line
// after the one where it ends (or the document's end), in the same direction. A selection that
// ends at a line's start keeps that end.
QTextCursor wholeLines(QTextCursor cursor);

} // namespace memojoins
