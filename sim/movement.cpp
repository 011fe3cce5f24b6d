#include "sim/movement.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "core/terrain.h"
#include "sim/vehicle_shape.h"
#include "sim/vehicles.h"

using namespace Vectors2D;

namespace {

constexpr double Pi = std::numbers::pi;

// Drive: forward thrust (px/s^2) and steering (rad/s^2) per sort.
constexpr double TankThrust = 200;
constexpr double TankSteer = 8;
constexpr double HoverThrust = 200;
constexpr double HoverSteer = 8;
constexpr double HummerThrust = 225;
constexpr double HummerSteer = 10;
// A Hummer turns at full rate from this forward speed (px/s) on.
constexpr double HummerFullTurnSpeed = 75;
constexpr double CheatThrust = 1.5;

// Walls, edges and other vehicles hand back this much of the speed.
constexpr double Bounce = 0.3;
// Out of a wall cell, and off a wall's corner, a little further than deep.
constexpr double WallPush = 1.3;
// Vehicles that ran into each other move apart this far each way per try.
constexpr double SeparationStep = 0.25;
// Two edges part after at most their two lengths of relative travel, some
// 180 tries for the longest bodies; the cap only stops a degenerate case.
constexpr int MaxSeparationSteps = 1000;
// A wall corner lying exactly on the body's side is inside at depth 0: it
// pushes this far per try instead (any deeper corner pushes by its depth).
// The longest body is cleared in about 140.
constexpr double MinCornerDepth = 0.25;
constexpr int MaxCornerPushes = 256;

// Water spray leaves the last two places of the particle pool free.
constexpr int SprayPoolLimit = 16382;
constexpr int SprayPerCorner = 3;
constexpr double SprayScatter = 8;

bool HasMap(const Game& g) {
    return g.MapWidth > 0 && g.MapHeight > 0;
}

int KindUnder(const Game& g, TVector p) {
    if (!HasMap(g)) return tkGround;
    const TCell c = CellAt(g, p);
    return KindAt(g, c.X, c.Y);
}

bool IsWall(const Game& g, int column, int row) {
    return KindAt(g, std::max(column, 0), std::max(row, 0)) == tkWall;
}

struct TGround {
    double Friction = 1;
    double Grip = 1;
};

// A cell whose code names no loaded texture drives like plain ground.
TGround GroundUnder(const Game& g, TVector p) {
    if (!HasMap(g)) return {};
    const TCell c = CellAt(g, p);
    const int texture = g.MapCells(c.X, c.Y) / 4;
    if (texture < 0 || texture >= g.TextureCount || texture >= MaxTextures) return {};
    return {g.Friction[texture], g.Grip[texture]};
}

// Bots, and player 1 while the autopilot drives it, remember their bumps.
bool DrivenByBotLogic(const Game& g, int i) {
    return g.Tanks[i].IsBot || (i == g.Player1 && g.Player1Autopilot);
}

// A bot bringing another team's cow home does not let bumps distract it.
bool CarriesTargetCow(const Game& g, int i) {
    const TTank& t = g.Tanks[i];
    return t.Mission == msCaptureCow && t.TargetTeam >= 0 && t.TargetTeam < MaxTeams &&
           g.Teams[t.TargetTeam].CowCarrier == i;
}

// Corners 0 and 3 are at the front, 1 and 2 at the rear.
int CornerSide(int corner) {
    return corner == 1 || corner == 2 ? 1 : -1;
}

// A drag coefficient as written, v -= k v dt, save where that would grow
// the motion it brakes (k dt > 2: on long steps mud would make a wreck's
// spin swap sign and grow every tick); there it stops the motion instead.
// Up to k dt = 2 the written step stands, overshoot and all.
double Damping(double k, double dt) {
    return k * dt > 2 ? 1 / dt : k;
}

void RemoveExpiredParticles(Game& g) {
    for (int k = g.Particles.Count - 1; k >= 0; --k)
        if (g.Particles[k].ExpiryTime < g.GameTime) g.Particles.Remove(k);
}

// Thrust and steering from the controls. A wreck, a vehicle between levels
// and one that steers a guided missile get none.
void Drive(Game& g, int i, double grip) {
    TTank& t = g.Tanks[i];
    t.Force = Zero();
    t.Torque = 0;
    if (!t.Alive || !g.LevelRunning || t.GuidedMissile != -1) return;
    const TVector d = FromAngle(t.Heading);
    switch (t.Sort) {
    case sortHovercraft:
        t.Force = Scale(d, t.Throttle * HoverThrust);
        t.Torque = t.Steer * HoverSteer;
        break;
    case sortHummer: {
        // Steers like a car: not at all when standing, the other way round
        // when reversing.
        t.Force = Scale(d, t.Throttle * HummerThrust * grip);
        const double forward = Dot(t.Velocity, d);
        t.Torque = Sign(forward) * t.Steer * HummerSteer * grip *
                   std::min(std::fabs(forward) / HummerFullTurnSpeed, 1.0);
        break;
    }
    default:
        t.Force = Scale(d, t.Throttle * TankThrust * grip);
        t.Torque = t.Steer * TankSteer * grip;
        break;
    }
    if (i == g.Player1 && (g.CheatFlags & cheatForce)) t.Force = Scale(t.Force, CheatThrust);
}

void Resist(TTank& t, double friction, double dt) {
    if (t.Sort == sortHovercraft) {
        if (t.Alive) {
            // Air drag; the ground does not touch a running hovercraft.
            const double drag = Damping(0.003 * Length(t.Velocity), dt);
            t.Force = Add(t.Force, Scale(t.Velocity, -drag));
            t.Torque -= Damping(2, dt) * t.Spin;
        } else {
            t.Force = Add(t.Force, Scale(t.Velocity, -Damping(2 * friction, dt)));
            t.Torque -= Damping(4 * friction, dt) * t.Spin;
        }
        return;
    }
    // Wheels and tracks roll along the body and hold hard against sliding.
    const TVector d = FromAngle(t.Heading);
    t.Force = Sub(t.Force, Scale(d, Damping(friction, dt) * Dot(t.Velocity, d)));
    const TVector u = Normalize(t.Velocity);
    const TVector sideways = Sub(u, Scale(d, Dot(u, d)));
    t.Force = Add(t.Force, Scale(sideways, -500 * friction * std::min(1.0, Length(t.Velocity))));
    t.Torque -= Damping(4 * friction, dt) * t.Spin;
}

void Integrate(const Game& g, TTank& t, double dt) {
    t.Velocity = Add(t.Velocity, Scale(t.Force, dt));
    // Without throttle a crawl stops dead instead of creeping on for ever.
    const bool coasting = t.Throttle == 0 || !t.Alive || !g.LevelRunning;
    if (coasting && LengthSquared(t.Velocity) < LengthSquared(t.Force) * dt * 0.5)
        t.Velocity = Zero();
    t.Position = Add(t.Position, Scale(t.Velocity, dt));
    t.Spin += t.Torque * dt;
    t.Heading = NormalizeAngle(t.Heading + t.Spin * dt);
}

// The developer's turret lock holds player 1's turret on its bearing over
// the ground; otherwise the turret travels to its preset and stops there.
void MoveTurret(Game& g, int i, double dt) {
    TTank& t = g.Tanks[i];
    if (i == g.Player1 && g.DeveloperMode && g.TurretLock) {
        t.TurretAngle = NormalizeAngle(t.TurretAngle - t.Spin * dt);
        if (t.Sort == sortHovercraft) t.TurretAngle = std::clamp(t.TurretAngle, -Pi / 2, Pi / 2);
    }
    if (!t.Alive || t.TurretTurn == 0) return;
    t.TurretSpeed = 2.0 * t.TurretTurn;
    t.TurretAngle = NormalizeAngle(t.TurretAngle + t.TurretSpeed * dt);
    const double rest = t.TurretPreset * Pi / 4;
    if (std::fabs(NormalizeAngle(t.TurretAngle - rest)) < 2 * dt) {
        t.TurretTurn = 0;
        t.TurretAngle = NormalizeAngle(rest);
    }
}

// Three drops of spray from every corner over water: a Tank throws them off
// its tracks, a Hovercraft off its skirt, a Hummer off its wheels.
void WaterSpray(Game& g, int i) {
    if (!HasMap(g)) return;
    const TTank& t = g.Tanks[i];
    for (int k = 0; k < 4; ++k) {
        const TVector corner = t.WorldCorners[k];
        if (KindUnder(g, corner) != tkWater || g.Particles.Count >= SprayPoolLimit) continue;
        const int previous = (k + 3) % 4;
        for (int n = 0; n < SprayPerCorner; ++n) {
            TVector at = corner;
            if (t.Sort != sortHummer) {
                int other = k == 1 || k == 3 ? previous : NextCorner(k); // along the track
                if (t.Sort == sortHovercraft) other = g.Rng.Int(2) ? previous : NextCorner(k);
                const TVector from = t.WorldCorners[other];
                at = Add(from, Scale(Sub(corner, from), 0.5 + 0.5 * g.Rng.Real()));
            }
            const double angle = 2 * Pi * g.Rng.Real();
            at = Add(at, Scale(FromAngle(angle), SprayScatter * g.Rng.Real()));
            const int32_t green = g.Rng.Int(256);
            const int32_t expiry = g.GameTime + 100 + g.Rng.Int(100);
            g.Particles.Add({at, 0xFF0000 | (green << 8), expiry});
        }
    }
}

void EndStep(TTank& t) {
    t.TurretMountWorld = Add(Rotate(t.TurretMount, t.Heading), t.Position);
    t.Step = Sub(t.Position, t.PrevPosition);
    t.PrevPosition = t.Position;
}

void BumpMark(Game& g, int i, int side) {
    g.Tanks[i].BumpSide = side;
    g.Tanks[i].BumpTime = g.GameTime;
}

// After a collision on edge k: the front (3) and the rear (1) tell a bot
// which way to back off; a side hit only notes the time.
void CollisionBumpMark(Game& g, int i, int edge) {
    if (!DrivenByBotLogic(g, i) || CarriesTargetCow(g, i)) return;
    int side = g.Tanks[i].BumpSide;
    if (edge == 3) side = -1;
    if (edge == 1) side = 1;
    BumpMark(g, i, side);
}

// Edge k of vehicle i crosses edge l of vehicle j.
void Collide(Game& g, int i, int k, int j, int l) {
    TTank& a = g.Tanks[i];
    TTank& b = g.Tanks[j];
    const TVector mean = Scale(Add(a.Velocity, b.Velocity), 0.5);
    a.Velocity = Sub(mean, Scale(Sub(a.Velocity, mean), Bounce));
    b.Velocity = Sub(mean, Scale(Sub(b.Velocity, mean), Bounce));

    const TVector e = Scale(Normalize(Sub(a.Position, b.Position)), SeparationStep);
    TVector a1 = a.WorldCorners[k], a2 = a.WorldCorners[NextCorner(k)];
    TVector b1 = b.WorldCorners[l], b2 = b.WorldCorners[NextCorner(l)];
    for (int n = 0; n < MaxSeparationSteps && SegmentsCross(a1, a2, b1, b2); ++n) {
        a.Position = Add(a.Position, e);
        a1 = Add(a1, e);
        a2 = Add(a2, e);
        b.Position = Sub(b.Position, e);
        b1 = Sub(b1, e);
        b2 = Sub(b2, e);
    }
    RefreshWorldCorners(a);
    RefreshWorldCorners(b);
    CollisionBumpMark(g, i, k);
    CollisionBumpMark(g, j, l);
}

// A point of vehicle i (corner 0..3, or -1 for the centre) that lies in a
// wall cell moves the vehicle out across the cell's nearest side.
void PushOutOfWallCell(Game& g, int i, TVector p, int corner) {
    TTank& t = g.Tanks[i];
    const TCell cell = CellAt(g, p);
    if (KindAt(g, cell.X, cell.Y) != tkWall) return;
    if (corner >= 0 && t.Sort == sortHummer && DrivenByBotLogic(g, i))
        BumpMark(g, i, CornerSide(corner));
    const TVector centre = CellCentre(g, cell.X, cell.Y);
    const double dx = p.x - centre.x;
    const double dy = p.y - centre.y;
    constexpr double half = CellSize / 2.0;
    if (std::fabs(dx) > std::fabs(dy)) {
        if (dx >= 0) {
            t.Position.x += (half - dx) * WallPush;
            t.Velocity.x = Bounce * std::fabs(t.Velocity.x);
        } else {
            t.Position.x -= (dx + half) * WallPush;
            t.Velocity.x = -Bounce * std::fabs(t.Velocity.x);
        }
    } else {
        if (dy >= 0) {
            t.Position.y += (half - dy) * WallPush;
            t.Velocity.y = Bounce * std::fabs(t.Velocity.y);
        } else {
            t.Position.y -= (dy + half) * WallPush;
            t.Velocity.y = -Bounce * std::fabs(t.Velocity.y);
        }
    }
}

// The heading folded into [0, pi/2]: the body's axes are the same every
// quarter turn.
double FoldedHeading(double heading) {
    double a = NormalizeAngle(heading);
    for (int n = 0; n < 4 && a < 0; ++n)
        a += Pi / 2;
    for (int n = 0; n < 4 && a > Pi / 2; ++n)
        a -= Pi / 2;
    return a;
}

// A wall's corner can poke into a body's side with no body corner in the
// wall. The corners of the vehicle's cell are checked; one that is inside
// pushes the vehicle along the body axis that points away from the wall.
void PushOffWallCorners(Game& g, int i) {
    TTank& t = g.Tanks[i];
    const double a = FoldedHeading(t.Heading);
    const TCell home = CellAt(g, t.Position);
    const int lastColumn = std::min(home.X + 1, g.MapWidth - 1);
    const int lastRow = std::min(home.Y + 1, g.MapHeight - 1);
    for (int c = home.X; c <= lastColumn; ++c) {
        for (int r = home.Y; r <= lastRow; ++r) {
            // The four cells around the top-left corner of cell (c, r).
            const bool upLeft = IsWall(g, c - 1, r - 1), upRight = IsWall(g, c, r - 1);
            const bool downLeft = IsWall(g, c - 1, r), downRight = IsWall(g, c, r);
            if (!(upLeft || upRight || downLeft || downRight)) continue;
            const TVector corner = {c * double(CellSize), (g.MapHeight - r) * double(CellSize)};
            double depth = 0;
            if (!PointInsideVehicle(t, corner, &depth)) continue;
            const double h = upLeft ? a + 3 * Pi / 2 : upRight ? a + Pi : downLeft ? a : a + Pi / 2;
            const TVector n = FromAngle(h);
            t.Velocity = Sub(t.Velocity, Scale(n, WallPush * Dot(t.Velocity, n)));
            for (int tries = 0; tries < MaxCornerPushes; ++tries) {
                const double push = depth > 0 ? depth : MinCornerDepth;
                t.Position = Add(t.Position, Scale(n, WallPush * push));
                if (!PointInsideVehicle(t, corner, &depth)) break;
            }
        }
    }
}

// The pushes above add up corner by corner, and a vehicle squeezed deep into
// a wall at the border (by a pile-up on a spawn point, or a long step) can
// be pushed out of the wall's far side, off the map. Its centre goes back
// onto the nearest edge; the edge bounce of the next step does the rest.
void KeepCentreOnMap(const Game& g, TTank& t) {
    t.Position.x = std::clamp(t.Position.x, 0.0, double(g.MapWidthPx));
    t.Position.y = std::clamp(t.Position.y, 0.0, double(g.MapHeightPx));
}

// One axis of a corner outside the map: the vehicle is pushed back in and
// its speed along the axis turned inwards; false when the corner is inside.
bool BounceInside(double corner, double limit, double& position, double& velocity) {
    if (corner < 0) {
        position += Bounce * -corner;
        velocity = Bounce * std::fabs(velocity);
        return true;
    }
    if (corner > limit) {
        position -= Bounce * (corner - limit);
        velocity = -Bounce * std::fabs(velocity);
        return true;
    }
    return false;
}

} // namespace

