#include "core/colours.h"

#include <algorithm>
#include <cmath>

TRgb HsbToRgb(const THsb& c) {
    const int h = c.Hue;
    int base[3] = {0, 0, 0};
    if (h >= 0 && h < 256) {
        base[0] = 255; base[1] = h; base[2] = 0;
    } else if (h >= 256 && h < 512) {
        base[0] = 511 - h; base[1] = 255; base[2] = 0;
    } else if (h >= 512 && h < 768) {
        base[0] = 0; base[1] = 255; base[2] = h - 512;
    } else if (h >= 768 && h < 1024) {
        base[0] = 0; base[1] = 1023 - h; base[2] = 255;
    } else if (h >= 1024 && h < 1280) {
        base[0] = h - 1024; base[1] = 0; base[2] = 255;
    } else if (h >= 1280 && h < 1536) {
        base[0] = 255; base[1] = 0; base[2] = 1535 - h;
    }
    uint8_t out[3];
    for (int i = 0; i < 3; ++i) {
        double x = (c.Brightness / 255.0) * ((c.Saturation / 255.0) * (base[i] - 128) + 128);
        x = std::clamp(x, 0.0, 255.0);
        out[i] = static_cast<uint8_t>(std::nearbyint(x));
    }
    return {out[0], out[1], out[2]};
}
