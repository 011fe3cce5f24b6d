#include "render/frame.h"

#include <algorithm>
#include <vector>

#include "core/asset_names.h"
#include "core/colours.h"
#include "core/terrain.h"
#include "render/hud.h"

namespace {

constexpr int32_t Yellow = 0x00FFFF, Green = 0x00FF00, Red = 0x0000FF, Cyan = 0xFFFF00,
                  White = 0xFFFFFF, Black = 0;
// A sprite whose pivot lies this far outside the view cannot reach into it.
constexpr int CullMargin = 80;

bool NearView(const TView& v, int x, int y, int margin = CullMargin) {
    return x >= v.Port.Left - margin && x < v.Port.Right + margin && y >= v.Port.Top - margin &&
           y < v.Port.Bottom + margin;
}

// A picture turned by a world angle about (cx, cy), with its pivot on the
// world point p.
void Sprite(ICanvas& c, const TView& v, const TImageList& list, int index, TVector p, double cx,
            double cy, double angle, int dx = 0, int dy = 0, TBlend blend = TBlend::Plain,
            int alpha = 255) {
    const int x = ScreenX(v, p.x) + dx, y = ScreenY(v, p.y) + dy;
    if (!NearView(v, x, y)) return;
    c.DrawRotated(list, index, x, y, cx, cy, SpriteAngle(angle), blend, alpha);
}

void DrawCells(ICanvas& c, const Game& g, const TImageList& ground, const TView& v, bool walls) {
    if (g.MapWidth <= 0 || g.MapHeight <= 0) return;
    const TCamera& cam = v.Camera;
    const int c0 = cam.Left / CellSize;
    const int r0 = (g.MapHeightPx - cam.Top) / CellSize;
    const int columns = std::min(g.MapWidth - 1 - c0, cam.Width() / CellSize + 1);
    const int rows = std::min(g.MapHeight - 1 - r0, cam.Height() / CellSize + 1);
    const int x0 = v.Port.Left - cam.Left % CellSize;
    const int y0 = -((g.MapHeightPx - cam.Top) % CellSize);
    for (int j = 0; j <= rows; ++j) {
        const int row = r0 + j;
        // A map smaller than the view leaves cells before its edge undrawn.
        if (row < 0 || row >= g.MapHeight) continue;
        for (int i = 0; i <= columns; ++i) {
            const int col = c0 + i;
            if (col < 0 || col >= g.MapWidth) continue;
            const int32_t code = g.MapCells(col, row);
            if ((KindOfCode(g, code) == tkWall) != walls) continue;
            const int image = CellImageIndex(g, code);
            if (image >= 0) c.Draw(ground, image, x0 + CellSize * i, y0 + CellSize * j);
        }
    }
}

// True when the cells drawn opaque cover the whole view: the ground and
// walls are then all there is to see at the bottom, and the view need not
// be cleared to black first (for a full screen that is megabytes a frame).
bool CellsCoverView(const Game& g, const TImageList& ground, const TView& v) {
    const TCamera& cam = v.Camera;
    if (g.MapWidth <= 0 || g.MapHeight <= 0 || cam.Left < 0 || cam.Bottom < 0 ||
        cam.Right > g.MapWidthPx || cam.Top > g.MapHeightPx ||
        g.MapWidthPx != g.MapWidth * CellSize || g.MapHeightPx != g.MapHeight * CellSize)
        return false;
    const int c0 = cam.Left / CellSize, c1 = (cam.Right - 1) / CellSize;
    const int r0 = (g.MapHeightPx - cam.Top) / CellSize;
    const int r1 = (g.MapHeightPx - cam.Bottom - 1) / CellSize;
    for (int row = r0; row <= r1; ++row)
        for (int col = c0; col <= c1; ++col) {
            const TImageEntry* e = ground.Entry(CellImageIndex(g, g.MapCells(col, row)));
            if (!e || e->Transparent >= 0 || e->Image.Width < CellSize ||
                e->Image.Height < CellSize)
                return false;
        }
    return true;
}

void DrawCredits(ICanvas& c, const Game& g, const TView& v) {
    if (!g.CreditsLevel) return;
    const int x0 = ScreenX(v, 0), y0 = ScreenY(v, g.MapHeightPx);
    const TFont shadow{24, true, Rgb(0, 92, 0)}, text{24, true, Rgb(0, 160, 0)};
    int row = 0;
    for (const std::string& line : g.CreditsLines) {
        int x = x0 + 704;
        if (line.compare(0, 3, "Wil") != 0 && line.compare(0, 3, "Dir") != 0) {
            ++row;
            x = x0 + 192;
        }
        const int y = y0 + 64 * row;
        if (y < -64 || y > v.Port.Bottom) continue;
        c.TextOut(x + 3, y + 3, line, shadow);
        c.TextOut(x, y, line, text);
    }
}

void DrawMines(ICanvas& c, const Game& g, const TImageList& sprites, const TView& v) {
    const int w = sprites.Width(spMine), h = sprites.Height(spMine);
    for (int i = 0; i < g.Mines.Count; ++i) {
        const TMine& m = g.Mines[i];
        const int sprite = m.InWater ? spWaterMine : g.SnowMap ? spSnowMine : spMine;
        const int x = ScreenX(v, m.Position.x), y = ScreenY(v, m.Position.y);
        if (NearView(v, x, y)) c.Draw(sprites, sprite, x - w / 2, y - h / 2);
    }
}

bool HasBase(const Game& g, const TTeam& t) {
    return t.Base >= 0 && t.Base < g.BaseCount && t.Base < MaxBases;
}

void DrawShadows(ICanvas& c, const Game& g, const TImageList& sprites, const TView& v) {
    if (!g.ShowShadows) return;
    for (int i = 0; i < g.TankCount; ++i) {
        const TTank& t = g.Tanks[i];
        Sprite(c, v, sprites, t.Sort + 2, t.Position, t.BodyPivot, 0.5, t.Heading, 4, 4,
               TBlend::Alpha, 64);
        if (t.Alive)
            Sprite(c, v, sprites, t.Sort + 3, t.TurretMountWorld, t.TurretPivot, 0.5,
                   t.Heading + t.TurretAngle, 6, 6, TBlend::Alpha, 64);
    }
    if (!g.CaptureTheCow) return;
    const int teams = std::clamp(g.TeamCount, 0, MaxTeams);
    for (int k = 0; k < teams; ++k) {
        const TTeam& team = g.Teams[k];
        Sprite(c, v, sprites, spCowShadow, team.CowPosition, 0.5, 0.5, team.CowHeading, 4, 4,
               TBlend::Alpha, 64);
        if (team.CowAtHome || !HasBase(g, team)) continue;
        const TCell base = g.Bases[team.Base];
        const TVector centre = CellCentre(g, base.X, base.Y);
        const int x = ScreenX(v, centre.x), y = ScreenY(v, centre.y);
        if (!NearView(v, x, y)) continue;
        for (int dx : {-29, 29})
            for (int dy : {-29, 29})
                c.DrawRotated(sprites, spAlarmLight, x + dx, y + dy, 0.5, 0.5, g.GameTime / 4,
                              TBlend::Additive, 192);
    }
}

void DrawParticles(ICanvas& c, const Game& g, const TView& v, std::vector<TPixel>& batch) {
    batch.clear();
    for (int i = 0; i < g.Particles.Count; ++i) {
        const TParticle& p = g.Particles[i];
        if (InCamera(v.Camera, p.Position))
            batch.push_back({ScreenX(v, p.Position.x), ScreenY(v, p.Position.y), p.Colour});
    }
    c.Pixels(batch.data(), int(batch.size()));
}

void DrawBfgRays(ICanvas& c, const Game& g, const TView& v, std::vector<TSegment>& batch) {
    batch.clear();
    for (int i = 0; i < g.BfgBalls.Count; ++i) {
        const TBfgBall& b = g.BfgBalls[i];
        const int last = std::min(b.ZapLast, MaxTanks - 1);
        for (int k = 0; k <= last; ++k) {
            const int t = b.ZapTargets[k];
            if (!IsTankIndex(g, t)) continue;
            const TVector to = g.Tanks[t].Position;
            batch.push_back({ScreenX(v, b.Position.x), ScreenY(v, b.Position.y), ScreenX(v, to.x),
                             ScreenY(v, to.y)});
        }
    }
    c.Lines(batch.data(), int(batch.size()), {Green, 1, TPenStyle::Solid});
}

// The tinted picture when the vehicle has one, else the sort's master.
int PictureOf(const TImageList& sprites, int slot, int master) {
    return slot >= SpriteCount && sprites.Width(slot) > 0 ? slot : master;
}

void DrawVehicles(ICanvas& c, const Game& g, const TImageList& sprites, const TView& v) {
    for (int i = 0; i < g.TankCount; ++i) {
        const TTank& t = g.Tanks[i];
        const int picture = t.Alive ? PictureOf(sprites, t.BodySprite, t.Sort) : t.Sort + 4;
        Sprite(c, v, sprites, picture, t.Position, t.BodyPivot, 0.5, t.Heading);
    }
}

void DrawCows(ICanvas& c, const Game& g, const TImageList& sprites, const TView& v) {
    if (!g.CaptureTheCow) return;
    const int teams = std::clamp(g.TeamCount, 0, MaxTeams);
    for (int k = 0; k < teams; ++k)
        Sprite(c, v, sprites, spCow, g.Teams[k].CowPosition, 0.5, 0.5, g.Teams[k].CowHeading);
}

void DrawRockets(ICanvas& c, const Game& g, const TImageList& sprites, const TView& v) {
    const int w = sprites.Width(spMissile), h = sprites.Height(spMissile);
    for (int i = 0; i < g.Rockets.Count; ++i) {
        const TRocket& r = g.Rockets[i];
        const int x = ScreenX(v, r.Position.x), y = ScreenY(v, r.Position.y);
        if (!NearView(v, x, y)) continue;
        const int angle = SpriteAngle(r.Angle);
        if (r.Kind == 2)
            c.DrawRotated(sprites, spGuidedMissile, x, y, w, h, 0.75, 0.5, angle);
        else
            c.DrawRotated(sprites, r.Kind == 1 ? spMissile : spRocket, x, y, 0.75, 0.5, angle);
    }
}

void DrawBfgBalls(ICanvas& c, const Game& g, const TView& v, std::minstd_rand& flicker) {
    for (int i = 0; i < g.BfgBalls.Count; ++i) {
        const TVector p = g.BfgBalls[i].Position;
        const int x = ScreenX(v, p.x), y = ScreenY(v, p.y);
        if (!NearView(v, x, y, 8)) continue;
        const int32_t colour = Rgb(int(flicker() % 256), 255, int(flicker() % 256));
        c.Ellipse({x - 4, y - 4, x + 4, y + 4}, {colour, 1, TPenStyle::Solid},
                  {colour, TBrushStyle::Solid});
    }
}

void DrawTurrets(ICanvas& c, const Game& g, const TImageList& sprites, const TView& v) {
    for (int i = 0; i < g.TankCount; ++i) {
        const TTank& t = g.Tanks[i];
        if (!t.Alive) continue;
        Sprite(c, v, sprites, PictureOf(sprites, t.TurretSprite, t.Sort + 1), t.TurretMountWorld,
               t.TurretPivot, 0.5, t.Heading + t.TurretAngle);
    }
}

void DrawExplosions(ICanvas& c, const Game& g, const TImageList& pictures, const TView& v) {
    const int w0 = pictures.Width(0), h0 = pictures.Height(0);
    for (int i = 0; i < g.Explosions.Count; ++i) {
        const TExplosion& e = g.Explosions[i];
        const int32_t age = g.GameTime - e.StartTime;
        if (age > ExplosionLifeMs) continue; // goes with the next frame's clean-up
        const int f = std::clamp(RoundHalfEven(age * 0.002 * 13), 0, 12);
        const int x = ScreenX(v, e.Position.x), y = ScreenY(v, e.Position.y);
        if (!NearView(v, x, y, 2 * std::max(w0, h0))) continue;
        int picture = -1;
        switch (e.Kind) {
        case -1:
            c.DrawStretched(pictures, f, {x - w0, y - h0, x + w0, y + h0});
            continue;
        case 1:
            picture = 13 + f;
            break;
        case 2:
            picture = f;
            break;
        case 14:
            picture = 26 + f;
            break;
        default:
            continue;
        }
        c.Draw(pictures, picture, x - pictures.Width(picture) / 2,
               y - pictures.Height(picture) / 2);
    }
}

void DrawLockMarks(ICanvas& c, const Game& g, const TView& v) {
    const TPen pen{Green, 1, TPenStyle::Dotted};
    const TBrush clear{0, TBrushStyle::Clear};
    for (int i = 0; i < g.Rockets.Count; ++i) {
        const TRocket& r = g.Rockets[i];
        if (r.Kind != 1 || !IsTankIndex(g, r.Target)) continue;
        const TVector p = g.Tanks[r.Target].Position;
        const int x = ScreenX(v, p.x), y = ScreenY(v, p.y);
        if (!NearView(v, x, y, 24)) continue;
        c.Ellipse({x - 20, y - 20, x + 20, y + 20}, pen, clear);
        const TVector d = Vectors2D::Sub(r.Position, p);
        const double len = Vectors2D::Length(d);
        if (len <= 0) continue;
        c.Line(x, y, x + RoundHalfEven(d.x / len * 20), y - RoundHalfEven(d.y / len * 20), pen);
    }
}

void DrawBullets(ICanvas& c, const Game& g, const TView& v, std::vector<TSegment>& batch) {
    batch.clear();
    const TCamera& cam = v.Camera;
    for (int i = 0; i < g.Bullets.Count; ++i) {
        const TVector a = g.Bullets.Position[i], t = g.Bullets.TrailPosition[i];
        if (std::max(a.x, t.x) < cam.Left - 1 || std::min(a.x, t.x) > cam.Right + 1 ||
            std::max(a.y, t.y) < cam.Bottom - 1 || std::min(a.y, t.y) > cam.Top + 1)
            continue;
        batch.push_back({ScreenX(v, a.x), ScreenY(v, a.y), ScreenX(v, t.x), ScreenY(v, t.y)});
    }
    c.Lines(batch.data(), int(batch.size()), {Yellow, 1, TPenStyle::Solid});
}

void DrawBomblets(ICanvas& c, const Game& g, const TView& v, std::vector<TPixel>& batch) {
    batch.clear();
    for (int i = 0; i < g.Bomblets.Count; ++i) {
        const TVector p = g.Bomblets[i].Position;
        if (!InCamera(v.Camera, p)) continue;
        const int x = ScreenX(v, p.x), y = ScreenY(v, p.y);
        batch.push_back({x, y, Cyan});
        batch.push_back({x + 1, y + 1, Black});
    }
    c.Pixels(batch.data(), int(batch.size()));
}

void DrawIndicators(ICanvas& c, const Game& g, const TView& v) {
    if (g.TankIndicators) {
        const TTank* viewer = IsTankIndex(g, v.Vehicle) ? &g.Tanks[v.Vehicle] : nullptr;
        for (int i = 0; i < g.TankCount; ++i) {
            const TTank& t = g.Tanks[i];
            if (!t.Alive || (!v.First && i == v.Vehicle)) continue;
            int x, y;
            if (!EdgeMarker(v, t.Position, x, y)) continue;
            int32_t outline;
            if (g.TeamGame)
                outline = viewer && viewer->TeamIndex == t.TeamIndex ? Green : Red;
            else
                outline = PackColour(t.PaintJob == -1 ? t.BodyColour : t.SecondColour);
            c.Ellipse({x - 6, y - 6, x + 6, y + 6}, {outline, 2, TPenStyle::Solid},
                      {PackColour(t.BodyColour), TBrushStyle::Solid});
        }
    }
    if (!g.CaptureTheCow || g.TickNow % 750 >= 375) return;
    const int teams = std::clamp(g.TeamCount, 0, MaxTeams);
    for (int k = 0; k < teams; ++k) {
        const TTeam& team = g.Teams[k];
        if (team.CowAtHome) continue;
        const TVector at =
            IsTankIndex(g, team.CowCarrier) ? g.Tanks[team.CowCarrier].Position : team.CowPosition;
        int x, y;
        if (EdgeMarker(v, at, x, y))
            c.Ellipse({x - 6, y - 6, x + 6, y + 6}, {Black, 1, TPenStyle::Solid},
                      {White, TBrushStyle::Solid});
    }
}

void DrawCountdowns(ICanvas& c, const Game& g, const TView& v) {
    if (!g.LevelRunning) return;
    const TFont shadow{10, true, Black}, text{10, true, Yellow};
    for (int i = 0; i < g.TankCount; ++i) {
        const TTank& t = g.Tanks[i];
        if (!t.Alive || !t.SelfDestructArmed) continue;
        const int x = ScreenX(v, t.Position.x), y = ScreenY(v, t.Position.y);
        if (!NearView(v, x, y)) continue;
        const std::string n = std::to_string((t.SelfDestructTime - g.GameTime) * 3 / 1200 + 1);
        const int w = c.TextWidth(n, text), h = c.TextHeight(n, text);
        c.TextOut(x - w / 2 + 2, y - h / 2 + 2, n, shadow);
        c.TextOut(x - w / 2, y - h / 2, n, text);
    }
}

void DrawNames(ICanvas& c, const Game& g, const TView& v, const TFrameInfo& info) {
    if (!info.ShowNames) return;
    const TFont shadow{3, false, Black}, text{3, false, White};
    for (int i = 0; i < g.TankCount; ++i) {
        const TTank& t = g.Tanks[i];
        const int x = ScreenX(v, t.Position.x), y = ScreenY(v, t.Position.y);
        if (!NearView(v, x, y) || t.Name.empty()) continue;
        const int w = c.TextWidth(t.Name, text);
        c.TextOut(x - w / 2 + 1, y + 21, t.Name, shadow);
        c.TextOut(x - w / 2, y + 20, t.Name, text);
    }
}

} // namespace

