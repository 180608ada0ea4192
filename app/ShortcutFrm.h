// The Create Shortcut dialog: writes shortcut files (".lnk") that start this program with the
// open file, in the places the user ticks (desktop, documents, start menu, quick launch) and
// in a folder of the user's choice.
//
// Only the places whose folders exist are offered, each folder once. Create is enabled only with
// a name and at least one place: a ticked box, or a custom folder that exists. A shortcut that cannot be
// written is listed in one error box after the others were tried; the dialog closes with Accepted unless
// every attempted shortcut failed.
#pragma once

#include "app/GradientDialog.h"
#include "platform/core/TestSeam.h"

#include <QString>
#include <array>
#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QShowEvent;

class TFrmShortcut : public TGradientDialog {
    Q_OBJECT

public:
    // `filePath` is the full path of the file the shortcuts open (empty: they start the
    // program without a file). The name box starts with its name without folder and extension.
    explicit TFrmShortcut(const QString& filePath, QWidget* parent = nullptr);

    QString shortcutName() const;
    QString customFolder() const;

    // The whole use of the dialog by the Create Shortcut command: shows it modally, centred on
    // `centreOn` (may be null), and gives its result (QDialog::Accepted or Rejected). A
    // responder installed for tests gets the file path and answers instead.
    static int createShortcuts(const QString& filePath, QWidget* centreOn);
    using Responder = std::function<int(const QString& filePath)>;
    static inline platform::TestSeam<Responder> responder;

    // `base` + `ext` when no entry of that name exists (a link that leads nowhere counts), else
    // the first free base(1)ext, base(2)ext, ...
    static QString uniqueLinkName(const QString& base, const QString& ext);
    // Writes the shortcut file `path` to this program with the file path as its argument
    // (quoted, so that a path with blanks arrives whole) and the description "Shortcut to " +
    // `name`. The written path, or empty on failure.
    QString createShortcutFile(const QString& path, const QString& name) const;

    void updateCreateButton();
    void ButCreateClick();
    void ButBrowseForFileClick();
    void ButBrowseFolderClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void layoutControls();
    // Shows a box for each place whose folder exists, once for each folder (the quick-launch
    // folder is the start menu's here), the boxes shown closing up in their order; the others
    // are left out.
    void offerPlaces();

    QString filePath_;
    // The folders of the desktop, documents, start menu and quick-launch boxes as found when
    // the dialog opened; empty for a box left out.
    std::array<QString, 4> folders_;
    QCheckBox* CbxDesktop = nullptr;
    QCheckBox* CbxDocuments = nullptr;
    QCheckBox* CbxStartMenu = nullptr;
    QCheckBox* CbxQuickLaunch = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* EdShortcutName = nullptr;
    QPushButton* ButBrowseForFile = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* EdCustomShortcut = nullptr;
    QPushButton* ButBrowseFolder = nullptr;
    QPushButton* ButCancel = nullptr;
    QPushButton* ButCreate = nullptr;
};
