#include "app/SecFrm.h"

#include "app/DialogTextBoxes.h"

#include <QLabel>
#include <QPushButton>
#include <tuple>

namespace {

// Design sizes at 144 pixels per inch.
constexpr int kClientWidth = 467;
constexpr int kClientHeight = 291;
constexpr int kFontHeight = 18;
constexpr int kMargin = 24;
constexpr int kLabelHeight = 24;
constexpr int kEditHeight = 33;
constexpr int kMemoHeight = 98;
constexpr int kButtonWidth = 112;
constexpr int kButtonHeight = 38;
constexpr int kButtonGap = 12;

} // namespace

TFrmSection::TFrmSection(QWidget* parent) : TGradientDialog(parent) {
    setUpDesign(QStringLiteral("Add Section"), QStringLiteral("Arial"), kFontHeight,
                {kClientWidth, kClientHeight});

    EdName = new TDialogEdit(this);
    EdName->setObjectName("EdName");
    Label1 = new QLabel(QStringLiteral("Section Title:"), this);
    MemoComment = new TDialogMemo(this);
    MemoComment->setObjectName("MemoComment");
    Label2 = new QLabel(QStringLiteral("Section Comment:"), this);

    // Title and comment boxes one above the other, Apply and Cancel at the bottom right.
    const int width = px(kClientWidth) - 2 * px(kMargin);
    int y = px(kMargin) / 2;
    Label1->setGeometry(px(kMargin), y, width, px(kLabelHeight));
    y += px(kLabelHeight);
    EdName->setGeometry(px(kMargin), y, width, px(kEditHeight));
    y += px(kEditHeight) + px(kMargin) / 2;
    Label2->setGeometry(px(kMargin), y, width, px(kLabelHeight));
    y += px(kLabelHeight);
    MemoComment->setGeometry(px(kMargin), y, width, px(kMemoHeight));
    const int buttonTop = px(kClientHeight) - px(kMargin) - px(kButtonHeight);
    const int cancelLeft = px(kClientWidth) - px(kMargin) - px(kButtonWidth);
    std::tie(ButApply, ButCancel) =
        addApplyCancel({cancelLeft, buttonTop, px(kButtonWidth), px(kButtonHeight)},
                       cancelLeft - px(kButtonGap) - px(kButtonWidth));
    ButApply->setEnabled(false);
    setTabOrder(EdName, MemoComment);
    setTabOrder(MemoComment, ButApply);
    setTabOrder(ButApply, ButCancel);

    connect(EdName, &QLineEdit::textChanged, this, &TFrmSection::EdNameChange);
}

void TFrmSection::setText(const TSectionText& text) {
    EdName->setText(text.name);
    MemoComment->setText(text.comment);
}

TSectionText TFrmSection::text() const {
    return {EdName->text(), MemoComment->text()};
}

void TFrmSection::showEvent(QShowEvent* event) {
    TGradientDialog::showEvent(event);
    EdName->setFocus();
}

void TFrmSection::EdNameChange() {
    ButApply->setEnabled(!EdName->text().isEmpty());
}

std::optional<TSectionText> TFrmSection::askSection(const QString& caption, const TSectionText& prefill,
                                                    QWidget* mainWindow) {
    if (responder)
        return responder(caption, prefill);
    TFrmSection dialog(mainWindow);
    dialog.setWindowTitle(caption);
    dialog.setText(prefill);
    dialog.setPlacement(Placement::OverLeftSide, mainWindow);
    if (dialog.exec() != QDialog::Accepted || dialog.EdName->text().isEmpty())
        return std::nullopt;
    return dialog.text();
}
