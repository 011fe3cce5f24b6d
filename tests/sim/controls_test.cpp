#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fakes.h"
#include "sim/controls.h"
#include "sim/teams.h"
#include "sim/vehicles.h"

namespace {

// Ann (0) drives a Tank, Bob (1) a Hovercraft, Cid (2) is a bot; all alive
// in a running level.
struct ControlRig : TestRig {
    ControlRig() {
        const int sorts[] = {sortTank, sortHovercraft, sortTank};
        const char* names[] = {"Ann", "Bob", "Cid"};
        for (int i = 0; i < 3; ++i) {
            const int k = AddTank(g(), sorts[i]);
            g().Tanks[k].Name = names[i];
            g().Tanks[k].Alive = true;
            g().Tanks[k].Health = 100;
        }
        g().Tanks[2].IsBot = true;
        g().LevelRunning = true;
        g().GameTime = 10000;
    }
    TTank& Ann() { return g().Tanks[0]; }
    void Press(int v, int action) { ControlInput(g(), v, action, true); }
    void Let(int v, int action) { ControlInput(g(), v, action, false); }
};

} // namespace

TEST(Controls, ThrottleAndSteerReleaseOnlyTheirOwnValue) {
    ControlRig rig;
    TTank& t = rig.Ann();
    // Forward held, brake tapped: the vehicle rolls out instead of driving on.
    rig.Press(0, caForward);
    rig.Press(0, caBrake);
    EXPECT_EQ(t.Throttle, -1);
    rig.Let(0, caBrake);
    EXPECT_EQ(t.Throttle, 0);
    rig.Let(0, caForward);
    EXPECT_EQ(t.Throttle, 0);
    // Right pressed while left is held, then left let go: still right.
    rig.Press(0, caLeft);
    rig.Press(0, caRight);
    rig.Let(0, caLeft);
    EXPECT_EQ(t.Steer, -1);
    rig.Let(0, caRight);
    EXPECT_EQ(t.Steer, 0);
    // Horn and fire follow the key.
    rig.Press(0, caHorn);
    rig.Press(0, caFire);
    EXPECT_TRUE(t.HornOn);
    EXPECT_TRUE(t.Firing);
    rig.Let(0, caHorn);
    rig.Let(0, caFire);
    EXPECT_FALSE(t.HornOn);
    EXPECT_FALSE(t.Firing);
}

TEST(Controls, ChangeWeaponSelectsTheNextAndWrapsAfterTheBfg) {
    ControlRig rig;
    TTank& t = rig.Ann();
    t.Weapon = wpBfg;
    rig.Press(0, caChangeWeapon);
    EXPECT_EQ(t.Weapon, wpMachineGun);
    rig.Press(0, caChangeWeapon);
    EXPECT_EQ(t.Weapon, wpRailgun);
    rig.Let(0, caChangeWeapon);
    EXPECT_EQ(t.Weapon, wpRailgun);
    rig.Press(0, caSelectWeapon + int(wpGuided));
    EXPECT_EQ(t.Weapon, wpGuided);
}

TEST(Controls, TurretStepsWrapForTanksAndStopAtNinetyDegreesForHovercraft) {
    ControlRig rig;
    TTank& tank = rig.Ann();
    TTank& hover = rig.g().Tanks[1];
    tank.TurretPreset = 4;
    rig.Press(0, caTurretLeft);
    EXPECT_EQ(tank.TurretPreset, -3);
    EXPECT_EQ(tank.TurretTurn, 1);
    tank.TurretPreset = -4;
    rig.Press(0, caTurretRight);
    EXPECT_EQ(tank.TurretPreset, 3);
    EXPECT_EQ(tank.TurretTurn, -1);

    hover.TurretPreset = 1;
    rig.Press(1, caTurretLeft);
    EXPECT_EQ(hover.TurretPreset, 2);
    hover.TurretTurn = 0;
    rig.Press(1, caTurretLeft);
    EXPECT_EQ(hover.TurretPreset, 2);
    EXPECT_EQ(hover.TurretTurn, 0);
    for (int i = 0; i < 6; ++i)
        rig.Press(1, caTurretRight);
    EXPECT_EQ(hover.TurretPreset, -2);
}

TEST(Controls, FireAfterAWinWaitsFourSecondsAndRespawnsAfterHalfASecond) {
    ControlRig rig;
    Game& g = rig.g();
    g.LevelRunning = false;
    g.LevelEndTime = 10000;
    g.GameTime = 13000;
    rig.Press(0, caFire);
    EXPECT_FALSE(g.NextLevelRequested);
    g.GameTime = 15000;
    rig.Press(0, caFire);
    EXPECT_TRUE(g.NextLevelRequested);

    g.LevelRunning = true;
    TTank& t = rig.Ann();
    t.Alive = false;
    t.DeathTime = 20000;
    g.GameTime = 20300;
    rig.Press(0, caFire);
    EXPECT_FALSE(t.Alive);
    g.GameTime = 20600;
    rig.Press(0, caFire);
    EXPECT_TRUE(t.Alive);
    EXPECT_FALSE(t.Firing); // coming back is not a shot
}

