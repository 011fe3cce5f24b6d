// The start screen's behaviour, driven through its handlers: players and
// bots, styles and level lists, limits, the start checks, and the settings
// it loads and saves.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/vkeys.h"
#include "fakes/fakes.h"
#include "frontend/settings_file.h"
#include "frontend/start_form.h"
#include "world/world_support.h"

namespace {

// A start screen over a scratch copy of the shipped maps and default
// settings, so saving never touches the build's own folder.
struct StartRig : TestRig {
    TempFolder Folder;
    NoPictures Pictures;
    TApplication App;
    TStartForm Form{App, g()};

    StartRig() {
        for (const auto& e : std::filesystem::directory_iterator(MOOR_BIN_DIR)) {
            const std::string ext = e.path().extension().string();
            const std::string name = e.path().filename().string();
            if (ext == ".map" || name == DefaultSettingsFileName || name == "TextureList.txt" ||
                name == "Credits.txt")
                std::filesystem::copy_file(e.path(), Folder.Path / name);
        }
        g().ProgramFolder = Folder.Path.string();
        // The terrain tables tell which maps have bases.
        PrepareMatch(g(), Pictures);
        TheUi.Boxes.clear();
        Form.FormCreate();
        Form.FormActivate();
    }
    // A level that has bases and one that has none.
    std::string BaseLevel() const { return Form.Levels.BaseLevels.front(); }
    std::string PlainLevel() const {
        for (const std::string& name : Form.Levels.AllLevels)
            if (std::find(Form.Levels.BaseLevels.begin(), Form.Levels.BaseLevels.end(), name) ==
                Form.Levels.BaseLevels.end())
                return name;
        return {};
    }
    int ShownIndex(const std::string& name) const {
        const auto& shown = Form.ShownLevels();
        const auto it = std::find(shown.begin(), shown.end(), name);
        return it == shown.end() ? -1 : int(it - shown.begin());
    }
};

} // namespace

TEST(StartForm, AFirstActivationFillsTheControlsFromTheDefaultFile) {
    StartRig rig;
    TSettings file;
    ASSERT_EQ(LoadSettings(rig.Folder.Path.string(), file), "");
    EXPECT_TRUE(rig.TheUi.Boxes.empty());
    EXPECT_EQ(rig.Form.NameBox, file.TankSetups[0].Name);
    EXPECT_EQ(rig.Form.BotCount, SettingsBotCount(file));
    EXPECT_EQ(rig.Form.LimitBoxValue(), file.FragLimit);
    EXPECT_EQ(rig.Form.TauntBox1, file.TauntTable[0] + "\n" + file.TauntTable[1] + "\n" +
                                      file.TauntTable[2] + "\n" + file.TauntTable[3]);
    EXPECT_EQ(rig.Form.Caption(), "Moorclash");
    EXPECT_FALSE(rig.Form.ShownLevels().empty());
    EXPECT_EQ(rig.Form.LevelIndex, 0);
}

TEST(StartForm, TheFifthBotsEditsReachEntrySixAtStart) {
    StartRig rig;
    TStartForm& f = rig.Form;
    f.SetBotsBtnClick();
    EXPECT_EQ(f.Label12, "Bot 1:");
    EXPECT_TRUE(f.WeaponVisible());
    f.SelectTankChange(6);
    EXPECT_EQ(f.Label12, "Bot 5:");
    f.NameChange("Fifth");
    f.SortChange(2);
    f.PatternChange(4);
    f.WeaponChange(wpBfg);
    EXPECT_EQ(f.StartClick(startLocal), TStartResult::Started);
    const TTankSetup& bot = rig.g().Start.TankSetups[6];
    EXPECT_EQ(bot.Name, "Fifth");
    EXPECT_EQ(bot.Sort, sortHummer);
    EXPECT_EQ(bot.Pattern, 3); // "Tribal"
    EXPECT_EQ(bot.Weapon, wpBfg);
    EXPECT_TRUE(rig.g().Start.NewGameRequested);
    EXPECT_TRUE(f.GameStarted);
    EXPECT_EQ(f.Caption(), "Moorclash (press Esc to continue game)");
}

