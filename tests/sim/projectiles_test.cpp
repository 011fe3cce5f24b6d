#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "core/asset_names.h"
#include "core/terrain.h"
#include "fakes/fakes.h"
#include "sim/damage.h"
#include "sim/projectiles.h"
#include "sim/vehicle_shape.h"
#include "sim/vehicles.h"
#include "sim/weapons.h"
#include "world/world_support.h"

using namespace Vectors2D;

namespace {

constexpr double Pi = std::numbers::pi;

// A map (10 x 10 open cells unless given), a running level at 10 s.
struct Arena : TestRig {
    explicit Arena(const std::vector<std::string>& rows = FilledRows(10, 10, G0)) {
        UseKindPerTexture(g());
        UseMap(g(), rows);
        g().LevelRunning = true;
        g().GameTime = 10000;
    }
    void BecomeHost() {
        g().NetworkGame = true;
        Net.Host = true;
    }
    void BecomeClient() {
        g().NetworkGame = g().ClientMode = true;
        Net.Host = false;
    }
    int Put(double x, double y, double health = 100) {
        const int i = AddTank(g(), sortTank);
        TTank& t = g().Tanks[i];
        t.Alive = true;
        t.Health = health;
        t.Position = t.PrevPosition = {x, y};
        RefreshWorldCorners(t);
        return i;
    }
    // The projectile part of the tick.
    void Step(int32_t dt = 5) {
        g().GameTime += dt;
        g().DeltaMs = dt;
        g().DeltaSec = dt * 0.001;
        if (!g().ClientMode) RemoveSpentBullets(g());
        ProjectileStep(g());
    }
};

// Rows of ten cells, walls at the given (column, row) cells.
std::vector<std::string> Rows(int height, const std::vector<TCell>& walls) {
    std::vector<std::string> rows(height, "");
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < 10; ++c) {
            bool wall = false;
            for (TCell w : walls)
                wall = wall || (w.X == c && w.Y == r);
            rows[r] += (c ? " " : "") + std::to_string(wall ? WL : G0);
        }
    return rows;
}

TRocket Missile(int kind, int owner, TVector at, double angle, TVector velocity) {
    TRocket r;
    r.Kind = kind;
    r.Owner = owner;
    r.Position = r.PrevPosition = r.PrevPrevPosition = at;
    r.Angle = angle;
    r.Velocity = velocity;
    return r;
}

TBfgBall Ball(int owner, TVector at, TVector velocity, int32_t t0) {
    TBfgBall b;
    b.Owner = owner;
    b.Position = b.PrevPosition = at;
    b.Path = MakeTrajectory(at, velocity, velocity, -1, t0); // thrust keeps the speed
    return b;
}

TBomblet Bomblet(int owner, TVector at, TVector velocity, int32_t t0, int32_t fuse) {
    TBomblet b;
    b.Owner = owner;
    b.Origin = b.Position = at;
    b.Velocity = velocity;
    b.LaunchTime = t0;
    b.FuseTime = fuse;
    return b;
}

} // namespace

TEST(Rockets, ThePathStartsAsLaunchedAndTendsToTheTopSpeedOfThrustAgainstDrag) {
    const TTrajectory p = MakeTrajectory({100, 200}, {30, -40}, {1000, 0}, -0.7, 5000);
    auto velocityAt = [&](int32_t t) {
        return Scale(Sub(TrajectoryAt(p, t + 1), TrajectoryAt(p, t - 1)), 500);
    };
    EXPECT_NEAR(Distance(TrajectoryAt(p, 5000), {100, 200}), 0, 1e-9);
    EXPECT_NEAR(Distance(velocityAt(5000), {30, -40}), 0, 1e-3);
    // 1000 / 0.7 px/s in the end; the sideways drift dies after 40 / 0.7 px.
    EXPECT_NEAR(Distance(velocityAt(35000), {1000 / 0.7, 0}), 0, 1e-3);
    EXPECT_NEAR(TrajectoryAt(p, 35000).y, 200 - 40 / 0.7, 1e-6);
}

