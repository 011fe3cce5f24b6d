// The two local players' key bindings: the lists the key dialog edits,
// keysettings.dat that keeps them, the key map the game window reads, and
// the key names the dialog shows.
//
// keysettings.dat is two lines of eleven decimal key codes in action order
// ("Forward:" .. "Drop mine:"), player 1 then player 2, separated by single
// blanks; line 1 ends with CR LF, line 2 with nothing.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/game.h"
#include "sim/controls.h"

inline constexpr const char* KeySettingsFileName = "keysettings.dat";

// Player 1's codes (entries 0..10) then player 2's (11..21); NoKeyAction
// (255) where an action has no key.
struct TKeyLists {
    std::array<uint8_t, 2 * KeyActionCount> Codes{};

    uint8_t& Key(int player, int action) { return Codes[player * KeyActionCount + action]; }
    uint8_t Key(int player, int action) const { return Codes[player * KeyActionCount + action]; }
    bool operator==(const TKeyLists&) const = default;
};

// Arrows, Ctrl, Shift, "<", ">", "\", BckSpc and Enter for player 1;
// E D S F Z A W R C Q X for player 2.
TKeyLists DefaultKeyLists();

// The key map of the lists: where both players use a code, player 2's
// action wins.
void BuildKeyMap(const TKeyLists& lists, std::array<uint8_t, KeyCodeCount>& keyMap);
// The lists back from a key map (what the dialog shows when it opens, so
// edits that were not confirmed are dropped). Actions that no key gives
// stay NoKeyAction.
TKeyLists KeyListsFromKeyMap(const std::array<uint8_t, KeyCodeCount>& keyMap);

// Reads keysettings.dat from folder: 22 numbers in order, wherever the line
// ends fall; each kept as its low 8 bits; numbers missing at the end read
// as 0. Empty on success; else "File not found", "Invalid numeric input"
// (lists keep what was read before the bad word) or a read error.
std::string LoadKeySettings(const std::string& folder, TKeyLists& lists);
// The file's text for the lists.
std::string KeySettingsText(const TKeyLists& lists);
// Writes keysettings.dat into folder; empty on success, else why not (the
// old file stays as it was).
std::string SaveKeySettings(const std::string& folder, const TKeyLists& lists);

// At program start: the key map from keysettings.dat in the player's folder,
// else the one shipped in the program folder. When the file is
// missing or unreadable the reason is shown and the default bindings are
// played with.
void LoadKeyMapAtStart(Game& g);

// How a key code is shown: "Up", "Ctrl", "A", "F5", "NO KEY" for 255,
// "Unknown" for codes without a name.
std::string KeyName(int code);

// The dialog took key code for player's (0 or 1) action: every other entry
// of both lists that held the code loses it.
void BindKey(TKeyLists& lists, int player, int action, uint8_t code);

// What OK finds: every action of both players must have a key.
struct TKeyCheck {
    bool Ok = true;
    int Player = 0; // the list to show when not Ok
    std::string Message;
};
// Player 1's actions first, in order: "Please assign a key to '[NO KEY]'";
// then player 2's: "Please assign a key".
TKeyCheck CheckKeyLists(const TKeyLists& lists);

// OK pressed with lists that pass the check: the key map is rebuilt and the
// file written into the player's folder. Empty on success, else the write error (the key map is in
// use either way).
std::string AcceptKeyLists(Game& g, const TKeyLists& lists);
