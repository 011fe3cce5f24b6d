#include "sim/damage.h"

#include <utility>

#include "core/asset_names.h"
#include "sim/bots.h"
#include "sim/cows.h"
#include "sim/explosions.h"
#include "sim/messages.h"
#include "sim/projectiles.h"
#include "sim/sounds.h"

namespace {

constexpr int32_t MultiKillWindowMs = 3000;
constexpr int MonsterKill = 5;
constexpr int FirstBotTaunt = 8;
constexpr int BotTaunts = 4;
// A self-destruct takes this much more than its vehicle's health.
constexpr double SelfDestructOverkill = 200;

bool IsTeam(const Game& g, int t) {
    return t >= 0 && t < g.TeamCount;
}

// Killer and victim on one side (team games only; a suicide is not this).
bool SameTeam(const Game& g, int victim, int killer) {
    return g.TeamGame && g.Tanks[victim].TeamIndex == g.Tanks[killer].TeamIndex;
}

// The killer's chain: a kill within MultiKillWindowMs of its last one
// lengthens it, up to a monsterkill, and is announced where the killer
// sits; a longer pause starts a new chain.
void CountMultiKill(Game& g, int killer) {
    TTank& k = g.Tanks[killer];
    if (g.GameTime < k.MultiKillDeadline) {
        ++k.MultiKillCount;
        if (k.MultiKillCount >= MonsterKill) {
            k.MultiKillCount = MonsterKill;
            ConsoleLineForAll(g, k.Name + " made a monsterkill!");
        }
        if (LocalSlotOf(g, killer) >= 0)
            MultiKillAnnouncement(g, killer, k.MultiKillCount);
        else if (TellsClients(g) && !k.IsBot && k.MultiKillCount > 1)
            g.Net.SendMultiKill(killer, k.MultiKillCount);
    } else {
        k.MultiKillCount = 1;
    }
    k.MultiKillDeadline = g.GameTime + MultiKillWindowMs;
}

// The killer's team gains a frag (loses one for killing its own, itself
// included); the victim's team counts a death. Without a killer only the
// death counts.
void UpdateTeamScore(Game& g, int victim, int killer) {
    if (!g.TeamGame) return;
    const int vt = g.Tanks[victim].TeamIndex;
    if (!IsTankIndex(g, killer)) {
        if (IsTeam(g, vt)) ++g.Teams[vt].TeamDeaths;
        return;
    }
    const int kt = g.Tanks[killer].TeamIndex;
    if (!IsTeam(g, vt) || !IsTeam(g, kt)) {
        g.TheUi.MessageBox("Invalid teamindex in updateteamscore");
        return;
    }
    g.Teams[kt].TeamFrags += vt == kt ? -1 : 1;
    ++g.Teams[vt].TeamDeaths;
}

// The armour cheat takes nine tenths off every hit on player 1 but the
// self-destruct's on itself.
void DealDamage(Game& g, int victim, int attacker, double amount, bool cheatArmour) {
    if (!IsTankIndex(g, victim) || !g.Tanks[victim].Alive) return;
    TTank& v = g.Tanks[victim];
    if (cheatArmour && victim == g.Player1 && (g.CheatFlags & cheatDamage)) amount *= 0.1;
    v.Health -= amount;
    if (v.Health > 0) return;

    // A mine laid before this machine took over as host may have no known
    // layer: the victim just dies, nobody scores.
    const bool killer = IsTankIndex(g, attacker);
    const bool ownSide = killer && (attacker == victim || SameTeam(g, victim, attacker));
    if (killer) {
        TTank& k = g.Tanks[attacker];
        if (ownSide) {
            --k.Frags;
        } else {
            if (g.LevelRunning) ++k.Frags;
            if (g.CreditsLevel) NewFormation(g);
            CountMultiKill(g, attacker);
        }
    }
    ++v.Deaths;
    if (killer) KillAnnouncement(g, victim, attacker);
    if (killer && !ownSide && g.Tanks[attacker].IsBot && g.Rng.Real() < g.TauntChance)
        SayTaunt(g, FirstBotTaunt + g.Rng.Int(BotTaunts), attacker);
    if (g.LevelRunning) {
        UpdateTeamScore(g, victim, attacker);
        UpdateRanking(g);
    }
    if (TellsClients(g)) g.SendStatusNow = true;
    Die(g, victim);
    SpawnExplosion(g, v.Position, sndExplosion, true);
}

} // namespace

void ApplyDamage(Game& g, int victim, int attacker, double amount) {
    DealDamage(g, victim, attacker, amount, true);
}

void SelfDestructKill(Game& g, int i) {
    if (!IsTankIndex(g, i)) return;
    DealDamage(g, i, i, g.Tanks[i].Health + SelfDestructOverkill, false);
}

void KillAnnouncement(Game& g, int victim, int killer) {
    // The host's kill event names vehicles by index: a client that does not
    // know one of them has nothing to say.
    if (!IsTankIndex(g, victim) || !IsTankIndex(g, killer)) return;
    if (TellsClients(g)) g.Net.SendKill(victim, killer);
    TTank& v = g.Tanks[victim];
    const std::string& killerName = g.Tanks[killer].Name;
    if (victim == killer) {
        ConsoleLine(g, v.Name + " commited suicide");
        PersonalMessage(g, "You killed yourself", victim);
        return;
    }
    if (SameTeam(g, victim, killer)) {
        PersonalMessage(g, "You killed " + v.Name + ", you traitor!", killer);
    } else {
        v.LastKiller = killer;
        v.LastKilledTime = g.GameTime;
        KillNotice(g, "You killed " + v.Name, killer);
    }
    ConsoleLine(g, killerName + " killed " + v.Name);
    PersonalMessage(g, "You were killed by " + killerName, victim);
}

void MultiKillAnnouncement(Game& g, int tank, int count) {
    if (g.ScreenSaverMode || count < 2 || count > MonsterKill) return;
    const int slot = LocalSlotOf(g, tank);
    if (slot < 0) return;
    // Double Kill .. Monster Kill follow each other in the sound list.
    const int sound = sndDoubleKill + count - 2;
    if (count > 2) g.Sound.Stop(sound - 1);
    g.Sound.SetPan(sound, g.SplitScreen ? (slot == 0 ? -g.SplitPan : g.SplitPan) : 0);
    g.Sound.Play(sound);
}

void Die(Game& g, int i) {
    if (!IsTankIndex(g, i)) return;
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
