// What the game says in words: console lines, the local players' kill
// notices and personal messages, chat lines and taunts, and team orders.
// Each "ForAll" form also tells the other machines of a network game.
// Vehicle indices may come off the network: a bad one is never read.
#pragma once

#include <string>

#include "core/game.h"

// How long a player's kill notice, personal message or taunt stays up.
constexpr int32_t PlayerLineLifeMs = 2000;
// A chat line from a player's killer counts as a taunt this long after the kill.
constexpr int32_t TauntWindowMs = 3000;

// Which local player drives vehicle v: 0 for Player1, 1 for Player2 when
// the screen is split, -1 for anybody else.
int LocalSlotOf(const Game& g, int v);

// A console line here and on every other machine. An owner that is no
// vehicle is shown as none.
void ConsoleLineForAll(Game& g, const std::string& text, int owner = -1);

// Line A of the player driving v; dropped when v is no local player's.
void KillNotice(Game& g, const std::string& text, int v);
// Line B of the player driving v; dropped when v is no local player's.
void PersonalMessage(Game& g, const std::string& text, int v);
// Sent to v's machine (for a bot: to every machine), then shown here.
void PersonalMessageForAll(Game& g, const std::string& text, int v);

// v says something: a console line in v's name, and line C of every local
// player whom v killed less than TauntWindowMs ago.
void ChatLine(Game& g, const std::string& text, int v);
void ChatLineForAll(Game& g, const std::string& text, int v);
// Vehicle v says the taunt of slot 0..11 (player 1: 0-3, player 2: 4-7,
// bots: 8-11) to everybody.
void SayTaunt(Game& g, int slot, int v);

// Local player slot (0 or 1) gives the order chosen in its order menu to the
// chosen team-mate: sent to the mate's machine, applied here, and put in
// the console as the ordering vehicle's line.
void GiveOrder(Game& g, int localPlayerSlot);
// Vehicle mate takes order 0..4 from vehicle from. A bot acts on it; a
// person only reads it.
void ApplyOrder(Game& g, int mate, int order, int from);
// "Defend the base", "Capture the cow", "Cover me", "Freelance",
// "Retrieve cow"; "ERROR" for anything else.
std::string OrderName(int order);
