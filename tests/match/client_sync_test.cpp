// A host and a client in one process over the in-memory session: the
// client's clock and pings, its correction on every status (deaths,
// respawns, missiles, duplicates), its freeze without statuses, and how
// closely its vehicles follow the host's.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>

#include <unistd.h>

#include "fakes/fakes.h"
#include "fakes/loop_session.h"
#include "match/client_sync.h"
#include "match/match.h"
#include "match/net_receive.h"
#include "match/tick.h"
#include "net/status.h"
#include "sim/damage.h"
#include "sim/respawn.h"
#include "world/level_list.h"

namespace {

namespace fs = std::filesystem;
using namespace Vectors2D;

// Walls round an open field with a block in the middle and six spawn cells
// (8 wall, 4 spawn, 0 ground).
const char* const FieldRows = "8 8 8 8 8 8 8 8 8 8 8 8\r\n"
                              "8 4 0 0 0 0 0 0 0 0 4 8\r\n"
                              "8 0 0 0 0 0 0 0 0 0 0 8\r\n"
                              "8 0 0 0 0 8 8 0 0 0 0 8\r\n"
                              "8 4 0 0 0 8 8 0 0 0 4 8\r\n"
                              "8 0 0 0 0 0 0 0 0 0 0 8\r\n"
                              "8 0 0 0 0 0 0 0 0 0 0 8\r\n"
                              "8 4 0 0 0 0 0 0 0 0 4 8\r\n"
                              "8 8 8 8 8 8 8 8 8 8 8 8";

constexpr int32_t StartTick = 100000;

struct Machine {
    RecordingSound Sound;
    RecordingUi TheUi;
    LoopSession Net;
    SessionNetOut Out;
    std::unique_ptr<Game> G;
    fs::path Folder;

    Machine(LoopHub& hub, const std::string& name, uint32_t seed)
        : Net(hub), Out(Net), G(MakeGame(Sound, TheUi, Out, seed)) {
        Out.Attach(*G);
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        Folder = fs::temp_directory_path() / ("moor_sync_" + std::string(info->name()) + "_" +
                                              name + "_" + std::to_string(getpid()));
        fs::remove_all(Folder);
        fs::create_directories(Folder);
        Game& g = *G;
        g.ProgramFolder = Folder.string();
        g.TextureCount = 6;
        for (int k = 0; k < 6; ++k) {
            g.TerrainKind[k] = k;
            g.Friction[k] = g.Grip[k] = 1;
        }
        g.LastTick = g.TickNow = StartTick;
        g.NetworkGame = true;
        g.Start.TankSetups[0].Name = name;
        TLevelLists lists;
        std::ofstream(Folder / "Field.map", std::ios::binary) << FieldRows;
        BuildLevelList(g, lists);
        g.Start.LevelList = lists.AllLevels;
    }
    ~Machine() {
        std::error_code ec;
        fs::remove_all(Folder, ec);
    }
    Game& g() { return *G; }
    int Sent(uint8_t type) const {
        return static_cast<int>(std::count_if(Net.Sent.begin(), Net.Sent.end(), [&](auto& s) {
            return s.second.size() >= 4 && s.second[0] == type;
        }));
    }
    int Logged(const std::string& line) const {
        return static_cast<int>(std::count(TheUi.Debug.begin(), TheUi.Debug.end(), line));
    }
};

// Every pending event to its machine until all are quiet, as the program's
// pump does at tick count `now`: a machine that does not tick yet takes
// them at the present.
void Pump(int32_t now, std::initializer_list<Machine*> machines) {
    for (int round = 0; round < 100; ++round) {
        bool busy = false;
        for (Machine* m : machines) {
            Game& g = m->g();
            TSessionEvent e;
            while (m->Net.Poll(e)) {
                busy = true;
                if (!GameTicking(g)) g.TickNow = now;
                HandleSessionEvent(g, m->Out, e);
                if (ClientReady(g)) {
                    g.GameWindowShown = true;
                    EXPECT_EQ(StartNewMatch(g, now), "");
                    g.MapReceived = true;
                }
            }
        }
        if (!busy) return;
    }
    ADD_FAILURE() << "the machines never fell quiet";
}

// A host at server rate 20 with its bots, and a client joined to it.
struct HostAndClient {
    LoopHub Hub;
    Machine Host{Hub, "Host", 1}, Ann{Hub, "Ann", 2};
    int32_t Now = StartTick; // one clock for both
    Game &H = Host.g(), &A = Ann.g();
    explicit HostAndClient(int bots) {
        H.Start.SelectedLevel = "Field";
        H.Start.BotCount = bots;
        H.Start.ServerRate = 20;
        for (int k = 0; k < bots; ++k)
            H.Start.TankSetups[2 + k].Name = "Bot" + std::to_string(k);
        std::string error;
        EXPECT_TRUE(Host.Net.Host("DM_Moor", "Host", 0, error));
        EXPECT_EQ(StartNewMatch(H, Now), "");
        H.GameWindowShown = true;
        A.ClientMode = true;
        A.Start.NewGameRequested = true;
        EXPECT_TRUE(Ann.Net.Join("127.0.0.1", 0, "Ann", error));
        A.LocalPlayerId = static_cast<int32_t>(Ann.Net.LocalPlayerId());
        Pump(Now, {&Host, &Ann});
    }
    // ms of real time: the host ticks, what it sent arrives (the host hears
    // back only when `answer`), the client ticks.
    void Frame(int ms, bool answer = true) {
        Now += ms;
        GameTick(H, Now);
        if (answer)
            Pump(Now, {&Host, &Ann});
        else
            Pump(Now, {&Ann});
        GameTick(A, Now);
    }
    void Run(int ms, bool answer = true) {
        for (int t = 0; t < ms; t += 10)
            Frame(10, answer);
    }
};

void ExpectNear(TVector a, TVector b, double tolerance) {
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
}

} // namespace

