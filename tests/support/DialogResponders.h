// Answers for the dialogs' static ask functions, for tests and benchmarks: while a responder
// lives it answers instead of its dialog, which is never shown, and when it goes the previous
// responder (usually the real dialog) answers again.
#pragma once

#include "app/FrmPasswrd.h"

#include <QList>
#include <QString>
#include <optional>
#include <utility>

// Installs `responder` on `Dialog` (any dialog with a Responder type and setResponder).
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

// Answers the file password dialog with `answer` (nothing: Cancel) and records in `asked` each
// mode it is asked in.
class ScopedPasswordResponder {
public:
    explicit ScopedPasswordResponder(std::optional<QString> answer) : answer(std::move(answer)) {}

    std::optional<QString> answer;
    QList<TFormPassword::Mode> asked;

private:
    ScopedDialogResponder<TFormPassword> installed_{[this](TFormPassword::Mode mode) {
        asked.append(mode);
        return answer;
    }};
};
