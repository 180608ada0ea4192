// Settings kept from one start to the next (each test has its own) and the recent files.
#include "app/EkGlobals.h"
#include "app/Unit1.h"
#include "platform/gui/MessageBoxes.h"
#include "tests/support/TestSupport.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QTest>
#include <QTreeView>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

QByteArray ints(std::initializer_list<qint32> values) {
    QByteArray bytes(qsizetype(values.size()) * 4, '\0');
    qToLittleEndian<qint32>(values.begin(), qsizetype(values.size()), bytes.data());
    return bytes;
}

class SettingsTest : public ::testing::Test {
protected:
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
    // Where a window of `size` is centred on the screen, its top-left corner kept on it.
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
    QSettings stored{gMakerName, gProductName};
    platform::ScopedMessageBoxResponder boxes{platform::IdNo};
    platform::ScopedTextFileResponder dialogs;
};

TEST_F(SettingsTest, AFirstStartKeepsTheWindowOnTheScreenAndWhatARunLeavesComesBack) {
    auto form = start();
    // The design is wider than the test screen: centred, its top-left corner stays on it.
    ASSERT_GT(form->width(), QGuiApplication::primaryScreen()->availableGeometry().width());
    EXPECT_EQ(form->pos(), centred(form->size()));
    EXPECT_EQ(form->PnlTop->palette().color(QPalette::Window), QColor(0xA3, 0xB4, 0xD8));

    const QString a = file("a.ini");
    const QString b = file("b.ini");
    open(*form, a, 1);
    open(*form, b, 0);
    form->resize(form->minimumWidth() + 10, 400);
    form->move(30, 20);
    form->Splitter1->setSizes({150, form->width() - 150});
    form->ActValuesOnly->trigger();
    form->themeColours[7] = 0x123456;
    form->findSettings->pushFindString("needle");
    const QSize size = form->size();
    const int listWidth = form->LvSections->width();
    ASSERT_TRUE(form->close());
    EXPECT_EQ(stored.value("FormSettings").toByteArray().size(), 64);
    EXPECT_EQ(stored.value("MRUPath0").toString(), b + "0");

    auto next = start();
    EXPECT_EQ(next->pos(), QPoint(30, 20));
    EXPECT_EQ(next->size(), size);
    EXPECT_EQ(next->LvSections->width(), listWidth);
    EXPECT_TRUE(next->valuesOnly);
    EXPECT_EQ(next->GlNew->FontColor(), 0x123456u); // the theme is applied after it is read
    EXPECT_EQ(recent(*next), QStringList({b + "|0", a + "|1"}));
    EXPECT_EQ(next->findSettings->findHistory[0], "needle");
}

TEST_F(SettingsTest, DamagedFormSettingsAreReadSafely) {
    const QSize design = TForm1().size();
    struct Row {
        const char* name;
        QVariant value;
        QPoint pos;  // (-1, -1): centred, top-left on the screen; (0, 0): where it was built
        QSize size;  // invalid: the design size
        QString box; // the message shown, if any
    };
    const QString typeError = "Velquin|FormSettings\r\nInvalid data type for 'FormSettings'";
    const Row rows[] = {
        {"wrong type", QString("text"), {0, 0}, {}, typeError},
        {"short value", ints({50, 60}), {50, 60}, {}, {}},
        {"off every screen", ints({5000, -5000, 600, 300, 100}), {-1, -1}, {600, 300}, {}},
        {"no size, list wider than the window", ints({10, 10, 0, -5, 99999}), {10, 10}, {}, {}},
    };
    const QString kept = file("kept.ini");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        boxes.records.clear();
        stored.setValue("FormSettings", row.value);
        stored.setValue("MRUPath0", kept + "1");
        auto form = start();
        const QSize size = row.size.isValid() ? row.size.expandedTo(form->minimumSize()) : design;
        EXPECT_EQ(form->pos(), row.pos == QPoint(-1, -1) ? centred(size) : row.pos);
        EXPECT_EQ(form->size(), size);
        EXPECT_LT(form->LvSections->width(), form->width());
        ASSERT_EQ(boxes.records.size(), row.box.isEmpty() ? 0 : 1);
        EXPECT_EQ(row.box,
                  boxes.records.isEmpty() ? "" : boxes.records[0].caption + "|" + boxes.records[0].text);
        // The other groups are read all the same, and the theme keeps its colours.
        EXPECT_EQ(recent(*form), QStringList{kept + "|1"});
        EXPECT_EQ(form->themeColours[0], 0xFFEBDEu);
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
    EXPECT_EQ(stored.value("MRUPath1").toString(), plain + "1");
    // Values beyond the list are gone too, so a shorter list does not grow back.
    for (int i = 2; i < 10; ++i)
        EXPECT_FALSE(stored.contains("MRUPath" + QString::number(i))) << i;
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
