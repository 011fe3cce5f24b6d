#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "core/asset_names.h"
#include "fakes/fakes.h"
#include "sim/self_destruct.h"
#include "sim/vehicles.h"

namespace {

int Place(Game& g, double x, double health) {
    const int i = AddTank(g, sortTank);
    g.Tanks[i].Alive = true;
    g.Tanks[i].Health = health;
    g.Tanks[i].Position = {x, 0};
    return i;
}

} // namespace

TEST(SelfDestruct, BeepsEvery400msAndBlowsUpAfter1200) {
    TestRig rig;
    Game& g = rig.g();
    g.ViewWidths[0] = g.ViewHeights[0] = 600;
    g.GameTime = 1000;
    const int t = Place(g, 0, 100);
    ArmSelfDestruct(g, t); // not before the level runs
    EXPECT_FALSE(g.Tanks[t].SelfDestructArmed);
    g.LevelRunning = true;
    ArmSelfDestruct(g, t);
    g.GameTime = 1100;
    ArmSelfDestruct(g, t); // pressing again changes nothing
    EXPECT_EQ(g.Tanks[t].SelfDestructTime, 2200);
    // Game time and the beeps heard by then, the arming's included.
    for (auto [time, beeps] : {std::pair{1400, 1}, {1401, 2}, {1801, 2}, {1802, 3}, {2200, 3}}) {
        g.GameTime = time;
        SelfDestructStep(g, t, true);
        EXPECT_EQ(std::count(rig.Sound.Log.begin(), rig.Sound.Log.end(), "play 15"), beeps)
            << "at " << time;
    }
    EXPECT_EQ(g.Explosions.Count, 0);
    g.GameTime = 2201;
    SelfDestructStep(g, t, true);
    EXPECT_FALSE(g.Tanks[t].SelfDestructArmed);
    EXPECT_FALSE(g.Tanks[t].Alive);
    EXPECT_EQ(g.Tanks[t].Deaths, 1);
    ASSERT_GE(g.Explosions.Count, 1);
    EXPECT_EQ(g.Explosions[0].Kind, -1);
}

TEST(SelfDestruct, DamageFallsOffOver200px) {
    TestRig rig;
    Game& g = rig.g();
    g.LevelRunning = true;
    const int t = Place(g, 0, 100);
    const int at0 = Place(g, 0, 1000), at100 = Place(g, 100, 1000);
    const int at150 = Place(g, -150, 1000), at200 = Place(g, 200, 1000);
    ArmSelfDestruct(g, t);
    g.GameTime = 1201;
    SelfDestructStep(g, t, true);
    EXPECT_DOUBLE_EQ(g.Tanks[at0].Health, 700);
    EXPECT_DOUBLE_EQ(g.Tanks[at100].Health, 850);
    EXPECT_DOUBLE_EQ(g.Tanks[at150].Health, 925);
    EXPECT_DOUBLE_EQ(g.Tanks[at200].Health, 1000);
}

TEST(SelfDestruct, ClientShowsTheBlastButHurtsNobody) {
    TestRig rig;
    Game& g = rig.g();
    g.LevelRunning = true;
    const int t = Place(g, 0, 100);
    const int near = Place(g, 10, 100);
    ArmSelfDestruct(g, t);
    g.GameTime = 1201;
    SelfDestructStep(g, t, false);
    EXPECT_TRUE(g.Tanks[t].Alive);
    EXPECT_DOUBLE_EQ(g.Tanks[near].Health, 100);
    EXPECT_FALSE(g.Tanks[t].SelfDestructArmed);
    ASSERT_EQ(g.Explosions.Count, 1);
    EXPECT_EQ(g.Explosions[0].Kind, -1);
}

// The armour cheat softens every hit on player 1 but its own self-destruct:
// that kills it, as a suicide.
TEST(SelfDestruct, KillsItsOwnerEvenUnderTheArmourCheat) {
    TestRig rig;
    Game& g = rig.g();
    g.LevelRunning = true;
    g.CheatFlags = cheatDamage;
    const int one = Place(g, 0, 160);
    g.Tanks[one].Name = "Ann";
    const int other = Place(g, 100, 1000);
    g.Player1 = one;
    ArmSelfDestruct(g, one);
    g.GameTime = 1201;
    SelfDestructStep(g, one, true);
    EXPECT_FALSE(g.Tanks[one].Alive);
    EXPECT_EQ(g.Tanks[one].Frags, -1);
    EXPECT_EQ(g.Tanks[one].Deaths, 1);
    EXPECT_EQ(rig.TheUi.Console.back(), "Ann commited suicide");
    EXPECT_DOUBLE_EQ(g.Tanks[other].Health, 850);
}
