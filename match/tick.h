// The game tick: the clock reading comes in, the simulation runs its steps
// in their fixed order.
#pragma once

#include "core/game.h"

// Longest step a local game takes after a stall, and a network host.
constexpr int32_t LocalStepCapMs = 100;
constexpr int32_t HostStepCapMs = 300;
// A won level starts over after this long, in the screen saver sooner.
constexpr int32_t NextLevelDelayMs = 16000;
constexpr int32_t ScreenSaverNextLevelDelayMs = 4000;
// A client without a status for this long stops simulating until the next.
constexpr int32_t ClientFreezeMs = 2000;

// True when this machine runs the authoritative simulation.
bool IsAuthority(const Game& g);
// The game ticks: its window shows, and a client has its map and a first
// status. Until it does, nothing else keeps the tick count (TickNow) current.
bool GameTicking(const Game& g);
// One tick at tick count nowMs: the step since the last tick, capped, then
// GameStep. Returns true when a frame should be drawn (a client that has
// neither map nor status yet draws nothing).
bool GameTick(Game& g, int32_t nowMs);
// One step of deltaMs (already capped): the clock, then every simulation
// step in order, then the sounds. Tests and replays drive it directly.
void GameStep(Game& g, int32_t deltaMs);
