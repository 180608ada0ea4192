#pragma once
// TEkMovers: the common base of the slider and the progress bar, the two controls whose picture
// is a lane with a moving part. It adds the eight colours both paint with (lane and front, each
// dark and light, in a normal and a hot set), a minimum size, and the arrow keys: a focused
// mover takes them before any shortcut or dialog navigation does.
#include "controls/extra/EkBaseCtrl.h"

// The double range of a mover; max > min always. setMax and setMin store a new bound, put it 1
// away from the other bound when it reaches or passes it, and drag position into the range.
// They return false, changing nothing, for an unchanged value or a NaN.
struct TMoverRange {
    double max = 100.0;
    double min = 0.0;
    double position = 0.0;
    bool setMax(double v);
    bool setMin(double v);
};

class TEkMovers : public TEkCustomControl {
    Q_OBJECT
public:
    // The colours below, a tab stop (Tab focuses it; the descendants take the focus on a click).
    explicit TEkMovers(QWidget* parent = nullptr);
    ~TEkMovers() override;

    // Colours as TColor (0x00BBGGRR or a system colour). A setter stores a changed value and
    // repaints; an equal value does nothing.
    TColor ClBkgDark() const { return clBkgDark_; } // lane, dark end
    void setClBkgDark(TColor c);
    TColor ClBkgLight() const { return clBkgLight_; } // lane, light end
    void setClBkgLight(TColor c);
    TColor ClFrontDark() const { return clFrontDark_; } // front part, dark end
    void setClFrontDark(TColor c);
    TColor ClFrontLight() const { return clFrontLight_; } // front part, light end
    void setClFrontLight(TColor c);
    TColor ClHotBkgDark() const { return clHotBkgDark_; } // the same while hot
    void setClHotBkgDark(TColor c);
    TColor ClHotBkgLight() const { return clHotBkgLight_; }
    void setClHotBkgLight(TColor c);
    TColor ClHotFrontDark() const { return clHotFrontDark_; }
    void setClHotFrontDark(TColor c);
    TColor ClHotFrontLight() const { return clHotFrontLight_; }
    void setClHotFrontLight(TColor c);

    // Moves and sizes the widget; a side that is not 0 but below 5 (negative ones too) becomes
    // 5. A side of exactly 0 stays 0. Sizes set by resize() or a layout are corrected the same
    // way when they arrive.
    void SetBounds(int left, int top, int width, int height);
    static int boundedSide(int side) { return side != 0 && side < 5 ? 5 : side; }

    bool TabStop() const { return focusPolicy() & Qt::TabFocus; }
    void setTabStop(bool value) { setFocusPolicy(value ? Qt::TabFocus : Qt::NoFocus); }

    // The range 0 .. 100 at first, position 0. setMax and setMin keep Max > Min as
    // TMoverRange does, drag Position along without events, place the moving part again
    // (rangeChanged) and repaint; an unchanged value or a NaN does nothing. Each descendant sets
    // Position its own way.
    double Max() const { return range_.max; }
    void setMax(double v);
    double Min() const { return range_.min; }
    void setMin(double v);
    double Position() const { return range_.position; }

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // After setMax or setMin changed the range: the moving part follows it. Empty in the base.
    virtual void rangeChanged();

    TMoverRange range_;

private:
    TColor clBkgDark_ = 0xE97A01;       // blue
    TColor clBkgLight_ = 0xFFFF00;      // aqua
    TColor clFrontDark_ = 0x0078C4;     // dark orange
    TColor clFrontLight_ = 0xAAF1FF;    // pale yellow
    TColor clHotBkgDark_ = 0x008800;    // green
    TColor clHotBkgLight_ = 0x55FF55;   // light green
    TColor clHotFrontDark_ = 0x003DDF;  // red orange
    TColor clHotFrontLight_ = 0x94F1FF; // light yellow
};
