#include "model/EkMemIni.h"
#include "model/EkSearch.h"
#include "tests/model/ModelTestSupport.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

struct FindCase {
    const char* pattern;
    const char16_t* text;
    bool caseSensitive;
    bool wholeWords;
    int found;
};

TEST(Search, FindsThePatternInOneText) {
    const FindCase cases[] = {
        {"port", u"Port=80", false, false, 0},        {"port", u"Port=80", true, false, -1},
        {"PORT", u"a port", false, false, 2},         {"port", u"port", false, true, 0},
        {"port", u"port.x", false, true, 0},          {"port", u"export", false, true, -1},
        {"port", u"a port", false, true, 2},          {"port", u"portal", false, true, -1},
        {"port", u"my-port", false, true, 3},         {"port", u"a\tport", false, true, -1},
        {"port", u"export port", false, true, 7},     {"", u"anything", false, false, -1},
        {"long pattern", u"short", false, false, -1}, {"\u00E4", u"\u00C4rger", false, false, 0},
    };
    for (const FindCase& c : cases) {
        TEkSearch search(QString::fromUtf8(c.pattern), QString(), c.caseSensitive, c.wholeWords);
        EXPECT_EQ(search.find(QString::fromUtf16(c.text)), c.found)
            << c.pattern << " in " << QString::fromUtf16(c.text);
        EXPECT_EQ(search.lastFound(), c.found);
    }
}

TEST(Search, OwnSeparatorsReplaceTheDefaultSet) {
    TEkSearch search("port", "#", false, true);
    EXPECT_EQ(search.find(u"a#port#b"), 2);
    EXPECT_EQ(search.find(u"a port"), -1);
    EXPECT_EQ(TEkSearch::defaultSeparators().size(), 25);
}

TEST(Search, TheWorkBufferGrowsForLongTexts) {
    TEkSearch search("needle", QString(), false, false);
    EXPECT_EQ(search.workCapacity(), 200);
    const QString text = QString(500, u'x') + "NEEDLE";
    EXPECT_EQ(search.find(text), 500);
    EXPECT_EQ(search.workCapacity(), 606);
    EXPECT_EQ(text.right(6), "NEEDLE") << "the searched text itself is not lower-cased";
}

// Sections: 0 nameless {a=1}, 1 "alpha" ;"first" {x=1, y=hit}, 2 "hit" {}, 3 "beta" {z=hit}
class Walk : public ::testing::Test {
protected:
    void SetUp() override {
        doc.addSection("")->addValue("a", "1", "");
        TEkIniSection* alpha = doc.addSection("alpha");
        alpha->comment = "first";
        alpha->addValue("x", "1", "");
        alpha->addValue("y", "hit", "");
        doc.addSection("hit");
        doc.addSection("beta")->addValue("z", "hit", "");
    }
    // Runs the search from (s, i) and returns "s/i" of the hit or "none s/i".
    std::string run(int s, int i, bool names, bool items, bool backward) {
        const bool found = doc.find(search, s, i, names, false, items, items, false, backward);
        return (found ? "" : "none ") + std::to_string(s) + "/" + std::to_string(i);
    }
    TEkMemIni doc;
    TEkSearch search{"hit", QString(), false, false};
};

TEST_F(Walk, ForwardsAndBackwardsWithoutWrapping) {
    const int end = TEkSearch::kItemPastEnd;
    EXPECT_EQ(run(-1, -1, true, true, false), "1/1");
    EXPECT_EQ(run(1, 2, true, true, false), "2/-1") << "the next section's header";
    EXPECT_EQ(run(2, 0, true, true, false), "3/0") << "a header is not tested after its items";
    EXPECT_EQ(run(3, 1, true, true, false), "none 3/-1");
    EXPECT_EQ(run(-1, -1, false, true, false), "1/1");
    EXPECT_EQ(run(2, -1, false, true, false), "3/0") << "only item flags: the header is skipped";
    EXPECT_EQ(run(end, end, true, true, true), "3/0");
    EXPECT_EQ(run(3, -1, true, true, true), "2/" + std::to_string(end)) << "a header hit backwards";
    EXPECT_EQ(run(1, 0, true, true, true), "none 1/" + std::to_string(end))
        << "without a hit the section index keeps its start";
}

TEST(ItemMatch, TestsNameValueAndCommentInTurn) {
    TEkSearch search("k", QString(), true, false);
    const TEkIniVal line("", "k", "");
    EXPECT_TRUE(line.matches(search, false, true, false)) << "a line without '=' is searched as a value";
    EXPECT_FALSE(line.matches(search, true, false, true));
    const TEkIniVal item("a", "b", "k");
    EXPECT_TRUE(item.matches(search, false, false, true));
}

// --- Sorting ---------------------------------------------------------------------------------