TEST(StartForm, PlayerSelectionAndConfigureBotsTwice) {
    StartRig rig;
    TStartForm& f = rig.Form;
    f.SelectPlayerBtnClick();
    EXPECT_EQ(f.SelectPlayerCaption, "Set Player 1");
    EXPECT_EQ(f.EditedSetup, 1);
    EXPECT_EQ(f.Label12, "Player 2:");
    EXPECT_FALSE(f.WeaponVisible());
    f.NameChange("Second");
    f.SelectPlayerBtnClick();
    EXPECT_EQ(f.EditedSetup, 0);
    EXPECT_EQ(rig.g().Start.TankSetups[1].Name, "Second");

    f.SetBotsBtnClick();
    EXPECT_EQ(f.SetBotsCaption, "Hide botconfig");
    EXPECT_TRUE(f.SelectorVisible);
    f.SetBotsBtnClick();
    EXPECT_EQ(f.SetBotsCaption, "Configure Bots");
    EXPECT_FALSE(f.SelectorVisible);
    EXPECT_EQ(f.EditedSetup, 0);
    EXPECT_EQ(f.Label12, "Player 1:");
    EXPECT_EQ(f.SelectPlayerCaption, "Set Player 2");
    // Selections from outside the table change nothing.
    f.SelectTankChange(64);
    f.SelectTankChange(-1);
    EXPECT_EQ(f.EditedSetup, 0);
}

TEST(StartForm, StylesSwapTheLevelListAndRememberThePlace) {
    StartRig rig;
    TStartForm& f = rig.Form;
    ASSERT_FALSE(f.Levels.BaseLevels.empty());
    const std::string base = rig.BaseLevel(), plain = rig.PlainLevel();
    ASSERT_FALSE(plain.empty());

    // Team War without bases shows every level.
    f.StyleClick(styleTeamWar);
    f.UseBasesClick(false);
    EXPECT_FALSE(f.Levels.BaseLevelMode);
    f.SelectLevel(rig.ShownIndex(base));
    const int allIndex = f.LevelIndex;
    // The chosen level has bases: it stays chosen in the base list.
    f.StyleClick(styleCaptureTheCow);
    EXPECT_TRUE(f.Levels.BaseLevelMode);
    EXPECT_EQ(f.SelectedLevelName(), base);
    // Back: the all-levels list at its earlier place.
    f.StyleClick(styleTeamWar);
    EXPECT_FALSE(f.Levels.BaseLevelMode);
    EXPECT_EQ(f.LevelIndex, allIndex);

    // A level without bases: the base list goes back to where it was left.
    f.SelectLevel(rig.ShownIndex(plain));
    f.UseBasesClick(true);
    EXPECT_TRUE(f.Levels.BaseLevelMode);
    EXPECT_EQ(f.SelectedLevelName(), base);
    // Leaving keeps the chosen name too, since every list holds it.
    f.StyleClick(styleDeathmatch);
    EXPECT_EQ(f.SelectedLevelName(), base);
}

TEST(StartForm, FragAndCowLimitsAreRememberedApart) {
    StartRig rig;
    TStartForm& f = rig.Form;
    const int frags = f.FragLimitSetting;
    f.StyleClick(styleCaptureTheCow);
    EXPECT_STREQ(f.LimitCaption(), "Cow limit:");
    f.LimitChange(9);
    EXPECT_EQ(f.CowLimitSetting, 9);
    EXPECT_EQ(f.FragLimitSetting, frags);
    f.StyleClick(styleDeathmatch);
    EXPECT_STREQ(f.LimitCaption(), "Frag limit:");
    EXPECT_EQ(f.LimitBoxValue(), frags);
    f.LimitChange(0);
    EXPECT_EQ(f.FragLimitSetting, 1);
    f.LimitChange(100000);
    EXPECT_EQ(f.FragLimitSetting, MaxLimit);
    // The game plays with the limit the box shows for the chosen style.
    f.StyleClick(styleCaptureTheCow);
    ASSERT_EQ(f.StartClick(startLocal), TStartResult::Started);
    EXPECT_EQ(rig.g().Start.FragLimitSpin, 9);
    EXPECT_TRUE(rig.g().Start.CaptureTheCowBox);
}

