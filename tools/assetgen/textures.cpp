// Ground and wall textures, 64 x 64. Everything is built from patterns that
// repeat every 64 px, so a texture tiles with itself without a seam; the
// grass and dirt variants share their large-scale pattern so they also sit
// side by side.
#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include "assets.h"
#include "canvas.h"
#include "noise.h"

namespace {

constexpr int T = 64;
constexpr float Tau = 6.2831853f;

using TPixelFn = std::function<TColour(int x, int y)>;

TCanvas FromFn(const TPixelFn& fn) {
    TCanvas c(T, T);
    for (int y = 0; y < T; ++y)
        for (int x = 0; x < T; ++x)
            c.At(x, y) = {fn(x, y), 1, 0};
    return c;
}

float Fbm(float x, float y, int cells, int octaves, uint32_t seed) {
    return float(TileFbm(x, y, T, cells, octaves, seed));
}

float Grain(int x, int y, uint32_t seed) {
    return float(Hash2(x, y, seed)) - 0.5f;
}

// Light a height field (periodic, in px units) from the upper left.
float Relief(const std::function<float(float, float)>& height, float x, float y, float strength) {
    const float gx = height(x + 1, y) - height(x - 1, y);
    const float gy = height(x, y + 1) - height(x, y - 1);
    return 1 + strength * (-(gx * LightX + gy * LightY)) / std::sqrt(1 + gx * gx + gy * gy);
}

float Wrapf(float v) {
    return v - T * std::floor(v / T);
}

// Scatters small shapes over the tile, wrapping around its edges.
void Scatter(TCanvas& c, int count, uint64_t seed,
             const std::function<void(TCanvas&, TNoise&, float, float)>& draw) {
    TNoise n(seed);
    for (int i = 0; i < count; ++i) {
        const float x = float(n.Range(0, T)), y = float(n.Range(0, T));
        draw(c, n, x, y);
    }
}

TSdf Wrapped(TSdf s) {
    return Tiled(std::move(s), T);
}

// --- grounds ---

TColour GrassBase(int x, int y) {
    const float f = Fbm(x, y, 4, 4, 11);
    const float g = Fbm(x, y, 16, 2, 12);
    TColour c = Mix(Rgb(58, 98, 38), Rgb(98, 140, 54), std::clamp(f * 1.6f - 0.3f, 0.0f, 1.0f));
    c = Mix(c, Rgb(110, 128, 60), std::clamp((g - 0.6f) * 2, 0.0f, 0.4f));
    return Scale(c, 1 + Grain(x, y, 13) * 0.12f);
}

void GrassBlades(TCanvas& c, uint64_t seed) {
    Scatter(c, 260, seed, [](TCanvas& c, TNoise& n, float x, float y) {
        const float a = float(n.Range(-2.2, -0.9)), len = float(n.Range(1.5, 3.6));
        const bool light = n.Real() < 0.45;
        c.Fill(Wrapped(Segment(x, y, x + len * std::cos(a), y + len * std::sin(a), 0.45f)),
               light ? Solid(124, 166, 72) : Solid(44, 78, 28), light ? 0.7f : 0.6f);
    });
}

TRgbImage Grass() {
    TCanvas c = FromFn(GrassBase);
    GrassBlades(c, 21);
    return c.Flatten({});
}

TRgbImage Meadow() {
    TCanvas c = FromFn(GrassBase);
    GrassBlades(c, 22);
    // Clumps of small flowers, kept off the edges.
    TNoise n(23);
    for (int k = 0; k < 5; ++k) {
        const float cx = float(n.Range(10, 54)), cy = float(n.Range(10, 54));
        const TInk petal = n.Real() < 0.5 ? Solid(246, 242, 226) : Solid(244, 210, 70);
        for (int i = 0; i < 6; ++i) {
            const float x = cx + float(n.Gauss() * 3), y = cy + float(n.Gauss() * 3);
            c.Fill(Circle(x, y, 0.9f), petal);
            c.Fill(Circle(x, y, 0.35f), Solid(230, 160, 40));
        }
    }
    return c.Flatten({});
}

TColour DirtBase(int x, int y) {
    const float f = Fbm(x, y, 4, 4, 31);
    TColour c = Mix(Rgb(104, 76, 50), Rgb(140, 108, 72), std::clamp(f * 1.5f - 0.25f, 0.0f, 1.0f));
    return Scale(c, 1 + Grain(x, y, 32) * 0.16f);
}

void Pebbles(TCanvas& c, int count, uint64_t seed, TColour tone) {
    Scatter(c, count, seed, [tone](TCanvas& c, TNoise& n, float x, float y) {
        const TSdf stone =
            Wrapped(Ellipse(x, y, float(n.Range(0.8, 2.2)), float(n.Range(0.7, 1.6))));
        c.Fill(Wrapped(Ellipse(x + 0.7f, y + 0.7f, 1.8f, 1.3f)), Solid(0, 0, 0), 0.25f);
        c.Fill(stone, Solid(Scale(tone, float(n.Range(0.8, 1.2)))));
        c.Bevel(stone, 1.5f, 0.5f);
    });
}

TRgbImage Dirt() {
    TCanvas c = FromFn(DirtBase);
    Pebbles(c, 26, 33, Rgb(150, 136, 116));
    return c.Flatten({});
}

TRgbImage Sand() {
    TCanvas c = FromFn([](int x, int y) {
        const float f = Fbm(x, y, 4, 3, 41);
        // Wind ripples: a wave whose phase wanders with the noise.
        const float ripple = std::sin(Tau * (2 * x + 5 * y) / T + f * 9);
        TColour base = Mix(Rgb(204, 178, 124), Rgb(226, 206, 150), f);
        base = Scale(base, 1 + ripple * 0.045f + Grain(x, y, 42) * 0.1f);
        return base;
    });
    Pebbles(c, 6, 43, Rgb(170, 150, 120));
    return c.Flatten({});
}

TColour Speckled(int x, int y, TColour a, TColour b, uint32_t seed, float grain) {
    const float f = Fbm(x, y, 4, 4, seed);
    return Scale(Mix(a, b, f), 1 + Grain(x, y, seed + 1) * grain);
}

TRgbImage Concrete() {
    TCanvas c = FromFn([](int x, int y) {
        TColour base = Speckled(x, y, Rgb(132, 132, 128), Rgb(168, 166, 160), 51, 0.14f);
        const float stain = Fbm(x, y, 2, 3, 53);
        base = Scale(base, 1 - std::clamp((stain - 0.6f) * 0.8f, 0.0f, 0.15f));
        // Slab joints along the tile's top and left edge: a grid across the map.
        if (x == 0 || y == 0) base = Scale(base, 0.72f);
        if (x == 1 || y == 1) base = Scale(base, 1.1f);
        return base;
    });
    return c.Flatten({});
}

TColour Asphalt(int x, int y) {
    return Speckled(x, y, Rgb(62, 62, 64), Rgb(82, 82, 84), 61, 0.3f);
}

TRgbImage Road() {
    // A lane along x: edge lines and a dashed centre line.
    TCanvas c = FromFn(Asphalt);
    const TInk paint = Solid(226, 220, 196);
    c.Fill(Box(-1, 4, 65, 5.6f), paint, 0.85f);
    c.Fill(Box(-1, 58.4f, 65, 60), paint, 0.85f);
    c.Fill(Box(16, 31, 48, 33), Solid(236, 200, 70), 0.9f);
    // Wear in the paint where tyres run.
    c.Shade(Box(0, 0, 64, 64),
            [](float x, float y) { return 1 + (Fbm(x, y, 8, 2, 63) - 0.5f) * 0.25f; });
    return c.Flatten({});
}

TRgbImage Tarmac() {
    return FromFn(Asphalt).Flatten({});
}

TRgbImage Water() {
    TCanvas c = FromFn([](int x, int y) {
        const float f = Fbm(x, y, 4, 3, 71);
        TColour base = Mix(Rgb(28, 78, 112), Rgb(44, 108, 140), f);
        // Soft caustics, warped by the swell, and short bright ripples.
        const float warp = Fbm(x, y, 2, 2, 73) * 12;
        const TVoronoi v = TileVoronoi(Wrapf(x + warp), Wrapf(y + warp * 0.5f), T, 5, 72);
        const float seam = std::clamp(1 - float(v.F2 - v.F1) / 3.0f, 0.0f, 1.0f);
        base = Mix(base, Rgb(86, 150, 180), seam * seam * 0.45f);
        const float ripple = std::sin(Tau * (x + 2 * y) / T * 4 + f * 10);
        base = Scale(base, 1 + ripple * 0.06f);
        if (ripple > 0.93f && Fbm(x, y, 8, 2, 74) > 0.55f)
            base = Mix(base, Rgb(190, 226, 240), 0.5f);
        return base;
    });
    return c.Flatten({});
}

TRgbImage Snow() {
    TCanvas c = FromFn([](int x, int y) {
        auto height = [](float x, float y) { return Fbm(x, y, 4, 4, 81) * 14; };
        TColour base = Mix(Rgb(206, 218, 234), Rgb(246, 248, 252), Fbm(x, y, 4, 3, 81));
        base = Scale(base, Relief(height, x, y, 0.35f));
        if (Hash2(x, y, 82) > 0.992) base = Rgb(255, 255, 255);
        return base;
    });
    return c.Flatten({});
}

TRgbImage Ice() {
    TCanvas c = FromFn([](int x, int y) {
        TColour base = Mix(Rgb(160, 200, 222), Rgb(204, 230, 242), Fbm(x, y, 4, 3, 91));
        const TVoronoi v = TileVoronoi(x, y, T, 4, 92, 0.9);
        const float crack = std::clamp(1 - float(v.F2 - v.F1) / 1.1f, 0.0f, 1.0f);
        base = Mix(base, Rgb(236, 246, 252), crack * 0.8f);
        // Long diagonal glints of polished ice.
        const float glint = std::pow(
            std::max(0.0f, std::sin(Tau * (x - y) / T * 2 + Fbm(x, y, 2, 2, 93) * 3)), 12.0f);
        return Mix(base, Rgb(250, 252, 255), glint * 0.35f);
    });
    return c.Flatten({});
}

TRgbImage Mud() {
    TCanvas c = FromFn([](int x, int y) {
        const float f = Fbm(x, y, 4, 4, 101);
        TColour base = Mix(Rgb(70, 52, 36), Rgb(98, 74, 50), f);
        // Wet puddles in the hollows, catching the sky.
        const float wet = std::clamp((0.42f - f) * 6, 0.0f, 1.0f);
        base = Mix(base, Rgb(52, 42, 32), wet * 0.7f);
        const float sheen = std::pow(std::max(0.0f, std::sin(Tau * (x + y) / T * 2)), 8.0f);
        base = Mix(base, Rgb(150, 150, 140), wet * sheen * 0.5f);
        // Two soft ruts along x, ridged at their edges.
        for (float ry : {20.0f, 44.0f}) {
            const float d = std::fabs(y - ry + 1.5f * std::sin(Tau * x / T));
            if (d < 3.5f)
                base = Scale(base, 0.8f + 0.04f * d);
            else if (d < 5)
                base = Scale(base, 1.08f);
        }
        return Scale(base, 1 + Grain(x, y, 102) * 0.12f);
    });
    return c.Flatten({});
}

// --- walls ---

TRgbImage Brick() {
    // Running bond, 16 x 8 bricks: four across, eight rows.
    TCanvas c = FromFn([](int x, int y) {
        const int row = y / 8;
        const int shifted = (x + (row % 2) * 8) % T;
        const int brick = shifted / 16;
        const float bx = float(shifted % 16) + 0.5f, by = float(y % 8) + 0.5f;
        const bool mortar = bx < 1.5f || by < 1.5f;
        if (mortar) return Scale(Rgb(170, 160, 142), 0.9f + Grain(x, y, 111) * 0.2f);
        const float tone = float(Hash2(brick, row, 112));
        TColour base = Mix(Rgb(132, 56, 40), Rgb(176, 84, 58), tone);
        if (Hash2(brick, row, 113) > 0.85)
            base = Mix(base, Rgb(96, 46, 38), 0.6f); // an over-fired one
        base = Scale(base, 1 + Grain(x, y, 114) * 0.18f + (Fbm(x, y, 8, 2, 115) - 0.5f) * 0.2f);
        // Bevelled edges: lit top and left, dark bottom and right.
        if (bx < 2.5f || by < 2.5f) base = Scale(base, 1.18f);
        if (bx > 15.0f || by > 7.0f) base = Scale(base, 0.72f);
        return base;
    });
    return c.Flatten({});
}

float RockHeight(float x, float y, uint32_t seed) {
    const TVoronoi v = TileVoronoi(Wrapf(x), Wrapf(y), T, 4, seed, 0.85);
    const float boulder = std::clamp(float(v.F2 - v.F1) / 6, 0.0f, 1.0f);
    return std::sqrt(boulder) * 14 + Fbm(Wrapf(x), Wrapf(y), 8, 3, seed + 1) * 5;
}

TColour RockColour(int x, int y, uint32_t seed) {
    auto height = [seed](float x, float y) { return RockHeight(x, y, seed); };
    const float h = height(x, y);
    TColour base = Mix(Rgb(96, 90, 82), Rgb(138, 130, 118), Fbm(x, y, 4, 3, seed + 2));
    base = Scale(base, Relief(height, x, y, 0.9f));
    if (h < 2.2f) base = Mix(base, Rgb(34, 32, 30), 0.75f); // crevices
    // Lichen.
    if (Fbm(x, y, 8, 2, seed + 3) > 0.68f) base = Mix(base, Rgb(128, 134, 70), 0.35f);
    return Scale(base, 1 + Grain(x, y, seed + 4) * 0.1f);
}

TRgbImage Rock() {
    return FromFn([](int x, int y) { return RockColour(x, y, 121); }).Flatten({});
}

TRgbImage SnowRock() {
    return FromFn([](int x, int y) {
               auto height = [](float x, float y) { return RockHeight(x, y, 121); };
               const TColour rock = RockColour(x, y, 121);
               const float gy = height(x, y + 1) - height(x, y - 1);
               // Snow lies on the tops and the sides facing away from the light.
               const float cap =
                   std::clamp((height(x, y) - 11) / 2.5f - gy * 0.25f, 0.0f, 1.0f) * 0.9f;
               const TColour snow = Scale(Rgb(236, 242, 250), Relief(height, x, y, 0.25f));
               return Mix(rock, snow, cap);
           })
        .Flatten({});
}

TRgbImage Metal() {
    // Four riveted plates with a raised diamond tread.
    TCanvas c = FromFn([](int x, int y) {
        TColour base = Speckled(x, y, Rgb(108, 114, 118), Rgb(132, 138, 142), 131, 0.06f);
        const int u = (x + y) % 8, v = ((x - y) % 8 + 8) % 8;
        if ((u == 0 || u == 1) && (v >= 2 && v <= 5)) base = Scale(base, 1.22f);
        if ((u == 2) && (v >= 2 && v <= 5)) base = Scale(base, 0.8f);
        const float rust = Fbm(x, y, 4, 3, 132);
        return Mix(base, Rgb(120, 74, 44), std::clamp((rust - 0.62f) * 2.5f, 0.0f, 0.6f));
    });
    for (int py = 0; py < 2; ++py)
        for (int px = 0; px < 2; ++px) {
            const float x0 = px * 32.0f, y0 = py * 32.0f;
            const TSdf plate = Box(x0 + 0.5f, y0 + 0.5f, x0 + 31.5f, y0 + 31.5f, 1);
            c.Bevel(plate, 2.5f, 0.6f);
            for (float rx : {x0 + 4, x0 + 28})
                for (float ry : {y0 + 4, y0 + 28}) {
                    const TSdf rivet = Circle(rx, ry, 1.6f);
                    c.Fill(rivet, Solid(150, 156, 160));
                    c.Bevel(rivet, 1.6f, 0.8f);
                }
        }
    c.Fill(Outline(Box(0, 0, 64, 64), 0.6f), Solid(36, 38, 40));
    c.Fill(Outline(Box(32, -10, 96, 74), 0.6f), Solid(36, 38, 40));
    c.Fill(Outline(Box(-10, 32, 74, 96), 0.6f), Solid(36, 38, 40));
    return c.Flatten({});
}

// --- pads ---

TRgbImage SpawnPad() {
    // A marked pad; the arrow shows the way a vehicle faces when it starts
    // here (along x, turned with the cell).
    TCanvas c = FromFn([](int x, int y) {
        return Speckled(x, y, Rgb(120, 122, 120), Rgb(150, 150, 146), 141, 0.12f);
    });
    const TInk yellow = Solid(236, 196, 56), white = Solid(236, 236, 228);
    c.Fill(Outline(Circle(32, 32, 25), 1.6f), yellow);
    for (float sx : {5.0f, 59.0f})
        for (float sy : {5.0f, 59.0f}) {
            const float dx = sx < 32 ? 6 : -6, dy = sy < 32 ? 6 : -6;
            c.Fill(Segment(sx, sy, sx + dx, sy, 1.1f), white);
            c.Fill(Segment(sx, sy, sx, sy + dy, 1.1f), white);
        }
    const TSdf arrow =
        Polygon({{16, 28}, {34, 28}, {34, 20}, {49, 32}, {34, 44}, {34, 36}, {16, 36}});
    c.Fill(Grow(arrow, 1), Solid(40, 40, 40), 0.5f);
    c.Fill(arrow, white);
    c.Shade(Box(0, 0, 64, 64),
            [](float x, float y) { return 1 + (Fbm(x, y, 8, 2, 142) - 0.5f) * 0.3f; });
    return c.Flatten({});
}

TRgbImage BasePad() {
    // A farmyard: straw inside a wooden fence, where a team keeps its cow.
    TCanvas c = FromFn([](int x, int y) {
        const float f = Fbm(x, y, 8, 3, 151);
        TColour straw = Mix(Rgb(176, 146, 74), Rgb(220, 188, 104), f);
        const float strand = std::sin(Tau * (3 * x + y) / T * 4 + Fbm(x, y, 4, 2, 152) * 12);
        return Scale(straw, 1 + strand * 0.08f + Grain(x, y, 153) * 0.12f);
    });
    const TInk wood = Solid(120, 82, 48), dark = Solid(70, 46, 28);
    const TSdf rails = Outline(Box(5, 5, 59, 59, 2), 1.4f);
    c.Fill(Outline(Box(6, 6, 60, 60, 2), 1.4f), Solid(0, 0, 0), 0.3f);
    c.Fill(rails, wood);
    c.Bevel(rails, 1.4f, 0.5f);
    for (float p : {5.0f, 23.0f, 41.0f, 59.0f}) {
        for (const auto& [px, py] : {std::pair{p, 5.0f}, {p, 59.0f}, {5.0f, p}, {59.0f, p}}) {
            const TSdf post = Box(px - 2.2f, py - 2.2f, px + 2.2f, py + 2.2f, 0.8f);
            c.Fill(post, dark);
            c.Bevel(post, 1.6f, 0.6f);
        }
    }
    // A water trough in the corner.
    const TSdf trough = Box(40, 46, 54, 53, 1);
    c.Fill(trough, Solid(96, 100, 104));
    c.Fill(Box(41.5f, 47.5f, 52.5f, 51.5f, 0.6f), Solid(60, 120, 150));
    c.Bevel(trough, 1.2f, 0.6f);
    return c.Flatten({});
}

const std::map<std::string_view, TRgbImage (*)()>& Makers() {
    static const std::map<std::string_view, TRgbImage (*)()> makers = {
        {"Grass", Grass},       {"Meadow", Meadow},     {"Dirt", Dirt},     {"Sand", Sand},
        {"Concrete", Concrete}, {"Road", Road},         {"Tarmac", Tarmac}, {"Water", Water},
        {"Snow", Snow},         {"Ice", Ice},           {"Mud", Mud},       {"Brick", Brick},
        {"Rock", Rock},         {"SnowRock", SnowRock}, {"Metal", Metal},   {"Spawn", SpawnPad},
        {"Base", BasePad},
    };
    return makers;
}

} // namespace

bool MakeTexture(std::string_view name, TRgbImage& out) {
    const auto it = Makers().find(name);
    if (it == Makers().end()) return false;
    out = it->second();
    return true;
}

bool ReadTextureList(const std::string& path, std::vector<TTextureEntry>& out, std::string& error) {
    std::ifstream f(path);
    if (!f) {
        error = "cannot open " + path;
        return false;
    }
    std::string line;
    int number = 0;
    while (std::getline(f, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        std::istringstream in(line);
        TTextureEntry e;
        if (!(in >> e.Name >> e.Kind >> e.Friction >> e.Grip)) {
            error = path + " line " + std::to_string(number) +
                    ": expected name, kind, friction and grip";
            return false;
        }
        out.push_back(e);
    }
    return true;
}
