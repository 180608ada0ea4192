// What the editor's dialogs share: the vertical gradient of their client area, sizes given
// at 144 pixels per inch, where they open, text boxes that keep the document's texts whole and
// whose keys behave as the editor's users know them, and the seam through which tests answer a
// dialog's static ask function.
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <functional>
#include <utility>

class QMimeData;
class QPaintEvent;
class QPushButton;
class QShowEvent;
class QTextCursor;

class TGradientDialog : public QDialog {
    Q_OBJECT

public:
    // Where the dialog opens, worked out from `reference` (the main window, or the dialog's
    // owner) each time it is shown. Nothing moves it when `reference` is null.
    enum class Placement {
        Centred,      // centred on the reference
        OverLeftSide, // left edges aligned, vertically centred on the reference
    };

    explicit TGradientDialog(QWidget* parent = nullptr);

    void setPlacement(Placement placement, QWidget* reference);

    // Design pixels (144 per inch) in pixels of the dialog's screen.
    int px(int designPixels) const;

protected:
    // A fixed client area of the design size.
    void setDesignClientSize(int width, int height);
    // `family` at `height` design pixels, for the dialog and every control on it.
    void setDesignFont(const QString& family, int height);

    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    Placement placement_ = Placement::Centred;
    QPointer<QWidget> reference_;
};

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
// Read and write it through text() and setText(), never toPlainText() and setPlainText(): the
// memo holds a long line as blocks of a few thousand characters, so that opening it lays out
// only the part in view (a line of millions of characters would take seconds), and only text()
// joins those blocks again. text() gives back every character as set or typed, non-breaking
// spaces and line separators included, which toPlainText() would turn into blanks and breaks.
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
    // Backspace or Delete next to where a long line runs on into its next block: deletes the
    // character beyond, as in an unbroken line, and returns true. False for any other key.
    bool deleteOverJoin(QKeyEvent* event);

    bool wantReturns_ = false;
};

// The text a paste takes from `data`: empty when there is no data or no text in it.
QString pastableText(const QMimeData* data);

// The lines of a memo's text; a break at its very end starts no further line.
QStringList memoLines(const QString& text);

// The test seam of a dialog's static ask function: while a responder is installed, it answers
// instead of the dialog and nothing is shown. `Responder` is the dialog's std::function type.
template <typename Responder> class TDialogSeam {
public:
    static const Responder& responder() { return slot(); }
    // An empty function restores the real dialog. Returns the previous responder.
    static Responder exchange(Responder responder) { return std::exchange(slot(), std::move(responder)); }

private:
    static Responder& slot() {
        static Responder installed;
        return installed;
    }
};

// For tests: installs `responder` on `Dialog` while it lives, then restores the previous one.
template <typename Dialog> class ScopedDialogResponder {
public:
    explicit ScopedDialogResponder(typename Dialog::Responder responder)
        : previous_(Dialog::setResponder(std::move(responder))) {}
    ~ScopedDialogResponder() { Dialog::setResponder(std::move(previous_)); }
    ScopedDialogResponder(const ScopedDialogResponder&) = delete;
    ScopedDialogResponder& operator=(const ScopedDialogResponder&) = delete;

private:
    typename Dialog::Responder previous_;
};
