#include "match/tick.h"

#include <algorithm>

#include "match/level.h"
#include "net/status.h"
#include "sim/bots.h"
#include "sim/cows.h"
#include "sim/mines.h"
#include "sim/movement.h"
#include "sim/projectiles.h"
#include "sim/respawn.h"
#include "sim/self_destruct.h"
#include "sim/sounds.h"
#include "sim/weapons.h"

namespace {

void AuthoritativeSimulation(Game& g) {
    if (g.ClientMode) {
        // We have just become the host.
        g.ClientMode = false;
        ConsoleLine(g, "You are the new host");
        HostChange(g, g.TickNow);
    }
    if (!g.LevelRunning && (g.NextLevelRequested || g.LevelEndTime + NextLevelDelayMs < g.GameTime))
        StartNextLevel(g, g.TickNow);
    if (g.ScreenSaverMode && !g.LevelRunning &&
        g.GameTime >= g.LevelEndTime + ScreenSaverNextLevelDelayMs)
        StartNextLevel(g, g.TickNow);
    RemoveSpentBullets(g);
    if (g.LevelRunning) {
        BotsDecide(g);
        RespawnDueTanks(g);
    }
    MoveVehicles(g);
    WallCollisions(g);
    ProjectileStep(g);
    if (g.LevelRunning) MineStep(g);
    if (g.LevelRunning) {
        for (int i = 0; i < g.TankCount; ++i) {
            SelfDestructStep(g, i, true);
            FireStep(g, i);
        }
    }
    if (g.CaptureTheCow) CowsAndBases(g);
    if (g.NetworkGame && g.SendStatusNow) {
        BroadcastScore(g);
        g.SendStatusNow = false;
    }
    if (g.LevelRunning) WinnerCheck(g);
    if (g.NetworkGame && g.TickNow - g.LastStatusSend >= g.StatusInterval) {
        BroadcastGameStatus(g);
        const int32_t gap = std::max(1, g.TickNow - g.LastStatusSend);
        g.SendsPerSecond = RoundEven(1000.0 / gap);
        g.LastStatusSend = g.TickNow;
    }
}

void ClientSimulation(Game& g) {
    // Two seconds without a status: the world stands still until the next.
    if (int64_t{g.GameTime} - g.LastServerUpdate >= ClientFreezeMs) return;
    if (g.PassiveInterpolation) {
        PredictVehicles(g);
    } else {
        MoveVehicles(g);
        WallCollisions(g);
    }
    for (int i = 0; i < g.TankCount; ++i)
        SelfDestructStep(g, i, false);
    ProjectileStep(g);
    if (g.CaptureTheCow) ClientCowStep(g);
    if (g.LevelRunning) WinnerCheck(g);
}

} // namespace

bool IsAuthority(const Game& g) {
    return !g.NetworkGame || g.Net.IsHost();
}

bool GameTicking(const Game& g) {
    return g.GameWindowShown && (!g.ClientMode || (g.MapReceived && g.StatusReceived));
}

bool GameTick(Game& g, int32_t nowMs) {
    if (g.ClientMode && !(g.MapReceived && g.StatusReceived)) return false;
    g.TickNow = nowMs;
    // A clock that went backwards must not run the game in reverse.
    int32_t delta = std::max(0, nowMs - g.LastTick);
    if (!g.NetworkGame)
        delta = std::min(delta, LocalStepCapMs);
    else if (IsAuthority(g))
        delta = std::min(delta, HostStepCapMs);
    g.LastTick = nowMs;
    GameStep(g, delta);
    return true;
}

void GameStep(Game& g, int32_t deltaMs) {
    const bool authority = IsAuthority(g);
    g.DeltaMs = deltaMs;
    g.DeltaSec = deltaMs * 0.001;
    // Fire after a win starts the next level even in a paused game, and the
    // new level runs unpaused.
    if (g.Paused && g.NextLevelRequested && !g.LevelRunning && authority) g.Paused = false;
    if (g.Paused && !(g.NetworkGame && authority)) return;
    if (g.NetworkGame && !authority) {
        g.GameTime = g.TickNow - g.ClockOffset;
    } else {
        g.GameTime += deltaMs;
        if (g.NetworkGame) g.ClockOffset = g.TickNow - g.GameTime;
    }
    g.Console.Age(g.TickNow);
    if (authority)
        AuthoritativeSimulation(g);
    else
        ClientSimulation(g);
    SoundUpdate(g);
}
