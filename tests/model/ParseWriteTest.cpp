// The grammar, the parser and the writer, run through each of the four readers and writers.
#include "model/EkMemIni.h"
#include "tests/model/ModelTestSupport.h"
#include "tests/support/TestSupport.h"

#include <QStringEncoder>
#include <gtest/gtest.h>
#include <set>

#include <optional>
#include <tuple>

using modeltest::dump;
using modeltest::encode;

namespace {

using namespace std::literals;

struct GrammarCase {
    std::u16string_view text;
    const char16_t* structure; // dump() of the document read
    const char16_t* written;   // the text the writer gives back
};

const GrammarCase kGrammar[] = {
    {u"a=1\r\n[s]\r\nb = 2 ; note\r\n", u"[;] 1:a|1|\n[s;] 1:b|2|note\n",
     u"a=1\r\n\r\n[s]\r\nb=2 ;note\r\n\r\n"},
    {u"  [s]\r\nx=1", u"[s;] 1:x|1|\n", u"[s]\r\nx=1\r\n\r\n"},
    {u"[s] junk ; remark", u"[s; remark]\n", u"[s] ; remark\r\n"},
    {u"key=\r\n=x\r\n", u"[;] 1:key|| 1:|x|\n", u"key=\r\n=x\r\n\r\n"},
    {u"just text ; x\r\n\r\n", u"[;] 3:|just text ; x| 0:||\n", u"just text ; x\r\n\r\n"},
    {u";\r\n;  note  \r\n", u"[;] 0:|| 2:||note\n", u"\r\n;note\r\n\r\n"},
    {u"key=   \r\n[ ]", u"[;] 1:key| |\n[ ;]\n", u"key= \r\n\r\n[ ]\r\n"},
    {u"path=C:\\a;b", u"[;] 1:path|C:\\a|b\n", u"path=C:\\a ;b\r\n\r\n"},
    {u"k=v\nk2=v2\n", u"[;] 1:k|v| 1:k2|v2|\n", u"k=v\r\nk2=v2\r\n\r\n"},
    {u"[a]\r\nx=1\r\n\r\n[b]\r\ny=2\r\n", u"[a;] 1:x|1| 0:||\n[b;] 1:y|2|\n",
     u"[a]\r\nx=1\r\n\r\n[b]\r\ny=2\r\n\r\n"},
    {u"[a]\r\n[b]\r\n", u"[a;]\n[b;]\n", u"[a]\r\n[b]\r\n"},
    {u"   \t  ", u"[;]\n", u""},
    {u"Gr\u00F6\u00DFe = 5 \u20AC ; \u00FCber", u"[;] 1:Gr\u00F6\u00DFe|5 \u20AC|\u00FCber\n",
     u"Gr\u00F6\u00DFe=5 \u20AC ;\u00FCber\r\n\r\n"},
    {u"a=1\t \0\0 "sv, u"[;] 1:a|1|\n", u"a=1\r\n\r\n"},
    // A lone CR is a line break of its own; nothing after it is lost.
    {u"a=1\rb=2\r\r\nc", u"[;] 1:a|1| 1:b|2| 0:|| 3:|c|\n", u"a=1\r\nb=2\r\n\r\nc\r\n\r\n"},
    {u"x=1\r", u"[;] 1:x|1|\n", u"x=1\r\n\r\n"},
    // An empty or blank value before a comment is written without the separating blank, which
    // would read back as a value " ".
    {u"k=;c\r\n=;d\r\nt=\t;e\r\nb=  ;f", u"[;] 1:k||c 1:||d 1:t|\t|e 1:b| |f\n",
     u"k=;c\r\n=;d\r\nt=\t;e\r\nb= ;f\r\n\r\n"},
    // A comment line's blanks behind a dropped control character are leading blanks too.
    {u";\x1c  i", u"[;] 2:||i\n", u";i\r\n\r\n"},
    // A control character first on a line starts its name or its text, which keep it: the line
    // is neither a header nor a comment line, and it is written back as it was read.
    {u"\x01[x] ;c\r\n\x02;note\r\n\x03 \r\n\x04 =v\r\n",
     u"[;] 3:|\x01[x] ;c| 3:|\x02;note| 3:|\x03| 1:\x04|v|\n",
     u"\x01[x] ;c\r\n\x02;note\r\n\x03\r\n\x04=v\r\n\r\n"},
    {u"a=1\r\n\x01[x\r\n \t\x0b[s]=1\r\n\x1a", u"[;] 1:a|1| 3:|\x01[x| 1:\x0b[s]|1| 3:|\x1a|\n",
     u"a=1\r\n\x01[x\r\n\x0b[s]=1\r\n\x1a\r\n\r\n"},
    {u"\x01\x02 k\x03=\x04 v\x05 ;\x06 c\x07", u"[;] 1:\x01\x02 k|v|c\n", u"\x01\x02 k=v ;c\r\n\r\n"},
    // A "[]" header keeps its section apart; only a nameless first section goes without one,
    // unless it has a comment, or a nameless section follows it and would take its place.
    {u"[a]\r\nx=1\r\n[]\r\ny=2", u"[a;] 1:x|1|\n[;] 1:y|2|\n", u"[a]\r\nx=1\r\n\r\n[]\r\ny=2\r\n\r\n"},
    {u"top=1\r\n[] ; note\r\n[]", u"[;] 1:top|1|\n[; note]\n[;]\n", u"top=1\r\n\r\n[] ; note\r\n[]\r\n"},
    {u"[]\r\n[]\r\n[] ;c\r\n[]", u"[;]\n[;]\n[;c]\n[;]\n", u"[]\r\n[]\r\n[] ;c\r\n[]\r\n"},
    {u"[] ;c\r\nx=1\r\n[]", u"[;c] 1:x|1|\n[;]\n", u"[] ;c\r\nx=1\r\n\r\n[]\r\n"},
    {u"  []junk;owner: ops team\r\nk=v", u"[;owner: ops team] 1:k|v|\n",
     u"[] ;owner: ops team\r\nk=v\r\n\r\n"},
    {u"[] ;c", u"[;c]\n", u"[] ;c\r\n"},
    {u"[]\r\n[a]\r\nx=1", u"[;]\n[a;] 1:x|1|\n", u"[a]\r\nx=1\r\n\r\n"},
    // Above U+000D a control character is part of a header's name.
    {u"[s\x0et]\r\nk=v", u"[s\x0et;] 1:k|v|\n", u"[s\x0et]\r\nk=v\r\n\r\n"},
};

class Grammar : public ::testing::TestWithParam<int> {};

TEST_P(Grammar, ReadsAndWritesBackEachCase) {
    const int cp = GetParam();
    for (const GrammarCase& c : kGrammar) {
        const QString text = QString::fromUtf16(c.text.data(), qsizetype(c.text.size()));
        TEkMemIni doc;
        doc.writeBom = false;
        ASSERT_EQ(doc.loadFromBytes(encode(text, cp, false), cp), cp) << text;
        EXPECT_EQ(dump(doc), QString::fromUtf16(c.structure)) << text;
        EXPECT_EQ(doc.buildText(), QString::fromUtf16(c.written)) << text;
        EXPECT_EQ(doc.documentTextSize(), doc.buildText().size()) << text;
        EXPECT_EQ(doc.saveToBytes(cp), encode(QString::fromUtf16(c.written), cp, false)) << text;
        // Each section's and item's size is that of the lines written for it: what a section has
        // beyond its items and its closing blank line is one header line, or nothing.
        const QStringList lines = QString::fromUtf16(c.written).split(QStringLiteral("\r\n"));
        int line = 0;
        for (int s = 0; s < doc.sections.count; ++s) {
            const TIniValVec& items = doc.sections[s]->values;
            const bool closed = items.count > 0 && items[items.count - 1]->type != itemBlank;
            qsizetype header = doc.sectionTextSize(s) - (closed ? 2 : 0);
            for (const TEkIniVal* item : items)
                header -= TEkMemIni::itemTextSize(*item);
            if (header != 0) {
                EXPECT_EQ(header, lines.value(line++).size() + 2) << text << " section " << s;
            }
            for (const TEkIniVal* item : items)
                EXPECT_EQ(TEkMemIni::itemTextSize(*item), lines.value(line++).size() + 2) << text;
            if (closed) {
                EXPECT_EQ(lines.value(line++), "") << text;
            }
        }
        EXPECT_EQ(line, lines.size() - 1) << text;
        // What was written reads back as itself.
        TEkMemIni again;
        again.writeBom = false;
        ASSERT_EQ(again.loadFromBytes(doc.saveToBytes(cp), cp), cp) << text;
        EXPECT_EQ(again.saveToBytes(cp), doc.saveToBytes(cp)) << text;
        int section = -1, item = -1;
        EXPECT_FALSE(doc.findUnreadableLine(section, item)) << "a loaded line refused: " << text;
    }
}

struct ReadBackCase {
    const char* name;
    const char* line;             // the only line of section "s" as loaded
    std::optional<QString> name_; // then given to the setters, when set
    std::optional<QString> value;
    std::optional<QString> comment;
    bool toggle;  // then commented out or back
    int readBack; // what its saved line reads back as
    bool refused;
};

// Each line as a file holds it, then edited, then saved and read back in each encoding: the check
// refuses exactly the lines whose kind would change.
TEST_P(Grammar, ASaveRefusesLinesThatWouldReadBackAsAnotherKind) {
    const int cp = GetParam();
    using std::nullopt;
    const ReadBackCase cases[] = {
        {"pasted_value_on_a_comment", ";Debug=1", nullopt, "PASTED", nullopt, false, itemValue, true},
        {"value_and_comment_without_name", "", nullopt, "note", "a=1", false, itemValue, true},
        {"equals_in_a_line_without_name", "x", nullopt, "a=b", nullopt, false, itemValue, true},
        {"name_opening_a_comment", "k=v", ";k", nullopt, nullopt, false, itemComment, true},
        {"value_opening_a_comment", "x", nullopt, " ; x", nullopt, false, itemComment, true},
        {"name_opening_a_header", "k=v", "[k", nullopt, nullopt, false, readBackHeader, true},
        {"uncommented_comment_opening_a_comment", ";;x", nullopt, nullopt, nullopt, true, itemComment, true},
        {"commented_out_control_character", "\x01", nullopt, nullopt, nullopt, true, itemBlank, true},
        {"path_list", "", "Path", "C:\\a;C:\\b", nullopt, false, itemValue, false},
        {"equals_in_a_name", "", "a=b", "c", "d=e", false, itemValue, false},
        {"semicolon_in_a_line_without_equals", "x", nullopt, "just ; text", nullopt, false, itemError, false},
        {"equals_and_bracket_in_a_comment", "", nullopt, nullopt, "[k]=v", false, itemComment, false},
        {"setting_without_name", "=x ;c", nullopt, nullopt, nullopt, false, itemValue, false},
        {"commented_out_blank_line", "", nullopt, nullopt, nullopt, true, itemBlank, false},
        {"commented_out_setting", "k=v ;c", nullopt, nullopt, nullopt, true, itemComment, false},
    };
    for (const ReadBackCase& c : cases) {
        TEkMemIni doc;
        ASSERT_EQ(doc.loadFromBytes(encode(QString("[s]\r\n") + c.line + "\r\n", cp, false), cp), cp)
            << c.name;
        TEkIniVal& item = *doc.sections[0]->values[0];
        if (c.name_)
            item.setName(*c.name_);
        if (c.value)
            item.setValue(*c.value);
        if (c.comment)
            item.setComment(*c.comment);
        if (c.toggle)
            item.toggleComment();
        EXPECT_EQ(TEkMemIni::readBackKind(item), c.readBack) << c.name;
        int section = -1, index = -1;
        EXPECT_EQ(doc.findUnreadableLine(section, index), c.refused) << c.name;
        EXPECT_EQ(section + index, c.refused ? 0 : -2) << c.name;
        TEkMemIni back;
        const bool header = back.loadFromBytes(doc.saveToBytes(cp), cp) != cp || back.sections.count > 1;
        EXPECT_EQ(header ? int(readBackHeader) : back.sections[0]->values[0]->type, c.readBack) << c.name;
    }
}

TEST(ReadBack, TheFirstLineInFileOrderIsFoundHeadersBeforeTheirItems) {
    TEkMemIni doc;
    ASSERT_EQ(doc.loadFromBytes("a=1\r\n[s]\r\nb=2\r\nc=3\r\n[t]\r\nd=4", codePageUtf8), codePageUtf8);
    doc.sections[2]->values[0]->setName(";d");
    QStringList found;
    // The two sections' headers and the name of the first one's second item.
    const std::tuple<const char*, const char*, const char*> rows[] = {{"s]", "t", "[c"}, {"s\tx", "t", "[c"},
                                                                      {"s", "t", "[c"},  {"s", "t", "c"},
                                                                      {"s]", "t]", "c"}, {"s", "t]", "c"}};
    for (const auto& [header, next, name] : rows) {
        doc.sections[1]->name = header;
        doc.sections[2]->name = next;
        doc.sections[1]->values[1]->setName(name);
        int section = -1, item = -1;
        doc.findUnreadableLine(section, item);
        found << QString("%1,%2").arg(section).arg(item);
    }
    EXPECT_EQ(found.join(' '), "1,-1 1,-1 1,1 2,0 1,-1 2,-1");
}

// The walk over a big document's items is split in parts over the cores: whichever part a line
// falls in, at a part's either end or next to it, the first such line in file order is found.
TEST(ReadBack, TheFirstLineIsFoundWhereverTheWalkIsSplit) {
    QString text;
    constexpr int kSizes[] = {0, 1, 7, 250, 3, 0, 1000}; // items per section, in turn
    int sectionCount = 0;
    for (qint64 items = 0; items < 600000; ++sectionCount) {
        const int size = kSizes[sectionCount % std::size(kSizes)];
        text += QString("[s%1]\r\n").arg(sectionCount) + QString("k=v\r\n").repeated(size);
        items += size;
    }
    TEkMemIni doc;
    ASSERT_EQ(doc.loadFromBytes(text.toUtf8(), codePageUtf8), codePageUtf8);
    std::vector<std::pair<int, int>> places; // every item's section and index, in file order
    for (int s = 0; s < doc.sections.count; ++s) {
        for (int i = 0; i < doc.sections[s]->values.count; ++i)
            places.emplace_back(s, i);
    }
    const qint64 total = qint64(places.size());
    std::set<qint64> lines = {0, total - 1};
    for (qint64 parts = 2; parts <= 8; ++parts) {
        for (qint64 k = 1; k < parts; ++k)
            lines.insert({total * k / parts - 1, total * k / parts, total * k / parts + 1});
    }
    auto found = [&] {
        int section = -1, item = -1;
        return doc.findUnreadableLine(section, item) ? std::pair{section, item} : std::pair{-1, -1};
    };
    EXPECT_EQ(found(), std::pair(-1, -1));
    TEkIniVal& last = *doc.sections[places.back().first]->values[places.back().second];
    last.setName(";k"); // a later line that reads back otherwise too
    for (const qint64 line : lines) {
        const auto [s, i] = places[size_t(line)];
        doc.sections[s]->values[i]->setName("[k");
        EXPECT_EQ(found(), places[size_t(line)]) << line;
        doc.sections[s]->values[i]->setName(line == total - 1 ? ";k" : "k");
    }
    doc.sections[1]->name = "s]"; // the header of the first item
    EXPECT_EQ(found(), std::pair(1, -1));
}

struct BrokenCase {
    const char* name;
    QString text;
};

TEST_P(Grammar, BrokenHeadersAndEmbeddedNulsAreUnreadable) {
    const int cp = GetParam();
    const BrokenCase cases[] = {
        {"header without bracket at the end", "a=1\r\n[s"},
        {"control character in a header", "[a\tb]"},
        {"TAB before the bracket", "[s\t]\r\nk=v"},
        {"form feed in a header", "k=v\r\n[s\x0ct]"},
        {"header broken by a line end", "[s\r\n]=1"},
        {"NUL in the middle", QString("a=1\r\nb") + QChar(0) + "=2\r\nc=3"},
        // Only the last two characters remain after the NUL, but they are text all the same.
        {"NUL just before the end", QString("a=1\r\nb=2") + QChar(0) + "x"},
        {"NUL at the start", QString(QChar(0)) + "a=1"},
    };
    for (const BrokenCase& c : cases) {
        TEkMemIni doc;
        EXPECT_EQ(doc.loadFromBytes(encode(c.text, cp, true), cp), loadUnreadable) << c.name;
    }
}

TEST_P(Grammar, LinesStraddlingTheReadStepsAreReadWhole) {
    // The reader works in steps; put a CR LF pair, a lone CR and a multi-byte
    // character across such a step and check that nothing is split or lost. Each line once more
    // begins with U+FEFF, which is text wherever a step begins.
    const int cp = GetParam();
    const int unit = (cp == codePageUtf16LE || cp == codePageUtf16BE) ? 2 : 1;
    const int step = TEkMemIni::kReadStepBytes;
    for (const QString& lineStart : {QString(), QString(QChar(0xFEFF))}) {
        QString text;
        int lines = 0;
        auto line = [&](const QString& body, const char* lineEnd) {
            text += lineStart + body + QLatin1String(lineEnd);
            ++lines;
        };
        // The CR of the first CR LF is the last unit of the first step (read after the mark).
        line(QString(step / unit - 2 - lineStart.size(), u'a') + "=", "\r\n");
        // A line longer than two steps.
        line(QStringLiteral("long=") + QString(2 * step / unit + 7, u'v'), "\r\n");
        while (text.size() * unit < 5 * step)
            line(QStringLiteral("key%1=v\u00E9l\u00FC%2 ;c").arg(lines).arg(QString(lines % 97, u'x')),
                 lines % 5 == 0 ? "\r" : "\r\n");
        TEkMemIni doc;
        doc.writeBom = true;
        const QByteArray bytes = encode(text, cp, true);
        ASSERT_EQ(doc.loadFromBytes(bytes, cp), cp);
        ASSERT_EQ(doc.sections.count, 1);
        EXPECT_EQ(doc.sections[0]->values.count, lines);
        // ANSI has no U+FEFF: what the file holds instead is read.
        QString expected = cp == codePageAnsi ? platform::ansiDecode(bytes) : text;
        expected.replace("\r\n", "\n").replace("\r", "\n").replace("\n", "\r\n");
        EXPECT_TRUE(doc.buildText() == expected + "\r\n") << lineStart.size();
    }
}

INSTANTIATE_TEST_SUITE_P(Encodings, Grammar,
                         ::testing::Values(int(codePageUtf8), int(codePageAnsi), int(codePageUtf16LE),
                                           int(codePageUtf16BE)),
                         [](const auto& info) { return modeltest::codePageName(info.param); });

TEST(Writer, SizeRulesMatchTheWriterForEveryKind) {
    testsupport::MessageCapture capture;
    TEkMemIni doc;
    TEkIniSection* s = doc.addSection("s");
    s->comment = "c";
    for (int type : {-1, 0, 1, 2, 3, 9}) {
        for (const char* comment : {"", "note"}) {
            auto* item = new TEkIniVal(type);
            item->name = "n";
            item->value = type == 1 ? "" : "v";
            item->comment = comment;
            s->values.push(item);
        }
    }
    const QString text = doc.buildText();
    EXPECT_EQ(text.size(), doc.documentTextSize());
    EXPECT_TRUE(capture.messages.isEmpty()) << capture.messages.join("/");
    EXPECT_EQ(text,
              "[s] ;c\r\n\r\n;note\r\n\r\n;note\r\nn=\r\nn=;note\r\n\r\n;note\r\nv\r\nv ;note\r\nv\r\nv "
              ";note\r\n\r\n");
}

TEST(Writer, ALineWithoutNameKeepsTheCommentItWasGiven) {
    // No name, a value and a comment (the item dialog allows it, and a copied "=x ;c" becomes
    // one): the comment follows the value on the line rather than vanishing on save.
    TEkMemIni doc;
    TEkIniSection* s = doc.addSection("");
    s->addValue("", "text", "note");
    s->addValue("", "t", "");
    EXPECT_EQ(doc.buildText(), "text ;note\r\nt\r\n\r\n");
    EXPECT_EQ(doc.documentTextSize(), doc.buildText().size());
    TEkMemIni back;
    ASSERT_EQ(back.loadFromBytes(doc.saveToBytes(codePageUtf8), codePageUtf8), codePageUtf8);
    EXPECT_EQ(dump(back), "[;] 3:|text ;note| 3:|t| 0:||\n");
}

TEST(Writer, EmptyDocumentTextIsEmpty) {
    TEkMemIni doc;
    EXPECT_EQ(doc.buildText(), QString());
    doc.addSection("");
    EXPECT_EQ(doc.buildText(), QString());
    EXPECT_EQ(doc.documentTextSize(), 0);
}

} // namespace

