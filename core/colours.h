// Colour triples of the start screen (hue 0..1535, saturation 0..255,
// brightness 0..511) and their RGB.
#pragma once

#include "core/game.h"

TRgb HsbToRgb(const THsb& c);
// 0x00BBGGRR
inline int32_t PackColour(const TRgb& c) {
    return c.R | (c.G << 8) | (c.B << 16);
}

// The eleven team colours: 0 "Black" (also whatever names no other), 1
// "Red", 2 "Orange", 3 "Yellow", 4 "Green", 5 "Lime", 6 "Cyan", 7 "Blue",
// 8 "Purple", 9 "White", 10 "Grey".
constexpr int NamedColourCount = 11;
// Each channel quantised to 0 (below 120), 128 (below 137) or 255, then named.
int NamedColour(const TRgb& c);
// The exact colour of a name; (0, 0, 0) for an index outside the table.
TRgb TeamRgb(int index);
// "Black" for an index outside the table.
const char* ColourName(int index);
