// The main window's file commands: New, Open, Reload, Save, Save As and the encrypted files.
#include "app/Unit1.h"

#include "app/EkFunctions.h"
#include "app/FrmPasswrd.h"
#include "app/IniListModels.h"
#include "platform/core/FileSave.h"
#include "platform/core/SysUtils.h"
#include "platform/gui/MessageBoxes.h"
#include "platform/gui/SystemServices.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QTreeView>
#include <functional>
#include <new>

namespace {

const QString kQuestion = QStringLiteral("Question");
const QString kFileError = QStringLiteral("File Error");
const QString kNoName = QStringLiteral("NoName.Ini");
const QString kNotRegularFile = QStringLiteral("Not a regular file, but a pipe, a device or a socket:\r\n");
const QString kFolder = QStringLiteral("Not a file, but a folder:\r\n");

// The extension alone tells an encrypted file: from the last dot of the file name on.
bool isEncryptedName(const QString& name) {
    const QString base = QFileInfo(name).fileName();
    const qsizetype dot = base.lastIndexOf(QLatin1Char('.'));
    return dot >= 0 && base.mid(dot).toLower() == QLatin1String(".inicry");
}

// Runs `save` of the file `name`; a save that fails is reported, with the system's reason or, when
// the memory runs out (a save builds the whole text of the document), as such. Either way the old
// file stays as it was, and so does the document.
bool reportSave(const QString& name, const std::function<platform::SaveResult()>& save) {
    platform::SaveResult saved;
    try {
        saved = save();
    } catch (const std::bad_alloc&) {
        // What the save had taken is free again: there is room for the box.
        platform::showError(kProductName, "Not enough memory to save the file\r\n" + name);
        return false;
    }
    if (!saved)
        platform::showError(kProductName,
                            QStringLiteral("Cannot create file \"%1\". %2").arg(name, saved.error));
    return saved.ok;
}

} // namespace

// --- File commands -------------------------------------------------------------------------------

QString TForm1::encodingName(int selector) {
    switch (selector) {
    case 0:
        return "UTF-8";
    case 2:
        return "UTF-16LE";
    case 3:
        return "UTF-16BE";
    default:
        return "ANSI";
    }
}

int TForm1::codePageToSelector(int codePage) {
    switch (codePage) {
    case codePageAnsi:
        return 1;
    case codePageUtf16LE:
        return 2;
    case codePageUtf16BE:
        return 3;
    default:
        return 0;
    }
}

int TForm1::selectorToCodePage(int selector) {
    switch (selector) {
    case 1:
        return codePageAnsi;
    case 2:
        return codePageUtf16LE;
    case 3:
        return codePageUtf16BE;
    default:
        return codePageUtf8;
    }
}

QString TForm1::buildCaption(bool noFile) const {
    QString caption = "Tolvard's Velquin";
    if (noFile)
        return caption;
    caption += "   [" + (fileName.isEmpty() ? QStringLiteral("UnNamed.Ini") : fileName) + "] [" +
               (encrypted ? QStringLiteral("Encrypted") : encodingName(encodingSelector)) + "]";
    if (readOnly)
        caption += " [Read Only]";
    return caption;
}

void TForm1::setCaption(bool noFile) {
    setWindowTitle(buildCaption(noFile));
}

void TForm1::updateActions(bool flag) {
    modified = flag;
    if (flag)
        valueWidths_ = {};
    ActSave->setEnabled(flag);
    refreshCounts();
}

void TForm1::enableFileActions(bool flag) {
    for (QAction* action : {ActSaveAs, ActSearch, ActFindNext, ActFindPrevious})
        action->setEnabled(flag);
}

void TForm1::enableReload() {
    // A new document has no file: Reload would only empty the window.
    ActReload->setEnabled(!fileName.isEmpty());
}

bool TForm1::askSaveChanges() {
    if (!modified)
        return false;
    const int answer =
        platform::askYesNoCancel(kQuestion, "There is Unsaved Changes\r\nDoYou want to save ??");
    if (answer == platform::IdYes) {
        ActSaveExecute();
        return modified;
    }
    return answer != platform::IdNo;
}

