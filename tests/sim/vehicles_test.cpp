#include <gtest/gtest.h>

#include "core/asset_names.h"
#include "core/invariants.h"
#include "fakes/fakes.h"
#include "sim/projectiles.h"
#include "sim/teams.h"
#include "sim/vehicles.h"

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
    EXPECT_DOUBLE_EQ(tank.BodyCorners[0].x, 24);  // 40 * 0.6
    EXPECT_DOUBLE_EQ(tank.BodyCorners[1].x, -16); // rear
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
    for (int i = 0; i < MaxTanks; ++i)
        ASSERT_EQ(AddTank(g, sortHummer), i);
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
    for (int i = 0; i < 3; ++i)
        AddTank(g, sortTank);
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

// One vehicle leaves from the middle of a full match: every table that
// names a vehicle by its place must name the same vehicles afterwards.
TEST(Vehicles, RemovalRepointsEveryStoredIndex) {
    TestRig rig;
    Game& g = rig.g();
    g.TeamGame = true;
    for (int i = 0; i < 6; ++i) {
        AddTank(g, sortTank);
        g.Tanks[i].Name = "t" + std::to_string(i);
    }
    const int leaver = 2;
    // Two teams; the leaver's team keeps a member so no team goes.
    CreateTeam(g, 1);
    CreateTeam(g, 7);
    for (int i = 0; i < 6; ++i)
        PutIntoTeam(g, i, i % 2);
    g.Tanks[0].BotTarget = leaver;
    g.Tanks[1].BotTarget = 4;
    g.Tanks[3].BotTarget = 1;
    g.Tanks[4].MissionTarget = 3;
    g.Tanks[4].SavedMissionTarget = 5;
    g.Tanks[5].LastKiller = leaver;
    g.Tanks[5].MissionTarget = leaver;
    g.Teams[0].CowCarrier = 4;
    g.Teams[1].CowCarrier = leaver;
    g.RankOrder = {};
    for (int k = 0; k < 6; ++k)
        g.RankOrder[k] = 5 - k;
    g.SplitScreen = true;
    g.Player1 = 0;
    g.Player2 = 5;
    g.LeftViewPlayer = 5;
    g.RightViewPlayer = 0;
    RebuildMateLists(g); // player 1 (team 0): 2, 4; player 2 (team 1): 1, 3
    g.Console.Add("hello", 4, 0);
    g.Console.Add("bye", leaver, 0);
    g.PlayerLines[0].Taunt.Speaker = 3;
    g.PlayerLines[1].Personal.Speaker = leaver;

    TBullet b;
    b.Shooter = leaver;
    g.Bullets.Add(b);
    b.Shooter = 4;
    g.Bullets.Add(b);
    TBomblet bomb;
    bomb.Owner = 5;
    g.Bomblets.Add(bomb);
    TRocket r;
    r.Owner = 3;
    r.Target = leaver;
    g.Rockets.Add(r);
    r.Owner = 1;
    r.Target = 5;
    g.Rockets.Add(r);
    TBfgBall ball;
    ball.Owner = 4;
    ball.ZapTargets[0] = 1;
    ball.ZapTargets[1] = leaver;
    ball.ZapTargets[2] = 5;
    ball.ZapLast = 2;
    g.BfgBalls.Add(ball);
    TMine mine;
    mine.Owner = 3;
    g.Mines.Add(mine);
    mine.Owner = leaver;
    g.Mines.Add(mine);

    RemoveTank(g, leaver);
    ASSERT_EQ(g.TankCount, 5);
    EXPECT_EQ(g.Tanks[2].Name, "t3");
    EXPECT_EQ(g.Tanks[4].Name, "t5");
    // Vehicle fields.
    EXPECT_EQ(g.Tanks[0].BotTarget, -1);
    EXPECT_EQ(g.Tanks[1].BotTarget, 3);
    EXPECT_EQ(g.Tanks[2].BotTarget, 1);
    EXPECT_EQ(g.Tanks[3].MissionTarget, 2);
    EXPECT_EQ(g.Tanks[3].SavedMissionTarget, 4);
    EXPECT_EQ(g.Tanks[4].LastKiller, -1);
    EXPECT_EQ(g.Tanks[4].MissionTarget, -1);
    // Teams and rankings.
    EXPECT_EQ(g.TeamCount, 2);
    EXPECT_EQ(g.Teams[0].CowCarrier, 3);
    EXPECT_EQ(g.Teams[1].CowCarrier, -1);
    const std::vector<int> rank(g.RankOrder.begin(), g.RankOrder.begin() + 5);
    EXPECT_EQ(rank, (std::vector<int>{4, 3, 2, 1, 0}));
    // Local players, views and their team-mates.
    EXPECT_EQ(g.Player1, 0);
    EXPECT_EQ(g.Player2, 4);
    EXPECT_EQ(g.LeftViewPlayer, 4);
    EXPECT_EQ(g.RightViewPlayer, 0);
    ASSERT_EQ(g.MateLists[0].Count, 1);
    EXPECT_EQ(g.MateLists[0].Mates[1], 3);
    ASSERT_EQ(g.MateLists[1].Count, 2);
    EXPECT_EQ(g.MateLists[1].Mates[1], 1);
    EXPECT_EQ(g.MateLists[1].Mates[2], 2);
    // What was said, and by whom.
    EXPECT_EQ(g.Console.Lines[0].Owner, 3);
    EXPECT_EQ(g.Console.Lines[1].Owner, -1);
    EXPECT_EQ(g.PlayerLines[0].Taunt.Speaker, 2);
    EXPECT_EQ(g.PlayerLines[1].Personal.Speaker, -1);
    // Projectiles: the leaver's are gone, the others follow their owners.
    ASSERT_EQ(g.Bullets.Count, 1);
    EXPECT_EQ(g.Bullets[0].Shooter, 3);
    EXPECT_EQ(g.Bomblets[0].Owner, 4);
    ASSERT_EQ(g.Rockets.Count, 2);
    EXPECT_EQ(g.Rockets[0].Owner, 2);
    EXPECT_EQ(g.Rockets[0].Target, -1);
    EXPECT_EQ(g.Rockets[1].Owner, 1);
    EXPECT_EQ(g.Rockets[1].Target, 4);
    EXPECT_EQ(g.BfgBalls[0].Owner, 3);
    ASSERT_EQ(g.BfgBalls[0].ZapLast, 1);
    EXPECT_EQ(g.BfgBalls[0].ZapTargets[0], 1);
    EXPECT_EQ(g.BfgBalls[0].ZapTargets[1], 4);
    ASSERT_EQ(g.Mines.Count, 1);
    EXPECT_EQ(g.Mines[0].Owner, 2);
    // Pictures belong to the place in the table: the ones that moved are redrawn.
    EXPECT_EQ(g.Tanks[2].BodySprite, SpriteCount + 4);
    EXPECT_NE(g.Tanks[2].AppearanceStamp, 0u);
    EXPECT_EQ(CheckInvariants(g), std::vector<std::string>{});

    const uint64_t stamp = g.Tanks[1].AppearanceStamp;
    RemoveTank(g, 9); // no such vehicle
    EXPECT_EQ(g.TankCount, 5);
    EXPECT_EQ(g.Tanks[1].AppearanceStamp, stamp);
}

TEST(Vehicles, TheLastMemberTakesItsTeamAlong) {
    TestRig rig;
    Game& g = rig.g();
    g.TeamGame = true;
    for (int i = 0; i < 4; ++i)
        AddTank(g, sortTank);
    for (const int c : {1, 2, 3})
        CreateTeam(g, c);
    PutIntoTeam(g, 0, 0);
    PutIntoTeam(g, 1, 1);
    PutIntoTeam(g, 2, 2);
    PutIntoTeam(g, 3, 2);
    RemoveTank(g, 1);
    ASSERT_EQ(g.TeamCount, 2);
    EXPECT_EQ(g.Teams[1].TeamName, "Yellow");
    EXPECT_EQ(g.Tanks[1].TeamIndex, 1);
    EXPECT_EQ(g.Tanks[2].TeamIndex, 1);
    EXPECT_TRUE(rig.TheUi.Boxes.empty());
}
