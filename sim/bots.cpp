#include "sim/bots.h"

#include <cmath>
#include <numbers>
#include <string>

#include "core/terrain.h"
#include "sim/controls.h"
#include "sim/cows.h"
#include "sim/respawn.h"

using namespace Vectors2D;

namespace {

constexpr double Pi = std::numbers::pi;
// Defend the base: chase enemies up to 768 px from it, else go back and
// wait within 256 px of it.
constexpr double DefendReachSq = 589824;
constexpr double DefendWaitDistance = 256;
// Cover me: enemies within 400 px of the covered vehicle are chased.
constexpr double CoverReachSq = 160000;
constexpr double CoverLead = 400;
// Desired distance to an enemy that is being attacked.
constexpr double AttackDistance = 150;
constexpr double FormationDistance = 50;
// A bumped Hummer backs off (or drives on) this long.
constexpr int32_t BumpMs = 700;

// What the goal part of a bot's step decided.
struct TIntent {
    bool Idle = false;
    bool Attack = false;
    double Distance = 0; // wanted distance to the aim point
};

bool Alive(const Game& g, int i) {
    return IsTankIndex(g, i) && g.Tanks[i].Alive;
}

bool SameTeam(const Game& g, int a, int b) {
    return g.TeamGame && g.Tanks[a].TeamIndex == g.Tanks[b].TeamIndex;
}

bool Sees(const Game& g, TVector a, TVector b) {
    return !SegmentHitsWall(g, a, b).Hit;
}

bool ValidTeam(const Game& g, int t) {
    return t >= 0 && t < g.TeamCount;
}

void RestoreMission(TTank& t) {
    t.Mission = t.SavedMission;
    t.MissionTarget = t.SavedMissionTarget;
}

bool WantsToFire(const Game& g, int j) {
    const TTank& b = g.Tanks[j];
    if (b.Mission == msSynchronized) return false;
    bool firing = false;
    for (int k = 0; k < g.TankCount && !firing; ++k) {
        if (k == j || !g.Tanks[k].Alive || SameTeam(g, j, k)) continue;
        const TVector to = g.Tanks[k].Position;
        if (DistanceSquared(b.Position, to) >= BotFireRange * BotFireRange) continue;
        if (std::fabs(NormalizeAngle(AngleOf(Sub(to, b.Position)) - b.Heading)) >= BotFireCone)
            continue;
        // Cluster bombs fly over walls.
        firing = b.Weapon == wpCluster || Sees(g, b.Position, to);
    }
    if (!firing || !g.TeamGame) return firing;
    // Never through a team-mate in the line of fire.
    const TVector q = Add(b.Position, Scale(FromAngle(b.Heading), BotFireRange));
    for (int k = 0; k < g.TankCount; ++k) {
        const TTank& m = g.Tanks[k];
        if (k == j || !m.Alive || !SameTeam(g, j, k)) continue;
        const auto& c = m.WorldCorners;
        const bool crosses =
            SegmentsCross(b.Position, q, c[0], c[2]) || SegmentsCross(b.Position, q, c[1], c[3]);
        if (crosses && Sees(g, b.Position, m.Position)) return false;
    }
    return true;
}

void ChangeWeapon(Game& g, TTank& b) {
    if (!b.VaryingWeapon || b.WeaponChangeTime >= g.GameTime) return;
    // A guided missile needs a hand on it: no use to a cow thief.
    const bool capturing = b.Mission == msCaptureCow || b.SavedMission == msCaptureCow;
    int w = g.Rng.Int(7);
    while (w == wpGuided && capturing)
        w = g.Rng.Int(7);
    b.Weapon = w;
    b.WeaponChangeTime = g.GameTime + g.Rng.Int(60000);
}

TIntent DefendBase(Game& g, int j) {
    TTank& b = g.Tanks[j];
    TVector base;
    if (!BaseCentre(g, b.TeamIndex, base)) return {true};
    b.BotTarget = NearestEnemy(g, j, base);
    if (b.BotTarget < 0) return {true};
    const TVector enemy = g.Tanks[b.BotTarget].Position;
    if (DistanceSquared(enemy, base) > DefendReachSq) {
        b.Goal = base;
        const bool there =
            DistanceSquared(b.Position, base) < DefendWaitDistance * DefendWaitDistance;
        return {there, false, DefendWaitDistance};
    }
    b.Goal = enemy;
    return {false, true, AttackDistance};
}

TIntent CaptureCow(Game& g, int j) {
    TTank& b = g.Tanks[j];
    if (!ValidTeam(g, b.TargetTeam) || b.TargetTeam == b.TeamIndex)
        b.TargetTeam = DrawTargetTeam(g, j);
    if (!ValidTeam(g, b.TargetTeam)) return {true};
    const TTeam& target = g.Teams[b.TargetTeam];
    if (target.CowCarrier == j) {
        TVector home;
        if (!BaseCentre(g, b.TeamIndex, home)) return {true};
        b.Goal = home;
        return {false, false, 0};
    }
    const int carrier = target.CowCarrier;
    // A team-mate has it already: see it home, from the next tick on.
    if (IsTankIndex(g, carrier) && carrier != j && SameTeam(g, j, carrier)) {
        b.MissionTarget = carrier;
        b.Mission = msCoverMe;
    }
    b.Goal = target.CowPosition;
    return {false, carrier >= 0, 0};
}

TIntent CoverMe(Game& g, int j) {
    TTank& b = g.Tanks[j];
    const int c = b.MissionTarget;
    if (!g.TeamGame || !IsTankIndex(g, c) || c == j) return {true};
    TTank& covered = g.Tanks[c];
    // Two covering each other would circle for ever: both go back to
    // what they were doing.
    if (covered.Mission == msCoverMe && covered.MissionTarget == j) {
        RestoreMission(b);
        if (IsTankIndex(g, b.MissionTarget)) RestoreMission(g.Tanks[b.MissionTarget]);
    }
    if (covered.Alive) {
        b.BotTarget = NearestEnemy(g, j, covered.Position);
        if (b.BotTarget < 0 ||
            DistanceSquared(g.Tanks[b.BotTarget].Position, covered.Position) >= CoverReachSq) {
            b.Goal = Add(covered.Position, Scale(FromAngle(covered.Heading), CoverLead));
            return {false, false, CoverLead};
        }
        b.Goal = g.Tanks[b.BotTarget].Position;
        return {false, true, AttackDistance};
    }
    if (b.SavedMission != msCoverMe) {
        RestoreMission(b);
    } else {
        b.TargetTeam = NearestEnemyBase(g, j, b.Position);
        b.Mission = msCaptureCow;
    }
    return {false, true, AttackDistance};
}

TIntent Freelance(Game& g, int j) {
    TTank& b = g.Tanks[j];
    if (!Alive(g, b.BotTarget)) b.BotTarget = -1;
    if (b.BotTarget < 0 ||
        DistanceSquared(b.Position, g.Tanks[b.BotTarget].Position) > BotFireRange * BotFireRange)
        Retarget(g, j);
    if (b.BotTarget < 0) return {true};
    b.Goal = g.Tanks[b.BotTarget].Position;
    return {false, true, AttackDistance};
}

TIntent RetrieveCow(Game& g, int j) {
    TTank& b = g.Tanks[j];
    if (!ValidTeam(g, b.TeamIndex) || g.Teams[b.TeamIndex].CowAtHome) return {true};
    const TTeam& own = g.Teams[b.TeamIndex];
    b.BotTarget = IsTankIndex(g, own.CowCarrier) ? own.CowCarrier : -1;
    if (b.BotTarget < 0) {
        b.Goal = own.CowPosition;
        return {false, false, 0};
    }
    b.Goal = g.Tanks[b.BotTarget].Position;
    return {false, true, AttackDistance};
}

TIntent ChooseGoal(Game& g, int j) {
    TTank& b = g.Tanks[j];
    switch (b.Mission) {
    case msDefendBase:
        return DefendBase(g, j);
    case msCaptureCow:
        return CaptureCow(g, j);
    case msCoverMe:
        return CoverMe(g, j);
    case msFreelance:
        return Freelance(g, j);
    case msRetrieveCow:
        return RetrieveCow(g, j);
    case msSynchronized:
        b.BotTarget = -1;
        b.Goal = FormationPoint(g, j);
        return {false, false, FormationDistance};
    default:
        return {true};
    }
}

bool InCell(const Game& g, TVector p, TCell c) {
    const TCell at = CellAt(g, p);
    return at.X == c.X && at.Y == c.Y;
}

void DropFirstWaypoint(TTank& b) {
    for (int k = 1; k < b.RouteLength; ++k)
        b.Route[k - 1] = b.Route[k];
    --b.RouteLength;
}

// The point to drive at now: the goal itself when nothing is in the way,
// else the next waypoint of the route round the walls.
TVector AimPoint(Game& g, int j, TIntent& in) {
    TTank& b = g.Tanks[j];
    if (Sees(g, b.Position, b.Goal)) {
        b.RouteLength = 0;
        return b.Goal;
    }
    auto centre = [&](int k) { return CellCentre(g, b.Route[k].X, b.Route[k].Y); };
    if (b.RouteLength <= 0 || !Sees(g, centre(b.RouteLength - 1), b.Goal) ||
        !Sees(g, b.Position, centre(0)))
        PlanRoute(g, j, b.Goal);
    if (b.RouteLength <= 0) return b.Goal;
    if (InCell(g, b.Position, b.Route[0]) || (b.RouteLength > 1 && Sees(g, b.Position, centre(1))))
        DropFirstWaypoint(b);
    if (b.RouteLength <= 0) return b.Goal;
    in.Distance = 0;
    in.Attack = false;
    return centre(0);
}

void Drive(Game& g, int j, TVector aim, const TIntent& in, int& steer, int& throttle) {
    TTank& b = g.Tanks[j];
    const TVector to = Sub(aim, b.Position);
    const double d = Length(to);
    const double e = NormalizeAngle(AngleOf(to) - b.Heading);
    const bool ahead = std::fabs(e) < Pi / 4;
    const double forward = Dot(b.Velocity, FromAngle(b.Heading));
    const bool hover = b.Sort == sortHovercraft;
    // A hovercraft slides: aim the nose so that the slide ends at the point.
    double o = 0;
    if (hover && !in.Attack && ahead && forward > 0)
        o = NormalizeAngle(2 * AngleOf(to) - AngleOf(b.Velocity) - b.Heading);

    if (std::fabs(e) < Pi / 2) {
        if (d > in.Distance || throttle == 0)
            throttle = 1;
        else if (d < in.Distance / 3)
            throttle = -1;
    } else {
        throttle = -1;
    }

    if (std::fabs(e) <= 0.16 &&
        (in.Attack || (std::fabs(e) <= 0.03 && (!hover || std::fabs(o) <= 0.03)))) {
        steer = 0;
    } else {
        double s = e;
        // A Hummer steers like a car: the other way round in reverse.
        if (b.Sort == sortHummer)
            s = e * forward;
        else if (hover && std::fabs(o) > 0.03)
            s = o;
        steer = Sign(s);
    }

    if (b.BumpSide != 0) {
        throttle = b.BumpSide;
        if (b.BumpTime < g.GameTime - BumpMs) b.BumpSide = 0;
    }

    // Whiskers: a wall just ahead on one side turns the bot away from it.
    if (throttle == 1 && ahead) {
        const double l = Length(b.Velocity) * 0.5 + 38.4;
        const auto& c = b.WorldCorners;
        const bool left =
            SegmentHitsWall(g, c[1], Add(c[0], Scale(FromAngle(b.Heading + 0.1), l))).Hit;
        const bool right =
            SegmentHitsWall(g, c[2], Add(c[3], Scale(FromAngle(b.Heading - 0.1), l))).Hit;
        if (left && !right) steer = -1;
        if (right && !left) steer = 1;
    }
}

// Only changes are passed on, through the same control actions a player's
// keys give.
// (A bot's go no further than this machine; a player's under the autopilot
// reach the other machines as its keys would.)
void PassOnControls(Game& g, int j, int oldSteer, int oldThrottle, bool oldFiring, int steer,
                    int throttle, bool firing) {
    TTank& b = g.Tanks[j];
    b.Steer = oldSteer;
    b.Throttle = oldThrottle;
    b.Firing = oldFiring;
    if (firing != oldFiring) ControlInput(g, j, caFire, firing);
    if (steer != oldSteer) {
        if (steer == -1)
            ControlInput(g, j, caRight, true);
        else if (steer == 1)
            ControlInput(g, j, caLeft, true);
        else
            ControlInput(g, j, oldSteer == -1 ? caRight : caLeft, false);
    }
    if (throttle != oldThrottle) {
        if (throttle == -1)
            ControlInput(g, j, caBrake, true);
        else if (throttle == 1)
            ControlInput(g, j, caForward, true);
        else
            ControlInput(g, j, oldThrottle == -1 ? caBrake : caForward, false);
    }
}

// The autopilot's weapons: anything but the guided missile, which wants a
// hand on it.
int AutopilotWeapon(Game& g) {
    int w = g.Rng.Int(7);
    while (w == wpGuided)
        w = g.Rng.Int(7);
    return w;
}

} // namespace

