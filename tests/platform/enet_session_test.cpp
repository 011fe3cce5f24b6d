// A host and two clients in one thread over 127.0.0.1, pumped by hand, with
// raw ENet peers where a test needs to see the wire: search, join, the
// roster, messages to all and to one with their senders, the status's own
// channel, refusals, leaving, dying, and connections that never ask to join.
#include <arpa/inet.h>
#include <enet/enet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <thread>

#include "fakes/lossy_relay.h"
#include "fakes/moving_status.h"
#include "platform/enet_session.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Wall = std::chrono::steady_clock;

// A UDP port on 127.0.0.1 held for as long as this lives.
struct HeldPort {
    int Fd = -1;
    uint16_t Port = 0;
    HeldPort() {
        Fd = socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t n = sizeof a;
        if (bind(Fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
            getsockname(Fd, reinterpret_cast<sockaddr*>(&a), &n) == 0)
            Port = ntohs(a.sin_port);
    }
    ~HeldPort() { close(Fd); }
};

// A peer that speaks ENet by hand, to look at channels and flags. Like the
// session it first asks for its cookie and connects with it.
struct RawPeer {
    struct TEv {
        ENetEventType Type;
        uint8_t Channel = 0;
        uint32_t Flags = 0;
        uint32_t Data = 0;
        TFrame Frame;
        bool Readable = false;
    };
    ENetHost* Host = enet_host_create(nullptr, 1, NetChannelCount, 0, 0);
    ENetPeer* Peer = nullptr;
    ENetAddress To{};
    std::vector<TEv> Log;
    static std::map<ENetHost*, uint32_t>& Cookies() {
        static std::map<ENetHost*, uint32_t> cookies;
        return cookies;
    }
    static int ENET_CALLBACK TakeCookie(ENetHost* host, ENetEvent*) {
        TCookieReply r;
        if (!DecodeCookieReply(host->receivedData, host->receivedDataLength, r)) return 0;
        if (r.Refusal == nrNone) Cookies()[host] = r.Cookie;
        return 1;
    }
    explicit RawPeer(uint16_t port) {
        Host->maximumPacketSize = NetMaxFrameSize;
        Host->intercept = TakeCookie;
        enet_address_set_host_ip(&To, "127.0.0.1");
        To.port = port;
        const Bytes ask = EncodeCookieRequest(NetConnectHash(NetAppGuid, NetProtocolVersion), 1);
        ENetBuffer b{const_cast<uint8_t*>(ask.data()), ask.size()};
        enet_socket_send(Host->socket, &To, &b, 1);
    }
    ~RawPeer() {
        Cookies().erase(Host);
        enet_host_destroy(Host);
    }
    bool Connect() {
        if (Peer == nullptr && Cookies().count(Host) > 0)
            Peer = enet_host_connect(Host, &To, NetChannelCount, Cookies()[Host]);
        return Peer != nullptr;
    }
    void Service() {
        Connect();
        ENetEvent e;
        while (enet_host_service(Host, &e, 0) > 0) {
            TEv ev{e.type, e.channelID, 0, e.data, {}, false};
            if (e.type == ENET_EVENT_TYPE_RECEIVE) {
                ev.Flags = e.packet->flags;
                ev.Readable = DecodeFrame(e.packet->data, e.packet->dataLength, ev.Frame);
                enet_packet_destroy(e.packet);
            }
            Log.push_back(ev);
        }
    }
    void Send(const Bytes& frame) {
        enet_peer_send(Peer, NetReliableChannel,
                       enet_packet_create(frame.data(), frame.size(), ENET_PACKET_FLAG_RELIABLE));
        enet_host_flush(Host);
    }
    const TEv* Find(const std::function<bool(const TEv&)>& match) const {
        for (const TEv& e : Log)
            if (match(e)) return &e;
        return nullptr;
    }
};

struct Machine {
    EnetSession Session;
    std::vector<TSessionEvent> Log;
    bool Serviced = true;
    explicit Machine(const TEnetSessionOptions& o = {}) : Session(o) {}
    int Count(TSessionEvent::TKind kind, uint32_t player) const {
        int n = 0;
        for (const TSessionEvent& e : Log)
            n += e.Kind == kind && e.Player == player;
        return n;
    }
    const TSessionEvent* Last(TSessionEvent::TKind kind) const {
        for (auto it = Log.rbegin(); it != Log.rend(); ++it)
            if (it->Kind == kind) return &*it;
        return nullptr;
    }
    // Messages with this text, as (sender, addressee) pairs.
    std::multiset<std::pair<uint32_t, uint32_t>> Got(const std::string& text) const {
        std::multiset<std::pair<uint32_t, uint32_t>> got;
        for (const TSessionEvent& e : Log)
            if (e.Kind == TSessionEvent::Message && e.Data.size() >= 4 &&
                std::string(e.Data.begin() + 4, e.Data.end()) == text)
                got.insert({e.Player, e.To});
        return got;
    }
};

Bytes TextMsg(const std::string& text) {
    Bytes b(4 + text.size(), 0);
    b[0] = 11;
    std::copy(text.begin(), text.end(), b.begin() + 4);
    return b;
}

void Send(Machine& m, uint32_t to, const std::string& text) {
    const Bytes b = TextMsg(text);
    m.Session.Send(to, b.data(), b.size(), true);
}

} // namespace

