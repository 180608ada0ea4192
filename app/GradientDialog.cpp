#include "app/GradientDialog.h"

#include "app/EkFunctions.h"
#include "platform/gui/DesignScale.h"

#include <QPushButton>

TGradientDialog::TGradientDialog(QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
}

void TGradientDialog::setPlacement(Placement placement, QWidget* reference) {
    placement_ = placement;
    reference_ = reference;
}

int TGradientDialog::px(int designPixels) const {
    return scaleFromDesign(designPixels, this);
}

void TGradientDialog::setUpDesign(const QString& caption, const QString& fontFamily, int fontHeight,
                                  QSize clientSize) {
    setWindowTitle(caption);
    setDesignFont(fontFamily, fontHeight);
    setFixedSize(px(clientSize.width()), px(clientSize.height()));
}

void TGradientDialog::setDesignFont(const QString& family, int height) {
    QFont font(family);
    font.setPixelSize(px(height));
    setFont(font);
}

std::pair<QPushButton*, QPushButton*> TGradientDialog::addApplyCancel(const QRect& cancel, int applyLeft) {
    auto* apply = new QPushButton(QStringLiteral("Apply"), this);
    apply->setObjectName("ButApply");
    apply->setDefault(true);
    apply->setGeometry(applyLeft, cancel.top(), cancel.width(), cancel.height());
    auto* cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton->setObjectName("ButCancel");
    cancelButton->setAutoDefault(false);
    cancelButton->setGeometry(cancel);
    connect(apply, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    return {apply, cancelButton};
}

void TGradientDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!reference_)
        return;
    const QRect outer = reference_->window()->frameGeometry();
    const QRect own = frameGeometry();
    // Centred: the two frames share their middle. Over the left side: left edges aligned,
    // top = reference top + (reference height - own height) / 2, truncating toward zero.
    const int top = outer.top() + (outer.height() - own.height()) / 2;
    const int left =
        placement_ == Placement::Centred ? outer.left() + (outer.width() - own.width()) / 2 : outer.left();
    move(left, top);
}

void TGradientDialog::paintEvent(QPaintEvent*) {
    paintVerticalGradient(this);
}
