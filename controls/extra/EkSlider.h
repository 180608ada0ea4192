#pragma once
// TEkSlider: a track bar whose value is a double in [Min, Max]. It lies horizontally while it is
// at least as wide as high and stands otherwise; a standing slider's value grows downwards. It
// keeps two TRoundBmp: the track, as large as the control, and the thumb. Both are repainted on
// every paint in the chosen styles and colours (the hot set while the pointer is over the
// visible track and Alive is set) and composited over the parent's background.
//
// The value changes by a press or drag with the left button (the thumb's middle follows the
// pointer), by the wheel (one StepSizeWheel per notch of 120) and by the arrow keys along the
// lane (one StepSizeKey; the key then goes on to the parent). Every change first asks
// changingPos, which can veto it, and then tells changePos.
#include "controls/extra/EkMovers.h"

#include <memory>

class TRoundBmp;

enum TEkSliderBkgStyle { tbsPipe, tbsRoundPipe, tbsGrove, tbsRoundGrove, tbsGradi, tbsSolid, tbsCustom };
enum TEkSliderStyle {
    tssBall,
    tssHole,
    tssPipe,
    tssRoundPipe,
    tssGrove,
    tssRoundGrove,
    tssGradi,
    tssSolid,
    tssCustom
};
enum TEkSliderEdgeStyle { tesNone, tseSoftEnds, tseSoftButton, tesButton, tesButton3D };
// Direction of a colour ramp: the up/down ones run across the lane, the left/right ones along it.
enum TEkDirection { tgdDownToUp, tgdUpToDown, tgdLeftToRight, tgdRightToLeft };

class TEkSlider : public TEkMovers {
    Q_OBJECT
public:
    // 100 x 18, range 0 .. 100, position 0, a round groove track with soft ends, a ball thumb
    // of length 16 with a grip, no focus rectangle, Alive.
    explicit TEkSlider(QWidget* parent = nullptr);
    ~TEkSlider() override;

    // ---- value -----------------------------------------------------------------------------
    // Max, Min and Position are the mover's. setPosition clamps v to [Min, Max]; an unchanged
    // (clamped) value or a NaN does nothing. Otherwise changingPos may veto; an accepted value is
    // stored and changePos follows. Vetoed or not, the thumb is placed again and the control
    // repainted.
    void setPosition(double v);
    // v rounded half up to a whole number (floor(v + 0.5)), kept within int.
    int posDoubleToPosInt(double v) const;
    int getPosAsInt() const { return posDoubleToPosInt(range_.position); }
    double StepSizeKey = 1.0;
    double StepSizeWheel = 0.5;
    bool NoScroll() const { return noScroll_; } // the wheel is ignored (and goes on to the parent)
    void setNoScroll(bool v);

    // ---- look ------------------------------------------------------------------------------
    TEkSliderBkgStyle StyleBkg() const { return styleBkg_; }
    void setStyleBkg(TEkSliderBkgStyle v);
    // A ball or hole thumb is square (its length the control's thickness); switching to one
    // keeps the flat thumb's length, and switching back restores it.
    TEkSliderStyle StyleSlider() const { return styleSlider_; }
    void setStyleSlider(TEkSliderStyle v);
    // The edge of a flat thumb (pipe, groove, gradient, solid, custom).
    TEkSliderEdgeStyle StyleSliderEdge() const { return styleSliderEdge_; }
    void setStyleSliderEdge(TEkSliderEdgeStyle v);
    TEkDirection ColorDirectionBkg() const { return colorDirectionBkg_; }
    void setColorDirectionBkg(TEkDirection v);
    TEkDirection ColorDirectionSlider() const { return colorDirectionSlider_; }
    void setColorDirectionSlider(TEkDirection v);
    // Bevelled track ends (not for the round and custom tracks).
    bool BkgSoftEnds() const { return bkgSoftEnds_; }
    void setBkgSoftEnds(bool v);
    // A grip on every thumb but the ball and the hole.
    bool SliderGrib() const { return sliderGrib_; }
    void setSliderGrib(bool v);
    // A dotted focus bar along the lane while focused.
    bool ShowFocus() const { return showFocus_; }
    void setShowFocus(bool v);

