// The simulation steps that have no module of their own yet. Each moves to
// its own file (movement, weapons, levels) as it grows real rules.
#include "core/steps.h"

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
