// The simulation steps the tick runs, in the order it runs them.
#pragma once

#include "core/game.h"

// Bullets that hit something last tick leave the pool.
void RemoveSpentBullets(Game& g);
// Dead vehicles whose six seconds are up come back, in index order.
void RespawnDueTanks(Game& g);
void RespawnTank(Game& g, int i);
// Driving, vehicle-vehicle collisions and the map edges.
void MoveVehicles(Game& g);
void WallCollisions(Game& g);
// Client prediction from the last snapshot.
void PredictVehicles(Game& g);
// Bomblets, rockets, missiles, BFG balls and bullets fly.
void MoveProjectiles(Game& g, bool applyDamage);
void BulletHits(Game& g);
void MineStep(Game& g);
void SelfDestructStep(Game& g, int i, bool applyDamage);
void FireStep(Game& g, int i);
// A side reached the limit: the level ends.
void WinnerCheck(Game& g);
// Engine pitch, horn, alarms and remote machine-gun sounds.
void SoundUpdate(Game& g);
