// TEkGradiLabel: a caption and an optional image-list image on a gradient background. It is
// a plain label (the main window's status fields) or, with LabelType altButton, a flat
// tool-bar button bound to an action. It paints into its own TEkBmp and copies that to the
// window; the bitmap is repainted only when a property changed or the visual state (normal,
// hot, pressed, disabled) differs from the one it was painted for.
//
// Also here: the alignment values shared with the end pieces and TEkDockLayout, the small
// docking layout that places labels and pieces along the edges of a bar.
#pragma once

#include "controls/EkBmp.h"
#include "controls/Graphics.h"
#include "controls/ImgList.h"

#include <QLayout>
#include <QPointer>
#include <QVector>
#include <QWidget>
#include <memory>

class QAction;

// Background style of the label (GradiStyle) and of the end piece (ArtStyle).
enum TEkGradyStyle { agsVertGradi = 0, agsVertPipe = 1, agsHorzGradi = 2, agsHorzPipe = 3, agsSolid = 4 };
enum TEkLabelType { altLabel = 0, altButton = 1, altSpace = 2 };
enum TEkImagePos { aipLeft = 0, aipRight = 1 };
enum TAlignment { taLeftJustify = 0, taRightJustify = 1, taCenter = 2 };
// Where TEkDockLayout puts a control: alNone leaves it where it is.
enum TAlign { alNone = 0, alTop = 1, alBottom = 2, alLeft = 3, alRight = 4, alClient = 5 };

// Name of the QAction dynamic property that carries the action's image index (an int; absent
// or negative: the bound label keeps its own ImageIndex).
inline constexpr const char* kActionImageIndexProperty = "imageIndex";
// Sets the image index of an action; labels bound to it follow at once.
void setActionImageIndex(QAction* action, int index);
// A control bound to action takes the action's enabled state and hiding. A visible action shows
// the control again only when it was hidden explicitly: one never shown yet stays as its parent
// has it.
void followActionState(QWidget* control, const QAction* action);

// Fills the whole of bmp in style: a vertical or horizontal gradient or pipe from light to dark
// (the pipe shaded by pipeShadow), or dark alone for agsSolid and any other value.
void fillGradyStyle(TEkBmp& bmp, TEkGradyStyle style, uint8_t pipeShadow, TEkColor light, TEkColor dark);

// The widget is one of its parent layout's items.
bool managedByLayout(const QWidget* w);

// Places an image of imageSize and a caption textWidth wide side by side in r, the two aligned
// as a group, gap pixels apart (no gap without a caption). Returns the image's top-left corner,
// centred vertically in r; r becomes the caption's rect.
QPoint placeImageBesideCaption(TRect& r, TAlignment alignment, bool imageRight, QSize imageSize,
                               int textWidth, int gap);

