#include "net/status.h"

// The status messages come with network play.
void BroadcastTankStatus(Game&) {}
void BroadcastGameStatus(Game&) {}
