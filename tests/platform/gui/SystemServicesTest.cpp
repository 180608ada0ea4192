#include "platform/gui/SystemServices.h"
#include "platform/gui/TextFileDialog.h"

#include "tests/support/TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

TEST(FileReadOnlyTest, FollowsTheOwnersWriteBit) {
    QTemporaryDir dir;
    const QString name = dir.filePath("a.ini");
    ASSERT_TRUE(testsupport::writeFile(name, QByteArray()));
    EXPECT_FALSE(platform::isFileReadOnly(name));
    // Also true for root, who could write the file anyway.
    ASSERT_TRUE(QFile::setPermissions(name, QFile::ReadOwner | QFile::ReadUser | QFile::ReadGroup));
    EXPECT_TRUE(platform::isFileReadOnly(name));
    QFile::setPermissions(name, QFile::ReadOwner | QFile::WriteOwner);
}

TEST(FileReadOnlyTest, CountsMissingFilesAsReadOnly) {
    QTemporaryDir dir;
    EXPECT_TRUE(platform::isFileReadOnly(dir.filePath("missing.ini")));
    EXPECT_TRUE(platform::isFileReadOnly(QString()));
}

TEST(KeyStateTest, ProbeAnswersInsteadOfTheKeyboard) {
    for (const Qt::KeyboardModifier key : {Qt::ShiftModifier, Qt::ControlModifier}) {
        platform::ScopedSeam probe(platform::keyStateProbe, [key] { return Qt::KeyboardModifiers(key); });
        EXPECT_EQ(platform::isShiftDown(), key == Qt::ShiftModifier);
        EXPECT_EQ(platform::isCtrlDown(), key == Qt::ControlModifier);
    }
    EXPECT_FALSE(platform::keyStateProbe); // the guards took their probes away again
}

TEST(TickCountTest, NeverRunsBackwards) {
    const std::uint32_t start = platform::timeGetTime();
    QThread::msleep(20);
    const std::uint32_t later = platform::timeGetTime();
    ASSERT_LE(start, later);
    EXPECT_GE(later - start, 15u);
}

TEST(BrowserTest, OpenerGetsTheAddress) {
    QString opened;
    platform::ScopedSeam opener(platform::urlOpener, [&](const QString& url) {
        opened = url;
        return true;
    });
    EXPECT_TRUE(platform::openUrlInBrowser("https://example.org/x.htm"));
    EXPECT_EQ(opened, "https://example.org/x.htm");
}

TEST(TextFileDialogTest, FilterBecomesNameFilters) {
    platform::TextFileDialog dialog(platform::TextFileDialog::Kind::Open);
    dialog.filter = "All Velquin Files|*.Ini;*.IniCry|All Files|*.*";
    EXPECT_EQ(dialog.nameFilters(), QStringList({"All Velquin Files (*.Ini *.IniCry)", "All Files (*.*)"}));
}

TEST(TextFileDialogTest, ResponderAnswersAndACancelChangesNothing) {
    platform::TextFileDialog dialog(platform::TextFileDialog::Kind::Save);
    dialog.fileName = "before.ini";
    dialog.encodingIndex = 2;
    platform::ScopedTextFileResponder responder;
    responder.answer({});
    responder.answer("/tmp/after.ini", 3);
    EXPECT_FALSE(dialog.execute(nullptr));
    EXPECT_EQ(dialog.fileName, "before.ini");
    EXPECT_EQ(dialog.encodingIndex, 2);
    EXPECT_TRUE(dialog.execute(nullptr));
    EXPECT_EQ(dialog.fileName, "/tmp/after.ini");
    EXPECT_EQ(dialog.encodingIndex, 3);
    ASSERT_EQ(responder.records.size(), 2);
    EXPECT_EQ(responder.records[0].kind, platform::TextFileDialog::Kind::Save);
    EXPECT_EQ(responder.records[0].presetName, "before.ini");
    EXPECT_EQ(responder.records[1].presetEncoding, 2);
    // Out of answers: Cancel.
    EXPECT_FALSE(dialog.execute(nullptr));
}

} // namespace
