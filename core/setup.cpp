#include "core/setup.h"

#include <algorithm>

#include "core/asset_names.h"
#include "core/colours.h"

using namespace Vectors2D;

namespace {

struct TSortGeometry {
    double BodyPivot;
    double TurretPivot;
};

TSortGeometry GeometryOf(int sort) {
    switch (sort) {
    case sortHovercraft: return {0.5, 0.15};
    case sortHummer: return {0.5, 0.5};
    default: return {0.4, 0.25};
    }
}

int ValidSort(int sort) {
    return sort == sortHovercraft || sort == sortHummer ? sort : sortTank;
}

// An index into the vehicle table after vehicle `removed` left it.
int32_t Reindex(int32_t index, int removed) {
    if (index == removed) return -1;
    return index > removed ? index - 1 : index;
}

} // namespace

void InitTankGeometry(TTank& t, int sort, int mineHalfWidth) {
    sort = ValidSort(sort);
    t.Sort = sort;
    const TSortGeometry geo = GeometryOf(sort);
    const double L = SpriteList[sort].Width;      // body length
    const double W = SpriteList[sort].Height;     // body width
    const double T = SpriteList[sort + 1].Width;  // turret length
    const double WT = SpriteList[sort + 1].Height;
    const double q = geo.BodyPivot;
    t.BodyPivot = q;
    t.TurretPivot = geo.TurretPivot;

    t.BodyCorners = {Make(L * (1 - q), W / 2), Make(-L * q, W / 2), Make(-L * q, -W / 2),
                     Make(L * (1 - q), -W / 2)};
    t.MainMuzzle = Make(T * (1 - t.TurretPivot), 0);
    switch (sort) {
    case sortHovercraft:
        t.TurretMount = Make(-10, -5);
        t.GunMuzzle = t.MainMuzzle;
        break;
    case sortHummer:
        t.TurretMount = Make(L * (0.5 - q) - 13, 0);
        // The Hummer's gun sits fixed at the front-right corner of the body.
        t.GunMuzzle = t.BodyCorners[3];
        t.MainMuzzle = t.GunMuzzle;
        break;
    default:
        t.TurretMount = Make(0, 0);
        t.GunMuzzle = Make(T * (0.5 - t.TurretPivot), WT / 4);
        break;
    }
    t.MineDrop = Make(-L * q - 1.1 * mineHalfWidth, 0);
    t.LaunchRail = Make(L / 4, 0.45 * W);
    t.RocketsLeft = sort == sortHummer ? 12 : 6;
    RefreshWorldCorners(t);
}

void RefreshWorldCorners(TTank& t) {
    for (int k = 0; k < 4; ++k)
        t.WorldCorners[k] = Add(t.Position, Rotate(t.BodyCorners[k], t.Heading));
    t.TurretMountWorld = Add(t.Position, Rotate(t.TurretMount, t.Heading));
}

int AddTank(Game& g, int sort) {
    if (g.TankCount >= MaxTanks) return -1;
    const int i = g.TankCount;
    TTank& t = g.Tanks[i];
    t = TTank{};
    InitTankGeometry(t, sort, g.MineHalfWidth);
    t.Weapon = wpMachineGun;
    t.Frags = 0;
    t.Deaths = 0;
    t.MinesLeft = 10;
    t.TeamIndex = -1;
    t.LastKiller = -1;
    t.WeaponChangeTime = g.GameTime + g.Rng.Int(60000);
    // Its two tinted pictures sit at a fixed place per vehicle index.
    t.BodySprite = SpriteCount + 2 * i;
    t.TurretSprite = SpriteCount + 2 * i + 1;
    ++g.TankCount;
    return i;
}

