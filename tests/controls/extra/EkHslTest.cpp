#include "controls/extra/EkHsl.h"
#include "tests/support/Rgb.h"

#include <gtest/gtest.h>

namespace {

using testsupport::Rgb;

struct HslCase {
    const char* name;
    Rgb rgb;
    THslColor hsl;
    Rgb back; // hslToColor of hsl
};

void PrintTo(const HslCase& c, std::ostream* os) {
    *os << c.name << " " << c.rgb;
}

class HslTest : public ::testing::TestWithParam<HslCase> {};

TEST_P(HslTest, ConvertsBothWays) {
    const HslCase& c = GetParam();
    THslColor hsl;
    colorToHsl(hsl, TColor(uint32_t(c.rgb.r) | uint32_t(c.rgb.g) << 8 | uint32_t(c.rgb.b) << 16));
    EXPECT_EQ(hsl, c.hsl) << hsl.hue << " " << int(hsl.saturation) << " " << int(hsl.lightness);
    EXPECT_EQ(testsupport::rgbOfColorValue(hslToColor(c.hsl)), c.back);
}

INSTANTIATE_TEST_SUITE_P(Examples, HslTest,
                         ::testing::Values(HslCase{"black", {0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0}},
                                           HslCase{"white", {255, 255, 255}, {0, 0, 99, 0}, {252, 252, 252}},
                                           HslCase{"red", {255, 0, 0}, {0, 100, 49, 0}, {249, 0, 0}},
                                           HslCase{"dull_red", {200, 50, 50}, {0, 59, 48, 0}, {193, 51, 51}},
                                           HslCase{"orange", {255, 128, 0}, {31, 100, 49, 0}, {249, 124, 0}},
                                           HslCase{"blue", {0, 0, 255}, {240, 100, 49, 0}, {0, 0, 249}},
                                           HslCase{"grey", {128, 128, 128}, {0, 0, 49, 0}, {124, 124, 124}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(HslTest, EdgesOfTheModel) {
    uint8_t r = 1, g = 1, b = 1;
    hslToRgb(360, 100, 50, r, g, b); // no sextant
    EXPECT_EQ((Rgb{r, g, b}), (Rgb{0, 0, 0}));
    // Alpha rides along both ways.
    THslColor hsl;
    colorToHsl(hsl, TColor(0x80000000u | 0x0000FF));
    EXPECT_EQ(hsl, (THslColor{0, 100, 49, 0x80}));
    EXPECT_EQ(hslToColor(hsl).value, 0x800000F9u);
}

} // namespace
