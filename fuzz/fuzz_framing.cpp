// Random datagrams into the frame and search readers: each is refused or
// read, and what is read encodes back to the very same bytes (so nothing
// was read past its end, and no two byte strings mean the same frame).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "net/connect_cookie.h"
#include "net/framing.h"

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

std::vector<uint8_t> Encode(const TFrame& f) {
    switch (f.Type) {
    case ftJoinRequest:
        return EncodeJoinRequest(f.Guid, f.Version, f.Name, f.Token);
    case ftJoinAccept:
        return EncodeJoinAccept(f.Id, f.HostId, f.Limit, f.Name, f.Token);
    case ftJoinRefused:
        return EncodeJoinRefused(f.Id, f.Name);
    case ftRoster:
        return EncodeRoster(f.Roster);
    case ftPlayerAdded:
        return EncodePlayerAdded(f.Id, f.Name);
    case ftPlayerDeleted:
        return EncodePlayerDeleted(f.Id);
    case ftData:
        return EncodeData(f.From, f.To, f.Data.data(), f.Data.size());
    case ftStatus: {
        std::vector<uint8_t> out{ftStatus};
        out.insert(out.end(), f.Data.begin(), f.Data.end());
        return out;
    }
    case ftStatusAck:
        return EncodeStatusAck(f.Sequence);
    case ftHandover:
        return EncodeHandover(f.NextId, f.Handover);
    }
    __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> in(data, data + size);

    TFrame f;
    if (DecodeFrame(data, size, f)) {
        Check(Encode(f) == in);
        Check(f.Data.size() <= NetMaxMessageSize && f.Roster.size() <= NetMaxRoster);
    }

    uint32_t hash = 0, nonce = 0;
    if (DecodeDiscoveryQuery(data, size, hash, nonce)) {
        Check(size >= DiscoveryQuerySize);
        // The answer to any query we accept is no larger than the query.
        TDiscoveryReply r{hash, nonce, 65535, 65535, 65535, std::string(size, 'n')};
        Check(EncodeDiscoveryReply(r).size() <= size);
    }
    TDiscoveryReply reply;
    if (DecodeDiscoveryReply(data, size, reply)) Check(EncodeDiscoveryReply(reply) == in);

    // The connection cookie's datagrams: the reply is never larger than a
    // request we answer, and what is read encodes back the same.
    if (DecodeCookieRequest(data, size, hash, nonce))
        Check(EncodeCookieReply(TCookieReply{hash, nonce, 1, 1, 1}).size() <= size);
    TCookieReply cookie;
    if (DecodeCookieReply(data, size, cookie)) Check(EncodeCookieReply(cookie) == in);

    // The bytes as a list of interfaces: every broadcast address is one of theirs.
    std::vector<TNetInterface> interfaces;
    for (size_t i = 0; i + 9 <= size && interfaces.size() < 16; i += 9) {
        TNetInterface n;
        n.Address = data[i] | data[i + 1] << 8 | data[i + 2] << 16 |
                    static_cast<uint32_t>(data[i + 3]) << 24;
        n.Netmask = data[i + 4] | data[i + 5] << 8 | data[i + 6] << 16 |
                    static_cast<uint32_t>(data[i + 7]) << 24;
        n.Up = data[i + 8] & 1;
        n.Loopback = data[i + 8] & 2;
        n.Broadcast = data[i + 8] & 4;
        interfaces.push_back(n);
    }
    for (uint32_t b : BroadcastAddresses(interfaces)) {
        bool mine = false;
        for (const TNetInterface& n : interfaces)
            mine |= n.Up && n.Broadcast && !n.Loopback && (n.Address | ~n.Netmask) == b;
        Check(mine);
    }
    return 0;
}
