#pragma once

#include <SDL2/SDL_filesystem.h>
#include <SDL2/SDL_stdinc.h>

#include <string>

// The folder of the program file, ending in a separator ("" when unknown):
// the game's files live beside it.
inline std::string ProgramFolder() {
    char* base = SDL_GetBasePath();
    std::string folder = base ? base : "";
    SDL_free(base);
    return folder;
}
