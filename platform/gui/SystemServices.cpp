#include "platform/gui/SystemServices.h"

#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QUrl>

namespace platform {

namespace {

KeyStateProbe& keyProbe() {
    static KeyStateProbe probe;
    return probe;
}

UrlOpener& urlOpener() {
    static UrlOpener opener;
    return opener;
}

Qt::KeyboardModifiers modifiersNow() {
    if (const KeyStateProbe& probe = keyProbe())
        return probe();
    return QGuiApplication::queryKeyboardModifiers();
}

} // namespace

bool isShiftDown() {
    return modifiersNow().testFlag(Qt::ShiftModifier);
}

bool isCtrlDown() {
    return modifiersNow().testFlag(Qt::ControlModifier);
}

KeyStateProbe setKeyStateProbe(KeyStateProbe probe) {
    KeyStateProbe previous = std::move(keyProbe());
    keyProbe() = std::move(probe);
    return previous;
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
    if (const UrlOpener& opener = urlOpener())
        return opener(url);
    return QDesktopServices::openUrl(QUrl(url));
}

UrlOpener setUrlOpener(UrlOpener opener) {
    UrlOpener previous = std::move(urlOpener());
    urlOpener() = std::move(opener);
    return previous;
}

} // namespace platform
