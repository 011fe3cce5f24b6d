// Frames drawn off screen, checked pixel by pixel.
#include <gtest/gtest.h>

#include "core/asset_names.h"
#include "fakes/fakes.h"
#include "platform/bitmap_file.h"
#include "platform/offscreen.h"
#include "render/explosions.h"
#include "render/frame.h"
#include "render/hud.h"

namespace {

constexpr uint32_t GroundGreen = Rgb(0, 160, 0), WallGrey = Rgb(128, 128, 128),
                   BodyBlue = Rgb(0, 0, 200), FireRed = Rgb(250, 40, 0), Black = 0;

// A map of ground (texture 0) with walls (texture 1) where asked, plain
// coloured pictures of the right sizes, and a canvas to draw on.
struct FrameTest : ::testing::Test {
    TestRig Rig;
    TImageList Sprites, Ground, Explosions;
    TFrameRenderer Renderer;
    TFrameInfo Info;

    Game& g() { return Rig.g(); }

    void SetUp() override {
        for (const TSpriteInfo& s : SpriteList)
            Sprites.Add(TImage(s.Width, s.Height, Rgb(90, 60, 30)), std::string(s.Name));
        for (int sort : {0, 5, 10}) {
            Sprites.Put(sort, TImage(Sprites.Width(sort), Sprites.Height(sort), BodyBlue));
            Sprites.Put(sort + 2, TImage(Sprites.Width(sort), Sprites.Height(sort), Rgb(0, 0, 1)));
        }
        for (int r = 0; r < 4; ++r)
            Ground.Add(TImage(CellSize, CellSize, GroundGreen), {}, NoTransparency);
        for (int r = 0; r < 4; ++r)
            Ground.Add(TImage(CellSize, CellSize, WallGrey), {}, NoTransparency);
        ASSERT_TRUE(BuildExplosionPictures(TImage(13 * 20, 20, FireRed), Explosions));
        g().TextureCount = 2;
        g().TerrainKind[0] = tkGround;
        g().TerrainKind[1] = tkWall;
        MakeMap(40, 30);
        g().LevelRunning = true;
        g().ArmourTank = 160;
        g().ArmourLight = 100;
        g().ShowShadows = false;
    }

    void MakeMap(int w, int h) {
        g().MapWidth = w;
        g().MapHeight = h;
        g().MapWidthPx = w * CellSize;
        g().MapHeightPx = h * CellSize;
        for (int c = 0; c < w; ++c)
            for (int r = 0; r < h; ++r)
                g().MapCells(c, r) = 0;
    }

    TTank& AddTank(TVector at, int sort = sortTank) {
        const int i = g().TankCount++;
        TTank& t = g().Tanks[i];
        t.Alive = true;
        t.Sort = sort;
        t.Position = t.TurretMountWorld = at;
        t.BodyPivot = 0.4;
        t.TurretPivot = 0.25;
        t.Health = sort == sortTank ? 160 : 100;
        t.BodySprite = SpriteCount + 2 * i;
        t.TurretSprite = SpriteCount + 2 * i + 1;
        t.Weapon = 0;
        return t;
    }

    TImage Draw(int w = 320, int h = 240) {
        TOffscreenCanvas canvas(w, h);
        EXPECT_EQ(canvas.Error(), "");
        PrepareFrame(g(), w, h);
        Renderer.DrawFrame(canvas, g(), {Sprites, Ground, Explosions}, Info);
        return canvas.Snapshot();
    }
};

// Body or turret: the master pictures, as no vehicle has been painted.
bool IsVehicle(uint32_t c) {
    return c == BodyBlue || c == Rgb(90, 60, 30);
}

int Count(const TImage& image, uint32_t colour, const TRect& r) {
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
            n += image.At(x, y) == colour;
    return n;
}

} // namespace

