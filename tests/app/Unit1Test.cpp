// The main window driven through its actions, with the message boxes, the file dialogs and
// the password dialog answered by their test seams.
#include "app/Unit1.h"
#include "app/EkGlobals.h"
#include "app/FrmPasswrd.h"
#include "app/Globl.h"
#include "app/IniListModels.h"
#include "controls/EkGradiLabel.h"
#include "platform/core/FileSave.h"
#include "platform/core/SysUtils.h"
#include "platform/gui/MessageBoxes.h"
#include "platform/gui/SystemServices.h"
#include "platform/gui/TextFileDialog.h"
#include "tests/support/DialogResponders.h"
#include "tests/support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QHeaderView>
#include <QLocale>
#include <QMenu>
#include <QMimeData>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <QTimer>
#include <QTreeView>
#include <QUrl>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

using platform::IdCancel;
using platform::IdNo;
using platform::IdYes;
using platform::MessageBoxKind;
using testsupport::readFile;
using testsupport::writeFile;

namespace {

const QByteArray kSample = "; top comment\r\n"
                           "\r\n"
                           "[General]\r\n"
                           "Name=Grüße ; greeting\r\n"
                           "Count=3\r\n"
                           "broken line\r\n"
                           "\r\n"
                           "[Paths] ; where\r\n"
                           "Home=/home/user\r\n";

QByteArray encode(const QString& text, QStringConverter::Encoding encoding, bool bom) {
    QStringEncoder encoder(encoding,
                           bom ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Default);
    return encoder.encode(text);
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        form = std::make_unique<TForm1>();
    }

    QString path(const QString& name) const { return dir.filePath(name); }

    QString writeSample(const QString& name, const QByteArray& bytes = kSample) {
        const QString p = path(name);
        EXPECT_TRUE(writeFile(p, bytes));
        return p;
    }

    void open(const QString& name, int encodingIndex = 4) {
        dialogs.answer(name, encodingIndex);
        form->ActOpenFile->trigger();
    }

    // Changes the document the way an edit command does.
    void editFirstValue(const QString& value) {
        TEkIniVal* item = form->model.sections[1]->values[0];
        item->setValue(value);
        form->updateActions(true);
    }

    QStringList counters() const {
        return {form->LbSectionCount->Caption(), form->LbValueCount->Caption(),
                form->LbCommentCount->Caption(), form->LbErrorCount->Caption(),
                form->LbEmptyCount->Caption()};
    }

    QStringList boxTexts() const {
        QStringList texts;
        for (const auto& record : boxes.records)
            texts << record.caption + "|" + record.text;
        return texts;
    }

    QTemporaryDir dir;
    platform::ScopedMessageBoxResponder boxes{platform::IdCancel};
    platform::ScopedTextFileResponder dialogs;
    // No test may reach the real password dialog: unless a test answers, it is cancelled.
    ScopedPasswordResponder noPassword{std::nullopt};
    std::unique_ptr<TForm1> form;
};

// --- Start-up --------------------------------------------------------------------------------

// The window's actions, each with its caption, shortcut and state at the start.
struct ActionRow {
    QAction* action;
    const char* caption;
    QKeySequence shortcut;
    bool enabled;
};

std::vector<ActionRow> actionRows(const TForm1& form) {
    return {
        {form.ActNewFile, "New", QKeySequence("Ctrl+N"), true},
        {form.ActOpenFile, "Open", QKeySequence("Ctrl+O"), true},
        {form.ActReload, "Reload", QKeySequence("F5"), false},
        {form.ActSave, "Save", QKeySequence("Ctrl+S"), false},
        {form.ActSaveAs, "Save As", QKeySequence("F12"), false},
        {form.ActSearch, "Find", QKeySequence("Ctrl+F"), false},
        {form.ActFindNext, "Find Next", QKeySequence("F3"), false},
        {form.ActFindPrevious, "Find Previous", QKeySequence("Shift+F3"), false},
        {form.ActValuesOnly, "Values Only", QKeySequence("F4"), true},
        {form.ActAddSection, "Add", QKeySequence("Ctrl+F8"), false},
        {form.ActCopySection, "Copy", QKeySequence("Ctrl+F10"), true},
        {form.ActInsertSection, "Insert", QKeySequence("Ctrl+F9"), false},
        {form.ActEditSection, "Edit", QKeySequence("Ctrl+Return"), false},
        {form.ActDeleteSection, "Del", QKeySequence("Ctrl+Del"), false},
        {form.ActSilentDeleteSection, "Silent Delete Section", QKeySequence("Ctrl+Shift+Del"), false},
        {form.ActAddItem, "Add", QKeySequence("F8"), false},
        {form.ActInsertItem, "Insert", QKeySequence("F9"), false},
        {form.ActEditItem, "Edit", QKeySequence("Return"), false},
        {form.ActDeleteItem, "Del", QKeySequence("Del"), false},
        {form.ActSilentDeleteItem, "Silent Delete Item", QKeySequence("Shift+Del"), false},
        {form.ActCopyItemValue, "CopyItemValue", QKeySequence("Ctrl+Ins"), true},
        {form.ActPasteItemValue, "PasteItemValue", QKeySequence("Shift+Ins"), true},
        {form.ActGeneratePassword, "GeneratePassword", QKeySequence("Ctrl+G"), true},
        {form.ActCreateShortcut, "", QKeySequence("Ctrl+K"), true},
        {form.ActAbout, "", QKeySequence("F2"), true},
        {form.ActHelp, "", QKeySequence("F1"), true},
    };
}

TEST_F(MainWindowTest, ActionsStartWithTheirCaptionsAndStates) {
    const std::vector<ActionRow> rows = actionRows(*form);
    for (const ActionRow& row : rows) {
        SCOPED_TRACE(row.caption);
        EXPECT_EQ(row.action->text(), QString(row.caption));
        EXPECT_EQ(row.action->isEnabled(), row.enabled);
    }
    EXPECT_EQ(form->ActNewFile->toolTip(), " Create a New Ini File ");
    EXPECT_EQ(form->ActValuesOnly->toolTip(), "Hide Comment, Empty Items and Error Items. ");
    EXPECT_EQ(form->ButCreateShortcut->toolTip().toStdString(), " Opens the Create Shortcut Dialog ");
    // Per row its category: 1 section, 2 item, 3 program actions, 0 none.
    const QStringList categories = {"", "Section Actions", "Item Actions", "Program Actions"};
    for (int i = 0; i < int(rows.size()); ++i)
        EXPECT_EQ(rows[i].action->property("category").toString(),
                  categories["00000000011111122222223330"[i] - '0'])
            << rows[i].caption;
    // Two buttons start disabled although their actions are enabled.
    EXPECT_FALSE(form->GlSectionCopy->isEnabled());
    EXPECT_FALSE(form->ButCreateShortcut->isEnabled());
    EXPECT_EQ(form->windowTitle(), "Tolvard's Velquin");
}

