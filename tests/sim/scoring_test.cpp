#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/asset_names.h"
#include "fakes/fakes.h"
#include "sim/damage.h"
#include "sim/teams.h"
#include "sim/vehicles.h"

namespace {

// Ann is player 1 (0), then Bob, Cid, Dan...; all alive in a running level.
struct ScoreRig : TestRig {
    explicit ScoreRig(int n = 4) {
        const char* names[] = {"Ann", "Bob", "Cid", "Dan", "Eve", "Fay", "Gus"};
        for (int i = 0; i < n; ++i)
            g().Tanks[AddTank(g(), sortTank)].Name = names[i];
        Revive();
        g().LevelRunning = true;
        g().GameTime = 10000;
    }
    void Revive() {
        for (int i = 0; i < g().TankCount; ++i)
            g().Tanks[i].Alive = true, g().Tanks[i].Health = 100;
    }
    void Teams(std::vector<int> teamOf) {
        g().TeamGame = true;
        CreateTeam(g(), 0);
        CreateTeam(g(), 1);
        for (int i = 0; i < static_cast<int>(teamOf.size()); ++i)
            PutIntoTeam(g(), i, teamOf[i]);
    }
    void Kill(int victim, int killer) { ApplyDamage(g(), victim, killer, 1000); }
    // The multi-kill sounds played or stopped since the last call.
    std::vector<std::string> KillSounds() {
        std::vector<std::string> out;
        for (const std::string& e : Sound.Log)
            if (std::stoi(e.substr(5)) >= sndDoubleKill && std::stoi(e.substr(5)) <= sndMonsterKill)
                out.push_back(e);
        Sound.Log.clear();
        return out;
    }
};

} // namespace

TEST(Kills, SuicideAndTeamKillCostTheKiller) {
    ScoreRig rig;
    Game& g = rig.g();
    rig.Teams({0, 0, 1, 1});
    rig.Kill(0, 0);
    EXPECT_EQ(g.Tanks[0].Frags, -1);
    EXPECT_EQ(g.Tanks[0].Deaths, 1);
    EXPECT_EQ(g.Teams[0].TeamFrags, -1);
    EXPECT_EQ(g.Teams[0].TeamDeaths, 1);
    EXPECT_EQ(g.PlayerLines[0].Personal.Text, "You killed yourself");
    EXPECT_EQ(g.PlayerLines[0].Personal.Expiry, 12000);

    rig.Kill(1, 0); // Ann's own mate
    EXPECT_EQ(g.Tanks[0].Frags, -2);
    EXPECT_EQ(g.Teams[0].TeamFrags, -2);
    EXPECT_EQ(g.Teams[0].TeamDeaths, 2);
    EXPECT_EQ(g.Tanks[1].LastKiller, -1);
    EXPECT_EQ(g.PlayerLines[0].Personal.Text, "You killed Bob, you traitor!");
    EXPECT_EQ(rig.TheUi.Console,
              (std::vector<std::string>{"Ann commited suicide", "Ann killed Bob"}));
}

TEST(Kills, KillIsScoredAndToldToBothPlayers) {
    ScoreRig rig;
    Game& g = rig.g();
    g.SplitScreen = g.NetworkGame = true;
    rig.Kill(1, 0);
    EXPECT_EQ(rig.Net.Events.at(0), "kill 1 by 0");
    EXPECT_TRUE(g.SendStatusNow);
    EXPECT_EQ(g.Tanks[0].Frags, 1);
    EXPECT_EQ(g.Tanks[1].LastKiller, 0);
    EXPECT_EQ(g.Tanks[1].LastKilledTime, 10000);
    EXPECT_EQ(g.PlayerLines[0].KillNotice.Text, "You killed Bob");
    EXPECT_EQ(g.PlayerLines[1].Personal.Text, "You were killed by Ann");
    EXPECT_EQ(rig.TheUi.Console, std::vector<std::string>{"Ann killed Bob"});

    // After the limit a kill scores nothing; a suicide still costs.
    g.LevelRunning = false;
    rig.Kill(2, 0);
    rig.Kill(3, 3);
    EXPECT_EQ(g.Tanks[0].Frags, 1);
    EXPECT_EQ(g.Tanks[3].Frags, -1);
}

