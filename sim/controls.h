// A vehicle's controls: the actions a key, the mouse, a bot or a remote
// player's message gives it.
#pragma once

#include "core/game.h"

// The control actions, as the key map and the network store them.
enum TControlAction : int {
    caForward = 0,
    caBrake = 1,
    caLeft = 2,
    caRight = 3,
    caFire = 4,
    caChangeWeapon = 5,
    caTurretLeft = 6,
    caTurretRight = 7,
    caSelfDestruct = 8,
    caHorn = 9,
    caDropMine = 10,
    caSelectWeapon = 11, // + weapon number 0..6
};
constexpr int ControlActionCount = 18;
// The actions a key can be bound to (0..10).
constexpr int KeyActionCount = 11;

// The entry for keys, the right mouse button and the bots: turns a weapon
// change into a selection, tells the other machines in a network game and
// applies the action.
void ControlInput(Game& g, int vehicle, int action, bool pressed);
// Sets the vehicle's controls for one action (also what a remote player's
// control message does on this machine).
void ApplyControl(Game& g, int vehicle, int action, bool pressed);

// The weapon selection that "change weapon" stands for on vehicle t: the
// next weapon, after the BFG the machine gun.
int NextWeaponAction(const TTank& t);

// A digit (0..9) typed into local player slot's (0 or 1) order menu: first
// any digit opens it, then the team-mate's number (two digits with ten or
// more mates), then the order 1..4; 0 or a number beyond the list cancels.
void OrderInput(Game& g, int slot, int digit);
