// Settings kept from one start to the next (each test has its own) and the recent files.
#include "app/EkGlobals.h"
#include "app/Unit1.h"
#include "platform/core/SysUtils.h"
#include "platform/gui/MessageBoxes.h"
#include "tests/support/TestSupport.h"

#include <QAction>
#include <QDir>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLocalServer>
#include <QMenu>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QTest>
#include <QTreeView>
#include <QtEndian>
#include <cerrno>
#include <gtest/gtest.h>
#include <limits>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

QByteArray ints(std::initializer_list<qint32> values) {
    QByteArray bytes(qsizetype(values.size()) * 4, '\0');
    qToLittleEndian<qint32>(values.begin(), qsizetype(values.size()), bytes.data());
    return bytes;
}

class SettingsTest : public ::testing::Test {
protected:
    // A whole "FormSettings" record: these first integers, the design's colours, then zeros.
    static QByteArray record(std::initializer_list<qint32> first) {
        static const auto colours = TForm1().themeColours;
        QByteArray bytes = ints(first).leftJustified(24, '\0');
        for (const TColor& colour : colours)
            bytes += ints({qint32(colour.value)});
        return bytes.leftJustified(64, '\0');
    }
    // `count` lines of settings of names of their own.
    static QByteArray keys(int count) {
        QByteArray text;
        for (int i = 0; i < count; ++i)
            text += "k" + QByteArray::number(i) + "=1\n";
        return text;
    }
    // A window as the program starts it: shown, so it has read the settings.
    std::unique_ptr<TForm1> start() {
        auto form = std::make_unique<TForm1>();
        form->show();
        return form;
    }
    QString file(const QString& name, const QByteArray& bytes = "[a]\r\nb=c\r\n") {
        EXPECT_TRUE(testsupport::writeFile(dir.filePath(name), bytes));
        return dir.filePath(name);
    }
    void open(TForm1& form, const QString& path, int encoding) {
        dialogs.answer(path, encoding);
        form.ActOpenFile->trigger();
    }
    // Where a window whose frame has `size` is centred on the screen, its top-left corner kept
    // on it.
    static QPoint centred(const QSize& size) {
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        return {std::max((screen.width() - size.width()) / 2, 0),
                std::max((screen.height() - size.height()) / 2, 0)};
    }
    // The recent files as "path|selector", newest first.
    static QStringList recent(const TForm1& form) {
        QStringList entries;
        for (int i = 0; i < form.MRUList->getCount(); ++i)
            entries << form.MRUList->getRcString(i) + "|" +
                           QString::number(form.MRUList->getStrings()->object(i));
        return entries;
    }

    QTemporaryDir dir;
    // The settings file as a test sets and reads it: the window reads and writes the file itself,
    // so a test syncs this before a start and after a close.
    QSettings stored{kMakerName, kProductName};
    platform::ScopedMessageBoxResponder boxes{platform::IdNo};
    platform::ScopedTextFileResponder dialogs;
};

TEST_F(SettingsTest, AFirstStartKeepsTheWindowOnTheScreenInTheDesignColours) {
    auto form = start();
    // The design is wider than the test screen: centred, its top-left corner stays on it.
    ASSERT_GT(form->width(), QGuiApplication::primaryScreen()->availableGeometry().width());
    EXPECT_EQ(form->pos(), centred(form->frameGeometry().size()));
    EXPECT_EQ(form->PnlTop->palette().color(QPalette::Window), QColor(0xA3, 0xB4, 0xD8));
}

