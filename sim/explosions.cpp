#include "sim/explosions.h"

#include <cmath>

#include "sim/sounds.h"

void SpawnExplosion(Game& g, TVector at, int kind, bool withSound) {
    // A bang nowhere is neither shown nor heard; with the pool full the
    // sound goes the way of the picture.
    if (!std::isfinite(at.x) || !std::isfinite(at.y)) return;
    TExplosion e;
    e.Kind = kind;
    e.StartTime = g.GameTime;
    e.Position = at;
    if (g.Explosions.Add(e) < 0) return;
    if (withSound && kind >= 0) PlaySoundAt(g, kind, at);
}
