// A network game's receiving side: the session's events (players coming
// and going, message blocks) applied to this machine's game, the host
// passing its clients' messages on, and the lobby's hand-shake. Every block
// comes from a peer that may lie: sizes, counts, indices and floats are
// checked before anything is touched.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/game.h"
#include "core/services.h"
#include "net/net_out.h"

// PlayerAdded, PlayerDeleted, Message and Closed; Joined, Refused and Found
// belong to the network dialog and are ignored here.
void HandleSessionEvent(Game& g, SessionNetOut& net, const TSessionEvent& e);

// One message block from player `from` (taken from the connection), sent to
// `to` (0 all): who may send it is checked, the host passes it on where it
// was meant for others, and this machine applies it.
void ReceiveMessage(Game& g, SessionNetOut& net, uint32_t from, uint32_t to, const uint8_t* data,
                    size_t size);

// A client has the host's map, set-up, vehicle list and scores, a new game
// was asked for and the game window is not showing yet: the caller shows it.
bool ClientReady(const Game& g);

// The network dialog opens: nothing of a host's game is in yet, no list
// has come from anybody, and the last host is forgotten.
void ClearReadiness(Game& g);

// The player limit a machine records: each machine brings at most two vehicles.
int PlayerLimit(const Game& g);

// A joining client's own players (one, or two with TwoPlayers) as the
// vehicle list it sends.
std::vector<TTankEntry> OwnTankList(const Game& g);
