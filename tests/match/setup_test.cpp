#include <gtest/gtest.h>

#include "core/asset_names.h"
#include "core/colours.h"
#include "fakes/fakes.h"
#include "match/setup.h"
#include "sim/sounds.h"
#include "sim/teams.h"
#include "sim/vehicles.h"

namespace {

void NameSlots(Game& g) {
    for (int i = 0; i < MaxTanks; ++i) {
        TTankSetup& s = g.Start.TankSetups[i];
        s.Name = "slot " + std::to_string(i);
        s.Sort = i % 3 == 0 ? sortHummer : sortHovercraft;
        s.Weapon = i % 7;
        s.Changed = true;
    }
}

} // namespace

TEST(SetupStep, OnePlayerSkipsPlayerTwosSlot) {
    TestRig rig;
    Game& g = rig.g();
    NameSlots(g);
    g.Start.BotCount = 3;
    SetupStep(g, rig.TheClock.Now);
    ASSERT_EQ(g.TankCount, 4);
    EXPECT_EQ(g.Tanks[0].Name, "slot 0");
    EXPECT_EQ(g.Tanks[1].Name, "slot 2");
    EXPECT_EQ(g.Tanks[3].Name, "slot 4");
    EXPECT_FALSE(g.Tanks[0].IsBot);
    for (int i = 1; i < 4; ++i)
        EXPECT_TRUE(g.Tanks[i].IsBot) << i;
    EXPECT_EQ(g.Tanks[1].Seat, 0);
    EXPECT_EQ(g.Tanks[1].Sort, sortHovercraft);
    EXPECT_EQ(g.Tanks[2].Sort, sortHummer); // slot 3
    EXPECT_FALSE(g.Start.TankSetups[0].Changed);
    EXPECT_TRUE(g.Start.TankSetups[1].Changed); // player 2's slot was not used
    EXPECT_FALSE(g.SplitScreen);
}

TEST(SetupStep, TwoPlayersUseTheirOwnSlotsAndViewports) {
    TestRig rig;
    Game& g = rig.g();
    NameSlots(g);
    g.TwoPlayers = true;
    g.Start.Player2LeftSide = true;
    g.Start.BotCount = 2;
    SetupStep(g, rig.TheClock.Now);
    ASSERT_EQ(g.TankCount, 4);
    EXPECT_EQ(g.Tanks[1].Name, "slot 1");
    EXPECT_EQ(g.Tanks[2].Name, "slot 2");
    EXPECT_FALSE(g.Tanks[1].IsBot);
    EXPECT_EQ(g.Tanks[1].Seat, 1);
    EXPECT_TRUE(g.Tanks[2].IsBot);
    EXPECT_TRUE(g.SplitScreen);
    EXPECT_EQ(g.SplitPan, -8000);
    // Player 2 on the left: player 1's engines come from the right.
    for (const int engine : {sndDiesel, sndHoverEngine, sndHummerEngine})
        EXPECT_EQ(rig.Sound.Sounds[engine].Pan, 8000);
    EXPECT_EQ(g.LeftViewPlayer, 1);
    EXPECT_EQ(g.RightViewPlayer, 0);
}

TEST(SetupStep, PlayerTwoEngineFollowsItsSort) {
    TestRig rig;
    Game& g = rig.g();
    TuneSounds(g);
    NameSlots(g);
    g.TwoPlayers = true;
    g.Start.TankSetups[1].Sort = sortHummer;
    SetupStep(g, rig.TheClock.Now);
    ASSERT_GE(g.Player2Engine, 18);
    const auto& e = rig.Sound.Sounds[g.Player2Engine];
    EXPECT_EQ(e.Wave, sndHummerEngine);
    EXPECT_EQ(e.Volume, rig.Sound.Sounds[sndHoverEngine].Volume);
    EXPECT_EQ(e.Pan, 8000);
    EXPECT_TRUE(e.Loop);
}

