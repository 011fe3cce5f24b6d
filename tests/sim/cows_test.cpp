#include <gtest/gtest.h>

#include <cmath>

#include "core/asset_names.h"
#include "cow_field.h"
#include "sim/cows.h"
#include "sim/damage.h"

using namespace Vectors2D;

namespace {

// Three bases on open ground: B0 left, B1 right, B2 top middle.
const std::vector<std::string> ThreeBases = {
    ".....B......", "............", ".B........B.", "............", "S..........S",
};

struct ThreeTeams : CowField {
    int red, blue, lime;
    ThreeTeams() : CowField(Picture(ThreeBases)) {
        red = Team(1, BaseAt(1, 2));
        blue = Team(7, BaseAt(10, 2));
        lime = Team(5, BaseAt(5, 0));
        g.LevelRunning = true;
    }
    TVector Base(int t) { return BaseCentreOf(g.Teams[t].Base); }
    void Step(int ticks = 1) {
        for (int n = 0; n < ticks; ++n) {
            g.GameTime += g.DeltaMs;
            CowsAndBases(g);
        }
    }
};

} // namespace

TEST(Cows, GrazeRoundTheirBaseCentre) {
    ThreeTeams f;
    f.Step(0);
    CowsAndBases(f.g);
    for (int t = 0; t < 3; ++t) {
        EXPECT_DOUBLE_EQ(f.g.Teams[t].CowPosition.x, f.Base(t).x);
        EXPECT_DOUBLE_EQ(f.g.Teams[t].CowPosition.y, f.Base(t).y);
    }
    for (int n = 0; n < 100; ++n) {
        f.Step(37);
        EXPECT_LE(Distance(f.g.Teams[0].CowPosition, f.Base(0)), CowGrazeRadius * std::sqrt(2.0));
        EXPECT_TRUE(f.g.Teams[0].CowAtHome);
    }
    // A team without a base: its cow stands where it is.
    f.g.Teams[2].Base = -1;
    f.g.Teams[2].CowPosition = {1, 2};
    f.Step(5);
    EXPECT_DOUBLE_EQ(f.g.Teams[2].CowPosition.x, 1);
}

TEST(Cows, TheFirstEnemyInTheTableTakesTheCowAndCarriesItBehind) {
    ThreeTeams f;
    CowsAndBases(f.g);
    const TVector cow = f.g.Teams[f.red].CowPosition;
    const int mate = f.Put(f.red, Add(cow, {5, 0}));
    const int first = f.Put(f.blue, Add(cow, {0, 30}));
    const int second = f.Put(f.lime, Add(cow, {10, 0}));
    f.Step();
    const TTeam& red = f.g.Teams[f.red];
    EXPECT_EQ(red.CowCarrier, first);
    EXPECT_FALSE(red.CowAtHome);
    EXPECT_EQ(f.g.Tanks[first].Mission, msCaptureCow);
    EXPECT_EQ(f.g.Tanks[first].TargetTeam, f.red);
    EXPECT_TRUE(f.Said("V1 CAPTURED TEAM RED'S COW!"));
    // The robbed team's bots go after it.
    EXPECT_EQ(f.g.Tanks[mate].Mission, msRetrieveCow);
    EXPECT_EQ(f.g.Teams[f.red].CowLeftTime, f.g.GameTime);
    (void)second;

    // Carried at the rear of the carrier, turned across it.
    TTank& c = f.g.Tanks[first];
    c.Position = {400, 150};
    c.Heading = 0.5;
    RefreshWorldCorners(c);
    f.Step();
    const TVector expected = Add(c.Position, Scale(FromAngle(0.5), c.BodyCorners[1].x));
    EXPECT_NEAR(red.CowPosition.x, expected.x, 1e-9);
    EXPECT_NEAR(red.CowPosition.y, expected.y, 1e-9);
    EXPECT_NEAR(red.CowHeading, 0.5 + std::numbers::pi / 2, 1e-12);
}

