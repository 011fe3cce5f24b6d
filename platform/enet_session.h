// The session service on ENet: one UDP socket per machine, the host in the
// middle of a star. Polled on the game's thread and never blocks it: only a
// host name typed by the person is looked up on a short-lived thread of its
// own. The frames are net/framing.h's.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/services.h"
#include "net/connect_cookie.h"
#include "net/framing.h"
#include "net/rate_limit.h"
#include "net/status_codec.h"

struct _ENetHost;
struct _ENetPeer;
struct _ENetEvent;

// Where the search queries go. The real one is the session's own socket;
// tests hand in a recorder, so that no broadcast ever leaves the machine.
class DatagramOut {
  public:
    virtual ~DatagramOut() = default;
    // address: IPv4 in host byte order.
    virtual void SendTo(uint32_t address, uint16_t port, const uint8_t* data, size_t size) = 0;
};

// What the compressed status has cost and brought, for measurements.
struct TStatusCounts {
    uint64_t Sent = 0;      // statuses sent (one per client)
    uint64_t Keys = 0;      // of which coded against no base
    uint64_t RawBytes = 0;  // the bytes the senders were given
    uint64_t WireBytes = 0; // the frames that carried them
    uint64_t Rebuilt = 0;   // statuses rebuilt here and handed on
    uint64_t Refused = 0;   // coded statuses that could not be rebuilt
};

struct TEnetSessionOptions {
    std::string BindAddress;       // the host's address to listen on; empty: every address
    uint32_t JoinTimeoutMs = 3000; // a connection without a join request is dropped after this
    uint32_t PeerTimeoutMs = 2500; // a silent peer is dead after this (+ one 500 ms ping)
    int MaxConnections = 64;
    uint32_t ProtocolVersion = NetProtocolVersion; // another value: pretend to be another version
    DatagramOut* Queries = nullptr;                // null: the session's own socket
    int MaxPerAddress = 8; // connections a host takes from one IPv4 address at once
    TRateLimits Rates;     // what each connection may send before it is dropped
    // Where a client keeps the tokens that let it back to its seat after a
    // crash (one line per host and name); empty: kept only while this lives.
    std::string TokenFile;
    uint32_t RejoinMs = 60000; // how long a host keeps the seat of a machine that left
};

// The machine's IPv4 interfaces, as the system lists them.
std::vector<TNetInterface> LocalInterfaces();

class EnetSession : public Session {
  public:
    // With the player's folder's token file (see TEnetSessionOptions).
    EnetSession();
    explicit EnetSession(const TEnetSessionOptions& options);
    ~EnetSession() override;
    EnetSession(const EnetSession&) = delete;
    EnetSession& operator=(const EnetSession&) = delete;

    bool Host(const std::string& sessionName, const std::string& playerName, uint16_t port,
              std::string& error) override;
    bool Join(const std::string& address, uint16_t port, const std::string& playerName,
              std::string& error) override;
    void Search(const std::string& host, uint16_t port) override;
    bool IsOpen() const override;
    bool IsHost() const override { return Hosting; }
    uint32_t LocalPlayerId() const override { return LocalId; }
    uint32_t HostPlayerId() const override { return HostId; }
    void Send(uint32_t to, const uint8_t* data, size_t size, bool guaranteed) override;
    void Relay(uint32_t from, uint32_t to, const uint8_t* data, size_t size) override;
    void SetPlayerLimit(int limit) override;
    bool Poll(TSessionEvent& event) override;
    void Close() override;

    // Connections a host takes from one IPv4 address at once (from the next check on).
    void SetMaxPerAddress(int n) { Options.MaxPerAddress = n; }
    // The port a hosted session listens on (0 when not hosting).
    uint16_t Port() const { return HostPort; }
    // Every machine of the session with its player name, this one included.
    const std::map<uint32_t, std::string>& Players() const { return Roster; }
    // The bytes this machine's socket took in and sent out since the session
    // opened, as ENet counts them (its headers included): what a client
    // reports at its end and a server's upload.
    uint64_t BytesReceived() const;
    uint64_t BytesSent() const;
    // A client's round trip to its host in ms, as ENet's own pings keep it
    // (0 when not joined).
    uint32_t RoundTripMs() const;
    // The places ENet has given out (connections being made, joined or not).
    int ConnectionCount() const;

    const TStatusCounts& StatusCounts() const { return Counts; }

    // ENet's hook for datagrams that are not ENet's (the search, the cookie)
    // and for connects, which pass only with their cookie.
    int Intercept(_ENetHost* host);