TEST(Rockets, TheyBlowUpAtTheFirstWallHurtingWithin30Px) {
    Arena a(Rows(3, {{8, 0}, {8, 1}, {8, 2}}));
    a.BecomeHost();
    Game& g = a.g();
    const int shooter = a.Put(50, 96);
    const int near = a.Put(500, 120); // 26.8 px from the wall's face
    const int far = a.Put(470, 150);  // 68 px
    g.Tanks[shooter].Weapon = wpRockets;
    g.Tanks[shooter].Firing = true;
    FireStep(g, shooter);
    for (int n = 0; n < 400 && g.Rockets.Count > 0; ++n)
        a.Step();
    ASSERT_EQ(g.Explosions.Count, 1);
    EXPECT_NEAR(Distance(g.Explosions[0].Position, {512, 96}), 0, 1e-9);
    EXPECT_DOUBLE_EQ(g.Tanks[near].Health, 60);
    EXPECT_DOUBLE_EQ(g.Tanks[far].Health, 100);
    EXPECT_EQ(a.Net.Events.back(), "rocket exploded 0");
}

TEST(Rockets, ARocketNeverHitsItsOwnerButAHomingMissileMay) {
    Arena a;
    Game& g = a.g();
    const int owner = a.Put(100, 320);
    TRocket rocket = Missile(0, owner, {300, 320}, Pi, {-300, 0});
    rocket.Path = MakeTrajectory({300, 320}, {-300, 0}, {-1000, 0}, -0.7, g.GameTime);
    g.Rockets.Add(rocket);
    for (int n = 0; n < 200 && g.Rockets.Count > 0; ++n)
        a.Step();
    EXPECT_DOUBLE_EQ(g.Tanks[owner].Health, 100); // through him, off at the border
    EXPECT_NEAR(g.Explosions[0].Position.x, 0, 1e-9);

    g.Rockets.Add(Missile(1, owner, {300, 340}, Pi, {-300, 0}));
    a.Step();
    EXPECT_EQ(g.Rockets[0].Target, owner);
    EXPECT_DOUBLE_EQ(g.Rockets[0].TargetRate, 10); // he is a little to its left
    for (int n = 0; n < 200 && g.Rockets.Count > 0; ++n)
        a.Step();
    EXPECT_DOUBLE_EQ(g.Tanks[owner].Health, 10);
    EXPECT_EQ(g.Explosions[1].Kind, 2);
}

TEST(Missiles, AGuidedMissileFollowsItsOwnersSteerAndLetsGoWhenItExplodes) {
    Arena a;
    Game& g = a.g();
    const int owner = a.Put(100, 100);
    g.Rockets.Add(Missile(2, owner, {110, 110}, 0, {0, 200}));
    g.Tanks[owner].GuidedMissile = 0;
    g.Tanks[owner].Steer = 1;
    for (int n = 0; n < 40; ++n)
        a.Step();
    const double turnedLeft = g.Rockets[0].Angle;
    EXPECT_GT(turnedLeft, 0.1);
    g.Tanks[owner].Steer = -1;
    for (int n = 0; n < 80; ++n)
        a.Step();
    EXPECT_LT(g.Rockets[0].Angle, turnedLeft);

    // Out over the border it goes off, and the owner lets go.
    g.Rockets[0].Position = {639, 320};
    g.Rockets[0].Velocity = {1000, 0};
    a.Step();
    EXPECT_EQ(g.Rockets.Count, 0);
    EXPECT_EQ(g.Tanks[owner].GuidedMissile, -1);
    EXPECT_EQ(g.Tanks[owner].Steer, 0);
}