bool BotDriven(const Game& g, int i) {
    return IsTankIndex(g, i) && (g.Tanks[i].IsBot || (i == g.Player1 && g.Player1Autopilot));
}

void BotsDecide(Game& g) {
    for (int j = 0; j < g.TankCount; ++j)
        if (BotDriven(g, j)) BotStep(g, j);
}

void BotStep(Game& g, int j) {
    if (!IsTankIndex(g, j)) return;
    TTank& b = g.Tanks[j];
    if (!b.Alive) {
        if (b.DeathTime + BotRespawnDelayMs >= g.GameTime) return;
        RespawnTank(g, j);
    }
    ChangeWeapon(g, b);

    const int oldSteer = b.Steer, oldThrottle = b.Throttle;
    const bool oldFiring = b.Firing;
    const bool firing = WantsToFire(g, j);
    TIntent in = ChooseGoal(g, j);
    int steer = 0, throttle = 0;
    b.BotIdle = in.Idle;
    if (!in.Idle) {
        throttle = oldThrottle;
        const TVector aim = AimPoint(g, j, in);
        Drive(g, j, aim, in, steer, throttle);
    }
    PassOnControls(g, j, oldSteer, oldThrottle, oldFiring, steer, throttle, firing);
}

void AutopilotStep(Game& g, int j, TAutopilotKeys& keys) {
    if (!IsTankIndex(g, j)) return;
    TTank& b = g.Tanks[j];
    int steer = 0, throttle = 0;
    bool firing = false;
    if (!b.Alive) {
        // Fire brings a dead player back, once the bots' wait is over; a
        // press a second until the host has done it.
        if (keys.Fire) ControlInput(g, j, caFire, false);
        keys.Fire = false;
        if (b.DeathTime + BotRespawnDelayMs < g.GameTime &&
            g.GameTime - keys.RespawnPressTime >= 1000) {
            keys.RespawnPressTime = g.GameTime;
            ControlInput(g, j, caFire, true);
            ControlInput(g, j, caFire, false);
        }
    } else {
        if (keys.WeaponChangeTime < g.GameTime) {
            keys.WeaponChangeTime = g.GameTime + 20000 + g.Rng.Int(40000);
            ControlInput(g, j, caSelectWeapon + AutopilotWeapon(g), true);
        }
        firing = WantsToFire(g, j);
        TIntent in = ChooseGoal(g, j);
        b.BotIdle = in.Idle;
        if (!in.Idle) {
            throttle = keys.Throttle;
            const TVector aim = AimPoint(g, j, in);
            Drive(g, j, aim, in, steer, throttle);
        }
    }
    if (firing != keys.Fire) ControlInput(g, j, caFire, firing);
    if (steer != keys.Steer) {
        if (keys.Steer != 0) ControlInput(g, j, keys.Steer == -1 ? caRight : caLeft, false);
        if (steer != 0) ControlInput(g, j, steer == -1 ? caRight : caLeft, true);
    }
    if (throttle != keys.Throttle) {
        if (keys.Throttle != 0)
            ControlInput(g, j, keys.Throttle == -1 ? caBrake : caForward, false);
        if (throttle != 0) ControlInput(g, j, throttle == -1 ? caBrake : caForward, true);
    }
    keys.Fire = firing;
    keys.Steer = steer;
    keys.Throttle = throttle;
}

