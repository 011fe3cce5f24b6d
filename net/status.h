// The host's reports to its clients.
#pragma once

#include "core/game.h"

// The vehicle and team status, at once after a kill.
void BroadcastTankStatus(Game& g);
// The regular game status, every StatusInterval.
void BroadcastGameStatus(Game& g);