TEST(Missiles, ABotsGuidedMissileGoesForEnemiesOnlyAndHomingOnesPreferThem) {
    Arena a;
    Game& g = a.g();
    g.TeamGame = true;
    const int bot = a.Put(100, 300);
    const int mate = a.Put(300, 300);
    const int enemy = a.Put(450, 330);
    g.Tanks[bot].IsBot = true;
    g.Tanks[enemy].TeamIndex = 1;
    g.Tanks[bot].TeamIndex = g.Tanks[mate].TeamIndex = 0;
    g.Rockets.Add(Missile(2, bot, {200, 300}, 0, {}));
    g.Rockets.Add(Missile(1, bot, {200, 300}, 0, {}));
    g.Tanks[bot].GuidedMissile = 0;
    a.Step();
    EXPECT_EQ(g.Rockets[0].Target, enemy);
    EXPECT_EQ(g.Rockets[1].Target, enemy);
    EXPECT_DOUBLE_EQ(g.Rockets[0].TargetRate, 0); // within 0.2 rad: straight on
    EXPECT_DOUBLE_EQ(g.Rockets[1].TargetRate, 10);
    g.Tanks[enemy].Alive = false;
    a.Step();
    EXPECT_EQ(g.Rockets[0].Target, -1);
    EXPECT_EQ(g.Rockets[1].Target, mate);
}

// Each missile steers, flies and hits before the next one moves: the
// second of two chasing one target already sees it dead and turns to
// another in the very tick the first one kills it.
TEST(Missiles, EachHitsBeforeTheNextSteersSoNoneChasesTheDeadForATick) {
    Arena a;
    Game& g = a.g();
    const int owner = a.Put(60, 60);
    const int doomed = a.Put(330, 320, 10);
    const int other = a.Put(470, 380);
    const double rear = BoundingBox(g.Tanks[doomed].WorldCorners.data(), 3).MinX;
    g.Rockets.Add(Missile(1, owner, {rear - 2, 320}, 0, {1000, 0})); // 5 px a step
    g.Rockets.Add(Missile(1, owner, {200, 320}, 0, {300, 0}));
    g.Rockets[0].Target = g.Rockets[1].Target = doomed;
    a.Step();
    EXPECT_FALSE(g.Tanks[doomed].Alive);
    ASSERT_EQ(g.Rockets.Count, 1); // the second moved into the first one's place
    EXPECT_EQ(g.Rockets[0].Target, other);
    EXPECT_DOUBLE_EQ(g.Rockets[0].TargetRate, 10);
    EXPECT_DOUBLE_EQ(g.Tanks[other].Health, 100);
}

TEST(Missiles, AClientFliesThemWithoutAimingOrHittingAndKeepsThemSaneAfterLongStalls) {
    Arena a;
    a.BecomeClient();
    Game& g = a.g();
    const int other = a.Put(400, 300);
    g.Rockets.Add(Missile(1, other, {380, 300}, 0, {300, 0}));
    g.Rockets[0].TargetRate = 10; // as the host last said
    for (int n = 0; n < 20; ++n)
        a.Step();
    EXPECT_EQ(g.Rockets[0].Target, -1);
    EXPECT_GT(g.Rockets[0].Position.x, 400);
    EXPECT_DOUBLE_EQ(g.Tanks[other].Health, 100);
    for (int n = 0; n < 20; ++n)
        a.Step(5000);
    EXPECT_LT(Length(g.Rockets[0].Velocity), 5000); // flat out it makes 1000/3 px/s
    EXPECT_LE(std::fabs(g.Rockets[0].Rate), 10);
}

TEST(ClusterBomb, BombletsAreMirroredAtTheMapEdges) {
    Arena a;
    Game& g = a.g();
    g.Bomblets.Add(Bomblet(-1, {10, 300}, {-0.1, 0}, 10000, 20000));
    g.Bomblets.Add(Bomblet(-1, {630, 300}, {0.1, 0.05}, 10000, 20000));
    g.Bomblets.Add(Bomblet(-1, {300, 10}, {0.02, -0.1}, 10000, 20000));
    a.Step(200);
    a.Step(100);
    EXPECT_NEAR(Distance(g.Bomblets[0].Position, {20, 300}), 0, 1e-9);
    EXPECT_NEAR(Distance(g.Bomblets[1].Position, {620, 315}), 0, 1e-9);
    EXPECT_NEAR(Distance(g.Bomblets[2].Position, {306, 20}), 0, 1e-9);
}

