#include "app/Globl.h"
#include "model/EkMemIni.h"
#include "tests/model/ModelTestSupport.h"
#include "tests/support/TestSupport.h"

#include <QComboBox>
#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

// --- MD5 ------------------------------------------------------------------------------------

namespace {

struct DigestRow {
    const char* message;
    const char* digest;
};

void PrintTo(const DigestRow& row, std::ostream* os) {
    *os << '"' << row.message << "\" -> " << row.digest;
}

class Md5Rfc1321 : public ::testing::TestWithParam<DigestRow> {};

} // namespace

TEST_P(Md5Rfc1321, GivesTheTestSuiteDigestInUpperCase) {
    const DigestRow row = GetParam();
    const TMd5Hash hash(QByteArrayView(row.message));
    EXPECT_EQ(hash.hexDigest(), QByteArray(row.digest).toUpper());
    EXPECT_EQ(hash.hexDigestW(), QString::fromLatin1(row.digest).toUpper());
}

INSTANTIATE_TEST_SUITE_P(
    TestSuite, Md5Rfc1321,
    ::testing::Values(DigestRow{"", "d41d8cd98f00b204e9800998ecf8427e"},
                      DigestRow{"a", "0cc175b9c0f1b6a831c399e269772661"},
                      DigestRow{"abc", "900150983cd24fb0d6963f7d28e17f72"},
                      DigestRow{"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
                      DigestRow{"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
                      DigestRow{"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
                                "d174ab98d277d9f5a5611c2c9f419d9f"},
                      DigestRow{
                          "12345678901234567890123456789012345678901234567890123456789012345678901234567890",
                          "57edf4a22be3c955ac49da2e2107b67a"}),
    [](const auto& info) {
        return testsupport::caseName("length" + std::to_string(std::strlen(info.param.message)), info.index);
    });

TEST(Md5, AgreesWithQtAroundEveryBlockBoundary) {
    // Lengths 55, 56, 63, 64 and 119, 120 decide whether the bit count needs its own block.
    QByteArray data(300, '\0');
    for (int i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i * 37 + 11);
    for (int length = 0; length <= data.size(); ++length) {
        const QByteArrayView part(data.constData(), length);
        EXPECT_EQ(TMd5Hash(part).hexDigest(),
                  QCryptographicHash::hash(part, QCryptographicHash::Md5).toHex().toUpper())
            << "length " << length;
    }
}

TEST(Md5, AgreesWithQtOnALargeBuffer) {
    QByteArray data(1 << 20, '\0');
    QRandomGenerator generator(1321);
    for (char& byte : data)
        byte = static_cast<char>(generator.bounded(256));
    const TMd5Hash hash(data);
    const QByteArray expected = QCryptographicHash::hash(data, QCryptographicHash::Md5);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(hash.digest().data()), 16), expected);
}

// --- File-password key ----------------------------------------------------------------------

TEST(PasswordKey, DoublesEveryHexDigitOfTheDigest) {
    // MD5 of "secret" is 5EBE2294ECD0E0F08EAB7690D2A6EE69.
    EXPECT_EQ(buildPasswordKey("secret"),
              QByteArray("55EEBBEE22229944EECCDD00EE00FF0088EEAABB77669900DD22AA66EEEE6699"));
    // The password goes in as UTF-8.
    EXPECT_EQ(buildPasswordKey(QString::fromUtf8("P\xc3\xa4ssw\xc3\xb6rd \xe2\x82\xac")),
              QByteArray("CCBB88BBFFDDBBBB88996600225544AA0022FFBB22668811EE2200CC22DD1177"));
}

TEST(PasswordKey, ScramblesAStoredFileExactlyAsBefore) {
    // A fixed image of an encrypted file: marker, UTF-8 mark, text, padded past one key length
    // so that byte 64 meets key byte 0 again.
    QByteArray plain = QByteArray("Encrypted Velquin File") + "\xef\xbb\xbf" + "[S]\r\na=1\r\n";
    plain.append(QByteArray(70 - plain.size(), 'x'));
    QByteArray stored = plain;
    xorWithPasswordKey(stored, "secret");
    EXPECT_EQ(stored.toHex(),
              QByteArray("705b26373b323120561264575548415d2b65052a2821df8bfa1e636d4b4c510d09354f3d39393a"
                         "3a4f4f4e4e414148483c3c4a4a39394e4e3d3d3d3d4e4e41414d4d3d3d3a3a"));
    xorWithPasswordKey(stored.data(), stored.size(), "secret");
    EXPECT_EQ(stored, plain);
}

TEST(EncryptedFile, AReadThatRunsOutOfMemoryIsAFailedLoad) {
    QByteArray stored = kEncryptedMarker + "[S]\r\na=1\r\n";
    xorWithPasswordKey(stored, "secret");
    testsupport::ShortDevice file(stored, 30, testsupport::ShortDevice::Then::OutOfMemory);
    TEkMemIni doc;
    EXPECT_EQ(readEncryptedFile(doc, file, "secret"), loadOutOfMemory);
}