// Each key, pressed on the shown window, reaches its action (and no other). The commands are
// left out: only the keys are asked here.
TEST_F(MainWindowTest, EachShortcutReachesItsAction) {
    const std::vector<ActionRow> rows = actionRows(*form);
    form->show();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QAction* triggered = nullptr;
    for (const ActionRow& row : rows) {
        QObject::disconnect(row.action, &QAction::triggered, nullptr, nullptr);
        QObject::connect(row.action, &QAction::triggered, [&triggered, &row] { triggered = row.action; });
        row.action->setEnabled(true);
    }
    for (const ActionRow& row : rows) {
        SCOPED_TRACE(row.shortcut.toString().toStdString());
        triggered = nullptr;
        QTest::keyClick(form->LvSections, row.shortcut[0].key(), row.shortcut[0].keyboardModifiers());
        EXPECT_EQ(triggered, row.action);
    }
}

TEST_F(MainWindowTest, ShortcutsRunTheirActionsOnlyWhileEnabled) {
    form->show();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QTest::keyClick(form->LvSections, Qt::Key_F4);
    EXPECT_TRUE(form->valuesOnly);
    QTest::keyClick(form->LvSections, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(form->windowTitle(), "Tolvard's Velquin   [UnNamed.Ini] [UTF-8]");
    // Save is disabled for an unchanged document: Ctrl+S shows no dialog.
    QTest::keyClick(form->LvSections, Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(dialogs.records.isEmpty());
    QTest::keyClick(form->LvSections, Qt::Key_F12);
    EXPECT_EQ(dialogs.records.size(), 1);
}

TEST_F(MainWindowTest, CommandLineFileOpensFiftyMillisecondsAfterShow) {
    const QString name = writeSample("start.ini");
    form = std::make_unique<TForm1>(QStringList{name});
    form->show();
    // Not yet: the timer has only just started.
    EXPECT_TRUE(form->fileName.isEmpty());
    EXPECT_TRUE(form->LoadFileTimer->isActive());
    EXPECT_EQ(form->LoadFileTimer->interval(), 50);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form->fileName.isEmpty(); }, 2000));
    EXPECT_EQ(form->fileName, name);
    // Without a byte-order mark or a mention of its encoding, the file is read as ANSI.
    EXPECT_EQ(form->windowTitle(), "Tolvard's Velquin   [" + name + "] [ANSI]");
    EXPECT_EQ(counters(), QStringList({"3", "3", "1", "1", "2"}));
    EXPECT_EQ(form->SectionRows->count(), 3);
    EXPECT_EQ(form->selectedRow(form->LvSections), 0);
    EXPECT_TRUE(boxes.records.isEmpty());
}

// A missing file named on the command line is ignored silently; a folder, named there or dropped,
// is refused as a pipe is, and the open document stays.
TEST_F(MainWindowTest, CommandLineOrDroppedNameOfNoFile) {
    const QString folder = path("folder.ini");
    ASSERT_TRUE(QDir().mkdir(folder));
    for (const auto& [name, dropped] :
         {std::pair{path("missing.ini"), false}, {folder, false}, {folder, true}}) {
        SCOPED_TRACE(name.toStdString() + (dropped ? " dropped" : ""));
        form = std::make_unique<TForm1>(dropped ? QStringList() : QStringList{name});
        open(writeSample("kept.ini"));
        boxes.records.clear();
        if (dropped)
            form->openDroppedFiles({name});
        form->show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !form->LoadFileTimer->isActive(); }));
        EXPECT_EQ(boxTexts().join(""),
                  name == folder ? "File Error|Not a file, but a folder:\r\n" + folder : "");
        EXPECT_EQ(form->model.sections.count, 3);
    }
}

TEST_F(MainWindowTest, DroppedFilesOpenTheFirstWithoutAskingAboutChanges) {
    const QString first = writeSample("first.ini");
    const QString second = writeSample("second.ini", "[Other]\r\nx=1\r\n");
    form->ActNewFileExecute();
    form->updateActions(true);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(first), QUrl::fromLocalFile(second)});
    // The window must take the drag on entering before the drop reaches it.
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    // The drop ends first, so that no password or message box holds the dragging program
    // while it waits for the drop to finish; the file opens right after.
    EXPECT_TRUE(form->fileName.isEmpty());
    QCoreApplication::processEvents();
    EXPECT_EQ(form->fileName, first);
    EXPECT_FALSE(form->modified);
    EXPECT_TRUE(boxes.records.isEmpty());
}

// Where no browser takes the page, a box names it.
TEST_F(MainWindowTest, HelpOpensTheMakersPageInTheBrowser) {
    const QString page = kMakerWebPage + "/velquin.htm";
    for (const bool started : {true, false}) {
        QString opened;
        platform::ScopedSeam opener(platform::urlOpener,
                                    [&](const QString& url) { return opened = url, started; });
        boxes.records.clear();
        form->ActHelp->trigger();
        EXPECT_EQ(opened, page);
        EXPECT_EQ(boxTexts().join('\n'),
                  started ? "" : kProductName + "|Could not open the help page in a browser:\r\n" + page);
    }
}

// --- Open ------------------------------------------------------------------------------------

struct EncodingCase {
    const char* name;
    QByteArray bytes;
    int selector;          // encoding index given to the open dialog
    int selectorAfterLoad; // the document's encoding afterwards
    const char* captionName;
};

void PrintTo(const EncodingCase& c, std::ostream* os) {
    *os << c.name << " (" << c.bytes.size() << " bytes, selector " << c.selector << " -> "
        << c.selectorAfterLoad << ", " << c.captionName << ")";
}

class OpenEncodingTest : public MainWindowTest, public ::testing::WithParamInterface<EncodingCase> {};

TEST_P(OpenEncodingTest, ReadsTheTextAndShowsTheEncoding) {
    const EncodingCase& c = GetParam();
    const QString name = writeSample(QString("enc-%1.ini").arg(c.name), c.bytes);
    open(name, c.selector);
    ASSERT_EQ(form->fileName, name) << boxTexts().join('\n').toStdString();
    EXPECT_EQ(form->encodingSelector, c.selectorAfterLoad);
    EXPECT_EQ(form->windowTitle(), "Tolvard's Velquin   [" + name + "] [" + c.captionName + "]");
    ASSERT_GE(form->model.sections.count, 2);
    EXPECT_EQ(form->model.sections[1]->values[0]->value, QString::fromUtf8("Grüße"));
    EXPECT_TRUE(form->ActReload->isEnabled());
    EXPECT_TRUE(form->ActSaveAs->isEnabled());
    EXPECT_FALSE(form->ActSave->isEnabled());
    EXPECT_TRUE(form->GlSectionCopy->isEnabled()); // as its action: a section is selected
}

const QString kSampleText = QString::fromUtf8(kSample);

