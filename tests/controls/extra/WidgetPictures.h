// Pictures of widgets for the tests of the further controls: what a widget paints, and the
// gallery of PNG files that people look at.
#pragma once

#include "tests/support/Rgb.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QWidget>

namespace pictures {

// The widget (and its children) rendered through their paint events, 32 bits per pixel.
inline QImage picture(QWidget& w) {
    return w.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

inline testsupport::Rgb rgbAt(const QImage& image, int x, int y) {
    return testsupport::rgbOfPixel(image.pixel(x, y));
}

// Writes image to <build>/gallery/<control>-<style>-<state>.png, <build> being the folder
// above the test program's own; false when it could not be written.
inline bool saveGalleryPng(const QImage& image, const QString& control, const QString& style,
                           const QString& state) {
    QDir build(QCoreApplication::applicationDirPath());
    if (!build.cdUp() || !build.mkpath(QStringLiteral("gallery")))
        return false;
    return image.save(build.filePath(QStringLiteral("gallery/%1-%2-%3.png").arg(control, style, state)));
}

} // namespace pictures