TEST(StartForm, LevelOrderMovesInBothLists) {
    StartRig rig;
    TStartForm& f = rig.Form;
    const auto before = f.Levels.AllLevels;
    f.SelectLevel(0);
    f.MapUpClick();
    EXPECT_EQ(f.Levels.AllLevels, before) << "the first level cannot go up";
    EXPECT_EQ(f.LevelIndex, 0);
    const int last = int(before.size()) - 1;
    f.SelectLevel(last);
    f.MapDownClick();
    EXPECT_EQ(f.Levels.AllLevels, before) << "the last level cannot go down";

    // Two levels with bases swap in the base list too.
    const auto& bases = f.Levels.BaseLevels;
    ASSERT_GE(bases.size(), 3u); // two maps with bases and the credits
    const std::string first = bases[0], second = bases[1];
    f.SelectLevel(rig.ShownIndex(second));
    const int at = f.LevelIndex;
    ASSERT_EQ(f.Levels.AllLevels[at - 1], first) << "maps with bases come last, in order";
    f.MapUpClick();
    EXPECT_EQ(f.Levels.BaseLevels[0], second);
    EXPECT_EQ(f.Levels.BaseLevels[1], first);
    EXPECT_EQ(f.LevelIndex, at - 1);
    EXPECT_EQ(f.SelectedLevelName(), second);
    f.MapDownClick();
    EXPECT_EQ(f.Levels.AllLevels, before);
    EXPECT_EQ(f.SelectedLevelName(), second);
}

TEST(StartForm, NetworkStartsCheckNamesAndCheats) {
    StartRig rig;
    TStartForm& f = rig.Form;
    // Without network play the buttons say so before any check.
    f.NameChange("pLaYeR 1");
    EXPECT_EQ(f.StartClick(startNetwork), TStartResult::NoNetworkPlay);
    EXPECT_EQ(rig.TheUi.Boxes.back(), "Network play is not in this build yet.");
    EXPECT_FALSE(f.FocusNameBox);
    rig.TheUi.Boxes.clear();
    // The checks, as a build with network play makes them.
    NullSession none;
    TNetworkForm dialog;
    dialog.FormCreate(&none, &rig.TheUi);
    f.Net = &none;
    f.NetworkForm = &dialog;
    EXPECT_EQ(f.StartClick(startNetwork), TStartResult::Refused);
    ASSERT_EQ(rig.TheUi.Boxes.size(), 1u);
    EXPECT_EQ(rig.TheUi.Boxes[0], "Please enter an original name instead of pLaYeR 1");
    EXPECT_TRUE(f.FocusNameBox);
    EXPECT_FALSE(f.GameStarted);

    // Player 2's name counts only with two local players; the controls go to it.
    f.NameChange("Ann");
    rig.g().Start.TankSetups[1].Name = "Player 2";
    EXPECT_EQ(f.StartClick(startNetwork), TStartResult::NetworkDialog);
    EXPECT_TRUE(dialog.Visible);
    // A cancelled dialog leaves everything as it was.
    dialog.CancelBtnClick();
    f.NetworkPass();
    EXPECT_FALSE(f.GameStarted);
    EXPECT_EQ(f.StartClick(startSplitScreenNetwork), TStartResult::Refused);
    EXPECT_EQ(f.EditedSetup, 1);
    EXPECT_EQ(rig.TheUi.Boxes.back(), "Please enter an original name instead of Player 2");
    EXPECT_FALSE(rig.g().Start.NewGameRequested);

    // The access code with "ALL": every cheat, and no network game.
    f.SelectPlayerBtnClick();
    f.NameChange("TurtleXALL");
    EXPECT_EQ(f.StartClick(startNetwork), TStartResult::Refused);
    EXPECT_EQ(rig.g().CheatFlags, 7);
    EXPECT_EQ(rig.TheUi.Boxes.back(), "So, you're a Wuss huh? No network play for you!!!");
    EXPECT_EQ(f.NameBox, "Kill_me");
    EXPECT_EQ(rig.g().Start.TankSetups[0].Name, "Kill_me");

    // The default name and the cheats are fine at home.
    f.NameChange("Player 1");
    EXPECT_EQ(f.StartClick(startLocal), TStartResult::Started);
    f.NameChange("TurtleX guns speed");
    EXPECT_EQ(f.StartClick(startSplitScreen), TStartResult::Started);
    EXPECT_EQ(rig.g().CheatFlags, 6);
    EXPECT_TRUE(rig.g().TwoPlayers);
    f.NameChange("turtlexALL");
    f.StartClick(startLocal);
    EXPECT_EQ(rig.g().CheatFlags, 0) << "the code is case-sensitive";
}

