// Driving: forces, friction, integration, the map edges, vehicle-vehicle
// and wall collisions, and a client's prediction from the host's snapshots.
#pragma once

#include "core/game.h"

// One tick of driving for every vehicle: collisions between vehicles and
// the map edges (not in the credits show), particle ageing, drive and
// friction per sort, integration, turret travel, edges again, water spray.
void MoveVehicles(Game& g);
// Pushes every vehicle, wreck or not, out of the wall cells and off the
// corners of walls. Runs after MoveVehicles.
void WallCollisions(Game& g);
// A client's stand-in for both steps above: every vehicle is carried on
// from the host's last snapshot by its velocity, spin and forces.
void PredictVehicles(Game& g);

// Where vehicle i's corners stick out of the map, it is pushed back by
// 0.3 of the overshoot and that velocity component turns inward at 0.3 of
// its size. With bumpMarks a Hummer driven by the bot logic notes the side.
void KeepInsideMap(Game& g, int i, bool bumpMarks);
// Every pair of vehicles whose edges cross shares its momentum, loses most
// of its closing speed and is pushed apart.
void CollideVehicles(Game& g);
