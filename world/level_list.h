// The start screen's two level lists: every map (maps with bases last), and
// the maps with bases alone, each ending with the credits entry.
#pragma once

#include <string>
#include <vector>

struct Game;

struct TLevelLists {
    std::vector<std::string> AllLevels;
    std::vector<std::string> BaseLevels;
    // Bases are in use (Capture The Cow, or Team War with bases): the start
    // screen shows BaseLevels.
    bool BaseLevelMode = false;
    const std::vector<std::string>& Shown() const { return BaseLevelMode ? BaseLevels : AllLevels; }
};

// Rebuilds both lists from the *.map files in the program folder and the
// player's maps folder, sorted by name, each name once. Showing and selecting is the start screen's
// business.
void BuildLevelList(const Game& g, TLevelLists& lists);

// The name under which a client keeps its own copy of a map that differs
// from the server's: the first of name + "(replaced by server map)",
// name + "(replaced by server map 2)", ... not in levels.
std::string ReplacementMapName(const std::vector<std::string>& levels, const std::string& name);
