// Encoding detection, the readers' marks and sizes, files, and the round trip per encoding.
#include "model/EkMemIni.h"
#include "tests/model/ModelTestSupport.h"
#include "tests/support/TestSupport.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>
#include <utility>
#include <vector>

using modeltest::dump;
using modeltest::encode;
using testsupport::readFile;
using testsupport::writeFile;

namespace {

QByteArray bytes(std::initializer_list<int> list) {
    QByteArray out;
    for (int b : list)
        out.append(char(b));
    return out;
}

struct DetectCase {
    const char* name;
    QByteArray bytes;
    int codePage;
};

TEST(Detection, FollowsMarksZerosAndTheUtf8Hint) {
    // Detection probes the first 200 bytes, so byte 199 is the last place the hint may end.
    const auto hintEndingAt = [](int last) {
        return QByteArray(last - 4, 'x') + "uTf-8" + QByteArray(99, 'x');
    };
    const DetectCase cases[] = {
        {"UTF-8 mark", bytes({0xEF, 0xBB, 0xBF, 'a'}), codePageUtf8},
        {"UTF-32BE mark", bytes({0, 0, 0xFE, 0xFF, 0, 0, 0, 'a'}), codePageUtf32BE},
        {"UTF-32LE mark", bytes({0xFF, 0xFE, 0, 0, 'a', 0, 0, 0}), codePageUtf32LE},
        {"UTF-16BE mark", bytes({0xFE, 0xFF, 0, 'a'}), codePageUtf16BE},
        {"UTF-16LE mark", bytes({0xFF, 0xFE, 'a', 0}), codePageUtf16LE},
        {"UTF-32LE mark alone", bytes({0xFF, 0xFE, 0, 0}), codePageUtf32LE},
        {"UTF-16LE mark alone: too short for a 32-bit mark", bytes({0xFF, 0xFE}), codePageUtf16LE},
        {"UTF-16LE mark and an odd byte", bytes({0xFF, 0xFE, 0}), codePageUtf16LE},
        {"UTF-16LE without mark", bytes({'[', 0, 'a', 0, ']', 0}), codePageUtf16LE},
        {"UTF-16BE without mark", bytes({0, '[', 0, 'a', 0, ']'}), codePageUtf16BE},
        {"the hint in a comment", "; Saved as UTF-8\r\na=1", codePageUtf8},
        {"the hint ends on the last byte probed", hintEndingAt(199), codePageUtf8},
        {"the hint ends a byte before it", hintEndingAt(198), codePageUtf8},
        {"the hint ends a byte past it", hintEndingAt(200), codePageUnknown},
        {"the hint ends on the last byte of a short file", "UTF-8", codePageUtf8},
        {"plain text", "a=1\r\n", codePageUnknown},
        {"empty", "", codePageUnknown},
    };
    for (const DetectCase& c : cases) {
        QBuffer buffer;
        buffer.setData(c.bytes);
        buffer.open(QIODevice::ReadOnly);
        EXPECT_EQ(TEkMemIni::detectEncoding(buffer), c.codePage) << c.name;
        EXPECT_EQ(buffer.pos(), 0) << c.name;
    }
}

class Files : public ::testing::Test {
protected:
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    QTemporaryDir dir;
};

TEST_F(Files, AnEmptyFileIsAnEmptyDocument) {
    testsupport::MessageCapture capture;
    ASSERT_TRUE(writeFile(path("empty.ini"), ""));
    TEkMemIni doc;
    EXPECT_EQ(doc.LoadFromFile(path("empty.ini")), codePageAnsi);
    EXPECT_EQ(doc.sections.count, 0);
    EXPECT_EQ(doc.codePage, codePageAnsi);
    EXPECT_EQ(doc.fileName, path("empty.ini"));

    TEkMemIni utf8;
    EXPECT_EQ(utf8.LoadFromFileAs(path("empty.ini"), codePageUtf8), codePageUtf8);
    EXPECT_EQ(utf8.codePage, codePageUnknown) << "the UTF-8 reader sets the code page only after parsing";
}

// A document emptied of its lines, or of its sections (which writes the mark of the encoding it
// was read in), saved in each encoding with and without a mark, opens again with detection as an
// empty document in the encoding of its mark, or as ANSI without one.
TEST_F(Files, AnEmptiedDocumentOpensAgainInTheEncodingOfItsMark) {
    testsupport::MessageCapture capture;
    for (const int cp : {int(codePageUtf8), int(codePageAnsi), int(codePageUtf16LE), int(codePageUtf16BE)}) {
        for (const bool mark : {true, false}) {
            for (const bool sections : {true, false}) {
                SCOPED_TRACE(testing::Message() << modeltest::codePageName(cp) << (mark ? " with mark" : "")
                                                << (sections ? "" : ", no sections"));
                TEkMemIni doc;
                doc.writeBom = mark;
                doc.codePage = cp;
                if (sections)
                    doc.addSection("");
                ASSERT_TRUE(doc.SaveToFile(path("empty.ini"), cp));
                const int expected = mark && cp != codePageAnsi ? cp : int(codePageAnsi);
                TEkMemIni back;
                EXPECT_EQ(back.LoadFromFile(path("empty.ini")), expected);
                EXPECT_EQ(back.codePage, expected);
                EXPECT_EQ(dump(back), back.sections.count == 0 ? "" : "[;]\n");
            }
        }
    }
    EXPECT_EQ(capture.messages, QStringList());
}

TEST_F(Files, MissingAndUnopenableFiles) {
    TEkMemIni doc;
    EXPECT_EQ(doc.LoadFromFile(path("none.ini")), loadFileMissing);
    EXPECT_EQ(doc.fileName, path("none.ini"));
    EXPECT_EQ(doc.codePage, codePageUnknown);
    EXPECT_EQ(doc.LoadFromFileAs(dir.path(), codePageUtf8), loadFileMissing) << "a folder is no file";
    // A write-only file refuses readers; root bypasses file modes, but not those of sysctl files.
    QString locked = path("locked.ini");
    if (geteuid() == 0) {
        locked = "/proc/sys/vm/drop_caches";
        if (!QFileInfo::exists(locked))
            GTEST_SKIP() << "no file here refuses root";
    } else {
        ASSERT_TRUE(writeFile(locked, "a=1"));
        QFile::setPermissions(locked, QFileDevice::WriteOwner);
    }
    EXPECT_EQ(doc.LoadFromFile(locked), loadCannotOpen);
    EXPECT_EQ(doc.sections.count, 0);
}

TEST_F(Files, PipesAndDevicesAreRefusedWithoutWaiting) {
    testsupport::IdlePipe pipe(path("pipe.ini"));
    ASSERT_TRUE(QFile::link(pipe.path, path("link.ini")));
    for (const QString& name : {pipe.path, path("link.ini"), QStringLiteral("/dev/null")}) {
        SCOPED_TRACE(name.toStdString());
        TEkMemIni doc;
        EXPECT_EQ(doc.LoadFromFile(name), loadNotRegularFile);
        EXPECT_EQ(doc.LoadFromFileAs(name, codePageUtf8), loadNotRegularFile);
        EXPECT_EQ(doc.sections.count, 0);
        EXPECT_EQ(doc.fileName, name);
    }
    EXPECT_FALSE(pipe.freedAReader()) << "a load waited for the pipe's writer";
}

// A read that fails, finds the end before the size (a file cut short while it is read), or runs
// out of memory gives no document, even when what was read ends on a line's end; out of memory,
// what the load made is gone at once.
TEST_F(Files, AStreamThatGivesLessThanItsSizeIsNoDocument) {
    using Then = testsupport::ShortDevice::Then;
    QString text;
    for (int i = 0; i < 40000; ++i)
        text += "key" + QString::number(i) + "=value\r\n";
    const qint64 step = TEkMemIni::kReadStepBytes;
    const struct {
        int codePage;
        qint64 good; // bytes
        Then then;
        int status;
    } rows[] = {
        {codePageAnsi, step + 100, Then::Fails, loadCannotOpen},
        {codePageAnsi, 1000, Then::Ends, loadUnreadable},
        {codePageAnsi, text.indexOf('\n', step) + 1, Then::Ends, loadUnreadable},
        {codePageUtf16BE, 2 * text.size() + 1, Then::Ends, loadUnreadable}, // a byte short, after the mark
        {codePageUtf8, 2 * step, Then::OutOfMemory, loadOutOfMemory},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message()
                     << modeltest::codePageName(row.codePage) << ", " << row.good << " bytes");
        testsupport::ShortDevice device(encode(text, row.codePage, row.codePage == codePageUtf16BE), row.good,
                                        row.then);
        TEkMemIni doc;
        EXPECT_EQ(doc.LoadFromStream(device, row.codePage), row.status);
        EXPECT_EQ(doc.sections.count == 0, row.status == loadOutOfMemory);
    }
}

