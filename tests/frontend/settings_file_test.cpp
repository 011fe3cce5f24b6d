// The settings file: what is read from settings.dat or the shipped default,
// what is written back, and what the game gets to play with.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fakes/fakes.h"
#include "frontend/settings_file.h"
#include "world/world_support.h"

namespace {

// A whole file with a different value on every line: line n is Lines[n - 1].
struct TSettingsText {
    std::vector<std::string> Lines;

    TSettingsText() {
        Lines = {"1", "0", "1", "1", "0", "1", "0", "25", "0", "1", "150", "7", "20", "3", "40"};
        for (int t = 0; t < 12; ++t)
            Lines.push_back("Taunt " + std::to_string(t));
        for (int k = 0; k < MaxTanks; ++k) {
            Lines.push_back("Driver " + std::to_string(k));
            Lines.push_back(std::to_string(k % 3 * 5));
            Lines.push_back(std::to_string(k % 8 - 1));
            Lines.push_back(std::to_string(k * 20) + " " + std::to_string(k) + " 300");
            Lines.push_back("7 8 " + std::to_string(k));
        }
    }
    std::string& operator[](int line) { return Lines[line - 1]; }
    std::string Text(size_t count = SettingsLineCount) const {
        std::string text;
        for (size_t i = 0; i < count && i < Lines.size(); ++i)
            text += Lines[i] + "\r\n";
        return text;
    }
};

std::vector<std::string> SplitCrLf(const std::string& text) {
    std::vector<std::string> lines;
    size_t at = 0;
    for (size_t end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(text.substr(at, end - at));
    EXPECT_EQ(at, text.size()) << "every line ends with CR LF";
    return lines;
}

} // namespace

TEST(SettingsFile, AFirstRunReadsTheDefaultFile) {
    TempFolder dir;
    dir.Write(DefaultSettingsFileName, TSettingsText().Text());
    TSettings s;
    ASSERT_EQ(LoadSettings(dir.Path.string(), s), "");
    EXPECT_TRUE(s.Fullscreen);
    EXPECT_FALSE(s.CycleLevels);
    EXPECT_EQ(s.ServerRate, 25);
    EXPECT_EQ(s.BotCount, "7");
    EXPECT_EQ(s.TauntTable[11], "Taunt 11");
    const TTankSetup& bot = s.TankSetups[63];
    EXPECT_EQ(bot.Name, "Driver 63");
    EXPECT_EQ(bot.Sort, sortTank);
    EXPECT_EQ(bot.Pattern, 6);
    EXPECT_EQ(bot.Colour1.Hue, 1260);
    EXPECT_EQ(bot.Colour2.Brightness, 63);
    EXPECT_EQ(s.TankSetups[1].Weapon, wpMachineGun);
    EXPECT_EQ(bot.Weapon, wpVarying);
    EXPECT_FALSE(std::filesystem::exists(dir.File(SettingsFileName))) << "loading writes nothing";
}

TEST(SettingsFile, SettingsDatWinsAndWithoutEitherFileNothingChanges) {
    TempFolder dir;
    TSettingsText own;
    own[28] = "Mine";
    dir.Write(DefaultSettingsFileName, TSettingsText().Text());
    dir.Write(SettingsFileName, own.Text());
    TSettings s;
    ASSERT_EQ(LoadSettings(dir.Path.string(), s), "");
    EXPECT_EQ(s.TankSetups[0].Name, "Mine");

    std::filesystem::remove(dir.File(SettingsFileName));
    std::filesystem::remove(dir.File(DefaultSettingsFileName));
    TSettings untouched;
    untouched.TankSetups[0].Name = "Kept";
    EXPECT_EQ(LoadSettings(dir.Path.string(), untouched), "File not found");
    EXPECT_EQ(untouched.TankSetups[0].Name, "Kept");
    EXPECT_EQ(untouched.ServerRate, TSettings{}.ServerRate);
}

TEST(SettingsFile, NumbersAreWordsThatMayStartOnALaterLine) {
    TempFolder dir;
    TSettingsText file;
    file[4] = "2";                     // not exactly 1: off
    file[6] = "5";                     // no such resolution: none selected
    file[11] = "0";                    // the armour slider stops at 1
    file[8] = " \t33 per second";      // the rest of a number's line is dropped
    file[12] = " 5 ";                  // the bot line is text, kept as it is
    file[28] = "  Lord  of the Moor "; // a name is the whole line
    dir.Write(SettingsFileName, file.Text());
    TSettings s;
    ASSERT_EQ(LoadSettings(dir.Path.string(), s), "");
    EXPECT_FALSE(s.Player2LeftSide);
    EXPECT_EQ(s.ResolutionIndex, -1);
    EXPECT_EQ(s.Armour, 1);
    EXPECT_EQ(s.ServerRate, 33);
    EXPECT_EQ(s.BotCount, " 5 ");
    EXPECT_EQ(SettingsBotCount(s), 5);
    EXPECT_EQ(s.TankSetups[0].Name, "  Lord  of the Moor ");

    // An empty line before a number is passed over like a blank.
    dir.Write(SettingsFileName, "\r\n1\r\n");
    TSettings shifted;
    ASSERT_EQ(LoadSettings(dir.Path.string(), shifted), "");
    EXPECT_TRUE(shifted.Fullscreen);
    EXPECT_FALSE(shifted.ScreenSync);
}

TEST(SettingsFile, AFileCutOffAfterLine100ReadsTheRestAsEmptyAndZero) {
    TempFolder dir;
    dir.Write(SettingsFileName, TSettingsText().Text(100));
    TSettings s;
    for (TTankSetup& setup : s.TankSetups) {
        setup.Name = "Old";
        setup.Pattern = 3;
        setup.Colour1.Hue = 99;
    }
    ASSERT_EQ(LoadSettings(dir.Path.string(), s), "");
    // Line 100 is the pattern of block 14.
    EXPECT_EQ(s.TankSetups[14].Name, "Driver 14");
    EXPECT_EQ(s.TankSetups[14].Pattern, 14 % 8 - 1);
    EXPECT_EQ(s.TankSetups[14].Colour1.Hue, 0);
    for (int k = 15; k < MaxTanks; ++k) {
        const TTankSetup& setup = s.TankSetups[k];
        EXPECT_EQ(setup.Name, "") << k;
        EXPECT_EQ(setup.Sort, sortTank) << k;
        EXPECT_EQ(setup.Pattern, 0) << k; // "Stripes 1"
        EXPECT_EQ(setup.Colour1.Hue + setup.Colour1.Brightness + setup.Colour2.Saturation, 0);
    }
}

TEST(SettingsFile, ABadNumberCostsOnlyItsOwnValue) {
    TempFolder dir;
    TSettingsText file;
    file[13] = "fifty";
    dir.Write(SettingsFileName, file.Text());
    TSettings s;
    s.TauntTable[0] = "Before";
    s.TankSetups[5].Weapon = wpBfg;
    EXPECT_EQ(LoadSettings(dir.Path.string(), s), "Invalid numeric input");
    EXPECT_EQ(s.Armour, 150);
    EXPECT_EQ(s.BotCount, "7");
    EXPECT_EQ(s.FragLimit, 50) << "the bad line keeps what was there";
    EXPECT_EQ(s.CowLimit, 3);
    EXPECT_EQ(s.TauntTable[0], "Taunt 0");
    EXPECT_EQ(s.TankSetups[63].Name, "Driver 63");
    EXPECT_EQ(s.TankSetups[5].Weapon, wpVarying);

    // Inside a colour: the hue before the bad word is in, the rest of that
    // line is not; the lines after it are.
    file = TSettingsText();
    file[31] = "1000 x 5";
    dir.Write(SettingsFileName, file.Text());
    TSettings c;
    EXPECT_EQ(LoadSettings(dir.Path.string(), c), "Invalid numeric input");
    EXPECT_EQ(c.TankSetups[0].Colour1.Hue, 1000);
    EXPECT_EQ(c.TankSetups[0].Colour1.Saturation, 0);
    EXPECT_EQ(c.TankSetups[0].Name, "Driver 0");
    EXPECT_EQ(c.TankSetups[0].Colour2.Brightness, 0);
    EXPECT_EQ(c.TankSetups[1].Name, "Driver 1");
    EXPECT_EQ(c.TankSetups[40].Colour1.Hue, 800);
}

TEST(SettingsFile, SaveWritesTheAccessCodeNameAsKillMe) {
    TempFolder dir;
    for (const auto& [name, saved] :
         std::vector<std::pair<std::string, std::string>>{{"TurtleXALL", "Kill_me"},
                                                          {"TurtleX", "Kill_me"},
                                                          {"turtlexALL", "turtlexALL"},
                                                          {"Turtle", "Turtle"}}) {
        TSettings s;
        s.TankSetups[0].Name = name;
        ASSERT_EQ(SaveSettings(dir.Path.string(), s), "");
        EXPECT_EQ(s.TankSetups[0].Name, saved);
        EXPECT_EQ(SplitCrLf(dir.Read(SettingsFileName))[27], saved);
    }
}

TEST(SettingsFile, TauntChanceIsStoredInPercent) {
    TempFolder dir;
    TSettings s;
    s.TauntChance = 0.3;
    ASSERT_EQ(SaveSettings(dir.Path.string(), s), "");
    EXPECT_EQ(SplitCrLf(dir.Read(SettingsFileName))[14], "30");
    TSettings back;
    ASSERT_EQ(LoadSettings(dir.Path.string(), back), "");
    EXPECT_DOUBLE_EQ(back.TauntChance, 0.3);

    TSettingsText file;
    file[15] = "7";
    dir.Write(SettingsFileName, file.Text());
    ASSERT_EQ(LoadSettings(dir.Path.string(), back), "");
    EXPECT_DOUBLE_EQ(back.TauntChance, 0.07);
}

TEST(SettingsFile, SaveThenLoadGivesTheSameSettings) {
    TempFolder dir;
    TSettings s;
    s.Fullscreen = s.ShowNames = true;
    s.Player2LeftSide = false;
    s.ResolutionIndex = 0;
    s.ServerRate = 35;
    s.Armour = 480;
    s.BotCount = "12";
    s.CowLimit = 9;
    s.TauntChance = 0.45;
    s.TauntTable = {"a", "", "c", "d", "e", "f", "", "h", "i", "j", "k", ""};
    for (int k = 0; k < MaxTanks; ++k)
        s.TankSetups[k] = {k == 3 ? "" : "Cow " + std::to_string(k) + "  ",
                           {k * 23, 255 - k, 512 - k},
                           {-k, k, 0},
                           k % 8 - 1,
                           wpMachineGun,
                           k % 3 * 5,
                           false};
    ASSERT_EQ(SaveSettings(dir.Path.string(), s), "");
    const std::string first = dir.Read(SettingsFileName);
    EXPECT_EQ(SplitCrLf(first).size(), size_t(SettingsLineCount));
    TSettings back;
    back.TauntTable.fill("stale");
    ASSERT_EQ(LoadSettings(dir.Path.string(), back), "");
    EXPECT_EQ(back.TauntTable, s.TauntTable) << "empty taunts keep their slots";
    EXPECT_EQ(back.TankSetups[3].Name, "");
    EXPECT_DOUBLE_EQ(back.TauntChance, s.TauntChance);
    // Every stored value is on its line: the same values write the same file.
    ASSERT_EQ(SaveSettings(dir.Path.string(), back), "");
    EXPECT_EQ(dir.Read(SettingsFileName), first);
}

TEST(SettingsFile, TextWithALineBreakCannotShiftTheLinesAfterIt) {
    TempFolder dir;
    TSettings s;
    s.TauntTable[0] = "two\r\nlines";
    s.TankSetups[0].Name = "Moo\x1a";
    s.TankSetups[63].Name = "Last";
    ASSERT_EQ(SaveSettings(dir.Path.string(), s), "");
    EXPECT_EQ(SplitCrLf(dir.Read(SettingsFileName)).size(), size_t(SettingsLineCount));
    TSettings back;
    ASSERT_EQ(LoadSettings(dir.Path.string(), back), "");
    EXPECT_EQ(back.TauntTable[0], "two  lines");
    EXPECT_EQ(back.TankSetups[0].Name, "Moo ");
    EXPECT_EQ(back.TankSetups[63].Name, "Last");
}

TEST(SettingsFile, AFailedSaveSaysWhy) {
    TSettings s;
    const std::string missing =
        (std::filesystem::temp_directory_path() / "moor_no_such_folder" / "deeper").string();
    EXPECT_NE(SaveSettings(missing, s), "");
}

TEST(SettingsFile, TheShippedDefaultsLoadAndSaveBackUnchanged) {
    TempFolder dir;
    std::filesystem::copy_file(std::string(MOOR_BIN_DIR) + "/" + DefaultSettingsFileName,
                               dir.File(DefaultSettingsFileName));
    TSettings s;
    ASSERT_EQ(LoadSettings(dir.Path.string(), s), "");
    for (const TTankSetup& setup : s.TankSetups)
        EXPECT_FALSE(setup.Name.empty());
    ASSERT_EQ(SaveSettings(dir.Path.string(), s), "");
    EXPECT_EQ(dir.Read(SettingsFileName), dir.Read(DefaultSettingsFileName));
}

TEST(SettingsFile, TheGameGetsOnlyValuesItCanUse) {
    TestRig rig;
    Game& g = rig.g();
    TSettings s;
    s.ServerRate = 0;
    s.BotCount = "99";
    s.FragLimit = 0;
    s.CowLimit = 4000;
    s.Armour = -5;
    s.TauntChance = 2.5;
    s.TauntTable[8] = "Moo!";
    s.TankSetups[2] = {"Bot", {2000, -1, 900}, {5, 6, 7}, 9, 12, 7, false};
    ApplySettingsToStart(s, g);
    EXPECT_EQ(g.Start.ServerRate, 1);
    EXPECT_EQ(g.Start.BotCount, 62);
    EXPECT_EQ(g.Start.FragLimitSpin, 1);
    EXPECT_EQ(g.Start.ArmourSlider, 1);
    EXPECT_EQ(g.TauntChance, 1.0);
    EXPECT_EQ(g.Start.TauntTable[8], "Moo!");
    const TTankSetup& bot = g.Start.TankSetups[2];
    EXPECT_EQ(bot.Name, "Bot");
    EXPECT_EQ(bot.Sort, sortTank);
    EXPECT_EQ(bot.Pattern, -1);
    EXPECT_EQ(bot.Weapon, wpMachineGun);
    EXPECT_EQ(bot.Colour1.Hue, 1536); // the last the colour boxes reach
    EXPECT_EQ(bot.Colour1.Saturation, 0);
    EXPECT_EQ(bot.Colour1.Brightness, 512);

    s.BotCount = "many";
    g.Start.CaptureTheCowBox = true;
    ApplySettingsToStart(s, g);
    EXPECT_EQ(g.Start.BotCount, 0);
    EXPECT_EQ(g.Start.FragLimitSpin, 1000) << "the cow limit in Capture The Cow";
}