// An encrypted file holds the text behind the marker as the UTF-8 round trip writes it.
TEST(EncryptedFile, ReadWriteReadWriteGivesTheSameBytes) {
    const QByteArray head = kEncryptedMarker + "\xEF\xBB\xBF";
    for (const modeltest::RoundTripSample& sample : modeltest::kRoundTripSamples) {
        QByteArray stored = head + QString::fromUtf16(sample.read).toUtf8();
        xorWithPasswordKey(stored, "secret");
        TEkMemIni first, second;
        ASSERT_EQ(readEncryptedImage(first, stored, "secret"), codePageUtf8) << sample.name;
        QByteArray once = encryptedImage(first, "secret");
        ASSERT_EQ(readEncryptedImage(second, once, "secret"), codePageUtf8) << sample.name;
        EXPECT_EQ(encryptedImage(second, "secret"), once) << sample.name;
        xorWithPasswordKey(once, "secret");
        EXPECT_EQ(once, head + QString::fromUtf16(sample.written).toUtf8()) << sample.name;
    }
}

TEST(EncryptedFile, AFileWrittenWhileItIsReadIsAFailedLoad) {
    QTemporaryDir dir;
    const QString name = dir.filePath("changing.IniCry");
    QByteArray stored = kEncryptedMarker + "[S]\r\na=1\r\n";
    xorWithPasswordKey(stored, "secret");
    ASSERT_TRUE(testsupport::writeFile(name, stored));
    // Saved long ago, so that the write below moves the file's times.
    const timespec longAgo[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(name).constData(), longAgo, 0), 0);
    testsupport::ChangingFile file(name, 1, [&] { testsupport::writeFile(name, stored); });
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    TEkMemIni doc;
    EXPECT_EQ(readEncryptedFile(doc, file, "secret"), loadUnreadable);
}

TEST(PasswordKey, RestartsTheKeyAfter64BytesAndTouchesOnlyTheLength) {
    const QByteArray key = buildPasswordKey("hunter2");
    QByteArray buffer(200, '\0');
    xorWithPasswordKey(buffer.data(), 130, "hunter2");
    EXPECT_EQ(buffer.left(130), key + key + key.left(2));
    EXPECT_EQ(buffer.mid(130), QByteArray(70, '\0'));
    xorWithPasswordKey(nullptr, 0, "hunter2"); // nothing to do, nothing touched
}

// --- Find settings --------------------------------------------------------------------------

namespace {

TSearchStruct withHistory(std::initializer_list<const char*> entries) {
    TSearchStruct search;
    int i = 0;
    for (const char* entry : entries)
        search.findHistory[i++] = entry;
    return search;
}

struct PushRow {
    std::vector<const char*> before;
    const char* pushed;
    std::vector<const char*> after;
};

void PrintTo(const PushRow& row, std::ostream* os) {
    const auto list = [os](const std::vector<const char*>& entries) {
        *os << '{';
        for (const char* entry : entries)
            *os << ' ' << entry;
        *os << " }";
    };
    *os << '"' << row.pushed << "\" onto ";
    list(row.before);
    *os << " -> ";
    list(row.after);
}

class PushFindString : public ::testing::TestWithParam<PushRow> {};

} // namespace

TEST_P(PushFindString, PutsTheTextFirstOnce) {
    const PushRow& row = GetParam();
    TSearchStruct search;
    for (std::size_t i = 0; i < row.before.size(); ++i)
        search.findHistory[i] = row.before[i];
    search.pushFindString(row.pushed);
    QStringList expected;
    for (const char* entry : row.after)
        expected.append(entry);
    EXPECT_EQ(search.findList(), expected);
}

