// The pictures and sounds that sit beside the program: the sprite list
// from "<name>.bmp" and the sound list from "<name>.wav", in list order.
#pragma once

#include <string>

#include "core/image.h"
#include "core/services.h"
#include "platform/mixer.h"
#include "platform/program_folder.h"

// Fills list with the game's sprites, each with its transparent colour.
// A file that cannot be read is reported through ui and ends the loading
// there; false then.
bool LoadGameSprites(BitmapReader& reader, const std::string& folder, TImageList& list, Ui& ui);
// The paint-pattern masks, in the same way.
bool LoadPatternMasks(BitmapReader& reader, const std::string& folder, TImageList& list, Ui& ui);
// The same for the sounds, looped where the game loops them.
bool LoadGameSounds(const std::string& folder, TMixer& mixer, Ui& ui);