TEST(SetupStep, CreditsLevelHasTwentyTanks) {
    TestRig rig;
    Game& g = rig.g();
    NameSlots(g);
    g.CreditsLevel = true;
    g.Start.BotCount = 5;
    SetupStep(g, rig.TheClock.Now);
    ASSERT_EQ(g.TankCount, 20);
    EXPECT_EQ(g.Tanks[0].Sort, sortHummer); // slot 0 keeps its sort
    for (int i = 1; i < 20; ++i)
        EXPECT_EQ(g.Tanks[i].Sort, sortTank) << i;
}

TEST(SetupStep, MostVehiclesAndWeapons) {
    TestRig rig;
    Game& g = rig.g();
    NameSlots(g);
    g.TwoPlayers = true;
    g.Start.BotCount = 62;
    g.Start.TankSetups[5].Weapon = wpVarying;
    SetupStep(g, rig.TheClock.Now);
    EXPECT_EQ(g.TankCount, 64);
    EXPECT_TRUE(g.Tanks[5].VaryingWeapon);
    EXPECT_GE(g.Tanks[5].Weapon, 0);
    EXPECT_LE(g.Tanks[5].Weapon, 6);
    EXPECT_EQ(g.Tanks[4].Weapon, 4);
    EXPECT_FALSE(g.Tanks[4].VaryingWeapon);
}

TEST(SetupStep, NetworkNamesLoseTheirBlanks) {
    TestRig rig;
    Game& g = rig.g();
    NameSlots(g);
    g.NetworkGame = true;
    g.Start.BotCount = 1;
    SetupStep(g, rig.TheClock.Now);
    EXPECT_EQ(g.Tanks[0].Name, "slot_0");
    EXPECT_EQ(g.Tanks[0].PlayerId, 7);
    EXPECT_EQ(g.LocalPlayerId, 7);
}

TEST(SetupStep, SettingsFromTheStartScreen) {
    TestRig rig;
    Game& g = rig.g();
    g.Start.ArmourSlider = 75;
    g.Start.CaptureTheCowBox = true;
    g.Start.FragLimitSpin = 5;
    g.Start.ServerRate = 30;
    g.Start.NoShadowsBox = true;
    SetupStep(g, rig.TheClock.Now);
    EXPECT_EQ(g.ArmourLight, 75);
    EXPECT_EQ(g.ArmourTank, 120);
    EXPECT_TRUE(g.TeamGame);
    EXPECT_TRUE(g.UseBases);
    EXPECT_EQ(g.FragLimit, 5);
    EXPECT_EQ(g.StatusInterval, 33);
    EXPECT_FALSE(g.ShowShadows);
    // A zero rate must not divide by zero.
    g.Start.ServerRate = 0;
    SetupStep(g, rig.TheClock.Now);
    EXPECT_EQ(g.StatusInterval, 1000);
}

TEST(SetupStep, ClientKeepsTheHostsVehiclesAndRules) {
    TestRig rig;
    Game& g = rig.g();
    AddTank(g, sortTank);
    AddTank(g, sortTank);
    g.ClientMode = true;
    g.FragLimit = 9;
    g.Start.FragLimitSpin = 50;
    SetupStep(g, rig.TheClock.Now);
    EXPECT_EQ(g.TankCount, 2);
    EXPECT_EQ(g.FragLimit, 9);
}

TEST(SetupStep, ScreenSaverMakesEveryoneABot) {
    TestRig rig;
    Game& g = rig.g();
    NameSlots(g);
    g.ScreenSaverMode = true;
    SetupStep(g, rig.TheClock.Now);
    EXPECT_TRUE(g.Tanks[0].IsBot);
    EXPECT_TRUE(g.Tanks[0].VaryingWeapon);
}

TEST(Sounds, TuningLowersEverythingBySixHundred) {
    TestRig rig;
    Game& g = rig.g();
    TuneSounds(g);
    EXPECT_EQ(rig.Sound.Sounds[sndDiesel].Volume, -1200);
    EXPECT_EQ(rig.Sound.Sounds[sndBulletImpact].Volume, -1600);
    EXPECT_EQ(rig.Sound.Sounds[sndBulletImpact].Frequency, 30000);
    EXPECT_EQ(rig.Sound.Sounds[sndHorn].Frequency, 13500);
    EXPECT_EQ(rig.Sound.Sounds[sndAlarm].Frequency, 16000);
    EXPECT_EQ(rig.Sound.Sounds[sndMoo].Volume, -600);
    EXPECT_EQ(g.Player2Engine, 18);
}

