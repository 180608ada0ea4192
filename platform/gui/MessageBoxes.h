// The editor's message boxes: four kinds of question and notice, plus the about box's own
// error box, all owned by the main window. A test seam answers them without showing anything.
#pragma once

#include "platform/core/TestSeam.h"

#include <QList>
#include <QString>
#include <QWidget>
#include <deque>
#include <functional>

namespace platform {

// Which box was asked for; decides its icon and buttons.
enum class MessageBoxKind {
    Info,       // information icon, OK
    Error,      // error icon, OK
    ErrorBox,   // error icon, OK (the about box's error box)
    YesNo,      // question icon, Yes and No
    YesNoCancel // question icon, Yes, No and Cancel
};

// The button numbers the boxes answer with. askYesNoCancel returns one of Yes, No, Cancel.
enum MessageBoxAnswer : int { IdOk = 1, IdCancel = 2, IdYes = 6, IdNo = 7 };

// Registers the window that owns every box (the main window); null detaches. The owner is
// watched, so a destroyed owner simply leaves the boxes without one. Not owned.
void setMessageBoxOwner(QWidget* owner);
QWidget* messageBoxOwner();

// Each shows a modal box titled `caption` with `text` and returns when the user answers. A box
// is at least titleBarWidth(caption) wide (up to its screen's width), so its title reads whole.
void showInfo(const QString& caption, const QString& text);
void showError(const QString& caption, const QString& text);
void showErrorBox(const QString& caption, const QString& text);
// True only when the user answers Yes; Esc or closing the box counts as No.
bool askYesNo(const QString& caption, const QString& text);
// IdYes, IdNo or IdCancel; Esc or closing the box counts as IdCancel.
int askYesNoCancel(const QString& caption, const QString& text);

// The width a window needs for a window manager's title bar to show `title` whole: the title
// in the application's title-bar font, bold, a line height of margin on either side and room
// for five frame buttons, each a line and a half wide.
int titleBarWidth(const QString& title);

// Routes the document model's platform::ShowMessage to showInfo, titled with the
// application's display name, for as long as the program runs.
void installModelMessageBoxes();

// --- Test seam ----------------------------------------------------------------------------

// Answers a box instead of showing it. The result is read as an answer number: for YesNo,
// IdYes means Yes and anything else No; for YesNoCancel, IdYes and IdNo stand as they are
// and anything else is IdCancel; the result of a one-button box is ignored.
using MessageBoxResponder =
    std::function<int(const QString& caption, const QString& text, MessageBoxKind kind)>;
extern TestSeam<MessageBoxResponder> messageBoxResponder;

// For tests: while it lives, every box is recorded in `records` and answered from `answers`
// (front first); when the queue is empty, `defaultAnswer` answers. Restores the previous
// responder when it goes. Not copyable; nest them freely (innermost wins).
class ScopedMessageBoxResponder {
public:
    struct Record {
        QString caption;
        QString text;
        MessageBoxKind kind;
    };

    explicit ScopedMessageBoxResponder(int defaultAnswer = IdCancel) : defaultAnswer(defaultAnswer) {}

    // Queues answers for the next boxes, in order.
    void answer(std::initializer_list<int> next);

    QList<Record> records;
    std::deque<int> answers;
    int defaultAnswer;

private:
    int respond(const QString& caption, const QString& text, MessageBoxKind kind);

    ScopedSeam<MessageBoxResponder> installed_{
        messageBoxResponder, [this](const QString& caption, const QString& text, MessageBoxKind kind) {
            return respond(caption, text, kind);
        }};
};

} // namespace platform
