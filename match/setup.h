// Turning the start screen's choices into a match's vehicles, and taking
// over what was changed there while a match runs.
#pragma once

#include "core/game.h"

// The set-up step of a new game, at tick count nowMs.
void SetupStep(Game& g, int32_t nowMs);
// Applies the set-ups changed on the start screen to a running game.
void ApplyChangedSetups(Game& g);
