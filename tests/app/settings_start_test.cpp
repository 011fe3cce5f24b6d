// A quick start plays with the settings file of the program folder; the
// command line wins where it says something.
#include <gtest/gtest.h>

#include <fstream>

#include "app/program.h"
#include "fakes/fakes.h"
#include "platform/bitmap_file.h"

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

struct QuickStart {
    ManualClock TheClock;
    RecordingSound Sound;
    RecordingUi TheUi;
    NullNetOut Net;
    NoDisplay Display;
    SdlBitmapReader Reader;
    TProgram Program;
    std::string Error;

    explicit QuickStart(const std::vector<std::string>& args)
        : Program(TheClock, Sound, TheUi, Net, Display, Reader, 3, MOOR_BIN_DIR) {
        const TParseResult r = ParseOptions(args, "moorclash");
        EXPECT_EQ(r.Error, "");
        Error = StartProgram(Program, r.Options);
    }
    Game& g() { return *Program.G; }
};

} // namespace

TEST(SettingsStart, AQuickStartPlaysWithTheNamesAndChancesOfTheFile) {
    QuickStart run({"--headless", "--map", "Green Acres", "--bots", "2"});
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
    QuickStart run({"--headless", "--map", "Two Farms", "--style", "ctc"});
    ASSERT_EQ(run.Error, "");
    Game& g = run.g();
    EXPECT_EQ(g.TankCount, 1 + std::stoi(DefaultSettingsLine(12)));
    EXPECT_EQ(g.FragLimit, std::stoi(DefaultSettingsLine(14))) << "the cow limit";
}