TEST(ClientSync, TheClientCorrectsOnEveryStatusAndKeepsItsClock) {
    HostAndClient m(1);
    Game &h = m.H, &a = m.A;
    ASSERT_EQ(a.TankCount, 3); // the host's vehicle, its bot, Ann's
    const int bot = 1, annCar = 2;
    ASSERT_EQ(a.Player1, annCar);
    // Joining stood in for a ping: Ann sent none, the host's answer closed it.
    EXPECT_EQ(m.Ann.Sent(MsgPing), 0);
    EXPECT_FALSE(a.PingPending);
    EXPECT_EQ(std::count(m.Ann.TheUi.Console.begin(), m.Ann.TheUi.Console.end(), "Ping = 0"), 1);

    // A status every 50 ms; a tick 70 ms after the last send sends at once.
    std::vector<int32_t> sends;
    for (int k = 0; k < 30; ++k) {
        const int before = m.Host.Sent(MsgStatus);
        m.Frame(10);
        if (m.Host.Sent(MsgStatus) > before) sends.push_back(m.Now);
    }
    ASSERT_GE(sends.size(), 5u);
    for (size_t k = 1; k < sends.size(); ++k)
        EXPECT_EQ(sends[k] - sends[k - 1], 50);
    EXPECT_EQ(h.SendsPerSecond, 20);
    EXPECT_EQ(a.SendsPerSecond, 20);
    EXPECT_DOUBLE_EQ(a.SnapshotGap, 0.05);
    m.Frame(sends.back() + 70 - m.Now);
    EXPECT_EQ(h.SendsPerSecond, 14);
    EXPECT_EQ(a.SendsPerSecond, 14);
    // In step with its host, the client asks nothing more.
    m.Run(300);
    const int upBefore = m.Ann.Logged("resync (up)");
    const int pingsBefore = m.Ann.Sent(MsgPing);
    m.Run(500);
    EXPECT_EQ(m.Ann.Logged("resync (up)"), upBefore);
    EXPECT_EQ(m.Ann.Sent(MsgPing), pingsBefore);

    // Ann's clock falls 30 ms behind: the next status is ahead of it. She
    // pings once, and while the answer is out, once more only after a second.
    const int32_t offset = a.ClockOffset;
    a.ClockOffset += 30;
    m.Run(50, false);
    EXPECT_EQ(m.Ann.Logged("resync (up)"), upBefore + 1);
    EXPECT_EQ(m.Ann.Sent(MsgPing), pingsBefore + 1);
    EXPECT_TRUE(a.PingPending);
    EXPECT_EQ(a.LastPing, 0);
    m.Run(900, false);
    EXPECT_EQ(m.Ann.Logged("resync (up)"), upBefore + 19);
    EXPECT_EQ(m.Ann.Sent(MsgPing), pingsBefore + 1);
    m.Run(100, false);
    EXPECT_EQ(m.Ann.Sent(MsgPing), pingsBefore + 2);
    // The answers set the clock right; the statuses after them are in time.
    m.Frame(10);
    EXPECT_FALSE(a.PingPending);
    EXPECT_NEAR(a.ClockOffset, offset, 20);
    const int upAfter = m.Ann.Logged("resync (up)");
    m.Run(300);
    EXPECT_EQ(m.Ann.Logged("resync (up)"), upAfter);
    // A clock half a second ahead: "resync (down)" and a ping that is answered.
    a.ClockOffset -= 500;
    m.Run(50);
    EXPECT_EQ(m.Ann.Logged("resync (down)"), 1);
    EXPECT_EQ(m.Ann.Sent(MsgPing), pingsBefore + 3);
    EXPECT_NEAR(a.ClockOffset, offset, 20);
    m.Run(300);
    EXPECT_EQ(m.Ann.Logged("resync (down)"), 1);

    // The same status twice: the second changes nothing.
    std::vector<uint8_t> last;
    for (const auto& [to, block] : m.Host.Net.Sent)
        if (block[0] == MsgStatus) last = block;
    a.Tanks[bot].Position = {123, 234};
    a.Tanks[bot].Velocity = {10, 0};
    m.Ann.Net.Deliver(m.Host.Net.LocalPlayerId(), 0, last.data(), last.size());
    const double gap = a.SnapshotGap;
    Pump(m.Now, {&m.Ann});
    EXPECT_EQ(a.SnapshotGap, gap);
    ExpectNear(a.Tanks[bot].Position, {123, 234}, 0);
    ExpectNear(a.Tanks[bot].Velocity, {10, 0}, 0);

    // Ann's car dies on the host: at the next status it blows up on hers.
    TTank& car = h.Tanks[annCar];
    ApplyDamage(h, annCar, bot, 10000);
    const int blasts = a.Explosions.Count;
    a.Tanks[annCar].GunAmmo = 7;
    a.Tanks[annCar].RocketsLeft = 1;
    m.Run(50);
    EXPECT_FALSE(a.Tanks[annCar].Alive);
    ASSERT_GT(a.Explosions.Count, blasts);
    EXPECT_EQ(a.Explosions[a.Explosions.Count - 1].Kind, 1);
    // It comes back on the host a few px from its wreck: on Ann's machine it
    // lives again at the next status, belt and rockets full, standing still
    // where the host has it, and its engine starts.
    const TVector wreck = car.Position;
    RespawnTank(h, annCar);
    car.Position = car.PrevPosition = Add(wreck, {20, 0});
    const size_t sounds = m.Ann.Sound.Log.size();
    m.Run(50);
    const TTank& back = a.Tanks[annCar];
    EXPECT_TRUE(back.Alive);
    EXPECT_EQ(back.GunAmmo, 50);
    EXPECT_EQ(back.RocketsLeft, 6);
    ExpectNear(back.Velocity, {0, 0}, 1e-9);
    ExpectNear(back.SnapshotVelocity, {0, 0}, 1e-9);
    EXPECT_EQ(back.Spin, 0);
    ExpectNear(back.Position, car.Position, 1e-3);
    EXPECT_NE(std::find(m.Ann.Sound.Log.begin() + static_cast<long>(sounds), m.Ann.Sound.Log.end(),
                        "play 0"),
              m.Ann.Sound.Log.end());

    // Two homing missiles new in a status fly at 100 px/s along their
    // angles, brought to Ann's present; at the next status each takes its
    // speed from where it was in the one before.
    m.Run(100);
    for (TVector at : {TVector{200, 160}, TVector{500, 420}}) {
        TRocket r;
        r.Kind = 1;
        r.Owner = bot;
        r.Angle = at.x < 300 ? 0.3 : -2.8;
        r.Velocity = Scale(FromAngle(r.Angle), 300);
        r.Position = r.PrevPosition = r.PrevPrevPosition = at;
        h.Rockets.Add(r);
    }
    // Both tick, then the status arrives: the next one is looked at before
    // Ann's tick flies the missiles on.
    auto nextStatus = [&] {
        const int32_t last = a.LastServerUpdate;
        while (a.LastServerUpdate == last) {
            m.Now += 10;
            GameTick(h, m.Now);
            GameTick(a, m.Now);
            Pump(m.Now, {&m.Host, &m.Ann});
        }
    };
    a.ClockOffset -= 40; // the status arrives 40 ms late
    nextStatus();
    ASSERT_EQ(a.Rockets.Count, 2);
    const double late = (a.GameTime - a.LastServerUpdate) * 0.001;
    EXPECT_GE(late, 0.04);
    std::array<TVector, 2> first{};
    for (int k = 0; k < 2; ++k) {
        const TRocket& r = a.Rockets[k];
        ExpectNear(r.Velocity, Scale(FromAngle(r.Angle), 100), 1e-9);
        ExpectNear(r.Position, Add(r.SnapshotPosition, Scale(r.Velocity, late)), 1e-9);
        first[k] = r.SnapshotPosition;
    }
    nextStatus();
    ASSERT_EQ(a.Rockets.Count, 2);
    for (int k = 0; k < 2; ++k) {
        const TRocket& r = a.Rockets[k];
        ExpectNear(r.Velocity, Scale(Sub(r.SnapshotPosition, first[k]), 1 / a.SnapshotGap), 1e-6);
        EXPECT_GT(Length(r.Velocity), 200);
    }

    // No status for two seconds: Ann's world stands still, and is drawn.
    for (int t = 0; t < 2000; t += 20) {
        m.Now += 20;
        EXPECT_TRUE(GameTick(a, m.Now));
    }
    a.Tanks[bot].Velocity = {50, 0};
    const TVector botAt = a.Tanks[bot].Position;
    const int missiles = a.Rockets.Count;
    const TVector missileAt = missiles > 0 ? a.Rockets[0].Position : TVector{};
    for (int t = 0; t < 500; t += 20) {
        m.Now += 20;
        EXPECT_TRUE(GameTick(a, m.Now));
    }
    ExpectNear(a.Tanks[bot].Position, botAt, 0);
    ASSERT_EQ(a.Rockets.Count, missiles);
    if (missiles > 0) ExpectNear(a.Rockets[0].Position, missileAt, 0);
    // The host speaks again: the world moves on where the host has it.
    const int32_t frozenAt = a.LastServerUpdate;
    m.Run(100);
    EXPECT_GT(a.LastServerUpdate, frozenAt);
    EXPECT_LT(Distance(a.Tanks[bot].Position, h.Tanks[bot].Position), 20);

    // The host leaves: what flew in its game and every weapon choice go.
    a.Tanks[annCar].Weapon = wpRailgun;
    a.Tanks[annCar].MinesLeft = 2;
    a.Bullets.Add(TBullet{});
    a.Mines.Add(TMine{});
    m.Host.Net.Close();
    Pump(m.Now, {&m.Ann});
    EXPECT_EQ(std::count(m.Ann.TheUi.Console.begin(), m.Ann.TheUi.Console.end(),
                         "SERVER CHANGED, WEAPON RESET"),
              1);
    EXPECT_EQ(a.Bullets.Count + a.Mines.Count + a.Rockets.Count + a.BfgBalls.Count, 0);
    EXPECT_EQ(a.Tanks[annCar].Weapon, wpMachineGun);
    EXPECT_EQ(a.Tanks[annCar].MinesLeft, 10);
}

