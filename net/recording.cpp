#include "net/recording.h"

#include <zstd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>

namespace {

constexpr size_t RecordHead = 17; // kind, At, GameTime, Player, size
// A chunk leaves when this much has gathered or this long has passed.
constexpr size_t ChunkTarget = 256 * 1024;
constexpr uint32_t ChunkIntervalMs = 5000;
constexpr int CompressionLevel = 3;

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int k = 0; k < 4; ++k)
        out.push_back(static_cast<uint8_t>(v >> (8 * k)));
}

uint32_t Get32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

} // namespace

std::string MinutesSeconds(int64_t ms) {
    if (ms < 0) ms = 0;
    const int64_t s = ms / 1000;
    const std::string ss = std::to_string(s % 60);
    return std::to_string(s / 60) + ":" + (ss.size() < 2 ? "0" : "") + ss;
}

bool TRecordingWriter::Open(const std::string& path, uint8_t role, uint32_t ownId, uint32_t nowMs,
                            int32_t gameTime) {
    Close();
    Why.clear();
    FilePath = path;
    Role = role;
    OwnId = ownId;
    File = std::fopen(path.c_str(), "wb");
    if (!File) {
        Why = "Cannot write the recording \"" + path + "\": " + std::strerror(errno);
        return false;
    }
    std::vector<uint8_t> head(RecordingMagic, RecordingMagic + 8);
    Put32(head, RecordingVersion);
    Put32(head, 0); // flags: none yet
    Written = 0;
    if (std::fwrite(head.data(), 1, head.size(), File) != head.size()) {
        Fail("Cannot write the recording \"" + path + "\"");
        return false;
    }
    Written = head.size();
    StartMs = nowMs;
    LastAt = LastFlushAt = 0;
    LastGameTime = gameTime;
    Pending.clear();
    Add(rkInfo, nowMs, gameTime, ownId, &role, 1);
    return true;
}

void TRecordingWriter::RecordLevelsInto(const std::string& folder, uint8_t role, uint32_t ownId) {
    Close();
    LevelFolder = folder;
    Role = role;
    OwnId = ownId;
}

void TRecordingWriter::NextLevel(const std::string& level, const std::string& style, uint32_t nowMs,
                                 int32_t gameTime) {
    if (LevelFolder.empty()) return;
    const std::string folder = LevelFolder;
    Close();
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char date[32];
    std::strftime(date, sizeof date, "%Y-%m-%d %H-%M-%S", &local);
    Open(folder + "/" + RecordingFileName(date, level, style), Role, OwnId, nowMs, gameTime);
    LevelFolder = folder;
}

void TRecordingWriter::Fail(const std::string& why) {
    Why = why;
    if (File) std::fclose(File);
    File = nullptr;
    Pending.clear();
}

void TRecordingWriter::Add(uint8_t kind, uint32_t nowMs, int32_t gameTime, uint32_t player,
                           const uint8_t* data, size_t size) {
    if (!File || size > MaxRecordData) return;
    // A clock read before the recording began counts as its start.
    const int32_t since = static_cast<int32_t>(nowMs - StartMs);
    const uint32_t at = std::max(LastAt, static_cast<uint32_t>(std::max(0, since)));
    LastAt = at;
    LastGameTime = gameTime;
    Pending.push_back(kind);
    Put32(Pending, at);
    Put32(Pending, static_cast<uint32_t>(gameTime));
    Put32(Pending, player);
    Put32(Pending, static_cast<uint32_t>(size));
    if (size) Pending.insert(Pending.end(), data, data + size);
    if (Pending.size() >= ChunkTarget || at - LastFlushAt >= ChunkIntervalMs) Flush();
}

void TRecordingWriter::Flush() {
    LastFlushAt = LastAt;
    if (!File || Pending.empty()) return;
    ZSTD_CCtx* cx = ZSTD_createCCtx();
    ZSTD_CCtx_setParameter(cx, ZSTD_c_compressionLevel, CompressionLevel);
    // The checksum lets a reader tell a damaged chunk from a good one.
    ZSTD_CCtx_setParameter(cx, ZSTD_c_checksumFlag, 1);
    std::vector<uint8_t> packed(4 + ZSTD_compressBound(Pending.size()));
    const size_t n =
        ZSTD_compress2(cx, packed.data() + 4, packed.size() - 4, Pending.data(), Pending.size());
    ZSTD_freeCCtx(cx);
    if (ZSTD_isError(n)) {
        Fail(std::string("Cannot compress the recording: ") + ZSTD_getErrorName(n));
        return;
    }
    for (int k = 0; k < 4; ++k)
        packed[k] = static_cast<uint8_t>(n >> (8 * k));
    packed.resize(4 + n);
    if (std::fwrite(packed.data(), 1, packed.size(), File) != packed.size() ||
        std::fflush(File) != 0) {
        Fail("Cannot write the recording \"" + FilePath + "\" (disk full?)");
        return;
    }
    Written += packed.size();
    Pending.clear();
}

void TRecordingWriter::Close() {
    LevelFolder.clear();
    if (!File) return;
    Add(rkEnd, StartMs + LastAt, LastGameTime, 0, nullptr, 0);
    Flush();
    if (File) std::fclose(File);
    File = nullptr;
}

