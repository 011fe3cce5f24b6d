#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <set>
#include <string>

#include "core/colours.h"
#include "fakes/fakes.h"
#include "sim/teams.h"
#include "sim/vehicles.h"

namespace {

constexpr TRgb Red{255, 0, 0};
constexpr TRgb Orange{255, 128, 0};
constexpr TRgb Yellow{255, 255, 0};
constexpr TRgb Lime{0, 255, 0};
constexpr TRgb Blue{0, 0, 255};

// A vehicle of this body colour, joined to the team of its colour.
int Join(Game& g, TRgb body) {
    const int i = AddTank(g, sortTank);
    g.Tanks[i].BodyColour = body;
    JoinByColour(g, i, NamedColour(body));
    return i;
}

int Members(const Game& g, int t) {
    int n = 0;
    for (int i = 0; i < g.TankCount; ++i)
        n += g.Tanks[i].TeamIndex == t ? 1 : 0;
    return n;
}

// The draw the next Rng.Int(n) of the game will make.
int NextDraw(const Game& g, int n) {
    Random copy = g.Rng;
    return copy.Int(n);
}

} // namespace

TEST(Colours, ChannelsAreQuantisedBeforeNaming) {
    EXPECT_EQ(NamedColour({130, 10, 250}), 0);
    EXPECT_EQ(NamedColour({119, 255, 136}), 0);
    EXPECT_EQ(NamedColour({120, 255, 137}), 0);
    EXPECT_EQ(NamedColour({0, 255, 255}), 6);
    // Near misses of every named colour land on it.
    EXPECT_EQ(NamedColour({250, 20, 20}), 1);
    EXPECT_EQ(NamedColour({137, 136, 119}), 2);
    EXPECT_EQ(NamedColour({200, 200, 0}), 3);
    EXPECT_EQ(NamedColour({119, 120, 0}), 4);
    EXPECT_EQ(NamedColour({0, 137, 100}), 5);
    EXPECT_EQ(NamedColour({10, 10, 137}), 7);
    EXPECT_EQ(NamedColour({255, 0, 200}), 8);
    EXPECT_EQ(NamedColour({137, 137, 137}), 9);
    EXPECT_EQ(NamedColour({120, 136, 128}), 10);
    EXPECT_EQ(NamedColour({0, 0, 0}), 0);

    const std::array<std::string, NamedColourCount> names = {"Black",  "Red",   "Orange", "Yellow",
                                                             "Green",  "Lime",  "Cyan",   "Blue",
                                                             "Purple", "White", "Grey"};
    for (int c = 0; c < NamedColourCount; ++c) {
        EXPECT_EQ(ColourName(c), names[c]);
        // A team colour names itself.
        EXPECT_EQ(NamedColour(TeamRgb(c)), c) << names[c];
    }
    EXPECT_EQ(TeamRgb(4), (TRgb{0, 128, 0}));
    EXPECT_EQ(TeamRgb(10), (TRgb{128, 128, 128}));
    EXPECT_EQ(TeamRgb(11), (TRgb{0, 0, 0}));
    EXPECT_EQ(TeamRgb(-1), (TRgb{0, 0, 0}));
    EXPECT_EQ(std::string(ColourName(11)), "Black");
    EXPECT_EQ(std::string(ColourName(-3)), "Black");
}

