// Text for the canvas: DejaVu Sans through SDL_ttf, with the rendered lines
// kept as textures, since the HUD writes the same few texts every frame.
#pragma once

#include <SDL2/SDL_render.h>
#include <SDL2/SDL_ttf.h>

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>

#include "render/canvas.h"

// Path of DejaVu Sans (or its bold face), beside the program or among the
// system fonts; empty when it is nowhere.
std::string FindFontFile(bool bold);

// Point sizes below this are raised to it: smaller DejaVu is unreadable.
constexpr int MinFontPoints = 6;

// Names from settings files or the network may be Latin-1 bytes; these
// become their UTF-8 characters so the font sees valid text.
std::string ToValidUtf8(const std::string& text);

class TTextRenderer {
  public:
    explicit TTextRenderer(SDL_Renderer* renderer);
    ~TTextRenderer();
    TTextRenderer(const TTextRenderer&) = delete;
    TTextRenderer& operator=(const TTextRenderer&) = delete;

    // Empty when the fonts were found and opened.
    const std::string& Error() const { return Failure; }

    bool Measure(const std::string& text, const TFont& font, int& width, int& height);
    void Draw(int x, int y, const std::string& text, const TFont& font);
    // Drops the rendered lines (after the renderer lost its textures).
    void ForgetTextures();

  private:
    struct TLine {
        SDL_Texture* Texture = nullptr;
        int Width = 0, Height = 0;
        uint64_t LastUse = 0;
    };
    TTF_Font* FontFor(const TFont& font);
    TLine* LineFor(const std::string& text, const TFont& font);
    void Evict();

    SDL_Renderer* Renderer;
    bool TtfReady = false;
    std::string Failure;
    std::string Paths[2]; // regular, bold
    std::map<std::pair<int, bool>, TTF_Font*> Fonts;
    std::unordered_map<std::string, TLine> Lines;
    uint64_t UseCount = 0;
    // Sizes of texts measured, by font and text; the HUD measures the
    // same texts every frame.
    std::unordered_map<std::string, std::pair<int, int>> Sizes;
    std::string Key; // built here for each look-up, without allocating
    // The cache key of text in font, with or without its colour.
    const std::string& KeyOf(const std::string& text, const TFont& font, bool colour);
};
