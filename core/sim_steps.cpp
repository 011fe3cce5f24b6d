// The simulation steps that have no module of their own yet. Each moves to
// its own file (movement, weapons, levels) as it grows real rules.
#include "core/steps.h"

#include <numbers>

#include "core/setup.h"
#include "core/terrain.h"

void RemoveSpentBullets(Game& g) {
    for (int k = g.Bullets.Count - 1; k >= 0; --k)
        if (g.Bullets[k].Spent) g.Bullets.Remove(k);
}

void RespawnDueTanks(Game& g) {
    for (int i = 0; i < g.TankCount; ++i) {
        const TTank& t = g.Tanks[i];
        if (!t.Alive && t.DeathTime + 6000 < g.GameTime) RespawnTank(g, i);
    }
}

void RespawnTank(Game& g, int i) {
    TTank& t = g.Tanks[i];
    t.Alive = true;
    t.Health = t.Sort == sortTank ? g.ArmourTank : g.ArmourLight;
    t.BotTarget = -1;
    t.TurretPreset = 0;
    t.TurretAngle = 0;
    t.Velocity = {};
    t.Spin = 0;
    if (g.SpawnCount > 0) {
        const TCell c = g.SpawnPoints[g.Rng.Int(g.SpawnCount)];
        t.Position = CellCentre(g, c.X, c.Y);
    }
    t.Heading = NormalizeAngle((g.Rng.Int(8) - 3) * std::numbers::pi / 4);
    t.PrevPosition = t.Position;
    RefreshWorldCorners(t);
}

void MoveVehicles(Game&) {}
void WallCollisions(Game&) {}
void PredictVehicles(Game&) {}
void MoveProjectiles(Game&, bool) {}
void BulletHits(Game&) {}
void MineStep(Game&) {}
void SelfDestructStep(Game&, int, bool) {}
void FireStep(Game&, int) {}
void WinnerCheck(Game&) {}
void SoundUpdate(Game&) {}
