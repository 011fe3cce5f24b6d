#include "platform/sdl_canvas.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <vector>

#include "platform/offscreen.h"
#include "platform/raster.h"
#include "platform/soft_blit.h"

namespace {

// More uploads than the game's lists hold at once; past it the least
// recently drawn half goes (replaced vehicle tints, old levels' textures).
constexpr size_t MaxUploads = 4096;

Uint8 R(int32_t c) {
    return Uint8(c & 255);
}
Uint8 G(int32_t c) {
    return Uint8(c >> 8 & 255);
}
Uint8 B(int32_t c) {
    return Uint8(c >> 16 & 255);
}

} // namespace

TRenderContext::TRenderContext(SDL_Renderer* renderer) : Renderer(renderer), Text(renderer) {}

TRenderContext::~TRenderContext() {
    // The renderer goes next; it must not be left drawing on a surface.
    UseTarget(nullptr);
    ForgetTextures();
}

SDL_Texture* TRenderContext::TextureFor(const TImageList& list, int index) {
    const TImageEntry* entry = list.Entry(index);
    if (!entry || entry->Image.Width <= 0 || entry->Image.Height <= 0) return nullptr;
    auto it = Textures.find(entry->Serial);
    if (it == Textures.end()) {
        const TImage& image = entry->Image;
        // The format of the surfaces drawn on in software, so that copying a
        // picture there needs no conversion of each pixel.
        SDL_Texture* t = SDL_CreateTexture(Renderer, SDL_PIXELFORMAT_ARGB8888,
                                           SDL_TEXTUREACCESS_STATIC, image.Width, image.Height);
        if (!t) return nullptr;
        // The transparent colour becomes alpha 0, so one blend mode serves
        // keyed, alpha-blended and additive drawing alike.
        std::vector<uint32_t> pixels(image.Pixels.size());
        const bool keyed = entry->Transparent >= 0;
        const uint32_t key = uint32_t(entry->Transparent) & 0xFFFFFF;
        for (size_t i = 0; i < pixels.size(); ++i) {
            const uint32_t p = image.Pixels[i] & 0xFFFFFF;
            pixels[i] =
                keyed && p == key ? 0 : 0xFF000000u | (p & 0xFF) << 16 | (p & 0xFF00) | p >> 16;
        }
        SDL_UpdateTexture(t, nullptr, pixels.data(), image.Width * 4);
        SDL_SetTextureScaleMode(t, SDL_ScaleModeNearest);
        if (Textures.size() >= MaxUploads) {
            std::vector<uint64_t> uses;
            for (auto& [serial, u] : Textures)
                uses.push_back(u.LastUse);
            std::nth_element(uses.begin(), uses.begin() + uses.size() / 2, uses.end());
            const uint64_t median = uses[uses.size() / 2];
            std::erase_if(Textures, [&](auto& kv) {
                if (kv.second.LastUse >= median) return false;
                SDL_DestroyTexture(kv.second.Texture);
                return true;
            });
        }
        it = Textures.emplace(entry->Serial, TUpload{t, 0}).first;
    }
    it->second.LastUse = ++UseCount;
    return it->second.Texture;
}

void TRenderContext::ForgetTextures() {
    for (auto& [serial, u] : Textures)
        SDL_DestroyTexture(u.Texture);
    Textures.clear();
    Text.ForgetTextures();
    Turned->Clear();
}

void TRenderContext::UseTarget(SDL_Texture* target) {
    if (target == Target) return;
    SDL_SetRenderTarget(Renderer, target);
    Target = target;
}

TSdlCanvas::TSdlCanvas(std::weak_ptr<TRenderContext> context, SDL_Texture* target, int width,
                       int height)
    : Context(std::move(context)), Target(target), SurfaceWidth(width), SurfaceHeight(height) {}

TSdlCanvas::~TSdlCanvas() {
    // A surface's texture dies with its renderer; only a live one is freed here.
    if (auto ctx = Context.lock(); ctx && Target) {
        ctx->UseTarget(nullptr);
        SDL_DestroyTexture(Target);
    }
}

std::shared_ptr<TRenderContext> TSdlCanvas::Begin() const {
    auto ctx = Context.lock();
    if (ctx) ctx->UseTarget(Target);
    return ctx;
}

