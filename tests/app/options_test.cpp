#include <gtest/gtest.h>

#include "app/options.h"
#include "app/program.h"
#include "app/run.h"
#include "fakes/fakes.h"

namespace {

TParseResult Parse(std::vector<std::string> args, const std::string& program = "moorclash") {
    return ParseOptions(args, program);
}

} // namespace

TEST(Options, QuickStartMatch) {
    const TParseResult r = Parse({"--map", "Arena", "--bots", "5", "--style", "ctc", "--fraglimit",
                                  "7", "--seed", "42", "--two-players"});
    ASSERT_EQ(r.Error, "");
    EXPECT_EQ(*r.Options.Map, "Arena");
    EXPECT_EQ(*r.Options.Bots, 5);
    EXPECT_EQ(*r.Options.Style, "ctc");
    EXPECT_EQ(*r.Options.FragLimit, 7);
    EXPECT_EQ(*r.Options.Seed, 42u);
    EXPECT_TRUE(r.Options.TwoPlayers);
    EXPECT_TRUE(r.Options.QuickStart());
    EXPECT_FALSE(Parse({}).Options.QuickStart());
}

TEST(Options, NonsenseIsRefusedWithAReason) {
    EXPECT_NE(Parse({"--bots", "63"}).Error, "");
    EXPECT_NE(Parse({"--bots", "-1"}).Error, "");
    EXPECT_NE(Parse({"--bots", "3x"}).Error, "");
    EXPECT_NE(Parse({"--bots"}).Error, "");
    EXPECT_NE(Parse({"--fraglimit", "0"}).Error, "");
    EXPECT_NE(Parse({"--style", "ffa"}).Error, "");
    EXPECT_NE(Parse({"--seed", "-5"}).Error, "");
    EXPECT_NE(Parse({"--seconds", "10"}).Error, ""); // only with --headless or a screenshot
    EXPECT_NE(Parse({"--headless", "--seconds", "nan"}).Error, "");
    EXPECT_NE(Parse({"--headless", "--seconds", "0"}).Error, "");
    EXPECT_NE(Parse({"--frobnicate"}).Error, "");
    EXPECT_NE(Parse({"--map", ""}).Error, "");
    EXPECT_EQ(Parse({"--headless", "--seconds", "2.5"}).Error, "");
    // The autopilot drives a headless client's player, nobody else's.
    EXPECT_TRUE(Parse({"--headless", "--join", "127.0.0.1", "--autopilot"}).Options.Autopilot);
    EXPECT_NE(Parse({"--join", "127.0.0.1", "--autopilot"}).Error, "");
    EXPECT_NE(Parse({"--headless", "--host", "Hall", "--autopilot"}).Error, "");
    EXPECT_EQ(*Parse({"--headless", "--host", "Hall", "--per-address", "64"}).Options.PerAddress,
              64);
    EXPECT_NE(Parse({"--headless", "--host", "Hall", "--per-address", "0"}).Error, "");
    // A screenshot is taken after that much game time.
    const TParseResult shot = Parse({"--screenshot", "a.png", "--seconds", "4", "--no-vsync"});
    EXPECT_EQ(shot.Error, "");
    EXPECT_EQ(*shot.Options.Seconds, 4);
    EXPECT_TRUE(shot.Options.NoVsync);
}

TEST(Options, DeveloperOnlyAsFirstArgumentAndScreenSaverOnlyAsScr) {
    EXPECT_TRUE(Parse({"-developer", "--bots", "2"}).Options.Developer);
    EXPECT_NE(Parse({"--bots", "2", "-developer"}).Error, "");
    EXPECT_TRUE(Parse({"/s"}, "/games/Moorclash.scr").Options.ScreenSaver);
    EXPECT_NE(Parse({"/s"}, "/games/moorclash").Error, "");
    // Both comparisons ignore case; the system's other requests get the
    // ordinary start screen rather than an error.
    EXPECT_TRUE(Parse({"/S"}, "C:/GAMES/MOORCLASH.SCR").Options.ScreenSaver);
    const TParseResult configure = Parse({"/c"}, "C:/GAMES/MOORCLASH.SCR");
    EXPECT_EQ(configure.Error, "");
    EXPECT_FALSE(configure.Options.ScreenSaver);
    EXPECT_FALSE(configure.Options.QuickStart());
    EXPECT_FALSE(Parse({"/p", "1234"}, "moorclash.scr").Options.ScreenSaver);
}

TEST(Options, QuickStartFillsTheStartChoices) {
    TestRig rig;
    Game& g = rig.g();
    TOptions o =
        Parse({"--map", "Credits...", "--bots", "9", "--style", "tw", "--fraglimit", "3"}).Options;
    ApplyQuickStart(g, o);
    EXPECT_EQ(g.Start.SelectedLevel, "Credits...");
    EXPECT_EQ(g.Start.BotCount, 9);
    EXPECT_TRUE(g.Start.TeamWarBox);
    EXPECT_FALSE(g.Start.CaptureTheCowBox);
    EXPECT_EQ(g.Start.FragLimitSpin, 3);
    EXPECT_TRUE(g.Start.NewGameRequested);
    EXPECT_EQ(CheckOptionsAgainstFolder(o, "/nonexistent"), ""); // the credits need no file
    o.Map = "NoSuchLevel";
    EXPECT_NE(CheckOptionsAgainstFolder(o, "/nonexistent"), "");
}
