#include "app/FrmPasswrd.h"

#include "app/DialogTextBoxes.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace {

// Design sizes at 144 pixels per inch.
constexpr int kClientWidth = 408;
constexpr int kLabel1Height = 30;
constexpr int kWarningHeight = 35;
constexpr int kPanelHeight = 97;
constexpr int kMargin = 24;
constexpr int kEditTop = 8;
constexpr int kEditHeight = 33;
constexpr int kButtonTop = 52;
constexpr int kButtonWidth = 112;
constexpr int kButtonHeight = 38;
constexpr int kButtonGap = 12;
constexpr int kFontHeight = 18;
constexpr int kWarningFontHeight = 22;

} // namespace

TFormPassword::TFormPassword(Mode mode, QWidget* parent) : TGradientDialog(parent), mode_(mode) {
    buildControls();
    layoutControls();
    connect(EdPassword, &TDialogEdit::textChanged, this, &TFormPassword::EdPasswordChange);
    connect(ButOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(ButCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TFormPassword::buildControls() {
    setWindowTitle(QStringLiteral("File Password"));

    Label1 = new QLabel(QStringLiteral("Type a Password (minimum 5 characters)"), this);
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);

    LbWarning = new QLabel(QStringLiteral("Do not loose this password !!"), this);
    LbWarning->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    QPalette warningPalette = LbWarning->palette();
    warningPalette.setColor(QPalette::WindowText, Qt::red);
    LbWarning->setPalette(warningPalette);
    LbWarning->setVisible(mode_ == Mode::Save);

    PnlBottom = new QWidget(this);
    EdPassword = new TDialogEdit(PnlBottom);
    EdPassword->setEchoMode(QLineEdit::Password);
    // Every character shows as '*' (code 42), whatever the style's own mask character.
    EdPassword->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    ButCancel = new QPushButton(QStringLiteral("Cancel"), PnlBottom);
    ButCancel->setAutoDefault(false);
    ButOk = new QPushButton(QStringLiteral("OK"), PnlBottom);
    ButOk->setDefault(true);
    ButOk->setEnabled(false);
    setTabOrder(EdPassword, ButCancel);
    setTabOrder(ButCancel, ButOk);
}

void TFormPassword::layoutControls() {
    setDesignFont(QStringLiteral("Tahoma"), kFontHeight);
    QFont warningFont(QStringLiteral("Tahoma"));
    warningFont.setPixelSize(px(kWarningFontHeight));
    warningFont.setBold(true);
    LbWarning->setFont(warningFont);

    const int width = px(kClientWidth);
    Label1->setGeometry(0, 0, width, px(kLabel1Height));
    LbWarning->setGeometry(0, px(kLabel1Height), width, px(kWarningHeight));
    // The panel follows the labels that are shown; a hidden warning takes no room.
    const int panelTop = px(kLabel1Height) + (mode_ == Mode::Save ? px(kWarningHeight) : 0);
    PnlBottom->setGeometry(0, panelTop, width, px(kPanelHeight));

    EdPassword->setGeometry(px(kMargin), px(kEditTop), width - 2 * px(kMargin), px(kEditHeight));
    // OK sits at the right margin, Cancel one gap to its left.
    const int okLeft = width - px(kMargin) - px(kButtonWidth);
    const int cancelLeft = okLeft - px(kButtonGap) - px(kButtonWidth);
    ButOk->setGeometry(okLeft, px(kButtonTop), px(kButtonWidth), px(kButtonHeight));
    ButCancel->setGeometry(cancelLeft, px(kButtonTop), px(kButtonWidth), px(kButtonHeight));

    // The dialog ends right below the buttons: client height = panel top + panel height.
    setFixedSize(width, panelTop + px(kPanelHeight));
}

QString TFormPassword::password() const {
    return EdPassword->text();
}

bool TFormPassword::acceptable() const {
    return EdPassword->text().size() >= kMinimumLength;
}

void TFormPassword::EdPasswordChange() {
    ButOk->setEnabled(acceptable());
}

void TFormPassword::showEvent(QShowEvent* event) {
    TGradientDialog::showEvent(event);
    EdPassword->setFocus();
}

std::optional<QString> TFormPassword::askPassword(Mode mode, QWidget* centreOn) {
    if (responder)
        return responder(mode);
    TFormPassword dialog(mode, centreOn);
    dialog.setPlacement(Placement::Centred, centreOn);
    if (dialog.exec() != QDialog::Accepted || !dialog.acceptable())
        return std::nullopt;
    return dialog.password();
}
