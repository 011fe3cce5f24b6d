#include "render/frame.h"

#include <algorithm>
#include <numbers>

#include "core/asset_names.h"
#include "core/terrain.h"

namespace {

// Drawing angles are 1/256 turns, clockwise on the screen.
int DrawAngle(double heading) {
    return static_cast<int>(std::nearbyint(-heading * 128 / std::numbers::pi));
}

void DrawGround(ICanvas& c, const Game& g, const TImageList& ground, double left, double top,
                bool walls) {
    if (g.MapWidth <= 0 || g.MapHeight <= 0) return;
    const int firstCol = std::max(0, static_cast<int>(std::floor(left / CellSize)));
    const int lastCol = std::min(g.MapWidth - 1, static_cast<int>((left + c.Width()) / CellSize));
    // Row 0 is the top of the map (highest y).
    const int firstRow =
        std::max(0, static_cast<int>(std::floor((g.MapHeightPx - top) / CellSize)));
    const int lastRow =
        std::min(g.MapHeight - 1, static_cast<int>((g.MapHeightPx - top + c.Height()) / CellSize));
    for (int col = firstCol; col <= lastCol; ++col)
        for (int row = firstRow; row <= lastRow; ++row) {
            const int32_t code = g.MapCells(col, row);
            if ((KindOfCode(g, code) == tkWall) != walls) continue;
            const int image = CellImageIndex(g, code);
            if (image < 0) continue;
            const int x = static_cast<int>(std::lround(col * CellSize - left));
            const int y = static_cast<int>(std::lround(top - (g.MapHeight - row) * CellSize));
            c.Draw(ground, image, x, y);
        }
}

void DrawVehicle(ICanvas& c, const Game& g, const TImageList& sprites, const TTank& t, double left,
                 double top) {
    int x, y;
    WorldToScreen(left, top, t.Position, x, y);
    if (!t.Alive) {
        c.DrawRotated(sprites, t.Sort + 4, x, y, t.BodyPivot, 0.5, DrawAngle(t.Heading));
        return;
    }
    // The tinted pictures when the vehicle has them, the master pictures otherwise.
    const bool tinted = sprites.Entry(t.BodySprite) && sprites.Width(t.BodySprite) > 0;
    const int body = tinted ? t.BodySprite : t.Sort;
    const int turret = tinted ? t.TurretSprite : t.Sort + 1;
    if (g.ShowShadows) {
        c.DrawRotated(sprites, t.Sort + 2, x + 4, y + 4, t.BodyPivot, 0.5, DrawAngle(t.Heading),
                      TBlend::Alpha, 96);
    }
    c.DrawRotated(sprites, body, x, y, t.BodyPivot, 0.5, DrawAngle(t.Heading));
    int tx, ty;
    WorldToScreen(left, top, t.TurretMountWorld, tx, ty);
    c.DrawRotated(sprites, turret, tx, ty, t.TurretPivot, 0.5,
                  DrawAngle(t.Heading + t.TurretAngle));
    TFont name{7, false, 0xFFFFFF};
    const int w = c.TextWidth(t.Name, name);
    c.TextOut(x - w / 2, y - 30, t.Name, name);
}

// Capture The Cow: every cow with its shadow, and a light flashing over
// each base whose cow has been taken.
void DrawCows(ICanvas& c, const Game& g, const TImageList& sprites, double left, double top) {
    if (!g.CaptureTheCow) return;
    for (int t = 0; t < g.TeamCount; ++t) {
        const TTeam& team = g.Teams[t];
        int x, y;
        WorldToScreen(left, top, team.CowPosition, x, y);
        const int angle = DrawAngle(team.CowHeading);
        if (g.ShowShadows)
            c.DrawRotated(sprites, spCowShadow, x + 3, y + 3, 0.5, 0.5, angle, TBlend::Alpha, 96);
        c.DrawRotated(sprites, spCow, x, y, 0.5, 0.5, angle);
        const int b = team.Base;
        if (team.CowAtHome || b < 0 || b >= g.BaseCount) continue;
        // On for half of each alarm period.
        if ((g.GameTime - team.CowLeftTime) % 900 > 450) continue;
        WorldToScreen(left, top, CellCentre(g, g.Bases[b].X, g.Bases[b].Y), x, y);
        c.DrawRotated(sprites, spAlarmLight, x, y, 0.5, 0.5, 0, TBlend::Additive, 255);
    }
}

} // namespace

void DrawView(ICanvas& c, const Game& g, const TFramePictures& pics, int follow) {
    TVector centre{g.MapWidthPx / 2.0, g.MapHeightPx / 2.0};
    if (follow >= 0 && follow < g.TankCount) centre = g.Tanks[follow].Position;
    // Keep the view on the map where the map is larger than the screen.
    double left = centre.x - c.Width() / 2.0;
    double top = centre.y + c.Height() / 2.0;
    if (g.MapWidthPx > c.Width()) left = std::clamp(left, 0.0, double(g.MapWidthPx - c.Width()));
    if (g.MapHeightPx > c.Height())
        top = std::clamp(top, double(c.Height()), double(g.MapHeightPx));
    left = std::floor(left);
    top = std::floor(top);

    c.Fill(0);
    DrawGround(c, g, pics.Ground, left, top, false);
    for (int i = 0; i < g.TankCount; ++i)
        if (!g.Tanks[i].Alive) DrawVehicle(c, g, pics.Sprites, g.Tanks[i], left, top);
    for (int i = 0; i < g.TankCount; ++i)
        if (g.Tanks[i].Alive) DrawVehicle(c, g, pics.Sprites, g.Tanks[i], left, top);
    DrawCows(c, g, pics.Sprites, left, top);
    DrawGround(c, g, pics.Ground, left, top, true);
}
