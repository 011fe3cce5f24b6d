#include "match/client_sync.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

#include "core/asset_names.h"
#include "match/tick.h"
#include "sim/damage.h"
#include "sim/explosions.h"
#include "sim/sounds.h"
#include "sim/vehicles.h"

using namespace Vectors2D;

namespace {

// A status this far behind the clock (beyond the last round trip) means the
// clock runs ahead of the host's.
constexpr int64_t BehindSlackMs = 100;

bool FitsInt32(int64_t v) {
    return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max();
}

// The host says the vehicle lives again (it came back on the host between
// two statuses): full belt and rockets, and no movement carried over from
// where it died.
void ComeBack(Game& g, int i) {
    TTank& t = g.Tanks[i];
    t.Alive = true;
    t.SelfDestructArmed = false;
    t.NextFireTime = t.ReloadStart = g.GameTime;
    t.GunAmmo = 50;
    t.RocketsLeft = t.Sort == sortHummer ? 12 : 6;
    t.PrevPosition = t.Position;
    t.OlderSnapshotPosition = t.PrevSnapshotPosition = t.SnapshotPosition;
    t.Velocity = t.SnapshotVelocity = t.Force = Zero();
    t.OlderSnapshotHeading = t.PrevSnapshotHeading = t.SnapshotHeading;
    t.SnapshotSpin = 0;
    t.Torque = 0;
    StartEngineSound(g, i);
}

// Velocity and spin from the last two snapshots, with the change since the
// pair before as force and torque; then the history moves on by one.
void Estimate(Game& g, TTank& t) {
    const double gap = g.SnapshotGap;
    const double span = gap + g.PrevSnapshotGap;
    t.PrevSnapshotVelocity = t.SnapshotVelocity;
    t.SnapshotVelocity =
        gap > 0 ? Scale(Sub(t.SnapshotPosition, t.PrevSnapshotPosition), 1 / gap) : Zero();
    t.Force = span > 0 ? Scale(Sub(t.SnapshotVelocity, t.PrevSnapshotVelocity), 2 / span) : Zero();
    t.Velocity = Add(t.SnapshotVelocity, Scale(t.Force, gap * 0.5));

    t.PrevSnapshotSpin = t.SnapshotSpin;
    t.SnapshotSpin =
        gap > 0 ? NormalizeAngle(t.SnapshotHeading - t.PrevSnapshotHeading) / gap : 0.0;
    t.Torque = span > 0 ? (t.SnapshotSpin - t.PrevSnapshotSpin) * 2 / span : 0.0;
    t.Spin = t.SnapshotSpin + gap * t.Torque * 0.5;

    // A jump (a respawn, a new level) is no speed: neither it nor the force
    // that came with it carry the vehicle on.
    if (LengthSquared(t.Velocity) > MaxVehicleSpeed * MaxVehicleSpeed) {
        t.Velocity = Zero();
        t.Force = Zero();
    }

    t.OlderSnapshotPosition = t.PrevSnapshotPosition;
    t.PrevSnapshotPosition = t.SnapshotPosition;
    t.OlderSnapshotHeading = t.PrevSnapshotHeading;
    t.PrevSnapshotHeading = t.SnapshotHeading;
}

// Missiles come anew with every status: each takes its speed from the
// nearest missile of the status before; one seen for the first time, or
// one that would have to be impossibly fast, flies slowly along its angle.
TVector MissileVelocity(const Game& g, const TRocket& r) {
    const auto& before = g.RocketSnapshots;
    if (before.Count > 0 && g.SnapshotGap > 0) {
        int nearest = 0;
        double best = DistanceSquared(r.SnapshotPosition, before[0]);
        for (int k = 1; k < before.Count; ++k) {
            const double d = DistanceSquared(r.SnapshotPosition, before[k]);
            if (d < best) {
                best = d;
                nearest = k;
            }
        }
        const TVector v = Scale(Sub(r.SnapshotPosition, before[nearest]), 1 / g.SnapshotGap);
        if (LengthSquared(v) < MaxMissileSpeed * MaxMissileSpeed) return v;
    }
    return Scale(FromAngle(r.Angle), NewMissileSpeed);
}

bool IsMissile(const TRocket& r) {
    return r.Kind == 1 || r.Kind == 2;
}

} // namespace