TEST(Teams, BodyColoursMakeTeamsAndTakeTheExactTeamColour) {
    TestRig rig;
    Game& g = rig.g();
    g.TeamGame = true;
    const int red = Join(g, {250, 20, 20});
    const uint64_t stamp = g.Tanks[red].AppearanceStamp;
    const int orange = Join(g, Orange);
    ASSERT_EQ(g.TeamCount, 2);
    EXPECT_EQ(g.Teams[0].TeamName, "Red");
    EXPECT_EQ(g.Teams[0].Colour, 1);
    EXPECT_EQ(g.Teams[1].TeamName, "Orange");
    EXPECT_EQ(g.Teams[1].Colour, 2);
    EXPECT_EQ(g.Tanks[red].TeamIndex, 0);
    EXPECT_EQ(g.Tanks[orange].TeamIndex, 1);
    EXPECT_EQ(g.Tanks[red].BodyColour, Red);
    EXPECT_EQ(g.Tanks[orange].BodyColour, Orange);
    EXPECT_EQ(FindTeamByColour(g, 2), 1);
    EXPECT_EQ(FindTeamByColour(g, 7), -1);

    // Another shade of red joins the red team; no third team.
    const int darkRed = Join(g, {200, 40, 60});
    EXPECT_EQ(g.TeamCount, 2);
    EXPECT_EQ(g.Tanks[darkRed].TeamIndex, 0);
    EXPECT_EQ(g.Tanks[darkRed].BodyColour, Red);

    // Repainted blue: a blue team comes, the red one stays for its other member.
    g.Tanks[red].BodyColour = {20, 20, 240};
    ChangeColour(g, red, NamedColour(g.Tanks[red].BodyColour));
    EXPECT_EQ(g.TeamCount, 3);
    EXPECT_EQ(g.Tanks[red].TeamIndex, 2);
    EXPECT_EQ(g.Tanks[red].BodyColour, Blue);
    EXPECT_NE(g.Tanks[red].AppearanceStamp, stamp);
    EXPECT_EQ(g.Teams[0].TeamName, "Red");
    EXPECT_EQ(g.Tanks[darkRed].TeamIndex, 0);
}

TEST(Teams, WithTwoBasesANewColourJoinsTheSmallerTeam) {
    TestRig rig(5);
    Game& g = rig.g();
    g.TeamGame = true;
    g.UseBases = true;
    g.LevelRunning = true;
    g.BaseCount = 2;
    Join(g, Red);
    Join(g, Red);
    Join(g, Orange);
    ASSERT_EQ(g.TeamCount, 2);
    // Both teams came while the level ran: each holds a base of its own.
    EXPECT_EQ((std::set<int>{g.Teams[0].Base, g.Teams[1].Base}), (std::set<int>{0, 1}));

    const int blue = Join(g, Blue);
    EXPECT_EQ(g.TeamCount, 2);
    EXPECT_EQ(FindTeamByColour(g, 7), -1);
    EXPECT_EQ(g.Tanks[blue].TeamIndex, 1);
    EXPECT_EQ(g.Tanks[blue].BodyColour, Orange);

    // Two against two: the draw decides where the next newcomer goes.
    const int lime = AddTank(g, sortTank);
    g.Tanks[lime].BodyColour = Lime;
    const int r = NextDraw(g, 2);
    JoinByColour(g, lime, NamedColour(Lime));
    EXPECT_EQ(g.TeamCount, 2);
    EXPECT_EQ(g.Tanks[lime].TeamIndex, r);
    EXPECT_EQ(g.Tanks[lime].BodyColour, TeamRgb(g.Teams[r].Colour));
}

TEST(Teams, ANewTeamProbesTheFreeBasesFromARandomStart) {
    TestRig rig;
    Game& g = rig.g();
    g.TeamGame = true;
    CreateTeam(g, 1);
    CreateTeam(g, 2);
    // Not running yet: no base.
    EXPECT_EQ(g.Teams[0].Base, -1);
    g.Teams[0].Base = 0;
    g.Teams[1].Base = 1;
    g.UseBases = true;
    g.LevelRunning = true;
    g.BaseCount = 3;

    // Bases 0 and 1 held. Start 1 probes 1, 2; start 2 finds 2 at once;
    // start 0 probes 0, 1, 0 and gives up.
    std::set<int> starts;
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        g.TeamCount = 2;
        g.Rng.Seed(seed);
        const int r = NextDraw(g, 3);
        starts.insert(r);
        ASSERT_EQ(CreateTeam(g, 7), 2);
        EXPECT_EQ(g.Teams[2].Base, r == 0 ? -1 : 2) << "start " << r;
        EXPECT_EQ(g.Teams[2].TeamName, "Blue");
        EXPECT_EQ(g.Teams[0].Base, 0);
        EXPECT_EQ(g.Teams[1].Base, 1);
    }
    EXPECT_EQ(starts, (std::set<int>{0, 1, 2}));

    // Four bases, 0 and 2 held: starts 0..3 probe 0,1 / 1 / 2,3 / 3.
    g.BaseCount = 4;
    g.Teams[1].Base = 2;
    const std::array<int, 4> expected = {1, 1, 3, 3};
    starts.clear();
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        g.TeamCount = 2;
        g.Rng.Seed(seed);
        const int r = NextDraw(g, 4);
        starts.insert(r);
        CreateTeam(g, 7);
        EXPECT_EQ(g.Teams[2].Base, expected[r]) << "start " << r;
    }
    EXPECT_EQ(starts.size(), 4u);

    // A client leaves the bases to the host.
    g.TeamCount = 2;
    g.ClientMode = true;
    CreateTeam(g, 7);
    EXPECT_EQ(g.Teams[2].Base, -1);
}

