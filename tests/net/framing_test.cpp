// Our frames and search datagrams against bytes written out by hand, and
// the readers' refusals of everything that is not one whole frame.
#include <gtest/gtest.h>

#include "net/framing.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes Text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

TFrame Decoded(const Bytes& b) {
    TFrame f;
    EXPECT_TRUE(DecodeFrame(b.data(), b.size(), f));
    return f;
}

bool Refused(const Bytes& b) {
    TFrame f;
    return !DecodeFrame(b.data(), b.size(), f);
}

} // namespace

TEST(Framing, HandshakeAndRosterMatchTheirLayouts) {
    const Bytes guid(NetAppGuid.begin(), NetAppGuid.end());
    const Bytes request = Concat({{1}, guid, {2, 0, 0, 0}, {5}, Text("Alice")});
    EXPECT_EQ(EncodeJoinRequest(NetAppGuid, 2, "Alice"), request);
    TFrame f = Decoded(request);
    EXPECT_EQ(f.Type, ftJoinRequest);
    EXPECT_EQ(f.Guid, NetAppGuid);
    EXPECT_EQ(f.Version, 2u);
    EXPECT_EQ(f.Name, "Alice");

    const Bytes accept = Concat({{2, 3, 0, 0, 0, 1, 0, 0, 0, 8, 0, 0, 0, 6}, Text("DM_Bog")});
    EXPECT_EQ(EncodeJoinAccept(3, 1, 8, "DM_Bog"), accept);
    f = Decoded(accept);
    EXPECT_EQ(f.Id, 3u);
    EXPECT_EQ(f.HostId, 1u);
    EXPECT_EQ(f.Limit, 8u);
    EXPECT_EQ(f.Name, "DM_Bog");

    const Bytes refused = Concat({{3, 3, 0, 0, 0, 16}, Text("The game is full")});
    EXPECT_EQ(EncodeJoinRefused(nrGameFull, "The game is full"), refused);
    EXPECT_EQ(Decoded(refused).Id, uint32_t{nrGameFull});

    const Bytes roster =
        Concat({{4, 2, 1, 0, 0, 0, 2}, Text("Ho"), {0x05, 0x01, 0, 0, 0}, Text("")});
    EXPECT_EQ(EncodeRoster({{1, "Ho"}, {261, ""}}), roster);
    EXPECT_EQ(Decoded(roster).Roster, (std::vector<TRosterEntry>{{1, "Ho"}, {261, ""}}));
    EXPECT_EQ(EncodePlayerAdded(7, "Bo"), Concat({{5, 7, 0, 0, 0, 2}, Text("Bo")}));
    EXPECT_EQ(EncodePlayerDeleted(7), (Bytes{6, 7, 0, 0, 0}));

    // A 70-byte name travels as its first 64 bytes, never half a character.
    const std::string longName = std::string(63, 'a') + "\xc3\xa9" + "bcdef";
    f = Decoded(EncodePlayerAdded(9, longName));
    EXPECT_EQ(f.Name, std::string(63, 'a'));

    // Short, long, trailing, unknown, id 0, counts past the end: all refused.
    EXPECT_TRUE(Refused(Bytes(request.begin(), request.end() - 1)));
    EXPECT_TRUE(Refused(Concat({request, {0}})));
    EXPECT_TRUE(Refused({}));
    EXPECT_TRUE(Refused({8, 0, 0, 0, 0}));
    EXPECT_TRUE(Refused({6, 0, 0, 0, 0}));
    EXPECT_TRUE(Refused({4, 3, 1, 0, 0, 0, 0}));
    EXPECT_TRUE(Refused(Concat({{5, 1, 0, 0, 0, 65}, Bytes(65, 'x')})));
    EXPECT_TRUE(Refused({2, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0})); // my id is the host's

    // The handover list: 127.0.0.1:24731 as player 3, below the next id 5;
    // the check is the token's, so another token or id gives another.
    TRejoinToken token{};
    token[0] = 7;
    const uint64_t check = SeatCheck(token, 3);
    Bytes entry = {3, 0, 0, 0, 1, 0, 0, 0x7f, 0x9b, 0x60};
    for (int k = 0; k < 8; ++k)
        entry.push_back(static_cast<uint8_t>(check >> (8 * k)));
    const Bytes handover = Concat({{10, 5, 0, 0, 0, 1}, entry});
    EXPECT_EQ(EncodeHandover(5, {{3, 0x7f000001, 24731, check}}), handover);
    f = Decoded(handover);
    EXPECT_EQ(f.NextId, 5u);
    EXPECT_EQ(f.Handover, (std::vector<THandoverEntry>{{3, 0x7f000001, 24731, check}}));
    EXPECT_NE(SeatCheck(token, 4), check);
    token[15] = 1;
    EXPECT_NE(SeatCheck(token, 3), check);
    EXPECT_TRUE(Refused(Concat({{10, 3, 0, 0, 0, 1}, entry})));       // id not below the next
    EXPECT_TRUE(Refused(Concat({{10, 5, 0, 0, 0, 2}, entry})));       // one entry short
    EXPECT_TRUE(Refused(EncodeHandover(5, {{3, 0x7f000001, 0, 1}}))); // no port
}

