#include <gtest/gtest.h>

#include <cmath>

#include "core/invariants.h"
#include "fakes/fakes.h"

namespace {

// A small sound game: a 4 x 4 map, two vehicles on it, ranked.
void SoundGame(Game& g) {
    g.MapWidth = g.MapHeight = 4;
    g.MapWidthPx = g.MapHeightPx = 4 * CellSize;
    g.TankCount = 2;
    for (int i = 0; i < 2; ++i) {
        g.Tanks[i].Position = {100.0 + i, 100};
        g.RankOrder[i] = i;
        g.Tanks[i].Rank = i + 1;
    }
}

bool Mentions(const std::vector<std::string>& wrong, const std::string& what) {
    for (const std::string& w : wrong)
        if (w.find(what) != std::string::npos) return true;
    return false;
}

} // namespace

TEST(Invariants, ASoundGameHasNothingWrong) {
    TestRig rig;
    EXPECT_EQ(CheckInvariants(rig.g()), std::vector<std::string>{}); // an empty game
    SoundGame(rig.g());
    EXPECT_EQ(CheckInvariants(rig.g()), std::vector<std::string>{});
}

TEST(Invariants, EachKindOfFaultIsNamed) {
    TestRig rig;
    Game& g = rig.g();
    SoundGame(g);
    g.Tanks[0].Velocity.x = NAN;
    g.Tanks[1].Position.x = -3;
    g.Tanks[1].Heading = -std::acos(-1.0); // -pi is kept as pi
    g.Tanks[0].BotTarget = 2;
    g.Teams[3].CowCarrier = 5;
    g.Console.Add("hi", 7, 0);
    TBullet b;
    b.Shooter = 9;
    g.Bullets.Add(b);
    g.Tanks[1].GuidedMissile = 0; // no rocket in flight
    g.Tanks[0].Rank = 2;
    g.NetworkGame = true; // two players' vehicles of one machine and seat
    g.Tanks[0].PlayerId = g.Tanks[1].PlayerId = 3;
    const std::vector<std::string> wrong = CheckInvariants(g);
    for (const char* what :
         {"vehicle 0 velocity is not finite", "vehicle 1 is off the map",
          "vehicle 1 heading outside", "vehicle 0 bot target", "cow carrier", "console line owner",
          "bullet shooter", "vehicle 1 guided missile", "rank disagrees",
          "vehicle 0 and vehicle 1 have one player id and seat"})
        EXPECT_TRUE(Mentions(wrong, what)) << what;
}

TEST(Invariants, ARunningLevelEndsAtTheFragLimit) {
    TestRig rig;
    Game& g = rig.g();
    SoundGame(g);
    g.FragLimit = 5;
    g.Tanks[0].Frags = 5;
    g.LevelRunning = true;
    EXPECT_TRUE(Mentions(CheckInvariants(g), "frag limit"));
    g.LevelRunning = false; // won: the frags stand
    EXPECT_EQ(CheckInvariants(g), std::vector<std::string>{});
}
