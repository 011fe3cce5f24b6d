#include <gtest/gtest.h>

#include <algorithm>

#include "fakes/fakes.h"
#include "match/level.h"
#include "match/tick.h"
#include "sim/damage.h"
#include "sim/fire_button.h"
#include "sim/vehicles.h"
#include "world/world_support.h"

TEST(LevelCycling, MovesAlongTheListAndSkipsTheCredits) {
    TStartChoices st;
    st.LevelList = {"A", "B", "Credits..."};
    st.SelectedLevel = "B";
    CycleLevel(st);
    EXPECT_EQ(st.SelectedLevel, "A");
    CycleLevel(st);
    EXPECT_EQ(st.SelectedLevel, "B");
    st.SelectedLevel = "Gone"; // no longer listed: start again at the top
    CycleLevel(st);
    EXPECT_EQ(st.SelectedLevel, "A");
    st.LevelList.clear();
    CycleLevel(st);
    EXPECT_EQ(st.SelectedLevel, "A");
}

namespace {

// Three vehicles on a small map, frag limit 3, the level running.
struct Match : WorldRig {
    Match() {
        Folder.Write("A.map", JoinRows({"0 4 0 4", "0 0 0 0", "4 0 4 0"}));
        Folder.Write("B.map", JoinRows({"4 4 0 0", "0 0 0 0", "0 0 4 4"}));
        Game& g = this->g();
        g.Start.LevelList = {"A", "B", "Credits..."};
        g.Start.SelectedLevel = "A";
        g.FragLimit = 3;
        for (const char* name : {"Ann", "Bob", "Cid"}) {
            const int i = AddTank(g, sortTank);
            g.Tanks[i].Name = name;
        }
        std::string error;
        EXPECT_TRUE(StartLevel(g, TheClock.Now, error)) << error;
    }
};

} // namespace

TEST(Winner, TheLeaderReachingTheLimitEndsTheLevelAndNamesTheWinner) {
    Match m;
    Game& g = m.g();
    g.Start.CycleLevelsBox = true;
    g.GameTime = 5000;
    g.Tanks[1].Frags = 3;
    UpdateRanking(g);
    WinnerCheck(g);
    EXPECT_FALSE(g.LevelRunning);
    EXPECT_EQ(g.LevelEndTime, 5000);
    ASSERT_FALSE(m.TheUi.Console.empty());
    EXPECT_EQ(m.TheUi.Console.back(), "BOB IS THE WINNER");
    // Vehicle 0 is the local player here: it sees it in large type too.
    EXPECT_EQ(g.PlayerLines[0].Personal.Text, "BOB IS THE WINNER");
    EXPECT_EQ(g.Start.SelectedLevel, "B");
}

TEST(Winner, BelowTheLimitTheLevelGoesOn) {
    Match m;
    Game& g = m.g();
    g.Tanks[2].Frags = 2;
    UpdateRanking(g);
    WinnerCheck(g);
    EXPECT_TRUE(g.LevelRunning);
    EXPECT_EQ(g.Start.SelectedLevel, "A"); // nothing cycles without a win
}

TEST(LevelStart, AHostTellsItsClientsTheNewLevel) {
    Match m;
    Game& g = m.g();
    g.NetworkGame = true;
    g.TeamGame = g.UseBases = true;
    m.Net.Events.clear();
    std::string error;
    ASSERT_TRUE(StartLevel(g, m.TheClock.Now, error));
    EXPECT_EQ(m.Net.Events, (std::vector<std::string>{"game setup", "base list"}));
    EXPECT_EQ(g.LastStatusSend, m.TheClock.Now - 1000); // the first status goes out at once
    // A client starts no level of its own making and tells nobody.
    g.ClientMode = true;
    m.Net.Events.clear();
    ASSERT_TRUE(StartLevel(g, m.TheClock.Now, error));
    EXPECT_TRUE(m.Net.Events.empty());
}

TEST(FireButton, AfterAWinItStartsTheNextLevelOnlyAfterFourSeconds) {
    Match m;
    Game& g = m.g();
    g.Tanks[0].Frags = 3;
    UpdateRanking(g);
    g.GameTime = 1000;
    WinnerCheck(g);
    ASSERT_FALSE(g.LevelRunning);
    g.GameTime = 4000; // 3 s after the win
    PressFire(g, 0);
    GameStep(g, 0);
    EXPECT_FALSE(g.LevelRunning);
    g.GameTime = 6000; // 5 s after it
    PressFire(g, 0);
    GameStep(g, 0);
    EXPECT_TRUE(g.LevelRunning);
    EXPECT_EQ(g.GameTime, 0);
    EXPECT_FALSE(g.NextLevelRequested);
}

TEST(FireButton, ADeadPlayerComesBackHalfASecondAfterDying) {
    Match m;
    Game& g = m.g();
    g.GameTime = 10000;
    Die(g, 1);
    g.GameTime = 10300;
    PressFire(g, 1);
    EXPECT_FALSE(g.Tanks[1].Alive);
    g.GameTime = 10600;
    PressFire(g, 1);
    EXPECT_TRUE(g.Tanks[1].Alive);
    EXPECT_FALSE(g.Tanks[1].Firing); // the press brought it back, it did not shoot
    PressFire(g, 1);
    EXPECT_TRUE(g.Tanks[1].Firing);
}

// Fire after a win starts the next level in a paused game too, unpaused.
TEST(FireButton, AfterAWinItStartsTheNextLevelEvenWhilePaused) {
    Match m;
    Game& g = m.g();
    g.Tanks[0].Frags = 3;
    UpdateRanking(g);
    g.GameTime = 1000;
    WinnerCheck(g);
    g.GameTime = 6000;
    g.Paused = true;
    PressFire(g, 0);
    GameStep(g, 5);
    EXPECT_TRUE(g.LevelRunning);
    EXPECT_FALSE(g.Paused);
    EXPECT_EQ(m.TheUi.Caption, "Moorclash");
}

// A client starts each team level afresh as the host does: team scores and
// cows back home (else its own winner check would end the level on the old
// cows at once), and keys held over from the last level forgotten.
TEST(LevelStart, EveryMachineStartsTeamScoresAndHeldKeysAfresh) {
    Match m;
    Game& g = m.g();
    g.NetworkGame = g.ClientMode = true;
    g.TeamGame = g.CaptureTheCow = true;
    g.TeamCount = 2;
    for (int i = 0; i < g.TankCount; ++i)
        g.Tanks[i].TeamIndex = i % 2;
    for (int t = 0; t < 2; ++t) {
        g.Teams[t].TeamFrags = 4;
        g.Teams[t].TeamDeaths = 2;
        g.Teams[t].Cows = 3 + t;
        g.Teams[t].CowAtHome = false;
        g.Teams[t].CowCarrier = t;
    }
    g.KeyHeld['E'] = g.KeyHeld[200] = true;
    std::string error;
    ASSERT_TRUE(StartLevel(g, m.TheClock.Now, error));
    for (int t = 0; t < 2; ++t) {
        EXPECT_EQ(g.Teams[t].TeamFrags, 0);
        EXPECT_EQ(g.Teams[t].TeamDeaths, 0);
        EXPECT_EQ(g.Teams[t].Cows, 0);
        EXPECT_TRUE(g.Teams[t].CowAtHome);
        EXPECT_EQ(g.Teams[t].CowCarrier, -1);
    }
    EXPECT_EQ(std::count(g.KeyHeld.begin(), g.KeyHeld.end(), true), 0);
    WinnerCheck(g);
    EXPECT_TRUE(g.LevelRunning);
}
