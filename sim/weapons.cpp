#include "sim/weapons.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/asset_names.h"
#include "core/terrain.h"
#include "sim/damage.h"
#include "sim/projectiles.h"
#include "sim/sounds.h"
#include "sim/vehicle_shape.h"

using namespace Vectors2D;

namespace {

constexpr double Pi = std::numbers::pi;
constexpr int32_t BeltSize = 50;
constexpr int BombletsPerShot = 40;

// Player 1's reload cheat.
bool QuickReload(const Game& g, int i) {
    return i == g.Player1 && (g.CheatFlags & cheatReload);
}

// --- Muzzles -----------------------------------------------------------------

struct TMuzzle {
    TVector At;
    double Aim;
};

TMuzzle ThroughTurret(const TTank& t, TVector offset) {
    const double aim = t.Heading + t.TurretAngle;
    return {Add(Rotate(offset, aim), t.TurretMountWorld), aim};
}

TMuzzle FromBody(const TTank& t, TVector offset) {
    return {Add(Rotate(offset, t.Heading), t.Position), t.Heading};
}

// The Hummer's gun, railgun and BFG sit fixed on its body; everything else
// fires through the turret.
TMuzzle GunMuzzleOf(const TTank& t) {
    return t.Sort == sortHummer ? FromBody(t, t.GunMuzzle) : ThroughTurret(t, t.GunMuzzle);
}

TMuzzle MainMuzzleOf(const TTank& t) {
    return t.Sort == sortHummer ? FromBody(t, t.MainMuzzle) : ThroughTurret(t, t.MainMuzzle);
}

// Rockets and bomblets: the Hummer's come from the front of its turret pod,
// `across` times the pod's width to the left of its middle.
TMuzzle PodMuzzleOf(const TTank& t, double across) {
    if (t.Sort != sortHummer) return ThroughTurret(t, t.MainMuzzle);
    const TSpriteInfo& pod = SpriteList[spHummer + 1];
    return ThroughTurret(t, Make(pod.Width * (1 - t.TurretPivot), across * pod.Height));
}

TVector RandomDirection(Game& g) {
    return FromAngle(g.Rng.Real() * 2 * Pi);
}

// Index of another living vehicle that point p lies in, -1 none.
int VehicleAround(const Game& g, TVector p, int except) {
    for (int j = 0; j < g.TankCount; ++j)
        if (j != except && g.Tanks[j].Alive && PointInsideVehicle(g.Tanks[j], p)) return j;
    return -1;
}

// --- Machine gun -------------------------------------------------------------

// One round, fired at time `at` (which may lie a little before now: the
// round has then already flown that long).
void FireBullet(Game& g, int i, int32_t at) {
    if (g.Bullets.Full()) return;
    TTank& t = g.Tanks[i];
    if (--t.GunAmmo > 0) {
        const int32_t gap = QuickReload(g, i) ? 10 : (t.Sort == sortHovercraft ? 16 : 50);
        t.NextFireTime = at + gap;
    } else {
        // The belt is changed at once; the pause is the changing.
        t.NextFireTime = at + 1000;
        t.GunAmmo = BeltSize;
    }
    const double r = g.Rng.Real();
    const TMuzzle m = GunMuzzleOf(t);
    // The Hummer's fixed gun only strays to the right.
    const double direction = t.Sort == sortHummer ? m.Aim - 0.05 * r : m.Aim + 0.1 * r - 0.05;
    TBullet b;
    b.Velocity = Scale(Add(Scale(FromAngle(direction), 800), t.Velocity), 0.001);
    b.Origin = m.At;
    b.FireTime = at;
    b.Shooter = i;
    b.Position = Add(b.Origin, Scale(b.Velocity, g.GameTime - at));
    b.PrevPosition = b.Origin;
    b.TrailPosition = Add(b.Origin, Scale(b.Velocity, g.GameTime - at - 10));
    const int k = g.Bullets.Add(b);
    const int victim = VehicleAround(g, b.Position, i);
    if (victim < 0) return;
    ApplyDamage(g, victim, i, 4);
    g.Bullets.Spent[k] = 1;
    PlaySoundAt(g, sndBulletImpact, b.Position);
}

void FireMachineGun(Game& g, int i) {
    TTank& t = g.Tanks[i];
    if (g.NetworkGame && !t.GunSounding) {
        if (TellsClients(g)) g.Net.SendGunSound(i, 1);
        t.GunSounding = true;
    }
    PlaySoundAt(g, sndFireBullet, t.Position);
    if (!t.FireHeld) {
        FireBullet(g, i, g.GameTime);
        return;
    }
    // Held down: the rounds that fell due during this step come out at
    // their times. Rounds owed from before it (the gun was held while it
    // could not fire) are forgotten rather than sprayed out all at once.
    t.NextFireTime = std::max(t.NextFireTime, g.GameTime - g.DeltaMs);
    while (g.GameTime >= t.NextFireTime && !g.Bullets.Full())
        FireBullet(g, i, t.NextFireTime);
}

// --- Railgun -------------------------------------------------------------------

} // namespace

