// The status below the message: each status a host sends to one machine is
// coded against the last one that machine acknowledged, and the machine
// rebuilds exactly the bytes the host was given before anything above the
// session sees them. Pure byte work (zstd, no sockets): the session service
// keeps one encoder per client and one decoder on a client.
// docs/protocol.md "The compressed status" gives the same rules for other programs.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// Statuses an encoder and a decoder keep to code against (a little over
// 1.5 s at twenty a second); an acknowledgement older than that is no base.
constexpr uint32_t StatusHistory = 32;
// The bytes after the frame type: sequence, base, older base, method, rebuilt size.
constexpr size_t StatusCodeHeaderSize = 4 + 4 + 4 + 1 + 4;
// A rebuilt status is never larger than the largest message.
constexpr size_t StatusMaxRebuilt = 8 + 2 * 255 * 255;
// The level zstd compresses at (any level decodes).
constexpr int StatusZstdLevel = 1;
// A zstd frame whose window would need more than 2^17 bytes is refused.
constexpr int StatusZstdWindowLogMax = 17;

// How the payload is made; the only one: residuals against the prediction,
// in byte planes, as one zstd frame with its content checksum (a datagram
// damaged on the way is refused, never rebuilt into other bytes).
constexpr uint8_t StatusMethodPredicted = 1;

// What the header of a coded status says.
struct TStatusCodeHeader {
    uint32_t Sequence = 0; // 1, 2, 3 ... per receiving machine
    uint32_t Base = 0;     // the status it is coded against; 0: none (a key status)
    uint32_t Older = 0;    // an older one for the trend of vehicles and missiles; 0: none
    uint8_t Method = StatusMethodPredicted;
    uint32_t Size = 0; // of the rebuilt bytes
};
// False for a header that is short or names an impossible size or method.
bool ReadStatusCodeHeader(const uint8_t* data, size_t size, TStatusCodeHeader& header);

// The prediction's residuals of next against base and older (null: none),
// in the order they travel: four byte planes of the 32-bit words, then the
// bytes after the last whole word. out gets exactly next's size.
void StatusResiduals(const uint8_t* base, size_t baseSize, const uint8_t* older, size_t olderSize,
                     const uint8_t* next, size_t size, std::vector<uint8_t>& out);
// The inverse: next rebuilt from the same bases and residuals (of next's size).
void StatusFromResiduals(const uint8_t* base, size_t baseSize, const uint8_t* older,
                         size_t olderSize, const uint8_t* residuals, size_t size,
                         std::vector<uint8_t>& next);

// One per receiving machine, on the host.
class TStatusEncoder {
  public:
    // Appends the coded status (header, then payload) to frame: against the
    // newest acknowledged status still kept (and the one acknowledged before
    // it, when still kept), else a key status. Nothing for
    // an empty status or one larger than StatusMaxRebuilt.
    void Encode(const uint8_t* data, size_t size, std::vector<uint8_t>& frame);
    // The machine rebuilt this status. Anything not sent, or no longer kept, is ignored.
    void Acknowledge(uint32_t sequence);
    uint32_t LastSent() const { return Next - 1; }

  private:
    struct TKept {
        uint32_t Sequence = 0;
        std::vector<uint8_t> Bytes;
    };
    const TKept* Kept(uint32_t sequence) const;
    uint32_t Next = 1;
    uint32_t Acked = 0, Older = 0; // the newest two acknowledged
    std::array<TKept, StatusHistory> Sent;
    std::vector<uint8_t> Residuals;
};

// One on a client.
class TStatusDecoder {
  public:
    // The payload after the frame type. True with out holding exactly the
    // bytes the host's sender was given and sequence the status to
    // acknowledge; false (out unspecified) for anything that cannot be
    // rebuilt: short, corrupt, a base no longer (or never) kept, an old or
    // repeated sequence.
    bool Decode(const uint8_t* data, size_t size, std::vector<uint8_t>& out, uint32_t& sequence);

  private:
    struct TKept {
        uint32_t Sequence = 0;
        std::vector<uint8_t> Bytes;
    };
    uint32_t Newest = 0;
    std::array<TKept, StatusHistory> Received;
    std::vector<uint8_t> Residuals;
};
