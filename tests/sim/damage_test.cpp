#include <gtest/gtest.h>

#include <cmath>

#include <algorithm>
#include <string>

#include "core/asset_names.h"
#include "fakes/fakes.h"
#include "sim/damage.h"
#include "sim/vehicles.h"

namespace {

int AddLiving(Game& g, double health, double x = 0, double y = 0) {
    const int i = AddTank(g, sortTank);
    g.Tanks[i].Alive = true;
    g.Tanks[i].Health = health;
    g.Tanks[i].Position = {x, y};
    return i;
}

bool Logged(const RecordingSound& s, const std::string& line) {
    return std::find(s.Log.begin(), s.Log.end(), line) != s.Log.end();
}

} // namespace

TEST(Damage, HitsWearHealthDownAndKillOnce) {
    TestRig rig;
    Game& g = rig.g();
    const int p1 = AddLiving(g, 100);
    const int bot = AddLiving(g, 100, 50, 60);
    const int other = AddLiving(g, 40);
    g.Player1 = p1;
    g.GameTime = 7000;

    ApplyDamage(g, bot, p1, 30);
    EXPECT_DOUBLE_EQ(g.Tanks[bot].Health, 70);
    EXPECT_TRUE(g.Tanks[bot].Alive);
    EXPECT_EQ(g.Explosions.Count, 0);

    // The damage cheat spares player 1 only.
    g.CheatFlags = cheatDamage;
    ApplyDamage(g, p1, bot, 50);
    EXPECT_DOUBLE_EQ(g.Tanks[p1].Health, 95);
    ApplyDamage(g, bot, p1, 20);
    EXPECT_DOUBLE_EQ(g.Tanks[bot].Health, 50);
    g.CheatFlags = 0;

    // Several hits in one tick: the first that empties the health kills.
    ApplyDamage(g, bot, p1, 80);
    ApplyDamage(g, bot, p1, 80);
    ApplyDamage(g, bot, other, 5);
    const TTank& dead = g.Tanks[bot];
    EXPECT_FALSE(dead.Alive);
    EXPECT_DOUBLE_EQ(dead.Health, 0);
    EXPECT_EQ(dead.Deaths, 1);
    EXPECT_EQ(dead.DeathTime, 7000);
    ASSERT_EQ(g.Explosions.Count, 1);
    EXPECT_EQ(g.Explosions[0].Kind, 2);
    EXPECT_EQ(g.Explosions[0].StartTime, 7000);
    EXPECT_DOUBLE_EQ(g.Explosions[0].Position.x, 50);
    EXPECT_DOUBLE_EQ(g.Explosions[0].Position.y, 60);

    // Health exactly used up is death too; a running network level ranks
    // at once and wants the news sent.
    g.LevelRunning = true;
    g.NetworkGame = true;
    ApplyDamage(g, other, p1, 40);
    EXPECT_FALSE(g.Tanks[other].Alive);
    EXPECT_EQ(g.Tanks[other].Deaths, 1);
    EXPECT_TRUE(g.SendStatusNow);
    EXPECT_EQ(g.Tanks[p1].Rank, 1);
    EXPECT_EQ(g.Explosions.Count, 2);

    // Bad indices are ignored.
    ApplyDamage(g, -1, p1, 10);
    ApplyDamage(g, g.TankCount, p1, 10);
    EXPECT_EQ(g.Explosions.Count, 2);
}

TEST(Damage, DyingLetsGoOfMissileCowAndEngine) {
    TestRig rig;
    Game& g = rig.g();
    const int p1 = AddLiving(g, 80, 300, 200);
    const int bot = AddLiving(g, 80);
    g.Player1 = p1;
    g.Player2 = bot;
    g.TeamCount = 2;
    g.CaptureTheCow = true;
    g.Teams[0].CowCarrier = bot;
    g.Teams[1].CowCarrier = p1;
    g.Teams[1].CowAtHome = false;
    TTank& t = g.Tanks[p1];
    t.GuidedMissile = 3;
    t.HornOn = true;
    g.GameTime = 12345;

    Die(g, p1);
    EXPECT_FALSE(t.Alive);
    EXPECT_DOUBLE_EQ(t.Health, 0);
    EXPECT_EQ(t.GuidedMissile, -1);
    EXPECT_EQ(t.DeathTime, 12345);
    EXPECT_FALSE(t.HornOn);
    // Its cow lies where it died, behind it; the other team's carrier keeps its cow.
    EXPECT_EQ(g.Teams[1].CowCarrier, -1);
    EXPECT_DOUBLE_EQ(g.Teams[1].CowPosition.x, 300 + t.BodyCorners[1].x * std::cos(t.Heading));
    EXPECT_DOUBLE_EQ(g.Teams[1].CowPosition.y, 200 + t.BodyCorners[1].x * std::sin(t.Heading));
    EXPECT_EQ(g.Teams[0].CowCarrier, bot);
    // Player 1's engines fall silent, whichever sort it drove.
    EXPECT_TRUE(Logged(rig.Sound, "stop " + std::to_string(sndDiesel)));
    EXPECT_TRUE(Logged(rig.Sound, "stop " + std::to_string(sndHoverEngine)));
    EXPECT_TRUE(Logged(rig.Sound, "stop " + std::to_string(sndHummerEngine)));

    // A bot's death stops no sound of the player's.
    rig.Sound.Log.clear();
    Die(g, bot);
    EXPECT_FALSE(g.Tanks[bot].Alive);
    EXPECT_EQ(g.Teams[0].CowCarrier, -1);
    for (const std::string& l : rig.Sound.Log)
        EXPECT_EQ(l.rfind("stop", 0), std::string::npos) << l; // the dropped cow may moo
}

