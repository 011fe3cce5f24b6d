// The host's reports to its clients, and a client taking them in.
#pragma once

#include "core/game.h"
#include "net/messages.h"

#include <cstddef>
#include <cstdint>

// The scores at once after a kill: MsgScore to all.
void BroadcastScore(Game& g);
// The regular game status, every StatusInterval.
void BroadcastGameStatus(Game& g);

// This machine's status as the host reports it. Missiles beyond 255 of a
// kind are left out (their count is one byte).
void StatusOf(const Game& g, TStatusMsg& m);
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
