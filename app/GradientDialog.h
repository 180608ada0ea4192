// What the editor's dialogs share: the vertical gradient of their client area, sizes given
// at 144 pixels per inch and where they open. Each dialog's static ask function has a test seam
// of its own (platform::TestSeam). Their text boxes are in DialogTextBoxes.h.
#pragma once

#include <QDialog>
#include <QPointer>
#include <utility>

class QPaintEvent;
class QPushButton;
class QShowEvent;

class TGradientDialog : public QDialog {
    Q_OBJECT

public:
    // Where the dialog opens, worked out from `reference` (the main window, or the dialog's
    // owner) each time it is shown. Nothing moves it when `reference` is null.
    enum class Placement {
        Centred,      // centred on the reference
        OverLeftSide, // left edges aligned, vertically centred on the reference
    };

    explicit TGradientDialog(QWidget* parent = nullptr);

    void setPlacement(Placement placement, QWidget* reference);

    // Design pixels (144 per inch) in pixels of the dialog's screen.
    int px(int designPixels) const;

protected:
    // What every dialog of a fixed design sets: its caption, its font (`fontFamily` at
    // `fontHeight` design pixels) and a fixed client area of `clientSize` design pixels.
    void setUpDesign(const QString& caption, const QString& fontFamily, int fontHeight, QSize clientSize);
    // `family` at `height` design pixels, for the dialog and every control on it.
    void setDesignFont(const QString& family, int height);
    // Apply and Cancel, which end the dialogs that edit a value, returned in that order and
    // found by tests as "ButApply" and "ButCancel". Apply is the default button and accepts;
    // Cancel rejects and is never the default, so that Enter in a box presses Apply. Cancel
    // takes the rectangle `cancel` (pixels), Apply its size with its left edge at `applyLeft`.
    std::pair<QPushButton*, QPushButton*> addApplyCancel(const QRect& cancel, int applyLeft);

    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    Placement placement_ = Placement::Centred;
    QPointer<QWidget> reference_;
};
