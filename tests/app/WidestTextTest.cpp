#include "app/WidestText.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QFontMetrics>
#include <QScopeGuard>
#include <gtest/gtest.h>

namespace {

TEST(WidestTextTest, FindsTheWidthOfTheWidestTextWhateverTheOrder) {
    const QFont font = QApplication::font();
    const QFontMetrics metrics(font);
    const QStringList texts = {"iiiiiiiiii",
                               "WWW",
                               "mmmmm",
                               QString::fromUtf8("Grüße"),
                               "",
                               "a\tb",
                               QString::fromUtf8("数据库连接"),
                               "llllllllllllllll",
                               "MMMM MMMM"};
    int expected = 0;
    for (const QString& text : texts)
        expected = std::max(expected, metrics.horizontalAdvance(text));
    for (bool reversed : {false, true}) {
        TWidestText widest(font);
        const int n = int(texts.size());
        widest.addAll(n, [&](int i) -> const QString& { return texts[reversed ? n - 1 - i : i]; });
        EXPECT_EQ(widest.width(), expected);
        TWidestText oneByOne(font);
        for (const QString& text : texts)
            oneByOne.add(text);
        EXPECT_EQ(oneByOne.width(), expected);
    }
}

TEST(WidestTextTest, AgreesWithMeasuringEveryTextOnRandomLatinTexts) {
    const QFont font = QApplication::font();
    const QFontMetrics metrics(font);
    const QString alphabet = QString::fromUtf8("AVTWYavtwyLfijl1.,-=:/\\ äöüßÉ0123456789kK'\"()[]");
    std::uint32_t seed = 12345;
    auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 8; };
    for (int round = 0; round < 50; ++round) {
        QStringList texts;
        for (int i = 0; i < 200; ++i) {
            QString text;
            const int length = int(next() % 24);
            for (int k = 0; k < length; ++k)
                text += alphabet[int(next() % alphabet.size())];
            texts << text;
        }
        int expected = 0;
        for (const QString& text : texts)
            expected = std::max(expected, metrics.horizontalAdvance(text));
        TWidestText widest(font);
        widest.addAll(int(texts.size()), [&](int i) -> const QString& { return texts[i]; });
        EXPECT_EQ(widest.width(), expected) << round;
    }
}

TEST(WidestTextTest, StartWidthCountsAndSettlesNarrowTexts) {
    const QFont font = QApplication::font();
    TWidestText widest(font, 10000);
    const QStringList texts(1000, QString("key=value"));
    widest.addAll(int(texts.size()), [&](int i) -> const QString& { return texts[i]; });
    EXPECT_EQ(widest.width(), 10000);
    EXPECT_EQ(widest.measured(), 0);
}

TEST(WidestTextTest, MeasuresFewOfManySimilarTexts) {
    const QFont font = QApplication::font();
    QStringList texts;
    for (int i = 0; i < 5000; ++i)
        texts << QString("Key%1").arg(i % 100 == 0 ? 100000 + i : i);
    TWidestText widest(font);
    widest.addAll(int(texts.size()), [&](int i) -> const QString& { return texts[i]; });
    const QFontMetrics metrics(font);
    int expected = 0;
    for (const QString& text : texts)
        expected = std::max(expected, metrics.horizontalAdvance(text));
    EXPECT_EQ(widest.width(), expected);
    EXPECT_LE(widest.measured(), 2) << "the text of the widest sum is laid out, the rest are summed";
}

// Random texts of an alphabet; the same texts on every run.
QStringList randomTexts(const QString& alphabet, int count, int longest, std::uint32_t seed) {
    const QList<uint> chars = alphabet.toUcs4();
    auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 8; };
    QStringList texts;
    for (int i = 0; i < count; ++i) {
        QList<uint> text;
        for (int k = int(next() % uint(longest)) + 1; k > 0; --k)
            text << chars[int(next() % uint(chars.size()))];
        texts << QString::fromUcs4(reinterpret_cast<const char32_t*>(text.data()), text.size());
    }
    return texts;
}

