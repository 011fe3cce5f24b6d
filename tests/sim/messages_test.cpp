#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fakes.h"
#include "sim/messages.h"
#include "sim/teams.h"
#include "sim/vehicles.h"

namespace {

// Ann (0) and Bob (1) share a split screen; Cid (2) and Dan (3) are bots.
// Capture The Cow: Ann and Cid against Bob and Dan.
struct TalkRig : TestRig {
    TalkRig() {
        const char* names[] = {"Ann", "Bob", "Cid", "Dan"};
        g().TeamGame = g().CaptureTheCow = g().SplitScreen = true;
        CreateTeam(g(), 1);
        CreateTeam(g(), 7);
        for (int i = 0; i < 4; ++i) {
            AddTank(g(), sortTank);
            g().Tanks[i].Name = names[i];
            g().Tanks[i].IsBot = i >= 2;
            PutIntoTeam(g(), i, i % 2);
        }
        RebuildMateLists(g());
        g().GameTime = 20000;
    }
};

} // namespace

TEST(Console, MessagesForOthersAreDroppedLinesForAllAreSent) {
    TalkRig rig;
    Game& g = rig.g();
    PersonalMessage(g, "for a bot", 2);
    PersonalMessage(g, "off the wire", 200);
    g.SplitScreen = false;
    PersonalMessage(g, "for Bob", 1);
    EXPECT_EQ(g.PlayerLines[0].Personal.Expiry, -1);
    EXPECT_EQ(g.PlayerLines[1].Personal.Expiry, -1);

    g.NetworkGame = true;
    ConsoleLineForAll(g, "Hello");
    ConsoleLineForAll(g, ""); // shown here only
    ChatLineForAll(g, "Hi", 3);
    EXPECT_EQ(rig.Net.Events,
              (std::vector<std::string>{"text to 0 kind 255: Hello", "text to 0 kind 67: Hi"}));
    EXPECT_EQ(g.Console.Count, 3);
    EXPECT_EQ(g.Console.Lines[2].Owner, 3);
    // Chat of a vehicle this machine lacks is shown in nobody's name; there
    // is no taunt slot 12.
    ChatLine(g, "who?", 70);
    SayTaunt(g, 12, 0);
    EXPECT_EQ(g.Console.Lines[3].Owner, -1);
    EXPECT_EQ(g.Console.Count, 4);
}

TEST(Taunts, KillersChatShowsLargeForThreeSeconds) {
    TalkRig rig;
    Game& g = rig.g();
    g.Tanks[1].LastKiller = 3;
    g.Tanks[1].LastKilledTime = 20000 - 2999;
    ChatLine(g, "Ha", 3);
    EXPECT_EQ(g.PlayerLines[1].Taunt.Text, "Dan: Ha");
    EXPECT_EQ(g.PlayerLines[1].Taunt.Expiry, 22000);
    EXPECT_EQ(g.PlayerLines[1].Taunt.Speaker, 3);

    g.PlayerLines[1].Clear();
    g.Tanks[1].LastKilledTime = 20000 - 3000;
    ChatLine(g, "Ha", 3);
    EXPECT_EQ(g.PlayerLines[1].Taunt.Expiry, -1);
    EXPECT_EQ(g.Console.Count, 2);
}

TEST(Orders, DefendingWhileTheCowIsAwayMeansRetrievingIt) {
    TalkRig rig;
    Game& g = rig.g();
    g.Teams[0].CowAtHome = false;
    ApplyOrder(g, 2, msDefendBase, 0);
    EXPECT_EQ(g.Tanks[2].Mission, msRetrieveCow);
    EXPECT_EQ(g.Tanks[2].SavedMission, msDefendBase);
    EXPECT_EQ(g.Tanks[2].MissionTarget, 0);

    // Orders off the wire naming no vehicle or no mission change nothing.
    ApplyOrder(g, 2, 9, 0);
    ApplyOrder(g, 2, msFreelance, 64);
    EXPECT_EQ(g.Tanks[2].SavedMission, msDefendBase);
}

TEST(Orders, GivenFromTheMenuToTheMatesMachine) {
    TalkRig rig;
    Game& g = rig.g();
    g.NetworkGame = true;
    g.MateLists[1].OrderMate = 1; // Dan
    g.MateLists[1].OrderCode = msCoverMe;
    GiveOrder(g, 1);
    EXPECT_EQ(rig.Net.Events, std::vector<std::string>{"order to 0: 3 2 from 1"});
    EXPECT_EQ(g.Tanks[3].Mission, msCoverMe);
    EXPECT_EQ(g.Tanks[3].MissionTarget, 1);
    ASSERT_EQ(g.Console.Count, 1);
    EXPECT_EQ(g.Console.Lines[0].Text, "(to Dan) Cover me!");
    EXPECT_EQ(g.Console.Lines[0].Owner, 1);

    // A menu pointing past the list orders nobody.
    g.MateLists[0].OrderMate = 2;
    GiveOrder(g, 0);
    EXPECT_EQ(g.Console.Count, 1);
}