// Bots fight for half a minute; the client's vehicles are compared with the
// host's at the same game time. Both prediction modes keep close.
TEST(ClientSync, TheClientsVehiclesFollowTheHostsClosely) {
    for (const bool passive : {false, true}) {
        HostAndClient m(3);
        Game &h = m.H, &a = m.A;
        a.PassiveInterpolation = passive;
        ASSERT_EQ(a.TankCount, 5);
        // Where each vehicle was (NaN: dead) by game time, on each machine.
        using TPlaces = std::array<TVector, MaxTanks>;
        std::map<int32_t, TPlaces> hostAt, annAt;
        auto note = [](const Game& g, std::map<int32_t, TPlaces>& at) {
            TPlaces& places = at[g.GameTime];
            for (int i = 0; i < g.TankCount; ++i)
                places[i] = g.Tanks[i].Alive ? g.Tanks[i].Position : TVector{NAN, NAN};
        };
        for (int t = 0; t < 30000; t += 16) {
            m.Now += 16;
            GameTick(h, m.Now);
            note(h, hostAt);
            Pump(m.Now, {&m.Host, &m.Ann});
            GameTick(a, m.Now);
            if (t >= 1000) note(a, annAt);
        }
        std::vector<double> errors;
        size_t compared = 0;
        for (const auto& [time, places] : annAt) {
            const auto same = hostAt.find(time);
            if (same == hostAt.end()) continue;
            ++compared;
            for (int i = 0; i < h.TankCount; ++i)
                if (h.Tanks[i].IsBot && std::isfinite(places[i].x) &&
                    std::isfinite(same->second[i].x))
                    errors.push_back(Distance(places[i], same->second[i]));
        }
        ASSERT_GT(compared, annAt.size() * 9 / 10);
        ASSERT_GT(errors.size(), 1000u);
        std::sort(errors.begin(), errors.end());
        double sum = 0;
        for (double e : errors)
            sum += e;
        const double mean = sum / errors.size();
        const double p99 = errors[errors.size() * 99 / 100];
        std::printf("%s prediction: mean error %.2f px, p99 %.2f px over %zu samples\n",
                    passive ? "passive" : "full", mean, p99, errors.size());
        EXPECT_LT(mean, 2.0);
        EXPECT_LT(p99, 10.0);
        // The bots did drive and fight.
        double driven = 0;
        const TPlaces* before = nullptr;
        for (const auto& [time, places] : hostAt) {
            for (int i = 0; before && i < h.TankCount; ++i)
                if (h.Tanks[i].IsBot && std::isfinite(places[i].x) && std::isfinite((*before)[i].x))
                    driven += Distance(places[i], (*before)[i]);
            before = &places;
        }
        EXPECT_GT(driven, 2000);
        int deaths = 0;
        for (int i = 0; i < h.TankCount; ++i)
            deaths += h.Tanks[i].Deaths;
        EXPECT_GT(deaths, 0);
    }
}
