#include "app/ShortcutFrm.h"

#include "app/DialogTextBoxes.h"
#include "app/EkFunctions.h"
#include "app/EkKnownFolders.h"
#include "app/Globl.h"
#include "app/ImageLists.h"
#include "app/Shellhlpr.h"
#include "platform/gui/FolderDialog.h"
#include "platform/gui/MessageBoxes.h"
#include "platform/gui/TextFileDialog.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// Design sizes at 144 pixels per inch.
constexpr int kClientWidth = 553;
constexpr int kClientHeight = 308;
constexpr int kMargin = 24;
constexpr int kRowHeight = 33;    // the edit boxes; the buttons beside them are squares of it
constexpr int kColumnRight = 290; // the second column of check boxes
constexpr int kButtonWidth = 112;
constexpr int kButtonGap = 12;
constexpr int kFontHeight = 18;

QIcon buttonIcon(int image) {
    TImageList images(16, 16);
    addButtonImages(images);
    return images.icon(image);
}

} // namespace

TFrmShortcut::TFrmShortcut(const QString& filePath, QWidget* parent)
    : TGradientDialog(parent), filePath_(filePath) {
    buildControls();
    layoutControls();
    offerPlaces();
    EdShortcutName->setText(filePath.isEmpty() ? QString() : QFileInfo(filePath).completeBaseName());
    for (QCheckBox* box : {CbxDesktop, CbxDocuments, CbxStartMenu, CbxQuickLaunch})
        connect(box, &QCheckBox::clicked, this, &TFrmShortcut::updateCreateButton);
    connect(EdShortcutName, &QLineEdit::textChanged, this, &TFrmShortcut::updateCreateButton);
    connect(EdCustomShortcut, &QLineEdit::textChanged, this, &TFrmShortcut::updateCreateButton);
    connect(ButCreate, &QPushButton::clicked, this, &TFrmShortcut::ButCreateClick);
    connect(ButCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ButBrowseForFile, &QPushButton::clicked, this, &TFrmShortcut::ButBrowseForFileClick);
    connect(ButBrowseFolder, &QPushButton::clicked, this, &TFrmShortcut::ButBrowseFolderClick);
    updateCreateButton();
}

void TFrmShortcut::buildControls() {
    const auto make = [](auto* widget, const char* name) {
        widget->setObjectName(name);
        return widget;
    };
    CbxDesktop = make(new QCheckBox(QStringLiteral("On the Desktop"), this), "CbxDesktop");
    CbxDocuments = make(new QCheckBox(QStringLiteral("In the Document Folder"), this), "CbxDocuments");
    CbxStartMenu = make(new QCheckBox(QStringLiteral("In the Start Menu"), this), "CbxStartMenu");
    CbxQuickLaunch = make(new QCheckBox(QStringLiteral("On Quick Launch"), this), "CbxQuickLaunch");
    Label1 = make(new QLabel(QStringLiteral("Shortcut Name:"), this), "Label1");
    EdShortcutName = make(new TDialogEdit(this), "EdShortcutName");
    ButBrowseForFile = make(new QPushButton(buttonIcon(btnSaveAs), QString(), this), "ButBrowseForFile");
    Label2 = make(new QLabel(QStringLiteral("Custom Directory:"), this), "Label2");
    EdCustomShortcut = make(new TDialogEdit(this), "EdCustomShortcut");
    ButBrowseFolder = make(new QPushButton(buttonIcon(btnOpen), QString(), this), "ButBrowseFolder");
    ButCancel = make(new QPushButton(QStringLiteral("Cancel"), this), "ButCancel");
    ButCancel->setAutoDefault(false);
    ButCreate = make(new QPushButton(QStringLiteral("Create"), this), "ButCreate");
    ButCreate->setDefault(true);
    ButCreate->setEnabled(false);
    for (QPushButton* browse : {ButBrowseForFile, ButBrowseFolder})
        browse->setAutoDefault(false);
}