TEST_F(FrameTest, CameraOnANarrowMapLinesUpWithTheRightEdge) {
    MakeMap(3, 30); // 192 px wide, the view 320
    AddTank({100, 500});
    const TImage shot = Draw();
    TView views[2];
    FrameViews(g(), 320, 240, views);
    EXPECT_EQ(views[0].Camera.Right, 192);
    EXPECT_EQ(views[0].Camera.Left, 192 - 320);
    // The left part shows nothing of the ground; the map fills the right.
    EXPECT_EQ(shot.At(10, 5), Black);
    EXPECT_EQ(shot.At(127, 5), Black);
    EXPECT_EQ(shot.At(128, 5), GroundGreen);
    EXPECT_EQ(shot.At(319, 5), GroundGreen);
    // The view centre heard by the sounds is the camera's.
    EXPECT_EQ(g().ViewCentres[0].x, (192 - 320 + 192) / 2);
}

TEST_F(FrameTest, WallsCoverVehiclesAndGroundDoesNot) {
    g().MapCells(5, 10) = 4; // wall: column 5 spans x 320..384
    const double wallY = (30 - 10 - 0.5) * CellSize;
    AddTank({352, wallY});       // the view follows this one, under the wall
    AddTank({352 + 128, wallY}); // on open ground
    const TImage shot = Draw();
    TView views[2];
    FrameViews(g(), 320, 240, views);
    const int y = ScreenY(views[0], wallY);
    EXPECT_EQ(shot.At(ScreenX(views[0], 352), y), WallGrey);
    EXPECT_TRUE(IsVehicle(shot.At(ScreenX(views[0], 352 + 128), y)));
}

TEST_F(FrameTest, BulletsAreYellowStreaksFromHeadToTail) {
    AddTank({1000, 1000});
    TBullet b;
    b.Position = {1050, 1010};
    b.TrailPosition = {1030, 1010};
    g().Bullets.Add(b);
    const TImage shot = Draw();
    TView views[2];
    FrameViews(g(), 320, 240, views);
    const int y = ScreenY(views[0], 1010);
    const int x0 = ScreenX(views[0], 1030), x1 = ScreenX(views[0], 1050);
    EXPECT_GE(Count(shot, Rgb(255, 255, 0), {x0, y, x1 + 1, y + 1}), 19);
    EXPECT_NE(shot.At(x0, y + 3), Rgb(255, 255, 0));
}

TEST_F(FrameTest, HealthBarRunsFromRedThroughYellowToGreen) {
    TTank& t = AddTank({1000, 1000});
    auto barAt = [&](double health, int x) {
        t.Health = health;
        return Draw().At(10 + x, 240 - 20);
    };
    EXPECT_EQ(barAt(40, 0), Rgb(255, 128, 0)); // 25 %
    EXPECT_EQ(barAt(80, 0), Rgb(255, 255, 0)); // 50 %
    EXPECT_EQ(barAt(160, 0), Rgb(0, 255, 0));  // full
    // Above the maximum it still stops at 100 px; below zero there is none.
    EXPECT_EQ(barAt(400, 99), Rgb(0, 255, 0));
    EXPECT_EQ(barAt(400, 100), GroundGreen);
    EXPECT_EQ(barAt(-30, 0), GroundGreen);
    EXPECT_EQ(HealthBarColour(75), Rgb(128, 255, 0));
}

TEST_F(FrameTest, ExplosionsPlayFiveHundredMillisecondsThenGo) {
    AddTank({1000, 1000});
    g().GameTime = 10000;
    g().Explosions.Add({2, 10000 - 500, {1100, 1000}});
    TImage shot = Draw();
    TView views[2];
    FrameViews(g(), 320, 240, views);
    const int x = ScreenX(views[0], 1100), y = ScreenY(views[0], 1000);
    EXPECT_EQ(shot.At(x, y), FireRed);
    EXPECT_EQ(g().Explosions.Count, 1);

    g().GameTime = 10001;
    shot = Draw();
    EXPECT_EQ(shot.At(x, y), GroundGreen);
    EXPECT_EQ(g().Explosions.Count, 0);

    // The self-destruct blast is twice the size, a small one half.
    g().Explosions.Add({-1, 10001, {1100, 1000}});
    g().Explosions.Add({1, 10001, {1000, 1080}});
    shot = Draw();
    EXPECT_EQ(shot.At(x + 18, y - 18), FireRed);
    EXPECT_EQ(shot.At(x + 21, y), GroundGreen);
    const int sx = ScreenX(views[0], 1000), sy = ScreenY(views[0], 1080);
    EXPECT_EQ(shot.At(sx + 4, sy), FireRed);
    EXPECT_EQ(shot.At(sx + 6, sy), GroundGreen);
}

