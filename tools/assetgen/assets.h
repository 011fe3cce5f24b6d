// Everything the generator makes, one maker per kind of asset.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "image_io.h"

struct TNamedImage {
    std::string Name;
    TRgbImage Image;
};

constexpr TRgb BlackKey{0, 0, 0};
constexpr TRgb FuchsiaKey{255, 0, 255};
constexpr TRgb ShadowColour{10, 10, 12};

// The 15 vehicle sprites, in sprite-list order ("Tank" .. "HummerWreck").
std::vector<TRgbImage> MakeVehicleSprites();
// The 16 sprites after them ("Rocket" .. "AlarmLight").
std::vector<TRgbImage> MakeSmallSprites();

// Paint-pattern masks in pattern order, seven per sort.
constexpr int PatternMaskCount = 21;
extern const std::array<std::string_view, PatternMaskCount> PatternMaskNames;
std::vector<TBitImage> MakePatternMasks();

// Ground textures by their name in the texture list; false for an unknown name.
bool MakeTexture(std::string_view name, TRgbImage& out);

// 13 frames side by side.
constexpr int ExplosionFrames = 13;
constexpr int ExplosionFrameSize = 64;
TRgbImage MakeExplosion();

// The 18 sounds in sound-list order; espeak-ng speaks the announcer lines
// when it is installed, otherwise they are synthesised.
std::vector<TWave> MakeSounds(const std::string& scratchDir);

// Text for pictures (title, contact-sheet labels); draws nothing when the
// font is missing.
void DrawText(TRgbImage& image, int x, int baseline, std::string_view text, float pixelHeight,
              TRgb colour, bool bold = false);
int TextWidth(std::string_view text, float pixelHeight, bool bold = false);

// One line of the texture list.
struct TTextureEntry {
    std::string Name;
    int Kind = 0;
    double Friction = 1, Grip = 1;
};
bool ReadTextureList(const std::string& path, std::vector<TTextureEntry>& out, std::string& error);

// Everything drawn, for the contact sheet.
struct TArtBook {
    std::vector<TRgbImage> Sprites;
    std::vector<TBitImage> Masks;
    std::vector<TNamedImage> Textures;
    TRgbImage Explosion;
    std::vector<TNamedImage> Ui;
};
TRgbImage MakeContactSheet(const TArtBook& art);

// The game's recolouring of a vehicle sprite: pure-blue pixels take colour 1
// where the mask (read at row offset u, column offset v) is set, colour 2
// where it is clear.
TRgbImage Tint(const TRgbImage& src, const TBitImage* mask, int u, int v, TRgb c1, TRgb c2);
// A painted vehicle with its shadows and its turret on the mount, the body's
// top-left corner at (x, y); mirrored faces left.
void DrawVehicle(TRgbImage& dst, const TArtBook& art, int sort, int pattern, TRgb c1, TRgb c2,
                 int x, int y, bool mirrored);

// Start-screen pictures (background, styles, arrows, network); the style
// pictures show the game's own vehicles, so they need the art drawn so far.
std::vector<TNamedImage> MakeUiPictures(const TArtBook& art);

// A map's cells drawn with the textures, `cellPx` pixels per cell.
bool RenderMap(const std::string& mapPath, const std::vector<TNamedImage>& textures, int cellPx,
               TRgbImage& out, std::string& error);

// The program's icon at the sizes desktops look for, as
// folder/moorclash-SIZE.png with transparent corners.
constexpr std::array<int, 7> IconSizes = {16, 24, 32, 48, 64, 128, 256};
bool WriteIcons(const std::string& folder, std::string& error);
