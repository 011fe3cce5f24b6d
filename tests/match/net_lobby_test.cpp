// A host and two clients in one process over the in-memory session: the
// joining hand-shake, the map download, every action applied once on every
// machine, and what a lying client cannot do.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

#include <unistd.h>

#include "core/colours.h"
#include "core/invariants.h"
#include "fakes/fakes.h"
#include "fakes/loop_session.h"
#include "match/level.h"
#include "match/match.h"
#include "match/net_receive.h"
#include "match/setup.h"
#include "match/tick.h"
#include "net/status.h"
#include "sim/controls.h"
#include "sim/damage.h"
#include "sim/messages.h"
#include "sim/mines.h"
#include "sim/vehicles.h"
#include "sim/weapons.h"
#include "world/level_list.h"
#include "world/map_file.h"
#include "world/maps.h"

namespace {

namespace fs = std::filesystem;

// Walls round a field with four spawn cells (texture t has kind t).
const char* const ArenaRows = "8 8 8 8 8 8 8 8\r\n8 4 0 0 0 0 4 8\r\n8 0 0 0 0 0 0 8\r\n"
                              "8 0 0 0 0 0 0 8\r\n8 4 0 0 0 0 4 8\r\n8 8 8 8 8 8 8 8";
const char* const OtherArenaRows = "8 8 8 8 8 8 8 8\r\n8 4 0 0 0 0 4 8\r\n8 0 0 12 12 0 0 8\r\n"
                                   "8 0 0 0 0 0 0 8\r\n8 4 0 0 0 0 4 8\r\n8 8 8 8 8 8 8 8";

struct Machine {
    ManualClock Clock;
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
        Folder = fs::temp_directory_path() / ("moor_net_" + std::string(info->name()) + "_" + name +
                                              "_" + std::to_string(getpid()));
        fs::remove_all(Folder);
        fs::create_directories(Folder);
        Game& g = *G;
        g.ProgramFolder = Folder.string();
        g.TextureCount = 6;
        for (int k = 0; k < 6; ++k)
            g.TerrainKind[k] = k;
        g.LastTick = g.TickNow = Clock.Now;
        g.NetworkGame = true;
        g.Start.TankSetups[0].Name = name + " One";
        g.Start.TankSetups[1].Name = name + " Two";
        g.Start.TankSetups[0].Colour1 = {static_cast<int32_t>(256 * (seed % 6)), 255, 255};
    }
    ~Machine() {
        std::error_code ec;
        fs::remove_all(Folder, ec);
    }
    void WriteMap(const std::string& name, const char* rows) {
        std::ofstream(Folder / (name + ".map"), std::ios::binary) << rows;
    }
    std::string ReadMap(const std::string& name) {
        std::ifstream in(Folder / (name + ".map"), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void ListLevels() {
        TLevelLists lists;
        BuildLevelList(*G, lists);
        G->Start.LevelList = lists.AllLevels;
    }
    int Said(const std::string& line) const {
        return static_cast<int>(std::count(TheUi.Console.begin(), TheUi.Console.end(), line));
    }
    Game& g() { return *G; }
};

// Hands every pending event to its machine until all are quiet; a client
// that is ready shows its game window, as the front end would.
void Pump(std::initializer_list<Machine*> machines) {
    for (int round = 0; round < 100; ++round) {
        bool busy = false;
        for (Machine* m : machines) {
            TSessionEvent e;
            while (m->Net.Poll(e)) {
                busy = true;
                HandleSessionEvent(m->g(), m->Out, e);
                if (ClientReady(m->g())) {
                    m->g().GameWindowShown = true;
                    EXPECT_EQ(StartNewMatch(m->g(), m->Clock.Now), "");
                    m->g().MapReceived = true;
                }
            }
        }
        if (!busy) return;
    }
    ADD_FAILURE() << "the machines never fell quiet";
}

void StartHost(Machine& h) {
    Game& g = h.g();
    h.WriteMap("Arena", ArenaRows);
    h.ListLevels();
    g.Start.SelectedLevel = "Arena";
    g.Start.BotCount = 1;
    g.Start.TankSetups[2].Name = "Botty";
    std::string error;
    ASSERT_TRUE(h.Net.Host("DM_Moor", "Host One", 0, error));
    ASSERT_EQ(StartNewMatch(g, h.Clock.Now), "");
    g.GameWindowShown = true;
}

void Join(Machine& c, bool twoPlayers) {
    Game& g = c.g();
    c.ListLevels();
    g.ClientMode = true;
    g.TwoPlayers = twoPlayers;
    g.Start.NewGameRequested = true;
    std::string error;
    ASSERT_TRUE(c.Net.Join("127.0.0.1", 0, "x", error));
    g.LocalPlayerId = static_cast<int32_t>(c.Net.LocalPlayerId());
}

// A host and Ann, joined and settled.
struct HostAndAnn {
    LoopHub Hub;
    Machine Host{Hub, "Host", 1}, Ann{Hub, "Ann", 2};
    HostAndAnn() {
        StartHost(Host);
        Join(Ann, false);
        Pump({&Host, &Ann});
    }
};

std::vector<std::string> Table(const Game& g) {
    std::vector<std::string> rows;
    for (int i = 0; i < g.TankCount; ++i)
        rows.push_back(g.Tanks[i].Name + "/" + std::to_string(g.Tanks[i].PlayerId) + "/" +
                       std::to_string(g.Tanks[i].Seat) + "/" +
                       std::to_string(PackColour(g.Tanks[i].BodyColour)));
    return rows;
}

} // namespace

TEST(NetLobby, TwoClientsJoinDownloadTheMapAndAgree) {
    LoopHub hub;
    Machine host(hub, "Host", 1), ann(hub, "Ann", 2), bea(hub, "Bea", 3);
    StartHost(host);
    bea.WriteMap("Arena", OtherArenaRows); // Bea has another map of that name
    Join(ann, true);
    Pump({&host, &ann, &bea});
    Join(bea, false);
    Pump({&host, &ann, &bea});

    // Ann lacked the map: she has the host's now. Bea keeps her own copy.
    EXPECT_EQ(ann.ReadMap("Arena"), host.ReadMap("Arena"));
    EXPECT_EQ(bea.ReadMap("Arena"), host.ReadMap("Arena"));
    EXPECT_EQ(bea.ReadMap("Arena(replaced by server map)"), OtherArenaRows);
    EXPECT_EQ(bea.Said("Old map saved as \"Arena(replaced by server map)\""), 1);
    EXPECT_EQ(ann.Said("Downloaded map \"Arena\""), 1);
    EXPECT_EQ(host.Said("x connecting"), 2);

    // One table everywhere: host, its bot, Ann's two players, Bea.
    ASSERT_EQ(host.g().TankCount, 5);
    EXPECT_EQ(Table(ann.g()), Table(host.g()));
    EXPECT_EQ(Table(bea.g()), Table(host.g()));
    EXPECT_EQ(host.g().Tanks[3].Name, "Ann_Two");
    EXPECT_EQ(host.g().Tanks[3].Seat, 1);
    for (Machine* c : {&ann, &bea}) {
        Game& g = c->g();
        EXPECT_TRUE(g.HaveMap && g.HaveSetup && g.HaveTanklist && g.HaveScores);
        EXPECT_TRUE(g.GameWindowShown);
        EXPECT_TRUE(g.LevelRunning);
        EXPECT_EQ(g.CurrentMapName, "Arena");
        EXPECT_EQ(g.Tanks[g.Player1].PlayerId, g.LocalPlayerId);
        EXPECT_EQ(c->Said("Ann_One joined the game"), 1);
    }
    EXPECT_EQ(ann.g().Tanks[ann.g().Player2].Name, "Ann_Two");
    // Three machines here, and room for (64 - 5) div 2 more of two vehicles.
    EXPECT_EQ(host.Net.Limit, 3 + (64 - 5) / 2);

    // Ann leaves: both her vehicles go everywhere.
    ann.Net.Close();
    Pump({&host, &bea});
    EXPECT_EQ(host.g().TankCount, 3);
    EXPECT_EQ(Table(bea.g()), Table(host.g()));
    EXPECT_EQ(bea.Said("Ann_One left"), 1);
    EXPECT_EQ(bea.Said("Ann_Two left"), 1);
}

TEST(NetLobby, EveryActionAppliesOnceOnEveryMachine) {
    LoopHub hub;
    Machine host(hub, "Host", 1), ann(hub, "Ann", 2), bea(hub, "Bea", 3);
    StartHost(host);
    ann.WriteMap("Arena", ArenaRows);
    Join(ann, false);
    Join(bea, false);
    Pump({&host, &ann, &bea});
    ASSERT_EQ(host.g().TankCount, 4);
    const int annCar = 2, beaCar = 3, bot = 1;

    // A console line for all, from the host.
    ConsoleLineForAll(host.g(), "Welcome");
    // A chat line of Ann's vehicle: the host passes it on to Bea.
    ChatLineForAll(ann.g(), "gg", ann.g().Player1);
    Pump({&host, &ann, &bea});
    for (Machine* m : {&host, &ann, &bea}) {
        EXPECT_EQ(m->Said("Welcome"), 1);
        EXPECT_EQ(m->Said("Ann_One: gg"), 1);
    }

    // A personal message to oneself never leaves the machine.
    const size_t sentBefore = host.Net.Sent.size();
    PersonalMessageForAll(host.g(), "Mind the wall", 0);
    EXPECT_EQ(host.Net.Sent.size(), sentBefore);
    EXPECT_EQ(host.g().PlayerLines[0].Personal.Text, "Mind the wall");
    // One to Ann's vehicle shows on Ann's machine alone.
    PersonalMessageForAll(host.g(), "Behind you", annCar);
    Pump({&host, &ann, &bea});
    EXPECT_EQ(ann.g().PlayerLines[0].Personal.Text, "Behind you");
    EXPECT_EQ(bea.g().PlayerLines[0].Personal.Text, "");

    // Ann orders the host's bot: every machine has the order once.
    TMateList& menu = ann.g().MateLists[0];
    menu.Count = 1;
    menu.Mates[1] = bot;
    menu.OrderMate = 1;
    menu.OrderCode = msCoverMe;
    GiveOrder(ann.g(), 0);
    Pump({&host, &ann, &bea});
    for (Machine* m : {&host, &ann, &bea}) {
        EXPECT_EQ(m->g().Tanks[bot].SavedMission, msCoverMe);
        EXPECT_EQ(m->g().Tanks[bot].SavedMissionTarget, annCar);
    }

    // Ann fires her railgun: the host fires once, and each client draws the
    // one rail it reported (as many particles as the host made).
    TTank& car = host.g().Tanks[annCar];
    car.Weapon = wpRailgun;
    car.Alive = true;
    host.g().GameTime = 1000;
    car.Position = {200, 190}; // in the open, facing the east wall
    car.Heading = car.TurretAngle = 0;
    RefreshWorldCorners(car);
    ann.g().Tanks[annCar].Weapon = wpRailgun;
    host.g().Particles.Clear();
    ann.g().Particles.Clear();
    bea.g().Particles.Clear();
    ControlInput(ann.g(), ann.g().Player1, caFire, true);
    Pump({&host, &ann, &bea});
    ASSERT_GT(host.g().Particles.Count, 0);
    EXPECT_EQ(ann.g().Particles.Count, host.g().Particles.Count);
    EXPECT_EQ(bea.g().Particles.Count, host.g().Particles.Count);

    // A cluster shot: forty bomblets, one event.
    ControlInput(ann.g(), ann.g().Player1, caSelectWeapon + static_cast<int>(wpCluster), true);
    Pump({&host, &ann, &bea});
    host.g().GameTime = 3000;
    const size_t blocks = host.Net.Sent.size();
    FireStep(host.g(), annCar);
    EXPECT_EQ(host.Net.Sent.size(), blocks + 1);
    Pump({&host, &ann, &bea});
    EXPECT_GT(host.g().Bomblets.Count, 1);
    EXPECT_EQ(ann.g().Bomblets.Count, host.g().Bomblets.Count);
    EXPECT_EQ(bea.g().Bomblets.Count, host.g().Bomblets.Count);

    // The host's status places every vehicle on the clients; an older one
    // that arrives late is dropped.
    host.g().Tanks[0].Position = {123.5, 77.25};
    host.g().GameTime = 5000;
    BroadcastGameStatus(host.g());
    Pump({&host, &ann, &bea});
    host.g().Tanks[0].Position = {300, 300};
    host.g().GameTime = 4000;
    BroadcastGameStatus(host.g());
    Pump({&host, &ann, &bea});
    for (Machine* m : {&ann, &bea}) {
        EXPECT_TRUE(m->g().StatusReceived);
        EXPECT_EQ(m->g().LastServerUpdate, 5000);
        EXPECT_EQ(m->g().Tanks[0].SnapshotPosition.x, 123.5);
        EXPECT_EQ(m->g().Tanks[0].Position.y, 77.25);
    }

    // Bea asks for new colours: nothing changes before the host's echo.
    const TRgb old = bea.g().Tanks[beaCar].BodyColour;
    bea.g().Start.TankSetups[0].Colour1 = {1024, 255, 255};
    bea.g().Start.TankSetups[0].Changed = true;
    ApplyChangedSetups(bea.g());
    EXPECT_EQ(bea.g().Tanks[beaCar].BodyColour, old);
    Pump({&host, &ann, &bea});
    for (Machine* m : {&host, &ann, &bea})
        EXPECT_EQ(m->g().Tanks[beaCar].BodyColour, HsbToRgb({1024, 255, 255}));
}

TEST(NetLobby, AClientCannotActForAnotherMachineOrTheHost) {
    LoopHub hub;
    Machine host(hub, "Host", 1), ann(hub, "Ann", 2), bea(hub, "Bea", 3);
    StartHost(host);
    ann.WriteMap("Arena", ArenaRows);
    bea.WriteMap("Arena", ArenaRows);
    Join(ann, false);
    Join(bea, false);
    Pump({&host, &ann, &bea});
    const int annCar = 2, bot = 1;
    const uint32_t server = host.Net.LocalPlayerId();
    const std::vector<std::string> before = Table(host.g());
    const int frags = host.g().Tanks[annCar].Frags;

    // Bea names Ann's vehicle: new colours, an order from it, its chat.
    bea.Out.Put(server, EncodeAppearance({annCar, {255, 255, 255}, {0, 0, 0}, 255}));
    bea.Out.Put(0, EncodeOrder({bot, msDefendBase, annCar}));
    bea.Out.Put(0, EncodeText({TextChat + annCar, "I give up"}));
    // A line posing as the game's own, and one as the host's vehicle.
    bea.Out.Put(0, EncodeText({TextNoOwner, "HOST ONE IS THE WINNER"}));
    bea.Out.Put(0, EncodeText({0, "I am the host"}));
    // Things only a host sends, a second vehicle list, a shutdown.
    bea.Out.Put(0, EncodeSetup({1, 0, 0, 0, 0, 0, 3, 0, "Arena"}));
    TTankEntry extra;
    extra.Name = "Extra";
    bea.Out.Put(server, EncodeTanklist({extra}));
    bea.Out.Put(server, EncodeKill());
    Pump({&host, &ann, &bea});

    EXPECT_EQ(Table(host.g()), before);
    EXPECT_EQ(Table(ann.g()), before);
    EXPECT_EQ(host.g().Tanks[annCar].Frags, frags);
    for (Machine* m : {&host, &ann}) {
        EXPECT_NE(m->g().Tanks[bot].SavedMissionTarget, annCar);
        EXPECT_EQ(m->Said("Ann_One: I give up"), 0);
        EXPECT_EQ(m->Said("HOST ONE IS THE WINNER"), 0);
        EXPECT_EQ(m->Said("I am the host"), 0);
    }
    EXPECT_EQ(host.Net.Relayed, 0);
    EXPECT_EQ(host.Said("Bye bye..."), 1);
    EXPECT_EQ(host.g().ShutdownTime, -1); // not started with -developer
    EXPECT_EQ(host.g().FragLimit, 50);

    // Started for development, a host obeys; a dedicated server never does.
    host.g().StartedAsDeveloper = true;
    host.g().Start.Dedicated = true;
    bea.Out.Put(server, EncodeKill());
    Pump({&host, &ann, &bea});
    EXPECT_EQ(host.g().ShutdownTime, -1);
    host.g().Start.Dedicated = false;
    bea.Out.Put(server, EncodeKill());
    Pump({&host, &ann, &bea});
    EXPECT_NE(host.g().ShutdownTime, -1);
}

TEST(NetLobby, HostileBlocksToAClientAreRefused) {
    HostAndAnn both;
    Machine &host = both.Host, &ann = both.Ann;
    Game& g = ann.g();
    const uint32_t server = host.Net.LocalPlayerId();
    const auto deliver = [&](const TBlock& b) {
        TSessionEvent e = SessionEvent(TSessionEvent::Message, server);
        e.Data = b;
        HandleSessionEvent(g, ann.Out, e);
    };
    const std::vector<std::string> table = Table(g);

    // A 72-byte list announcing two entries: one box, and no second one
    // within the same second.
    TBlock list = EncodeTanklist(std::vector<TTankEntry>(2));
    list.resize(72);
    deliver(list);
    deliver(list);
    EXPECT_EQ(ann.TheUi.Boxes, std::vector<std::string>{"Msgsize error(C_tl): 72ieo104"});
    g.TickNow += 1000;
    deliver(list);
    EXPECT_EQ(ann.TheUi.Boxes.size(), 2u);
    EXPECT_EQ(Table(g), table);

    // A map name that leaves the maps folder is refused whole.
    deliver(EncodeSetup({5, 0, 0, 10, 0, 0, server, 0, "../evil"}));
    EXPECT_NE(g.FragLimit, 5);
    EXPECT_FALSE(fs::exists(ann.Folder.parent_path() / "evil.map"));

    // Events with counts beyond their values, bad indices, non-finite floats.
    const float inf = std::numeric_limits<float>::infinity();
    const int mines = g.Mines.Count;
    deliver(EncodeEvent({evMineList, {1e9f, 1, 2, 3}}));
    EXPECT_EQ(g.Mines.Count, mines);
    deliver(EncodeEvent({evBomblets, {40, 1, 2, 3, 4, 5, 6}}));
    deliver(EncodeEvent({evGunSound, {999, 1}}));
    deliver(EncodeEvent({evKill, {0, inf}}));
    deliver(EncodeEvent({evRocket, {1, 0, 0, 0, 0, 0, 0, 0, 0}})); // no drag: would fly off
    EXPECT_EQ(g.Rockets.Count, 0);
    // A rail across the world is cut to the map's diagonal.
    g.Particles.Clear();
    deliver(EncodeEvent({evRail, {64, 64, 1e30f, 64, 0}}));
    EXPECT_LE(g.Particles.Count, std::hypot(g.MapWidthPx, g.MapHeightPx) + 1);
    EXPECT_EQ(Table(g), table);
}

// A machine back at its seat (the session gave it its old id for its
// token) finds its vehicle's frags and deaths, on the host and at home; a
// new machine's vehicle starts from nothing.
TEST(NetLobby, AMachineBackAtItsSeatGetsItsScoreBack) {
    HostAndAnn s;
    Game& h = s.Host.g();
    const int32_t ann = static_cast<int32_t>(s.Ann.Net.LocalPlayerId());
    h.Tanks[FindTank(h, ann, 0)].Frags = 5;
    h.Tanks[FindTank(h, ann, 0)].Deaths = 2;
    s.Ann.Net.Close();
    Pump({&s.Host});
    ASSERT_EQ(FindTank(h, ann, 0), -1);

    Machine back(s.Hub, "Back", 2), fresh(s.Hub, "Fresh", 3);
    back.Net.ComeBackAs = static_cast<uint32_t>(ann);
    Join(back, false);
    Join(fresh, false);
    Pump({&s.Host, &back, &fresh});
    for (Machine* m : {&s.Host, &back}) {
        const int i = FindTank(m->g(), ann, 0);
        ASSERT_GE(i, 0);
        EXPECT_EQ(m->g().Tanks[i].Frags, 5);
        EXPECT_EQ(m->g().Tanks[i].Deaths, 2);
    }
    const int f = FindTank(h, static_cast<int32_t>(fresh.Net.LocalPlayerId()), 0);
    ASSERT_GE(f, 0);
    EXPECT_EQ(h.Tanks[f].Frags, 0);
    EXPECT_TRUE(h.KeptVehicles.empty());
}

TEST(NetLobby, ANewLevelReachesTheClientsAndTheHostLeaving) {
    LoopHub hub;
    Machine host(hub, "Host", 1), ann(hub, "Ann", 2);
    StartHost(host);
    ann.WriteMap("Arena", ArenaRows);
    Join(ann, false);
    Pump({&host, &ann});
    ASSERT_TRUE(ann.g().LevelRunning);
    ann.g().LevelRunning = false; // the level was won
    const std::vector<std::string> table = Table(ann.g());

    // The host's next level: a later set-up starts the level on the client
    // without a second vehicle list.
    const size_t blocks = ann.Net.Sent.size();
    StartNextLevel(host.g(), host.Clock.Now);
    Pump({&host, &ann});
    EXPECT_TRUE(ann.g().LevelRunning);
    EXPECT_EQ(ann.Net.Sent.size(), blocks);
    EXPECT_EQ(Table(ann.g()), table);

    host.Net.Close();
    Pump({&ann});
    EXPECT_EQ(ann.Said("SERVER CHANGED, WEAPON RESET"), 1);
    EXPECT_EQ(ann.Said("Host_One left"), 1);
}

TEST(NetStatus, AStatusBuiltForAnotherVehicleListIsDropped) {
    LoopHub hub;
    Machine host(hub, "Host", 1), ann(hub, "Ann", 2), bea(hub, "Bea", 3);
    StartHost(host);
    Join(ann, false);
    Join(bea, false);
    Pump({&host, &ann, &bea});
    ASSERT_EQ(Table(bea.g()), Table(host.g()));
    ASSERT_EQ(host.g().TankCount, 4); // host, bot, Ann, Bea
    const int annCar = 2;

    // A status of this table: Ann's vehicle lies dead at (300, 300).
    host.g().GameTime = 6000;
    host.g().Tanks[annCar].Position = {300, 300};
    host.g().Tanks[annCar].Health = 0;
    const uint32_t fourVehicles = RosterGeneration(host.g());
    BroadcastGameStatus(host.g());
    // On the wire: the status's own bytes, whole, then the generation.
    const std::vector<uint8_t>& wire = host.Net.Sent.back().second;
    TStatusMsg sent;
    size_t expected = 0;
    ASSERT_TRUE(DecodeStatus(wire.data(), wire.size() - StatusTrailerSize, sent, expected));
    EXPECT_EQ(std::vector<uint8_t>(wire.begin(), wire.end() - StatusTrailerSize),
              EncodeStatus(sent));
    size_t messageSize = 0;
    uint32_t generation = 0;
    ASSERT_TRUE(SplitRosterGeneration(wire.data(), wire.size(), messageSize, generation));
    EXPECT_EQ(generation, fourVehicles);
    EXPECT_EQ(RosterGeneration(bea.g()), fourVehicles);

    // It is late for Bea: Ann leaves first, and Bea's vehicle moves up to
    // where Ann's was in the table.
    TSessionEvent late;
    ASSERT_TRUE(bea.Net.Poll(late));
    ASSERT_TRUE(bea.Net.Idle());
    host.g().Tanks[annCar].Health = 100;
    ann.Net.Close();
    Pump({&host, &ann, &bea});
    ASSERT_EQ(bea.g().TankCount, 3);
    ASSERT_EQ(bea.g().Tanks[2].Name, "Bea_One");
    EXPECT_NE(RosterGeneration(bea.g()), fourVehicles);
    bea.g().Tanks[2].Health = 100;
    const TVector before = bea.g().Tanks[2].Position;
    ASSERT_NE(before.x, 300);
    HandleSessionEvent(bea.g(), bea.Out, late);
    EXPECT_EQ(bea.g().Tanks[2].Position.x, before.x);
    EXPECT_EQ(bea.g().Tanks[2].Position.y, before.y);
    EXPECT_EQ(bea.g().Tanks[2].Health, 100);
    EXPECT_NE(bea.g().LastServerUpdate, 6000);
    EXPECT_EQ(bea.TheUi.Boxes.size(), 0u); // dropped quietly, no size error

    // The host's next status is of the table Bea has: it lands.
    host.g().GameTime = 7000;
    host.g().Tanks[2].Position = {150.5, 90.25};
    BroadcastGameStatus(host.g());
    Pump({&host, &bea});
    EXPECT_EQ(bea.g().LastServerUpdate, 7000);
    EXPECT_EQ(bea.g().Tanks[2].Position.x, 150.5);
    EXPECT_EQ(bea.g().Tanks[2].Position.y, 90.25);

    // A status that arrives without its generation is not applied either.
    TStatusMsg bare;
    StatusOf(host.g(), bare);
    bare.Stamp = 8000;
    const TBlock block = EncodeStatus(bare);
    bea.Net.Deliver(1, 0, block.data(), block.size());
    Pump({&bea});
    EXPECT_EQ(bea.g().LastServerUpdate, 7000);
}

TEST(NetStatus, AStatusThatFailsItsOwnSizeCheckIsNotSent) {
    HostAndAnn both;
    Machine& host = both.Host;
    Game& g = host.g();
    // More homing missiles than the header's byte can count.
    TStatusMsg m;
    StatusOf(g, m);
    m.Homing.assign(256, {10, 10, 0, -1});
    const size_t sent = host.Net.Sent.size();
    host.Out.SendStatusMsg(m);
    EXPECT_EQ(host.Net.Sent.size(), sent);
    EXPECT_EQ(host.TheUi.Boxes, std::vector<std::string>{"ERROR, statussend sizes are off!"});
    // The box waits a second before it shows again; the next good status goes.
    host.Out.SendStatusMsg(m);
    EXPECT_EQ(host.TheUi.Boxes.size(), 1u);
    g.TickNow += 1000;
    host.Out.SendStatusMsg(m);
    EXPECT_EQ(host.TheUi.Boxes.size(), 2u);
    m.Homing.resize(255);
    host.Out.SendStatusMsg(m);
    ASSERT_EQ(host.Net.Sent.size(), sent + 1);
    EXPECT_EQ(host.Net.Sent.back().second.size(),
              20 + 4 * (6 * m.Vehicles.size() + 4 * 255 + 4 * m.Bullets.size()) +
                  StatusTrailerSize);
}

TEST(NetStatus, EveryEventOfTheHostsSimulationReachesTheClients) {
    HostAndAnn both;
    Machine &host = both.Host, &ann = both.Ann;
    Game& g = host.g();
    ASSERT_EQ(g.TankCount, 3); // host, bot, Ann
    const int bot = 1, annCar = 2;
    std::set<int> codes;
    size_t seen = 0;
    // Runs the host's game for ms, then hands everything to Ann.
    auto run = [&](int ms) {
        for (int t = 0; t < ms; t += 20) {
            host.Clock.Now += 20;
            GameTick(g, host.Clock.Now);
        }
        for (; seen < host.Net.Sent.size(); ++seen) {
            const std::vector<uint8_t>& b = host.Net.Sent[seen].second;
            if (b.size() >= 12 && b[0] == MsgEvent) codes.insert(b[4]);
        }
        Pump({&host, &ann});
    };
    // Ann's car in the open, aiming at the east wall; the bot sits still far away.
    TTank& car = g.Tanks[annCar];
    auto aim = [&](int weapon) {
        car.Alive = true;
        car.Health = 100;
        car.Position = {200, 190};
        car.Velocity = {0, 0};
        car.Heading = car.TurretAngle = 0;
        RefreshWorldCorners(car);
        car.Weapon = weapon;
        car.NextFireTime = g.GameTime;
        car.Firing = true;
    };
    g.Tanks[bot].IsBot = false; // stands still: nobody presses its keys
    aim(wpMachineGun);
    run(200);
    car.Firing = false;
    run(100);
    for (int weapon : {wpRockets, wpHoming, wpBfg}) {
        aim(weapon);
        run(20);
        car.Firing = false;
        run(4000);
    }
    // A mine under the bot goes off.
    aim(wpMachineGun);
    car.Firing = false;
    LayMine(g, annCar);
    ASSERT_GT(g.Mines.Count, 0);
    run(400);
    TTank& victim = g.Tanks[bot];
    victim.Alive = true;
    victim.Health = 1000;
    victim.Position = g.Mines[g.Mines.Count - 1].Position;
    RefreshWorldCorners(victim);
    run(100);
    // Two kills in a row by Ann's car: the second is a chain Ann's machine announces.
    for (int k = 0; k < 2; ++k) {
        victim.Alive = true;
        victim.Health = 10;
        ApplyDamage(g, bot, annCar, 100);
        run(20);
    }
    for (int code : {evGunSound, evRocket, evRocketGone, evExplosion, evSound, evBfgBall,
                     evBfgBurst, evMineLaid, evMineGone, evKill, evMultiKill})
        EXPECT_TRUE(codes.count(code)) << "event " << code << " never sent";
    // Ann saw both kills and the scores that followed them.
    EXPECT_EQ(ann.g().Tanks[annCar].Frags, g.Tanks[annCar].Frags);
    EXPECT_GE(g.Tanks[annCar].Frags, 2);
    EXPECT_EQ(ann.g().Tanks[bot].Deaths, g.Tanks[bot].Deaths);
}

TEST(NetStatus, ADedicatedServerPlaysItsBotsWithNoPlayerOfItsOwn) {
    LoopHub hub;
    Machine host(hub, "Host", 1), ann(hub, "Ann", 2);
    host.g().Start.Dedicated = true;
    host.g().Start.TankSetups[3].Name = "Bolt";
    StartHost(host); // one bot asked for: Botty
    Game& g = host.g();
    EXPECT_EQ(g.Player1, -1);
    EXPECT_EQ(g.Player2, -1);
    ASSERT_EQ(g.TankCount, 1);
    EXPECT_TRUE(g.Tanks[0].IsBot);
    EXPECT_EQ(g.Tanks[0].Name, "Botty");
    EXPECT_EQ(g.Tanks[0].PlayerId, 0);
    Join(ann, false);
    Pump({&host, &ann});
    ASSERT_EQ(Table(ann.g()), Table(g));
    ASSERT_EQ(g.TankCount, 2);
    EXPECT_EQ(ann.g().Player1, 1);
    // A minute of play: statuses land on Ann's table, and the bot's kills
    // are announced and scored on a server that has no player to tell.
    for (int t = 0; t < 60000; t += 20) {
        host.Clock.Now += 20;
        ann.Clock.Now += 20;
        GameTick(g, host.Clock.Now);
        if (t % 20000 == 10000 && g.Tanks[1].Alive) ApplyDamage(g, 1, 0, 1000);
        Pump({&host, &ann});
        GameTick(ann.g(), ann.Clock.Now);
    }
    EXPECT_EQ(CheckInvariants(g), std::vector<std::string>{});
    EXPECT_EQ(CheckInvariants(ann.g()), std::vector<std::string>{});
    EXPECT_EQ(g.Tanks[0].Frags, 3);
    EXPECT_EQ(ann.g().Tanks[0].Frags, 3);
    EXPECT_EQ(ann.g().Tanks[1].Deaths, 3);
    EXPECT_EQ(host.Said("Botty killed Ann_One"), 3);
    EXPECT_EQ(ann.Said("Botty killed Ann_One"), 3);
    EXPECT_GT(ann.g().LastServerUpdate, 59000);
    // A new level keeps the server without a player.
    StartNextLevel(g, host.Clock.Now);
    Pump({&host, &ann});
    EXPECT_EQ(g.Player1, -1);
    EXPECT_EQ(Table(ann.g()), Table(g));
}
