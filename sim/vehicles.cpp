#include "sim/vehicles.h"

#include <cmath>

#include "core/asset_names.h"
#include "sim/damage.h"
#include "sim/projectiles.h"
#include "sim/teams.h"

using namespace Vectors2D;

namespace {

struct TSortGeometry {
    double BodyPivot;
    double TurretPivot;
};

TSortGeometry GeometryOf(int sort) {
    switch (sort) {
    case sortHovercraft:
        return {0.5, 0.15};
    case sortHummer:
        return {0.5, 0.5};
    default:
        return {0.4, 0.25};
    }
}

int ValidSort(int sort) {
    return sort == sortHovercraft || sort == sortHummer ? sort : sortTank;
}

// A vehicle index after vehicle `removed` left the table.
void Reindex(int32_t& index, int removed) {
    if (index == removed)
        index = -1;
    else if (index > removed)
        --index;
}

// Drops `removed` from a list of vehicle indices and moves the rest along.
template <class Array> int RemoveFromList(Array& list, int first, int count, int removed) {
    int out = first;
    for (int k = first; k < first + count; ++k) {
        int32_t v = list[k];
        if (v == removed) continue;
        Reindex(v, removed);
        list[out++] = v;
    }
    return out - first;
}

// Everything the leaver had in flight goes with it, so that no later hit is
// credited to the vehicle that moves into its place.
void RemoveOwnedProjectiles(Game& g, int i) {
    for (int k = g.Bullets.Count - 1; k >= 0; --k)
        if (g.Bullets.Shooter[k] == i) g.Bullets.Remove(k);
    for (int k = g.Bomblets.Count - 1; k >= 0; --k)
        if (g.Bomblets[k].Owner == i) g.Bomblets.Remove(k);
    for (int k = g.Rockets.Count - 1; k >= 0; --k)
        if (g.Rockets[k].Owner == i) RemoveRocket(g, k);
    for (int k = g.BfgBalls.Count - 1; k >= 0; --k)
        if (g.BfgBalls[k].Owner == i) g.BfgBalls.Remove(k);
    for (int k = g.Mines.Count - 1; k >= 0; --k)
        if (g.Mines[k].Owner == i) g.Mines.Remove(k);
}

// The one place that knows every table holding a vehicle index.
void RepointVehicleIndices(Game& g, int i) {
    for (int k = 0; k < g.TankCount; ++k) {
        TTank& t = g.Tanks[k];
        Reindex(t.BotTarget, i);
        Reindex(t.MissionTarget, i);
        Reindex(t.SavedMissionTarget, i);
        Reindex(t.LastKiller, i);
    }
    for (TTeam& team : g.Teams)
        Reindex(team.CowCarrier, i);
    RemoveFromList(g.RankOrder, 0, g.TankCount + 1, i);
    for (int k = 0; k < g.TankCount; ++k)
        g.Tanks[g.RankOrder[k]].Rank = k + 1;
    for (TMateList& m : g.MateLists) {
        m.Count = RemoveFromList(m.Mates, 1, m.Count, i);
        if (m.OrderMate > m.Count) m.OrderStage = m.OrderMate = 0;
    }
    for (int k = 0; k < g.Console.Count; ++k)
        Reindex(g.Console.Lines[k].Owner, i);
    for (TPlayerLines& p : g.PlayerLines) {
        Reindex(p.KillNotice.Speaker, i);
        Reindex(p.Personal.Speaker, i);
        Reindex(p.Taunt.Speaker, i);
    }
    for (int k = 0; k < g.Bullets.Count; ++k)
        Reindex(g.Bullets.Shooter[k], i);
    for (int k = 0; k < g.Bomblets.Count; ++k)
        Reindex(g.Bomblets[k].Owner, i);
    for (int k = 0; k < g.Rockets.Count; ++k) {
        Reindex(g.Rockets[k].Owner, i);
        Reindex(g.Rockets[k].Target, i);
    }
    for (int k = 0; k < g.BfgBalls.Count; ++k) {
        TBfgBall& b = g.BfgBalls[k];
        Reindex(b.Owner, i);
        b.ZapLast = RemoveFromList(b.ZapTargets, 0, b.ZapLast + 1, i) - 1;
    }
    for (int k = 0; k < g.Mines.Count; ++k)
        Reindex(g.Mines[k].Owner, i);
    Reindex(g.Player1, i);
    Reindex(g.Player2, i);
    Reindex(g.LeftViewPlayer, i);
    Reindex(g.RightViewPlayer, i);
}

} // namespace

