#include "controls/EkStringRC.h"

#include "tests/support/TestSupport.h"

#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QStringList entries(const TEkStringRC& rc) {
    QStringList result;
    for (int i = 0; i < rc.getCount(); ++i)
        result << rc.getRcString(i);
    return result;
}

void fill(TEkStringRC& rc, const QStringList& strings) {
    for (const QString& s : strings)
        rc.getStrings()->add(s);
}

struct MruCase {
    const char* name;
    QStringList before;
    int mruMax;
    QString added;
    QStringList after;
};

void PrintTo(const MruCase& c, std::ostream* os) {
    *os << c.name;
}

class AddMruTest : public ::testing::TestWithParam<MruCase> {};

TEST_P(AddMruTest, MovesToFrontAndTrims) {
    const MruCase& c = GetParam();
    TEkStringRC rc;
    rc.setMruMax(c.mruMax);
    fill(rc, c.before);
    rc.AddMru(c.added);
    EXPECT_EQ(entries(rc), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AddMruTest,
    ::testing::Values(
        MruCase{"AlreadyFirstKeepsOverlongList", {"a", "b", "c"}, 1, "a", {"a", "b", "c"}},
        MruCase{"AlreadyFirstIgnoringCase", {"Path", "b"}, 5, "PATH", {"Path", "b"}},
        MruCase{
            "FoundAtThreeMovesKeepingOrder", {"a", "b", "c", "d", "e"}, 10, "d", {"d", "a", "b", "c", "e"}},
        MruCase{"NewEntryTrimsTheEnd", {"a", "b", "c"}, 3, "n", {"n", "a", "b"}},
        MruCase{"DefaultLimitZeroEmptiesTheList", {"a", "b"}, 0, "n", {}},
        MruCase{"NegativeLimitCountsAsZero", {"a"}, -4, "n", {}},
        MruCase{"NegativeLimitOnEmptyList", {}, -1, "n", {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EkStringRC, NegativeMruMaxIsStoredAsZero) {
    TEkStringRC rc;
    EXPECT_EQ(rc.MruMax(), 0);
    rc.setMruMax(-3);
    EXPECT_EQ(rc.MruMax(), 0);
    rc.setMruMax(7);
    EXPECT_EQ(rc.MruMax(), 7);
}

TEST(EkStringRC, AddMruOnSortedListRaisesAndLosesNothing) {
    TEkStringRC rc;
    rc.setMruMax(10);
    fill(rc, {"c", "a", "b"});
    rc.setSorted(true);
    EXPECT_EQ(entries(rc), (QStringList{"a", "b", "c"}));
    try {
        rc.AddMru("c");
        FAIL() << "no error raised";
    } catch (const EStringListError& e) {
        EXPECT_EQ(e.message(), "Operation not allowed on sorted list");
    }
    EXPECT_EQ(entries(rc), (QStringList{"a", "b", "c"}));
    rc.AddMru("a"); // already first: nothing to insert, no error
    EXPECT_EQ(rc.getCount(), 3);
}

TEST(EkStringRC, IndexOfIgnoresCaseSortedOrNot) {
    TEkStringRC rc;
    fill(rc, {"Zeta", "alpha", "Mid"});
    EXPECT_EQ(rc.IndexOf("ALPHA"), 1);
    EXPECT_EQ(rc.IndexOf("none"), -1);
    rc.setSorted(true);
    EXPECT_EQ(rc.IndexOf("ALPHA"), 0);
    EXPECT_EQ(rc.IndexOf("zeta"), 2);
    EXPECT_EQ(rc.IndexOf("b"), -1);
}

TEST(EkStringRC, SortedListPlacesAdditionsAndIgnoresDuplicates) {
    TEkStringList list;
    list.setSorted(true);
    list.add("b");
    list.add("a");
    EXPECT_EQ(list.add("B"), 1);
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(list.get(0), "a");
    EXPECT_THROW(list.insert(0, "x"), EStringListError);
}

TEST(EkStringRC, GetRcStringOutOfRangeRaisesListError) {
    TEkStringRC rc;
    fill(rc, {"a"});
    for (int index : {-1, 1}) {
        try {
            rc.getRcString(index);
            FAIL() << index;
        } catch (const EStringListError& e) {
            EXPECT_EQ(e.message(), QString("List index out of bounds (%1)").arg(index));
        }
    }
}

TEST(EkStringRC, SetStringsCopiesThroughText) {
    TEkStringList source;
    source.add("one", 3);
    source.add("two\r\nlines", 4);
    TEkStringRC rc;
    fill(rc, {"old"});
    rc.setStrings(&source);
    EXPECT_EQ(entries(rc), (QStringList{"one", "two", "lines"}));
    EXPECT_EQ(rc.getStrings()->object(0), 0); // numbers are not copied
}

TEST(EkStringRC, SetStringsWithNullSourceKeepsTheList) {
    TEkStringRC rc;
    fill(rc, {"a", "b"});
    rc.setStrings(nullptr);
    EXPECT_EQ(entries(rc), (QStringList{"a", "b"}));
}

TEST(EkStringRC, TextSplitsAtEveryLineBreakKind) {
    TEkStringList list;
    list.setText("a\r\n\r\nb\nc\rd");
    EXPECT_EQ(list.count(), 5);
    EXPECT_EQ(list.get(1), "");
    EXPECT_EQ(list.get(4), "d");
    EXPECT_EQ(list.text(), "a\r\n\r\nb\r\nc\r\nd\r\n");
}

TEST(EkStringRC, SaveAndLoadRoundTripNonAnsiPaths) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString name = dir.filePath("mru.txt");
    TEkStringRC rc;
    fill(rc, {QString::fromUtf8("C:/d\u00e9j\u00e0/\u65e5\u672c.ini"), "second"});
    rc.SaveToFile(name);
    TEkStringRC other;
    other.LoadFromFile(name);
    EXPECT_EQ(entries(other), entries(rc));
    EXPECT_THROW(other.LoadFromFile(dir.filePath("missing.txt")), EFileStreamError);
    EXPECT_EQ(other.getCount(), 2);
}

TEST(EkStringRC, LoadWithoutByteOrderMarkReadsAnsi) {
    QTemporaryDir dir;
    const QString name = dir.filePath("ansi.txt");
    ASSERT_TRUE(testsupport::writeFile(name, QByteArray("caf\xE9\r\nx")));
    TEkStringList list;
    list.loadFromFile(name);
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(list.get(0), QString::fromUtf8("caf\u00e9"));
}

} // namespace
