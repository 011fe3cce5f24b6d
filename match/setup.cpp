#include "match/setup.h"

#include <algorithm>

#include "core/colours.h"
#include "sim/cows.h"
#include "sim/damage.h"
#include "sim/sounds.h"
#include "sim/teams.h"
#include "sim/vehicles.h"

namespace {

// The start-screen slot of vehicle i in a local game: without a second
// local player, slot 1 (player 2's) is skipped.
int SlotOfTank(const Game& g, int i) {
    return (!g.TwoPlayers && i > 0) ? i + 1 : i;
}

void CopyAppearance(Game& g, const TTankSetup& slot, int i) {
    TTank& t = g.Tanks[i];
    t.BodyColour = HsbToRgb(slot.Colour1);
    t.SecondColour = HsbToRgb(slot.Colour2);
    t.PaintJob = slot.Pattern >= 0 && slot.Pattern <= 6 ? slot.Pattern : -1;
    MarkAppearanceChanged(g, i);
}

void CopySetupToTank(Game& g, TTankSetup& slot, int i) {
    CopyAppearance(g, slot, i);
    TTank& t = g.Tanks[i];
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

// Team games: the body colour picks the team. A vehicle that changes sides
// dies and starts its score over.
void FollowColourToTeam(Game& g, int i) {
    const TTeam* before = TeamOf(g, i);
    const int oldColour = before ? before->Colour : -1;
    ChangeColour(g, i, NamedColour(g.Tanks[i].BodyColour));
    const TTeam* after = TeamOf(g, i);
    if ((after ? after->Colour : -1) == oldColour) return;
    TTank& t = g.Tanks[i];
    Die(g, i);
    t.Frags = 0;
    if (g.CaptureTheCow) ResetCowMission(g, i);
    UpdateRanking(g);
}

} // namespace

void SetupStep(Game& g, int32_t nowMs) {
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
    SetSplitScreen(g, g.TwoPlayers && !(st.Dedicated && g.NetworkGame && !g.ClientMode));
    g.Console.Clear();

    if (!g.ClientMode) {
        g.TeamCount = 0;
        for (int i = g.TankCount - 1; i >= 0; --i)
            RemoveTank(g, i);
        if (g.TeamGame && g.TeamCount != 0) {
            g.TheUi.MessageBox("teamcount <> 0,nl: " + std::to_string(g.TeamCount));
            g.TeamCount = 0;
        }

        // A dedicated server has nobody at its keys: its vehicles are bots.
        const bool dedicated = st.Dedicated && g.NetworkGame;
        g.Player1 = dedicated ? -1 : 0;
        g.Player2 = dedicated ? -1 : 1;
        const bool swap = g.TwoPlayers && st.Player2LeftSide;
        g.LeftViewPlayer = swap ? g.Player2 : g.Player1;
        g.RightViewPlayer = swap ? g.Player1 : g.Player2;
        if (g.NetworkGame) g.LocalPlayerId = static_cast<int32_t>(g.Net.LocalPlayerId());

        const int bots = std::clamp(st.BotCount, 0, MaxTanks - 2);
        if (dedicated) {
            for (int i = 0; i < bots; ++i) {
                const int k = AddTank(g, st.TankSetups[2 + i].Sort);
                if (k < 0) break;
                CopySetupToTank(g, st.TankSetups[2 + i], k);
                g.Tanks[k].IsBot = true;
                g.Tanks[k].PlayerId = 0;
            }
        }
        const int extra = g.TwoPlayers ? 1 : 0;
        const int count =
            dedicated ? 0 : std::min(MaxTanks, g.CreditsLevel ? 20 + extra : 1 + bots + extra);
        for (int i = 0; i < count; ++i) {
            const int slotIndex = SlotOfTank(g, i);
            if (slotIndex >= MaxTanks) break;
            TTankSetup& slot = st.TankSetups[slotIndex];
            const int sort = (g.CreditsLevel && slotIndex > 1) ? sortTank : slot.Sort;
            const int k = AddTank(g, sort);
            if (k < 0) break;
            CopySetupToTank(g, slot, k);
        }
        if (g.TankCount > 0 && !dedicated) g.Tanks[0].IsBot = false;
        if (g.TankCount > 1 && !dedicated) {
            g.Tanks[1].Seat = g.TwoPlayers ? 1 : 0;
            g.Tanks[1].IsBot = !g.TwoPlayers;
        }
        if (g.NetworkGame && !dedicated) {
            // Bots carry 0: a message for a bot goes to every machine.
            for (int i = 0; i < std::min(2, static_cast<int>(g.TankCount)); ++i)
                g.Tanks[i].PlayerId = g.Tanks[i].IsBot ? 0 : g.LocalPlayerId;
        }
        for (int i = 2; i < g.TankCount; ++i)
            g.Tanks[i].IsBot = true;
        PreparePlayer2Engine(g);
    }
    if (!g.SplitScreen && g.Player2Engine >= 0) g.Sound.Stop(g.Player2Engine);
    if (g.ScreenSaverMode && g.TankCount > 0) {
        TTank& t = g.Tanks[0];
        t.IsBot = true;
        t.VaryingWeapon = true;
        t.Weapon = g.Rng.Int(7);
    }
    g.TickNow = nowMs;
}

void ApplyChangedSetups(Game& g) {
    // In a network game only this machine's own players are ours to change:
    // found by session id and seat, wherever the host put them in the table.
    std::array<int, MaxTanks> tankOfSlot;
    tankOfSlot.fill(-1);
    if (g.NetworkGame) {
        tankOfSlot[0] = FindTank(g, g.LocalPlayerId, 0);
        if (g.TwoPlayers) tankOfSlot[1] = FindTank(g, g.LocalPlayerId, 1);
    } else {
        for (int i = 0; i < g.TankCount; ++i)
            if (SlotOfTank(g, i) < MaxTanks) tankOfSlot[SlotOfTank(g, i)] = i;
    }
    bool applied = false;
    for (int s = 0; s < MaxTanks; ++s) {
        const int i = tankOfSlot[s];
        TTankSetup& slot = g.Start.TankSetups[s];
        if (i < 0 || !slot.Changed) continue;
        slot.Changed = false;
        if (g.ClientMode) {
            // The host decides: the new looks come back with its echo.
            const int32_t paint = slot.Pattern >= 0 && slot.Pattern <= 6 ? slot.Pattern : -1;
            g.Net.SendAppearance(i, PackColour(HsbToRgb(slot.Colour1)),
                                 PackColour(HsbToRgb(slot.Colour2)), paint);
            continue;
        }
        CopyAppearance(g, slot, i);
        if (g.TeamGame) FollowColourToTeam(g, i);
        if (g.NetworkGame) {
            const TTank& t = g.Tanks[i];
            g.Net.SendAppearance(i, PackColour(t.BodyColour), PackColour(t.SecondColour),
                                 t.PaintJob);
        }
        applied = true;
    }
    if (!applied || (g.NetworkGame && !g.CaptureTheCow)) return;
    RebuildMateLists(g);
    for (int i = 0; i < g.TankCount; ++i) {
        TTank& t = g.Tanks[i];
        if (!t.IsBot || t.SavedMission != msCoverMe) continue;
        const int m = t.SavedMissionTarget;
        if (!IsTankIndex(g, m) || g.Tanks[m].TeamIndex == t.TeamIndex) continue;
        t.SavedMission = msCaptureCow;
        if (t.Mission == msCoverMe && t.MissionTarget == m) t.Mission = msCaptureCow;
    }
}
