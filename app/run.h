// Ways the program runs: headless (console only) or in a window.
#pragma once

#include <string>

#include "app/options.h"
#include "core/game.h"

// Fills the start screen's choices from the quick-start options.
void ApplyQuickStart(Game& g, const TOptions& o);
// Installs the level start of the program (map load, then the level).
void InstallLevelStart(Game& g, const std::string& programFolder);
// Checks the options that need the program folder; empty when fine.
std::string CheckOptionsAgainstFolder(const TOptions& o, const std::string& programFolder);

int RunHeadless(const TOptions& o, const std::string& programFolder);
int RunWindowed(const TOptions& o, const std::string& programFolder);
