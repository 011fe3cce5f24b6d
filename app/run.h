// Ways the program runs: headless (console only) or in a window.
#pragma once

#include <string>

#include "app/options.h"

// Checks the options that need the program folder; empty when fine.
std::string CheckOptionsAgainstFolder(const TOptions& o, const std::string& programFolder);

int RunHeadless(const TOptions& o, const std::string& programFolder);
// The quick-started match after --seconds of game time (none: its first
// tick), drawn off screen and saved to --screenshot. Needs no display.
int RunScreenshot(const TOptions& o, const std::string& programFolder);
int RunWindowed(const TOptions& o, const std::string& programFolder);
// --headless --replay FILE: the recording's console and a summary line.
int RunHeadlessReplay(const TOptions& o, const std::string& programFolder);
// --replay FILE: the recording in the game window, at the watcher's pace.
int RunWindowedReplay(const TOptions& o, const std::string& programFolder);
