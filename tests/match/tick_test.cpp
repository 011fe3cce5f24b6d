#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "core/invariants.h"
#include "fakes/fakes.h"
#include "match/level.h"
#include "match/tick.h"
#include "sim/vehicles.h"
#include "world/world_support.h"

namespace {

// Runs one tick after the clock moved by ms; returns how far GameTime went.
int32_t TickAfter(TestRig& rig, int32_t ms) {
    const int32_t before = rig.g().GameTime;
    rig.TheClock.Advance(ms);
    GameTick(rig.g(), rig.TheClock.Now);
    return rig.g().GameTime - before;
}

} // namespace

TEST(TimeStep, LocalGameIsCappedAt100) {
    TestRig rig;
    EXPECT_EQ(TickAfter(rig, 250), 100);
    EXPECT_EQ(rig.g().DeltaMs, 100);
    EXPECT_DOUBLE_EQ(rig.g().DeltaSec, 0.1);
    EXPECT_EQ(TickAfter(rig, 16), 16);
}

TEST(TimeStep, HostIsCappedAt300AndKeepsTheOffset) {
    TestRig rig;
    Game& g = rig.g();
    g.NetworkGame = true;
    rig.Net.Host = true;
    EXPECT_EQ(TickAfter(rig, 250), 250);
    EXPECT_EQ(TickAfter(rig, 500), 300);
    EXPECT_EQ(g.ClockOffset, g.TickNow - g.GameTime);
}

TEST(TimeStep, ClientFollowsTheHostClockUncapped) {
    TestRig rig;
    Game& g = rig.g();
    g.NetworkGame = true;
    g.ClientMode = true;
    rig.Net.Host = false;
    g.MapReceived = g.StatusReceived = true;
    g.ClockOffset = rig.TheClock.Now - 1000;
    rig.TheClock.Advance(700);
    GameTick(g, rig.TheClock.Now);
    EXPECT_EQ(g.DeltaMs, 700);
    EXPECT_EQ(g.GameTime, 1700);
}

TEST(TimeStep, ABackwardClockDoesNotRunTimeBackwards) {
    TestRig rig;
    TickAfter(rig, 50);
    EXPECT_EQ(TickAfter(rig, -30), 0);
}

TEST(Pause, LocalGameFreezesButStillDraws) {
    TestRig rig;
    Game& g = rig.g();
    g.Paused = true;
    rig.TheClock.Advance(50);
    EXPECT_TRUE(GameTick(g, rig.TheClock.Now));
    EXPECT_EQ(g.GameTime, 0);
}

TEST(Pause, NetworkHostKeepsSimulating) {
    TestRig rig;
    Game& g = rig.g();
    g.NetworkGame = true;
    g.Paused = true;
    EXPECT_EQ(TickAfter(rig, 50), 50);
}

TEST(Client, WithoutMapAndStatusNeitherSimulatesNorDraws) {
    TestRig rig;
    Game& g = rig.g();
    g.NetworkGame = true;
    g.ClientMode = true;
    rig.Net.Host = false;
    g.MapReceived = true;
    rig.TheClock.Advance(50);
    EXPECT_FALSE(GameTick(g, rig.TheClock.Now));
    EXPECT_EQ(g.GameTime, 0);
    EXPECT_EQ(g.TickNow, 0);
}

TEST(Client, BecomingHostSaysSoAndRunsTheHandOver) {
    TestRig rig;
    Game& g = rig.g();
    g.NetworkGame = true;
    g.ClientMode = true;
    g.MapReceived = g.StatusReceived = true;
    AddTank(g, sortTank);
    AddTank(g, sortHummer);
    g.Tanks[1].IsBot = true;
    rig.Net.Host = true; // the old host left
    rig.Net.Id = 9;
    rig.TheClock.Advance(20);
    GameTick(g, rig.TheClock.Now);
    EXPECT_FALSE(g.ClientMode);
    ASSERT_FALSE(rig.TheUi.Console.empty());
    EXPECT_EQ(rig.TheUi.Console.front(), "You are the new host");
    // The bots pick a weapon again soon, the players are ours now, and the
    // status went out at once.
    EXPECT_TRUE(g.Tanks[1].VaryingWeapon);
    EXPECT_FALSE(g.Tanks[0].VaryingWeapon);
    EXPECT_EQ(g.Tanks[0].PlayerId, 9);
    EXPECT_FALSE(g.SendStatusNow);
    EXPECT_EQ(g.LastStatusSend, rig.TheClock.Now);
}

