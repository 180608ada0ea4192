// Widget pictures for the tests of the further controls, and their gallery of PNG files.
#pragma once

#include "tests/support/Rgb.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QEnterEvent>
#include <QImage>
#include <QMouseEvent>
#include <QWidget>

namespace pictures {

// The widget (and its children) rendered through their paint events, 32 bits per pixel.
inline QImage picture(QWidget& w) {
    return w.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

using testsupport::rgbAt;

constexpr testsupport::Rgb grey(int v) {
    return {v, v, v};
}

struct Probe {
    int x, y;
    testsupport::Rgb rgb;
};

// Writes <build>/gallery/<control>-<style>-<state>.png (<build>: the test program's folder's parent).
inline bool saveGalleryPng(const QImage& image, const QString& control, const QString& style,
                           const QString& state) {
    QDir build(QCoreApplication::applicationDirPath());
    return build.cdUp() && build.mkpath("gallery") &&
           image.save(build.filePath(QStringLiteral("gallery/%1-%2-%3.png").arg(control, style, state)));
}

} // namespace pictures
