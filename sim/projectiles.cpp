#include "sim/projectiles.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <numbers>
#include <optional>
#include <utility>

#include "core/asset_names.h"
#include "core/terrain.h"
#include "sim/damage.h"
#include "sim/explosions.h"
#include "sim/sounds.h"
#include "sim/vehicle_shape.h"

using namespace Vectors2D;

namespace {

constexpr double Pi = std::numbers::pi;

constexpr double BombletRadius = 30, BombletDamage = 30;
constexpr double RocketRadius = 30, RocketDamage = 40;
constexpr double MissileRadius = 60, MissileDamage = 90;
constexpr double BfgRayReach = 150, BfgRayDamagePerSecond = 50;
constexpr double BfgRadius = 60, BfgDamage = 160;
constexpr double BulletDamage = 4;

// No step of the authority is longer than this (the tick caps it). A
// client may take longer ones after a stall; a missile's drag and turn
// damping, applied over such a step at once, would overshoot and grow
// without bound, so they never act over more than this.
constexpr double LongestDampingStep = 0.3;

bool SameTeam(const Game& g, int a, int b) {
    if (a == b) return true;
    const int32_t team = g.Tanks[a].TeamIndex;
    return team >= 0 && team == g.Tanks[b].TeamIndex;
}

// --- Bomblets ---------------------------------------------------------------

void FlyBomblet(const Game& g, TBomblet& b) {
    const double w = g.MapWidthPx, h = g.MapHeightPx;
    b.Position = Add(b.Origin, Scale(b.Velocity, g.GameTime - b.LaunchTime));
    // The map edges throw bomblets back: the rest of the path is mirrored.
    if (b.Position.x < 0) {
        b.Origin.x = -b.Origin.x;
        b.Velocity.x = std::fabs(b.Velocity.x);
    } else if (b.Position.x > w) {
        b.Origin.x = 2 * w - b.Origin.x;
        b.Velocity.x = -std::fabs(b.Velocity.x);
    }
    if (b.Position.y < 0) {
        b.Origin.y = -b.Origin.y;
        b.Velocity.y = std::fabs(b.Velocity.y);
    } else if (b.Position.y > h) {
        b.Origin.y = 2 * h - b.Origin.y;
        b.Velocity.y = -std::fabs(b.Velocity.y);
    }
}

// Bomblet k goes off; only the authority deals its damage.
void BlowBomblet(Game& g, int k, bool withDamage) {
    const TBomblet b = g.Bomblets[k];
    if (withDamage)
        for (int j = 0; j < g.TankCount; ++j)
            if (Distance(g.Tanks[j].Position, b.Position) < BombletRadius)
                ApplyDamage(g, j, b.Owner, BombletDamage);
    // Forty bangs at once would drown everything: one bomblet in six is heard.
    SpawnExplosion(g, b.Position, sndSmallExplosion, g.Rng.Int(6) == 0);
    g.Bomblets.Remove(k);
}

// Bomblets pass walls and vehicles and go off by their fuse alone. A client
// sets its own off too (the host tells no bomblet's end), for the picture.
void BombletStep(Game& g, bool authority) {
    for (int k = 0; k < g.Bomblets.Count;) {
        FlyBomblet(g, g.Bomblets[k]);
        if (g.Bomblets[k].FuseTime < g.GameTime)
            BlowBomblet(g, k, authority); // the last one, not yet flown, moved into k
        else
            ++k;
    }
}

// --- Which vehicles a path may enter ----------------------------------------

// Which living vehicles a projectile's path may enter: a coarse grid over
// the map (at most 64 x 64 cells of a power of two px each), each cell the
// set of vehicles whose box reaches into it. A vehicle's box is grown by
// its own motion this step, which the hit test adds to the path, so
// nothing that could be hit is left out; the exact test then decides, in
// index order as without the grid. Vehicles do not move while projectiles
// fly (a kill only makes one drop out, which the exact test sees): one
// grid serves the whole step.
class TVehicleGrid {
  public:
    explicit TVehicleGrid(const Game& g) {
        while ((64 << Shift) < std::max(g.MapWidthPx, g.MapHeightPx) && Shift < 24)
            ++Shift;
        Columns = std::min(64, (g.MapWidthPx >> Shift) + 1);
        Rows = std::min(64, (g.MapHeightPx >> Shift) + 1);
        for (int j = 0; j < g.TankCount; ++j) {
            const TTank& t = g.Tanks[j];
            if (!t.Alive) continue;
            TBox box = BoundingBox(t.WorldCorners.data(), 3);
            const double growX = std::fabs(t.Step.x) + 1, growY = std::fabs(t.Step.y) + 1;
            box = {box.MinX - growX, box.MinY - growY, box.MaxX + growX, box.MaxY + growY};
            Boxes[j] = box;
            const uint64_t bit = uint64_t{1} << j;
            const int c0 = Index(box.MinX, Columns), c1 = Index(box.MaxX, Columns);
            const int r0 = Index(box.MinY, Rows), r1 = Index(box.MaxY, Rows);
            for (int c = c0; c <= c1; ++c) {
                Occupied[c] |= RowBits(r0, r1);
                for (int r = r0; r <= r1; ++r)
                    Cells[c * 64 + r] |= bit;
            }
            const int f0 = FineIndex(box.MinX), f1 = FineIndex(box.MaxX);
            const int g0 = FineIndex(box.MinY), g1 = FineIndex(box.MaxY);
            for (int c = f0; c <= f1; ++c)
                for (int r = g0; r <= g1; ++r)
                    Fine[c][r >> 6] |= uint64_t{1} << (r & 63);
        }
    }

