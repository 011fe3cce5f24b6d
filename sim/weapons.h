// Firing: the fire step turns a held fire button into shots of the
// vehicle's weapon, launches charged BFG balls and keeps the reload bar.
#pragma once

#include "core/game.h"

// Vehicle i's part of the tick (the authority only, while the level runs,
// after its self-destruct step).
void FireStep(Game& g, int i);