// A surface has its own size; the back buffer is the logical size of a
// full screen, or else the window's client area.
void TSdlCanvas::Size(int& w, int& h) const {
    w = SurfaceWidth;
    h = SurfaceHeight;
    if (Target) return;
    // Drawn on directly only without a logical size: the surface is the output.
    if (Direct) {
        w = Direct->w;
        h = Direct->h;
        return;
    }
    w = h = 0;
    auto ctx = Context.lock();
    if (!ctx) return;
    SDL_RenderGetLogicalSize(ctx->Renderer, &w, &h);
    if (w == 0 || h == 0) SDL_GetRendererOutputSize(ctx->Renderer, &w, &h);
}

int TSdlCanvas::Width() const {
    int w, h;
    Size(w, h);
    return w;
}

int TSdlCanvas::Height() const {
    int w, h;
    Size(w, h);
    return h;
}

void TSdlCanvas::SetColour(SDL_Renderer* r, int32_t colour) const {
    SDL_SetRenderDrawBlendMode(r, SDL_BLENDMODE_NONE);
    SDL_SetRenderDrawColor(r, R(colour), G(colour), B(colour), 255);
}

void TSdlCanvas::Fill(int32_t colour) {
    auto ctx = Begin();
    if (!ctx) return;
    SetColour(ctx->Renderer, colour);
    SDL_RenderClear(ctx->Renderer);
}

void TSdlCanvas::FillRect(const TRect& r, int32_t colour) {
    TRect c;
    auto ctx = Begin();
    if (!ctx || !ClipRect(r, Bounds(), c)) return;
    SetColour(ctx->Renderer, colour);
    SDL_Rect rect{c.Left, c.Top, c.Width(), c.Height()};
    SDL_RenderFillRect(ctx->Renderer, &rect);
}

void TSdlCanvas::Draw(const TImageList& list, int index, int x, int y) {
    DrawStretched(list, index, {x, y, x + list.Width(index), y + list.Height(index)});
}

void TSdlCanvas::DrawStretched(const TImageList& list, int index, const TRect& dst) {
    auto ctx = Begin();
    if (!ctx || dst.Width() <= 0 || dst.Height() <= 0) return;
    SDL_Texture* t = ctx->TextureFor(list, index);
    if (!t) return;
    // An opaque picture is a plain copy, much cheaper than a blend.
    const bool opaque = list.Entry(index)->Transparent < 0;
    SDL_SetTextureBlendMode(t, opaque ? SDL_BLENDMODE_NONE : SDL_BLENDMODE_BLEND);
    SDL_SetTextureAlphaMod(t, 255);
    SDL_Rect rect{dst.Left, dst.Top, dst.Width(), dst.Height()};
    SDL_RenderCopy(ctx->Renderer, t, nullptr, &rect);
}

void TSdlCanvas::DrawRotated(const TImageList& list, int index, int x, int y, int w, int h,
                             double cx, double cy, int angle, TBlend blend, int alpha) {
    auto ctx = Begin();
    if (!ctx || w <= 0 || h <= 0) return;
    if (FlushForDirect(ctx->Renderer)) {
        if (const TImageEntry* e = list.Entry(index))
            ctx->Turned->Blit(Direct, Bounds(), *e, x, y, w, h, cx, cy, angle, blend, alpha);
        return;
    }
    SDL_Texture* t = ctx->TextureFor(list, index);
    if (!t) return;
    SDL_SetTextureBlendMode(t, blend == TBlend::Additive ? SDL_BLENDMODE_ADD : SDL_BLENDMODE_BLEND);
    SDL_SetTextureAlphaMod(t, blend == TBlend::Plain ? 255 : Uint8(std::clamp(alpha, 0, 255)));
    const float px = float(cx * w), py = float(cy * h);
    SDL_FRect rect{float(x) - px, float(y) - py, float(w), float(h)};
    SDL_FPoint centre{px, py};
    const double degrees = double(angle & 255) * 360.0 / 256.0;
    SDL_RenderCopyExF(ctx->Renderer, t, nullptr, &rect, degrees, &centre, SDL_FLIP_NONE);
}

void TSdlCanvas::SetPixel(int x, int y, int32_t colour) {
    auto ctx = Begin();
    if (!ctx || x < 0 || y < 0 || x >= Width() || y >= Height()) return;
    SetColour(ctx->Renderer, colour);
    SDL_RenderDrawPoint(ctx->Renderer, x, y);
}

