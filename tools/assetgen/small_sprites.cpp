// Projectiles, mines, weapon icons, the cow and the alarm light.
#include <algorithm>
#include <cmath>

#include "assets.h"
#include "canvas.h"

namespace {

TRgbImage Rocket() {
    // Two pixels high: drawn pixel by pixel, top row lit.
    TRgbImage img(24, 2);
    for (int x = 0; x < 24; ++x)
        for (int y = 0; y < 2; ++y) {
            TRgb c;
            if (x < 2)
                c = y == 0 ? TRgb{255, 214, 96} : TRgb{240, 130, 40};
            else if (x < 5)
                c = y == 0 ? TRgb{96, 98, 92} : TRgb{62, 64, 60};
            else if (x < 20)
                c = y == 0 ? TRgb{226, 224, 212} : TRgb{150, 148, 140};
            else
                c = y == 0 ? TRgb{214, 60, 44} : TRgb{140, 34, 26};
            img.At(x, y) = c;
        }
    return img;
}

void Exhaust(TCanvas& c, float cy) {
    c.Fill(Ellipse(2.4f, cy, 2.4f, 1.6f), Solid(255, 150, 40));
    c.Fill(Ellipse(2.8f, cy, 1.4f, 0.9f), Solid(255, 236, 150));
}

TRgbImage Missile(bool guided) {
    TCanvas c(24, 5);
    Exhaust(c, 2.5f);
    const TInk fin = Solid(84, 88, 84);
    c.Fill(Polygon({{3.4f, 0}, {7.6f, 1.4f}, {7.6f, 3.6f}, {3.4f, 5}}), fin);
    const TSdf body = Box(4.4f, 1, 20.5f, 4, 1.5f);
    c.Fill(body, guided ? Solid(118, 130, 98) : Solid(216, 216, 208));
    c.Fill(Box(14.6f, 1, 15.8f, 4), guided ? Solid(226, 190, 44) : Solid(196, 44, 32));
    c.Fill(Box(12.5f, 0.2f, 14, 4.8f, 0.5f), fin); // canards
    const TSdf nose = Polygon({{19.6f, 1}, {23.9f, 2.5f}, {19.6f, 4}});
    c.Fill(nose, guided ? Solid(44, 62, 72) : Solid(210, 64, 40));
    if (guided) c.Fill(Circle(21.2f, 2.1f, 0.5f), Solid(200, 230, 240));
    c.Bevel(body, 1.5f, 0.5f);
    return c.ToSprite(BlackKey);
}

TRgbImage Mine(int kind) {
    TCanvas c(10, 10);
    if (kind == 2) {
        // Sea mine: a horned ball.
        for (int k = 0; k < 8; ++k) {
            const float a = 0.39f + float(k) * 0.785398f;
            c.Fill(Segment(5, 5, 5 + 4.6f * std::cos(a), 5 + 4.6f * std::sin(a), 0.55f),
                   Solid(150, 150, 140));
        }
        const TSdf ball = Circle(5, 5, 3.4f);
        c.Fill(ball, Solid(46, 84, 90));
        c.Bevel(ball, 3.4f, 0.8f);
        c.Fill(Circle(4, 4, 0.8f), Solid(200, 230, 230), 0.8f);
        return c.ToSprite(BlackKey);
    }
    const TSdf disc = Circle(5, 5, 4.6f);
    c.Fill(disc, kind == 1 ? Solid(226, 232, 238) : Solid(76, 80, 68));
    c.Fill(Outline(Circle(5, 5, 3), 0.35f), kind == 1 ? Solid(150, 160, 172) : Solid(44, 46, 40));
    for (int k = 0; k < 4; ++k) {
        const float a = 0.785398f + float(k) * 1.570796f;
        c.Fill(Circle(5 + 3 * std::cos(a), 5 + 3 * std::sin(a), 0.7f),
               kind == 1 ? Solid(170, 178, 190) : Solid(120, 122, 112));
    }
    c.Bevel(disc, 2, 0.6f);
    c.Fill(Circle(5, 5, 1.3f), Solid(236, 40, 30));
    c.Fill(Circle(4.6f, 4.6f, 0.5f), Solid(255, 200, 190));
    return c.ToSprite(BlackKey);
}

// --- weapon icons, 40 x 20 on fuchsia ---

void Cartridge(TCanvas& c, float x, float y) {
    const TSdf tip = Ellipse(x + 13, y + 2.2f, 4.2f, 2.1f);
    c.Fill(Intersect(tip, Box(x + 12, y - 1, x + 18, y + 6)), Solid(196, 112, 62));
    const TSdf caseShape = Box(x, y, x + 13, y + 4.4f, 0.8f);
    c.Fill(caseShape, Solid(214, 170, 64));
    c.Fill(Box(x + 0.5f, y - 0.3f, x + 1.6f, y + 4.7f, 0.4f), Solid(170, 130, 44));
    c.Bevel(Union(caseShape, tip), 2.2f, 0.6f);
}

void MissileIcon(TCanvas& c, float x, float y, TInk bodyInk, TInk noseInk) {
    c.Fill(Ellipse(x + 1, y + 3, 3.4f, 2.2f), Solid(255, 150, 40));
    c.Fill(Ellipse(x + 1.8f, y + 3, 1.8f, 1.2f), Solid(255, 240, 160));
    c.Fill(Polygon({{x + 2, y - 1.5f}, {x + 8, y + 1}, {x + 8, y + 5}, {x + 2, y + 7.5f}}),
           Solid(80, 84, 80));
    const TSdf body = Box(x + 3, y + 0.8f, x + 22, y + 5.2f, 2.2f);
    c.Fill(body, bodyInk);
    c.Fill(Polygon({{x + 21, y + 0.8f}, {x + 27, y + 3}, {x + 21, y + 5.2f}}), noseInk);
    c.Bevel(body, 2.2f, 0.6f);
}

TCanvas IconCanvas() {
    return TCanvas(40, 20);
}

TRgbImage WeaponIcon(int weapon) {
    TCanvas c = IconCanvas();
    switch (weapon) {
    case 0: // machine gun: a clip of rounds
        Cartridge(c, 4, 1.5f);
        Cartridge(c, 12, 7.8f);
        Cartridge(c, 4, 14);
        break;
    case 1: { // railgun: a long barrel wound with glowing coils
        const TSdf barrel = Box(2, 7.5f, 38, 12.5f, 1.5f);
        c.Fill(barrel, Solid(70, 74, 82));
        c.Fill(Box(2, 9.3f, 38, 10.7f), Solid(150, 240, 255));
        for (int i = 0; i < 6; ++i) {
            const TSdf coil = Box(7 + i * 5.2f, 5, 9.4f + i * 5.2f, 15, 1);
            c.Fill(coil, Solid(200, 140, 60));
            c.Bevel(coil, 1.2f, 0.6f);
        }
        c.Bevel(barrel, 2, 0.5f);
        break;
    }
    case 2: { // cluster bomb and its bomblets
        const TSdf bomb = Ellipse(12, 10, 9, 5.5f);
        c.Fill(Polygon({{1, 4}, {5, 8}, {5, 12}, {1, 16}}), Solid(80, 84, 76));
        c.Fill(bomb, Solid(104, 112, 80));
        c.Fill(Box(9, 4.6f, 10.6f, 15.4f), Solid(226, 190, 44));
        c.Bevel(bomb, 4, 0.6f);
        const float spots[][2] = {{26, 5}, {30, 12}, {35, 6}, {27, 16}, {36, 15}};
        for (const auto& s : spots) {
            const TSdf b = Circle(s[0], s[1], 2.3f);
            c.Fill(b, Solid(104, 112, 80));
            c.Bevel(b, 2.3f, 0.7f);
        }
        break;
    }
    case 3: { // rockets: a pair in flight
        MissileIcon(c, 5, 1.6f, Solid(226, 224, 212), Solid(210, 60, 40));
        MissileIcon(c, 10, 11.2f, Solid(226, 224, 212), Solid(210, 60, 40));
        break;
    }
    case 4: { // homing missile: missile and a target ring
        MissileIcon(c, 1, 7, Solid(216, 216, 208), Solid(196, 44, 32));
        c.Fill(Outline(Circle(34, 10, 4.6f), 0.8f), Solid(240, 40, 30));
        c.Fill(Box(33.4f, 3, 34.6f, 17), Solid(240, 40, 30));
        c.Fill(Box(28, 9.4f, 39.6f, 10.6f), Solid(240, 40, 30));
        break;
    }
    case 5: { // guided missile: missile steered along a winding path
        // The smoke trail it leaves while being steered.
        for (int i = 0; i < 14; ++i) {
            const float x0 = 1 + i, x1 = 2 + i;
            c.Fill(Segment(x0, 10 + 4.5f * std::sin(x0 * 0.42f), x1,
                           10 + 4.5f * std::sin(x1 * 0.42f), 1.1f - i * 0.03f),
                   Solid(226, 226, 216), 0.35f + i * 0.045f);
        }
        MissileIcon(c, 12, 7, Solid(118, 130, 98), Solid(44, 62, 72));
        break;
    }
    default: { // BFG: a ball of green fire
        for (int i = 0; i < 5; ++i) {
            const float r = 9.5f - i * 1.8f;
            c.Fill(Circle(20, 10, r), Solid(60 + i * 40, 200 + i * 11, 60 + i * 40),
                   0.55f + i * 0.1f);
        }
        // Zaps reaching out of it.
        for (int k = 0; k < 4; ++k) {
            const float a = 0.5f + k * 1.5708f, s = k % 2 ? 1.0f : -1.0f;
            const float x1 = 20 + 11 * std::cos(a), y1 = 10 + 8 * std::sin(a);
            const float mx = 20 + 8 * std::cos(a + 0.25f * s),
                        my = 10 + 6 * std::sin(a + 0.25f * s);
            c.Fill(Segment(20 + 8 * std::cos(a), 10 + 7 * std::sin(a), mx, my, 0.5f),
                   Solid(190, 255, 170));
            c.Fill(Segment(mx, my, x1, y1, 0.5f), Solid(190, 255, 170));
        }
        break;
    }
    }
    return c.ToSprite(FuchsiaKey, Rgb(30, 20, 30));
}

// --- the cow: 36 x 12, head to the right ---

TCanvas CowShape() {
    TCanvas c(36, 12);
    const TInk white = Solid(238, 234, 226), black = Solid(34, 30, 30);
    c.Fill(Segment(5, 6, 1.2f, 7, 0.5f), white);
    c.Fill(Circle(1.2f, 7.2f, 1.1f), black);
    const TSdf body = Ellipse(16.5f, 6, 12.4f, 5.3f);
    c.Fill(body, white);
    // Patches: a few soft blobs, clipped to the hide.
    const float blobs[][3] = {{10, 3.5f, 3.2f}, {19, 8, 3.4f}, {24, 3, 2.4f}, {6.5f, 8.2f, 2}};
    for (const auto& b : blobs)
        c.Fill(Intersect(body, Circle(b[0], b[1], b[2])), black);
    c.Bevel(body, 5, 0.35f);
    c.Fill(Segment(6, 6, 26, 6, 0.5f), Solid(255, 255, 255), 0.35f); // light along the back
    // Ears, horns, head and pink muzzle.
    c.Fill(Ellipse(29, 2.4f, 1.8f, 1.1f), black);
    c.Fill(Ellipse(29, 9.6f, 1.8f, 1.1f), black);
    c.Fill(Segment(30.5f, 4, 31.6f, 1.3f, 0.5f), Solid(232, 222, 190));
    c.Fill(Segment(30.5f, 8, 31.6f, 10.7f, 0.5f), Solid(232, 222, 190));
    const TSdf head = Ellipse(30.6f, 6, 4.3f, 3.1f);
    c.Fill(head, white);
    c.Fill(Intersect(head, Circle(29, 5, 2)), black);
    c.Fill(Ellipse(34, 6, 1.9f, 2.5f), Solid(232, 164, 164));
    c.Fill(Circle(34.6f, 5, 0.45f), Solid(120, 60, 60));
    c.Fill(Circle(34.6f, 7, 0.45f), Solid(120, 60, 60));
    c.Bevel(head, 2.5f, 0.35f);
    return c;
}

TRgbImage AlarmLight() {
    // Drawn additively: black adds nothing, so the beam may fade smoothly.
    TRgbImage img(32, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const float dx = x + 0.5f - 16, dy = y + 0.5f - 16;
            const float d = std::hypot(dx, dy);
            const float a = std::fabs(std::atan2(dy, dx));
            float beam = 0;
            if (d > 2 && a < 0.45f) beam = (1 - d / 16.5f) * (1 - a / 0.45f) * 1.4f;
            const float glow = std::exp(-d * d / 18.0f);
            const float core = d < 2.6f ? 1.0f : 0.0f;
            const float i = std::clamp(std::max(beam, 0.0f) + glow, 0.0f, 1.0f);
            TRgb p{uint8_t(255 * i), uint8_t(std::min(255.0f, 50 * i + 200 * core)),
                   uint8_t(std::min(255.0f, 30 * i + 170 * core))};
            if (p.R < 10) p = {0, 0, 0};
            img.At(x, y) = p;
        }
    return img;
}

} // namespace

std::vector<TRgbImage> MakeSmallSprites() {
    std::vector<TRgbImage> out;
    out.push_back(Rocket());
    out.push_back(Missile(false));
    out.push_back(Missile(true));
    for (int kind = 0; kind < 3; ++kind)
        out.push_back(Mine(kind));
    for (int weapon = 0; weapon < 7; ++weapon)
        out.push_back(WeaponIcon(weapon));
    const TCanvas cow = CowShape();
    out.push_back(cow.ToSprite(FuchsiaKey, Rgb(40, 36, 34)));
    out.push_back(Silhouette(out.back(), FuchsiaKey, ShadowColour));
    out.push_back(AlarmLight());
    return out;
}