INSTANTIATE_TEST_SUITE_P(Rules, PushFindString,
                         ::testing::Values(PushRow{{}, "a", {"a"}}, PushRow{{"b", "a"}, "a", {"a", "b"}},
                                           PushRow{{"a", "b"}, "a", {"a", "b"}},
                                           // Exact comparison: another case is another text.
                                           PushRow{{"a", "b"}, "A", {"A", "a", "b"}},
                                           PushRow{{"c", "b", "a"}, "x", {"x", "c", "b", "a"}},
                                           PushRow{{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"},
                                                   "new",
                                                   {"new", "0", "1", "2", "3", "4", "5", "6", "7", "8"}},
                                           PushRow{{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"},
                                                   "9",
                                                   {"9", "0", "1", "2", "3", "4", "5", "6", "7", "8"}},
                                           PushRow{{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"},
                                                   "4",
                                                   {"4", "0", "1", "2", "3", "5", "6", "7", "8", "9"}}),
                         [](const auto& info) {
                             return testsupport::caseName(std::string("push_") + info.param.pushed +
                                                              "_onto_" +
                                                              std::to_string(info.param.before.size()),
                                                          info.index);
                         });

TEST(FindList, HoldsTheUsedEntriesOnly) {
    const TSearchStruct search = withHistory({"x", "y"});
    QStringList list{"old"};
    search.fillFindList(list);
    EXPECT_EQ(list, QStringList({"x", "y"}));

    QComboBox combo;
    combo.setEditable(true);
    combo.addItems({"stale", "entries"});
    combo.setEditText("typed");
    search.fillFindList(&combo);
    ASSERT_EQ(combo.count(), 2);
    EXPECT_EQ(combo.itemText(0), "x");
    EXPECT_EQ(combo.itemText(1), "y");
    EXPECT_EQ(combo.currentText(), "typed");
}

class FindSettingsStore : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path() const { return dir.filePath("Velquin.ini"); }
    std::unique_ptr<QSettings> open() const {
        return std::make_unique<QSettings>(path(), QSettings::IniFormat);
    }
};

TEST_F(FindSettingsStore, WritesTheFlagsAndTheUsedEntries) {
    TSearchStruct search = withHistory({"alpha", "be ta", "too long", "ü;=[x]"});
    search.findHistory[2] = QString(kLongestSettingText + 1, u'x'); // kept for the run only
    search.itemComments = false;
    search.backward = true;
    {
        auto settings = open();
        settings->setValue("FindStr7", "left alone");
        search.writeFindSettings("FindStr", *settings);
    }
    auto settings = open();
    EXPECT_EQ(settings->value("FindStrBools").toString(), "11110001");
    EXPECT_EQ(settings->value("FindStr0").toString(), "alpha");
    EXPECT_EQ(settings->value("FindStr1").toString(), "be ta");
    EXPECT_EQ(settings->value("FindStr2").toString(), "ü;=[x]");
    EXPECT_FALSE(settings->contains("FindStr3"));
    EXPECT_EQ(settings->value("FindStr7").toString(), "left alone");

    TSearchStruct back;
    back.readFindSettings("FindStr", *settings);
    EXPECT_EQ(back.findList(), QStringList({"alpha", "be ta", "ü;=[x]"}));
    EXPECT_EQ(back.flagsString(), "11110001");
    EXPECT_FALSE(back.itemComments);
    EXPECT_TRUE(back.backward);
}

TEST_F(FindSettingsStore, DefaultsGiveTheirFlagString) {
    auto settings = open();
    TSearchStruct().writeFindSettings("FindStr", *settings);
    EXPECT_EQ(settings->value("FindStrBools").toString(), "11111000");
    EXPECT_FALSE(settings->contains("FindStr0"));
}

TEST_F(FindSettingsStore, ReadsFlagsOnlyFromEightCharacters) {
    const struct {
        const char* stored;
        const char* flags;
    } rows[] = {{"0000", "11111000"},
                {"000000000", "11111000"},
                {"", "11111000"},
                {"00000111", "00000111"},
                {"x0-0 0a0", "10101010"}};
    for (const auto& row : rows) {
        auto settings = open();
        settings->setValue("FindStrBools", row.stored);
        TSearchStruct search;
        search.readFindSettings("FindStr", *settings);
        EXPECT_EQ(search.flagsString(), row.flags) << row.stored;
    }
}

TEST_F(FindSettingsStore, StopsReadingAtTheFirstMissingEntry) {
    auto settings = open();
    settings->setValue("FindStr0", "first");
    settings->setValue("FindStr2", "third");
    TSearchStruct search;
    search.readFindSettings("FindStr", *settings);
    EXPECT_EQ(search.findList(), QStringList({"first"}));
    EXPECT_TRUE(search.findHistory[2].isEmpty());
    EXPECT_EQ(search.flagsString(), "11111000"); // no flags stored: defaults stay
}

TEST_F(FindSettingsStore, LeavesOutAValueThatIsNotATextOrTooLongAndWritesTheHistoryWithoutIt) {
    const QByteArray tooLong(kLongestSettingText + 1, 'x'), longest(kLongestSettingText, 'x');
    ASSERT_TRUE(testsupport::writeFile(path(), "[General]\nFindStr0=a,b\nFindStr1=" + longest +
                                                   "\nFindStr2=" + tooLong + "\nFindStrBools=@Invalid()\n"));
    auto settings = open();
    EXPECT_EQ(TSearchStruct::valuesLeftOut("FindStr", *settings),
              QStringList({"FindStrBools", "FindStr0", "FindStr2"}));
    TSearchStruct search;
    const int read = search.readFindSettings("FindStr", *settings);
    EXPECT_EQ(search.findList() << search.flagsString(), QStringList({longest, "11111000"}));
    // Written without them, they do not come back.
    search.writeFindSettings("FindStr", *settings, read);
    EXPECT_EQ(settings->allKeys(), QStringList({"FindStr0", "FindStrBools"}));
}

TEST_F(FindSettingsStore, ReadsWithinTheCurrentGroupAndPrefix) {
    auto settings = open();
    settings->beginGroup("Velquin");
    withHistory({"grouped"}).writeFindSettings("Other", *settings);
    settings->endGroup();
    EXPECT_TRUE(settings->contains("Velquin/Other0"));

    TSearchStruct search;
    search.readFindSettings("Other", *settings);
    EXPECT_TRUE(search.findList().isEmpty());
    settings->beginGroup("Velquin");
    search.readFindSettings("Other", *settings);
    EXPECT_EQ(search.findList(), QStringList({"grouped"}));
}