void TSdlCanvas::Line(int x1, int y1, int x2, int y2, const TPen& pen) {
    if (pen.Style == TPenStyle::Clear) return;
    auto ctx = Begin();
    if (!ctx) return;
    Points.clear();
    RasterLine(x1, y1, x2, y2, pen.Width, pen.Style == TPenStyle::Dotted, Bounds(), Points);
    if (Points.empty()) return;
    if (FlushForDirect(ctx->Renderer)) {
        PutPoints(Direct, Points.data(), int(Points.size()), pen.Colour);
        return;
    }
    SetColour(ctx->Renderer, pen.Colour);
    SDL_RenderDrawPoints(ctx->Renderer, Points.data(), int(Points.size()));
}

void TSdlCanvas::Pixels(const TPixel* p, int n) {
    auto ctx = Begin();
    if (!ctx || n <= 0) return;
    const int w = Width(), h = Height();
    // One call per colour: particles come in a handful of colours.
    std::vector<TPixel>& sorted = Sorted;
    sorted.clear();
    for (int i = 0; i < n; ++i)
        if (p[i].X >= 0 && p[i].Y >= 0 && p[i].X < w && p[i].Y < h) sorted.push_back(p[i]);
    std::sort(sorted.begin(), sorted.end(),
              [](const TPixel& a, const TPixel& b) { return a.Colour < b.Colour; });
    const bool direct = FlushForDirect(ctx->Renderer);
    for (size_t i = 0; i < sorted.size();) {
        size_t j = i;
        Points.clear();
        for (; j < sorted.size() && sorted[j].Colour == sorted[i].Colour; ++j)
            Points.push_back({sorted[j].X, sorted[j].Y});
        if (direct) {
            PutPoints(Direct, Points.data(), int(Points.size()), sorted[i].Colour);
        } else {
            SetColour(ctx->Renderer, sorted[i].Colour);
            SDL_RenderDrawPoints(ctx->Renderer, Points.data(), int(Points.size()));
        }
        i = j;
    }
}

void TSdlCanvas::Lines(const TSegment* s, int n, const TPen& pen) {
    if (pen.Style == TPenStyle::Clear || n <= 0) return;
    auto ctx = Begin();
    if (!ctx) return;
    Points.clear();
    const TRect bounds = Bounds();
    for (int i = 0; i < n; ++i)
        RasterLine(s[i].X1, s[i].Y1, s[i].X2, s[i].Y2, pen.Width, pen.Style == TPenStyle::Dotted,
                   bounds, Points);
    if (Points.empty()) return;
    if (FlushForDirect(ctx->Renderer)) {
        PutPoints(Direct, Points.data(), int(Points.size()), pen.Colour);
        return;
    }
    SetColour(ctx->Renderer, pen.Colour);
    SDL_RenderDrawPoints(ctx->Renderer, Points.data(), int(Points.size()));
}

void TSdlCanvas::Ellipse(const TRect& box, const TPen& pen, const TBrush& brush) {
    auto ctx = Begin();
    if (!ctx) return;
    TEllipseRaster& e = Ellipses;
    e.Clear();
    RasterEllipse(box, pen.Width, pen.Style, brush.Style == TBrushStyle::Solid, Bounds(), e);
    SDL_Renderer* r = ctx->Renderer;
    if (!e.Fill.empty()) {
        SetColour(r, brush.Colour);
        SDL_RenderFillRects(r, e.Fill.data(), int(e.Fill.size()));
    }
    SetColour(r, pen.Colour);
    if (!e.Ring.empty()) SDL_RenderFillRects(r, e.Ring.data(), int(e.Ring.size()));
    if (e.Dots.empty()) return;
    if (FlushForDirect(r))
        PutPoints(Direct, e.Dots.data(), int(e.Dots.size()), pen.Colour);
    else
        SDL_RenderDrawPoints(r, e.Dots.data(), int(e.Dots.size()));
}

void TSdlCanvas::Rectangle(const TRect& r, const TPen& pen, const TBrush& brush) {
    if (r.Width() <= 0 || r.Height() <= 0) return;
    if (brush.Style == TBrushStyle::Solid) FillRect(r, brush.Colour);
    if (pen.Style == TPenStyle::Clear) return;
    // The pen lies inside the rectangle; a second pen row goes inwards.
    const int w = std::clamp(pen.Width, 1, 2);
    Line(r.Left, r.Top, r.Right, r.Top, pen);
    Line(r.Left, r.Bottom - w, r.Right, r.Bottom - w, pen);
    Line(r.Left, r.Top, r.Left, r.Bottom, pen);
    Line(r.Right - w, r.Top, r.Right - w, r.Bottom, pen);
}

