// The program builds its match one way: the window and --headless load the
// same texture list and map and start on the same spawn points.
#include <gtest/gtest.h>

#include "core/terrain.h"
#include "program_run.h"

namespace {

int CountKind(const Game& g, int kind) {
    int n = 0;
    for (int c = 0; c < g.MapWidth; ++c)
        for (int r = 0; r < g.MapHeight; ++r)
            n += KindAt(g, c, r) == kind;
    return n;
}

} // namespace

TEST(Program, HeadlessAndWindowedStartTheSameMatch) {
    ProgramRun headless({"--headless", "--map", "Green Acres", "--bots", "5"}, 4);
    ProgramRun windowed({"--map", "Green Acres", "--bots", "5"}, 4);
    ASSERT_EQ(headless.Error, "");
    ASSERT_EQ(windowed.Error, "");
    Game& h = headless.g();
    Game& w = windowed.g();
    ASSERT_GT(h.TextureCount, 0);
    EXPECT_EQ(h.TextureCount, w.TextureCount);
    EXPECT_EQ(h.TerrainKind, w.TerrainKind);
    ASSERT_EQ(h.CurrentMapName, "Green Acres");
    ASSERT_EQ(h.MapWidth, w.MapWidth);
    ASSERT_EQ(h.MapHeight, w.MapHeight);
    EXPECT_EQ(h.MapCellStore, w.MapCellStore);
    // The map's own walls and spawn cells, not open ground and random spawns.
    EXPECT_GT(CountKind(h, tkWall), 0);
    EXPECT_EQ(h.SpawnCount, CountKind(h, tkSpawn));
    ASSERT_EQ(h.SpawnCount, w.SpawnCount);
    for (int i = 0; i < h.SpawnCount; ++i) {
        EXPECT_EQ(h.SpawnPoints[i].X, w.SpawnPoints[i].X);
        EXPECT_EQ(h.SpawnPoints[i].Y, w.SpawnPoints[i].Y);
    }
    // Same seed, same places.
    ASSERT_EQ(h.TankCount, 6);
    for (int i = 0; i < h.TankCount; ++i) {
        EXPECT_TRUE(h.Tanks[i].Alive);
        EXPECT_EQ(h.Tanks[i].Position.x, w.Tanks[i].Position.x);
        EXPECT_EQ(h.Tanks[i].Position.y, w.Tanks[i].Position.y);
        const TCell c = CellAt(h, h.Tanks[i].Position);
        EXPECT_EQ(KindAt(h, c.X, c.Y), tkSpawn) << "vehicle " << i;
    }
    // Both loaded the explosion pictures and the credits.
    EXPECT_EQ(headless.Program.Pictures.Explosions.Count(), 39);
    EXPECT_FALSE(h.CreditsLines.empty());
    EXPECT_TRUE(headless.TheUi.Boxes.empty());
}

TEST(Program, ALevelThatCannotLoadStopsTheStart) {
    ProgramRun run({"--headless", "--map", "No Such Level"}, 4);
    EXPECT_NE(run.Error.find("No Such Level.map"), std::string::npos) << run.Error;
    EXPECT_FALSE(run.g().LevelRunning);
    EXPECT_FALSE(run.Program.Form.SurfaceReady); // no tick runs
    ASSERT_EQ(run.TheUi.Boxes.size(), 1u);
}

TEST(Program, WithoutAChoiceTheFirstLevelOfTheListPlays) {
    ProgramRun run({"--headless", "--bots", "2"}, 4);
    ASSERT_EQ(run.Error, "");
    EXPECT_TRUE(run.g().LevelRunning);
    EXPECT_FALSE(run.g().CurrentMapName.empty());
    EXPECT_FALSE(run.g().CreditsLevel);
}