// A file written while it is read, by this process or another, gives no document: the reads
// before the write and after it would make lines of two versions.
TEST_F(Files, AFileWrittenWhileItIsReadIsNoDocument) {
    QString before;
    for (int i = 0; i < 30000; ++i)
        before += QStringLiteral("key%1=old\r\n").arg(i, 5, 10, QChar('0'));
    const QString after = QString(before).replace("=old", "=new");
    const QString name = path("changing.ini");
    const struct {
        const char* name;
        QIODevice::OpenMode write; // none: the file is left as it is; Append adds a line
        bool inAnotherProcess;
    } rows[] = {
        {"read as it was", QIODevice::NotOpen, false},
        {"rewritten in place", QIODevice::ReadWrite, false},
        {"cut short and filled again", QIODevice::WriteOnly, false},
        {"grown at its end", QIODevice::Append, false},
        {"rewritten in place by another process", QIODevice::ReadWrite, true},
    };
    for (int cp : {int(codePageUtf8), int(codePageAnsi), int(codePageUtf16LE), int(codePageUtf16BE)}) {
        for (const auto& row : rows) {
            SCOPED_TRACE(testing::Message() << modeltest::codePageName(cp) << ", " << row.name);
            ASSERT_TRUE(writeFile(name, encode(before, cp, true)));
            // Saved long ago: a write within the tick of the clock that stamped the file's times
            // would keep them.
            const timespec longAgo[2] = {{1000000000, 0}, {1000000000, 0}};
            ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(name).constData(), longAgo, 0), 0);
            const QByteArray now =
                row.write == QIODevice::Append ? QByteArray("x=1") : encode(after, cp, true);
            const auto write = [&] {
                QFile file(name);
                return file.open(row.write) && file.write(now) == now.size() ? 0 : 1;
            };
            testsupport::ChangingFile file(name, 2, [&] {
                if (row.write != QIODevice::NotOpen) {
                    EXPECT_EQ(row.inAnotherProcess ? testsupport::exitStatusAs(0, write) : write(), 0);
                }
            });
            ASSERT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Unbuffered));
            TEkMemIni doc;
            EXPECT_EQ(doc.LoadFromStream(file, cp), row.write == QIODevice::NotOpen ? cp : loadUnreadable);
        }
    }
}

