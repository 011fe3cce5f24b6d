#include "platform/soft_blit.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// 0x00BBGGRR to the surface's 0xAARRGGBB.
inline uint32_t ToArgb(uint32_t c) {
    return 0xFF000000u | (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF);
}

inline uint32_t Mix(uint32_t below, uint32_t above, int a) {
    auto ch = [&](int shift) {
        const int d = int(below >> shift & 255), s = int(above >> shift & 255);
        return uint32_t((s * a + d * (255 - a) + 127) / 255) << shift;
    };
    return 0xFF000000u | ch(16) | ch(8) | ch(0);
}

inline uint32_t AddLight(uint32_t below, uint32_t above, int a) {
    auto ch = [&](int shift) {
        const int d = int(below >> shift & 255), s = int(above >> shift & 255);
        return uint32_t(std::min(255, d + (s * a + 127) / 255)) << shift;
    };
    return 0xFF000000u | ch(16) | ch(8) | ch(0);
}

// Narrows [first, last] (pixel columns) to those where
// t0 + step * (X - left) lies in [0, limit). False when none do.
bool Span(int64_t t0, int64_t step, double inverse, int64_t limit, int left, int& first,
          int& last) {
    auto at = [&](int X) { return t0 + step * int64_t(X - left); };
    if (step == 0) return t0 >= 0 && t0 < limit;
    // A first guess from the division, then nudged to the exact edge.
    auto inside = [&](int X) { return at(X) >= 0 && at(X) < limit; };
    double a = -double(t0) * inverse, b = double(limit - 1 - t0) * inverse;
    if (a > b) std::swap(a, b);
    int lo = std::max(first, int(std::max(-1e9, std::floor(a))) + left);
    int hi = std::min(last, int(std::min(1e9, std::ceil(b))) + left);
    while (lo <= hi && !inside(lo))
        ++lo;
    while (hi >= lo && !inside(hi))
        --hi;
    if (lo > hi) return false;
    first = lo;
    last = hi;
    return true;
}

} // namespace

void BlitRotated(SDL_Surface* dst, const TRect& clip, const TImage& image, int32_t transparent,
                 int x, int y, int w, int h, double cx, double cy, int angle, TBlend blend,
                 int alpha) {
    if (!dst || !image.Valid() || w <= 0 || h <= 0 || dst->format->BytesPerPixel != 4) return;
    alpha = blend == TBlend::Plain ? 255 : std::clamp(alpha, 0, 255);
    if (alpha == 0) return;
    const double theta = double(angle & 255) * std::numbers::pi / 128;
    const double cs = std::cos(theta), sn = std::sin(theta);
    const double px = cx * w, py = cy * h;
    // The turned rectangle's bounding box, relative to the pivot.
    double minX = 1e18, maxX = -1e18, minY = 1e18, maxY = -1e18;
    for (double u : {-px, w - px})
        for (double v : {-py, h - py}) {
            const double rx = u * cs - v * sn, ry = u * sn + v * cs;
            minX = std::min(minX, rx);
            maxX = std::max(maxX, rx);
            minY = std::min(minY, ry);
            maxY = std::max(maxY, ry);
        }
    const int left = std::max(clip.Left, std::max(0, int(std::floor(x + minX))));
    const int right = std::min({clip.Right, dst->w, int(std::ceil(x + maxX)) + 1});
    const int top = std::max(clip.Top, std::max(0, int(std::floor(y + minY))));
    const int bottom = std::min({clip.Bottom, dst->h, int(std::ceil(y + maxY)) + 1});
    if (left >= right || top >= bottom) return;

    // Source texel per destination pixel, in 16.16 fixed point.
    const double scaleX = double(image.Width) / w, scaleY = double(image.Height) / h;
    const int64_t one = 1 << 16;
    const int64_t duX = int64_t(std::llround(cs * scaleX * one));
    const int64_t dvX = int64_t(std::llround(-sn * scaleY * one));
    const bool keyed = transparent >= 0;
    const uint32_t key = uint32_t(transparent) & 0xFFFFFF;
    const int64_t maxU = int64_t(image.Width) << 16, maxV = int64_t(image.Height) << 16;
    const double invU = duX ? 1.0 / double(duX) : 0, invV = dvX ? 1.0 / double(dvX) : 0;
    auto* base = static_cast<uint8_t*>(dst->pixels);
    for (int Y = top; Y < bottom; ++Y) {
        const double dy = Y + 0.5 - y, dx = left + 0.5 - x;
        int64_t u = int64_t(std::llround(((dx * cs + dy * sn) + px) * scaleX * one));
        int64_t v = int64_t(std::llround(((-dx * sn + dy * cs) + py) * scaleY * one));
        // Only the run of pixels whose texel lies inside the picture.
        int first = left, last = right - 1;
        if (!Span(u, duX, invU, maxU, left, first, last) ||
            !Span(v, dvX, invV, maxV, left, first, last))
            continue;
        u += duX * (first - left);
        v += dvX * (first - left);
        auto* row = reinterpret_cast<uint32_t*>(base + size_t(Y) * dst->pitch);
        for (int X = first; X <= last; ++X, u += duX, v += dvX) {
            const uint32_t p = image.Pixels[size_t(v >> 16) * image.Width + size_t(u >> 16)];
            if (keyed && (p & 0xFFFFFF) == key) continue;
            const uint32_t s = ToArgb(p);
            uint32_t& d = row[X];
            if (blend == TBlend::Additive)
                d = AddLight(d, s, alpha);
            else if (alpha < 255)
                d = Mix(d, s, alpha);
            else
                d = s;
        }
    }
}

void PutPoints(SDL_Surface* dst, const SDL_Point* points, int n, int32_t colour) {
    if (!dst || dst->format->BytesPerPixel != 4) return;
    const uint32_t c = ToArgb(uint32_t(colour));
    auto* base = static_cast<uint8_t*>(dst->pixels);
    for (int i = 0; i < n; ++i) {
        const SDL_Point p = points[i];
        if (p.x < 0 || p.y < 0 || p.x >= dst->w || p.y >= dst->h) continue;
        reinterpret_cast<uint32_t*>(base + size_t(p.y) * dst->pitch)[p.x] = c;
    }
}
