// Driving: forces, friction, integration, the map edges, vehicle-vehicle
// and wall collisions, and a client's prediction from the host's snapshots.
#pragma once

#include "core/game.h"

void MoveVehicles(Game& g);
void WallCollisions(Game& g);
void PredictVehicles(Game& g);
