#include <cmath>
#include <limits>

#include "core/terrain.h"
#include "world_support.h"

namespace {

TVector V(double x, double y) {
    return {x, y};
}

} // namespace

TEST(CellAt, ClampsPointsOutsideTheMap) {
    WorldRig rig;
    UseMap(rig.g(), FilledRows(3, 2, G0)); // 192 x 128 px
    const Game& g = rig.g();
    EXPECT_EQ(CellAt(g, V(-10, 70)).X, 0);
    EXPECT_EQ(CellAt(g, V(-0.5, 70)).X, 0);
    EXPECT_EQ(CellAt(g, V(500, 70)).X, 2);
    EXPECT_EQ(CellAt(g, V(10, 128.5)).Y, 0); // just above the top edge
    EXPECT_EQ(CellAt(g, V(10, 1e6)).Y, 0);
    EXPECT_EQ(CellAt(g, V(10, -0.5)).Y, 1); // below the map: the bottom row
    EXPECT_EQ(CellAt(g, V(10, -300)).Y, 1);
    const TCell c = CellAt(g, V(std::nan(""), std::numeric_limits<double>::infinity()));
    EXPECT_TRUE(c.X >= 0 && c.X < 3 && c.Y >= 0 && c.Y < 2);
}

TEST(CellAt, RowZeroIsTheTopOfTheWorld) {
    WorldRig rig;
    UseMap(rig.g(), FilledRows(3, 2, G0));
    const Game& g = rig.g();
    EXPECT_EQ(CellAt(g, V(70, 10)).X, 1);
    EXPECT_EQ(CellAt(g, V(70, 10)).Y, 1);
    EXPECT_EQ(CellAt(g, V(70, 64)).Y, 0);
    EXPECT_EQ(CellCentre(g, 0, 0).x, 32);
    EXPECT_EQ(CellCentre(g, 0, 0).y, 96);
    for (int column = 0; column < 3; ++column)
        for (int row = 0; row < 2; ++row) {
            const TCell c = CellAt(g, CellCentre(g, column, row));
            EXPECT_EQ(c.X, column);
            EXPECT_EQ(c.Y, row);
        }
}

TEST(InsideMap, EdgesAreInside) {
    WorldRig rig;
    UseMap(rig.g(), FilledRows(3, 2, G0));
    EXPECT_TRUE(InsideMap(rig.g(), V(0, 0)));
    EXPECT_TRUE(InsideMap(rig.g(), V(192, 128)));
    EXPECT_FALSE(InsideMap(rig.g(), V(192.01, 5)));
    EXPECT_FALSE(InsideMap(rig.g(), V(5, -0.01)));
}

TEST(KindAt, CodesWithoutATextureAreGround) {
    WorldRig rig;
    rig.g().TerrainKind[3] = 77; // a kind the game does not know
    UseMap(rig.g(), {"8 24 400 12", "-1 -9 20 2147483647"});
    const Game& g = rig.g();
    EXPECT_EQ(KindAt(g, 0, 0), tkWall);
    EXPECT_EQ(KindAt(g, 1, 0), tkGround); // texture 6 of 6
    EXPECT_EQ(KindAt(g, 2, 0), tkGround);
    EXPECT_EQ(KindAt(g, 3, 0), tkGround); // unknown kind
    EXPECT_EQ(KindAt(g, 0, 1), tkGround); // -1 div 4 = 0
    EXPECT_EQ(KindAt(g, 1, 1), tkGround); // texture -2
    EXPECT_EQ(KindAt(g, 2, 1), tkBase);
    EXPECT_EQ(KindAt(g, 3, 1), tkGround);
    EXPECT_EQ(KindAt(g, -1, 0), tkGround);
    EXPECT_EQ(KindAt(g, 4, 0), tkGround);
    EXPECT_EQ(KindAt(g, 0, 1000), tkGround);
}

TEST(KindAt, OnlyLoadedTexturesHavePictures) {
    WorldRig rig;
    EXPECT_EQ(CellImageIndex(rig.g(), 0), 0);
    EXPECT_EQ(CellImageIndex(rig.g(), 23), 23);
    EXPECT_EQ(CellImageIndex(rig.g(), 24), -1);
    EXPECT_EQ(CellImageIndex(rig.g(), -1), -1);
}

class SegmentHitsWallTest : public ::testing::Test {
  protected:
    WorldRig Rig;
    Game& g() { return Rig.g(); }
    TVector Centre(int column, int row) { return CellCentre(g(), column, row); }
};

TEST_F(SegmentHitsWallTest, OpenGroundLetsTheSegmentThrough) {
    UseMap(g(), FilledRows(4, 3, G0));
    const TWallHit h = SegmentHitsWall(g(), Centre(0, 2), Centre(3, 0));
    EXPECT_FALSE(h.Hit);
    EXPECT_EQ(h.End.x, Centre(3, 0).x);
    EXPECT_EQ(h.End.y, Centre(3, 0).y);
}

