// Tank, hovercraft and hummer: body, turret, their shadows and the wreck.
// Seen from above, front to the right; tintable paint is pure blue.
#include <cmath>

#include "assets.h"
#include "canvas.h"
#include "noise.h"

namespace {

const TInk Rubber = Solid(46, 46, 44);
const TInk TreadBar = Solid(84, 84, 78);
const TInk DarkMetal = Solid(62, 64, 60);
const TInk GunMetal = Solid(100, 104, 98);
const TInk Grille = Solid(30, 32, 30);
const TInk Glass = Solid(66, 96, 118);
const TInk Lamp = Solid(255, 244, 190);

// A shine streak across glass.
void GlassGlint(TCanvas& c, const TSdf& pane, float x0, float y0, float x1, float y1) {
    c.Fill(Intersect(pane, Segment(x0, y0, x1, y1, 0.6f)), Solid(190, 220, 235), 0.7f);
}

// Charred copy of a body: the paint burns off to soot and rust, with a few
// glowing embers; `tear` eats ragged holes into the outline.
TCanvas Burnt(const TCanvas& body, uint32_t seed, float tear) {
    TCanvas out = body;
    TNoise embers(seed);
    for (int y = 0; y < out.H; ++y)
        for (int x = 0; x < out.W; ++x) {
            TPixel& p = out.At(x, y);
            if (p.A <= 0) continue;
            const float lum = p.Paint >= 0.5f ? p.C.B * 0.55f : (p.C.R + p.C.G + p.C.B) / 3;
            const float soot = float(TileFbm(x, y, 64, 6, 2, seed));
            const float rust = float(TileFbm(x, y, 64, 8, 2, seed + 9));
            TColour burnt = Mix(Rgb(50, 46, 42), Rgb(104, 72, 48),
                                std::clamp((rust - 0.55f) * 2.5f, 0.0f, 0.7f));
            burnt = Scale(burnt, 0.5f + lum / 200.0f);
            burnt = Scale(burnt, 0.75f + 0.4f * soot);
            p.C = burnt;
            p.Paint = 0;
            if (tear > 0) {
                const float edge = float(TileFbm(x * 1.7, y * 1.7, 64, 8, 2, seed + 3));
                const float border =
                    std::min({float(x), float(y), float(out.W - 1 - x), float(out.H - 1 - y)});
                if (border < tear * edge * 3.0f) p.A = 0;
            }
            if (embers.Real() < 0.006 && p.A > 0.9f)
                p.C = embers.Real() < 0.5 ? Rgb(255, 140, 40) : Rgb(210, 70, 20);
        }
    return out;
}

void Erase(TCanvas& c, const TSdf& shape) {
    for (int y = 0; y < c.H; ++y)
        for (int x = 0; x < c.W; ++x)
            if (shape(x + 0.5f, y + 0.5f) < 0) c.At(x, y).A = 0;
}

// The side away from the light is a little darker all over.
void SideLight(TCanvas& c, const TSdf& shape) {
    const float h = float(c.H);
    c.Shade(shape, [h](float, float y) { return 1.14f - 0.28f * y / h; });
}

TRgbImage ShadowOf(const TCanvas& c) {
    return Silhouette(c.ToSprite(BlackKey), BlackKey, ShadowColour);
}

// --- Tank: 40 x 25 body, 53 x 21 turret pivoting 0.25 along it ---

TCanvas TankBody() {
    TCanvas c(40, 25);
    for (float top : {0.5f, 18.5f}) {
        const TSdf track = Box(0.5f, top, 39.5f, top + 6, 2.6f);
        c.Fill(track, Rubber);
        for (int i = 0; i < 13; ++i) {
            const float x = 1.6f + i * 3;
            c.Fill(Intersect(track, Box(x, top, x + 1.3f, top + 6)), TreadBar);
        }
        c.Bevel(track, 2.2f, 0.55f);
    }
    const TSdf hull = Box(2.5f, 4.2f, 38.2f, 20.8f, 2.2f);
    c.Fill(hull, PaintInk(0.74f));
    // Sloped glacis at the front, and the fenders over the tracks.
    c.Fill(Intersect(hull, Box(32.2f, 0, 50, 30)), PaintInk(0.6f));
    c.Fill(Intersect(hull, Box(31.8f, 4, 32.6f, 21)), PaintInk(0.36f));
    c.Fill(Intersect(hull, Box(2, 4, 40, 5.2f)), PaintInk(0.86f));
    c.Fill(Intersect(hull, Box(2, 19.8f, 40, 21)), PaintInk(0.5f));
    // Engine deck at the rear.
    c.Fill(Box(4.2f, 7.6f, 10.8f, 17.4f, 1), DarkMetal);
    for (int i = 0; i < 5; ++i)
        c.Fill(Box(4.8f, 8.4f + i * 1.9f, 10.2f, 9.2f + i * 1.9f), Grille);
    c.Fill(Box(2.6f, 6.4f, 4.2f, 8.6f, 0.5f), Solid(70, 58, 46));
    c.Fill(Box(2.6f, 16.4f, 4.2f, 18.6f, 0.5f), Solid(70, 58, 46));
    // Tools on the glacis and the headlights.
    c.Fill(Segment(33.5f, 9.5f, 33.5f, 15.5f, 0.5f), Solid(120, 96, 64));
    c.Fill(Circle(36.6f, 6.4f, 1.15f), Lamp);
    c.Fill(Circle(36.6f, 18.6f, 1.15f), Lamp);
    SideLight(c, hull);
    c.Bevel(hull, 2.6f, 0.5f);
    return c;
}

TCanvas TankTurret() {
    TCanvas c(53, 21);
    const TSdf barrel = Box(26, 9, 49, 12, 0.8f);
    c.Fill(barrel, GunMetal);
    c.Fill(Box(27, 9.3f, 48, 9.9f), Solid(150, 154, 146));
    c.Bevel(barrel, 1.4f, 0.5f);
    const TSdf brake = Box(47.5f, 7.8f, 52.6f, 13.2f, 0.9f);
    c.Fill(brake, Solid(74, 76, 70));
    c.Fill(Box(49.6f, 7.8f, 50.4f, 13.2f), Solid(26, 26, 24));
    c.Bevel(brake, 1.4f, 0.5f);

    const TSdf shell = Polygon({{3, 3.2f},
                                {17, 1.3f},
                                {25.5f, 4.2f},
                                {27.6f, 8},
                                {27.6f, 13},
                                {25.5f, 16.8f},
                                {17, 19.7f},
                                {3, 17.8f},
                                {1.4f, 14},
                                {1.4f, 7}});
    c.Fill(shell, PaintInk(0.8f));
    // Armour seam and the stowage bin on the rear.
    c.Fill(Intersect(shell, Segment(19, 1, 19, 20, 0.35f)), PaintInk(0.55f));
    c.Fill(Box(1.2f, 6.2f, 4.4f, 14.8f, 0.8f), Solid(84, 80, 62));
    c.Fill(Segment(2.8f, 6.5f, 2.8f, 14.5f, 0.3f), Solid(50, 48, 38));
    SideLight(c, shell);
    c.Bevel(shell, 5.5f, 0.6f);

    const TSdf mantlet = Box(24.6f, 6.8f, 29.6f, 14.2f, 1.3f);
    c.Fill(mantlet, Solid(78, 82, 74));
    c.Bevel(mantlet, 1.6f, 0.5f);
    // Commander's cupola with periscopes, loader's hatch, antenna.
    const TSdf cupola = Circle(10, 6.6f, 3.5f);
    c.Fill(cupola, Solid(98, 100, 94));
    c.Bevel(cupola, 1.6f, 0.6f);
    c.Fill(Circle(10, 6.6f, 2.2f), PaintInk(0.66f));
    c.Fill(Box(12.6f, 5.4f, 13.6f, 7.8f, 0.3f), Glass);
    const TSdf hatch = Circle(10.5f, 14.4f, 2.3f);
    c.Fill(hatch, PaintInk(0.62f));
    c.Fill(Outline(hatch, 0.35f), PaintInk(0.4f));
    c.Fill(Circle(5.5f, 16.6f, 0.9f), Solid(40, 40, 38));
    c.Fill(Segment(5.5f, 16.6f, 0.6f, 19.6f, 0.3f), Solid(30, 30, 28));
    return c;
}

TCanvas TankTurretShadowShape() {
    TCanvas c(53, 5);
    c.Fill(Box(1.4f, 0.4f, 27.6f, 4.6f, 1.6f), Solid(0, 0, 0));
    c.Fill(Box(26, 1, 52.6f, 4, 0.8f), Solid(0, 0, 0));
    return c;
}

TCanvas TankWreck() {
    TCanvas c = Burnt(TankBody(), 11, 0);
    // The turret is gone: an open, blackened ring where it sat.
    c.Fill(Circle(16, 12.5f, 7), Solid(70, 62, 54));
    c.Fill(Circle(16, 12.5f, 5.6f), Solid(22, 18, 16));
    c.Bevel(Circle(16, 12.5f, 7), 1.5f, 0.5f);
    c.Fill(Circle(15, 13.5f, 1.2f), Solid(255, 120, 30));
    c.Fill(Circle(17.5f, 11, 0.8f), Solid(230, 90, 20));
    Erase(c, Box(22, 0, 27, 6.6f)); // a thrown track
    return c;
}

// --- Hovercraft: 45 x 30 body, 25 x 9 turret mounted aft and to the right ---

TCanvas HoverBody() {
    TCanvas c(45, 30);
    const TSdf skirt = Box(0.5f, 0.5f, 44.5f, 29.5f, 10.5f);
    const TSdf deck = Box(4.2f, 4.2f, 40.8f, 25.8f, 6.8f);
    c.Fill(skirt, Solid(46, 46, 52));
    const TSdf band = Subtract(skirt, deck);
    for (int k = 0; k < 40; ++k) {
        const float a = float(k) * 6.2831853f / 40;
        c.Fill(Intersect(band, Segment(22.5f, 15, 22.5f + 40 * std::cos(a), 15 + 40 * std::sin(a),
                                       0.35f)),
               Solid(26, 26, 30));
    }
    c.Bevel(skirt, 4.6f, 0.6f);

    c.Fill(deck, PaintInk(0.72f));
    c.Fill(Outline(Grow(deck, -2.2f), 0.3f), PaintInk(0.5f));
    // Cabin with a wrap-around windscreen at the bow.
    const TSdf cabin = Box(26.5f, 7.2f, 39.2f, 22.8f, 4.2f);
    c.Fill(cabin, PaintInk(0.88f));
    const TSdf screen = Intersect(Grow(cabin, -0.8f), Box(34.4f, 0, 50, 30));
    c.Fill(screen, Glass);
    GlassGlint(c, screen, 35.5f, 9.5f, 37.5f, 13);
    c.Bevel(cabin, 3.2f, 0.5f);
    // Lift-fan grille amidships.
    c.Fill(Box(14, 5.8f, 24.5f, 12.4f, 1.4f), DarkMetal);
    for (int i = 0; i < 5; ++i)
        c.Fill(Box(15 + i * 2, 6.6f, 15.9f + i * 2, 11.6f), Grille);
    // Thrust fan in its duct at the stern, left side.
    const TSdf duct = Circle(9.6f, 9.6f, 6.2f);
    c.Fill(duct, Solid(86, 88, 86));
    c.Fill(Circle(9.6f, 9.6f, 4.8f), Solid(28, 30, 32));
    for (int k = 0; k < 5; ++k) {
        const float a = 0.4f + float(k) * 6.2831853f / 5;
        c.Fill(Segment(9.6f, 9.6f, 9.6f + 4.4f * std::cos(a), 9.6f + 4.4f * std::sin(a), 0.8f),
               Solid(120, 122, 118));
    }
    c.Fill(Circle(9.6f, 9.6f, 1.3f), Solid(150, 150, 146));
    c.Bevel(duct, 1.6f, 0.7f);
    // Turret ring, aft right.
    c.Fill(Circle(12.8f, 20.5f, 4.3f), PaintInk(0.46f));
    SideLight(c, deck);
    c.Bevel(deck, 3.2f, 0.45f);
    return c;
}

TCanvas HoverTurret() {
    TCanvas c(25, 9);
    for (float y : {1.6f, 5.6f}) {
        const TSdf gun = Box(10, y, 24.6f, y + 1.7f, 0.6f);
        c.Fill(gun, GunMetal);
        c.Bevel(gun, 0.9f, 0.5f);
    }
    const TSdf pod = Box(0.4f, 0.4f, 13.2f, 8.6f, 3.6f);
    c.Fill(pod, PaintInk(0.82f));
    c.Fill(Box(6, 3.1f, 10.2f, 5.9f, 1), Glass);
    c.Bevel(pod, 3, 0.55f);
    return c;
}

TCanvas HoverWreck() {
    TCanvas c = Burnt(HoverBody(), 23, 1.8f);
    // The skirt has gone flat and split.
    Erase(c, Segment(2, 21, 9, 28, 0.9f));
    c.Fill(Circle(30, 15, 4), Solid(24, 20, 18));
    c.Fill(Circle(30.5f, 14.5f, 1), Solid(255, 130, 30));
    return c;
}

// --- Hummer: 42 x 20 body, 13 x 22 rocket pods across the rear bed ---

TCanvas HummerBody() {
    TCanvas c(42, 20);
    for (float x : {5.0f, 29.0f})
        for (float y : {0.0f, 15.8f}) {
            const TSdf tyre = Box(x, y, x + 8, y + 4.2f, 1.3f);
            c.Fill(tyre, Solid(34, 34, 34));
            for (int i = 0; i < 4; ++i)
                c.Fill(Intersect(tyre, Box(x + 1 + i * 2, y, x + 1.8f + i * 2, y + 4.2f)),
                       Solid(62, 62, 60));
            c.Bevel(tyre, 1.2f, 0.5f);
        }
    const TSdf body = Box(0.8f, 1.6f, 41.4f, 18.4f, 3);
    c.Fill(body, PaintInk(0.72f));
    // Bonnet with its ridge lines.
    c.Fill(Intersect(body, Box(28.6f, 0, 50, 30)), PaintInk(0.8f));
    c.Fill(Box(29.5f, 6, 39.5f, 6.6f), PaintInk(0.58f));
    c.Fill(Box(29.5f, 13.4f, 39.5f, 14), PaintInk(0.58f));
    // Rear bed, recessed, with ribs.
    const TSdf bed = Box(1.8f, 3.2f, 12.6f, 16.8f, 1);
    c.Fill(bed, PaintInk(0.5f));
    for (int i = 0; i < 4; ++i)
        c.Fill(Box(2.6f + i * 2.6f, 3.6f, 3.2f + i * 2.6f, 16.4f), PaintInk(0.62f));
    // Windscreen and cab roof.
    const TSdf screen = Box(23.6f, 2.9f, 28.4f, 17.1f, 1);
    c.Fill(screen, Glass);
    c.Fill(Box(23.6f, 9.6f, 28.4f, 10.4f), PaintInk(0.4f));
    GlassGlint(c, screen, 24.4f, 7.5f, 27, 3.8f);
    const TSdf roof = Box(13, 2.6f, 23.8f, 17.4f, 1.6f);
    c.Fill(roof, PaintInk(0.86f));
    c.Bevel(roof, 2, 0.45f);
    // Grille, lamps, mirrors and the fixed machine gun at the front right.
    c.Fill(Box(40.2f, 5, 41.6f, 15), Grille);
    c.Fill(Circle(40.2f, 3.7f, 1.1f), Lamp);
    c.Fill(Circle(40.2f, 16.3f, 1.1f), Lamp);
    c.Fill(Box(25.5f, 0.2f, 27.3f, 1.8f, 0.4f), Solid(52, 52, 50));
    c.Fill(Box(25.5f, 18.2f, 27.3f, 19.8f, 0.4f), Solid(52, 52, 50));
    c.Fill(Box(30, 13.8f, 33, 16.6f, 0.6f), DarkMetal);
    c.Fill(Box(32, 14.7f, 41.8f, 15.7f, 0.3f), GunMetal);
    SideLight(c, body);
    c.Bevel(body, 2.4f, 0.5f);
    return c;
}

TCanvas HummerTurret() {
    TCanvas c(13, 22);
    const TSdf plate = Box(1.2f, 3, 11.8f, 19, 2);
    c.Fill(plate, PaintInk(0.7f));
    c.Bevel(plate, 2, 0.45f);
    for (float y : {0.3f, 16.0f}) {
        const TSdf pod = Box(0.4f, y, 12.8f, y + 5.7f, 1.2f);
        c.Fill(pod, Solid(88, 94, 76));
        c.Fill(Box(0.6f, y + 2.6f, 12.6f, y + 3.1f), Solid(58, 62, 50));
        c.Bevel(pod, 1.4f, 0.55f);
        c.Fill(Circle(11.7f, y + 1.5f, 0.9f), Solid(24, 24, 22));
        c.Fill(Circle(11.7f, y + 4.2f, 0.9f), Solid(24, 24, 22));
    }
    const TSdf seat = Circle(6, 11, 3.2f);
    c.Fill(seat, DarkMetal);
    c.Fill(Box(7, 10, 10.5f, 12, 0.6f), Glass);
    c.Bevel(seat, 1.5f, 0.5f);
    return c;
}

TCanvas HummerWreck() {
    TCanvas c = Burnt(HummerBody(), 37, 0);
    c.Fill(Box(24, 3.5f, 28, 16.5f, 1), Solid(26, 22, 20)); // windscreen blown out
    c.Fill(Circle(8, 10, 3.5f), Solid(20, 18, 16));
    c.Fill(Circle(8.5f, 9.5f, 0.9f), Solid(255, 130, 30));
    Erase(c, Box(29, 15.8f, 37, 20)); // a wheel came off
    return c;
}

void AddSort(std::vector<TRgbImage>& out, const TCanvas& body, const TCanvas& turret,
             const TRgbImage& turretShadow, const TCanvas& wreck) {
    out.push_back(body.ToSprite(BlackKey));
    out.push_back(turret.ToSprite(BlackKey));
    out.push_back(ShadowOf(body));
    out.push_back(turretShadow);
    out.push_back(wreck.ToSprite(BlackKey));
}

} // namespace

std::vector<TRgbImage> MakeVehicleSprites() {
    std::vector<TRgbImage> out;
    AddSort(out, TankBody(), TankTurret(), ShadowOf(TankTurretShadowShape()), TankWreck());
    const TCanvas hoverTurret = HoverTurret();
    AddSort(out, HoverBody(), hoverTurret, ShadowOf(hoverTurret), HoverWreck());
    const TCanvas hummerTurret = HummerTurret();
    AddSort(out, HummerBody(), hummerTurret, ShadowOf(hummerTurret), HummerWreck());
    return out;
}
