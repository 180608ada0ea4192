// Settings texts with lines that QSettings cannot read: QSettings itself judges the result.
#include "platform/core/SettingsFile.h"
#include "tests/support/TestSupport.h"

#include <QSettings>
#include <gtest/gtest.h>

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

TEST(SettingsText, AnUnreadableLineCostsOnlyItself) {
    struct Row {
        const char* name;
        QByteArray text;
        QList<int> unreadable; // line numbers
        QStringList values;    // as read from the readable lines
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
        {"carriage returns alone", "k=1\r[Gen\rj=2\r", {2}, {"j=2", "k=1"}},
        {"semicolon in a header", "[a;b]\nk=1\n", {1}, {"k=1"}},
        {"escaped equals sign", "k\\=v\nj=2", {1}, {"j=2"}},
        {"vertical tab, form feed", "\v\n\fk=1\nj=2", {1}, {"j=2", "k=1"}},
        {"comments and blank lines count", "; c\n\n  novalue  \nk=1 ; c\nx;=y\n", {3, 5}, {"k=1"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const platform::SettingsText split = platform::splitSettingsText(row.text);
        QList<int> numbers;
        for (const platform::UnreadableLine& line : split.unreadable)
            numbers << line.number;
        EXPECT_EQ(numbers, row.unreadable);
        EXPECT_EQ(read(row.text).first,
                  row.unreadable.isEmpty() ? QSettings::NoError : QSettings::FormatError);
        const auto [status, values] = read(split.readable);
        EXPECT_EQ(status, QSettings::NoError);
        EXPECT_EQ(values, row.values);
        EXPECT_EQ(split.readable == row.text, row.unreadable.isEmpty());
    }
    EXPECT_EQ(platform::splitSettingsText("k=1\n  novalue \r\n").unreadable[0].text, "  novalue ");
}

} // namespace
