// A match outlives its host: a host and two clients over 127.0.0.1, every
// player driven by the bots' brain. The host closes, or falls silent, and
// the earliest-joined client takes the session over while the other comes
// over to it, both keeping their ids, vehicles and scores; or the machine
// that takes over cannot be reached, and the other goes back to the start
// screen saying so.
#include <algorithm>
#include <memory>

#include "app/network_machine.h"
#include "fakes/lossy_relay.h"
#include "net/status.h"

namespace {

struct TSeatView {
    std::string Name;
    int32_t PlayerId;
    int32_t Frags;
    int32_t Deaths;
};

std::vector<TSeatView> Seats(Game& g) {
    std::vector<TSeatView> s;
    for (int i = 0; i < g.TankCount; ++i)
        s.push_back({g.Tanks[i].Name, g.Tanks[i].PlayerId, g.Tanks[i].Frags, g.Tanks[i].Deaths});
    return s;
}

std::string Text(const std::vector<TSeatView>& seats) {
    std::string t;
    for (const TSeatView& s : seats)
        t += s.Name + "#" + std::to_string(s.PlayerId) + " " + std::to_string(s.Frags) + ", ";
    return t;
}

bool Has(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

bool HasPart(const std::vector<std::string>& lines, const std::string& part) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& l) { return l.find(part) != std::string::npos; });
}

class HostChange : public ::testing::Test {
  protected:
    // Hostess hosts two bots; Ann joins (through the relay when there is
    // one), then Ben; they play a few seconds.
    void StartMatch(bool annThroughRelay) {
        TEnetSessionOptions o;
        o.TokenFile = "";
        Host = std::make_unique<Machine>("change_host", 21, o);
        Ann = std::make_unique<Machine>("change_ann", 22, o);
        Ben = std::make_unique<Machine>("change_ben", 23, o);
        const std::string port = std::to_string(FreeUdpPort());
        ASSERT_EQ(Host->Start({"--host", "Moor Hall", "--port", port, "--map", "The Pit", "--bots",
                               "2", "--fraglimit", "1000", "--name", "Hostess", "--seed", "5"}),
                  "");
        Host->g().Player1Autopilot = true;
        std::string annPort = port;
        if (annThroughRelay) {
            Relay = std::make_unique<LossyRelay>(static_cast<uint16_t>(std::stoi(port)), 0.0, 0, 3);
            annPort = std::to_string(Relay->Port());
        }
        for (Machine* c : {Ann.get(), Ben.get()}) {
            c->Autopilot = true;
            c->g().Player1Autopilot = true;
        }
        ASSERT_EQ(Ann->Start({"--join", "127.0.0.1:" + annPort, "--name", "Ann"}), "");
        ASSERT_TRUE(Play({Host.get(), Ann.get()}, 5000, [&] { return Ann->g().StatusReceived; }));
        ASSERT_EQ(Ben->Start({"--join", "127.0.0.1:" + port, "--name", "Ben"}), "");
        ASSERT_TRUE(Play({Host.get(), Ann.get(), Ben.get()}, 10000, [&] {
            return Host->g().TankCount == 5 && Ben->g().StatusReceived &&
                   RosterGeneration(Ann->g()) == RosterGeneration(Host->g()) &&
                   RosterGeneration(Ben->g()) == RosterGeneration(Host->g());
        }));
        Play({Host.get(), Ann.get(), Ben.get()}, 4000, [] { return false; });
        Before = Seats(Host->g());
        AnnId = Ann->TheSession.LocalPlayerId();
        BenId = Ben->TheSession.LocalPlayerId();
        ASSERT_LT(AnnId, BenId);
    }

