// The receiving side's parts, shared by its three files: the dispatch
// (net_receive.cpp), the lobby's hand-shake (net_lobby.cpp) and the
// host's scores and events on a client (net_events.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/game.h"
#include "net/net_out.h"

namespace NetReceive {

// --- Small checks (net_receive.cpp) ------------------------------------------------------

// A size error: the box, at most once a second, never more.
void SizeError(Game& g, const std::string& text);
// Names and texts from the network: control bytes become "_" so that no
// peer can break a console line or a file name.
std::string Printable(std::string s);
bool Finite(const std::vector<float>& v, size_t from, size_t count);
// An index or count carried in a float: rounded; -1 when it is not finite
// or outside 0 .. limit-1.
int Index(float f, int limit);
// Vehicle v is a person of the machine `player`.
bool BelongsTo(const Game& g, int v, uint32_t player);
bool IsServer(const Game& g, SessionNetOut& net, uint32_t from);
void RecordPlayerLimit(Game& g, SessionNetOut& net);

// --- The lobby (net_lobby.cpp) -----------------------------------------------------------

void AssignViewports(Game& g);
void ApplyBaseList(Game& g);
void HostTanklist(Game& g, SessionNetOut& net, uint32_t from, const uint8_t* d, size_t n);
void ClientSetup(Game& g, SessionNetOut& net, uint32_t from, const uint8_t* d, size_t n);
void ClientMap(Game& g, const uint8_t* d, size_t n);
void ClientTanklist(Game& g, const uint8_t* d, size_t n);

// --- Scores and events (net_events.cpp) --------------------------------------------------

void ClientScore(Game& g, const uint8_t* d, size_t n);
void ClientEvent(Game& g, const uint8_t* d, size_t n);

} // namespace NetReceive