QString names(const TEkMemIni& doc) {
    QStringList out;
    for (const TEkIniSection* s : doc.sections)
        out << s->name + u'/' + QString::number(s->values.count);
    return out.join(u' ');
}

QString items(const TEkIniSection& s) {
    QStringList out;
    for (const TEkIniVal* v : s.values)
        out << v->lineText(true);
    return out.join(u' ');
}

TEST(Sort, SectionsByColumn) {
    TEkMemIni doc;
    // "B" before "a" in code-point order: the sort must ignore case.
    doc.addSection("B");
    doc.addSection("a")->comment = "z";
    doc.addSection("")->addValue("k", "", "");
    TEkIniSection* x3 = doc.addSection("x");
    for (int i = 0; i < 3; ++i)
        x3->addValue("k", "", "");
    doc.addSection("x")->addValue("k", "", "");
    doc.sortSections(0, true);
    EXPECT_EQ(names(doc), "/1 a/0 B/0 x/1 x/3");
    doc.sortSections(0, false);
    EXPECT_EQ(names(doc), "x/3 x/1 B/0 a/0 /1");
    doc.sortSections(1, true);
    EXPECT_EQ(names(doc), "x/3 x/1 B/0 a/0 /1") << "column 1 does not sort sections";
    doc.sortSections(2, true);
    EXPECT_EQ(names(doc), "a/0 B/0 /1 x/1 x/3");
    doc.sortSections(3, false);
    EXPECT_EQ(names(doc), "a/0 x/3 x/1 B/0 /1") << "a alone has a comment; then names, then counts";
}

TEST(Sort, ItemsWithEmptyKeysStayWhereTheSortLeavesThem) {
    struct Case {
        int column;
        bool ascending;
        const char* expected;
    };
    const Case cases[] = {
        {0, true, "a=2 b=1 ;note"},
        {1, true, "b=1 ;note a=2"},
        {2, false, "b=1 ;note a=2"},
        {3, true, "a=2 b=1 ;note"},
    };
    for (const Case& c : cases) {
        TEkIniSection s;
        s.addValue("b", "1", "");
        s.addValue("", "", "note");
        s.addValue("a", "2", "");
        s.sortValues(c.column, c.ascending);
        EXPECT_EQ(items(s), c.expected) << c.column << c.ascending;
    }
}

TEST(Sort, LongRangesAreSortedStablyInBothDirections) {
    // Above 32 elements the sort halves and merges; equal elements keep their order both ways.
    TEkIniSection s;
    for (int i = 0; i < 300; ++i)
        s.addValue(QStringLiteral("k%1").arg((i * 37) % 50, 2, 10, QChar('0')), "v", "");
    std::vector<TEkIniVal*> before(s.values.begin(), s.values.end());
    for (bool ascending : {true, false}) {
        s.sortValues(0, ascending);
        for (int i = 1; i < s.values.count; ++i) {
            const int c = s.values[i - 1]->name.compare(s.values[i]->name);
            ASSERT_TRUE(ascending ? c <= 0 : c >= 0) << i;
            if (c == 0) {
                const auto at = [&](TEkIniVal* v) { return std::find(before.begin(), before.end(), v); };
                ASSERT_LT(at(s.values[i - 1]), at(s.values[i])) << "stable at " << i;
            }
        }
    }
}

TEST(Sort, LongRangesWithEmptyKeysFollowTheMergeShape) {
    // 34 items are sorted as two halves of 17, then merged. The blank line that opens the
    // second half cannot be ordered against value items, so the merge never lets the small
    // names behind it pass the first half; one insertion sort over all 34 would move them.
    TEkIniSection s;
    QStringList expected;
    for (int i = 50; i < 67; ++i)
        expected << QStringLiteral("k%1").arg(i);
    expected << QString();
    for (int i = 1; i < 17; ++i)
        expected << QStringLiteral("k%1").arg(i, 2, 10, QChar('0'));
    for (const QString& name : expected)
        s.addValue(name, "", "");
    s.sortValues(0, true);
    EXPECT_EQ(items(s), expected.join(u' '));

    // Within one half the blank does not block: insertion compares with the first element.
    TEkIniSection small;
    for (const char* name : {"k50", "", "k01"})
        small.addValue(name, "", "");
    small.sortValues(0, true);
    EXPECT_EQ(items(small), "k01 k50 ");
}

TEST(Sort, SortAllUsesTheColumnForBoth) {
    TEkMemIni doc;
    TEkIniSection* two = doc.addSection("two");
    two->addValue("b", "", "");
    two->addValue("a", "", "");
    doc.addSection("one")->addValue("z", "", "");
    doc.sortAll(2, true);
    EXPECT_EQ(names(doc), "one/1 two/2");
    EXPECT_EQ(items(*doc.sections[1]), "a b");
}

} // namespace