    template <class F> bool Play(std::vector<Machine*> ms, int timeoutMs, F done) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < end) {
            if (Relay) Relay->Pump();
            for (Machine* m : ms)
                m->Pass();
            if (Relay) Relay->Pump();
            if (done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }

    // Ann took over and Ben came over to her, within the time.
    void TakenOverWithin(int ms) {
        const auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(Play({Ann.get(), Ben.get()}, ms,
                         [&] {
                             return Ann->TheSession.IsHost() &&
                                    Ann->TheSession.Players().count(BenId) > 0 &&
                                    Ann->TheSession.ConnectionCount() == 1 &&
                                    Ben->TheSession.IsOpen() &&
                                    Ben->TheSession.HostPlayerId() == AnnId;
                         }))
            << "Ann's console:\n"
            << Lines(Ann->TheUi.Console) << "Ben's:\n"
            << Lines(Ben->TheUi.Console);
        std::printf("taken over in %lld ms\n",
                    static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                               std::chrono::steady_clock::now() - start)
                                               .count()));
        EXPECT_TRUE(Has(Ann->TheUi.Console, "You are the new host"));
        EXPECT_TRUE(Has(Ben->TheUi.Console, "SERVER CHANGED, WEAPON RESET"));
        EXPECT_FALSE(Has(Ann->TheUi.Console, "SERVER CHANGED, WEAPON RESET"));
        EXPECT_EQ(Ann->TheSession.LocalPlayerId(), AnnId);
        EXPECT_EQ(Ben->TheSession.LocalPlayerId(), BenId);

        // The match goes on under Ann: Ben hears her statuses, both tables
        // hold everyone but Hostess with the same ids, and no score went
        // back. A suicide since costs a frag and adds a death, so frags and
        // deaths together never fall, nor do the deaths alone.
        const int32_t heard = Ben->g().LastServerUpdate, annTime = Ann->g().GameTime;
        ASSERT_TRUE(Play({Ann.get(), Ben.get()}, 10000,
                         [&] {
                             return Ben->g().LastServerUpdate > heard + 2000 &&
                                    Ann->g().GameTime > annTime + 2000 &&
                                    Text(Seats(Ben->g())) == Text(Seats(Ann->g()));
                         }))
            << "Ann: " << Text(Seats(Ann->g())) << "\nBen: " << Text(Seats(Ben->g()));
        const std::vector<TSeatView> after = Seats(Ann->g());
        std::vector<TSeatView> kept;
        for (const TSeatView& s : Before)
            if (s.Name != "Hostess") kept.push_back(s);
        ASSERT_EQ(after.size(), kept.size()) << Text(Before) << "\n" << Text(after);
        for (size_t i = 0; i < kept.size(); ++i) {
            EXPECT_EQ(after[i].Name, kept[i].Name);
            EXPECT_EQ(after[i].PlayerId, kept[i].PlayerId);
            EXPECT_GE(after[i].Deaths, kept[i].Deaths) << after[i].Name;
            EXPECT_GE(after[i].Frags + after[i].Deaths, kept[i].Frags + kept[i].Deaths)
                << after[i].Name;
        }
        EXPECT_FALSE(Ann->g().ClientMode);
        EXPECT_TRUE(Ben->g().ClientMode);
    }

    static std::string Lines(const std::vector<std::string>& lines) {
        std::string s;
        for (const std::string& l : lines)
            s += "  " + l + "\n";
        return s;
    }

    std::unique_ptr<Machine> Host, Ann, Ben;
    std::unique_ptr<LossyRelay> Relay;
    std::vector<TSeatView> Before;
    uint32_t AnnId = 0, BenId = 0;
};

TEST_F(HostChange, TheHostClosesAndTheEarliestClientTakesOverAtOnce) {
    StartMatch(false);
    if (HasFatalFailure()) return;
    Host->TheSession.Close();
    TakenOverWithin(2000);
}

TEST_F(HostChange, ASilentHostIsTakenOverWithinFiveSeconds) {
    StartMatch(false);
    if (HasFatalFailure()) return;
    // The host's machine stops: nothing more comes from it.
    TakenOverWithin(5000);
}

