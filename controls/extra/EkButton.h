#pragma once
// TEkButton: the library's owner-drawn push button, painted into the control base's off-screen
// bitmap. Three styles (a shaded button, a flat one, a flat one that turns shaded while it is
// interacted with), a face colour pair per state, a caption colour per state, an image per
// state from an image list placed on any side of the caption or above it, a small corner
// marker and a focus indicator in five styles.
//
// Behaviour:
// - Toggle groups: buttons of one parent that share a GroupIndex other than 0 are down one at
//   a time; a click toggles Down. Without AllowAllUp a down button comes up only when another
//   member goes down. A button outside a group is never down.
// - A click with a ModalResult ends the QDialog the button lives in: done(ModalResult).
// - Dialog keys: an unhandled Return or Enter (without Shift, Ctrl or Alt) clicks the focused
//   button, or a Default button while another kind of widget has the focus; an unhandled
//   Escape clicks a Cancel button. Alt plus the letter after '&' in the caption clicks it.
//   Space does not click it.
// - Line-break markers ("**", "||", two U+00A4) break the caption from the first marker of the
//   first kind present on, and every marker of the hint.
// - The hint shows in a small tool-tip window of the button's own, in its own colour.
// - An action link takes the action's text, enabled state, visibility, tool tip as hint and
//   image index (while the button's ImageIndex follows the action's); a click triggers it.
#include "controls/Graphics.h"
#include "controls/ImgList.h"
#include "controls/extra/EkBaseCtrl.h"

#include <QPointer>
#include <QString>

class QAction;
class QLabel;
class QTimer;

enum TEkButtonStyle { bstButton, bstFlat, bstFlatAndButton };
enum TEkFocusStyle { tfsNone, tfsDottetRect, tfsColorRect, tfsColorMark, tfsStar, tfsHalfHot };
enum TEkImageAlignment { tiaLeft, tiaRight, tiaTop, tiaBottom, tiaCenter };
// Close: image and caption centred as a pair. In rest: the image at the edge and the caption
// centred in the space beside it. Follow: the image at the edge and the caption right after it.
enum TEkLayoutStyle { tlsCenterTextAndImageClose, tlsCenterTextInRest, tlsTextFolowImage };
enum TEkPosInRect { pirUpLeft, pirUpRight, pirDownRight, pirDownLeft };
enum TEkShape { tasCircle, tasSquare, tasDiamond, tasStar };
enum TEkThreeSizes { ttsSmall, ttsMedium, ttsLarge };
// The value handed to QDialog::done: 1 OK, 2 Cancel, ... 8 All.
enum TEkModalResult { tmrNone, tmrOK, tmrCancel, tmrAbort, tmrRetry, tmrIgnore, tmrYes, tmrNo, tmrAll };
enum TEkButtonState { tbtNormal, tbtHot, tbtHalfHot, tbtPressed, tbtDisabled };

// How the face of a state is painted: framed or not, light and dark colour.
struct TEkButtonFace {
    bool framed = true;
    TEkColor light;
    TEkColor dark;
    bool operator==(const TEkButtonFace&) const = default;
};

class TEkButton : public TEkCustomControl {
    Q_OBJECT
public:
    // 90 x 32, a tab stop, the defaults listed with each property.
    explicit TEkButton(QWidget* parent = nullptr);
    ~TEkButton() override;

    // ---- state -----------------------------------------------------------------------------
    // The state of the next paint: disabled when the button cannot take the focus (no parent,
    // hidden or disabled itself or through a parent), else pressed when Down or while a mouse
    // button is held over it, hot when hovered or held and dragged out, half-hot when focused
    // or Default with FocusStyle tfsHalfHot, else normal.
    TEkButtonState getButtonState() const;
    // The state the last paint used.
    TEkButtonState paintedState() const { return paintedState_; }
    // The face and caption colour of a state (Down and Alive as they are now).
    TEkButtonFace faceFor(TEkButtonState state) const;
    TColor captionColour(TEkButtonState state) const;
    // Enabled, shown (to its window) and inside a window of another widget.
    bool canFocus() const;

