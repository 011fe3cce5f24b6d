#include "platform/enet_session.h"

#include <arpa/inet.h>
#include <enet/enet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <random>
#include <thread>

namespace {

// ENet calls its intercept hook from inside enet_host_service, which only
// ever runs in Service on this thread: that call says whose host it is.
thread_local EnetSession* Servicing = nullptr;

int ENET_CALLBACK InterceptHook(ENetHost* host, ENetEvent*) {
    return Servicing ? Servicing->Intercept(host) : 0;
}

void InitialiseEnet() {
    static const bool ok = [] {
        if (enet_initialize() != 0) return false;
        std::atexit(enet_deinitialize);
        return true;
    }();
    (void)ok;
}

constexpr uint32_t PingIntervalMs = 500;
// A client that has connected but heard neither accept nor refusal gives up.
constexpr uint32_t AcceptTimeoutMs = 10000;
// How long ENet keeps resending one reliable packet before it gives the peer
// up. On a lossy line its resends back off, so a packet can go unanswered
// for seconds while the peer is plainly alive; whether a peer is gone is
// decided by its silence (PeerTimeoutMs), which a live one never reaches.
constexpr uint32_t ResendPatienceMs = 15000;
// Events a single service may gather before the caller gets them.
constexpr int MaxServiceRounds = 256;

// A dotted address never waits for a name server.
bool DottedToAddress(const std::string& text, uint32_t& address) {
    in_addr a{};
    if (inet_pton(AF_INET, text.c_str(), &a) != 1) return false;
    address = ntohl(a.s_addr);
    return true;
}

TSessionEvent Named(TSessionEvent::TKind kind, uint32_t player, const std::string& name = {}) {
    TSessionEvent e;
    e.Kind = kind;
    e.Player = player;
    e.Name = name;
    return e;
}

TSessionEvent Told(TSessionEvent::TKind kind, const std::string& text) {
    TSessionEvent e;
    e.Kind = kind;
    e.Text = text;
    return e;
}

TSessionEvent Arrived(uint32_t from, uint32_t to, const std::vector<uint8_t>& data) {
    TSessionEvent e;
    e.Kind = TSessionEvent::Message;
    e.Player = from;
    e.To = to;
    e.Data = data;
    return e;
}

void SendRaw(ENetSocket socket, const ENetAddress& to, const std::vector<uint8_t>& bytes) {
    ENetBuffer buffer;
    buffer.data = const_cast<uint8_t*>(bytes.data());
    buffer.dataLength = bytes.size();
    enet_socket_send(socket, &to, &buffer, 1);
}

uint16_t PortOrDefault(uint16_t port) {
    return port == 0 ? NetDefaultPort : port;
}

std::vector<uint16_t> PortsFrom(uint16_t port) {
    std::vector<uint16_t> ports;
    for (int k = 0; k <= NetExtraPorts && port + k <= 65535; ++k)
        ports.push_back(static_cast<uint16_t>(port + k));
    return ports;
}

} // namespace

// A name is looked up on a thread of its own, which only ever touches the
// lookup record: the name server may take seconds, the game must not wait.
struct EnetSession::TLookup {
    std::string Name;
    uint16_t Port = 0;
    std::atomic<bool> Done{false};
    bool Found = false;
    uint32_t Address = 0;
};

std::shared_ptr<EnetSession::TLookup> EnetSession::StartLookup(const std::string& name,
                                                               uint16_t port) {
    auto lookup = std::make_shared<TLookup>();
    lookup->Name = name;
    lookup->Port = port;
    if (DottedToAddress(name, lookup->Address)) {
        lookup->Found = true;
        lookup->Done = true;
        return lookup;
    }
    std::thread([lookup] {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_DGRAM;
        addrinfo* found = nullptr;
        if (getaddrinfo(lookup->Name.c_str(), nullptr, &hints, &found) == 0 && found != nullptr) {
            lookup->Address =
                ntohl(reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr.s_addr);
            lookup->Found = true;
        }
        if (found != nullptr) freeaddrinfo(found);
        lookup->Done.store(true, std::memory_order_release);
    }).detach();
    return lookup;
}

