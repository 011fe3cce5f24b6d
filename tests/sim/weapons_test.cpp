#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "core/asset_names.h"
#include "core/invariants.h"
#include "fakes/fakes.h"
#include "sim/damage.h"
#include "sim/projectiles.h"
#include "sim/vehicles.h"
#include "sim/weapons.h"
#include "world/world_support.h"

using namespace Vectors2D;

namespace {

// A map, a running level at 10 s in 5 ms steps, a view that hears it all.
struct Arena : TestRig {
    explicit Arena(const std::vector<std::string>& rows = FilledRows(10, 10, G0)) {
        UseKindPerTexture(g());
        UseMap(g(), rows);
        g().LevelRunning = true;
        g().GameTime = 10000;
        Advance(0);
        g().ViewCentres[0] = {320, 320};
        g().ViewWidths[0] = g().ViewHeights[0] = 4000;
    }
    void BecomeHost() {
        g().NetworkGame = true;
        Net.Host = true;
    }
    int Put(int sort, double x, double y, int weapon = wpMachineGun) {
        const int i = AddTank(g(), sort);
        TTank& t = g().Tanks[i];
        t.Alive = t.Firing = true;
        t.Health = 100;
        t.Position = t.PrevPosition = {x, y};
        t.Weapon = weapon;
        t.NextFireTime = t.ReloadStart = g().GameTime - 1000;
        RefreshWorldCorners(t);
        return i;
    }
    void Advance(int32_t dt) {
        g().GameTime += dt;
        g().DeltaMs = dt;
        g().DeltaSec = dt * 0.001;
    }
    int Plays(int sound) const {
        return static_cast<int>(
            std::count(Sound.Log.begin(), Sound.Log.end(), "play " + std::to_string(sound)));
    }
};

// Ten cells, a wall in column c.
std::string RowWithWallAt(int c) {
    std::string row;
    for (int x = 0; x < 10; ++x)
        row += (x ? " " : "") + std::to_string(x == c ? WL : G0);
    return row;
}

} // namespace

TEST(MachineGun, HeldFireFiresTheRoundsDueAfterAStallAndTheFiftiethPausesASecond) {
    Arena a;
    Game& g = a.g();
    const int i = a.Put(sortTank, 100, 320);
    TTank& t = g.Tanks[i];
    FireStep(g, i);
    a.Advance(100);
    FireStep(g, i);
    ASSERT_EQ(g.Bullets.Count, 3);
    EXPECT_EQ(g.Bullets[1].FireTime, 10050);
    EXPECT_EQ(g.Bullets[2].FireTime, 10100);
    EXPECT_EQ(t.ReloadPercent, 94); // 47 rounds left
    // The earlier round has flown its 50 ms at 800 px/s from the turret's gun.
    EXPECT_NEAR(Distance(g.Bullets[1].Position, {113.25, 325.25}), 40, 1e-9);
    EXPECT_LE(std::fabs(AngleOf(g.Bullets[1].Velocity)), 0.05);
    EXPECT_EQ(a.Plays(sndFireBullet), 2);

    t.GunAmmo = 1;
    a.Advance(55);
    FireStep(g, i);
    EXPECT_EQ(t.GunAmmo, 50);
    EXPECT_EQ(t.NextFireTime, 11150);
    EXPECT_EQ(t.ReloadPercent, 0); // the bar now shows the pause
    a.Advance(498);
    FireStep(g, i);
    EXPECT_EQ(g.Bullets.Count, 4);
    EXPECT_EQ(t.ReloadPercent, 50);
}

TEST(MachineGun, RoundsOwedFromBeforeTheStepAreNotSprayedOutAtOnce) {
    Arena a;
    Game& g = a.g();
    const int i = a.Put(sortTank, 100, 320, wpRockets);
    // Fire held for two seconds on rockets that cannot leave a full pool.
    g.Rockets.Count = g.Rockets.Capacity;
    for (int step = 0; step < 400; ++step) {
        a.Advance(5);
        FireStep(g, i);
    }
    g.Tanks[i].Weapon = wpMachineGun;
    a.Advance(5);
    FireStep(g, i);
    EXPECT_EQ(g.Bullets.Count, 1);
}

TEST(MachineGun, ARoundBornInsideAnotherVehicleHitsItAtOnce) {
    Arena a;
    Game& g = a.g();
    const int i = a.Put(sortTank, 100, 320);
    const int victim = a.Put(sortTank, 120, 325); // the muzzle lies in both
    FireStep(g, i);
    EXPECT_TRUE(g.Bullets[0].Spent);
    EXPECT_DOUBLE_EQ(g.Tanks[victim].Health, 96);
    EXPECT_DOUBLE_EQ(g.Tanks[i].Health, 100);
    EXPECT_EQ(a.Plays(sndBulletImpact), 1);
}

