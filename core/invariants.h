// What must hold of a game between two ticks. Soak tests call it every
// tick; it lists what is wrong and changes nothing.
#pragma once

#include <string>
#include <vector>

#include "core/game.h"

// Numbers are finite, vehicles are on the map, pools and tables within
// their bounds, every stored vehicle, team and rocket index names an entry
// in use (or none), and the scores agree with the ranking and the limit.
std::vector<std::string> CheckInvariants(const Game& g);
