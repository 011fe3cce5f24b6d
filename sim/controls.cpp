#include "sim/controls.h"

// Filled in with the in-game controls.
void ControlInput(Game& g, int vehicle, int action, bool pressed) {
    ApplyControl(g, vehicle, action, pressed);
}

void ApplyControl(Game&, int, int, bool) {}
