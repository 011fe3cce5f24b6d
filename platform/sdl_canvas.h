// The canvas on an SDL renderer: the window's back buffer, its off-screen
// surfaces and the test surface all draw through this one class.
#pragma once

#include <SDL2/SDL_render.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/raster.h"
#include "platform/soft_blit.h"
#include "platform/text.h"
#include "render/canvas.h"

// What belongs to one renderer: uploaded pictures, fonts and text lines.
class TRenderContext {
  public:
    explicit TRenderContext(SDL_Renderer* renderer);
    ~TRenderContext();
    TRenderContext(const TRenderContext&) = delete;
    TRenderContext& operator=(const TRenderContext&) = delete;

    SDL_Renderer* const Renderer;
    TTextRenderer Text;
    // Turned pictures for drawing straight into a software surface; its
    // off-screen surfaces share them (a split screen's second view turns
    // the same vehicles).
    std::shared_ptr<TTurnedPictures> Turned = std::make_shared<TTurnedPictures>();

    // The uploaded copy of a picture, made when first asked for; null for an
    // empty picture or an index outside the list.
    SDL_Texture* TextureFor(const TImageList& list, int index);
    // After a mode change or a lost device: everything is uploaded anew.
    void ForgetTextures();
    // Makes target (null: the back buffer) the one drawn on.
    void UseTarget(SDL_Texture* target);
    int TextureCount() const { return int(Textures.size()); }

  private:
    struct TUpload {
        SDL_Texture* Texture = nullptr;
        uint64_t LastUse = 0;
    };
    std::unordered_map<uint64_t, TUpload> Textures; // by picture serial
    uint64_t UseCount = 0;
    SDL_Texture* Target = nullptr;
};

class TSdlCanvas : public ICanvas {
  public:
    // target null: the renderer's back buffer, whose size follows the window.
    TSdlCanvas(std::weak_ptr<TRenderContext> context, SDL_Texture* target, int width, int height);
    ~TSdlCanvas() override;
    TSdlCanvas(const TSdlCanvas&) = delete;
    TSdlCanvas& operator=(const TSdlCanvas&) = delete;

    int Width() const override;
    int Height() const override;
    void Fill(int32_t colour) override;
    void FillRect(const TRect& r, int32_t colour) override;
    void Draw(const TImageList& list, int index, int x, int y) override;
    void DrawStretched(const TImageList& list, int index, const TRect& dst) override;
    using ICanvas::DrawRotated;
    void DrawRotated(const TImageList& list, int index, int x, int y, int w, int h, double cx,
                     double cy, int angle, TBlend blend = TBlend::Plain, int alpha = 255) override;
    void SetPixel(int x, int y, int32_t colour) override;
    void Line(int x1, int y1, int x2, int y2, const TPen& pen) override;
    void Pixels(const TPixel* p, int n) override;
    void Lines(const TSegment* s, int n, const TPen& pen) override;
    void Ellipse(const TRect& box, const TPen& pen, const TBrush& brush) override;
    void Rectangle(const TRect& r, const TPen& pen, const TBrush& brush) override;
    void TextOut(int x, int y, const std::string& text, const TFont& font) override;
    int TextWidth(const std::string& text, const TFont& font) override;
    int TextHeight(const std::string& text, const TFont& font) override;
    std::unique_ptr<ICanvas> CreateSurface(int width, int height) override;
    void CopyFrom(ICanvas& surface, const TRect& src, int x, int y) override;
    void Upload(const TImageList& list) override;
    bool ReadPixels(TImage& out) override;

    // The surface a software renderer draws on (null: none, or not one).
    void SetDirect(SDL_Surface* surface) {
        Direct = surface && surface->format->BytesPerPixel == 4 ? surface : nullptr;
    }
    SDL_Surface* DirectSurface() const { return Direct; }

  protected:
    // The surface the software renderer draws on, when this canvas is one:
    // turned pictures, pixels and lines are then written straight into it.
    SDL_Surface* Direct = nullptr;

  private:
    // Everything queued is drawn, so the surface can be written directly.
    bool FlushForDirect(SDL_Renderer* r) const { return Direct && SDL_RenderFlush(r) == 0; }
    // The context with this canvas as the target, or null when its display is gone.
    std::shared_ptr<TRenderContext> Begin() const;
    void SetColour(SDL_Renderer* r, int32_t colour) const;
    void Size(int& w, int& h) const;
    TRect Bounds() const { return {0, 0, Width(), Height()}; }

    std::weak_ptr<TRenderContext> Context;
    SDL_Texture* Target;
    int SurfaceWidth, SurfaceHeight;
    // Room for the pixels of lines, batches and ellipses, kept between
    // calls: a frame asks for thousands.
    std::vector<SDL_Point> Points;
    std::vector<TPixel> Sorted;
    TEllipseRaster Ellipses;
};
