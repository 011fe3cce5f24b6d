// A Capture The Cow match played by bots until a cow is carried off, then
// drawn: the picture (left in the build folder) shows the carried cow and
// the light over the robbed base.
#include <gtest/gtest.h>

#include "core/terrain.h"
#include "platform/game_assets.h"
#include "platform/offscreen.h"
#include "program_run.h"
#include "render/frame.h"

TEST(CowPicture, AStolenCowAndTheAlarmLight) {
    ProgramRun run(5);
    ASSERT_EQ(
        run.Start({"--map", "Two Farms", "--bots", "12", "--style", "ctc", "--fraglimit", "100"}),
        "");
    Game& g = run.g();
    int robbed = -1;
    for (int n = 0; n < 60000 && robbed < 0; ++n) {
        run.Tick(10);
        for (int t = 0; t < g.TeamCount; ++t)
            if (g.Teams[t].CowCarrier >= 0 && g.Teams[t].CowLeftTime + 100 > g.GameTime &&
                g.Teams[t].CowLeftTime <= g.GameTime)
                robbed = t;
    }
    ASSERT_GE(robbed, 0) << "no cow was taken in ten minutes";
    // Let the thief get away from the base a little, and catch the light on.
    for (int n = 0; n < 400 && g.Teams[robbed].CowCarrier >= 0; ++n) {
        run.Tick(10);
        if (n > 150 && (g.GameTime - g.Teams[robbed].CowLeftTime) % 900 <= 450) break;
    }
    ASSERT_GE(g.Teams[robbed].CowCarrier, 0);

    TOffscreenCanvas canvas(1024, 768);
    ASSERT_EQ(canvas.Error(), "");
    TImageList sprites;
    ASSERT_TRUE(LoadGameSprites(run.Reader, MOOR_BIN_DIR "/", sprites, run.TheUi))
        << (run.TheUi.Boxes.empty() ? "" : run.TheUi.Boxes.back());
    // Between the carrier and the robbed base.
    const TTeam& team = g.Teams[robbed];
    const TCell base = g.Bases[team.Base];
    const TVector b = CellCentre(g, base.X, base.Y);
    const TVector carrier = g.Tanks[team.CowCarrier].Position;
    g.Tanks[g.Player1].Position = Vectors2D::Scale(Vectors2D::Add(b, carrier), 0.5);
    DrawView(canvas, g, {sprites, run.Program.Pictures.Ground}, g.Player1);
    EXPECT_TRUE(canvas.SaveScreenshot(std::string(MOOR_BIN_DIR) + "/../stolen_cow.png"));
}