void KeepInsideMap(Game& g, int i, bool bumpMarks) {
    TTank& t = g.Tanks[i];
    RefreshWorldCorners(t);
    if (!HasMap(g)) return;
    const double w = g.MapWidthPx;
    const double h = g.MapHeightPx;
    const bool marks = bumpMarks && t.Sort == sortHummer && DrivenByBotLogic(g, i);
    for (int k = 0; k < 4; ++k) {
        const TVector c = t.WorldCorners[k];
        const bool outX = BounceInside(c.x, w, t.Position.x, t.Velocity.x);
        const bool outY = BounceInside(c.y, h, t.Position.y, t.Velocity.y);
        const bool out = outX || outY;
        if (out && marks) BumpMark(g, i, CornerSide(k));
    }
    RefreshWorldCorners(t);
}

void CollideVehicles(Game& g) {
    const int count = std::min(g.TankCount, MaxTanks);
    for (int i = 0; i < count; ++i)
        RefreshWorldCorners(g.Tanks[i]);
    // Edges of two bodies whose boxes are apart cannot cross: most pairs
    // are settled by their boxes. A collision moves both, so their boxes
    // are taken again.
    std::array<TBox, MaxTanks> boxes;
    for (int i = 0; i < count; ++i)
        boxes[i] = BoundingBox(g.Tanks[i].WorldCorners.data(), 3);
    for (int i = 0; i < count; ++i)
        for (int j = i + 1; j < count; ++j) {
            if (boxes[i].MaxX < boxes[j].MinX || boxes[j].MaxX < boxes[i].MinX ||
                boxes[i].MaxY < boxes[j].MinY || boxes[j].MaxY < boxes[i].MinY)
                continue;
            for (int k = 0; k < 4; ++k)
                for (int l = 0; l < 4; ++l) {
                    const TTank& a = g.Tanks[i];
                    const TTank& b = g.Tanks[j];
                    if (SegmentsCross(a.WorldCorners[k], a.WorldCorners[NextCorner(k)],
                                      b.WorldCorners[l], b.WorldCorners[NextCorner(l)])) {
                        Collide(g, i, k, j, l);
                        boxes[i] = BoundingBox(a.WorldCorners.data(), 3);
                        boxes[j] = BoundingBox(b.WorldCorners.data(), 3);
                    }
                }
        }
}