TEST(Client, FreezesTwoSecondsAfterTheLastStatus) {
    TestRig rig;
    Game& g = rig.g();
    g.NetworkGame = true;
    g.ClientMode = true;
    rig.Net.Host = false;
    g.MapReceived = g.StatusReceived = true;
    g.LevelRunning = true;
    g.FragLimit = 3;
    AddTank(g, sortTank);
    g.ClockOffset = rig.TheClock.Now - 1000;
    g.LastServerUpdate = 0;
    g.Tanks[0].Frags = 3; // the winner check would end the level
    rig.TheClock.Advance(1000);
    GameTick(g, rig.TheClock.Now); // GameTime 2000: stale, nothing runs
    EXPECT_TRUE(g.LevelRunning);
    g.LastServerUpdate = 1500;
    rig.TheClock.Advance(10);
    GameTick(g, rig.TheClock.Now); // fresh again
    EXPECT_FALSE(g.LevelRunning);
    EXPECT_EQ(g.LevelEndTime, 2010);
}

namespace {

// A match on a 6 x 4 map with two spawn cells, won at GameTime 0.
struct WonLevel : WorldRig {
    WonLevel() {
        Folder.Write("Field.map",
                     JoinRows({"0 0 0 0 0 0", "0 4 0 0 5 0", "0 0 8 8 0 0", "0 0 0 0 0 0"}));
        g().Start.SelectedLevel = "Field";
        AddTank(g(), sortTank);
        g().LevelRunning = false;
    }
};

} // namespace

TEST(TickOrder, LevelRestartsSixteenSecondsAfterTheWin) {
    WonLevel rig;
    Game& g = rig.g();
    for (int i = 0; i < 160; ++i)
        TickAfter(rig, 100);
    EXPECT_FALSE(g.LevelRunning); // GameTime 16000: not yet past
    EXPECT_EQ(g.MapWidth, 0);
    TickAfter(rig, 1);
    EXPECT_TRUE(g.LevelRunning);
    EXPECT_EQ(g.GameTime, 0);
    EXPECT_EQ(g.CurrentMapName, "Field");
    EXPECT_TRUE(g.Tanks[0].Alive);
    EXPECT_EQ(CheckInvariants(g), std::vector<std::string>{});
}

TEST(TickOrder, ScreenSaverRestartsAfterFourSeconds) {
    WonLevel rig;
    Game& g = rig.g();
    g.ScreenSaverMode = true;
    for (int i = 0; i < 39; ++i)
        TickAfter(rig, 100);
    EXPECT_FALSE(g.LevelRunning);
    TickAfter(rig, 100); // GameTime 4000
    EXPECT_TRUE(g.LevelRunning);
}

TEST(TickOrder, ANextLevelThatCannotLoadPlaysOnTheOldMap) {
    WonLevel rig;
    Game& g = rig.g();
    for (int i = 0; i < 161; ++i)
        TickAfter(rig, 100);
    ASSERT_TRUE(g.LevelRunning);
    g.LevelRunning = false;
    g.LevelEndTime = g.GameTime;
    g.Start.SelectedLevel = "Gone";
    for (int i = 0; i < 161; ++i)
        TickAfter(rig, 100);
    EXPECT_TRUE(g.LevelRunning);
    EXPECT_EQ(g.CurrentMapName, "Field");
    ASSERT_EQ(rig.TheUi.Boxes.size(), 1u);
    EXPECT_NE(rig.TheUi.Boxes[0].find("Gone.map"), std::string::npos);
}

TEST(Respawn, OnlyAfterSixSecondsAndWhileTheLevelRuns) {
    WorldRig rig;
    Game& g = rig.g();
    UseMap(g, {"0 0 0", "0 5 0", "0 0 0"}); // one spawn cell, turned a quarter
    AddTank(g, sortTank);
    g.Tanks[0].Alive = false;
    g.Tanks[0].DeathTime = 0;
    g.LevelEndTime = 1 << 30; // no restart during this test
    for (int i = 0; i < 60; ++i)
        TickAfter(rig, 100);
    EXPECT_FALSE(g.Tanks[0].Alive); // level not running
    g.LevelRunning = true;
    TickAfter(rig, 0); // GameTime 6000: not yet
    EXPECT_FALSE(g.Tanks[0].Alive);
    TickAfter(rig, 1);
    ASSERT_TRUE(g.Tanks[0].Alive);
    EXPECT_EQ(g.Tanks[0].Health, g.ArmourTank);
    EXPECT_DOUBLE_EQ(g.Tanks[0].Position.x, 96);
    EXPECT_DOUBLE_EQ(g.Tanks[0].Position.y, 96);
    EXPECT_DOUBLE_EQ(g.Tanks[0].Heading, std::numbers::pi / 2);
}

