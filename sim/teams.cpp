#include "sim/teams.h"

#include "core/colours.h"

int FindTeamByColour(const Game& g, int colour) {
    for (int t = 0; t < g.TeamCount; ++t)
        if (g.Teams[t].Colour == colour) return t;
    return -1;
}

void PutIntoTeam(Game& g, int i, int t) {
    if (!IsTankIndex(g, i) || t < 0 || t >= g.TeamCount) return;
    TTank& v = g.Tanks[i];
    v.TeamIndex = t;
    v.BodyColour = TeamRgb(g.Teams[t].Colour);
    MarkAppearanceChanged(g, i);
}

int SmallestTeam(Game& g) {
    if (g.TeamCount <= 0) return -1;
    std::array<int, MaxTeams> members{};
    for (int i = 0; i < g.TankCount; ++i) {
        const int t = g.Tanks[i].TeamIndex;
        if (t >= 0 && t < g.TeamCount) ++members[t];
    }
    const int r = g.Rng.Int(g.TeamCount);
    int best = r;
    for (int k = 1; k < g.TeamCount; ++k) {
        const int t = (r + k) % g.TeamCount;
        if (members[t] < members[best]) best = t;
    }
    return best;
}

void JoinByColour(Game& g, int i, int colour) {
    int t = FindTeamByColour(g, colour);
    if (t < 0 && g.UseBases && g.TeamCount >= g.BaseCount && !g.ClientMode) t = SmallestTeam(g);
    if (t < 0) t = CreateTeam(g, colour);
    // Twelve colours in play: the twelfth plays with the last team.
    if (t < 0) t = g.TeamCount - 1;
    PutIntoTeam(g, i, t);
}

void ChangeColour(Game& g, int i, int colour) {
    if (!IsTankIndex(g, i)) return;
    const int old = g.Tanks[i].TeamIndex;
    JoinByColour(g, i, colour);
    if (old != g.Tanks[i].TeamIndex) DropTeamIfEmpty(g, old);
}

void DropTeamIfEmpty(Game& g, int t) {
    if (!g.TeamGame || t < 0 || t >= g.TeamCount) return;
    for (int i = 0; i < g.TankCount; ++i)
        if (g.Tanks[i].TeamIndex == t) return;
    RemoveTeam(g, t);
}

int CreateTeam(Game& g, int colour) {
    if (g.TeamCount >= MaxTeams) return -1;
    const int t = g.TeamCount++;
    TTeam& team = g.Teams[t];
    team = TTeam{};
    team.TeamName = ColourName(colour);
    team.Colour = colour;
    if (!g.LevelRunning || g.ClientMode) return t;
    if (g.UseBases && g.BaseCount >= g.TeamCount) {
        // Probe r, r + 1, r + 3, r + 6, ... for a base nobody holds.
        int b = g.Rng.Int(g.BaseCount);
        for (int k = 0; k < g.BaseCount; ++k) {
            b = (b + k) % g.BaseCount;
            bool taken = false;
            for (int o = 0; o < t; ++o)
                taken = taken || g.Teams[o].Base == b;
            if (!taken) {
                team.Base = b;
                break;
            }
        }
    } else {
        for (int o = 0; o < g.TeamCount; ++o)
            g.Teams[o].Base = -1;
    }
    return t;
}

void RemoveTeam(Game& g, int t) {
    if (t < 0 || t >= g.TeamCount) return;
    for (int k = t; k < g.TeamCount - 1; ++k)
        g.Teams[k] = g.Teams[k + 1];
    --g.TeamCount;
    g.Teams[g.TeamCount] = TTeam{};
    std::array<bool, MaxTanks> orphan{};
    for (int i = 0; i < g.TankCount; ++i) {
        TTank& v = g.Tanks[i];
        if (v.TeamIndex == t) {
            v.TeamIndex = -1;
            orphan[i] = true;
        } else if (v.TeamIndex > t) {
            --v.TeamIndex;
        }
    }
    for (int i = 0; i < g.TankCount; ++i)
        if (orphan[i]) PutIntoTeam(g, i, SmallestTeam(g));
    for (int i = 0; i < g.TankCount; ++i)
        if (g.Tanks[i].TeamIndex > g.TeamCount - 1) g.TheUi.MessageBox("teamindex error");
}

void RebuildMateLists(Game& g) {
    const int players[2] = {g.Player1, g.SplitScreen ? g.Player2 : -1};
    for (int p = 0; p < 2; ++p) {
        TMateList& list = g.MateLists[p];
        list.Count = 0;
        const int me = players[p];
        if (!IsTankIndex(g, me)) continue;
        for (int j = 0; j < g.TankCount; ++j)
            if (j != me && g.Tanks[j].TeamIndex == g.Tanks[me].TeamIndex)
                list.Mates[++list.Count] = j;
    }
}

void TeamsAtLevelStart(Game& g) {
    if ((g.CaptureTheCow || g.UseBases) && g.BaseCount < g.TeamCount)
        for (int t = g.TeamCount - 1; t >= g.BaseCount && t >= 0; --t)
            RemoveTeam(g, t);
    for (int i = 0; i < g.TankCount; ++i) {
        const int t = g.Tanks[i].TeamIndex;
        if (t < 0 || t >= g.TeamCount) JoinByColour(g, i, NamedColour(g.Tanks[i].BodyColour));
    }
    if (g.UseBases && g.BaseCount >= g.TeamCount && g.BaseCount > 0) {
        const int r = g.Rng.Int(g.BaseCount);
        for (int t = 0; t < g.TeamCount; ++t)
            g.Teams[t].Base = (r + t) % g.BaseCount;
    } else {
        for (int t = 0; t < g.TeamCount; ++t)
            g.Teams[t].Base = -1;
    }
}

void ResetTeamScores(Game& g) {
    for (TTeam& team : g.Teams) {
        team.TeamFrags = team.TeamDeaths = 0;
        if (g.CaptureTheCow) {
            team.Cows = 0;
            team.CowAtHome = true;
            team.CowCarrier = -1;
        }
    }
}

std::vector<TBaseListEntry> HostBaseList(const Game& g) {
    std::vector<TBaseListEntry> list;
    for (int t = 0; t < g.TeamCount && t < MaxTeams; ++t)
        list.push_back({g.Teams[t].Colour, g.Teams[t].Base});
    return list;
}

void ApplyReceivedBaseList(Game& g, const std::vector<TBaseListEntry>& list) {
    if (g.BaseCount < g.TeamCount) {
        for (int t = 0; t < g.TeamCount; ++t)
            g.Teams[t].Base = -1;
        return;
    }
    for (int t = 0; t < g.TeamCount; ++t)
        g.Teams[t].Base = 0;
    const size_t n = list.size() < MaxTeams ? list.size() : MaxTeams;
    for (size_t k = 0; k < n; ++k) {
        const int t = FindTeamByColour(g, list[k].Colour);
        const int b = list[k].Base;
        if (t < 0 || b < -1 || b >= g.BaseCount) continue;
        g.Teams[t].Base = b;
    }
}
