#include "net/connect_cookie.h"

#include <algorithm>
#include <cstring>

namespace {

uint64_t Rotl(uint64_t x, int b) {
    return (x << b) | (x >> (64 - b));
}

uint64_t Load64(const uint8_t* p) {
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

uint32_t Get32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

bool HasMagic(const uint8_t* data, size_t size, const std::array<uint8_t, 8>& magic) {
    return data != nullptr && size >= magic.size() && std::equal(magic.begin(), magic.end(), data);
}

} // namespace

uint64_t SipHash24(const TCookieKey& key, const uint8_t* data, size_t size) {
    const uint64_t k0 = Load64(key.data()), k1 = Load64(key.data() + 8);
    uint64_t v0 = 0x736f6d6570736575ull ^ k0, v1 = 0x646f72616e646f6dull ^ k1,
             v2 = 0x6c7967656e657261ull ^ k0, v3 = 0x7465646279746573ull ^ k1;
    auto round = [&] {
        v0 += v1, v1 = Rotl(v1, 13), v1 ^= v0, v0 = Rotl(v0, 32);
        v2 += v3, v3 = Rotl(v3, 16), v3 ^= v2;
        v0 += v3, v3 = Rotl(v3, 21), v3 ^= v0;
        v2 += v1, v1 = Rotl(v1, 17), v1 ^= v2, v2 = Rotl(v2, 32);
    };
    const size_t whole = size - size % 8;
    for (size_t i = 0; i < whole; i += 8) {
        const uint64_t m = Load64(data + i);
        v3 ^= m;
        round(), round();
        v0 ^= m;
    }
    uint64_t last = uint64_t{size & 0xff} << 56;
    for (size_t i = whole; i < size; ++i)
        last |= uint64_t{data[i]} << (8 * (i - whole));
    v3 ^= last;
    round(), round();
    v0 ^= last;
    v2 ^= 0xff;
    round(), round(), round(), round();
    return v0 ^ v1 ^ v2 ^ v3;
}

uint32_t ConnectCookie(const TCookieKey& key, uint32_t address, uint16_t port, uint32_t slot) {
    // On the stack: the gate computes this for every connect datagram.
    uint8_t in[10];
    for (int i = 0; i < 4; ++i) {
        in[i] = static_cast<uint8_t>(address >> (8 * i));
        in[6 + i] = static_cast<uint8_t>(slot >> (8 * i));
    }
    in[4] = static_cast<uint8_t>(port);
    in[5] = static_cast<uint8_t>(port >> 8);
    return static_cast<uint32_t>(SipHash24(key, in, sizeof in));
}

bool CookieValid(const TCookieKey& key, uint32_t address, uint16_t port, uint32_t nowMs,
                 uint32_t cookie) {
    const uint32_t slot = nowMs / CookieSlotMs;
    return cookie == ConnectCookie(key, address, port, slot) ||
           cookie == ConnectCookie(key, address, port, slot - 1);
}

std::vector<uint8_t> EncodeCookieRequest(uint32_t connectHash, uint32_t nonce) {
    std::vector<uint8_t> out(CookieRequestMagic.begin(), CookieRequestMagic.end());
    Put32(out, connectHash);
    Put32(out, nonce);
    out.resize(CookieRequestSize, 0);
    return out;
}

bool DecodeCookieRequest(const uint8_t* data, size_t size, uint32_t& connectHash, uint32_t& nonce) {
    if (size < CookieRequestSize || !HasMagic(data, size, CookieRequestMagic)) return false;
    connectHash = Get32(data + 8);
    nonce = Get32(data + 12);
    return true;
}

std::vector<uint8_t> EncodeCookieReply(const TCookieReply& reply) {
    std::vector<uint8_t> out(CookieReplyMagic.begin(), CookieReplyMagic.end());
    for (uint32_t v : {reply.ConnectHash, reply.Nonce, reply.Version, reply.Refusal, reply.Cookie})
        Put32(out, v);
    return out;
}

bool DecodeCookieReply(const uint8_t* data, size_t size, TCookieReply& reply) {
    if (size != CookieReplySize || !HasMagic(data, size, CookieReplyMagic)) return false;
    reply.ConnectHash = Get32(data + 8);
    reply.Nonce = Get32(data + 12);
    reply.Version = Get32(data + 16);
    reply.Refusal = Get32(data + 20);
    reply.Cookie = Get32(data + 24);
    return true;
}