TEST(ChangedSetups, TeamChangeKillsAndClearsFrags) {
    TestRig rig;
    Game& g = rig.g();
    NameSlots(g);
    for (TTankSetup& s : g.Start.TankSetups)
        s.Colour1 = {1023, 255, 255}; // blue
    g.Start.BotCount = 2;
    g.Start.TeamWarBox = true;
    SetupStep(g, rig.TheClock.Now);
    for (int i = 0; i < g.TankCount; ++i) {
        JoinByColour(g, i, NamedColour(g.Tanks[i].BodyColour));
        g.Tanks[i].Alive = true;
        g.Tanks[i].Frags = 4;
    }
    ASSERT_EQ(g.TeamCount, 1);
    g.Start.TankSetups[2].Colour1 = {0, 255, 255}; // vehicle 1 turns red
    g.Start.TankSetups[2].Changed = true;
    g.Start.TankSetups[3].Colour1 = {1023, 255, 200}; // vehicle 2: a darker blue, same team
    g.Start.TankSetups[3].Changed = true;
    g.Tanks[2].SavedMission = msCoverMe;
    g.Tanks[2].SavedMissionTarget = 1;
    g.Tanks[2].Mission = msCoverMe;
    g.Tanks[2].MissionTarget = 1;
    ApplyChangedSetups(g);
    EXPECT_FALSE(g.Tanks[1].Alive);
    EXPECT_EQ(g.Tanks[1].Frags, 0);
    EXPECT_EQ(g.TeamCount, 2);
    EXPECT_EQ(g.Teams[g.Tanks[1].TeamIndex].TeamName, "Red");
    EXPECT_TRUE(g.Tanks[2].Alive);
    EXPECT_EQ(g.Tanks[2].Frags, 4);
    EXPECT_EQ(g.Tanks[2].BodyColour, (TRgb{0, 0, 255})); // a member wears the exact team colour
    // A bot covering a vehicle that changed sides goes for the cow instead.
    EXPECT_EQ(g.Tanks[2].SavedMission, msCaptureCow);
    EXPECT_EQ(g.Tanks[2].Mission, msCaptureCow);
    EXPECT_FALSE(g.Start.TankSetups[2].Changed);
    EXPECT_TRUE(rig.Net.SetupsSent.empty()); // a local game tells nobody
}

TEST(ChangedSetups, ANetworkClientChangesOnlyItsOwnPlayers) {
    TestRig rig;
    Game& g = rig.g();
    g.NetworkGame = g.ClientMode = true;
    rig.Net.Host = false;
    g.LocalPlayerId = 7;
    // The host put this machine's player third in its table.
    for (int i = 0; i < 3; ++i)
        AddTank(g, sortTank);
    g.Tanks[0].PlayerId = 1;
    g.Tanks[1].IsBot = true;
    g.Tanks[2].PlayerId = 7;
    for (TTankSetup& s : g.Start.TankSetups) {
        s.Colour1 = {512, 255, 255};
        s.Changed = true;
    }
    const TRgb before = g.Tanks[0].BodyColour;
    const TRgb ownBefore = g.Tanks[2].BodyColour;
    ApplyChangedSetups(g);
    // The change is asked of the host; it shows when the host's echo comes.
    EXPECT_EQ(g.Tanks[2].BodyColour, ownBefore);
    EXPECT_EQ(g.Tanks[0].BodyColour, before);
    EXPECT_EQ(rig.Net.SetupsSent, (std::vector<int>{2}));
    EXPECT_EQ(rig.Net.AppearanceColours,
              (std::vector<int32_t>{PackColour(HsbToRgb({512, 255, 255}))}));
    EXPECT_FALSE(g.Start.TankSetups[0].Changed);
    EXPECT_TRUE(g.Start.TankSetups[2].Changed); // a bot's slot is not this machine's
}
