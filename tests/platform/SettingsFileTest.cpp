// Settings texts with lines that QSettings cannot read: QSettings itself judges the result. And
// the settings file that holds such lines: its copy, its repair and its folder.
#include "platform/core/SettingsFile.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QSettings>
#include <gtest/gtest.h>

#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// QSettings' own reading of `text`: its status and every value as "key=value".
std::pair<QSettings::Status, QStringList> read(const QByteArray& text) {
    const QTemporaryDir dir;
    EXPECT_TRUE(testsupport::writeFile(dir.filePath("s.conf"), text));
    QSettings settings(dir.filePath("s.conf"), QSettings::IniFormat);
    QStringList values;
    for (const QString& key : settings.allKeys())
        values << key + "=" + settings.value(key).toString();
    return {settings.status(), values};
}

TEST(SettingsText, AnUnreadableLineCostsOnlyItselfAndALineNotWrittenBackIsTold) {
    struct Row {
        const char* name;
        QByteArray text;
        QList<int> leftOut; // line numbers; negative for those read but not written back
        QStringList values; // as read from the readable lines
    };
    const Row rows[] = {
        {"sound", "[General]\nk=1\n[a]\nm=2\n", {}, {"a/m=2", "k=1"}},
        {"header without bracket first", "[Gen\nk=1\n", {1}, {"k=1"}},
        {"header without bracket between groups",
         "[General]\nk=1\n[Gen\r\nj=2\n[a]\nm=3\n",
         {3},
         {"a/m=3", "j=2", "k=1"}},
        {"no equals sign", "k=1\r\nnovalue\r\nj=2\r\n", {2}, {"j=2", "k=1"}},
        {"hash starts no comment", "# note\nk=1", {1}, {"k=1"}},
        {"byte-order mark", "\xEF\xBB\xBF[General]\nk=1\n", {1}, {"k=1"}},
        {"open quote takes only its own line", "\"quoted\nk=1\n", {1}, {"k=1"}},
        {"quoted value over two lines", "a=\"x\ny\"\nk=1\n", {}, {"a=x\ny", "k=1"}},
        {"continued line", "a=1\\\nb\nk=1", {}, {"a=1b", "k=1"}},
        {"continued line, then a blank one", "a=1\\\n\n[Gen\nk=1", {3}, {"a=1", "k=1"}},
        {"carriage returns alone", "k=1\r[Gen\rj=2\r", {2}, {"j=2", "k=1"}},
        {"semicolon in a header", "[a;b]\nk=1\n", {1}, {"k=1"}},
        {"escaped equals sign", "k\\=v\nj=2", {1}, {"j=2"}},
        {"vertical tab, form feed", "\v\n\fk=1\nj=2", {1}, {"j=2", "k=1"}},
        {"comments and blank lines count", "; c\n\n  novalue  \nk=1 ; c\nx;=y\n", {-1, 3, -4, 5}, {"k=1"}},
        {"text after a header's bracket", "[General] x\n[a]\t\nk=1\n", {-1}, {"a/k=1"}},
        {"settings of one name, a comment on one told once",
         "k=1 ;c\na/b=1\nk=2\n[a]\nb=2\n[general]\nk=3\nK=4\n",
         {-1, -2, -3},
         {"K=4", "a/b=2", "k=3"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const platform::SettingsText split = platform::splitSettingsText(row.text);
        QList<int> numbers, leftOut;
        for (const platform::LeftOutLine& line : split.leftOut)
            numbers << line.number;
        qsizetype unreadable = 0;
        for (int n : row.leftOut) {
            leftOut << std::abs(n);
            unreadable += n > 0;
        }
        EXPECT_EQ(numbers, leftOut);
        EXPECT_EQ(split.unreadableCount, unreadable);
        EXPECT_EQ(read(row.text).first, unreadable == 0 ? QSettings::NoError : QSettings::FormatError);
        const auto [status, values] = read(split.readable);
        EXPECT_EQ(status, QSettings::NoError);
        EXPECT_EQ(values, row.values);
        EXPECT_EQ(split.readable == row.text, unreadable == 0);
    }
    // A line's text as it stands, or cut after 200 characters: a pair of surrogates stays whole or
    // goes.
    const QByteArray pair = "\xF0\x9F\x98\x80";
    const std::pair<QByteArray, QString> texts[] = {
        {"  novalue ", "  novalue "},
        {QByteArray(199, 'x') + pair + "y", QString(199, 'x') + u'\u2026'},
        {QByteArray(198, 'x') + pair + "y", QString(198, 'x') + QString::fromUtf8(pair) + u'\u2026'},
    };
    for (const auto& [line, text] : texts)
        EXPECT_EQ(platform::splitSettingsText("k=1\n" + line + "\r\n").leftOut.value(0).text, text);
    // The names of the settings, each with its section's ("s.../k"), are read up to 1 MiB.
    for (const int over : {0, 1}) {
        const QByteArray section(platform::kMostSettingsNameBytes - 2 + over, 's');
        EXPECT_EQ(platform::splitSettingsText("[" + section + "]\nk=1\n").tooLarge(), over == 1);
    }
}

// Lines read again after an unreadable one (joined by backslashes or quotes) are read in one pass:
// the split reads each character a few times at most, not once per line it is joined to.
TEST(SettingsText, EachCharacterIsReadAFewTimesHoweverTheLinesAreJoined) {
    for (const char* line : {"a\\\n", "a\\\r\n", "\"\\\n", "\"\n", "[\\\n", "x\n", "=\"\\\n", "k=1\n"}) {
        const QByteArray text = QByteArray(line).repeated(64 * 1024 / qstrlen(line));
        EXPECT_LE(platform::splitSettingsText(text).steps, 32 * text.size()) << line;
    }
}

mode_t modeOf(const QString& name) {
    struct stat st;
    return ::stat(QFile::encodeName(name).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// The settings of "Org"'s "App" in a folder of this test's own, where temporary folders go too.
class SettingsFileTest : public ::testing::Test {
protected:
    SettingsFileTest() : oldTemp(qgetenv("TMPDIR")) {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home.filePath("config"));
        qputenv("TMPDIR", QFile::encodeName(temp.path()));
    }
    ~SettingsFileTest() override { qputenv("TMPDIR", oldTemp); }
    qsizetype temporaryFolders() const {
        return QDir(temp.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size();
    }

    QTemporaryDir home;
    QTemporaryDir temp;
    QByteArray oldTemp;
    const QString name = home.filePath("config/Org/App.conf");
};

TEST_F(SettingsFileTest, KeepsACopyAsPrivateAsTheFileThenWritesTheReadableLinesOverIt) {
    const QByteArray sound = "[General]\nk=1\n";
    const struct Row {
        const char* name;
        QByteArray text;
        mode_t mode;
        QStringList taken;  // there already: copies of "other" bytes, the "same" or those "altered"
                            // in the last byte, or a "pipe"
        QString copy;       // its name's ending; none: no copy
        bool grows = false; // by a byte as the copy begins
    } rows[] = {
        {"sound: nothing to copy or repair", sound, 0600, {}, {}},
        {"the first name", "[Gen\n" + sound, 0600, {}, ".bak"},
        {"the next free name", "novalue\n" + sound, 0640, {"other", "other"}, ".bak3"},
        {"a copy already made", "novalue\n" + sound, 0640, {"other", "same"}, ".bak2"},
        {"every name taken", "novalue\n" + sound, 0600, QStringList(9, "other"), {}},
        {"a file that grows as it is copied", "novalue\n" + sound, 0600, {}, {}, true},
        {"a pipe is passed over unread", "novalue\n" + sound, 0600, {"pipe"}, ".bak2"},
        {"a name QSettings alone finds twice", "%6B=0\n" + sound, 0600, {}, ".bak"},
        {"a copy that differs past the first piece",
         "novalue" + QByteArray(100000, 'x') + "\n" + sound,
         0600,
         {"altered"},
         ".bak2"},
    };
    ASSERT_TRUE(QDir().mkpath(QFileInfo(name).path()));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(testsupport::writeFile(name, row.text));
        ASSERT_EQ(::chmod(QFile::encodeName(name).constData(), row.mode), 0);
        std::optional<testsupport::IdlePipe> pipe;
        for (int n = 1; n <= 9; ++n) {
            const QString copy = name + ".bak" + (n > 1 ? QString::number(n) : "");
            QFile::remove(copy);
            const QString taken = row.taken.value(n - 1);
            if (taken == "pipe")
                pipe.emplace(copy);
            else if (!taken.isEmpty()) {
                ASSERT_TRUE(testsupport::writeFile(copy, taken == "same"      ? row.text
                                                         : taken == "altered" ? row.text.chopped(1) + "x"
                                                                              : "other"));
            }
        }
        platform::SettingsFile store("Org", "App");
        EXPECT_EQ(store.values().value("k").toString(), "1");
        const QString copy = [&] {
            platform::ScopedSeam growing(platform::saveProbe, [&](QIODevice&) {
                QFile file(name);
                EXPECT_TRUE(!row.grows || (file.open(QIODevice::Append) && file.write("x") == 1));
            });
            return store.keepCopy();
        }();
        EXPECT_EQ(copy, row.copy.isEmpty() ? QString() : name + row.copy);
        EXPECT_FALSE(pipe && pipe->freedAReader());
        if (!row.copy.isEmpty()) {
            EXPECT_EQ(testsupport::readFile(copy), row.text);
            // One made now has the file's bits; one made before keeps its own.
            EXPECT_TRUE(row.taken.contains("same") || modeOf(copy) == row.mode) << modeOf(copy);
        }
        // A file that grew has no copy; the write then copies it as it stands.
        const bool repaired = row.text == sound || !row.copy.isEmpty() || row.grows;
        store.values().setValue("k", 2);
        EXPECT_EQ(store.write() == platform::SettingsFile::WriteOutcome::Written, repaired);
        EXPECT_EQ(testsupport::readFile(name), repaired ? "[General]\nk=2\n" : row.text);
        EXPECT_TRUE(!row.grows || testsupport::readFile(name + ".bak") == row.text + "x");
        EXPECT_EQ(modeOf(name), row.mode);
    }
}

// Made by root in a user's folder (sudo with the user's home), the folders and the new file are
// the user's, as a file that is there stays its owner's.
TEST_F(SettingsFileTest, MakesTheMissingFoldersPrivateAndTheirFoldersOwnersBeforeTheFirstWrite) {
    const auto [owner, group, mode] =
        geteuid() == 0 ? testsupport::FileIds{4242, 4343, 0755} : testsupport::idsOf(home.path());
    ASSERT_TRUE(testsupport::setIds(home.path(), {owner, group, mode}));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home.filePath("a/b"));
    {
        platform::SettingsFile store("Org", "App");
        store.values().setValue("k", 1);
        ASSERT_EQ(store.write(), platform::SettingsFile::WriteOutcome::Written);
    }
    for (const char* folder : {"a", "a/b", "a/b/Org"})
        EXPECT_EQ(testsupport::idsOf(home.filePath(folder)), testsupport::FileIds(owner, group, 0700))
            << folder;
    EXPECT_EQ(testsupport::idsOf(home.filePath("a/b/Org/App.conf")),
              testsupport::FileIds(owner, group, 0600));
    EXPECT_EQ(testsupport::readFile(home.filePath("a/b/Org/App.conf")), "[General]\nk=1\n");
    // The copy the values were held in goes with them.
    EXPECT_EQ(temporaryFolders(), 0);
}

// A hostile file of each shape, as large as is read, is read in a few MB (a sound 1 MiB value
// takes QSettings 4). The peak counts from the memory in use once what is free is given back.
TEST_F(SettingsFileTest, AHostileFileOfTheLargestSizeReadTakesAFewMegabytes) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "a sanitizer holds freed memory back and adds its own: the peak tells nothing";
#endif
    const auto numbered = [](const char* start, const char* end) {
        QByteArray text;
        for (int i = 0; text.size() < platform::kLargestSettingsFile - 20; ++i)
            text += start + QByteArray::number(i) + end;
        return text;
    };
    const qsizetype half = platform::kLargestSettingsFile / 2;
    const struct Row {
        const char* name;
        QByteArray text;
    } rows[] = {
        {"many keys", numbered("k", "=1\n")},
        {"many sections", numbered("[s", "]\n")},
        {"many unreadable lines", QByteArray("x\n").repeated(half)},
        {"one unreadable line", QByteArray(2 * half, 'x')},
        {"a quoted value over many lines", "k=\"" + QByteArray("x\n").repeated(half - 2) + "\""},
        {"a long section's name before each of its keys",
         "[" + QByteArray(half, 's') + "]\n" + numbered("k", "=1\n").left(2000)},
    };
    ASSERT_TRUE(QDir().mkpath(QFileInfo(name).path()));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(testsupport::writeFile(name, row.text));
        const testsupport::MemoryGrowth growth;
        if (!growth.valid)
            GTEST_SKIP() << "the system does not let the peak be reset";
        platform::SettingsFile("Org", "App").values().allKeys();
        EXPECT_LT(growth.peak(), 8 << 20);
    }
}