// The stamp is taken before the encoding's detection reads the file's start: a file changed as that
// read comes is no document either.
TEST_F(Files, AFileChangedAsItsEncodingIsDetectedIsNoDocument) {
    const QString name = path("changing.ini");
    ASSERT_TRUE(writeFile(name, encode("k=old\r\n", codePageUtf16LE, true)));
    testsupport::ChangeAtFirstRead change(
        name, [&] { writeFile(name, encode("k=new\r\nk2=2\r\n", codePageUtf16LE, true)); });
    if (!change.skipReason.isEmpty())
        GTEST_SKIP() << change.skipReason.toStdString();
    TEkMemIni doc;
    EXPECT_EQ(doc.LoadFromFile(name), loadUnreadable);
}

// A document takes from about its text to many times it, by the length of its lines. A load is
// judged by the memory really left as it runs: a file loads whenever that is above 1.5 times what
// its load takes and 24 MB (the check's reserve of 16 MB and its least step), whatever the shape
// of its lines along the file; below what it takes, it is refused, having taken no more than there
// was, and before a byte is read when the least its text takes does not fit beside the reserve.
TEST_F(Files, ALoadIsRefusedOnlyWhenItWouldNotFitInTheMemoryReallyLeft) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "a sanitizer holds freed memory back and adds its own: the growth tells nothing";
#endif
    constexpr qint64 kMb = 1 << 20;
    QString shortLines, longLines;
    for (int i = 0; i < 150000; ++i)
        shortLines += QStringLiteral("k%1=1\r\n").arg(i, 6, 10, QChar('0'));
    for (int i = 0; i < 20000; ++i)
        longLines += QStringLiteral("k%1=").arg(i, 5, 10, QChar('0')) + QString(300, u'v') + "\r\n";
    const std::pair<const char*, QString> shapes[] = {
        {"short then long", shortLines + longLines},
        {"long then short", longLines + shortLines},
        {"uniform: line breaks alone, the costliest lines", QString(1 << 20, u'\n')},
        {"small", shortLines.left(200000)}};
    for (int cp : {int(codePageUtf8), int(codePageAnsi), int(codePageUtf16LE), int(codePageUtf16BE)}) {
        for (const auto& [shape, lines] : shapes) {
            const QByteArray bytes = encode(lines, cp, true);
            const testsupport::MemoryGrowth loaded;
            if (!loaded.valid)
                GTEST_SKIP() << "the system does not let the peak be reset";
            ASSERT_EQ(TEkMemIni().loadFromBytes(bytes, cp), cp); // the document goes with the statement
            const qint64 cost = loaded.peak();
            const qint64 text = bytes.size() / 3; // the least a text takes: a third of its bytes
            // The memory left at the start, and whether the file loads.
            const std::tuple<const char*, qint64, bool> budgets[] = {
                {"1.5 times what it takes and 24 MB", cost * 3 / 2 + 24 * kMb, true},
                {"below what it takes", cost * 9 / 10, false},
                {"a tenth short of its text's least and 16 MB", text * 9 / 10 + 16 * kMb, false}};
            for (const auto& [budget, left, loads] : budgets) {
                SCOPED_TRACE(testing::Message() << modeltest::codePageName(cp) << ", " << shape << ", "
                                                << budget << ": " << cost / kMb << " MB");
                const testsupport::MemoryGrowth growth;
                int looks = 0;
                platform::ScopedSeam memory(platform::memoryLeftFigure,
                                            [&, left = left] { return ++looks, left - growth.now(); });
                TEkMemIni doc;
                EXPECT_EQ(doc.loadFromBytes(bytes, cp), loads ? cp : loadOutOfMemory);
                EXPECT_EQ(doc.sections.count, loads ? 1 : 0);
                EXPECT_LE(growth.peak(), left);
                EXPECT_TRUE(looks == 1 || left >= text + 16 * kMb) << "a byte was read";
            }
        }
    }
}

