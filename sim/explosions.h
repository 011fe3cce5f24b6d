// The explosion pool: what blew up where, for the picture and the sound.
#pragma once

#include "core/game.h"

// Kind 1 small, 2 big, 14 BFG (each also its sound's index), -1 the silent
// self-destruct blast. Nothing at all, not even the sound, when the pool
// is full or the place is no number; else the sound, when asked, plays
// where it happens.
void SpawnExplosion(Game& g, TVector at, int kind, bool withSound);