INSTANTIATE_TEST_SUITE_P(
    Encodings, OpenEncodingTest,
    ::testing::Values(
        EncodingCase{"utf8", kSample, 0, 0, "UTF-8"},
        EncodingCase{"ansi", platform::ansiEncode(kSampleText), 1, 1, "ANSI"},
        EncodingCase{"utf16le", encode(kSampleText, QStringConverter::Utf16LE, true), 2, 2, "UTF-16LE"},
        EncodingCase{"utf16be", encode(kSampleText, QStringConverter::Utf16BE, true), 3, 3, "UTF-16BE"},
        EncodingCase{"auto_utf8", encode(kSampleText, QStringConverter::Utf8, true), 4, 0, "UTF-8"},
        EncodingCase{"auto_ansi", platform::ansiEncode(kSampleText), 4, 1, "ANSI"},
        EncodingCase{"auto_utf16le", encode(kSampleText, QStringConverter::Utf16LE, true), 4, 2, "UTF-16LE"},
        EncodingCase{"auto_utf16be", encode(kSampleText, QStringConverter::Utf16BE, true), 4, 3, "UTF-16BE"}),
    [](const ::testing::TestParamInfo<EncodingCase>& info) { return std::string(info.param.name); });

// A file of the kernel's whose size (4 KiB) promises more than it gives (a few bytes), as does a
// file cut short while it is read.
const QString kCutShortFile = QStringLiteral("/sys/devices/system/cpu/online");

// A file of short lines, whose document takes many times its size.
QByteArray shortLines() {
    QByteArray lines;
    for (int i = 0; i < 40000; ++i)
        lines += "k" + QByteArray::number(i) + "=1\r\n";
    return lines;
}

struct FailedOpenCase {
    const char* name;
    QByteArray bytes; // empty, with no link: the file is missing
    const char* message;
    bool cutShort = false; // the file is a link to kCutShortFile
};

void PrintTo(const FailedOpenCase& c, std::ostream* os) {
    *os << c.name << " (" << c.bytes.size() << " bytes)";
}

class FailedOpenTest : public MainWindowTest, public ::testing::WithParamInterface<FailedOpenCase> {};

