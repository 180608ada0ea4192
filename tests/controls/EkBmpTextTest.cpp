#include "controls/EkBmp.h"
#include "controls/ImgList.h"
#include "tests/controls/EkBmpTestUtil.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace painttest;

namespace {

TEST(EkBmpFont, SizeStyleAndLifetime) {
    TEkBmp bmp(10, 10);
    EXPECT_TRUE(bmp.setFont("Tahoma", 8, 0, 96));
    EXPECT_EQ(bmp.fontHeight(), -10); // -(8 * 96 / 72)
    EXPECT_FALSE(bmp.font().bold());
    EXPECT_TRUE(bmp.setFont("Arial", 12, 1 | 2, 96));
    EXPECT_EQ(bmp.fontHeight(), -16);
    EXPECT_TRUE(bmp.font().bold());
    EXPECT_TRUE(bmp.font().italic());
    EXPECT_EQ(bmp.font().family(), "Arial");
    EXPECT_FALSE(bmp.setFont("Arial", 0, 0, 96));
    TEkBmp none;
    EXPECT_FALSE(none.setFont("Arial", 8, 0, 96));
    EXPECT_FALSE(none.hasOwnFont());
}

TEST(EkBmpText, TextColourAndCaption) {
    TEkBmp bmp(60, 20);
    EXPECT_EQ(bmp.setTextColor(TEkColor(0xFF0000FFu)).value(), 0u);
    EXPECT_EQ(bmp.textColor().value(), 0x0000FFu); // byte 3 dropped
    bmp.setFont("Arial", 10, 0);
    bmp.setBkTransparent(true);
    EXPECT_TRUE(bmp.drawCaption("W", DT_SINGLELINE | DT_VCENTER, TRect(0, 0, 60, 20), TEkColor(0x00FF00u)));
    EXPECT_EQ(bmp.textColor().value(), 0x0000FFu); // restored
    bool green = false;
    for (int i = 0; i < 60 * 20; ++i)
        green |= (bmp.bits()[i] & 0xFFFFFFu) == 0x00FF00u;
    EXPECT_TRUE(green);
}

TEST(EkBmpText, DrawTextStaysInsideItsClippedRect) {
    TEkBmp bmp(80, 30), before(80, 30);
    bmp.setFont("Arial", 14, 1);
    bmp.setTextColor(TEkColor(0u));
    bmp.setBkTransparent(true);
    EXPECT_FALSE(bmp.drawText("Hidden", 0, TRect(100, 0, 200, 30)));
    EXPECT_EQ(differingPixels(bmp, before), 0);
    EXPECT_TRUE(bmp.drawText("WWWWWWWWWW", DT_SINGLELINE, TRect(10, 5, 30, 25)));
    int inside = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 80; ++x)
            if (bmp.pixelAt(x, y) != 0xFFFFFFFFu) {
                EXPECT_TRUE(TRect(10, 5, 30, 25).contains(x, y)) << x << "," << y;
                ++inside;
            }
    EXPECT_GT(inside, 0);
}

TEST(EkBmpText, AlignmentFlagsPlaceTheText) {
    const auto inkLeft = [](unsigned format) {
        TEkBmp bmp(200, 20);
        bmp.setFont("Arial", 10, 0);
        bmp.setBkTransparent(true);
        bmp.drawText("Abc", format, bmp.boundsRect());
        for (int x = 0; x < 200; ++x)
            for (int y = 0; y < 20; ++y)
                if (bmp.pixelAt(x, y) != 0xFFFFFFFFu)
                    return x;
        return -1;
    };
    const int left = inkLeft(DT_SINGLELINE | DT_LEFT);
    const int centre = inkLeft(DT_SINGLELINE | DT_CENTER);
    const int right = inkLeft(DT_SINGLELINE | DT_RIGHT);
    EXPECT_LT(left, 5);
    EXPECT_GT(centre, 80);
    EXPECT_LT(centre, 100);
    EXPECT_GT(right, 160);
}

TEST(EkBmpText, CalcTextRectMeasuresWithoutMnemonicsAndByLines) {
    TEkBmp bmp(10, 10);
    bmp.setFont("Arial", 10, 0);
    TRect plain(5, 7, 5, 7), marked(0, 0, 0, 0), twoLines(0, 0, 0, 0), oneLine(0, 0, 0, 0);
    EXPECT_TRUE(bmp.calcTextRect(plain, "Open", true));
    EXPECT_TRUE(bmp.calcTextRect(marked, "&Open", true));
    EXPECT_EQ(plain.left, 5);
    EXPECT_GT(plain.width(), 10);
    EXPECT_EQ(marked.width(), plain.width());
    EXPECT_EQ(marked.height(), plain.height());
    EXPECT_TRUE(bmp.calcTextRect(twoLines, "Open\r\nOpen", false));
    EXPECT_EQ(twoLines.height(), 2 * plain.height());
    EXPECT_EQ(twoLines.width(), plain.width());
    EXPECT_TRUE(bmp.calcTextRect(oneLine, "Open\r\nOpen", true));
    EXPECT_EQ(oneLine.height(), plain.height());
    EXPECT_GT(oneLine.width(), 2 * plain.width());
    TRect empty(3, 3, 50, 50);
    EXPECT_FALSE(bmp.calcTextRect(empty, "", true));
    EXPECT_EQ(empty, TRect(3, 3, 3, 3));
    TEkBmp none;
    EXPECT_THROW(none.calcTextRect(empty, "x", true), EInvalidGraphicOperation);
}

