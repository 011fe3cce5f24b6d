// Everything in flight: bullets, bomblets, rockets and missiles, BFG balls.
// A client flies projectiles for its picture; only the authority resolves
// what they hit.
#pragma once

#include "core/game.h"

// This machine decides what happens (a local game, or the host of a network
// game); clients only show it.
bool IsMatchAuthority(const Game& g);
// This machine is a network host: what happens here goes out as events.
bool TellsClients(const Game& g);

// A body launched from p0 with velocity v0 (px/s) under a constant thrust
// (px/s^2) and a linear drag k (1/s, negative), from game time t0.
TTrajectory MakeTrajectory(TVector p0, TVector v0, TVector thrust, double k, int32_t t0);
// Where that body is at game time t.
TVector TrajectoryAt(const TTrajectory& path, int32_t t);

// Bullets that hit something last tick leave the pool.
void RemoveSpentBullets(Game& g);
// Removes rocket k; a vehicle steering the rocket that moves into the hole
// follows it, one steering the removed rocket lets go.
void RemoveRocket(Game& g, int k);
// The projectile step in its written order: the bomblets, then each rocket
// and missile (steer, fly, hit), then each BFG ball (fly, rays, hit), then
// each bullet (fly, hit); every projectile hits before the next one moves.
// A client only flies them (and sets off the bomblets whose fuse has
// burnt, for the picture): the authority alone aims missiles and hits.
void ProjectileStep(Game& g);

// Rocket or missile k blows up where it is (damage, explosion, event) and
// leaves the pool. The authority only.
void ExplodeRocket(Game& g, int k);
// BFG ball k blows up where it is and leaves the pool. The authority only.
void ExplodeBfgBall(Game& g, int k);
