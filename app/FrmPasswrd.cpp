#include "app/FrmPasswrd.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace {

// Design sizes at 144 pixels per inch.
constexpr int clientWidth = 408;
constexpr int label1Height = 30;
constexpr int warningHeight = 35;
constexpr int panelHeight = 97;
constexpr int margin = 24;
constexpr int editTop = 8;
constexpr int editHeight = 33;
constexpr int buttonTop = 52;
constexpr int buttonWidth = 112;
constexpr int buttonHeight = 38;
constexpr int buttonGap = 12;
constexpr int fontHeight = 18;
constexpr int warningFontHeight = 22;

using Seam = TDialogSeam<TFormPassword::Responder>;

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
    setDesignFont(QStringLiteral("Tahoma"), fontHeight);
    QFont warningFont(QStringLiteral("Tahoma"));
    warningFont.setPixelSize(px(warningFontHeight));
    warningFont.setBold(true);
    LbWarning->setFont(warningFont);

    const int width = px(clientWidth);
    Label1->setGeometry(0, 0, width, px(label1Height));
    LbWarning->setGeometry(0, px(label1Height), width, px(warningHeight));
    // The panel follows the labels that are shown; a hidden warning takes no room.
    const int panelTop = px(label1Height) + (mode_ == Mode::Save ? px(warningHeight) : 0);
    PnlBottom->setGeometry(0, panelTop, width, px(panelHeight));

    EdPassword->setGeometry(px(margin), px(editTop), width - 2 * px(margin), px(editHeight));
    // OK sits at the right margin, Cancel one gap to its left.
    const int okLeft = width - px(margin) - px(buttonWidth);
    const int cancelLeft = okLeft - px(buttonGap) - px(buttonWidth);
    ButOk->setGeometry(okLeft, px(buttonTop), px(buttonWidth), px(buttonHeight));
    ButCancel->setGeometry(cancelLeft, px(buttonTop), px(buttonWidth), px(buttonHeight));

    // The dialog ends right below the buttons: client height = panel top + panel height.
    setFixedSize(width, panelTop + px(panelHeight));
}

QString TFormPassword::password() const {
    return EdPassword->text();
}

bool TFormPassword::acceptable() const {
    return EdPassword->text().size() >= minimumLength;
}

void TFormPassword::EdPasswordChange() {
    ButOk->setEnabled(acceptable());
}

void TFormPassword::showEvent(QShowEvent* event) {
    TGradientDialog::showEvent(event);
    EdPassword->setFocus();
}

std::optional<QString> TFormPassword::askPassword(Mode mode, QWidget* centreOn) {
    if (const Responder& responder = Seam::responder())
        return responder(mode);
    TFormPassword dialog(mode, centreOn);
    dialog.setPlacement(Placement::Centred, centreOn);
    if (dialog.exec() != QDialog::Accepted || !dialog.acceptable())
        return std::nullopt;
    return dialog.password();
}

TFormPassword::Responder TFormPassword::setResponder(Responder responder) {
    return Seam::exchange(std::move(responder));
}

ScopedPasswordResponder::ScopedPasswordResponder(std::optional<QString> answer) : answer(std::move(answer)) {
    previous_ = TFormPassword::setResponder([this](TFormPassword::Mode mode) {
        asked.append(mode);
        return this->answer;
    });
}

ScopedPasswordResponder::~ScopedPasswordResponder() {
    TFormPassword::setResponder(std::move(previous_));
}
