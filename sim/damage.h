// Hits, deaths and the ranking.
#pragma once

#include "core/game.h"

// Every hit ends here. The attacker may be the victim, or -1 (a mine whose
// layer this machine never knew); a dead victim takes no further damage, so
// several hits in one tick kill once. A kill scores, is announced, may be
// taunted about, and ranks.
void ApplyDamage(Game& g, int victim, int attacker, double amount);
// A self-destruct's blast on its own vehicle: death by its own hand (a
// suicide), whatever armour cheat the vehicle enjoys.
void SelfDestructKill(Game& g, int i);
// The console line and the players' lines for a kill (a suicide when killer
// is the victim); a host first tells its clients, which run it too.
void KillAnnouncement(Game& g, int victim, int killer);
// "Double Kill" (count 2) up to "Monster Kill" (5) for a local player's
// vehicle, panned to its half of a split screen. Anything else is ignored.
void MultiKillAnnouncement(Game& g, int tank, int count);
// The vehicle leaves play: health gone, missile let go, carried cow dropped,
// a local player's engine silenced.
void Die(Game& g, int i);
// RankOrder and every Rank (and in team games TeamOrder and the team ranks)
// from the scores.
void UpdateRanking(Game& g);
