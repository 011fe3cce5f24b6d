// Long matches through the program's own builder and tick: whatever the
// drivers do, every tick must leave a sound game behind.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/invariants.h"
#include "program_run.h"
#include "sim/mines.h"
#include "sim/self_destruct.h"

namespace {

// Under the address sanitizer a tick costs about ten times as much; there
// the soaks play a quarter of the time, which still runs every map, weapon
// and style through the checked memory.
#if defined(__SANITIZE_ADDRESS__)
constexpr int32_t SoakShare = 4;
#else
constexpr int32_t SoakShare = 1;
#endif

// Plays ms of game time in ticks of step ms, calling drive before each
// tick; fails (with the reason) at the first broken invariant.
::testing::AssertionResult Play(ProgramRun& run, int32_t ms, int32_t step,
                                const std::function<void(Game&)>& drive) {
    for (int32_t t = 0; t < ms; t += step) {
        if (drive) drive(run.g());
        run.Tick(step);
        const std::vector<std::string> wrong = CheckInvariants(run.g());
        if (!wrong.empty())
            return ::testing::AssertionFailure()
                   << run.g().CurrentMapName << " at " << t << " ms: " << wrong.front();
    }
    return ::testing::AssertionSuccess();
}

// Random hands on every vehicle's controls: throttle, steering, turret,
// fire and weapon change now and then, mines and self-destruct rarely.
void RandomControls(Game& g, Random& rng) {
    for (int i = 0; i < g.TankCount; ++i) {
        TTank& t = g.Tanks[i];
        if (rng.Int(20) == 0) t.Throttle = rng.Int(3) - 1;
        if (rng.Int(10) == 0) t.Steer = rng.Int(3) - 1;
        if (rng.Int(30) == 0) t.Firing = !t.Firing;
        if (rng.Int(200) == 0) t.Weapon = rng.Int(7);
        if (rng.Int(100) == 0) {
            const int limit = t.Sort == sortHovercraft ? 2 : 4;
            t.TurretPreset = rng.Int(2 * limit + 1) - limit;
            t.TurretTurn = rng.Int(2) ? 1 : -1;
        }
        if (rng.Int(400) == 0) LayMine(g, i);
        if (rng.Int(6000) == 0) ArmSelfDestruct(g, i);
    }
}

std::vector<std::string> ShippedLevels() {
    std::vector<std::string> levels;
    for (const auto& e : std::filesystem::directory_iterator(MOOR_BIN_DIR))
        if (e.path().extension() == ".map") levels.push_back(e.path().stem().string());
    std::sort(levels.begin(), levels.end());
    return levels;
}

} // namespace

// Sixteen vehicles of all three sorts with random controls, ten minutes of
// game time on every shipped map (a quarter of it under the sanitizer).
TEST(Soak, RandomDriversOnEveryShippedMapKeepEveryInvariant) {
    const std::vector<std::string> levels = ShippedLevels();
    ASSERT_GE(levels.size(), 9u);
    uint32_t seed = 1;
    for (const std::string& level : levels) {
        ProgramRun run(seed++);
        Game& g = run.g();
        TOptions o;
        o.Headless = true;
        o.Map = level;
        o.Bots = 15;
        o.FragLimit = 1000;
        ASSERT_EQ(run.Start(o), "") << level;
        ASSERT_EQ(g.TankCount, 16);
        // The shipped settings give players and bots all three sorts.
        std::array<int, 3> sorts{};
        for (int i = 0; i < g.TankCount; ++i)
            ++sorts[g.Tanks[i].Sort / 5];
        ASSERT_TRUE(sorts[0] && sorts[1] && sorts[2]);
        Random rng(seed);
        EXPECT_TRUE(Play(run, 10 * 60 * 1000 / SoakShare, 20,
                         [&](Game& game) { RandomControls(game, rng); }));
        EXPECT_TRUE(run.TheUi.Boxes.empty()) << run.TheUi.Boxes.front();
    }
}

// Bots only (the screen saver's match), levels restarting by themselves,
// in every style and the credits show.
TEST(Soak, BotsOnlyMatchesKeepEveryInvariant) {
    const std::vector<std::vector<std::string>> matches = {
        {"--map", "Labyrinth", "--bots", "20", "--style", "dm", "--fraglimit", "5"},
        {"--map", "Two Farms", "--bots", "12", "--style", "ctc", "--fraglimit", "2"},
        {"--map", "Grand Moor", "--bots", "30", "--style", "tw"},
        {"--map", "Credits...", "--two-players"},
    };
    for (const auto& args : matches) {
        TOptions o = ProgramRun::Parse(args);
        o.ScreenSaver = true;
        ProgramRun run(11);
        ASSERT_EQ(run.Start(o), "") << args[1];
        ASSERT_EQ(run.g().CurrentMapName, args[1]);
        EXPECT_TRUE(Play(run, 3 * 60 * 1000 / SoakShare, 5, nullptr));
        EXPECT_TRUE(run.TheUi.Boxes.empty()) << run.TheUi.Boxes.front();
    }
}
