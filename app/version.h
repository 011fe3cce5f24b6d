// The game's version, set once in the build (the project's VERSION).
#pragma once

const char* GameVersion();
