#include "sim/self_destruct.h"

#include "core/asset_names.h"
#include "sim/damage.h"
#include "sim/explosions.h"
#include "sim/sounds.h"

using namespace Vectors2D;

namespace {

constexpr int32_t FuseMs = 1200;
constexpr int32_t BeepMs = 400;
constexpr double BlastRadius = 200;
constexpr double BlastFalloff = 0.005; // per px: nothing left at the radius
constexpr double BlastDamage = 300;    // at the centre

void Blast(Game& g, int i, bool applyDamage) {
    TTank& t = g.Tanks[i];
    SpawnExplosion(g, t.Position, -1, false);
    t.SelfDestructArmed = false;
    if (!applyDamage) return;
    const TVector centre = t.Position;
    SelfDestructKill(g, i);
    for (int k = 0; k < g.TankCount; ++k) {
        if (k == i) continue;
        const double d = Distance(centre, g.Tanks[k].Position);
        if (d < BlastRadius) ApplyDamage(g, k, i, RoundEven((1 - BlastFalloff * d) * BlastDamage));
    }
}

} // namespace

void ArmSelfDestruct(Game& g, int i) {
    if (!IsTankIndex(g, i) || !g.LevelRunning) return;
    TTank& t = g.Tanks[i];
    if (t.SelfDestructArmed) return;
    t.SelfDestructArmed = true;
    t.SelfDestructTime = g.GameTime + FuseMs;
    t.SelfDestructBeep = g.GameTime + BeepMs;
    PlaySoundAt(g, sndSelfDestruct, t.Position);
}

void SelfDestructStep(Game& g, int i, bool applyDamage) {
    if (!IsTankIndex(g, i)) return;
    TTank& t = g.Tanks[i];
    if (!t.Alive || !t.SelfDestructArmed) return;
    if (t.SelfDestructTime < g.GameTime) {
        Blast(g, i, applyDamage);
    } else if (t.SelfDestructBeep < g.GameTime) {
        PlaySoundAt(g, sndSelfDestruct, t.Position);
        t.SelfDestructBeep = g.GameTime + BeepMs;
    }
}
