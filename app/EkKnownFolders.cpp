#include "app/EkKnownFolders.h"

#include <QStandardPaths>
#include <utility>

platform::TestSeam<KnownFolderProbe> knownFolderProbe;

QString getKnownFolder(TKnownFolder folder) {
    if (knownFolderProbe)
        return knownFolderProbe(folder);
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
