#include "controls/EkColor.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

TEST(EkColor, DefaultIsNoColour) {
    const TEkColor c;
    EXPECT_EQ(c.value(), 0xFFFFFFFFu);
    EXPECT_TRUE(c.isNone());
    EXPECT_EQ(uint32_t(c.toTColor()), 0xFFFFFFu);
}

TEST(EkColor, PixelConversionSwapsRedAndBlueAndKeepsByte3) {
    EXPECT_EQ(colorToPixel(TEkColor(0x80112233u)), 0x80332211u);
    EXPECT_EQ(pixelToColor(0x80332211u).value(), 0x80112233u);
    EXPECT_EQ(makePixel(1, 2, 3), 0xFF010203u);
    TEkColor c(0x00112233u), out;
    c.swapRB(out);
    EXPECT_EQ(c.value(), 0x00332211u);
    EXPECT_EQ(out, c);
}

TEST(EkColor, TColorResolvesSystemColoursButRawWordsStayRaw) {
    EXPECT_EQ(TEkColor(clBtnFace).value(), 0xF0F0F0u);
    EXPECT_EQ(TEkColor(clWindowText).value(), 0x000000u);
    EXPECT_EQ(TEkColor(TColor(0xD8B4A3)).value(), 0xD8B4A3u);
    EXPECT_EQ(TEkColor(0xFF00000Fu).value(), 0xFF00000Fu);
    EXPECT_EQ(tColorToPixel(clBtnHighlight), 0x00FFFFFFu);
    EXPECT_EQ(tColorToPixel(TColor(0xD8B4A3)), 0x00A3B4D8u);
    EXPECT_EQ(TEkColor(uint8_t(1), uint8_t(2), uint8_t(3)).value(), 0x030201u);
}

TEST(EkColor, DarkenDividesBy255AndLightenShiftsBy8) {
    TEkColor c(0x00804020u), out;
    c.darkened(0, out);
    EXPECT_EQ(out.value(), 0x00804020u);
    TEkColor white(0xAAFFFFFFu);
    white.lightened(0, out);
    EXPECT_EQ(out.value(), 0xAAFEFEFEu); // byte 3 unchanged
    TEkColor black(0x00000000u);
    black.lightened(255, out);
    EXPECT_EQ(out.value(), 0x00FEFEFEu);
    // 163 * (255 - 60) / 255 = 124: the dark end of the tool-bar pipe
    EXPECT_EQ(darken(makePixel(163, 180, 216), 60), makePixel(124, 137, 165));
    EXPECT_EQ(lighten(0x80000000u, 128), 0x807F7F7Fu);
}

TEST(EkColor, HalfMix) {
    EXPECT_EQ(TEkColor::halfMix(TEkColor(0xFFFFFFu), TEkColor(0u)).value(), 0x7F7F7Fu);
    EXPECT_EQ(halfMixOpaque(0xFFFFFFu, 0u), 0xFF7F7F7Fu);
}

TEST(EkColor, GreyLevel) {
    EXPECT_EQ(greyLevel(makePixel(255, 255, 255)), 255);
    EXPECT_EQ(greyLevel(makePixel(255, 0, 0)), 79);
    EXPECT_EQ(greyLevel(makePixel(0, 0, 255)), 31);
}

struct TextCase {
    const char* text;
    bool accepted;
    uint32_t value;
};

void PrintTo(const TextCase& c, std::ostream* os) {
    *os << '"' << c.text << '"';
    if (c.accepted)
        *os << " gives 0x" << std::hex << c.value << std::dec;
    else
        *os << " refused";
}

class RgbText : public ::testing::TestWithParam<TextCase> {};
TEST_P(RgbText, ParsesOrLeavesOutUnchanged) {
    const TextCase& c = GetParam();
    TEkColor out(0x12345678u);
    const QString text = QString::fromLatin1(c.text);
    EXPECT_EQ(colorFromRgbText(text, out), c.accepted) << c.text;
    EXPECT_EQ(out.value(), c.accepted ? c.value : 0x12345678u) << c.text;
    EXPECT_EQ(text, QString::fromLatin1(c.text)); // the caller's text is not modified
}
INSTANTIATE_TEST_SUITE_P(Cases, RgbText,
                         ::testing::Values(TextCase{"255,128,0", true, 0x0080FFu},
                                           TextCase{"1 2 3", true, 0x030201u}, TextCase{"256,0,0", false, 0},
                                           TextCase{"1,2", false, 0}, TextCase{"1,,2,3", false, 0},
                                           TextCase{"1, 2, 3", false, 0}, TextCase{"1,2,3,", false, 0},
                                           TextCase{"1,2,x", false, 0}, TextCase{"", false, 0},
                                           TextCase{"99999999999,0,0", false, 0}),
                         [](const auto& info) { return testsupport::caseName(info.param.text, info.index); });

class HexText : public ::testing::TestWithParam<TextCase> {};
TEST_P(HexText, ParsesUpperCaseOnly) {
    const TextCase& c = GetParam();
    TEkColor out(0x12345678u);
    EXPECT_EQ(colorFromHexText(QString::fromLatin1(c.text), out), c.accepted) << c.text;
    EXPECT_EQ(out.value(), c.accepted ? c.value : 0x12345678u) << c.text;
}
INSTANTIATE_TEST_SUITE_P(Cases, HexText,
                         ::testing::Values(TextCase{"FF8000", true, 0x0080FFu},
                                           TextCase{"80FF8000", true, 0x800080FFu},
                                           TextCase{"ff8000", false, 0}, TextCase{"", false, 0},
                                           TextCase{"12G", false, 0}),
                         [](const auto& info) { return testsupport::caseName(info.param.text, info.index); });

