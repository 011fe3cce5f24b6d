#include "render/tint.h"

#include <algorithm>
#include <cmath>

#include "core/asset_names.h"

namespace {

// Where the turret sits on the body, per sort: along the body's length (as
// a fraction), along the turret's (as a fraction), then offsets in px along
// and across the body.
using TMount = TTurretMount;
constexpr TMount Mounts[3] = {{0.4, 0.25, 0, 0}, {0.5, 0.15, -10, -5}, {0.5, 0.5, -13, 0}};

int SortNumber(int sort) {
    return sort == sortHovercraft ? 1 : sort == sortHummer ? 2 : sort == sortTank ? 0 : -1;
}

// Nothing painted may come out as the transparent black.
TRgb Floored(TRgb c, uint8_t floor) {
    if (c.R < floor && c.G < floor && c.B < floor) return {floor, floor, floor};
    return c;
}

uint8_t Shade(double a, uint8_t c) {
    return static_cast<uint8_t>(std::nearbyint(a * c));
}

} // namespace

TTurretMount TurretMount(int sort) {
    const int s = SortNumber(sort);
    return Mounts[s < 0 ? 0 : s];
}

int PatternMaskIndex(int sort, int pattern) {
    const int s = SortNumber(sort);
    if (s < 0 || pattern < 0 || pattern >= PatternCount) return -1;
    return s * PatternCount + pattern;
}

bool TintSprite(TImage& target, const TImageList& sprites, const TImageList& masks, int sort,
                int pattern, bool turret, TRgb colour1, TRgb colour2) {
    const int s = SortNumber(sort);
    if (s < 0) return false;
    const TImage& body = sprites.Image(sort);
    const TImage& src = turret ? sprites.Image(sort + 1) : body;
    if (!src.Valid()) return false;
    const TRgb c1 = Floored(colour1, 32), c2 = Floored(colour2, 32);

    const TImage* mask = nullptr;
    if (const int m = PatternMaskIndex(sort, pattern); m >= 0 && masks.Image(m).Valid())
        mask = &masks.Image(m);
    // The turret shows the part of the pattern that lies under it when it
    // points forward; the hummer's masks are two rows taller than its body.
    int u = sort == sortHummer ? 1 : 0, v = 0;
    if (turret) {
        const TMount& mt = Mounts[s];
        v = static_cast<int>(std::nearbyint(body.Width * mt.L + mt.O - src.Width * mt.M));
        u = sort == sortHummer
                ? 0
                : static_cast<int>(std::nearbyint((body.Height - src.Height) * 0.5 - mt.T));
    }

    TImage out = src;
    for (int y = 0; y < src.Height; ++y)
        for (int x = 0; x < src.Width; ++x) {
            const uint32_t p = src.At(x, y);
            const int r = RedOf(p), g = GreenOf(p), b = BlueOf(p);
            if (b == 0 || r > 0 || g > 0) continue;
            bool first = true;
            if (mask) {
                // A turret longer than the body reads the mask's last column.
                const int mx = std::clamp(x + v, 0, mask->Width - 1);
                const int my = std::clamp(y + u, 0, mask->Height - 1);
                first = (mask->At(mx, my) & 0xFFFFFF) != 0;
            }
            const TRgb c = first ? c1 : c2;
            const double a = b / 255.0;
            const TRgb t = Floored({Shade(a, c.R), Shade(a, c.G), Shade(a, c.B)}, 8);
            out.Set(x, y, Rgb(t.R, t.G, t.B));
        }
    target = std::move(out);
    return true;
}

bool TVehiclePictures::Build(const Game& g, int i, TImageList& sprites, const TImageList& masks) {
    if (!IsTankIndex(g, i)) return false;
    const TTank& t = g.Tanks[i];
    // Slots before the master pictures would overwrite them.
    if (t.BodySprite < SpriteCount || t.TurretSprite < SpriteCount) return false;
    TImage body, turret;
    if (!TintSprite(body, sprites, masks, t.Sort, t.PaintJob, false, t.BodyColour,
                    t.SecondColour) ||
        !TintSprite(turret, sprites, masks, t.Sort, t.PaintJob, true, t.BodyColour, t.SecondColour))
        return false;
    sprites.Put(t.BodySprite, std::move(body), clBlack, t.Name);
    sprites.Put(t.TurretSprite, std::move(turret), clBlack, t.Name);
    Built[i] = t.AppearanceStamp;
    return true;
}

int TVehiclePictures::Refresh(const Game& g, TImageList& sprites, const TImageList& masks) {
    int n = 0;
    for (int i = 0; i < g.TankCount; ++i) {
        const TTank& t = g.Tanks[i];
        // A stamp of 0 was never set: still paint it once.
        const bool stale = Built[i] != t.AppearanceStamp || !sprites.Entry(t.BodySprite) ||
                           sprites.Width(t.BodySprite) == 0;
        if (stale && Build(g, i, sprites, masks)) ++n;
    }
    return n;
}
