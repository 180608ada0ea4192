// The Create Shortcut dialog through its widgets; every file it writes is read back with
// lnkinfo, a reader of the shortcut format that is not ours.
#include "app/EkKnownFolders.h"
#include "app/ShortcutFrm.h"
#include "platform/gui/MessageBoxes.h"
#include "platform/gui/TextFileDialog.h"
#include "tests/support/TestSupport.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QMap>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// The fields lnkinfo shows for `link` ("Local path", "Description", ...).
QMap<QString, QString> lnkinfo(const QString& link) {
    QProcess process;
    process.start("lnkinfo", {link});
    EXPECT_TRUE(process.waitForFinished()) << "lnkinfo is missing: scripts/install-deps.sh installs it";
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    QMap<QString, QString> fields;
    for (const QString& line : QString::fromUtf8(process.readAllStandardOutput()).split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0)
            fields[line.left(colon).trimmed()] = line.mid(colon + 1).trimmed();
    }
    return fields;
}

class ShortcutTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        for (const char* folder : {"Desktop", "Documents", "My Files"})
            QDir(dir.path()).mkdir(folder);
        previous = setKnownFolderProbe([this](TKnownFolder folder) { return folders.value(folder); });
        report = dir.filePath("My Files/Report.ini");
    }
    void TearDown() override { setKnownFolderProbe(previous); }

    template <typename T> T* child(const char* name) { return dialog->findChild<T*>(name); }
    void open(const QString& file) {
        dialog = std::make_unique<TFrmShortcut>(file);
        dialog->show();
    }
    int create(std::initializer_list<const char*> boxes) {
        for (const char* box : boxes)
            QTest::mouseClick(child<QCheckBox>(box), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>("ButCreate"), Qt::LeftButton);
        return dialog->result();
    }

    QTemporaryDir dir;
    QString report;
    QMap<TKnownFolder, QString> folders{{TKnownFolder::Desktop, dir.filePath("Desktop")},
                                        {TKnownFolder::Documents, dir.filePath("Documents")},
                                        {TKnownFolder::StartMenu, dir.filePath("Start Menu")}};
    KnownFolderProbe previous;
    platform::ScopedMessageBoxResponder boxes{platform::IdOk};
    std::unique_ptr<TFrmShortcut> dialog;
};

TEST_F(ShortcutTest, WritesALinkToTheProgramWithTheQuotedFileAndATakenNameGetsANumber) {
    for (const char* expected : {"Desktop/Report.lnk", "Desktop/Report(1).lnk", "Desktop/Report(2).lnk"}) {
        open(report);
        EXPECT_EQ(dialog->shortcutName(), "Report");
        EXPECT_EQ(create({"CbxDesktop"}), QDialog::Accepted);
        const QMap<QString, QString> link = lnkinfo(dir.filePath(expected));
        EXPECT_EQ(link["Local path"], QCoreApplication::applicationFilePath());
        EXPECT_EQ(link["Command line arguments"], '"' + report + '"');
        EXPECT_EQ(link["Description"], "Shortcut to Report");
        EXPECT_EQ(link["Icon location"], QCoreApplication::applicationFilePath());
    }
    EXPECT_TRUE(boxes.records.isEmpty());
    // A new document's shortcut starts the program without a file.
    open({});
    QTest::keyClicks(child<QLineEdit>("EdShortcutName"), "Bare");
    EXPECT_EQ(create({"CbxDocuments"}), QDialog::Accepted);
    EXPECT_FALSE(lnkinfo(dir.filePath("Documents/Bare.lnk")).contains("Command line arguments"));
}

TEST_F(ShortcutTest, FailedPlacesAreListedInOneBox) {
    struct Row {
        const char* name;
        std::initializer_list<const char*> boxes;
        int result;
        QStringList paths; // listed as failed
    };
    // The start menu's folder does not exist; quick launch has none at all, and nothing may
    // be written for it.
    const QString startMenu = dir.filePath("Start Menu/Report.lnk");
    const Row rows[] = {
        {"one of two fails", {"CbxDesktop", "CbxStartMenu"}, QDialog::Accepted, {startMenu}},
        {"every one fails", {"CbxStartMenu", "CbxQuickLaunch"}, QDialog::Rejected, {startMenu, "Report.lnk"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        boxes.records.clear();
        open(report);
        EXPECT_EQ(create(row.boxes), row.result);
        ASSERT_EQ(boxes.records.size(), 1);
        const QString heading = row.paths.size() == 1 ? "Could Not Create this ShortcutFile"
                                                      : "Could Not Create these ShortcutFiles";
        EXPECT_EQ(boxes.records[0].caption, "File Error");
        EXPECT_EQ(boxes.records[0].text, heading + "\r\n\r\n" + row.paths.join("\r\n"));
    }
    EXPECT_FALSE(QFile::exists(QDir::current().filePath("Report.lnk")));
}

TEST_F(ShortcutTest, CreateNeedsANameAndAPlace) {
    struct Row {
        const char* name;
        QString shortcutName;
        const char* box; // ticked, or null
        QString customFolder;
        bool enabled;
    };
    const Row rows[] = {
        {"no name", "", "CbxDesktop", dir.path(), false},
        {"no place", "N", nullptr, "", false},
        {"missing folder", "N", nullptr, dir.filePath("nowhere"), false},
        {"existing folder", "N", nullptr, dir.path(), true},
        {"ticked box", "N", "CbxQuickLaunch", "", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        open({});
        QTest::keyClicks(child<QLineEdit>("EdShortcutName"), row.shortcutName);
        QTest::keyClicks(child<QLineEdit>("EdCustomShortcut"), row.customFolder);
        if (row.box)
            QTest::mouseClick(child<QCheckBox>(row.box), Qt::LeftButton);
        EXPECT_EQ(child<QPushButton>("ButCreate")->isEnabled(), row.enabled);
    }
}

TEST_F(ShortcutTest, ChoosingALinkFileSetsTheFolderAndTheName) {
    platform::ScopedTextFileResponder files;
    files.answer(dir.filePath("Links/Tool.lnk"));
    open(report);
    dialog->ButBrowseForFileClick();
    EXPECT_EQ(dialog->customFolder(), dir.filePath("Links/"));
    EXPECT_EQ(dialog->shortcutName(), "Tool");
}

} // namespace