TEST(Teams, AnEmptyTeamGoesAndLaterTeamsMoveDown) {
    TestRig rig;
    Game& g = rig.g();
    g.TeamGame = true;
    const int a = Join(g, Red);
    const int b = Join(g, Red);
    const int leaver = Join(g, Orange);
    const int c = Join(g, Yellow);
    const int d = Join(g, Yellow);
    ASSERT_EQ(g.TeamCount, 3);

    // Not empty: stays.
    DropTeamIfEmpty(g, 2);
    EXPECT_EQ(g.TeamCount, 3);

    // The only orange vehicle turns yellow: team 1 goes, yellow takes its place.
    ChangeColour(g, leaver, 3);
    ASSERT_EQ(g.TeamCount, 2);
    EXPECT_EQ(g.Teams[1].TeamName, "Yellow");
    EXPECT_EQ(g.Teams[1].Colour, 3);
    EXPECT_EQ(FindTeamByColour(g, 2), -1);
    EXPECT_EQ(g.Teams[2].TeamName, "");
    EXPECT_EQ(g.Tanks[a].TeamIndex, 0);
    EXPECT_EQ(g.Tanks[b].TeamIndex, 0);
    EXPECT_EQ(g.Tanks[leaver].TeamIndex, 1);
    EXPECT_EQ(g.Tanks[c].TeamIndex, 1);
    EXPECT_EQ(g.Tanks[d].TeamIndex, 1);
    EXPECT_EQ(g.Tanks[leaver].BodyColour, Yellow);

    // Members of a removed team go to the smallest team left.
    const int e = Join(g, Lime);
    ASSERT_EQ(g.TeamCount, 3);
    RemoveTeam(g, 0);
    ASSERT_EQ(g.TeamCount, 2);
    EXPECT_EQ(g.Teams[0].TeamName, "Yellow");
    EXPECT_EQ(g.Teams[1].TeamName, "Lime");
    EXPECT_EQ(g.Tanks[c].TeamIndex, 0);
    EXPECT_EQ(g.Tanks[e].TeamIndex, 1);
    // Yellow has three, lime one then two: both red vehicles turn lime.
    EXPECT_EQ(g.Tanks[a].TeamIndex, 1);
    EXPECT_EQ(g.Tanks[b].TeamIndex, 1);
    EXPECT_EQ(g.Tanks[a].BodyColour, Lime);
    EXPECT_EQ(Members(g, 0), 3);
    EXPECT_EQ(Members(g, 1), 3);
    EXPECT_TRUE(rig.TheUi.Boxes.empty());

    // Outside team games nothing is dropped.
    g.TeamGame = false;
    g.Tanks[e].TeamIndex = 0;
    g.Tanks[a].TeamIndex = 0;
    g.Tanks[b].TeamIndex = 0;
    DropTeamIfEmpty(g, 1);
    EXPECT_EQ(g.TeamCount, 2);
}

TEST(Teams, NoTwelfthTeam) {
    TestRig rig;
    Game& g = rig.g();
    g.TeamGame = true;
    // Eleven teams, none of them grey.
    for (int c = 0; c < 10; ++c)
        ASSERT_EQ(CreateTeam(g, c), c);
    ASSERT_EQ(CreateTeam(g, 1), 10);
    EXPECT_EQ(CreateTeam(g, 10), -1);
    EXPECT_EQ(g.TeamCount, MaxTeams);

    const int grey = Join(g, {128, 128, 128});
    EXPECT_EQ(g.TeamCount, MaxTeams);
    EXPECT_EQ(g.Tanks[grey].TeamIndex, 10);
    EXPECT_EQ(g.Tanks[grey].BodyColour, Red);
}