TEST(MachineGun, ANetworkHostTellsWhenTheGunStartsAndStopsSounding) {
    Arena a;
    a.BecomeHost();
    Game& g = a.g();
    const int i = a.Put(sortTank, 100, 320);
    FireStep(g, i);
    a.Advance(60);
    FireStep(g, i);
    g.Tanks[i].Weapon = wpRailgun; // silenced before the new weapon fires
    a.Advance(60);
    FireStep(g, i);
    ASSERT_EQ(a.Net.Events.size(), 3u);
    EXPECT_EQ(a.Net.Events[0], "gun 0 1");
    EXPECT_EQ(a.Net.Events[1], "gun 0 -1");
    EXPECT_EQ(a.Net.Events[2].rfind("rail ", 0), 0u);
}

TEST(Railgun, TheBeamHitsEveryVehicleOnItsLineOnceAndStopsAtTheWall) {
    const std::string walled = RowWithWallAt(8);
    Arena a({walled, walled, walled});
    a.BecomeHost();
    Game& g = a.g();
    const int shooter = a.Put(sortTank, 50, 96, wpRailgun);
    const int first = a.Put(sortTank, 200, 96);
    const int aside = a.Put(sortTank, 300, 160);
    const int behindWall = a.Put(sortTank, 600, 96);
    FireStep(g, shooter);
    EXPECT_DOUBLE_EQ(g.Tanks[first].Health, 25);
    EXPECT_DOUBLE_EQ(g.Tanks[first].Velocity.x, 200);
    EXPECT_DOUBLE_EQ(g.Tanks[aside].Health, 100);
    EXPECT_DOUBLE_EQ(g.Tanks[behindWall].Health, 100);
    EXPECT_EQ(a.Net.Events, std::vector<std::string>{"rail 90,96 512,96 10000"});
    EXPECT_EQ(g.Particles.Count, 422); // one per px of beam
    EXPECT_EQ(g.Tanks[shooter].NextFireTime, 11000);
}

TEST(Railgun, FiredFromInsideAWallItMakesOnlyItsSound) {
    const std::string walled = RowWithWallAt(3);
    Arena a({walled, walled, walled});
    a.BecomeHost();
    Game& g = a.g();
    const int shooter = a.Put(sortTank, 170, 96, wpRailgun); // muzzle at x 209.75
    const int target = a.Put(sortTank, 400, 96);
    FireStep(g, shooter);
    EXPECT_DOUBLE_EQ(g.Tanks[target].Health, 100);
    EXPECT_EQ(g.Particles.Count, 0);
    EXPECT_EQ(a.Plays(sndRailgun), 1);
    EXPECT_EQ(a.Net.Events, std::vector<std::string>{"sound 3 at 170,96"});
}

TEST(ClusterBomb, AFullPoolMeansNoShotAndNoReload) {
    Arena a;
    Game& g = a.g();
    const int i = a.Put(sortTank, 100, 320, wpCluster);
    g.Bomblets.Count = g.Bomblets.Capacity;
    FireStep(g, i);
    EXPECT_EQ(g.Tanks[i].NextFireTime, 9000);
    g.Bomblets.Count -= 24; // room for 24: they leave, the reload starts
    FireStep(g, i);
    EXPECT_EQ(g.Bomblets.Count, g.Bomblets.Capacity);
    EXPECT_EQ(g.Tanks[i].NextFireTime, 11500);
    const TBomblet& b = g.Bomblets[g.Bomblets.Capacity - 1];
    EXPECT_GE(b.FuseTime, 10640);
    EXPECT_LE(b.FuseTime, 10960);
}

TEST(Rockets, FiredPointBlankIntoAVehicleOneExplodesAtOnce) {
    Arena a;
    a.BecomeHost();
    Game& g = a.g();
    const int i = a.Put(sortTank, 100, 320, wpRockets);
    const int victim = a.Put(sortTank, 150, 320); // its rear at x 134, the muzzle at 139.75
    FireStep(g, i);
    EXPECT_EQ(g.Rockets.Count, 0);
    EXPECT_DOUBLE_EQ(g.Tanks[victim].Health, 60);
    EXPECT_DOUBLE_EQ(g.Tanks[i].Health, 100);
    EXPECT_EQ(a.Net.Events, (std::vector<std::string>{"rocket 0", "rocket exploded 0"}));
}