TEST(Cows, ACarrierTakesNoSecondCowButReturnsItsOwnFromTheField) {
    ThreeTeams f;
    CowsAndBases(f.g);
    const int thief = f.Put(f.blue, f.g.Teams[f.red].CowPosition);
    f.Step();
    ASSERT_EQ(f.g.Teams[f.red].CowCarrier, thief);
    // Blue's own cow lies in the field; lime's grazes at home.
    f.g.Teams[f.blue].CowAtHome = false;
    f.g.Teams[f.blue].CowPosition = {400, 100};
    TTank& t = f.g.Tanks[thief];
    t.Position = f.g.Teams[f.lime].CowPosition;
    f.Step();
    EXPECT_EQ(f.g.Teams[f.lime].CowCarrier, -1);
    EXPECT_TRUE(f.g.Teams[f.lime].CowAtHome);
    t.Position = f.g.Teams[f.blue].CowPosition;
    f.Step();
    EXPECT_TRUE(f.g.Teams[f.blue].CowAtHome);
    EXPECT_TRUE(f.Said("V0 returned team Blue's cow"));
    EXPECT_EQ(f.g.Teams[f.red].CowCarrier, thief);
}

TEST(Cows, ACarrierScoresOnlyWhileItsOwnCowIsHome) {
    ThreeTeams f;
    CowsAndBases(f.g);
    const int thief = f.Put(f.blue, f.g.Teams[f.red].CowPosition);
    const int cover = f.Put(f.blue, {600, 250});
    f.g.Tanks[thief].SavedMission = msDefendBase;
    f.Step();
    ASSERT_EQ(f.g.Teams[f.red].CowCarrier, thief);
    TTank& cv = f.g.Tanks[cover];
    cv.Mission = msCoverMe;
    cv.MissionTarget = thief;
    cv.SavedMission = msFreelance;

    // Blue's own cow is away: on its own base the carrier does not score.
    f.g.Teams[f.blue].CowAtHome = false;
    f.g.Teams[f.blue].CowPosition = {64 * 6 + 10, 64 * 3 + 10};
    TTank& t = f.g.Tanks[thief];
    t.Position = f.Base(f.blue);
    f.Step(3);
    EXPECT_EQ(f.g.Teams[f.blue].Cows, 0);
    EXPECT_EQ(f.g.Teams[f.red].CowCarrier, thief);
    EXPECT_TRUE(f.CowOnBase(f.red, f.blue));

    // Home again: the next step scores.
    f.g.Teams[f.blue].CowAtHome = true;
    f.Step();
    EXPECT_EQ(f.g.Teams[f.blue].Cows, 1);
    EXPECT_EQ(f.g.Teams[f.red].CowCarrier, -1);
    EXPECT_TRUE(f.g.Teams[f.red].CowAtHome);
    EXPECT_TRUE(f.Said("V0 SCORED WITH TEAM RED'S COW!!!"));
    EXPECT_EQ(t.Mission, msDefendBase);
    EXPECT_EQ(cv.Mission, msFreelance);
    EXPECT_EQ(f.g.TeamOrder[0], f.blue);
    // The next step puts the cow back at its own base.
    f.Step();
    EXPECT_LT(Distance(f.g.Teams[f.red].CowPosition, f.Base(f.red)), 40);
}

TEST(Cows, ACarrierKilledOnAThirdTeamsBaseGivesThatTeamTheCow) {
    ThreeTeams f;
    CowsAndBases(f.g);
    const int thief = f.Put(f.blue, f.g.Teams[f.red].CowPosition);
    const int limeMate = f.Put(f.lime, {700, 60});
    f.g.Tanks[limeMate].IsBot = false;
    f.g.Player1 = limeMate;
    f.Step();
    ASSERT_EQ(f.g.Teams[f.red].CowCarrier, thief);
    f.g.Tanks[thief].Position = f.Base(f.lime);
    f.Step();
    ApplyDamage(f.g, thief, limeMate, 1000);
    EXPECT_EQ(f.g.Teams[f.lime].Cows, 1);
    EXPECT_TRUE(f.g.Teams[f.red].CowAtHome);
    EXPECT_EQ(f.g.Teams[f.red].CowCarrier, -1);
    EXPECT_TRUE(f.Said("V0 dropped team Red's cow at team Lime's base"));
    EXPECT_EQ(f.g.PlayerLines[0].Personal.Text, "V0 gave you a cow");
}