TEST_P(FailedOpenTest, ReportsAndLeavesAnEmptyUnnamedWindow) {
    const FailedOpenCase& c = GetParam();
    // A document is open first, so the failure has something to clear.
    open(writeSample("good.ini"));
    ASSERT_FALSE(form->fileName.isEmpty());
    boxes.records.clear();
    const QString name = path(QString("%1.ini").arg(c.name));
    if (c.cutShort && !QFile::link(kCutShortFile, name))
        GTEST_SKIP() << "no " << kCutShortFile.toStdString();
    ASSERT_TRUE(c.bytes.isEmpty() || writeFile(name, c.bytes));
    open(name, 4);
    EXPECT_EQ(boxTexts(), QStringList({QString("File Error|") + c.message + name}));
    EXPECT_TRUE(form->fileName.isEmpty());
    EXPECT_EQ(form->windowTitle(), "Tolvard's Velquin");
    EXPECT_EQ(form->model.sections.count, 0);
    EXPECT_EQ(form->SectionRows->count(), 0);
    EXPECT_EQ(form->ValueRows->count(), 0);
    EXPECT_EQ(counters(), QStringList({"0", "0", "0", "0", "0"}));
    // With no section left there is nothing to add an item to.
    for (QAction* action : {form->ActReload, form->ActSaveAs, form->ActSearch, form->ActFindNext,
                            form->ActFindPrevious, form->ActSave, form->ActAddItem, form->ActAddSection})
        EXPECT_FALSE(action->isEnabled()) << action->text().toStdString();
    // The shortcut button needs a file name.
    EXPECT_FALSE(form->ButCreateShortcut->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(
    Failures, FailedOpenTest,
    ::testing::Values(FailedOpenCase{"missing", {}, "File Does not exist\r\n"},
                      FailedOpenCase{"brokenheader", "a=1\r\n[abc\r\nx=1\r\n", "Error Reading File\r\n"},
                      FailedOpenCase{"tabinheader", "a=1\r\n[abc\t]\r\nx=1\r\n", "Error Reading File\r\n"},
                      FailedOpenCase{"cutshort", {}, "Error Reading File\r\n", true}),
    [](const auto& info) { return std::string(info.param.name); });

// Under an address-space limit, from what this process maps to past what a file of 10 MB takes
// with the threads that show it, the window either shows the file or refuses it and keeps the
// document before it: each limit in a child of its own, which must end by itself.
TEST_F(MainWindowTest, UnderAnAddressSpaceLimitABigFileIsShownOrRefusedNeverKilled) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "a sanitizer maps terabytes of its own";
#endif
    constexpr int kLines = 2600000;
    const QString before = writeSample("before.ini"), big = path("big.ini");
    ASSERT_TRUE(writeFile(big, "[s]\n" + QByteArray("a=1\n").repeated(kLines)));
    form->show();
    open(before);
    boxes.records.clear();
    const QString textBefore = form->model.buildText();
    const auto outcome = [&](qint64 mb) { // 0 shown, 1 refused
        ::alarm(120);                     // a child that hangs ends by a signal as well
        rlimit limit{};
        ::getrlimit(RLIMIT_AS, &limit);
        limit.rlim_cur = rlim_t(testsupport::statmBytes(0) + (mb << 20));
        if (::setrlimit(RLIMIT_AS, &limit) != 0)
            return 3;
        open(big);
        if (boxes.records.isEmpty())
            return form->fileName == big && form->ValueRows->count() == kLines ? 0 : 4;
        return boxTexts() == QStringList{"File Error|Not enough memory to open the file\r\n" + big} &&
                       form->fileName == before && form->model.buildText() == textBefore
                   ? 1
                   : 5;
    };
    std::vector<int> outcomes;
    for (qint64 mb = 0; mb <= 1500; mb += 50) {
        // The child has no thread but the one that forks: the pool Qt paints on starts its own.
        QThreadPool::globalInstance()->waitForDone();
        outcomes.push_back(testsupport::exitStatusAs(0, [&] { return outcome(mb); }));
        EXPECT_TRUE(outcomes.back() == 0 || outcomes.back() == 1) << mb << " MB: " << outcomes.back();
    }
    EXPECT_EQ(outcomes.front(), 1);
    EXPECT_EQ(outcomes.back(), 0);
}

TEST_F(MainWindowTest, Utf32FileIsRefusedByTheModelAlone) {
    testsupport::MessageCapture model;
    const QString name = writeSample("wide.ini", encode(kSampleText, QStringConverter::Utf32LE, true));
    open(name, 4);
    EXPECT_EQ(model.messages.size(), 1);
    EXPECT_TRUE(boxes.records.isEmpty()) << boxTexts().join('\n').toStdString();
    EXPECT_TRUE(form->fileName.isEmpty());
    EXPECT_EQ(form->windowTitle(), "Tolvard's Velquin");
    EXPECT_FALSE(form->ActReload->isEnabled());
}

TEST_F(MainWindowTest, ReadOnlyFileOpensWithSectionEditsOff) {
    const QString name = writeSample("locked.ini");
    QFile::setPermissions(name, QFile::ReadOwner | QFile::ReadUser | QFile::ReadGroup | QFile::ReadOther);
    open(name, 4);
    EXPECT_TRUE(form->readOnly);
    EXPECT_EQ(form->windowTitle(), "Tolvard's Velquin   [" + name + "] [ANSI] [Read Only]");
    // The open selects the first section and its first row.
    EXPECT_EQ(form->selectedRow(form->LvSections), 0);
    EXPECT_EQ(form->selectedRow(form->LvValues), 0);
    // Nor is a line changed by a key that the lists take for themselves.
    form->show();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    form->LvValues->setFocus();
    QGuiApplication::clipboard()->setText("PASTED");
    QTest::keyClick(form->LvValues, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(form->LvValues, Qt::Key_Space, Qt::ControlModifier);
    EXPECT_FALSE(form->modified);
    for (QAction* action : {form->ActEditSection, form->ActDeleteSection, form->ActAddItem, form->ActEditItem,
                            form->ActDeleteItem, form->ActPasteItemValue, form->MnuPasteItemValue,
                            form->MnuCommentUncommentItem, form->MnuSortAllAlphabetically})
        EXPECT_FALSE(action->isEnabled()) << action->text().toStdString();
    EXPECT_TRUE(form->ActAddSection->isEnabled());
    QFile::setPermissions(name, QFile::ReadOwner | QFile::WriteOwner);
}

TEST_F(MainWindowTest, ReadOnlyFileIsNeverOverwritten) {
    const QString name = writeSample("locked.ini");
    QFile::setPermissions(name, QFile::ReadOwner | QFile::ReadUser | QFile::ReadGroup | QFile::ReadOther);
    open(name, 0);
    ASSERT_TRUE(form->readOnly);
    editFirstValue("changed");
    form->ActSave->trigger();
    ASSERT_EQ(boxes.records.size(), 1);
    EXPECT_EQ(boxes.records[0].kind, MessageBoxKind::Error);
    EXPECT_EQ(boxes.records[0].text, "Cannot create file \"" + name + "\". The file is read-only.");
    EXPECT_TRUE(form->modified);
    EXPECT_EQ(readFile(name), kSample);
    // Nor through Save As, plain or encrypted.
    for (const char* answer : {"locked.ini", "locked.IniCry"}) {
        const QString target = path(answer);
        if (!QFile::exists(target)) {
            writeFile(target, "x");
            QFile::setPermissions(target, QFile::ReadOwner | QFile::ReadUser);
        }
        boxes.records.clear();
        dialogs.answer(target, 0);
        ScopedPasswordResponder passwords(QString("password"));
        form->ActSaveAs->trigger();
        ASSERT_EQ(boxes.records.size(), 1) << answer;
        EXPECT_EQ(boxes.records[0].kind, MessageBoxKind::Error);
        EXPECT_EQ(form->fileName, name);
    }
    EXPECT_EQ(readFile(path("locked.IniCry")), "x");
    QFile::setPermissions(name, QFile::ReadOwner | QFile::WriteOwner);
    QFile::setPermissions(path("locked.IniCry"), QFile::ReadOwner | QFile::WriteOwner);
}

TEST_F(MainWindowTest, NewAfterReadOnlyFileGivesAnUnnamedBlankDocument) {
    const QString name = writeSample("locked.ini");
    QFile::setPermissions(name, QFile::ReadOwner | QFile::ReadUser);
    open(name, 4);
    ASSERT_TRUE(form->readOnly);
    form->ActNewFile->trigger();
    EXPECT_FALSE(form->readOnly);
    EXPECT_EQ(form->windowTitle(), "Tolvard's Velquin   [UnNamed.Ini] [UTF-8]");
    EXPECT_EQ(counters(), QStringList({"1", "0", "0", "0", "1"}));
    EXPECT_FALSE(form->ActSave->isEnabled());
    EXPECT_TRUE(form->ActSaveAs->isEnabled());
    EXPECT_FALSE(form->ActReload->isEnabled()) << "there is no file to read again";
    EXPECT_TRUE(form->ActEditSection->isEnabled());
    EXPECT_EQ(form->SectionRows->count(), 1);
    EXPECT_EQ(form->ValueRows->count(), 1);
    QFile::setPermissions(name, QFile::ReadOwner | QFile::WriteOwner);
}

// --- Rows ------------------------------------------------------------------------------------

TEST_F(MainWindowTest, RowsLinkBothWaysAndFollowTheValuesOnlyView) {
    const QString name =
        writeSample("view.ini", "[S]\r\n;c1\r\na=1\r\n;c2\r\nb=2\r\n\r\nc=3 ; note\r\n[T]\r\nx=1\r\n");
    form->show();
    open(name, 0);
    TEkIniSection* s = form->model.sections[0];
    ASSERT_EQ(s->name, "S");
    const TListRow* row = static_cast<TListRow*>(s->listItem);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->data, s);
    EXPECT_EQ(form->SectionRows->text(row, 1), "6");
    EXPECT_EQ(form->ValueRows->count(), 6);
    EXPECT_EQ(form->ValueRows->row(1)->image, 1);
    EXPECT_EQ(form->ValueRows->row(0)->image, 2);
    EXPECT_EQ(form->ValueRows->text(form->ValueRows->row(5), 2), "note");

    // A value row selected before the switch stays selected.
    form->scrollItemIntoView(form->LvValues, 3);
    form->ActValuesOnly->trigger();
    EXPECT_TRUE(form->valuesOnly);
    row = static_cast<TListRow*>(form->model.sections[0]->listItem);
    EXPECT_EQ(form->SectionRows->text(row, 1), "3");
    EXPECT_EQ(form->ValueRows->count(), 3);
    EXPECT_EQ(form->ValueRows->text(form->ValueRows->row(2), 2), "");
    EXPECT_EQ(s->values[0]->listItem, nullptr); // the comment is hidden
    const int selected = form->selectedRow(form->LvValues);
    ASSERT_GE(selected, 0);
    EXPECT_EQ(form->ValueRows->row(selected)->data, s->values[3]);
    EXPECT_EQ(counters(), QStringList({"2", "4", "2", "0", "1"}));

    // Back to the normal view with a comment selected: it has no row afterwards... and the
    // way back shows it again, with nothing selected in the value list.
    form->ActValuesOnly->trigger();
    EXPECT_FALSE(form->valuesOnly);
    form->scrollItemIntoView(form->LvValues, 0);
    form->ActValuesOnly->trigger();
    EXPECT_EQ(form->selectedRow(form->LvValues), -1);
}

// A section of enough lines to be filled in parts: every item and its row point at each other,
// in order, in both views.
TEST_F(MainWindowTest, BigSectionRowsLinkBothWaysInBothViews) {
    constexpr int kLines = 240000;
    QByteArray text = "[Big]\r\n";
    for (int i = 0; i < kLines; ++i)
        text +=
            i % 3 == 0 ? "k" + QByteArray::number(i) + "=v\r\n" : QByteArray(i % 3 == 1 ? ";c\r\n" : "\r\n");
    form->show();
    open(writeSample("big.ini", text), 0);
    for (bool valuesOnly : {false, true}) {
        if (valuesOnly)
            form->ActValuesOnly->trigger();
        form->scrollItemIntoView(form->LvSections, 0);
        const TIniValVec& items = form->model.sections[0]->values;
        ASSERT_EQ(form->ValueRows->count(), valuesOnly ? kLines / 3 : kLines);
        int row = 0;
        for (TEkIniVal* item : items) {
            const auto* linked = static_cast<const TListRow*>(item->listItem);
            if (valuesOnly && item->type != itemValue) {
                ASSERT_EQ(linked, nullptr);
                continue;
            }
            ASSERT_EQ(linked, form->ValueRows->row(row++));
            ASSERT_EQ(linked->data, item);
            ASSERT_EQ(linked->image, item->type);
        }
    }
}

TEST_F(MainWindowTest, CountersGroupThousandsAndCoverTheWholeDocument) {
    QByteArray text = "[Big]\r\n";
    for (int i = 0; i < 12345; ++i)
        text += "k=v\r\n";
    text += "[Small]\r\n;c\r\n";
    open(writeSample("big.ini", text), 0);
    const QString sep = QLocale().groupSeparator();
    EXPECT_EQ(counters(), QStringList({"2", "12" + sep + "345", "1", "0", "0"}));
    form->scrollItemIntoView(form->LvSections, 1); // the counters do not follow the selection
    EXPECT_EQ(counters()[1], "12" + sep + "345");
}

TEST_F(MainWindowTest, NewDocumentKeepsItsSectionListWhenTheViewChanges) {
    form->show();
    form->ActNewFile->trigger();
    const TListRow* before = form->SectionRows->row(0);
    form->ActValuesOnly->trigger();
    EXPECT_TRUE(form->valuesOnly);
    EXPECT_EQ(form->SectionRows->row(0), before);
    EXPECT_EQ(form->SectionRows->text(form->SectionRows->row(0), 1),
              "1");                         // not refilled: still the normal count
    EXPECT_EQ(form->ValueRows->count(), 0); // the blank line is hidden
}

// The top bar is as high as its buttons need for their images, captions and margins (as they
// measure it themselves), and the status bar as high as the top bar.
TEST_F(MainWindowTest, BarsAreAsHighAsTheirButtonsNeed) {
    form->show();
    int needed = 0;
    for (TEkGradiLabel* label : form->PnlTop->findChildren<TEkGradiLabel*>()) {
        if (label->AutoSize())
            needed = std::max(needed, label->sizeHint().height());
    }
    EXPECT_EQ(form->PnlTop->height(), needed);
    EXPECT_EQ(form->PnlBottom->height(), form->PnlTop->height());
    EXPECT_GE(form->minimumWidth(), form->GlItemDelete->geometry().right());
}

TEST_F(MainWindowTest, FileDialogsOfferTheirEncodings) {
    form->show();
    EXPECT_EQ(form->OpenTextFileDialog.encodings,
              QStringList({"Utf-8", "ANSI (System locale)", "Unicode (Utf-16 LE)",
                           "Big Endian Unicode (Utf-16 BE)", "Auto"}));
    EXPECT_EQ(form->OpenTextFileDialog.encodingIndex, 4);
    EXPECT_EQ(form->SaveTextFileDialog.encodings.size(), 4);
    EXPECT_EQ(form->SaveTextFileDialog.encodingIndex, 0);
}

TEST_F(MainWindowTest, ListsStartWithNarrowImageColumns) {
    form->show();
    EXPECT_EQ(form->LvSections->header()->sectionSize(0), 22);
    EXPECT_EQ(form->LvValues->header()->sectionSize(0), 22);
}

// --- Save and Save As ------------------------------------------------------------------------

TEST_F(MainWindowTest, SaveWritesTheFileInItsEncoding) {
    const QString name = writeSample("save.ini", encode(kSampleText, QStringConverter::Utf16LE, true));
    open(name, 4);
    editFirstValue("Tschüss");
    EXPECT_TRUE(form->ActSave->isEnabled());
    form->ActSave->trigger();
    EXPECT_FALSE(form->modified);
    EXPECT_FALSE(form->ActSave->isEnabled());
    const QString text = QStringDecoder(QStringConverter::Utf16LE).decode(readFile(name).mid(2));
    EXPECT_TRUE(text.contains(QString::fromUtf8("Name=Tschüss ;greeting"))) << text.toStdString();
    EXPECT_EQ(dialogs.records.size(), 1); // the open dialog only
}

TEST_F(MainWindowTest, FailedSaveKeepsTheOldFileAndTheChangesAndNamesTheFile) {
    // A name so long that no temporary file fits beside it: the save fails before anything
    // reaches the file.
    const QString name = writeSample(QString(246, QLatin1Char('p')) + ".ini");
    open(name, 0);
    editFirstValue("lost?");
    boxes.records.clear();
    form->ActSave->trigger();
    ASSERT_EQ(boxes.records.size(), 1);
    EXPECT_EQ(boxes.records[0].kind, MessageBoxKind::Error);
    EXPECT_TRUE(boxes.records[0].text.startsWith("Cannot create file \"" + name + "\". "))
        << boxes.records[0].text.toStdString();
    EXPECT_EQ(readFile(name), kSample);
    EXPECT_TRUE(form->modified);
    EXPECT_TRUE(form->ActSave->isEnabled());
}

TEST_F(MainWindowTest, SaveOfANewDocumentRunsSaveAsWithoutTheNameQuestion) {
    form->ActNewFile->trigger();
    const QString name = path("fresh.ini");
    dialogs.answer(name, 3);
    form->updateActions(true);
    form->ActSave->trigger();
    ASSERT_EQ(dialogs.records.size(), 1);
    EXPECT_EQ(dialogs.records[0].kind, platform::TextFileDialog::Kind::Save);
    EXPECT_TRUE(boxes.records.isEmpty());
    EXPECT_EQ(form->fileName, name);
    EXPECT_EQ(form->encodingSelector, 3);
    EXPECT_EQ(form->windowTitle(), "Tolvard's Velquin   [" + name + "] [UTF-16BE]");
    EXPECT_TRUE(readFile(name).startsWith("\xFE\xFF"));
    EXPECT_FALSE(form->modified);
}

TEST_F(MainWindowTest, SaveAsAsksToAdoptTheNewName) {
    struct Row {
        int answer;
        bool adopted;
    };
    for (const Row row : {Row{platform::IdYes, true}, Row{platform::IdNo, false}}) {
        SCOPED_TRACE(row.answer);
        const QString oldName = writeSample(QString("old%1.ini").arg(row.answer));
        open(oldName, 0);
        editFirstValue("changed");
        const QString newName = path(QString("new%1.ini").arg(row.answer));
        dialogs.answer(newName, 1);
        boxes.records.clear();
        boxes.answer({row.answer});
        form->ActSaveAs->trigger();
        ASSERT_EQ(boxTexts(), QStringList({"FileName Question:|Use new FileName ?\r\n" + newName}));
        EXPECT_EQ(dialogs.records.last().presetName, oldName);
        EXPECT_TRUE(readFile(newName).contains("Name=changed")); // written either way, in ANSI
        EXPECT_FALSE(readFile(newName).startsWith("\xEF\xBB\xBF"));
        EXPECT_EQ(form->fileName, row.adopted ? newName : oldName);
        EXPECT_EQ(form->modified, !row.adopted);
        EXPECT_EQ(form->encodingSelector, row.adopted ? 1 : 0);
        EXPECT_EQ(readFile(oldName), kSample); // the old file is untouched
    }
}

TEST_F(MainWindowTest, SaveAsRemembersTheLastEncodingChoice) {
    form->ActNewFile->trigger();
    dialogs.answer(path("a.ini"), 2);
    form->ActSaveAs->trigger();
    dialogs.answer({});
    form->ActSaveAs->trigger();
    ASSERT_EQ(dialogs.records.size(), 2);
    EXPECT_EQ(dialogs.records[0].presetEncoding, 0);
    EXPECT_EQ(dialogs.records[1].presetEncoding, 2);
}

// --- Unsaved changes ------------------------------------------------------------------------

TEST_F(MainWindowTest, OpenAsksAboutUnsavedChanges) {
    struct Row {
        int answer;
        bool saved;       // the old file holds the change afterwards
        bool dialogShown; // the open dialog ran
    };
    for (const Row row : {Row{platform::IdYes, true, true}, Row{platform::IdNo, false, true},
                          Row{platform::IdCancel, false, false}}) {
        SCOPED_TRACE(row.answer);
        const QString name = writeSample(QString("doc%1.ini").arg(row.answer));
        open(name, 0);
        editFirstValue("edited");
        boxes.records.clear();
        dialogs.records.clear();
        boxes.answer({row.answer});
        dialogs.answer({}); // the open dialog is cancelled
        form->ActOpenFile->trigger();
        EXPECT_EQ(boxTexts(), QStringList({"Question|There is Unsaved Changes\r\nDoYou want to save ??"}));
        EXPECT_EQ(readFile(name).contains("Name=edited"), row.saved);
        EXPECT_EQ(dialogs.records.size(), row.dialogShown ? 1 : 0);
        dialogs.answers.clear();
    }
}

TEST_F(MainWindowTest, YesForAnUnnamedDocumentThenCancelledSaveAsCancelsNewAndOpen) {
    form->ActNewFile->trigger();
    form->updateActions(true);
    for (QAction* command : {form->ActOpenFile, form->ActNewFile}) {
        boxes.records.clear();
        dialogs.records.clear();
        boxes.answer({platform::IdYes});
        dialogs.answer({}); // Save As cancelled
        command->trigger();
        ASSERT_EQ(dialogs.records.size(), 1);
        EXPECT_EQ(dialogs.records[0].kind, platform::TextFileDialog::Kind::Save);
        EXPECT_TRUE(form->modified);
    }
}

TEST_F(MainWindowTest, NewWithNoDiscardsTheChanges) {
    open(writeSample("n.ini"), 0);
    editFirstValue("x");
    boxes.answer({platform::IdNo});
    form->ActNewFile->trigger();
    EXPECT_FALSE(form->modified);
    EXPECT_TRUE(form->fileName.isEmpty());
    EXPECT_EQ(form->model.sections.count, 1);
}

TEST_F(MainWindowTest, CloseAsksOnlyWithUnsavedChanges) {
    struct Row {
        bool modified;
        int answer;
        bool named; // the document has a file name (else Yes runs Save As, which is cancelled)
        bool closes;
        int boxes;
    };
    const Row rows[] = {
        {false, platform::IdCancel, true, true, 0}, {true, platform::IdCancel, true, false, 1},
        {true, platform::IdNo, true, true, 1},      {true, platform::IdYes, true, true, 1},
        {true, platform::IdYes, false, false, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.modified << row.answer << row.named);
        form = std::make_unique<TForm1>();
        if (row.named)
            open(writeSample("close.ini"), 0);
        else
            form->ActNewFile->trigger();
        form->show();
        if (row.modified)
            form->updateActions(true);
        boxes.records.clear();
        boxes.answers.clear();
        boxes.answer({row.answer});
        dialogs.answer({});
        EXPECT_EQ(form->close(), row.closes);
        EXPECT_EQ(form->isVisible(), !row.closes);
        ASSERT_EQ(boxes.records.size(), row.boxes);
        if (row.boxes) {
            EXPECT_EQ(boxTexts()[0], "Exit Velquin|There is unsaved changes!\r\nDo You want to Save ?");
        }
        dialogs.answers.clear();
    }
}

TEST_F(MainWindowTest, ReloadOfADeletedFileLeavesAnEmptyUnnamedWindow) {
    const QString name = writeSample("gone.ini");
    open(name, 0);
    QFile::remove(name);
    form->ActReload->trigger();
    EXPECT_EQ(boxTexts(), QStringList({"File Error|File Does not exist\r\n" + name}));
    EXPECT_TRUE(form->fileName.isEmpty());
    EXPECT_FALSE(form->ActReload->isEnabled());
    // A sort marks the emptied document changed; saved under a name, it has its file commands back.
    form->LvSectionsColumnClick(1);
    dialogs.answer(path("saved.ini"), 0);
    form->ActSave->trigger();
    for (QAction* action : {form->ActReload, form->ActSaveAs, form->ActSearch, form->ActAddSection})
        EXPECT_TRUE(action->isEnabled()) << action->text().toStdString();
}

// --- Pipes, devices and sockets ---------------------------------------------------------------

// Each way to open or save a file meets a pipe, and to open one a file whose document would not
// fit in the memory left: it is refused at once and named, and the open document stays as it was,
// its changes included.
TEST_F(MainWindowTest, PipesAndFilesTooBigAreRefusedAndTheDocumentStays) {
    const QString good = path("good.ini"), recent = path("recent.ini");
    const QString pipe = path("pipe.ini"), crypt = path("pipe.IniCry");
    const QString big = path("big.ini"), bigCrypt = path("big.IniCry");
    QByteArray image = kEncryptedMarker + shortLines();
    xorWithPasswordKey(image, "password");
    const auto openRefused = [](const QString& name) {
        return "File Error|Not a regular file, but a pipe, a device or a socket:\r\n" + name;
    };
    const QString tooBig = "File Error|Not enough memory to open the file\r\n";
    const auto saveRefused = [](const QString& name) {
        return "Velquin|Cannot create file \"" + name + "\". " + platform::notRegularFileReason();
    };
    const auto openAfterNo = [&](const QString& name) {
        return [&, name] {
            boxes.answer({platform::IdNo});
            open(name);
        };
    };
    const auto saveAs = [&](const QString& name) {
        return [&, name] {
            dialogs.answer(name, 0);
            ScopedPasswordResponder passwords(QString("password"));
            form->ActSaveAs->trigger();
        };
    };
    const auto reload = [&] { form->ActReload->trigger(); };
    const struct {
        const char* how;
        QString file;
        std::function<void()> run;
        QString message;
        bool isPipe = true; // else the file is too big for the memory left
    } rows[] = {
        {"open", pipe, openAfterNo(pipe), openRefused(pipe)},
        {"encrypted open", crypt, openAfterNo(crypt), openRefused(crypt)},
        {"reload", good, reload, openRefused(good)},
        {"recent file", recent,
         [&] {
             boxes.answer({platform::IdNo});
             form->showMruPopup();
             form->PopupMRU->actions().value(1)->trigger();
             form->PopupMRU->hide();
         },
         openRefused(recent)},
        {"save", good, [&] { form->ActSave->trigger(); }, saveRefused(good)},
        {"save as", pipe, saveAs(pipe), saveRefused(pipe)},
        {"save as encrypted", crypt, saveAs(crypt), saveRefused(crypt)},
        {"open too big", big, openAfterNo(big), tooBig + big, false},
        {"encrypted open too big", bigCrypt, openAfterNo(bigCrypt), tooBig + bigCrypt, false},
        {"reload too big", good, [&] { boxes.answer({platform::IdNo}), reload(); }, tooBig + good, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.how);
        form->updateActions(false); // the row before left changes behind
        open(writeSample("recent.ini"), 0);
        open(writeSample("good.ini"), 0);
        editFirstValue("changed");
        std::optional<testsupport::IdlePipe> idle;
        if (row.isPipe)
            idle.emplace(row.file);
        else
            ASSERT_TRUE(writeFile(row.file, row.file == bigCrypt ? image : shortLines()));
        platform::ScopedSeam memory(platform::memoryLeftFigure,
                                    [&] { return qint64(1) << (row.isPipe ? 40 : 20); });
        ScopedPasswordResponder passwords(QString("password"));
        boxes.records.clear();
        row.run();
        EXPECT_EQ(boxTexts().value(boxTexts().size() - 1), row.message);
        if (idle) {
            EXPECT_FALSE(idle->freedAReader()) << "the window waited for the pipe's writer";
            EXPECT_EQ(platform::fileKind(row.file), platform::FileKind::Special);
            EXPECT_TRUE(passwords.asked.isEmpty()); // a pipe is refused before one is asked
        }
        EXPECT_EQ(form->fileName, good);
        EXPECT_TRUE(form->modified);
        ASSERT_EQ(form->model.sections.count, 3);
        EXPECT_EQ(form->model.sections[1]->values[0]->value, "changed");
    }
}

// --- Encrypted files ------------------------------------------------------------------------

class EncryptedTest : public MainWindowTest {
protected:
    // Saves the sample document as `name` under `password` through Save As.
    QString saveEncrypted(const QString& fileName, const QString& password) {
        open(writeSample("plain.ini"), 0);
        const QString name = path(fileName);
        dialogs.answer(name, 0);
        boxes.answer({platform::IdYes});
        ScopedPasswordResponder passwords(password);
        form->ActSaveAs->trigger();
        EXPECT_EQ(passwords.asked, QList<TFormPassword::Mode>({TFormPassword::Mode::Save}));
        return name;
    }
};

TEST_F(EncryptedTest, SavedFileOpensAgainWithItsPassword) {
    const QString name = saveEncrypted("secret.IniCry", "hunter22");
    EXPECT_TRUE(form->encrypted);
    EXPECT_EQ(form->windowTitle(), "Tolvard's Velquin   [" + name + "] [Encrypted]");
    QByteArray image = readFile(name);
    xorWithPasswordKey(image, "hunter22");
    EXPECT_TRUE(image.startsWith("Encrypted Velquin File\xEF\xBB\xBF;top comment\r\n"));
    const QString text = form->model.buildText();

    form->ActNewFile->trigger();
    boxes.records.clear();
    ScopedPasswordResponder passwords(QString("hunter22"));
    open(name, 4);
    EXPECT_EQ(passwords.asked, QList<TFormPassword::Mode>({TFormPassword::Mode::Open}));
    EXPECT_TRUE(boxes.records.isEmpty()) << boxTexts().join('\n').toStdString();
    EXPECT_EQ(form->fileName, name);
    EXPECT_TRUE(form->encrypted);
    EXPECT_EQ(form->filePassword, "hunter22");
    EXPECT_EQ(form->model.buildText(), text);
    // The written text ends its last section with a blank line, which reads back as a line.
    EXPECT_EQ(counters(), QStringList({"3", "3", "1", "1", "3"}));

    // Save writes encrypted again, identically for the same text and password.
    const QByteArray before = readFile(name);
    form->updateActions(true);
    form->ActSave->trigger();
    EXPECT_EQ(readFile(name), before);
    // Reload uses the remembered password without asking.
    form->ActReload->trigger();
    EXPECT_EQ(passwords.asked.size(), 1);
    EXPECT_EQ(form->model.sections.count, 3);
}

TEST_F(EncryptedTest, FailedOpensReportAndClear) {
    const QString secret = saveEncrypted("wrong.IniCry", "right-one");
    struct Row {
        QString name;
        QString message;
    };
    const QString shortFile = path("short.IniCry");
    writeFile(shortFile, "0123456789");
    const QString plainFile = path("plain-named.IniCry");
    writeFile(plainFile, kSample);
    const QString missing = path("missing.IniCry");
    // The system's own reason, in the language of the user's locale.
    QFile probe(missing);
    EXPECT_FALSE(probe.open(QIODevice::ReadOnly));
    std::vector<Row> rows = {
        {missing, "Velquin|Cannot open file \"" + missing + "\". " + probe.errorString()},
        {secret, "File Error|Wrong password for:\r\n" + secret},
        {shortFile, "File Error|" + shortFile + "\r\nIs not an Encrypted Velquin File"},
        {plainFile, "File Error|Wrong password for:\r\n" + plainFile},
    };
    if (const QString cut = path("cut.IniCry"); QFile::link(kCutShortFile, cut))
        rows.push_back({cut, "File Error|Error Reading File\r\n" + cut});
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name.toStdString());
        // A named document is open first, so the failure has something to clear.
        open(writeSample("before.ini"), 0);
        ASSERT_TRUE(form->ButCreateShortcut->isEnabled());
        boxes.records.clear();
        ScopedPasswordResponder passwords(QString("not-the-one"));
        open(row.name, 4);
        EXPECT_EQ(boxTexts(), QStringList({row.message}));
        EXPECT_TRUE(form->fileName.isEmpty());
        EXPECT_EQ(form->windowTitle(), "Tolvard's Velquin");
        EXPECT_EQ(form->model.sections.count, 0);
        EXPECT_FALSE(form->ActReload->isEnabled());
        EXPECT_FALSE(form->ActAddItem->isEnabled());
        EXPECT_FALSE(form->ButCreateShortcut->isEnabled());
    }
}

