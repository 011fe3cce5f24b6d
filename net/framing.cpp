#include "net/framing.h"

#include "net/connect_cookie.h"

#include <algorithm>

namespace {

class TWriter {
  public:
    explicit TWriter(uint8_t type) { Bytes.push_back(type); }
    TWriter() = default;
    void U8(uint8_t v) { Bytes.push_back(v); }
    void U16(uint16_t v) {
        U8(static_cast<uint8_t>(v));
        U8(static_cast<uint8_t>(v >> 8));
    }
    void U32(uint32_t v) {
        U16(static_cast<uint16_t>(v));
        U16(static_cast<uint16_t>(v >> 16));
    }
    void Raw(const uint8_t* data, size_t size) {
        if (size > 0) Bytes.insert(Bytes.end(), data, data + size);
    }
    // One length byte, then the bytes; cut to limit.
    void Str8(const std::string& s, size_t limit) {
        const std::string cut = s.substr(0, limit);
        U8(static_cast<uint8_t>(cut.size()));
        Raw(reinterpret_cast<const uint8_t*>(cut.data()), cut.size());
    }
    std::vector<uint8_t> Bytes;
};

class TReader {
  public:
    TReader(const uint8_t* data, size_t size) : Data(data), Size(size) {}
    bool U8(uint8_t& v) {
        if (Size - Pos < 1) return false;
        v = Data[Pos++];
        return true;
    }
    bool U16(uint16_t& v) {
        if (Size - Pos < 2) return false;
        v = static_cast<uint16_t>(Data[Pos] | Data[Pos + 1] << 8);
        Pos += 2;
        return true;
    }
    bool U32(uint32_t& v) {
        if (Size - Pos < 4) return false;
        v = static_cast<uint32_t>(Data[Pos]) | static_cast<uint32_t>(Data[Pos + 1]) << 8 |
            static_cast<uint32_t>(Data[Pos + 2]) << 16 | static_cast<uint32_t>(Data[Pos + 3]) << 24;
        Pos += 4;
        return true;
    }
    bool Str8(std::string& s, size_t limit) {
        uint8_t n = 0;
        if (!U8(n) || n > limit || Size - Pos < n) return false;
        s.assign(reinterpret_cast<const char*>(Data + Pos), n);
        Pos += n;
        return true;
    }
    bool Raw(uint8_t* out, size_t n) {
        if (Size - Pos < n) return false;
        std::copy(Data + Pos, Data + Pos + n, out);
        Pos += n;
        return true;
    }
    size_t Left() const { return Size - Pos; }
    const uint8_t* Here() const { return Data + Pos; }
    bool AtEnd() const { return Pos == Size; }

  private:
    const uint8_t* Data;
    size_t Size;
    size_t Pos = 0;
};

} // namespace

uint32_t NetConnectHash(const std::array<uint8_t, 16>& guid, uint32_t version) {
    uint32_t h = 2166136261u;
    auto mix = [&h](uint8_t b) { h = (h ^ b) * 16777619u; };
    for (uint8_t b : guid)
        mix(b);
    for (int i = 0; i < 4; ++i)
        mix(static_cast<uint8_t>(version >> (8 * i)));
    return h;
}

std::string NetReasonText(uint32_t reason) {
    switch (reason) {
    case nrWrongProgram:
    case nrWrongVersion:
        return "The host runs another program or another version of Moorclash";
    case nrGameFull:
        return "The game is full";
    case nrJoinTimeout:
        return "No join request in time";
    case nrHostClosed:
        return "The host closed the game";
    case nrLeft:
        return "Left the game";
    case nrBadFrame:
        return "Unreadable data from the other machine";
    case nrFlooding:
        return "Dropped by the host: too many messages";
    case nrAddressFull:
        return "Too many connections from your address";
    case nrHostAlive:
        return "That machine still hears the host";
    default:
        return "Connection lost";
    }
}

std::string NetName(const std::string& name) {
    if (name.size() <= NetMaxNameBytes) return name;
    size_t n = NetMaxNameBytes;
    // Step back over continuation bytes so a character is never split.
    while (n > 0 && (static_cast<uint8_t>(name[n]) & 0xC0) == 0x80)
        --n;
    return name.substr(0, n);
}

namespace {

bool NoToken(const TRejoinToken& token) {
    return std::all_of(token.begin(), token.end(), [](uint8_t b) { return b == 0; });
}

// The optional token at a frame's end: none, or 16 bytes not all zero.
bool ReadToken(TReader& r, TRejoinToken& token) {
    if (r.AtEnd()) return true;
    return r.Raw(token.data(), token.size()) && !NoToken(token);
}

} // namespace

std::vector<uint8_t> EncodeJoinRequest(const std::array<uint8_t, 16>& guid, uint32_t version,
                                       const std::string& playerName, const TRejoinToken& token) {
    TWriter w(ftJoinRequest);
    w.Raw(guid.data(), guid.size());
    w.U32(version);
    w.Str8(NetName(playerName), NetMaxNameBytes);
    if (!NoToken(token)) w.Raw(token.data(), token.size());
    return w.Bytes;
}