    // Whether no vehicle reaches into the fine cells of the whole pixels
    // (ax, ay) and (bx, by), both on the map, nor into the two other cells
    // of the square they span; the cells must be the same or touch. Then
    // NearOnMap finds no vehicle for a path between those pixels.
    bool Quiet(unsigned ax, unsigned ay) const {
        const unsigned c = ax >> FineShift(), r = ay >> FineShift();
        return ((Fine[c][r >> 6] >> (r & 63)) & 1) == 0;
    }
    bool Quiet(unsigned ax, unsigned ay, unsigned bx, unsigned by) const {
        const unsigned c0 = ax >> FineShift(), c1 = bx >> FineShift();
        const unsigned r0 = ay >> FineShift(), r1 = by >> FineShift();
        const uint64_t hits = (Fine[c0][r0 >> 6] >> (r0 & 63)) | (Fine[c0][r1 >> 6] >> (r1 & 63)) |
                              (Fine[c1][r0 >> 6] >> (r0 & 63)) | (Fine[c1][r1 >> 6] >> (r1 & 63));
        return (hits & 1) == 0;
    }

    // The vehicles that the box of the path a-b meets.
    uint64_t Near(TVector a, TVector b) const {
        const TBox path = {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x),
                           std::max(a.y, b.y)};
        const int c0 = Index(path.MinX, Columns), c1 = Index(path.MaxX, Columns);
        const int r0 = Index(path.MinY, Rows), r1 = Index(path.MaxY, Rows);
        return NearIn(path, c0, c1, r0, r1);
    }

