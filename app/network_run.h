// Network play in a run of the program: the session polled every pass of
// the loop, and the sessions the command line asks for.
#pragma once

#include <string>

#include "app/options.h"
#include "app/program.h"
#include "core/services.h"
#include "sim/bots.h"

// Hands every waiting session event to the game or the network dialog, and
// lets a network start go on. Called every pass of the main loop.
void PumpSession(TProgram& p, Session& session, int32_t nowMs);

// --host / --join: opens the session before the match starts (a client's
// game window then waits for the host's set-up). Empty when it opened,
// else why not.
std::string OpenSessionFromOptions(TProgram& p, Session& session, const TOptions& o);

// --autopilot on a client: before each tick the bots' brain presses player
// 1's keys (the host's bots drive a host's autopilot player themselves).
void ClientAutopilot(Game& g, TAutopilotKeys& keys);
