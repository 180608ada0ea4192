#include "platform/core/FileSave.h"

#include <QFile>
#include <QSaveFile>

#include <cerrno>

namespace platform {

namespace {

// The reason of the step that failed: the device's own when it names one; else the system's
// error number of that step (a failed flush of the write buffer leaves the device with no more
// than "Unknown error").
QString reasonOf(const QSaveFile& file, int systemError) {
    static const QString unnamed = QFile().errorString();
    const QString reason = file.errorString();
    if (!reason.isEmpty() && reason != unnamed)
        return reason;
    return qt_error_string(systemError != 0 ? systemError : EIO);
}

} // namespace

SaveResult saveFile(const QString& fileName, const std::function<bool(QIODevice& file)>& write) {
    QSaveFile file(fileName);
    // Each step runs only when the steps before it succeeded, and errno is cleared before each,
    // so that after a failure it holds what the failing step left there.
    const auto step = [&file](auto run) {
        errno = 0;
        return run() && file.error() == QFileDevice::NoError;
    };
    const bool written = step([&] { return file.open(QIODevice::WriteOnly); }) &&
                         step([&] { return write(file); }) && step([&] { return file.flush(); });
    if (!written) {
        SaveResult failed{false, reasonOf(file, errno)};
        file.cancelWriting();
        return failed;
    }
    errno = 0;
    if (!file.commit())
        return {false, reasonOf(file, errno)};
    return {true, QString()};
}

SaveResult saveFile(const QString& fileName, QByteArrayView bytes) {
    return saveFile(fileName, [bytes](QIODevice& file) {
        return bytes.isEmpty() || file.write(bytes.data(), bytes.size()) == bytes.size();
    });
}

} // namespace platform
