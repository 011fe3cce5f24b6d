#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <set>

#include "cow_field.h"
#include "sim/bots.h"
#include "sim/controls.h"
#include "sim/cows.h"
#include "sim/movement.h"

using namespace Vectors2D;

namespace {

constexpr double Pi = std::numbers::pi;

const std::vector<std::string> OpenField = {
    "B..................B", "....................", "....................", "....................",
    "....................", "....................", "S..................S",
};

// A wall across the middle with a gap at the bottom.
const std::vector<std::string> WallWithGap = {
    "S.........#.........", "..........#.........", "..........#.........", "..........#.........",
    "..........#.........", "..........#.........", "....................",
};

bool NoControls(const TTank& t) {
    return t.Throttle == 0 && t.Steer == 0 && !t.Firing;
}

} // namespace

TEST(BotTargets, NearestEnemySkipsTheDeadTheBotAndItsTeam) {
    CowField f(Picture(OpenField), false);
    const int red = f.Team(1, -1), blue = f.Team(7, -1);
    const int bot = f.Put(red, {100, 100});
    const int mate = f.Put(red, {110, 100});
    const int far = f.Put(blue, {400, 100});
    const int tie = f.Put(blue, {100, 400}); // as far as far from (250, 250)
    const int dead = f.Put(blue, {120, 100});
    f.g.Tanks[dead].Alive = false;
    EXPECT_EQ(NearestEnemy(f.g, bot, {100, 100}), far);
    EXPECT_EQ(NearestEnemy(f.g, bot, {250, 250}), far);
    EXPECT_EQ(NearestEnemy(f.g, bot, {100, 390}), tie);
    // Without teams the mate is fair game.
    f.g.TeamGame = false;
    EXPECT_EQ(NearestEnemy(f.g, bot, {100, 100}), mate);
    EXPECT_EQ(NearestEnemy(f.g, 99, {0, 0}), -1);

    f.g.TeamGame = true;
    EXPECT_EQ(NearestEnemyBase(f.g, bot, {0, 0}), -1); // nobody has a base
    f.g.Teams[red].Base = 0;
    f.g.Teams[blue].Base = 1;
    EXPECT_EQ(NearestEnemyBase(f.g, bot, {0, 0}), blue);
}

TEST(Bots, AFreelanceBotWithNobodyToHuntStandsStill) {
    CowField f(Picture(OpenField), false);
    f.g.TeamGame = false;
    f.g.LevelRunning = true;
    const int bot = f.Put(-1, {300, 200});
    const int other = f.Put(-1, {500, 200});
    f.g.Tanks[other].Alive = false;
    f.g.Tanks[other].DeathTime = f.g.GameTime = 100000;
    f.g.Tanks[other].IsBot = false;
    TTank& b = f.g.Tanks[bot];
    b.Throttle = 1;
    b.Steer = -1;
    BotStep(f.g, bot);
    EXPECT_TRUE(NoControls(b));
    EXPECT_TRUE(b.BotIdle);
    EXPECT_EQ(b.BotTarget, -1);

    // Someone comes back: the bot goes for it and fires once it faces it.
    f.g.Tanks[other].Alive = true;
    BotStep(f.g, bot);
    EXPECT_EQ(b.BotTarget, other);
    EXPECT_EQ(b.Throttle, 1);
    EXPECT_EQ(b.Steer, 0);
    EXPECT_TRUE(b.Firing);
}

TEST(Bots, ADefenderChasesUpTo768PxFromItsBaseElseWaitsThere) {
    CowField f(Picture(OpenField));
    const int red = f.Team(1, 0), blue = f.Team(7, 1);
    f.g.LevelRunning = true;
    const TVector base = f.BaseCentreOf(0);
    const int bot = f.Put(red, Add(base, {100, -100}));
    const int enemy = f.Put(blue, Add(base, {700, 0}));
    TTank& b = f.g.Tanks[bot];
    b.Mission = b.SavedMission = msDefendBase;
    BotStep(f.g, bot);
    EXPECT_EQ(b.BotTarget, enemy);
    EXPECT_DOUBLE_EQ(b.Goal.x, base.x + 700);
    EXPECT_FALSE(b.BotIdle);

    f.g.Tanks[enemy].Position = Add(base, {800, 0});
    BotStep(f.g, bot);
    EXPECT_DOUBLE_EQ(b.Goal.x, base.x);
    // Within 256 px of the base already: it stops there.
    EXPECT_TRUE(b.BotIdle);
    EXPECT_EQ(b.Throttle, 0);
    b.Position = Add(base, {300, 0});
    BotStep(f.g, bot);
    EXPECT_FALSE(b.BotIdle);
    EXPECT_EQ(b.Throttle, -1); // the base is behind it
}

