// Turning the start screen's choices into vehicles, adding and removing
// vehicles, and the sound tuning done when the game window is made.
#pragma once

#include "core/game.h"

// Fills the geometry fields of a vehicle of this sort from the sprite sizes.
void InitTankGeometry(TTank& t, int sort, int mineHalfWidth);
// Rotates the body corners by Heading and moves them to Position.
void RefreshWorldCorners(TTank& t);

// Appends a vehicle of the sort; its index, or -1 when 64 already exist.
int AddTank(Game& g, int sort);
// Removes vehicle i: later vehicles move down one place and every index
// that pointed at them follows.
void RemoveTank(Game& g, int i);

// The sound tuning of the game window's creation; also appends the spare
// sound that becomes player 2's engine.
void TuneSounds(Game& g);
// Player 2's engine takes the wave of its sort's engine (split screen).
void PreparePlayer2Engine(Game& g);

// The set-up step of a new game.
void SetupStep(Game& g);
// Applies the set-ups changed on the start screen to a running game.
void ApplyChangedSetups(Game& g);
