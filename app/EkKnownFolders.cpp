#include "app/EkKnownFolders.h"

#include <QStandardPaths>
#include <utility>

namespace {

KnownFolderProbe& probeSlot() {
    static KnownFolderProbe probe;
    return probe;
}

} // namespace

QString getKnownFolder(TKnownFolder folder) {
    if (const KnownFolderProbe& probe = probeSlot())
        return probe(folder);
    switch (folder) {
    case TKnownFolder::Desktop:
        return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    case TKnownFolder::Documents:
        return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    case TKnownFolder::StartMenu:
    case TKnownFolder::QuickLaunch:
        return QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation);
    }
    return QString();
}

QString getDesktopFolder() {
    return getKnownFolder(TKnownFolder::Desktop);
}

QString getDocumentsFolder() {
    return getKnownFolder(TKnownFolder::Documents);
}

QString getStartMenuFolder() {
    return getKnownFolder(TKnownFolder::StartMenu);
}

QString getQuickLaunchFolder() {
    return getKnownFolder(TKnownFolder::QuickLaunch);
}

KnownFolderProbe setKnownFolderProbe(KnownFolderProbe probe) {
    return std::exchange(probeSlot(), std::move(probe));
}
