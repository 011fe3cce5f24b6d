// The game window's keys and mouse: the players' mapped keys, the window's
// own keys, the developer keys and mouse, and the pause.
#include <gtest/gtest.h>

#include <numbers>
#include <string>
#include <vector>

#include "core/asset_names.h"
#include "core/vkeys.h"
#include "fakes/fakes.h"
#include "frontend/game_window.h"
#include "frontend/key_settings.h"
#include "sim/teams.h"
#include "sim/vehicles.h"

namespace {

class PointerDisplay : public NoDisplay {
  public:
    std::vector<std::pair<int, int>> Moves;
    void MovePointer(int x, int y) override { Moves.push_back({x, y}); }
};

// Two players on one keyboard with the default keys: Ann (0) a Tank, Bob
// (1) a Hovercraft, and a bot (2), all alive in a running level.
struct KeysRig : TestRig {
    TApplication App;
    TStartForm Start{App, g()};
    PointerDisplay Display;
    NoPictures Pictures;
    TForm1 Form{App, g(), Start, Display, Pictures, TheClock};

    KeysRig() {
        BuildKeyMap(DefaultKeyLists(), g().KeyMap);
        const int sorts[] = {sortTank, sortHovercraft, sortTank};
        for (int i = 0; i < 3; ++i) {
            const int k = AddTank(g(), sorts[i]);
            g().Tanks[k].Alive = true;
            g().Tanks[k].Name = "V" + std::to_string(k);
        }
        g().Tanks[2].IsBot = true;
        g().TwoPlayers = g().SplitScreen = true;
        g().Player1 = 0;
        g().Player2 = 1;
        g().LevelRunning = true;
        g().GameTime = 10000;
        g().Start.TauntTable[0] = "one";
        g().Start.TauntTable[4] = "five";
        Form.Visible = true;
        Form.Mode.Width = 800;
        Form.Mode.Height = 600;
    }
    TTank& Ann() { return g().Tanks[0]; }
    TTank& Bob() { return g().Tanks[1]; }
    void Tap(int key, int shift = 0) {
        Form.FormKeyDown(key, shift);
        Form.FormKeyUp(key);
    }
};

} // namespace

TEST(GameKeys, MappedKeysDriveBothPlayersAndAHeldKeyPressesOnce) {
    KeysRig rig;
    Game& g = rig.g();
    rig.Form.FormKeyDown(vk::Up, 0);
    rig.Form.FormKeyDown('E', 0);
    EXPECT_EQ(rig.Ann().Throttle, 1);
    EXPECT_EQ(rig.Bob().Throttle, 1);
    // Brake tapped: Ann rolls out; the still-held Up pressing again (the
    // keyboard repeating it) does not start her again.
    rig.Tap(vk::Down);
    rig.Form.FormKeyDown(vk::Up, 0);
    EXPECT_EQ(rig.Ann().Throttle, 0);
    rig.Form.FormKeyUp(vk::Up);
    rig.Form.FormKeyDown(vk::Up, 0);
    EXPECT_EQ(rig.Ann().Throttle, 1);
    // Without split screen player 2's keys do nothing.
    g.SplitScreen = false;
    rig.Form.FormKeyUp('E');
    EXPECT_EQ(rig.Bob().Throttle, 1);
    EXPECT_FALSE(g.KeyHeld['E']);
    rig.Form.FormKeyDown('S', 0);
    EXPECT_EQ(rig.Bob().Steer, 0);
}

TEST(GameKeys, MainDigitsPickWeaponsOnlyWithoutSplitScreen) {
    KeysRig rig;
    Game& g = rig.g();
    rig.Tap(vk::Digit(7));
    EXPECT_EQ(rig.Ann().Weapon, wpMachineGun);
    g.SplitScreen = false;
    rig.Tap(vk::Digit(7));
    EXPECT_EQ(rig.Ann().Weapon, wpBfg);
    rig.Tap(vk::Digit(2));
    EXPECT_EQ(rig.Ann().Weapon, wpRailgun);
    rig.Tap(vk::Digit(8)); // no eighth weapon
    EXPECT_EQ(rig.Ann().Weapon, wpRailgun);
}

TEST(GameKeys, NamesPauseAndTaunts) {
    KeysRig rig;
    Game& g = rig.g();
    rig.Tap('N');
    EXPECT_TRUE(g.Start.ShowNamesBox);
    // N bound to player 1's horn: the horn, not the names.
    TKeyLists l = DefaultKeyLists();
    BindKey(l, 0, caHorn, 'N');
    BuildKeyMap(l, g.KeyMap);
    rig.Form.FormKeyDown('N', 0);
    EXPECT_TRUE(rig.Ann().HornOn);
    EXPECT_TRUE(g.Start.ShowNamesBox);
    rig.Form.FormKeyUp('N');

    rig.Tap(vk::Fn(5));
    rig.Tap(vk::Fn(1));
    ASSERT_EQ(g.Console.Count, 2);
    EXPECT_EQ(g.Console.Lines[0].Text, "one");
    EXPECT_EQ(g.Console.Lines[0].Owner, 0);
    EXPECT_EQ(g.Console.Lines[1].Text, "five");
    EXPECT_EQ(g.Console.Lines[1].Owner, 1);
    g.SplitScreen = false;
    rig.Tap(vk::Fn(1));
    EXPECT_EQ(g.Console.Count, 2);
}

