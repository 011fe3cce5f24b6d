// A Capture The Cow match played by bots until a cow is carried off, then
// drawn: the picture (left in the build folder) shows the carried cow and
// the light over the robbed base.
#include <gtest/gtest.h>

#include <vector>

#include "app/screen_frame.h"
#include "core/terrain.h"
#include "platform/game_assets.h"
#include "platform/offscreen.h"
#include "program_run.h"

TEST(CowPicture, AStolenCowAndTheAlarmLight) {
    ProgramRun run(5);
    ASSERT_EQ(
        run.Start({"--map", "Two Farms", "--bots", "12", "--style", "ctc", "--fraglimit", "100"}),
        "");
    Game& g = run.g();
    // Wait for a thief that got away from the base: a cow carried by the
    // same vehicle for a second and a half.
    int robbed = -1;
    std::vector<int32_t> carriedSince(MaxTeams, -1), carriedBy(MaxTeams, -1);
    for (int n = 0; n < 60000 && robbed < 0; ++n) {
        run.Tick(10);
        for (int t = 0; t < g.TeamCount; ++t) {
            if (g.Teams[t].CowCarrier != carriedBy[t]) {
                carriedBy[t] = g.Teams[t].CowCarrier;
                carriedSince[t] = g.GameTime;
            }
            if (carriedBy[t] >= 0 && g.GameTime - carriedSince[t] > 1500) robbed = t;
        }
    }
    ASSERT_GE(robbed, 0) << "no cow was carried off for 1.5 s in ten minutes";

    TOffscreenCanvas canvas(1024, 768);
    ASSERT_EQ(canvas.Error(), "");
    TScreenFrame frame;
    ASSERT_TRUE(frame.Load(run.Reader, MOOR_BIN_DIR "/", run.TheUi))
        << (run.TheUi.Boxes.empty() ? "" : run.TheUi.Boxes.back());
    // Between the carrier and the robbed base.
    const TTeam& team = g.Teams[robbed];
    const TCell base = g.Bases[team.Base];
    const TVector b = CellCentre(g, base.X, base.Y);
    const TVector carrier = g.Tanks[team.CowCarrier].Position;
    g.Tanks[g.Player1].Position = Vectors2D::Scale(Vectors2D::Add(b, carrier), 0.5);
    frame.Draw(canvas, run.Program, run.TheClock.Now);
    EXPECT_TRUE(canvas.SaveScreenshot(std::string(MOOR_BIN_DIR) + "/../stolen_cow.png"));
}