TEST(ClusterBomb, BombletsPassWallsAndGoOffByTheirFuseOnlyTheHostHurting) {
    for (bool client : {false, true}) {
        Arena a(Rows(3, {{2, 1}}));
        if (client) a.BecomeClient();
        Game& g = a.g();
        const int near = a.Put(270, 110); // 23 px from where it goes off
        const int far = a.Put(290, 130);  // 51 px
        g.Bomblets.Add(Bomblet(-1, {100, 96}, {0.3, 0}, 10000, 10500)); // through the wall
        for (int n = 0; n < 100; ++n)
            a.Step();
        ASSERT_EQ(g.Bomblets.Count, 1); // at its fuse time, not yet
        a.Step();
        EXPECT_EQ(g.Bomblets.Count, 0);
        EXPECT_EQ(g.Explosions.Count, 1);
        EXPECT_DOUBLE_EQ(g.Tanks[near].Health, client ? 100 : 70);
        EXPECT_DOUBLE_EQ(g.Tanks[far].Health, 100);
    }
}

TEST(Bfg, RaysBurnNearbyVehiclesInSightButNeverTheOwner) {
    Arena a(Rows(5, {{2, 2}})); // the wall cell spans x 128..192, y 128..192
    Game& g = a.g();
    const int owner = a.Put(100, 110);
    const int inSight = a.Put(100, 260);
    const int behindWall = a.Put(230, 160);
    const int tooFar = a.Put(100, 5);
    const int doomed = a.Put(60, 200, 10); // a bomblet kills it first
    g.Bomblets.Add(Bomblet(-1, {60, 190}, {}, 10000, 10000));
    g.BfgBalls.Add(Ball(owner, {100, 160}, {}, 10000));
    a.Step(100);
    const TBfgBall& b = g.BfgBalls[0];
    ASSERT_EQ(b.ZapLast, 0);
    EXPECT_EQ(b.ZapTargets[0], inSight);
    EXPECT_DOUBLE_EQ(g.Tanks[inSight].Health, 95); // 50 per second
    for (int i : {owner, behindWall, tooFar})
        EXPECT_DOUBLE_EQ(g.Tanks[i].Health, 100);
    EXPECT_FALSE(g.Tanks[doomed].Alive);
}

TEST(Bfg, TheBallBlowsUpOnAWallInItsOwnerOrOffTheMap) {
    Arena a(Rows(5, {{2, 2}}));
    a.BecomeHost();
    Game& g = a.g();
    const int owner = a.Put(60, 160, 200);
    g.BfgBalls.Add(Ball(owner, {100, 160}, {150, 0}, 10000));
    g.BfgBalls[0].Id = 7;
    for (int n = 0; n < 200 && g.BfgBalls.Count > 0; ++n)
        a.Step();
    ASSERT_EQ(g.Explosions.Count, 1);
    EXPECT_EQ(g.Explosions[0].Kind, 14);
    EXPECT_NEAR(g.Explosions[0].Position.x, 129, 1);
    EXPECT_EQ(a.Net.Events, std::vector<std::string>{"bfg exploded 7"});
    EXPECT_DOUBLE_EQ(g.Tanks[owner].Health, 200); // 68 px away

    g.BfgBalls.Add(Ball(owner, {200, 300}, {-150, -150}, g.GameTime));
    g.Tanks[owner].Position = {120, 220};
    RefreshWorldCorners(g.Tanks[owner]);
    for (int n = 0; n < 200 && g.BfgBalls.Count > 0; ++n)
        a.Step();
    EXPECT_DOUBLE_EQ(g.Tanks[owner].Health, 40);

    g.BfgBalls.Add(Ball(owner, {20, 300}, {-150, 0}, g.GameTime));
    for (int n = 0; n < 200 && g.BfgBalls.Count > 0; ++n)
        a.Step();
    EXPECT_LT(g.Explosions[2].Position.x, 0);
}

