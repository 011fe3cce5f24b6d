#include "sim/mines.h"

// Mines come with the weapons.
void LayMine(Game&, int) {}
void MineStep(Game&) {}
