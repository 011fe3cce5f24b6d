#include "sim/controls.h"

#include "sim/fire_button.h"

// Only what the bots drive with: throttle, steering, fire, weapon choice and
// the horn. The keys' own handling comes with the in-game controls.
void ControlInput(Game& g, int vehicle, int action, bool pressed) {
    ApplyControl(g, vehicle, action, pressed);
}

void ApplyControl(Game& g, int vehicle, int action, bool pressed) {
    if (!IsTankIndex(g, vehicle)) return;
    TTank& t = g.Tanks[vehicle];
    switch (action) {
    case caForward:
        if (pressed)
            t.Throttle = 1;
        else if (t.Throttle == 1)
            t.Throttle = 0;
        break;
    case caBrake:
        if (pressed)
            t.Throttle = -1;
        else if (t.Throttle == -1)
            t.Throttle = 0;
        break;
    case caLeft:
        if (pressed)
            t.Steer = 1;
        else if (t.Steer == 1)
            t.Steer = 0;
        break;
    case caRight:
        if (pressed)
            t.Steer = -1;
        else if (t.Steer == -1)
            t.Steer = 0;
        break;
    case caFire:
        if (!pressed)
            t.Firing = false;
        else if (!g.ClientMode)
            PressFire(g, vehicle);
        break;
    case caHorn:
        t.HornOn = pressed;
        break;
    default:
        if (pressed && action >= caSelectWeapon && action < ControlActionCount)
            t.Weapon = action - caSelectWeapon;
        break;
    }
}