void InitTankGeometry(TTank& t, int sort, int mineHalfWidth) {
    sort = ValidSort(sort);
    t.Sort = sort;
    const TSortGeometry geo = GeometryOf(sort);
    const double L = SpriteList[sort].Width;     // body length
    const double W = SpriteList[sort].Height;    // body width
    const double T = SpriteList[sort + 1].Width; // turret length
    const double WT = SpriteList[sort + 1].Height;
    const double q = geo.BodyPivot;
    t.BodyPivot = q;
    t.TurretPivot = geo.TurretPivot;

    t.BodyCorners = {Make(L * (1 - q), W / 2), Make(-L * q, W / 2), Make(-L * q, -W / 2),
                     Make(L * (1 - q), -W / 2)};
    t.MainMuzzle = Make(T * (1 - t.TurretPivot), 0);
    switch (sort) {
    case sortHovercraft:
        t.TurretMount = Make(-10, -5);
        t.GunMuzzle = t.MainMuzzle;
        break;
    case sortHummer:
        t.TurretMount = Make(L * (0.5 - q) - 13, 0);
        // The Hummer's gun sits fixed at the front-right corner of the body.
        t.GunMuzzle = t.BodyCorners[3];
        t.MainMuzzle = t.GunMuzzle;
        break;
    default:
        t.TurretMount = Make(0, 0);
        t.GunMuzzle = Make(T * (0.5 - t.TurretPivot), WT / 4);
        break;
    }
    t.MineDrop = Make(-L * q - 1.1 * mineHalfWidth, 0);
    t.LaunchRail = Make(L / 4, 0.45 * W);
    t.RocketsLeft = sort == sortHummer ? 12 : 6;
    RefreshWorldCorners(t);
}

// Called several times a tick for every vehicle: one cosine and sine serve
// all five points.
void RefreshWorldCorners(TTank& t) {
    const double c = std::cos(t.Heading), s = std::sin(t.Heading);
    for (int k = 0; k < 4; ++k)
        t.WorldCorners[k] = Add(t.Position, Rotated(t.BodyCorners[k], c, s));
    t.TurretMountWorld = Add(t.Position, Rotated(t.TurretMount, c, s));
}

int AddTank(Game& g, int sort) {
    if (g.TankCount >= MaxTanks) return -1;
    const int i = g.TankCount;
    TTank& t = g.Tanks[i];
    t = TTank{};
    InitTankGeometry(t, sort, g.MineHalfWidth);
    t.Weapon = wpMachineGun;
    t.Frags = 0;
    t.Deaths = 0;
    t.MinesLeft = 10;
    t.TeamIndex = -1;
    t.LastKiller = -1;
    t.WeaponChangeTime = g.GameTime + g.Rng.Int(60000);
    // Its two tinted pictures sit at a fixed place per vehicle index.
    t.BodySprite = SpriteCount + 2 * i;
    t.TurretSprite = SpriteCount + 2 * i + 1;
    g.RankOrder[i] = i;
    ++g.TankCount;
    MarkAppearanceChanged(g, i);
    return i;
}

void RemoveTank(Game& g, int i) {
    if (!IsTankIndex(g, i)) return;
    if (g.Tanks[i].Alive) Die(g, i);
    g.Tanks[i].Alive = false;
    const int team = g.Tanks[i].TeamIndex;
    RemoveOwnedProjectiles(g, i);

    for (int k = i; k < g.TankCount - 1; ++k) {
        g.Tanks[k] = g.Tanks[k + 1];
        g.Tanks[k].BodySprite = SpriteCount + 2 * k;
        g.Tanks[k].TurretSprite = SpriteCount + 2 * k + 1;
    }
    --g.TankCount;
    g.Tanks[g.TankCount] = TTank{};
    RepointVehicleIndices(g, i);
    // The vehicles that moved down now use other picture slots.
    for (int k = i; k < g.TankCount; ++k)
        MarkAppearanceChanged(g, k);
    DropTeamIfEmpty(g, team);
}
