#include "platform/core/SysUtils.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <tuple>
#include <vector>

TEST(AnsiCodePage, EveryByteSurvivesDecodeAndEncode) {
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString text = platform::ansiDecode(all);
    ASSERT_EQ(text.size(), all.size());
    EXPECT_EQ(text[0x80], QChar(0x20AC)) << "0x80 is the euro sign in Windows-1252";
    EXPECT_EQ(text[0x9F], QChar(0x0178));
    for (int undefined : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
        EXPECT_EQ(text[undefined], QChar(undefined)) << undefined;
    EXPECT_EQ(platform::ansiEncode(text), all);
    // The decoder of large files reads every byte alike, sixteen at a time and one by one.
    for (qsizetype from : {0, 3}) {
        QString into(all.size() - from, Qt::Uninitialized);
        platform::ansiDecodeInto(QByteArrayView(all).sliced(from), reinterpret_cast<char16_t*>(into.data()));
        EXPECT_EQ(into, text.sliced(from)) << from;
    }
}

TEST(AnsiCodePage, CharactersWithoutAnAnsiFormBecomeSubstitutes) {
    EXPECT_EQ(platform::ansiEncode(u"a\u4E2Db\U0001D11E"), "a?b?");
}

TEST(LocaleText, CompareIgnoresCaseAndOrdersText) {
    EXPECT_EQ(platform::compareTextIgnoreCase(u"Port", u"port"), 0);
    EXPECT_LT(platform::compareTextIgnoreCase(u"A", u"b"), 0);
    EXPECT_GT(platform::compareTextIgnoreCase(u"c", u"B"), 0);
    EXPECT_LT(platform::compareTextIgnoreCase(u"", u"a"), 0);
}

TEST(LocaleText, CharLowerKeepsTheLength) {
    QString text = QStringLiteral("AbC\u00C4\u0130Z");
    const qsizetype before = text.size();
    platform::charLower(text.data(), text.size());
    EXPECT_EQ(text.size(), before);
    EXPECT_EQ(text.left(4), QStringLiteral("abc\u00E4"));
    EXPECT_EQ(text.back(), QChar('z'));
    // Every ASCII unit as the Unicode tables have it.
    for (char16_t c = 0; c < 0x80; ++c) {
        QChar unit(c);
        platform::charLower(&unit, 1);
        EXPECT_EQ(unit, QChar(c).toLower()) << int(c);
    }
}

TEST(Messages, SinkReceivesTextAndIsRestored) {
    {
        testsupport::MessageCapture capture;
        platform::ShowMessage(QStringLiteral("hello"));
        ASSERT_EQ(capture.messages.size(), 1);
        EXPECT_EQ(capture.messages[0], QStringLiteral("hello"));
    }
    testsupport::MessageCapture outer;
    {
        testsupport::MessageCapture inner;
        platform::ShowMessage(QStringLiteral("inner"));
        EXPECT_EQ(inner.messages.size(), 1);
    }
    platform::ShowMessage(QStringLiteral("outer"));
    EXPECT_EQ(outer.messages, QStringList{QStringLiteral("outer")});
}

TEST(AnsiCodePage, LoneSurrogatesBecomeSubstitutesWithoutSwallowingNeighbours) {
    QString text;
    text += QChar(0xD800);
    text += QChar(0x81);
    text += QChar('a');
    text += QChar(0xDC00);
    const QByteArray bytes = platform::ansiEncode(text);
    ASSERT_EQ(bytes.size(), 4);
    EXPECT_EQ(uchar(bytes[1]), 0x81);
    EXPECT_EQ(bytes[2], 'a');
}

// A file's stamp holds which file it is, its size and its two times, as the system tells them.
TEST(FileStamp, HoldsTheFilesIdentitySizeAndTimes) {
    QTemporaryDir dir;
    const QString name = dir.filePath("a.ini");
    const timespec times[2] = {{0, UTIME_OMIT}, {1000000000, 5}};
    ASSERT_TRUE(testsupport::writeFile(name, "abc"));
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(name).constData(), times, 0), 0);
    QFile file(name);
    struct stat st {};
    ASSERT_TRUE(file.open(QIODevice::ReadOnly) && ::fstat(file.handle(), &st) == 0);
    const std::optional<platform::FileStamp> s = platform::fileStamp(file);
    ASSERT_TRUE(s);
    constexpr qint64 kNs = 1000000000;
    EXPECT_EQ(std::tuple(s->device, s->inode, s->size, s->modifiedNs, s->changedNs),
              std::tuple(quint64(st.st_dev), quint64(st.st_ino), 3, 1000000000 * kNs + 5,
                         st.st_ctim.tv_sec * kNs + st.st_ctim.tv_nsec));
}

