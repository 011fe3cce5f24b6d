#include "net/status_codec.h"

#include <zstd.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <memory>

namespace {

uint32_t Load32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int k = 0; k < 4; ++k)
        out.push_back(static_cast<uint8_t>(v >> (8 * k)));
}

float AsFloat(uint32_t bits) {
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}

uint32_t AsBits(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    return bits;
}

uint32_t ZigZag(uint32_t d) {
    return (d << 1) ^ (0u - (d >> 31));
}

uint32_t UnZigZag(uint32_t z) {
    return (z >> 1) ^ (0u - (z & 1));
}

// Where the blocks of a status lie, in 32-bit words; Valid only when the
// bytes are a status whose header counts give exactly their size (with the
// 4-byte roster generation after the message).
struct TLayout {
    bool Valid = false;
    int32_t Stamp = 0;
    size_t Count[5] = {}; // vehicles, homing, guided, bullets, cows
    size_t Start[5] = {}; // first word of each block
    size_t Words = 0;     // the whole, trailer included
};
constexpr size_t Width[5] = {6, 4, 4, 4, 5};
constexpr int BulletBlock = 3;

// header: the status's first 16 bytes (or fewer when it is shorter).
TLayout LayoutOf(const uint8_t* header, size_t size) {
    TLayout l;
    if (size % 4 != 0 || size < 24 || Load32(header) != 4) return l;
    l.Count[0] = header[4];
    l.Count[1] = header[5];
    l.Count[2] = header[6];
    l.Count[3] = header[8] | static_cast<size_t>(header[9]) << 8;
    l.Count[4] = header[10];
    l.Stamp = static_cast<int32_t>(Load32(header + 12));
    size_t word = 4;
    for (int k = 0; k < 5; ++k) {
        l.Start[k] = word;
        word += Width[k] * l.Count[k];
    }
    l.Words = word + 2;
    l.Valid = l.Words * 4 == size;
    return l;
}

// A bullet flies straight: its place in base moved on by its velocity over
// the time between the two stamps, in double, rounded to float. Each step is
// a statement of its own, so no compiler fuses them.
uint32_t BulletPrediction(uint32_t position, uint32_t velocity, double dt) {
    const float x = AsFloat(position), v = AsFloat(velocity);
    if (!std::isfinite(x) || !std::isfinite(v)) return position;
    const double step = static_cast<double>(v) * dt;
    const double moved = static_cast<double>(x) + step;
    if (!std::isfinite(moved) || std::fabs(moved) > FLT_MAX) return position;
    return AsBits(static_cast<float>(moved));
}

// What a status is coded against: base, and optionally an older status the
// client also acknowledged.
struct TBases {
    const uint8_t* Base = nullptr;
    size_t BaseSize = 0;
    const uint8_t* Older = nullptr;
    size_t OlderSize = 0;
};

// A value that went from older to now goes on alike for ratio times as
// long, in double, rounded to float; an angle that wrapped round, or
// anything not finite, stays at now.
uint32_t Extrapolated(uint32_t now, uint32_t older, double ratio, bool angle) {
    const float x = AsFloat(now), w = AsFloat(older);
    if (!std::isfinite(x) || !std::isfinite(w)) return now;
    const double change = static_cast<double>(x) - static_cast<double>(w);
    if (angle && std::fabs(change) > 3.0) return now;
    const double step = change * ratio;
    const double moved = static_cast<double>(x) + step;
    if (!std::isfinite(moved) || std::fabs(moved) > FLT_MAX) return now;
    return AsBits(static_cast<float>(moved));
}

