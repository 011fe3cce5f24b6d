// Two players on one keyboard, through the program: the shipped key file
// is read at start and the keys drive the match the tick plays.
#include <gtest/gtest.h>

#include "core/vectors2d.h"
#include "core/vkeys.h"
#include "program_run.h"

TEST(KeysPlay, TheShippedKeysDriveBothPlayersInSplitScreen) {
    ProgramRun run({"-developer", "--map", "Green Acres", "--bots", "0", "--two-players"}, 6);
    ASSERT_EQ(run.Error, "");
    Game& g = run.g();
    TForm1& form = run.Program.Form;
    ASSERT_TRUE(g.SplitScreen);
    EXPECT_TRUE(form.DeveloperSwitch);
    EXPECT_TRUE(run.TheUi.Boxes.empty());
    run.Tick(10);
    const TVector start1 = g.Tanks[g.Player1].Position;
    const TVector start2 = g.Tanks[g.Player2].Position;
    form.FormKeyDown(vk::Up, 0);
    form.FormKeyDown('E', 0);
    for (int i = 0; i < 50; ++i)
        run.Tick(20);
    form.FormKeyUp(vk::Up);
    form.FormKeyUp('E');
    EXPECT_GT(Distance(start1, g.Tanks[g.Player1].Position), 20);
    EXPECT_GT(Distance(start2, g.Tanks[g.Player2].Position), 20);

    // Player 2 lays a mine, player 1 fires the machine gun.
    form.FormKeyDown('X', 0);
    form.FormKeyUp('X');
    form.FormKeyDown(vk::Control, 0);
    for (int i = 0; i < 10; ++i)
        run.Tick(20);
    form.FormKeyUp(vk::Control);
    EXPECT_EQ(g.Mines.Count, 1);
    EXPECT_EQ(g.Mines[0].Owner, g.Player2);
    EXPECT_LT(g.Tanks[g.Player1].GunAmmo, 50);

    // P holds the clock; P again lets it run on.
    const int32_t t = g.GameTime;
    form.FormKeyDown('P', 0);
    form.FormKeyUp('P');
    run.Tick(500);
    EXPECT_EQ(g.GameTime, t);
    form.FormKeyDown('P', 0);
    form.FormKeyUp('P');
    run.Tick(20);
    EXPECT_EQ(g.GameTime, t + 20);
}
