#include "sim/weapons.h"

// The weapons come with the vehicles.
void FireStep(Game&, int) {}
