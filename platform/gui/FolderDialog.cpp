#include "platform/gui/FolderDialog.h"

#include <QFileDialog>

namespace platform {

namespace {

FolderResponder& responderSlot() {
    static FolderResponder responder;
    return responder;
}

} // namespace

std::optional<QString> selectDirectory(const QString& caption, const QString& start, QWidget* parent) {
    if (const FolderResponder& responder = responderSlot())
        return responder(start);
    const QString folder =
        QFileDialog::getExistingDirectory(parent, caption, start, QFileDialog::ShowDirsOnly);
    if (folder.isEmpty())
        return std::nullopt;
    return folder;
}

FolderResponder setFolderResponder(FolderResponder responder) {
    FolderResponder previous = std::move(responderSlot());
    responderSlot() = std::move(responder);
    return previous;
}

} // namespace platform