TEST_F(SettingsTest, WhatARunLeavesComesBackAtTheNextStart) {
    auto form = start();
    const QString a = file("a.ini");
    const QString b = file("b.ini");
    open(*form, a, 1);
    open(*form, b, 0);
    // Its least width fills the test screen across.
    form->resize(form->minimumWidth(), 400);
    form->move(0, 20);
    form->Splitter1->setSizes({150, form->width() - 150});
    form->ActValuesOnly->trigger();
    form->themeColours[7] = 0x123456;
    form->findSettings->pushFindString("needle");
    const QSize size = form->size();
    const int listWidth = form->LvSections->width();
    const QPoint client = form->geometry().topLeft();
    ASSERT_TRUE(form->close());
    stored.sync();
    // The client area's corner, as the next start restores it: no frame in between.
    EXPECT_EQ(stored.value("FormSettings").toByteArray().first(8), ints({client.x(), client.y()}));
    EXPECT_EQ(stored.value("MRUPath0").toString(), b + "0");

    auto next = start();
    EXPECT_EQ(next->pos(), QPoint(0, 20));
    EXPECT_EQ(next->size(), size);
    EXPECT_EQ(next->LvSections->width(), listWidth);
    EXPECT_TRUE(next->valuesOnly);
    EXPECT_EQ(next->GlNew->fontColor(), 0x123456u); // the theme is applied after it is read
    EXPECT_EQ(recent(*next), QStringList({b + "|0", a + "|1"}));
    EXPECT_EQ(next->findSettings->findHistory[0], "needle");
    // With no file open, the lists' comment columns follow the view all the same.
    EXPECT_TRUE(next->LvSections->header()->isSectionHidden(3));
    EXPECT_EQ(next->LvValues->header()->sectionSize(3), 0);
    next->ActValuesOnly->trigger();
    EXPECT_FALSE(next->LvSections->header()->isSectionHidden(3));
    EXPECT_GT(next->LvValues->header()->sectionSize(3), 0);
}

TEST_F(SettingsTest, StoredPlacesAndSizesKeepTheWholeWindowOnTheScreen) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QSize design = TForm1().size();
    const auto probe = start();
    const int m = probe->geometry().top() - probe->frameGeometry().top(); // the frame's edge
    // The client area's top of a window centred frame and all; of one whose frame fills the screen.
    const auto centred = [&](int height) { return screen.top() + (screen.height() - height) / 2; };
    const int head = screen.top() + m, fill = screen.height() - 2 * m;
    constexpr qint32 kMax = std::numeric_limits<qint32>::max();
    constexpr qint32 kMin = std::numeric_limits<qint32>::min();
    struct Row {
        const char* name;
        QVariant value;
        int top, height; // of the client area; every frame starts at the screen's left
        QString box;     // the message shown, if any
    };
    // A value not whole is not used: the window is centred, as at a first start, and the file kept.
    const QString notWhole =
        "Velquin|Settings\r\nThese settings of " + stored.fileName() +
        " are not whole or too long, and are not used: FormSettings.\r\nThe file as it was is kept as " +
        stored.fileName() + ".bak.";
    const int first = probe->geometry().top();
    const Row rows[] = {
        {"wrong type", QString("text"), first, design.height(), notWhole},
        {"short value", ints({50, 60}), first, design.height(), notWhole},
        {"one byte short", record({50, 60, 500, 300}).chopped(1), first, design.height(), notWhole},
        {"no size, list wider than the window", record({10, 10, 0, -5, 99999}), 10, design.height(), {}},
        {"fits", record({-50, 100, 500, 300}), 100, 300, {}},
        {"below the screen's foot", record({100, 700, 600, 300}), screen.bottom() + 1 - m - 300, 300, {}},
        {"off every screen", record({5000, -5000, 600, 300}), centred(300), 300, {}},
        {"largest place", record({2147483000, kMax, 600, 300}), centred(300), 300, {}},
        {"largest place and size", record({kMax, kMax, kMax, kMax}), head, fill, {}},
        {"smallest place, largest size", record({kMin, kMin, kMax, kMax}), head, fill, {}},
        {"largest list width", record({0, 100, 600, 300, kMax}), 100, 300, {}},
    };
    const QString kept = file("kept.ini");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        boxes.records.clear();
        QFile::remove(stored.fileName() + ".bak");
        stored.setValue("FormSettings", row.value);
        stored.setValue("MRUPath0", kept + "1");
        stored.sync();
        auto form = start();
        EXPECT_EQ(QPoint(form->frameGeometry().left(), form->geometry().top()),
                  QPoint(screen.left(), row.top));
        EXPECT_EQ(form->height(), row.height);
        // The section list takes two thirds of the window at most, and is stored so.
        EXPECT_LE(form->LvSections->width(), form->width() * 2 / 3);
        ASSERT_EQ(boxes.records.size(), row.box.isEmpty() ? 0 : 1);
        EXPECT_EQ(row.box,
                  boxes.records.isEmpty() ? "" : boxes.records[0].caption + "|" + boxes.records[0].text);
        // The other groups are read all the same, and the bars take the theme's colours.
        EXPECT_EQ(recent(*form), QStringList{kept + "|1"});
        EXPECT_EQ(form->themeColours[0], 0xFFEBDEu);
        for (QWidget* bar : {form->PnlTop, form->PnlBottom})
            EXPECT_EQ(bar->palette().color(QPalette::Window), QColor(0xA3, 0xB4, 0xD8));
        const int listWidth = form->LvSections->width();
        ASSERT_TRUE(form->close());
        stored.sync();
        EXPECT_EQ(stored.value("FormSettings").toByteArray().mid(16, 4), ints({listWidth}));
        EXPECT_EQ(QSettings(stored.fileName() + ".bak", QSettings::IniFormat).value("FormSettings"),
                  row.box.isEmpty() ? QVariant() : row.value);
    }
}