TEST(EnetSession, HostAndTwoClientsOverLoopback) {
    TEnetSessionOptions local;
    local.BindAddress = "127.0.0.1";
    Machine host(local), alice(local), bob(local);
    TEnetSessionOptions older = local;
    older.ProtocolVersion = NetProtocolVersion + 98;
    Machine stranger(older);
    std::vector<Machine*> machines = {&host, &alice, &bob, &stranger};
    std::vector<RawPeer*> raws;

    // Everything runs on this thread: each pass polls every live machine;
    // the host relays what clients send to others, as the game's dispatch does.
    auto pump = [&](int maxMs, const std::function<bool()>& done) {
        const auto end = Wall::now() + std::chrono::milliseconds(maxMs);
        while (Wall::now() < end) {
            for (Machine* m : machines) {
                TSessionEvent e;
                while (m->Serviced && m->Session.Poll(e)) {
                    if (m == &host && e.Kind == TSessionEvent::Message && e.To != 1)
                        host.Session.Relay(e.Player, e.To, e.Data.data(), e.Data.size());
                    m->Log.push_back(e);
                }
            }
            for (RawPeer* r : raws)
                r->Service();
            if (done && done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return done == nullptr;
    };

    // The port asked for is taken: the host takes one of the three after it.
    HeldPort taken;
    ASSERT_NE(taken.Port, 0);
    std::string error;
    host.Session.SetPlayerLimit(8);
    ASSERT_TRUE(host.Session.Host("DM_Moor Hall", "Hosty", taken.Port, error)) << error;
    const uint16_t port = host.Session.Port();
    EXPECT_GT(port, taken.Port);
    EXPECT_LE(port, taken.Port + NetExtraPorts);
    EXPECT_TRUE(host.Session.IsHost());
    EXPECT_EQ(host.Session.LocalPlayerId(), 1u);

    // Searching 127.0.0.1 from the port asked for finds it, with its name and count.
    alice.Session.Search("127.0.0.1", taken.Port);
    ASSERT_TRUE(pump(3000, [&] {
        for (const TSessionEvent& e : alice.Log)
            if (e.Kind == TSessionEvent::Found && e.Info.Port == port) return true;
        return false;
    }));
    const TFoundSession found = alice.Last(TSessionEvent::Found)->Info;
    EXPECT_EQ(found.Name, "DM_Moor Hall");
    EXPECT_EQ(found.Address, "127.0.0.1");
    EXPECT_EQ(found.Players, 1);
    EXPECT_EQ(found.Limit, 8);

    // Both join; another version is refused with a reason it can print.
    ASSERT_TRUE(alice.Session.Join(found.Address, found.Port, "Alice", error)) << error;
    ASSERT_TRUE(bob.Session.Join("127.0.0.1", port, "Bob", error)) << error;
    ASSERT_TRUE(stranger.Session.Join("127.0.0.1", port, "Olds", error)) << error;
    ASSERT_TRUE(pump(5000, [&] {
        return alice.Session.Players().size() == 3 && bob.Session.Players().size() == 3 &&
               stranger.Last(TSessionEvent::Refused) != nullptr;
    }));
    EXPECT_NE(stranger.Last(TSessionEvent::Refused)->Text.find("another version of Moorclash"),
              std::string::npos);
    EXPECT_FALSE(stranger.Session.IsOpen());
    EXPECT_EQ(stranger.Count(TSessionEvent::Joined, 0) +
                  stranger.Count(TSessionEvent::PlayerAdded, 0),
              0);

    const uint32_t a = alice.Session.LocalPlayerId(), b = bob.Session.LocalPlayerId();
    EXPECT_EQ(std::set<uint32_t>({a, b}), std::set<uint32_t>({2, 3}));
    const std::map<uint32_t, std::string> roster = {{1, "Hosty"}, {a, "Alice"}, {b, "Bob"}};
    for (Machine* m : {&host, &alice, &bob}) {
        EXPECT_EQ(m->Session.Players(), roster);
        for (const auto& [id, name] : roster)
            EXPECT_EQ(m->Count(TSessionEvent::PlayerAdded, id), 1) << "player " << id;
    }
    EXPECT_EQ(alice.Session.HostPlayerId(), 1u);
    EXPECT_EQ(alice.Count(TSessionEvent::Joined, a), 1);

    // To all and to one, from the host and from a client (relayed with its
    // sender): each arrives once, where it should, and never back home.
    Send(host, 0, "host to all");
    Send(host, b, "host to bob");
    Send(alice, 0, "alice to all");
    Send(alice, b, "alice to bob");
    Send(alice, a, "alice to herself"); // the caller's business, never the network's
    ASSERT_TRUE(pump(3000, [&] { return bob.Got("alice to bob").size() == 1; }));
    pump(200, nullptr);
    using Seen = std::multiset<std::pair<uint32_t, uint32_t>>;
    EXPECT_EQ(alice.Got("host to all"), (Seen{{1, 0}}));
    EXPECT_EQ(bob.Got("host to all"), (Seen{{1, 0}}));
    EXPECT_EQ(bob.Got("host to bob"), (Seen{{1, b}}));
    EXPECT_EQ(alice.Got("host to bob"), Seen{});
    EXPECT_EQ(host.Got("alice to all"), (Seen{{a, 0}}));
    EXPECT_EQ(bob.Got("alice to all"), (Seen{{a, 0}}));
    EXPECT_EQ(alice.Got("alice to all"), Seen{});
    EXPECT_EQ(host.Got("alice to bob"), (Seen{{a, b}}));
    EXPECT_EQ(bob.Got("alice to bob"), (Seen{{a, b}}));
    for (Machine* m : {&host, &alice, &bob})
        EXPECT_EQ(m->Got("alice to herself"), Seen{});

    // A raw peer joins by hand and looks at the wire: the status goes
    // unguaranteed on its own channel, even when larger than a datagram;
    // anything else asked to go unguaranteed goes guaranteed; a whole map fits.
    RawPeer raw(port);
    raws.push_back(&raw);
    ASSERT_TRUE(pump(
        3000, [&] { return raw.Find([](auto& e) { return e.Type == ENET_EVENT_TYPE_CONNECT; }); }));
    raw.Send(EncodeJoinRequest(NetAppGuid, NetProtocolVersion, "Raw"));
    ASSERT_TRUE(pump(3000, [&] { return host.Session.Players().size() == 4; }));
    const uint32_t r = 4; // ids are handed out in order and never reused
    EXPECT_EQ(host.Session.Players().at(r), "Raw");
    Bytes status(3000, 0x33);
    status[0] = 4, status[1] = status[2] = status[3] = 0;
    host.Session.Send(0, status.data(), status.size(), false);
    const Bytes chat = TextMsg("not lost");
    host.Session.Send(r, chat.data(), chat.size(), false);
    Bytes map(8 + 2 * 255 * 255, 0x77);
    map[0] = 1, map[1] = map[2] = map[3] = 0;
    host.Session.Send(r, map.data(), map.size(), true);
    auto data = [&](size_t size) {
        return raw.Find([size](auto& e) {
            return e.Readable && e.Frame.Type == ftData && e.Frame.Data.size() == size;
        });
    };
    auto coded = [&] {
        return raw.Find([](auto& e) { return e.Readable && e.Frame.Type == ftStatus; });
    };
    ASSERT_TRUE(pump(3000, [&] { return coded() && data(chat.size()) && data(map.size()); }));
    EXPECT_EQ(coded()->Channel, NetStatusChannel);
    EXPECT_EQ(coded()->Flags & ENET_PACKET_FLAG_RELIABLE, 0u);
    // The status comes compressed, as a key (no base yet), and rebuilds exactly.
    TStatusDecoder decoder;
    Bytes rebuilt;
    uint32_t sequence = 0;
    ASSERT_TRUE(
        decoder.Decode(coded()->Frame.Data.data(), coded()->Frame.Data.size(), rebuilt, sequence));
    EXPECT_EQ(rebuilt, status);
    EXPECT_EQ(sequence, 1u);
    EXPECT_LT(coded()->Frame.Data.size(), 100u);
    EXPECT_EQ(data(chat.size())->Channel, NetReliableChannel);
    EXPECT_NE(data(chat.size())->Flags & ENET_PACKET_FLAG_RELIABLE, 0u);
    EXPECT_EQ(data(map.size())->Frame.Data, map);
    EXPECT_EQ(data(map.size())->Frame.From, 1u);
    // An envelope that claims to come from the host is taken from the connection.
    const Bytes forged = TextMsg("forged");
    raw.Send(EncodeData(1, 0, forged.data(), forged.size()));
    ASSERT_TRUE(pump(3000, [&] { return bob.Got("forged").size() == 1; }));
    EXPECT_EQ(host.Got("forged"), (Seen{{r, 0}}));
    EXPECT_EQ(bob.Got("forged"), (Seen{{r, 0}}));

    // A client that closes is deleted everywhere at once; its id is not handed out again.
    raws.clear();
    enet_peer_disconnect_now(raw.Peer, nrLeft);
    alice.Session.Close();
    EXPECT_FALSE(alice.Session.IsOpen());
    ASSERT_TRUE(pump(2000, [&] {
        return host.Count(TSessionEvent::PlayerDeleted, a) == 1 &&
               bob.Count(TSessionEvent::PlayerDeleted, a) == 1 &&
               host.Count(TSessionEvent::PlayerDeleted, r) == 1;
    }));
    ASSERT_NE(alice.Last(TSessionEvent::Closed), nullptr);
    EXPECT_EQ(alice.Last(TSessionEvent::Closed)->Text, "Connection closed");

    // Bob vanishes (nobody services him) while a connection that never asks
    // to join sits on the host: both are gone within about three seconds.
    // Meanwhile Carol joins (by name, looked up without waiting) and gets a
    // new id, a late comer finds the game full, and a join to a port where
    // nobody answers gives up with a reason.
    bob.Serviced = false;
    const auto start = Wall::now();
    auto ms = [&] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(Wall::now() - start).count();
    };
    RawPeer silent(port);
    raws.push_back(&silent);
    Machine carol(local), nobody(local);
    machines.push_back(&carol);
    machines.push_back(&nobody);
    ASSERT_TRUE(carol.Session.Join("localhost", port, "Carol", error)) << error;
    ASSERT_TRUE(nobody.Session.Join("127.0.0.1", taken.Port, "Nobody", error)) << error;
    pump(3000, [&] { return carol.Session.IsOpen(); });
    host.Session.SetPlayerLimit(2);
    Machine late(local);
    machines.push_back(&late);
    ASSERT_TRUE(late.Session.Join("127.0.0.1", port, "Late", error)) << error;
    long deadAfter = -1, silentAfter = -1;
    pump(6000, [&] {
        if (deadAfter < 0 && host.Count(TSessionEvent::PlayerDeleted, b) == 1) deadAfter = ms();
        if (silentAfter < 0 &&
            silent.Find([](auto& e) { return e.Type == ENET_EVENT_TYPE_DISCONNECT; }))
            silentAfter = ms();
        return deadAfter >= 0 && silentAfter >= 0 &&
               nobody.Last(TSessionEvent::Refused) != nullptr &&
               late.Last(TSessionEvent::Refused) != nullptr;
    });
    RecordProperty("dead_peer_ms", std::to_string(deadAfter));
    RecordProperty("silent_peer_ms", std::to_string(silentAfter));
    EXPECT_GE(deadAfter, 1000);
    EXPECT_LE(deadAfter, 4000);
    EXPECT_GE(silentAfter, 2900);
    EXPECT_LE(silentAfter, 4000);
    const RawPeer::TEv* dropped =
        silent.Find([](auto& e) { return e.Type == ENET_EVENT_TYPE_DISCONNECT; });
    ASSERT_NE(dropped, nullptr);
    EXPECT_EQ(dropped->Data, uint32_t{nrJoinTimeout});
    ASSERT_NE(nobody.Last(TSessionEvent::Refused), nullptr);
    EXPECT_EQ(nobody.Last(TSessionEvent::Refused)->Text,
              "No answer from 127.0.0.1:" + std::to_string(taken.Port));
    EXPECT_EQ(late.Last(TSessionEvent::Refused)->Text, "The game is full");
    EXPECT_EQ(carol.Session.LocalPlayerId(), 5u);
    EXPECT_EQ(host.Session.Players(),
              (std::map<uint32_t, std::string>{{1, "Hosty"}, {5, "Carol"}}));
    EXPECT_EQ(carol.Session.Players(), host.Session.Players());

    // The host closes: Carol hears why, and takes the session over.
    host.Session.Close();
    ASSERT_TRUE(pump(3000, [&] { return carol.Count(TSessionEvent::PlayerDeleted, 1) == 1; }));
    EXPECT_EQ(carol.Last(TSessionEvent::PlayerDeleted)->Text, "The host closed the game");
    EXPECT_TRUE(carol.Session.IsHost());
    EXPECT_EQ(carol.Last(TSessionEvent::Closed), nullptr);
    EXPECT_EQ(carol.Session.LocalPlayerId(), 5u);
    EXPECT_EQ(carol.Session.HostPlayerId(), 5u);
    EXPECT_EQ(carol.Session.Players(), (std::map<uint32_t, std::string>{{5, "Carol"}}));
}

namespace {
struct RecordedQueries : DatagramOut {
    std::set<std::pair<uint32_t, uint16_t>> To;
    int Bad = 0;
    void SendTo(uint32_t address, uint16_t port, const uint8_t* data, size_t size) override {
        uint32_t hash = 0, nonce = 0;
        if (!DecodeDiscoveryQuery(data, size, hash, nonce) || size != DiscoveryQuerySize) ++Bad;
        To.insert({address, port});
    }
};
} // namespace

// The search of the local networks goes to a recorder: never a real broadcast.
TEST(EnetSession, SearchAsksTheLocalNetworksAndThisMachine) {
    RecordedQueries sent;
    TEnetSessionOptions o;
    o.Queries = &sent;
    EnetSession s(o);
    s.Search("", 0);
    std::set<std::pair<uint32_t, uint16_t>> expected;
    std::vector<uint32_t> targets = BroadcastAddresses(LocalInterfaces());
    targets.push_back(0x7F000001);
    for (uint32_t t : targets)
        for (int p = 0; p <= NetExtraPorts; ++p)
            expected.insert({t, static_cast<uint16_t>(NetDefaultPort + p)});
    EXPECT_EQ(sent.To, expected);
    EXPECT_EQ(sent.Bad, 0);

    sent.To.clear();
    s.Search("127.0.0.1", 5000);
    EXPECT_EQ(sent.To,
              (std::set<std::pair<uint32_t, uint16_t>>{
                  {0x7F000001, 5000}, {0x7F000001, 5001}, {0x7F000001, 5002}, {0x7F000001, 5003}}));
}

// Statuses of a busy match from a host to a client over 127.0.0.1: each
// arrives as the very bytes the host's sender was given, from the host and
// to the client, compressed against what the client acknowledged. A peer
// that sends the host a status of its own is dropped; acknowledgements of
// statuses never sent change nothing.
TEST(EnetSession, StatusesTravelCompressedAndArriveExactly) {
    TEnetSessionOptions local;
    local.BindAddress = "127.0.0.1";
    Machine host(local), alice(local);
    std::vector<RawPeer*> raws;
    auto pump = [&](int maxMs, const std::function<bool()>& done) {
        const auto end = Wall::now() + std::chrono::milliseconds(maxMs);
        while (Wall::now() < end) {
            for (Machine* m : {&host, &alice}) {
                TSessionEvent e;
                while (m->Session.Poll(e))
                    m->Log.push_back(e);
            }
            for (RawPeer* r : raws)
                r->Service();
            if (done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    };
    std::string error;
    ASSERT_TRUE(host.Session.Host("DM_Pressed", "Hosty", 0, error)) << error;
    const uint16_t port = host.Session.Port();
    ASSERT_TRUE(alice.Session.Join("127.0.0.1", port, "Alice", error)) << error;
    ASSERT_TRUE(pump(3000, [&] { return alice.Session.Players().size() == 2; }));
    const uint32_t a = alice.Session.LocalPlayerId();

    MovingStatus scene(9);
    std::vector<TBlock> sent;
    auto statuses = [&] {
        std::vector<TBlock> got;
        for (const TSessionEvent& e : alice.Log)
            if (e.Kind == TSessionEvent::Message && e.Player == 1 && e.To == a)
                got.push_back(e.Data);
        return got;
    };
    for (int s = 0; s < 60; ++s) {
        sent.push_back(scene.Next());
        host.Session.Send(s % 2 ? a : 0, sent.back().data(), sent.back().size(), false);
        // One status in flight at a time, as at the server rate on a quiet link.
        ASSERT_TRUE(pump(2000, [&] { return statuses().size() == sent.size(); })) << s;
    }
    EXPECT_EQ(statuses(), sent);
    pump(100, [] { return false; }); // the last acknowledgements come home
    const TStatusCounts& out = host.Session.StatusCounts();
    EXPECT_EQ(out.Sent, 60u);
    EXPECT_LE(out.Keys, 2u);
    EXPECT_LT(out.WireBytes * 4, out.RawBytes * 3);
    EXPECT_EQ(alice.Session.StatusCounts().Rebuilt, 60u);
    EXPECT_EQ(alice.Session.StatusCounts().Refused, 0u);

    // A raw machine joins: acknowledgements of statuses it never got are
    // ignored (its first status is a key all the same); a status it sends
    // the host gets it dropped.
    RawPeer raw(port);
    raws.push_back(&raw);
    ASSERT_TRUE(pump(
        3000, [&] { return raw.Find([](auto& e) { return e.Type == ENET_EVENT_TYPE_CONNECT; }); }));
    raw.Send(EncodeJoinRequest(NetAppGuid, NetProtocolVersion, "Raw"));
    ASSERT_TRUE(pump(3000, [&] { return host.Session.Players().size() == 3; }));
    raw.Send(EncodeStatusAck(1));
    raw.Send(EncodeStatusAck(0xFFFFFFFFu));
    pump(100, [] { return false; });
    const TBlock last = scene.Next();
    host.Session.Send(0, last.data(), last.size(), false);
    auto coded = [&] {
        return raw.Find([](auto& e) { return e.Readable && e.Frame.Type == ftStatus; });
    };
    ASSERT_TRUE(pump(3000, [&] { return coded() != nullptr; }));
    TStatusCodeHeader h;
    ASSERT_TRUE(ReadStatusCodeHeader(coded()->Frame.Data.data(), coded()->Frame.Data.size(), h));
    EXPECT_EQ(h.Sequence, 1u);
    EXPECT_EQ(h.Base, 0u);
    std::vector<uint8_t> own = {ftStatus};
    own.insert(own.end(), coded()->Frame.Data.begin(), coded()->Frame.Data.end());
    enet_peer_send(raw.Peer, NetStatusChannel, enet_packet_create(own.data(), own.size(), 0));
    enet_host_flush(raw.Host);
    ASSERT_TRUE(pump(3000, [&] {
        return raw.Find([](auto& e) { return e.Type == ENET_EVENT_TYPE_DISCONNECT; }) != nullptr;
    }));
    EXPECT_EQ(raw.Find([](auto& e) { return e.Type == ENET_EVENT_TYPE_DISCONNECT; })->Data,
              static_cast<uint32_t>(nrBadFrame));
    EXPECT_TRUE(alice.Session.IsOpen());
}

// A machine that left comes back to its seat (its old id) with the token of
// its join accept: after a clean leave from the same session, and after a
// crash, from a new session that reads the token file while the host still
// holds the old connection. The token works only under its own name and
// only for the time given.
TEST(EnetSession, AMachineComesBackToItsSeatWithItsToken) {
    TEnetSessionOptions o;
    o.BindAddress = "127.0.0.1";
    o.RejoinMs = 1500;
    o.TokenFile = ::testing::TempDir() + "moor_rejoin_tokens";
    std::remove(o.TokenFile.c_str());
    Machine host(o), ann(o), ben(o), ann2(o), late(o);
    std::vector<Machine*> machines = {&host, &ann, &ben};
    std::vector<RawPeer*> raws;
    auto pump = [&](int maxMs, const std::function<bool()>& done) {
        const auto end = Wall::now() + std::chrono::milliseconds(maxMs);
        while (Wall::now() < end) {
            for (Machine* m : machines) {
                TSessionEvent e;
                while (m->Serviced && m->Session.Poll(e))
                    m->Log.push_back(e);
            }
            for (RawPeer* r : raws)
                r->Service();
            if (done && done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    };
    std::string error;
    ASSERT_TRUE(host.Session.Host("DM_Back", "Hosty", 0, error)) << error;
    const uint16_t port = host.Session.Port();
    ASSERT_TRUE(ann.Session.Join("127.0.0.1", port, "Ann", error)) << error;
    ASSERT_TRUE(ben.Session.Join("127.0.0.1", port, "Ben", error)) << error;
    ASSERT_TRUE(pump(3000, [&] { return ben.Session.Players().size() == 3; }));
    const uint32_t a = ann.Session.LocalPlayerId();

    // A clean leave and a join again: the same id, announced to the others.
    ann.Session.Close();
    ASSERT_TRUE(pump(2000, [&] { return ben.Count(TSessionEvent::PlayerDeleted, a) == 1; }));
    ASSERT_TRUE(ann.Session.Join("127.0.0.1", port, "Ann", error)) << error;
    ASSERT_TRUE(pump(3000, [&] { return ben.Count(TSessionEvent::PlayerAdded, a) == 2; }));
    EXPECT_EQ(ann.Session.LocalPlayerId(), a);
    EXPECT_EQ(host.Session.Players().at(a), "Ann");

    // Ann's machine dies; started again it reads its token from the file
    // and takes its seat back before the host noticed the old connection died.
    ann.Serviced = false;
    machines.push_back(&ann2);
    ASSERT_TRUE(ann2.Session.Join("127.0.0.1", port, "Ann", error)) << error;
    ASSERT_TRUE(pump(2000, [&] { return ann2.Session.IsOpen(); }));
    EXPECT_EQ(ann2.Session.LocalPlayerId(), a);
    EXPECT_EQ(host.Count(TSessionEvent::PlayerDeleted, a), 2);
    EXPECT_EQ(host.Count(TSessionEvent::PlayerAdded, a), 3);
    EXPECT_EQ(ben.Session.Players(), host.Session.Players());

    // Ann's token (read from her file) under another name gets a new id
    // and leaves Ann where she is.
    // The file is its owner's alone.
    const auto perms = std::filesystem::status(o.TokenFile).permissions();
    EXPECT_EQ(perms & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    std::ifstream file(o.TokenFile);
    std::string line, hex;
    while (std::getline(file, line))
        hex = line.substr(line.rfind('\t') + 1);
    ASSERT_EQ(hex.size(), 32u);
    TRejoinToken token{};
    for (size_t i = 0; i < 16; ++i)
        token[i] = static_cast<uint8_t>(std::stoi(hex.substr(2 * i, 2), nullptr, 16));
    RawPeer eve(port);
    raws.push_back(&eve);
    ASSERT_TRUE(pump(
        2000, [&] { return eve.Find([](auto& e) { return e.Type == ENET_EVENT_TYPE_CONNECT; }); }));
    eve.Send(EncodeJoinRequest(NetAppGuid, NetProtocolVersion, "Eve", token));
    ASSERT_TRUE(pump(2000, [&] { return host.Session.Players().size() == 4; }));
    EXPECT_EQ(host.Session.Players().at(a), "Ann");
    EXPECT_TRUE(ann2.Session.IsOpen());

    // Gone longer than the seat is kept: a new id.
    ann2.Session.Close();
    ASSERT_TRUE(pump(2000, [&] { return host.Count(TSessionEvent::PlayerDeleted, a) == 3; }));
    pump(1600, nullptr);
    machines.push_back(&late);
    ASSERT_TRUE(late.Session.Join("127.0.0.1", port, "Ann", error)) << error;
    ASSERT_TRUE(pump(2000, [&] { return late.Session.IsOpen(); }));
    EXPECT_NE(late.Session.LocalPlayerId(), a);
    std::remove(o.TokenFile.c_str());
}

// Guaranteed messages through a line that loses 40 % each way: they all
// arrive, in order, and none waits long behind a message lost again and
// again (ENet alone backs off without end and stalls the channel).
TEST(EnetSession, GuaranteedMessagesKeepFlowingThroughHeavyLoss) {
    TEnetSessionOptions o;
    o.BindAddress = "127.0.0.1";
    Machine host(o), ann(o);
    std::string error;
    uint16_t free = 0;
    {
        HeldPort held;
        free = held.Port;
    }
    ASSERT_TRUE(host.Session.Host("DM_Lossy", "Hosty", free, error)) << error;
    LossyRelay relay(host.Session.Port(), 0.0, 20, 5);
    ASSERT_TRUE(ann.Session.Join("127.0.0.1", relay.Port(), "Ann", error)) << error;
    std::vector<std::pair<Wall::time_point, std::string>> arrived;
    auto pass = [&] {
        relay.Pump();
        TSessionEvent e;
        while (host.Session.Poll(e))
            host.Log.push_back(e);
        while (ann.Session.Poll(e)) {
            if (e.Kind == TSessionEvent::Message && e.Data.size() >= 4)
                arrived.push_back({Wall::now(), std::string(e.Data.begin() + 4, e.Data.end())});
            ann.Log.push_back(e);
        }
        relay.Pump();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    for (auto end = Wall::now() + std::chrono::seconds(3);
         Wall::now() < end && !ann.Session.IsOpen();)
        pass();
    ASSERT_TRUE(ann.Session.LocalPlayerId() != 0);

    relay.DropChance = 0.4;
    const int count = 200; // one every 50 ms for ten seconds
    for (int k = 0; k < count; ++k) {
        Send(host, 0, std::to_string(k));
        for (auto next = Wall::now() + std::chrono::milliseconds(50); Wall::now() < next;)
            pass();
    }
    relay.DropChance = 0;
    for (auto end = Wall::now() + std::chrono::seconds(10);
         Wall::now() < end && arrived.size() < static_cast<size_t>(count);)
        pass();
    const TSessionEvent* closed = ann.Last(TSessionEvent::Closed);
    ASSERT_EQ(arrived.size(), static_cast<size_t>(count))
        << "relay dropped " << relay.Dropped
        << "; Ann's session: " << (closed ? closed->Text : "open") << "; the host dropped her "
        << host.Count(TSessionEvent::PlayerDeleted, ann.Session.LocalPlayerId()) << " times";
    double longest = 0;
    for (int k = 0; k < count; ++k) {
        EXPECT_EQ(arrived[k].second, std::to_string(k));
        if (k > 0)
            longest = std::max(
                longest,
                std::chrono::duration<double>(arrived[k].first - arrived[k - 1].first).count());
    }
    std::printf("longest wait %.2f s, relay dropped %d\n", longest, relay.Dropped);
    EXPECT_LT(longest, 3.0) << "the longest wait between two messages, in seconds";
    EXPECT_EQ(host.Count(TSessionEvent::PlayerDeleted, ann.Session.LocalPlayerId()), 0);
}

// Ben's line to the host goes dead while Ann, who would take over, still
// hears the host: Ann will not take over, and Ben is told where the host
// still is instead of being left waiting.
TEST(EnetSession, AMachineThatStillHearsTheHostDoesNotTakeOver) {
    TEnetSessionOptions o;
    o.BindAddress = "127.0.0.1";
    Machine host(o), ann(o), ben(o);
    std::string error;
    ASSERT_TRUE(host.Session.Host("DM_Still", "Hosty", 0, error)) << error;
    LossyRelay relay(host.Session.Port(), 0.0, 0, 11);
    auto pump = [&](int maxMs, const std::function<bool()>& done) {
        const auto end = Wall::now() + std::chrono::milliseconds(maxMs);
        while (Wall::now() < end) {
            relay.Pump();
            for (Machine* m : {&host, &ann, &ben}) {
                TSessionEvent e;
                while (m->Session.Poll(e))
                    m->Log.push_back(e);
            }
            relay.Pump();
            if (done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    };
    ASSERT_TRUE(ann.Session.Join("127.0.0.1", host.Session.Port(), "Ann", error)) << error;
    ASSERT_TRUE(pump(3000, [&] { return ann.Session.LocalPlayerId() != 0; }));
    ASSERT_TRUE(ben.Session.Join("127.0.0.1", relay.Port(), "Ben", error)) << error;
    ASSERT_TRUE(pump(3000, [&] { return host.Session.Players().size() == 3; }));
    pump(200, [] { return false; }); // the handover lists are in

    relay.DropChance = 1.0;
    ASSERT_TRUE(pump(12000, [&] { return ben.Last(TSessionEvent::Closed) != nullptr; }));
    const std::string told = ben.Last(TSessionEvent::Closed)->Text;
    EXPECT_TRUE(told.starts_with("The machine at 127.0.0.1:")) << told;
    EXPECT_TRUE(told.ends_with(
        " still hears the host at 127.0.0.1:" + std::to_string(relay.Port()) + ": join that again"))
        << told;
    EXPECT_FALSE(ben.Session.IsOpen());
    // Ann plays on with the host, which let Ben go.
    ASSERT_TRUE(pump(3000, [&] { return ann.Session.Players().size() == 2; }));
    EXPECT_FALSE(ann.Session.IsHost());
    EXPECT_EQ(ann.Session.HostPlayerId(), 1u);
    EXPECT_EQ(ann.Count(TSessionEvent::PlayerDeleted, 1), 0);
}
