#include "model/EkMemIni.h"
#include "tests/model/ModelTestSupport.h"

#include <QStringList>
#include <gtest/gtest.h>

#include <climits>
#include <memory>

namespace {

TEST(PtrVector, GrowsByTheDocumentsRule) {
    TEkPtrVector<int> v;
    std::vector<int> capacities;
    int values[100] = {};
    for (int& value : values) {
        v.push(&value);
        if (capacities.empty() || capacities.back() != v.capacity)
            capacities.push_back(v.capacity);
    }
    EXPECT_EQ(capacities, (std::vector<int>{5, 10, 20, 30, 45, 67, 88, 115}));
    for (int i = v.count; i < v.capacity; ++i)
        EXPECT_EQ(v.data[i], nullptr);
    // A file of some hundred million short lines: the rule's products pass the int range.
    EXPECT_EQ(TEkPtrVector<int>::grownCapacity(80'000'000), 104'000'001);
    EXPECT_EQ(TEkPtrVector<int>::grownCapacity(1'700'000'000), INT_MAX);
}

TEST(PtrVector, InsertEraseAndIndexOfClampAndKeepOrder) {
    int a = 0, b = 0, c = 0, d = 0;
    TEkPtrVector<int> v;
    v.insert(-3, &a); // a
    v.insert(10, &b); // a b
    v.insert(1, &c);  // a c b
    v.insert(0, &d);  // d a c b
    EXPECT_EQ(v.indexOf(&c), 2);
    EXPECT_EQ(v.indexOf(&d, 1), -1);
    EXPECT_EQ(v.indexOf(&a, -1), -1);
    v.erase(0);
    v.erase(7);
    ASSERT_EQ(v.count, 3);
    EXPECT_EQ(v[0], &a);
    EXPECT_EQ(v[1], &c);
    EXPECT_EQ(v[2], &b);
    EXPECT_EQ(v.data[3], nullptr);
}

struct CleanCase {
    const char16_t* in;
    const char16_t* stored;
};

TEST(ItemSetters, CleanTheText) {
    const CleanCase cases[] = {
        {u"  a\tb  ", u"a\tb"},
        {u"x\r\ny", u"x y"},
        {u"   ", u""},
        {u"\t a \t", u"a"},
        {u"a\x01"
         u"b\n",
         u"ab"},
        {u"a\r", u"a"},
        {u"\x1c i ", u"i"},
        {u"\x7F"
         u"x",
         u"\x7F"
         u"x"},
    };
    for (const CleanCase& c : cases) {
        TEkIniVal item(0);
        item.setValue(QString::fromUtf16(c.in));
        EXPECT_EQ(item.value, QString::fromUtf16(c.stored)) << QString::fromUtf16(c.in);
        item.setComment(QString::fromUtf16(c.in));
        EXPECT_EQ(item.comment, QString::fromUtf16(c.stored));
    }
}

struct KindCase {
    QString name, value, comment;
    int type;
};

TEST(ItemSetters, DeriveTheKind) {
    const KindCase cases[] = {
        {"", "x", "", itemError}, {"", "", "", itemBlank},       {"", "", "c", itemComment},
        {"k", "", "", itemValue}, {"  ", "\r\n", "", itemBlank}, {"", "", " ", itemBlank},
    };
    for (const KindCase& c : cases)
        EXPECT_EQ(TEkIniVal(c.name, c.value, c.comment).type, c.type)
            << c.name << "|" << c.value << "|" << c.comment;
}

TEST(Section, InsertValueClampsTheIndex) {
    TEkIniSection s("s");
    s.addValue("a", "1", "");
    s.addValue("b", "2", "");
    TEkIniVal* first = s.insertValue(-5, "c", "", "");
    TEkIniVal* last = s.insertValue(s.values.count + 10, "d", "", "");
    EXPECT_EQ(s.values[0], first);
    EXPECT_EQ(s.values[3], last);
    TEkIniVal stranger(0);
    s.deleteValue(&stranger);
    EXPECT_EQ(s.values.count, 4);
    s.deleteValue(first);
    EXPECT_EQ(s.values.count, 3);
    EXPECT_EQ(s.values[0]->name, "a");
}

struct LineCase {
    QString name, value, comment;
    QString plain, withComment;
};

TEST(Item, LineText) {
    const LineCase cases[] = {
        {"k", "", "", "k", "k"},
        {"", "", "note", "", ";note"},
        {"k", "v", "c", "k=v", "k=v ;c"},
        {"", "text", "c", "text", "text ;c"},
    };
    for (const LineCase& c : cases) {
        const TEkIniVal item(c.name, c.value, c.comment);
        EXPECT_EQ(item.lineText(false), c.plain);
        EXPECT_EQ(item.lineTextWithComment(), c.withComment);
    }
}

TEST(Section, SectionTextWithAndWithoutComments) {
    TEkIniSection s("s");
    s.comment = "head";
    s.addValue("a", "1", "");
    s.addValue("", "", "");
    s.addValue("", "", "c");
    EXPECT_EQ(s.sectionText(false), "[s]\r\na=1\r\n");
    EXPECT_EQ(s.sectionText(true), "[s] ;head\r\na=1\r\n\r\n;c\r\n");
    TEkIniSection top;
    top.comment = "only";
    EXPECT_EQ(top.sectionText(true), ";only\r\n");
    EXPECT_EQ(top.sectionText(false), "");
}

struct ToggleCase {
    QString name, value, comment;
    QString commented; // the comment after commenting out
    QString back;      // dump of the item after turning it back
};

TEST(Item, ToggleCommentOutAndBack) {
    const ToggleCase cases[] = {
        {"k", "v", "c", "k=v ;c", "1:k|v|c"},    {"k", "", "", "k=", "1:k||"},
        {"", "hello", "", "hello", "3:|hello|"}, {"", "", "", "", "0:||"},
        {"", "x", "c", "x ;c", "3:|x ;c|"},
    };
    for (const ToggleCase& c : cases) {
        TEkIniVal item(c.name, c.value, c.comment);
        item.toggleComment();
        EXPECT_EQ(item.type, itemComment);
        EXPECT_EQ(item.comment, c.commented);
        EXPECT_TRUE(item.name.isEmpty() && item.value.isEmpty());
        item.toggleComment();
        EXPECT_EQ(QStringLiteral("%1:%2|%3|%4").arg(item.type).arg(item.name, item.value, item.comment),
                  c.back)
            << c.commented;
    }
}

TEST(Item, ToggleKeepsAControlCharacterThatStartsTheName) {
    TEkMemIni doc;
    ASSERT_EQ(doc.loadFromBytes("\x01k=v ;c", codePageUtf8), codePageUtf8);
    TEkIniVal& item = *doc.sections[0]->values[0];
    item.toggleComment();
    item.toggleComment();
    EXPECT_EQ(QStringLiteral("%1:%2|%3|%4").arg(item.type).arg(item.name, item.value, item.comment),
              "1:\x01k|v|c");
}

// Loaded items and their texts share blocks of memory: each must be freed alone, in any order,
// also after its document is gone, a copy of one is an item of its own, and a text changed
// changes no other.
TEST(Document, LoadedItemsOutliveTheirDocumentAndEachOther) {
    QString text;
    for (int i = 0; i < 500; ++i)
        text += QStringLiteral("k%1 = v%2 ;  note %2\r\n;  repeated comment \r\n").arg(i).arg(i % 7);
    auto source = std::make_unique<TEkMemIni>();
    ASSERT_EQ(source->loadFromBytes(text.toUtf8(), codePageUtf8), codePageUtf8);
    TIniValVec& loaded = source->sections[0]->values;
    ASSERT_EQ(loaded.count, 1000);
    TEkMemIni keeper;
    TEkIniSection* kept = keeper.addSection("kept");
    QStringList expected;
    for (int i = loaded.count - 1; i >= 0; i -= 3) {
        expected += i % 2 ? QStringLiteral(";repeated comment")
                          : QStringLiteral("k%1=v%2 ;note %2").arg(i / 2).arg(i / 2 % 7);
        kept->values.push(loaded[i]);
        loaded.erase(i);
    }
    const TEkIniVal copy(*kept->values[1]);
    *kept->values[0] = copy;
    kept->values.push(new TEkIniVal(copy));
    expected[0] = expected[1];
    expected += expected[1];
    QString name = loaded[1]->name;   // of the line loaded second
    QString value = loaded[2]->value; // of the line loaded third
    source.reset();
    name.append(QStringLiteral("_grown"));
    value[0] = u'w';
    EXPECT_EQ(name, QStringLiteral("k1_grown"));
    EXPECT_EQ(value, QStringLiteral("w2"));
    QStringList lines;
    for (const TEkIniVal* item : kept->values)
        lines += item->lineTextWithComment();
    EXPECT_EQ(lines, expected);
    kept->deleteValue(kept->values[kept->values.count / 2]);
}

// Adds section "s" ;"c" of five lines: a value, a value without name as the parser makes "=x",
// a comment, a blank line and a line of an unknown kind.
TEkIniSection* addMixedSection(TEkMemIni& doc) {
    TEkIniSection* s = doc.addSection("s");
    s->comment = "c";
    s->addValue("a", "1", "");
    auto* emptyName = new TEkIniVal(itemValue);
    emptyName->value = "x";
    s->values.push(emptyName);
    s->addValue("", "", "note");
    s->addValue("", "", "");
    s->values.push(new TEkIniVal(7));
    return s;
}

TEST(Document, CountsEachKindOfLine) {
    TEkMemIni doc;
    int counts[5] = {9, 9, 9, 9, 9};
    doc.addSection("");
    doc.countItemTypes(counts[0], counts[1], counts[2], counts[3], counts[4]);
    EXPECT_EQ(std::vector<int>(counts, counts + 5), (std::vector<int>{1, 0, 0, 0, 0}));
    addMixedSection(doc);
    doc.countItemTypes(counts[0], counts[1], counts[2], counts[3], counts[4]);
    EXPECT_EQ(std::vector<int>(counts, counts + 5), (std::vector<int>{2, 2, 1, 1, 1}));
}

TEST(Document, ACopiedSectionLeavesItsCommentAndDerivesItsLinesAnew) {
    TEkMemIni doc;
    TEkIniSection* copy = doc.addSectionCopy(addMixedSection(doc), "t");
    EXPECT_TRUE(copy->comment.isEmpty());
    ASSERT_EQ(copy->values.count, 5);
    EXPECT_EQ(copy->values[1]->type, itemError) << "an item without name is derived anew";
    EXPECT_EQ(doc.addSectionCopy(nullptr, "u")->values.count, 0);
}

TEST(Document, DeleteSectionLeavesAStrangerAlone) {
    TEkMemIni doc;
    doc.addSection("");
    TEkIniSection* s = addMixedSection(doc);
    TEkIniSection* copy = doc.addSectionCopy(s, "t");
    doc.addSectionCopy(nullptr, "u");
    TEkIniSection stranger;
    doc.deleteSection(&stranger);
    EXPECT_EQ(doc.sections.count, 4);
    doc.deleteSection(s);
    EXPECT_EQ(doc.sections.count, 3);
    EXPECT_EQ(doc.sections[1], copy);
}

} // namespace
