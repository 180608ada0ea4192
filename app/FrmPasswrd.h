// The file password dialog: asks for the password of an encrypted file when it is opened or
// saved. OK stays disabled until the password holds at least 5 characters.
#pragma once

#include "app/GradientDialog.h"
#include "platform/core/TestSeam.h"

#include <QString>
#include <functional>
#include <optional>

class QLabel;
class QPushButton;
class QShowEvent;
class QWidget;
class TDialogEdit;

class TFormPassword : public TGradientDialog {
    Q_OBJECT

public:
    // Opening only asks; saving also warns in red not to lose the password, which makes the
    // dialog taller by the warning's height.
    enum class Mode { Open, Save };

    static constexpr int kMinimumLength = 5;

    explicit TFormPassword(Mode mode, QWidget* parent = nullptr);

    Mode mode() const { return mode_; }
    // The password as typed (blanks included).
    QString password() const;
    // True exactly when the password holds minimumLength characters or more.
    bool acceptable() const;

    // The whole use of the dialog by a command: shows it modally, centred on `centreOn` (may be
    // null), and gives the password when it ends with OK, nothing when it is cancelled.
    // A responder installed for tests answers instead and nothing is shown.
    static std::optional<QString> askPassword(Mode mode, QWidget* centreOn);

    // Test seam for askPassword: answers with a password or with nothing (Cancel).
    using Responder = std::function<std::optional<QString>(Mode mode)>;
    static inline platform::TestSeam<Responder> responder;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void layoutControls();
    void EdPasswordChange();

    Mode mode_;
    QLabel* Label1 = nullptr;
    QLabel* LbWarning = nullptr;
    QWidget* PnlBottom = nullptr;
    TDialogEdit* EdPassword = nullptr;
    QPushButton* ButCancel = nullptr;
    QPushButton* ButOk = nullptr;
};