TEST(Controls, MinesAndSelfDestruct) {
    ControlRig rig;
    TTank& t = rig.Ann();
    rig.Press(0, caDropMine);
    EXPECT_EQ(rig.g().Mines.Count, 1);
    EXPECT_EQ(t.MinesLeft, 9);
    rig.Press(0, caSelfDestruct);
    EXPECT_TRUE(t.SelfDestructArmed);
}

TEST(Controls, ANetworkClientLeavesShotsTurretAndMinesToTheHost) {
    ControlRig rig;
    Game& g = rig.g();
    g.NetworkGame = g.ClientMode = true;
    rig.Net.Host = false;
    TTank& t = rig.Ann();
    rig.Press(0, caFire);
    rig.Press(0, caTurretLeft);
    rig.Press(0, caDropMine);
    rig.Press(0, caForward);
    t.Weapon = wpRockets;
    rig.Press(0, caChangeWeapon);
    rig.Let(0, caTurretLeft); // releases of step keys are not sent
    rig.Let(0, caForward);
    EXPECT_FALSE(t.Firing);
    EXPECT_EQ(t.TurretPreset, 0);
    EXPECT_EQ(g.Mines.Count, 0);
    EXPECT_EQ(t.Weapon, wpHoming);
    // Every press goes to the host; a weapon change goes as the selection.
    EXPECT_EQ(rig.Net.Events,
              (std::vector<std::string>{"control 0 4 pressed", "control 0 6 pressed",
                                        "control 0 10 pressed", "control 0 0 pressed",
                                        "control 0 15 pressed", "control 0 0 released"}));
}

TEST(Controls, ABotsControlsAreNotSentAndBadInputIsIgnored) {
    ControlRig rig;
    Game& g = rig.g();
    g.NetworkGame = true;
    rig.Press(2, caForward);
    EXPECT_EQ(g.Tanks[2].Throttle, 1);
    EXPECT_TRUE(rig.Net.Events.empty());
    rig.Press(3, caForward);
    rig.Press(-1, caForward);
    rig.Press(0, 18);
    rig.Press(0, -1);
    ApplyControl(g, 64, caFire, true);
    EXPECT_TRUE(rig.Net.Events.empty());
    EXPECT_EQ(rig.Ann().Throttle, 0);
}

namespace {

// Player 1 (vehicle 0) in Capture The Cow with n team-mates.
struct OrderRig : TestRig {
    explicit OrderRig(int mates) {
        g().TeamGame = g().CaptureTheCow = true;
        CreateTeam(g(), 1);
        for (int i = 0; i <= mates; ++i) {
            const int k = AddTank(g(), sortTank);
            g().Tanks[k].Name = "T" + std::to_string(k);
            g().Tanks[k].IsBot = k > 0;
            PutIntoTeam(g(), k, 0);
        }
        RebuildMateLists(g());
    }
    void Type(std::vector<int> digits) {
        for (int d : digits)
            OrderInput(g(), 0, d);
    }
    const TMateList& Menu() { return g().MateLists[0]; }
};

} // namespace

TEST(OrderInput, TwoDigitMatesWithTwelveTeamMates) {
    OrderRig rig(12);
    ASSERT_EQ(rig.Menu().Count, 12);
    rig.Type({7, 1, 2});
    EXPECT_EQ(rig.Menu().OrderStage, 3);
    EXPECT_EQ(rig.Menu().OrderMate, 12);
    rig.Type({3});
    EXPECT_EQ(rig.Menu().OrderStage, 0);
    EXPECT_EQ(rig.Menu().OrderCode, msCoverMe);
    const int mate = rig.Menu().Mates[12];
    EXPECT_EQ(rig.g().Tanks[mate].Mission, msCoverMe);
    EXPECT_EQ(rig.g().Tanks[mate].MissionTarget, 0);
    // 13 is past the end: cancelled after the second digit.
    rig.Type({5, 1, 3});
    EXPECT_EQ(rig.Menu().OrderStage, 0);
    // 0 then 0 is nobody; 0 then 9 is mate 9.
    rig.Type({1, 0, 0});
    EXPECT_EQ(rig.Menu().OrderStage, 0);
    rig.Type({1, 0, 9});
    EXPECT_EQ(rig.Menu().OrderStage, 3);
    EXPECT_EQ(rig.Menu().OrderMate, 9);
    // 5-9 are no order; 0 closes the menu without one.
    rig.Type({7});
    EXPECT_EQ(rig.Menu().OrderStage, 3);
    rig.Type({0});
    EXPECT_EQ(rig.Menu().OrderStage, 0);
    // 20 is past 12 at the first digit already.
    rig.Type({1, 2});
    EXPECT_EQ(rig.Menu().OrderStage, 0);
}

TEST(OrderInput, OneDigitMatesWithFiveTeamMates) {
    OrderRig rig(5);
    rig.Type({1, 6});
    EXPECT_EQ(rig.Menu().OrderStage, 0);
    rig.Type({1, 0});
    EXPECT_EQ(rig.Menu().OrderStage, 0);
    rig.Type({1, 5, 4});
    EXPECT_EQ(rig.Menu().OrderStage, 0);
    const int mate = rig.Menu().Mates[5];
    EXPECT_EQ(rig.g().Tanks[mate].SavedMission, msFreelance);
    EXPECT_EQ(rig.g().Console.Count, 1);

    OrderRig alone(0);
    alone.Type({1, 1});
    EXPECT_EQ(alone.Menu().OrderStage, 0);
}
