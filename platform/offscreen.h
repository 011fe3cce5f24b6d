// A canvas with no window and no display: the software renderer drawing
// into a picture in memory. Rendering tests draw on it and look at its
// pixels; a screenshot option can save it.
#pragma once

#include <SDL2/SDL_render.h>
#include <SDL2/SDL_surface.h>

#include <memory>
#include <string>

#include "platform/sdl_canvas.h"

// Made before the canvas that draws on it, taken down after it.
struct TOffscreenTarget {
    TOffscreenTarget(int width, int height);
    ~TOffscreenTarget();
    TOffscreenTarget(const TOffscreenTarget&) = delete;
    TOffscreenTarget& operator=(const TOffscreenTarget&) = delete;

    SDL_Surface* Surface = nullptr;
    SDL_Renderer* Renderer = nullptr;
    std::shared_ptr<TRenderContext> Context;
    std::string Failure;
};

class TOffscreenCanvas : private TOffscreenTarget, public TSdlCanvas {
  public:
    TOffscreenCanvas(int width, int height);

    // Empty when the canvas can be drawn on (the fonts were found too).
    const std::string& Error() const { return Failure; }
    // Another off-screen canvas, copied by blitting surface to surface.
    std::unique_ptr<ICanvas> CreateSurface(int width, int height) override;
    void CopyFrom(ICanvas& surface, const TRect& src, int x, int y) override;
    // Draws with these turned pictures, kept with the canvas it came from.
    void ShareTurnedPictures(std::shared_ptr<TTurnedPictures> pictures) {
        if (TOffscreenTarget::Context && pictures)
            TOffscreenTarget::Context->Turned = std::move(pictures);
    }
    // Waits until everything asked for has been drawn.
    void Finish();
    // The frame as drawn so far; empty when nothing can be read.
    TImage Snapshot();
    // PNG, or BMP for a name ending in ".bmp".
    bool SaveScreenshot(const std::string& path, std::string* error = nullptr);
};
