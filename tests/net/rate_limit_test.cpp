// The token buckets that limit a client's messages, and the connection
// cookie: a keyed hash only the host can make, bound to one address, one
// port and a coarse time, in datagrams that are read whole or not at all.
#include <gtest/gtest.h>

#include "net/connect_cookie.h"
#include "net/messages.h"
#include "net/rate_limit.h"

TEST(RateLimit, BurstThenRateEachKindOnItsOwn) {
    TRateLimits limits;
    limits.Of[rkMapRequest] = {500, 3}; // one every two seconds, three at once
    limits.Of[rkPing] = {10'000, 2};
    TMessageLimiter l(limits);
    const uint8_t mapRequest[8] = {MsgMapReq}, ping[8] = {MsgPing}, status[8] = {MsgStatus};
    TRateKind over = rkCount;
    uint32_t t = 4'294'967'000u; // the millisecond reading wraps on the way
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(l.Allow(mapRequest, 8, t, over)) << i;
    EXPECT_FALSE(l.Allow(mapRequest, 8, t, over));
    EXPECT_EQ(over, rkMapRequest);
    EXPECT_STREQ(RateKindText(over), "map requests");
    // Other kinds have their own buckets.
    EXPECT_TRUE(l.Allow(ping, 8, t, over));
    EXPECT_TRUE(l.Allow(status, 8, t, over));
    // Polled every millisecond, half a token a second still fills: one more
    // after two seconds, not before.
    bool again = false;
    uint32_t when = 0;
    for (uint32_t ms = 1; ms <= 2500 && !again; ++ms)
        if (l.Allow(mapRequest, 8, t + ms, over)) again = true, when = ms;
    EXPECT_TRUE(again);
    EXPECT_GE(when, 1999u);
    EXPECT_LE(when, 2001u);
    // Never more than the burst, however long the wait.
    int taken = 0;
    while (l.Allow(ping, 8, t + 100'000, over))
        ++taken;
    EXPECT_EQ(taken, 2);
    // A block too short for its type counts with the rest.
    EXPECT_EQ(RateKindOf(mapRequest, 3), rkOther);
    EXPECT_EQ(RateKindOf(mapRequest, 8), rkMapRequest);
}

TEST(ConnectCookie, KeyedHashOfAddressPortAndTime) {
    // SipHash-2-4's published vectors: key 00..0f, messages 00.. of 0 and 15 bytes.
    TCookieKey key;
    uint8_t msg[15];
    for (int i = 0; i < 16; ++i)
        key[i] = static_cast<uint8_t>(i);
    for (int i = 0; i < 15; ++i)
        msg[i] = static_cast<uint8_t>(i);
    EXPECT_EQ(SipHash24(key, msg, 0), 0x726fdb47dd0e0e31ull);
    EXPECT_EQ(SipHash24(key, msg, 15), 0xa129ca6149be45e5ull);

    const uint32_t a = 0x7F000001, now = 1'234'567;
    const uint32_t c = ConnectCookie(key, a, 5000, now / CookieSlotMs);
    EXPECT_TRUE(CookieValid(key, a, 5000, now, c));
    EXPECT_TRUE(CookieValid(key, a, 5000, now + CookieSlotMs, c)); // the slot after
    EXPECT_FALSE(CookieValid(key, a, 5000, now + 2 * CookieSlotMs, c));
    EXPECT_FALSE(CookieValid(key, a, 5000, now - CookieSlotMs, c));
    EXPECT_FALSE(CookieValid(key, a + 1, 5000, now, c));
    EXPECT_FALSE(CookieValid(key, a, 5001, now, c));
    TCookieKey other = key;
    other[7] ^= 1;
    EXPECT_FALSE(CookieValid(other, a, 5000, now, c));

    // The datagrams: read back whole; the reply never larger than the request.
    const std::vector<uint8_t> ask = EncodeCookieRequest(0xc0ffee, 77);
    ASSERT_EQ(ask.size(), CookieRequestSize);
    uint32_t hash = 0, nonce = 0;
    ASSERT_TRUE(DecodeCookieRequest(ask.data(), ask.size(), hash, nonce));
    EXPECT_EQ(hash, 0xc0ffeeu);
    EXPECT_EQ(nonce, 77u);
    EXPECT_FALSE(DecodeCookieRequest(ask.data(), ask.size() - 1, hash, nonce));
    const TCookieReply r{0xc0ffee, 77, 2, 9, c};
    const std::vector<uint8_t> reply = EncodeCookieReply(r);
    ASSERT_EQ(reply.size(), CookieReplySize);
    EXPECT_LE(reply.size(), ask.size());
    TCookieReply back;
    ASSERT_TRUE(DecodeCookieReply(reply.data(), reply.size(), back));
    EXPECT_EQ(back, r);
    EXPECT_FALSE(DecodeCookieReply(reply.data(), reply.size() - 1, back));
    EXPECT_FALSE(DecodeCookieReply(ask.data(), CookieReplySize, back));
}