    // The same for a path within the map whose ends lie in the whole pixels
    // (ax, ay) and (bx, by): the grid lines come from those at once.
    uint64_t NearOnMap(TVector a, TVector b, int ax, int ay, int bx, int by) const {
        const TBox path = {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x),
                           std::max(a.y, b.y)};
        const int c0 = std::min(Columns - 1, std::min(ax, bx) >> Shift);
        const int c1 = std::min(Columns - 1, std::max(ax, bx) >> Shift);
        const int r0 = std::min(Rows - 1, std::min(ay, by) >> Shift);
        const int r1 = std::min(Rows - 1, std::max(ay, by) >> Shift);
        return NearIn(path, c0, c1, r0, r1);
    }

  private:
    // Rows r0..r1 of a column as bits.
    static uint64_t RowBits(int r0, int r1) {
        return (~uint64_t{0} >> (63 - r1)) & (~uint64_t{0} << r0);
    }

    uint64_t NearIn(const TBox& path, int c0, int c1, int r0, int r1) const {
        // Most paths lie where no vehicle is: the small table of occupied
        // cells tells, before the large one is read.
        const uint64_t rows = RowBits(r0, r1);
        uint64_t seen = 0;
        for (int c = c0; c <= c1; ++c)
            for (uint64_t rest = Occupied[c] & rows; rest != 0; rest &= rest - 1)
                seen |= Cells[c * 64 + std::countr_zero(rest)];
        uint64_t near = 0;
        for (uint64_t rest = seen; rest != 0; rest &= rest - 1) {
            const int j = std::countr_zero(rest);
            const TBox& v = Boxes[j];
            if (path.MinX <= v.MaxX && v.MinX <= path.MaxX && path.MinY <= v.MaxY &&
                v.MinY <= path.MaxY)
                near |= uint64_t{1} << j;
        }
        return near;
    }

    // Cells of half the size (at most 128 x 128) tell the bullets, most of
    // which are near no vehicle, more sharply where vehicles are.
    int FineShift() const { return Shift - 1; }
    int FineIndex(double v) const {
        if (!(v > 0)) return 0;
        if (v >= 128.0 * (1 << FineShift())) return 127;
        return std::min(127, static_cast<int>(v) >> FineShift());
    }

    // The grid line of a coordinate, clamped into the grid (NaN to 0).
    int Index(double v, int count) const {
        if (!(v > 0)) return 0;
        if (v >= static_cast<double>(count) * (1 << Shift)) return count - 1;
        return std::min(count - 1, static_cast<int>(v) >> Shift);
    }

    int Shift = 7; // 128 px at least
    int Columns = 1, Rows = 1;
    std::array<uint64_t, 64 * 64> Cells{};
    std::array<uint64_t, 64> Occupied{}; // per column, a bit per row with vehicles
    std::array<TBox, MaxTanks> Boxes{};
    std::array<std::array<uint64_t, 2>, 128> Fine{}; // per column, a bit per row
};

// Vehicles 0 .. n-1 as bits.
uint64_t LowBits(int n) {
    return n >= 64 ? ~uint64_t{0} : (uint64_t{1} << std::max(n, 0)) - 1;
}

// The vehicles whose edges the path prev -> p may enter: every one without
// the grid.
uint64_t Candidates(const Game& g, const TVehicleGrid* grid, TVector prev, TVector p) {
    return grid ? grid->Near(prev, p) : LowBits(g.TankCount);
}

// --- Rockets and missiles ---------------------------------------------------

// How far the direction to p lies off the missile's heading, in (-pi, pi].
double OffCourse(const TRocket& r, TVector p) {
    return NormalizeAngle(AngleOf(Sub(p, r.Position)) - r.Angle);
}

// Whether the way d lies more than some 45.6 degrees off the heading
// `ahead`: a margin far beyond rounding, so only vehicles near the
// quarter-turn cone pay for the exact angle.
bool ClearlyOffCourse(TVector ahead, TVector d) {
    const double along = Dot(ahead, d), square = LengthSquared(d);
    return square > 0 && (along <= 0 || along * along <= 0.49 * square);
}

// The nearest vehicle in sight ahead. A guided missile never goes for its
// owner or, in team games, the owner's mates; in team games an enemy always
// comes before a mate.
int ChooseTarget(const Game& g, const TRocket& r) {
    const bool guided = r.Kind == 2;
    const bool owned = IsTankIndex(g, r.Owner);
    const TVector ahead = FromAngle(r.Angle);
    int best = -1;
    bool bestIsMate = false;
    double bestDistance = 0;
    for (int j = 0; j < g.TankCount; ++j) {
        const TTank& t = g.Tanks[j];
        if (!t.Alive) continue;
        const bool mate = g.TeamGame && owned && SameTeam(g, r.Owner, j);
        if (guided && (j == r.Owner || mate)) continue;
        if (ClearlyOffCourse(ahead, Sub(t.Position, r.Position))) continue;
        if (!(std::fabs(OffCourse(r, t.Position)) <= Pi / 4)) continue;
        const double d = DistanceSquared(r.Position, t.Position);
        const bool better =
            best < 0 || (bestIsMate && !mate) || (mate == bestIsMate && d < bestDistance);
        if (!better) continue;
        if (SegmentHitsWall(g, r.Position, t.Position).Hit) continue;
        best = j;
        bestIsMate = mate;
        bestDistance = d;
    }
    return best;
}

