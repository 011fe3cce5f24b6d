#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "core/invariants.h"
#include "core/terrain.h"
#include "fakes/fakes.h"
#include "sim/damage.h"
#include "sim/movement.h"
#include "sim/vehicle_shape.h"
#include "sim/vehicles.h"
#include "world/world_support.h"

using namespace Vectors2D;

namespace {

constexpr double Pi = std::numbers::pi;

// A running level with friction and grip 1 on every texture, 10 ms ticks.
struct Scene {
    TestRig rig;
    Game& g = rig.g();
    explicit Scene(const std::vector<std::string>& rows) {
        UseKindPerTexture(g);
        g.Friction.fill(1);
        g.Grip.fill(1);
        UseMap(g, rows);
        g.LevelRunning = true;
        g.DeltaMs = 10;
        g.DeltaSec = 0.01;
    }
    TTank& Put(int sort, TVector at, double heading = 0, TVector velocity = {}) {
        TTank& t = g.Tanks[AddTank(g, sort)];
        t.Alive = true;
        t.Position = t.PrevPosition = at;
        t.Heading = heading;
        t.Velocity = velocity;
        RefreshWorldCorners(t);
        return t;
    }
    void Tick(int ticks = 1) {
        for (int n = 0; n < ticks; ++n) {
            g.GameTime += g.DeltaMs;
            MoveVehicles(g);
            WallCollisions(g);
        }
    }
    bool InWall(TVector p) const { return KindAt(g, CellAt(g, p).X, CellAt(g, p).Y) == tkWall; }
};

} // namespace

TEST(Driving, AHummerTurnsWithItsForwardSpeedAndTheOtherWayInReverse) {
    Scene s(FilledRows(12, 4, G0));
    TTank& standing = s.Put(sortHummer, {96, 128});
    TTank& slow = s.Put(sortHummer, {352, 128}, 0, {37.5, 0});
    TTank& reversing = s.Put(sortHummer, {608, 128}, 0, {-100, 0});
    standing.Steer = slow.Steer = reversing.Steer = 1;
    reversing.Throttle = -1;
    MoveVehicles(s.g);
    EXPECT_EQ(standing.Heading, 0);
    EXPECT_DOUBLE_EQ(slow.Torque, 5);
    EXPECT_DOUBLE_EQ(reversing.Torque, -10);
}

TEST(Driving, AHovercraftNeedsNoGripButATankDoes) {
    Scene s(FilledRows(8, 4, G0));
    s.g.Grip[0] = 0;
    TTank& tank = s.Put(sortTank, {96, 128});
    TTank& hover = s.Put(sortHovercraft, {352, 128});
    tank.Throttle = hover.Throttle = 1;
    s.Tick(20);
    EXPECT_EQ(Length(tank.Velocity), 0);
    EXPECT_GT(hover.Velocity.x, 30);
}

TEST(Driving, SteeringAGuidedMissileLeavesTheVehicleCoasting) {
    Scene s(FilledRows(4, 4, G0));
    TTank& t = s.Put(sortTank, {128, 128}, 0, {100, 0});
    t.Throttle = t.Steer = 1;
    t.GuidedMissile = 0;
    MoveVehicles(s.g);
    EXPECT_DOUBLE_EQ(t.Velocity.x, 99); // rolling resistance only
    EXPECT_EQ(t.Torque, 0);
}

TEST(Driving, ASidewaysCrawlWithoutThrottleStopsDead) {
    Scene s(FilledRows(4, 4, G0));
    TTank& t = s.Put(sortTank, {128, 128}, 0, {0, 0.5});
    MoveVehicles(s.g);
    EXPECT_EQ(Length(t.Velocity), 0);
    EXPECT_EQ(t.Position.y, 128);
}

TEST(Driving, ACellWithoutATextureDrivesLikePlainGround) {
    Scene s({"70000 -8", "-8 70000"});
    TTank& t = s.Put(sortTank, {32, 32});
    t.Throttle = 1;
    MoveVehicles(s.g);
    EXPECT_DOUBLE_EQ(t.Force.x, 200);
}

// A host may step 300 ms at a time: the drag of mud must still not turn a
// wreck's spin round harder than it was.
TEST(Driving, LongStepsOnMudStillSlowAWreckDown) {
    Scene s(FilledRows(4, 4, G0));
    s.g.Friction[0] = 2.5;
    s.g.DeltaMs = 300;
    s.g.DeltaSec = 0.3;
    TTank& t = s.Put(sortTank, {128, 128});
    t.Alive = false;
    t.Spin = 1;
    s.Tick(10);
    EXPECT_NEAR(t.Spin, 0, 1e-9);
}