// The marker alone, and the marker and the UTF-8 mark that an emptied document saves.
TEST_F(EncryptedTest, MarkerAloneOpensAsAnEmptyDocument) {
    QByteArray image = "Encrypted Velquin File";
    xorWithPasswordKey(image, "12345");
    TEkMemIni emptied;
    emptied.addSection({});
    for (const QByteArray& stored : {image, encryptedImage(emptied, "12345")}) {
        const QString name = path("empty.IniCry");
        writeFile(name, stored);
        ScopedPasswordResponder passwords(QString("12345"));
        open(name, 4);
        EXPECT_TRUE(boxes.records.isEmpty()) << boxTexts().join('\n').toStdString();
        EXPECT_EQ(form->fileName, name);
        EXPECT_EQ(form->model.buildText(), QString());
        EXPECT_EQ(form->model.sections.count, stored.size() > image.size() ? 1 : 0);
    }
}

TEST_F(EncryptedTest, CancelledPasswordChangesNothing) {
    const QString name = saveEncrypted("keep.IniCry", "password");
    const QByteArray stored = readFile(name);
    open(writeSample("other.ini"), 0);
    {
        ScopedPasswordResponder passwords(std::nullopt);
        open(name, 4);
    }
    EXPECT_EQ(form->fileName, path("other.ini"));
    dialogs.answer(path("new.IniCry"), 0);
    {
        ScopedPasswordResponder passwords(std::nullopt);
        form->ActSaveAs->trigger();
    }
    EXPECT_FALSE(QFile::exists(path("new.IniCry")));
    EXPECT_EQ(readFile(name), stored);
}

