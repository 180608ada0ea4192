// Renders the panel, the check label and the colour palette in their styles and states into
// build/gallery, for people to look at.
#include "controls/extra/EkCheckLabel.h"
#include "controls/extra/EkColorPal.h"
#include "controls/extra/EkPanel.h"

#include "tests/controls/extra/WidgetPictures.h"

#include <QApplication>
#include <QEnterEvent>
#include <QPainter>
#include <functional>
#include <gtest/gtest.h>

namespace {

using pictures::saveGalleryPng;

TEST(ExtraGallery, Panels) {
    const std::pair<const char*, std::function<void(TEkPanel&)>> styles[] = {
        {"raised", [](TEkPanel&) {}},
        {"lowered",
         [](TEkPanel& p) {
             p.setBevelOuter(bvLowered);
             p.setBevelInner(bvRaised);
             p.setBevelWidth(2);
         }},
        {"border-soft",
         [](TEkPanel& p) {
             p.setBorderWidth(3);
             p.setClBorder(0x804000);
             p.setColor(0xFFF0E0);
         }},
        {"gradient-vertical", [](TEkPanel& p) { p.setGradientFill(true), p.setBorderWidth(2); }},
        {"gradient-horizontal",
         [](TEkPanel& p) {
             p.setGradientFill(true), p.setGradientDirection(gdHorizontal), p.setBorderWidth(2);
         }},
        {"pipe-vertical",
         [](TEkPanel& p) {
             p.setGradientFill(true), p.setGradientPipe(true), p.setGradientDarkerEnd(60), p.setBorderWidth(1);
         }},
        {"pipe-horizontal",
         [](TEkPanel& p) {
             p.setGradientFill(true), p.setGradientPipe(true), p.setGradientDirection(gdHorizontal);
             p.setBorderWidth(1);
         }},
        {"default-paint", [](TEkPanel& p) { p.setBkgdefaultPaint(true), p.setBorderWidth(2); }},
        {"caption-top-left",
         [](TEkPanel& p) {
             p.setAlignment(taLeftJustify), p.setAlignmentVertical(tlTop), p.setTextPadLeft(8);
             p.setTextPadTop(6), p.setBorderWidth(1);
         }},
    };
    for (const auto& [style, setup] : styles) {
        TEkPanel panel;
        panel.resize(180, 90);
        panel.setCaption(QStringLiteral("&Panel||%1").arg(style));
        setup(panel);
        EXPECT_TRUE(saveGalleryPng(pictures::picture(panel), "panel", style, "normal")) << style;
    }
}

// A 16 x 16 check box: white box with a frame, a tick when checked, a blue frame when hot.
QImage checkBox(bool checked, bool hot) {
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.fillRect(1, 1, 14, 14, hot ? QColor(0, 90, 200) : QColor(90, 90, 90));
    p.fillRect(2, 2, 12, 12, hot ? QColor(225, 240, 255) : Qt::white);
    if (checked) {
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(20, 20, 20), 2));
        p.drawPolyline(QPolygon({QPoint(4, 8), QPoint(7, 11), QPoint(12, 4)}));
    }
    return image;
}

TEST(ExtraGallery, CheckLabels) {
    TImageList images(16, 16);
    for (auto [checked, hot] : {std::pair{false, false}, {false, true}, {true, false}, {true, true}})
        images.add(checkBox(checked, hot));
    const std::pair<const char*, std::function<void(TEkCheckLabel&)>> states[] = {
        {"normal", [](TEkCheckLabel&) {}},
        {"hot",
         [](TEkCheckLabel& l) {
             QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
             QApplication::sendEvent(&l, &enter);
         }},
        {"checked", [](TEkCheckLabel& l) { l.setChecked(true); }},
        {"disabled", [](TEkCheckLabel& l) { l.setEnabled(false); }},
        {"image-right", [](TEkCheckLabel& l) { l.setImagePos(aimpRight), l.setChecked(true); }},
    };
    for (const auto& [state, setup] : states) {
        TEkPanel host;
        host.setGradientFill(true);
        host.resize(150, 40);
        auto* label = new TEkCheckLabel(&host);
        label->setImages(&images);
        label->setImageIndex(0);
        label->setImageHotIndex(1);
        label->setImageCheckedIndex(2);
        label->setImageHotCheckedIndex(3);
        label->setCaption("&Wrap long lines");
        label->move(8, 8);
        label->Loaded();
        setup(*label);
        EXPECT_TRUE(saveGalleryPng(pictures::picture(host), "checklabel", "on-gradient", state)) << state;
    }
}

TEST(ExtraGallery, Palettes) {
    struct Shape {
        const char* style;
        QSize size;
        std::function<void(TEkColorPal&)> setup;
    };
    const Shape shapes[] = {
        {"horizontal", {200, 100}, [](TEkColorPal&) {}},
        {"horizontal", {400, 240}, [](TEkColorPal& p) { p.SetCrossPos(300, 60); }},
        {"horizontal-pastel", {400, 240}, [](TEkColorPal& p) { p.setPastel(128); }},
        {"horizontal-black-to-white", {200, 100}, [](TEkColorPal& p) { p.setWhite2Black(false); }},
        {"vertical", {120, 240}, [](TEkColorPal& p) { p.setOrientation(tcpVertical), p.SetCrossPos(60, 200); }},
    };
    for (const Shape& s : shapes) {
        TEkColorPal pal;
        pal.resize(s.size);
        pictures::picture(pal);
        s.setup(pal);
        const QString size = QStringLiteral("%1x%2").arg(s.size.width()).arg(s.size.height());
        EXPECT_TRUE(saveGalleryPng(pictures::picture(pal), "colorpal", s.style, size)) << s.style;
    }
}

} // namespace
