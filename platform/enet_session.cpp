#include "platform/enet_session.h"

#include <arpa/inet.h>
#include <enet/enet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "world/game_folders.h"
#include "world/text_file.h"

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
// How much longer than the silence limit the change of host waits for the
// others to notice that the host has gone.
constexpr uint32_t HandoverExtraMs = 3000;
// The shortest a guaranteed command's resend wait is ever cut to.
constexpr uint32_t MinResendCapMs = 200;
// Events a single service may gather before the caller gets them.
constexpr int MaxServiceRounds = 256;
// A client asks for its cookie again this often while no answer came.
constexpr uint32_t CookieAskIntervalMs = 250;
constexpr size_t MaxSeats = 256;
constexpr size_t MaxTokenLines = 32;

bool SameToken(const TRejoinToken& a, const TRejoinToken& b) {
    uint8_t diff = 0; // every byte looked at: the time says nothing
    for (size_t i = 0; i < a.size(); ++i)
        diff |= a[i] ^ b[i];
    return diff == 0;
}

bool IsToken(const TRejoinToken& t) {
    return !SameToken(t, TRejoinToken{});
}

TRejoinToken NewToken() {
    std::random_device random;
    TRejoinToken t{};
    while (!IsToken(t))
        for (size_t i = 0; i < t.size(); i += 4) {
            const uint32_t r = random();
            std::memcpy(t.data() + i, &r, 4);
        }
    return t;
}

std::string Hex(const TRejoinToken& t) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (uint8_t b : t)
        out += {digits[b >> 4], digits[b & 15]};
    return out;
}

bool FromHex(const std::string& text, TRejoinToken& t) {
    if (text.size() != 2 * t.size()) return false;
    for (size_t i = 0; i < t.size(); ++i) {
        int v = 0;
        for (char c : text.substr(2 * i, 2)) {
            const int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
            if (d < 0) return false;
            v = v * 16 + d;
        }
        t[i] = static_cast<uint8_t>(v);
    }
    return true;
}

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

namespace {

// The program's own session keeps its rejoin tokens in the player's folder.
TEnetSessionOptions PlayerOptions() {
    TEnetSessionOptions o;
    if (!UserSettingsFolder().empty())
        o.TokenFile = FolderFile(UserSettingsFolder(), "rejoin_tokens");
    return o;
}

} // namespace

EnetSession::EnetSession() : EnetSession(PlayerOptions()) {}

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
    return Hosting || Joined || Handing;
}

bool EnetSession::OpenNet(const std::string& bindAddress, uint16_t port, size_t peers) {
    CloseNet(nrLeft);
    return CreateNet(bindAddress, port, peers);
}

bool EnetSession::CreateNet(const std::string& bindAddress, uint16_t port, size_t peers) {
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
    Handing = HostAliveHeard = false;
    HandoverUntilMs = 0;
    Successors.clear();
    SuccessorsNextId = 0;
    MyToken = {};
    LocalId = HostId = 0;
    HostPort = 0;
    NextId = 2;
    SearchNonce = 0;
    CookieWanted = CookieHeard = false;
    Seats.clear();
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
    CookieKey = NewToken();
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
    JoinToken = TokenFor(JoinTarget, PlayerName);
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
    StartCookie(lookup->Address, lookup->Port);
}

// A join's first step: ask this address for a cookie, with a new nonce.
void EnetSession::StartCookie(uint32_t address, uint16_t port) {
    CookieWanted = true;
    CookieHeard = false;
    CookieAddress = address;
    CookiePort = port;
    CookieSinceMs = NowMs();
    static std::mt19937 nonces{std::random_device{}()};
    CookieNonce = static_cast<uint32_t>(nonces());
    AskCookie();
}

void EnetSession::AskCookie() {
    CookieAskedMs = NowMs();
    SendRaw(Net->socket, ENetAddress{htonl(CookieAddress), CookiePort},
            EncodeCookieRequest(MyConnectHash, CookieNonce));
}

void EnetSession::TakeCookie(uint32_t address, uint16_t port, const uint8_t* data, size_t size) {
    TCookieReply reply;
    if (CookieWanted && !CookieHeard && address == CookieAddress && port == CookiePort &&
        DecodeCookieReply(data, size, reply) && reply.Nonce == CookieNonce) {
        CookieHeard = true;
        CookieAnswer = reply;
    }
}

