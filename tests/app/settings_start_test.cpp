// A quick start plays with the settings file of the program folder; the
// command line wins where it says something.
#include <gtest/gtest.h>

#include <fstream>

#include "program_run.h"

namespace {

// Line n of the shipped default settings, without its line end.
std::string DefaultSettingsLine(int n) {
    std::ifstream in(std::string(MOOR_BIN_DIR) + "/default settings.dat", std::ios::binary);
    std::string line;
    for (int i = 0; i < n; ++i)
        std::getline(in, line);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

} // namespace

TEST(SettingsStart, AQuickStartPlaysWithTheNamesAndChancesOfTheFile) {
    ProgramRun run({"--headless", "--map", "Green Acres", "--bots", "2"}, 3);
    ASSERT_EQ(run.Error, "");
    EXPECT_TRUE(run.TheUi.Boxes.empty());
    Game& g = run.g();
    ASSERT_EQ(g.TankCount, 3) << "--bots wins over the file";
    // One player: player 2's set-up (block 1) is skipped.
    EXPECT_EQ(g.Tanks[0].Name, DefaultSettingsLine(28));
    EXPECT_EQ(g.Tanks[1].Name, DefaultSettingsLine(28 + 2 * 5));
    EXPECT_EQ(g.Tanks[2].Name, DefaultSettingsLine(28 + 3 * 5));
    EXPECT_TRUE(g.Tanks[1].VaryingWeapon);
    EXPECT_FALSE(g.Tanks[0].VaryingWeapon);
    EXPECT_EQ(g.Start.TauntTable[8], DefaultSettingsLine(24));
    EXPECT_DOUBLE_EQ(g.TauntChance, std::stoi(DefaultSettingsLine(15)) * 0.01);
}

TEST(SettingsStart, WithoutBotsOrLimitOnTheCommandLineTheFileDecides) {
    ProgramRun run({"--headless", "--map", "Two Farms", "--style", "ctc"}, 3);
    ASSERT_EQ(run.Error, "");
    Game& g = run.g();
    EXPECT_EQ(g.TankCount, 1 + std::stoi(DefaultSettingsLine(12)));
    EXPECT_EQ(g.FragLimit, std::stoi(DefaultSettingsLine(14))) << "the cow limit";
}
