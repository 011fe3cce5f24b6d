// Firing, mines and self-destruct.
#pragma once

#include "core/game.h"

void MineStep(Game& g);
// A client counts the self-destruct down and shows the blast but never
// applies its damage.
void SelfDestructStep(Game& g, int i, bool applyDamage);
void FireStep(Game& g, int i);