// Up to where it would grow, drag acts as written even on long steps: a
// wreck's spin on plain ground swings a fifth of the way back in a 300 ms
// step instead of stopping dead.
TEST(Driving, LongStepsOnPlainGroundDragAsWritten) {
    Scene s(FilledRows(4, 4, G0));
    s.g.DeltaMs = 300;
    s.g.DeltaSec = 0.3;
    TTank& t = s.Put(sortTank, {128, 128});
    t.Alive = false;
    t.Spin = 1;
    s.Tick();
    EXPECT_NEAR(t.Spin, -0.2, 1e-12);
}

// Random controls at any step length among walls, water, mud and ice, with
// everyone starting on one of two spawn points: nothing leaves the map,
// turns NaN or hangs.
TEST(Driving, WildDrivingKeepsEveryVehicleSound) {
    Scene s({"8 8 8 8 8 8 8 8 8 8", "8 0 0 4 0 0 0 0 12 8", "8 0 8 8 0 0 0 12 12 8",
             "8 0 0 8 0 16 16 0 0 8", "8 20 0 0 0 16 8 0 0 8", "8 20 20 0 0 0 0 0 4 8",
             "8 8 8 8 8 8 8 8 8 8"});
    Game& g = s.g;
    g.Friction[4] = 2.5;
    g.Friction[5] = g.Grip[5] = 0.25;
    for (int i = 0; i < 24; ++i) {
        const TCell c = g.SpawnPoints[i % 2];
        s.Put(i % 3 * 5, CellCentre(g, c.X, c.Y), g.Rng.Real() * 6 - 3).IsBot = i % 2;
    }
    UpdateRanking(g);
    const int steps[] = {1, 5, 20, 100, 300};
    for (int n = 0; n < 3000; ++n) {
        g.DeltaMs = steps[g.Rng.Int(5)];
        g.DeltaSec = g.DeltaMs * 0.001;
        for (int i = 0; i < g.TankCount; ++i) {
            g.Tanks[i].Throttle = g.Rng.Int(3) - 1;
            g.Tanks[i].Steer = g.Rng.Int(3) - 1;
            if (g.Rng.Int(50) == 0) g.Tanks[i].Alive = !g.Tanks[i].Alive;
        }
        s.Tick();
        ASSERT_EQ(CheckInvariants(g), std::vector<std::string>()) << "tick " << n;
    }
}

TEST(MapEdges, ACornerPastTheEdgeMovesTheVehicleBackAThirdOfTheWay) {
    Scene s(FilledRows(4, 4, G0));
    s.g.GameTime = 1234;
    TTank& t = s.Put(sortHummer, {0, 128}, 2.5, {-50, 20});
    t.IsBot = true;
    t.Position.x = -10 - t.WorldCorners[0].x; // only the front-left corner is out
    RefreshWorldCorners(t);
    ASSERT_GE(t.WorldCorners[3].x, 0);
    const double x = t.Position.x;
    KeepInsideMap(s.g, 0, true);
    EXPECT_NEAR(t.Position.x, x + 3, 1e-9);
    EXPECT_DOUBLE_EQ(t.Velocity.x, 15);
    EXPECT_EQ(t.Velocity.y, 20);
    EXPECT_EQ(t.BumpSide, -1);
    EXPECT_EQ(t.BumpTime, 1234);
}

TEST(Collisions, HeadOnVehiclesBounceBackAtAThirdAndEndApart) {
    Scene s(FilledRows(10, 10, G0));
    s.g.GameTime = 500;
    // Nose to nose, 4 px into each other; the second is a bot.
    TTank& a = s.Put(sortTank, {300, 320}, 0, {100, 0});
    TTank& b = s.Put(sortTank, {344, 323}, Pi, {-100, 0});
    b.IsBot = true;
    CollideVehicles(s.g);
    EXPECT_NEAR(a.Velocity.x, -30, 1e-9);
    EXPECT_NEAR(b.Velocity.x, 30, 1e-9);
    EXPECT_LT(a.WorldCorners[0].x, b.WorldCorners[3].x);
    // Apart along the line between them, the same quarter pixels each way.
    const TVector moved = Sub(a.Position, {300, 320});
    EXPECT_NEAR(std::remainder(Length(moved), 0.25), 0, 1e-9);
    EXPECT_NEAR(Dot(Normalize(moved), Normalize({-44, -3})), 1, 1e-12);
    EXPECT_NEAR(Length(Add(moved, Sub(b.Position, {344, 323}))), 0, 1e-9);
    EXPECT_EQ(b.BumpSide, -1); // hit on its front
    EXPECT_EQ(b.BumpTime, 500);
    EXPECT_EQ(a.BumpTime, 0);
}

TEST(Walls, AVehicleDrivenIntoAWallNeverEndsInIt) {
    Scene s({"0 0 0 0 8 8", "0 0 0 0 8 8", "0 0 0 0 8 8", "0 0 0 0 8 8"});
    TTank& straight = s.Put(sortTank, {150, 96});
    TTank& slanted = s.Put(sortHummer, {100, 180}, 0.4);
    straight.Throttle = slanted.Throttle = 1;
    for (int n = 0; n < 300; ++n) {
        s.Tick();
        for (const TTank* t : {&straight, &slanted}) {
            ASSERT_FALSE(s.InWall(t->Position)) << "tick " << n;
            for (const TVector& c : t->WorldCorners)
                ASSERT_FALSE(s.InWall(c)) << "tick " << n;
        }
    }
    EXPECT_GT(straight.Position.x, 200);
}

