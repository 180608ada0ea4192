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

inline void sendEnter(QWidget* w) {
    QEnterEvent enter(QPointF(0, 0), QPointF(0, 0), w->mapToGlobal(QPointF(0, 0)));
    QApplication::sendEvent(w, &enter);
}

// Counts the warnings (a paint that failed reports one) while it lives.
class WarningCounter {
public:
    WarningCounter() : previous(qInstallMessageHandler(&WarningCounter::handle)) { count() = 0; }
    ~WarningCounter() { qInstallMessageHandler(previous); }
    static int& count() {
        static int n = 0;
        return n;
    }

private:
    static void handle(QtMsgType type, const QMessageLogContext&, const QString&) {
        if (type == QtWarningMsg)
            ++count();
    }
    QtMessageHandler previous;
};

} // namespace extratest