TEST(Bots, TwoBotsCoveringEachOtherGoBackToTheirSavedMissions) {
    CowField f(Picture(OpenField));
    const int red = f.Team(1, 0);
    f.Team(7, 1);
    f.g.LevelRunning = true;
    const int a = f.Put(red, {200, 200});
    const int b = f.Put(red, {300, 200});
    TTank& ta = f.g.Tanks[a];
    TTank& tb = f.g.Tanks[b];
    ta.Mission = msCoverMe;
    ta.MissionTarget = b;
    ta.SavedMission = msDefendBase;
    ta.SavedMissionTarget = -1;
    tb.Mission = msCoverMe;
    tb.MissionTarget = a;
    tb.SavedMission = msCaptureCow;
    tb.SavedMissionTarget = -1;
    BotStep(f.g, a);
    EXPECT_EQ(ta.Mission, msDefendBase);
    EXPECT_EQ(ta.MissionTarget, -1);
    // The other keeps covering a: nobody to give it back its own.
    EXPECT_EQ(tb.Mission, msCoverMe);
    // With its target gone, a cover order falls back too.
    tb.MissionTarget = 5;
    tb.SavedMissionTarget = a;
    ta.Mission = msCoverMe;
    ta.MissionTarget = b;
    ta.SavedMission = msCoverMe;
    ta.SavedMissionTarget = b;
    BotStep(f.g, b);
    EXPECT_EQ(tb.Mission, msCoverMe); // a bad target: idle, nothing changes
    EXPECT_TRUE(tb.BotIdle);
}

TEST(Bots, OnlyTheClusterBombFiresOverAWall) {
    CowField f(Picture(WallWithGap), false);
    f.g.TeamGame = false;
    f.g.LevelRunning = true;
    const TVector left = f.Centre(8, 2), right = f.Centre(12, 2);
    const int bot = f.Put(-1, left, 0);
    f.Put(-1, right, Pi);
    TTank& b = f.g.Tanks[bot];
    for (int w = 0; w <= 6; ++w) {
        b.Weapon = w;
        BotStep(f.g, bot);
        EXPECT_EQ(b.Firing, w == wpCluster) << "weapon " << w;
    }
}

TEST(Bots, ATeamMateInTheLineOfFireHoldsItUnlessAWallIsBetween) {
    CowField f(Picture(OpenField), false);
    const int red = f.Team(1, -1), blue = f.Team(7, -1);
    f.g.LevelRunning = true;
    const int bot = f.Put(red, {200, 200}, 0);
    f.Put(blue, {500, 200}, Pi);
    const int mate = f.Put(red, {350, 200}, Pi / 2);
    TTank& b = f.g.Tanks[bot];
    BotStep(f.g, bot);
    EXPECT_FALSE(b.Firing);
    // Aside, the way is clear.
    f.g.Tanks[mate].Position = {350, 300};
    RefreshWorldCorners(f.g.Tanks[mate]);
    BotStep(f.g, bot);
    EXPECT_TRUE(b.Firing);

    // A cluster bomb goes over the wall: a mate behind it is no matter, one
    // on this side is.
    CowField w(Picture(WallWithGap), false);
    const int r2 = w.Team(1, -1), b2 = w.Team(7, -1);
    w.g.LevelRunning = true;
    const int bot2 = w.Put(r2, w.Centre(8, 2), 0);
    w.Put(b2, w.Centre(13, 2), Pi);
    const int mate2 = w.Put(r2, w.Centre(11, 2), Pi / 2);
    TTank& c = w.g.Tanks[bot2];
    c.Weapon = wpCluster;
    BotStep(w.g, bot2);
    EXPECT_TRUE(c.Firing);
    w.g.Tanks[mate2].Position = w.Centre(9, 2);
    RefreshWorldCorners(w.g.Tanks[mate2]);
    BotStep(w.g, bot2);
    EXPECT_FALSE(c.Firing);
}