TEST(Teams, SmallestTeamTiesGoRoundFromARandomStart) {
    TestRig rig;
    Game& g = rig.g();
    g.TeamGame = true;
    EXPECT_EQ(SmallestTeam(g), -1);
    Join(g, Red);
    Join(g, Red);
    Join(g, Orange);
    Join(g, Yellow);
    Join(g, Blue);
    Join(g, Blue);
    Join(g, Blue);
    ASSERT_EQ(g.TeamCount, 4);
    // Sizes 2, 1, 1, 3: from start 0, 1 or 3 the first smallest is team 1,
    // from start 2 it is team 2.
    const std::array<int, 4> expected = {1, 1, 2, 1};
    std::set<int> starts;
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        g.Rng.Seed(seed);
        const int r = NextDraw(g, 4);
        starts.insert(r);
        EXPECT_EQ(SmallestTeam(g), expected[r]) << "start " << r;
    }
    EXPECT_EQ(starts.size(), 4u);
}

TEST(Teams, MateListsNumberTheOtherMembersFromOne) {
    TestRig rig;
    Game& g = rig.g();
    g.TeamGame = true;
    Join(g, Red);    // 0
    Join(g, Orange); // 1
    Join(g, Red);    // 2
    Join(g, Orange); // 3
    Join(g, Red);    // 4
    Join(g, Blue);   // 5
    g.Player1 = 0;
    g.Player2 = 1;
    g.SplitScreen = true;
    RebuildMateLists(g);
    ASSERT_EQ(g.MateLists[0].Count, 2);
    EXPECT_EQ(g.MateLists[0].Mates[1], 2);
    EXPECT_EQ(g.MateLists[0].Mates[2], 4);
    ASSERT_EQ(g.MateLists[1].Count, 1);
    EXPECT_EQ(g.MateLists[1].Mates[1], 3);

    // One player on the screen, and alone in a team.
    g.SplitScreen = false;
    g.Player1 = 5;
    RebuildMateLists(g);
    EXPECT_EQ(g.MateLists[0].Count, 0);
    EXPECT_EQ(g.MateLists[1].Count, 0);
}

TEST(Teams, LevelStartKeepsOneTeamPerBaseAndResetsTheScores) {
    TestRig rig(3);
    Game& g = rig.g();
    g.TeamGame = true;
    Join(g, Red);    // 0
    Join(g, Red);    // 1
    Join(g, Orange); // 2
    Join(g, Yellow); // 3
    Join(g, Blue);   // 4
    Join(g, Blue);   // 5
    const int loner = AddTank(g, sortTank);
    g.Tanks[loner].BodyColour = Lime; // no team yet
    ASSERT_EQ(g.TeamCount, 4);
    for (int t = 0; t < g.TeamCount; ++t) {
        g.Teams[t].TeamFrags = 5 + t;
        g.Teams[t].TeamDeaths = 2;
        g.Teams[t].Cows = 3;
        g.Teams[t].CowAtHome = false;
        g.Teams[t].CowCarrier = t;
    }
    g.CaptureTheCow = true;
    g.UseBases = true;
    g.LevelRunning = true;
    g.BaseCount = 2;
    TeamsAtLevelStart(g);
    ResetTeamScores(g);

    ASSERT_EQ(g.TeamCount, 2);
    EXPECT_EQ(g.Teams[0].TeamName, "Red");
    EXPECT_EQ(g.Teams[1].TeamName, "Orange");
    EXPECT_EQ(g.Tanks[0].TeamIndex, 0);
    EXPECT_EQ(g.Tanks[2].TeamIndex, 1);
    for (int i = 0; i < g.TankCount; ++i) {
        const int t = g.Tanks[i].TeamIndex;
        ASSERT_TRUE(t == 0 || t == 1) << "vehicle " << i;
        EXPECT_EQ(g.Tanks[i].BodyColour, TeamRgb(g.Teams[t].Colour)) << "vehicle " << i;
    }
    // Each newcomer went to the smaller side: seven split four to three.
    EXPECT_EQ(Members(g, 0) + Members(g, 1), 7);
    EXPECT_EQ(std::abs(Members(g, 0) - Members(g, 1)), 1);
    EXPECT_EQ((std::set<int>{g.Teams[0].Base, g.Teams[1].Base}), (std::set<int>{0, 1}));
    for (int t = 0; t < 2; ++t) {
        EXPECT_EQ(g.Teams[t].TeamFrags, 0);
        EXPECT_EQ(g.Teams[t].TeamDeaths, 0);
        EXPECT_EQ(g.Teams[t].Cows, 0);
        EXPECT_TRUE(g.Teams[t].CowAtHome);
        EXPECT_EQ(g.Teams[t].CowCarrier, -1);
    }
    EXPECT_TRUE(rig.TheUi.Boxes.empty());
}