void TFrmShortcut::layoutControls() {
    setUpDesign(QStringLiteral("Create Shortcut"), QStringLiteral("Arial"), kFontHeight,
                {kClientWidth, kClientHeight});

    // Rows from the top: name label, name box, two rows of places, folder label, folder box,
    // buttons. Each box leaves room on its right for the square browse button.
    const int boxWidth = px(kClientWidth - 2 * kMargin - kRowHeight - 8);
    const int browseLeft = px(kClientWidth - kMargin - kRowHeight);
    Label1->setGeometry(px(kMargin), px(14), boxWidth, px(28));
    EdShortcutName->setGeometry(px(kMargin), px(44), boxWidth, px(kRowHeight));
    ButBrowseForFile->setGeometry(browseLeft, px(44), px(kRowHeight), px(kRowHeight));
    CbxDesktop->setGeometry(px(kMargin), px(92), px(kColumnRight - kMargin), px(30));
    CbxDocuments->setGeometry(px(kColumnRight), px(92), px(kClientWidth - kColumnRight - kMargin), px(30));
    CbxStartMenu->setGeometry(px(kMargin), px(126), px(kColumnRight - kMargin), px(30));
    CbxQuickLaunch->setGeometry(px(kColumnRight), px(126), px(kClientWidth - kColumnRight - kMargin), px(30));
    Label2->setGeometry(px(kMargin), px(166), boxWidth, px(28));
    EdCustomShortcut->setGeometry(px(kMargin), px(196), boxWidth, px(kRowHeight));
    ButBrowseFolder->setGeometry(browseLeft, px(196), px(kRowHeight), px(kRowHeight));
    const int createLeft = px(kClientWidth - kMargin - kButtonWidth);
    ButCreate->setGeometry(createLeft, px(254), px(kButtonWidth), px(kRowHeight));
    ButCancel->setGeometry(createLeft - px(kButtonGap + kButtonWidth), px(254), px(kButtonWidth),
                           px(kRowHeight));
}

void TFrmShortcut::offerPlaces() {
    QCheckBox* const boxes[] = {CbxDesktop, CbxDocuments, CbxStartMenu, CbxQuickLaunch};
    const TKnownFolder places[] = {TKnownFolder::Desktop, TKnownFolder::Documents, TKnownFolder::StartMenu,
                                   TKnownFolder::QuickLaunch};
    QRect cells[std::size(boxes)];
    for (size_t i = 0; i < std::size(boxes); ++i)
        cells[i] = boxes[i]->geometry();
    QStringList offered; // as the file system names them, so that a folder written otherwise is found
    int cell = 0;
    for (size_t i = 0; i < std::size(boxes); ++i) {
        const QString folder = getKnownFolder(places[i]);
        const QString canonical = folder.isEmpty() ? QString() : QFileInfo(folder).canonicalFilePath();
        const bool offer =
            !canonical.isEmpty() && QFileInfo(canonical).isDir() && !offered.contains(canonical);
        boxes[i]->setVisible(offer);
        if (!offer)
            continue;
        offered << canonical;
        folders_[i] = folder;
        boxes[i]->setGeometry(cells[cell++]);
    }
}

void TFrmShortcut::showEvent(QShowEvent* event) {
    TGradientDialog::showEvent(event);
    // The browse buttons are squares of the name box's height; Create and Cancel take it too.
    const int side = EdShortcutName->height();
    for (QPushButton* browse : {ButBrowseForFile, ButBrowseFolder})
        browse->resize(side, side);
    for (QPushButton* button : {ButCreate, ButCancel})
        button->resize(button->width(), side);
}

QString TFrmShortcut::shortcutName() const {
    return EdShortcutName->text();
}

QString TFrmShortcut::customFolder() const {
    return EdCustomShortcut->text();
}

