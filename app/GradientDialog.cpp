#include "app/GradientDialog.h"

#include "app/EkFunctions.h"
#include "platform/gui/DesignScale.h"

#include <QKeyEvent>
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

void TGradientDialog::setDesignClientSize(int width, int height) {
    setFixedSize(px(width), px(height));
}

void TGradientDialog::setDesignFont(const QString& family, int height) {
    QFont font(family);
    font.setPixelSize(px(height));
    setFont(font);
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

// --- Memo -------------------------------------------------------------------------------------

TDialogMemo::TDialogMemo(QWidget* parent) : QPlainTextEdit(parent) {
    setTabChangesFocus(true);
}

QStringList memoLines(const QString& text) {
    QStringList result = text.split(QLatin1Char('\n'));
    if (result.size() > 1 && result.constLast().isEmpty())
        result.removeLast();
    return result;
}

void TDialogMemo::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    // A plain line break in every case: the editor's own Shift+Enter would insert a separator
    // that is no line break in the text.
    if (wantReturns_ || event->modifiers().testFlag(Qt::ControlModifier)) {
        insertPlainText(QStringLiteral("\n"));
        return;
    }
    for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        if (auto* dialog = qobject_cast<QDialog*>(w)) {
            for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
                if (button->isDefault() && button->isVisible() && button->isEnabled()) {
                    button->click();
                    return;
                }
            }
            return;
        }
    }
}