TEST(Bots, AHummerInReverseSteersTheOtherWay) {
    CowField f(Picture(OpenField), false);
    f.g.TeamGame = false;
    f.g.LevelRunning = true;
    const int fwd = f.Put(-1, {300, 150}, 0, sortHummer);
    const int back = f.Put(-1, {300, 350}, 0, sortHummer);
    f.g.Tanks[fwd].Velocity = {50, 0};
    f.g.Tanks[back].Velocity = {-50, 0};
    // Each hunts a target up and to the left of its nose (angle error +1).
    f.g.Tanks[fwd].Goal = f.g.Tanks[back].Goal = {};
    const int tf = f.Put(-1, Add(f.g.Tanks[fwd].Position, Scale(FromAngle(1.0), 200)));
    f.g.Tanks[fwd].BotTarget = tf;
    BotStep(f.g, fwd);
    EXPECT_EQ(f.g.Tanks[fwd].Steer, 1);
    f.g.Tanks[tf].Position = Add(f.g.Tanks[back].Position, Scale(FromAngle(1.0), 200));
    f.g.Tanks[back].BotTarget = tf;
    BotStep(f.g, back);
    EXPECT_EQ(f.g.Tanks[back].Steer, -1);
}

TEST(Bots, FindTheirWayRoundAWall) {
    CowField f(Picture(WallWithGap), false);
    f.g.TeamGame = false;
    f.g.LevelRunning = true;
    const int bot = f.Put(-1, f.Centre(8, 1), 0);
    TTank& b = f.g.Tanks[bot];
    const TVector goal = f.Centre(12, 1);
    PlanRoute(f.g, bot, goal);
    ASSERT_GT(b.RouteLength, 0);
    ASSERT_LE(b.RouteLength, MaxRouteWaypoints);
    // Each waypoint sees the next, and the last one is the goal's cell.
    TVector from = b.Position;
    for (int k = 0; k < b.RouteLength; ++k) {
        const TVector c = f.Centre(b.Route[k].X, b.Route[k].Y);
        EXPECT_FALSE(SegmentHitsWall(f.g, from, c).Hit) << "waypoint " << k;
        from = c;
    }
    EXPECT_EQ(b.Route[b.RouteLength - 1].X, 12);
    EXPECT_EQ(b.Route[b.RouteLength - 1].Y, 1);

    // Driven by its own controls, it gets there through the gap.
    const int target = f.Put(-1, goal, 0);
    f.g.Tanks[target].IsBot = false;
    f.g.Tanks[target].Health = 1e9;
    b.Weapon = wpMachineGun;
    double nearest = 1e9;
    for (int n = 0; n < 3000 && nearest > 160; ++n) {
        f.g.GameTime += 10;
        BotStep(f.g, bot);
        b.Firing = false;
        MoveVehicles(f.g);
        WallCollisions(f.g);
        nearest = std::min(nearest, Distance(b.Position, goal));
    }
    EXPECT_LE(nearest, 160);
}

TEST(Bots, MissionsAtLevelStart) {
    CowField f(Picture(OpenField));
    const int red = f.Team(1, 0), blue = f.Team(7, 1);
    for (const int t : {red, blue, red, red, blue})
        f.Put(t, {100, 100});
    SetBotMissions(f.g);
    const std::array<int, 5> expected = {msCaptureCow, msCaptureCow, msDefendBase, msCaptureCow,
                                         msDefendBase};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(f.g.Tanks[i].Mission, expected[i]) << i;
        EXPECT_EQ(f.g.Tanks[i].SavedMission, expected[i]) << i;
    }
    f.g.Tanks[4].TeamIndex = 2;
    SetBotMissions(f.g);
    ASSERT_EQ(f.rig.TheUi.Boxes.size(), 1u);
    EXPECT_EQ(f.rig.TheUi.Boxes[0], "Invalid teamindex found in setmissions: 2");

    f.g.CaptureTheCow = false;
    SetBotMissions(f.g);
    EXPECT_EQ(f.g.Tanks[0].Mission, msFreelance);
    f.g.CreditsLevel = true;
    SetBotMissions(f.g);
    EXPECT_EQ(f.g.Tanks[3].Mission, msSynchronized);
}

