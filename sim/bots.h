// The bots: missions, targets, routes round the walls, and the controls
// they press like everybody else.
#pragma once

#include "core/game.h"

// A bot brought down waits this long before it comes back by itself.
constexpr int32_t BotRespawnDelayMs = 3000;
// Bots shoot what is this close (px) and nearly straight ahead (rad).
constexpr double BotFireRange = 400;
constexpr double BotFireCone = 0.2;
// A route keeps this many waypoints at most.
constexpr int MaxRouteWaypoints = 9;

// Vehicle i is driven by the bot logic: a bot, or player 1 under the
// developer's autopilot.
bool BotDriven(const Game& g, int i);
// Every bot decides its controls for this tick, in table order.
void BotsDecide(Game& g);
// One bot's tick: respawn, weapon, fire, goal, way and controls.
void BotStep(Game& g, int j);
// Missions at level start and after a host change.
void SetBotMissions(Game& g);

// The living vehicle nearest to point that is not bot and, in a team
// game, not on its team; ties to the lower index; -1 none.
int NearestEnemy(const Game& g, int bot, TVector point);
// The other team whose base is nearest to point; -1 none.
int NearestEnemyBase(const Game& g, int bot, TVector point);
// The bot hunts the enemy nearest to it now, by a route yet to be found.
void Retarget(Game& g, int bot);
// A way to goal round the walls, as up to nine waypoint cells that can
// each see the next; the old route stays when there is no way.
void PlanRoute(Game& g, int bot, TVector goal);

// Where bot j of the credits show drives now.
TVector FormationPoint(const Game& g, int j);
// A kill in the credits show: a new pattern and direction.
void NewFormation(Game& g);
