// Everything in flight: bullets, bomblets, rockets and missiles, BFG balls.
// Flight and hits are apart: a client flies projectiles for its picture,
// only the authority resolves what they hit.
#pragma once

#include "core/game.h"

// Bullets that hit something last tick leave the pool.
void RemoveSpentBullets(Game& g);
// Removes rocket k; a vehicle steering the rocket that moves into the hole
// follows it, one steering the removed rocket lets go.
void RemoveRocket(Game& g, int k);
// Bomblets, rockets, missiles, BFG balls and bullets move one step.
void FlyProjectiles(Game& g);
// What the flying projectiles ran into this step: damage, explosions.
void ProjectileHits(Game& g);
void BulletHits(Game& g);
