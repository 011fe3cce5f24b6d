#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "core/asset_names.h"
#include "core/colours.h"
#include "fakes/fakes.h"

constexpr double Pi = std::numbers::pi;

TEST(Angles, NormalizeIntoHalfOpenRange) {
    EXPECT_DOUBLE_EQ(NormalizeAngle(Pi), Pi);
    EXPECT_DOUBLE_EQ(NormalizeAngle(-Pi), Pi);
    EXPECT_NEAR(NormalizeAngle(3 * Pi / 2), -Pi / 2, 1e-12);
    EXPECT_NEAR(NormalizeAngle(-5 * Pi / 2), -Pi / 2, 1e-12);
    EXPECT_DOUBLE_EQ(NormalizeAngle(0.5), 0.5);
    // Wild values come back in range quickly instead of looping for ages.
    const double w = NormalizeAngle(1e12);
    EXPECT_GT(w, -Pi);
    EXPECT_LE(w, Pi);
    EXPECT_EQ(NormalizeAngle(NAN), 0);
    EXPECT_EQ(Sign(-0.1), -1);
    EXPECT_EQ(Sign(0.0), 0);
    EXPECT_EQ(Sign(3), 1);
    EXPECT_EQ(RoundEven(2.5), 2);
    EXPECT_EQ(RoundEven(3.5), 4);
    EXPECT_EQ(RoundEven(-2.5), -2);
}

TEST(Pools, RefuseWhenFullAndRemoveByMovingTheLast) {
    TestRig rig;
    Game& g = rig.g();
    for (int i = 0; i < 1024; ++i) {
        TExplosion e;
        e.StartTime = i;
        ASSERT_EQ(g.Explosions.Add(e), i);
    }
    TExplosion extra;
    extra.StartTime = 9999;
    EXPECT_EQ(g.Explosions.Add(extra), -1); // the 1025th is not created
    EXPECT_EQ(g.Explosions.Count, 1024);

    for (int i = 0; i < 16384; ++i)
        ASSERT_GE(g.Bullets.Add(TBullet{}), 0);
    EXPECT_EQ(g.Bullets.Add(TBullet{}), -1); // the 16385th bullet is not fired

    g.Explosions.Remove(3);
    EXPECT_EQ(g.Explosions.Count, 1023);
    EXPECT_EQ(g.Explosions[3].StartTime, 1023); // the last moved into the hole
    EXPECT_EQ(g.Explosions[2].StartTime, 2);
    EXPECT_EQ(g.Explosions[4].StartTime, 4);
    g.Explosions.Remove(5000); // out of range: nothing happens
    g.Explosions.Remove(-1);
    EXPECT_EQ(g.Explosions.Count, 1023);
}

TEST(Colours, HsbToRgbNamedColours) {
    auto rgb = [](int h, int s, int b) { return HsbToRgb({h, s, b}); };
    EXPECT_EQ(rgb(0, 255, 255), (TRgb{255, 0, 0}));
    EXPECT_EQ(rgb(128, 255, 255), (TRgb{255, 128, 0}));
    EXPECT_EQ(rgb(512, 255, 128), (TRgb{0, 128, 0}));
    EXPECT_EQ(rgb(1023, 255, 255), (TRgb{0, 0, 255}));
    EXPECT_EQ(rgb(0, 0, 512), (TRgb{255, 255, 255})); // clamped
    EXPECT_EQ(rgb(0, 0, 255), (TRgb{128, 128, 128}));
    EXPECT_EQ(rgb(0, 255, 0), (TRgb{0, 0, 0}));
    EXPECT_EQ(rgb(1536, 255, 255), (TRgb{0, 0, 0})); // no hue
}

TEST(Corners, TheCornerAfterTheLastIsTheFirst) {
    EXPECT_EQ(NextCorner(0), 1);
    EXPECT_EQ(NextCorner(2), 3);
    EXPECT_EQ(NextCorner(3), 0);
}