TEST_F(SegmentHitsWallTest, StopsAtTheEdgeOfTheFirstWallAlongARow) {
    UseMap(g(), {"0 0 8 0"});
    TWallHit h = SegmentHitsWall(g(), Centre(0, 0), Centre(3, 0));
    EXPECT_TRUE(h.Hit);
    EXPECT_EQ(h.End.x, 128);
    EXPECT_EQ(h.End.y, 32);
    h = SegmentHitsWall(g(), Centre(3, 0), Centre(0, 0));
    EXPECT_TRUE(h.Hit);
    EXPECT_EQ(h.End.x, 192); // the wall's right edge, coming from the right
}

TEST_F(SegmentHitsWallTest, AlongOneColumnOnlyRowsAreCrossed) {
    UseMap(g(), {"0 8 0", "0 0 0", "0 0 0", "0 8 0"});
    TWallHit h = SegmentHitsWall(g(), Centre(1, 2), Centre(1, 0));
    EXPECT_TRUE(h.Hit);
    EXPECT_EQ(h.End.x, 96);
    EXPECT_EQ(h.End.y, 192); // bottom edge of the top row
    h = SegmentHitsWall(g(), Centre(1, 1), Centre(1, 3));
    EXPECT_TRUE(h.Hit);
    EXPECT_EQ(h.End.y, 64); // top edge of the bottom row
    h = SegmentHitsWall(g(), Centre(1, 1), Centre(1, 2));
    EXPECT_FALSE(h.Hit);
}

TEST_F(SegmentHitsWallTest, LeavingTheMapEndsOnTheBorder) {
    UseMap(g(), FilledRows(4, 3, G0));
    TWallHit h = SegmentHitsWall(g(), V(32, 32), V(32 + 480, 32 + 240));
    EXPECT_TRUE(h.Hit);
    EXPECT_DOUBLE_EQ(h.End.x, 256);
    EXPECT_DOUBLE_EQ(h.End.y, 32 + 112);
    h = SegmentHitsWall(g(), V(100, 100), V(100, -50));
    EXPECT_TRUE(h.Hit);
    EXPECT_DOUBLE_EQ(h.End.y, 0);
    EXPECT_DOUBLE_EQ(h.End.x, 100);
}

TEST_F(SegmentHitsWallTest, LeavingTheMapPastAWallEndsAtTheWall) {
    UseMap(g(), {"0 0 8 0"});
    const TWallHit h = SegmentHitsWall(g(), Centre(0, 0), V(1000, 32));
    EXPECT_TRUE(h.Hit);
    EXPECT_EQ(h.End.x, 128);
}

TEST_F(SegmentHitsWallTest, TheStartCellIsNotTested) {
    UseMap(g(), {"0 8 0"});
    const TWallHit h = SegmentHitsWall(g(), Centre(1, 0), Centre(2, 0));
    EXPECT_FALSE(h.Hit);
    EXPECT_EQ(h.End.x, Centre(2, 0).x);
}

TEST_F(SegmentHitsWallTest, ARowCrossingBeforeTheColumnWallWins) {
    // From the bottom-left cell to the top-right one: the column walk meets
    // the wall at (3, 0) first, but the line enters the wall at (1, 1) earlier.
    UseMap(g(), {"0 0 0 8", "0 8 0 0", "0 0 0 0"});
    const TWallHit h = SegmentHitsWall(g(), Centre(0, 2), Centre(3, 0));
    EXPECT_TRUE(h.Hit);
    EXPECT_DOUBLE_EQ(h.End.x, 80);
    EXPECT_DOUBLE_EQ(h.End.y, 64);
}

TEST_F(SegmentHitsWallTest, SegmentsOffTheMapAreBlockedAndStayBounded) {
    UseMap(g(), FilledRows(4, 3, G0));
    const double inf = std::numeric_limits<double>::infinity();
    const TVector odd[][2] = {{V(-50, 10), V(-50, 90)},    {V(-50, -50), V(500, 300)},
                              {V(-1e300, 5), V(1e300, 6)}, {V(std::nan(""), 5), V(3, 3)},
                              {V(inf, 5), V(3, 3)},        {V(-10, -10), V(-20, -20)}};
    for (const auto& s : odd) {
        const TWallHit h = SegmentHitsWall(g(), s[0], s[1]);
        EXPECT_TRUE(h.Hit);
    }
}

// The quick one-cell answer never disagrees with the full walk: short
// paths all over a map of walls, inside and across its edges.
TEST_F(SegmentHitsWallTest, OneCellPathsNeverMeetAWall) {
    UseMap(g(), {"8 0 8 0", "0 8 0 8", "8 0 8 0"});
    Random rng(3);
    int quick = 0;
    for (int k = 0; k < 20000; ++k) {
        const TVector a{rng.Real() * 300 - 22, rng.Real() * 236 - 22};
        const TVector b{a.x + rng.Real() * 20 - 10, a.y + rng.Real() * 20 - 10};
        if (!InOneCell(g(), a, b)) continue;
        ++quick;
        const TWallHit h = SegmentHitsWall(g(), a, b);
        ASSERT_FALSE(h.Hit) << a.x << "," << a.y << " -> " << b.x << "," << b.y;
    }
    EXPECT_GT(quick, 10000);
    EXPECT_FALSE(InOneCell(g(), {-1, 5}, {-2, 5})); // off the map: the walk decides
    EXPECT_FALSE(InOneCell(g(), {256, 5}, {255.5, 5}));
}
