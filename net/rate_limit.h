// How often a connection may send each kind of message before the host
// drops it. Token buckets, pure arithmetic on millisecond readings: the
// session in platform/ keeps one limiter per connection.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// Tokens trickle in at perSecond1000 / 1000 a second up to burst; each
// message takes one, so rates below one a second work.
class TTokenBucket {
  public:
    TTokenBucket() = default;
    TTokenBucket(uint32_t perSecond1000, uint32_t burst);
    // False, taking nothing, when the bucket is empty.
    bool Take(uint32_t nowMs);

  private:
    static constexpr uint64_t Whole = 1'000'000; // a token, in millionths
    uint64_t Rate = 0;                           // millionths per millisecond
    uint64_t Cap = 0;
    uint64_t Tokens = 0;
    uint32_t LastMs = 0;
    bool Started = false;
};

// The kinds a client's messages are counted by (the block's first byte).
enum TRateKind : uint8_t { rkPing, rkMapRequest, rkChat, rkAppearance, rkOrder, rkOther, rkCount };

struct TRateLimit {
    uint32_t PerSecond1000 = 0; // thousandths of a message per second
    uint32_t Burst = 0;         // messages that may come at once
};

// A player's hands and the game's own timers stay far below these; a map
// request answers 8 bytes with up to 130 KB, so it is the scarcest.
struct TRateLimits {
    std::array<TRateLimit, rkCount> Of = {{
        {50'000, 100}, // pings: a client whose clock drifts asks again as soon as
                       // its last ping is answered, up to once a status
        {500, 6},      // map requests: one per level start
        {5'000, 30},   // chat, personal messages and taunts
        {5'000, 30},   // appearance changes
        {5'000, 30},   // team orders
        {200'000, 400} // anything else (controls are key presses and releases)
    }};
};

TRateKind RateKindOf(const uint8_t* message, size_t size);
// "map requests", for the line that says why a player was dropped.
const char* RateKindText(TRateKind kind);

// One connection's buckets.
class TMessageLimiter {
  public:
    TMessageLimiter() : TMessageLimiter(TRateLimits{}) {}
    explicit TMessageLimiter(const TRateLimits& limits);
    // False when the message is over its kind's limit; over says which kind.
    bool Allow(const uint8_t* message, size_t size, uint32_t nowMs, TRateKind& over);

  private:
    std::array<TTokenBucket, rkCount> Buckets;
};
