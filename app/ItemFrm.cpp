#include "app/ItemFrm.h"

#include "app/DialogTextBoxes.h"
#include "app/PasswrdFrm.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <tuple>

namespace {

// Design sizes at 144 pixels per inch.
constexpr int kClientWidth = 592;
constexpr int kClientHeight = 392;
constexpr int kFontHeight = 18;
constexpr int kMargin = 24;
constexpr int kGap = 12;
constexpr int kLabelHeight = 24;
constexpr int kEditHeight = 33;
constexpr int kValueHeight = 72;
constexpr int kCommentHeight = 100;
constexpr int kCheckWidth = 224;
constexpr int kButtonWidth = 112;
constexpr int kPasswordWidth = 230;
constexpr int kButtonHeight = 38;

} // namespace

TFrmItem::TFrmItem(QWidget* parent) : TGradientDialog(parent) {
    setUpDesign(QStringLiteral("Add Value Item"), QStringLiteral("Arial"), kFontHeight,
                {kClientWidth, kClientHeight});

    EdName = new TDialogEdit(this);
    EdName->setObjectName("EdName");
    Label1 = new QLabel(QStringLiteral("Item Name:"), this);
    Label2 = new QLabel(QStringLiteral("Item Comment:"), this);
    MemoValue = new TDialogMemo(this);
    MemoValue->setObjectName("MemoValue");
    Label3 = new QLabel(QStringLiteral("Item Value"), this);
    MemoComment = new TDialogMemo(this);
    MemoComment->setObjectName("MemoComment");
    MemoComment->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    CbxMultiLineComment = new QCheckBox(QStringLiteral("MultiLine Comment"), this);
    CbxMultiLineComment->setObjectName("CbxMultiLineComment");
    ButPassword = new QPushButton(QStringLiteral("Generate a Password"), this);
    ButPassword->setObjectName("ButPassword");
    ButPassword->setAutoDefault(false);

    // Name, value and comment one below the other; the comment's label shares its row with the
    // multi-line box; the generator's button at the bottom left, Apply and Cancel at the right.
    const int left = px(kMargin);
    const int width = px(kClientWidth) - 2 * left;
    int y = px(kGap);
    struct Row {
        QLabel* label;
        QWidget* box;
        int height;
    };
    for (const Row& row : {Row{Label1, EdName, kEditHeight}, Row{Label3, MemoValue, kValueHeight},
                           Row{Label2, MemoComment, kCommentHeight}}) {
        row.label->setGeometry(left, y, width, px(kLabelHeight));
        y += px(kLabelHeight);
        row.box->setGeometry(left, y, width, px(row.height));
        y += px(row.height) + px(kGap);
    }
    CbxMultiLineComment->setGeometry(left + width - px(kCheckWidth), Label2->y(), px(kCheckWidth),
                                     px(kLabelHeight));
    y += px(kGap) / 2;
    ButPassword->setGeometry(left, y, px(kPasswordWidth), px(kButtonHeight));
    const int cancelLeft = left + width - px(kButtonWidth);
    std::tie(ButApply, ButCancel) = addApplyCancel({cancelLeft, y, px(kButtonWidth), px(kButtonHeight)},
                                                   cancelLeft - px(kGap) - px(kButtonWidth));

    setTabOrder(EdName, MemoValue);
    setTabOrder(MemoValue, MemoComment);
    setTabOrder(MemoComment, CbxMultiLineComment);
    setTabOrder(CbxMultiLineComment, ButPassword);
    setTabOrder(ButPassword, ButApply);
    setTabOrder(ButApply, ButCancel);

    connect(EdName, &QLineEdit::textChanged, this, &TFrmItem::MemoValueChange);
    connect(MemoValue, &QPlainTextEdit::textChanged, this, &TFrmItem::MemoValueChange);
    connect(CbxMultiLineComment, &QCheckBox::clicked, this, &TFrmItem::CbxMultiLineCommentClick);
    connect(ButPassword, &QPushButton::clicked, this, &TFrmItem::ButPasswordClick);
}

void TFrmItem::setText(const TItemText& text) {
    EdName->setText(text.name);
    MemoValue->setText(text.value);
    MemoComment->setText(text.comment);
}

TItemText TFrmItem::text() const {
    return {EdName->text(), MemoValue->text(), MemoComment->text(),
            CbxMultiLineComment->isEnabled() && CbxMultiLineComment->isChecked()};
}

void TFrmItem::setMultiLineOffered(bool offered) {
    CbxMultiLineComment->setVisible(offered);
}

void TFrmItem::MemoValueChange() {
    CbxMultiLineComment->setEnabled(EdName->text().isEmpty() && MemoValue->isEmpty());
}

void TFrmItem::CbxMultiLineCommentClick() {
    const bool multi = CbxMultiLineComment->isChecked() && CbxMultiLineComment->isEnabled();
    MemoComment->setWantReturns(multi);
    MemoComment->setVerticalScrollBarPolicy(multi ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

void TFrmItem::ButPasswordClick() {
    if (const std::optional<QString> password = TPasswordFrm::askPassword(this, true))
        MemoValue->setText(*password);
}

void TFrmItem::showEvent(QShowEvent* event) {
    TGradientDialog::showEvent(event);
    const bool noName = EdName->text().isEmpty();
    const bool noValue = MemoValue->isEmpty();
    const bool noComment = MemoComment->isEmpty();
    if (noName && noValue && noComment) {
        EdName->setFocus();
    } else if (noName && noValue) {
        MemoComment->setFocus();
        MemoComment->selectAll();
    } else {
        MemoValue->setFocus();
        MemoValue->selectAll();
    }
}

std::optional<TItemText> TFrmItem::askItem(const QString& caption, const TItemText& prefill,
                                           bool multiLineOffered, QWidget* mainWindow) {
    if (responder)
        return responder(caption, prefill, multiLineOffered);
    TFrmItem dialog(mainWindow);
    dialog.setWindowTitle(caption);
    dialog.setText(prefill);
    dialog.setMultiLineOffered(multiLineOffered);
    dialog.setPlacement(Placement::Centred, mainWindow);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.text();
}
