#include "sim/controls.h"

#include "sim/fire_button.h"
#include "sim/messages.h"
#include "sim/mines.h"
#include "sim/self_destruct.h"

namespace {

constexpr int WeaponCount = 7;
// A Hovercraft's turret turns at most two steps (90 degrees) either way.
constexpr int HoverTurretSteps = 2;
// Eight turret positions of 45 degrees; +4 and -4 both look backwards.
constexpr int TurretStepLimit = 4;

bool IsWeaponSelection(int action) {
    return action >= caSelectWeapon && action < caSelectWeapon + WeaponCount;
}

// These do something only when pressed: their releases are neither
// applied nor sent. (Releasing 12..17 is sent and does nothing.)
bool PressOnly(int action) {
    switch (action) {
    case caChangeWeapon:
    case caTurretLeft:
    case caTurretRight:
    case caSelfDestruct:
    case caDropMine:
    case caSelectWeapon:
        return true;
    default:
        return false;
    }
}

void TurretStep(TTank& t, int direction) {
    if (t.Sort == sortHovercraft) {
        if (direction > 0 && t.TurretPreset >= HoverTurretSteps) return;
        if (direction < 0 && t.TurretPreset <= -HoverTurretSteps) return;
    }
    t.TurretPreset += direction;
    t.TurretTurn = direction;
    if (t.TurretPreset > TurretStepLimit) t.TurretPreset = 1 - TurretStepLimit;
    if (t.TurretPreset < -TurretStepLimit) t.TurretPreset = TurretStepLimit - 1;
}

void Release(TTank& t, int action) {
    switch (action) {
    case caForward:
        if (t.Throttle == 1) t.Throttle = 0;
        break;
    case caBrake:
        if (t.Throttle == -1) t.Throttle = 0;
        break;
    case caLeft:
        if (t.Steer == 1) t.Steer = 0;
        break;
    case caRight:
        if (t.Steer == -1) t.Steer = 0;
        break;
    case caFire:
        t.Firing = false;
        break;
    case caHorn:
        t.HornOn = false;
        break;
    default:
        break;
    }
}

} // namespace

int NextWeaponAction(const TTank& t) {
    // A stray weapon number still lands on a real weapon.
    const int w = t.Weapon >= 0 ? t.Weapon : 0;
    return caSelectWeapon + (w + 1) % WeaponCount;
}

void ControlInput(Game& g, int vehicle, int action, bool pressed) {
    if (!IsTankIndex(g, vehicle) || action < 0 || action >= ControlActionCount) return;
    if (!pressed && PressOnly(action)) return;
    if (action == caChangeWeapon) action = NextWeaponAction(g.Tanks[vehicle]);
    // A bot's controls are its own machine's business: the receivers would
    // take them for that machine's first player.
    if (Broadcasts(g) && !g.Tanks[vehicle].IsBot) g.Net.SendControl(vehicle, action, pressed);
    ApplyControl(g, vehicle, action, pressed);
}

void ApplyControl(Game& g, int vehicle, int action, bool pressed) {
    if (!IsTankIndex(g, vehicle) || action < 0 || action >= ControlActionCount) return;
    TTank& t = g.Tanks[vehicle];
    if (action == caChangeWeapon) {
        if (!pressed) return;
        action = NextWeaponAction(t);
    }
    if (!pressed) {
        Release(t, action);
        return;
    }
    switch (action) {
    case caForward:
        t.Throttle = 1;
        return;
    case caBrake:
        t.Throttle = -1;
        return;
    case caLeft:
        t.Steer = 1;
        return;
    case caRight:
        t.Steer = -1;
        return;
    case caSelfDestruct:
        ArmSelfDestruct(g, vehicle);
        return;
    case caHorn:
        t.HornOn = true;
        return;
    default:
        break;
    }
    if (IsWeaponSelection(action)) {
        t.Weapon = action - caSelectWeapon;
        return;
    }
    // Firing, respawning, the turret and mines are the host's to decide; it
    // gets the same action.
    if (g.ClientMode) return;
    switch (action) {
    case caFire:
        PressFire(g, vehicle);
        break;
    case caTurretLeft:
        TurretStep(t, 1);
        break;
    case caTurretRight:
        TurretStep(t, -1);
        break;
    case caDropMine:
        LayMine(g, vehicle);
        break;
    default:
        break;
    }
}

void OrderInput(Game& g, int slot, int digit) {
    if (slot < 0 || slot > 1 || digit < 0 || digit > 9) return;
    TMateList& m = g.MateLists[slot];
    const int n = m.Count;
    if (n <= 0) return;
    switch (m.OrderStage) {
    case 0:
        m.OrderStage = 1;
        break;
    case 1:
        if ((digit == 0 && n < 10) || digit > n) {
            m.OrderStage = 0;
        } else if (n > 9) {
            m.OrderMate = 10 * digit;
            m.OrderStage = m.OrderMate > n ? 0 : 2;
        } else {
            m.OrderMate = digit;
            m.OrderStage = 3;
        }
        break;
    case 2:
        if ((digit == 0 && m.OrderMate == 0) || m.OrderMate + digit > n) {
            m.OrderStage = 0;
        } else {
            m.OrderMate += digit;
            m.OrderStage = 3;
        }
        break;
    case 3:
        if (digit == 0) {
            m.OrderStage = 0;
        } else if (digit <= 4) {
            m.OrderCode = digit - 1;
            GiveOrder(g, slot);
            m.OrderStage = 0;
        }
        break;
    default:
        m.OrderStage = 0; // a stage nobody can type into
        break;
    }
}