TEST(Rockets, TheHummerFiresTwelveFromSixTubesAcrossItsPod) {
    Arena a;
    Game& g = a.g();
    const int i = a.Put(sortHummer, 300, 300, wpRockets);
    for (int n = 0; n < 12; ++n) {
        FireStep(g, i);
        EXPECT_EQ(g.Tanks[i].NextFireTime, g.GameTime + (n < 11 ? 100 : 1500));
        a.Advance(101);
    }
    // The pod turns about (287, 300), its front 6.5 px ahead, 22 px wide.
    const int tubes[12] = {5, 4, 3, 2, 1, 0, 5, 4, 3, 2, 1, 0};
    for (int n = 0; n < 12; ++n) {
        EXPECT_NEAR(g.Rockets[n].Position.x, 293.5, 1e-9);
        EXPECT_NEAR(g.Rockets[n].Position.y, 300 + 22 * (0.3 - tubes[n] * 1.4 / 12), 1e-9);
    }
}

TEST(Bfg, TheShotChargesAndTheBallLeavesAfter818Ms) {
    Arena a;
    a.BecomeHost();
    Game& g = a.g();
    const int i = a.Put(sortTank, 100, 320, wpBfg);
    FireStep(g, i);
    EXPECT_EQ(g.Tanks[i].NextFireTime, 12500);
    EXPECT_EQ(a.Net.Events, std::vector<std::string>{"sound 13 at 100,320"});
    a.Advance(818);
    FireStep(g, i);
    EXPECT_EQ(g.BfgBalls.Count, 0);
    a.Advance(1);
    g.Tanks[i].Alive = false; // died meanwhile: the ball still leaves
    FireStep(g, i);
    ASSERT_EQ(g.BfgBalls.Count, 1);
    EXPECT_FALSE(g.Tanks[i].BfgCharging);
    EXPECT_NEAR(Distance(g.BfgBalls[0].Position, {139.75, 320}), 0, 1e-9);
    EXPECT_EQ(a.Net.Events.back(), "bfg 0");
}

TEST(FireStep, AFreeForAllOfEveryWeaponKeepsTheGameSound) {
    // Forty vehicles of every sort jiggling about a walled map, firing at
    // random; the dead come straight back. Ids stay unique and every
    // invariant holds after each step.
    std::vector<std::string> rows = FilledRows(12, 12, G0);
    rows[3] = RowWithWallAt(4) + " 0 0";
    rows[7] = RowWithWallAt(9) + " 8 0";
    Arena a(rows);
    a.BecomeHost();
    Game& g = a.g();
    Random dice(5);
    for (int n = 0; n < 40; ++n) {
        const int i = a.Put(n % 3 * 5, 40 + dice.Real() * 688, 40 + dice.Real() * 688);
        g.Tanks[i].IsBot = n % 2 == 0;
        g.Tanks[i].TeamIndex = n % 4 == 0 ? 0 : 1;
    }
    g.TeamGame = true;
    g.TeamCount = 2;
    UpdateRanking(g);
    for (int step = 0; step < 3000; ++step) {
        a.Advance(step % 100 == 99 ? 100 : 5);
        RemoveSpentBullets(g);
        for (int i = 0; i < g.TankCount; ++i) {
            TTank& t = g.Tanks[i];
            if (!t.Alive && dice.Int(50) == 0) {
                t.Alive = true;
                t.Health = 100;
            }
            const TVector p = {std::clamp(t.Position.x + dice.Real() * 4 - 2, 30.0, 738.0),
                               std::clamp(t.Position.y + dice.Real() * 4 - 2, 30.0, 738.0)};
            t.Step = Sub(p, t.Position);
            t.Position = t.PrevPosition = p;
            t.Heading = NormalizeAngle(t.Heading + dice.Real() * 0.2 - 0.1);
            t.TurretAngle = NormalizeAngle(t.TurretAngle + dice.Real() * 0.2 - 0.1);
            t.Steer = dice.Int(3) - 1;
            RefreshWorldCorners(t);
            if (dice.Int(100) == 0) t.Weapon = dice.Int(7);
            if (dice.Int(10) == 0) t.Firing = !t.Firing;
        }
        ProjectileStep(g);
        for (int i = 0; i < g.TankCount; ++i)
            FireStep(g, i);
        ASSERT_EQ(CheckInvariants(g), std::vector<std::string>{}) << "at step " << step;
        for (int k = 0; k < g.Rockets.Count; ++k)
            for (int m = k + 1; m < g.Rockets.Count; ++m)
                ASSERT_FALSE(g.Rockets[k].Kind == 0 && g.Rockets[m].Kind == 0 &&
                             g.Rockets[k].Id == g.Rockets[m].Id);
        for (int k = 0; k < g.BfgBalls.Count; ++k)
            for (int m = k + 1; m < g.BfgBalls.Count; ++m)
                ASSERT_NE(g.BfgBalls[k].Id, g.BfgBalls[m].Id);
    }
}
