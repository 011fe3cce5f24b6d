// A short show of what the platform layer can do: turned, blended and
// stretched pictures, pens, brushes, text and sound, in a real window.
#pragma once

#include <string>

// Runs for the given seconds (a single frame when 0 or less), saves the
// last frame to screenshotPath when one is given, and returns the exit
// status: 0, or 1 when the display could not be opened.
int RunPlatformDemo(const std::string& screenshotPath, int seconds);
