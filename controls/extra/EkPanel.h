// TEkPanel: a container panel that paints its inside flat, as a linear gradient or as a "pipe"
// (two ramps with the light band at 40 %), draws bevel rings and border rings around it with
// softly rounded inner corners, and places its caption with padding, horizontal and vertical
// alignment and line-break markers. It paints straight onto its own canvas (no off-screen
// bitmap); only the four soft corner pieces are built in a small TEkBmp.
//
// Also here: replaceLineBreakMarkers and lfLineBreaks, shared with the button's caption and hint.
#pragma once

#include "controls/EkColor.h"
#include "controls/EkGradiLabel.h"
#include "controls/Graphics.h"

#include <QString>
#include <QWidget>
#include <vector>

class QPainter;

enum TPanelBevel { bvNone = 0, bvLowered = 1, bvRaised = 2, bvSpace = 3 };
enum TGradientDirection { gdHorizontal = 0, gdVertical = 1 };
enum TTextLayout { tlTop = 0, tlCenter = 1, tlBottom = 2 };

// Every pair "**", "||" or U+00A4 U+00A4 at or after position `from` becomes CR LF, and the scan
// goes on after the LF ("***" gives CR LF "*"). A single marker character stays as it is. The
// text keeps its length.
void replaceLineBreakMarkers(QString& text, qsizetype from = 0);
// text with each CR LF pair as one LF, the only line break Qt draws and measures.
QString lfLineBreaks(QString text);

class TEkPanel : public QWidget {
    Q_OBJECT
public:
    // Defaults: the colours and flags listed with each property below; bevel outer raised,
    // inner none, bevel width 1, no border, caption shown and centred, colour clBtnFace.
    explicit TEkPanel(QWidget* parent = nullptr);

    // ---- background ----------------------------------------------------------------------------
    // Fill the inside with Color only (no gradient, no soft corners). Setting it true clears
    // GradientFill; setting GradientFill true clears it, so the two are never both true.
    bool BkgdefaultPaint() const { return bkgdefaultPaint_; }
    void setBkgdefaultPaint(bool value);
    bool GradientFill() const { return gradientFill_; }
    void setGradientFill(bool value);
    // Two ramps instead of one: ClEnd to ClBegin over the first 40 %, then ClBegin to ClEnd
    // darkened by GradientDarkerEnd.
    bool GradientPipe() const { return gradientPipe_; }
    void setGradientPipe(bool value);
    // Repaints only while GradientFill is on.
    TGradientDirection GradientDirection() const { return gradientDirection_; }
    void setGradientDirection(TGradientDirection value);
    // Clamped to 0..255.
    int GradientDarkerEnd() const { return gradientDarkerEnd_; }
    void setGradientDarkerEnd(int value);
    TColor ClBegin() const { return clBegin_; }
    void setClBegin(TColor c);
    TColor ClEnd() const { return clEnd_; }
    void setClEnd(TColor c);
    // The inside's colour when there is no gradient.
    TColor Color() const { return color_; }
    void setColor(TColor c);

    // ---- frame ---------------------------------------------------------------------------------
    // Rings from the outside in: BevelOuter, BorderWidth rings in ClBorder, BevelInner; each
    // bevel is BevelWidth rings (bvSpace draws as raised).
    TPanelBevel BevelOuter() const { return bevelOuter_; }
    void setBevelOuter(TPanelBevel value);
    TPanelBevel BevelInner() const { return bevelInner_; }
    void setBevelInner(TPanelBevel value);
    int BevelWidth() const { return bevelWidth_; }
    void setBevelWidth(int value);
    int BorderWidth() const { return borderWidth_; }
    void setBorderWidth(int value);
    TColor ClBorder() const { return clBorder_; }
    void setClBorder(TColor c);
    // Round the four inner corners of the border (only with a border and without
    // BkgdefaultPaint, and only when the inside is 10 pixels or more each way).
    bool BorderSoftInner() const { return borderSoftInner_; }
    void setBorderSoftInner(bool value);

