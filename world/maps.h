// Loading and saving levels: the map grid, spawn points and bases, the path
// finder's blocked grid, and the credits text. Files live in the program
// folder (TMapState::ProgramFolder) and the player's own maps folder
// (UserMapsFolder(), read first and the only one written); faults are shown through Game::TheUi
// and leave the loaded map as it was.
#pragma once

#include <string>

#include "core/map_state.h"
#include "world/map_file.h"

struct Game;
class Random;

// The level entry that runs the credits show on Credits.dat.
inline const std::string CreditsLevelName = "Credits...";

// A level name may name a file in the program folder and nothing else:
// names come from the network too, so no folders, no "..", no control bytes.
bool IsPlainLevelName(const std::string& name);

// Replaces the loaded map with grid: cells, spawn points (16 random ones
// when the grid has none), bases and the spawn points nearest each,
// SnowMap, the blocked grid, CurrentMapName. Refuses (false, error set,
// nothing changed) a grid on which nothing can start: all walls, no spawn
// cells.
bool CommitMapGrid(TMapState& map, const TTerrainTables& tables, Random& rng, const TMapGrid& grid,
                   const std::string& name, std::string& error);

// name + ".map" from the player's maps folder or else the program folder, or
// Credits.dat for "Credits...".
bool LoadMap(Game& g, const std::string& name);
// The same, with the fault handed back instead of shown.
bool LoadMap(Game& g, const std::string& name, std::string& error);
// The file LoadMap(name) reads: the player's copy when there is one, else
// the shipped one.
std::string MapFilePath(const Game& g, const std::string& name);
// Writes the loaded grid as name into the player's maps folder (made when
// missing), where LoadMap(name) reads it from next.
bool SaveMap(Game& g, const std::string& name);
// The file name + ".map" holds more than one base cell.
bool MapHasBases(const Game& g, const std::string& name);
// Credits.txt into CreditsLines.
bool LoadCreditsText(Game& g);
