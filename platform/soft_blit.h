// Drawing straight into the pixels of a surface that the software renderer
// draws on. Turning a picture through the renderer allocates and converts
// a whole new surface for every sprite; a battle turns hundreds a frame.
#pragma once

#include <SDL2/SDL_surface.h>

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "core/image.h"
#include "render/canvas.h"

// Picture image (transparent colour key, or NoTransparency) scaled to
// w x h and turned by angle (1/256 turns clockwise) about (cx, cy) as
// fractions of w and h, that point landing on (x, y); only inside clip.
// dst must be a 32-bit ARGB surface.
void BlitRotated(SDL_Surface* dst, const TRect& clip, const TImage& image, int32_t transparent,
                 int x, int y, int w, int h, double cx, double cy, int angle, TBlend blend,
                 int alpha);
// Pixels of one colour, already inside the surface.
void PutPoints(SDL_Surface* dst, const SDL_Point* points, int n, int32_t colour);

// Pictures turned once and kept as rows of ready pixels, drawn again by
// copying: a vehicle keeps its heading for many frames, and all vehicles
// of a sort share their shadows. Draws exactly what BlitRotated draws.
class TTurnedPictures {
  public:
    explicit TTurnedPictures(size_t maxBytes = size_t(32) << 20) : MaxBytes(maxBytes) {}

    void Blit(SDL_Surface* dst, const TRect& clip, const TImageEntry& picture, int x, int y, int w,
              int h, double cx, double cy, int angle, TBlend blend, int alpha);
    size_t Bytes() const { return Used; }
    int Count() const { return int(Kept.size()); }
    void Clear() {
        Kept.clear();
        Recent.assign(RecentSize, {});
        Used = 0;
    }

    struct TKey {
        uint64_t Serial;
        uint64_t Cx, Cy; // the bits of the pivot fractions
        int W, H, Angle;
        bool operator==(const TKey&) const = default;
    };
    struct THash {
        size_t operator()(const TKey& k) const;
    };
    // One run of opaque pixels in a row, at X from the pivot.
    struct TRun {
        int X;
        int Length;
        uint32_t At; // first pixel in Pixels
    };
    struct TTurned {
        // The box, from the pivot, and the bounds it was found from: another
        // pivot with the same rounding gets the very same pixels.
        int Left = 0, Top = 0, Right = 0, Bottom = 0;
        double MinX = 0, MaxX = 0, MinY = 0, MaxY = 0;
        std::vector<uint32_t> RowRuns; // first run of each row, and the end
        std::vector<TRun> Runs;
        std::vector<uint32_t> Pixels; // surface colours
        size_t Bytes = 0;
        uint64_t LastUse = 0;
    };

  private:
    void Evict();

    size_t MaxBytes;
    size_t Used = 0;
    uint64_t Uses = 0;
    std::unordered_map<TKey, TTurned, THash> Kept;
    // The pictures last drawn, by hash: most look-ups end here.
    struct TRecent {
        TKey Key{};
        TTurned* Turned = nullptr;
    };
    static constexpr size_t RecentSize = 2048;
    std::vector<TRecent> Recent = std::vector<TRecent>(RecentSize);
    // Room for turning a picture, before it is kept at its own size.
    std::vector<TRun> BuildRuns;
    std::vector<uint32_t> BuildPixels;
};
