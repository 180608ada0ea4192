// The one save helper: what it refuses to replace, and what the new file keeps of the old one.
#include "platform/core/FileSave.h"
#include "platform/core/SysUtils.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <unistd.h>

namespace {

TEST(SaveFile, LeavesPipesAndLinksToThemAsTheyAre) {
    QTemporaryDir dir;
    testsupport::IdlePipe pipe(dir.filePath("pipe.ini"));
    ASSERT_TRUE(QFile::link(pipe.path, dir.filePath("link.ini")));
    for (const QString& name : {pipe.path, dir.filePath("link.ini")}) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(platform::saveFile(name, QByteArrayView("a=1")).error, platform::notRegularFileReason());
        EXPECT_EQ(platform::fileKind(name), platform::FileKind::Special);
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size(), 2);
}

// A link to a file is saved through: the file it names gets the content, and the link stays.
TEST(SaveFile, WritesTheFileALinkNamesAndKeepsTheLink) {
    QTemporaryDir dir;
    const QString file = dir.filePath("file.ini"), link = dir.filePath("link.ini");
    ASSERT_TRUE(testsupport::writeFile(file, "old") && QFile::link(file, link));
    const platform::SaveResult saved = platform::saveFile(link, QByteArrayView("new"));
    EXPECT_TRUE(saved.ok) << saved.error.toStdString();
    EXPECT_EQ(testsupport::readFile(file), "new");
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), file);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 2);
}

// Run as root, each save runs in a child process as the row's user: only root gives a file away.
TEST(SaveFile, KeepsTheOwnerAndGroupOfTheOldFileOrClearsTheGroupsBits) {
    if (geteuid() != 0)
        GTEST_SKIP() << "only root may save as other users";
    using testsupport::kNobody;
    const struct Row {
        const char* name;
        uid_t saver; // in the groups kNobody and 4343
        testsupport::FileIds old, saved;
    } rows[] = {
        {"root gives both", 0, {4242, 4343, 0640}, {4242, 4343, 0640}},
        {"a group of the saver's is kept", kNobody, {4242, 4343, 0664}, {kNobody, 4343, 0664}},
        {"another group's bits are cleared", kNobody, {kNobody, 4444, 0640}, {kNobody, kNobody, 0600}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir dir;
        const QString name = dir.filePath("theirs.ini");
        ASSERT_TRUE(testsupport::writeFile(name, "old"));
        ASSERT_EQ(::chown(QFile::encodeName(dir.path()).constData(), row.saver, kNobody), 0);
        ASSERT_TRUE(testsupport::setIds(name, row.old));
        ASSERT_EQ(testsupport::exitStatusAs(
                      row.saver, [&] { return platform::saveFile(name, QByteArrayView("new")).ok ? 0 : 1; }),
                  0);
        EXPECT_EQ(testsupport::idsOf(name), row.saved);
        EXPECT_EQ(testsupport::readFile(name), "new");
    }
}

} // namespace
