// Renders every control in every style and state into build/gallery
// as <control>-<style>-<state>.png, for a person to look at.
#include "controls/extra/EkBmpRound.h"
#include "controls/extra/EkButton.h"
#include "controls/extra/EkProgress.h"
#include "controls/extra/EkSlider.h"
#include "tests/controls/extra/WidgetPictures.h"

#include <QDir>
#include <QMouseEvent>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using namespace pictures;
using testsupport::Rgb;

bool save(const QImage& image, const QString& control, const QString& style, const QString& state) {
    return saveGalleryPng(image, control, style, state);
}

// The shown, active window every picture is taken on.
struct Host : QWidget {
    Host() {
        setAutoFillBackground(true);
        setPalette(QPalette(QColor(236, 233, 216)));
        resize(320, 240);
        show();
        QApplication::setActiveWindow(this);
    }
};

QString lying(QSize size) {
    return size.width() > size.height() ? "lying" : "standing";
}

TEST(GalleryTest, RendersEveryStyleAndState) {
    Host host;
    const TEkColor blue(0, 120, 196), cream(255, 241, 170);

    const auto render = [&](const QString& style, int track, int thumb, int edge, QSize size) {
        for (QString state : {"normal", "hot", "focused"}) {
            TEkSlider slider(&host);
            slider.setGeometry(QRect(QPoint(10, 10), size));
            slider.setStyleBkg(TEkSliderBkgStyle(track));
            slider.setStyleSlider(TEkSliderStyle(thumb));
            slider.setStyleSliderEdge(TEkSliderEdgeStyle(edge));
            slider.setLengthSlider(30);
            slider.setPosition(30);
            slider.show();
            picture(slider); // the track is painted once before the pointer tests its alpha
            const QPointF inside(slider.width() * 0.8, slider.height() * 0.8);
            QMouseEvent move(QEvent::MouseMove, inside, slider.mapToGlobal(inside), Qt::NoButton, {}, {});
            if (state == "hot")
                QApplication::sendEvent(&slider, &move);
            slider.setShowFocus(state == "focused");
            if (state == "focused")
                slider.setFocus();
            EXPECT_EQ(slider.isHot(), state == "hot") << style.toStdString();
            EXPECT_TRUE(save(picture(slider).scaled(slider.size() * 3), "slider", style, state));
        }
    };
    // The custom styles show what their owner paints.
    const QStringList tracks = {"pipe", "roundPipe", "grove", "roundGrove", "gradi", "solid"};
    const QStringList thumbs = {"ball", "hole", "pipe", "roundPipe", "grove", "roundGrove", "gradi", "solid"};
    const QStringList edges = {"none", "softEnds", "softButton", "button", "button3D"};
    for (QSize size : {QSize(160, 22), QSize(22, 120)})
        for (int i = 0; i < tracks.size(); ++i)
            render(QString("track_%1_%2").arg(tracks[i], lying(size)), i, tssBall, tesNone, size);
    for (int i = 0; i < thumbs.size(); ++i)
        render("thumb_" + thumbs[i], tbsRoundGrove, i, tesNone, {160, 22});
    for (int i = 0; i < edges.size(); ++i)
        render("edge_" + edges[i], tbsPipe, tssGradi, i, {160, 22});

    TEkProgress bar(&host);
    const char* patterns[] = {"solid", "gradient", "pipe"};
    for (int pattern = tptSolid; pattern <= tptPipe; ++pattern)
        for (QSize size : {QSize(160, 18), QSize(18, 120)})
            for (int percent : {0, 37, 100}) {
                bar.resize(size);
                bar.setPaternType(TPaternType(pattern));
                bar.setPosition(percent);
                EXPECT_TRUE(save(picture(bar).scaled(size * 3), "progress",
                                 QString("%1_%2").arg(patterns[pattern], lying(size)),
                                 QString::number(percent)));
            }

    for (int size = 4; size <= 40; ++size)
        for (bool hole : {false, true}) {
            TEkBmp picture(size + 4, size + 4);
            picture.fill(TEkColor(216, 233, 236));
            TRoundBmp shape(size, size);
            (shape.*(hole ? &TRoundBmp::drawHole : &TRoundBmp::drawBall))(140, TRect(0, 0, size, size), blue,
                                                                          cream);
            shape.drawTo(&picture, 2, 2, bmAlphaBlend);
            const QImage image = picture.toOpaqueImage().scaled(picture.width() * 6, picture.height() * 6);
            EXPECT_TRUE(save(image, "round", hole ? "hole" : "ball", QString::number(size)));
        }
}

// Each button style and state with the five image placements side by side (each placement in a
// layout style of its own); the normal ones show a marker each, the focused ones a focus style.
TEST(GalleryTest, ButtonsInEveryStyleStateAndPlacement) {
    Host host;
    ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
    TImageList images(16, 16);
    for (QColor c : {QColor(0, 120, 196), QColor(240, 140, 0), QColor(0, 160, 60)}) {
        QImage image(16, 16, QImage::Format_ARGB32);
        image.fill(c);
        images.add(image);
    }
    const char* styles[] = {"button", "flat", "flatAndButton"};
    const char* states[] = {"normal", "hot", "pressed", "down", "disabled", "focused"};
    for (int style = bstButton; style <= bstFlatAndButton; ++style)
        for (int state = 0; state < 6; ++state) {
            QImage strip(5 * 114 + 4, 64, QImage::Format_ARGB32);
            strip.fill(host.palette().color(QPalette::Window));
            QPainter painter(&strip);
            for (int i = 0; i < 5; ++i) {
                TEkButton b(&host);
                b.setGeometry(10, 10, 110, 56), b.show();
                b.setImages(&images), b.setImageIndex(0), b.setImageIndexHot(1), b.setImageIndexPressed(2);
                b.setCaption(i == 2 ? "Two**lines" : "&Open"), b.setButtonStyle(TEkButtonStyle(style));
                b.setImageAlignment(TEkImageAlignment(i)), b.setLayoutStyle(TEkLayoutStyle(i % 3));
                b.setMarkShow(state == 0), b.setMarkShape(TEkShape(i % 4)), b.setMarkPos(TEkPosInRect(i % 4));
                b.setFocusStyle(TEkFocusStyle(1 + i)), b.setMarkColor(0x0000C0);
                QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), b.mapToGlobal(QPointF(5, 5)));
                if (state == 1)
                    QApplication::sendEvent(&b, &enter);
                if (state == 2)
                    QTest::mousePress(&b, Qt::LeftButton);
                b.setGroupIndex(state == 3), b.setDown(state == 3), b.setEnabled(state != 4);
                if (state == 5)
                    b.setFocus();
                painter.drawImage(4 + i * 114, 4, picture(b));
            }
            painter.end();
            EXPECT_TRUE(save(strip.scaled(strip.size() * 2), "button", styles[style], states[state]));
        }
}

} // namespace