// Goes through the words of a status of size bytes in the order they are
// coded, handing each word's index and prediction to code, which gives back
// the word's true value (the encoder reads it, the decoder rebuilds it).
// The first four words (type, counts, stamp) come first and are predicted by
// the same words of base; the rest by the blocks of base once both are
// statuses whose counts agree with their sizes, else word by word. A bullet's
// velocity comes before its place: a bullet is predicted by the bullet of base
// in the same place of the block when their velocities agree, else by the
// first bullet of base with exactly that velocity (the pool moves its last
// bullet into a hole), and its place by that bullet flown on.
template <class Code> void Walk(TBases bases, size_t size, const uint8_t* header, Code&& code) {
    const uint8_t* base = bases.Base;
    const size_t baseSize = bases.BaseSize;
    const size_t words = size / 4, baseWords = base ? baseSize / 4 : 0;
    auto baseWord = [&](size_t j) -> uint32_t { return j < baseWords ? Load32(base + 4 * j) : 0; };
    for (size_t j = 0; j < words && j < 4; ++j)
        code(j, baseWord(j));
    const TLayout n = size >= 16 ? LayoutOf(header, size) : TLayout{};
    const TLayout b = baseWords >= 4 ? LayoutOf(base, baseSize) : TLayout{};
    if (!n.Valid || !b.Valid) {
        for (size_t j = 4; j < words; ++j)
            code(j, baseWord(j));
        return;
    }
    const double dt = static_cast<double>(static_cast<int64_t>(n.Stamp) - b.Stamp);
    // With an older status as well, vehicles and missiles go on as they went
    // from it to base.
    const TLayout o = bases.Older && bases.OlderSize >= 16 && bases.OlderSize % 4 == 0
                          ? LayoutOf(bases.Older, bases.OlderSize)
                          : TLayout{};
    const bool trend = o.Valid && o.Stamp < b.Stamp;
    const double ratio =
        trend ? dt / static_cast<double>(static_cast<int64_t>(b.Stamp) - o.Stamp) : 0;
    auto olderWord = [&](size_t j) { return Load32(bases.Older + 4 * j); };
    // Base's bullets by velocity (the first of equal ones).
    thread_local std::vector<std::pair<uint64_t, uint32_t>> byVelocity;
    byVelocity.clear();
    auto velocityAt = [&](size_t j) {
        return static_cast<uint64_t>(baseWord(j + 2)) | static_cast<uint64_t>(baseWord(j + 3))
                                                            << 32;
    };
    for (size_t i = 0; i < b.Count[BulletBlock]; ++i)
        byVelocity.push_back({velocityAt(b.Start[BulletBlock] + 4 * i), static_cast<uint32_t>(i)});
    std::stable_sort(byVelocity.begin(), byVelocity.end(),
                     [](const auto& x, const auto& y) { return x.first < y.first; });
    for (int k = 0; k < 5; ++k)
        for (size_t i = 0; i < n.Count[k]; ++i) {
            const size_t at = n.Start[k] + i * Width[k];
            const bool inBase = i < b.Count[k];
            const size_t from = b.Start[k] + i * Width[k];
            if (k != BulletBlock) {
                // Vehicles: x, y, heading, turret; missiles: x, y, angle.
                const size_t moving = k == 0 ? 4 : k <= 2 ? 3 : 0;
                const bool inOlder = trend && i < o.Count[k];
                const size_t was = inOlder ? o.Start[k] + i * Width[k] : 0;
                for (size_t f = 0; f < Width[k]; ++f)
                    code(at + f,
                         !inBase ? 0
                         : inOlder && f < moving
                             ? Extrapolated(baseWord(from + f), olderWord(was + f), ratio, f >= 2)
                             : baseWord(from + f));
                continue;
            }
            const uint32_t vx = code(at + 2, inBase ? baseWord(from + 2) : 0);
            const uint32_t vy = code(at + 3, inBase ? baseWord(from + 3) : 0);
            const uint64_t v = static_cast<uint64_t>(vx) | static_cast<uint64_t>(vy) << 32;
            size_t match = from;
            bool found = inBase && velocityAt(from) == v;
            if (!found) {
                auto it = std::lower_bound(byVelocity.begin(), byVelocity.end(),
                                           std::pair<uint64_t, uint32_t>{v, 0});
                if (it != byVelocity.end() && it->first == v) {
                    match = b.Start[BulletBlock] + 4 * it->second;
                    found = true;
                }
            }
            code(at, found    ? BulletPrediction(baseWord(match), vx, dt)
                     : inBase ? baseWord(from)
                              : 0);
            code(at + 1, found    ? BulletPrediction(baseWord(match + 1), vy, dt)
                         : inBase ? baseWord(from + 1)
                                  : 0);
        }
    code(words - 2, baseWord(b.Words - 2));
    code(words - 1, baseWord(b.Words - 1));
}

struct TZstd {
    ZSTD_CCtx* C = ZSTD_createCCtx();
    ZSTD_DCtx* D = ZSTD_createDCtx();
    TZstd() {
        if (D) ZSTD_DCtx_setParameter(D, ZSTD_d_windowLogMax, StatusZstdWindowLogMax);
        if (C) {
            ZSTD_CCtx_setParameter(C, ZSTD_c_compressionLevel, StatusZstdLevel);
            ZSTD_CCtx_setParameter(C, ZSTD_c_checksumFlag, 1);
        }
    }
    ~TZstd() {
        ZSTD_freeCCtx(C);
        ZSTD_freeDCtx(D);
    }
    TZstd(const TZstd&) = delete;
    TZstd& operator=(const TZstd&) = delete;
};

// One pair of contexts per thread, made on first use and reused after.
TZstd& Zstd() {
    thread_local TZstd z;
    return z;
}

} // namespace

bool ReadStatusCodeHeader(const uint8_t* data, size_t size, TStatusCodeHeader& h) {
    if (data == nullptr || size < StatusCodeHeaderSize) return false;
    h.Sequence = Load32(data);
    h.Base = Load32(data + 4);
    h.Older = Load32(data + 8);
    h.Method = data[12];
    h.Size = Load32(data + 13);
    return h.Sequence != 0 && h.Base < h.Sequence &&
           (h.Older == 0 || (h.Base != 0 && h.Older < h.Base)) &&
           h.Method == StatusMethodPredicted && h.Size > 0 && h.Size <= StatusMaxRebuilt;
}

