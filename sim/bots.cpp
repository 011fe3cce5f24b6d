#include "sim/bots.h"

// The bot logic comes with the teams and cows.
void BotsDecide(Game&) {}
void SetBotMissions(Game&) {}