std::vector<TPixel> ramp(int count, TPixel from, TPixel to) {
    std::vector<TPixel> v(size_t(count) + 2, 0x12345678u);
    fillColorRamp32(v.data() + 1, count, from, to);
    return v;
}

TEST(ColorRamp, TwoEntriesAreTheEndsWithAlpha255) {
    const auto v = ramp(2, 0x00102030u, 0x00405060u);
    EXPECT_EQ(v[1], 0xFF102030u);
    EXPECT_EQ(v[2], 0xFF405060u);
    EXPECT_EQ(v[3], 0x12345678u);
}

TEST(ColorRamp, TruncatesAsStatedFallingEndsExactRisingOneBelow) {
    const auto up = ramp(8, 0x000000u, 0xFFFFFFu);
    EXPECT_EQ(up[8], 0xFFFEFEFEu); // 0 to 255 over 8 entries ends at 254
    EXPECT_EQ(up[2], 0xFF242424u); // step (255 << 22) / 7 truncated: entry 1 = 36
    const auto down = ramp(8, 0xFFFFFFu, 0x000000u);
    EXPECT_EQ(down[8], 0xFF000000u);
    const auto exact = ramp(256, 0x000000u, 0xFFFFFFu);
    EXPECT_EQ(exact[256], 0xFFFFFFFFu); // (255 << 22) / 255 divides exactly
    EXPECT_EQ(exact[101], 0xFF646464u);
}

TEST(ColorRamp, CountsBelowTwoDoNotDivideByZero) {
    EXPECT_EQ(ramp(1, 0x00112233u, 0x00445566u)[1], 0xFF112233u);
    const auto none = ramp(0, 0x00112233u, 0x00445566u);
    EXPECT_EQ(none[1], 0x12345678u);
    std::vector<TPixel> guard(2, 7u);
    fillColorRamp32(guard.data(), -5, 0, 0xFFFFFFu);
    fillColorRampEased(guard.data(), 0, false, 0, 0xFFFFFFu);
    EXPECT_EQ(guard[0], 7u);
    uint8_t bytes[4] = {9, 9, 9, 9};
    fillColorRamp24(bytes, 1, 0x00010203u, 0u);
    EXPECT_EQ(bytes[0], 3);
    EXPECT_EQ(bytes[2], 1);
    EXPECT_EQ(bytes[3], 9);
}

TEST(ColorRamp, TwentyFourBitEntriesMatchTheThirtyTwoBitRamp) {
    const auto v = ramp(5, 0x000A1428u, 0x00C86432u);
    uint8_t bytes[15];
    fillColorRamp24(bytes, 5, 0x000A1428u, 0x00C86432u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(bytes[3 * i], v[size_t(i) + 1] & 0xFF);
        EXPECT_EQ(bytes[3 * i + 2], (v[size_t(i) + 1] >> 16) & 0xFF);
    }
}

TEST(ColorRamp, EasedRampStartsAtFromAndGrowsItsSteps) {
    std::vector<TPixel> v(20);
    fillColorRampEased(v.data(), 20, false, 0x000000u, 0xC8C8C8u);
    EXPECT_EQ(v[0], 0xFF000000u);
    for (int i = 2; i < 20; ++i)
        EXPECT_GE(int(v[i] & 0xFF) - int(v[i - 1] & 0xFF), int(v[i - 1] & 0xFF) - int(v[i - 2] & 0xFF) - 1);
    EXPECT_GT(v[19] & 0xFF, 180u);
    EXPECT_LE(v[19] & 0xFF, 200u);
    std::vector<TPixel> r(20);
    fillColorRampEased(r.data(), 20, true, 0xC8C8C8u, 0x000000u);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(r[size_t(19 - i)], v[size_t(i)]); // reverse: written from the last pixel back
}

TEST(ColorRamp, FadeRunsMixAQuarterIntoTheNextPixel) {
    TPixel row[6] = {0, 0, 0, 0, 0, 0};
    fillRunFadeRight(row + 1, 2, 0xFFFFFFFFu);
    EXPECT_EQ(row[0], 0u);
    EXPECT_EQ(row[2], 0xFFFFFFFFu);
    EXPECT_EQ(row[3], 0xFF3F3F3Fu);
    fillRunFadeLeft(row + 5, 1, 0xFFFFFFFFu);
    EXPECT_EQ(row[5], 0xFFFFFFFFu);
    EXPECT_EQ(row[4], 0xFF3F3F3Fu);
}

TEST(ColorBuffers, HoldCountPlusOneEntries) {
    TEkColorBuf buf(3);
    EXPECT_EQ(buf.count(), 3);
    EXPECT_TRUE(buf.at(3)->isNone());
    EXPECT_EQ(buf.cursor, buf.data());
    EXPECT_EQ(buf.end(), buf.data() + 3);
    buf.resize(0);
    EXPECT_TRUE(buf.data()->isNone());

    TEkByteBuf bytes(10);
    const uint8_t* w = bytes.fillRamp(20, 1);
    EXPECT_EQ(w[0], 20);
    EXPECT_EQ(w[9], 1);
    for (int i = 1; i < 10; ++i)
        EXPECT_LE(w[i], w[i - 1]);
    TEkByteBuf one(1);
    EXPECT_EQ(one.fillRamp(18, 10)[0], 18);
}

} // namespace