std::vector<uint8_t> EncodeJoinAccept(uint32_t yourId, uint32_t hostId, uint32_t limit,
                                      const std::string& sessionName, const TRejoinToken& token) {
    TWriter w(ftJoinAccept);
    w.U32(yourId);
    w.U32(hostId);
    w.U32(limit);
    w.Str8(NetName(sessionName), NetMaxNameBytes);
    if (!NoToken(token)) w.Raw(token.data(), token.size());
    return w.Bytes;
}

std::vector<uint8_t> EncodeJoinRefused(uint32_t reason, const std::string& text) {
    TWriter w(ftJoinRefused);
    w.U32(reason);
    w.Str8(text.substr(0, 255), 255);
    return w.Bytes;
}

std::vector<uint8_t> EncodeRoster(const std::vector<TRosterEntry>& roster) {
    TWriter w(ftRoster);
    const size_t n = std::min(roster.size(), NetMaxRoster);
    w.U8(static_cast<uint8_t>(n));
    for (size_t i = 0; i < n; ++i) {
        w.U32(roster[i].Id);
        w.Str8(NetName(roster[i].Name), NetMaxNameBytes);
    }
    return w.Bytes;
}

std::vector<uint8_t> EncodePlayerAdded(uint32_t id, const std::string& name) {
    TWriter w(ftPlayerAdded);
    w.U32(id);
    w.Str8(NetName(name), NetMaxNameBytes);
    return w.Bytes;
}

std::vector<uint8_t> EncodePlayerDeleted(uint32_t id) {
    TWriter w(ftPlayerDeleted);
    w.U32(id);
    return w.Bytes;
}

std::vector<uint8_t> EncodeData(uint32_t from, uint32_t to, const uint8_t* data, size_t size) {
    TWriter w(ftData);
    w.Bytes.reserve(NetDataHeaderSize + size);
    w.U32(from);
    w.U32(to);
    w.Raw(data, size);
    return w.Bytes;
}

std::vector<uint8_t> EncodeStatusAck(uint32_t sequence) {
    TWriter w(ftStatusAck);
    w.U32(sequence);
    return w.Bytes;
}

std::vector<uint8_t> EncodeHandover(uint32_t nextId, const std::vector<THandoverEntry>& entries) {
    TWriter w(ftHandover);
    w.U32(nextId);
    const size_t n = std::min(entries.size(), NetMaxRoster);
    w.U8(static_cast<uint8_t>(n));
    for (size_t i = 0; i < n; ++i) {
        const THandoverEntry& e = entries[i];
        w.U32(e.Id);
        w.U32(e.Address);
        w.U16(e.Port);
        for (int k = 0; k < 8; ++k)
            w.U8(static_cast<uint8_t>(e.Check >> (8 * k)));
    }
    return w.Bytes;
}

uint64_t SeatCheck(const TRejoinToken& token, uint32_t id) {
    const uint8_t what[12] = {'M',
                              'o',
                              'o',
                              'r',
                              'S',
                              'e',
                              'a',
                              't',
                              static_cast<uint8_t>(id),
                              static_cast<uint8_t>(id >> 8),
                              static_cast<uint8_t>(id >> 16),
                              static_cast<uint8_t>(id >> 24)};
    return SipHash24(token, what, sizeof what);
}

bool DecodeFrame(const uint8_t* data, size_t size, TFrame& f) {
    if (data == nullptr || size == 0 || size > NetMaxFrameSize) return false;
    TReader r(data, size);
    uint8_t type = 0;
    r.U8(type);
    f = TFrame{};
    f.Type = static_cast<TFrameType>(type);
    switch (type) {
    case ftJoinRequest:
        if (!r.Raw(f.Guid.data(), f.Guid.size()) || !r.U32(f.Version) ||
            !r.Str8(f.Name, NetMaxNameBytes) || !ReadToken(r, f.Token))
            return false;
        break;
    case ftJoinAccept:
        if (!r.U32(f.Id) || !r.U32(f.HostId) || !r.U32(f.Limit) ||
            !r.Str8(f.Name, NetMaxNameBytes) || !ReadToken(r, f.Token))
            return false;
        // Id 0 means "nobody"; the host never hands it out.
        if (f.Id == 0 || f.HostId == 0 || f.Id == f.HostId) return false;
        break;
    case ftJoinRefused:
        if (!r.U32(f.Id) || !r.Str8(f.Name, 255)) return false;
        break;
    case ftRoster: {
        uint8_t n = 0;
        if (!r.U8(n)) return false;
        f.Roster.resize(n);
        for (TRosterEntry& e : f.Roster)
            if (!r.U32(e.Id) || e.Id == 0 || !r.Str8(e.Name, NetMaxNameBytes)) return false;
        break;
    }
    case ftPlayerAdded:
        if (!r.U32(f.Id) || f.Id == 0 || !r.Str8(f.Name, NetMaxNameBytes)) return false;
        break;
    case ftPlayerDeleted:
        if (!r.U32(f.Id) || f.Id == 0) return false;
        break;
    case ftData:
        if (!r.U32(f.From) || !r.U32(f.To) || r.Left() == 0 || r.Left() > NetMaxMessageSize)
            return false;
        f.Data.assign(r.Here(), r.Here() + r.Left());
        return true;
    case ftStatus:
        // The codec reads the rest; here only its sequence, which is never 0.
        if (r.Left() < 13) return false;
        f.Data.assign(r.Here(), r.Here() + r.Left());
        return r.U32(f.Sequence) && f.Sequence != 0;
    case ftStatusAck:
        if (!r.U32(f.Sequence) || f.Sequence == 0) return false;
        break;
    case ftHandover: {
        uint8_t n = 0;
        if (!r.U32(f.NextId) || !r.U8(n)) return false;
        f.Handover.resize(n);
        for (THandoverEntry& e : f.Handover) {
            uint8_t b[8] = {};
            if (!r.U32(e.Id) || e.Id == 0 || e.Id >= f.NextId || !r.U32(e.Address) ||
                !r.U16(e.Port) || e.Port == 0 || !r.Raw(b, 8))
                return false;
            for (int k = 0; k < 8; ++k)
                e.Check |= static_cast<uint64_t>(b[k]) << (8 * k);
        }
        break;
    }
    default:
        return false;
    }
    return r.AtEnd();
}

