// Every message a machine of a network game sends another, as bytes: one
// typed record per message type with its encoder and decoder. Pure byte
// work: nothing here reads or changes a Game.
//
// A block starts with its type (4 bytes); every field sits at a fixed
// offset, little-endian, floats are IEEE single precision. Several types
// end in bytes that carry nothing but count in the size; they are zero.
// A decoder that refuses a block for its size says which size it expected
// (0 when the block is too short to tell).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/game.h"

using TBlock = std::vector<uint8_t>;

enum TMsgType : uint32_t {
    MsgSetup = 0,
    MsgMap = 1,
    MsgControl = 3,
    MsgStatus = 4,
    MsgScore = 5,
    MsgEvent = 6,
    MsgMapReq = 7,
    MsgTanklist = 8,
    MsgPing = 9,
    MsgKill = 10,
    MsgText = 11,
    MsgOrder = 13,
    MsgAppearance = 14,
};

// The type of a block, false when it is shorter than the type field.
bool BlockType(const uint8_t* data, size_t size, uint32_t& type);

// --- Type 0: the game set-up ------------------------------------------------
struct TSetupMsg {
    uint16_t FragLimit = 0;
    uint8_t Style = 0; // 0 Deathmatch, 1 Team War, 2 Capture The Cow
    uint8_t UseBases = 0;
    uint16_t ArmourLight = 0;
    uint8_t TankIndicators = 0;
    int32_t ServerTime = 0;
    uint32_t ServerId = 0;
    uint16_t MapChecksum = 0;
    std::string MapName; // at most 255 bytes travel
};
TBlock EncodeSetup(const TSetupMsg& m);
bool DecodeSetup(const uint8_t* d, size_t n, TSetupMsg& m, size_t& expected);

// --- Type 1: the map grid ---------------------------------------------------
// Cells of column c and row r at c + r * Width; only maps of at most 255
// columns and rows travel.
struct TMapMsg {
    uint8_t Width = 0;
    uint8_t Height = 0;
    std::vector<uint16_t> Cells;
};
TBlock EncodeMap(const TMapMsg& m);
bool DecodeMap(const uint8_t* d, size_t n, TMapMsg& m, size_t& expected);

// --- Type 3: one control action ---------------------------------------------
struct TControlMsg {
    uint8_t Action = 0; // 0..63 on the wire; 0..17 mean something
    uint8_t Seat = 0;
    bool Released = false;
};
TBlock EncodeControl(const TControlMsg& m);
bool DecodeControl(const uint8_t* d, size_t n, TControlMsg& m);

// --- Type 4: the game status ------------------------------------------------
struct TVehicleStatus {
    float X = 0, Y = 0, Heading = 0, TurretAngle = 0, Health = 0, ReloadPercent = 0;
};
struct TMissileStatus {
    float X = 0, Y = 0, Angle = 0, Who = -1; // homing: target; guided: steering vehicle
};
struct TBulletStatus {
    float X = 0, Y = 0, Vx = 0, Vy = 0;
};
struct TCowStatus {
    float Colour = 0, State = 254, X = 0, Y = 0, Heading = 0;
};
struct TStatusMsg {
    int32_t Stamp = 0;
    std::vector<TVehicleStatus> Vehicles; // at most 255
    std::vector<TMissileStatus> Homing;   // at most 255
    std::vector<TMissileStatus> Guided;   // at most 255
    std::vector<TBulletStatus> Bullets;   // at most 65535
    std::vector<TCowStatus> Cows;         // at most 255
};
// Counts beyond what their header field holds are cut (the block stays
// consistent with its header).
TBlock EncodeStatus(const TStatusMsg& m);
void EncodeStatus(const TStatusMsg& m, TBlock& out);
bool DecodeStatus(const uint8_t* d, size_t n, TStatusMsg& m, size_t& expected);

// --- Type 5: scores ---------------------------------------------------------
struct TTankScoreMsg {
    int16_t Frags = 0, Deaths = 0;
};
struct TTeamScoreMsg {
    int16_t Colour = 0, Cows = 0, Frags = 0, Deaths = 0; // Cows only in Capture The Cow
};
struct TScoreMsg {
    std::vector<TTankScoreMsg> Tanks; // at most 255
    std::vector<TTeamScoreMsg> Teams; // at most 255
};
TBlock EncodeScore(const TScoreMsg& m, bool captureTheCow);
bool DecodeScore(const uint8_t* d, size_t n, bool captureTheCow, TScoreMsg& m, size_t& expected);
// A count for a 16-bit field: out-of-range values stick at the ends.
int16_t Clamp16(int32_t v);

// --- Type 6: one game event -------------------------------------------------
enum TEventCode : uint8_t {
    evRail = 0,
    evBomblets = 1,
    evExplosion = 2,
    evSound = 3,
    evMultiKill = 4,
    evBfgBall = 5,
    evBfgBurst = 6,
    evMineLaid = 7,
    evMineGone = 8,
    evRocket = 9,
    evRocketGone = 10,
    evGunSound = 11,
    evBaseList = 12,
    evKill = 14,
    evMineList = 15,
};
struct TEventMsg {
    uint8_t Code = 0;
    std::vector<float> Values;
};
TBlock EncodeEvent(const TEventMsg& m);
// No size of its own: the values are as many as the block holds (at least
// the type, code and trailing bytes: 12).
bool DecodeEvent(const uint8_t* d, size_t n, TEventMsg& m);

// --- Types 7, 10: no fields -------------------------------------------------
TBlock EncodeMapReq();
TBlock EncodeKill();

// --- Type 8: a vehicle list -------------------------------------------------
struct TTankEntry {
    std::string Name; // 16 bytes travel
    uint32_t PlayerId = 0;
    TRgb Body, Second;
    uint8_t PaintJob = 255; // 255 none
    uint8_t Weapon = 0;
    uint8_t Sort = 0;
    uint8_t IsBot = 0;
};
TBlock EncodeTanklist(const std::vector<TTankEntry>& entries);
bool DecodeTanklist(const uint8_t* d, size_t n, std::vector<TTankEntry>& entries, size_t& expected);

// --- Type 9: clock synchronisation ------------------------------------------
TBlock EncodePing(int32_t gameTime);
bool DecodePing(const uint8_t* d, size_t n, int32_t& gameTime);

// --- Type 11: a console or player message -------------------------------------
constexpr int TextNoOwner = 255;
constexpr int TextChat = 64;
constexpr int TextPersonal = 128;
struct TTextMsg {
    uint8_t Kind = TextNoOwner;
    std::string Text; // at most 255 bytes travel
};
TBlock EncodeText(const TTextMsg& m);
bool DecodeText(const uint8_t* d, size_t n, TTextMsg& m);

// --- Type 13: a team order --------------------------------------------------
struct TOrderMsg {
    uint8_t Mate = 0, Order = 0, From = 0;
};
TBlock EncodeOrder(const TOrderMsg& m);
bool DecodeOrder(const uint8_t* d, size_t n, TOrderMsg& m);

// --- Type 14: a vehicle's colours -------------------------------------------
struct TAppearanceMsg {
    uint8_t Tank = 0;
    TRgb Body, Second;
    uint8_t PaintJob = 255;
};
TBlock EncodeAppearance(const TAppearanceMsg& m);
bool DecodeAppearance(const uint8_t* d, size_t n, TAppearanceMsg& m);

// The message box text of a size check: label, size, "ieo" (or "iso"),
// expected size.
std::string SizeErrorText(const std::string& label, size_t size, size_t expected,
                          bool score = false);
