// The game tick: clock, then every simulation step in its fixed order.
#pragma once

#include "core/game.h"

// True when this machine runs the authoritative simulation.
bool IsAuthority(const Game& g);
// One tick. Returns true when a frame should be drawn (a client that has
// neither map nor status yet draws nothing).
bool GameTick(Game& g);
