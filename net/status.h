// The host's reports to its clients, and a client taking them in.
#pragma once

#include "core/game.h"
#include "net/messages.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// The scores at once after a kill: MsgScore to all.
void BroadcastScore(Game& g);
// The regular game status, every StatusInterval.
void BroadcastGameStatus(Game& g);

// This machine's status as the host reports it. Missiles beyond 255 of a
// kind are left out (their count is one byte).
void StatusOf(const Game& g, TStatusMsg& m);
// Each machine gets a status of at most this many bytes (the message, its
// trailer not counted), so that a crowd of bullets or missiles never makes a
// status no link can carry: vehicles and cows always go; missiles take at
// most half of the room left, bullets the rest. 64 vehicles, 20 missiles and
// 100 bullets (3476 bytes) fit whole.
constexpr size_t StatusByteBound = 4096;
// The 16-byte entries (missiles and bullets) a status of m's vehicles and
// cows has room for under the bound.
size_t EntrySlots(const TStatusMsg& m, size_t bound = StatusByteBound);
// Where each machine's choice goes on from, status after status.
struct TStatusCursor {
    uint32_t Bullets = 0, Homing = 0, Guided = 0;
};
// Entries for one machine's status: all of them when they fit in slots;
// else half the slots go to those nearest any of the points (the machine's
// own vehicles) and the rest to the next ones in pool order from cursor on,
// which moves past them, so that every entry shows now and then. Those
// chosen keep their pool order.
void ChooseNear(const std::vector<TBulletStatus>& all, const std::vector<TVector>& points,
                size_t slots, uint32_t& cursor, std::vector<TBulletStatus>& out);
void ChooseNear(const std::vector<TMissileStatus>& all, const std::vector<TVector>& points,
                size_t slots, uint32_t& cursor, std::vector<TMissileStatus>& out);
// The status for one machine (player id) made from the whole one: the same
// but for the missiles and bullets, chosen around that machine's vehicles.
void StatusFor(const Game& g, const TStatusMsg& whole, uint32_t machine, TStatusCursor& cursor,
               TStatusMsg& out);

// Every frag, death and team score (counts that overflow 16 bits stick at
// the ends).
TScoreMsg ScoreOf(const Game& g);
// A client takes a status whose size was checked: the vehicles' and
// missiles' snapshots (the correction that follows moves them), bullets
// and cows. Non-finite values and indices that name nothing are refused
// entry by entry; places off the map are brought to its edge.
void ApplyStatus(Game& g, const TStatusMsg& m);

// Which vehicle table a status was built for: a hash of the table's
// membership (its length and each vehicle's machine id, in table order). It changes whenever a
// vehicle joins or leaves the table or the table is rebuilt with other members, and a client that
// applied the same vehicle list computes the same value from its own table.
uint32_t RosterGeneration(const Game& g);

// The status travels with the generation below it: the message's bytes,
// untouched, followed by the generation (u32, little-endian).
constexpr size_t StatusTrailerSize = 4;
void AppendRosterGeneration(TBlock& block, uint32_t generation);
// Splits what arrived into the message's size and the generation; false
// when it is too short to carry one.
bool SplitRosterGeneration(const uint8_t* data, size_t size, size_t& messageSize,
                           uint32_t& generation);

// The sender's own check before a status leaves: the header's counts give
// exactly the block's size and nothing of the message was cut on the way.
bool StatusSizesAgree(const TStatusMsg& m, const TBlock& block);
