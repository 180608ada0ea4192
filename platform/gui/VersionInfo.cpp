#include "platform/gui/VersionInfo.h"

#include <QCoreApplication>
#include <QFileInfo>

#ifndef VELQUIN_VERSION
#error "VELQUIN_VERSION must be defined by the build"
#endif

namespace platform {

namespace {

// The file's path with links resolved, or "" when it does not exist.
QString resolved(const QString& fileName) {
    return fileName.isEmpty() ? QString() : QFileInfo(fileName).canonicalFilePath();
}

} // namespace

QString compiledFileVersion() {
    return QStringLiteral(VELQUIN_VERSION);
}

QString getVersionInfoString(const QString& fileName, const QString& key) {
    if (key != QLatin1String("FileVersion"))
        return QString();
    const QString file = resolved(fileName);
    if (file.isEmpty() || QCoreApplication::instance() == nullptr)
        return QString();
    return file == resolved(QCoreApplication::applicationFilePath()) ? compiledFileVersion() : QString();
}

} // namespace platform