TEST_F(HostChange, ATakerOverThatCrashedJustBeforeTheHostIsPassedOver) {
    // Ann, the first to take over, stops a moment before the host, which
    // still lists her; Ben and Cid wait for her in vain, then Ben takes
    // over and Cid comes over to him.
    StartMatch(false);
    if (HasFatalFailure()) return;
    TEnetSessionOptions o;
    o.TokenFile = "";
    Machine cid("change_cid", 24, o);
    cid.Autopilot = true;
    cid.g().Player1Autopilot = true;
    ASSERT_EQ(cid.Start({"--join", "127.0.0.1:" + std::to_string(Host->TheSession.Port()), "--name",
                         "Cid"}),
              "");
    ASSERT_TRUE(Play({Host.get(), Ann.get(), Ben.get(), &cid}, 10000,
                     [&] { return cid.g().StatusReceived && Host->g().TankCount == 6; }));
    Play({Host.get(), Ann.get(), Ben.get(), &cid}, 1000, [] { return false; });
    const uint32_t cidId = cid.TheSession.LocalPlayerId();
    Host->TheSession.Close();
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(Play({Ben.get(), &cid}, 15000,
                     [&] {
                         return Ben->TheSession.IsHost() &&
                                Ben->TheSession.Players().count(cidId) > 0 &&
                                cid.TheSession.IsOpen() && cid.TheSession.HostPlayerId() == BenId;
                     }))
        << "Ben's console:\n"
        << Lines(Ben->TheUi.Console) << "Cid's:\n"
        << Lines(cid.TheUi.Console);
    std::printf("passed over in %lld ms\n",
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                           std::chrono::steady_clock::now() - start)
                                           .count()));
    EXPECT_EQ(Ben->TheSession.Players(),
              (std::map<uint32_t, std::string>{{BenId, "Ben"}, {cidId, "Cid"}}));
    EXPECT_EQ(cid.TheSession.LocalPlayerId(), cidId);
    // The match goes on under Ben, without Hostess's and Ann's vehicles.
    const int32_t heard = cid.g().LastServerUpdate;
    ASSERT_TRUE(Play({Ben.get(), &cid}, 10000,
                     [&] {
                         return cid.g().LastServerUpdate > heard + 2000 &&
                                Text(Seats(cid.g())) == Text(Seats(Ben->g()));
                     }))
        << "Ben: " << Text(Seats(Ben->g())) << "\nCid: " << Text(Seats(cid.g()));
    EXPECT_TRUE(Has(Ben->TheUi.Console, "You are the new host"));
    EXPECT_TRUE(Has(cid.TheUi.Console, "SERVER CHANGED, WEAPON RESET"));
    for (const TSeatView& seat : Seats(Ben->g()))
        EXPECT_TRUE(seat.Name != "Ann" && seat.Name != "Hostess") << Text(Seats(Ben->g()));
}

TEST_F(HostChange, ATakerOverNobodyCanReachSendsTheOthersBackToTheStartScreen) {
    // The host knows Ann only by the relay's address, which leads nowhere
    // once the host is gone: as a machine behind another's router would.
    StartMatch(true);
    if (HasFatalFailure()) return;
    Ben->Program->QuickStarted = false; // started from the start screen
    Ben->Program->Start.GameStarted = true;
    Host->TheSession.Close();
    ASSERT_TRUE(Play({Ann.get(), Ben.get()}, 12000, [&] { return !Ben->TheSession.IsOpen(); }));
    EXPECT_TRUE(Ann->TheSession.IsHost());
    EXPECT_TRUE(HasPart(Ben->TheUi.Console, "cannot be reached")) << Lines(Ben->TheUi.Console);
    Play({Ann.get(), Ben.get()}, 100, [] { return false; });
    EXPECT_FALSE(Ben->Program->Form.Visible);
    EXPECT_FALSE(Ben->Program->Start.GameStarted);
    EXPECT_TRUE(HasPart(Ben->TheUi.Boxes, "cannot be reached"));
}

} // namespace