namespace {

TEST(Writer, SavedBytesAreTheEncodedTextAcrossPieces) {
    // UTF-8 and ANSI saves encode the text in pieces of 64 Ki units; a surrogate pair that
    // falls on a piece boundary must still be encoded as one character.
    testsupport::MessageCapture capture;
    for (int fill = 65532; fill <= 65537; ++fill) {
        TEkMemIni doc;
        TEkIniSection* s = doc.addSection("");
        s->addValue("k", QString(fill, u'x') + QStringLiteral("\U0001D11E\u00E9"), "c");
        s->addValue("n", QString(70000, u'y'), "");
        // Characters with and without an ANSI form, a lone surrogate among them.
        s->addValue("w",
                    QStringLiteral("\u4E2D \u0100 \u2019 \u0081 \u20AC ") + QChar(0xD800) + "x" +
                        QChar(0xD800) + "y" + QChar(0x81) + QChar(0xDC00) + "\u4E2D\u4E2D" + QChar(0xD800) +
                        QStringLiteral("\U0001D11E") + QChar(0xDC00) + QChar(0xD800) + "\u4E2D",
                    "");
        const QString text = doc.buildText();
        QStringEncoder utf8(QStringConverter::Utf8);
        EXPECT_EQ(doc.saveToBytes(codePageUtf8), "\xEF\xBB\xBF" + QByteArray(utf8.encode(text))) << fill;
        EXPECT_EQ(doc.saveToBytes(codePageAnsi), platform::ansiEncode(text)) << fill;
    }
    EXPECT_TRUE(capture.messages.isEmpty());
}

TEST(Writer, AnsiSaveWritesOneQuestionMarkPerCharacterWithoutAnAnsiForm) {
    // The converter's own substitute is a control character, which the next load trims away.
    struct Row {
        const char* name;
        QString value;
        QByteArray bytes;
    };
    const QString high(QChar(0xD800));
    const Row rows[] = {
        {"characters of the code page", QString::fromUtf16(u"\u20AC\u00E9\u0081\u0178"), "\x80\xE9\x81\x9F"},
        {"characters it lacks", QString::fromUtf16(u"a\u4E2Db\u0100"), "a?b?"},
        {"ones the converter drops", QString::fromUtf16(u"a\u200Bb\u2764\uFE0F\U000E0041"), "a?b???"},
        {"a surrogate pair", QString::fromUtf16(u"\U0001D11E."), "?."},
        {"lone surrogates", high + "x" + QChar(0xDC00) + high + QString::fromUtf16(u"\U0001D11E") + high,
         "?x????"},
    };
    for (const Row& row : rows) {
        TEkMemIni doc;
        doc.addSection("")->addValue("k", row.value, "");
        EXPECT_EQ(doc.saveToBytes(codePageAnsi), "k=" + row.bytes + "\r\n\r\n") << row.name;
    }
}

} // namespace