// Asks again while no cookie came; with it, refuses what the host refused
// or makes the connection, whose connect data is the cookie.
void EnetSession::CookieService(uint32_t now) {
    if (!CookieHeard) {
        if (now - CookieSinceMs >=
            Options.PeerTimeoutMs + PingIntervalMs + (Handing ? HandoverExtraMs : 0)) {
            if (Handing && !HostAliveHeard && SkipSuccessor()) return;
            JoinFailed(HostAliveHeard
                           ? "The machine at " + JoinTarget + " still hears the host at " +
                                 OldHostTarget + ": join that again"
                       : Handing ? "The new host at " + JoinTarget +
                                       " cannot be reached: a change of host needs a LAN or "
                                       "forwarded ports"
                                 : "No answer from " + JoinTarget);
        } else if (now - CookieAskedMs >= CookieAskIntervalMs) {
            AskCookie();
        }
        return;
    }
    CookieWanted = false;
    const TCookieReply& r = CookieAnswer;
    std::string refusal;
    if (r.ConnectHash != MyConnectHash)
        refusal = NetReasonText(nrWrongProgram) + " (this host: Moorclash protocol " +
                  std::to_string(r.Version) + ", yours " + std::to_string(Options.ProtocolVersion) +
                  ")";
    else if (r.Refusal == nrHostAlive && Handing) {
        // It has not noticed yet that the host is gone: ask again.
        HostAliveHeard = true;
        CookieWanted = true;
        CookieHeard = false;
        return;
    } else if (r.Refusal != nrNone)
        refusal = NetReasonText(r.Refusal);
    if (!refusal.empty()) {
        JoinFailed(refusal);
        return;
    }
    ENetAddress target{htonl(CookieAddress), CookiePort};
    Server = enet_host_connect(Net, &target, NetChannelCount, r.Cookie);
    ServerHeardMs = 0;
    if (Server == nullptr) {
        JoinFailed("Could not start a connection to " + JoinTarget);
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
    if (StartsWithMagic(data, size, CookieRequestMagic)) {
        uint32_t hash = 0, nonce = 0;
        if ((Hosting || Joined) && DecodeCookieRequest(data, size, hash, nonce))
            AnswerCookie(host, nonce);
        return 1;
    }
    if (StartsWithMagic(data, size, CookieReplyMagic)) {
        TakeCookie(from, host->receivedAddress.port, data, size);
        return 1;
    }
    return Hosting ? GateConnect(host) : 0;
}

// Costs one hash and one datagram no larger than the request, and nothing
// is remembered: a flood of forged requests fills nothing.
void EnetSession::AnswerCookie(ENetHost* host, uint32_t nonce) {
    const uint32_t from = ntohl(host->receivedAddress.host);
    const uint16_t port = host->receivedAddress.port;
    TCookieReply reply;
    reply.ConnectHash = MyConnectHash;
    reply.Nonce = nonce;
    reply.Version = Options.ProtocolVersion;
    bool samePort = false;
    if (!Hosting)
        reply.Refusal = nrHostAlive; // a client asked to take over while it still hears the host
    else if (PeersFrom(from, port, samePort) >= Options.MaxPerAddress && !samePort)
        reply.Refusal = nrAddressFull;
    else
        reply.Cookie = ConnectCookie(CookieKey, from, port, NowMs() / CookieSlotMs);
    SendRaw(host->socket, host->receivedAddress, EncodeCookieReply(reply));
}

// ENet gives a place to every connect addressed to no peer yet. Such a
// datagram passes only when its first command is a connect whose data is
// the cookie of the sender's address and port, and the address holds fewer
// than MaxPerAddress places (a connect that ENet sent again for a place it
// already has passes too: ENet itself knows it). Datagrams of peers that
// have their place go to ENet unlooked at.
int EnetSession::GateConnect(ENetHost* host) {
    const uint8_t* data = host->receivedData;
    const size_t size = host->receivedDataLength;
    if (size < 2) return 0;
    const uint16_t peerField = static_cast<uint16_t>(data[0] << 8 | data[1]);
    if ((peerField & ~(ENET_PROTOCOL_HEADER_FLAG_MASK | ENET_PROTOCOL_HEADER_SESSION_MASK)) !=
        ENET_PROTOCOL_MAXIMUM_PEER_ID)
        return 0;
    if ((peerField & ENET_PROTOCOL_HEADER_FLAG_COMPRESSED) != 0) return 1;
    const size_t header = (peerField & ENET_PROTOCOL_HEADER_FLAG_SENT_TIME) != 0
                              ? sizeof(ENetProtocolHeader)
                              : offsetof(ENetProtocolHeader, sentTime);
    if (size < header + sizeof(ENetProtocolConnect)) return 1;
    const uint8_t* command = data + header;
    if ((command[0] & ENET_PROTOCOL_COMMAND_MASK) != ENET_PROTOCOL_COMMAND_CONNECT) return 1;
    uint32_t cookie = 0;
    std::memcpy(&cookie, command + offsetof(ENetProtocolConnect, data), 4);
    const uint32_t from = ntohl(host->receivedAddress.host);
    const uint16_t port = host->receivedAddress.port;
    if (!CookieValid(CookieKey, from, port, NowMs(), ntohl(cookie))) return 1;
    bool samePort = false;
    if (PeersFrom(from, port, samePort) >= Options.MaxPerAddress && !samePort) return 1;
    return 0;
}

int EnetSession::PeersFrom(uint32_t address, uint16_t port, bool& samePort) const {
    int n = 0;
    samePort = false;
    for (size_t i = 0; Net != nullptr && i < Net->peerCount; ++i) {
        const ENetPeer& p = Net->peers[i];
        if (p.state == ENET_PEER_STATE_DISCONNECTED || ntohl(p.address.host) != address) continue;
        ++n;
        samePort = samePort || p.address.port == port;
    }
    return n;
}

int EnetSession::ConnectionCount() const {
    int n = 0;
    for (size_t i = 0; Net != nullptr && i < Net->peerCount; ++i)
        n += Net->peers[i].state != ENET_PEER_STATE_DISCONNECTED;
    return n;
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
    CapResendWaits();

    if (JoinLookup && JoinLookup->Done.load(std::memory_order_acquire)) Connect();
    if (SearchLookup && SearchLookup->Done.load(std::memory_order_acquire)) AskLookedUp();
    if (Net != nullptr && CookieWanted) CookieService(NowMs());
    if (Net == nullptr) return;

    const uint32_t now = NowMs();
    // ENet notices a dead peer only when a resend falls due, which with its
    // backing off can take well over the time asked for. A live peer answers
    // a ping every 500 ms, so one silent for longer than the time is gone.
    // Silent means neither an acknowledgement (ENet's reading) nor any of our
    // frames: on a bad line the pings' answers may be lost for seconds while
    // the data still comes through.
    auto dead = [this, now](ENetPeer* peer, uint32_t heardMs) {
        return peer->state == ENET_PEER_STATE_CONNECTED && peer->lastReceiveTime != 0 &&
               static_cast<int32_t>(Net->serviceTime - peer->lastReceiveTime) >
                   static_cast<int32_t>(Options.PeerTimeoutMs) &&
               (heardMs == 0 || now - heardMs > Options.PeerTimeoutMs);
    };
    if (Hosting) {
        // Connections that never asked to join are dropped, dead ones too.
        std::vector<std::pair<ENetPeer*, uint32_t>> drop;
        for (auto& [peer, info] : Peers)
            if (info.Id == 0 && !info.Refused && now - info.ConnectedMs >= Options.JoinTimeoutMs)
                drop.push_back({peer, nrJoinTimeout});
            else if (dead(peer, info.HeardMs))
                drop.push_back({peer, nrNone});
        for (auto [peer, reason] : drop)
            DropPeer(peer, reason);
    } else if (Server != nullptr && dead(Server, ServerHeardMs)) {
        if (Joined && TakeOver("Connection to the host lost")) return;
        if (Joined) {
            Push(Told(TSessionEvent::Closed, "Connection to the host lost"));
            Server = nullptr;
            CloseNet(nrNone);
        } else {
            JoinFailed("No answer from " + JoinTarget);
        }
        return;
    } else if (Joining && now - JoinStartMs >= AcceptTimeoutMs) {
        JoinFailed("No answer from " + JoinTarget);
        return;
    }
    if (Hosting && HandoverUntilMs != 0 && static_cast<int32_t>(now - HandoverUntilMs) >= 0)
        EndHandover(now);
    enet_host_flush(Net);
}

void EnetSession::OnConnect(ENetPeer* peer, uint32_t data) {
    if (!Hosting) {
        if (peer == Server) {
            SetResendPatience(peer);
            SendFrame(peer,
                      EncodeJoinRequest(NetAppGuid, Options.ProtocolVersion, PlayerName, JoinToken),
                      true);
        }
        return;
    }
    SetResendPatience(peer);
    enet_peer_ping_interval(peer, PingIntervalMs);
    // Its connect data was its cookie, checked before ENet gave it the
    // place; the join request says which program and version it is.
    (void)data;
    TPeer& info = Peers[peer];
    info = TPeer{};
    info.ConnectedMs = NowMs();
    info.Limits = TMessageLimiter(Options.Rates);
}

void EnetSession::OnReceive(ENetPeer* peer, uint8_t channel, const uint8_t* data, size_t size) {
    if (!Hosting && peer == Server) ServerHeardMs = NowMs();
    if (Hosting) {
        auto heard = Peers.find(peer);
        if (heard != Peers.end()) heard->second.HeardMs = NowMs();
    }
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
        if (info.Id != 0 && WithinLimits(peer, info, f)) Push(Arrived(info.Id, f.To, f.Data));
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
    bool handover = false;
    const uint32_t back = ComeBack(peer, f, handover);
    if (back == 0 && Limit > 0 && Roster.size() >= static_cast<size_t>(Limit)) {
        Refuse(peer, nrGameFull, NetReasonText(nrGameFull));
        return;
    }
    info.Id = back != 0 ? back : NextId++;
    info.Token = NewToken();
    const std::string name = f.Name.empty() ? "Player " + std::to_string(info.Id) : f.Name;
    Roster[info.Id] = name;
    SendFrame(
        peer,
        EncodeJoinAccept(info.Id, HostId, static_cast<uint32_t>(Limit), SessionName, info.Token),
        true);
    std::vector<TRosterEntry> roster;
    for (const auto& [id, n] : Roster)
        roster.push_back({id, n});
    SendFrame(peer, EncodeRoster(roster), true);
    // One that came over after the change of host is known to everybody.
    if (!handover) SendToClients(EncodePlayerAdded(info.Id, name), info.Id, true);
    SendHandover();
    Push(Named(handover ? TSessionEvent::PlayerBack : TSessionEvent::PlayerAdded, info.Id, name));
}

// A connection over one of its limits is dropped; the host's console says
// who and why (the text of the player's deleted event).
bool EnetSession::WithinLimits(ENetPeer* peer, TPeer& info, const TFrame& f) {
    TRateKind over = rkOther;
    if (info.Limits.Allow(f.Data.data(), f.Data.size(), NowMs(), over)) return true;
    const auto named = Roster.find(info.Id);
    const std::string name =
        named != Roster.end() ? named->second : "Player " + std::to_string(info.Id);
    DropPeer(peer, nrFlooding, name + " was dropped: too many " + RateKindText(over));
    return false;
}

// A machine back within a minute with its token and its name takes its old
// id (the game gives the id's vehicles back). If the host still holds its
// old connection (the machine crashed and was started again before the
// connection timed out), that one is ended first.
uint32_t EnetSession::ComeBack(ENetPeer* peer, const TFrame& f, bool& handover) {
    if (!IsToken(f.Token)) return 0;
    auto named = [&f](uint32_t id) {
        return f.Name.empty() ? "Player " + std::to_string(id) : f.Name;
    };
    for (auto& [other, o] : Peers)
        if (other != peer && o.Id != 0 && SameToken(o.Token, f.Token) &&
            Roster[o.Id] == named(o.Id)) {
            DropPeer(other, nrLeft);
            break;
        }
    const uint32_t now = NowMs();
    for (auto it = Seats.begin(); it != Seats.end(); ++it) {
        if (SeatCheck(f.Token, it->Id) == it->Check && it->Name == named(it->Id) &&
            now - it->LeftMs < Options.RejoinMs && (it->Handover || Roster.count(it->Id) == 0)) {
            const uint32_t id = it->Id;
            handover = it->Handover;
            Seats.erase(it);
            return id;
        }
    }
    return 0;
}

void EnetSession::KeepSeat(const TPeer& info) {
    const auto named = Roster.find(info.Id);
    if (info.Id == 0 || named == Roster.end()) return;
    const uint32_t now = NowMs();
    std::erase_if(Seats, [&](const TSeat& s) { return now - s.LeftMs >= Options.RejoinMs; });
    if (Seats.size() >= MaxSeats) Seats.erase(Seats.begin());
    Seats.push_back({info.Id, named->second, SeatCheck(info.Token, info.Id), now, false});
}

// The token for a join to target under name: this session's own memory
// first, then the token file.
TRejoinToken EnetSession::TokenFor(const std::string& target, const std::string& name) {
    const std::string key = target + "\t" + name;
    if (auto it = Tokens.find(key); it != Tokens.end()) return it->second;
    std::ifstream in(Options.TokenFile);
    std::string line;
    TRejoinToken token{};
    while (!Options.TokenFile.empty() && std::getline(in, line)) {
        const size_t tab = line.rfind('\t');
        TRejoinToken t{};
        if (tab != std::string::npos && line.substr(0, tab) == key &&
            FromHex(line.substr(tab + 1), t))
            token = t;
    }
    return token;
}

// Kept for JoinTarget and PlayerName, in memory and in the token file
// (the latest lines, this one last).
void EnetSession::RememberToken(const TRejoinToken& token) {
    const std::string key = JoinTarget + "\t" + PlayerName;
    Tokens[key] = token;
    if (Options.TokenFile.empty()) return;
    std::vector<std::string> lines;
    {
        std::ifstream in(Options.TokenFile);
        std::string line;
        while (std::getline(in, line))
            if (line.rfind(key + "\t", 0) != 0 && !line.empty()) lines.push_back(line);
    }
    lines.push_back(key + "\t" + Hex(token));
    if (lines.size() > MaxTokenLines)
        lines.erase(lines.begin(), lines.end() - static_cast<long>(MaxTokenLines));
    // Written whole beside the old file and put in its place, so a crash
    // mid-write loses no other line; a token is only its owner's to read.
    std::string text, error;
    for (const std::string& l : lines)
        text += l + '\n';
    if (!WriteTextFile(Options.TokenFile, text, error)) return;
    std::error_code ignored;
    std::filesystem::permissions(
        Options.TokenFile, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
        std::filesystem::perm_options::replace, ignored);
}

void EnetSession::ClientReceive(const TFrame& f) {
    switch (f.Type) {
    case ftJoinAccept: {
        if (!Joining) return;
        // Come over to the machine that took over, in our own seat: nothing
        // changes for the game.
        const bool sameSeat = Handing && f.Id == LocalId;
        Joining = Handing = HostAliveHeard = false;
        Joined = true;
        LocalId = f.Id;
        HostId = f.HostId;
        Limit = static_cast<int>(std::min<uint32_t>(f.Limit, 65535));
        SessionName = f.Name;
        if (IsToken(f.Token)) {
            MyToken = f.Token;
            RememberToken(f.Token);
        }
        if (!sameSeat) Push(Named(TSessionEvent::Joined, LocalId));
        return;
    }
    case ftJoinRefused:
        if (!Joining) return;
        JoinFailed(f.Name.empty() ? NetReasonText(f.Id) : f.Name);
        return;
    case ftRoster: {
        if (!Joined) return;
        // After a change of host: those who did not come over are gone.
        std::set<uint32_t> listed;
        for (const TRosterEntry& e : f.Roster)
            listed.insert(e.Id);
        for (auto it = Roster.begin(); it != Roster.end();)
            if (it->first != LocalId && listed.count(it->first) == 0) {
                Push(Named(TSessionEvent::PlayerDeleted, it->first));
                it = Roster.erase(it);
            } else {
                ++it;
            }
        for (const TRosterEntry& e : f.Roster)
            if (Roster.emplace(e.Id, e.Name).second)
                Push(Named(TSessionEvent::PlayerAdded, e.Id, e.Name));
        return;
    }
    case ftHandover:
        if (!Joined) return;
        Successors = f.Handover;
        std::sort(Successors.begin(), Successors.end(),
                  [](const THandoverEntry& a, const THandoverEntry& b) { return a.Id < b.Id; });
        SuccessorsNextId = f.NextId;
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
        Server = nullptr; // ENet has let it go
        // Only a host that left or went silent is taken over from: one that
        // dropped this machine (flooding, a bad frame, its seat taken by a
        // comeback) still runs the session for the others.
        const bool hostLeft = data == nrNone || data == nrHostClosed;
        if (Joined && hostLeft &&
            TakeOver(data != nrNone ? NetReasonText(data) : "Connection to the host lost"))
            return;
        const bool wasJoined = Joined;
        const bool wasJoining = Joining;
        std::string why = data != nrNone ? NetReasonText(data)
                          : wasJoined    ? "Connection to the host lost"
                                         : "No answer from " + JoinTarget;
        if (wasJoining) {
            JoinFailed(why);
            return;
        }
        CloseNet(nrNone);
        if (wasJoined) Push(Told(TSessionEvent::Closed, why));
        return;
    }
    auto it = Peers.find(peer);
    if (it == Peers.end()) return;
    const uint32_t id = it->second.Id;
    KeepSeat(it->second);
    Peers.erase(it);
    StatusOut.erase(peer);
    if (id != 0 && Roster.erase(id) > 0) {
        SendToClients(EncodePlayerDeleted(id), id, true);
        SendHandover();
        Push(Named(TSessionEvent::PlayerDeleted, id));
    }
}

void EnetSession::DropPeer(ENetPeer* peer, uint32_t reason, const std::string& why) {
    auto it = Peers.find(peer);
    const uint32_t id = it != Peers.end() ? it->second.Id : 0;
    if (it != Peers.end() && reason != nrFlooding) KeepSeat(it->second);
    if (it != Peers.end()) Peers.erase(it);
    StatusOut.erase(peer);
    enet_peer_disconnect_now(peer, reason);
    if (id != 0 && Roster.erase(id) > 0) {
        SendToClients(EncodePlayerDeleted(id), id, true);
        SendHandover();
        TSessionEvent e = Named(TSessionEvent::PlayerDeleted, id);
        e.Text = why;
        Push(std::move(e));
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

// ENet doubles a guaranteed command's resend wait with every loss and never
// caps it: at 20 % loss each way a command now and then misses six times and
// waits ten seconds or more for its next try, holding up every guaranteed
// message behind it on its channel. Between services every wait is cut to a
// few round trips, at most a second; the patience above still decides when a
// peer is gone.
void EnetSession::CapResendWaits() {
    for (ENetPeer* peer = Net->peers; peer < Net->peers + Net->peerCount; ++peer) {
        if (peer->state != ENET_PEER_STATE_CONNECTED) continue;
        const uint32_t cap = std::clamp<uint32_t>(3 * peer->roundTripTime, MinResendCapMs, 1000);
        for (ENetListIterator it = enet_list_begin(&peer->sentReliableCommands);
             it != enet_list_end(&peer->sentReliableCommands); it = enet_list_next(it)) {
            auto* command = reinterpret_cast<ENetOutgoingCommand*>(it);
            if (command->roundTripTimeout > cap) command->roundTripTimeout = cap;
        }
    }
}

// ---------------------------------------------------------------------------
// The change of host. The host tells every client, whenever someone comes or
// goes, who is in the session in the order of joining and where each sends
// from. When the host's connection ends, the earliest-joined machine left
// takes the session over on its own socket and keeps a seat for each of the
// others for a few seconds; they come over to it with the tokens of their
// seats and keep their ids.

void EnetSession::SendHandover() {
    if (!Hosting) return;
    std::vector<THandoverEntry> list;
    for (const auto& [peer, info] : Peers)
        if (info.Id != 0 && !info.Refused)
            list.push_back({info.Id, ntohl(peer->address.host), peer->address.port,
                            SeatCheck(info.Token, info.Id)});
    std::sort(list.begin(), list.end(),
              [](const THandoverEntry& a, const THandoverEntry& b) { return a.Id < b.Id; });
    SendToClients(EncodeHandover(NextId, list), 0, true);
}

// The first machine of the handover list still in the session, leaving out one.
const THandoverEntry* EnetSession::NextTaker(uint32_t leavingOut) const {
    for (const THandoverEntry& e : Successors)
        if (e.Id != leavingOut && Roster.count(e.Id) > 0) return &e;
    return nullptr;
}

// The host is gone: this machine takes over or goes over to the one that
// does. False when nobody is left to take over.
bool EnetSession::TakeOver(const std::string& why) {
    const uint32_t oldHost = HostId;
    const THandoverEntry* next = NextTaker(oldHost);
    if (next == nullptr) return false;
    if (Server != nullptr) enet_peer_reset(Server);
    Server = nullptr;
    StatusIn = TStatusDecoder{};
    Roster.erase(oldHost);
    if (next->Id == LocalId)
        BecomeHost();
    else
        GoOverTo(*next);
    if (!IsOpen()) return true; // taking over failed; Closed is said
    TSessionEvent gone = Named(TSessionEvent::PlayerDeleted, oldHost);
    gone.Text = why;
    Push(std::move(gone));
    return true;
}

// The machine that was to take over never answered: it went too (crashed
// in the seconds before the host, while the host still listed it), or it
// cannot be reached from here. The next one in the list is taken, as every
// other client does, as long as this machine would not be left on its own.
bool EnetSession::SkipSuccessor() {
    const uint32_t gone = HostId;
    std::erase_if(Successors, [gone](const THandoverEntry& e) { return e.Id == gone; });
    const THandoverEntry* next = NextTaker(gone);
    if (next == nullptr || Roster.size() <= 2) return false; // only this one and the lost one
    Roster.erase(gone);
    Handing = Joining = HostAliveHeard = false;
    CookieWanted = CookieHeard = false;
    const THandoverEntry taker = *next;
    const std::string oldHost = OldHostTarget;
    if (taker.Id == LocalId) {
        BecomeHost();
    } else {
        GoOverTo(taker);
        OldHostTarget = oldHost;
    }
    if (IsOpen()) Push(Named(TSessionEvent::PlayerDeleted, gone));
    return true;
}

void EnetSession::BecomeHost() {
    ENetAddress bound{};
    if (enet_socket_get_address(Net->socket, &bound) != 0 || bound.port == 0) bound.port = 0;
    const uint16_t port = bound.port;
    enet_host_destroy(Net);
    Net = nullptr;
    if (port == 0 || !CreateNet(Options.BindAddress, port,
                                static_cast<size_t>(std::max(1, Options.MaxConnections)))) {
        const std::string why = "Could not take the game over on port " + std::to_string(port);
        CloseNet(nrNone);
        Push(Told(TSessionEvent::Closed, why));
        return;
    }
    const uint32_t now = NowMs();
    Hosting = true;
    Joined = Joining = false;
    HostId = LocalId;
    HostPort = port;
    CookieKey = NewToken();
    NextId = SuccessorsNextId;
    for (const auto& [id, name] : Roster)
        NextId = std::max(NextId, id + 1);
    Seats.clear();
    for (const THandoverEntry& e : Successors)
        if (e.Id != LocalId && Roster.count(e.Id) > 0)
            Seats.push_back({e.Id, Roster[e.Id], e.Check, now, true});
    Successors.clear();
    HandoverUntilMs = now + Options.PeerTimeoutMs + PingIntervalMs + HandoverExtraMs;
    if (HandoverUntilMs == 0) HandoverUntilMs = 1;
}

void EnetSession::GoOverTo(const THandoverEntry& next) {
    OldHostTarget = JoinTarget;
    Joined = false;
    Joining = Handing = true;
    HostAliveHeard = false;
    HostId = next.Id;
    JoinTarget = DottedAddress(next.Address) + ":" + std::to_string(next.Port);
    JoinToken = MyToken;
    JoinStartMs = NowMs();
    StartCookie(next.Address, next.Port);
}

// The wait for the others is over: whoever did not come over is gone (its
// seat stays for the usual time, for a machine that comes back later).
void EnetSession::EndHandover(uint32_t now) {
    HandoverUntilMs = 0;
    std::set<uint32_t> here = {LocalId};
    for (const auto& [peer, info] : Peers)
        if (info.Id != 0) here.insert(info.Id);
    for (TSeat& seat : Seats)
        if (seat.Handover) {
            seat.Handover = false;
            seat.LeftMs = now;
        }
    std::vector<uint32_t> gone;
    for (const auto& [id, name] : Roster)
        if (here.count(id) == 0) gone.push_back(id);
    for (uint32_t id : gone) {
        Roster.erase(id);
        SendToClients(EncodePlayerDeleted(id), id, true);
        Push(Named(TSessionEvent::PlayerDeleted, id));
    }
    if (!gone.empty()) SendHandover();
}

// A join, or the going over after a change of host, did not work out.
void EnetSession::JoinFailed(const std::string& why) {
    const bool handing = Handing;
    CloseNet(nrNone);
    Push(Told(handing ? TSessionEvent::Closed : TSessionEvent::Refused, why));
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
