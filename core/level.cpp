#include "core/level.h"

#include "core/steps.h"

void StartLevel(Game& g) {
    g.Bullets.Clear();
    g.Bomblets.Clear();
    g.Rockets.Clear();
    g.BfgBalls.Clear();
    g.Mines.Clear();
    g.Explosions.Clear();
    g.Particles.Clear();
    g.GameTime = 0;
    g.LevelEndTime = 0;
    g.LastServerUpdate = -1000;
    g.LevelRunning = true;
    for (int i = 0; i < g.TankCount; ++i) {
        TTank& t = g.Tanks[i];
        t.Frags = 0;
        t.Deaths = 0;
        t.MinesLeft = 10;
        t.GuidedMissile = -1;
        RespawnTank(g, i);
    }
}