int widestLaidOut(const QStringList& texts, const QFont& font) {
    const QFontMetrics metrics(font);
    int widest = 0;
    for (const QString& text : texts)
        widest = std::max(widest, metrics.horizontalAdvance(text));
    return widest;
}

// Kerning also widens: a text of pairs kerned apart is wider than its characters' advances,
// and wider than a text of the same characters kerned together.
TEST(WidestTextTest, TextsKernedApartAreMeasuredWide) {
    const QFont font = QApplication::font();
    const QStringList texts = {QString(11, '-') + QString(11, 'J'), QString("-J").repeated(11)};
    TWidestText widest(font);
    widest.addAll(int(texts.size()), [&](int i) -> const QString& { return texts[i]; });
    EXPECT_EQ(widest.width(), widestLaidOut(texts, font));
}

// Summed widths agree with laying each text out, for every kind of text; a text the sums cannot
// tell says so. The widest of many such texts agrees to the pixel.
TEST(TextAdvancesTest, SumsAgreeWithLayingOutEveryText) {
    const QFont font = QApplication::font();
    const QFontMetrics metrics(font);
    const struct {
        const char* name;
        QString alphabet;
        bool summed; // every text is summed, none left to laying out
        // How far a sum may be from the laid-out width: four or more characters together may do
        // what their pairs and triples do not.
        int slack = 0;
    } cases[] = {
        {"accents, Greek, CJK", QString::fromUtf8("äöüßéèçñøåÆŒ αβγδεζηθ 漢字仮名交じり文 ÀÉÎÕÜ"), true},
        {"ligatures, kerning", QString::fromUtf8("fiflffAVTWYoj.,-=;:/\\ 0123456789"), true, 1},
        {"Cyrillic, digits", QString::fromUtf8("Москва пример ЖЁЯ 123,."), true},
        {"Korean", QString::fromUtf8("한국어 텍스트 123"), true},
        {"TABs", QString::fromUtf8("ab\tWW\t,. 漢 ii"), true},
        {"surrogate pairs", QString::fromUtf8("a𠀀𠀁😀 b漢"), true},
        {"UTF-8 read as ANSI",
         QString::fromLatin1(QString::fromUtf8("äöü αβ 値数据库 ÀÎ").toUtf8()) + "\u20AC\u201A\x8D\xAD",
         true},
        {"combining marks", QString::fromUtf8("ae\u0301\u0308o "), false},
        {"Arabic", QString::fromUtf8("مرحبا abc"), false},
    };
    for (const auto& c : cases) {
        TTextAdvances advances(font);
        const QStringList texts = randomTexts(c.alphabet, 3000, 40, 7);
        int summed = 0;
        for (const QString& text : texts) {
            const qint64 sum = advances.width64(text);
            EXPECT_EQ(advances.knownWidth64(text), sum) << c.name;
            if (sum == TTextAdvances::kLayOut)
                continue;
            ++summed;
            EXPECT_NEAR(TTextAdvances::pixels(sum), metrics.horizontalAdvance(text), c.slack)
                << c.name << ": " << text.toStdString();
        }
        if (c.summed) {
            EXPECT_EQ(summed, texts.size()) << c.name;
        }
        TWidestText widest(font);
        widest.addAll(int(texts.size()), [&](int i) -> const QString& { return texts[i]; });
        EXPECT_EQ(widest.width(), widestLaidOut(texts, font)) << c.name;
    }
}

