// Helpers of the further controls' tests.
#pragma once

#include "tests/support/Rgb.h"

#include <QApplication>
#include <QEnterEvent>
#include <QImage>
#include <QWidget>

namespace extratest {

using testsupport::Rgb;

// What reaches the screen: the widget rendered through its paintEvent.
inline QImage screen(QWidget& w) {
    return w.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

inline Rgb rgbAt(const QImage& image, int x, int y) {
    return testsupport::rgbOfPixel(image.pixel(x, y));
}

} // namespace extratest
