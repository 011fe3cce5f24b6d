// Mines: laid behind a vehicle, armed a moment later, gone off under
// whatever drives over them, or by themselves after a minute.
#pragma once

#include "core/game.h"

// The control action; nothing when the vehicle is dead, has no mines left,
// the level is over or the pool is full.
void LayMine(Game& g, int i);
// The tick's mine step (the authority only, while the level runs).
void MineStep(Game& g);
