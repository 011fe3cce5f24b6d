// Hits, deaths and the ranking.
#pragma once

#include "core/game.h"

// Every hit ends here. The attacker may be the victim; a dead victim takes
// no further damage, so several hits in one tick kill once.
void ApplyDamage(Game& g, int victim, int attacker, double amount);
// The vehicle leaves play: health gone, missile let go, carried cow dropped,
// a local player's engine silenced.
void Die(Game& g, int i);
// RankOrder and every Rank (and in team games TeamOrder and the team ranks)
// from the scores.
void UpdateRanking(Game& g);
