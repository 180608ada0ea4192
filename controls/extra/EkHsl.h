#pragma once
// Hue, saturation and lightness in whole units, converted to and from RGB in integer arithmetic
// only, so that every machine derives the same colour variants. The button takes its automatic
// colours from here (a colour's saturation lowered by a third, and the like).
//
// GUI thread only: colorToHsl keeps a one-entry cache of the last colour it converted.

#include "controls/EkColor.h"

#include <cstdint>

struct THslColor {
    uint16_t hue = 0;       // degrees, 0..359
    uint8_t saturation = 0; // whole percent, 0..100
    uint8_t lightness = 0;  // whole percent, 0..99 from a conversion (white gives 99)
    uint8_t alpha = 0;      // byte 3 of the colour it came from; hslToColor hands it back
    bool operator==(const THslColor&) const = default;
};

// out := the HSL of c (a system colour resolved first). The last colour converted and its result
// are kept: asking for the same TColor value again returns the kept record without computing.
// Before the first call the kept entry is black, whose record is all zero.
void colorToHsl(THslColor& out, TColor c);

// The HSL of a painter pixel (blue in byte 0, alpha in byte 3), in 16.16 fixed point with
// truncating divisions; lightness and saturation are truncated to whole percent.
void rgbToHsl(TPixel p, THslColor& out);

// RGB bytes from whole-percent saturation and lightness. A hue of 360 or more gives black, as
// does a lightness of 0. Out-of-range percentages are not rejected; each byte stays in 0..255.
void hslToRgb(int hue, int saturation, int lightness, uint8_t& r, uint8_t& g, uint8_t& b);

// red | green << 8 | blue << 16 | alpha << 24 of the record.
TColor hslToColor(const THslColor& c);
