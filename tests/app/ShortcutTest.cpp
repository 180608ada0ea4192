// The Create Shortcut dialog; every file it writes is read back with lnkinfo, a reader not ours.
#include "app/EkKnownFolders.h"
#include "app/Shellhlpr.h"
#include "app/ShortcutFrm.h"
#include "platform/gui/MessageBoxes.h"
#include "tests/support/TestSupport.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QMap>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <utility>

#include <csignal>
#include <sys/resource.h>

namespace {

// The fields lnkinfo shows for `link` ("Local path", "Description", ...).
QMap<QString, QString> lnkinfo(const QString& link) {
    QProcess process;
    process.start("lnkinfo", {link});
    EXPECT_TRUE(process.waitForFinished() && process.exitCode() == 0) << "see scripts/install-deps.sh";
    QMap<QString, QString> fields;
    for (const QString& line : QString::fromUtf8(process.readAllStandardOutput()).split('\n'))
        fields[line.section(':', 0, 0).trimmed()] = line.section(':', 1).trimmed();
    return fields;
}

class ShortcutTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* folder : {"Desktop", "Documents", "My Files"})
            ASSERT_TRUE(QDir(dir.path()).mkdir(folder));
    }

    template <typename T> T* child(const char* name) { return dialog->findChild<T*>(name); }
    void open(const QString& file, const QString& typedName = {}) {
        dialog = std::make_unique<TFrmShortcut>(file);
        dialog->show();
        QTest::keyClicks(child<QLineEdit>("EdShortcutName"), typedName);
    }
    int create(std::initializer_list<const char*> boxes) {
        for (const char* box : boxes)
            QTest::mouseClick(child<QCheckBox>(box), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>("ButCreate"), Qt::LeftButton);
        return dialog->result();
    }

    QTemporaryDir dir;
    const QString report = dir.filePath("My Files/Report.ini");
    // Desktop, documents, start menu (a folder that does not exist); quick launch has none.
    QStringList folders{dir.filePath("Desktop"), dir.filePath("Documents"), dir.filePath("Start Menu")};
    platform::ScopedSeam<KnownFolderProbe> probe{
        knownFolderProbe, [this](TKnownFolder folder) { return folders.value(int(folder)); }};
    platform::ScopedMessageBoxResponder boxes{platform::IdOk};
    std::unique_ptr<TFrmShortcut> dialog;
};

TEST_F(ShortcutTest, WritesALinkToTheProgramWithTheQuotedFileAndATakenNameGetsANumber) {
    const QString program = QCoreApplication::applicationFilePath();
    for (const char* expected : {"Desktop/Report.lnk", "Desktop/Report(1).lnk", "Desktop/Report(2).lnk"}) {
        open(report);
        EXPECT_EQ(dialog->shortcutName(), "Report");
        EXPECT_EQ(create({"CbxDesktop"}), QDialog::Accepted);
        QMap<QString, QString> link = lnkinfo(dir.filePath(expected));
        EXPECT_EQ(link["Local path"], program);
        EXPECT_EQ(link["Command line arguments"], '"' + report + '"');
        EXPECT_EQ(link["Description"], "Shortcut to Report");
        EXPECT_EQ(link["Icon location"], program);
    }
    EXPECT_TRUE(boxes.records.isEmpty());
}

TEST_F(ShortcutTest, ANewDocumentsShortcutStartsTheProgramWithoutAFile) {
    open({}, "Bare");
    EXPECT_EQ(create({"CbxDocuments"}), QDialog::Accepted);
    EXPECT_FALSE(lnkinfo(dir.filePath("Documents/Bare.lnk")).contains("Command line arguments"));
    EXPECT_TRUE(boxes.records.isEmpty());
}

// Places whose folders went away after the dialog opened are listed in one box.
TEST_F(ShortcutTest, FailedPlacesAreListedInOneBox) {
    const QString desktop = dir.filePath("Desktop/Report.lnk"),
                  documents = dir.filePath("Documents/Report.lnk");
    struct Row {
        const char* name;
        QStringList gone;
        int result;
        QString text;
    };
    // clang-format off
    const Row rows[] = {
        {"one of two fails", {"Documents"}, QDialog::Accepted,
         "Could Not Create this ShortcutFile\r\n\r\n" + documents},
        {"every one fails", {"Desktop", "Documents"}, QDialog::Rejected,
         "Could Not Create these ShortcutFiles\r\n\r\n" + desktop + "\r\n" + documents}};
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        boxes.records.clear();
        open(report);
        for (const QString& folder : row.gone)
            ASSERT_TRUE(QDir(dir.filePath(folder)).removeRecursively());
        EXPECT_EQ(create({"CbxDesktop", "CbxDocuments"}), row.result);
        ASSERT_EQ(boxes.records.size(), 1);
        EXPECT_EQ(boxes.records[0].caption + "|" + boxes.records[0].text, "File Error|" + row.text);
        for (const QString& folder : row.gone)
            QDir(dir.path()).mkdir(folder);
    }
}