TEST_F(Files, MarksAreSkippedOnceAndKeptWhenDoubled) {
    TEkMemIni doc;
    // A UTF-8 file beginning with EF that is no mark: nothing is skipped.
    EXPECT_EQ(doc.loadFromBytes(bytes({0xEF, 'a', '=', '1'}), codePageUtf8), codePageUtf8);
    EXPECT_EQ(doc.sections[0]->values[0]->name, QString(QChar::ReplacementCharacter) + "a");
    doc.sections.clear();
    EXPECT_EQ(doc.loadFromBytes(bytes({0xEF, 0xBB, 0xBF, 0xEF, 0xBB, 0xBF, 'a', '=', '1'}), codePageUtf8),
              codePageUtf8);
    EXPECT_EQ(doc.sections[0]->values[0]->name, QString(QChar(0xFEFF)) + "a");
    doc.writeBom = true;
    EXPECT_EQ(doc.saveToBytes(codePageUtf8), bytes({0xEF, 0xBB, 0xBF, 0xEF, 0xBB, 0xBF}) + "a=1\r\n\r\n");
    doc.sections.clear();
    EXPECT_EQ(doc.loadFromBytes(bytes({0xFE, 0xFF, 0xFE, 0xFF, 0, 'a'}), codePageUtf16BE), codePageUtf16BE);
    EXPECT_EQ(doc.sections[0]->values[0]->value, QString(QChar(0xFEFF)) + "a");
}

TEST_F(Files, AnOddLastByteOfUtf16IsDropped) {
    TEkMemIni doc;
    EXPECT_EQ(doc.loadFromBytes(bytes({'a', 0, '=', 0, '1', 0, '2'}), codePageUtf16LE), codePageUtf16LE);
    EXPECT_EQ(dump(doc), "[;] 1:a|1|\n");
}