TEST(Ranking, MoreFragsThenFewerDeaths) {
    TestRig rig;
    Game& g = rig.g();
    const int frags[4] = {3, 5, 5, 1};
    const int deaths[4] = {0, 4, 2, 0};
    for (int i = 0; i < 4; ++i) {
        AddTank(g, sortTank);
        g.Tanks[i].Frags = frags[i];
        g.Tanks[i].Deaths = deaths[i];
    }
    UpdateRanking(g);
    EXPECT_EQ(g.RankOrder[0], 2);
    EXPECT_EQ(g.RankOrder[1], 1);
    EXPECT_EQ(g.RankOrder[2], 0);
    EXPECT_EQ(g.RankOrder[3], 3);
    EXPECT_EQ(g.Tanks[0].Rank, 3);
    EXPECT_EQ(g.Tanks[1].Rank, 2);
    EXPECT_EQ(g.Tanks[2].Rank, 1);
    EXPECT_EQ(g.Tanks[3].Rank, 4);

    // Full ties are settled by the exchange sort: frags 1, 1, 2 end up as
    // 2, then the second 1, then the first.
    for (int i = 0; i < 4; ++i)
        g.Tanks[i].Deaths = 0;
    g.Tanks[0].Frags = 1;
    g.Tanks[1].Frags = 1;
    g.Tanks[2].Frags = 2;
    g.Tanks[3].Frags = 0;
    UpdateRanking(g);
    EXPECT_EQ(g.RankOrder[0], 2);
    EXPECT_EQ(g.RankOrder[1], 1);
    EXPECT_EQ(g.RankOrder[2], 0);
    EXPECT_EQ(g.RankOrder[3], 3);
    EXPECT_EQ(g.Tanks[1].Rank, 2);
    EXPECT_EQ(g.Tanks[0].Rank, 3);
}

TEST(Ranking, TeamsFirstThenTheirMembers) {
    TestRig rig;
    Game& g = rig.g();
    g.TeamGame = true;
    g.TeamCount = 3;
    g.Teams[0].TeamFrags = 10;
    g.Teams[0].TeamDeaths = 5;
    g.Teams[1].TeamFrags = 10;
    g.Teams[1].TeamDeaths = 3;
    g.Teams[2].TeamFrags = 12;
    g.Teams[2].TeamDeaths = 9;
    const int team[4] = {0, 1, 2, 0};
    const int frags[4] = {9, 1, 0, 9};
    const int deaths[4] = {3, 0, 7, 1};
    for (int i = 0; i < 4; ++i) {
        AddTank(g, sortTank);
        g.Tanks[i].TeamIndex = team[i];
        g.Tanks[i].Frags = frags[i];
        g.Tanks[i].Deaths = deaths[i];
    }
    UpdateRanking(g);
    EXPECT_EQ(g.TeamOrder[0], 2);
    EXPECT_EQ(g.TeamOrder[1], 1);
    EXPECT_EQ(g.TeamOrder[2], 0);
    EXPECT_EQ(g.Teams[0].TeamRank, 3);
    EXPECT_EQ(g.Teams[1].TeamRank, 2);
    EXPECT_EQ(g.Teams[2].TeamRank, 1);
    // The best team's member leads with no frags at all.
    EXPECT_EQ(g.RankOrder[0], 2);
    EXPECT_EQ(g.RankOrder[1], 1);
    EXPECT_EQ(g.RankOrder[2], 3);
    EXPECT_EQ(g.RankOrder[3], 0);
    EXPECT_EQ(g.Tanks[2].Rank, 1);
    EXPECT_EQ(g.Tanks[0].Rank, 4);

    // Capture The Cow: cows count before frags.
    g.CaptureTheCow = true;
    g.Teams[0].Cows = 2;
    g.Teams[1].Cows = 1;
    UpdateRanking(g);
    EXPECT_EQ(g.TeamOrder[0], 0);
    EXPECT_EQ(g.TeamOrder[1], 1);
    EXPECT_EQ(g.TeamOrder[2], 2);
    EXPECT_EQ(g.Tanks[3].Rank, 1);
    EXPECT_EQ(g.Tanks[0].Rank, 2);
    EXPECT_EQ(g.Tanks[1].Rank, 3);
    EXPECT_EQ(g.Tanks[2].Rank, 4);
}