class TEkGradiLabel : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int Align READ alignValue WRITE setAlignValue)
public:
    // Defaults: 81 x 23, vertical pipe, left-justified, auto-size on, not loaded. Mouse
    // tracking is on and the widget paints every pixel itself (WA_OpaquePaintEvent).
    explicit TEkGradiLabel(QWidget* parent = nullptr);
    ~TEkGradiLabel() override;

    // Ends the setting-up: from now on caption, font, margins and images re-run the auto-size.
    // Called by the first show (or the first paint) when nobody called it before.
    void Loaded();
    bool isLoaded() const { return loaded_; }

    // ---- colours (TColor: 0x00BBGGRR or a system colour) ------------------------------------
    // The normal gradient; changing either repaints.
    TColor ClGradiDark() const { return clGradiDark_; }
    void setGradiantDark(TColor c);
    TColor ClGradiLight() const { return clGradiLight_; }
    void setGradiantLight(TColor c);
    // The remaining colours are only stored: they show when the visual state next changes
    // (or the bitmap is next repainted).
    TColor ClButtonLight() const { return clButtonLight_; }
    void setClButtonLight(TColor c) { clButtonLight_ = c; }
    TColor ClButtonShadow() const { return clButtonShadow_; }
    void setClButtonShadow(TColor c) { clButtonShadow_ = c; }
    TColor ClDisableDark() const { return clDisableDark_; }
    void setClDisableDark(TColor c) { clDisableDark_ = c; }
    TColor ClDisableLight() const { return clDisableLight_; }
    void setClDisableLight(TColor c) { clDisableLight_ = c; }
    TColor ClHotDark() const { return clHotDark_; }
    void setClHotDark(TColor c) { clHotDark_ = c; }
    TColor ClHotLight() const { return clHotLight_; }
    void setClHotLight(TColor c) { clHotLight_ = c; }
    TColor ClPressDark() const { return clPressDark_; }
    void setClPressDark(TColor c) { clPressDark_ = c; }
    TColor ClPressLight() const { return clPressLight_; }
    void setClPressLight(TColor c) { clPressLight_ = c; }
    TColor ClFontDisable() const { return clFontDisable_; }
    void setClFontDisable(TColor c) { clFontDisable_ = c; }
    TColor ClFontHot() const { return clFontHot_; }
    void setClFontHot(TColor c) { clFontHot_ = c; }
    TColor ClFontPressed() const { return clFontPressed_; }
    void setClFontPressed(TColor c) { clFontPressed_ = c; }
    // Text colour of the normal state (the font's colour); changing it repaints.
    TColor fontColor() const { return fontColor_; }
    void setFontColor(TColor c);

    // ---- appearance and layout ---------------------------------------------------------------
    TEkGradyStyle GradiStyle() const { return gradiStyle_; }
    void setGradiStyle(TEkGradyStyle style);
    TAlignment Alignment() const { return alignment_; }
    void setAlignment(TAlignment value);
    // Auto-size: width = image width + MarginImage (when an image list is set) + caption width
    // + 2 * MarginTextHorz; height = max(caption, image) + 2 * MarginTextVert. Off for Align
    // alTop, alBottom and alClient. Right-justified labels keep their right edge.
    bool AutoSize() const { return autoSize_; }
    void setAutoSize(bool value);
    int MarginTextHorz() const { return marginTextHorz_; }
    void setTextMarginHorz(int value);
    int MarginTextVert() const { return marginTextVert_; }
    void setTextMarginVert(int value);
    int MarginImage() const { return marginImage_; }
    void setMarginImage(int value);
    TEkLabelType LabelType() const { return labelType_; }
    void setLabelType(TEkLabelType type) { labelType_ = type; }
    // Clamped to 0..255.
    int PipeShadow() const { return pipeShadow_; }
    void setPipeShadow(int value);
    // A label that is not alive never changes its look on mouse events or when disabled.
    bool Alive() const { return alive_; }
    void setAlive(bool value);
    TAlign Align() const { return align_; }
    // Tells the parent's TEkDockLayout (if any) to place the label again.
    void setAlign(TAlign value);

    // The caption; '&' marks a mnemonic ("&&" shows one '&'). Changing it re-runs the auto-size.
    QString Caption() const { return caption_; }
    void setCaption(const QString& text);

    // ---- images ------------------------------------------------------------------------------
    // Not owned; the label forgets a list that is destroyed. Index -1: no image.
    TImageList* Images() const { return images_; }
    void setImages(TImageList* list);
    int ImageIndex() const { return imageIndex_; }
    void setImageIndex(int index);
    int ImageDisabledIndex() const { return imageDisabledIndex_; }
    void setImageDisabledIndex(int index);
    int ImageHotIndex() const { return imageHotIndex_; }
    void setImageHotIndex(int index) { imageHotIndex_ = index; }
    int ImagePressedIndex() const { return imagePressedIndex_; }
    void setImagePressedIndex(int index) { imagePressedIndex_ = index; }
    TEkImagePos ImagePos() const { return imagePos_; }
    void setImagePos(TEkImagePos pos);

    // ---- neighbours (read by the end pieces; not owned, forgotten when destroyed) -----------
    TEkGradiLabel* LabelBefore() const { return labelBefore_; }
    void setLabelBefore(TEkGradiLabel* label);
    TEkGradiLabel* LabelAfter() const { return labelAfter_; }
    void setLabelAfter(TEkGradiLabel* label);

    // ---- action --------------------------------------------------------------------------------
    // Binds the label to an action (not owned; null unbinds): the label takes the action's
    // enabled state, visibility, text as caption, tool tip as hint and image index (see
    // setActionImageIndex), now and whenever they change; a click triggers the action.
    QAction* Action() const { return action_; }
    void setAction(QAction* value);

    // ---- what the end pieces read ----------------------------------------------------------
    // Row `row` of the painted picture (width() pixels). EInvalidGraphicOperation "Scanlines
    // Out of Range" outside 0..height-1, "No DibSection" before the first paint.
    const TPixel* getScanLine(int row) const;
    // True when the painted picture is current: painted since the last change and of the
    // label's present size.
    bool GetFullyLoaded() const {
        return bitmap_ && !dirty_ && bitmap_->width() == width() && bitmap_->height() == height();
    }
    // The off-screen picture; null until the label is loaded. For tests and the end pieces.
    const TEkBmp* bitmapForTest() const { return bitmap_.get(); }
    // 0 normal, 1 hot, 2 pressed, 3 disabled.
    int visualState() const { return state_; }
    // The state the present picture was painted for.
    int paintedVisualState() const { return paintedState_; }
    // Counts the repaints of the picture that were more than a change of state (new colours,
    // size, caption, images): with paintedVisualState() it tells an end piece whether the
    // look it continues has changed.
    int pictureSerial() const { return serial_; }

    // Ends a left press as a release outside the label would: mouseUp() is emitted, no click
    // follows, and a pressed button looks hot again. Nothing while no press is pending. (The
    // press-and-hold pop-up of the Open button takes the press away with it.)
    void releaseWithoutClick();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return QSize(0, 0); }

