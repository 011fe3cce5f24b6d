// The settings file: the start screen's choices kept from one run to the
// next. "settings.dat" in the player's folder is read when it is there and
// is always the file written; "default settings.dat", shipped with the
// program, is read instead on a first run and never written.
//
// The file is 347 lines of text ended by CR LF: lines 1-15 the options,
// 16-27 the twelve taunts, 28-347 a block of five lines per set-up (name,
// sort, pattern, first colour, second colour).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/game.h"

inline constexpr const char* SettingsFileName = "settings.dat";
inline constexpr const char* DefaultSettingsFileName = "default settings.dat";
constexpr int SettingsLineCount = 347;

// Everything the file holds, in the start screen's names, starting at the
// start screen's own defaults. Values are kept as the file gave them
// (except where a control would have refused them, noted below);
// ApplySettingsToStart makes them safe for the game.
struct TSettings {
    bool Fullscreen = false;
    bool ScreenSync = false;
    bool NoShadows = false;
    bool Player2LeftSide = true; // "Player 2 left side of screen"
    bool CycleLevels = true;
    // 0: 640x480, 1: 800x600, 2: 1024x768; -1 none selected (a number
    // outside 0..2 in the file selects none, and the display keeps its size).
    int32_t ResolutionIndex = -1;
    // 0: 16, 1: 24, 2: 32 bits per pixel; -1 none selected, as above.
    int32_t ColourDepthIndex = -1;
    // Status updates per second. The control starts at 1, but its own hint
    // and the shipped file say 20, and 1 would starve network clients.
    int32_t ServerRate = 20;
    bool TankIndicators = true;
    bool ShowNames = false;
    int32_t Armour = 100; // percent; the slider keeps it in 1..500
    // "Bots:" as the text of its box: the line is taken whole.
    std::string BotCount = "0";
    int32_t FragLimit = 50;
    int32_t CowLimit = 5;
    double TauntChance = 0.5; // no control: the file is its only source
    // Slots 0-3 player 1, 4-7 player 2, 8-11 the bots.
    std::array<std::string, 12> TauntTable{};
    // 0 player 1, 1 player 2, 2-63 the bots. Weapon and Changed are not stored.
    std::array<TTankSetup, MaxTanks> TankSetups{};
};

// Reads settings.dat from folder, or "default settings.dat" when there is
// no settings.dat. Empty on success; else the reason: "File not found"
// when neither is there (s untouched), "Invalid numeric input" when a
// number is not a decimal whole number (that value keeps what s had, and
// everything else in the file is read all the same, so a save afterwards
// loses nothing), or the text of a read error. A read sets the weapons:
// machine gun for the players, varying for the bots.
std::string LoadSettings(const std::string& folder, TSettings& s);

// Writes settings.dat into folder. A player 1 name that begins with
// "TurtleX" is written, and left in s, as "Kill_me". A failed write leaves
// the old file as it was and returns the error text; empty on success.
std::string SaveSettings(const std::string& folder, TSettings& s);

// The same for the game: settings.dat from the player's folder (UserSettingsFolder())
// when it is there, else from the program folder as above.
std::string LoadSettings(const Game& g, TSettings& s);
// Writes settings.dat into the player's folder, made when missing (the
// program folder when the game has no user folder).
std::string SaveSettings(const Game& g, TSettings& s);

// The number the "Bots:" box holds: the line's number kept in 0..62, 0
// when the line is not a number.
int32_t SettingsBotCount(const TSettings& s);

// The limit the limit box shows for a style (the cow limit in Capture The
// Cow, else the frag limit), kept in 1..1000.
int32_t SettingsLimit(const TSettings& s, bool captureTheCow);

// Puts the settings into the game's start choices and TauntChance, every
// number kept inside what the game can use. The display options (full
// screen, sync, resolution, depth, names) stay with the start screen.
void ApplySettingsToStart(const TSettings& s, Game& g);