TEST_F(Files, StreamsReadFromTheirPositionAndFallBackToTheStart) {
    QBuffer buffer;
    buffer.setData(QByteArray("HEADER\xEF\xBB\xBF"
                              "a=1"));
    buffer.open(QIODevice::ReadOnly);
    buffer.seek(6);
    TEkMemIni doc;
    EXPECT_EQ(doc.LoadFromStream(buffer, codePageUtf8), codePageUtf8);
    EXPECT_EQ(dump(doc), "[;] 1:a|1|\n");

    // Without a matching mark the reader starts over at position 0, not where it stood.
    buffer.seek(3);
    TEkMemIni other;
    EXPECT_EQ(other.LoadFromStream(buffer, codePageUtf16LE), codePageUtf16LE);
    buffer.seek(3);
    TEkMemIni ansi;
    EXPECT_EQ(ansi.LoadFromStream(buffer, codePageAnsi), codePageAnsi);
    EXPECT_EQ(dump(ansi), "[;] 1:DER\u00EF\u00BB\u00BFa|1|\n")
        << "ANSI has no mark and reads from the position";
}

TEST_F(Files, SavingWithoutSectionsWritesOnlyTheDocumentsOwnMark) {
    TEkMemIni fresh; // code page 65001, no sections
    EXPECT_EQ(fresh.saveToBytes(codePageUtf16LE), bytes({0xEF, 0xBB, 0xBF}));
    fresh.writeBom = false;
    EXPECT_EQ(fresh.saveToBytes(codePageUtf16LE), QByteArray());
    ASSERT_TRUE(writeFile(path("empty.ini"), ""));
    TEkMemIni loaded;
    loaded.LoadFromFile(path("empty.ini"));
    EXPECT_EQ(loaded.saveToBytes(codePageUtf8), QByteArray());
}

TEST_F(Files, SaveReplacesTheFileAndConvertsTheEncoding) {
    TEkMemIni doc;
    ASSERT_TRUE(writeFile(path("a.ini"), "\xEF\xBB\xBF[s]\r\nk=v\r\n"));
    ASSERT_EQ(doc.LoadFromFile(path("a.ini")), codePageUtf8);
    QString error;
    ASSERT_TRUE(doc.SaveToFile(path("b.ini"), codePageUtf16LE, &error)) << error;
    EXPECT_EQ(doc.fileName, path("b.ini"));
    EXPECT_EQ(doc.codePage, codePageUtf8) << "saving does not change the document's encoding";
    EXPECT_EQ(readFile(path("b.ini")), encode("[s]\r\nk=v\r\n\r\n", codePageUtf16LE, true));
    TEkMemIni back;
    EXPECT_EQ(back.LoadFromFile(path("b.ini")), codePageUtf16LE);
    EXPECT_EQ(dump(back), "[s;] 1:k|v| 0:||\n") << "the separating blank line is read back as an item";
}

TEST_F(Files, SaveIntoAMissingFolderReportsAnError) {
    QString error;
    EXPECT_FALSE(TEkMemIni().SaveToFile(path("no/such/folder/x.ini"), codePageUtf8, &error));
    EXPECT_FALSE(error.isEmpty());
}

// Saves onto a full disk or past the file-size limit, in every code page, of a document that
// fits Qt's write buffer (whose failed flush Qt's own commit does not report) and of one that
// does not.
class FullDiskSave : public ::testing::TestWithParam<testsupport::FullDisk::Kind> {};

