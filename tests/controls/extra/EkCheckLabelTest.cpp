#include "controls/extra/EkCheckLabel.h"
#include "controls/extra/EkPanel.h"

#include "tests/controls/extra/WidgetPictures.h"

#include <QApplication>
#include <QEnterEvent>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <tuple>

namespace {

using testsupport::Rgb;

// Four side x side images: red (normal), green (hot), blue (checked), yellow (hot checked).
std::unique_ptr<TImageList> stateImages(int side = 8) {
    auto list = std::make_unique<TImageList>(side, side);
    for (QColor c : {QColor(Qt::red), QColor(Qt::green), QColor(Qt::blue), QColor(Qt::yellow)}) {
        QImage image(side, side, QImage::Format_ARGB32);
        image.fill(c);
        list->add(image);
    }
    return list;
}

void enter(QWidget& w) {
    QEnterEvent event(QPointF(1, 1), QPointF(1, 1), w.mapToGlobal(QPointF(1, 1)));
    QApplication::sendEvent(&w, &event);
}

TEST(EkCheckLabel, SizesItselfOnceLoaded) {
    auto images = stateImages(16);
    TEkCheckLabel label;
    label.setGeometry(100, 10, 50, 50);
    enter(label);
    EXPECT_FALSE(label.isHot()) << "hot without images";
    label.setImages(images.get());
    EXPECT_EQ(label.geometry(), QRect(100, 10, 50, 50)) << "resized before Loaded";
    label.Loaded();
    // Image alone: the gap counts for the size. 16 + 5 + 2 * 3 by 16 + 2 * 3.
    EXPECT_EQ(label.size(), QSize(27, 22));

    label.setCaption("Options");
    const QSize withImage = label.size();
    label.setImages(nullptr);
    EXPECT_EQ(label.width(), withImage.width() - 21);
    // A right-justified label keeps its right edge.
    const int right = label.geometry().right();
    label.setAlignment(taRightJustify);
    label.setImages(images.get());
    EXPECT_EQ(label.geometry().right(), right);
    EXPECT_EQ(label.size(), withImage);
    // A destroyed image list is forgotten, and the label sizes itself without it.
    images.reset();
    EXPECT_EQ(label.Images(), nullptr);
    EXPECT_EQ(label.width(), withImage.width() - 21);
}

// Each state over a gradient panel, pictured for the gallery too.
TEST(EkCheckLabel, ShownImageFollowsCheckedAndHot) {
    // State, checked, entered, with checked images, enabled, image shown.
    const std::tuple<const char*, bool, bool, bool, bool, Rgb> cases[] = {
        {"normal", false, false, true, true, {255, 0, 0}},
        {"hot", false, true, true, true, {0, 255, 0}},
        {"checked", true, false, true, true, {0, 0, 255}},
        {"checked-hot", true, true, true, true, {255, 255, 0}},
        {"checked-without-image", true, false, false, true, {255, 0, 0}},
        {"checked-hot-without-image", true, true, false, true, {0, 255, 0}},
        {"disabled-entered", false, true, true, false, {255, 0, 0}}};
    auto images = stateImages(16);
    for (const auto& [name, checked, entered, checkedImages, enabled, shown] : cases) {
        TEkPanel host;
        host.setGradientFill(true);
        host.resize(120, 30);
        auto* label = new TEkCheckLabel(&host);
        label->setCaption("&Wrap lines");
        label->setImages(images.get());
        label->setImageIndex(0), label->setImageHotIndex(1);
        if (checkedImages)
            label->setImageCheckedIndex(2), label->setImageHotCheckedIndex(3);
        label->setChecked(checked), label->setEnabled(enabled);
        label->Loaded();
        if (entered)
            enter(*label);
        EXPECT_EQ(label->isHot(), entered && enabled) << name;
        const QImage image = pictures::picture(host);
        EXPECT_EQ(pictures::rgbAt(image, 10, label->height() / 2), shown) << name;
        EXPECT_TRUE(pictures::saveGalleryPng(image, "checklabel", "on-gradient", name));
    }
}

TEST(EkCheckLabel, ClickTogglesOnlyACheckedLabel) {
    for (bool checkedLabel : {false, true}) {
        TEkCheckLabel label;
        label.setCheckedLabel(checkedLabel);
        label.Loaded();
        int clicks = 0;
        QObject::connect(&label, &TEkCheckLabel::clicked, [&] { ++clicks; });
        QTest::mouseClick(&label, Qt::LeftButton);
        EXPECT_EQ(label.Checked(), checkedLabel);
        QTest::mouseClick(&label, Qt::LeftButton);
        EXPECT_FALSE(label.Checked());
        EXPECT_EQ(clicks, 2);
    }
}

} // namespace
