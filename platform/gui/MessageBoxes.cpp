#include "platform/gui/MessageBoxes.h"

#include "platform/core/SysUtils.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLayout>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <algorithm>

namespace platform {

namespace {

QPointer<QWidget>& ownerSlot() {
    static QPointer<QWidget> owner;
    return owner;
}

QMessageBox::Icon iconOf(MessageBoxKind kind) {
    switch (kind) {
    case MessageBoxKind::Info:
        return QMessageBox::Information;
    case MessageBoxKind::Error:
    case MessageBoxKind::ErrorBox:
        return QMessageBox::Critical;
    case MessageBoxKind::YesNo:
    case MessageBoxKind::YesNoCancel:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons buttonsOf(MessageBoxKind kind) {
    switch (kind) {
    case MessageBoxKind::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MessageBoxKind::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    default:
        return QMessageBox::Ok;
    }
}

int answerOf(int button) {
    switch (button) {
    case QMessageBox::Yes:
        return IdYes;
    case QMessageBox::No:
        return IdNo;
    case QMessageBox::Ok:
        return IdOk;
    default:
        return IdCancel;
    }
}

// Qt sizes a box for its text, and for its title only with a small allowance for the frame
// buttons, so a window manager whose title bar holds an icon and three buttons cut a short box's
// title ("Velqu... Search"). The box widens itself for the whole title once Qt has sized it.
class TitledMessageBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    bool event(QEvent* event) override {
        const bool handled = QMessageBox::event(event);
        // Qt fixes the box's size when it shows and again on every layout request.
        if (event->type() == QEvent::Show || event->type() == QEvent::LayoutRequest)
            widenForTitle(event->type() == QEvent::Show && !event->spontaneous());
        return handled;
    }

private:
    // `placed`: Qt has just centred the box for its own width, so it moves left by half the
    // growth to stay centred; later it keeps its left edge, as Qt's own resizing does.
    void widenForTitle(bool placed) {
        int wanted = titleBarWidth(windowTitle());
        if (const QScreen* shown = screen())
            wanted = std::min(wanted, shown->availableGeometry().width());
        if (width() >= wanted)
            return;
        const int height =
            layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(wanted) : this->height();
        if (placed)
            move(x() - (wanted - width()) / 2, y());
        setFixedSize(wanted, height);
        // The new size asks for a layout again, which Qt would answer with its own width.
        QCoreApplication::removePostedEvents(this, QEvent::LayoutRequest);
    }
};

// Shows one box (or asks the responder) and gives the raw answer number.
int runBox(MessageBoxKind kind, const QString& caption, const QString& text) {
    if (messageBoxResponder)
        return messageBoxResponder(caption, text, kind);
    TitledMessageBox box(iconOf(kind), caption, text, buttonsOf(kind), ownerSlot().data());
    // A plain text never turns into markup, whatever the file name in it looks like.
    box.setTextFormat(Qt::PlainText);
    if (kind == MessageBoxKind::YesNo)
        box.setEscapeButton(QMessageBox::No);
    else if (kind == MessageBoxKind::YesNoCancel)
        box.setEscapeButton(QMessageBox::Cancel);
    return answerOf(box.exec());
}

} // namespace

int titleBarWidth(const QString& title) {
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true);
    const QFontMetrics metrics(font);
    // Title bar space: the title, a margin of a line height on each side, and five squares of
    // a line height and a half (window menu, minimise, maximise, close, one spare).
    const int line = metrics.height();
    return metrics.horizontalAdvance(title) + 2 * line + 5 * (line + line / 2);
}

void setMessageBoxOwner(QWidget* owner) {
    ownerSlot() = owner;
}

QWidget* messageBoxOwner() {
    return ownerSlot().data();
}

void showInfo(const QString& caption, const QString& text) {
    runBox(MessageBoxKind::Info, caption, text);
}

void showError(const QString& caption, const QString& text) {
    runBox(MessageBoxKind::Error, caption, text);
}

void showErrorBox(const QString& caption, const QString& text) {
    runBox(MessageBoxKind::ErrorBox, caption, text);
}

bool askYesNo(const QString& caption, const QString& text) {
    return runBox(MessageBoxKind::YesNo, caption, text) == IdYes;
}

int askYesNoCancel(const QString& caption, const QString& text) {
    const int answer = runBox(MessageBoxKind::YesNoCancel, caption, text);
    return answer == IdYes || answer == IdNo ? answer : IdCancel;
}

void installModelMessageBoxes() {
    messageSink.exchange(
        [](const QString& text) { showInfo(QGuiApplication::applicationDisplayName(), text); });
}

TestSeam<MessageBoxResponder> messageBoxResponder;

int ScopedMessageBoxResponder::respond(const QString& caption, const QString& text, MessageBoxKind kind) {
    records.append({caption, text, kind});
    if (answers.empty())
        return defaultAnswer;
    const int next = answers.front();
    answers.pop_front();
    return next;
}

void ScopedMessageBoxResponder::answer(std::initializer_list<int> next) {
    answers.insert(answers.end(), next.begin(), next.end());
}

} // namespace platform
