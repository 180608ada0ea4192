// The user's folders that shortcut files go to, found through the desktop's standard paths.
#pragma once

#include "platform/core/TestSeam.h"

#include <QString>
#include <functional>

// The folders a shortcut can be created in.
enum class TKnownFolder { Desktop, Documents, StartMenu, QuickLaunch };

// The folder's full path, or "" when the desktop names none. The folder need not exist.
// The start menu is the user's applications folder; there is no quick-launch folder here, so
// it falls back to the start menu.
QString getKnownFolder(TKnownFolder folder);

QString getDesktopFolder();
QString getDocumentsFolder();
QString getStartMenuFolder();
QString getQuickLaunchFolder();

// Test seam: a probe that answers getKnownFolder instead of the desktop.
using KnownFolderProbe = std::function<QString(TKnownFolder folder)>;
extern platform::TestSeam<KnownFolderProbe> knownFolderProbe;