// Homing missiles and the guided missiles of bots pick and chase a target.
void AimMissile(const Game& g, TRocket& r) {
    const bool homing = r.Kind == 1;
    if (r.Target >= 0) {
        if (!IsTankIndex(g, r.Target) || !g.Tanks[r.Target].Alive)
            r.Target = -1;
        else if (homing && !(std::fabs(OffCourse(r, g.Tanks[r.Target].Position)) <= Pi / 4))
            r.Target = -1;
    }
    if (r.Target < 0) r.Target = ChooseTarget(g, r);
    if (r.Target < 0) {
        r.TargetRate = 0;
        return;
    }
    const double off = OffCourse(r, g.Tanks[r.Target].Position);
    if (homing)
        r.TargetRate = Sign(off) * 10.0;
    else
        r.TargetRate = std::fabs(off) > 0.2 ? Sign(off) * 14.0 : 0.0;
}

// Guided missiles follow their owner's steering (bots aim theirs like
// homing missiles); the authority alone picks targets.
void SteerRocket(Game& g, int k, bool authority) {
    TRocket& r = g.Rockets[k];
    if (r.Kind == 2) {
        const bool steered = IsTankIndex(g, r.Owner) && g.Tanks[r.Owner].GuidedMissile == k;
        if (!steered) {
            r.TargetRate = 0;
        } else {
            const bool botDriven =
                g.Tanks[r.Owner].IsBot || (r.Owner == g.Player1 && g.Player1Autopilot);
            if (!botDriven)
                r.TargetRate = g.Tanks[r.Owner].Steer * 14.0;
            else if (authority)
                AimMissile(g, r);
        }
    } else if (r.Kind == 1 && authority) {
        AimMissile(g, r);
    }
}

void FlyMissile(const Game& g, TRocket& r) {
    const double dt = g.DeltaSec;
    const double damping = std::min(dt, LongestDampingStep);
    const TVector ahead = FromAngle(r.Angle);
    r.Velocity = Add(r.Velocity, Scale(ahead, 1000 * dt));
    r.Velocity = Add(r.Velocity, Scale(r.Velocity, -3 * damping));
    if (r.Kind == 2) {
        // A guided missile grips the air: its sideways drift dies away.
        const TVector u = Normalize(r.Velocity);
        const TVector across = Sub(u, Scale(ahead, Dot(u, ahead)));
        r.Velocity =
            Add(r.Velocity, Scale(across, -1000 * damping * std::min(1.0, Length(r.Velocity))));
    }
    r.Position = Add(r.Position, Scale(r.Velocity, dt));
    r.Rate += (r.TargetRate - 5 * r.Rate) * damping;
    r.Angle = NormalizeAngle(r.Angle + r.Rate * dt);
}

void FlyRocket(Game& g, TRocket& r) {
    r.PrevPrevPosition = r.PrevPosition;
    r.PrevPosition = r.Position;
    if (r.Kind == 0)
        r.Position = TrajectoryAt(r.Path, g.GameTime);
    else
        FlyMissile(g, r);
}

// A wall (or the map border) between the last two positions, or a vehicle
// entered over the last two steps. Rockets never hit their owner; missiles
// may come round and hit theirs.
bool RocketHitsSomething(Game& g, int k, const TVehicleGrid* grid) {
    TRocket& r = g.Rockets[k];
    const TWallHit wall = SegmentHitsWall(g, r.PrevPosition, r.Position);
    if (wall.Hit) {
        r.Position = wall.End;
        return true;
    }
    for (uint64_t near = Candidates(g, grid, r.PrevPrevPosition, r.Position); near != 0;
         near &= near - 1) {
        const int j = std::countr_zero(near);
        const TTank& t = g.Tanks[j];
        if (!t.Alive || (r.Kind == 0 && j == r.Owner)) continue;
        if (SegmentEntersVehicle(t, r.Position, r.PrevPrevPosition)) return true;
    }
    return false;
}

