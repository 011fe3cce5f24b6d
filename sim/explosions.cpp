#include "sim/explosions.h"

#include "sim/sounds.h"

void SpawnExplosion(Game& g, TVector at, int kind, bool withSound) {
    TExplosion e;
    e.Kind = kind;
    e.StartTime = g.GameTime;
    e.Position = at;
    g.Explosions.Add(e);
    if (withSound && kind >= 0) PlaySoundAt(g, kind, at);
}