void MoveVehicles(Game& g) {
    const int count = std::min(g.TankCount, MaxTanks);
    if (!g.CreditsLevel) {
        CollideVehicles(g);
        for (int i = 0; i < count; ++i)
            KeepInsideMap(g, i, true);
    }
    RemoveExpiredParticles(g);
    const double dt = g.DeltaSec;
    for (int i = 0; i < count; ++i) {
        TTank& t = g.Tanks[i];
        const TGround ground = GroundUnder(g, t.Position);
        Drive(g, i, ground.Grip);
        Resist(t, ground.Friction, dt);
        Integrate(g, t, dt);
        MoveTurret(g, i, dt);
        KeepInsideMap(g, i, true);
        WaterSpray(g, i);
        EndStep(t);
    }
}

void WallCollisions(Game& g) {
    if (!HasMap(g)) return;
    const int count = std::min(g.TankCount, MaxTanks);
    for (int i = 0; i < count; ++i) {
        TTank& t = g.Tanks[i];
        const TVector centre = t.Position;
        const std::array<TVector, 4> corners = t.WorldCorners;
        PushOutOfWallCell(g, i, centre, -1);
        for (int k = 0; k < 4; ++k)
            PushOutOfWallCell(g, i, corners[k], k);
        PushOffWallCorners(g, i);
        KeepCentreOnMap(g, t);
        RefreshWorldCorners(t);
    }
}

void PredictVehicles(Game& g) {
    RemoveExpiredParticles(g);
    const double s = (g.GameTime - g.LastServerUpdate) / 1000.0;
    const int count = std::min(g.TankCount, MaxTanks);
    for (int i = 0; i < count; ++i) {
        TTank& t = g.Tanks[i];
        t.Heading = NormalizeAngle(t.SnapshotHeading + t.Spin * s + 0.5 * t.Torque * s * s);
        t.Position =
            Add(t.SnapshotPosition, Add(Scale(t.Velocity, s), Scale(t.Force, 0.5 * s * s)));
        KeepInsideMap(g, i, false);
        if (HasMap(g)) {
            KeepCentreOnMap(g, t);
            RefreshWorldCorners(t);
        }
        WaterSpray(g, i);
        EndStep(t);
    }
}