TEST(MachineGun, BulletsHitTheFirstVehicleTheyEnterAndEndOnWallsAndBorders) {
    Arena a(Rows(3, {{8, 0}, {8, 1}, {8, 2}}));
    Game& g = a.g();
    const int shooter = a.Put(30, 160);
    const int first = a.Put(200, 96);
    const int second = a.Put(260, 96);
    auto fire = [&](TVector at, TVector velocity) {
        TBullet b;
        b.Shooter = shooter;
        b.Origin = b.Position = b.PrevPosition = at;
        b.Velocity = velocity;
        b.FireTime = g.GameTime;
        g.Bullets.Add(b);
    };
    fire({60, 96}, {0.8, 0});
    fire({100, 160}, {-0.8, 0}); // back into the shooter himself
    fire({500, 30}, {0.8, 0});
    fire({60, 180}, {0, 0.8});
    a.Step(20);
    EXPECT_NEAR(Distance(g.Bullets[2].Position, {512, 30}), 0, 1e-9);
    EXPECT_NEAR(Distance(g.Bullets[3].Position, {60, 192}), 0, 1e-9);
    for (int n = 0; n < 100 && g.Bullets.Count > 0; ++n)
        a.Step();
    EXPECT_EQ(g.Bullets.Count, 0);
    EXPECT_DOUBLE_EQ(g.Tanks[first].Health, 96);
    EXPECT_DOUBLE_EQ(g.Tanks[second].Health, 100);
    EXPECT_DOUBLE_EQ(g.Tanks[shooter].Health, 96);
}

TEST(MachineGun, TheBroadPhaseFindsJustTheHitsThatTestingEveryVehicleFinds) {
    std::vector<double> health[2];
    std::vector<TVector> ends[2];
    for (int pass = 0; pass < 2; ++pass) {
        Arena a;
        Game& g = a.g();
        g.BulletBroadPhase = pass == 0;
        Random dice(3);
        for (int n = 0; n < MaxTanks; ++n) {
            TTank& t = g.Tanks[a.Put(dice.Real() * 640, dice.Real() * 640, 1000)];
            t.Heading = dice.Real() * 6;
            t.Step = {dice.Real() * 20 - 10, dice.Real() * 20 - 10}; // its own motion counts
            t.Alive = n % 5 != 0;
            RefreshWorldCorners(t);
        }
        for (int k = 0; k < 5000; ++k) {
            TBullet b; // 0 to 60 px in the next millisecond
            b.Origin = b.Position = {dice.Real() * 700 - 30, dice.Real() * 700 - 30};
            b.Velocity = Scale(FromAngle(dice.Real() * 7), dice.Real() * 60);
            b.FireTime = g.GameTime;
            g.Bullets.Add(b);
        }
        a.Step(1);
        for (int i = 0; i < g.TankCount; ++i)
            health[pass].push_back(g.Tanks[i].Health);
        for (int k = 0; k < g.Bullets.Count; ++k)
            ends[pass].push_back(g.Bullets[k].Spent ? g.Bullets[k].Position : TVector{-1, -1});
    }
    double hits = 0;
    for (double h : health[0])
        hits += (1000 - h) / 4;
    EXPECT_GT(hits, 200);
    EXPECT_EQ(health[0], health[1]);
    for (size_t k = 0; k < ends[0].size(); ++k)
        ASSERT_TRUE(ends[0][k].x == ends[1][k].x && ends[0][k].y == ends[1][k].y) << k;
}

