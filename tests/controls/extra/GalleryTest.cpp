// Renders every control in every style and state into build/gallery (or $VELQUIN_GALLERY_DIR)
// as <control>-<style>-<state>.png, for a person to look at.
#include "controls/extra/EkBmpRound.h"
#include "controls/extra/EkProgress.h"
#include "controls/extra/EkSlider.h"
#include "tests/controls/extra/ExtraTestUtil.h"

#include <QDir>
#include <QMouseEvent>
#include <gtest/gtest.h>

namespace {

using namespace extratest;

QString galleryDir() {
    const QString dir = qEnvironmentVariableIsSet("VELQUIN_GALLERY_DIR")
                            ? qEnvironmentVariable("VELQUIN_GALLERY_DIR")
                            : QCoreApplication::applicationDirPath() + "/../gallery"; // build/tests/..
    QDir().mkpath(dir);
    return dir;
}

bool save(const QImage& image, const QString& control, const QString& style, const QString& state) {
    return image.save(QString("%1/%2-%3-%4.png").arg(galleryDir(), control, style, state));
}

TEST(GalleryTest, RendersEveryStyleAndState) {
    WarningCounter warnings;
    QWidget host;
    host.setAutoFillBackground(true);
    host.setPalette(QPalette(QColor(236, 233, 216)));
    host.resize(320, 240);
    host.show();
    QApplication::setActiveWindow(&host);

    const char* tracks[] = {"pipe", "roundPipe", "grove", "roundGrove", "gradi", "solid", "custom"};
    const char* thumbs[] = {"ball",       "hole",  "pipe",  "roundPipe", "grove",
                            "roundGrove", "gradi", "solid", "custom"};
    const char* edges[] = {"none", "softEnds", "softButton", "button", "button3D"};
    struct Variant {
        QString style;
        TEkSliderBkgStyle track;
        TEkSliderStyle thumb;
        TEkSliderEdgeStyle edge;
        QSize size;
    };
    std::vector<Variant> variants;
    for (int i = 0; i <= tbsCustom; ++i)
        for (QSize size : {QSize(160, 22), QSize(22, 120)})
            variants.push_back(
                {QString("track_%1_%2").arg(tracks[i], size.width() > size.height() ? "lying" : "standing"),
                 TEkSliderBkgStyle(i), tssBall, tesNone, size});
    for (int i = 0; i <= tssCustom; ++i)
        variants.push_back(
            {QString("thumb_%1").arg(thumbs[i]), tbsRoundGrove, TEkSliderStyle(i), tesNone, {160, 22}});
    for (int i = 0; i <= tesButton3D; ++i)
        variants.push_back(
            {QString("edge_%1").arg(edges[i]), tbsPipe, tssGradi, TEkSliderEdgeStyle(i), {160, 22}});

    for (const Variant& v : variants) {
        for (const char* state : {"normal", "hot", "focused"}) {
            TEkSlider slider(&host);
            slider.move(10, 10);
            slider.resize(v.size);
            slider.setStyleBkg(v.track);
            slider.setStyleSlider(v.thumb);
            slider.setStyleSliderEdge(v.edge);
            slider.setLengthSlider(30);
            slider.setPosition(30);
            QObject::connect(&slider, &TEkSlider::drawBkg, &slider, [](TEkSlider*, TRoundBmp* bmp, TRect r) {
                bmp->drawVista(false, r.height() > r.width(), r, TEkColor(40, 40, 160),
                               TEkColor(200, 200, 255), false);
            });
            QObject::connect(&slider, &TEkSlider::drawSlider, &slider, [](TEkSlider* s, TRoundBmp*, TRect) {
                s->drawVistaToSlider(TEkColor(0, 120, 196), TEkColor(255, 241, 170));
            });
            slider.show();
            screen(slider); // the track is painted once before the pointer tests its alpha
            if (QString(state) == "hot") {
                const QPointF middle(slider.width() * 0.8, slider.height() * 0.8);
                QMouseEvent move(QEvent::MouseMove, middle, slider.mapToGlobal(middle), Qt::NoButton, {}, {});
                QApplication::sendEvent(&slider, &move);
                EXPECT_TRUE(slider.IsHot()) << v.style.toStdString();
            } else if (QString(state) == "focused") {
                slider.setShowFocus(true);
                slider.setFocus();
            }
            EXPECT_TRUE(save(screen(slider).scaled(slider.size() * 3), "slider", v.style, state));
        }
    }

    TEkProgress bar(&host);
    const char* patterns[] = {"solid", "gradient", "pipe"};
    for (int pattern = tptSolid; pattern <= tptPipe; ++pattern)
        for (QSize size : {QSize(160, 18), QSize(18, 120)})
            for (int percent : {0, 37, 100}) {
                bar.resize(size);
                bar.setPaternType(TPaternType(pattern));
                bar.setPosition(percent);
                const QString style = QString("%1_%2").arg(
                    patterns[pattern], size.width() > size.height() ? "lying" : "standing");
                EXPECT_TRUE(save(screen(bar).scaled(size * 3), "progress", style, QString::number(percent)));
            }

    for (int size = 4; size <= 40; ++size)
        for (bool hole : {false, true}) {
            TEkBmp picture(size + 4, size + 4);
            picture.fill(TEkColor(216, 233, 236));
            TRoundBmp shape(size, size);
            if (hole)
                shape.drawHole(120, TRect(0, 0, size, size), TEkColor(0, 120, 196), TEkColor(255, 241, 170));
            else
                shape.drawBall(160, TRect(0, 0, size, size), TEkColor(0, 120, 196), TEkColor(255, 241, 170));
            shape.drawTo(&picture, 2, 2, bmAlphaBlend);
            const QImage image = picture.toOpaqueImage().scaled(picture.width() * 6, picture.height() * 6);
            EXPECT_TRUE(save(image, "round", hole ? "hole" : "ball", QString::number(size)));
        }
    EXPECT_EQ(warnings.count(), 0);
}

} // namespace
