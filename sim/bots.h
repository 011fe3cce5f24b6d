// The bots: missions, targets, routes and their controls.
#pragma once

#include "core/game.h"

// Every bot decides its controls for this tick.
void BotsDecide(Game& g);
// Missions at level start and after a host change.
void SetBotMissions(Game& g);
