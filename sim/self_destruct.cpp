#include "sim/self_destruct.h"

// Self-destruct comes with the weapons.
void ArmSelfDestruct(Game&, int) {}
void SelfDestructStep(Game&, int, bool) {}