void CorrectFromStatus(Game& g, int32_t stamp) {
    g.GameTime = g.TickNow - g.ClockOffset;
    if (stamp == g.LastServerUpdate) return;
    g.SnapshotGap = (static_cast<int64_t>(stamp) - g.LastServerUpdate) * 0.001;
    if (g.SnapshotGap > 0) g.SendsPerSecond = RoundEven(1 / g.SnapshotGap);
    g.LastServerUpdate = stamp;

    // The clock: a status from the future, or one later than the round
    // trip explains, asks the host for the time.
    const int64_t now = g.GameTime;
    if (stamp > now) {
        g.TheUi.DebugLine("resync (up)");
        PingServer(g);
    } else if (stamp < now - g.LastPing - BehindSlackMs) {
        g.TheUi.DebugLine("resync (down)");
        PingServer(g);
    }

    // How far the status lies behind the present. A clock gone that far
    // wrong is being set right by the ping; meanwhile nothing is carried
    // on beyond the time the client keeps predicting anyway.
    const double late =
        std::clamp<double>(static_cast<double>(now - stamp), -ClientFreezeMs, ClientFreezeMs) *
        0.001;
    for (int i = 0; i < g.TankCount; ++i) {
        TTank& t = g.Tanks[i];
        if (t.Health > 0 && !t.Alive) {
            ComeBack(g, i);
        } else if (t.Health <= 0 && t.Alive) {
            SpawnExplosion(g, t.Position, sndSmallExplosion, true);
            Die(g, i);
        }
        Estimate(g, t);
        t.Position = Add(t.SnapshotPosition, Scale(t.Velocity, late));
        if (g.MapWidthPx > 0 && g.MapHeightPx > 0) {
            t.Position.x = std::clamp(t.Position.x, 0.0, static_cast<double>(g.MapWidthPx));
            t.Position.y = std::clamp(t.Position.y, 0.0, static_cast<double>(g.MapHeightPx));
        }
        t.Heading = NormalizeAngle(t.SnapshotHeading + t.Spin * late);
        RefreshWorldCorners(t);
    }

    for (int k = 0; k < g.Rockets.Count; ++k) {
        TRocket& r = g.Rockets[k];
        if (!IsMissile(r)) continue;
        r.Velocity = MissileVelocity(g, r);
        r.Position = Add(r.SnapshotPosition, Scale(r.Velocity, late));
    }
    g.RocketSnapshots.Clear();
    for (int k = 0; k < g.Rockets.Count; ++k)
        if (IsMissile(g.Rockets[k])) g.RocketSnapshots.Add(g.Rockets[k].SnapshotPosition);
    g.PrevSnapshotGap = g.SnapshotGap;
}

void PingServer(Game& g) {
    if (g.PingPending && g.TickNow - g.PingSentTick < PingPatienceMs) return;
    g.LastPing = 0;
    g.PingSentTick = g.TickNow;
    g.PingPending = true;
    g.Net.SendPing();
}

void StartJoinPing(Game& g) {
    g.PingSentTick = g.TickNow;
    g.PingPending = true;
}

void PingAnswered(Game& g, int32_t serverTime) {
    const int64_t roundTrip =
        std::max<int64_t>(0, static_cast<int64_t>(g.TickNow) - g.PingSentTick);
    ConsoleLine(g, "Ping = " + std::to_string(roundTrip));
    g.LastPing = static_cast<int32_t>(std::min<int64_t>(roundTrip, INT32_MAX));
    g.PingPending = false;
    // Halves toward zero, as the round trip's halves always were.
    const int64_t offset = static_cast<int64_t>(g.TickNow) - serverTime - roundTrip / 2;
    if (!FitsInt32(offset)) return;
    g.ClockOffset = static_cast<int32_t>(offset);
    g.TheUi.DebugLine("GST = " + std::to_string(g.ClockOffset));
}

void SetClockFromHost(Game& g, int32_t serverTime) {
    const int64_t offset = static_cast<int64_t>(g.TickNow) - serverTime;
    if (!FitsInt32(offset)) return;
    g.GameTime = serverTime;
    g.ClockOffset = static_cast<int32_t>(offset);
}

void ServerChanged(Game& g) {
    ConsoleLine(g, "SERVER CHANGED, WEAPON RESET");
    g.Bullets.Clear();
    g.Mines.Clear();
    g.Rockets.Clear();
    g.BfgBalls.Clear();
    g.RocketSnapshots.Clear();
    for (int i = 0; i < g.TankCount; ++i) {
        TTank& t = g.Tanks[i];
        t.Weapon = wpMachineGun;
        t.MinesLeft = 10;
        t.GuidedMissile = -1;
    }
}
