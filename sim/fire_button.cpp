#include "sim/fire_button.h"

#include "sim/respawn.h"

void PressFire(Game& g, int i) {
    if (!IsTankIndex(g, i)) return;
    if (!g.LevelRunning) {
        // The tick starts the level: it owns the map load.
        if (g.GameTime > g.LevelEndTime + FireNextLevelAfterMs) g.NextLevelRequested = true;
        return;
    }
    TTank& t = g.Tanks[i];
    if (t.Alive)
        t.Firing = true;
    else if (g.GameTime > t.DeathTime + FireRespawnAfterMs)
        RespawnTank(g, i);
}
