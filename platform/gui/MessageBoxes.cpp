#include "platform/gui/MessageBoxes.h"

#include "platform/core/SysUtils.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>

namespace platform {

namespace {

QPointer<QWidget>& ownerSlot() {
    static QPointer<QWidget> owner;
    return owner;
}

MessageBoxResponder& responderSlot() {
    static MessageBoxResponder responder;
    return responder;
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

// Shows one box (or asks the responder) and gives the raw answer number.
int runBox(MessageBoxKind kind, const QString& caption, const QString& text) {
    if (const MessageBoxResponder& responder = responderSlot())
        return responder(caption, text, kind);
    QMessageBox box(iconOf(kind), caption, text, buttonsOf(kind), ownerSlot().data());
    // A plain text never turns into markup, whatever the file name in it looks like.
    box.setTextFormat(Qt::PlainText);
    if (kind == MessageBoxKind::YesNo)
        box.setEscapeButton(QMessageBox::No);
    else if (kind == MessageBoxKind::YesNoCancel)
        box.setEscapeButton(QMessageBox::Cancel);
    return answerOf(box.exec());
}

} // namespace

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
    setMessageSink([](const QString& text) { showInfo(QGuiApplication::applicationDisplayName(), text); });
}

MessageBoxResponder setMessageBoxResponder(MessageBoxResponder responder) {
    MessageBoxResponder previous = std::move(responderSlot());
    responderSlot() = std::move(responder);
    return previous;
}

ScopedMessageBoxResponder::ScopedMessageBoxResponder(int defaultAnswer) : defaultAnswer(defaultAnswer) {
    previous_ =
        setMessageBoxResponder([this](const QString& caption, const QString& text, MessageBoxKind kind) {
            records.append({caption, text, kind});
            if (answers.empty())
                return this->defaultAnswer;
            const int next = answers.front();
            answers.pop_front();
            return next;
        });
}

ScopedMessageBoxResponder::~ScopedMessageBoxResponder() {
    setMessageBoxResponder(std::move(previous_));
}

void ScopedMessageBoxResponder::answer(std::initializer_list<int> next) {
    answers.insert(answers.end(), next.begin(), next.end());
}

} // namespace platform
