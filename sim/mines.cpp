#include "sim/mines.h"

#include "core/asset_names.h"
#include "core/terrain.h"
#include "sim/damage.h"
#include "sim/explosions.h"

using namespace Vectors2D;

namespace {

constexpr int32_t MineArmDelayMs = 250;
constexpr int32_t MineLifeMs = 60000; // from arming to going off by itself
constexpr double MinePush = 150;      // px/s, away from the mine
constexpr double MineDamage = 50;

bool IsHost(const Game& g) {
    return Broadcasts(g) && !g.ClientMode;
}

// The smallest id no mine in the pool has; with at most 256 mines one of
// 0..256 is always free.
int32_t FreeMineId(const Game& g) {
    for (int32_t id = 0;; ++id) {
        bool used = false;
        for (int k = 0; k < g.Mines.Count && !used; ++k)
            used = g.Mines[k].Id == id;
        if (!used) return id;
    }
}

// The mine lies on vehicle t: within its world box and, seen from the
// body, within the body's box, both grown by the mine's half width.
bool MineUnder(const TTank& t, TVector at, double m) {
    if (!InBox(at, BoundingBox(t.WorldCorners.data(), 3), m)) return false;
    const TVector local = Rotate(Sub(at, t.Position), -t.Heading);
    return InBox(local, BoundingBox(t.BodyCorners.data(), 3), m);
}

// The last vehicle in the table that the mine lies on, wrecks too; -1 none.
int VictimOf(const Game& g, TVector at) {
    int victim = -1;
    for (int i = 0; i < g.TankCount; ++i)
        if (MineUnder(g.Tanks[i], at, g.MineHalfWidth)) victim = i;
    return victim;
}

void Explode(Game& g, int k, int victim) {
    const TMine mine = g.Mines[k];
    if (victim >= 0) {
        TTank& v = g.Tanks[victim];
        v.Velocity = Add(v.Velocity, Scale(Normalize(Sub(v.Position, mine.Position)), MinePush));
        ApplyDamage(g, victim, mine.Owner, MineDamage);
    }
    if (IsHost(g)) g.Net.SendMineExploded(mine.Id);
    // A mine that came over the network before this machine took over as
    // host may have no owner to give it back to.
    if (mine.Owner >= 0 && mine.Owner < g.TankCount) g.Tanks[mine.Owner].MinesLeft += 1;
    SpawnExplosion(g, mine.Position, sndSmallExplosion, true);
    g.Mines.Remove(k);
}

} // namespace

void LayMine(Game& g, int i) {
    if (!IsTankIndex(g, i) || g.Mines.Full() || !g.LevelRunning) return;
    TTank& t = g.Tanks[i];
    if (!t.Alive || t.MinesLeft <= 0) return;
    TMine mine;
    mine.Owner = i;
    mine.Position = Add(Rotate(t.MineDrop, t.Heading), t.Position);
    const TCell cell = CellAt(g, mine.Position);
    mine.InWater = KindAt(g, cell.X, cell.Y) == tkWater;
    mine.ArmTime = g.GameTime + MineArmDelayMs;
    if (Broadcasts(g)) mine.Id = FreeMineId(g);
    const int k = g.Mines.Add(mine);
    t.MinesLeft -= 1;
    if (IsHost(g)) g.Net.SendMine(k);
}

void MineStep(Game& g) {
    if (!g.LevelRunning || g.ClientMode) return;
    int k = 0;
    while (k < g.Mines.Count) {
        const TMine& mine = g.Mines[k];
        if (mine.ArmTime >= g.GameTime) {
            ++k; // not armed yet
            continue;
        }
        if (mine.ArmTime + MineLifeMs < g.GameTime) {
            Explode(g, k, -1);
            continue; // the last mine moved into k
        }
        const int victim = VictimOf(g, mine.Position);
        if (victim < 0) {
            ++k;
            continue;
        }
        Explode(g, k, victim);
    }
}
