#include "platform/gui/SystemServices.h"

#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QUrl>

namespace platform {

TestSeam<KeyStateProbe> keyStateProbe;
TestSeam<UrlOpener> urlOpener;

namespace {

Qt::KeyboardModifiers modifiersNow() {
    if (keyStateProbe)
        return keyStateProbe();
    return QGuiApplication::queryKeyboardModifiers();
}

} // namespace

bool isShiftDown() {
    return modifiersNow().testFlag(Qt::ShiftModifier);
}

bool isCtrlDown() {
    return modifiersNow().testFlag(Qt::ControlModifier);
}

std::uint32_t timeGetTime() {
    static QElapsedTimer clock = [] {
        QElapsedTimer started;
        started.start();
        return started;
    }();
    return static_cast<std::uint32_t>(clock.elapsed());
}

int elapsedMs(std::uint32_t start) {
    return int(timeGetTime() - start);
}

bool isFileReadOnly(const QString& fileName) {
    const QFileInfo info(fileName);
    if (fileName.isEmpty() || !info.exists())
        return true;
    // The owner's write bit is the attribute; the second test covers a file the user may not
    // write for other reasons. The first also holds for root, who may write anything.
    return !info.permissions().testFlag(QFileDevice::WriteOwner) || !info.isWritable();
}

bool openUrlInBrowser(const QString& url) {
    if (urlOpener)
        return urlOpener(url);
    return QDesktopServices::openUrl(QUrl(url));
}

} // namespace platform