    // ---- look ------------------------------------------------------------------------------
    // A style other than bstButton also sets Alive; clearing Alive returns to bstButton.
    TEkButtonStyle ButtonStyle() const { return buttonStyle_; }
    void setButtonStyle(TEkButtonStyle value);
    void setAlive(bool value) override;
    // The face's shade byte (low 8 bits used) and pipe (true) or plain gradient.
    int PipeShadow() const { return pipeShadow_; }
    void setPipeShadow(int value);
    bool PipeGradient() const { return pipeGradient_; }
    void setPipeGradient(bool value);

    // Face colours (TColor). Normal: dimmed (or hot while not Alive); hovered or pressed: hot;
    // Down: sel-down; disabled: disab; half-hot: the half mix of hot and dimmed.
    // setClAutoDark / setClAutoLight set the hot colour, the disabled colour (its grey) and the
    // dimmed colour (less saturated; the light one also a little darker) from one colour.
    TColor ClAutoDark() const { return clAutoDark_; }
    void setClAutoDark(TColor c);
    TColor ClAutoLight() const { return clAutoLight_; }
    void setClAutoLight(TColor c);
    TColor ClDimmedDark() const { return clDimmedDark_; }
    void setClDimmedDark(TColor c);
    TColor ClDimmedLight() const { return clDimmedLight_; }
    void setClDimmedLight(TColor c);
    TColor ClDisabDark() const { return clDisabDark_; }
    void setClDisabDark(TColor c);
    TColor ClDisabLight() const { return clDisabLight_; }
    void setClDisabLight(TColor c);
    TColor ClHotDark() const { return clHotDark_; }
    void setClHotDark(TColor c);
    TColor ClHotLight() const { return clHotLight_; }
    void setClHotLight(TColor c);
    TColor ClSelDownDark() const { return clSelDownDark_; }
    void setClSelDownDark(TColor c);
    TColor ClSelDownLight() const { return clSelDownLight_; }
    void setClSelDownLight(TColor c);
    // Caption colours by state (the font's own colour is not used).
    TColor FontClDisabled() const { return fontClDisabled_; }
    void setFontClDisabled(TColor c);
    TColor FontClDown() const { return fontClDown_; }
    void setFontClDown(TColor c);
    TColor FontClHot() const { return fontClHot_; }
    void setFontClHot(TColor c);
    TColor FontClDimmed() const { return fontClDimmed_; }
    void setFontClDimmed(TColor c);

    // Shown while the button has the focus or is Default.
    TEkFocusStyle FocusStyle() const { return focusStyle_; }
    void setFocusStyle(TEkFocusStyle value);
    TColor FocusColor() const { return focusColor_; }
    void setFocusColor(TColor c);

    // The corner marker.
    bool MarkShow() const { return markShow_; }
    void setMarkShow(bool value);
    TColor MarkColor() const { return markColor_; }
    void setMarkColor(TColor c);
    TEkPosInRect MarkPos() const { return markPos_; }
    void setMarkPos(TEkPosInRect value);
    TEkShape MarkShape() const { return markShape_; }
    void setMarkShape(TEkShape value);
    TEkThreeSizes MarkSize() const { return markSize_; }
    void setMarkSize(TEkThreeSizes value);
    // Top-left corner of the marker in r (not pressed).
    void findMarkerPos(int& x, int& y, const TRect& r) const;

    // ---- caption and hint --------------------------------------------------------------------
    // '&' marks the Alt accelerator ("&&" shows one '&').
    QString Caption() const { return caption_; }
    void setCaption(const QString& text);
    bool ShowCaption() const { return showCaption_; }
    void setShowCaption(bool value);
    // 1-based position of the first marker of the first kind present ("¤¤", then "||", then
    // "**"), 0 for none.
    int markerPos() const { return markerPos_; }
    QString Hint() const { return hint_; }
    void setHint(const QString& text) { hint_ = text; }
    // The hint window while it is shown, else null (for tests).
    QLabel* hintWindow() const;
    static constexpr TColor kHintColor = 0x00FF00;

