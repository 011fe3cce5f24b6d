#include "sim/cows.h"

// Grazing, carrying and scoring come with the teams and cows.
void CowsAndBases(Game&) {}
void ClientCowStep(Game&) {}

void DropCarriedCows(Game& g, int i) {
    for (int t = 0; t < g.TeamCount; ++t) {
        TTeam& team = g.Teams[t];
        if (team.CowCarrier != i) continue;
        team.CowCarrier = -1;
        if (IsTankIndex(g, i)) team.CowPosition = g.Tanks[i].Position;
    }
}

void ResetCowMission(Game& g, int i) {
    TTank& t = g.Tanks[i];
    t.Mission = t.SavedMission = msFreelance;
    t.MissionTarget = t.SavedMissionTarget = -1;
    t.TargetTeam = DrawTargetTeam(g, i);
}

int DrawTargetTeam(Game& g, int i) {
    if (g.TeamCount <= 0) return -1;
    const int own = g.Tanks[i].TeamIndex;
    const int r = g.Rng.Int(g.TeamCount);
    for (int k = 0; k < g.TeamCount; ++k) {
        const int t = (r + k) % g.TeamCount;
        if (t != own) return t;
    }
    return -1;
}
