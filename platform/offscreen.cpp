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
    Direct = TOffscreenTarget::Surface;
    Fill(0);
}

std::unique_ptr<ICanvas> TOffscreenCanvas::CreateSurface(int width, int height) {
    if (width <= 0 || height <= 0) return nullptr;
    auto surface = std::make_unique<TOffscreenCanvas>(width, height);
    if (!surface->Error().empty()) return nullptr;
    surface->ShareTurnedPictures(TOffscreenTarget::Context->Turned);
    return surface;
}

void TOffscreenCanvas::CopyFrom(ICanvas& surface, const TRect& src, int x, int y) {
    auto* from = dynamic_cast<TOffscreenCanvas*>(&surface);
    if (!from) return TSdlCanvas::CopyFrom(surface, src, x, y);
    if (from == this || !Renderer || !from->Renderer) return;
    from->Finish();
    Finish();
    SDL_Rect a{src.Left, src.Top, src.Width(), src.Height()};
    SDL_Rect b{x, y, src.Width(), src.Height()};
    SDL_SetSurfaceBlendMode(from->TOffscreenTarget::Surface, SDL_BLENDMODE_NONE);
    SDL_BlitSurface(from->TOffscreenTarget::Surface, &a, TOffscreenTarget::Surface, &b);
}

void TOffscreenCanvas::Finish() {
    if (Renderer) SDL_RenderFlush(Renderer);
}

TImage TOffscreenCanvas::Snapshot() {
    TImage image;
    ReadPixels(image);
    return image;
}

bool TOffscreenCanvas::SaveScreenshot(const std::string& path, std::string* error) {
    return SaveImageFile(Snapshot(), path, error);
}
