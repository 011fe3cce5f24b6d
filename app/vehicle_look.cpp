#include "app/vehicle_look.h"

#include <imgui.h>

#include <cmath>
#include <numbers>

#include "core/colours.h"
#include "render/tint.h"

namespace {

// An angle in 256ths of a turn, as the game turns its sprites.
constexpr double TurnUnit = std::numbers::pi / 128;

ImVec2 Turned(double x, double y, double c, double s) {
    return ImVec2(float(c * x - s * y), float(s * x + c * y));
}

// The picture turned by angle about its pivot (px, py), the pivot placed at
// at.
void DrawTurned(ImDrawList* d, SDL_Texture* tex, int w, int h, double px, double py, ImVec2 at,
                double angle) {
    const double c = std::cos(angle), s = std::sin(angle);
    ImVec2 p[4] = {Turned(-px, -py, c, s), Turned(w - px, -py, c, s), Turned(w - px, h - py, c, s),
                   Turned(-px, h - py, c, s)};
    for (ImVec2& q : p) {
        q.x += at.x;
        q.y += at.y;
    }
    d->AddImageQuad(tex, p[0], p[1], p[2], p[3]);
}

float RoundPx(double v) {
    return float(std::lround(v));
}

} // namespace

bool TVehicleLook::Upload(SDL_Renderer* renderer, const TImage& image, TPicture& to) {
    if (to.Texture && (to.W != image.Width || to.H != image.Height)) {
        SDL_DestroyTexture(to.Texture);
        to.Texture = nullptr;
    }
    if (!to.Texture) {
        to.Texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ABGR8888, SDL_TEXTUREACCESS_STATIC,
                                       image.Width, image.Height);
        if (!to.Texture) return false;
        SDL_SetTextureBlendMode(to.Texture, SDL_BLENDMODE_BLEND);
        to.W = image.Width;
        to.H = image.Height;
    }
    // Black is the sprites' see-through colour.
    std::vector<uint32_t> pixels(image.Pixels.size());
    for (size_t i = 0; i < pixels.size(); ++i) {
        const uint32_t p = image.Pixels[i] & 0xFFFFFF;
        pixels[i] = p == 0 ? 0 : p | 0xFF000000u;
    }
    return SDL_UpdateTexture(to.Texture, nullptr, pixels.data(), image.Width * 4) == 0;
}

bool TVehicleLook::Update(SDL_Renderer* renderer, const TImageList& sprites,
                          const TImageList& masks, const TTankSetup& setup) {
    if (!renderer) return false;
    const TRgb c1 = HsbToRgb(setup.Colour1), c2 = HsbToRgb(setup.Colour2);
    // The same look again: nothing to tint (nor to fail at again).
    if (Tinted > 0 && setup.Sort == Sort && setup.Pattern == Pattern && c1 == Colour1 &&
        c2 == Colour2)
        return Ready;
    TImage body, turret;
    Ready = TintSprite(body, sprites, masks, setup.Sort, setup.Pattern, false, c1, c2) &&
            TintSprite(turret, sprites, masks, setup.Sort, setup.Pattern, true, c1, c2) &&
            Upload(renderer, body, Body) && Upload(renderer, turret, Turret);
    Sort = setup.Sort;
    Pattern = setup.Pattern;
    Colour1 = c1;
    Colour2 = c2;
    ++Tinted;
    return Ready;
}

void TVehicleLook::Release() {
    for (TPicture* p : {&Body, &Turret}) {
        if (p->Texture) SDL_DestroyTexture(p->Texture);
        *p = TPicture{};
    }
    Ready = false;
}

void TVehicleLook::DrawPreview(ImDrawList* d, const ImVec2& topLeft, int32_t nowMs) const {
    const ImVec2 end{topLeft.x + 89, topLeft.y + 73};
    d->AddRectFilled(topLeft, end, IM_COL32(0, 0, 0, 255));
    if (!Ready) return;
    d->PushClipRect(topLeft, end, true);
    const TTurretMount m = TurretMount(Sort);
    const ImVec2 centre{topLeft.x + 89 / 2, topLeft.y + 73 / 2};
    const int a = int((uint32_t(nowMs) / 30) & 255);
    const double g = a * TurnUnit;
    DrawTurned(d, Body.Texture, Body.W, Body.H, m.L * Body.W, Body.H / 2.0, centre, g);
    const ImVec2 pivot{centre.x + RoundPx(std::cos(g) * m.O + std::sin(g) * m.T),
                       centre.y + RoundPx(std::sin(g) * m.O - std::cos(g) * m.T)};
    const int swing = int(std::lround(32 * std::sin(nowMs * 0.001)));
    DrawTurned(d, Turret.Texture, Turret.W, Turret.H, m.M * Turret.W, Turret.H / 2.0, pivot,
               (a + swing) * TurnUnit);
    d->PopClipRect();
}

void TVehicleLook::DrawButtonPicture(ImDrawList* d, const ImVec2& topLeft) const {
    const float size = ButtonPictureSize;
    d->AddRectFilled(topLeft, {topLeft.x + size, topLeft.y + size}, IM_COL32(0, 0, 0, 255));
    if (!Ready) return;
    const TTurretMount m = TurretMount(Sort);
    constexpr double k = 0.75;
    const double cx = 24, cy = 24 + (Sort == sortTank ? 4 : 0);
    // Turned a quarter: the sprite's right edge (its nose) to the top, so
    // its length runs up the picture and its width across.
    auto upright = [&](SDL_Texture* tex, double left, double top, double right, double bottom) {
        const ImVec2 tl{topLeft.x + RoundPx(left), topLeft.y + RoundPx(top)};
        const ImVec2 br{topLeft.x + RoundPx(right), topLeft.y + RoundPx(bottom)};
        // Sprite corners: (0,0) bottom left, (1,0) top left, (1,1) top right.
        d->AddImageQuad(tex, {tl.x, br.y}, tl, {br.x, tl.y}, br, {0, 0}, {1, 0}, {1, 1}, {0, 1});
    };
    const double bw = k * Body.H, bh = k * Body.W;
    upright(Body.Texture, cx - bw / 2, cy - bh / 2, cx + bw / 2, cy + bh / 2);
    const double px = cx + k * -m.T, py = cy + k * ((0.5 - m.L) * Body.W - m.O);
    const double tw = k * Turret.H;
    upright(Turret.Texture, px - tw / 2, py - k * (1 - m.M) * Turret.W, px + tw / 2,
            py + k * m.M * Turret.W);
}