void TFrmShortcut::updateCreateButton() {
    const QString folder = EdCustomShortcut->text();
    const bool place = CbxDesktop->isChecked() || CbxDocuments->isChecked() || CbxStartMenu->isChecked() ||
                       CbxQuickLaunch->isChecked() || (!folder.isEmpty() && QFileInfo(folder).isDir());
    ButCreate->setEnabled(!EdShortcutName->text().isEmpty() && place);
}

QString TFrmShortcut::uniqueLinkName(const QString& base, const QString& ext) {
    QString candidate = base + ext;
    // Any entry counts as taken, a link that leads nowhere too: the link itself is not free.
    const auto taken = [](const QString& path) {
        return QFileInfo(path).isSymLink() || QFileInfo::exists(path);
    };
    for (int i = 1; taken(candidate); ++i)
        candidate = base + "(" + QString::number(i) + ")" + ext;
    return candidate;
}

QString TFrmShortcut::createShortcutFile(const QString& path, const QString& name) const {
    const QString program = QCoreApplication::applicationFilePath();
    // Quoted: the program takes its first argument as the file, and a path with blanks would
    // otherwise arrive in pieces.
    const QString arguments = filePath_.isEmpty() ? QString() : '"' + filePath_ + '"';
    return CreateShortcut(program, path, "Shortcut to " + name, arguments, program, 0);
}

void TFrmShortcut::ButCreateClick() {
    const QString name = EdShortcutName->text();
    const QString customFolder = EdCustomShortcut->text();
    struct Place {
        bool wanted;
        QString folder;
    };
    const Place places[] = {
        {CbxDesktop->isChecked(), folders_[0]},
        {CbxDocuments->isChecked(), folders_[1]},
        {CbxStartMenu->isChecked(), folders_[2]},
        {CbxQuickLaunch->isChecked(), folders_[3]},
        {!customFolder.isEmpty() && QFileInfo(customFolder).isDir(), customFolder},
    };
    int attempted = 0;
    int failed = 0;
    QString list;
    for (const Place& place : places) {
        // A place left out has no folder: its name alone would land wherever the program runs.
        if (!place.wanted || place.folder.isEmpty())
            continue;
        ++attempted;
        QString folder = place.folder;
        const QString path = uniqueLinkName(includeTrailingBackslash(folder) + name, ".lnk");
        if (createShortcutFile(path, name).isEmpty()) {
            ++failed;
            list += kLineBreak + path;
        }
    }
    if (failed > 0) {
        const QString heading =
            failed == 1 ? "Could Not Create this ShortcutFile" : "Could Not Create these ShortcutFiles";
        platform::showError("File Error", heading + kLineBreak + list);
    }
    done(failed == attempted ? QDialog::Rejected : QDialog::Accepted);
}

void TFrmShortcut::ButBrowseForFileClick() {
    platform::TextFileDialog dialog(platform::TextFileDialog::Kind::Save);
    dialog.defaultExt = "lnk";
    dialog.filter = "Shortcut Files (*.lnk)|*.lnk";
    dialog.fileName = EdShortcutName->text();
    if (dialog.execute(this)) {
        const QFileInfo chosen(dialog.fileName);
        QString folder = chosen.absolutePath();
        EdCustomShortcut->setText(includeTrailingBackslash(folder));
        EdShortcutName->setText(chosen.completeBaseName());
    }
    updateCreateButton();
}

void TFrmShortcut::ButBrowseFolderClick() {
    if (const std::optional<QString> folder = platform::selectDirectory({}, EdCustomShortcut->text(), this))
        EdCustomShortcut->setText(*folder);
    EdCustomShortcut->setCursorPosition(int(EdCustomShortcut->text().size()));
}

int TFrmShortcut::createShortcuts(const QString& filePath, QWidget* centreOn) {
    if (responder)
        return responder(filePath);
    TFrmShortcut dialog(filePath, centreOn);
    dialog.setPlacement(Placement::Centred, centreOn);
    return dialog.exec();
}
