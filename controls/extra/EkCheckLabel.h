// TEkCheckLabel: a caption with an image-list image beside it. The image follows two states,
// checked and hot (the mouse over the label); with CheckedLabel set a click toggles Checked, so
// the label works as a check box whose box is the image. It sizes itself to image, caption and
// margins, and has no background of its own: what its parent painted shows around the image
// and the text.
#pragma once

#include "controls/EkGradiLabel.h"
#include "controls/Graphics.h"
#include "controls/ImgList.h"

#include <QPointer>
#include <QWidget>

enum TEkImgPos { aimpLeft = 0, aimpRight = 1 };

class TEkCheckLabel : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int Align READ alignValue WRITE setAlignValue)
public:
    // Defaults: not checked, no images (every index -1), margins image 5, horizontal 3,
    // vertical 3, image left, left-justified, auto-size on, not loaded.
    explicit TEkCheckLabel(QWidget* parent = nullptr);

    // Ends the setting-up: from now on caption, font, margins and images re-run the auto-size.
    // The first show or the first paint calls it when nobody did.
    void Loaded();
    bool isLoaded() const { return loaded_; }

    // ---- state -----------------------------------------------------------------------------------
    bool Checked() const { return checked_; }
    void setChecked(bool value);
    // A click toggles Checked (only stored).
    bool CheckedLabel() const { return checkedLabel_; }
    void setCheckedLabel(bool value) { checkedLabel_ = value; }
    // The mouse is over the label; only an enabled label with an image list becomes hot.
    bool isHot() const { return hot_; }

    // ---- images ----------------------------------------------------------------------------------
    // Not owned; the label forgets a list that is destroyed and sizes itself again. A change of
    // the list's images re-runs the auto-size.
    TImageList* Images() const { return images_; }
    void setImages(TImageList* list);
    // The image shown: checked and hot, checked, hot, or neither. A checked label without an
    // ImageCheckedIndex shows ImageIndex / ImageHotIndex. Index -1: no image.
    int ImageIndex() const { return imageIndex_; }
    void setImageIndex(int index);
    int ImageHotIndex() const { return imageHotIndex_; }
    void setImageHotIndex(int index);
    int ImageCheckedIndex() const { return imageCheckedIndex_; }
    void setImageCheckedIndex(int index);
    int ImageHotCheckedIndex() const { return imageHotCheckedIndex_; }
    void setImageHotCheckedIndex(int index);
    TEkImgPos ImagePos() const { return imagePos_; }
    void setImagePos(TEkImgPos pos);

    // ---- layout ----------------------------------------------------------------------------------
    // Auto-size: width = image width + MarginImage (with an image list) + caption width
    // + 2 * MarginTextHorz; height = max(caption, image) + 2 * MarginTextVert. Off for Align
    // alTop, alBottom and alClient. A right-justified label keeps its right edge.
    bool AutoSize() const { return autoSize_; }
    void setAutoSize(bool value);
    // Repaints only; the size takes it at the next auto-size.
    int MarginImage() const { return marginImage_; }
    void setMarginImage(int value);
    int MarginTextHorz() const { return marginTextHorz_; }
    void setTextMarginHorz(int value);
    int MarginTextVert() const { return marginTextVert_; }
    void setTextMarginVert(int value);
    TAlignment Alignment() const { return alignment_; }
    void setAlignment(TAlignment value);
    TAlign Align() const { return align_; }
    void setAlign(TAlign value);

    // ---- caption ---------------------------------------------------------------------------------
    // Measured with its line breaks, drawn on one line, vertically centred; '&' underlines the
    // next character ("&&" shows one '&').
    QString Caption() const { return caption_; }
    void setCaption(const QString& text);
    // Caption colour of an enabled label; a disabled one draws in clGrayText.
    TColor fontColor() const { return fontColor_; }
    void setFontColor(TColor c);

    QSize sizeHint() const override;

signals:
    // Pressed and released over the label with the left button (after any toggle).
    void clicked();

protected:
    // Toggles Checked when CheckedLabel is set, then emits clicked().
    virtual void Click();

    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int alignValue() const { return int(align_); }
    void setAlignValue(int value) { setAlign(TAlign(value)); }
    void attachImages(TImageList* list);
    void adjustBounds();
    void setHot(bool value);
    int shownImageIndex() const;

    bool loaded_ = false;
    bool hot_ = false;
    bool pressed_ = false;
    int textWidth_ = 0;
    int textHeight_ = 0;
    QSize autoSizeHint_;

    bool checked_ = false;
    bool checkedLabel_ = false;
    TImageListLink images_;
    int imageIndex_ = -1;
    int imageHotIndex_ = -1;
    int imageCheckedIndex_ = -1;
    int imageHotCheckedIndex_ = -1;
    int marginImage_ = 5;
    int marginTextHorz_ = 3;
    int marginTextVert_ = 3;
    TEkImgPos imagePos_ = aimpLeft;
    TAlignment alignment_ = taLeftJustify;
    TAlign align_ = alNone;
    bool autoSize_ = true;
    QString caption_;
    TColor fontColor_ = clWindowText;
};
