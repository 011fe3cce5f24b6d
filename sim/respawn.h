// Dead vehicles come back at a spawn point.
#pragma once

#include "core/game.h"

// A dead vehicle waits this long before the tick brings it back.
constexpr int32_t RespawnDelayMs = 6000;

// Every dead vehicle whose wait is over comes back, in index order.
void RespawnDueTanks(Game& g);
// Vehicle i comes back: full health, at a spawn point (its team's base's
// own in a team game on a map with bases), facing the way the cell is
// turned; weapon, mines and scores stay.
void RespawnTank(Game& g, int i);
