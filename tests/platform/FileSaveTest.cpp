// The one save helper: what it refuses to replace, and what the new file keeps of the old one.
#include "platform/core/FileSave.h"
#include "platform/core/SysUtils.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <sys/stat.h>
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

TEST(SaveFile, GivesTheNewFileTheOwnerAndGroupOfTheOld) {
    if (geteuid() != 0)
        GTEST_SKIP() << "only root may give a file to another user";
    QTemporaryDir dir;
    const QString name = dir.filePath("theirs.ini");
    const QByteArray path = QFile::encodeName(name);
    ASSERT_TRUE(testsupport::writeFile(name, "old"));
    if (::chown(path.constData(), 4242, 4343) != 0)
        GTEST_SKIP() << "this system has no such user: " << qt_error_string(errno).toStdString();
    ASSERT_TRUE(platform::saveFile(name, QByteArrayView("new")).ok);
    struct stat st;
    ASSERT_EQ(::stat(path.constData(), &st), 0);
    EXPECT_EQ(std::pair(st.st_uid, st.st_gid), std::pair(uid_t(4242), gid_t(4343)));
    EXPECT_EQ(testsupport::readFile(name), "new");
}

} // namespace
