// Firing: the fire step turns a held fire button into shots of the
// vehicle's weapon, launches charged BFG balls and keeps the reload bar.
#pragma once

#include "core/game.h"

// Vehicle i's part of the tick (the authority only, while the level runs,
// after its self-destruct step).
void FireStep(Game& g, int i);
// The railgun's trail from start to end: one particle per pixel while the
// pool has room (also what a client draws for the host's shot).
void StrewRailParticles(Game& g, TVector start, TVector end);