void DrawWorld(ICanvas& c, const Game& g, const TFramePictures& pics, const TView& v,
               const TFrameInfo& info, std::minstd_rand& flicker) {
    // Batches live on between frames: no allocations once warmed up.
    static thread_local std::vector<TPixel> pixels;
    static thread_local std::vector<TSegment> segments;
    if (!CellsCoverView(g, pics.Ground, v)) c.FillRect(v.Port, Black);
    DrawCells(c, g, pics.Ground, v, false);
    DrawCredits(c, g, v);
    DrawMines(c, g, pics.Sprites, v);
    DrawShadows(c, g, pics.Sprites, v);
    DrawParticles(c, g, v, pixels);
    DrawBfgRays(c, g, v, segments);
    DrawVehicles(c, g, pics.Sprites, v);
    DrawCows(c, g, pics.Sprites, v);
    DrawRockets(c, g, pics.Sprites, v);
    DrawBfgBalls(c, g, v, flicker);
    DrawTurrets(c, g, pics.Sprites, v);
    DrawExplosions(c, g, pics.Explosions, v);
    DrawCells(c, g, pics.Ground, v, true);
    DrawLockMarks(c, g, v);
    DrawBullets(c, g, v, segments);
    DrawBomblets(c, g, v, pixels);
    DrawIndicators(c, g, v);
    DrawCountdowns(c, g, v);
    DrawNames(c, g, v, info);
}

