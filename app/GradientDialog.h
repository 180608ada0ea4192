// What the editor's dialogs share: the vertical gradient of their client area, sizes given
// at 144 pixels per inch, where they open, memo boxes whose keys behave as the editor's users
// know them, and the seam through which tests answer a dialog's static ask function.
#pragma once

#include <QDialog>
#include <QPlainTextEdit>
#include <QPointer>
#include <functional>
#include <utility>

class QPaintEvent;
class QPushButton;
class QShowEvent;

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

// A plain-text memo. Tab moves the focus on. Enter presses the dialog's default button unless
// the memo wants returns, in which case it breaks the line; Ctrl+Enter always breaks the line.
class TDialogMemo : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit TDialogMemo(QWidget* parent);

    bool wantReturns() const { return wantReturns_; }
    void setWantReturns(bool on) { wantReturns_ = on; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool wantReturns_ = false;
};

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
