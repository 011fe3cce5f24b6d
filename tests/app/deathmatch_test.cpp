// A whole deathmatch through the program: scripted fighters (each aims its
// railgun at the nearest living vehicle) play to the frag limit, the winner
// is announced, and the next level starts by itself.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "program_run.h"

namespace {

void Fight(Game& g) {
    for (int i = 0; i < g.TankCount; ++i) {
        TTank& t = g.Tanks[i];
        int target = -1;
        double best = 1e18;
        for (int j = 0; j < g.TankCount; ++j) {
            if (j == i || !g.Tanks[j].Alive) continue;
            const double d = Vectors2D::DistanceSquared(t.Position, g.Tanks[j].Position);
            if (d < best) best = d, target = j;
        }
        t.Weapon = wpRailgun;
        t.Firing = target >= 0;
        t.Throttle = 1;
        t.Steer = (g.GameTime / 700 + i) % 3 - 1;
        if (target >= 0) {
            const TVector to = Vectors2D::Sub(g.Tanks[target].Position, t.Position);
            t.TurretAngle = NormalizeAngle(Vectors2D::AngleOf(to) - t.Heading);
        }
    }
}

int LinesWith(const RecordingUi& ui, const std::string& part) {
    int n = 0;
    for (const std::string& line : ui.Console)
        n += line.find(part) != std::string::npos;
    return n;
}

} // namespace

TEST(Deathmatch, ScriptedFightersPlayToTheLimitAndTheNextLevelStarts) {
    ProgramRun run({"--headless", "--map", "The Pit", "--bots", "8", "--fraglimit", "10"}, 21);
    ASSERT_EQ(run.Error, "");
    Game& g = run.g();
    const RecordingUi& ui = run.TheUi;
    ASSERT_EQ(g.TankCount, 9);

    int32_t played = 0;
    while (g.LevelRunning && played < 10 * 60 * 1000) {
        Fight(g);
        run.Tick(10);
        played += 10;
    }
    ASSERT_FALSE(g.LevelRunning) << "no winner after " << played << " ms";
    const TTank& winner = g.Tanks[g.RankOrder[0]];
    EXPECT_EQ(winner.Frags, 10);
    EXPECT_EQ(LinesWith(ui, " IS THE WINNER"), 1);
    EXPECT_GE(LinesWith(ui, " killed "), 10); // the winner's ten, at least

    // Sixteen seconds on, the next level is under way with the scores at 0.
    for (int k = 0; k < 1700; ++k)
        run.Tick(10);
    EXPECT_TRUE(g.LevelRunning);
    EXPECT_LT(g.GameTime, 2000);
    for (int i = 0; i < g.TankCount; ++i)
        EXPECT_EQ(g.Tanks[i].Frags, 0);

    // What the console said, for whoever reads the test's output.
    for (const std::string& line : ui.Console)
        std::printf("%s\n", line.c_str());
}
