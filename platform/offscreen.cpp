#include "platform/offscreen.h"

#include <SDL2/SDL.h>

#include "platform/bitmap_file.h"

TOffscreenTarget::TOffscreenTarget(int width, int height) {
    if (width <= 0 || height <= 0) {
        Failure = "An off-screen surface needs a size above zero";
        return;
    }
    Surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
    if (Surface) Renderer = SDL_CreateSoftwareRenderer(Surface);
    if (!Renderer) {
        Failure = std::string("Cannot make an off-screen surface: ") + SDL_GetError();
        return;
    }
    Context = std::make_shared<TRenderContext>(Renderer);
    Failure = Context->Text.Error();
}

TOffscreenTarget::~TOffscreenTarget() {
    Context.reset(); // its textures and fonts go before the renderer
    if (Renderer) SDL_DestroyRenderer(Renderer);
    if (Surface) SDL_FreeSurface(Surface);
}

TOffscreenCanvas::TOffscreenCanvas(int width, int height)
    : TOffscreenTarget(width, height),
      TSdlCanvas(TOffscreenTarget::Context, nullptr, width, height) {
    Fill(0);
}

TImage TOffscreenCanvas::Snapshot() {
    TImage image;
    ReadPixels(image);
    return image;
}

bool TOffscreenCanvas::SaveScreenshot(const std::string& path, std::string* error) {
    return SaveImageFile(Snapshot(), path, error);
}
