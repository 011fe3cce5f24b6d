// A game controller drives a local player beside the keys: the pad's state
// becomes the same control actions the keys give, pressed and released as
// the pad changes.
#pragma once

#include <array>
#include <cstdint>

#include "core/game.h"
#include "core/pad.h"
#include "sim/controls.h"

// Holding Back this long blows the vehicle up.
constexpr int32_t PadSelfDestructHoldMs = 1000;

class TPadControls {
  public:
    // Compares the pad with what it held last pass and gives the vehicle a
    // press or release for each action that changed. True when Start went
    // down this pass (the game window decides whether it may pause).
    bool Update(Game& g, int vehicle, const TPadState& pad, int32_t nowMs);
    // The pad went away or the player changed: every action it held is
    // released, so nothing stays stuck on.
    void ReleaseAll(Game& g, int vehicle);

    bool Holds(int action) const { return Held[action]; }

  private:
    void Set(Game& g, int vehicle, int action, bool want);

    std::array<bool, ControlActionCount> Held{};
    bool StickForward = false, StickBack = false, StickLeft = false, StickRight = false;
    bool FireTrigger = false, BrakeTrigger = false;
    bool StartWasDown = false;
    int32_t BackDownSince = -1;
};
