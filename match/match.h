// Building a match, the same way for every entry point: the window, the
// headless server, the tests and the benchmarks all load the same texture
// list and map and start on the same spawn points.
#pragma once

#include <string>

#include "core/game.h"
#include "world/textures.h"

// Where a match's pictures go. The program keeps them for drawing; a test
// may keep none. The simulation's tables never depend on which it got.
class IMatchPictures : public ITextureImages {
  public:
    // explosion.bmp at path, cut into the explosion pictures. Empty on
    // success, else the message for the player.
    virtual std::string LoadExplosions(const std::string& path) = 0;
};

// What the game window's creation loads from the program folder
// (g.ProgramFolder): the credits text, the texture list with its pictures,
// the explosion pictures; then the mine size and the sound tuning. Faults
// are shown through the Ui. False when the texture list itself could not
// be read: without it every wall would be open ground.
bool PrepareMatch(Game& g, IMatchPictures& pictures);

// A new game at tick count nowMs: the set-up step from the start choices,
// then the first level on the chosen map (without a choice, the first of
// the level list, built from the program folder when empty). Empty on
// success, else why the level could not start.
std::string StartNewMatch(Game& g, int32_t nowMs);

// One line for a log: the level's name, its size and its spawn points.
std::string LevelSummary(const Game& g);