TEST(StartForm, ALocalStartWithoutALevelSelectsTheFirstAndWaits) {
    StartRig rig;
    TStartForm& f = rig.Form;
    f.SelectLevel(-1);
    EXPECT_EQ(f.StartClick(startLocal), TStartResult::Refused);
    EXPECT_EQ(rig.TheUi.Boxes.back(), "Select a level");
    EXPECT_EQ(f.LevelIndex, 0);
    EXPECT_EQ(f.StartClick(startLocal), TStartResult::Started);
    EXPECT_EQ(rig.g().Start.SelectedLevel, f.ShownLevels()[0]);

    f.SelectLevel(int(f.ShownLevels().size()) - 1);
    f.StartClick(startLocal);
    EXPECT_TRUE(rig.g().CreditsLevel);
}

TEST(StartForm, BeforeTheFirstGameActivationReloadsTheFileAfterItKeepsEdits) {
    StartRig rig;
    TStartForm& f = rig.Form;
    const std::string fromFile = f.NameBox;
    f.NameChange("Typed");
    f.FormActivate();
    EXPECT_EQ(f.NameBox, fromFile);
    ASSERT_EQ(f.StartClick(startLocal), TStartResult::Started);
    f.NameChange("Typed");
    f.FormActivate();
    EXPECT_EQ(f.NameBox, "Typed");
    // Esc continues, and only once a game has been started.
    EXPECT_TRUE(f.KeyDown(vk::Escape));
}

TEST(StartForm, TauntBoxesFillOnlyTheirFirstFourSlots) {
    StartRig rig;
    TStartForm& f = rig.Form;
    rig.g().Start.TauntTable[2] = "old three";
    rig.g().Start.TauntTable[3] = "old four";
    f.TauntBox1 = "one\ntwo";
    f.TauntBox2 = "a\n\nc\nd\ne\nf";
    f.CopyTauntBoxes();
    const auto& t = rig.g().Start.TauntTable;
    EXPECT_EQ(t[0], "one");
    EXPECT_EQ(t[1], "two");
    EXPECT_EQ(t[2], "old three");
    EXPECT_EQ(t[3], "old four");
    EXPECT_EQ(t[4], "a");
    EXPECT_EQ(t[5], "") << "an empty line keeps its slot";
    EXPECT_EQ(t[7], "d");
}

TEST(StartForm, ClosingSavesTheFileByteForByteAndTheAccessCodeAsKillMe) {
    StartRig rig;
    rig.Form.Close();
    EXPECT_TRUE(rig.App.Terminated);
    EXPECT_EQ(rig.Folder.Read(SettingsFileName), rig.Folder.Read(DefaultSettingsFileName));

    StartRig again;
    again.Form.NameChange("TurtleXarmor");
    again.Form.TauntBox1 = "just one";
    again.Form.SaveSettingsFromControls();
    TSettings saved;
    ASSERT_EQ(LoadSettings(again.Folder.Path.string(), saved), "");
    EXPECT_EQ(saved.TankSetups[0].Name, "Kill_me");
    EXPECT_EQ(again.Form.NameBox, "Kill_me");
    EXPECT_EQ(saved.TauntTable[0], "just one");
    EXPECT_EQ(saved.TauntTable[1], again.g().Start.TauntTable[1]);

    // A screen saver never writes the file.
    StartRig saver;
    saver.g().ScreenSaverMode = true;
    saver.Form.Close();
    EXPECT_FALSE(std::filesystem::exists(saver.Folder.File(SettingsFileName)));
}

