// The connection cookie: before ENet gives a connection a place, the other
// side proves that it receives datagrams at the address it sends from. It
// asks for a cookie with a plain datagram; the host answers with a keyed
// hash of that address, its port and a coarse time, remembering nothing;
// the ENet connect then carries the cookie as its connect data, and the
// host lets through only connects whose cookie it computes again. Forged
// sender addresses never see a cookie, so they cannot take a place.
// Pure byte work; docs/protocol.md describes the same for other programs.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

constexpr std::array<uint8_t, 8> CookieRequestMagic = {'M', 'o', 'o', 'r', 'H', 'e', 'l', 'o'};
constexpr std::array<uint8_t, 8> CookieReplyMagic = {'M', 'o', 'o', 'r', 'C', 'o', 'o', 'k'};
// The request is padded so that the reply is never larger than it.
constexpr size_t CookieRequestSize = 32;
constexpr size_t CookieReplySize = 28;
// A cookie is good in the time slot it was made in and the one after.
constexpr uint32_t CookieSlotMs = 10000;

using TCookieKey = std::array<uint8_t, 16>;

// SipHash-2-4 of the bytes under the key.
uint64_t SipHash24(const TCookieKey& key, const uint8_t* data, size_t size);
// The cookie of an IPv4 address and port (host byte order) in a time slot.
uint32_t ConnectCookie(const TCookieKey& key, uint32_t address, uint16_t port, uint32_t slot);
// Whether cookie is the address's in slot now or the one before it.
bool CookieValid(const TCookieKey& key, uint32_t address, uint16_t port, uint32_t nowMs,
                 uint32_t cookie);

struct TCookieReply {
    uint32_t ConnectHash = 0; // the host's program and version
    uint32_t Nonce = 0;       // the request's, echoed
    uint32_t Version = 0;     // the host's protocol version, for the refusal text
    uint32_t Refusal = 0;     // 0: Cookie is given; else why no connection is taken
    uint32_t Cookie = 0;
    bool operator==(const TCookieReply&) const = default;
};

std::vector<uint8_t> EncodeCookieRequest(uint32_t connectHash, uint32_t nonce);
// Only a whole request (magic, at least the padded size) is read.
bool DecodeCookieRequest(const uint8_t* data, size_t size, uint32_t& connectHash, uint32_t& nonce);
std::vector<uint8_t> EncodeCookieReply(const TCookieReply& reply);
bool DecodeCookieReply(const uint8_t* data, size_t size, TCookieReply& reply);
