// Start-screen pictures: the background (a grey picture: the screen tints
// it from its red channel), one picture per game style, the two arrows of
// the level list and the network picture on the network start buttons.
#include <algorithm>
#include <cmath>

#include "assets.h"
#include "canvas.h"
#include "noise.h"

namespace {

constexpr int BackW = 661, BackH = 480;

float Ridge(float x, float base, float height, int cells, uint32_t seed) {
    return base - height * float(TileFbm(x, 0, BackW, cells, 4, seed));
}

// Side view of a tank, as a silhouette on the ridge.
TSdf TankSideView(float x, float y, float s) {
    TSdf hull = Polygon({{x, y - 6 * s},
                         {x + 4 * s, y - 13 * s},
                         {x + 40 * s, y - 13 * s},
                         {x + 46 * s, y - 6 * s},
                         {x + 42 * s, y},
                         {x + 4 * s, y}});
    TSdf turret = Box(x + 12 * s, y - 21 * s, x + 32 * s, y - 12 * s, 3 * s);
    TSdf barrel = Box(x + 30 * s, y - 18.5f * s, x + 62 * s, y - 15.5f * s, s);
    return Union(hull, Union(turret, barrel));
}

TSdf CowSideView(float x, float y, float s) {
    TSdf body = Box(x, y - 14 * s, x + 22 * s, y - 5 * s, 3 * s);
    TSdf head = Polygon({{x + 20 * s, y - 14 * s},
                         {x + 27 * s, y - 10 * s},
                         {x + 27 * s, y - 6 * s},
                         {x + 22 * s, y - 7 * s}});
    TSdf legs = Union(Union(Box(x + 1 * s, y - 6 * s, x + 3.5f * s, y, 0.5f),
                            Box(x + 5 * s, y - 6 * s, x + 7.5f * s, y, 0.5f)),
                      Union(Box(x + 15 * s, y - 6 * s, x + 17.5f * s, y, 0.5f),
                            Box(x + 18.5f * s, y - 6 * s, x + 21 * s, y, 0.5f)));
    TSdf tail = Segment(x, y - 13 * s, x - 2 * s, y - 5 * s, 0.6f * s);
    TSdf horn = Segment(x + 21 * s, y - 14 * s, x + 22 * s, y - 17 * s, 0.6f * s);
    return Union(Union(body, head), Union(Union(legs, tail), horn));
}

TRgbImage Background() {
    TCanvas c(BackW, BackH);
    const float horizon = 300;
    // Evening sky, brightest at the horizon, with drifting cloud.
    c.Fill(Box(-1, -1, BackW + 1, BackH + 1), [&](float x, float y) {
        const float t = std::clamp(y / horizon, 0.0f, 1.0f);
        float v = 26 + 150 * t * t;
        const float cloud = float(TileFbm(x * 0.6, y * 1.6, BackW, 6, 5, 501));
        v += std::clamp((cloud - 0.5f) * 3, 0.0f, 1.0f) * (40 + 40 * t);
        return Solid(Rgb(int(v), int(v), int(v)));
    });
    // Far hills, then the moor, then the dark foreground.
    auto hills = [](float x) { return Ridge(x, 292, 60, 3, 502); };
    auto moor = [](float x) { return Ridge(x, 352, 50, 2, 503); };
    auto front = [](float x) { return Ridge(x, 440, 40, 4, 504); };
    c.Fill([&](float x, float y) { return hills(x) - y; },
           [](float x, float y) {
               return Solid(
                   Scale(Rgb(96, 96, 96), 0.9f + 0.2f * float(TileFbm(x, y, BackW, 20, 3, 505))));
           });
    // A fire on the far hills, its smoke leaning with the wind.
    for (int i = 0; i < 14; ++i) {
        const float t = i / 13.0f;
        c.Fill(Circle(486 + 60 * t * t, hills(486) - 8 - 120 * t, 6 + 22 * t),
               Solid(Rgb(60, 60, 60)), 0.22f);
    }
    c.Fill(Ellipse(486, hills(486) + 1, 30, 6), Solid(Rgb(230, 230, 230)), 0.55f);
    c.Fill(Ellipse(486, hills(486), 9, 4), Solid(Rgb(255, 255, 255)));
    c.Fill([&](float x, float y) { return moor(x) - y; },
           [](float x, float y) {
               const float heather = float(TileFbm(x * 2, y * 4, BackW, 24, 3, 506));
               return Solid(Scale(Rgb(66, 66, 66), 0.8f + 0.4f * heather));
           });
    c.Fill(TankSideView(90, moor(120) + 2, 1.3f), Solid(Rgb(22, 22, 22)));
    c.Fill(TankSideView(190, moor(220) + 2, 0.9f), Solid(Rgb(30, 30, 30)));
    c.Fill(CowSideView(560, moor(575) + 2, 1.0f), Solid(Rgb(24, 24, 24)));
    c.Fill([&](float x, float y) { return front(x) - y; },
           [](float x, float y) {
               const float tuft = float(TileFbm(x * 3, y * 6, BackW, 40, 2, 507));
               return Solid(Scale(Rgb(36, 36, 36), 0.75f + 0.5f * tuft));
           });
    TRgbImage img = c.Flatten({});
    // The title, with a drop shadow.
    const int size = 64, w = TextWidth("MOORCLASH", size, true);
    const int tx = (BackW - w) / 2;
    DrawText(img, tx + 4, 96, "MOORCLASH", size, {10, 10, 10}, true);
    DrawText(img, tx, 92, "MOORCLASH", size, {236, 236, 236}, true);
    return img;
}

TRgbImage Tile(const TArtBook& art, std::string_view name, int w, int h) {
    TRgbImage out(w, h);
    for (const TNamedImage& t : art.Textures)
        if (t.Name == name)
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    out.At(x, y) = t.Image.At(x % 64, y % 64);
    return out;
}

constexpr int StyleW = 96, StyleH = 72;
constexpr TRgb Red{200, 40, 30}, Blue{40, 90, 210}, Yellow{236, 200, 50}, White{235, 235, 235},
    Green{40, 150, 50};

TRgbImage DeathmatchPicture(const TArtBook& art) {
    TRgbImage img = Tile(art, "Dirt", StyleW, StyleH);
    DrawVehicle(img, art, 0, -1, Red, Yellow, 4, 6, false);
    DrawVehicle(img, art, 2, 5, Green, Yellow, 52, 40, true);
    DrawVehicle(img, art, 1, 2, Yellow, White, 2, 40, false);
    // A hit in the middle of it all.
    const int fw = art.Explosion.Width / ExplosionFrames;
    TRgbImage frame(fw, art.Explosion.Height);
    for (int y = 0; y < frame.Height; ++y)
        for (int x = 0; x < fw; ++x)
            frame.At(x, y) = art.Explosion.At(4 * fw + x, y);
    img.BlitKeyed(frame.Scaled(fw / 2, frame.Height / 2), 56, 2, BlackKey);
    return img;
}

TRgbImage TeamWarPicture(const TArtBook& art) {
    TRgbImage img = Tile(art, "Grass", StyleW, StyleH);
    DrawVehicle(img, art, 0, 0, Red, White, 2, 8, false);
    DrawVehicle(img, art, 0, 0, Red, White, 2, 40, false);
    DrawVehicle(img, art, 0, 1, Blue, White, 54, 8, true);
    DrawVehicle(img, art, 0, 1, Blue, White, 54, 40, true);
    return img;
}

TRgbImage CowPicture(const TArtBook& art) {
    TRgbImage img = Tile(art, "Grass", StyleW, StyleH);
    const TRgbImage base = Tile(art, "Base", 64, 64);
    img.Blit(base, 16, 4);
    const TRgbImage cow = art.Sprites[28].Scaled(54, 18);
    img.BlitKeyed(cow, 21, 27, FuchsiaKey);
    DrawVehicle(img, art, 2, 0, Blue, White, 54, 50, true);
    return img;
}

TRgbImage Arrow(bool up) {
    TCanvas c(24, 24);
    const TSdf button = Box(1, 1, 23, 23, 5);
    c.Fill(button, Solid(70, 74, 80));
    c.Bevel(button, 3, 0.6f);
    const TSdf tri =
        up ? Polygon({{12, 5.5f}, {19, 16}, {5, 16}}) : Polygon({{5, 8}, {19, 8}, {12, 18.5f}});
    c.Fill(Grow(tri, 1.2f), Solid(20, 20, 24), 0.6f);
    c.Fill(tri, Solid(236, 226, 170));
    return c.Flatten({});
}

TRgbImage NetworkPicture() {
    // A globe with three linked machines.
    TCanvas c(32, 32);
    const TSdf globe = Circle(16, 16, 12.5f);
    c.Fill(globe, Solid(40, 110, 170));
    const TSdf lines =
        Union(Union(Outline(Ellipse(16, 16, 5, 12.5f), 0.5f), Segment(3.5f, 16, 28.5f, 16, 0.5f)),
              Union(Segment(6, 9, 26, 9, 0.5f), Segment(6, 23, 26, 23, 0.5f)));
    c.Fill(Intersect(globe, lines), Solid(140, 200, 230));
    c.Bevel(globe, 6, 0.6f);
    const float nodes[][2] = {{6, 6}, {27, 10}, {12, 27}};
    for (int i = 0; i < 3; ++i) {
        const auto& a = nodes[i];
        const auto& b = nodes[(i + 1) % 3];
        c.Fill(Segment(a[0], a[1], b[0], b[1], 0.7f), Solid(250, 210, 70));
    }
    for (const auto& n : nodes) {
        const TSdf node = Box(n[0] - 3, n[1] - 2.5f, n[0] + 3, n[1] + 2.5f, 1);
        c.Fill(node, Solid(220, 224, 230));
        c.Fill(Box(n[0] - 2, n[1] - 1.5f, n[0] + 2, n[1] + 1.2f, 0.5f), Solid(40, 60, 80));
    }
    return c.Flatten({});
}

} // namespace

std::vector<TNamedImage> MakeUiPictures(const TArtBook& art) {
    return {
        {"StartBackground", Background()},
        {"StyleDeathmatch", DeathmatchPicture(art)},
        {"StyleTeamWar", TeamWarPicture(art)},
        {"StyleCaptureTheCow", CowPicture(art)},
        {"ArrowUp", Arrow(true)},
        {"ArrowDown", Arrow(false)},
        {"Network", NetworkPicture()},
    };
}