TEST_P(FullDiskSave, FailedSaveLeavesTheOldFileAndReportsTheError) {
    testsupport::FullDisk disk(GetParam());
    if (!disk.skipReason.isEmpty())
        GTEST_SKIP() << disk.skipReason;
    const QByteArray old = "old=1\r\n";
    for (int cp : {int(codePageUtf8), int(codePageAnsi), int(codePageUtf16LE), int(codePageUtf16BE)}) {
        for (int lines : {140, 4000}) { // 50 characters a line: under and far over 16 KiB
            SCOPED_TRACE(QStringLiteral("code page %1, %2 lines").arg(cp).arg(lines).toStdString());
            TEkMemIni doc;
            TEkIniSection* s = doc.addSection("big");
            for (int i = 0; i < lines; ++i)
                s->addValue(QStringLiteral("key%1").arg(i, 5, 10, QChar('0')), QString(40, u'v'), "");
            ASSERT_TRUE(writeFile(disk.path("keep.ini"), old));
            QString error;
            disk.fill();
            const bool saved = doc.SaveToFile(disk.path("keep.ini"), cp, &error);
            disk.release();
            EXPECT_FALSE(saved);
            EXPECT_EQ(error, disk.reason());
            EXPECT_EQ(doc.fileName, QString()) << "a failed save does not rename the document";
            EXPECT_EQ(readFile(disk.path("keep.ini")), old);
            EXPECT_EQ(QDir(disk.path(".")).entryList(QDir::Files), QStringList{"keep.ini"})
                << "no temporary file is left";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Disks, FullDiskSave,
                         ::testing::Values(testsupport::FullDisk::Kind::Tmpfs,
                                           testsupport::FullDisk::Kind::FileSizeLimit),
                         testsupport::FullDisk::caseName);

// --- Round trip ------------------------------------------------------------------------------

struct RoundTrip {
    int codePage;
    bool mark;
};

void PrintTo(const RoundTrip& trip, std::ostream* os) {
    *os << modeltest::codePageName(trip.codePage) << (trip.mark ? " with mark" : " without mark");
}

class RoundTrips : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(RoundTrips, ReadWriteReadWriteGivesTheSameBytes) {
    const auto [cp, mark] = GetParam();
    for (const modeltest::RoundTripSample& sample : modeltest::kRoundTripSamples) {
        SCOPED_TRACE(sample.name);
        TEkMemIni first;
        first.writeBom = mark;
        ASSERT_EQ(first.loadFromBytes(encode(QString::fromUtf16(sample.read), cp, mark), cp), cp);
        const QByteArray once = first.saveToBytes(cp);
        EXPECT_EQ(once, encode(QString::fromUtf16(sample.written), cp, mark && cp != codePageAnsi));
        TEkMemIni second;
        second.writeBom = mark;
        ASSERT_EQ(second.loadFromBytes(once, cp), cp);
        EXPECT_EQ(second.saveToBytes(cp), once);
    }
}

INSTANTIATE_TEST_SUITE_P(Encodings, RoundTrips,
                         ::testing::Values(RoundTrip{codePageUtf8, true}, RoundTrip{codePageUtf8, false},
                                           RoundTrip{codePageAnsi, true}, RoundTrip{codePageAnsi, false},
                                           RoundTrip{codePageUtf16LE, true},
                                           RoundTrip{codePageUtf16LE, false},
                                           RoundTrip{codePageUtf16BE, true},
                                           RoundTrip{codePageUtf16BE, false}),
                         [](const auto& info) {
                             return std::string(modeltest::codePageName(info.param.codePage)) +
                                    (info.param.mark ? "WithMark" : "NoMark");
                         });

TEST(MarkedFiles, AreDetectedWhenLoadedAgain) {
    // Only a mark identifies the encoding of a saved file.
    QTemporaryDir dir;
    for (int cp : {int(codePageUtf8), int(codePageUtf16LE), int(codePageUtf16BE)}) {
        TEkMemIni doc;
        ASSERT_EQ(
            doc.loadFromBytes(encode(QString::fromUtf16(modeltest::kRoundTripSamples[0].read), cp, true), cp),
            cp);
        ASSERT_TRUE(doc.SaveToFile(dir.filePath("x.ini"), cp));
        TEkMemIni back;
        EXPECT_EQ(back.LoadFromFile(dir.filePath("x.ini")), cp);
        EXPECT_EQ(back.saveToBytes(cp), doc.saveToBytes(cp)) << cp;
    }
}

TEST(AnsiFiles, EveryByteSurvivesALoadAndSave) {
    QByteArray all;
    for (int b = 1; b < 256; ++b) {
        if (b != '\r' && b != '\n' && b != ';' && b != '=' && b != '[' && b != ']' && b > ' ')
            all.append(char(b));
    }
    TEkMemIni doc;
    ASSERT_EQ(doc.loadFromBytes("k=" + all + "\r\n\r\n", codePageAnsi), codePageAnsi);
    EXPECT_EQ(doc.sections[0]->values[0]->value, platform::ansiDecode(all));
    EXPECT_EQ(doc.saveToBytes(codePageAnsi), "k=" + all + "\r\n\r\n");
}

} // namespace
