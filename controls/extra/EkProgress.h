#pragma once
// TEkProgress: a progress bar over a floating-point range. It lies horizontally while it is at
// least as wide as high and stands otherwise (a standing bar fills from the bottom). Its rounded
// lane and the front up to the position are painted by a TRoundBmp, solid, gradient or pipe
// shaded, with soft edges over the parent's background. With AcceptClick a left click sets the
// position, which makes it a simple input.
#include "controls/extra/EkMovers.h"

#include <algorithm>
#include <memory>

class TRoundBmp;

enum TPaternType { tptSolid = 0, tptGradiant = 1, tptPipe = 2 };

class TEkProgress : public TEkMovers {
    Q_OBJECT
public:
    // 100 x 18, range 0 .. 100, position 0, pipe pattern, soft edges, not Alive (no hot look
    // unless Alive is set), clicks ignored.
    explicit TEkProgress(QWidget* parent = nullptr);
    ~TEkProgress() override;

    // Stores v raised to Min or lowered to Max. It emits no posChange, nor do setMax and
    // setMin. An unchanged value, and a NaN, do nothing.
    void setPosition(double v);

    TPaternType PaternType() const { return paternType_; }
    void setPaternType(TPaternType v);
    // The lane's edges shaded and its corners soft over the parent's background.
    bool SoftEdge() const { return softEdge_; }
    void setSoftEdge(bool v);
    // The front's moving edge shaded.
    bool SoftEdgeFront() const { return softEdgeFront_; }
    void setSoftEdgeFront(bool v);

    // A left click sets the position to the clicked pixel (x, or y on a standing bar) and emits
    // posChange when the pixel differs from the present one. The position it sets is the
    // lowest that is drawn at that pixel.
    bool AcceptClick = false;

    // The lane's length in pixels: the larger side.
    int getLaneLengthInPix() const { return std::max(width(), height()); }
    // The position's pixel along the lane, 0 .. lane length: lane length * (Position - Min) /
    // (Max - Min), truncated.
    int posInPix() const { return posInPix_; }

signals:
    // After a click moved the position.
    void posChange(TEkProgress* sender, double value);
    // After the bar is painted into the off-screen bitmap and before that is copied to the
    // window: what the handler draws on canvas lies under the copy.
    void painted(TEkProgress* sender, QPainter* canvas, QRect rect);

protected:
    void PrepareBitmaps(int width, int height) override;
    void EkPaint(TEkBmp* bmp, TRect rect) override;
    void mousePressEvent(QMouseEvent* event) override;
    virtual void DoPosChange();
    void rangeChanged() override { calculatePosInPix(); }

private:
    void calculatePosInPix();
    void calculatePosFromPix(int pix);

    std::unique_ptr<TRoundBmp> roundBmp_;
    int posInPix_ = 0;
    TPaternType paternType_ = tptPipe;
    bool softEdge_ = true;
    bool softEdgeFront_ = true;
};