// In a child, so that the limit goes with it: under an address-space limit a little above what the
// process maps, what is left is no more than the difference.
TEST(MemoryLeft, UnderAnAddressSpaceLimitIsWhatIsNotMappedYet) {
    constexpr qint64 kMargin = qint64(64) << 20;
    const auto leftUnderALimit = [] {
        const qint64 mapped = testsupport::statmBytes(0);
        if (mapped == 0)
            return 2;
        rlimit limit{};
        ::getrlimit(RLIMIT_AS, &limit);
        limit.rlim_cur = rlim_t(mapped + kMargin);
        if (::setrlimit(RLIMIT_AS, &limit) != 0)
            return 3;
        const qint64 left = platform::memoryLeft();
        return left <= kMargin && left > kMargin / 2 ? 0 : 1;
    };
    EXPECT_EQ(testsupport::exitStatusAs(0, leftUnderALimit), 0);
}

// A container's limit is that of the process's control group or of a group above it: what is
// left is the least the groups leave, in the files of either version.
TEST(MemoryLeft, IsNoMoreThanTheControlGroupsLeave) {
    using testsupport::writeFile;
    constexpr qint64 kMb = 1 << 20;
    struct Group {
        const char* folder;   // below the version's hierarchy
        qint64 limit, usage;  // in MB; limit -1: none (version 2's "max", version 1's largest figure)
        QByteArray stat = {}; // memory.stat, when the group has one
    };
    const struct {
        const char* name;
        int version;
        const char* membership; // proc/self/cgroup
        std::vector<Group> groups;
        qint64 left; // in MB
    } rows[] = {
        {"the group's own limit", 2, "0::/a/b\n", {{"a/b", 100, 30}}, 70},
        {"a limit above", 2, "0::/a/b\n", {{"a/b", -1, 30}, {"a", 50, 45}}, 5},
        {"the least of three", 2, "0::/a/b/\n", {{"a/b", 100, 10}, {"a", 60, 20}, {"", 500, 470}}, 30},
        {"among other hierarchies", 1, "3:cpu:/x\n4:memory:/a\n0::/\n", {{"a", 80, 20}}, 60},
        {"no limit under a limit", 1, "4:cpu,memory:/a/b", {{"a/b", -1, 5}, {"a", 40, 32}}, 8},
        {"over the limit", 2, "0::/a\n", {{"a", 10, 12}}, 0},
        {"page cache unused for a while counts as left",
         2,
         "0::/a\n",
         {{"a", 100, 90, "anon 1\nactive_file 9\ninactive_file 20971520\n"}},
         30},
        {"the whole hierarchy's unused page cache",
         1,
         "4:memory:/a\n",
         {{"a", 100, 90, "inactive_file 1\ntotal_inactive_file 20971520\n"}},
         30},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.name << ", version " << row.version);
        const bool two = row.version == 2;
        QTemporaryDir root;
        ASSERT_TRUE(QDir(root.path()).mkpath("proc/self"));
        ASSERT_TRUE(writeFile(root.filePath("proc/self/cgroup"), row.membership));
        for (const Group& group : row.groups) {
            const QString folder =
                root.filePath(QString(two ? "sys/fs/cgroup/" : "sys/fs/cgroup/memory/") + group.folder);
            const QByteArray none = two ? "max" : "9223372036854771712";
            ASSERT_TRUE(QDir().mkpath(folder));
            ASSERT_TRUE(writeFile(folder + (two ? "/memory.max" : "/memory.limit_in_bytes"),
                                  (group.limit < 0 ? none : QByteArray::number(group.limit * kMb)) + "\n"));
            ASSERT_TRUE(writeFile(folder + (two ? "/memory.current" : "/memory.usage_in_bytes"),
                                  QByteArray::number(group.usage * kMb)));
            if (!group.stat.isEmpty()) {
                ASSERT_TRUE(writeFile(folder + "/memory.stat", group.stat));
            }
        }
        platform::ScopedSeam rooted(platform::controlGroupRoot, QFile::encodeName(root.path()));
        EXPECT_EQ(platform::memoryLeft(), row.left * kMb);
    }
}