TEST(Teams, LevelStartHandsOutBasesInTurnFromARandomOne) {
    TestRig rig;
    Game& g = rig.g();
    g.TeamGame = true;
    Join(g, Red);
    Join(g, Orange);
    Join(g, Blue);
    const int late = AddTank(g, sortTank);
    g.Tanks[late].BodyColour = {240, 120, 10}; // orange, not yet in its team
    g.UseBases = true;
    g.LevelRunning = true;
    g.BaseCount = 5;
    std::set<int> starts;
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        g.Tanks[late].TeamIndex = -1;
        g.Rng.Seed(seed);
        const int r = NextDraw(g, 5);
        starts.insert(r);
        TeamsAtLevelStart(g);
        ASSERT_EQ(g.TeamCount, 3);
        EXPECT_EQ(g.Tanks[late].TeamIndex, 1);
        for (int t = 0; t < 3; ++t)
            EXPECT_EQ(g.Teams[t].Base, (r + t) % 5) << "start " << r;
    }
    EXPECT_TRUE(starts.count(4)); // wraps round: 4, 0, 1

    // A team war without bases keeps every team and gives none a base.
    g.UseBases = false;
    g.BaseCount = 1;
    TeamsAtLevelStart(g);
    EXPECT_EQ(g.TeamCount, 3);
    for (int t = 0; t < 3; ++t)
        EXPECT_EQ(g.Teams[t].Base, -1);
}

TEST(Teams, ClientsTakeTheHostsBaseList) {
    TestRig host, client;
    for (Game* g : {&host.g(), &client.g()}) {
        g->TeamGame = true;
        Join(*g, Red);
        Join(*g, Blue);
        g->BaseCount = 3;
    }
    host.g().Teams[0].Base = 2;
    host.g().Teams[1].Base = 0;
    const std::vector<TBaseListEntry> sent = HostBaseList(host.g());
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].Colour, 1);
    EXPECT_EQ(sent[1].Colour, 7);
    // The client's table lists the teams the other way round.
    Game& c = client.g();
    std::swap(c.Teams[0], c.Teams[1]);
    ApplyReceivedBaseList(c, sent);
    EXPECT_EQ(c.Teams[0].Base, 0); // blue
    EXPECT_EQ(c.Teams[1].Base, 2); // red

    // Unknown colours and bases the map lacks are skipped; the rest get 0.
    ApplyReceivedBaseList(c, {{1, 7}, {4, 1}, {7, 1}});
    EXPECT_EQ(c.Teams[0].Base, 1);
    EXPECT_EQ(c.Teams[1].Base, 0);
    // More teams than bases: nobody has one.
    c.BaseCount = 1;
    ApplyReceivedBaseList(c, sent);
    EXPECT_EQ(c.Teams[0].Base, -1);
    EXPECT_EQ(c.Teams[1].Base, -1);
}

TEST(Teams, RemovingTheLastTeamLeavesItsMembersWithoutOne) {
    TestRig rig;
    Game& g = rig.g();
    g.TeamGame = true;
    const int a = Join(g, Red);
    RemoveTeam(g, 0);
    EXPECT_EQ(g.TeamCount, 0);
    EXPECT_EQ(g.Tanks[a].TeamIndex, -1);
    EXPECT_EQ(SmallestTeam(g), -1);
    RemoveTeam(g, 0);
    EXPECT_EQ(g.TeamCount, 0);
    EXPECT_TRUE(rig.TheUi.Boxes.empty());
    // It joins again by its colour.
    JoinByColour(g, a, 1);
    EXPECT_EQ(g.TeamCount, 1);
    EXPECT_EQ(g.Tanks[a].TeamIndex, 0);
}