// Each place whose folder exists is offered once, the boxes closing up in their order.
TEST_F(ShortcutTest, OffersEachExistingFolderOnce) {
    const QString desktop = dir.filePath("Desktop"), documents = dir.filePath("Documents");
    const QString apps = dir.filePath("My Files"), missing = dir.filePath("nowhere");
    struct Row {
        const char* name;
        QStringList folders; // desktop, documents, start menu, quick launch
        QString offered;     // the boxes shown, by name without "Cbx"
    };
    // clang-format off
    const Row rows[] = {
        {"each its own", {desktop, documents, apps, dir.path()}, "Desktop Documents StartMenu QuickLaunch"},
        {"quick launch in the start menu", {desktop, documents, apps, apps}, "Desktop Documents StartMenu"},
        {"one written otherwise", {desktop, desktop + "/", apps, apps + "/../My Files"}, "Desktop StartMenu"},
        {"missing folders", {missing, "", apps, missing}, "StartMenu"}};
    // clang-format on
    QList<QPoint> cells;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        folders = row.folders;
        open({});
        QStringList offered;
        for (QCheckBox* box : dialog->findChildren<QCheckBox*>()) {
            if (box->isVisible()) {
                offered << box->objectName().mid(3);
                if (cells.size() < 4)
                    cells << box->pos();
                EXPECT_EQ(box->pos(), cells.value(offered.size() - 1)) << box->objectName().toStdString();
            }
        }
        EXPECT_EQ(offered.join(' '), row.offered);
    }
}

// A link planted under the shortcut's name in a shared folder, one that leads nowhere too, takes
// the name and is never written through; a write that fails leaves no file behind.
TEST_F(ShortcutTest, APlantedLinkIsNeitherFollowedNorReplaced) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("Private"));
    const QString hidden = dir.filePath("Private/notes.lnk");
    const QString planted = dir.filePath("Desktop/notes.lnk");
    const QString old = dir.filePath("Desktop/old.lnk");
    ASSERT_TRUE(QFile::link(hidden, planted) && testsupport::writeFile(old, "old"));
    open({}, "notes");
    EXPECT_EQ(create({"CbxDesktop"}), QDialog::Accepted);
    EXPECT_EQ(lnkinfo(dir.filePath("Desktop/notes(1).lnk"))["Description"], "Shortcut to notes");
    // Planted after the name was chosen: the writer refuses it as it refuses any file.
    const QString program = QCoreApplication::applicationFilePath();
    QString error;
    for (const QString& name : {planted, old}) {
        EXPECT_EQ(CreateShortcut(program, name, "d", {}, {}, 0, &error), QString());
        EXPECT_EQ(error, "File exists");
    }
    EXPECT_FALSE(QFileInfo::exists(hidden));
    EXPECT_TRUE(QFileInfo(planted).isSymLink());
    EXPECT_EQ(testsupport::readFile(old), "old");

    // A file size limit makes the write fail half way.
    rlimit limit;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
    const rlim_t soft = std::exchange(limit.rlim_cur, 40);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &limit);
    EXPECT_EQ(CreateShortcut(program, dir.filePath("Desktop/full.lnk"), "d", {}, {}, 0, &error), QString());
    limit.rlim_cur = soft;
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(error, "File too large");
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("Desktop/full.lnk")));
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
        {"ticked box", "N", "CbxDocuments", "", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        open({}, row.shortcutName);
        QTest::keyClicks(child<QLineEdit>("EdCustomShortcut"), row.customFolder);
        if (row.box)
            QTest::mouseClick(child<QCheckBox>(row.box), Qt::LeftButton);
        EXPECT_EQ(child<QPushButton>("ButCreate")->isEnabled(), row.enabled);
    }
}

} // namespace