// Run as root, each write runs in a child process as the row's user: only root gives a file away.
TEST_F(SettingsFileTest, TheFileAndItsCopyKeepTheirOwnerAndGroupOrClearTheGroupsBits) {
    if (geteuid() != 0)
        GTEST_SKIP() << "only root may write as other users";
    using testsupport::kNobody;
    const struct Row {
        const char* name;
        uid_t writer; // in the groups kNobody and 4343
        testsupport::FileIds old, written;
    } rows[] = {
        {"root leaves the user's file theirs", 0, {4242, 4343, 0600}, {4242, 4343, 0600}},
        {"another group's bits are cleared", kNobody, {kNobody, 4444, 0640}, {kNobody, kNobody, 0600}},
    };
    const QByteArray text = "novalue\n[General]\nk=1\n";
    const auto write = [] {
        platform::SettingsFile store("Org", "App");
        store.values().setValue("k", 2);
        return store.write() == platform::SettingsFile::WriteOutcome::Written ? 0 : 1;
    };
    ASSERT_TRUE(QDir().mkpath(QFileInfo(name).path()));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QFile::remove(name + ".bak");
        ASSERT_TRUE(testsupport::writeFile(name, text));
        for (const QString& folder :
             {home.path(), home.filePath("config"), QFileInfo(name).path(), temp.path()})
            ASSERT_EQ(::chown(QFile::encodeName(folder).constData(), row.writer, kNobody), 0);
        ASSERT_TRUE(testsupport::setIds(name, row.old));
        EXPECT_EQ(testsupport::exitStatusAs(row.writer, write), 0);
        EXPECT_EQ(testsupport::readFile(name), "[General]\nk=2\n");
        EXPECT_EQ(testsupport::idsOf(name), row.written);
        EXPECT_EQ(testsupport::readFile(name + ".bak"), text);
        EXPECT_EQ(testsupport::idsOf(name + ".bak"), row.written);
    }
}

} // namespace
