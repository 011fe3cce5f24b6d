#include "sim/projectiles.h"

void RemoveSpentBullets(Game& g) {
    for (int k = g.Bullets.Count - 1; k >= 0; --k)
        if (g.Bullets[k].Spent) g.Bullets.Remove(k);
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

// The flight paths and the hit tests come with the weapons.
void FlyProjectiles(Game&) {}
void ProjectileHits(Game&) {}
void BulletHits(Game&) {}