// Bullets fly and hit one after the other in pool order, spent ones leave
// the pool the written way (from the last down, the last taking the hole),
// and every hit goes to the first vehicle in index order: the kills, the
// health left and every bullet's end come out as that plain rule gives them.
TEST(MachineGun, HitsAndKillsComeInTheOrderOfThePlainRule) {
    std::vector<std::string> lines[2];
    std::vector<double> health[2];
    std::vector<TVector> ends[2];
    for (int pass = 0; pass < 2; ++pass) {
        Arena a(Rows(10, {{3, 3}, {6, 2}, {5, 7}, {0, 9}}));
        Game& g = a.g();
        Random dice(11);
        for (int n = 0; n < MaxTanks; ++n) {
            TTank& t = g.Tanks[a.Put(dice.Real() * 640, dice.Real() * 640, 4 + dice.Int(9))];
            t.Name = "v" + std::to_string(n);
            t.Heading = dice.Real() * 6;
            t.Step = {dice.Real() * 6 - 3, dice.Real() * 6 - 3};
            RefreshWorldCorners(t);
        }
        for (int k = 0; k < 4000; ++k) {
            TBullet b;
            b.Origin = b.Position = {dice.Real() * 660 - 10, dice.Real() * 660 - 10};
            b.Velocity = Scale(FromAngle(dice.Real() * 7), dice.Real() * 4);
            b.FireTime = g.GameTime;
            b.Shooter = dice.Int(MaxTanks);
            g.Bullets.Add(b);
        }
        for (int step = 0; step < 3; ++step) {
            if (pass == 0) {
                a.Step();
                continue;
            }
            g.GameTime += 5;
            for (int k = g.Bullets.Count - 1; k >= 0; --k)
                if (g.Bullets[k].Spent) g.Bullets.Remove(k);
            for (int k = 0; k < g.Bullets.Count; ++k) {
                TBullet b = g.Bullets[k];
                b.PrevPosition = b.Position;
                b.Position = Add(b.Origin, Scale(b.Velocity, g.GameTime - b.FireTime));
                const TWallHit wall = SegmentHitsWall(g, b.PrevPosition, b.Position);
                if (wall.Hit) {
                    b.Spent = true;
                    b.Position = wall.End;
                }
                for (int j = 0; j < g.TankCount && !b.Spent; ++j) {
                    if (!g.Tanks[j].Alive ||
                        !SegmentEntersVehicle(g.Tanks[j], b.Position, b.PrevPosition))
                        continue;
                    ApplyDamage(g, j, b.Shooter, 4);
                    b.Spent = true;
                }
                g.Bullets.Set(k, b);
            }
        }
        lines[pass] = a.TheUi.Console;
        for (int i = 0; i < g.TankCount; ++i)
            health[pass].push_back(g.Tanks[i].Health);
        for (int k = 0; k < g.Bullets.Count; ++k)
            ends[pass].push_back(g.Bullets[k].Spent ? g.Bullets[k].Position : TVector{-1, -1});
    }
    EXPECT_GT(lines[0].size(), 20u);
    EXPECT_EQ(lines[0], lines[1]);
    EXPECT_EQ(health[0], health[1]);
    ASSERT_EQ(ends[0].size(), ends[1].size());
    for (size_t k = 0; k < ends[0].size(); ++k)
        ASSERT_TRUE(ends[0][k].x == ends[1][k].x && ends[0][k].y == ends[1][k].y) << k;
}