TEST_F(FrameTest, SplitScreenOnAnOddWidthLeavesANinePixelGap) {
    g().SplitScreen = g().TwoPlayers = true;
    g().LeftViewPlayer = 0;
    g().RightViewPlayer = 1;
    AddTank({600, 600});
    AddTank({1500, 1200});
    const TImage shot = Draw(641, 240);
    // Views of 641 div 2 - 4 = 316 px; the second starts at 320 + 1 + 4.
    EXPECT_EQ(shot.At(315, 5), GroundGreen);
    for (int x = 316; x < 325; ++x)
        EXPECT_EQ(shot.At(x, 5), Black) << "x " << x;
    EXPECT_EQ(shot.At(325, 5), GroundGreen);
    EXPECT_EQ(shot.At(640, 5), GroundGreen);
    // Each view follows its own player.
    EXPECT_EQ(g().ViewCentres[1].x, 1500);
    EXPECT_TRUE(IsVehicle(shot.At(325 + 316 / 2, 120)));
}

TEST_F(FrameTest, EdgeMarkerOfAVehicleStraightAboveSitsOnTheTopEdge) {
    g().TankIndicators = true;
    AddTank({1000, 1000});
    TTank& above = AddTank({1000, 1600});
    above.BodyColour = {255, 0, 255};
    const TImage shot = Draw();
    // The view's target is at screen x 160; the marker is centred there on row 0.
    EXPECT_EQ(shot.At(160, 2), Rgb(255, 0, 255));
    EXPECT_NE(shot.At(160, 12), Rgb(255, 0, 255));

    TView views[2];
    FrameViews(g(), 320, 240, views);
    int x = 0, y = 0;
    // Slightly to the right: the crossing is snapped to 16 px.
    ASSERT_TRUE(EdgeMarker(views[0], {1000 + 41 * 5, 1000 + 120 * 5}, x, y));
    EXPECT_EQ(y, 0);
    EXPECT_EQ(x, 208); // 160 + 41 = 201 -> 208
    ASSERT_TRUE(EdgeMarker(views[0], {1000 - 2000, 1000}, x, y));
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 128); // 120 is 7.5 sixteens: the half goes to the even 8
    EXPECT_FALSE(EdgeMarker(views[0], {1050, 1050}, x, y));
}

TEST_F(FrameTest, ViewFollowsTheGuidedMissileItsVehicleSteers) {
    TTank& t = AddTank({1000, 1000});
    TRocket r;
    r.Kind = 2;
    r.Position = {1400, 900};
    t.GuidedMissile = g().Rockets.Add(r);
    Draw();
    EXPECT_EQ(g().ViewCentres[0].x, 1400);
    EXPECT_EQ(g().ViewCentres[0].y, 900);
    t.GuidedMissile = 7; // no such rocket: back to the vehicle
    Draw();
    EXPECT_EQ(g().ViewCentres[0].x, 1000);
}

TEST_F(FrameTest, PauseNoticeBlinksOnTheRealClockAndTheLevelEndPromptWaits) {
    AddTank({1000, 1000});
    g().Paused = true;
    const TRect middle{100, 100, 220, 140};
    Info.RealTick = 123400; // in the first half of the second
    EXPECT_GT(Count(Draw(), Rgb(255, 255, 255), middle), 20);
    Info.RealTick = 123700;
    EXPECT_EQ(Count(Draw(), Rgb(255, 255, 255), middle), 0);

    g().Paused = false;
    g().LevelRunning = false;
    g().LevelEndTime = 5000;
    g().GameTime = 9000;
    const TRect prompt{0, 240 - 100, 320, 240 - 80};
    EXPECT_EQ(Count(Draw(), Rgb(128, 128, 128), prompt), 0);
    g().GameTime = 9001;
    EXPECT_GT(Count(Draw(), Rgb(128, 128, 128), prompt), 100);
}

TEST(ScoreLine, DifferenceHasASignOnlyWhenAhead) {
    EXPECT_EQ(ScoreDifference(3), "(+3)");
    EXPECT_EQ(ScoreDifference(0), "(0)");
    EXPECT_EQ(ScoreDifference(-2), "(-2)");
}