void StatusResiduals(const uint8_t* base, size_t baseSize, const uint8_t* older, size_t olderSize,
                     const uint8_t* next, size_t size, std::vector<uint8_t>& out) {
    const size_t words = size / 4;
    out.resize(size);
    Walk({base, baseSize, older, olderSize}, size, next, [&](size_t j, uint32_t prediction) {
        const uint32_t v = Load32(next + 4 * j);
        const uint32_t z = ZigZag(v - prediction);
        for (size_t k = 0; k < 4; ++k)
            out[k * words + j] = static_cast<uint8_t>(z >> (8 * k));
        return v;
    });
    for (size_t t = 4 * words; t < size; ++t)
        out[t] = next[t] ^ (base && t < baseSize ? base[t] : 0);
}

void StatusFromResiduals(const uint8_t* base, size_t baseSize, const uint8_t* older,
                         size_t olderSize, const uint8_t* residuals, size_t size,
                         std::vector<uint8_t>& next) {
    const size_t words = size / 4;
    next.assign(size, 0);
    // The first 16 bytes are rebuilt before Walk reads the counts and stamp from them.
    Walk({base, baseSize, older, olderSize}, size, next.data(), [&](size_t j, uint32_t prediction) {
        uint32_t z = 0;
        for (size_t k = 0; k < 4; ++k)
            z |= static_cast<uint32_t>(residuals[k * words + j]) << (8 * k);
        const uint32_t v = UnZigZag(z) + prediction;
        for (size_t k = 0; k < 4; ++k)
            next[4 * j + k] = static_cast<uint8_t>(v >> (8 * k));
        return v;
    });
    for (size_t t = 4 * words; t < size; ++t)
        next[t] = residuals[t] ^ (base && t < baseSize ? base[t] : 0);
}

const TStatusEncoder::TKept* TStatusEncoder::Kept(uint32_t sequence) const {
    const TKept& k = Sent[sequence % StatusHistory];
    return sequence != 0 && k.Sequence == sequence && Next - sequence <= StatusHistory ? &k
                                                                                       : nullptr;
}

void TStatusEncoder::Acknowledge(uint32_t sequence) {
    if (sequence >= Next || !Kept(sequence)) return;
    if (sequence > Acked) {
        Older = Acked;
        Acked = sequence;
    } else if (sequence < Acked && sequence > Older) {
        Older = sequence;
    }
}

void TStatusEncoder::Encode(const uint8_t* data, size_t size, std::vector<uint8_t>& frame) {
    if (data == nullptr || size == 0 || size > StatusMaxRebuilt) return;
    const TKept* base = Kept(Acked);
    const TKept* older = base ? Kept(Older) : nullptr;
    StatusResiduals(base ? base->Bytes.data() : nullptr, base ? base->Bytes.size() : 0,
                    older ? older->Bytes.data() : nullptr, older ? older->Bytes.size() : 0, data,
                    size, Residuals);
    TZstd& z = Zstd();
    if (z.C == nullptr) return;
    const size_t start = frame.size();
    Put32(frame, Next);
    Put32(frame, base ? base->Sequence : 0);
    Put32(frame, older ? older->Sequence : 0);
    frame.push_back(StatusMethodPredicted);
    Put32(frame, static_cast<uint32_t>(size));
    const size_t header = frame.size();
    frame.resize(header + ZSTD_compressBound(size));
    const size_t packed =
        ZSTD_compress2(z.C, frame.data() + header, frame.size() - header, Residuals.data(), size);
    if (ZSTD_isError(packed)) {
        frame.resize(start);
        return;
    }
    frame.resize(header + packed);
    TKept& slot = Sent[Next % StatusHistory];
    slot.Sequence = Next;
    slot.Bytes.assign(data, data + size);
    ++Next;
}

bool TStatusDecoder::Decode(const uint8_t* data, size_t size, std::vector<uint8_t>& out,
                            uint32_t& sequence) {
    TStatusCodeHeader h;
    if (!ReadStatusCodeHeader(data, size, h) || h.Sequence <= Newest) return false;
    auto kept = [this](uint32_t s) -> const TKept* {
        const TKept& k = Received[s % StatusHistory];
        return s != 0 && k.Sequence == s ? &k : nullptr;
    };
    const TKept* base = kept(h.Base);
    const TKept* older = kept(h.Older);
    if ((h.Base != 0 && base == nullptr) || (h.Older != 0 && older == nullptr)) return false;
    const uint8_t* payload = data + StatusCodeHeaderSize;
    const size_t payloadSize = size - StatusCodeHeaderSize;
    TZstd& z = Zstd();
    if (z.D == nullptr) return false;
    // The output never grows past the size the header names.
    Residuals.resize(h.Size);
    const size_t got = ZSTD_decompressDCtx(z.D, Residuals.data(), h.Size, payload, payloadSize);
    if (ZSTD_isError(got) || got != h.Size) return false;
    StatusFromResiduals(base ? base->Bytes.data() : nullptr, base ? base->Bytes.size() : 0,
                        older ? older->Bytes.data() : nullptr, older ? older->Bytes.size() : 0,
                        Residuals.data(), h.Size, out);
    Newest = sequence = h.Sequence;
    TKept& slot = Received[h.Sequence % StatusHistory];
    slot.Sequence = h.Sequence;
    slot.Bytes = out;
    return true;
}
