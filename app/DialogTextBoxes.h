// The text boxes of the editor's dialogs: they keep the document's texts whole, however long,
// and their keys behave as the editor's users know them.
#pragma once

#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QString>
#include <QStringList>
#include <QTextCursor>
#include <functional>
#include <optional>

class QDropEvent;
class QInputMethodEvent;
class QKeyEvent;
class QMimeData;
class QMouseEvent;

// A one-line box of a dialog. It takes a text of any length: a name of the document is never
// cut. A paste with no text on the clipboard does nothing (a plain line edit would delete its
// selection).
class TDialogEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit TDialogEdit(QWidget* parent);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// A plain-text memo. Tab moves the focus on. Enter presses the dialog's default button unless
// the memo wants returns, in which case it breaks the line; Ctrl+Enter always breaks the line.
//
// Read and write it through text() and setText(); toPlainText() and setPlainText() are private:
// the memo holds a long line as blocks of a few thousand characters, so that opening it lays out
// only the part in view (a line of millions of characters would take seconds), and only text()
// joins those blocks again. The blocks meet between characters as the reader sees them (an
// accent, a syllable's jamo, an emoji sequence and a flag stay whole), and the keys that type or
// delete where they meet change the text as in an unbroken line; Shift+Left and Shift+Right,
// with or without Ctrl, a double click (and the drag after it, by whole words) and a triple click
// select as in it. text() gives back every character as set or typed, non-breaking spaces and
// line separators included, which toPlainText() would turn into blanks and breaks.
//
// A paste or a drop inserts the data's text; data without text (as the clipboard gives while
// no program owns it) inserts nothing. Copying and dragging give the text as text() reads it. A
// selection dragged and dropped elsewhere in the memo moves there as one step of the undo
// history; moved out of the memo, it is taken out as Delete would.
class TDialogMemo : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit TDialogMemo(QWidget* parent);

    bool wantReturns() const { return wantReturns_; }
    void setWantReturns(bool on) { wantReturns_ = on; }

    QString text() const;
    // Replaces the text, the cursor at its start and no undo history.
    void setText(const QString& text);
    bool isEmpty() const;

    // Test seam: a line longer than `length` characters is held in blocks of at most `length`
    // (at least 2), each ending after a blank within `blankReach` characters of its end where
    // there is one; 4,096 and 256 unless set. It applies to the text set or inserted afterwards.
    void setBlockLength(int length, int blankReach);
    // Test seam: `run` takes the place of QDrag::exec for the drags the memo starts. It gets the
    // data dragged and the actions allowed, and returns the action the drop took.
    void setDragSeam(std::function<Qt::DropAction(const QMimeData*, Qt::DropActions)> run) {
        dragSeam_ = std::move(run);
    }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
    QMimeData* createMimeDataFromSelection() const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Inserts `text` at `cursor` (over its selection), breaking its long lines into blocks.
    void insertText(QTextCursor& cursor, const QString& text) const;
    // Inserts `text` in place of the selection as one step of the undo history.
    void typeText(const QString& text);
    // The text between two positions of the document, long lines joined again.
    QString textBetween(int from, int to) const;
    // A key that deletes a character or a word with nothing selected (Backspace,
    // Shift+Backspace, Delete and their Ctrl forms) where the plain text edit would delete
    // otherwise than in an unbroken line, or lose the kind of a line break next to an empty line:
    // deletes as it should and returns true. False for any other key or place, which the plain
    // text edit handles as it is.
    bool deleteWithoutSelection(QKeyEvent* event);
    // A key that extends the selection by a character or a word (Shift+Left, Shift+Right and
    // their Ctrl forms) from a place in a long line held in blocks: moves the caret to where it
    // goes in the unbroken line, in the direction the text edit takes, and returns true. False for
    // any other key or place, which the plain text edit handles as it is.
    bool extendSelection(QKeyEvent* event);
    // Widens the selection to whole lines, where the text edit selects a long line's blocks for a
    // triple click and the drag after it.
    void selectWholeLines();
    // Where the mouse drags after a double click, extends the selection from the word it selected
    // by whole words of the line, where the text edit goes by the words of a long line's blocks.
    void selectByWords();
    // A key that deletes, cuts or copies a selection that holds no text, only places where a
    // long line runs on from one block into the next (the mouse can select one): drops
    // the selection, so that the key acts as with none, and returns true when that was all it
    // does (cut and copy), false when it still deletes.
    bool dropEmptySelection(QKeyEvent* event);
    // A key that deletes, cuts or types over a selection that the plain text edit would remove
    // otherwise than as text (losing the break before it, or leaving a long line's block empty):
    // does what the key does, as one step of the undo history, and returns true. False for any
    // other key or selection.
    bool replaceSelection(QKeyEvent* event);
    // Moves the cursor from the start of a block that continues a long line to the end of the
    // block before, the same place in the text, so that a mark or joiner typed there stays in the
    // block of the character it belongs to.
    void leaveJoinStart();
    // Drags the selection, and takes it out when it is moved out of the memo. (The plain text
    // edit's own drag takes it out as the text document does, which may change the break before
    // it or leave a piece of a long line empty.)
    void dragSelection();

    // A long line's blocks would come back as lines and its separators as line breaks.
    using QPlainTextEdit::setPlainText;
    using QPlainTextEdit::toPlainText;

    bool wantReturns_ = false;
    int blockLength_;
    int blankReach_;
    // Where a press left a selection as it was, for the text edit waits to see whether the mouse
    // drags it (in the coordinates of the text, which scrolling does not move).
    std::optional<QPointF> dragFrom_;
    // When and where (in the coordinates of the text) the last double click was, for the press
    // soon after it and near it that the text edit takes for a triple click.
    QElapsedTimer doubleClicked_;
    QPointF doubleClickAt_;
    // While the button of a triple click is down: the selection goes by lines.
    bool selectsLines_ = false;
    // While the button of a double click is down: the word it selected, by which the selection goes.
    std::optional<QTextCursor> clickedWord_;
    // The selection the memo's own drag carries while it runs, until a drop moves it.
    std::optional<QTextCursor> dragged_;
    std::function<Qt::DropAction(const QMimeData*, Qt::DropActions)> dragSeam_;
};

// The text a paste takes from `data`: empty when there is no data or no text in it.
QString pastableText(const QMimeData* data);

// The lines of a memo's text; a break at its very end starts no further line.
QStringList memoLines(const QString& text);
