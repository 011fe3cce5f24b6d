#include "core/colours.h"

#include <algorithm>
#include <cmath>

TRgb HsbToRgb(const THsb& c) {
    const int h = c.Hue;
    int base[3] = {0, 0, 0};
    if (h >= 0 && h < 256) {
        base[0] = 255;
        base[1] = h;
        base[2] = 0;
    } else if (h >= 256 && h < 512) {
        base[0] = 511 - h;
        base[1] = 255;
        base[2] = 0;
    } else if (h >= 512 && h < 768) {
        base[0] = 0;
        base[1] = 255;
        base[2] = h - 512;
    } else if (h >= 768 && h < 1024) {
        base[0] = 0;
        base[1] = 1023 - h;
        base[2] = 255;
    } else if (h >= 1024 && h < 1280) {
        base[0] = h - 1024;
        base[1] = 0;
        base[2] = 255;
    } else if (h >= 1280 && h < 1536) {
        base[0] = 255;
        base[1] = 0;
        base[2] = 1535 - h;
    }
    uint8_t out[3];
    for (int i = 0; i < 3; ++i) {
        double x = (c.Brightness / 255.0) * ((c.Saturation / 255.0) * (base[i] - 128) + 128);
        x = std::clamp(x, 0.0, 255.0);
        out[i] = static_cast<uint8_t>(std::nearbyint(x));
    }
    return {out[0], out[1], out[2]};
}

namespace {

struct TNamed {
    const char* Name;
    TRgb Rgb;
};

constexpr TNamed NamedColours[NamedColourCount] = {
    {"Black", {0, 0, 0}},       {"Red", {255, 0, 0}},      {"Orange", {255, 128, 0}},
    {"Yellow", {255, 255, 0}},  {"Green", {0, 128, 0}},    {"Lime", {0, 255, 0}},
    {"Cyan", {0, 255, 255}},    {"Blue", {0, 0, 255}},     {"Purple", {255, 0, 255}},
    {"White", {255, 255, 255}}, {"Grey", {128, 128, 128}},
};

uint8_t Quantise(uint8_t v) {
    return v < 120 ? 0 : (v < 137 ? 128 : 255);
}

} // namespace

int NamedColour(const TRgb& c) {
    const TRgb q{Quantise(c.R), Quantise(c.G), Quantise(c.B)};
    for (int i = 1; i < NamedColourCount; ++i)
        if (NamedColours[i].Rgb == q) return i;
    return 0;
}

TRgb TeamRgb(int index) {
    return index >= 0 && index < NamedColourCount ? NamedColours[index].Rgb : TRgb{};
}

const char* ColourName(int index) {
    return NamedColours[index >= 0 && index < NamedColourCount ? index : 0].Name;
}
