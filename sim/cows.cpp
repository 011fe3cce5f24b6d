#include "sim/cows.h"

#include <cctype>
#include <cmath>
#include <numbers>

#include "core/asset_names.h"
#include "core/terrain.h"
#include "sim/damage.h"
#include "sim/messages.h"
#include "sim/sounds.h"

using namespace Vectors2D;

namespace {

constexpr double TwoPi = 2 * std::numbers::pi;
// A dropped cow is moved out of a wall along a spiral: this many rings of
// 32 px at most, so a map that is all wall round it cannot hang the tick.
constexpr int MaxDropRings = 32;
// A walking cow boxed in on every side stays where it is rather than
// drawing headings for ever.
constexpr int MaxHeadingDraws = 64;

std::string UpperCase(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool DrivenByBotLogic(const Game& g, int i) {
    return g.Tanks[i].IsBot || (i == g.Player1 && g.Player1Autopilot);
}

void RestoreMission(TTank& t) {
    t.Mission = t.SavedMission;
    t.MissionTarget = t.SavedMissionTarget;
}

bool IsWallCell(const Game& g, TVector p) {
    const TCell c = CellAt(g, p);
    return KindAt(g, c.X, c.Y) == tkWall;
}

void Moo(Game& g, const TTeam& team) {
    PlaySoundAt(g, sndMoo, team.CowPosition);
}

// Every vehicle of team b hears it on its own line.
void TellTeam(Game& g, int b, const std::string& text) {
    for (int i = 0; i < g.TankCount; ++i) {
        if (g.Tanks[i].TeamIndex != b) continue;
        // A bot has no line to read it on.
        if (g.Tanks[i].IsBot)
            PersonalMessage(g, text, i);
        else
            PersonalMessageForAll(g, text, i);
    }
}

void ScoreCow(Game& g, int b) {
    ++g.Teams[b].Cows;
    UpdateRanking(g);
    if (Broadcasts(g)) g.Net.SendScore();
}

void GrazeAtHome(Game& g, TTeam& team, int t) {
    TVector centre;
    // A team without a base has nowhere to graze: its cow stands still.
    if (!BaseCentre(g, t, centre)) return;
    const double a = g.GameTime / 5000.0, b = g.GameTime / 3270.0;
    team.CowPosition =
        Add(centre, Make(CowGrazeRadius * std::sin(a), CowGrazeRadius * std::sin(b)));
    team.CowHeading = AngleOf(Make(std::cos(a), std::cos(b)));
}

void WalkInTheField(Game& g, TTeam& team) {
    for (int k = 0; k < MaxHeadingDraws; ++k) {
        const TVector ahead =
            Add(team.CowPosition, Scale(FromAngle(team.CowHeading), CowLookAhead));
        if (!SegmentHitsWall(g, team.CowPosition, ahead).Hit) {
            team.CowPosition =
                Add(team.CowPosition, Scale(FromAngle(team.CowHeading), CowWalkSpeed * g.DeltaSec));
            return;
        }
        team.CowHeading = g.Rng.Real() * TwoPi;
    }
}

void BehindCarrier(const Game& g, TTeam& team) {
    const TTank& c = g.Tanks[team.CowCarrier];
    team.CowPosition = Add(c.Position, Scale(FromAngle(c.Heading), c.BodyCorners[1].x));
    team.CowHeading = c.Heading + std::numbers::pi / 2;
}

// Along a widening spiral until the cow stands on open ground.
void OutOfWalls(Game& g, TTeam& team) {
    const TVector p = team.CowPosition;
    int w = 1;
    double a = 0;
    while (IsWallCell(g, team.CowPosition)) {
        if (w > MaxDropRings) {
            team.CowPosition = p;
            return;
        }
        team.CowPosition = Add(p, Scale(FromAngle(a), 32.0 * w));
        a += 12.59778654089507 / w;
        if (a >= TwoPi) {
            a = 0;
            ++w;
        }
    }
}

// The carrier of team t's cow is gone: the cow falls where it is.
void Drop(Game& g, int t) {
    TTeam& team = g.Teams[t];
    const int c = team.CowCarrier;
    team.CowCarrier = -1;
    if (!IsTankIndex(g, c)) return;
    TTank& carrier = g.Tanks[c];
    RestoreMission(carrier);
    Moo(g, team);
    bool applied = false;
    for (int b = 0; b < g.TeamCount && !applied; ++b) {
        if (!OnBaseOf(g, b, team.CowPosition)) continue;
        if (b == t) {
            ConsoleLineForAll(g, carrier.Name + " dropped team " + team.TeamName +
                                     "'s cow at it's base");
            applied = true;
        } else if (g.Teams[b].CowAtHome) {
            ConsoleLineForAll(g, carrier.Name + " dropped team " + team.TeamName +
                                     "'s cow at team " + g.Teams[b].TeamName + "'s base");
            TellTeam(g, b, carrier.Name + " gave you a cow");
            ScoreCow(g, b);
            applied = true;
        }
    }
    team.CowAtHome = applied;
    if (!applied) ConsoleLineForAll(g, carrier.Name + " dropped team " + team.TeamName + "'s cow");
    OutOfWalls(g, team);
}

void Touch(Game& g, int t) {
    TTeam& team = g.Teams[t];
    for (int i = 0; i < g.TankCount && team.CowCarrier < 0; ++i) {
        TTank& v = g.Tanks[i];
        if (!v.Alive) continue;
        if (v.TeamIndex == t && team.CowAtHome) continue;
        if (DistanceSquared(v.Position, team.CowPosition) >= CowTouchDistance * CowTouchDistance)
            continue;
        if (v.TeamIndex == t) {
            team.CowAtHome = true;
            Moo(g, team);
            ConsoleLineForAll(g, v.Name + " returned team " + team.TeamName + "'s cow");
            continue;
        }
        bool carrying = false;
        for (int o = 0; o < g.TeamCount; ++o)
            carrying = carrying || g.Teams[o].CowCarrier == i;
        if (carrying) continue;
        team.CowCarrier = i;
        team.CowAtHome = false;
        v.TargetTeam = t;
        v.Mission = msCaptureCow;
        Moo(g, team);
        ConsoleLineForAll(g, UpperCase(v.Name + " captured team " + team.TeamName + "'s cow!"));
    }
}

void Arrive(Game& g, int t) {
    TTeam& team = g.Teams[t];
    const int c = team.CowCarrier;
    for (int b = 0; b < g.TeamCount; ++b) {
        if (b == t && c < 0 && OnBaseOf(g, t, team.CowPosition)) {
            Moo(g, team);
            ConsoleLineForAll(g, "Team " + team.TeamName + "'s cow retunred to base by itself");
            team.CowAtHome = true;
            return;
        }
        const bool carriersTeam = c >= 0 && g.Tanks[c].TeamIndex == b;
        if (!g.Teams[b].CowAtHome || !(c < 0 || carriersTeam) || !OnBaseOf(g, b, team.CowPosition))
            continue;
        Moo(g, team);
        if (c < 0) {
            ConsoleLineForAll(g, UpperCase("Team " + team.TeamName + "'s cow walked to team " +
                                           g.Teams[b].TeamName + "'s base by itself!!!"));
            TellTeam(g, b, "Team " + team.TeamName + "'s cow walked to your base");
        } else {
            ConsoleLineForAll(
                g, UpperCase(g.Tanks[c].Name + " scored with team " + team.TeamName + "'s cow!!!"));
            TellTeam(g, b, "Your team scored with team " + team.TeamName + "'s cow!");
            RestoreMission(g.Tanks[c]);
            for (int k = 0; k < g.TankCount; ++k) {
                TTank& mate = g.Tanks[k];
                if (mate.Alive && mate.TeamIndex == b && mate.Mission == msCoverMe &&
                    mate.MissionTarget == c)
                    RestoreMission(mate);
            }
        }
        ScoreCow(g, b);
        team.CowAtHome = true;
        team.CowCarrier = -1;
        return;
    }
}

// The robbed team's bots go after their cow; when it is back they return
// to what they were doing.
void SwitchMissions(Game& g, int t, bool wasHome) {
    TTeam& team = g.Teams[t];
    if (wasHome == team.CowAtHome) return;
    for (int i = 0; i < g.TankCount; ++i) {
        TTank& v = g.Tanks[i];
        if (v.TeamIndex != t || !DrivenByBotLogic(g, i)) continue;
        if (wasHome) {
            const bool carriesTarget = v.TargetTeam >= 0 && v.TargetTeam < g.TeamCount &&
                                       g.Teams[v.TargetTeam].CowCarrier == i;
            // A bot that set out to capture keeps at it.
            if (v.Mission == msCaptureCow &&
                (v.SavedMission == msCaptureCow || v.TargetTeam < 0 || carriesTarget))
                continue;
            v.Mission = msRetrieveCow;
        } else if (v.Mission == msRetrieveCow) {
            RestoreMission(v);
        }
    }
    if (wasHome) team.CowLeftTime = g.GameTime;
}

} // namespace

bool BaseCentre(const Game& g, int t, TVector& centre) {
    if (t < 0 || t >= g.TeamCount) return false;
    const int b = g.Teams[t].Base;
    if (b < 0 || b >= g.BaseCount || b >= MaxBases) return false;
    centre = CellCentre(g, g.Bases[b].X, g.Bases[b].Y);
    return true;
}

bool OnBaseOf(const Game& g, int t, TVector p) {
    if (t < 0 || t >= g.TeamCount) return false;
    const int b = g.Teams[t].Base;
    if (b < 0 || b >= g.BaseCount || b >= MaxBases) return false;
    const TCell c = CellAt(g, p);
    return c.X == g.Bases[b].X && c.Y == g.Bases[b].Y;
}

void CowsAndBases(Game& g) {
    for (int t = 0; t < g.TeamCount; ++t) {
        TTeam& team = g.Teams[t];
        const bool wasHome = team.CowAtHome;
        if (team.CowCarrier >= 0 && !IsTankIndex(g, team.CowCarrier)) team.CowCarrier = -1;
        if (team.CowCarrier < 0) {
            if (team.CowAtHome)
                GrazeAtHome(g, team, t);
            else
                WalkInTheField(g, team);
            Touch(g, t);
        } else if (g.Tanks[team.CowCarrier].Alive) {
            BehindCarrier(g, team);
        } else {
            Drop(g, t);
        }
        if (!team.CowAtHome) Arrive(g, t);
        SwitchMissions(g, t, wasHome);
    }
}

void ClientCowStep(Game& g) {
    for (int t = 0; t < g.TeamCount; ++t) {
        TTeam& team = g.Teams[t];
        if (team.CowCarrier < 0) {
            if (team.CowAtHome) GrazeAtHome(g, team, t);
        } else if (IsTankIndex(g, team.CowCarrier)) {
            BehindCarrier(g, team);
        }
    }
}

void CowAlarms(Game& g) {
    for (int t = 0; t < g.TeamCount; ++t) {
        TTeam& team = g.Teams[t];
        if (team.CowAtHome || team.CowLeftTime >= g.GameTime) continue;
        TVector centre;
        if (BaseCentre(g, t, centre)) PlaySoundAt(g, sndAlarm, centre);
        team.CowLeftTime += CowAlarmGapMs;
    }
}

void DropCarriedCows(Game& g, int i) {
    for (int t = 0; t < g.TeamCount; ++t) {
        TTeam& team = g.Teams[t];
        if (team.CowCarrier != i) continue;
        // A client shows the cow where the host says it is.
        if (g.ClientMode || !IsTankIndex(g, i)) {
            team.CowCarrier = -1;
            continue;
        }
        // It falls where the carrier was hit, not where it was a tick ago.
        BehindCarrier(g, team);
        const bool wasHome = team.CowAtHome;
        Drop(g, t);
        if (!team.CowAtHome) Arrive(g, t);
        SwitchMissions(g, t, wasHome);
    }
}

void ResetCowMission(Game& g, int i) {
    TTank& t = g.Tanks[i];
    t.Mission = t.SavedMission = msFreelance;
    t.MissionTarget = t.SavedMissionTarget = -1;
    t.TargetTeam = DrawTargetTeam(g, i);
}

int DrawTargetTeam(Game& g, int i) {
    if (g.TeamCount <= 0 || !IsTankIndex(g, i)) return -1;
    const int own = g.Tanks[i].TeamIndex;
    const int r = g.Rng.Int(g.TeamCount);
    for (int k = 0; k < g.TeamCount; ++k) {
        const int t = (r + k) % g.TeamCount;
        if (t != own) return t;
    }
    return -1;
}
