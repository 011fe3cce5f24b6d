// A machine whose connection broke may come back to its seat within a
// minute: the session lets it back under its old player id when it shows
// the token of its join. Its vehicles then get back their frags, deaths,
// looks and team. Host only; the session decides who may come back.
#pragma once

#include <cstdint>

#include "core/game.h"

// Kept a little longer than the session keeps the seat, so that a machine
// the session let back always finds its vehicles.
constexpr int32_t KeptVehicleMs = 75000;

// The player's vehicles are about to go: keep what a comeback gives back.
void KeepLeaversVehicles(Game& g, uint32_t player);
// The player's vehicles were just added from its list: those of a seat
// kept for it take back what they had. True when any did.
bool GiveBackVehicles(Game& g, uint32_t player);
