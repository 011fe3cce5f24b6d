#include <gtest/gtest.h>

#include <numbers>

#include "core/asset_names.h"
#include "fakes/fakes.h"
#include "sim/mines.h"
#include "sim/vehicles.h"
#include "world/world_support.h"

namespace {

int Place(Game& g, double x, double y, double heading = 0) {
    const int i = AddTank(g, sortTank);
    g.Tanks[i].Alive = true;
    g.Tanks[i].Health = 100;
    g.Tanks[i].Position = {x, y};
    g.Tanks[i].Heading = heading;
    RefreshWorldCorners(g.Tanks[i]);
    return i;
}

void Drop(Game& g, double x, double y, int owner, int32_t armTime, int32_t id = 0) {
    g.Mines.Add({id, {x, y}, owner, armTime, false});
}

} // namespace

TEST(Mines, LaidBehindTheVehicleWithTheSmallestFreeId) {
    WorldRig rig;
    Game& g = rig.g();
    UseMap(g, {"12 0 0", "12 0 0", "12 0 0"}); // the left column is water
    g.LevelRunning = g.NetworkGame = true;
    g.GameTime = 1000;
    const int a = Place(g, 100, 96, std::numbers::pi / 2);
    Drop(g, 0, 0, a, 0, 0);
    Drop(g, 0, 0, a, 0, 2);
    LayMine(g, a);
    const TMine& m = g.Mines[2];
    // 16 px from the pivot to the rear, then 1.1 mine half widths.
    EXPECT_NEAR(m.Position.x, 100, 1e-9);
    EXPECT_NEAR(m.Position.y, 74.5, 1e-9);
    EXPECT_EQ(m.Id, 1);
    EXPECT_EQ(m.ArmTime, 1250);
    EXPECT_FALSE(m.InWater);
    EXPECT_EQ(g.Tanks[a].MinesLeft, 9);
    EXPECT_EQ(rig.Net.Events, std::vector<std::string>{"mine 2"});
    g.Tanks[a].Heading = 0;
    g.Tanks[a].Position.x = 80;
    LayMine(g, a);
    EXPECT_TRUE(g.Mines[3].InWater);

    // None from a wreck, from an empty rack, after the level is won or
    // into a full pool.
    g.Tanks[a].Alive = false;
    LayMine(g, a);
    g.Tanks[a].Alive = true;
    g.LevelRunning = false;
    LayMine(g, a);
    g.LevelRunning = true;
    g.Tanks[a].MinesLeft = 0;
    LayMine(g, a);
    g.Tanks[a].MinesLeft = 8;
    while (!g.Mines.Full())
        Drop(g, 0, 0, a, 0);
    LayMine(g, a);
    EXPECT_EQ(g.Tanks[a].MinesLeft, 8);
}

TEST(Mines, ArmedMineGoesOffUnderTheLastVehicleOnIt) {
    TestRig rig;
    Game& g = rig.g();
    g.LevelRunning = true;
    g.GameTime = 1250;
    const int owner = Place(g, 500, 500);
    const int under = Place(g, 100, 100);
    const int top = Place(g, 110, 100);
    Place(g, 300, 100);
    Drop(g, 106, 100, owner, 1250);
    g.Tanks[owner].MinesLeft = 9;
    MineStep(g);
    EXPECT_EQ(g.Mines.Count, 1); // armed only once ArmTime has passed
    g.GameTime = 1251;
    MineStep(g);
    EXPECT_EQ(g.Mines.Count, 0);
    EXPECT_DOUBLE_EQ(g.Tanks[top].Health, 50);
    EXPECT_DOUBLE_EQ(g.Tanks[under].Health, 100);
    EXPECT_NEAR(g.Tanks[top].Velocity.x, 150, 1e-9); // pushed away from the mine
    EXPECT_EQ(g.Tanks[owner].MinesLeft, 10);
    ASSERT_EQ(g.Explosions.Count, 1);
    EXPECT_EQ(g.Explosions[0].Kind, sndSmallExplosion);
    EXPECT_DOUBLE_EQ(g.Explosions[0].Position.x, 106);

    // A wreck sets one off as well.
    g.Tanks[top].Alive = g.Tanks[under].Alive = false;
    Drop(g, 106, 100, owner, 0);
    MineStep(g);
    EXPECT_EQ(g.Mines.Count, 0);
}

TEST(Mines, VictimNeedsBothTheWorldBoxAndTheBody) {
    TestRig rig;
    Game& g = rig.g();
    g.LevelRunning = true;
    g.GameTime = 1;
    Place(g, 0, 0, std::numbers::pi / 4);
    // In the turned body's world box, but 33.9 px ahead of the pivot:
    // beyond the front (24) plus the mine's half width.
    Drop(g, 24, 24, 0, 0);
    MineStep(g);
    // Near the corner of the grown body, but above the grown world box.
    g.Mines[0].Position = {8, 32.5};
    MineStep(g);
    EXPECT_EQ(g.Mines.Count, 1);
    g.Mines[0].Position = {20, 20}; // 28.3 px ahead: within the half width
    MineStep(g);
    EXPECT_EQ(g.Mines.Count, 0);
}

TEST(Mines, GoOffAloneAfterAMinuteAndTheMovedMineIsExaminedToo) {
    TestRig rig;
    Game& g = rig.g();
    g.LevelRunning = g.NetworkGame = true;
    const int owner = Place(g, 500, 500);
    Drop(g, 0, 0, owner, 1000, 4);
    Drop(g, 0, 0, owner, 70000, 5); // not armed yet
    Drop(g, 0, 0, -1, 1000, 6);     // came from the old host, nobody's
    g.GameTime = 61000;
    MineStep(g);
    EXPECT_EQ(g.Mines.Count, 3);
    g.GameTime = 61001;
    MineStep(g);
    ASSERT_EQ(g.Mines.Count, 1);
    EXPECT_EQ(g.Mines[0].Id, 5);
    EXPECT_EQ(rig.Net.Events, (std::vector<std::string>{"mine exploded 4", "mine exploded 6"}));
    EXPECT_EQ(g.Tanks[owner].MinesLeft, 11);
}
