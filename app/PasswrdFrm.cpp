#include "app/PasswrdFrm.h"

#include "app/DialogTextBoxes.h"
#include "controls/Graphics.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSpinBox>
#include <tuple>

namespace {

// Design sizes at 144 pixels per inch.
constexpr int kClientWidth = 435;
constexpr int kClientHeight = 214;
constexpr int kFontHeight = 18;
constexpr int kMargin = 20;
constexpr int kCheckTop = 12;
constexpr int kCheckStep = 32;
constexpr int kCheckWidth = 200;
constexpr int kRowHeight = 30;
constexpr int kRightColumn = 240;
constexpr int kLengthLeft = 320;
constexpr int kLengthWidth = 95;
constexpr int kEditHeight = 33;
constexpr int kGenerateTop = 60;
constexpr int kResultTop = 112;
constexpr int kResultWidth = 350;
constexpr int kBevelTop = 157;
constexpr int kButtonTop = 168;
constexpr int kButtonWidth = 112;
constexpr int kButtonGap = 8;
constexpr int kIconSize = 16;

constexpr TColor kLengthColour = 0xE9EDED;

const QString kLower = QStringLiteral("abcdefghijklmnopqrstuvwxyz");
const QString kUpper = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
const QString kDigits = QStringLiteral("0123456789");

// Two sheets of paper, one over the other: the copy symbol, in colour or greyed.
QIcon copyIcon(bool enabled, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QColor ink = enabled ? QColor(0x2E, 0x3F, 0x5C) : QColor(0xA8, 0xAE, 0xB8);
    const QColor paper = enabled ? QColor(0xCF, 0xE3, 0xF7) : QColor(0xEE, 0xEE, 0xEE);
    p.setPen(QPen(ink, size / 16.0));
    p.setBrush(paper);
    const qreal s = size / 16.0;
    p.drawRect(QRectF(1.5 * s, 1.5 * s, 8 * s, 10 * s));
    p.drawRect(QRectF(6.5 * s, 4.5 * s, 8 * s, 10 * s));
    return QIcon(pixmap);
}

} // namespace

TPasswordFrm::TPasswordFrm(bool withApply, QWidget* parent) : TGradientDialog(parent) {
    setUpDesign(QStringLiteral("Password Generator"), QStringLiteral("Tahoma"), kFontHeight,
                {kClientWidth, kClientHeight});

    CbxLower = new QCheckBox(QStringLiteral("Lowercase (a-z)"), this);
    CbxUpper = new QCheckBox(QStringLiteral("Uppercase (A-Z)"), this);
    CbxNumbers = new QCheckBox(QStringLiteral("Numbers (0-9)"), this);
    int top = kCheckTop;
    for (QCheckBox* box : {CbxLower, CbxUpper, CbxNumbers}) {
        box->setChecked(true);
        box->setGeometry(px(kMargin), px(top), px(kCheckWidth), px(kRowHeight));
        top += kCheckStep;
    }
    CbxLower->setObjectName("CbxLower");
    CbxUpper->setObjectName("CbxUpper");
    CbxNumbers->setObjectName("CbxNumbers");

    Label1 = new QLabel(QStringLiteral("Length:"), this);
    Label1->setGeometry(px(kRightColumn), px(kCheckTop), px(kLengthLeft - kRightColumn), px(kEditHeight));
    EdLength = new QSpinBox(this);
    EdLength->setObjectName("EdLength");
    EdLength->setRange(0, kMaximumLength);
    EdLength->setValue(kDefaultLength);
    EdLength->setSingleStep(1);
    // Read-only for typing; the arrows and the arrow keys still step it.
    auto* lengthText = EdLength->findChild<QLineEdit*>();
    lengthText->setReadOnly(true);
    QPalette lengthPalette = EdLength->palette();
    lengthPalette.setColor(QPalette::Base, toQColor(kLengthColour));
    EdLength->setPalette(lengthPalette);
    EdLength->setGeometry(px(kLengthLeft), px(kCheckTop), px(kLengthWidth), px(kEditHeight));

    ButGenerate = new QPushButton(QStringLiteral("Generate"), this);
    ButGenerate->setObjectName("ButGenerate");
    ButGenerate->setToolTip(QStringLiteral(" Generate password "));
    ButGenerate->setAutoDefault(false);
    ButGenerate->setGeometry(px(kRightColumn), px(kGenerateTop), px(kClientWidth - kMargin - kRightColumn),
                             px(kEditHeight));

    EdResult = new TDialogEdit(this);
    EdResult->setObjectName("EdResult");
    EdResult->setGeometry(px(kMargin), px(kResultTop), px(kResultWidth), px(kEditHeight));
    ButCopyToClip = new QPushButton(this);
    ButCopyToClip->setObjectName("ButCopyToClip");
    ButCopyToClip->setToolTip(QStringLiteral(" Copy password to clipboard "));
    ButCopyToClip->setAutoDefault(false);
    ButCopyToClip->setIconSize(QSize(px(kIconSize), px(kIconSize)));
    ButCopyToClip->setGeometry(px(kClientWidth - kMargin - kEditHeight), px(kResultTop), px(kEditHeight),
                               px(kEditHeight));

    Bevel1 = new QFrame(this);
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(px(kMargin), px(kBevelTop), px(kClientWidth - 2 * kMargin), 2);

    const int cancelLeft = px(kClientWidth - kMargin - kButtonWidth);
    std::tie(ButApply, ButCancel) =
        addApplyCancel({cancelLeft, px(kButtonTop), px(kButtonWidth), px(kEditHeight)},
                       cancelLeft - px(kButtonGap + kButtonWidth));
    ButApply->setVisible(withApply);

    connect(ButGenerate, &QPushButton::clicked, this, &TPasswordFrm::ButGenerateClick);
    connect(EdResult, &QLineEdit::textChanged, this, &TPasswordFrm::EdResultChange);
    connect(ButCopyToClip, &QPushButton::clicked, this, &TPasswordFrm::ButCopyToClipClick);
}

