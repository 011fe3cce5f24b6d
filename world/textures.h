// The ground textures: TextureList.txt (name, kind, friction, grip per
// line), the per-texture tables, and the four turned pictures of every
// texture, so that a cell code is directly the index of its picture.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/image.h"
#include "core/map_state.h"

struct Game;

// Textures are plain pictures.
using TImagePixels = TImage;

// How the texture loader reaches the display's image list; the app hands in
// the platform's, tests a fake.
class ITextureImages {
  public:
    virtual ~ITextureImages() = default;
    // Reads a 24-bit bitmap; false when the file is missing or unreadable.
    virtual bool LoadBitmap(const std::string& path, TImagePixels& out) = 0;
    // Appends an opaque picture to the ground image list; turned copies have
    // no name.
    virtual void AddImage(const TImagePixels& image, const std::string& name) = 0;
    virtual void Clear() = 0;
    // All pictures are in (palette modes build their shared colour table here).
    virtual void Finish() {}
};

// The picture turned quarterTurns quarter turns counter-clockwise (1 CCW,
// 2 half, 3 clockwise). An invalid picture gives an empty one.
TImagePixels TurnTexture(const TImagePixels& src, int quarterTurns);

struct TTextureEntry {
    std::string Name;
    int32_t Kind = tkGround;
    double Friction = 1;
    double Grip = 1;
};

// Reads TextureList.txt's text. Empty lines are skipped, a Ctrl-Z ends it.
// A line that is not "name kind friction grip" refuses the whole list
// (false, error names fileName and the line). Lines beyond MaxTextures are
// dropped with a note in warning.
bool ParseTextureList(std::string_view text, const std::string& fileName,
                      std::vector<TTextureEntry>& entries, std::string& error,
                      std::string& warning);

// Fills the tables and the image list from a parsed list; bitmaps are read
// from folder. A missing bitmap gets a stand-in picture and is named in
// missing, so cell codes still find their picture.
void InstallTextures(TTerrainTables& tables, const std::vector<TTextureEntry>& entries,
                     const std::string& folder, ITextureImages& images,
                     std::vector<std::string>& missing);

// TextureList.txt and its bitmaps from the program folder. A faulty list
// is refused with a message and changes nothing.
bool LoadTextures(Game& g, ITextureImages& images);
