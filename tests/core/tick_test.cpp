#include <gtest/gtest.h>

#include "core/setup.h"
#include "core/tick.h"
#include "fakes/fakes.h"

namespace {

// Runs one tick after the clock moved by ms; returns how far GameTime went.
int32_t TickAfter(TestRig& rig, int32_t ms) {
    const int32_t before = rig.g().GameTime;
    rig.TheClock.Advance(ms);
    GameTick(rig.g());
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
    GameTick(g);
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
    EXPECT_TRUE(GameTick(g));
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
    EXPECT_FALSE(GameTick(g));
    EXPECT_EQ(g.GameTime, 0);
    EXPECT_EQ(g.TickNow, 0);
}

TEST(Client, BecomingHostSaysSoAndRunsTheHandOver) {
    TestRig rig;
    Game& g = rig.g();
    g.NetworkGame = true;
    g.ClientMode = true;
    g.MapReceived = g.StatusReceived = true;
    rig.Net.Host = true; // the old host left
    int handOvers = 0;
    g.Hooks.HostChange = [&] { ++handOvers; };
    rig.TheClock.Advance(20);
    GameTick(g);
    EXPECT_FALSE(g.ClientMode);
    EXPECT_EQ(handOvers, 1);
    ASSERT_FALSE(rig.TheUi.Console.empty());
    EXPECT_EQ(rig.TheUi.Console.back(), "You are the new host");
}

TEST(Client, FreezesTwoSecondsAfterTheLastStatus) {
    TestRig rig;
    Game& g = rig.g();
    g.NetworkGame = true;
    g.ClientMode = true;
    rig.Net.Host = false;
    g.MapReceived = g.StatusReceived = true;
    g.LevelRunning = true;
    int cowSteps = 0;
    g.CaptureTheCow = true;
    g.Hooks.ClientCowStep = [&] { ++cowSteps; };
    g.ClockOffset = rig.TheClock.Now - 1000;
    g.LastServerUpdate = 0;
    rig.TheClock.Advance(10);
    GameTick(g); // GameTime 1010: fresh
    EXPECT_EQ(cowSteps, 1);
    rig.TheClock.Advance(1000);
    GameTick(g); // GameTime 2010: stale
    EXPECT_EQ(cowSteps, 1);
}

TEST(TickOrder, LevelRestartsSixteenSecondsAfterTheWin) {
    TestRig rig;
    Game& g = rig.g();
    int starts = 0;
    g.Hooks.StartNextLevel = [&] { ++starts; g.LevelRunning = true; };
    g.LevelRunning = false;
    g.GameTime = 0;
    g.LevelEndTime = 0;
    for (int i = 0; i < 160; ++i) TickAfter(rig, 100);
    EXPECT_EQ(starts, 0); // GameTime 16000: not yet past
    TickAfter(rig, 1);
    EXPECT_EQ(starts, 1);
}

TEST(TickOrder, ScreenSaverRestartsAfterFourSeconds) {
    TestRig rig;
    Game& g = rig.g();
    int starts = 0;
    g.Hooks.StartNextLevel = [&] { ++starts; g.LevelRunning = true; };
    g.ScreenSaverMode = true;
    for (int i = 0; i < 39; ++i) TickAfter(rig, 100);
    EXPECT_EQ(starts, 0);
    TickAfter(rig, 100); // GameTime 4000
    EXPECT_EQ(starts, 1);
}

TEST(Respawn, OnlyAfterSixSecondsAndWhileTheLevelRuns) {
    TestRig rig;
    Game& g = rig.g();
    AddTank(g, sortTank);
    g.Tanks[0].Alive = false;
    g.Tanks[0].DeathTime = 0;
    g.LevelEndTime = 1 << 30; // no restart during this test
    for (int i = 0; i < 60; ++i) TickAfter(rig, 100);
    EXPECT_FALSE(g.Tanks[0].Alive); // level not running
    g.LevelRunning = true;
    TickAfter(rig, 0); // GameTime 6000: not yet
    EXPECT_FALSE(g.Tanks[0].Alive);
    TickAfter(rig, 1);
    EXPECT_TRUE(g.Tanks[0].Alive);
    EXPECT_EQ(g.Tanks[0].Health, g.ArmourTank);
}

TEST(Broadcast, HostSendsAtTheStatusInterval) {
    TestRig rig;
    Game& g = rig.g();
    g.NetworkGame = true;
    g.StatusInterval = 50;
    g.LastStatusSend = rig.TheClock.Now;
    int sends = 0;
    g.Hooks.BroadcastGameStatus = [&] { ++sends; };
    TickAfter(rig, 30);
    EXPECT_EQ(sends, 0);
    TickAfter(rig, 40); // 70 ms after the last send
    EXPECT_EQ(sends, 1);
    EXPECT_EQ(g.SendsPerSecond, 14);
}