void RemoveTank(Game& g, int i) {
    if (i < 0 || i >= g.TankCount) return;
    g.Tanks[i].Alive = false;
    if (g.Hooks.FreeTintedSprites) g.Hooks.FreeTintedSprites(i);

    // Whatever the leaver had in flight goes with it, so that no later hit is
    // credited to the vehicle that moves into its place.
    for (int k = g.Bullets.Count - 1; k >= 0; --k)
        if (g.Bullets[k].Shooter == i) g.Bullets.Remove(k);
    for (int k = g.Bomblets.Count - 1; k >= 0; --k)
        if (g.Bomblets[k].Owner == i) g.Bomblets.Remove(k);
    for (int k = g.Rockets.Count - 1; k >= 0; --k)
        if (g.Rockets[k].Owner == i) RemoveRocket(g, k);
    for (int k = g.BfgBalls.Count - 1; k >= 0; --k)
        if (g.BfgBalls[k].Owner == i) g.BfgBalls.Remove(k);
    for (int k = g.Mines.Count - 1; k >= 0; --k)
        if (g.Mines[k].Owner == i) g.Mines.Remove(k);

    for (int k = i; k < g.TankCount - 1; ++k) {
        g.Tanks[k] = g.Tanks[k + 1];
        g.Tanks[k].BodySprite = SpriteCount + 2 * k;
        g.Tanks[k].TurretSprite = SpriteCount + 2 * k + 1;
    }
    --g.TankCount;
    g.Tanks[g.TankCount] = TTank{};

    for (int k = 0; k < g.TankCount; ++k) {
        TTank& t = g.Tanks[k];
        t.BotTarget = Reindex(t.BotTarget, i);
        t.MissionTarget = Reindex(t.MissionTarget, i);
        t.SavedMissionTarget = Reindex(t.SavedMissionTarget, i);
        t.LastKiller = Reindex(t.LastKiller, i);
    }
    for (int k = 0; k < g.Bullets.Count; ++k) g.Bullets[k].Shooter = Reindex(g.Bullets[k].Shooter, i);
    for (int k = 0; k < g.Bomblets.Count; ++k) g.Bomblets[k].Owner = Reindex(g.Bomblets[k].Owner, i);
    for (int k = 0; k < g.Rockets.Count; ++k) {
        g.Rockets[k].Owner = Reindex(g.Rockets[k].Owner, i);
        g.Rockets[k].Target = Reindex(g.Rockets[k].Target, i);
    }
    for (int k = 0; k < g.BfgBalls.Count; ++k) g.BfgBalls[k].Owner = Reindex(g.BfgBalls[k].Owner, i);
    for (int k = 0; k < g.Mines.Count; ++k) g.Mines[k].Owner = Reindex(g.Mines[k].Owner, i);
    if (g.Hooks.UpdateTeam) g.Hooks.UpdateTeam(-1);
}

void TuneSounds(Game& g) {
    SoundOut& s = g.Sound;
    g.Player2Engine = s.AddSound();
    s.SetVolume(sndDiesel, -600);
    s.SetFrequency(sndBulletImpact, 30000);
    s.SetVolume(sndBulletImpact, -1000);
    s.SetFrequency(sndHorn, 13500);
    s.SetFrequency(sndAlarm, 16000);
    const int n = s.SoundCount();
    for (int i = 0; i < n; ++i) s.SetVolume(i, s.Volume(i) - 600);
}

void PreparePlayer2Engine(Game& g) {
    if (!g.TwoPlayers || g.Player2Engine < 0) return;
    if (g.Player2 < 0 || g.Player2 >= g.TankCount) return;
    const int sort = g.Tanks[g.Player2].Sort;
    const int engine =
        sort == sortHovercraft ? sndHoverEngine : (sort == sortHummer ? sndHummerEngine : sndDiesel);
    SoundOut& s = g.Sound;
    s.CopyWave(g.Player2Engine, engine);
    s.SetVolume(g.Player2Engine, s.Volume(sort == sortTank ? sndDiesel : sndHoverEngine));
    s.SetPan(g.Player2Engine, g.SplitPan);
    s.SetLoop(g.Player2Engine, true);
}

namespace {

// The start-screen slot of vehicle i: without a second local player, slot 1
// (player 2's) is skipped.
int SlotOfTank(const Game& g, int i) { return (!g.TwoPlayers && i > 0) ? i + 1 : i; }

void CopyAppearance(const TTankSetup& slot, TTank& t) {
    t.BodyColour = HsbToRgb(slot.Colour1);
    t.SecondColour = HsbToRgb(slot.Colour2);
    t.PaintJob = slot.Pattern >= 0 && slot.Pattern <= 6 ? slot.Pattern : -1;
}

void CopySetupToTank(Game& g, TTankSetup& slot, TTank& t) {
    CopyAppearance(slot, t);
    t.Name = slot.Name;
    if (g.NetworkGame) std::replace(t.Name.begin(), t.Name.end(), ' ', '_');
    slot.Changed = false;
    if (slot.Weapon == wpVarying) {
        t.VaryingWeapon = true;
        t.Weapon = g.Rng.Int(7);
    } else {
        t.VaryingWeapon = false;
        t.Weapon = slot.Weapon >= 0 && slot.Weapon <= 6 ? slot.Weapon : wpMachineGun;
    }
}

} // namespace

