// The host keeps the vehicles of a machine that left; when the machine comes
// back under its old id (the session let it back with its token), its new
// vehicles take back their frags, deaths, looks and team, seat by seat.
#include <gtest/gtest.h>

#include "core/colours.h"
#include "fakes/fakes.h"
#include "match/rejoin.h"
#include "sim/teams.h"
#include "sim/vehicles.h"

namespace {

int Add(Game& g, int32_t player, uint8_t seat, TRgb body) {
    const int k = AddTank(g, sortTank);
    g.Tanks[k].PlayerId = player;
    g.Tanks[k].Seat = seat;
    g.Tanks[k].BodyColour = body;
    ChangeColour(g, k, NamedColour(body));
    return k;
}

} // namespace

TEST(Rejoin, AMachineBackGetsItsVehiclesScoresLooksAndTeam) {
    TestRig rig;
    Game& g = rig.g();
    g.TeamGame = true;
    g.TickNow = 1000;
    Add(g, 1, 0, TeamRgb(1));                                                 // the host, red
    const int one = Add(g, 7, 0, TeamRgb(2)), two = Add(g, 7, 1, TeamRgb(2)); // orange
    Add(g, 8, 0, TeamRgb(2));                                                 // keeps orange alive
    g.Tanks[one].Frags = 11, g.Tanks[one].Deaths = 4, g.Tanks[one].PaintJob = 3;
    g.Tanks[two].Frags = 2, g.Tanks[two].Deaths = 9;
    g.Tanks[one].SecondColour = {1, 2, 3};
    const TTank before = g.Tanks[one];

    KeepLeaversVehicles(g, 7);
    RemoveTank(g, two);
    RemoveTank(g, one);
    ASSERT_EQ(g.TankCount, 2);

    // Back, its list says red and plain: the kept seats win.
    g.TickNow += KeptVehicleMs - 1;
    const int back1 = Add(g, 7, 0, TeamRgb(1)), back2 = Add(g, 7, 1, TeamRgb(1));
    const int otherRed = Add(g, 9, 0, TeamRgb(1));
    EXPECT_FALSE(GiveBackVehicles(g, 9)) << "another machine gets nothing";
    EXPECT_EQ(g.Tanks[otherRed].Frags, 0);
    ASSERT_TRUE(GiveBackVehicles(g, 7));
    const TTank& a = g.Tanks[back1];
    EXPECT_EQ(a.Frags, 11);
    EXPECT_EQ(a.Deaths, 4);
    EXPECT_EQ(a.PaintJob, 3);
    EXPECT_EQ(a.SecondColour, before.SecondColour);
    EXPECT_EQ(a.BodyColour, before.BodyColour);
    EXPECT_EQ(a.TeamIndex, before.TeamIndex);
    EXPECT_EQ(g.Tanks[back2].Frags, 2);
    EXPECT_EQ(g.Tanks[back2].Deaths, 9);
    EXPECT_EQ(g.Tanks[back2].TeamIndex, before.TeamIndex);
    EXPECT_TRUE(g.KeptVehicles.empty()) << "given back once";

    // Gone for longer than the seat is kept: nothing comes back.
    KeepLeaversVehicles(g, 7);
    g.TickNow += KeptVehicleMs;
    EXPECT_FALSE(GiveBackVehicles(g, 7));
    EXPECT_TRUE(g.KeptVehicles.empty());
}
