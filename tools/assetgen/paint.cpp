// Painting vehicles the way the game does, for pictures made from sprites.
#include <algorithm>
#include <cmath>

#include "assets.h"

namespace {

struct TMount {
    double L, M, O, T; // pivot along the body, along the turret, offsets along and across
};
constexpr TMount Mounts[3] = {{0.4, 0.25, 0, 0}, {0.5, 0.15, -10, -5}, {0.5, 0.5, -13, 0}};

TRgbImage Mirrored(const TRgbImage& src) {
    TRgbImage out(src.Width, src.Height);
    for (int y = 0; y < src.Height; ++y)
        for (int x = 0; x < src.Width; ++x)
            out.At(src.Width - 1 - x, y) = src.At(x, y);
    return out;
}

void Darken(TRgbImage& dst, const TRgbImage& shadow, int left, int top) {
    for (int y = 0; y < shadow.Height; ++y)
        for (int x = 0; x < shadow.Width; ++x) {
            const int tx = left + x, ty = top + y;
            if (shadow.At(x, y) == BlackKey || tx < 0 || ty < 0 || tx >= dst.Width ||
                ty >= dst.Height)
                continue;
            TRgb& p = dst.At(tx, ty);
            p = {uint8_t(p.R * 3 / 4), uint8_t(p.G * 3 / 4), uint8_t(p.B * 3 / 4)};
        }
}

} // namespace

TRgbImage Tint(const TRgbImage& src, const TBitImage* mask, int u, int v, TRgb c1, TRgb c2) {
    TRgbImage out = src;
    for (int y = 0; y < src.Height; ++y)
        for (int x = 0; x < src.Width; ++x) {
            const TRgb p = src.At(x, y);
            if (p.B == 0 || p.R > 0 || p.G > 0) continue;
            // Turret pixels past the mask's edge read its last column.
            const int mx = std::clamp(x + v, 0, mask ? mask->Width - 1 : 0);
            const int my = std::clamp(y + u, 0, mask ? mask->Height - 1 : 0);
            const TRgb c = !mask || mask->At(mx, my) ? c1 : c2;
            const float a = p.B / 255.0f;
            TRgb t{uint8_t(std::lround(a * c.R)), uint8_t(std::lround(a * c.G)),
                   uint8_t(std::lround(a * c.B))};
            if (t.R < 8 && t.G < 8 && t.B < 8) t = {8, 8, 8};
            out.At(x, y) = t;
        }
    return out;
}

void DrawVehicle(TRgbImage& dst, const TArtBook& art, int sort, int pattern, TRgb c1, TRgb c2,
                 int x, int y, bool mirrored) {
    const TRgbImage& body = art.Sprites[sort * 5];
    const TRgbImage& turret = art.Sprites[sort * 5 + 1];
    const TRgbImage& turretShadow = art.Sprites[sort * 5 + 3];
    const TMount& m = Mounts[sort];
    const TBitImage* mask = pattern < 0 ? nullptr : &art.Masks[sort * 7 + pattern];
    const int bodyU = sort == 2 ? 1 : 0;
    const int turretV = int(std::lround(body.Width * m.L + m.O - turret.Width * m.M));
    const int turretU = sort == 2 ? 0 : int(std::lround((body.Height - turret.Height) * 0.5 - m.T));
    // Turret placement relative to the body's top-left corner.
    const double pivotX = body.Width * m.L + m.O, pivotY = body.Height * 0.5 - m.T;
    int tx = int(std::lround(pivotX - turret.Width * m.M));
    const int ty = int(std::lround(pivotY - turret.Height * 0.5));
    const int sy = int(std::lround(pivotY - turretShadow.Height * 0.5));
    TRgbImage b = Tint(body, mask, bodyU, 0, c1, c2),
              t = Tint(turret, mask, turretU, turretV, c1, c2);
    TRgbImage bs = art.Sprites[sort * 5 + 2], ts = turretShadow;
    if (mirrored) {
        b = Mirrored(b);
        t = Mirrored(t);
        bs = Mirrored(bs);
        ts = Mirrored(ts);
        tx = body.Width - tx - turret.Width;
    }
    Darken(dst, bs, x + 4, y + 4);
    Darken(dst, ts, x + tx + (mirrored ? -6 : 6), y + sy + 6);
    dst.BlitKeyed(b, x, y, BlackKey);
    dst.BlitKeyed(t, x + tx, y + ty, BlackKey);
}