TEST(Broadcast, HostSendsAtTheStatusInterval) {
    TestRig rig;
    Game& g = rig.g();
    g.NetworkGame = true;
    g.StatusInterval = 50;
    g.LastStatusSend = rig.TheClock.Now;
    TickAfter(rig, 30);
    EXPECT_EQ(g.LastStatusSend, rig.TheClock.Now - 30);
    TickAfter(rig, 40); // 70 ms after the last send
    EXPECT_EQ(g.LastStatusSend, rig.TheClock.Now);
    EXPECT_EQ(g.SendsPerSecond, 14);
}

TEST(TimeStep, AStepTakesTheGivenDeltaExactly) {
    TestRig rig;
    Game& g = rig.g();
    for (int i = 0; i < 7; ++i)
        GameStep(g, 13);
    EXPECT_EQ(g.GameTime, 91);
    EXPECT_EQ(g.DeltaMs, 13);
    GameStep(g, 250); // no cap below the tick
    EXPECT_EQ(g.GameTime, 341);
}

// A vehicle, a bullet and a missile that are no numbers any more (the fault
// that made them aside) harm nothing else: the NaN vehicle's own bullets
// hit nobody, no missile takes it for a target, the NaN missile is lost
// without a bang at the map's corner, and the invariants name the culprit.
TEST(NotANumber, ANaNVehicleBulletAndMissileLeaveEverythingElseAsItWas) {
    TestRig rig;
    Game& g = rig.g();
    UseKindPerTexture(g);
    std::vector<std::string> rows = FilledRows(10, 10, G0);
    rows[9] = "8 0 0 0 0 0 0 0 0 0"; // a wall cell at the corner a NaN is clamped to
    UseMap(g, rows);
    g.LevelRunning = true;
    const double nan = std::nan("");
    auto put = [&](TVector at) {
        const int i = AddTank(g, sortTank);
        TTank& t = g.Tanks[i];
        t.Alive = true;
        t.Health = 100;
        t.Position = t.PrevPosition = at;
        RefreshWorldCorners(t);
        return i;
    };
    const int a = put({100, 400}), b = put({500, 500}), lost = put({300, 300});
    TTank& n = g.Tanks[lost];
    n.Position = n.Velocity = {nan, nan};
    RefreshWorldCorners(n);
    n.Firing = true; // its bullets start nowhere
    TBullet bullet;
    bullet.Origin = bullet.Position = bullet.PrevPosition = {120, 380};
    bullet.Velocity = {nan, 0.5};
    bullet.Shooter = b;
    g.Bullets.Add(bullet);
    TRocket missile;
    missile.Kind = 1;
    missile.Owner = b;
    missile.Position = missile.PrevPosition = missile.PrevPrevPosition = {nan, 30};
    g.Rockets.Add(missile);
    TRocket homing = missile; // flies right, nothing finite within its cone
    homing.Position = homing.PrevPosition = homing.PrevPrevPosition = {600, 100};
    g.Rockets.Add(homing);
    for (int step = 0; step < 20; ++step)
        TickAfter(rig, 5);
    for (const int i : {a, b}) {
        EXPECT_DOUBLE_EQ(g.Tanks[i].Health, 100);
        EXPECT_TRUE(g.Tanks[i].Alive);
    }
    EXPECT_EQ(g.Tanks[a].Position.x, 100);
    EXPECT_EQ(g.Tanks[a].Position.y, 400);
    EXPECT_EQ(g.Explosions.Count, 0);
    ASSERT_EQ(g.Rockets.Count, 1);
    EXPECT_EQ(g.Rockets[0].Target, -1);
    EXPECT_DOUBLE_EQ(g.Rockets[0].Angle, 0);
    const std::vector<std::string> wrong = CheckInvariants(g);
    ASSERT_FALSE(wrong.empty());
    EXPECT_EQ(wrong.front(), "vehicle 2 position is not finite");
}