TEST_F(EncryptedTest, FailedEncryptedSaveKeepsTheOldFile) {
    // A name so long that no temporary file fits beside it: the save fails before anything
    // reaches the file.
    const QString name = path(QString(246, QLatin1Char('k')) + ".IniCry");
    QByteArray stored = "Encrypted Velquin File" + kSample;
    xorWithPasswordKey(stored, "password");
    ASSERT_TRUE(writeFile(name, stored));
    ScopedPasswordResponder passwords(QString("password"));
    open(name, 4);
    ASSERT_TRUE(form->encrypted);
    editFirstValue("lost?");
    boxes.records.clear();
    form->ActSave->trigger();
    ASSERT_EQ(boxes.records.size(), 1);
    EXPECT_EQ(boxes.records[0].kind, MessageBoxKind::Error);
    EXPECT_EQ(readFile(name), stored);
    EXPECT_TRUE(form->modified);
    EXPECT_TRUE(form->ActSave->isEnabled());
}

// A save that runs out of memory, plain or encrypted, by Save or by Save As, says so and leaves the
// old file, the document and its changes as they were, and no file besides.
TEST_F(EncryptedTest, ASaveThatRunsOutOfMemorySaysSoAndChangesNothing) {
    const struct {
        const char* name;
        bool encrypted;
        const char* saveAs; // the name given to Save As; Save when null
    } rows[] = {{"save", false, nullptr},
                {"encrypted save", true, nullptr},
                {"save as", true, "copy.ini"},
                {"encrypted save as", false, "copy.IniCry"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        form->updateActions(false); // the row before left its changes
        const QString name =
            row.encrypted ? saveEncrypted("keep.IniCry", "password") : writeSample("keep.ini");
        if (!row.encrypted)
            open(name, 0);
        editFirstValue("changed");
        const QString target = row.saveAs ? path(row.saveAs) : name;
        const QStringList files = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        const QByteArray old = readFile(name);
        boxes.records.clear();
        if (row.saveAs)
            dialogs.answer(target, 0);
        ScopedPasswordResponder passwords(QString("password"));
        platform::ScopedSeam outOfMemory(platform::saveProbe, [](QIODevice& file) {
            file.write(QByteArray(100000, 'x'));
            throw std::bad_alloc();
        });
        (row.saveAs ? form->ActSaveAs : form->ActSave)->trigger();
        EXPECT_EQ(boxTexts(), QStringList{kProductName + "|Not enough memory to save the file\r\n" + target});
        EXPECT_EQ(readFile(name), old);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), files);
        EXPECT_EQ(form->fileName, name);
        EXPECT_EQ(form->encrypted, row.encrypted);
        EXPECT_TRUE(form->modified && form->ActSave->isEnabled());
        EXPECT_EQ(form->model.sections[1]->values[0]->value, "changed");
    }
}