TEST(GameKeys, PauseStopsTheClockAndNeverHoldsANetworkGame) {
    KeysRig rig;
    Game& g = rig.g();
    rig.Tap('P');
    EXPECT_TRUE(g.Paused);
    EXPECT_EQ(rig.TheUi.Caption, "Moorclash (Paused)");
    EXPECT_TRUE(rig.Sound.IsPlaying(sndDiesel) == false);
    // Ten seconds later the game goes on from where it stopped.
    rig.TheClock.Advance(10000);
    rig.Tap('P');
    EXPECT_FALSE(g.Paused);
    EXPECT_EQ(g.LastTick, rig.TheClock.Now);
    EXPECT_EQ(rig.TheUi.Caption, "Moorclash");
    EXPECT_TRUE(rig.Sound.IsPlaying(sndDiesel));
    // Full screen keeps its caption.
    rig.Form.Mode.FullScreen = true;
    rig.Tap('P');
    EXPECT_EQ(rig.TheUi.Caption, "Moorclash");
    rig.Tap('P');
    g.NetworkGame = true;
    rig.Tap('P');
    EXPECT_FALSE(g.Paused);
}

TEST(GameKeys, OrderDigitsInCaptureTheCow) {
    KeysRig rig;
    Game& g = rig.g();
    g.TeamGame = g.CaptureTheCow = true;
    CreateTeam(g, 1);
    for (int i = 0; i < 3; ++i)
        PutIntoTeam(g, i, 0);
    RebuildMateLists(g);
    ASSERT_EQ(g.MateLists[0].Count, 2);
    // Player 1 on the keypad, player 2 on the main digits.
    rig.Tap(vk::Numpad(9));
    rig.Tap(vk::Numpad(2));
    EXPECT_EQ(g.MateLists[0].OrderStage, 3);
    rig.Tap(vk::Digit(0));
    EXPECT_EQ(g.MateLists[1].OrderStage, 1);
    EXPECT_EQ(rig.Ann().Weapon, wpMachineGun);
    rig.Tap(vk::Numpad(4));
    EXPECT_EQ(g.MateLists[0].OrderStage, 0);
    EXPECT_EQ(g.Tanks[g.MateLists[0].Mates[2]].SavedMission, msFreelance);
    EXPECT_EQ(g.Tanks[g.MateLists[0].Mates[2]].SavedMissionTarget, 0);
}

TEST(GameKeys, StrayCodesAndRepeatsDoNothing) {
    KeysRig rig;
    Game& g = rig.g();
    // A file without line 2 binds code 0, which is what keys without a code send.
    TKeyLists l = DefaultKeyLists();
    for (int i = 0; i < KeyActionCount; ++i)
        l.Key(1, i) = 0;
    BuildKeyMap(l, g.KeyMap);
    rig.Tap(0);
    rig.Tap(-5);
    rig.Tap(256);
    rig.Tap(100000);
    EXPECT_EQ(g.Mines.Count, 0);
    // The keyboard's auto-repeat toggles nothing.
    rig.Form.FormKeyDown('P', 0);
    rig.Form.FormKeyDown('P', 0, true);
    EXPECT_TRUE(g.Paused);
}

TEST(GameKeys, EscLeavesForTheStartScreenLettingGoOfHeldKeys) {
    KeysRig rig;
    Game& g = rig.g();
    rig.Form.FormKeyDown(vk::Up, 0);
    rig.Form.FormKeyDown(vk::Control, 0);
    EXPECT_TRUE(rig.Ann().Firing);
    rig.Form.FormKeyDown(vk::Escape, 0);
    EXPECT_FALSE(rig.Form.Visible);
    EXPECT_TRUE(rig.Start.Visible);
    EXPECT_TRUE(g.Paused);
    EXPECT_EQ(rig.Ann().Throttle, 0);
    EXPECT_FALSE(rig.Ann().Firing);
    EXPECT_FALSE(g.KeyHeld[vk::Up]);
    EXPECT_FALSE(rig.App.Terminated);
}

