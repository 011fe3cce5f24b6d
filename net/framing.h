// Our frames below the game's messages: the join hand-shake, the roster,
// the data envelope, and the search datagrams answered on the game port.
// Pure byte work, no sockets: the session service in platform/ moves the
// frames, this file says what is in them. Every reader trusts nothing: a
// frame that is short, long, or carries a count or length past its end is
// refused whole. docs/protocol.md describes the same layouts for other
// programs.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

// The game's application identity and protocol version. A machine of
// another program or version is refused with a reason it can print.
constexpr std::array<uint8_t, 16> NetAppGuid = {0x6d, 0x6f, 0x6f, 0x72, 0xc1, 0xa5, 0x48, 0x1e,
                                                0x9b, 0x27, 0x5d, 0x30, 0xe4, 0x0a, 0x71, 0xc8};
// Version 2: the status travels compressed (net/status_codec.h), and a
// connection needs the cookie of its address (net/connect_cookie.h).
// Version 3: every client knows who takes over when the host leaves.
constexpr uint32_t NetProtocolVersion = 3;
constexpr uint16_t NetDefaultPort = 24730;
// A host whose port is taken tries this many ports after it; a search asks them too.
constexpr int NetExtraPorts = 3;

// ENet channels: everything guaranteed on one, the status alone on the other.
constexpr uint8_t NetReliableChannel = 0;
constexpr uint8_t NetStatusChannel = 1;
constexpr int NetChannelCount = 2;

// The largest legal message is a 255 x 255 map; the envelope adds its header.
constexpr size_t NetMaxMessageSize = 8 + 2 * 255 * 255;
constexpr size_t NetDataHeaderSize = 9;
constexpr size_t NetMaxFrameSize = NetMaxMessageSize + NetDataHeaderSize;
// Player and session names travel as at most this many bytes.
constexpr size_t NetMaxNameBytes = 64;
// Roster entries in one frame (more machines than vehicles cannot join).
constexpr size_t NetMaxRoster = 255;

// The 32 bits ENet carries with a connection: a hash of the application
// identity and the protocol version (FNV-1a over the 16 identity bytes and
// the version's 4 bytes, little-endian).
uint32_t NetConnectHash(const std::array<uint8_t, 16>& guid, uint32_t version);

// Why a join was refused or a connection ended; travels in the refusal and as
// ENet's disconnect data.
enum TNetReason : uint32_t {
    nrNone = 0,
    nrWrongProgram = 1, // connect data of another program or version
    nrWrongVersion = 2, // the join request's identity or version differs
    nrGameFull = 3,     // the player limit is reached
    nrJoinTimeout = 4,  // no join request within the join time
    nrHostClosed = 5,   // the host ended the session
    nrLeft = 6,         // a client closed its session
    nrBadFrame = 7,     // a frame we cannot read
    nrFlooding = 8,     // a client sent some kind of message too often
    nrAddressFull = 9,  // too many connections from one address
    nrHostAlive = 10,   // asked to take over, but this machine still hears the host
};
// The person's text for a reason (a refusal carries its own text as well).
std::string NetReasonText(uint32_t reason);

enum TFrameType : uint8_t {
    ftJoinRequest = 1,
    ftJoinAccept = 2,
    ftJoinRefused = 3,
    ftRoster = 4,
    ftPlayerAdded = 5,
    ftPlayerDeleted = 6,
    ftData = 7,
    ftStatus = 8,    // host -> one client, channel 1: a coded status (net/status_codec.h)
    ftStatusAck = 9, // client -> host, channel 1: that status was rebuilt
    ftHandover = 10, // host -> clients: who takes over if the host leaves
};

// The host's secret for one joined machine, sent to it alone in its join
// accept: with it the machine may come back to its seat. All zero: none.
using TRejoinToken = std::array<uint8_t, 16>;

struct TRosterEntry {
    uint32_t Id = 0;
    std::string Name;
    bool operator==(const TRosterEntry&) const = default;
};

// A machine that may take over the session, as the host sees it: where it
// sends from, and the check of its token (SeatCheck), which lets it prove
// itself to whichever machine takes over without anyone learning the token.
struct THandoverEntry {
    uint32_t Id = 0;
    uint32_t Address = 0; // IPv4, host byte order
    uint16_t Port = 0;
    uint64_t Check = 0;
    bool operator==(const THandoverEntry&) const = default;
};