bool IsFinite(TVector p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

// Each rocket and missile steers, flies and hits before the next one moves,
// so a missile never chases a vehicle that an earlier one has just killed.
void RocketStep(Game& g, bool authority, const TVehicleGrid* grid) {
    for (int k = 0; k < g.Rockets.Count;) {
        SteerRocket(g, k, authority);
        TRocket& r = g.Rockets[k];
        FlyRocket(g, r);
        if (!IsFinite(r.Position)) {
            // No number any more: it can hit nothing, and a bang at the
            // map's corner would be made up. It is lost without one.
            if (r.Kind == 0 && TellsClients(g)) g.Net.SendRocketExploded(r.Id);
            RemoveRocket(g, k);
        } else if (authority && RocketHitsSomething(g, k, grid)) {
            ExplodeRocket(g, k); // the last one, not yet flown, moved into k
        } else {
            ++k;
        }
    }
}

// --- BFG balls ---------------------------------------------------------------

// Rays reach every living vehicle nearby in plain sight but the owner; on
// the authority they burn.
void ZapAround(Game& g, TBfgBall& b, bool authority) {
    b.ZapLast = -1;
    for (int j = 0; j < g.TankCount && b.ZapLast + 1 < MaxTanks; ++j) {
        const TTank& t = g.Tanks[j];
        if (j == b.Owner || !t.Alive) continue;
        if (!(Distance(t.Position, b.Position) < BfgRayReach)) continue;
        if (SegmentHitsWall(g, b.Position, t.Position).Hit) continue;
        b.ZapTargets[++b.ZapLast] = j;
        if (authority) ApplyDamage(g, j, b.Owner, g.DeltaSec * BfgRayDamagePerSecond);
    }
}

// The ball goes off outside the map, on a wall cell or in a vehicle (its
// owner's too).
bool BfgBallHitsSomething(const Game& g, const TBfgBall& b, const TVehicleGrid* grid) {
    if (!InsideMap(g, b.Position)) return true;
    const TCell c = CellAt(g, b.Position);
    if (KindAt(g, c.X, c.Y) == tkWall) return true;
    for (uint64_t near = Candidates(g, grid, b.PrevPosition, b.Position); near != 0;
         near &= near - 1) {
        const TTank& t = g.Tanks[std::countr_zero(near)];
        if (t.Alive && SegmentEntersVehicle(t, b.Position, b.PrevPosition)) return true;
    }
    return false;
}

void BfgStep(Game& g, bool authority, const TVehicleGrid* grid) {
    for (int k = 0; k < g.BfgBalls.Count;) {
        TBfgBall& b = g.BfgBalls[k];
        b.PrevPosition = b.Position;
        b.Position = TrajectoryAt(b.Path, g.GameTime);
        ZapAround(g, b, authority);
        if (authority && BfgBallHitsSomething(g, b, grid))
            ExplodeBfgBall(g, k); // the last one, not yet flown, moved into k
        else
            ++k;
    }
}

// --- Bullets ----------------------------------------------------------------

// The first living vehicle (index order, the shooter too: a bullet may
// come back into a vehicle that turns) that the path from -> to enters,
// out of the candidates given.
int FirstEntered(const Game& g, TVector from, TVector to, uint64_t near) {
    for (; near != 0; near &= near - 1) {
        const int j = std::countr_zero(near);
        if (g.Tanks[j].Alive && SegmentEntersVehicle(g.Tanks[j], to, from)) return j;
    }
    return -1;
}

// Bullet k has just flown from -> to. Its path ends at the first wall or
// the map border; else it enters the first vehicle on it, which takes the
// hit. Within the map the whole pixels of both ends serve the wall test and
// the grid alike.
void HitBullet(Game& g, int k, TVector from, TVector to, const TVehicleGrid* grid) {
    TBulletPool& pool = g.Bullets;
    const double w = g.MapWidthPx, h = g.MapHeightPx;
    const bool onMap = from.x >= 0 && from.y >= 0 && to.x >= 0 && to.y >= 0 && from.x < w &&
                       to.x < w && from.y < h && to.y < h;
    int ax = 0, ay = 0, bx = 0, by = 0;
    bool wallFree = false;
    if (onMap) {
        ax = static_cast<int>(from.x), ay = static_cast<int>(from.y);
        bx = static_cast<int>(to.x), by = static_cast<int>(to.y);
        const int c0 = ax / CellSize, c1 = bx / CellSize;
        const int r0 = g.MapHeight - 1 - ay / CellSize, r1 = g.MapHeight - 1 - by / CellSize;
        // Most steps stay inside one map cell: no wall edge to cross. Most
        // of the others go into a touching cell with no wall anywhere near.
        wallFree = (c0 == c1 && r0 == r1) || (std::abs(c0 - c1) <= 1 && std::abs(r0 - r1) <= 1 &&
                                              g.WallFreeAround(c0, r0) && g.WallFreeAround(c1, r1));
    }
    if (!wallFree) {
        const TWallHit wall = SegmentHitsWall(g, from, to);
        if (wall.Hit) {
            pool.Spent[k] = 1;
            pool.Position[k] = wall.End;
            return;
        }
    }
    if (pool.Spent[k]) return;
    const uint64_t near = !grid   ? LowBits(g.TankCount)
                          : onMap ? grid->NearOnMap(from, to, ax, ay, bx, by)
                                  : grid->Near(from, to);
    if (near == 0) return;
    const int victim = FirstEntered(g, from, to, near);
    if (victim < 0) return;
    ApplyDamage(g, victim, pool.Shooter[k], BulletDamage);
    pool.Spent[k] = 1;
    PlaySoundAt(g, sndBulletImpact, to);
}

// Whether the path from the whole pixels (ax, ay) to (bx, by), both on the
// map, surely meets neither a wall nor a vehicle: both ends in one map cell,
// or in touching cells with no wall around either, and no vehicle in the
// fine grid cells of the ends (which touch too, being no smaller than map
// cells). Then HitBullet would do nothing.
bool SurelyClear(const Game& g, const uint8_t* wallFree, const TVehicleGrid& grid, unsigned ax,
                 unsigned ay, unsigned bx, unsigned by) {
    const unsigned c0 = ax / CellSize, c1 = bx / CellSize;
    const unsigned y0 = ay / CellSize, y1 = by / CellSize;
    // The common case: one map cell, so one fine cell too.
    if (c0 == c1 && y0 == y1) return grid.Quiet(ax, ay);
    if (!wallFree || c0 + 1 > c1 + 2 || c1 + 1 > c0 + 2 || y0 + 1 > y1 + 2 || y1 + 1 > y0 + 2)
        return false;
    // The table runs in map rows, from the top.
    const unsigned top = g.MapHeight - 1;
    return (wallFree[c0 * g.MapHeight + top - y0] & wallFree[c1 * g.MapHeight + top - y1]) &&
           grid.Quiet(ax, ay, bx, by);
}

// Every bullet flies; on the authority each then hits before the next one
// flies. The flight is one tight pass over the pool that also sets aside the
// few bullets near a wall, a vehicle or the map's edge; only those then test
// what they hit, in pool order. Nothing a bullet hits changes what another
// one flies through but a vehicle's death, which the exact test sees: the
// hits, their order and the damage are those of one bullet after the other.
void BulletStep(Game& g, bool authority, const TVehicleGrid* grid) {
    TBulletPool& pool = g.Bullets;
    const int32_t now = g.GameTime;
    auto fly = [&pool, now](int k) {
        const TBulletFlight& f = pool.Flight[k];
        const int32_t age = now - pool.FireTime[k];
        const TVector from = pool.Position[k];
        const TVector to = Add(f.Origin, Scale(f.Velocity, age));
        pool.PrevPosition[k] = from;
        pool.Position[k] = to;
        pool.TrailPosition[k] = Add(f.Origin, Scale(f.Velocity, age - 10));
        return std::pair{from, to};
    };
    if (!authority || !grid) {
        for (int k = 0; k < pool.Count; ++k)
            fly(k);
        if (authority)
            for (int k = 0; k < pool.Count; ++k)
                HitBullet(g, k, pool.PrevPosition[k], pool.Position[k], grid);
        return;
    }
    const double w = g.MapWidthPx, h = g.MapHeightPx;
    const uint8_t* wallFree =
        g.WallFreeStore.size() == static_cast<size_t>(g.MapWidth) * g.MapHeight
            ? g.WallFreeStore.data()
            : nullptr;
    // On the stack: no allocation per tick.
    std::array<uint16_t, TBulletPool::Capacity> near;
    int nearCount = 0;
    const int count = pool.Count;
    for (int k = 0; k < count; ++k) {
        const auto [from, to] = fly(k);
        const bool onMap = from.x >= 0 && from.y >= 0 && to.x >= 0 && to.y >= 0 && from.x < w &&
                           to.x < w && from.y < h && to.y < h;
        const bool clear =
            onMap && SurelyClear(g, wallFree, *grid, static_cast<unsigned>(from.x),
                                 static_cast<unsigned>(from.y), static_cast<unsigned>(to.x),
                                 static_cast<unsigned>(to.y));
        near[nearCount] = static_cast<uint16_t>(k);
        nearCount += clear ? 0 : 1;
    }
    for (int n = 0; n < nearCount; ++n) {
        const int k = near[n];
        HitBullet(g, k, pool.PrevPosition[k], pool.Position[k], grid);
    }
}

} // namespace