void StrewRailParticles(Game& g, TVector start, TVector end) {
    const int32_t count = RoundEven(Distance(start, end));
    for (int n = 0; n < count && !g.Particles.Full(); ++n) {
        const double w = g.Rng.Real();
        const TVector direction = RandomDirection(g);
        const double r = g.Rng.Real();
        const int32_t green = 128 + g.Rng.Int(128);
        const int32_t life = 100 + g.Rng.Int(400);
        TParticle p;
        p.Position = Add(Add(end, Scale(Sub(start, end), w)), Scale(direction, 8 * r * r));
        p.Colour = (255 << 16) | (green << 8);
        p.ExpiryTime = g.GameTime + life;
        g.Particles.Add(p);
    }
}

namespace {

void FireRailgun(Game& g, int i) {
    TTank& t = g.Tanks[i];
    t.NextFireTime = g.GameTime + (QuickReload(g, i) ? 200 : 1000);
    PlaySoundAt(g, sndRailgun, t.Position);
    const TMuzzle m = MainMuzzleOf(t);
    const TCell startCell = CellAt(g, m.At);
    if (KindAt(g, startCell.X, startCell.Y) == tkWall) {
        // The muzzle is in the wall: a bang, and nothing comes out.
        if (TellsClients(g)) g.Net.SendPositionalSound(sndRailgun, t.Position);
        return;
    }
    const TVector aim = FromAngle(m.Aim);
    const double reach = (static_cast<double>(g.MapWidth) + g.MapHeight) * CellSize;
    const TVector end = SegmentHitsWall(g, m.At, Add(m.At, Scale(aim, reach))).End;
    for (int j = 0; j < g.TankCount; ++j) {
        TTank& v = g.Tanks[j];
        if (j == i || !v.Alive) continue;
        for (int k = 0; k < 4; ++k) {
            if (!SegmentsCross(m.At, end, v.WorldCorners[k], v.WorldCorners[NextCorner(k)]))
                continue;
            v.Velocity = Add(v.Velocity, Scale(aim, 200));
            ApplyDamage(g, j, i, 75);
            break;
        }
    }
    if (TellsClients(g)) g.Net.SendRail(m.At, end, g.GameTime);
    StrewRailParticles(g, m.At, end);
}

// --- Cluster bomb ----------------------------------------------------------------

void FireClusterBomb(Game& g, int i) {
    // A full pool: no shot, and the reload does not start either.
    if (g.Bomblets.Full()) return;
    TTank& t = g.Tanks[i];
    t.NextFireTime = g.GameTime + (QuickReload(g, i) ? 300 : 1500);
    const int first = g.Bomblets.Count;
    for (int n = 0; n < BombletsPerShot && !g.Bomblets.Full(); ++n) {
        const double across = t.Sort == sortHummer ? g.Rng.Real() - 0.5 : 0;
        const TMuzzle m = PodMuzzleOf(t, across);
        const TVector scatter = RandomDirection(g);
        const double spread = g.Rng.Real();
        const double fuse = g.Rng.Real();
        TBomblet b;
        b.Owner = i;
        b.Velocity =
            Scale(Add(Add(t.Velocity, Scale(FromAngle(m.Aim), 300)), Scale(scatter, 180 * spread)),
                  0.001);
        b.Origin = b.Position = m.At;
        b.LaunchTime = g.GameTime;
        b.FuseTime = g.GameTime + RoundEven(((fuse - 0.5) * 0.4 + 1) * 800);
        g.Bomblets.Add(b);
    }
    // The whole shot travels as one event.
    if (TellsClients(g)) g.Net.SendBomblets(first, g.Bomblets.Count - first);
}

// --- Rockets and missiles ----------------------------------------------------------

// The smallest id no rocket in flight has (missiles carry none).
int32_t FreeRocketId(const Game& g) {
    for (int32_t id = 0; id < g.Rockets.Count; ++id) {
        bool used = false;
        for (int k = 0; k < g.Rockets.Count && !used; ++k)
            used = g.Rockets[k].Kind == 0 && g.Rockets[k].Id == id;
        if (!used) return id;
    }
    return g.Rockets.Count;
}

int32_t FreeBfgBallId(const Game& g) {
    for (int32_t id = 0; id < g.BfgBalls.Count; ++id) {
        bool used = false;
        for (int k = 0; k < g.BfgBalls.Count && !used; ++k)
            used = g.BfgBalls[k].Id == id;
        if (!used) return id;
    }
    return g.BfgBalls.Count;
}

// Fired into a vehicle at point-blank range: it goes off at once.
void ExplodeRocketIfPointBlank(Game& g, int k) {
    if (VehicleAround(g, g.Rockets[k].Position, g.Rockets[k].Owner) >= 0) ExplodeRocket(g, k);
}

void FireRocket(Game& g, int i) {
    if (g.Rockets.Full()) return;
    TTank& t = g.Tanks[i];
    const bool hummer = t.Sort == sortHummer;
    if (--t.RocketsLeft > 0) {
        t.NextFireTime = g.GameTime + (hummer ? 100 : 200);
    } else {
        t.NextFireTime = g.GameTime + (QuickReload(g, i) ? 300 : 1500);
        t.RocketsLeft = hummer ? 12 : 6;
    }
    // The Hummer's pod has six tubes side by side; each rocket takes the next.
    const int tube = t.RocketsLeft % 6;
    const TMuzzle m = PodMuzzleOf(t, 0.3 - tube * 1.4 / 12);
    TRocket r;
    r.Kind = 0;
    r.Owner = i;
    r.Angle = m.Aim;
    if (hummer) r.Angle += (g.Rng.Real() - 0.5) * 0.15;
    r.Angle = NormalizeAngle(r.Angle);
    r.Rate = r.TargetRate = 0;
    r.Position = r.PrevPosition = r.PrevPrevPosition = m.At;
    r.Velocity = t.Velocity;
    r.Path = MakeTrajectory(m.At, t.Velocity, Scale(FromAngle(r.Angle), 1000), -0.7, g.GameTime);
    r.Target = -1;
    if (Broadcasts(g)) r.Id = FreeRocketId(g);
    const int k = g.Rockets.Add(r);
    if (TellsClients(g)) g.Net.SendRocket(k);
    ExplodeRocketIfPointBlank(g, k);
}

// Homing and guided missiles leave the launch rail sideways, to the left.
void FireMissile(Game& g, int i, int kind) {
    TTank& t = g.Tanks[i];
    t.NextFireTime = g.GameTime + (QuickReload(g, i) ? 300 : 1500);
    TRocket r;
    r.Kind = kind;
    r.Owner = i;
    r.Angle = t.Heading;
    r.Velocity = Add(t.Velocity, Scale(FromAngle(t.Heading + Pi / 2), kind == 1 ? 100 : 200));
    r.Position = r.PrevPosition = r.PrevPrevPosition =
        Add(Rotate(t.LaunchRail, t.Heading), t.Position);
    r.Target = -1;
    const int k = g.Rockets.Add(r);
    if (k < 0) return;
    if (kind == 2) t.GuidedMissile = k;
    ExplodeRocketIfPointBlank(g, k);
}

// --- BFG ---------------------------------------------------------------------------

void FireBfg(Game& g, int i) {
    TTank& t = g.Tanks[i];
    const bool quick = QuickReload(g, i);
    t.BfgCharging = true;
    t.BfgLaunchTime = g.GameTime + (quick ? 163 : 818);
    t.NextFireTime = g.GameTime + (quick ? 500 : 2500);
    PlaySoundAt(g, sndFireBfg, t.Position);
    if (TellsClients(g)) g.Net.SendPositionalSound(sndFireBfg, t.Position);
}

// The charged ball leaves; a vehicle that died meanwhile lets it loose in
// a random direction.
void LaunchBfgBall(Game& g, int i) {
    if (g.BfgBalls.Full()) return;
    TTank& t = g.Tanks[i];
    t.BfgCharging = false;
    const TMuzzle m = MainMuzzleOf(t);
    const TVector aim = FromAngle(m.Aim);
    TVector v0 = Add(t.Velocity, Scale(aim, 150));
    TVector thrust = Scale(aim, 150);
    if (!t.Alive) {
        v0 = t.Velocity;
        thrust = Scale(RandomDirection(g), 150);
    }
    TBfgBall b;
    b.Owner = i;
    b.Path = MakeTrajectory(m.At, v0, thrust, -1, g.GameTime);
    b.Position = b.PrevPosition = m.At;
    b.ZapLast = -1;
    if (Broadcasts(g)) b.Id = FreeBfgBallId(g);
    const int k = g.BfgBalls.Add(b);
    if (TellsClients(g)) g.Net.SendBfgBall(k);
    if (VehicleAround(g, m.At, i) >= 0) ExplodeBfgBall(g, k);
}

// --- Reload bar ----------------------------------------------------------------------

int32_t ReloadPercentOf(const Game& g, const TTank& t) {
    const bool hummer = t.Sort == sortHummer;
    double p;
    if (t.Weapon == wpMachineGun && t.GunAmmo < BeltSize)
        p = 2.0 * t.GunAmmo;
    else if (t.Weapon == wpRockets && !hummer && t.RocketsLeft < 6)
        p = t.RocketsLeft * 100.0 / 6;
    else if (t.Weapon == wpRockets && hummer && t.RocketsLeft < 12)
        p = t.RocketsLeft * 100.0 / 12;
    else if (t.ReloadStart == t.NextFireTime)
        p = 100;
    else
        p = (static_cast<double>(g.GameTime) - t.ReloadStart) * 100 /
            (static_cast<double>(t.NextFireTime) - t.ReloadStart);
    return RoundEven(std::clamp(p, 0.0, 100.0));
}

} // namespace

