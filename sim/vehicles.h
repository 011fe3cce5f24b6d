// The vehicle table: adding a vehicle of a sort, its geometry, and removing
// one with every index that points into the table kept right.
#pragma once

#include "core/game.h"

// Fills the geometry fields of a vehicle of this sort from the sprite sizes.
void InitTankGeometry(TTank& t, int sort, int mineHalfWidth);
// Rotates the body corners by Heading and moves them to Position.
void RefreshWorldCorners(TTank& t);

// Appends a vehicle of the sort; its index, or -1 when 64 already exist.
int AddTank(Game& g, int sort);
// Removes vehicle i: it dies, what it had in flight goes with it, later
// vehicles move down one place, every stored vehicle index follows them,
// and its team goes when it was the last member.
void RemoveTank(Game& g, int i);