bool IsMatchAuthority(const Game& g) {
    return !g.NetworkGame || (!g.ClientMode && g.Net.IsHost());
}

bool TellsClients(const Game& g) {
    return Broadcasts(g) && IsMatchAuthority(g);
}

TTrajectory MakeTrajectory(TVector p0, TVector v0, TVector thrust, double k, int32_t t0) {
    TTrajectory p;
    p.A = Add(Scale(v0, 1 / k), Scale(thrust, 1 / (k * k)));
    p.C = Sub(p0, p.A);
    p.StartTime = t0;
    p.F = thrust;
    p.K = k;
    return p;
}

TVector TrajectoryAt(const TTrajectory& path, int32_t t) {
    const double s = (static_cast<double>(t) - path.StartTime) / 1000;
    return Sub(Add(path.C, Scale(path.A, std::exp(path.K * s))), Scale(path.F, s / path.K));
}

void RemoveSpentBullets(Game& g) {
    TBulletPool& pool = g.Bullets;
    for (int k = pool.Count - 1; k >= 0; --k) {
        // Eight flags at a time while none is set: spent bullets are few.
        while (k >= 7) {
            uint64_t eight;
            std::memcpy(&eight, &pool.Spent[k - 7], sizeof eight);
            if (eight != 0) break;
            k -= 8;
        }
        if (k < 0) break;
        if (pool.Spent[k]) pool.Remove(k);
    }
}

