// TEkArt: a decorative end cap or corner piece that continues the gradient of one or two
// neighbouring gradient labels. It copies the colours of the neighbour's painted rows (a
// horizontal neighbour) or of its top row (a vertical neighbour) and fades them towards the
// neighbour's dark colour; without a neighbour it builds the same ramp from its own colours.
//
// The piece paints after its neighbours: while a neighbour's picture is not current it shows
// its present picture and waits for the neighbour's bitmapPainted() signal. Every later repaint
// of a neighbour's picture (a new state, colour or size) repaints the piece, so that it always
// continues the picture the neighbour shows. A piece whose size differs from the neighbour it
// follows resizes itself after the paint that noticed it.
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
    TColor ClGradiDark() const { return clGradiDark; }
    void setGradiDark(TColor c);
    TColor ClGradiLight() const { return clGradiLight; }
    void setGradiLight(TColor c);
    TEkGradyStyle ArtStyle() const { return artStyle; }
    void setArtStyle(TEkGradyStyle style);
    TEkArtType ArtType() const { return artType; }
    void setArtType(TEkArtType type);
    // Clamped to 0..255.
    int PipeShadow() const { return pipeShadow; }
    void setPipeShadow(int value);
    TAlign Align() const { return align; }
    void setAlign(TAlign value);

    // Neighbours (not owned; forgotten when destroyed, the piece then paints its own ramp).
    // Which one is beside the piece and which above or below depends on ArtType.
    TEkGradiLabel* LabelBefore() const { return labelBefore; }
    void setLabelBefore(TEkGradiLabel* label);
    TEkGradiLabel* LabelAfter() const { return labelAfter; }
    void setLabelAfter(TEkGradiLabel* label);

    // Row `row` of the piece's picture; EInvalidGraphicOperation outside 0..height-1.
    const TPixel* getScanLine(int row) const;
    // True while the picture is out of date (a neighbour not painted yet, a size to follow).
    bool isDirty() const { return dirty; }
    const TEkBmp* bitmapForTest() const { return bitmap.get(); }

    QSize sizeHint() const override { return size(); }
    QSize minimumSizeHint() const override { return QSize(0, 0); }

signals:
    // Draw over the copied picture (OnPaint).
    void paintOver(TEkArt* sender, QPainter* painter);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    int alignValue() const { return int(align); }
    void setAlignValue(int value) { setAlign(TAlign(value)); }
    void changed();
    // Stores label in slot and follows its painting and its end.
    void watchNeighbour(TEkGradiLabel* label, QPointer<TEkGradiLabel>& slot, QMetaObject::Connection& painted,
                        QMetaObject::Connection& destroyed);
    void neighbourPainted();
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

    std::unique_ptr<TEkBmp> bitmap;
    bool dirty = true;
    bool resizeQueued = false;
    QSize triedSize; // the last size asked for by following a neighbour
    TColor clGradiDark = 0xE97A01;
    TColor clGradiLight = 0xFFFF00;
    TEkGradyStyle artStyle = agsVertPipe;
    TEkArtType artType = aatSpace;
    int pipeShadow = 60;
    TAlign align = alNone;
    QPointer<TEkGradiLabel> labelBefore;
    QPointer<TEkGradiLabel> labelAfter;
    QMetaObject::Connection beforePainted, beforeDestroyed, afterPainted, afterDestroyed;
};
