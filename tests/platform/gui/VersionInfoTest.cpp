#include "platform/gui/VersionInfo.h"

#include "tests/support/TestSupport.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using platform::getVersionInfoString;

TEST(VersionInfo, TheProgramsOwnFileGivesTheCompiledVersion) {
    const QString version = platform::compiledFileVersion();
    EXPECT_TRUE(QRegularExpression("^\\d+\\.\\d+\\.\\d+").match(version).hasMatch()) << version.toStdString();
    EXPECT_EQ(getVersionInfoString(QCoreApplication::applicationFilePath(), "FileVersion"), version);
}

TEST(VersionInfo, ALinkToTheProgramIsTheProgram) {
    QTemporaryDir dir;
    const QString link = dir.filePath("velquin-link");
    ASSERT_TRUE(QFile::link(QCoreApplication::applicationFilePath(), link));
    EXPECT_EQ(getVersionInfoString(link, "FileVersion"), platform::compiledFileVersion());
}

TEST(VersionInfo, EverythingElseHasNoVersion) {
    QTemporaryDir dir;
    const QString other = dir.filePath("other.exe");
    ASSERT_TRUE(testsupport::writeFile(other, QByteArray()));
    const QString self = QCoreApplication::applicationFilePath();

    const struct {
        QString file;
        QString key;
    } rows[] = {{other, "FileVersion"},     {dir.filePath("missing.exe"), "FileVersion"},
                {QString(), "FileVersion"}, {self, "ProductVersion"},
                {self, QString()},          {self, "FileVersion\\x"}};
    for (const auto& row : rows)
        EXPECT_EQ(getVersionInfoString(row.file, row.key), QString())
            << row.file.toStdString() << " " << row.key.toStdString();
}