void SetBotMissions(Game& g) {
    if (g.CreditsLevel) {
        for (int i = 0; i < g.TankCount; ++i)
            g.Tanks[i].Mission = g.Tanks[i].SavedMission = msSynchronized;
        return;
    }
    if (!g.CaptureTheCow) {
        for (int i = 0; i < g.TankCount; ++i)
            g.Tanks[i].Mission = g.Tanks[i].SavedMission = msFreelance;
        return;
    }
    // Every other member of a team goes for a cow; the rest guard the base.
    std::array<int, MaxTeams> members{};
    for (int i = 0; i < g.TankCount; ++i) {
        TTank& t = g.Tanks[i];
        if (!ValidTeam(g, t.TeamIndex)) {
            g.TheUi.MessageBox("Invalid teamindex found in setmissions: " +
                               std::to_string(t.TeamIndex));
            t.Mission = t.SavedMission = msFreelance;
            continue;
        }
        t.SavedMission = members[t.TeamIndex]++ % 2 == 0 ? msCaptureCow : msDefendBase;
        t.Mission = t.SavedMission;
        t.MissionTarget = t.SavedMissionTarget;
    }
}

int NearestEnemy(const Game& g, int bot, TVector point) {
    if (!IsTankIndex(g, bot)) return -1;
    int best = -1;
    double bestSq = 0;
    for (int k = 0; k < g.TankCount; ++k) {
        if (k == bot || !g.Tanks[k].Alive || SameTeam(g, bot, k)) continue;
        const double sq = DistanceSquared(g.Tanks[k].Position, point);
        if (best < 0 || sq < bestSq) {
            best = k;
            bestSq = sq;
        }
    }
    return best;
}

