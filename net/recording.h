// Match recordings: what a client was told (or would have been), message by
// message with its time, kept in a file of our own (docs/recording.md).
// The writer packs records into zstd chunks; the reader trusts nothing in
// a file and stops, saying where, at the first thing that does not add up.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// The first eight bytes of every recording, then the format version.
constexpr char RecordingMagic[8] = {'M', 'O', 'O', 'R', 'R', 'E', 'C', '\n'};
constexpr uint32_t RecordingVersion = 1;
constexpr size_t RecordingHeaderSize = 16;
// No record and no chunk is larger than this: a file saying otherwise lies.
constexpr uint32_t MaxRecordData = 4u << 20;
constexpr uint32_t MaxChunkBytes = 16u << 20;

enum TRecordKind : uint8_t {
    rkInfo = 1,          // Player: the recording machine's id; Data: role byte
    rkMessage = 2,       // Player sent Data (a message block) to all
    rkPlayerAdded = 3,   // Player joined the session; Data: the name
    rkPlayerDeleted = 4, // Player left
    rkClosed = 5,        // the session ended; Data: why
    rkLocalPlayers = 6,  // Data: the recording machine's players' names, one a line
    rkEnd = 7,           // the recording was closed in good order
    // Player "sent" Data only for the watcher: what a client joining at
    // this moment would be told. It sets the scene; the recording machine
    // never said what it makes a client's console say.
    rkScene = 8,
    // Data: every vehicle's whole name, one a line, in the order of the
    // vehicle list just sent (the list itself carries 16 bytes, no spaces).
    rkNames = 9,
};

enum TRecordRole : uint8_t { roleLocal = 0, roleHost = 1, roleClient = 2 };

struct TRecord {
    uint8_t Kind = rkMessage;
    uint32_t At = 0;      // ms since the recording began (never goes back)
    int32_t GameTime = 0; // the recording machine's game time then
    uint32_t Player = 0;
    std::vector<uint8_t> Data;
};

// Writes a recording as it happens. Records gather in memory and leave as
// one compressed chunk every few seconds, so a crash loses little and a
// damaged file keeps what came before the damage.
class TRecordingWriter {
  public:
    TRecordingWriter() = default;
    ~TRecordingWriter() { Close(); }
    TRecordingWriter(const TRecordingWriter&) = delete;
    TRecordingWriter& operator=(const TRecordingWriter&) = delete;

    // Opens (replacing) path; false with Error() set when it cannot.
    bool Open(const std::string& path, uint8_t role, uint32_t ownId, uint32_t nowMs,
              int32_t gameTime);
    bool IsOpen() const { return File != nullptr; }
    const std::string& Path() const { return FilePath; }
    const std::string& Error() const { return Why; }

    // nowMs: the recording machine's clock; the record is stamped with the
    // time since Open (and never earlier than the record before).
    void Add(uint8_t kind, uint32_t nowMs, int32_t gameTime, uint32_t player, const uint8_t* data,
             size_t size);
    void Add(uint8_t kind, uint32_t nowMs, int32_t gameTime, uint32_t player,
             const std::string& text) {
        Add(kind, nowMs, gameTime, player, reinterpret_cast<const uint8_t*>(text.data()),
            text.size());
    }
    // One file per level instead: each NextLevel closes the last file and
    // opens one in folder named by date, level and style.
    void RecordLevelsInto(const std::string& folder, uint8_t role, uint32_t ownId);
    bool PerLevel() const { return !LevelFolder.empty(); }
    const std::string& Folder() const { return LevelFolder; }
    void NextLevel(const std::string& level, const std::string& style, uint32_t nowMs,
                   int32_t gameTime);
    // Writes what has gathered as a chunk.
    void Flush();
    // Adds the end record, flushes and closes (a file a level: no more).
    void Close();

    // Bytes written to the file so far (header and chunks).
    uint64_t BytesWritten() const { return Written; }

  private:
    void Fail(const std::string& why);
    std::FILE* File = nullptr;
    std::string FilePath, Why, LevelFolder;
    uint8_t Role = 0;
    uint32_t OwnId = 0;
    std::vector<uint8_t> Pending;
    uint32_t StartMs = 0, LastAt = 0, LastFlushAt = 0;
    int32_t LastGameTime = 0;
    uint64_t Written = 0;
};

// The records of a recording, as far as they could be read.
struct TRecordingContents {
    std::vector<TRecord> Records;
    // True when the file ended with its end record and nothing was wrong.
    bool Complete = false;
    // Empty when complete; else one line for the person: why and where
    // reading stopped (what came before it is in Records).
    std::string Problem;
    // Refused as a whole (not a recording, another version): Records is empty.
    bool Refused = false;
};

// Reads the recording in bytes; name is how the problem lines call it.
TRecordingContents ReadRecording(const uint8_t* data, size_t size);
// Reads a file; a file that cannot be opened is Refused.
TRecordingContents ReadRecordingFile(const std::string& path);

// The file name of a recording of one level: date and time, level, style.
// Characters a file name should not hold become "_".
std::string RecordingFileName(const std::string& dateTime, const std::string& level,
                              const std::string& style);

// m:ss of a time in ms, for lines and the caption.
std::string MinutesSeconds(int64_t ms);
