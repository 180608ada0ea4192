#include "app/IniListModels.h"
#include "app/ImageLists.h"
#include "controls/ImgList.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QFontMetrics>
#include <QSignalSpy>
#include <QTreeView>
#include <array>
#include <deque>
#include <gtest/gtest.h>

namespace {

// Rows of these tests show the three texts their `data` points at.
using Texts = std::array<QString, 3>;
void showTexts(TIniListModel& model) {
    model.setTextSource([](const TListRow& row, int k) {
        return row.data ? (*static_cast<const Texts*>(row.data))[size_t(k)] : QString();
    });
}

class ListModelTest : public ::testing::Test {
protected:
    ListModelTest() : images(12, 12), model({"Name", "Value", "Comment"}, images) {
        addItemImages(images);
        showTexts(model);
    }

    TListRow row(const QString& name, int image = -1) { return {&store.emplace_back(Texts{name}), image}; }
    std::vector<TListRow> rows(int n) {
        std::vector<TListRow> result;
        for (int i = 0; i < n; ++i)
            result.push_back(row(QString("name%1").arg(i), i % 4));
        return result;
    }

    QString names() const {
        QStringList list;
        for (int i = 0; i < model.count(); ++i)
            list << model.text(model.row(i), 0) + "@" + QString::number(model.row(i)->index);
        return list.join(' ');
    }

    std::deque<Texts> store;
    TImageList images;
    TIniListModel model;
};

TEST_F(ListModelTest, ResetKeepsRowAddressesAndNumbersThem) {
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy inserts(&model, &QAbstractItemModel::rowsInserted);
    model.setRows(rows(3));
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(inserts.count(), 0);
    EXPECT_EQ(names(), "name0@0 name1@1 name2@2");
    TListRow* second = model.row(1);
    TListRow* inserted = model.insertRow(1, row("new", 2));
    EXPECT_EQ(names(), "name0@0 new@1 name1@2 name2@3");
    EXPECT_EQ(model.row(2), second); // the address of a row survives insertions
    model.removeRowAt(0);
    EXPECT_EQ(names(), "new@0 name1@1 name2@2");
    EXPECT_EQ(model.row(0), inserted);
    model.removeRowAt(7); // outside: nothing
    EXPECT_EQ(model.count(), 3);
    EXPECT_EQ(model.row(3), nullptr);
    EXPECT_EQ(model.row(-1), nullptr);
}

TEST_F(ListModelTest, ShowsImagesTextsAndHeaders) {
    std::vector<TListRow> r = rows(2);
    void* second = r[1].data;
    (*static_cast<Texts*>(second))[1] = "value";
    r[0].data = nullptr;
    model.setRows(std::move(r));
    EXPECT_EQ(model.columnCount(), 4);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "");
    EXPECT_EQ(model.headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), "Value");
    EXPECT_EQ(model.data(model.index(1, 2), Qt::DisplayRole).toString(), "value");
    EXPECT_FALSE(model.data(model.index(1, 0), Qt::DisplayRole).isValid());
    EXPECT_TRUE(model.data(model.index(1, 0), Qt::DecorationRole).isValid());
    EXPECT_EQ(model.findRow(second), model.row(1));
    EXPECT_EQ(model.findRow(nullptr), model.row(0));
    EXPECT_FALSE(model.flags(model.index(0, 1)).testFlag(Qt::ItemIsEditable));
}

TEST_F(ListModelTest, RowChangedSignalsOnlyForRowsOfTheList) {
    model.setRows(rows(2));
    QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);
    model.rowChanged(model.row(1));
    TListRow stranger;
    stranger.index = 1;
    model.rowChanged(&stranger);
    model.rowChanged(nullptr);
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(changes[0][0].toModelIndex().row(), 1);
}

// --- Widest text ----------------------------------------------------------------------------

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
    EXPECT_LT(widest.measured(), 200);
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

// Summed widths agree with laying each text out, within a pixel, for every kind of text; a
// text the sums cannot tell says so. The widest of many such texts agrees as well.
TEST(TextAdvancesTest, SumsAgreeWithLayingOutEveryText) {
    const QFont font = QApplication::font();
    const QFontMetrics metrics(font);
    const struct {
        const char* name;
        QString alphabet;
        bool summed; // every text is summed, none left to laying out
    } cases[] = {
        {"accents, Greek, CJK", QString::fromUtf8("äöüßéèçñøåÆŒ αβγδεζηθ 漢字仮名交じり文 ÀÉÎÕÜ"), true},
        {"ligatures, kerning", QString::fromUtf8("fiflffAVTWYoj.,-=;:/\\ 0123456789"), true},
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
            EXPECT_NEAR(TTextAdvances::pixels(sum), metrics.horizontalAdvance(text), 1)
                << c.name << ": " << text.toStdString();
        }
        if (c.summed) {
            EXPECT_EQ(summed, texts.size()) << c.name;
        }
        TWidestText widest(font);
        widest.addAll(int(texts.size()), [&](int i) -> const QString& { return texts[i]; });
        EXPECT_NEAR(widest.width(), widestLaidOut(texts, font), 1) << c.name;
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

// Texts of many thousand characters are not laid out whole: their width is estimated, within a
// hair of the measured one, and a row holding one is as high as a row of a short text of the
// same script.
TEST(WidestTextTest, VeryLongTextsAreEstimatedAndKeepTheRowHeight) {
    const QFont font = QApplication::font();
    const QFontMetrics metrics(font);
    const struct {
        const char* name;
        QString text;
    } cases[] = {{"latin", QString("C:\\Program Files\\data.dat,").repeated(800)},
                 {"cyrillic", QString::fromUtf8("\u041C\u043E\u0441\u043A\u0432\u0430 ").repeated(3000)},
                 {"east asian", QString::fromUtf8("\u6771\u4EAC\u90FD").repeated(6000)}};
    for (const auto& c : cases) {
        TWidestText widest(font);
        widest.add(c.text);
        const double exact = metrics.horizontalAdvance(c.text);
        EXPECT_NEAR(widest.width(), exact, exact / 100) << c.name;

        TImageList images(12, 12);
        TIniListModel model({"Name", "Value", "Comment"}, images);
        showTexts(model);
        Texts texts[2] = {Texts{QString(), c.text.repeated(20)}, Texts{QString(), "short"}};
        model.setRows({TListRow{&texts[0]}, TListRow{&texts[1]}});
        QTreeView view;
        setupReportView(&view, &model);
        view.resize(600, 200);
        view.grab();
        TIniListModel shortModel({"Name", "Value", "Comment"}, images);
        showTexts(shortModel);
        Texts shortTexts = {QString(), c.text.left(40)};
        shortModel.setRows({TListRow{&shortTexts}});
        QTreeView shortView;
        setupReportView(&shortView, &shortModel);
        EXPECT_EQ(view.sizeHintForRow(0), shortView.sizeHintForRow(0)) << c.name;
        EXPECT_LT(view.sizeHintForIndex(model.index(0, 2)).width(), 50 * view.viewport()->width())
            << c.name << ": laid out whole";
    }
}

} // namespace