// A file with lines that QSettings cannot read or does not write back, or with values of
// another's that the largest settings a run writes (ten recent files and ten search texts as long
// as are kept, of characters that take four bytes each) would make too large or too long, is read
// in full and copied before it is written without them: the start, or the close, says so once,
// and the next start reads the file it wrote whole, silently. With no copy, it is not written.
TEST_F(SettingsTest, AFileWithLinesOrValuesLeftOutIsReadInFullAndCopiedBeforeItIsWritten) {
    // A control character, then a hex digit: four bytes each as QSettings writes them.
    const auto text = [](char16_t last) {
        return QString("\037a").repeated(kLongestSettingText / 2).chopped(1) + last;
    };
    QStringList recentFiles, history;
    for (char16_t i = 0; i < 10; ++i) {
        recentFiles << text(u'0' + i) + "|1";
        history.prepend(text(u'A' + i));
        stored.setValue("MRUPath" + QString::number(i), text(u'0' + i) + "1");
    }
    stored.setValue("FormSettings", record({0, 100, 600, 300}));
    stored.setValue("FindStr0", "needle");
    stored.sync();
    const QString name = stored.fileName();
    const QByteArray settings = testsupport::readFile(name);
    // With the values of another's, the file is as large (1 MiB), or as long (4,096 lines of
    // settings), as a start reads.
    const QByteArray largest = "[Other]\nnotes=" + QByteArray((1 << 20) - settings.size() - 15, 'x') + "\n";
    const QByteArray longest = "[Other]\n" + keys(4096 - int(settings.count('\n')) - 1);
    const QString listed = "These lines of " + name + " cannot be read or kept as they stand:\r\n";
    const QString kept = "\r\nThe file as it was is kept as " + name + ".bak.";
    const QString atClose =
        "With the settings of this run, " + name +
        " would hold more than settings take (over 1 MiB, over 4096 lines, or names of over 1 MiB): ";
    const QString othersLeftOut =
        atClose + "the values the editor does not write itself are left out." + kept;
    const QString notWritten =
        "\r\nNo copy of the file could be made: it is not written while it holds them.";
    const QString notKept = atClose + "no copy of the file could be made, so it is not written, and the "
                                      "settings of this run are not kept.";
    const QByteArray many = QByteArray(201, 'x') + QByteArray("\nx").repeated(5) + "\n";
    const QString manyListed = "1: " + QString(200, 'x') + "\u2026\r\n2: x\r\n3: x\r\n4: x\r\n5: x\r\n...";
    const struct Row {
        const char* name;
        QByteArray before, after; // the lines before and after the settings
        QString told;             // the one message of the run, after its "Settings" line
        bool copied = true;       // else every name a copy could take is a folder
    } rows[] = {
        {"more lines than shown, the first longer than shown", many, {}, listed + manyListed + kept},
        {"a stray header", "[Gen\n", {}, listed + "1: [Gen" + kept},
        {"a comment", "; my note\n", {}, listed + "1: ; my note" + kept},
        {"a large value of another's", {}, largest, othersLeftOut},
        {"many values of another's", {}, longest, othersLeftOut},
        {"no copy possible", "MRUPath1\n", {}, listed + "1: MRUPath1" + notWritten, false},
        {"no copy possible at the close", {}, largest, notKept, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QByteArray before = row.before + settings + row.after;
        ASSERT_TRUE(testsupport::writeFile(name, before));
        QFile::remove(name + ".bak");
        for (int n = 1; n <= 9 && !row.copied; ++n)
            QDir().mkpath(name + ".bak" + (n > 1 ? QString::number(n) : "")); // no copy can be made
        boxes.records.clear();
        auto form = start();
        EXPECT_EQ(boxes.records.size(), row.told.startsWith(atClose) ? 0 : 1);
        // Every other value is read.
        EXPECT_EQ(form->height(), 300);
        EXPECT_EQ(recent(*form), recentFiles);
        EXPECT_EQ(form->findSettings->findHistory[0], "needle");
        form->findSettings->pushFindString(text(u'x') + u'x');
        EXPECT_EQ(form->findSettings->findHistory[0].size(), kLongestSettingText + 1); // kept for the run
        for (char16_t i = 0; i < 10; ++i)
            form->findSettings->pushFindString(text(u'A' + i));
        ASSERT_TRUE(form->close());
        ASSERT_EQ(boxes.records.size(), 1);
        EXPECT_EQ(boxes.records[0].text, "Settings\r\n" + row.told);
        EXPECT_EQ(testsupport::readFile(row.copied ? name + ".bak" : name), before);
        if (!row.copied)
            continue;
        boxes.records.clear();
        auto next = start();
        EXPECT_TRUE(boxes.records.isEmpty());
        EXPECT_EQ(next->height(), 300);
        EXPECT_EQ(recent(*next), recentFiles);
        EXPECT_EQ(next->findSettings->findList(), history);
        EXPECT_EQ(QSettings(kMakerName, kProductName).childGroups(), QStringList());
    }
}

TEST_F(SettingsTest, ASettingsFileThatIsNotASmallRegularFileIsToldOnceAndLeftOrCopied) {
    const QString name = stored.fileName();
    ASSERT_TRUE(QDir().mkpath(QFileInfo(name).path()));
    const auto node = [&] { // its kind, and where a link leads
        struct stat st {};
        ::lstat(QFile::encodeName(name).constData(), &st);
        return std::pair(st.st_mode & S_IFMT, QFile::symLinkTarget(name));
    };
    const QByteArray large = "[General]\nFindStr0=needle\n";
    const QString noSettings = "\r\nThe editor starts with its defaults and keeps no settings this run.";
    // clang-format off
    enum Kind { Pipe, LinkToPipe, LinkToDevice, Socket, Folder, Large, ManyLines, NoPrivateFolder };
    const std::pair<const char*, Kind> rows[] = {
        {"a pipe", Pipe}, {"a link to a pipe", LinkToPipe}, {"a link to a device", LinkToDevice},
        {"a socket", Socket}, {"a folder", Folder}, {"one byte more than 1 MiB", Large},
        {"one line of settings more than 4096", ManyLines}, {"no private folder for the copy", NoPrivateFolder}};
    // clang-format on
    const QByteArray oldTemp = qgetenv("TMPDIR");
    for (const auto& [rowName, kind] : rows) {
        SCOPED_TRACE(rowName);
        QFile::remove(name + ".bak");
        std::optional<testsupport::IdlePipe> pipe;
        QLocalServer socket;
        if (kind == Pipe || kind == LinkToPipe)
            pipe.emplace(kind == Pipe ? name : dir.filePath("pipe"));
        if (kind == LinkToPipe || kind == LinkToDevice) {
            ASSERT_TRUE(QFile::link(pipe ? pipe->path : "/dev/null", name));
        } else if (kind == Socket) {
            ASSERT_TRUE(socket.listen(name));
        } else if (kind == Folder) {
            ASSERT_TRUE(QDir().mkdir(name));
        } else if (kind == Large) { // blank lines after the settings
            ASSERT_TRUE(testsupport::writeFile(name, large.leftJustified((1 << 20) + 1, '\n')));
        } else if (kind >= ManyLines) {
            ASSERT_TRUE(testsupport::writeFile(name, kind == ManyLines ? large + keys(4095) : large));
        }
        const QByteArray bytes = kind >= Large ? testsupport::readFile(name) : QByteArray();
        if (kind == NoPrivateFolder)
            qputenv("TMPDIR", QFile::encodeName(file("temp"))); // a file
        const auto before = node();
        boxes.records.clear();
        auto form = start();
        EXPECT_EQ(form->findSettings->findHistory[0], "");
        form->findSettings->pushFindString("new");
        ASSERT_TRUE(form->close());
        qputenv("TMPDIR", oldTemp);
        EXPECT_EQ(boxes.records.size(), 1);
        QString told;
        if (kind == NoPrivateFolder) {
            told = "Cannot make a private copy of \"" + name + "\" in \"" + dir.filePath("temp") + "\". " +
                   qt_error_string(ENOTDIR) + "." + noSettings;
            EXPECT_EQ(testsupport::readFile(name), bytes);
        } else if (kind >= Large) {
            told = name +
                   " holds more than settings take (over 1 MiB, over 4096 lines, or names of over 1 MiB): it "
                   "is not read, and "
                   "the editor starts with its defaults.\r\nThe file as it was is kept as " +
                   name + ".bak.";
            EXPECT_EQ(testsupport::readFile(name + ".bak"), bytes);
            EXPECT_TRUE(testsupport::readFile(name).contains("FindStr0=new"));
        } else {
            told = "Cannot open file \"" + name + "\". " +
                   (kind == Folder ? "It is a folder, not a file" : platform::notRegularFileReason()) + "." +
                   noSettings;
            EXPECT_EQ(node(), before);
            EXPECT_FALSE(QFileInfo::exists(name + ".bak"));
            EXPECT_FALSE(pipe && pipe->freedAReader());
            if (kind == Folder)
                QDir().rmdir(name);
            else if (kind != Socket)
                QFile::remove(name);
        }
        EXPECT_EQ(boxes.records.value(0).text, "Settings\r\n" + told);
    }
}

TEST_F(SettingsTest, StoredRecentFilesAreReadPrunedOfferedAndWrittenBack) {
    const QString wide = file("wide & narrow.ini", QByteArray("\xFF\xFE[\0w\0]\0\r\0\n\0", 12));
    const QString plain = file("plain.ini");
    // An empty value is skipped; the gap at 4 ends the list.
    const QString values[] = {wide + "2",  "",           dir.filePath("gone.ini") + "0",
                              plain + "1", "not stored", plain + "3"};
    for (int i : {0, 1, 2, 3, 5})
        stored.setValue("MRUPath" + QString::number(i), values[i]);
    stored.sync();
    auto form = start();
    EXPECT_EQ(recent(*form), QStringList({wide + "|2", dir.filePath("gone.ini") + "|0", plain + "|1"}));
    // About a second after the start, the file that is gone has left the list.
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->MRUList->getCount() == 2; }, 5000));

    form->showMruPopup();
    ASSERT_TRUE(form->PopupMRU->isVisible());
    const QList<QAction*> entries = form->PopupMRU->actions();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0]->text(), dir.filePath("wide && narrow.ini"));
    entries[1]->trigger();
    EXPECT_EQ(form->fileName, plain);
    EXPECT_EQ(form->encodingSelector, 1);
    form->updateActions(true);
    boxes.answer({platform::IdCancel});
    entries[0]->trigger();
    EXPECT_EQ(form->fileName, plain); // cancelled: the document stays
    boxes.answer({platform::IdNo});
    entries[0]->trigger();
    EXPECT_EQ(form->fileName, wide);
    EXPECT_EQ(form->encodingSelector, 2);
    EXPECT_EQ(form->model.sections[0]->name, "w");

    ASSERT_TRUE(form->close());
    stored.sync();
    EXPECT_EQ(stored.value("MRUPath1").toString(), plain + "1");
    // Values read beyond the list are gone too, so a shorter list does not grow back; the one
    // after the gap was never read, and stays.
    for (int i = 2; i < 5; ++i)
        EXPECT_FALSE(stored.contains("MRUPath" + QString::number(i))) << i;
    EXPECT_EQ(stored.value("MRUPath5").toString(), plain + "3");
}

