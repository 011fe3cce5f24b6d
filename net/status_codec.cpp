#include "net/status_codec.h"

#include <zstd.h>

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
    size_t Count[5] = {};   // vehicles, homing, guided, bullets, cows
    size_t Start[5] = {};   // first word of each block
    size_t Words = 0;       // the whole, trailer included
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

// The prediction of words 4 .. of next, once its first 16 bytes are known.
void Predict(const uint8_t* base, size_t baseSize, const uint8_t* header, size_t size,
             std::vector<uint32_t>& p) {
    const size_t words = size / 4, baseWords = base ? baseSize / 4 : 0;
    auto baseWord = [&](size_t j) -> uint32_t { return j < baseWords ? Load32(base + 4 * j) : 0; };
    const TLayout n = size >= 16 ? LayoutOf(header, size) : TLayout{};
    const TLayout b = baseWords >= 4 ? LayoutOf(base, baseSize) : TLayout{};
    if (!n.Valid || !b.Valid) {
        for (size_t j = 4; j < words; ++j)
            p[j] = baseWord(j);
        return;
    }
    // Entry i of a block is predicted by entry i of the same block in base.
    const double dt = static_cast<double>(static_cast<int64_t>(n.Stamp) - b.Stamp);
    for (int k = 0; k < 5; ++k)
        for (size_t i = 0; i < n.Count[k]; ++i) {
            const size_t at = n.Start[k] + i * Width[k];
            if (i >= b.Count[k]) {
                for (size_t f = 0; f < Width[k]; ++f)
                    p[at + f] = 0;
                continue;
            }
            const size_t from = b.Start[k] + i * Width[k];
            for (size_t f = 0; f < Width[k]; ++f)
                p[at + f] = baseWord(from + f);
            if (k == BulletBlock) {
                p[at] = BulletPrediction(p[at], p[at + 2], dt);
                p[at + 1] = BulletPrediction(p[at + 1], p[at + 3], dt);
            }
        }
    p[words - 2] = baseWord(b.Words - 2);
    p[words - 1] = baseWord(b.Words - 1);
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
    h.Method = data[8];
    h.Size = Load32(data + 9);
    return h.Sequence != 0 && h.Base < h.Sequence && h.Method == StatusMethodPredicted && h.Size > 0 &&
           h.Size <= StatusMaxRebuilt;
}

void StatusResiduals(const uint8_t* base, size_t baseSize, const uint8_t* next, size_t size,
                     std::vector<uint8_t>& out) {
    const size_t words = size / 4;
    thread_local std::vector<uint32_t> p;
    p.assign(words, 0);
    for (size_t j = 0; j < words && j < 4; ++j)
        p[j] = base && 4 * j + 4 <= baseSize ? Load32(base + 4 * j) : 0;
    Predict(base, baseSize, next, size, p);
    out.resize(size);
    for (size_t j = 0; j < words; ++j) {
        const uint32_t z = ZigZag(Load32(next + 4 * j) - p[j]);
        for (size_t k = 0; k < 4; ++k)
            out[k * words + j] = static_cast<uint8_t>(z >> (8 * k));
    }
    for (size_t t = 4 * words; t < size; ++t)
        out[t] = next[t] ^ (base && t < baseSize ? base[t] : 0);
}

void StatusFromResiduals(const uint8_t* base, size_t baseSize, const uint8_t* residuals,
                         size_t size, std::vector<uint8_t>& next) {
    const size_t words = size / 4;
    thread_local std::vector<uint32_t> p;
    p.assign(words, 0);
    next.resize(size);
    auto rebuild = [&](size_t j) {
        uint32_t z = 0;
        for (size_t k = 0; k < 4; ++k)
            z |= static_cast<uint32_t>(residuals[k * words + j]) << (8 * k);
        const uint32_t v = UnZigZag(z) + p[j];
        for (size_t k = 0; k < 4; ++k)
            next[4 * j + k] = static_cast<uint8_t>(v >> (8 * k));
    };
    // The first 16 bytes come first: the rest is predicted from their counts and stamp.
    for (size_t j = 0; j < words && j < 4; ++j) {
        p[j] = base && 4 * j + 4 <= baseSize ? Load32(base + 4 * j) : 0;
        rebuild(j);
    }
    Predict(base, baseSize, next.data(), size, p);
    for (size_t j = 4; j < words; ++j)
        rebuild(j);
    for (size_t t = 4 * words; t < size; ++t)
        next[t] = residuals[t] ^ (base && t < baseSize ? base[t] : 0);
}

const TStatusEncoder::TKept* TStatusEncoder::Kept(uint32_t sequence) const {
    const TKept& k = Sent[sequence % StatusHistory];
    return sequence != 0 && k.Sequence == sequence && Next - sequence <= StatusHistory ? &k
                                                                                       : nullptr;
}

void TStatusEncoder::Acknowledge(uint32_t sequence) {
    if (sequence > Acked && sequence < Next && Kept(sequence)) Acked = sequence;
}

void TStatusEncoder::Encode(const uint8_t* data, size_t size, std::vector<uint8_t>& frame) {
    if (data == nullptr || size == 0 || size > StatusMaxRebuilt) return;
    const TKept* base = Kept(Acked);
    StatusResiduals(base ? base->Bytes.data() : nullptr, base ? base->Bytes.size() : 0, data, size,
                    Residuals);
    TZstd& z = Zstd();
    if (z.C == nullptr) return;
    const size_t start = frame.size();
    Put32(frame, Next);
    Put32(frame, base ? base->Sequence : 0);
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
    const TKept* base = nullptr;
    if (h.Base != 0) {
        base = &Received[h.Base % StatusHistory];
        if (base->Sequence != h.Base) return false;
    }
    const uint8_t* payload = data + StatusCodeHeaderSize;
    const size_t payloadSize = size - StatusCodeHeaderSize;
    TZstd& z = Zstd();
    if (z.D == nullptr) return false;
    // The output never grows past the size the header names.
    Residuals.resize(h.Size);
    const size_t got = ZSTD_decompressDCtx(z.D, Residuals.data(), h.Size, payload, payloadSize);
    if (ZSTD_isError(got) || got != h.Size) return false;
    StatusFromResiduals(base ? base->Bytes.data() : nullptr, base ? base->Bytes.size() : 0,
                        Residuals.data(), h.Size, out);
    Newest = sequence = h.Sequence;
    TKept& slot = Received[h.Sequence % StatusHistory];
    slot.Sequence = h.Sequence;
    slot.Bytes = out;
    return true;
}