void TSdlCanvas::TextOut(int x, int y, const std::string& text, const TFont& font) {
    if (auto ctx = Begin()) ctx->Text.Draw(x, y, text, font);
}

int TSdlCanvas::TextWidth(const std::string& text, const TFont& font) {
    auto ctx = Context.lock();
    int w = 0, h = 0;
    if (ctx) ctx->Text.Measure(text, font, w, h);
    return w;
}

int TSdlCanvas::TextHeight(const std::string& text, const TFont& font) {
    auto ctx = Context.lock();
    int w = 0, h = 0;
    if (ctx) ctx->Text.Measure(text, font, w, h);
    return h;
}

std::unique_ptr<ICanvas> TSdlCanvas::CreateSurface(int width, int height) {
    auto ctx = Context.lock();
    if (!ctx || width <= 0 || height <= 0) return nullptr;
    // Drawn in software: a surface of its own is written directly as well.
    if (Direct) {
        auto surface = std::make_unique<TOffscreenCanvas>(width, height);
        if (surface->Error().empty()) {
            surface->ShareTurnedPictures(ctx->Turned);
            return surface;
        }
    }
    SDL_Texture* t = SDL_CreateTexture(ctx->Renderer, SDL_PIXELFORMAT_ARGB8888,
                                       SDL_TEXTUREACCESS_TARGET, width, height);
    if (!t) return nullptr;
    auto surface = std::make_unique<TSdlCanvas>(Context, t, width, height);
    surface->Fill(0);
    return surface;
}

void TSdlCanvas::CopyFrom(ICanvas& surface, const TRect& src, int x, int y) {
    auto* from = dynamic_cast<TSdlCanvas*>(&surface);
    auto ctx = Begin();
    if (ctx && from && from != this && Direct && from->Direct && FlushForDirect(ctx->Renderer)) {
        if (auto* off = dynamic_cast<TOffscreenCanvas*>(from)) off->Finish();
        SDL_Rect a{src.Left, src.Top, src.Width(), src.Height()};
        SDL_Rect b{x, y, src.Width(), src.Height()};
        SDL_SetSurfaceBlendMode(from->Direct, SDL_BLENDMODE_NONE);
        SDL_BlitSurface(from->Direct, &a, Direct, &b);
        return;
    }
    // Only a surface of this renderer can be copied.
    if (!ctx || !from || !from->Target || from == this || from->Context.lock() != ctx) return;
    TRect s;
    if (!ClipRect(src, from->Bounds(), s)) return;
    SDL_SetTextureBlendMode(from->Target, SDL_BLENDMODE_NONE);
    SDL_Rect a{s.Left, s.Top, s.Width(), s.Height()};
    SDL_Rect b{x + s.Left - src.Left, y + s.Top - src.Top, s.Width(), s.Height()};
    SDL_RenderCopy(ctx->Renderer, from->Target, &a, &b);
}

void TSdlCanvas::Upload(const TImageList& list) {
    auto ctx = Context.lock();
    if (!ctx) return;
    for (int i = 0; i < list.Count(); ++i)
        ctx->TextureFor(list, i);
}

bool TSdlCanvas::ReadPixels(TImage& out) {
    auto ctx = Begin();
    if (!ctx) return false;
    SDL_Renderer* r = ctx->Renderer;
    int w = Width(), h = Height(), lw = 0, lh = 0;
    if (!Target) {
        // A full screen scales the surface onto the desktop: take the whole
        // output as it is shown, bars and all.
        SDL_RenderGetLogicalSize(r, &lw, &lh);
        if (lw > 0) SDL_RenderSetLogicalSize(r, 0, 0);
        SDL_GetRendererOutputSize(r, &w, &h);
    }
    bool ok = w > 0 && h > 0;
    TImage image(w, h);
    if (ok)
        ok = SDL_RenderReadPixels(r, nullptr, SDL_PIXELFORMAT_ABGR8888, image.Pixels.data(),
                                  w * 4) == 0;
    if (lw > 0) SDL_RenderSetLogicalSize(r, lw, lh);
    if (!ok) return false;
    for (uint32_t& p : image.Pixels)
        p &= 0xFFFFFF;
    out = std::move(image);
    return true;
}