TRecordingContents ReadRecording(const uint8_t* data, size_t size) {
    TRecordingContents c;
    if (size < RecordingHeaderSize || std::memcmp(data, RecordingMagic, 8) != 0) {
        c.Refused = true;
        c.Problem = "not a Moorclash recording";
        return c;
    }
    const uint32_t version = Get32(data + 8);
    if (version != RecordingVersion) {
        c.Refused = true;
        c.Problem = "a recording of format version " + std::to_string(version) +
                    "; this game plays version " + std::to_string(RecordingVersion) + " only";
        return c;
    }
    size_t pos = RecordingHeaderSize;
    uint32_t lastAt = 0;
    bool ended = false;
    std::vector<uint8_t> raw;
    const auto where = [&](size_t at) {
        return " at byte " + std::to_string(at) + ", after " + MinutesSeconds(lastAt);
    };
    int chunk = 0;
    while (pos < size && !ended) {
        ++chunk;
        if (size - pos < 4) {
            c.Problem = "the recording ends early" + where(pos);
            return c;
        }
        const uint32_t packed = Get32(data + pos);
        if (packed == 0 || packed > MaxChunkBytes) {
            c.Problem = "the recording is damaged" + where(pos) + " (chunk " +
                        std::to_string(chunk) + " claims " + std::to_string(packed) + " bytes)";
            return c;
        }
        if (size - pos - 4 < packed) {
            c.Problem = "the recording ends early" + where(pos);
            return c;
        }
        const uint8_t* frame = data + pos + 4;
        const unsigned long long rawSize = ZSTD_getFrameContentSize(frame, packed);
        if (rawSize == ZSTD_CONTENTSIZE_ERROR || rawSize == ZSTD_CONTENTSIZE_UNKNOWN ||
            rawSize == 0 || rawSize > MaxChunkBytes ||
            ZSTD_findFrameCompressedSize(frame, packed) != packed) {
            c.Problem = "the recording is damaged" + where(pos) + " (chunk " +
                        std::to_string(chunk) + " is no compressed block)";
            return c;
        }
        raw.resize(rawSize);
        const size_t got = ZSTD_decompress(raw.data(), raw.size(), frame, packed);
        if (ZSTD_isError(got) || got != rawSize) {
            c.Problem = "the recording is damaged" + where(pos) + " (chunk " +
                        std::to_string(chunk) + ": " +
                        (ZSTD_isError(got) ? ZSTD_getErrorName(got) : "short") + ")";
            return c;
        }
        // Records never straddle chunks: a chunk is whole or refused.
        size_t r = 0;
        const size_t chunkAt = pos;
        while (r < raw.size()) {
            if (ended || raw.size() - r < RecordHead) {
                c.Problem = "the recording is damaged" + where(chunkAt) + " (chunk " +
                            std::to_string(chunk) + " has stray bytes)";
                return c;
            }
            TRecord rec;
            rec.Kind = raw[r];
            rec.At = Get32(&raw[r + 1]);
            rec.GameTime = static_cast<int32_t>(Get32(&raw[r + 5]));
            rec.Player = Get32(&raw[r + 9]);
            const uint32_t n = Get32(&raw[r + 13]);
            const bool known = rec.Kind >= rkInfo && rec.Kind <= rkNames;
            const bool first = c.Records.empty();
            if (!known || n > MaxRecordData || n > raw.size() - r - RecordHead || rec.At < lastAt ||
                first != (rec.Kind == rkInfo) || (first && n != 1)) {
                c.Problem = "the recording is damaged" + where(chunkAt) + " (record " +
                            std::to_string(c.Records.size() + 1) + " does not add up)";
                return c;
            }
            rec.Data.assign(raw.begin() + static_cast<std::ptrdiff_t>(r + RecordHead),
                            raw.begin() + static_cast<std::ptrdiff_t>(r + RecordHead + n));
            r += RecordHead + n;
            lastAt = rec.At;
            if (rec.Kind == rkEnd)
                ended = true;
            else
                c.Records.push_back(std::move(rec));
        }
        pos += 4 + packed;
    }
    if (!ended) {
        c.Problem = "the recording ends early" + where(pos) + " (it was not closed)";
        return c;
    }
    if (pos != size) {
        c.Problem =
            "the recording has " + std::to_string(size - pos) + " stray bytes after its end";
        return c;
    }
    c.Complete = true;
    return c;
}

TRecordingContents ReadRecordingFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        TRecordingContents c;
        c.Refused = true;
        c.Problem = std::string("cannot be read: ") + std::strerror(errno);
        return c;
    }
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
    return ReadRecording(bytes.data(), bytes.size());
}

std::string RecordingFileName(const std::string& dateTime, const std::string& level,
                              const std::string& style) {
    std::string name = dateTime + " " + level + " " + style;
    for (char& ch : name) {
        const unsigned char u = static_cast<unsigned char>(ch);
        if (u < 0x20 || u == 0x7F || ch == '/' || ch == '\\' || ch == ':' || ch == '*' ||
            ch == '?' || ch == '"' || ch == '<' || ch == '>' || ch == '|')
            ch = '_';
    }
    return name + ".moorrec";
}