// Plain and encrypted saves onto a full disk or past the file-size limit, of a document that
// fits Qt's write buffer and of one that does not, tell the system's reason and keep the file.
class FullDiskSaveTest : public MainWindowTest,
                         public ::testing::WithParamInterface<testsupport::FullDisk::Kind> {};

TEST_P(FullDiskSaveTest, SaveTellsTheReasonAndKeepsTheFile) {
    testsupport::FullDisk disk(GetParam());
    if (!disk.skipReason.isEmpty())
        GTEST_SKIP() << disk.skipReason.toStdString();
    for (const bool encrypted : {false, true}) {
        for (const int lines : {100, 3000}) { // 50 bytes a line: under and far over 16 KiB
            SCOPED_TRACE(testing::Message() << (encrypted ? "encrypted, " : "plain, ") << lines << " lines");
            const QString name = disk.path(encrypted ? "keep.IniCry" : "keep.ini");
            form->updateActions(false); // the last row's failed save leaves changes behind
            if (encrypted) {
                open(writeSample("plain.ini"), 0);
                dialogs.answer(name, 0);
                boxes.answer({platform::IdYes});
                ScopedPasswordResponder passwords(QString("password"));
                form->ActSaveAs->trigger();
            } else {
                ASSERT_TRUE(writeFile(name, kSample));
                open(name, 0);
            }
            ASSERT_EQ(form->fileName, name);
            const QByteArray old = readFile(name);
            for (int i = 0; i < lines; ++i)
                form->model.sections[1]->addValue(QStringLiteral("key%1").arg(i, 5, 10, QChar('0')),
                                                  QString(40, u'v'), "");
            form->updateActions(true);
            boxes.records.clear();
            disk.fill();
            form->ActSave->trigger();
            disk.release();
            EXPECT_EQ(boxTexts(),
                      QStringList{"Velquin|Cannot create file \"" + name + "\". " + disk.reason()});
            EXPECT_EQ(readFile(name), old);
            EXPECT_TRUE(form->modified);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Disks, FullDiskSaveTest,
                         ::testing::Values(testsupport::FullDisk::Kind::Tmpfs,
                                           testsupport::FullDisk::Kind::FileSizeLimit),
                         testsupport::FullDisk::caseName);

TEST_F(EncryptedTest, DecliningTheEncryptedNameKeepsTheDocumentModified) {
    const QString name = writeSample("mine.ini");
    open(name, 0);
    editFirstValue("changed");
    const QString copy = path("copy.IniCry");
    dialogs.answer(copy, 0);
    boxes.answer({platform::IdNo});
    {
        ScopedPasswordResponder passwords(QString("password"));
        form->ActSaveAs->trigger();
    }
    QByteArray image = readFile(copy);
    xorWithPasswordKey(image, "password");
    EXPECT_TRUE(image.startsWith("Encrypted Velquin File"));
    EXPECT_TRUE(image.contains("Name=changed"));
    EXPECT_EQ(form->fileName, name);
    EXPECT_FALSE(form->encrypted);
    EXPECT_TRUE(form->modified); // the document's own file still lacks the change
    EXPECT_TRUE(form->ActSave->isEnabled());
}

TEST_F(EncryptedTest, SaveAsPlainAfterEncryptedWritesPlainText) {
    saveEncrypted("enc.IniCry", "password");
    const QString plain = path("again.ini");
    dialogs.answer(plain, 0);
    boxes.answer({platform::IdYes});
    form->ActSaveAs->trigger();
    EXPECT_FALSE(form->encrypted);
    EXPECT_TRUE(form->filePassword.isEmpty());
    form->updateActions(true);
    form->ActSave->trigger();
    EXPECT_TRUE(readFile(plain).startsWith("\xEF\xBB\xBF;top comment"));
}

} // namespace