QString TPasswordFrm::result() const {
    return EdResult->text();
}

QString TPasswordFrm::alphabet(bool lower, bool upper, bool digits) {
    return (lower ? kLower : QString()) + (upper ? kUpper : QString()) + (digits ? kDigits : QString());
}

std::optional<QString> TPasswordFrm::generate(const QString& alphabet, int length) {
    if (alphabet.isEmpty())
        return std::nullopt;
    QString password(length, Qt::Uninitialized);
    // bounded() draws evenly from [0, n): no character is likelier than another.
    QRandomGenerator* random = QRandomGenerator::system();
    for (QChar& c : password)
        c = alphabet[random->bounded(int(alphabet.size()))];
    return password;
}

void TPasswordFrm::ButGenerateClick() {
    const std::optional<QString> password = generate(
        alphabet(CbxLower->isChecked(), CbxUpper->isChecked(), CbxNumbers->isChecked()), EdLength->value());
    if (password)
        EdResult->setText(*password);
}

void TPasswordFrm::EdResultChange() {
    const bool ok = EdResult->text().size() >= EdLength->value();
    ButApply->setEnabled(ok);
    ButCopyToClip->setEnabled(ok);
    copyButtonImage_ = ok ? kCopyImage : kCopyImageDisabled;
    ButCopyToClip->setIcon(copyIcon(ok, px(kIconSize)));
}

void TPasswordFrm::ButCopyToClipClick() {
    QApplication::clipboard()->setText(EdResult->text());
}

void TPasswordFrm::showEvent(QShowEvent* event) {
    TGradientDialog::showEvent(event);
    // The buttons beside the boxes take the result box's height; the copy button is square.
    const int h = EdResult->height();
    for (QPushButton* button : {ButGenerate, ButApply, ButCancel, ButCopyToClip})
        button->resize(button->width(), h);
    ButCopyToClip->resize(h, h);
    // Nothing generated yet: Apply would hand back an empty password.
    EdResultChange();
}

std::optional<QString> TPasswordFrm::askPassword(QWidget* owner, bool withApply) {
    if (responder)
        return responder(withApply);
    TPasswordFrm dialog(withApply, owner);
    dialog.setPlacement(Placement::Centred, owner);
    if (dialog.exec() != QDialog::Accepted || !withApply)
        return std::nullopt;
    return dialog.result();
}