  private:
    struct TLookup;
    static std::shared_ptr<TLookup> StartLookup(const std::string& name, uint16_t port);
    void Connect();
    void AskLookedUp();
    void AskAt(uint32_t address, uint16_t port);
    struct TPeer {
        uint32_t Id = 0; // 0 until its join request is accepted
        uint32_t ConnectedMs = 0;
        uint32_t HeardMs = 0; // its last frame
        bool Refused = false;
        TMessageLimiter Limits;
        TRejoinToken Token{};
    };
    // A machine that left within the last minute, whose token brings it back.
    // The host knows only the check of its token (SeatCheck). A handover
    // seat is one kept for a machine of the session this one took over.
    struct TSeat {
        uint32_t Id = 0;
        std::string Name;
        uint64_t Check = 0;
        uint32_t LeftMs = 0;
        bool Handover = false;
    };
    bool OpenNet(const std::string& bindAddress, uint16_t port, size_t peers);
    bool CreateNet(const std::string& bindAddress, uint16_t port, size_t peers);
    void CloseNet(uint32_t reason);
    void Service();
    void OnConnect(_ENetPeer* peer, uint32_t data);
    void OnReceive(_ENetPeer* peer, uint8_t channel, const uint8_t* data, size_t size);
    void OnDisconnect(_ENetPeer* peer, uint32_t data);
    void HostReceive(_ENetPeer* peer, TPeer& info, const TFrame& f);
    void ClientReceive(const TFrame& f);
    void Refuse(_ENetPeer* peer, uint32_t reason, const std::string& text);
    void SendFrame(_ENetPeer* peer, const std::vector<uint8_t>& frame, bool reliable);
    void SendToClients(const std::vector<uint8_t>& frame, uint32_t except, bool reliable);
    _ENetPeer* PeerOf(uint32_t id);
    void DropPeer(_ENetPeer* peer, uint32_t reason, const std::string& why = {});
    void AnswerQuery(_ENetHost* host, uint32_t nonce);
    // The cookie: the host's answer and gate, the client's asking.
    void AnswerCookie(_ENetHost* host, uint32_t nonce);
    int GateConnect(_ENetHost* host);
    int PeersFrom(uint32_t address, uint16_t port, bool& samePort) const;
    void TakeCookie(uint32_t address, uint16_t port, const uint8_t* data, size_t size);
    void StartCookie(uint32_t address, uint16_t port);
    void AskCookie();
    void CookieService(uint32_t now);
    bool WithinLimits(_ENetPeer* peer, TPeer& info, const TFrame& f);
    // Coming back: the host's seats, the client's tokens.
    uint32_t ComeBack(_ENetPeer* peer, const TFrame& f, bool& handover);
    void KeepSeat(const TPeer& info);
    TRejoinToken TokenFor(const std::string& target, const std::string& name);
    void RememberToken(const TRejoinToken& token);
    void TakeReply(uint32_t address, const TDiscoveryReply& reply);
    void Push(TSessionEvent e) { Events.push_back(std::move(e)); }
    uint32_t NowMs() const;
    // The status, compressed per client against what it acknowledged.
    void SendStatusTo(_ENetPeer* peer, const uint8_t* data, size_t size);
    void TakeStatus(const TFrame& f);
    void SetResendPatience(_ENetPeer* peer);
    // The change of host: the list each client keeps, the machine that
    // takes over, and the others going over to it.
    void SendHandover();
    bool TakeOver(const std::string& why);
    void BecomeHost();
    void GoOverTo(const THandoverEntry& next);
    bool SkipSuccessor();
    const THandoverEntry* NextTaker(uint32_t leavingOut) const;
    void EndHandover(uint32_t now);
    void JoinFailed(const std::string& why);
    void CapResendWaits();
    void TakeStatusAck(_ENetPeer* peer, uint32_t sequence);

    TEnetSessionOptions Options;
    uint32_t MyConnectHash = 0;
    _ENetHost* Net = nullptr;
    bool Hosting = false;
    bool Joining = false; // connecting or waiting for the accept
    bool Joined = false;
    uint32_t LocalId = 0;
    uint32_t HostId = 0;
    uint32_t JoinStartMs = 0;
    uint32_t LastServiceMs = 0;
    uint32_t NextId = 2;
    uint16_t HostPort = 0;
    int Limit = 0;
    std::string SessionName;
    std::string PlayerName;
    std::string JoinTarget; // "address:port", for the person
    _ENetPeer* Server = nullptr;
    uint32_t ServerHeardMs = 0; // the host's last frame
    // Client: who takes over if the host leaves (the host's last list), and
    // the first id the host has never given out.
    std::vector<THandoverEntry> Successors;
    uint32_t SuccessorsNextId = 0;
    TRejoinToken MyToken{}; // the token of this machine's seat
    // Client going over to the machine that took over: since when, and
    // whether that machine said it still hears the old host.
    bool Handing = false;
    bool HostAliveHeard = false;
    std::string OldHostTarget;
    // New host: the end of the wait for the others to come over.
    uint32_t HandoverUntilMs = 0;
    std::map<_ENetPeer*, TPeer> Peers;
    std::map<uint32_t, std::string> Roster;
    std::deque<TSessionEvent> Events;
    // Names being looked up for a join and for a search.
    std::shared_ptr<TLookup> JoinLookup, SearchLookup;
    // The search under way: its nonce and the hosts that have answered.
    uint32_t SearchNonce = 0;
    std::set<std::pair<uint32_t, uint16_t>> Answered;
    TReplyLimiter Limiter;
    // Host: the key of its cookies, new for every session it hosts.
    TCookieKey CookieKey{};
    // Client: the cookie asked for before the connect, and the answer.
    bool CookieWanted = false;
    bool CookieHeard = false;
    uint32_t CookieAddress = 0;
    uint16_t CookiePort = 0;
    uint32_t CookieNonce = 0;
    uint32_t CookieSinceMs = 0;
    uint32_t CookieAskedMs = 0;
    TCookieReply CookieAnswer;
    std::vector<TSeat> Seats;
    TRejoinToken JoinToken{};                   // the token this join presents (zero: none)
    std::map<std::string, TRejoinToken> Tokens; // "address:port\tname" -> token
    std::map<_ENetPeer*, TStatusEncoder> StatusOut;
    TStatusDecoder StatusIn;
    std::vector<uint8_t> StatusFrame, StatusRebuilt;
    TStatusCounts Counts;
};