// The pass over the bullets skips the wall walk where no wall is near and
// the vehicle test where no vehicle is. On a map thick with walls, loaded
// over an open one of the same size (what is open must be the new map's
// word), with short steps, long ones across several cells, steps from
// beyond the edges and shots from inside walls, every step leaves exactly
// what the plain rule leaves: the same bullets ending at the same points,
// the same health, frags, deaths and last killers, the kills in one order.
TEST(MachineGun, EveryStepOnAWalledMapLeavesWhatThePlainRuleLeaves) {
    std::vector<std::string> lines[2];
    std::vector<double> state[2];
    int spent = 0;
    for (int pass = 0; pass < 2; ++pass) {
        Arena a(FilledRows(24, 16, G0));
        Game& g = a.g();
        Random dice(17);
        std::vector<std::string> rows(16);
        for (std::string& row : rows)
            for (int c = 0; c < 24; ++c)
                row += (c ? " " : "") + std::to_string(dice.Int(5) == 0 ? WL : G0);
        UseMap(g, rows);
        const double w = g.MapWidthPx, h = g.MapHeightPx;
        for (int n = 0; n < MaxTanks; ++n) {
            TTank& t = g.Tanks[a.Put(dice.Real() * w, dice.Real() * h, 4 + dice.Int(13))];
            t.Name = "v" + std::to_string(n);
            t.Heading = dice.Real() * 6;
            t.Step = {dice.Real() * 8 - 4, dice.Real() * 8 - 4};
            t.Alive = n % 7 != 0;
            RefreshWorldCorners(t);
        }
        for (int k = 0; k < 6000; ++k) {
            TBullet b;
            b.Origin = b.Position = {dice.Real() * (w + 80) - 40, dice.Real() * (h + 80) - 40};
            const double speed = dice.Int(10) == 0 ? dice.Real() * 30 : dice.Real() * 1.2;
            b.Velocity = Scale(FromAngle(dice.Real() * 7), speed);
            b.FireTime = g.GameTime - dice.Int(3);
            b.Shooter = dice.Int(MaxTanks);
            g.Bullets.Add(b);
        }
        for (int step = 0; step < 5; ++step) {
            if (pass == 0) {
                a.Step();
            } else {
                g.GameTime += 5;
                for (int k = g.Bullets.Count - 1; k >= 0; --k)
                    if (g.Bullets[k].Spent) g.Bullets.Remove(k);
                for (int k = 0; k < g.Bullets.Count; ++k) {
                    TBullet b = g.Bullets[k];
                    const int32_t age = g.GameTime - b.FireTime;
                    b.PrevPosition = b.Position;
                    b.Position = Add(b.Origin, Scale(b.Velocity, age));
                    b.TrailPosition = Add(b.Origin, Scale(b.Velocity, age - 10));
                    const TWallHit wall = SegmentHitsWall(g, b.PrevPosition, b.Position);
                    if (wall.Hit) {
                        b.Spent = true;
                        b.Position = wall.End;
                    }
                    for (int j = 0; j < g.TankCount && !b.Spent; ++j) {
                        if (!g.Tanks[j].Alive ||
                            !SegmentEntersVehicle(g.Tanks[j], b.Position, b.PrevPosition))
                            continue;
                        ApplyDamage(g, j, b.Shooter, 4);
                        b.Spent = true;
                    }
                    g.Bullets.Set(k, b);
                }
            }
            for (int i = 0; i < g.TankCount; ++i) {
                const TTank& t = g.Tanks[i];
                state[pass].insert(state[pass].end(), {t.Health, double(t.Frags), double(t.Deaths),
                                                       double(t.LastKiller), double(t.Alive)});
            }
            for (int k = 0; k < g.Bullets.Count; ++k) {
                const TBullet b = g.Bullets[k];
                state[pass].insert(state[pass].end(),
                                   {b.Position.x, b.Position.y, b.PrevPosition.x, b.PrevPosition.y,
                                    b.TrailPosition.x, double(b.Spent)});
                spent += pass == 0 && b.Spent;
            }
        }
        lines[pass] = a.TheUi.Console;
    }
    EXPECT_GT(lines[0].size(), 20u);
    EXPECT_GT(spent, 1500);
    EXPECT_EQ(lines[0], lines[1]);
    ASSERT_EQ(state[0].size(), state[1].size());
    for (size_t i = 0; i < state[0].size(); ++i)
        ASSERT_TRUE(state[0][i] == state[1][i]) << i;
}
