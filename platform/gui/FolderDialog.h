// Choosing a folder: the folder browser of the shortcut dialog.
#pragma once

#include "platform/core/TestSeam.h"

#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace platform {

// Lets the user choose an existing folder (or make one), starting at `start`; the chosen
// folder, or nothing when the user cancels. A test responder answers instead when set.
std::optional<QString> selectDirectory(const QString& caption, const QString& start, QWidget* parent);

// Test seam for selectDirectory: gets the start folder and answers a folder or nothing
// (Cancel).
using FolderResponder = std::function<std::optional<QString>(const QString& start)>;
extern TestSeam<FolderResponder> folderResponder;

} // namespace platform
