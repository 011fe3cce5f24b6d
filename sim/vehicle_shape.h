// Whether a point or a short path lies in a vehicle's body: what bullets,
// rockets, mines and wall corners ask.
#pragma once

#include "core/game.h"

// The point is inside the body's box (in the body frame). depth, when
// given and the point is inside, is its distance to the nearest side.
bool PointInsideVehicle(const TTank& t, TVector p, double* depth = nullptr);
// The path prev -> p (prev first carried along by the vehicle's own Step
// this tick) crosses one of the body's edges and ends on its inner side.
bool SegmentEntersVehicle(const TTank& t, TVector p, TVector prev);