TEST(Cows, ADroppedCowWalksReturnsAndRaisesTheAlarm) {
    ThreeTeams f;
    CowsAndBases(f.g);
    const int thief = f.Put(f.blue, f.g.Teams[f.red].CowPosition);
    const int defender = f.Put(f.red, {400, 40});
    f.g.Tanks[defender].SavedMission = msDefendBase;
    f.Step();
    f.g.Tanks[thief].Position = {400, 160};
    f.Step();
    Die(f.g, thief);
    const TTeam& red = f.g.Teams[f.red];
    EXPECT_FALSE(red.CowAtHome);
    EXPECT_EQ(red.CowCarrier, -1);
    EXPECT_TRUE(f.Said("V0 dropped team Red's cow"));
    EXPECT_EQ(f.g.Tanks[defender].Mission, msRetrieveCow);

    // It wanders at walking pace, and the robbed base hears the alarm
    // every 900 ms.
    f.g.ViewCentres[0] = f.Base(f.red);
    f.g.ViewWidths[0] = 800;
    f.g.ViewHeights[0] = 600;
    f.rig.Sound.Log.clear();
    const TVector at = red.CowPosition;
    for (int n = 0; n < 200; ++n) {
        f.Step();
        CowAlarms(f.g);
    }
    EXPECT_NEAR(Distance(at, red.CowPosition), 12, 0.5);
    int alarms = 0;
    for (const std::string& l : f.rig.Sound.Log)
        alarms += l == "play 17" ? 1 : 0;
    EXPECT_EQ(alarms, 2 + 1);

    // A team-mate touching it sends it home; the bots go back to their work.
    f.g.Tanks[defender].Position = red.CowPosition;
    f.Step();
    EXPECT_TRUE(red.CowAtHome);
    EXPECT_EQ(f.g.Tanks[defender].Mission, msDefendBase);
}

TEST(Cows, ALooseCowOnABaseGoesHomeOrScoresByItself) {
    ThreeTeams f;
    CowsAndBases(f.g);
    TTeam& red = f.g.Teams[f.red];
    red.CowAtHome = false;
    red.CowPosition = f.Base(f.red);
    f.Step();
    EXPECT_TRUE(red.CowAtHome);
    EXPECT_TRUE(f.Said("Team Red's cow retunred to base by itself"));

    red.CowAtHome = false;
    red.CowPosition = f.Base(f.lime);
    f.Step();
    EXPECT_TRUE(red.CowAtHome);
    EXPECT_EQ(f.g.Teams[f.lime].Cows, 1);
    EXPECT_TRUE(f.Said("TEAM RED'S COW WALKED TO TEAM LIME'S BASE BY ITSELF!!!"));

    // On a base whose own cow is away nothing happens; a team without a
    // base never scores.
    red.CowAtHome = false;
    red.CowPosition = f.Base(f.blue);
    f.g.Teams[f.blue].CowAtHome = false;
    f.g.Teams[f.blue].CowPosition = {400, 100};
    f.Step();
    EXPECT_FALSE(red.CowAtHome);
    EXPECT_EQ(f.g.Teams[f.blue].Cows, 0);
}

TEST(Cows, ACowDroppedInAWallComesOutOrStaysWhenThereIsNoWayOut) {
    CowField f(Picture({
        "B#####",
        "######",
        "######",
        "####.B",
    }));
    const int red = f.Team(1, f.BaseAt(0, 0));
    const int blue = f.Team(7, f.BaseAt(5, 3));
    f.g.LevelRunning = true;
    CowsAndBases(f.g);
    const int thief = f.Put(blue, f.g.Teams[red].CowPosition);
    CowsAndBases(f.g);
    ASSERT_EQ(f.g.Teams[red].CowCarrier, thief);
    // Killed deep in the rock: the spiral finds the open cell nearby.
    f.g.Tanks[thief].Position = f.Centre(3, 2);
    f.g.Tanks[thief].Heading = 0;
    Die(f.g, thief);
    const TCell c = CellAt(f.g, f.g.Teams[red].CowPosition);
    EXPECT_NE(KindAt(f.g, c.X, c.Y), tkWall);

    // A map that is all rock round the cow: the search gives up, the tick
    // goes on.
    CowField rock(Picture({"B####################", "####################B"}));
    const int r2 = rock.Team(1, rock.BaseAt(0, 0));
    const int b2 = rock.Team(7, rock.BaseAt(20, 1));
    rock.g.LevelRunning = true;
    CowsAndBases(rock.g);
    const int t2 = rock.Put(b2, rock.g.Teams[r2].CowPosition);
    CowsAndBases(rock.g);
    rock.g.Tanks[t2].Position = rock.Centre(10, 0);
    Die(rock.g, t2);
    EXPECT_EQ(rock.g.Teams[r2].CowCarrier, -1);
    for (int n = 0; n < 10; ++n)
        CowsAndBases(rock.g);
}