void TForm1::clearDocument() {
    clearSectionRows();
    clearValueRows();
    selectedSection = nullptr;
    model.sections.clear();
    // The next document's order is its own.
    setSortArrow(LvSections, -1, 0);
    setSortArrow(LvValues, -1, 0);
    setCaption(true);
}

void TForm1::setFileName(const QString& name) {
    fileName = name;
    addToMru();
    setCaption(false);
    ButCreateShortcut->setEnabled(!name.isEmpty());
    enableReload();
    enableRowCommands();
}

void TForm1::showDisplayTime() {
    const std::uint32_t start = platform::timeGetTime();
    if (SectionRows->count() > 0)
        LvSections->selectionModel()->setCurrentIndex(
            SectionRows->index(0, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (ValueRows->count() > 0)
        LvValues->selectionModel()->setCurrentIndex(
            ValueRows->index(0, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    QCoreApplication::processEvents();
    LbShowTimeTag += platform::elapsedMs(start);
    LbShowTime->setCaption(QString::number(LbShowTimeTag));
}

void TForm1::ActNewFileExecute() {
    if (askSaveChanges())
        return;
    clearDocument();
    readOnly = false;
    encrypted = false;
    filePassword.clear();
    encodingSelector = 0;
    setFileName({});
    model.addSection({})->addValue({}, {}, {});
    fillSectionList();
    sizeSectionColumns();
    updateActions(false);
    showDisplayTime();
    enableFileActions(true);
}

void TForm1::ActOpenFileExecute() {
    if (askSaveChanges())
        return;
    if (OpenTextFileDialog.execute(this))
        openFile(OpenTextFileDialog.fileName, OpenTextFileDialog.encodingIndex);
}

bool TForm1::refuseSpecialFile(const QString& name) {
    const platform::FileKind kind = platform::fileKind(name);
    if (kind != platform::FileKind::Special && kind != platform::FileKind::Folder)
        return false;
    platform::showError(kFileError, (kind == platform::FileKind::Folder ? kFolder : kNotRegularFile) + name);
    return true;
}

void TForm1::openFile(const QString& name, int selector) {
    // Refused before anything changes: the open document stays as it is.
    if (refuseSpecialFile(name))
        return;
    if (isEncryptedName(name)) {
        const std::optional<QString> password = TFormPassword::askPassword(TFormPassword::Mode::Open, this);
        if (!password)
            return;
        loadEncryptedFile(name, *password);
        return;
    }
    openPlain(name, selector);
}

void TForm1::openPlain(const QString& name, int selector) {
    const int status = loadPlainFile(name, selector);
    if (refuseOutOfMemory(status, name))
        return;
    filePassword.clear();
    encrypted = false;
    if (checkFileError(status, name)) {
        enableFileActions(false);
        return;
    }
    enableFileActions(true);
    setFileName(name);
    showDisplayTime();
}

int TForm1::loadPlainFile(QString name, int selector) {
    if (name.isEmpty())
        name = fileName;
    const std::uint32_t start = platform::timeGetTime();
    TEkMemIni loaded;
    loaded.shownLineBytes = kShownLineBytes;
    const int status = selector >= 0 && selector <= 3
                           ? loaded.LoadFromFileAs(name, selectorToCodePage(selector))
                           : loaded.LoadFromFile(name);
    if (status == loadOutOfMemory)
        return status;
    adoptDocument(loaded);
    showLoadedDocument(name, start);
    updateActions(false);
    return status;
}

void TForm1::adoptDocument(TEkMemIni& loaded) {
    clearDocument();
    model.sections.swap(loaded.sections);
    model.codePage = loaded.codePage;
    model.fileName = loaded.fileName;
}

bool TForm1::refuseOutOfMemory(int status, const QString& name) {
    if (status != loadOutOfMemory)
        return false;
    platform::showError(kFileError, "Not enough memory to open the file\r\n" + name);
    return true;
}

void TForm1::showLoadedDocument(const QString& name, std::uint32_t loadStart) {
    LbLoadTime->setCaption(QString::number(std::uint32_t(platform::timeGetTime() - loadStart)));
    readOnly = platform::isFileReadOnly(name);
    encodingSelector = codePageToSelector(model.codePage);
    fillSectionList();
    sizeSectionColumns();
}

bool TForm1::checkFileError(int status, const QString& name) {
    const bool refused = status == 0 && model.codePage == codePageUnknown;
    if (status >= 0 && !refused)
        return false;
    if (status == loadFileMissing)
        platform::showError(kFileError, "File Does not exist\r\n" + name);
    else if (status == loadUnreadable)
        platform::showError(kFileError, "Error Reading File\r\n" + name);
    else if (status == loadCannotOpen)
        platform::showError(kFileError, "Cannot open File\r\n" + name);
    else if (status == loadNotRegularFile)
        platform::showError(kFileError, kNotRegularFile + name);
    clearDocument();
    dropFileName();
    return true;
}

void TForm1::dropFileName() {
    fileName.clear();
    // The shortcut button and Reload are enabled only while the document has a file name.
    ButCreateShortcut->setEnabled(false);
    enableReload();
    readOnly = false;
    setCaption(true);
    // Add Section went with the name: the window is as empty as at the start.
    enableRowCommands();
    // The counters would otherwise still count the document that was just dropped.
    refreshCounts();
}

void TForm1::ActReloadExecute() {
    if (refuseSpecialFile(fileName) || askSaveChanges())
        return;
    if (encrypted) {
        loadEncryptedFile(fileName, filePassword);
        return;
    }
    const QString name = fileName;
    const int status = loadPlainFile(name, encodingSelector);
    if (refuseOutOfMemory(status, name))
        return;
    if (checkFileError(status, name))
        enableFileActions(false);
    else
        setFileName(name);
    showDisplayTime();
}

void TForm1::ActSaveExecute() {
    if (!fileName.isEmpty() && fileName != kNoName) {
        if (refuseUnreadableLines())
            return;
        if (encrypted)
            saveEncryptedFile(fileName, filePassword);
        else
            savePlain();
        return;
    }
    ActSaveAsExecute();
}

bool TForm1::refuseReadOnlyTarget(const QString& name) {
    // A save replaces the file as a whole, which the file system would allow even for a
    // read-only file; its attribute is honoured here, as a direct write would have to.
    if (!QFileInfo::exists(name) || !platform::isFileReadOnly(name))
        return false;
    platform::showError(kProductName,
                        QStringLiteral("Cannot create file \"%1\". The file is read-only.").arg(name));
    return true;
}

bool TForm1::writePlainFile(const QString& name, int codePage) {
    if (refuseReadOnlyTarget(name))
        return false;
    return reportSave(name, [&] {
        platform::SaveResult saved;
        saved.ok = model.SaveToFile(name, codePage, &saved.error);
        return saved;
    });
}

bool TForm1::savePlain() {
    if (!writePlainFile(fileName, selectorToCodePage(encodingSelector)))
        return false;
    updateActions(false);
    return true;
}

void TForm1::ActSaveAsExecute() {
    if (refuseUnreadableLines())
        return;
    SaveTextFileDialog.fileName = fileName;
    if (!SaveTextFileDialog.execute(this))
        return;
    const QString name = SaveTextFileDialog.fileName;
    const int selector = SaveTextFileDialog.encodingIndex;
    QString password;
    bool enc = false;
    if (isEncryptedName(name)) {
        const std::optional<QString> asked = TFormPassword::askPassword(TFormPassword::Mode::Save, this);
        if (!asked)
            return;
        password = *asked;
        if (!writeEncryptedFile(name, password))
            return;
        enc = true;
    } else if (!writePlainFile(name, selectorToCodePage(selector))) {
        return;
    }
    // Declining the new name leaves the document as it was: the file was written as a copy.
    if (!fileName.isEmpty() && !platform::askYesNo("FileName Question:", "Use new FileName ?\r\n" + name))
        return;
    encrypted = enc;
    filePassword = password;
    readOnly = false;
    encodingSelector = selector;
    setFileName(name);
    // A document emptied by a failed load has its file commands again once it has a file.
    enableFileActions(true);
    updateActions(false);
}

bool TForm1::refuseUnreadableLines() {
    int sectionIndex = -1;
    int itemIndex = -1;
    if (!model.findUnreadableLine(sectionIndex, itemIndex))
        return false;
    const TEkIniSection* section = model.sections[sectionIndex];
    const TEkIniVal* item = itemIndex >= 0 ? section->values[itemIndex] : nullptr;
    // Only the nameless top section has no header; a later "[]" section is named by its brackets.
    const QString where = sectionIndex == 0 && section->name.isEmpty()
                              ? QStringLiteral("before the first section")
                              : "in section \"" + section->name + "\"";
    if (item) {
        const int kind = TEkMemIni::readBackKind(*item);
        const char* readBack = kind == itemValue     ? "a setting"
                               : kind == itemComment ? "a comment"
                               : kind == itemError   ? "a line without \"=\""
                               : kind == itemBlank   ? "a blank line"
                                                     : "a section header";
        platform::showError(kProductName, "The line\r\n" + item->lineTextWithComment() + "\r\n" + where +
                                              " would be read back as " + readBack + "." +
                                              "\r\nNothing was saved: change that line, then save again.");
    } else {
        platform::showError(kProductName,
                            "The section name\r\n" + section->name +
                                "\r\nholds \"]\" or a control character and would not be read back"
                                " as it stands.\r\nNothing was saved: change the name, then save again.");
    }
    // Showing the section gives its items their rows; the values-only view hides a line
    // without "=", so then every line is shown, as F4 would.
    const auto* sectionRow = static_cast<const TListRow*>(section->listItem);
    if (!sectionRow)
        return true;
    scrollItemIntoView(LvSections, sectionRow->index);
    if (item && !item->listItem && valuesOnly)
        ActValuesOnlyExecute();
    if (const auto* itemRow = item ? static_cast<const TListRow*>(item->listItem) : nullptr)
        scrollItemIntoView(LvValues, itemRow->index);
    return true;
}

// --- Encrypted files -----------------------------------------------------------------------------

void TForm1::encryptedLoadFailed() {
    encrypted = false;
    dropFileName();
    enableFileActions(false);
}

void TForm1::loadEncryptedFile(const QString& name, const QString& password) {
    const std::uint32_t start = platform::timeGetTime();
    QFile file(name);
    QString reason;
    const platform::OpenOutcome opened = platform::openForReading(file, {}, &reason);
    TEkMemIni loaded;
    loaded.shownLineBytes = kShownLineBytes;
    const int status =
        opened == platform::OpenOutcome::Opened ? readEncryptedFile(loaded, file, password) : 0;
    file.close();
    if (refuseOutOfMemory(status, name))
        return;
    adoptDocument(loaded);
    LbLoadTime->setCaption("0");
    LbShowTime->setCaption("0");
    if (opened != platform::OpenOutcome::Opened) {
        if (opened == platform::OpenOutcome::NotRegularFile)
            platform::showError(kFileError, kNotRegularFile + name);
        else
            platform::showError(kProductName,
                                QStringLiteral("Cannot open file \"%1\". %2").arg(name, reason));
        encryptedLoadFailed();
        return;
    }
    if (status == loadNotEncrypted || status == loadWrongPassword) {
        platform::showError(kFileError, status == loadNotEncrypted
                                            ? name + "\r\nIs not an Encrypted Velquin File"
                                            : "Wrong password for:\r\n" + name);
        encryptedLoadFailed();
        return;
    }
    if (checkFileError(status, name)) {
        encryptedLoadFailed();
        return;
    }
    filePassword = password;
    showLoadedDocument(name, start);
    enableFileActions(true);
    updateActions(false);
    encrypted = true;
    setFileName(name);
    showDisplayTime();
}

bool TForm1::writeEncryptedFile(const QString& name, const QString& password) {
    if (refuseReadOnlyTarget(name))
        return false;
    return reportSave(name, [&] { return platform::saveFile(name, encryptedImage(model, password)); });
}

bool TForm1::saveEncryptedFile(const QString& name, const QString& password) {
    if (!writeEncryptedFile(name, password))
        return false;
    updateActions(false);
    return true;
}
