// What the fire button does beyond firing: after a win it asks for the next
// level, for a dead vehicle it brings it back.
#pragma once

#include "core/game.h"

// After a win, fire asks for the next level once this long has passed.
constexpr int32_t FireNextLevelAfterMs = 4000;
// A dead vehicle comes back on fire once this long has passed.
constexpr int32_t FireRespawnAfterMs = 500;

// Fire pressed for vehicle i (the authority decides; a client only sends).
void PressFire(Game& g, int i);
