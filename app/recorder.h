// Recording a run's matches: --record FILE keeps the whole run in one file,
// the start screen's "Record matches" a file a level in the user's folder.
// The machine that runs the match records what it sends to all; a client
// records what it receives, from the moment it has joined.
#pragma once

#include <string>

#include "app/program.h"

// Starts recording into file (empty: a file a level into folder). A client
// (client true) begins when its join is accepted. Empty when recording, else
// why not (said as a message too).
std::string StartRecording(TProgram& p, const std::string& file, const std::string& folder,
                           bool client, int32_t nowMs);
// Ends the recording in good order.
void StopRecording(TProgram& p);

// A session event on its way to the game: what a client hears goes into
// its recording; a host keeps who came and went. Before handling it.
void RecordSessionEvent(TProgram& p, const TSessionEvent& e, int32_t nowMs);
// After handling it: a client's new level gets the map it had at home, so
// that the recording plays anywhere.
void RecordAfterSessionEvent(TProgram& p, const TSessionEvent& e, int32_t nowMs);
