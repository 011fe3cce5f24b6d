#include "sim/damage.h"

#include <utility>

#include "core/asset_names.h"
#include "sim/cows.h"
#include "sim/explosions.h"
#include "sim/sounds.h"

void ApplyDamage(Game& g, int victim, int attacker, double amount) {
    if (victim < 0 || victim >= g.TankCount || !g.Tanks[victim].Alive) return;
    TTank& v = g.Tanks[victim];
    if (victim == g.Player1 && (g.CheatFlags & cheatDamage)) amount *= 0.1;
    v.Health -= amount;
    if (v.Health > 0) return;
    // Frags, announcements and team scores come with the scoring rules.
    (void)attacker;
    ++v.Deaths;
    if (g.LevelRunning) UpdateRanking(g);
    if (g.NetworkGame) g.SendStatusNow = true;
    Die(g, victim);
    SpawnExplosion(g, v.Position, sndExplosion, true);
}

void Die(Game& g, int i) {
    if (i < 0 || i >= g.TankCount) return;
    TTank& t = g.Tanks[i];
    t.Alive = false;
    t.Health = 0;
    t.GuidedMissile = -1;
    t.DeathTime = g.GameTime;
    t.HornOn = false;
    if (g.CaptureTheCow) DropCarriedCows(g, i);
    StopEngineSound(g, i);
}

namespace {

// For a = 0 .. n-2, for q = a+1 .. n-1: swap when q is to go before a.
template <class Array, class Before> void ExchangeSort(Array& order, int n, Before before) {
    for (int a = 0; a < n - 1; ++a)
        for (int q = a + 1; q < n; ++q)
            if (before(order[q], order[a])) std::swap(order[a], order[q]);
}

} // namespace

void UpdateRanking(Game& g) {
    if (g.TeamGame) {
        const int n = g.TeamCount;
        for (int t = 0; t < n; ++t)
            g.TeamOrder[t] = t;
        ExchangeSort(g.TeamOrder, n, [&](int q, int p) {
            const TTeam& a = g.Teams[q];
            const TTeam& b = g.Teams[p];
            if (g.CaptureTheCow && a.Cows != b.Cows) return a.Cows > b.Cows;
            if (a.TeamFrags != b.TeamFrags) return a.TeamFrags > b.TeamFrags;
            return a.TeamDeaths < b.TeamDeaths;
        });
        for (int k = 0; k < n; ++k)
            g.Teams[g.TeamOrder[k]].TeamRank = k + 1;
    }
    const int n = g.TankCount;
    for (int i = 0; i < n; ++i)
        g.RankOrder[i] = i;
    ExchangeSort(g.RankOrder, n, [&](int q, int p) {
        if (g.TeamGame) {
            const TTeam* a = TeamOf(g, q);
            const TTeam* b = TeamOf(g, p);
            const int ra = a ? a->TeamRank : MaxTeams + 1;
            const int rb = b ? b->TeamRank : MaxTeams + 1;
            if (ra != rb) return ra < rb;
        }
        const TTank& a = g.Tanks[q];
        const TTank& b = g.Tanks[p];
        if (a.Frags != b.Frags) return a.Frags > b.Frags;
        return a.Deaths < b.Deaths;
    });
    for (int k = 0; k < n; ++k)
        g.Tanks[g.RankOrder[k]].Rank = k + 1;
}
