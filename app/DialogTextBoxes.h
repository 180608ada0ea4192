// The text boxes of the editor's dialogs: they keep the document's texts whole, however long,
// and their keys behave as the editor's users know them.
#pragma once

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QString>
#include <QStringList>

class QInputMethodEvent;
class QKeyEvent;
class QMimeData;
class QTextCursor;

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
// delete where they meet change the text as in an unbroken line. text() gives back every
// character as set or typed, non-breaking spaces and line separators included, which
// toPlainText() would turn into blanks and breaks.
//
// A paste or a drop inserts the data's text; data without text (as the clipboard gives while
// no program owns it) inserts nothing. Copying gives the text as text() reads it.
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

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
    QMimeData* createMimeDataFromSelection() const override;

private:
    // Inserts `text` at `cursor` (over its selection), breaking its long lines into blocks.
    static void insertText(QTextCursor& cursor, const QString& text);
    // Inserts `text` in place of the selection as one step of the undo history.
    void typeText(const QString& text);
    // The text between two positions of the document, long lines joined again.
    QString textBetween(int from, int to) const;
    // A key that deletes a character or a word (Backspace, Shift+Backspace, Delete and their
    // Ctrl forms) next to where a long line runs on into its next block: deletes as in an
    // unbroken line and returns true. False for any other key or place.
    bool deleteOverJoin(QKeyEvent* event);
    // Moves the cursor from the start of a block that continues a long line to the end of the
    // block before, the same place in the text, so that a mark or joiner typed there stays in the
    // block of the character it belongs to.
    void leaveJoinStart();

    // A long line's blocks would come back as lines and its separators as line breaks.
    using QPlainTextEdit::setPlainText;
    using QPlainTextEdit::toPlainText;

    bool wantReturns_ = false;
};

// The text a paste takes from `data`: empty when there is no data or no text in it.
QString pastableText(const QMimeData* data);

// The lines of a memo's text; a break at its very end starts no further line.
QStringList memoLines(const QString& text);
