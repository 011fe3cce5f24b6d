// A client keeping up with its host: the correction of its vehicles and
// missiles on every status, and its clock, set from the host's set-up and
// refined by pings (at most one unanswered ping a second).
#pragma once

#include <cstdint>

#include "core/game.h"

// A ping that has waited this long unanswered may be followed by another.
constexpr int32_t PingPatienceMs = 1000;
// Estimates faster than these are noise, not driving.
constexpr double MaxVehicleSpeed = 1000;      // px/s
constexpr double MaxMissileSpeed = 2000 / 3.; // px/s
// A missile seen for the first time flies this fast along its angle.
constexpr double NewMissileSpeed = 100; // px/s

// Runs once the snapshots of a status stamped `stamp` are stored: the clock
// check, deaths and respawns, velocity and spin estimates, the history
// shift, every vehicle and missile brought to the present, and the
// missiles remembered for the next status. A second status of the same
// stamp changes nothing.
void CorrectFromStatus(Game& g, int32_t stamp);

// A ping to the host, unless one is unanswered and less than a second old.
void PingServer(Game& g);
// Joining: the vehicle list stands in for a ping, and the host's ping that
// answers the join closes the measurement.
void StartJoinPing(Game& g);
// The host's ping: the round trip, the console line, and the clock set to
// the host's time plus half the round trip.
void PingAnswered(Game& g, int32_t serverTime);
// The host's set-up: the clock starts at its time.
void SetClockFromHost(Game& g, int32_t serverTime);
// The host left and another machine took over: what flew, and every
// weapon choice, belonged to the old host's game.
void ServerChanged(Game& g);
