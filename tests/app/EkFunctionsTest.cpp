#include "app/EkFunctions.h"
#include "tests/support/TestSupport.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace {

// Sets the default locale for one test and restores the previous one.
class LocaleGuard {
public:
    explicit LocaleGuard(const QLocale& locale) : previous_(QLocale()) { QLocale::setDefault(locale); }
    ~LocaleGuard() { QLocale::setDefault(previous_); }

private:
    QLocale previous_;
};

} // namespace

TEST(GroupThousands, GroupsFromTheRightWithTheLocaleSeparator) {
    {
        LocaleGuard english(QLocale(QLocale::English, QLocale::UnitedStates));
        const struct {
            const char* digits;
            const char* grouped;
        } rows[] = {{"", ""},
                    {"7", "7"},
                    {"999", "999"},
                    {"1000", "1,000"},
                    {"12345", "12,345"},
                    {"123456", "123,456"},
                    {"1234567", "1,234,567"}};
        for (const auto& row : rows)
            EXPECT_EQ(groupThousands(row.digits), row.grouped) << row.digits;
    }
    LocaleGuard german(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(groupThousands("1234567"), "1.234.567");
}

TEST(FlagCharacters, OnlyZeroIsFalse) {
    EXPECT_EQ(boolToChar(true), '1');
    EXPECT_EQ(boolToChar(false), '0');
    EXPECT_FALSE(charToBool('0'));
    for (QChar c : {QChar('1'), QChar('x'), QChar(' '), QChar(0)})
        EXPECT_TRUE(charToBool(c)) << int(c.unicode());
}

TEST(IncludeTrailingBackslash, AddsOneSeparatorToANonEmptyPathAndChangesTheArgument) {
    const struct {
        const char* path;
        const char* result;
    } rows[] = {{"", ""}, {"/a/", "/a/"}, {"/a", "/a/"}, {"/", "/"}, {"rel", "rel/"}};
    for (const auto& row : rows) {
        QString path = row.path;
        EXPECT_EQ(includeTrailingBackslash(path), row.result) << row.path;
        EXPECT_EQ(path, row.result) << row.path;
    }
}

TEST(TextFunctions, ExpandTabsGivesEachTabItsWidthOfBlanks) {
    EXPECT_EQ(expandTabs(u"a\tb\t", 3), "a   b   ");
    EXPECT_EQ(expandTabs(u"a\tb", 0), "ab");
    EXPECT_EQ(expandTabs(u"a\tb", -2), "ab");
}

TEST(TextFunctions, ReplaceFirstReplacesOnlyTheFirstOccurrence) {
    EXPECT_EQ(replaceFirst("a-b-c", "-", "+"), "a+b-c");
    EXPECT_EQ(replaceFirst("a-b-c", "b-c", ""), "a-");
    EXPECT_EQ(replaceFirst("abc", "x", "y"), "abc");
    EXPECT_EQ(replaceFirst("abc", "", "y"), "abc");
}

TEST(TextFunctions, RemoveCharRemovesEveryOccurrence) {
    const QString removed = removeChar("a-b-c", '-');
    EXPECT_EQ(removed, "abc");
    EXPECT_EQ(removed.size(), 3);
    EXPECT_EQ(removeChar("---", '-'), "");
}

TEST(TextFunctions, RemoveBlanksKeepsOnlyCharactersAboveTheAsciiBlank) {
    EXPECT_EQ(removeBlanks(QString::fromUtf8(" Vel\tquin\r\n 1.0\x01\xc2\xa0")),
              QString::fromUtf8("Velquin1.0\xc2\xa0"));
}
