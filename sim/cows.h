// Capture The Cow: the cows, their bases, carrying, scoring and the alarm.
#pragma once

#include "core/game.h"

void CowsAndBases(Game& g);
// A client moves the cows between the host's reports.
void ClientCowStep(Game& g);
// Vehicle i leaves play: every cow it carries is dropped where it is.
void DropCarriedCows(Game& g, int i);
// Vehicle i changed sides: its missions start over and it picks a new team
// whose cow to go after.
void ResetCowMission(Game& g, int i);
// The first team other than i's own, going round from a random one; -1 none.
int DrawTargetTeam(Game& g, int i);
