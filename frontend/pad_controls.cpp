#include "frontend/pad_controls.h"

namespace {

// A stick or trigger counts as pressed past the first threshold and as let
// go only below the second, so a stick resting near the edge does not
// chatter between the two.
constexpr double PressAt = 0.5;
constexpr double ReleaseAt = 0.35;

bool Past(bool was, double value) {
    return was ? value > ReleaseAt : value > PressAt;
}

} // namespace

void TPadControls::Set(Game& g, int vehicle, int action, bool want) {
    if (Held[action] == want) return;
    Held[action] = want;
    ControlInput(g, vehicle, action, want);
}

bool TPadControls::Update(Game& g, int vehicle, const TPadState& pad, int32_t nowMs) {
    if (!pad.Connected) {
        ReleaseAll(g, vehicle);
        return false;
    }
    StickForward = Past(StickForward, -pad.LeftY);
    StickBack = Past(StickBack, pad.LeftY);
    StickLeft = Past(StickLeft, -pad.LeftX);
    StickRight = Past(StickRight, pad.LeftX);
    FireTrigger = Past(FireTrigger, pad.RightTrigger);
    BrakeTrigger = Past(BrakeTrigger, pad.LeftTrigger);

    // Releases go first: moving the stick from left to right in one pass
    // must end with the right steer, not with the left one's release.
    const bool forward = StickForward || pad.DpadUp;
    const bool back = StickBack || pad.DpadDown || BrakeTrigger;
    const bool left = StickLeft || pad.DpadLeft;
    const bool right = StickRight || pad.DpadRight;
    if (!forward) Set(g, vehicle, caForward, false);
    if (!back) Set(g, vehicle, caBrake, false);
    if (!left) Set(g, vehicle, caLeft, false);
    if (!right) Set(g, vehicle, caRight, false);
    Set(g, vehicle, caForward, forward && !back);
    Set(g, vehicle, caBrake, back);
    Set(g, vehicle, caLeft, left && !right);
    Set(g, vehicle, caRight, right);

    Set(g, vehicle, caFire, FireTrigger);
    Set(g, vehicle, caTurretLeft, pad.LeftShoulder);
    Set(g, vehicle, caTurretRight, pad.RightShoulder);
    Set(g, vehicle, caChangeWeapon, pad.A);
    Set(g, vehicle, caDropMine, pad.B);
    Set(g, vehicle, caHorn, pad.X);

    // Self-destruct wants a deliberate hold of Back, never a brush.
    if (!pad.Back) {
        BackDownSince = -1;
        Set(g, vehicle, caSelfDestruct, false);
    } else if (BackDownSince < 0) {
        BackDownSince = nowMs;
    } else if (nowMs - BackDownSince >= PadSelfDestructHoldMs) {
        Set(g, vehicle, caSelfDestruct, true);
    }

    const bool startPressed = pad.Start && !StartWasDown;
    StartWasDown = pad.Start;
    return startPressed;
}

void TPadControls::ReleaseAll(Game& g, int vehicle) {
    for (int a = 0; a < ControlActionCount; ++a)
        Set(g, vehicle, a, false);
    StickForward = StickBack = StickLeft = StickRight = false;
    FireTrigger = BrakeTrigger = false;
    StartWasDown = false;
    BackDownSince = -1;
}
