// The item dialog: an item's name, value and comment, for the item commands of the main
// window. Apply is always enabled: an item with nothing in it is a blank line. A comment of
// several lines can be asked for as several comment lines ("MultiLine Comment"), which the
// box offers only while name and value are empty.
#pragma once

#include "app/GradientDialog.h"
#include "platform/core/TestSeam.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QCheckBox;
class QLabel;
class QPushButton;
class TDialogEdit;
class TDialogMemo;

// What the dialog shows and gives back, as typed.
struct TItemText {
    QString name;
    QString value;
    QString comment;
    // The "MultiLine Comment" box was enabled and ticked when the dialog ended.
    bool multiLineComment = false;
};

class TFrmItem : public TGradientDialog {
    Q_OBJECT

public:
    explicit TFrmItem(QWidget* parent = nullptr);

    void setText(const TItemText& text);
    TItemText text() const;
    // The "MultiLine Comment" box is offered (it is not in the values-only view).
    void setMultiLineOffered(bool offered);

    // The whole use of the dialog by a command: shows it modally with `caption`, prefilled
    // with `prefill`, centred on `mainWindow` (may be null), and gives the texts when it ends
    // with Apply, nothing when it is cancelled or closed.
    static std::optional<TItemText> askItem(const QString& caption, const TItemText& prefill,
                                            bool multiLineOffered, QWidget* mainWindow);

    // Test seam for askItem: answers instead of the dialog.
    using Responder = std::function<std::optional<TItemText>(const QString& caption, const TItemText& prefill,
                                                             bool multiLineOffered)>;
    static inline platform::TestSeam<Responder> responder;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void MemoValueChange();
    void CbxMultiLineCommentClick();
    void ButPasswordClick();

    TDialogEdit* EdName = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* ButApply = nullptr;
    QPushButton* ButCancel = nullptr;
    TDialogMemo* MemoValue = nullptr;
    QLabel* Label3 = nullptr;
    TDialogMemo* MemoComment = nullptr;
    QCheckBox* CbxMultiLineComment = nullptr;
    QPushButton* ButPassword = nullptr;
};
