// Colour triples of the start screen (hue 0..1535, saturation 0..255,
// brightness 0..511) and their RGB.
#pragma once

#include "core/game.h"

TRgb HsbToRgb(const THsb& c);
// 0x00BBGGRR
inline int32_t PackColour(const TRgb& c) { return c.R | (c.G << 8) | (c.B << 16); }
