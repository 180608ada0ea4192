// The section dialog: a section's title and comment, for the section commands of the main
// window. Apply stays disabled until the title holds a character.
#pragma once

#include "app/GradientDialog.h"
#include "platform/core/TestSeam.h"

#include <QString>
#include <functional>
#include <optional>

class QLabel;
class QPushButton;
class TDialogEdit;
class TDialogMemo;

// What the dialog shows and gives back, as typed.
struct TSectionText {
    QString name;
    QString comment;
};

class TFrmSection : public TGradientDialog {
    Q_OBJECT

public:
    explicit TFrmSection(QWidget* parent = nullptr);

    void setText(const TSectionText& text);
    TSectionText text() const;

    // The whole use of the dialog by a command: shows it modally with `caption`, prefilled
    // with `prefill`, over the left side of `mainWindow` (may be null), and gives the texts
    // when it ends with Apply, nothing when it is cancelled or closed.
    static std::optional<TSectionText> askSection(const QString& caption, const TSectionText& prefill,
                                                  QWidget* mainWindow);

    // Test seam for askSection: answers instead of the dialog.
    using Responder =
        std::function<std::optional<TSectionText>(const QString& caption, const TSectionText& prefill)>;
    static inline platform::TestSeam<Responder> responder;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void EdNameChange();

    TDialogEdit* EdName = nullptr;
    QLabel* Label1 = nullptr;
    TDialogMemo* MemoComment = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* ButApply = nullptr;
    QPushButton* ButCancel = nullptr;
};
