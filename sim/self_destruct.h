// Self-destruct: armed by its owner, it beeps, then blows the owner up and
// hurts everything near.
#pragma once

#include "core/game.h"

// The control action, while the level runs and not yet armed.
void ArmSelfDestruct(Game& g, int i);
// Each tick for vehicle i. A client counts down and shows the blast but
// never applies its damage.
void SelfDestructStep(Game& g, int i, bool applyDamage);