TEST(EkBmpText, TextFlagMapping) {
    EXPECT_EQ(qtTextFlags(DT_SINGLELINE | DT_VCENTER | DT_CENTER),
              Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic);
    EXPECT_EQ(qtTextFlags(DT_RIGHT | DT_SINGLELINE | DT_BOTTOM | DT_NOPREFIX),
              Qt::AlignRight | Qt::AlignBottom | Qt::TextSingleLine);
    // vertical placement applies to single lines only
    EXPECT_EQ(qtTextFlags(DT_VCENTER | DT_WORDBREAK | DT_NOPREFIX),
              Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap);
}

TEST(EkBmpText, FocusRectInvertsAlternatePixelsAndUndoesItself) {
    TEkBmp bmp(6, 5), before(6, 5);
    fillAll(bmp, 0xFF102030u);
    before.assign(bmp);
    bmp.drawFocusRect(TRect(1, 1, 5, 4));
    EXPECT_EQ(bmp.pixelAt(1, 1), 0xFFEFDFCFu);
    EXPECT_EQ(bmp.pixelAt(2, 1), 0xFF102030u);
    EXPECT_EQ(bmp.pixelAt(2, 2), 0xFF102030u); // inside untouched
    EXPECT_EQ(differingPixels(bmp, before), 5);
    bmp.drawFocusRect(TRect(1, 1, 5, 4));
    EXPECT_EQ(differingPixels(bmp, before), 0);
    bmp.drawFocusRect(TRect(-4, -4, 40, 40)); // clipped to the bitmap's border
    EXPECT_EQ(bmp.pixelAt(0, 0), 0xFFEFDFCFu);
}

// ---- image lists -----------------------------------------------------------------------------

QImage solid(int w, int h, QRgb c) {
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(c);
    return img;
}

TEST(ImageList, CopyReadsTheIndexedImage) {
    TImageList list(4, 3);
    list.add(solid(4, 3, 0xFF112233u));
    list.add(solid(4, 3, 0x80445566u));
    TEkBmp bmp(4, 3);
    EXPECT_TRUE(bmp.copyFromImageList(&list, 1));
    EXPECT_EQ(bmp.pixelAt(3, 2), 0x80445566u);
    EXPECT_TRUE(bmp.copyFromImageList(&list, 0));
    EXPECT_EQ(bmp.pixelAt(0, 0), 0xFF112233u);
}

TEST(ImageList, CopyRefusesOtherSizesAndBadIndexes) {
    TImageList list(4, 3);
    list.add(solid(4, 3, 0xFF112233u));
    for (auto [w, h, index] :
         {std::tuple{5, 3, 0}, std::tuple{4, 2, 0}, std::tuple{4, 3, 1}, std::tuple{4, 3, -1}}) {
        TEkBmp bmp(w, h);
        EXPECT_FALSE(bmp.copyFromImageList(&list, index)) << w << "x" << h << " #" << index;
        EXPECT_EQ(bmp.pixelAt(0, 0), 0xFFFFFFFFu);
    }
    TEkBmp bmp(4, 3);
    EXPECT_FALSE(bmp.copyFromImageList(nullptr, 0));
}

TEST(ImageList, DrawBlendsByAlphaAndClips) {
    TImageList list(2, 2);
    QSignalSpy spy(&list, &TImageList::changed);
    EXPECT_EQ(list.add(solid(2, 2, 0xFF0000FFu)), 0);
    EXPECT_EQ(list.add(solid(2, 2, 0x00FF0000u)), 1);
    EXPECT_EQ(list.add(solid(4, 4, 0xFF00FF00u)), 2); // scaled to the list's size
    EXPECT_EQ(list.image(2).size(), QSize(2, 2));
    EXPECT_EQ(list.add(QImage()), -1);
    EXPECT_EQ(spy.count(), 3);
    TEkBmp bmp(3, 3);
    list.draw(bmp, 2, -1, 0);
    EXPECT_EQ(bmp.pixelAt(2, 0), 0xFF0000FFu);
    EXPECT_EQ(bmp.pixelAt(1, 0), 0xFFFFFFFFu);
    list.draw(bmp, 0, 0, 1); // fully transparent
    list.draw(bmp, 0, 0, 7); // out of range
    EXPECT_EQ(bmp.pixelAt(0, 0), 0xFFFFFFFFu);
    EXPECT_TRUE(list.image(7).isNull());
    EXPECT_EQ(list.addStrip(solid(6, 2, 0xFF000000u)), 3);
    EXPECT_EQ(list.addStrip(solid(5, 2, 0xFF000000u)), 0);
    EXPECT_EQ(list.count(), 6);
}

} // namespace