TEST(Bots, CowThievesNeverDrawTheGuidedMissile) {
    CowField f(Picture(OpenField));
    const int red = f.Team(1, 0);
    f.Team(7, 1);
    f.g.LevelRunning = true;
    const int bot = f.Put(red, {300, 200});
    TTank& b = f.g.Tanks[bot];
    b.VaryingWeapon = true;
    b.SavedMission = msCaptureCow;
    b.Mission = msDefendBase;
    std::array<int, 7> seen{};
    for (int n = 0; n < 300; ++n) {
        b.WeaponChangeTime = f.g.GameTime - 1;
        BotStep(f.g, bot);
        ++seen[b.Weapon];
        EXPECT_GT(b.WeaponChangeTime, f.g.GameTime - 1);
        EXPECT_LE(b.WeaponChangeTime, f.g.GameTime + 59999);
    }
    EXPECT_EQ(seen[wpGuided], 0);
    EXPECT_GT(seen[wpBfg], 0);
}

TEST(Bots, InTheCreditsShowNobodyFiresAndTheFormationHoldsForAnyCount) {
    CowField f(Picture(OpenField), false);
    f.g.TeamGame = false;
    f.g.CreditsLevel = true;
    f.g.LevelRunning = true;
    for (int i = 0; i < 6; ++i)
        f.Put(-1, {100.0 + 60 * i, 200}, 0);
    SetBotMissions(f.g);
    for (int n = 0; n < 200; ++n) {
        f.g.GameTime += 10;
        BotsDecide(f.g);
        for (int i = 0; i < f.g.TankCount; ++i)
            ASSERT_FALSE(f.g.Tanks[i].Firing);
        MoveVehicles(f.g);
        WallCollisions(f.g);
    }
    // The points go round the map's middle, evenly apart.
    f.g.GameTime = 0;
    const TVector p0 = FormationPoint(f.g, 0);
    EXPECT_DOUBLE_EQ(p0.x, 0.5 * f.g.MapWidthPx);
    EXPECT_DOUBLE_EQ(p0.y, 0.5 * f.g.MapHeightPx);
    EXPECT_DOUBLE_EQ(FormationPoint(f.g, 5).x, p0.x); // 5 gaps: once round

    std::set<std::pair<int, int>> drawn;
    for (int k = 0; k < 60; ++k) {
        NewFormation(f.g);
        ASSERT_GE(f.g.FormationPattern, 0);
        ASSERT_LE(f.g.FormationPattern, 2);
        ASSERT_TRUE(f.g.FormationDirection == 1 || f.g.FormationDirection == -1);
        drawn.insert({f.g.FormationPattern, f.g.FormationDirection});
    }
    EXPECT_EQ(drawn.size(), 6u);
    // One vehicle alone: no division by zero.
    while (f.g.TankCount > 1)
        RemoveTank(f.g, f.g.TankCount - 1);
    f.g.GameTime = 1234;
    for (int p = 0; p < 3; ++p) {
        f.g.FormationPattern = p;
        const TVector q = FormationPoint(f.g, 0);
        EXPECT_TRUE(std::isfinite(q.x) && std::isfinite(q.y));
    }
}

namespace {

// Two walled farmyards with a way out towards each other, like the shipped
// farm map in small: the bases lie inside, behind the walls.
const std::vector<std::string> TwoYards = {
    "....................", ".#####........#####.", ".#...#........#...#.", ".#.B..........B...#.",
    ".#...#........#...#.", ".#####........#####.", "....................",
};

void FetchAndScore(int sort) {
    CowField f(Picture(TwoYards));
    const int red = f.Team(1, f.BaseAt(3, 3)), blue = f.Team(7, f.BaseAt(14, 3));
    f.g.LevelRunning = true;
    const int thief = f.Put(red, f.BaseCentreOf(f.g.Teams[red].Base), 0, sort);
    TTank& t = f.g.Tanks[thief];
    t.Mission = t.SavedMission = msCaptureCow;
    t.TargetTeam = blue;
    t.Weapon = wpMachineGun;
    // Blue's defender is out of the game: it only shows the mission switches.
    const int guard = f.Put(blue, f.Centre(10, 6), 0);
    TTank& d = f.g.Tanks[guard];
    d.Mission = d.SavedMission = msDefendBase;
    d.Alive = false;
    d.DeathTime = 1 << 30;

    bool taken = false, guardRetrieved = false;
    for (int n = 0; n < 6000 && f.g.Teams[red].Cows == 0; ++n) {
        f.g.GameTime += f.g.DeltaMs;
        BotStep(f.g, thief);
        MoveVehicles(f.g);
        WallCollisions(f.g);
        CowsAndBases(f.g);
        taken = taken || f.g.Teams[blue].CowCarrier == thief;
        guardRetrieved = guardRetrieved || d.Mission == msRetrieveCow;
    }
    EXPECT_TRUE(taken);
    EXPECT_TRUE(guardRetrieved);
    EXPECT_EQ(f.g.Teams[red].Cows, 1) << "the thief ended at " << t.Position.x << ", "
                                      << t.Position.y << " on mission " << t.Mission;
    EXPECT_TRUE(f.g.Teams[blue].CowAtHome);
    EXPECT_EQ(t.Mission, msCaptureCow);
    EXPECT_EQ(d.Mission, msDefendBase);
}

} // namespace

