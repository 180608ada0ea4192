#include "platform/gui/FolderDialog.h"

#include <QFileDialog>

namespace platform {

TestSeam<FolderResponder> folderResponder;

std::optional<QString> selectDirectory(const QString& caption, const QString& start, QWidget* parent) {
    if (folderResponder)
        return folderResponder(start);
    const QString folder =
        QFileDialog::getExistingDirectory(parent, caption, start, QFileDialog::ShowDirsOnly);
    if (folder.isEmpty())
        return std::nullopt;
    return folder;
}

} // namespace platform