bool StartsWithMagic(const uint8_t* data, size_t size, const std::array<uint8_t, 8>& magic) {
    return data != nullptr && size >= magic.size() && std::equal(magic.begin(), magic.end(), data);
}

std::vector<uint8_t> EncodeDiscoveryQuery(uint32_t connectHash, uint32_t nonce) {
    TWriter w;
    w.Raw(DiscoveryQueryMagic.data(), DiscoveryQueryMagic.size());
    w.U32(connectHash);
    w.U32(nonce);
    w.Bytes.resize(DiscoveryQuerySize, 0);
    return w.Bytes;
}

bool DecodeDiscoveryQuery(const uint8_t* data, size_t size, uint32_t& connectHash,
                          uint32_t& nonce) {
    if (!StartsWithMagic(data, size, DiscoveryQueryMagic) || size < DiscoveryQuerySize)
        return false;
    TReader r(data + 8, size - 8);
    return r.U32(connectHash) && r.U32(nonce);
}

std::vector<uint8_t> EncodeDiscoveryReply(const TDiscoveryReply& reply) {
    TWriter w;
    w.Raw(DiscoveryReplyMagic.data(), DiscoveryReplyMagic.size());
    w.U32(reply.ConnectHash);
    w.U32(reply.Nonce);
    w.U16(reply.Port);
    w.U16(reply.Players);
    w.U16(reply.Limit);
    w.Str8(NetName(reply.Name), NetMaxNameBytes);
    return w.Bytes;
}

bool DecodeDiscoveryReply(const uint8_t* data, size_t size, TDiscoveryReply& reply) {
    if (!StartsWithMagic(data, size, DiscoveryReplyMagic) || size > DiscoveryMaxReplySize)
        return false;
    TReader r(data + 8, size - 8);
    reply = TDiscoveryReply{};
    return r.U32(reply.ConnectHash) && r.U32(reply.Nonce) && r.U16(reply.Port) &&
           r.U16(reply.Players) && r.U16(reply.Limit) && r.Str8(reply.Name, NetMaxNameBytes) &&
           r.AtEnd();
}

bool TReplyLimiter::Allow(uint32_t address, uint32_t nowMs) {
    auto it = Windows.find(address);
    if (it == Windows.end()) {
        // A flood of forged addresses must not grow the table without end:
        // forget the windows that are over, then, if still full, everyone.
        if (Windows.size() >= MaxTracked) {
            std::erase_if(Windows,
                          [nowMs](const auto& w) { return nowMs - w.second.StartMs >= 1000; });
            if (Windows.size() >= MaxTracked) Windows.clear();
        }
        it = Windows.emplace(address, TWindow{nowMs, 0}).first;
    }
    TWindow& w = it->second;
    if (nowMs - w.StartMs >= 1000) w = TWindow{nowMs, 0};
    if (w.Count >= Burst) return false;
    ++w.Count;
    return true;
}

std::vector<uint32_t> BroadcastAddresses(const std::vector<TNetInterface>& interfaces) {
    std::vector<uint32_t> out;
    for (const TNetInterface& i : interfaces) {
        if (!i.Up || i.Loopback || !i.Broadcast || i.Address == 0) continue;
        // A /32 or /31 has no broadcast address of its own.
        if (i.Netmask == 0xFFFFFFFFu || i.Netmask == 0xFFFFFFFEu) continue;
        const uint32_t b = i.Address | ~i.Netmask;
        if (std::find(out.begin(), out.end(), b) == out.end()) out.push_back(b);
    }
    return out;
}

std::string DottedAddress(uint32_t a) {
    return std::to_string(a >> 24) + "." + std::to_string((a >> 16) & 255) + "." +
           std::to_string((a >> 8) & 255) + "." + std::to_string(a & 255);
}
