// The password generator: random passwords of lower-case letters, upper-case letters and
// digits in a chosen length. Opened alone from the main window (the user copies the result)
// or from the item dialog, whose value box takes the result on Apply.
#pragma once

#include "app/GradientDialog.h"
#include "platform/core/TestSeam.h"

#include <QString>
#include <functional>
#include <optional>

class QCheckBox;
class QFrame;
class QLabel;
class QPushButton;
class QSpinBox;
class TDialogEdit;

class TPasswordFrm : public TGradientDialog {
    Q_OBJECT

public:
    static constexpr int kDefaultLength = 8;
    static constexpr int kMaximumLength = 100;
    // The copy button's image while the result is acceptable, and while it is not.
    static constexpr int kCopyImage = 24;
    static constexpr int kCopyImageDisabled = 25;

    // `withApply` shows the Apply button (opened from the item dialog).
    explicit TPasswordFrm(bool withApply, QWidget* parent = nullptr);

    QString result() const;
    // The image the copy button shows: copyImage or copyImageDisabled.
    int copyButtonImage() const { return copyButtonImage_; }

    // The characters a password is drawn from: lower case, upper case, digits, in that order
    // and as chosen; empty when none is chosen.
    static QString alphabet(bool lower, bool upper, bool digits);
    // `length` characters drawn independently and evenly from `alphabet` by the system's
    // random source; nothing for an empty alphabet.
    static std::optional<QString> generate(const QString& alphabet, int length);

    // The whole use of the dialog: shows it modally, centred on `owner`, with or without
    // Apply; gives the result when it ends with Apply, nothing otherwise (always nothing
    // without Apply, whose result the user takes through the clipboard).
    static std::optional<QString> askPassword(QWidget* owner, bool withApply);

    // Test seam for askPassword: answers instead of the dialog.
    using Responder = std::function<std::optional<QString>(bool withApply)>;
    static inline platform::TestSeam<Responder> responder;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ButGenerateClick();
    void EdResultChange();
    void ButCopyToClipClick();

    QCheckBox* CbxLower = nullptr;
    QCheckBox* CbxUpper = nullptr;
    QCheckBox* CbxNumbers = nullptr;
    QLabel* Label1 = nullptr;
    // EdLength with UpDownLength: typing is refused, the arrows step the length.
    QSpinBox* EdLength = nullptr;
    TDialogEdit* EdResult = nullptr;
    QPushButton* ButGenerate = nullptr;
    QPushButton* ButApply = nullptr;
    QPushButton* ButCancel = nullptr;
    QPushButton* ButCopyToClip = nullptr;
    QFrame* Bevel1 = nullptr;
    int copyButtonImage_ = kCopyImage;
};
