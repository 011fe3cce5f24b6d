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
// The keys the autopilot holds down for a player whose machine is not the
// host: the bots' brain decides, and only changes go out, as the presses
// and releases of keys.
struct TAutopilotKeys {
    int Steer = 0;    // 1 left, -1 right
    int Throttle = 0; // 1 forward, -1 brake
    bool Fire = false;
    int32_t RespawnPressTime = -1000000;
    int32_t WeaponChangeTime = 0;
};
// One tick of the autopilot for vehicle j on a client: drives, aims and
// fires like a bot, picks a weapon now and then, and presses fire to come
// back a while after it died.
void AutopilotStep(Game& g, int j, TAutopilotKeys& keys);
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