    // ---- images ------------------------------------------------------------------------------
    // Not owned; forgotten when destroyed. Its changes repaint.
    TImageList* Images() const { return images_; }
    void setImages(TImageList* list);
    // Index -1: none for that state; a state without its own index shows the first of
    // ImageIndex, ImageIndexHot, ImageIndexPressed, ImageIndexDisabled that is set.
    int ImageIndex() const { return imageIndex_; }
    void setImageIndex(int value);
    int ImageIndexHot() const { return imageIndexHot_; }
    void setImageIndexHot(int value);
    int ImageIndexPressed() const { return imageIndexPressed_; }
    void setImageIndexPressed(int value);
    int ImageIndexDisabled() const { return imageIndexDisabled_; }
    void setImageIndexDisabled(int value);
    int getImageIndex(TEkButtonState state) const;
    // The image is drawn grey in every state (a disabled button draws it grey anyway).
    bool AutoGrayDisabled() const { return autoGrayDisabled_; }
    void setAutoGrayDisabled(bool value) { autoGrayDisabled_ = value; }
    TEkImageAlignment ImageAlignment() const { return imageAlignment_; }
    void setImageAlignment(TEkImageAlignment value);
    TEkLayoutStyle LayoutStyle() const { return layoutStyle_; }
    void setLayoutStyle(TEkLayoutStyle value);
    // Space around the image (left, top, right, bottom; 3 each).
    QMargins ImageMargins() const { return imageMargins_; }
    void setImageMargins(const QMargins& value);
    // The last layout: where the image's top-left lies and the caption's rect.
    TRect imageRect() const { return imageRect_; }
    TRect captionRect() const { return captionRect_; }

    // ---- behaviour ---------------------------------------------------------------------------
    bool Down() const { return down_; }
    void setDown(bool value);
    int GroupIndex() const { return groupIndex_; }
    void setGroupIndex(int value);
    // Spreads to every member of the group.
    bool AllowAllUp() const { return allowAllUp_; }
    void setAllowAllUp(bool value);
    bool Default() const { return isDefault_; }
    void setDefault(bool value);
    bool Cancel() const { return cancel_; }
    void setCancel(bool value) { cancel_ = value; }
    TEkModalResult ModalResult() const { return modalResult_; }
    void setModalResult(TEkModalResult value) { modalResult_ = value; }
    // A click takes the focus (and Tab reaches the button) only with TabStop.
    bool TabStop() const { return focusPolicy() != Qt::NoFocus; }
    void setTabStop(bool value);
    // Not owned; null unbinds.
    QAction* Action() const { return action_; }
    void setAction(QAction* value);

    // Toggles Down in a group, ends the dialog with ModalResult, emits clicked() and triggers
    // the action.
    virtual void Click();

signals:
    void clicked();

protected:
    void EkPaint(TEkBmp* bmp, TRect rect) override;
    void PrepareBitmaps(int width, int height) override;

    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // ---- layout ------------------------------------------------------------------------------
    void calculateRects(TEkBmp* bmp);
    void centerRectHorizontal(TRect& r) const;
    void centerRectVertical(TRect& r) const;
    void positionImgLeft(TRect& image, TRect& text) const;
    void positionImgRight(TRect& image, TRect& text) const;
    void positionImgTop(TRect& image, TRect& text) const;
    void positionImgBottom(TRect& image, TRect& text) const;
    void positionImgCenter(TRect& image, TRect& text) const;
    // Moves the text, or the text and the image, by (dx, dy) as LayoutStyle wants.
    void moveByLayout(TRect& image, TRect& text, int dx, int dy) const;
    // The caption with its markers from markerPos on turned into CR LF.
    QString brokenCaption() const;

