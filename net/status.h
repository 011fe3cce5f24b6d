// The host's reports to its clients, and a client taking them in.
#pragma once

#include "core/game.h"
#include "net/messages.h"

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
// A client takes a status whose size was checked: vehicles, missiles,
// bullets and cows. Non-finite values and indices that name nothing are
// refused entry by entry.
void ApplyStatus(Game& g, const TStatusMsg& m);
