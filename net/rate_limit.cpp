#include "net/rate_limit.h"

#include <algorithm>

#include "net/messages.h"

// Tokens are counted in millionths: a rate of n thousandths a second is
// exactly n millionths a millisecond, so nothing is lost to rounding.
TTokenBucket::TTokenBucket(uint32_t perSecond1000, uint32_t burst)
    : Rate(perSecond1000), Cap(uint64_t{burst} * Whole), Tokens(Cap) {}

bool TTokenBucket::Take(uint32_t nowMs) {
    if (Started) {
        const uint64_t elapsed = static_cast<uint32_t>(nowMs - LastMs);
        Tokens = std::min(Cap, Tokens + elapsed * Rate);
    }
    Started = true;
    LastMs = nowMs;
    if (Tokens < Whole) return false;
    Tokens -= Whole;
    return true;
}

TRateKind RateKindOf(const uint8_t* message, size_t size) {
    uint32_t type = 0;
    if (!BlockType(message, size, type)) return rkOther;
    switch (type) {
    case MsgPing:
        return rkPing;
    case MsgMapReq:
        return rkMapRequest;
    case MsgText:
        return rkChat;
    case MsgAppearance:
        return rkAppearance;
    case MsgOrder:
        return rkOrder;
    default:
        return rkOther;
    }
}

const char* RateKindText(TRateKind kind) {
    switch (kind) {
    case rkPing:
        return "pings";
    case rkMapRequest:
        return "map requests";
    case rkChat:
        return "chat lines";
    case rkAppearance:
        return "appearance changes";
    case rkOrder:
        return "team orders";
    default:
        return "messages";
    }
}

TMessageLimiter::TMessageLimiter(const TRateLimits& limits) {
    for (size_t k = 0; k < Buckets.size(); ++k)
        Buckets[k] = TTokenBucket(limits.Of[k].PerSecond1000, limits.Of[k].Burst);
}

bool TMessageLimiter::Allow(const uint8_t* message, size_t size, uint32_t nowMs, TRateKind& over) {
    const TRateKind kind = RateKindOf(message, size);
    if (Buckets[kind].Take(nowMs)) return true;
    over = kind;
    return false;
}