TEST_F(FrameTest, NothingOfTheLastFrameShowsWhereNoGroundIsDrawn) {
    // The view is cleared only where the ground leaves something uncovered:
    // whatever the surface held before must never show.
    AddTank({1000, 1000});
    TOffscreenCanvas canvas(320, 240);
    const uint32_t stale = Rgb(255, 0, 255);
    const TRect all{0, 0, 320, 240};
    auto draw = [&] {
        canvas.FillRect(all, int32_t(stale));
        PrepareFrame(g(), 320, 240);
        Renderer.DrawFrame(canvas, g(), {Sprites, Ground, Explosions}, Info);
        return canvas.Snapshot();
    };
    EXPECT_EQ(Count(draw(), stale, all), 0);

    // A cell whose code names no picture is black.
    g().MapCells(14, 14) = 100;
    TImage shot = draw();
    EXPECT_EQ(Count(shot, stale, all), 0);
    EXPECT_EQ(shot.At(88, 128), Black);
    g().MapCells(14, 14) = 0;

    // A ground picture with a transparent colour lets the black through.
    Ground.Put(0, TImage(CellSize, CellSize, Black), Black);
    EXPECT_EQ(Count(draw(), stale, all), 0);
    Ground.Put(0, TImage(CellSize, CellSize, GroundGreen), NoTransparency);

    // Walls are drawn later but over everything under them.
    g().MapCells(14, 14) = 4;
    shot = draw();
    EXPECT_EQ(Count(shot, stale, all), 0);
    EXPECT_EQ(shot.At(88, 128), WallGrey);

    // Beside a map narrower than the view.
    MakeMap(3, 30);
    g().Tanks[0].Position = {100, 500};
    shot = draw();
    EXPECT_EQ(Count(shot, stale, all), 0);
    EXPECT_EQ(shot.At(10, 5), Black);
}

// Sixty-four players on a light map: the table has its headings, sits on a
// dark backdrop, and every row is inside the view (two columns here). The
// console above it lifts a black owner's colour off the ground.
TEST_F(FrameTest, AFullScoreTableAndTheConsoleReadOnLightGround) {
    for (int r = 0; r < 4; ++r)
        Ground.Put(r, TImage(CellSize, CellSize, Rgb(235, 235, 225)));
    for (int i = 0; i < MaxTanks; ++i) {
        TTank& t = AddTank({1000.0 + 10 * i, 1000});
        t.Name = "Driver " + std::to_string(i);
        t.Frags = 64 - i;
        g().RankOrder[i] = i;
    }
    g().Tanks[0].Alive = false;
    g().Tanks[3].BodyColour = {0, 0, 0};
    g().Console.Add("plain words", -1, 0);
    g().Console.Add("from a black vehicle", 3, 0);
    const TImage frame = Draw(1024, 768);
    SaveImageFile(frame, std::string(MOOR_BIN_DIR) + "/../score_table_64.png");

    // The backdrop: dark where light ground would be, around the middle.
    EXPECT_GT(Count(frame, Rgb(16, 16, 16), {200, 100, 824, 700}), 100000);
    // Rows down to the last stay inside the view: text in the lowest band
    // of the backdrop, none below it.
    int lowest = 0;
    for (int y = 0; y < 768; ++y)
        for (int x = 300; x < 724; ++x)
            if (frame.At(x, y) == Rgb(192, 192, 192)) lowest = std::max(lowest, y);
    EXPECT_GT(lowest, 600);
    EXPECT_LT(lowest, 760);
    // The black owner's line is drawn in a light colour, none of it black
    // but its shadow.
    EXPECT_GT(Count(frame, ReadableColour(0), {0, 0, 400, 40}), 30);
    EXPECT_GE(ReadableColour(0) & 0xFF, 100);

    // The same console on grass, for people to look at.
    for (int r = 0; r < 4; ++r)
        Ground.Put(r, TImage(CellSize, CellSize, GroundGreen));
    g().Tanks[0].Alive = true;
    g().LevelRunning = true;
    SaveImageFile(Draw(640, 240), std::string(MOOR_BIN_DIR) + "/../console_on_grass.png");
    EXPECT_EQ(ReadableColour(Rgb(255, 255, 0)), Rgb(255, 255, 0));
}