// The wall cell (2, 1) has its bottom-left corner at (128, 128).
TEST(Walls, AWallCornerInTheBodyPushesItBackAlongItsAxis) {
    Scene s({"0 0 0 0", "0 0 8 0", "0 0 0 0", "0 0 0 0"});
    // 2 px into a Tank's nose, no body corner in the wall.
    const TVector start = Sub({128, 128}, Scale(FromAngle(Pi / 4), 22));
    TTank& nose = s.Put(sortTank, start, Pi / 4, {100, 100});
    // On a Hummer's front edge: inside, at depth 0.
    TTank& edge = s.Put(sortHummer, {107, 128});
    double depth = -1;
    ASSERT_TRUE(PointInsideVehicle(edge, {128, 128}, &depth));
    ASSERT_EQ(depth, 0);
    WallCollisions(s.g);
    // 1.3 times the depth, straight back; the speed into the wall turns at 0.3.
    EXPECT_NEAR(Distance(nose.Position, Sub(start, Scale(FromAngle(Pi / 4), 2.6))), 0, 1e-9);
    EXPECT_NEAR(nose.Velocity.x, -30, 1e-9);
    EXPECT_NEAR(nose.Velocity.y, -30, 1e-9);
    EXPECT_FALSE(PointInsideVehicle(nose, {128, 128}));
    EXPECT_FALSE(PointInsideVehicle(edge, {128, 128}));
    EXPECT_LT(edge.Position.x, 107);
    EXPECT_GT(edge.Position.x, 106);

    // A corner a tenth of a pixel deep pushes 1.3 times that, no more.
    Scene shallow({"0 0 0 0", "0 0 8 0", "0 0 0 0", "0 0 0 0"});
    const TVector at = Sub({128, 128}, Scale(FromAngle(Pi / 4), 23.9));
    TTank& tip = shallow.Put(sortTank, at, Pi / 4);
    WallCollisions(shallow.g);
    EXPECT_NEAR(Distance(tip.Position, Sub(at, Scale(FromAngle(Pi / 4), 0.13))), 0, 1e-9);
}

TEST(Prediction, VehiclesCarryOnFromTheHostsSnapshot) {
    Scene s(FilledRows(10, 10, G0));
    s.g.LastServerUpdate = 1000;
    s.g.GameTime = 1500;
    s.g.Particles.Add({{}, 0, 1400});
    s.g.Particles.Add({{}, 0, 1600});
    TTank& t = s.Put(sortTank, {290, 200});
    t.SnapshotPosition = {300, 200};
    t.SnapshotHeading = 0.5;
    t.Velocity = {40, -20};
    t.Force = {8, 0};
    t.Spin = 1;
    t.Torque = 2;
    TTank& edge = s.Put(sortHummer, {});
    edge.IsBot = true;
    edge.SnapshotPosition = {5, 300}; // the rear 16 px off the map
    PredictVehicles(s.g);
    EXPECT_DOUBLE_EQ(t.Heading, 1.25);
    EXPECT_DOUBLE_EQ(t.Position.x, 321);
    EXPECT_DOUBLE_EQ(t.Position.y, 190);
    EXPECT_DOUBLE_EQ(t.Step.x, 31);
    EXPECT_EQ(s.g.Particles.Count, 1);
    EXPECT_NEAR(edge.Position.x, 5 + 2 * 0.3 * 16, 1e-9);
    EXPECT_EQ(edge.BumpTime, 0);
}

TEST(WaterSpray, CornersOverWaterThrowBlueDropsOffTheTracks) {
    Scene s({"12 12 12 0 0 0", "12 12 12 0 0 0"});
    s.g.GameTime = 800;
    s.g.Particles.Count = 16370;
    for (int k = 0; k < s.g.Particles.Count; ++k)
        s.g.Particles[k].ExpiryTime = 100000;
    const TTank& t = s.Put(sortTank, {96, 64});
    s.Put(sortTank, {300, 64}); // on dry ground
    MoveVehicles(s.g);
    ASSERT_EQ(s.g.Particles.Count, 16382);
    for (int k = 16370; k < s.g.Particles.Count; ++k) {
        const TParticle& p = s.g.Particles[k];
        EXPECT_EQ(p.Colour & 0xFF00FF, 0xFF0000);
        EXPECT_GE(p.ExpiryTime, 900);
        EXPECT_LT(p.ExpiryTime, 1000);
        EXPECT_GE(std::fabs(p.Position.y - t.Position.y), 12.5 - 8);
    }
    MoveVehicles(s.g); // the pool keeps its last two places
    EXPECT_EQ(s.g.Particles.Count, 16382);
}