// Texts wider than their sums, as an effect of characters together that the tables miss would
// make them, are still found exactly. Laid out, the text of the widest sum shows how far short a
// sum may fall, and a text after it that falls as short is laid out as well.
TEST(WidestTextTest, TextsWiderThanTheirSumsAreFoundExactly) {
    const QFont font = QApplication::font();
    const QFontMetrics metrics(font);
    const QString narrow(4, 'W'), wide(5, 'W');
    // Texts with a "W" are summed short by the gap between the two and half a pixel: the wider is
    // summed narrower than the narrower is laid out.
    const qint64 shortBy = 64 * (metrics.horizontalAdvance(wide) - metrics.horizontalAdvance(narrow)) + 32;
    platform::ScopedSeam bias(TWidestText::sumBias,
                              [&](QStringView text) { return text.contains(u'W') ? -shortBy : 0; });
    QStringList rows;
    for (int i = 0; i < 2500; ++i)
        rows << (i == 100 ? narrow : i == 2400 ? wide : QString("k%1").arg(i % 10));
    enum How { OneByOne, AllAtOnce, InRows };
    const struct {
        const char* name;
        How how;
        QStringList texts;
    } cases[] = {
        {"one by one, the wider last", OneByOne, {"ii", narrow, "iii", wide}},
        {"one by one, the wider first", OneByOne, {wide, "ii", narrow}},
        {"all at once", AllAtOnce, {"ii", narrow, wide, "iii"}},
        {"in rows, the wider summed in a part", InRows, rows},
    };
    for (const auto& c : cases) {
        std::vector<TWidestText> columns = {TWidestText(font)};
        const auto at = [&](int i, int = 0) -> const QString& { return c.texts[i]; };
        if (c.how == OneByOne)
            std::for_each(c.texts.begin(), c.texts.end(), [&](const QString& text) { columns[0].add(text); });
        else if (c.how == AllAtOnce)
            columns[0].addAll(int(c.texts.size()), at);
        else
            TWidestText::addRows(columns, int(c.texts.size()), at);
        EXPECT_EQ(columns[0].width(), metrics.horizontalAdvance(wide)) << c.name;
    }
}

// Texts the tables sum exactly are not laid out again, so the widest must be found by its sum
// wherever it stands: first or last in the part of a thread, or of this one.
TEST(WidestTextTest, RowsSummedInPartsFindTheWidestAtEitherEndOfAPart) {
    const QFont font = QApplication::font();
    constexpr int kFirstRows = 2000; // summed before the parts, to fill the tables
    const struct {
        const char* name;
        int rows;
        int widest;
    } cases[] = {{"one part: its first", 2500, kFirstRows},
                 {"one part: its last", 2500, 2499},
                 {"parts on threads: the first", 152000, kFirstRows},
                 {"parts on threads: the last", 152000, 151999}};
    for (const auto& c : cases) {
        QStringList texts;
        for (int i = 0; i < c.rows; ++i)
            texts << (i == c.widest ? QString(30, 'W') : QString("k%1").arg(i % 10));
        std::vector<TWidestText> columns = {TWidestText(font)};
        TWidestText::addRows(columns, c.rows, [&](int i, int) -> const QString& { return texts[i]; });
        EXPECT_EQ(columns[0].width(), widestLaidOut(texts, font)) << c.name;
    }
}

// Rows enough for several threads: the first rows fill the tables, and characters, pairs and
// texts to lay out that only later rows have are summed after the threads.
TEST(WidestTextTest, RowsSummedInPartsFindTheWidestOfEachColumn) {
    const QFont font = QApplication::font();
    constexpr int kRows = 52000;
    QStringList keys;
    for (int i = 0; i < kRows; ++i)
        keys << QString("key%1").arg(i, 7, 10, QChar('0'));
    QStringList values = randomTexts("abcdef =", 2000, 30, 1) +
                         randomTexts(QString::fromUtf8("abcdefWAVfi\tαβ漢e\u0301"), kRows - 2000, 40, 2);
    // The widest in the first column is laid out on a thread; in the second, summed after the
    // threads, with a character the first rows lack.
    values[kRows - 1] = QString(42, 'W') + QString::fromUtf8("漢");
    keys[kRows / 2] = QString(20, 'W') + QString::fromUtf8("e\u0301");
    std::vector<TWidestText> columns = {TWidestText(font), TWidestText(font)};
    TWidestText::addRows(columns, kRows,
                         [&](int i, int k) -> const QString& { return k == 0 ? keys[i] : values[i]; });
    EXPECT_EQ(columns[0].width(), widestLaidOut(keys, font));
    EXPECT_EQ(columns[1].width(), widestLaidOut(values, font));
    EXPECT_LT(columns[0].measured(), 20);
}

} // namespace