TEST_F(SettingsTest, ARecentFileEntryKeepsNamingItsFileWhateverItEndsIn) {
    const struct Row {
        const char* name;
        QString stored; // the value, after the folder
        QString file;   // the file it names
        int selector;
        QString written; // the value written back, after the folder
    } rows[] = {{"a selector", "a.ini2", "a.ini", 2, "a.ini2"},
                {"the selector of detection", "b.ini4", "b.ini", 4, "b.ini4"},
                {"a digit beyond the selectors", "c.ini7", "c.ini", 7, "c.ini7"},
                {"a selector after a digit", "d23", "d2", 3, "d23"},
                {"a letter last", "e.inix", "e.inix", 4, "e.inix4"},
                {"another script's digit last", "f.ini\u0663", "f.ini\u0663", 4, "f.ini\u06634"},
                {"a character beyond the first plane last", "g.ini\U0001F600", "g.ini\U0001F600", 4,
                 "g.ini\U0001F6004"}};
    QStringList named, written, writtenBack; // "path|selector" as offered; the values written back
    for (int i = 0; i < int(std::size(rows)); ++i) {
        file(rows[i].file);
        stored.setValue("MRUPath" + QString::number(i), dir.filePath(rows[i].stored));
        named << dir.filePath(rows[i].file) + "|" + QString::number(rows[i].selector);
        written << dir.filePath(rows[i].written);
    }
    stored.sync();
    auto form = start();
    EXPECT_EQ(recent(*form), named);
    ASSERT_TRUE(form->close());
    stored.sync();
    for (int i = 0; i < int(std::size(rows)); ++i)
        writtenBack << stored.value("MRUPath" + QString::number(i)).toString();
    EXPECT_EQ(writtenBack, written);
}