void FireStep(Game& g, int i) {
    if (!IsTankIndex(g, i)) return;
    TTank& t = g.Tanks[i];
    if (g.NetworkGame && t.GunSounding &&
        (!t.Firing || !t.Alive || t.GunAmmo == BeltSize || t.Weapon != wpMachineGun)) {
        if (TellsClients(g)) g.Net.SendGunSound(i, -1);
        t.GunSounding = false;
    }
    if (t.BfgCharging && t.BfgLaunchTime < g.GameTime) LaunchBfgBall(g, i);
    if (t.Alive && t.Firing && t.NextFireTime < g.GameTime) {
        t.ReloadStart = g.GameTime;
        switch (t.Weapon) {
        case wpMachineGun:
            FireMachineGun(g, i);
            break;
        case wpRailgun:
            FireRailgun(g, i);
            break;
        case wpCluster:
            FireClusterBomb(g, i);
            break;
        case wpRockets:
            FireRocket(g, i);
            break;
        case wpHoming:
            FireMissile(g, i, 1);
            break;
        case wpGuided:
            FireMissile(g, i, 2);
            break;
        case wpBfg:
            FireBfg(g, i);
            break;
        default:
            break;
        }
    }
    t.FireHeld = t.Firing;
    t.ReloadPercent = ReloadPercentOf(g, t);
}
