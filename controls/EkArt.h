// TEkArt: a decorative end cap or corner piece that continues the gradient of one or two
// neighbouring gradient labels. It copies the colours of the neighbour's painted rows (a
// horizontal neighbour) or of its top row (a vertical neighbour) and fades them towards the
// neighbour's dark colour; without a neighbour it builds the same ramp from its own colours.
//
// The piece paints after its neighbours: while a neighbour's picture is not current it shows
// its present picture and waits for the neighbour's bitmapPainted() signal. It continues the
// neighbour's resting look (normal or disabled): a neighbour that is enabled or disabled, or
// repainted with new colours or a new size, repaints the piece, while a neighbour that turns
// hot or pressed leaves the piece's picture as it is. A piece whose size differs from the
// neighbour it follows resizes itself after the paint that noticed it.
#pragma once

#include "controls/EkGradiLabel.h"

#include <QPointer>
#include <QWidget>
#include <memory>

enum TEkArtType {
    aatSpace = 0,
    aatCornerNW = 1,
    aatCornerNE = 2,
    aatCornerSE = 3,
    aatCornerSW = 4,
    aatEndDown = 5,
    aatEndUp = 6,
    aatEndLeft = 7,
    aatEndRight = 8
};

class TEkArt : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int Align READ alignValue WRITE setAlignValue)
public:
    // 23 x 23, vertical pipe, aatSpace, the default colours, an empty bitmap.
    explicit TEkArt(QWidget* parent = nullptr);
    ~TEkArt() override;

    // Setters store a changed value and repaint.
    TColor ClGradiDark() const { return clGradiDark_; }
    void setGradiDark(TColor c);
    TColor ClGradiLight() const { return clGradiLight_; }
    void setGradiLight(TColor c);
    TEkGradyStyle ArtStyle() const { return artStyle_; }
    void setArtStyle(TEkGradyStyle style);
    TEkArtType ArtType() const { return artType_; }
    void setArtType(TEkArtType type);
    // Clamped to 0..255.
    int PipeShadow() const { return pipeShadow_; }
    void setPipeShadow(int value);
    TAlign Align() const { return align_; }
    void setAlign(TAlign value);

    // Neighbours (not owned; forgotten when destroyed, the piece then paints its own ramp).
    // Which one is beside the piece and which above or below depends on ArtType.
    TEkGradiLabel* LabelBefore() const { return before_.label; }
    void setLabelBefore(TEkGradiLabel* label);
    TEkGradiLabel* LabelAfter() const { return after_.label; }
    void setLabelAfter(TEkGradiLabel* label);

    // Row `row` of the piece's picture; EInvalidGraphicOperation outside 0..height-1.
    const TPixel* getScanLine(int row) const;
    // True while the picture is out of date (a neighbour not painted yet, a size to follow).
    bool isDirty() const { return dirty_; }
    const TEkBmp* bitmapForTest() const { return bitmap_.get(); }

    QSize sizeHint() const override { return size(); }
    QSize minimumSizeHint() const override { return QSize(0, 0); }

signals:
    // Draw over the copied picture (OnPaint).
    void paintOver(TEkArt* sender, QPainter* painter);
    // A left double click on the piece.
    void doubleClicked();
    // The mouse moved over the piece.
    void mouseMoved(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPoint pos);
    // A context menu was asked for at pos. A receiver that shows its own sets *handled; else the
    // request goes on to the parent.
    void contextPopup(QPoint pos, bool* handled);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // The look of a neighbour the piece last continued.
    struct SeenLook {
        int serial = -1;
        int state = -1;
    };
    // One neighbour: the label, what the piece last read of it, and the links that follow it.
    struct Neighbour {
        QPointer<TEkGradiLabel> label;
        SeenLook seen;
        QMetaObject::Connection painted;
        QMetaObject::Connection destroyed;
    };

    int alignValue() const { return int(align_); }
    void setAlignValue(int value) { setAlign(TAlign(value)); }
    void changed();
    // Stores label in the slot and follows its painting and its end.
    void watchNeighbour(TEkGradiLabel* label, Neighbour& slot);
    void neighbourPainted(const Neighbour& slot);
    void paintBitmap();
    bool paintBitmapSpecial();
    void paintOwnBackground();
    // Queues a resize to the neighbour's size (never resizes from inside a paint).
    bool followSize(TEkGradiLabel* horizontal, TEkGradiLabel* vertical);
    // The own ramp of n entries (one per row for the left and right ends, one per column else).
    void fillOwnRamp(TPixel* ramp, int n, bool pipe) const;
    TPixel edgeColour(TEkGradiLabel* neighbour) const;
    bool paintCorner(TEkGradiLabel* horizontal, TEkGradiLabel* vertical);
    bool paintEnd(TEkGradiLabel* horizontal, TEkGradiLabel* vertical);

    std::unique_ptr<TEkBmp> bitmap_;
    bool dirty_ = true;
    bool resizeQueued_ = false;
    QSize triedSize_; // the last size asked for by following a neighbour
    TColor clGradiDark_ = 0xE97A01;
    TColor clGradiLight_ = 0xFFFF00;
    TEkGradyStyle artStyle_ = agsVertPipe;
    TEkArtType artType_ = aatSpace;
    int pipeShadow_ = 60;
    TAlign align_ = alNone;
    Neighbour before_;
    Neighbour after_;
};
