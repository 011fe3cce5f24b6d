#include "platform/soft_blit.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <numbers>

namespace {

// 0x00BBGGRR to the surface's 0xAARRGGBB.
inline uint32_t ToArgb(uint32_t c) {
    return 0xFF000000u | (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF);
}

// The three colour channels of 0xAARRGGBB in 16-bit lanes (blue, red,
// green from the bottom up), so one multiplication weighs all three.
inline uint64_t Spread(uint32_t c) {
    return (c & 0xFF00FFu) | uint64_t(c & 0xFF00u) << 24;
}
inline uint32_t Gather(uint64_t lanes) {
    return 0xFF000000u | uint32_t(lanes & 0xFF00FFu) | uint32_t(lanes >> 24 & 0xFF00u);
}
// Each lane (at most 255 * 255 + 127) divided by 255, rounding down.
inline uint64_t Div255(uint64_t n) {
    return (n + 0x000100010001u + (n >> 8 & 0x00FF00FF00FFu)) >> 8 & 0x00FF00FF00FFu;
}

// Per channel (s * a + d * (255 - a) + 127) / 255.
inline uint32_t Mix(uint32_t below, uint32_t above, int a) {
    return Gather(
        Div255(Spread(above) * uint64_t(a) + Spread(below) * uint64_t(255 - a) + 0x007F007F007Fu));
}

// Per channel min(255, d + (s * a + 127) / 255).
inline uint32_t AddLight(uint32_t below, uint32_t above, int a) {
    const uint64_t sum = Spread(below) + Div255(Spread(above) * uint64_t(a) + 0x007F007F007Fu);
    const uint64_t over = sum >> 8 & 0x000100010001u;
    return Gather((sum | over * 0xFF) & 0x00FF00FF00FFu);
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

// The mapping of a picture turned about its pivot: which texel lands on
// each surface pixel, in 16.16 fixed point.
struct TTurn {
    TTurn(const TImage& image, int w, int h, double cx, double cy, int angle) : Image(image) {
        const double theta = double(angle & 255) * std::numbers::pi / 128;
        cs = std::cos(theta);
        sn = std::sin(theta);
        px = cx * w;
        py = cy * h;
        // The turned rectangle's bounding box, relative to the pivot.
        for (double u : {-px, w - px})
            for (double v : {-py, h - py}) {
                const double rx = u * cs - v * sn, ry = u * sn + v * cs;
                MinX = std::min(MinX, rx);
                MaxX = std::max(MaxX, rx);
                MinY = std::min(MinY, ry);
                MaxY = std::max(MaxY, ry);
            }
        scaleX = double(image.Width) / w;
        scaleY = double(image.Height) / h;
        const int64_t one = 1 << 16;
        duX = int64_t(std::llround(cs * scaleX * one));
        dvX = int64_t(std::llround(-sn * scaleY * one));
        maxU = int64_t(image.Width) << 16;
        maxV = int64_t(image.Height) << 16;
        invU = duX ? 1.0 / double(duX) : 0;
        invV = dvX ? 1.0 / double(dvX) : 0;
    }

    // The box around the pivot (x, y), right and bottom left out.
    int Left(int x) const { return int(std::floor(x + MinX)); }
    int Right(int x) const { return int(std::ceil(x + MaxX)) + 1; }
    int Top(int y) const { return int(std::floor(y + MinY)); }
    int Bottom(int y) const { return int(std::ceil(y + MaxY)) + 1; }

    // Row Y, walked from column left: the columns [first, last] within
    // [first, last] as given whose texel lies inside the picture, and the
    // texel of first. False when there are none.
    bool Row(int x, int y, int Y, int left, int& first, int& last, int64_t& u, int64_t& v) const {
        const double dy = Y + 0.5 - y, dx = left + 0.5 - x;
        const int64_t one = 1 << 16;
        u = int64_t(std::llround(((dx * cs + dy * sn) + px) * scaleX * one));
        v = int64_t(std::llround(((-dx * sn + dy * cs) + py) * scaleY * one));
        if (!Span(u, duX, invU, maxU, left, first, last) ||
            !Span(v, dvX, invV, maxV, left, first, last))
            return false;
        u += duX * (first - left);
        v += dvX * (first - left);
        return true;
    }

    const TImage& Image;
    double cs, sn, px, py, scaleX, scaleY;
    double MinX = 1e18, MaxX = -1e18, MinY = 1e18, MaxY = -1e18;
    int64_t duX, dvX, maxU, maxV;
    double invU, invV;
};

// One pixel of a picture onto the surface.
inline void Put(uint32_t& d, uint32_t s, TBlend blend, int alpha) {
    if (blend == TBlend::Additive)
        d = AddLight(d, s, alpha);
    else if (alpha < 255)
        d = Mix(d, s, alpha);
    else
        d = s;
}

} // namespace

void BlitRotated(SDL_Surface* dst, const TRect& clip, const TImage& image, int32_t transparent,
                 int x, int y, int w, int h, double cx, double cy, int angle, TBlend blend,
                 int alpha) {
    if (!dst || !image.Valid() || w <= 0 || h <= 0 || dst->format->BytesPerPixel != 4) return;
    alpha = blend == TBlend::Plain ? 255 : std::clamp(alpha, 0, 255);
    if (alpha == 0) return;
    const TTurn turn(image, w, h, cx, cy, angle);
    const int left = std::max(clip.Left, std::max(0, turn.Left(x)));
    const int right = std::min({clip.Right, dst->w, turn.Right(x)});
    const int top = std::max(clip.Top, std::max(0, turn.Top(y)));
    const int bottom = std::min({clip.Bottom, dst->h, turn.Bottom(y)});
    if (left >= right || top >= bottom) return;

    const bool keyed = transparent >= 0;
    const uint32_t key = uint32_t(transparent) & 0xFFFFFF;
    const int64_t duX = turn.duX, dvX = turn.dvX;
    auto* base = static_cast<uint8_t*>(dst->pixels);
    for (int Y = top; Y < bottom; ++Y) {
        // Only the run of pixels whose texel lies inside the picture.
        int first = left, last = right - 1;
        int64_t u, v;
        if (!turn.Row(x, y, Y, left, first, last, u, v)) continue;
        auto* row = reinterpret_cast<uint32_t*>(base + size_t(Y) * dst->pitch);
        for (int X = first; X <= last; ++X, u += duX, v += dvX) {
            const uint32_t p = image.Pixels[size_t(v >> 16) * image.Width + size_t(u >> 16)];
            if (keyed && (p & 0xFFFFFF) == key) continue;
            Put(row[X], ToArgb(p), blend, alpha);
        }
    }
}

size_t TTurnedPictures::THash::operator()(const TKey& k) const {
    uint64_t h = k.Serial * 0x9E3779B97F4A7C15ull;
    for (uint64_t part : {k.Cx, k.Cy, uint64_t(k.W) << 32 | uint32_t(k.H), uint64_t(k.Angle)})
        h = (h ^ part) * 0xFF51AFD7ED558CCDull + (h >> 29);
    return size_t(h ^ (h >> 32));
}

void TTurnedPictures::Blit(SDL_Surface* dst, const TRect& clip, const TImageEntry& picture, int x,
                           int y, int w, int h, double cx, double cy, int angle, TBlend blend,
                           int alpha) {
    const TImage& image = picture.Image;
    if (!dst || !image.Valid() || w <= 0 || h <= 0 || dst->format->BytesPerPixel != 4) return;
    alpha = blend == TBlend::Plain ? 255 : std::clamp(alpha, 0, 255);
    if (alpha == 0) return;
    TKey key{picture.Serial, std::bit_cast<uint64_t>(cx), std::bit_cast<uint64_t>(cy), w, h,
             angle & 255};
    const size_t slot = THash{}(key) % RecentSize;
    TTurned* kept = Recent[slot].Turned && Recent[slot].Key == key ? Recent[slot].Turned : nullptr;
    auto it = kept ? Kept.end() : Kept.find(key);
    if (!kept && it == Kept.end()) {
        // Very large pictures would crowd out the many small ones, and a
        // picture outside any list (serial 0) cannot be told apart.
        if (size_t(w) * size_t(h) > 256 * 256 || picture.Serial == 0)
            return BlitRotated(dst, clip, image, picture.Transparent, x, y, w, h, cx, cy, angle,
                               blend, alpha);
        const TTurn turn(image, w, h, cx, cy, angle);
        TTurned t;
        t.MinX = turn.MinX;
        t.MaxX = turn.MaxX;
        t.MinY = turn.MinY;
        t.MaxY = turn.MaxY;
        const int left = turn.Left(x), right = turn.Right(x);
        const int top = turn.Top(y), bottom = turn.Bottom(y);
        t.Left = left - x;
        t.Right = right - x;
        t.Top = top - y;
        t.Bottom = bottom - y;
        const bool keyed = picture.Transparent >= 0;
        const uint32_t colourKey = uint32_t(picture.Transparent) & 0xFFFFFF;
        t.RowRuns.reserve(size_t(std::max(0, bottom - top)) + 1);
        std::vector<TRun>& runs = BuildRuns;
        std::vector<uint32_t>& pixels = BuildPixels;
        runs.clear();
        pixels.clear();
        for (int Y = top; Y < bottom; ++Y) {
            t.RowRuns.push_back(uint32_t(runs.size()));
            int first = left, last = right - 1;
            int64_t u, v;
            if (left >= right || !turn.Row(x, y, Y, left, first, last, u, v)) continue;
            bool open = false;
            for (int X = first; X <= last; ++X, u += turn.duX, v += turn.dvX) {
                const uint32_t p = image.Pixels[size_t(v >> 16) * image.Width + size_t(u >> 16)];
                if (keyed && (p & 0xFFFFFF) == colourKey) {
                    open = false;
                    continue;
                }
                if (!open) runs.push_back({X - x, 0, uint32_t(pixels.size())});
                open = true;
                ++runs.back().Length;
                pixels.push_back(ToArgb(p));
            }
        }
        t.RowRuns.push_back(uint32_t(runs.size()));
        t.Runs.assign(runs.begin(), runs.end());
        t.Pixels.assign(pixels.begin(), pixels.end());
        t.Bytes = sizeof(TTurned) + t.RowRuns.size() * sizeof(uint32_t) +
                  t.Runs.size() * sizeof(TRun) + t.Pixels.size() * sizeof(uint32_t) + 64;
        if (Used + t.Bytes > MaxBytes) Evict();
        Used += t.Bytes;
        it = Kept.emplace(key, std::move(t)).first;
    }
    TTurned& t = kept ? *kept : it->second;
    Recent[slot] = {key, &t};
    t.LastUse = ++Uses;
    // The kept rows hold for a pivot whose box rounds the same way and
    // whose left edge is not cut off (a cut row starts its walk elsewhere).
    const int left = int(std::floor(x + t.MinX));
    if (left - x != t.Left || int(std::ceil(x + t.MaxX)) + 1 - x != t.Right ||
        int(std::floor(y + t.MinY)) - y != t.Top ||
        int(std::ceil(y + t.MaxY)) + 1 - y != t.Bottom || left < std::max(clip.Left, 0))
        return BlitRotated(dst, clip, image, picture.Transparent, x, y, w, h, cx, cy, angle, blend,
                           alpha);
    const int top = std::max({clip.Top, 0, y + t.Top});
    const int bottom = std::min({clip.Bottom, dst->h, y + t.Bottom});
    const int right = std::min({clip.Right, dst->w, x + t.Right});
    auto* base = static_cast<uint8_t*>(dst->pixels);
    // A blend reads what lies below: the rows a little ahead are asked for
    // early, so the reads do not wait on memory one row at a time.
    constexpr int Ahead = 3;
    auto prefetch = [&](int Y) {
        if (blend == TBlend::Plain || Y >= bottom) return;
        const auto* row = base + size_t(Y) * dst->pitch;
        for (int X = std::max(x + t.Left, 0); X < right; X += 16)
            __builtin_prefetch(row + size_t(X) * 4, 1);
    };
    for (int Y = top; Y < std::min(bottom, top + Ahead); ++Y)
        prefetch(Y);
    for (int Y = top; Y < bottom; ++Y) {
        prefetch(Y + Ahead);
        auto* row = reinterpret_cast<uint32_t*>(base + size_t(Y) * dst->pitch);
        const int r = Y - y - t.Top;
        for (uint32_t k = t.RowRuns[size_t(r)]; k < t.RowRuns[size_t(r) + 1]; ++k) {
            const TRun& run = t.Runs[k];
            const int X0 = x + run.X;
            const int n = std::min(run.Length, right - X0);
            if (n <= 0) break;
            const uint32_t* s = t.Pixels.data() + run.At;
            uint32_t* d = row + X0;
            if (blend == TBlend::Plain) {
                std::copy_n(s, n, d);
            } else {
                for (int i = 0; i < n; ++i)
                    Put(d[i], s[i], blend, alpha);
            }
        }
    }
}

// Keeps the more recently drawn half.
void TTurnedPictures::Evict() {
    std::vector<uint64_t> uses;
    uses.reserve(Kept.size());
    for (auto& [key, t] : Kept)
        uses.push_back(t.LastUse);
    if (uses.empty()) return;
    Recent.assign(RecentSize, {});
    std::nth_element(uses.begin(), uses.begin() + uses.size() / 2, uses.end());
    const uint64_t median = uses[uses.size() / 2];
    std::erase_if(Kept, [&](auto& kv) {
        if (kv.second.LastUse >= median) return false;
        Used -= kv.second.Bytes;
        return true;
    });
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