TEST(StartForm, OutOfRangeFileValuesAreKeptToWhatTheGameCanRun) {
    StartRig rig;
    TSettings s;
    ASSERT_EQ(LoadSettings(rig.Folder.Path.string(), s), "");
    s.ServerRate = 0;
    s.BotCount = "99";
    s.FragLimit = -4;
    s.CowLimit = 5000;
    s.Armour = 900;
    s.TauntChance = 3;
    s.TankSetups[4].Sort = 7;
    s.TankSetups[4].Pattern = 12;
    s.TankSetups[4].Colour1.Hue = 99999;
    ASSERT_EQ(SaveSettings(rig.Folder.Path.string(), s), "");
    rig.Form.FormActivate();
    TStartForm& f = rig.Form;
    EXPECT_EQ(f.ServerRate, 1);
    EXPECT_EQ(f.BotCount, MaxBotCount);
    EXPECT_EQ(f.FragLimitSetting, 1);
    EXPECT_EQ(f.CowLimitSetting, MaxLimit);
    EXPECT_EQ(f.Armour, MaxArmour);
    EXPECT_EQ(f.ArmourLabel, "500 %");
    EXPECT_DOUBLE_EQ(f.TauntChance, 1.0);
    const TTankSetup& bot = rig.g().Start.TankSetups[4];
    EXPECT_EQ(bot.Sort, sortTank);
    EXPECT_EQ(bot.Pattern, -1);
    EXPECT_EQ(bot.Colour1.Hue, 1536);
}

TEST(StartForm, AnInvalidNumberKeepsItsControlAndReadsTheRest) {
    StartRig rig;
    TStartForm& f = rig.Form;
    f.NameChange("Before");
    f.TauntBox1 = "kept";
    f.LimitChange(77);
    // Line 13 (the frag limit) is not a number: every other line is applied.
    const std::string original = rig.Folder.Read(DefaultSettingsFileName);
    std::string text = original;
    size_t at = 0;
    for (int line = 1; line < 13; ++line)
        at = text.find("\r\n", at) + 2;
    text.replace(at, text.find("\r\n", at) - at, "lots");
    text.replace(0, 1, "1"); // full screen on
    rig.Folder.Write(SettingsFileName, text);
    EXPECT_EQ(f.LoadSettingsIntoControls(), "Invalid numeric input");
    EXPECT_EQ(rig.TheUi.Boxes.back(), "Invalid numeric input");
    EXPECT_TRUE(f.Fullscreen);
    EXPECT_EQ(f.FragLimitSetting, 77);
    TSettings want;
    rig.Folder.Write(SettingsFileName, original);
    ASSERT_EQ(LoadSettings(rig.Folder.Path.string(), want), "");
    EXPECT_EQ(f.NameBox, want.TankSetups[0].Name);
    EXPECT_EQ(f.TauntBox1.substr(0, want.TauntTable[0].size()), want.TauntTable[0]);
    EXPECT_EQ(rig.g().Start.TankSetups[63].Name, want.TankSetups[63].Name);
}

TEST(StartForm, TheHelpTextFollowsThePointerAtOnce) {
    StartRig rig;
    TStartForm& f = rig.Form;
    f.HoverStartButton(0, 1000);
    EXPECT_TRUE(f.HelpVisible);
    EXPECT_EQ(f.HelpText, "Start");
    // From one button straight to another: no pause to wait through.
    f.HoverStartButton(3, 1100);
    EXPECT_TRUE(f.HelpVisible);
    EXPECT_EQ(f.HelpText, "Start splitscreen network game");
    f.HoverStartButton(-1, 2200);
    EXPECT_FALSE(f.HelpVisible);
    // Not while the options cover the buttons.
    f.OptionsBtnClick();
    EXPECT_EQ(f.OptionsCaption, "HIDE OPTIONS");
    f.HoverStartButton(1, 2300);
    EXPECT_FALSE(f.HelpVisible);
}

TEST(StartForm, TheBackgroundTintFollowsItsRule) {
    Random rng(5);
    for (int n = 0; n < 50; ++n) {
        const TTint t = RandomTint(rng);
        const double hi = std::max({t.R, t.G, t.B});
        EXPECT_GE(hi, 0.5);
        EXPECT_LT(hi, 1.0);
    }
    TImage pic(2, 1);
    pic.Pixels = {Rgb(200, 10, 10), Rgb(0, 255, 255)};
    TintBackground(pic, {0.5, 0.25, 1.0});
    EXPECT_EQ(pic.Pixels[0], Rgb(100, 50, 200));
    EXPECT_EQ(pic.Pixels[1], Rgb(0, 0, 0)) << "only the red channel counts";
    EXPECT_EQ((TTint{0.5, 0.25, 1.0}.TextColour()), Rgb(128, 64, 255));
}
