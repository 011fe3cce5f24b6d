// The explosion: 13 frames of a fireball that flashes, swells, cools through
// orange and red into smoke, and breaks up. Black is transparent.
#include <algorithm>
#include <cmath>

#include "assets.h"
#include "canvas.h"
#include "noise.h"

namespace {

TColour FireColour(float heat) {
    // white-hot, yellow, orange, red, dark red
    const TColour stops[] = {Rgb(120, 30, 14), Rgb(206, 52, 18), Rgb(246, 128, 28),
                             Rgb(255, 214, 74), Rgb(255, 250, 220)};
    heat = std::clamp(heat, 0.0f, 0.999f) * 4;
    const int i = int(heat);
    return Mix(stops[i], stops[i + 1], heat - i);
}

void Frame(TRgbImage& sheet, int f) {
    constexpr int S = ExplosionFrameSize;
    const float t = f / float(ExplosionFrames - 1);
    const float radius = S * (0.14f + 0.34f * (1 - std::pow(1 - t, 3.0f)));
    const float heat = std::clamp(1.15f - t * 1.9f, 0.0f, 1.0f);
    const float dissolve = std::clamp((t - 0.45f) * 1.6f, 0.0f, 0.9f);
    const float rise = t * 5; // smoke drifts a little
    for (int y = 0; y < S; ++y)
        for (int x = 0; x < S; ++x) {
            const float dx = x + 0.5f - S / 2.0f, dy = y + 0.5f - S / 2.0f + rise * (1 - heat);
            const float d = std::hypot(dx, dy);
            const float billow = float(TileFbm(x + f * 3.0, y - f * 2.0, S, 4, 3, 301));
            const float edge = radius * (0.72f + 0.55f * billow);
            const float inner = 1 - d / edge; // 1 at the centre, 0 at the rim
            if (inner <= 0) continue;
            const float churn = float(TileFbm(x * 1.5 + f * 5.0, y * 1.5, S, 8, 2, 302));
            TColour smoke =
                Scale(Mix(Rgb(74, 68, 64), Rgb(150, 142, 132), churn), 0.8f + 0.4f * inner);
            // Late frames: the smoke parts into puffs that shrink away.
            const float puff = float(TileFbm(x + f * 2.0, y - f * 3.0, S, 4, 2, 303));
            if (puff + inner * 0.35f < dissolve + 0.2f) continue;
            const float h = heat * (0.35f + 0.9f * inner) * (0.8f + 0.4f * churn);
            TColour c = h > 0.12f
                            ? Mix(smoke, FireColour(h), std::clamp((h - 0.12f) * 4, 0.0f, 1.0f))
                            : smoke;
            if (inner < 0.12f) c = Scale(c, 0.75f); // a darker rim reads as a volume
            sheet.At(f * S + x, y) = {uint8_t(std::lround(c.R)), uint8_t(std::lround(c.G)),
                                      uint8_t(std::lround(c.B))};
        }
    // Early frames throw sparks.
    if (f >= 1 && f <= 6) {
        TNoise n(400);
        for (int i = 0; i < 14; ++i) {
            const float a = float(n.Range(0, 6.2832)), speed = float(n.Range(0.8, 1.25));
            const float r = radius * speed * (1.0f + 0.1f * f);
            const int sx = int(S / 2.0f + r * std::cos(a)), sy = int(S / 2.0f + r * std::sin(a));
            if (sx >= 0 && sy >= 0 && sx < S && sy < S)
                sheet.At(f * S + sx, sy) = f < 4 ? TRgb{255, 236, 150} : TRgb{240, 140, 50};
        }
    }
}

} // namespace

TRgbImage MakeExplosion() {
    TRgbImage sheet(ExplosionFrameSize * ExplosionFrames, ExplosionFrameSize);
    for (int f = 0; f < ExplosionFrames; ++f)
        Frame(sheet, f);
    return sheet;
}
