// Capture The Cow: the cows, their bases, carrying, scoring and the alarm.
#pragma once

#include "core/game.h"

// A grazing cow wanders this far (px) around its base centre.
constexpr double CowGrazeRadius = 25.6;
// A vehicle closer than this (px) to a cow touches it.
constexpr double CowTouchDistance = 32;
// A cow lying in the field walks this fast (px/s), looking this far ahead.
constexpr double CowWalkSpeed = 6;
constexpr double CowLookAhead = 21.333;
// A robbed base sounds its alarm this often (ms).
constexpr int32_t CowAlarmGapMs = 900;

// The host's step for every cow: grazing, walking, carrying, touching,
// dropping, arriving at a base, and the missions that follow.
void CowsAndBases(Game& g);
// A client moves the cows between the host's reports.
void ClientCowStep(Game& g);
// Every robbed base's alarm, every 900 ms (every machine).
void CowAlarms(Game& g);
// Vehicle i leaves play: every cow it carries is dropped where it is (and
// may land on a base, or score there).
void DropCarriedCows(Game& g, int i);
// Vehicle i changed sides: its missions start over and it picks a new team
// whose cow to go after.
void ResetCowMission(Game& g, int i);
// The first team other than i's own, going round from a random one; -1 none.
int DrawTargetTeam(Game& g, int i);

// The centre of team t's base cell; false when the team has no base.
bool BaseCentre(const Game& g, int t, TVector& centre);
// The world point p lies on team t's base cell.
bool OnBaseOf(const Game& g, int t, TVector p);