void ExpireExplosions(Game& g) {
    for (int i = g.Explosions.Count - 1; i >= 0; --i)
        if (g.Explosions[i].StartTime + ExplosionLifeMs < g.GameTime) g.Explosions.Remove(i);
}

int FrameViews(const Game& g, int screenWidth, int screenHeight, TView views[2]) {
    const bool split = g.SplitScreen;
    const int count = split ? 2 : 1;
    const TRect port = ViewportRect(screenWidth, screenHeight, split);
    for (int k = 0; k < count; ++k) {
        TView& v = views[k];
        v.First = k == 0;
        // Without a split screen the one view is player 1's.
        v.Vehicle = !split ? g.Player1 : k == 0 ? g.LeftViewPlayer : g.RightViewPlayer;
        v.Slot = v.Vehicle == g.Player1 ? 0 : 1;
        v.Port = port;
        v.Target = CameraTarget(g, v.Vehicle);
        v.Camera = PlaceCamera(g, v.Target, port);
    }
    return count;
}

void PrepareFrame(Game& g, int screenWidth, int screenHeight) {
    ExpireExplosions(g);
    TView views[2];
    const int n = FrameViews(g, screenWidth, screenHeight, views);
    for (int k = 0; k < n; ++k) {
        const TCamera& c = views[k].Camera;
        const int slot = views[k].Slot;
        g.ViewCentres[slot] = {double((c.Left + c.Right) / 2), double((c.Bottom + c.Top) / 2)};
        g.ViewWidths[slot] = c.Width();
        g.ViewHeights[slot] = c.Height();
    }
}

void TFrameRenderer::DrawFrame(ICanvas& screen, const Game& g, const TFramePictures& pics,
                               const TFrameInfo& info) {
    const int w = screen.Width(), h = screen.Height();
    TView views[2];
    const int n = FrameViews(g, w, h, views);
    DrawWorld(screen, g, pics, views[0], info, Flicker);
    DrawHud(screen, g, pics, views[0], info);
    if (n == 2) {
        const TRect port = views[1].Port;
        if (!Second || Second->Width() != port.Width() || Second->Height() != port.Height())
            Second = screen.CreateSurface(port.Width(), port.Height());
        if (Second) {
            DrawWorld(*Second, g, pics, views[1], info, Flicker);
            DrawHud(*Second, g, pics, views[1], info);
            // Developers look at the first view alone.
            if (!g.DeveloperMode) screen.CopyFrom(*Second, port, SecondViewX(w), 0);
        }
        screen.FillRect({port.Right, 0, port.Right + 2 * SplitGap + w % 2, port.Height()}, Black);
    }
    DrawOverlays(screen, g, info, views[0]);
}
