// Paint-pattern masks: set pixels take the vehicle's first colour, clear
// ones its second. Each is the size of its sort's body (the hummer's two rows
// taller); the turret reads the part that lies under it.
#include <cmath>
#include <functional>

#include "assets.h"
#include "noise.h"

const std::array<std::string_view, PatternMaskCount> PatternMaskNames = {
    "TankStripes",    "TankTwoStripes", "TankCamo",        "TankTribal",       "TankSides",
    "TankTiger",      "TankFire",       "HoverTwoStripes", "HoverTwoStripes2", "HoverCamo",
    "HoverTribal",    "HoverSides",     "HoverTiger",      "HoverFire",        "HummerStripes",
    "HummerStripes2", "HummerCamo",     "HummerTribal",    "HummerSides",      "HummerTiger",
    "HummerFire",
};

namespace {

constexpr float Pi = 3.14159265f;

// A pattern as "is this point second colour?" over u along the body (0 rear,
// 1 front) and w across it (-1 left edge, 0 centre line, +1 right edge).
using TPattern = std::function<bool(float u, float w, int x, int y)>;

TBitImage Draw(int width, int height, const TPattern& second) {
    TBitImage m(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const float u = (x + 0.5f) / width, w = (y + 0.5f) / height * 2 - 1;
            m.Set(x, y, !second(u, w, x, y));
        }
    return m;
}

// One broad band down the middle.
bool CentreStripe(float, float w) {
    return std::fabs(w) < 0.26f;
}

// Two bands either side of the centre line.
bool TwinStripes(float, float w) {
    return std::fabs(w) > 0.14f && std::fabs(w) < 0.4f;
}

// Two bands across the hull.
bool CrossBands(float u, float) {
    return std::fabs(u - 0.3f) < 0.07f || std::fabs(u - 0.62f) < 0.07f;
}

TPattern Camo(uint32_t seed) {
    return [seed](float, float, int x, int y) { return TileFbm(x, y, 64, 9, 3, seed) > 0.5; };
}

// Barbed chevrons pointing forward along a spine, as in a tribal tattoo.
bool Tribal(float u, float w) {
    const float a = std::fabs(w);
    if (a < 0.13f && u > 0.06f && u < 0.94f) return true;
    const float phase = u * 3 - a * 0.9f;
    const float f = phase - std::floor(phase);
    return a < 0.92f && f < 0.32f * (1 - a * 0.8f) && u > 0.05f;
}

// The flanks in the second colour; `from` is where the flank starts (the
// tank's tracks take up its outer rows, so its flanks start further in).
TPattern Sides(float from) {
    return [from](float, float w, int, int) { return std::fabs(w) > from; };
}

// Wavy stripes from both flanks, tapering towards the middle.
bool Tiger(float u, float w) {
    const float a = std::fabs(w);
    const float phase =
        u * 6.5f + 0.22f * std::sin(a * 6 + (w < 0 ? 0 : 1.7f)) + (w < 0 ? 0 : 0.4f);
    const float f = phase - std::floor(phase);
    return a > 0.18f && std::fabs(f - 0.5f) < 0.26f * (a - 0.1f);
}

// Flames from the front streaming back: three big tongues and two small.
bool Fire(float u, float w) {
    const float big = std::pow(0.5f + 0.5f * std::cos(w * Pi * 1.5f), 2.0f);
    const float small = std::pow(0.5f + 0.5f * std::cos((w + 0.33f) * Pi * 3), 3.0f);
    const float reach = std::max(big * 0.62f, small * 0.38f);
    return u > 0.9f - reach;
}

void AddSort(std::vector<TBitImage>& out, int w, int h, bool crossBands, float sides,
             uint32_t seed) {
    const auto plain = [](bool (*f)(float, float)) {
        return [f](float u, float w, int, int) { return f(u, w); };
    };
    out.push_back(Draw(w, h, plain(crossBands ? TwinStripes : CentreStripe)));
    out.push_back(Draw(w, h, plain(crossBands ? CrossBands : TwinStripes)));
    out.push_back(Draw(w, h, Camo(seed)));
    out.push_back(Draw(w, h, plain(Tribal)));
    out.push_back(Draw(w, h, Sides(sides)));
    out.push_back(Draw(w, h, plain(Tiger)));
    out.push_back(Draw(w, h, plain(Fire)));
}

} // namespace

std::vector<TBitImage> MakePatternMasks() {
    std::vector<TBitImage> out;
    AddSort(out, 40, 25, false, 0.3f, 201);
    AddSort(out, 45, 30, true, 0.5f, 202); // the hovercraft's stripes are both pairs
    AddSort(out, 42, 22, false, 0.45f, 203);
    return out;
}
