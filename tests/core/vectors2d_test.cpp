#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "core/vectors2d.h"

using namespace Vectors2D;
constexpr double Pi = std::numbers::pi;

TEST(Vectors2D, NormalizeFallsBackToXAxisForTinyVectors) {
    EXPECT_EQ(Normalize(Make(0, 0)).x, 1);
    EXPECT_EQ(Normalize(Make(0, 0)).y, 0);
    EXPECT_EQ(Normalize(Make(0.000001, 0)).x, 1);
    const TVector n = Normalize(Make(3, 4));
    EXPECT_DOUBLE_EQ(n.x, 0.6);
    EXPECT_DOUBLE_EQ(n.y, 0.8);
    // Just above the threshold it is a real unit vector.
    EXPECT_NEAR(Length(Normalize(Make(0, -0.00002))), 1, 1e-12);
    EXPECT_NEAR(Normalize(Make(0, -0.00002)).y, -1, 1e-12);
}

TEST(Vectors2D, AngleOfSpecialCasesAndRescaling) {
    EXPECT_DOUBLE_EQ(AngleOf(Make(0, 0)), Pi / 2);
    EXPECT_DOUBLE_EQ(AngleOf(Make(0, -5)), -Pi / 2);
    EXPECT_DOUBLE_EQ(AngleOf(Make(-1, 0)), Pi);
    EXPECT_DOUBLE_EQ(AngleOf(Make(1000, 1000)), Pi / 4);
    // Huge components are scaled down without changing the angle.
    EXPECT_NEAR(AngleOf(Make(-1e300, 1e300)), 3 * Pi / 4, 1e-12);
    EXPECT_NEAR(AngleOf(Make(300, -1e6)), std::atan2(-1e6, 300), 1e-12);
    EXPECT_NEAR(AngleOf(Make(1e-300, 5)), Pi / 2, 1e-12);
}

TEST(Vectors2D, AngleOfStraightBackIsPiWhateverTheSignOfZero) {
    // Small, rescaled by x, rescaled by y, and a y too small to turn the angle.
    for (const TVector v : {Make(-1, -0.0), Make(-5, -0.0), Make(-300, -0.0), Make(-1e300, -0.0),
                            Make(-300, -1e-320), Make(-1, -1e-300), Make(-1, 0.0)})
        EXPECT_EQ(AngleOf(v), Pi) << v.x << ", " << v.y;
    EXPECT_EQ(AngleOf(Make(5, -0.0)), 0);
    EXPECT_EQ(AngleOf(Make(-0.0, -0.0)), Pi / 2);
    // A turn big enough to show stays just above -pi.
    EXPECT_GT(AngleOf(Make(-1, -1e-9)), -Pi);
    EXPECT_LT(AngleOf(Make(-1, -1e-9)), -Pi + 2e-9);
}

TEST(Vectors2D, RotateProjectReject) {
    const TVector r = Rotate(Make(1, 0), Pi / 2);
    EXPECT_NEAR(r.x, 0, 1e-15);
    EXPECT_NEAR(r.y, 1, 1e-15);
    const TVector p = Project(Make(3, 4), Make(1, 0));
    EXPECT_EQ(p.x, 3);
    EXPECT_EQ(p.y, 0);
    const TVector j = Reject(Make(3, 4), Make(1, 0));
    EXPECT_EQ(j.x, 0);
    EXPECT_EQ(j.y, 4);
    // The axis is taken as given, not normalised.
    EXPECT_EQ(Project(Make(1, 0), Make(2, 0)).x, 4);
    EXPECT_DOUBLE_EQ(Distance(Make(1, 1), Make(4, 5)), 5);
    EXPECT_DOUBLE_EQ(DistanceSquared(Make(1, 1), Make(4, 5)), 25);
    EXPECT_EQ(Min(2, 2), 2);
    EXPECT_EQ(Min(3, 1), 1);
}

TEST(Vectors2D, BoxesAndMapRange) {
    const TVector one[] = {Make(2, 3)};
    const TBox b = BoundingBox(one, 0);
    EXPECT_EQ(b.MinX, 2);
    EXPECT_EQ(b.MaxX, 2);
    EXPECT_EQ(b.MinY, 3);
    EXPECT_EQ(b.MaxY, 3);
    EXPECT_TRUE(InBox(Make(2, 3), b, 0));
    EXPECT_TRUE(InBox(Make(3, 4), b, 1));
    EXPECT_FALSE(InBox(Make(3.01, 3), b, 1));

    const TVector poly[] = {Make(0, 0), Make(5, -2), Make(-1, 7), Make(9, 9)};
    const TBox c = BoundingBox(poly, 2); // the last point is not part of it
    EXPECT_EQ(c.MinX, -1);
    EXPECT_EQ(c.MaxX, 5);
    EXPECT_EQ(c.MinY, -2);
    EXPECT_EQ(c.MaxY, 7);

    EXPECT_DOUBLE_EQ(MapRange(5, 100, 10, 0, 0), 50);
    EXPECT_DOUBLE_EQ(MapRange(0, 1, 1, 3, -1), 2); // reversed target
}

TEST(Vectors2D, SideCountsPointsOnTheLineAsMinusOne) {
    const TVector a = Make(0, 0), b = Make(10, 0);
    EXPECT_EQ(Side(a, b, Make(5, 0)), -1);
    EXPECT_EQ(Side(a, b, Make(5, 1)), 1);
    EXPECT_EQ(Side(a, b, Make(5, -1)), -1);
    EXPECT_EQ(Side(a, a, Make(3, 3)), -1); // degenerate line
}

TEST(Vectors2D, SegmentsCross) {
    // Square diagonals cross.
    EXPECT_TRUE(SegmentsCross(Make(0, 0), Make(1, 1), Make(0, 1), Make(1, 0)));
    // Collinear segments do not (every end gets -1).
    EXPECT_FALSE(SegmentsCross(Make(0, 0), Make(2, 0), Make(1, 0), Make(3, 0)));
    // Parallel on different lines.
    EXPECT_FALSE(SegmentsCross(Make(0, 0), Make(2, 0), Make(0, 1), Make(2, 1)));
    // Far apart, on crossing lines.
    EXPECT_FALSE(SegmentsCross(Make(0, 0), Make(1, 1), Make(10, 0), Make(9, 1)));
    // A segment ending on the other one: it counts as crossing from the +1
    // side, not from the -1 side.
    EXPECT_TRUE(SegmentsCross(Make(0, 0), Make(2, 0), Make(1, 1), Make(1, 0)));
    EXPECT_FALSE(SegmentsCross(Make(0, 0), Make(2, 0), Make(1, -1), Make(1, 0)));
}