TEST(GameKeys, FunctionTwelveAndTheDeveloperKeys) {
    KeysRig rig;
    Game& g = rig.g();
    // The developer key works only when the program was started for it.
    rig.Tap(vk::OemTilde);
    EXPECT_FALSE(g.DeveloperMode);
    rig.Form.DeveloperSwitch = true;
    rig.Tap(vk::OemTilde);
    ASSERT_TRUE(g.DeveloperMode);
    rig.Tap(vk::Fn(12));
    EXPECT_TRUE(rig.Bob().IsBot);
    EXPECT_FALSE(rig.App.Terminated);
    rig.Tap(vk::Fn(11));
    EXPECT_TRUE(g.Player1Autopilot);
    rig.Tap(vk::Space);
    EXPECT_TRUE(g.TurretLock);
    rig.Tap(vk::OemPlus);
    rig.Tap(vk::OemPlus);
    rig.Tap(vk::OemMinus);
    EXPECT_EQ(g.ClockOffset, -20);
    rig.Tap(vk::Apps);
    EXPECT_TRUE(g.PassiveInterpolation);
    EXPECT_EQ(g.Console.Lines[0].Text, "Passive Interpolation");
    rig.Tap(vk::Apps);
    EXPECT_EQ(g.Console.Count, 1);
    g.NetworkGame = true;
    g.ClientMode = true;
    rig.Tap(vk::Delete, ssCtrl);
    rig.Tap(vk::Delete, ssCtrl | ssShift);
    rig.Tap(vk::Fn(9));
    EXPECT_EQ(rig.Net.Events, (std::vector<std::string>{"remote shutdown", "ping"}));
    // Without developer mode F12 ends the program.
    rig.Tap(vk::OemTilde);
    rig.Tap(vk::Fn(12));
    EXPECT_TRUE(rig.App.Terminated);
}

TEST(GameKeys, DeveloperMouseTurnsTheTurretAndFiresLocally) {
    KeysRig rig;
    Game& g = rig.g();
    rig.Form.DXDrawMouseMove(900, 300);
    rig.Form.DXDrawMouseDown(TForm1::mbLeft);
    EXPECT_EQ(rig.Ann().TurretAngle, 0);
    EXPECT_FALSE(rig.Ann().Firing);

    g.DeveloperMode = true;
    g.NetworkGame = true;
    // 500 px right of the middle is a quarter turn right.
    rig.Form.DXDrawMouseMove(900, 300);
    EXPECT_NEAR(rig.Ann().TurretAngle, -std::numbers::pi / 2, 1e-9);
    EXPECT_EQ(rig.Display.Moves, (std::vector<std::pair<int, int>>{{400, 300}}));
    rig.Form.DXDrawMouseMove(400, 300);
    EXPECT_EQ(rig.Display.Moves.size(), 1u);
    rig.Form.DXDrawMouseDown(TForm1::mbLeft);
    EXPECT_TRUE(rig.Ann().Firing);
    rig.Form.DXDrawMouseUp(TForm1::mbLeft);
    EXPECT_FALSE(rig.Ann().Firing);
    rig.Form.DXDrawMouseDown(TForm1::mbRight);
    EXPECT_EQ(rig.Ann().Weapon, wpRailgun);
    EXPECT_EQ(rig.Net.Events, std::vector<std::string>{"control 0 12 pressed"});

    // A Hovercraft's turret stops at a right angle.
    g.Player1 = 1;
    rig.Form.DXDrawMouseMove(0, 300);
    rig.Form.DXDrawMouseMove(0, 300);
    EXPECT_NEAR(rig.Bob().TurretAngle, std::numbers::pi / 2, 1e-9);
}

TEST(GameKeys, AnyKeyEndsTheScreenSaver) {
    KeysRig rig;
    rig.g().ScreenSaverMode = true;
    rig.Form.FormKeyDown(0, 0);
    EXPECT_FALSE(rig.Form.Visible);
    EXPECT_TRUE(rig.App.Terminated);
}

TEST(GameKeys, PadsDriveTheirPlayersAndStartPauses) {
    KeysRig rig;
    Game& g = rig.g();
    TPadState pad;
    pad.Connected = true;
    pad.LeftX = -1;
    rig.Form.PadInput(1, pad);
    EXPECT_EQ(rig.Bob().Steer, 1);
    EXPECT_EQ(rig.Ann().Steer, 0);
    // Without split screen the second pad has no one to drive.
    g.SplitScreen = false;
    pad.LeftX = 1;
    rig.Form.PadInput(1, pad);
    EXPECT_EQ(rig.Bob().Steer, 1);
    pad.Start = true;
    rig.Form.PadInput(0, pad);
    EXPECT_TRUE(g.Paused);
    EXPECT_EQ(rig.Ann().Steer, -1);
    rig.Form.PadInput(0, pad); // Start still held: no second toggle
    EXPECT_TRUE(g.Paused);
}

TEST(GameKeys, ResumingWithPlayerOneDeadStartsNoEngine) {
    KeysRig rig;
    rig.Tap('P');
    rig.Ann().Alive = false;
    rig.Sound.Log.clear();
    rig.Tap('P');
    for (const std::string& entry : rig.Sound.Log)
        EXPECT_NE(entry, "play " + std::to_string(sndDiesel));
    EXPECT_FALSE(rig.Sound.IsPlaying(sndDiesel));
}