void SetupStep(Game& g) {
    TStartChoices& st = g.Start;
    g.SplitPan = st.Player2LeftSide ? -8000 : 8000;
    if (!g.ClientMode) {
        g.CaptureTheCow = st.CaptureTheCowBox;
        g.FragLimit = std::max(1, st.FragLimitSpin);
        g.ArmourLight = st.ArmourSlider;
        g.ArmourTank = RoundEven(1.6 * st.ArmourSlider);
        g.TankIndicators = st.TankIndicatorsBox;
        g.TeamGame = st.TeamWarBox || g.CaptureTheCow;
        g.UseBases = st.UseBasesBox || g.CaptureTheCow;
    }
    g.ShowShadows = !st.NoShadowsBox;
    // The game divides by the rate: a rate below one would stop the broadcasts.
    g.StatusInterval = RoundEven(1000.0 / std::max(1, st.ServerRate));
    g.SplitScreen = g.TwoPlayers;
    if (g.Hooks.ClearConsole) g.Hooks.ClearConsole();

    if (!g.ClientMode) {
        g.TeamCount = 0;
        for (int i = g.TankCount - 1; i >= 0; --i) RemoveTank(g, i);
        if (g.TeamGame && g.TeamCount != 0) {
            g.TheUi.MessageBox("teamcount <> 0,nl: " + std::to_string(g.TeamCount));
            g.TeamCount = 0;
        }

        g.Player1 = 0;
        g.Player2 = 1;
        const bool swap = g.TwoPlayers && st.Player2LeftSide;
        g.LeftViewPlayer = swap ? g.Player2 : g.Player1;
        g.RightViewPlayer = swap ? g.Player1 : g.Player2;
        if (g.NetworkGame) g.LocalPlayerId = static_cast<int32_t>(g.Net.LocalPlayerId());

        const int extra = g.TwoPlayers ? 1 : 0;
        const int bots = std::clamp(st.BotCount, 0, MaxTanks - 2);
        const int count = std::min(MaxTanks, g.CreditsLevel ? 20 + extra : 1 + bots + extra);
        for (int i = 0; i < count; ++i) {
            const int slotIndex = SlotOfTank(g, i);
            if (slotIndex >= MaxTanks) break;
            TTankSetup& slot = st.TankSetups[slotIndex];
            const int sort = (g.CreditsLevel && slotIndex > 1) ? sortTank : slot.Sort;
            const int k = AddTank(g, sort);
            if (k < 0) break;
            CopySetupToTank(g, slot, g.Tanks[k]);
        }
        if (g.TankCount > 0) g.Tanks[0].IsBot = false;
        if (g.TankCount > 1) {
            g.Tanks[1].Seat = g.TwoPlayers ? 1 : 0;
            g.Tanks[1].IsBot = !g.TwoPlayers;
        }
        if (g.NetworkGame) {
            for (int i = 0; i < std::min(2, static_cast<int>(g.TankCount)); ++i)
                g.Tanks[i].PlayerId = g.LocalPlayerId;
        }
        for (int i = 2; i < g.TankCount; ++i) g.Tanks[i].IsBot = true;
        if (!g.TeamGame && g.Hooks.BuildTintedSprites)
            for (int i = 0; i < g.TankCount; ++i) g.Hooks.BuildTintedSprites(i);
        PreparePlayer2Engine(g);
    }
    if (!g.SplitScreen && g.Player2Engine >= 0) g.Sound.Stop(g.Player2Engine);
    if (g.ScreenSaverMode && g.TankCount > 0) {
        TTank& t = g.Tanks[0];
        t.IsBot = true;
        t.VaryingWeapon = true;
        t.Weapon = g.Rng.Int(7);
    }
    g.TickNow = g.TheClock.TickCount();
}

void ApplyChangedSetups(Game& g) {
    bool applied = false;
    const int last = g.NetworkGame ? std::min<int>(2, g.TankCount) : g.TankCount;
    for (int i = 0; i < last; ++i) {
        TTank& t = g.Tanks[i];
        const int slotIndex = SlotOfTank(g, i);
        if (slotIndex >= MaxTanks) break;
        TTankSetup& slot = g.Start.TankSetups[slotIndex];
        if (!slot.Changed) continue;
        if (g.NetworkGame && t.IsBot) continue;
        slot.Changed = false;
        CopyAppearance(slot, t);
        if (g.TeamGame) {
            const int team = g.Hooks.TeamOfColour ? g.Hooks.TeamOfColour(t.BodyColour) : t.TeamIndex;
            if (team != t.TeamIndex) {
                if (g.Hooks.KillTank) {
                    g.Hooks.KillTank(i);
                } else {
                    t.Alive = false;
                    t.DeathTime = g.GameTime;
                }
                t.Frags = 0;
                if (g.CaptureTheCow && g.Hooks.ResetCowMission) g.Hooks.ResetCowMission(i);
                if (g.Hooks.UpdateTeam) g.Hooks.UpdateTeam(i);
                if (g.Hooks.ComputeRanking) g.Hooks.ComputeRanking();
            }
        } else if (g.Hooks.BuildTintedSprites) {
            g.Hooks.BuildTintedSprites(i);
        }
        if (g.Hooks.SendSetup) g.Hooks.SendSetup(i);
        if (g.ClientMode) continue;
        applied = true;
    }
    if (!applied || (g.NetworkGame && !g.CaptureTheCow)) return;
    if (g.Hooks.RebuildMateLists) g.Hooks.RebuildMateLists();
    for (int i = 0; i < g.TankCount; ++i) {
        TTank& t = g.Tanks[i];
        if (!t.IsBot || t.SavedMission != 2) continue;
        const int m = t.SavedMissionTarget;
        if (m < 0 || m >= g.TankCount || g.Tanks[m].TeamIndex == t.TeamIndex) continue;
        t.SavedMission = 1;
        if (t.Mission == 2 && t.MissionTarget == m) t.Mission = 1;
    }
}