    // ---- caption -------------------------------------------------------------------------------
    // Drawn on one line, markers included, unless it holds "||": then the markers from the
    // first "||" on break the line and long lines wrap. '&' underlines the next character.
    QString Caption() const { return caption_; }
    void setCaption(const QString& text);
    bool ShowCaption() const { return showCaption_; }
    void setShowCaption(bool value);
    TColor fontColor() const { return fontColor_; }
    void setFontColor(TColor c);
    TAlignment Alignment() const { return alignment_; }
    void setAlignment(TAlignment value);
    TTextLayout AlignmentVertical() const { return alignmentVertical_; }
    void setAlignmentVertical(TTextLayout value);
    // Space between the frame and the caption, added to the widget's contents margins (the
    // panel's padding, which also keeps child layouts off the frame).
    int TextPadLeft() const { return textPadLeft_; }
    void setTextPadLeft(int value);
    int TextPadTop() const { return textPadTop_; }
    void setTextPadTop(int value);
    int TextPadRight() const { return textPadRight_; }
    void setTextPadRight(int value);
    int TextPadBottom() const { return textPadBottom_; }
    void setTextPadBottom(int value);

    // ---- painting switches ---------------------------------------------------------------------
    // Paint nothing: only the background erase (if any) shows.
    bool NoPaint() const { return noPaint_; }
    void setNoPaint(bool value);
    // Skip the background erase (a fill with Color before every paint): what lies beneath the
    // panel shows wherever the panel paints nothing. Only stored; it counts from the next paint.
    bool DontEraceBkg() const { return dontEraceBkg_; }
    void setDontEraceBkg(bool value) { dontEraceBkg_ = value; }

    // ---- layout arithmetic (public for the button, which places its caption alike) ------------
    // r shrunk by the contents margins and the TextPad values.
    void adjustTextRect(TRect& r) const;
    // Places inner in outer by AlignmentVertical and Alignment, keeping inner's size; an axis on
    // which inner does not fit keeps inner's position.
    void positionRectInRect(const TRect& outer, TRect& inner) const;

signals:
    // Before painting, on the panel's canvas, with the client rect. A receiver may change r and
    // paint by itself; setting *handled leaves the whole panel to it (painted does not follow).
    void paintBegin(TEkPanel* sender, QPainter* canvas, TRect* r, bool* handled);
    // After painting, with the rect inside the rings and the caption padding.
    void painted(TEkPanel* sender, QPainter* canvas, TRect r);

protected:
    void paintEvent(QPaintEvent* event) override;
    // Draws the caption in r (r comes back shrunk by adjustTextRect).
    virtual void drawCaption(QPainter& canvas, TRect& r);

private:
    void paintPanel(QPainter& canvas);
    // The inside's colours along the gradient's axis, one per row (gdVertical) or column of r:
    // the linear or pipe ramp (22-bit fixed point, exact), or Color throughout without
    // GradientFill.
    std::vector<TPixel> insideColours(TRect r) const;
    void paintGradient(QPainter& canvas, TRect r) const;
    void drawSoftInnerCorners(QPainter& canvas, TRect r) const;
    static void drawBevelRings(QPainter& canvas, TRect& r, bool raised, int width);
    // Stores value in field and repaints when it changed.

    bool bkgdefaultPaint_ = false;
    bool borderSoftInner_ = true;
    TColor clBegin_ = 0xFDF5E5;
    TColor clEnd_ = 0xBEB6AC;
    TColor clBorder_ = clBlack;
    TColor color_ = clBtnFace;
    TColor fontColor_ = clWindowText;
    bool dontEraceBkg_ = false;
    TGradientDirection gradientDirection_ = gdVertical;
    bool gradientFill_ = false;
    bool gradientPipe_ = false;
    int gradientDarkerEnd_ = 20;
    bool noPaint_ = false;
    int textPadBottom_ = 0;
    int textPadLeft_ = 0;
    int textPadRight_ = 0;
    int textPadTop_ = 0;
    TTextLayout alignmentVertical_ = tlCenter;
    TAlignment alignment_ = taCenter;
    TPanelBevel bevelOuter_ = bvRaised;
    TPanelBevel bevelInner_ = bvNone;
    int bevelWidth_ = 1;
    int borderWidth_ = 0;
    bool showCaption_ = true;
    QString caption_;
};
