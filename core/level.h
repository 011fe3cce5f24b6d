// Starting a level: fresh pools, the clock at zero, everybody in play.
#pragma once

#include "core/game.h"

void StartLevel(Game& g);
