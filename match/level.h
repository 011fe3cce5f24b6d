// A match is a run of levels: starting one, the winner check that ends it,
// the next one, and taking over as host.
#pragma once

#include <string>

#include "core/game.h"

// Starts a level on the start screen's selected map at tick count nowMs:
// fresh pools, scores and teams, everybody at a spawn point. False with the
// reason when the map could not be loaded; the level then goes on on the
// map that was loaded before, if there is one.
bool StartLevel(Game& g, int32_t nowMs, std::string& error);
// The tick's level change: a map that fails to load is said in a message
// box, and play goes on on the old map.
void StartNextLevel(Game& g, int32_t nowMs);
// Ends the level when the leader (player or team) reached the limit.
void WinnerCheck(Game& g);
// "Cycle levels": the selection moves to the next level of the list,
// round to the first, never onto the credits.
void CycleLevel(TStartChoices& st);
// The score the winner check compares with FragLimit.
int32_t LeadingScore(const Game& g);
// This machine has just become the host of a network game.
void HostChange(Game& g, int32_t nowMs);