TEST_F(SettingsTest, RecentFilesKeepTheTenNewestAndAReopenedFileMovesToTheTop) {
    auto form = start();
    for (int i = 0; i < 11; ++i)
        open(*form, file(QString("f%1.ini").arg(i)), 0);
    const auto entry = [this](const char* name, int selector) {
        return dir.filePath(name) + "|" + QString::number(selector);
    };
    EXPECT_EQ(recent(*form).mid(9), QStringList{entry("f1.ini", 0)}); // ten, the oldest dropped
    open(*form, dir.filePath("f8.ini"), 1); // third: to the top, with the encoding it was read with
    EXPECT_EQ(recent(*form).mid(0, 4),
              QStringList({entry("f8.ini", 1), entry("f10.ini", 0), entry("f9.ini", 0), entry("f7.ini", 0)}));
    open(*form, dir.filePath("f8.ini"), 0); // first: stays, with its encoding
    EXPECT_EQ(recent(*form).mid(0, 2), QStringList({entry("f8.ini", 1), entry("f10.ini", 0)}));
    open(*form, file("F10.ini"), 0); // names differing in case are different files
    EXPECT_EQ(recent(*form).mid(0, 3),
              QStringList({entry("F10.ini", 0), entry("f8.ini", 1), entry("f10.ini", 0)}));
}

} // namespace