std::vector<TNetInterface> LocalInterfaces() {
    std::vector<TNetInterface> out;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return out;
    for (ifaddrs* i = list; i != nullptr; i = i->ifa_next) {
        if (i->ifa_addr == nullptr || i->ifa_addr->sa_family != AF_INET ||
            i->ifa_netmask == nullptr)
            continue;
        TNetInterface n;
        n.Address = ntohl(reinterpret_cast<sockaddr_in*>(i->ifa_addr)->sin_addr.s_addr);
        n.Netmask = ntohl(reinterpret_cast<sockaddr_in*>(i->ifa_netmask)->sin_addr.s_addr);
        n.Up = (i->ifa_flags & IFF_UP) != 0;
        n.Loopback = (i->ifa_flags & IFF_LOOPBACK) != 0;
        n.Broadcast = (i->ifa_flags & IFF_BROADCAST) != 0;
        out.push_back(n);
    }
    freeifaddrs(list);
    return out;
}

EnetSession::EnetSession() : EnetSession(TEnetSessionOptions{}) {}

EnetSession::EnetSession(const TEnetSessionOptions& options)
    : Options(options), MyConnectHash(NetConnectHash(NetAppGuid, options.ProtocolVersion)) {
    InitialiseEnet();
}

EnetSession::~EnetSession() {
    CloseNet(Hosting ? nrHostClosed : nrLeft);
}