TEST(Framing, DataEnvelopeCarriesUpToAWholeMap) {
    const Bytes msg = {11, 0, 0, 0, 'h', 'i'};
    const Bytes frame = Concat({{7, 2, 0, 0, 0, 0, 0, 0, 0}, msg});
    EXPECT_EQ(EncodeData(2, 0, msg.data(), msg.size()), frame);
    TFrame f = Decoded(frame);
    EXPECT_EQ(f.From, 2u);
    EXPECT_EQ(f.To, 0u);
    EXPECT_EQ(f.Data, msg);

    // A 255 x 255 map is the largest legal message; one byte more is not.
    Bytes map(8 + 2 * 255 * 255, 0x5a);
    const Bytes big = EncodeData(1, 3, map.data(), map.size());
    EXPECT_EQ(big.size(), NetMaxFrameSize);
    EXPECT_EQ(Decoded(big).Data.size(), map.size());
    map.push_back(0);
    const Bytes tooBig = EncodeData(1, 3, map.data(), map.size());
    EXPECT_TRUE(Refused(tooBig));
    EXPECT_TRUE(Refused({7, 1, 0, 0, 0, 0, 0, 0, 0})); // an empty message
}

TEST(Framing, ConnectDataHashesProgramAndVersion) {
    // FNV-1a over the identity and the version: the value other programs check against.
    EXPECT_EQ(NetConnectHash({}, 0), 0xb9fee455u);
    EXPECT_EQ(NetConnectHash(NetAppGuid, 1), 0xc9534a0du);
    EXPECT_EQ(NetConnectHash(NetAppGuid, 3), 0x69abc82fu);
    EXPECT_NE(NetConnectHash(NetAppGuid, 1), NetConnectHash(NetAppGuid, 2));
    std::array<uint8_t, 16> other = NetAppGuid;
    other[15] ^= 1;
    EXPECT_NE(NetConnectHash(NetAppGuid, 1), NetConnectHash(other, 1));
}

TEST(Discovery, RepliesAreNeverLargerThanTheQuery) {
    const Bytes query = EncodeDiscoveryQuery(0x01020304, 0xA0B0C0D0);
    ASSERT_EQ(query.size(), DiscoveryQuerySize);
    EXPECT_EQ(Bytes(query.begin(), query.begin() + 16),
              Concat({Text("MoorFind"), {4, 3, 2, 1, 0xD0, 0xC0, 0xB0, 0xA0}}));
    uint32_t hash = 0, nonce = 0;
    EXPECT_TRUE(DecodeDiscoveryQuery(query.data(), query.size(), hash, nonce));
    EXPECT_EQ(hash, 0x01020304u);
    EXPECT_EQ(nonce, 0xA0B0C0D0u);
    // An unpadded query gets no answer.
    EXPECT_FALSE(DecodeDiscoveryQuery(query.data(), query.size() - 1, hash, nonce));

    const Bytes reply = Concat(
        {Text("MoorHere"), {4, 3, 2, 1, 9, 0, 0, 0, 0x9A, 0x60, 3, 0, 0, 0, 6}, Text("TW_Fen")});
    TDiscoveryReply r{0x01020304, 9, 24730, 3, 0, "TW_Fen"};
    EXPECT_EQ(EncodeDiscoveryReply(r), reply);
    TDiscoveryReply back;
    EXPECT_TRUE(DecodeDiscoveryReply(reply.data(), reply.size(), back));
    EXPECT_EQ(back, r);
    EXPECT_FALSE(DecodeDiscoveryReply(reply.data(), reply.size() - 1, back));

    r.Name = std::string(300, 'n');
    EXPECT_LE(EncodeDiscoveryReply(r).size(), DiscoveryQuerySize);
    EXPECT_EQ(EncodeDiscoveryReply(r).size(), DiscoveryMaxReplySize);
}

TEST(Discovery, RepliesAreRateLimitedPerAddress) {
    TReplyLimiter limiter;
    for (int i = 0; i < TReplyLimiter::Burst; ++i)
        EXPECT_TRUE(limiter.Allow(0x7F000001, 100));
    EXPECT_FALSE(limiter.Allow(0x7F000001, 900));
    EXPECT_TRUE(limiter.Allow(0x7F000002, 900));
    EXPECT_TRUE(limiter.Allow(0x7F000001, 1100));
    // Forged addresses by the thousand: the table stays bounded and still works.
    for (uint32_t a = 0; a < 5000; ++a)
        limiter.Allow(0x7F100000 + a, 2000);
    EXPECT_TRUE(limiter.Allow(0x7F000003, 2000));
}

TEST(Discovery, BroadcastAddressesOfTheInterfacesThatHaveThem) {
    // Made-up interfaces, all numbered inside 127/8: only the flags and masks
    // matter here, and nothing is sent.
    const std::vector<TNetInterface> interfaces = {
        {0x7F000001, 0xFF000000, true, true, false},  // loopback
        {0x7F010111, 0xFFFFFF00, true, false, true},  // 127.1.1.17/24
        {0x7F020005, 0xFFFF0000, true, false, true},  // 127.2.0.5/16
        {0x7F010112, 0xFFFFFF00, true, false, true},  // same network again
        {0x7F030001, 0xFFF00000, false, false, true}, // down
        {0x7F080001, 0xFFFFFFFF, true, false, false}, // point to point
    };
    EXPECT_EQ(BroadcastAddresses(interfaces), (std::vector<uint32_t>{0x7F0101FF, 0x7F02FFFF}));
    EXPECT_EQ(DottedAddress(0x7F0101FF), "127.1.1.255");
}