TEST(Kills, UnknownKillerScoresAndSaysNothing) {
    ScoreRig rig;
    Game& g = rig.g();
    rig.Teams({0, 1, 0, 1});
    ApplyDamage(g, 1, -1, 1000); // a mine whose layer this host never knew
    EXPECT_FALSE(g.Tanks[1].Alive);
    EXPECT_EQ(g.Tanks[1].Deaths, 1);
    EXPECT_EQ(g.Teams[1].TeamDeaths, 1);
    EXPECT_EQ(g.Teams[0].TeamFrags, 0);
    EXPECT_TRUE(rig.TheUi.Boxes.empty());
    // A kill event naming vehicles this client lacks.
    KillAnnouncement(g, 0, 9);
    KillAnnouncement(g, 70, 0);
    EXPECT_TRUE(rig.TheUi.Console.empty());
}

TEST(Taunts, BotMayTauntAfterAKill) {
    ScoreRig rig;
    Game& g = rig.g();
    g.Tanks[2].IsBot = true;
    g.Start.TauntTable = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "8", "8", "8"};
    g.TauntChance = 1;
    rig.Kill(0, 2);
    EXPECT_EQ(g.PlayerLines[0].Taunt.Text, "Cid: 8");
    rig.Kill(2, 2);
    EXPECT_EQ(g.Console.Lines[g.Console.Count - 1].Text, "Cid commited suicide");
}

TEST(MultiKill, ChainRisesToMonsterKillAndStaysThere) {
    ScoreRig rig(7);
    Game& g = rig.g();
    const std::vector<std::vector<std::string>> expected = {
        {}, {"play 8"}, {"stop 8", "play 9"}, {"stop 9", "play 10"}, {"stop 10", "play 11"}};
    for (int victim = 1; victim <= 5; ++victim, g.GameTime += 2999) {
        rig.Kill(victim, 0);
        EXPECT_EQ(rig.KillSounds(), expected[victim - 1]) << victim;
    }
    // The chain is told before the kill that made it.
    EXPECT_EQ(rig.TheUi.Console.end()[-2], "Ann made a monsterkill!");
    rig.Kill(6, 0);
    EXPECT_EQ(g.Tanks[0].MultiKillCount, 5);
    EXPECT_EQ(rig.KillSounds().back(), "play 11");
    EXPECT_EQ(rig.TheUi.Console.end()[-2], "Ann made a monsterkill!");

    // A chain of another machine's player is sent there; 3000 ms is too late.
    rig.Revive();
    g.NetworkGame = true;
    rig.Kill(1, 2);
    rig.Kill(3, 2);
    EXPECT_EQ(rig.Net.Events.at(1), "multikill 2 2");
    g.GameTime += 3000;
    rig.Kill(0, 2);
    EXPECT_EQ(g.Tanks[2].MultiKillCount, 1);
}

TEST(MultiKill, PlayerTwoHearsItOnItsHalfOfTheScreen) {
    ScoreRig rig;
    Game& g = rig.g();
    g.SplitScreen = true;
    g.SplitPan = -8000; // player 2 sits on the left
    rig.Kill(0, 1);
    rig.Kill(2, 1);
    EXPECT_EQ(rig.KillSounds(), std::vector<std::string>{"play 8"});
    EXPECT_EQ(rig.Sound.Sounds[sndDoubleKill].Pan, -8000);
    // Multi-kill events naming no local vehicle or no chain are ignored.
    MultiKillAnnouncement(g, 70, 2);
    MultiKillAnnouncement(g, 2, 2);
    MultiKillAnnouncement(g, 0, 9);
    EXPECT_TRUE(rig.KillSounds().empty());
}

TEST(TeamScore, KillerWithoutAValidTeamShowsTheBox) {
    ScoreRig rig;
    Game& g = rig.g();
    rig.Teams({0, 1, -1, 1});
    rig.Kill(1, 0);
    EXPECT_EQ(g.Teams[0].TeamFrags, 1);
    EXPECT_EQ(g.Teams[1].TeamDeaths, 1);
    rig.Kill(3, 2);
    EXPECT_EQ(rig.TheUi.Boxes, std::vector<std::string>{"Invalid teamindex in updateteamscore"});
    EXPECT_EQ(g.Teams[1].TeamDeaths, 1);
    EXPECT_EQ(g.Tanks[2].Frags, 1);
}
