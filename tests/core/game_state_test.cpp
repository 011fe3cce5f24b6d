#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "core/asset_names.h"
#include "core/colours.h"
#include "core/setup.h"
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

    for (int i = 0; i < 16384; ++i) ASSERT_GE(g.Bullets.Add(TBullet{}), 0);
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

TEST(Pools, RemovingARocketKeepsGuidedMissilesInStep) {
    TestRig rig;
    Game& g = rig.g();
    AddTank(g, sortTank);
    AddTank(g, sortTank);
    for (int i = 0; i < 4; ++i) {
        TRocket r;
        r.Id = i;
        g.Rockets.Add(r);
    }
    g.Tanks[0].GuidedMissile = 1;
    g.Tanks[1].GuidedMissile = 3;
    RemoveRocket(g, 1);
    EXPECT_EQ(g.Tanks[0].GuidedMissile, -1);
    EXPECT_EQ(g.Tanks[1].GuidedMissile, 1);
    EXPECT_EQ(g.Rockets[1].Id, 3);
}

TEST(Vehicles, GeometryFollowsTheSpriteSizes) {
    TestRig rig;
    Game& g = rig.g();
    const int t = AddTank(g, sortTank);
    const int h = AddTank(g, sortHovercraft);
    const int m = AddTank(g, sortHummer);
    const TTank& tank = g.Tanks[t];
    EXPECT_DOUBLE_EQ(tank.BodyCorners[0].x, 24);   // 40 * 0.6
    EXPECT_DOUBLE_EQ(tank.BodyCorners[1].x, -16);  // rear
    EXPECT_DOUBLE_EQ(tank.BodyCorners[0].y, 12.5);
    EXPECT_DOUBLE_EQ(tank.BodyCorners[3].y, -12.5);
    EXPECT_DOUBLE_EQ(tank.MainMuzzle.x, 53 * 0.75);
    EXPECT_DOUBLE_EQ(tank.GunMuzzle.x, 53 * 0.25);
    EXPECT_DOUBLE_EQ(tank.GunMuzzle.y, 21 / 4.0);
    EXPECT_DOUBLE_EQ(tank.MineDrop.x, -16 - 5.5);
    EXPECT_DOUBLE_EQ(tank.LaunchRail.x, 10);
    EXPECT_DOUBLE_EQ(tank.LaunchRail.y, 0.45 * 25);
    EXPECT_EQ(tank.RocketsLeft, 6);

    const TTank& hover = g.Tanks[h];
    EXPECT_DOUBLE_EQ(hover.TurretMount.x, -10);
    EXPECT_DOUBLE_EQ(hover.TurretMount.y, -5);
    EXPECT_DOUBLE_EQ(hover.GunMuzzle.x, hover.MainMuzzle.x);
    EXPECT_DOUBLE_EQ(hover.MainMuzzle.x, 25 * 0.85);

    const TTank& hummer = g.Tanks[m];
    EXPECT_DOUBLE_EQ(hummer.TurretMount.x, -13);
    EXPECT_DOUBLE_EQ(hummer.GunMuzzle.x, 21); // front-right corner
    EXPECT_DOUBLE_EQ(hummer.GunMuzzle.y, -10);
    EXPECT_DOUBLE_EQ(hummer.MainMuzzle.y, hummer.GunMuzzle.y);
    EXPECT_EQ(hummer.RocketsLeft, 12);
}

TEST(Vehicles, AddingStopsAtSixtyFourAndSetsTheDefaults) {
    TestRig rig;
    Game& g = rig.g();
    g.GameTime = 5000;
    for (int i = 0; i < MaxTanks; ++i) ASSERT_EQ(AddTank(g, sortHummer), i);
    EXPECT_EQ(AddTank(g, sortTank), -1);
    EXPECT_EQ(g.TankCount, 64);
    for (int i = 0; i < g.TankCount; ++i) {
        const TTank& t = g.Tanks[i];
        EXPECT_EQ(t.MinesLeft, 10);
        EXPECT_EQ(t.TeamIndex, -1);
        EXPECT_EQ(t.LastKiller, -1);
        EXPECT_GE(t.WeaponChangeTime, 5000);
        EXPECT_LT(t.WeaponChangeTime, 5000 + 60000);
    }
}

TEST(Vehicles, FindTankSkipsBots) {
    TestRig rig;
    Game& g = rig.g();
    for (int i = 0; i < 3; ++i) AddTank(g, sortTank);
    g.Tanks[0].PlayerId = 5;
    g.Tanks[1].PlayerId = 5;
    g.Tanks[1].Seat = 1;
    g.Tanks[2].PlayerId = 5;
    g.Tanks[2].IsBot = true;
    EXPECT_EQ(FindTank(g, 5, 0), 0);
    EXPECT_EQ(FindTank(g, 5, 1), 1);
    EXPECT_EQ(FindTank(g, 6, 0), -1);
    g.Tanks[0].IsBot = true;
    EXPECT_EQ(FindTank(g, 5, 0), -1);
}

TEST(Vehicles, RemovingRepointsTargetsAndOwners) {
    TestRig rig;
    Game& g = rig.g();
    for (int i = 0; i < 5; ++i) {
        AddTank(g, sortTank);
        g.Tanks[i].Name = "t" + std::to_string(i);
    }
    g.Tanks[0].BotTarget = 2; // the leaver
    g.Tanks[1].BotTarget = 4; // a later one
    g.Tanks[3].BotTarget = 1; // an earlier one
    g.Tanks[4].MissionTarget = 3;
    g.Tanks[4].LastKiller = 2;
    TBullet b;
    b.Shooter = 2;
    g.Bullets.Add(b);
    b.Shooter = 4;
    g.Bullets.Add(b);
    TMine mine;
    mine.Owner = 3;
    g.Mines.Add(mine);

    RemoveTank(g, 2);
    ASSERT_EQ(g.TankCount, 4);
    EXPECT_EQ(g.Tanks[2].Name, "t3");
    EXPECT_EQ(g.Tanks[3].Name, "t4");
    EXPECT_EQ(g.Tanks[0].BotTarget, -1);
    EXPECT_EQ(g.Tanks[1].BotTarget, 3);
    EXPECT_EQ(g.Tanks[2].BotTarget, 1);
    EXPECT_EQ(g.Tanks[3].MissionTarget, 2);
    EXPECT_EQ(g.Tanks[3].LastKiller, -1);
    // The leaver's bullet is gone, the others follow their shooter.
    ASSERT_EQ(g.Bullets.Count, 1);
    EXPECT_EQ(g.Bullets[0].Shooter, 3);
    EXPECT_EQ(g.Mines[0].Owner, 2);
    // Tinted pictures belong to the vehicle's place in the table.
    EXPECT_EQ(g.Tanks[2].BodySprite, SpriteCount + 4);

    RemoveTank(g, 9); // no such vehicle
    EXPECT_EQ(g.TankCount, 4);
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
