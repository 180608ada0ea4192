// Answers for the file password dialog, for tests: while a responder lives it answers instead of
// the dialog, which is never shown, and when it goes the previous responder (usually the real
// dialog) answers again. Other dialogs are answered through platform::ScopedSeam alone.
#pragma once

#include "app/FrmPasswrd.h"

#include <QList>
#include <QString>
#include <optional>
#include <utility>

// Answers the file password dialog with `answer` (nothing: Cancel) and records in `asked` each
// mode it is asked in.
class ScopedPasswordResponder {
public:
    explicit ScopedPasswordResponder(std::optional<QString> answer) : answer(std::move(answer)) {}

    std::optional<QString> answer;
    QList<TFormPassword::Mode> asked;

private:
    platform::ScopedSeam<TFormPassword::Responder> installed_{
        TFormPassword::responder, [this](TFormPassword::Mode mode) { return asked.append(mode), answer; }};
};