// One decoded frame; which fields mean something depends on Type.
struct TFrame {
    TFrameType Type = ftData;
    std::array<uint8_t, 16> Guid{}; // join request
    uint32_t Version = 0;           // join request
    uint32_t Id = 0;     // accept: your id; added / deleted: the player; refused: the reason
    uint32_t HostId = 0; // accept
    uint32_t Limit = 0;  // accept: the player limit (0 none)
    uint32_t From = 0;   // data: the sender (the host's stamp; ignored by the host)
    uint32_t To = 0;     // data: 0 all, else one player id
    std::string Name;    // join request, added: player name; accept: session name; refused: text
    std::vector<TRosterEntry> Roster;
    std::vector<uint8_t> Data; // data: the message block; status: everything after the type
    TRejoinToken Token{};      // join request (coming back), accept: the seat's token
    uint32_t Sequence = 0;     // status and its acknowledgement
    uint32_t NextId = 0;       // handover: the first id never yet given out
    std::vector<THandoverEntry> Handover; // handover: in the order of joining
};

// A token travels only when it is not all zero.
std::vector<uint8_t> EncodeJoinRequest(const std::array<uint8_t, 16>& guid, uint32_t version,
                                       const std::string& playerName,
                                       const TRejoinToken& token = {});
std::vector<uint8_t> EncodeJoinAccept(uint32_t yourId, uint32_t hostId, uint32_t limit,
                                      const std::string& sessionName,
                                      const TRejoinToken& token = {});
std::vector<uint8_t> EncodeJoinRefused(uint32_t reason, const std::string& text);
std::vector<uint8_t> EncodeRoster(const std::vector<TRosterEntry>& roster);
std::vector<uint8_t> EncodePlayerAdded(uint32_t id, const std::string& name);
std::vector<uint8_t> EncodePlayerDeleted(uint32_t id);
std::vector<uint8_t> EncodeData(uint32_t from, uint32_t to, const uint8_t* data, size_t size);
std::vector<uint8_t> EncodeStatusAck(uint32_t sequence);
std::vector<uint8_t> EncodeHandover(uint32_t nextId, const std::vector<THandoverEntry>& entries);
// What a machine's token proves about its id, for the handover list.
uint64_t SeatCheck(const TRejoinToken& token, uint32_t id);

// False (and frame unspecified) for anything that is not one whole frame.
bool DecodeFrame(const uint8_t* data, size_t size, TFrame& frame);

// A name cut to NetMaxNameBytes without splitting a UTF-8 character.
std::string NetName(const std::string& name);

// ---------------------------------------------------------------------------
// Search. Plain datagrams on the game port, told apart from ENet's by the
// magic. The query is padded so that no reply is ever larger than it: a
// forged sender address cannot make a host send more than it received.

constexpr std::array<uint8_t, 8> DiscoveryQueryMagic = {'M', 'o', 'o', 'r', 'F', 'i', 'n', 'd'};
constexpr std::array<uint8_t, 8> DiscoveryReplyMagic = {'M', 'o', 'o', 'r', 'H', 'e', 'r', 'e'};
constexpr size_t DiscoveryQuerySize = 128;
constexpr size_t DiscoveryMaxReplySize = 8 + 4 + 4 + 2 + 2 + 2 + 1 + NetMaxNameBytes;

struct TDiscoveryReply {
    uint32_t ConnectHash = 0; // the host's program and version
    uint32_t Nonce = 0;       // the query's, echoed
    uint16_t Port = 0;        // the host's game port
    uint16_t Players = 0;
    uint16_t Limit = 0; // 0 no limit
    std::string Name;   // the session name
    bool operator==(const TDiscoveryReply&) const = default;
};

std::vector<uint8_t> EncodeDiscoveryQuery(uint32_t connectHash, uint32_t nonce);
// A query is answered only when it is a whole query (magic, at least the padded size).
bool DecodeDiscoveryQuery(const uint8_t* data, size_t size, uint32_t& connectHash, uint32_t& nonce);
std::vector<uint8_t> EncodeDiscoveryReply(const TDiscoveryReply& reply);
bool DecodeDiscoveryReply(const uint8_t* data, size_t size, TDiscoveryReply& reply);
bool StartsWithMagic(const uint8_t* data, size_t size, const std::array<uint8_t, 8>& magic);

// A host answers each address at most Burst times per second.
class TReplyLimiter {
  public:
    static constexpr int Burst = 5;
    static constexpr size_t MaxTracked = 1024;
    bool Allow(uint32_t address, uint32_t nowMs);

  private:
    struct TWindow {
        uint32_t StartMs = 0;
        int Count = 0;
    };
    std::unordered_map<uint32_t, TWindow> Windows;
};

// A local network interface as the system lists it (IPv4, host byte order).
struct TNetInterface {
    uint32_t Address = 0;
    uint32_t Netmask = 0;
    bool Up = false;
    bool Loopback = false;
    bool Broadcast = false; // the interface can broadcast
};
// The broadcast address of every interface that can broadcast, once each.
std::vector<uint32_t> BroadcastAddresses(const std::vector<TNetInterface>& interfaces);
// "127.0.0.1" for 0x7f000001.
std::string DottedAddress(uint32_t address);
