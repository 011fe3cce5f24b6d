#include "core/tick.h"

#include <algorithm>

#include "core/steps.h"

namespace {

void Call(const std::function<void()>& hook) {
    if (hook) hook();
}

void AuthoritativeSimulation(Game& g) {
    if (g.ClientMode) {
        // We have just become the host.
        g.ClientMode = false;
        SayConsole(g, "You are the new host");
        Call(g.Hooks.HostChange);
    }
    if (!g.LevelRunning && g.LevelEndTime + 16000 < g.GameTime) Call(g.Hooks.StartNextLevel);
    if (g.ScreenSaverMode && !g.LevelRunning && g.GameTime >= g.LevelEndTime + 4000)
        Call(g.Hooks.StartNextLevel);
    RemoveSpentBullets(g);
    if (g.LevelRunning) {
        Call(g.Hooks.BotsDecide);
        RespawnDueTanks(g);
    }
    MoveVehicles(g);
    WallCollisions(g);
    MoveProjectiles(g, true);
    BulletHits(g);
    if (g.LevelRunning) MineStep(g);
    if (g.LevelRunning) {
        for (int i = 0; i < g.TankCount; ++i) {
            SelfDestructStep(g, i, true);
            FireStep(g, i);
        }
    }
    if (g.CaptureTheCow) Call(g.Hooks.CowsAndBases);
    if (g.NetworkGame && g.SendStatusNow) {
        Call(g.Hooks.BroadcastTankStatus);
        g.SendStatusNow = false;
    }
    if (g.LevelRunning) WinnerCheck(g);
    if (g.NetworkGame && g.TickNow - g.LastStatusSend >= g.StatusInterval) {
        Call(g.Hooks.BroadcastGameStatus);
        const int32_t gap = std::max(1, g.TickNow - g.LastStatusSend);
        g.SendsPerSecond = RoundEven(1000.0 / gap);
        g.LastStatusSend = g.TickNow;
    }
}

void ClientSimulation(Game& g) {
    // Without a status for two seconds the client freezes until the next one.
    if (g.GameTime >= g.LastServerUpdate + 2000) return;
    if (g.PassiveInterpolation) {
        PredictVehicles(g);
    } else {
        MoveVehicles(g);
        WallCollisions(g);
    }
    for (int i = 0; i < g.TankCount; ++i) SelfDestructStep(g, i, false);
    MoveProjectiles(g, false);
    if (g.CaptureTheCow) Call(g.Hooks.ClientCowStep);
    if (g.LevelRunning) WinnerCheck(g);
}

} // namespace

bool IsAuthority(const Game& g) { return !g.NetworkGame || g.Net.IsHost(); }

bool GameTick(Game& g) {
    if (g.ClientMode && !(g.MapReceived && g.StatusReceived)) return false;

    const bool authority = IsAuthority(g);
    g.TickNow = g.TheClock.TickCount();
    g.DeltaMs = g.TickNow - g.LastTick;
    // A clock that went backwards must not run the game in reverse.
    if (g.DeltaMs < 0) g.DeltaMs = 0;
    if (!g.NetworkGame)
        g.DeltaMs = std::min(g.DeltaMs, 100);
    else if (authority)
        g.DeltaMs = std::min(g.DeltaMs, 300);
    g.DeltaSec = g.DeltaMs * 0.001;
    g.LastTick = g.TickNow;

    if (!(g.Paused && !(g.NetworkGame && authority))) {
        if (g.NetworkGame && !authority) {
            g.GameTime = g.TickNow - g.ClockOffset;
        } else {
            g.GameTime += g.DeltaMs;
            if (g.NetworkGame) g.ClockOffset = g.TickNow - g.GameTime;
        }
        Call(g.Hooks.AgeConsole);
        if (authority)
            AuthoritativeSimulation(g);
        else
            ClientSimulation(g);
        SoundUpdate(g);
    }
    return true;
}
