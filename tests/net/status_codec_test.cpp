// The status below the message: a host's stream to one client through loss,
// late and lost acknowledgements, damaged datagrams and a long black-out;
// and the choice that keeps a crowded status under its bound.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <map>
#include <random>
#include <set>

#include "fakes/moving_status.h"
#include "net/status_codec.h"

TEST(StatusCodec, AStreamThroughLossRebuildsEveryDeliveredStatusExactly) {
    MovingStatus scene(5);
    TStatusEncoder host;
    TStatusDecoder client;
    std::mt19937 rng(77);
    std::map<uint32_t, TBlock> sent;           // by sequence
    std::deque<std::pair<int, uint32_t>> acks; // (due at status, sequence)
    size_t delivered = 0, keys = 0, raw = 0, wire = 0, damaged = 0;
    std::vector<uint8_t> frame, out;
    for (int s = 0; s < 1500; ++s) {
        const TBlock status = scene.Next();
        frame.clear();
        host.Encode(status.data(), status.size(), frame);
        TStatusCodeHeader h;
        ASSERT_TRUE(ReadStatusCodeHeader(frame.data(), frame.size(), h));
        ASSERT_EQ(h.Sequence, static_cast<uint32_t>(s + 1));
        ASSERT_EQ(h.Size, status.size());
        sent[h.Sequence] = status;
        keys += h.Base == 0;
        raw += status.size();
        wire += frame.size();
        // From 600 to 660 every acknowledgement is lost: the host's bases
        // grow too old and it sends key statuses until one is acknowledged.
        const bool blackout = s >= 600 && s < 660;
        if (rng() % 5 == 0) continue; // a fifth of the datagrams are lost
        if (rng() % 50 == 0) {
            // Damaged on the way, past the header, or cut short: refused.
            std::vector<uint8_t> bad = frame;
            if (rng() % 2)
                bad[StatusCodeHeaderSize + rng() % (bad.size() - StatusCodeHeaderSize)] ^=
                    static_cast<uint8_t>(1 + rng() % 255);
            else
                bad.resize(rng() % bad.size());
            uint32_t sequence = 0;
            EXPECT_FALSE(client.Decode(bad.data(), bad.size(), out, sequence)) << "status " << s;
            ++damaged;
            continue;
        }
        uint32_t sequence = 0;
        if (!client.Decode(frame.data(), frame.size(), out, sequence)) continue;
        ASSERT_EQ(sequence, h.Sequence);
        ASSERT_EQ(out, status) << "status " << s << " against " << h.Base;
        ++delivered;
        // The same datagram again is no news.
        EXPECT_FALSE(client.Decode(frame.data(), frame.size(), out, sequence));
        if (!blackout && rng() % 5 != 0)
            acks.push_back({s + static_cast<int>(rng() % 4), h.Sequence});
        while (!acks.empty() && acks.front().first <= s) {
            host.Acknowledge(acks.front().second);
            acks.pop_front();
        }
        if (s == 700) {
            EXPECT_GT(keys, 20u) << "no key statuses in the black-out";
        }
    }
    // Every status that was neither lost nor damaged arrived (each one a
    // base the client kept), and few went without a base.
    EXPECT_GT(delivered, 1500u * 7 / 10);
    EXPECT_GT(damaged, 10u);
    EXPECT_LT(keys, 60u);
    // Acknowledgements no status was sent with change nothing.
    host.Acknowledge(0);
    host.Acknowledge(999999);
    EXPECT_LT(wire * 4, raw * 3);
}

TEST(StatusCodec, ACrowdedStatusStaysUnderItsBoundAndShowsEveryBulletInTurn) {
    // 16384 bullets on a 2000 px square, the client's vehicle in a corner.
    std::mt19937 rng(3);
    std::vector<TBulletStatus> all;
    for (int k = 0; k < 16384; ++k)
        all.push_back(
            {static_cast<float>(rng() % 2000), static_cast<float>(rng() % 2000), 0.5f, -0.5f});
    TStatusMsg m;
    m.Vehicles.resize(64);
    const size_t slots = EntrySlots(m);
    EXPECT_LE(20 + 4 * (6 * 64 + 4 * slots), StatusByteBound);
    EXPECT_GT(20 + 4 * (6 * 64 + 4 * (slots + 1)), StatusByteBound);
    const std::vector<TVector> me = {{10, 10}};
    uint32_t cursor = 0;
    std::set<std::pair<float, float>> seen;
    std::vector<TBulletStatus> chosen;
    const size_t rounds = 16384 / (slots - slots / 2) + 1;
    for (size_t r = 0; r < rounds; ++r) {
        ChooseNear(all, me, slots, cursor, chosen);
        ASSERT_EQ(chosen.size(), slots);
        m.Bullets = chosen;
        EXPECT_LE(EncodeStatus(m).size(), StatusByteBound);
        // The nearest half are always there.
        std::vector<float> d;
        for (const TBulletStatus& b : all)
            d.push_back((b.X - 10) * (b.X - 10) + (b.Y - 10) * (b.Y - 10));
        std::nth_element(d.begin(), d.begin() + static_cast<ptrdiff_t>(slots / 2 - 1), d.end());
        const float limit = d[slots / 2 - 1];
        size_t near = 0;
        for (const TBulletStatus& b : chosen) {
            near += (b.X - 10) * (b.X - 10) + (b.Y - 10) * (b.Y - 10) <= limit;
            seen.insert({b.X, b.Y});
        }
        EXPECT_GE(near, slots / 2);
    }
    std::set<std::pair<float, float>> every;
    for (const TBulletStatus& b : all)
        every.insert({b.X, b.Y});
    EXPECT_EQ(seen, every);
    // What fits goes whole, in its own order.
    all.resize(slots);
    ChooseNear(all, me, slots, cursor, chosen);
    EXPECT_EQ(chosen.size(), slots);
    EXPECT_TRUE(std::equal(chosen.begin(), chosen.end(), all.begin(),
                           [](auto& a, auto& b) { return a.X == b.X && a.Y == b.Y; }));
}
