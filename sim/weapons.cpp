#include "sim/weapons.h"

// The weapons themselves come with the vehicles.
void MineStep(Game&) {}
void SelfDestructStep(Game&, int, bool) {}
void FireStep(Game&, int) {}
