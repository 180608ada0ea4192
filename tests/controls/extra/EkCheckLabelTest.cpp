#include "controls/extra/EkCheckLabel.h"

#include "tests/controls/extra/WidgetPictures.h"

#include <QApplication>
#include <QEnterEvent>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

using testsupport::Rgb;

// Four 8 x 8 images: 0 red (normal), 1 green (hot), 2 blue (checked), 3 yellow (hot checked).
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

struct ImageCase {
    const char* name;
    bool checked, hot, checkedImages;
    Rgb shown;
};

class ShownImage : public ::testing::TestWithParam<ImageCase> {};

TEST_P(ShownImage, FollowsCheckedAndHot) {
    auto images = stateImages();
    QWidget host;
    auto* label = new TEkCheckLabel(&host);
    label->setImages(images.get());
    label->setImageIndex(0);
    label->setImageHotIndex(1);
    if (GetParam().checkedImages) {
        label->setImageCheckedIndex(2);
        label->setImageHotCheckedIndex(3);
    }
    label->setChecked(GetParam().checked);
    label->Loaded();
    if (GetParam().hot)
        enter(*label);
    ASSERT_EQ(label->isHot(), GetParam().hot);
    EXPECT_EQ(pictures::rgbAt(pictures::picture(*label), 6, 6), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(States, ShownImage,
                         ::testing::Values(ImageCase{"Normal", false, false, true, {255, 0, 0}},
                                           ImageCase{"Hot", false, true, true, {0, 255, 0}},
                                           ImageCase{"Checked", true, false, true, {0, 0, 255}},
                                           ImageCase{"CheckedHot", true, true, true, {255, 255, 0}},
                                           ImageCase{"CheckedWithoutImage", true, false, false, {255, 0, 0}},
                                           ImageCase{"CheckedHotWithoutImage", true, true, false, {0, 255, 0}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(EkCheckLabel, NeverHotDisabledOrWithoutImages) {
    auto images = stateImages();
    TEkCheckLabel bare;
    enter(bare);
    EXPECT_FALSE(bare.isHot());
    TEkCheckLabel disabled;
    disabled.setImages(images.get());
    disabled.setEnabled(false);
    enter(disabled);
    EXPECT_FALSE(disabled.isHot());
}

TEST(EkCheckLabel, ClickTogglesOnlyACheckedLabel) {
    for (bool checkedLabel : {false, true}) {
        TEkCheckLabel label;
        label.setCaption("Wrap");
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
