#include "match/level.h"

#include <algorithm>
#include <cctype>

#include "core/asset_names.h"
#include "sim/bots.h"
#include "sim/damage.h"
#include "sim/messages.h"
#include "sim/respawn.h"
#include "sim/teams.h"
#include "world/maps.h"

namespace {

std::string UpperCase(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

void ClearPools(Game& g) {
    g.Mines.Clear();
    g.Rockets.Clear();
    g.Bullets.Clear();
    g.Bomblets.Clear();
    g.BfgBalls.Clear();
    g.Explosions.Clear();
    g.Particles.Clear();
}

} // namespace

bool StartLevel(Game& g, int32_t nowMs, std::string& error) {
    // A recording's map came with it; a file of the same name here may differ.
    const bool carried = g.Replaying && g.MapWidth > 0;
    if (carried) g.MapReceived = true;
    const bool loaded = carried || LoadMap(g, g.Start.SelectedLevel, error);
    // Without any map there is nothing to play on.
    if (!loaded && g.MapWidth <= 0) return false;

    g.LevelRunning = true;
    g.NextLevelRequested = false;
    g.Paused = false;
    g.TheUi.SetCaption("Moorclash");
    ClearPools(g);
    g.Sound.Stop(sndHorn);
    g.HornPlaying = false;
    for (TPlayerLines& p : g.PlayerLines)
        p.Clear();
    g.MateLists[0].Count = 0;
    if (!g.ClientMode) g.GameTime = 0;
    g.LastTick = nowMs;
    // What the level's start sends is stamped with its own time.
    g.TickNow = std::max(g.TickNow, nowMs);
    g.LastServerUpdate = -1000;
    g.LastStatusSend = nowMs - 1000;
    // Keys held over from the last level press nothing in this one until
    // they go down again.
    g.KeyHeld.fill(false);

    // Teams beyond the map's bases go; the clients then need the new list.
    const int teamsBefore = g.TeamCount;
    if (g.TeamGame && !g.ClientMode) TeamsAtLevelStart(g);
    if (g.TeamGame) ResetTeamScores(g);
    SetBotMissions(g);
    if (g.CaptureTheCow) RebuildMateLists(g);
    for (int i = 0; i < g.TankCount; ++i) {
        TTank& t = g.Tanks[i];
        if (t.IsBot)
            t.WeaponChangeTime = g.Rng.Int(60000);
        else
            t.Weapon = wpMachineGun;
        if (!g.ClientMode) RespawnTank(g, i);
        t.Frags = 0;
        t.Deaths = 0;
        t.MultiKillDeadline = g.GameTime - 1;
        t.MinesLeft = 10;
        t.LastKiller = -1;
        t.GunSounding = false;
        t.NextFireTime = 0;
    }
    UpdateRanking(g);
    if (Broadcasts(g) && !g.ClientMode) {
        g.Net.SendGameSetup();
        if (g.TeamGame && g.UseBases) g.Net.SendBaseList();
        if (teamsBefore > g.TeamCount) g.Net.SendTankList();
        g.SendStatusNow = false;
    }
    return loaded;
}

void StartNextLevel(Game& g, int32_t nowMs) {
    std::string error;
    if (!StartLevel(g, nowMs, error)) g.TheUi.MessageBox(error);
}

int32_t LeadingScore(const Game& g) {
    if (g.TeamGame) {
        if (g.TeamCount <= 0) return 0;
        const TTeam& lead = g.Teams[g.TeamOrder[0]];
        return g.CaptureTheCow ? lead.Cows : lead.TeamFrags;
    }
    return g.TankCount > 0 ? g.Tanks[g.RankOrder[0]].Frags : 0;
}

void WinnerCheck(Game& g) {
    g.LevelRunning = LeadingScore(g) < g.FragLimit;
    if (g.LevelRunning) return;
    if (!g.ClientMode) {
        if (!g.TeamGame && g.TankCount > 0) {
            const std::string line = UpperCase(g.Tanks[g.RankOrder[0]].Name) + " IS THE WINNER";
            ConsoleLineForAll(g, line);
            for (int v = 0; v < std::min(2, static_cast<int>(g.TankCount)); ++v)
                PersonalMessage(g, line, v);
        } else if (g.TeamGame && g.TeamCount > 0) {
            ConsoleLineForAll(g, "TEAM " + UpperCase(g.Teams[g.TeamOrder[0]].TeamName) +
                                     " ARE THE WINNERS");
        }
    }
    g.LevelEndTime = g.GameTime;
    if (g.Start.CycleLevelsBox && !g.CreditsLevel) CycleLevel(g.Start);
    for (int i = 0; i < g.TankCount; ++i)
        g.Tanks[i].GunSounding = false;
}

void CycleLevel(TStartChoices& st) {
    const std::vector<std::string>& list = st.LevelList;
    if (list.empty()) return;
    const auto at = std::find(list.begin(), list.end(), st.SelectedLevel);
    size_t next = at == list.end() ? 0 : static_cast<size_t>(at - list.begin() + 1) % list.size();
    // The credits are a show, not a level to play on: skip them once.
    if (list[next] == CreditsLevelName) next = (next + 1) % list.size();
    st.SelectedLevel = list[next];
}

void HostChange(Game& g, int32_t nowMs) {
    g.LastTick = nowMs;
    g.LastServerUpdate = -1000;
    g.LastStatusSend = nowMs - 1000;
    SetBotMissions(g);
    for (int i = 0; i < g.TankCount; ++i) {
        TTank& t = g.Tanks[i];
        if (t.IsBot) {
            t.VaryingWeapon = true;
            t.Weapon = g.Rng.Int(7);
            t.WeaponChangeTime = g.Rng.Int(60000);
        }
        t.MultiKillDeadline = g.GameTime - 1;
        t.NextFireTime = g.GameTime;
    }
    g.LocalPlayerId = static_cast<int32_t>(g.Net.LocalPlayerId());
    g.ServerPlayerId = g.Net.LocalPlayerId();
    for (const int p : {g.Player1, g.Player2})
        if (p >= 0 && p < g.TankCount && !g.Tanks[p].IsBot) g.Tanks[p].PlayerId = g.LocalPlayerId;
    UpdateRanking(g);
    g.SendStatusNow = true;
}
