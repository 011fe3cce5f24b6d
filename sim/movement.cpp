#include "sim/movement.h"

// The driving model comes with the vehicles.
void MoveVehicles(Game&) {}
void WallCollisions(Game&) {}
void PredictVehicles(Game&) {}