    // ---- geometry --------------------------------------------------------------------------
    // The thumb's length along the lane: 1 .. the control's length.
    int LengthSlider() const { return lengthSlider_; }
    void setLengthSlider(int v);
    // Track margins along the lane (both ends) and across it (both sides); never below 0.
    int BkgEndMargin() const { return bkgEndMargin_; }
    void setBkgEndMargin(int v);
    int BkgSideMargin() const { return bkgSideMargin_; }
    void setBkgSideMargin(int v);
    // Room for a scroll button at each end of the lane (no button is painted).
    bool ShowScrollButtons() const { return showScrollButtons_; }
    void setShowScrollButtons(bool v);
    // A standing slider keeps a corner of its width free at its lower end.
    bool ShowingDeadCorner() const { return showingDeadCorner_; }
    void setShowingDeadCorner(bool v);

    // The thumb's travel in pixels: the control's length less the thumb's (and the dead corner
    // and scroll buttons); 0 or less when the thumb fills the control, and the mouse is then
    // ignored.
    int getLaneLengthInPix() const;
    bool isVertical() const { return vertical_; }
    TRect bkgRect() const { return bkgRect_; }
    TRect sliderRect() const { return sliderRect_; }
    int sliderPosInPix() const { return sliderPosInPix_; }
    TRoundBmp* trackBitmap() const { return bkgBmp_.get(); }
    TRoundBmp* thumbBitmap() const { return sliderBmp_.get(); }

    // True over the visible track: inside the track bitmap where its alpha is 51 or more.
    bool MouseIsIn(int x, int y) const override;

    // The thumb as a flat bevelled pipe from c2 to c1 with a grip (no style selects it).
    void drawVistaToSlider(TEkColor c1, TEkColor c2);
    // Premultiplies both bitmaps' colours by their alpha (nothing in the slider calls it).
    void handleTransParent();

signals:
    // Before Position changes; setting *accept to false vetoes the change.
    void changingPos(TEkSlider* sender, double dPos, int iPos, bool* accept);
    void changePos(TEkSlider* sender, double dPos, int iPos);
    // StyleBkg tbsCustom: paint the track into bmp within r.
    void drawBkg(TEkSlider* sender, TRoundBmp* bmp, TRect r);
    // StyleSlider tssCustom: paint the thumb into bmp within r (the whole thumb bitmap).
    void drawSlider(TEkSlider* sender, TRoundBmp* bmp, TRect r);

protected:
    void PrepareBitmaps(int width, int height) override;
    void EkPaint(TEkBmp* bmp, TRect rect) override;
    void FocusChanged() override;
    virtual void calculateBkgRect();
    // Sets Position from a mouse coordinate along the lane, the thumb's middle at the pointer.
    virtual void calculateSliderPos(int pixel);
    virtual void calculateSliderPosInPix();
    void rangeChanged() override { calculateSliderPosInPix(); }

    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void doWheelAndKeyPosChange(double v);
    void paintBitmaps();
    // Exchange the pair as the direction asks; the result is the fill's vertical flag.
    bool handleBkgColorDirection(TEkColor& dark, TEkColor& light) const;
    bool handleSliderColorDirection(TEkColor& dark, TEkColor& light) const;
    void paintTrack(TEkColor dark, TEkColor light);
    void paintThumb(TEkColor dark, TEkColor light);
    void drawBkgSoftEnds();
    void drawSliderEdge();
    void drawSliderGrib();
    bool roundThumb() const { return styleSlider_ == tssBall || styleSlider_ == tssHole; }
    int alongLane(const QPointF& p) const { return int(horizontal_ ? p.x() : p.y()); }

    // One drag at a time in the whole program.
    static inline bool dragging = false;
    static inline int dragPos = 0;

    std::unique_ptr<TRoundBmp> sliderBmp_; // the thumb
    std::unique_ptr<TRoundBmp> bkgBmp_;    // the track, the control's size
    TRect bkgRect_;
    TRect sliderBmpRect_;
    TRect sliderRect_;
    int sliderPosInPix_ = 0;
    int savedLength_ = 0; // a flat thumb's length while a ball or hole thumb is square
    int wheelDelta_ = 0;  // wheel rotation not yet turned into steps
    bool showScrollButtons_ = false;
    bool showingDeadCorner_ = false;
    bool bkgSoftEnds_ = true;
    bool vertical_ = false;
    bool showFocus_ = false;
    bool noScroll_ = false;
    bool horizontal_ = true;
    int bkgSideMargin_ = 0;
    int bkgEndMargin_ = 0;
    TEkDirection colorDirectionBkg_ = tgdDownToUp;
    TEkDirection colorDirectionSlider_ = tgdDownToUp;
    int lengthSlider_ = 16;
    bool sliderGrib_ = true;
    TEkSliderBkgStyle styleBkg_ = tbsRoundGrove;
    TEkSliderStyle styleSlider_ = tssBall;
    TEkSliderEdgeStyle styleSliderEdge_ = tesNone;
};