void RemoveRocket(Game& g, int k) {
    if (k < 0 || k >= g.Rockets.Count) return;
    const int last = g.Rockets.Count - 1;
    for (int i = 0; i < g.TankCount; ++i) {
        int32_t& m = g.Tanks[i].GuidedMissile;
        if (m == k)
            m = -1;
        else if (m == last)
            m = k;
    }
    g.Rockets.Remove(k);
}

void ProjectileStep(Game& g) {
    const bool authority = IsMatchAuthority(g);
    BombletStep(g, authority);
    // On the stack: no allocation per tick.
    std::optional<TVehicleGrid> grid;
    if (authority && g.BulletBroadPhase &&
        (g.Rockets.Count > 0 || g.BfgBalls.Count > 0 || g.Bullets.Count > 0))
        grid.emplace(g);
    const TVehicleGrid* near = grid ? &*grid : nullptr;
    RocketStep(g, authority, near);
    BfgStep(g, authority, near);
    BulletStep(g, authority, near);
}

void ExplodeRocket(Game& g, int k) {
    if (k < 0 || k >= g.Rockets.Count) return;
    const TRocket r = g.Rockets[k];
    const bool missile = r.Kind != 0;
    const bool steered =
        r.Kind == 2 && IsTankIndex(g, r.Owner) && g.Tanks[r.Owner].GuidedMissile == k;
    const double radius = missile ? MissileRadius : RocketRadius;
    const double damage = missile ? MissileDamage : RocketDamage;
    for (int j = 0; j < g.TankCount; ++j)
        if (Distance(g.Tanks[j].Position, r.Position) < radius) ApplyDamage(g, j, r.Owner, damage);
    if (missile) {
        SpawnExplosion(g, r.Position, sndExplosion, true);
        if (TellsClients(g)) g.Net.SendExplosion(sndExplosion, r.Position);
    } else {
        SpawnExplosion(g, r.Position, sndSmallExplosion, true);
        if (TellsClients(g)) g.Net.SendRocketExploded(r.Id);
    }
    // The owner's hands come off the controls it steered the missile with.
    if (steered) g.Tanks[r.Owner].Steer = 0;
    RemoveRocket(g, k);
}

void ExplodeBfgBall(Game& g, int k) {
    if (k < 0 || k >= g.BfgBalls.Count) return;
    const TBfgBall b = g.BfgBalls[k];
    if (TellsClients(g)) g.Net.SendBfgExploded(b.Id);
    for (int j = 0; j < g.TankCount; ++j)
        if (g.Tanks[j].Alive && Distance(g.Tanks[j].Position, b.Position) < BfgRadius)
            ApplyDamage(g, j, b.Owner, BfgDamage);
    SpawnExplosion(g, b.Position, sndBlowBfg, true);
    g.BfgBalls.Remove(k);
}