uint32_t EnetSession::NowMs() const {
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

bool EnetSession::IsOpen() const {
    return Hosting || Joined;
}

bool EnetSession::OpenNet(const std::string& bindAddress, uint16_t port, size_t peers) {
    CloseNet(nrLeft);
    ENetAddress address{};
    address.host = ENET_HOST_ANY;
    address.port = port;
    if (!bindAddress.empty() && enet_address_set_host_ip(&address, bindAddress.c_str()) != 0)
        return false;
    Net = enet_host_create(port == 0 && bindAddress.empty() ? nullptr : &address, peers,
                           NetChannelCount, 0, 0);
    if (Net == nullptr) return false;
    // Nothing legal is larger than a whole map; ENet refuses bigger packets both ways.
    Net->maximumPacketSize = NetMaxFrameSize;
    Net->intercept = InterceptHook;
    return true;
}

// Ends every connection (telling the others why, as far as a last datagram
// carries) and forgets the session. No events: the callers decide those.
void EnetSession::CloseNet(uint32_t reason) {
    if (Net != nullptr) {
        for (auto& [peer, info] : Peers)
            enet_peer_disconnect_now(peer, reason);
        if (Server != nullptr) enet_peer_disconnect_now(Server, reason);
        enet_host_flush(Net);
        enet_host_destroy(Net);
        Net = nullptr;
    }
    Peers.clear();
    StatusOut.clear();
    StatusIn = TStatusDecoder{};
    Roster.clear();
    Server = nullptr;
    Hosting = Joining = Joined = false;
    LocalId = HostId = 0;
    HostPort = 0;
    NextId = 2;
    SearchNonce = 0;
    Answered.clear();
    JoinLookup.reset();
    SearchLookup.reset();
}

bool EnetSession::Host(const std::string& sessionName, const std::string& playerName, uint16_t port,
                       std::string& error) {
    CloseNet(IsOpen() ? (Hosting ? nrHostClosed : nrLeft) : nrNone);
    port = PortOrDefault(port);
    bool open = false;
    for (uint16_t p : PortsFrom(port)) {
        if (OpenNet(Options.BindAddress, p,
                    static_cast<size_t>(std::max(1, Options.MaxConnections)))) {
            HostPort = p;
            open = true;
            break;
        }
    }
    if (!open) {
        error = "Could not open port " + std::to_string(port) + " or the " +
                std::to_string(NetExtraPorts) + " after it (all taken or not allowed)";
        if (!Options.BindAddress.empty()) error += " on " + Options.BindAddress;
        return false;
    }
    Hosting = true;
    LocalId = HostId = 1;
    NextId = 2;
    SessionName = NetName(sessionName);
    PlayerName = NetName(playerName);
    Roster[LocalId] = PlayerName;
    Push(Named(TSessionEvent::PlayerAdded, LocalId, PlayerName));
    return true;
}

bool EnetSession::Join(const std::string& address, uint16_t port, const std::string& playerName,
                       std::string& error) {
    CloseNet(IsOpen() ? (Hosting ? nrHostClosed : nrLeft) : nrNone);
    port = PortOrDefault(port);
    if (address.empty()) {
        error = "No host given";
        return false;
    }
    if (!OpenNet("", 0, 1)) {
        error = "Could not open a network socket";
        return false;
    }
    PlayerName = NetName(playerName);
    JoinTarget = address + ":" + std::to_string(port);
    Joining = true;
    JoinStartMs = NowMs();
    JoinLookup = StartLookup(address, port);
    if (JoinLookup->Done) Connect();
    return true;
}

// The address is known: ask for the connection (the join request follows it).
void EnetSession::Connect() {
    const std::shared_ptr<TLookup> lookup = std::move(JoinLookup);
    if (!lookup->Found) {
        Push(Told(TSessionEvent::Refused, "Unknown host \"" + lookup->Name + "\""));
        CloseNet(nrNone);
        return;
    }
    ENetAddress target{htonl(lookup->Address), lookup->Port};
    Server = enet_host_connect(Net, &target, NetChannelCount, MyConnectHash);
    if (Server == nullptr) {
        Push(Told(TSessionEvent::Refused, "Could not start a connection to " + JoinTarget));
        CloseNet(nrNone);
        return;
    }
    // A host that never answers is given up after the silence limit.
    enet_peer_timeout(Server, 0, Options.PeerTimeoutMs, Options.PeerTimeoutMs);
    enet_peer_ping_interval(Server, PingIntervalMs);
}

void EnetSession::Search(const std::string& host, uint16_t port) {
    Answered.clear();
    SearchLookup.reset();
    if (Net == nullptr && !OpenNet("", 0, 1)) return;
    static std::mt19937 nonces{std::random_device{}()};
    do
        SearchNonce = static_cast<uint32_t>(nonces());
    while (SearchNonce == 0);
    port = PortOrDefault(port);
    if (host.empty()) {
        std::vector<uint32_t> targets = BroadcastAddresses(LocalInterfaces());
        targets.push_back(0x7F000001u); // a host on this machine is always found
        for (uint32_t t : targets)
            AskAt(t, port);
        return;
    }
    SearchLookup = StartLookup(host, port);
    if (SearchLookup->Done) AskLookedUp();
}

void EnetSession::AskLookedUp() {
    const std::shared_ptr<TLookup> lookup = std::move(SearchLookup);
    if (lookup->Found) AskAt(lookup->Address, lookup->Port);
}

// The query to one address, on the port and the three after it.
void EnetSession::AskAt(uint32_t address, uint16_t port) {
    const std::vector<uint8_t> query = EncodeDiscoveryQuery(MyConnectHash, SearchNonce);
    for (uint16_t p : PortsFrom(port)) {
        if (Options.Queries != nullptr)
            Options.Queries->SendTo(address, p, query.data(), query.size());
        else
            SendRaw(Net->socket, ENetAddress{htonl(address), p}, query);
    }
}

int EnetSession::Intercept(ENetHost* host) {
    const uint8_t* data = host->receivedData;
    const size_t size = host->receivedDataLength;
    const uint32_t from = ntohl(host->receivedAddress.host);
    if (StartsWithMagic(data, size, DiscoveryQueryMagic)) {
        uint32_t hash = 0, nonce = 0;
        if (Hosting && DecodeDiscoveryQuery(data, size, hash, nonce) && hash == MyConnectHash &&
            Limiter.Allow(from, NowMs()))
            AnswerQuery(host, nonce);
        return 1;
    }
    if (StartsWithMagic(data, size, DiscoveryReplyMagic)) {
        TDiscoveryReply reply;
        if (SearchNonce != 0 && DecodeDiscoveryReply(data, size, reply) &&
            reply.Nonce == SearchNonce && reply.ConnectHash == MyConnectHash)
            TakeReply(from, reply);
        return 1;
    }
    return 0;
}

void EnetSession::AnswerQuery(ENetHost* host, uint32_t nonce) {
    TDiscoveryReply reply;
    reply.ConnectHash = MyConnectHash;
    reply.Nonce = nonce;
    reply.Port = HostPort;
    reply.Players = static_cast<uint16_t>(std::min<size_t>(Roster.size(), 65535));
    reply.Limit = static_cast<uint16_t>(std::clamp(Limit, 0, 65535));
    reply.Name = SessionName;
    SendRaw(host->socket, host->receivedAddress, EncodeDiscoveryReply(reply));
}

void EnetSession::TakeReply(uint32_t address, const TDiscoveryReply& reply) {
    if (!Answered.insert({address, reply.Port}).second)
        return; // heard twice (broadcast and direct)
    TSessionEvent e;
    e.Kind = TSessionEvent::Found;
    e.Info.Name = reply.Name;
    e.Info.Address = DottedAddress(address);
    e.Info.Port = reply.Port;
    e.Info.Players = reply.Players;
    e.Info.Limit = reply.Limit;
    Push(std::move(e));
}

bool EnetSession::Poll(TSessionEvent& event) {
    // Service only when the queue is empty, and once per millisecond: a
    // flood of datagrams cannot keep the caller's loop from ending.
    if (Events.empty() && Net != nullptr) {
        const uint32_t now = NowMs();
        if (now != LastServiceMs) {
            LastServiceMs = now;
            Service();
        }
    }
    if (Events.empty()) return false;
    event = std::move(Events.front());
    Events.pop_front();
    return true;
}

void EnetSession::Service() {
    Servicing = this;
    int errors = 0;
    for (int round = 0; round < MaxServiceRounds && Net != nullptr; ++round) {
        ENetEvent e;
        const int r = enet_host_service(Net, &e, 0);
        // A stray datagram over ENet's buffer gives -1: not fatal, read on.
        if (r < 0 && ++errors <= 8) continue;
        if (r <= 0) break;
        switch (e.type) {
        case ENET_EVENT_TYPE_CONNECT:
            OnConnect(e.peer, e.data);
            break;
        case ENET_EVENT_TYPE_RECEIVE:
            OnReceive(e.peer, e.channelID, e.packet->data, e.packet->dataLength);
            enet_packet_destroy(e.packet);
            break;
        case ENET_EVENT_TYPE_DISCONNECT:
            OnDisconnect(e.peer, e.data);
            break;
        default:
            break;
        }
    }
    Servicing = nullptr;
    if (Net == nullptr) return;

    if (JoinLookup && JoinLookup->Done.load(std::memory_order_acquire)) Connect();
    if (SearchLookup && SearchLookup->Done.load(std::memory_order_acquire)) AskLookedUp();
    if (Net == nullptr) return;

    const uint32_t now = NowMs();
    // ENet notices a dead peer only when a resend falls due, which with its
    // backing off can take well over the time asked for. A live peer answers
    // a ping every 500 ms, so one silent for longer than the time is gone.
    auto dead = [this](ENetPeer* peer) {
        return peer->state == ENET_PEER_STATE_CONNECTED && peer->lastReceiveTime != 0 &&
               static_cast<int32_t>(Net->serviceTime - peer->lastReceiveTime) >
                   static_cast<int32_t>(Options.PeerTimeoutMs);
    };
    if (Hosting) {
        // Connections that never asked to join are dropped, dead ones too.
        std::vector<std::pair<ENetPeer*, uint32_t>> drop;
        for (auto& [peer, info] : Peers)
            if (info.Id == 0 && !info.Refused && now - info.ConnectedMs >= Options.JoinTimeoutMs)
                drop.push_back({peer, nrJoinTimeout});
            else if (dead(peer))
                drop.push_back({peer, nrNone});
        for (auto [peer, reason] : drop)
            DropPeer(peer, reason);
    } else if (Server != nullptr && dead(Server)) {
        Push(Told(Joined ? TSessionEvent::Closed : TSessionEvent::Refused,
                  Joined ? "Connection to the host lost" : "No answer from " + JoinTarget));
        Server = nullptr;
        CloseNet(nrNone);
        return;
    } else if (Joining && now - JoinStartMs >= AcceptTimeoutMs) {
        Push(Told(TSessionEvent::Refused, "No answer from " + JoinTarget));
        CloseNet(nrLeft);
        return;
    }
    enet_host_flush(Net);
}

void EnetSession::OnConnect(ENetPeer* peer, uint32_t data) {
    if (!Hosting) {
        if (peer == Server) {
            SetResendPatience(peer);
            SendFrame(peer, EncodeJoinRequest(NetAppGuid, Options.ProtocolVersion, PlayerName),
                      true);
        }
        return;
    }
    SetResendPatience(peer);
    enet_peer_ping_interval(peer, PingIntervalMs);
    Peers[peer] = TPeer{0, NowMs(), false};
    if (data != MyConnectHash)
        Refuse(peer, nrWrongProgram,
               NetReasonText(nrWrongProgram) + " (this host: Moorclash protocol " +
                   std::to_string(Options.ProtocolVersion) + ")");
}

void EnetSession::OnReceive(ENetPeer* peer, uint8_t channel, const uint8_t* data, size_t size) {
    TFrame f;
    const bool ok = DecodeFrame(data, size, f);
    // Only the status travels on its own channel: coded, acknowledged, or as data.
    const bool fits = ok && (channel == NetReliableChannel ||
                             (channel == NetStatusChannel &&
                              (f.Type == ftData || f.Type == (Hosting ? ftStatusAck : ftStatus))));
    if (!Hosting) {
        if (peer == Server && fits) ClientReceive(f);
        return;
    }
    auto it = Peers.find(peer);
    if (it == Peers.end() || it->second.Refused) return;
    if (!fits) {
        DropPeer(peer, nrBadFrame);
        return;
    }
    HostReceive(peer, it->second, f);
}

void EnetSession::HostReceive(ENetPeer* peer, TPeer& info, const TFrame& f) {
    if (f.Type == ftData) {
        // The sender is the connection, whatever the envelope says.
        if (info.Id != 0) Push(Arrived(info.Id, f.To, f.Data));
        return;
    }
    if (f.Type == ftStatusAck) {
        TakeStatusAck(peer, f.Sequence);
        return;
    }
    if (f.Type != ftJoinRequest || info.Id != 0) return;
    if (f.Guid != NetAppGuid || f.Version != Options.ProtocolVersion) {
        Refuse(peer, nrWrongVersion,
               NetReasonText(nrWrongVersion) + " (this host: Moorclash protocol " +
                   std::to_string(Options.ProtocolVersion) + ", yours " +
                   std::to_string(f.Version) + ")");
        return;
    }
    if (Limit > 0 && Roster.size() >= static_cast<size_t>(Limit)) {
        Refuse(peer, nrGameFull, NetReasonText(nrGameFull));
        return;
    }
    info.Id = NextId++;
    const std::string name = f.Name.empty() ? "Player " + std::to_string(info.Id) : f.Name;
    Roster[info.Id] = name;
    SendFrame(peer, EncodeJoinAccept(info.Id, HostId, static_cast<uint32_t>(Limit), SessionName),
              true);
    std::vector<TRosterEntry> roster;
    for (const auto& [id, n] : Roster)
        roster.push_back({id, n});
    SendFrame(peer, EncodeRoster(roster), true);
    SendToClients(EncodePlayerAdded(info.Id, name), info.Id, true);
    Push(Named(TSessionEvent::PlayerAdded, info.Id, name));
}

void EnetSession::ClientReceive(const TFrame& f) {
    switch (f.Type) {
    case ftJoinAccept:
        if (!Joining) return;
        Joining = false;
        Joined = true;
        LocalId = f.Id;
        HostId = f.HostId;
        Limit = static_cast<int>(std::min<uint32_t>(f.Limit, 65535));
        SessionName = f.Name;
        Push(Named(TSessionEvent::Joined, LocalId));
        return;
    case ftJoinRefused:
        if (!Joining) return;
        Push(Told(TSessionEvent::Refused, f.Name.empty() ? NetReasonText(f.Id) : f.Name));
        CloseNet(nrNone);
        return;
    case ftRoster:
        if (!Joined) return;
        for (const TRosterEntry& e : f.Roster)
            if (Roster.emplace(e.Id, e.Name).second)
                Push(Named(TSessionEvent::PlayerAdded, e.Id, e.Name));
        return;
    case ftPlayerAdded:
        if (Joined && Roster.emplace(f.Id, f.Name).second)
            Push(Named(TSessionEvent::PlayerAdded, f.Id, f.Name));
        return;
    case ftPlayerDeleted:
        if (Joined && f.Id != LocalId && Roster.erase(f.Id) > 0)
            Push(Named(TSessionEvent::PlayerDeleted, f.Id));
        return;
    case ftData:
        // Here the sender is the host's stamp on the envelope.
        if (Joined) Push(Arrived(f.From, f.To, f.Data));
        return;
    case ftStatus:
        if (Joined) TakeStatus(f);
        return;
    default:
        return;
    }
}

void EnetSession::OnDisconnect(ENetPeer* peer, uint32_t data) {
    if (!Hosting) {
        if (peer != Server) return;
        const bool wasJoined = Joined;
        const bool wasJoining = Joining;
        std::string why = data != nrNone ? NetReasonText(data)
                          : wasJoined    ? "Connection to the host lost"
                                         : "No answer from " + JoinTarget;
        Server = nullptr;
        CloseNet(nrNone);
        if (wasJoined)
            Push(Told(TSessionEvent::Closed, why));
        else if (wasJoining)
            Push(Told(TSessionEvent::Refused, why));
        return;
    }
    auto it = Peers.find(peer);
    if (it == Peers.end()) return;
    const uint32_t id = it->second.Id;
    Peers.erase(it);
    StatusOut.erase(peer);
    if (id != 0 && Roster.erase(id) > 0) {
        SendToClients(EncodePlayerDeleted(id), id, true);
        Push(Named(TSessionEvent::PlayerDeleted, id));
    }
}

void EnetSession::DropPeer(ENetPeer* peer, uint32_t reason) {
    auto it = Peers.find(peer);
    const uint32_t id = it != Peers.end() ? it->second.Id : 0;
    if (it != Peers.end()) Peers.erase(it);
    StatusOut.erase(peer);
    enet_peer_disconnect_now(peer, reason);
    if (id != 0 && Roster.erase(id) > 0) {
        SendToClients(EncodePlayerDeleted(id), id, true);
        Push(Named(TSessionEvent::PlayerDeleted, id));
    }
}

void EnetSession::Refuse(ENetPeer* peer, uint32_t reason, const std::string& text) {
    SendFrame(peer, EncodeJoinRefused(reason, text), true);
    // Later: the refusal goes out first, then the disconnect carries the reason too.
    enet_peer_disconnect_later(peer, reason);
    Peers[peer].Refused = true;
}

void EnetSession::SendFrame(ENetPeer* peer, const std::vector<uint8_t>& frame, bool reliable) {
    if (peer == nullptr) return;
    ENetPacket* packet = enet_packet_create(frame.data(), frame.size(),
                                            reliable ? ENET_PACKET_FLAG_RELIABLE
                                                     : ENET_PACKET_FLAG_UNRELIABLE_FRAGMENT);
    if (packet == nullptr) return;
    if (enet_peer_send(peer, reliable ? NetReliableChannel : NetStatusChannel, packet) < 0)
        enet_packet_destroy(packet);
}

// One packet for every joined client but one (ENet counts the references).
void EnetSession::SendToClients(const std::vector<uint8_t>& frame, uint32_t except, bool reliable) {
    ENetPacket* packet = enet_packet_create(frame.data(), frame.size(),
                                            reliable ? ENET_PACKET_FLAG_RELIABLE
                                                     : ENET_PACKET_FLAG_UNRELIABLE_FRAGMENT);
    if (packet == nullptr) return;
    for (auto& [peer, info] : Peers)
        if (info.Id != 0 && info.Id != except)
            enet_peer_send(peer, reliable ? NetReliableChannel : NetStatusChannel, packet);
    if (packet->referenceCount == 0) enet_packet_destroy(packet);
}

ENetPeer* EnetSession::PeerOf(uint32_t id) {
    for (auto& [peer, info] : Peers)
        if (info.Id == id && id != 0) return peer;
    return nullptr;
}

void EnetSession::Send(uint32_t to, const uint8_t* data, size_t size, bool guaranteed) {
    if (!IsOpen() || data == nullptr || size == 0 || size > NetMaxMessageSize || to == LocalId)
        return;
    // Only the status (type 4) may be lost; anything else asked to go
    // unguaranteed goes guaranteed all the same.
    const bool status = size >= 4 && data[0] == 4 && data[1] == 0 && data[2] == 0 && data[3] == 0;
    const bool reliable = guaranteed || !status;
    if (Hosting && !reliable) {
        if (to != 0) {
            SendStatusTo(PeerOf(to), data, size);
            return;
        }
        for (auto& [peer, info] : Peers)
            if (info.Id != 0) SendStatusTo(peer, data, size);
        return;
    }
    const std::vector<uint8_t> frame = EncodeData(LocalId, to, data, size);
    if (!Hosting)
        SendFrame(Server, frame, reliable);
    else if (to == 0)
        SendToClients(frame, 0, reliable);
    else
        SendFrame(PeerOf(to), frame, reliable);
}

void EnetSession::Relay(uint32_t from, uint32_t to, const uint8_t* data, size_t size) {
    if (!Hosting || data == nullptr || size == 0 || size > NetMaxMessageSize || to == from ||
        to == LocalId)
        return;
    const std::vector<uint8_t> frame = EncodeData(from, to, data, size);
    if (to == 0)
        SendToClients(frame, from, true);
    else
        SendFrame(PeerOf(to), frame, true);
}

void EnetSession::SetPlayerLimit(int limit) {
    Limit = std::max(0, limit);
}

void EnetSession::Close() {
    const bool wasOpen = IsOpen() || Joining;
    const uint32_t reason = Hosting ? nrHostClosed : nrLeft;
    CloseNet(reason);
    if (wasOpen) Push(Told(TSessionEvent::Closed, "Connection closed"));
}

// Each client gets the status coded against the last one it acknowledged.
void EnetSession::SendStatusTo(ENetPeer* peer, const uint8_t* data, size_t size) {
    if (peer == nullptr) return;
    StatusFrame.assign(1, ftStatus);
    StatusOut[peer].Encode(data, size, StatusFrame);
    if (StatusFrame.size() <= 1) return;
    TStatusCodeHeader h;
    ReadStatusCodeHeader(StatusFrame.data() + 1, StatusFrame.size() - 1, h);
    ++Counts.Sent;
    Counts.Keys += h.Base == 0 ? 1 : 0;
    Counts.RawBytes += size;
    Counts.WireBytes += StatusFrame.size();
    SendFrame(peer, StatusFrame, false);
}

// A client rebuilds the host's bytes, acknowledges them, and only then hands
// them on; what cannot be rebuilt is dropped without a word (the next key
// status mends it).
void EnetSession::TakeStatus(const TFrame& f) {
    uint32_t sequence = 0;
    if (!StatusIn.Decode(f.Data.data(), f.Data.size(), StatusRebuilt, sequence)) {
        ++Counts.Refused;
        return;
    }
    ++Counts.Rebuilt;
    SendFrame(Server, EncodeStatusAck(sequence), false);
    Push(Arrived(HostId, LocalId, StatusRebuilt));
}

void EnetSession::TakeStatusAck(ENetPeer* peer, uint32_t sequence) {
    auto it = StatusOut.find(peer);
    if (it != StatusOut.end()) it->second.Acknowledge(sequence);
}

void EnetSession::SetResendPatience(_ENetPeer* peer) {
    const uint32_t patience = std::max(Options.PeerTimeoutMs, ResendPatienceMs);
    enet_peer_timeout(peer, 0, patience, patience);
}

uint64_t EnetSession::BytesReceived() const {
    return Net ? Net->totalReceivedData : 0;
}

uint64_t EnetSession::BytesSent() const {
    return Net ? Net->totalSentData : 0;
}

uint32_t EnetSession::RoundTripMs() const {
    return Net && Server && !Hosting ? Server->roundTripTime : 0;
}
