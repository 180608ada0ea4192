#include "platform/core/SysUtils.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

TEST(AnsiCodePage, EveryByteSurvivesDecodeAndEncode) {
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString text = platform::ansiDecode(all);
    ASSERT_EQ(text.size(), all.size());
    EXPECT_EQ(text[0x80], QChar(0x20AC)) << "0x80 is the euro sign in Windows-1252";
    EXPECT_EQ(text[0x9F], QChar(0x0178));
    for (int undefined : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
        EXPECT_EQ(text[undefined], QChar(undefined)) << undefined;
    EXPECT_EQ(platform::ansiEncode(text), all);
    // The decoder of large files reads every byte alike, sixteen at a time and one by one.
    for (qsizetype from : {0, 3}) {
        QString into(all.size() - from, Qt::Uninitialized);
        platform::ansiDecodeInto(QByteArrayView(all).sliced(from), reinterpret_cast<char16_t*>(into.data()));
        EXPECT_EQ(into, text.sliced(from)) << from;
    }
}

TEST(AnsiCodePage, CharactersWithoutAnAnsiFormBecomeSubstitutes) {
    EXPECT_EQ(platform::ansiEncode(u"a\u4E2Db\U0001D11E"), "a?b?");
}

TEST(LocaleText, CompareIgnoresCaseAndOrdersText) {
    EXPECT_EQ(platform::compareTextIgnoreCase(u"Port", u"port"), 0);
    EXPECT_LT(platform::compareTextIgnoreCase(u"A", u"b"), 0);
    EXPECT_GT(platform::compareTextIgnoreCase(u"c", u"B"), 0);
    EXPECT_LT(platform::compareTextIgnoreCase(u"", u"a"), 0);
}

TEST(LocaleText, CharLowerKeepsTheLength) {
    QString text = QStringLiteral("AbC\u00C4\u0130Z");
    const qsizetype before = text.size();
    platform::charLower(text.data(), text.size());
    EXPECT_EQ(text.size(), before);
    EXPECT_EQ(text.left(4), QStringLiteral("abc\u00E4"));
    EXPECT_EQ(text.back(), QChar('z'));
    // Every ASCII unit as the Unicode tables have it.
    for (char16_t c = 0; c < 0x80; ++c) {
        QChar unit(c);
        platform::charLower(&unit, 1);
        EXPECT_EQ(unit, QChar(c).toLower()) << int(c);
    }
}

TEST(Messages, SinkReceivesTextAndIsRestored) {
    {
        testsupport::MessageCapture capture;
        platform::ShowMessage(QStringLiteral("hello"));
        ASSERT_EQ(capture.messages.size(), 1);
        EXPECT_EQ(capture.messages[0], QStringLiteral("hello"));
    }
    testsupport::MessageCapture outer;
    {
        testsupport::MessageCapture inner;
        platform::ShowMessage(QStringLiteral("inner"));
        EXPECT_EQ(inner.messages.size(), 1);
    }
    platform::ShowMessage(QStringLiteral("outer"));
    EXPECT_EQ(outer.messages, QStringList{QStringLiteral("outer")});
}

TEST(AnsiCodePage, LoneSurrogatesBecomeSubstitutesWithoutSwallowingNeighbours) {
    QString text;
    text += QChar(0xD800);
    text += QChar(0x81);
    text += QChar('a');
    text += QChar(0xDC00);
    const QByteArray bytes = platform::ansiEncode(text);
    ASSERT_EQ(bytes.size(), 4);
    EXPECT_EQ(uchar(bytes[1]), 0x81);
    EXPECT_EQ(bytes[2], 'a');
}