    // ---- painting ----------------------------------------------------------------------------
    void paintButton(TEkBmp* bmp, TRect& rect);
    void paintButtonFlat(TEkBmp* bmp, TRect& rect);
    void paintImage(TEkBmp* bmp);
    void paintCaption(TEkBmp* bmp, TRect& rect);
    void paintFocusIndicator(TEkBmp* bmp, TRect rect);
    void paintMarker(TEkBmp* bmp, TRect& rect);

    // ---- behaviour ---------------------------------------------------------------------------
    bool weHaveImageIndex() const;
    int getAnImageIndex() const;
    void changeImageIndex(int& field, int value);
    void updateExclusiveDown();
    void ExternButtenIsDown(TEkButton* sender, int group);
    void applicationFocusChanged(QWidget* old, QWidget* now);
    void imagesReplaced();
    void watchWindow();
    void updateAccelerator();
    // Caption, hint, enabled state, visibility; the image index when the button's ImageIndex
    // follows the action's (always when the action is just bound).
    void updateFromAction(bool assigning = false);
    void showHint(const QPoint& globalPos);
    void hideHint();

    TEkButtonState paintedState_ = tbtNormal;
    bool enterActive_ = false;
    bool layoutDirty_ = true;
    TRect imageRect_;
    bool mouseDown_ = false;
    bool mouseOutside_ = false;
    bool leftPressed_ = false;
    int markerPos_ = 0;
    TRect captionRect_;

    bool allowAllUp_ = false;
    bool autoGrayDisabled_ = false;
    TEkButtonStyle buttonStyle_ = bstButton;
    bool cancel_ = false;
    TColor clAutoDark_ = 0xF5A997;
    TColor clAutoLight_ = 0xFDF6EA;
    TColor clDimmedDark_ = 0xE5B2A3;
    TColor clDimmedLight_ = 0xDBD8BC;
    TColor clDisabDark_ = 0xACACAC;
    TColor clDisabLight_ = 0xE4E4E4;
    TColor clHotDark_ = 0xF5A997;
    TColor clHotLight_ = 0xFDF6BA;
    TColor clSelDownDark_ = 0xF5A997;
    TColor clSelDownLight_ = 0xFDF6BA;
    bool isDefault_ = false;
    bool down_ = false;
    TColor focusColor_ = 0xFF0000;
    TEkFocusStyle focusStyle_ = tfsDottetRect;
    TColor fontClDisabled_ = 0x707070;
    TColor fontClDown_ = 0x800000;
    TColor fontClHot_ = 0x800000;
    TColor fontClDimmed_ = clWindowText;
    int groupIndex_ = 0;
    TEkImageAlignment imageAlignment_ = tiaLeft;
    int imageIndex_ = -1;
    int imageIndexDisabled_ = -1;
    int imageIndexHot_ = -1;
    int imageIndexPressed_ = -1;
    QMargins imageMargins_{3, 3, 3, 3};
    TImageListLink images_;
    TEkLayoutStyle layoutStyle_ = tlsCenterTextAndImageClose;
    TColor markColor_ = 0xFFFFFF;
    TEkPosInRect markPos_ = pirUpLeft;
    TEkShape markShape_ = tasStar;
    bool markShow_ = false;
    TEkThreeSizes markSize_ = ttsMedium;
    TEkModalResult modalResult_ = tmrNone;
    bool pipeGradient_ = true;
    int pipeShadow_ = 40;
    bool showCaption_ = true;
    QString caption_;
    QString hint_;

    int acceleratorId_ = 0;
    QMetaObject::Connection focusLink_;
    QPointer<QWidget> watchedWindow_;
    QPointer<QAction> action_;
    int actionImageIndex_ = -1;
    QMetaObject::Connection actionChangedLink_;
    QPointer<QLabel> hintLabel_;
    QTimer* hintTimer_ = nullptr;
};