// A thief driven by its own controls fetches the cow from the other yard,
// brings it home and scores; the robbed team's bots go after their cow
// while it is away and take up their own mission again once it is home.
TEST(Bots, ACowThiefFetchesTheCowFromAWalledYardAndScoresAtHome) {
    for (const int sort : {sortTank, sortHovercraft, sortHummer}) {
        SCOPED_TRACE(sort);
        FetchAndScore(sort);
    }
}

// A player under the autopilot on a client: the bots' brain presses its
// keys, and only changes reach the host, as key presses and releases do.
// On the host a player's autopilot tells the clients too; a bot tells nobody.
TEST(Autopilot, PressesAndReleasesKeysOnceAndFireBringsItBack) {
    CowField f(Picture(OpenField), false);
    Game& g = f.g;
    g.TeamGame = false;
    g.LevelRunning = true;
    g.NetworkGame = true;
    g.ClientMode = true;
    f.rig.Net.Host = false;
    g.GameTime = 10000;
    const int me = f.Put(-1, f.Centre(2, 3), 0);
    const int foe = f.Put(-1, f.Centre(6, 3), Pi);
    g.Tanks[me].IsBot = false;
    g.Player1 = me;
    g.Player1Autopilot = true;
    auto& sent = f.rig.Net.Events;
    const std::string pre = "control " + std::to_string(me) + " ";
    auto count = [&](const std::string& what) {
        return std::count(sent.begin(), sent.end(), pre + what);
    };

    TAutopilotKeys keys;
    AutopilotStep(g, me, keys);
    // A weapon drawn (never the guided missile), the enemy ahead shot at.
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent[0].rfind(pre, 0), 0u);
    EXPECT_NE(sent[0],
              pre + std::to_string(caSelectWeapon + static_cast<int>(wpGuided)) + " pressed");
    EXPECT_EQ(count("4 pressed"), 1);
    for (int k = 0; k < 5; ++k) {
        g.GameTime += 10;
        AutopilotStep(g, me, keys);
    }
    EXPECT_EQ(count("4 pressed"), 1) << "a held key is pressed once";
    g.Tanks[foe].Alive = false;
    AutopilotStep(g, me, keys);
    EXPECT_EQ(count("4 released"), 1);

    // Dead: nothing for the bots' three seconds, then fire once a second.
    g.Tanks[me].Alive = false;
    g.Tanks[me].DeathTime = g.GameTime;
    const size_t before = sent.size();
    const int32_t died = g.GameTime;
    while (g.GameTime < died + BotRespawnDelayMs) {
        AutopilotStep(g, me, keys);
        g.GameTime += 100;
    }
    for (size_t k = before; k < sent.size(); ++k)
        EXPECT_EQ(sent[k].find(" pressed"), std::string::npos) << sent[k];
    const size_t waited = sent.size();
    for (int k = 0; k < 25; ++k) {
        g.GameTime += 100;
        AutopilotStep(g, me, keys);
    }
    EXPECT_EQ(std::count(sent.begin() + static_cast<long>(waited), sent.end(), pre + "4 pressed"),
              3);

    // The host: a player's autopilot steers through messages, a bot does not.
    g.ClientMode = false;
    f.rig.Net.Host = true;
    g.Tanks[me].Alive = g.Tanks[foe].Alive = true;
    g.Tanks[foe].Position = f.Centre(2, 6);
    sent.clear();
    BotStep(g, me);
    EXPECT_GT(count("2 pressed") + count("3 pressed"), 0) << "it turns towards its foe";
    const size_t mine = sent.size();
    BotStep(g, foe);
    EXPECT_EQ(sent.size(), mine);
}