signals:
    // The off-screen picture was repainted and is current (GetFullyLoaded is true).
    void bitmapPainted();
    // Draw over the copied picture (OnPaint).
    void paintOver(TEkGradiLabel* sender, QPainter* painter);
    // Released over the label after a left press on it (also for plain labels).
    void clicked();
    void mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);
    void mouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);
    void mouseEntered();
    void mouseLeft();
    // A left double click on the label (its second press still presses, and its release clicks).
    void doubleClicked();
    // The mouse moved over the label, or anywhere while it holds a press on it.
    void mouseMoved(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPoint pos);
    // A context menu was asked for at pos. A receiver that shows its own sets *handled; else the
    // request goes on to the parent.
    void contextPopup(QPoint pos, bool* handled);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int alignValue() const { return int(align_); }
    void setAlignValue(int value) { setAlign(TAlign(value)); }
    void ImagesChanged();
    // Follows label as the neighbour in slot (link: its end), repainting on a change.
    void linkNeighbour(QPointer<TEkGradiLabel>& slot, QMetaObject::Connection& link, TEkGradiLabel* label);
    void adjustBounds();
    void transferFont();
    void resizeBitmap();
    void paintBitmap();
    void paintButtonDownEdge(QPainter& painter);
    void updateFromAction();
    // Caption extent with the bitmap's font (a 1 x 1 stand-in while the bitmap is empty).
    TRect measureCaption();
    void click();
    void handleRelease(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);
    // State the mouse and enabled events change only for labels and buttons.
    bool tracksMouse() const { return labelType_ == altLabel || labelType_ == altButton; }
    // Ends a press whose release will not reach the label (disabled or hidden meanwhile).
    void dropPress();

    std::unique_ptr<TEkBmp> bitmap_;
    bool dirty_ = true;
    bool loaded_ = false;
    bool buttonDown_ = false;
    bool clickPending_ = false;
    bool mouseInside_ = false;
    int textWidth_ = 0;
    int textHeight_ = 0;
    int state_ = 0;
    int paintedState_ = 0;
    int serial_ = 0;
    QSize autoSizeHint_;

    TColor clButtonLight_ = clBtnHighlight;
    TColor clButtonShadow_ = clBlack;
    TColor clGradiDark_ = 0xE97A01;
    TColor clGradiLight_ = 0xFFFF00;
    TColor clDisableDark_ = 0x858585;
    TColor clDisableLight_ = 0xC1C1C1;
    TColor clHotDark_ = 0xEB8E28;
    TColor clHotLight_ = 0xFEFE3B;
    TColor clPressDark_ = 0xD67000;
    TColor clPressLight_ = 0xF5F500;
    TColor clFontDisable_ = clGrayText;
    TColor clFontHot_ = 0x800000;
    TColor clFontPressed_ = clWindowText;
    TColor fontColor_ = clWindowText;
    TEkGradyStyle gradiStyle_ = agsVertPipe;
    TAlignment alignment_ = taLeftJustify;
    bool autoSize_ = true;
    int marginTextHorz_ = 6;
    int marginTextVert_ = 3;
    int marginImage_ = 3;
    TEkLabelType labelType_ = altLabel;
    int pipeShadow_ = 60;
    bool alive_ = true;
    TAlign align_ = alNone;
    QString caption_;

    TImageListLink images_;
    int imageIndex_ = -1;
    int imageDisabledIndex_ = -1;
    int imageHotIndex_ = -1;
    int imagePressedIndex_ = -1;
    TEkImagePos imagePos_ = aipLeft;

    QPointer<TEkGradiLabel> labelBefore_;
    QPointer<TEkGradiLabel> labelAfter_;
    QMetaObject::Connection labelBeforeLink_;
    QMetaObject::Connection labelAfterLink_;

    QPointer<QAction> action_;
    QMetaObject::Connection actionChangedLink_;
    QMetaObject::Connection actionDestroyedLink_;
};

// Places the widgets of one bar along its edges, in the order they were added: alTop from the
// top down, alBottom from the bottom up, then alLeft from the left and alRight from the right
// (the first alRight widget is the rightmost), and alClient in what remains. A docked widget
// keeps its size hint along the docking direction and is stretched across it; alNone widgets
// are left where they are. The alignment is read from the widget's "Align" property (labels
// and end pieces have one); other widgets take the value given to addWidget.
class TEkDockLayout : public QLayout {
    Q_OBJECT
public:
    explicit TEkDockLayout(QWidget* parent = nullptr);
    ~TEkDockLayout() override;

    // Adds w (sets its "Align" property when it has one).
    void addWidget(QWidget* w, TAlign align);

    void addItem(QLayoutItem* item) override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    int count() const override { return int(entries_.size()); }
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;

private:
    struct Entry {
        QLayoutItem* item;
        TAlign align;
    };
    TAlign alignOf(const Entry& entry) const;
    QVector<Entry> entries_;
};