int NearestEnemyBase(const Game& g, int bot, TVector point) {
    if (!IsTankIndex(g, bot)) return -1;
    int best = -1;
    double bestSq = 0;
    for (int t = 0; t < g.TeamCount; ++t) {
        TVector centre;
        if (t == g.Tanks[bot].TeamIndex || !BaseCentre(g, t, centre)) continue;
        const double sq = DistanceSquared(centre, point);
        if (best < 0 || sq < bestSq) {
            best = t;
            bestSq = sq;
        }
    }
    return best;
}

void Retarget(Game& g, int bot) {
    if (!IsTankIndex(g, bot)) return;
    TTank& b = g.Tanks[bot];
    b.BotTarget = NearestEnemy(g, bot, b.Position);
    b.RouteLength = 0;
}

TVector FormationPoint(const Game& g, int j) {
    // One vehicle alone would divide by zero: it gets the whole circle.
    const int gaps = g.TankCount > 1 ? g.TankCount - 1 : 1;
    const double rate = g.FormationPattern == 2 ? 0.0004 : 1.0 / 3000;
    const double c = g.GameTime * rate * g.FormationDirection + 2 * Pi / gaps * j;
    double fx, fy;
    switch (g.FormationPattern) {
    case 1:
        fx = 0.5 + 0.3 * std::sin(2 * c);
        fy = 0.5 + 0.4 * std::sin(c);
        break;
    case 2:
        fx = 0.5 + 0.4 * std::cos(c);
        fy = 0.5 + 0.4 * std::sin(c);
        break;
    default:
        fx = 0.5 + 0.4 * std::sin(c);
        fy = 0.5 + 0.3 * std::sin(2 * c);
        break;
    }
    return Make(fx * g.MapWidthPx, fy * g.MapHeightPx);
}

void NewFormation(Game& g) {
    g.FormationPattern = g.Rng.Int(3);
    g.FormationDirection = g.Rng.Int(2) == 0 ? 1 : -1;
}
