// Firing: the fire step turns a held fire button into shots of the
// vehicle's weapon.
#pragma once

#include "core/game.h"

void FireStep(Game& g, int i);
