// Choosing a folder: the folder browser of the shortcut dialog.
#pragma once

#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace platform {

// Lets the user choose an existing folder (or make one), starting at `start`; the chosen
// folder, or nothing when the user cancels. A test responder answers instead when installed.
std::optional<QString> selectDirectory(const QString& caption, const QString& start, QWidget* parent);

// Test seam for selectDirectory: gets the start folder and answers a folder or nothing
// (Cancel). An empty function restores the real dialog. Returns the previous responder.
using FolderResponder = std::function<std::optional<QString>(const QString& start)>;
FolderResponder setFolderResponder(FolderResponder responder);

} // namespace platform
