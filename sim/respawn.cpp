#include "sim/respawn.h"

#include <numbers>

#include "core/terrain.h"
#include "sim/cows.h"
#include "sim/sounds.h"
#include "sim/vehicles.h"

namespace {

TCell PickSpawnCell(Game& g, int i) {
    const TTeam* team = TeamOf(g, i);
    if (g.TeamGame && g.BaseCount > 1 && team && team->Base >= 0 && team->Base < g.BaseCount) {
        const int b = team->Base;
        if (g.BaseSpawnCount[b] > 0)
            return g.SpawnPoints[g.BaseSpawns[b][g.Rng.Int(g.BaseSpawnCount[b])]];
    }
    return g.SpawnPoints[g.Rng.Int(g.SpawnCount)];
}

} // namespace

void RespawnDueTanks(Game& g) {
    for (int i = 0; i < g.TankCount; ++i) {
        const TTank& t = g.Tanks[i];
        if (!t.Alive && t.DeathTime + RespawnDelayMs < g.GameTime) RespawnTank(g, i);
    }
}

void RespawnTank(Game& g, int i) {
    if (!IsTankIndex(g, i)) return;
    TTank& t = g.Tanks[i];
    t.Alive = true;
    t.Health = t.Sort == sortTank ? g.ArmourTank : g.ArmourLight;
    if (g.SpawnCount > 0) {
        const TCell c = PickSpawnCell(g, i);
        t.Position = CellCentre(g, c.X, c.Y);
        t.Heading = NormalizeAngle((g.MapCells(c.X, c.Y) % 4) * std::numbers::pi / 2);
    } else {
        t.Heading = 0;
    }
    t.PrevPosition = t.Position;
    t.Step = t.Velocity = {};
    t.Spin = 0;
    t.BumpSide = 0;
    t.TurretAngle = 0;
    RefreshWorldCorners(t);
    t.TurretPreset = t.Throttle = t.Steer = t.TurretTurn = 0;
    t.SelfDestructArmed = t.BfgCharging = false;
    t.BotTarget = -1;
    if (g.CaptureTheCow) {
        if (t.Mission == msCaptureCow) {
            t.Mission = t.SavedMission;
            t.MissionTarget = t.SavedMissionTarget;
        }
        t.TargetTeam = DrawTargetTeam(g, i);
    }
    t.Firing = false;
    t.NextFireTime = t.ReloadStart = g.GameTime;
    t.GunAmmo = 50;
    t.GuidedMissile = -1;
    t.RocketsLeft = t.Sort == sortHummer ? 12 : 6;
    t.ReloadPercent = 100;
    StartEngineSound(g, i);
}
