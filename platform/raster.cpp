#include "platform/raster.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <numbers>

namespace {

bool Dotted(int64_t i) {
    return (i / DotLength) % 2 == 0;
}

// Row y of the ellipse with centre (mx, my) and radii (rx, ry): the pixels
// whose centres lie inside it. False when the row misses it.
bool EllipseRow(int y, double mx, double my, double rx, double ry, int& x1, int& x2) {
    if (rx <= 0 || ry <= 0) return false;
    double dy = (y + 0.5 - my) / ry;
    if (dy <= -1 || dy >= 1) return false;
    double half = rx * std::sqrt(1 - dy * dy);
    x1 = int(std::ceil(mx - half - 0.5));
    x2 = int(std::floor(mx + half - 0.5));
    return x1 <= x2;
}

void AddRow(std::vector<SDL_Rect>& out, int y, int x1, int x2, const TRect& clip) {
    x1 = std::max(x1, clip.Left);
    x2 = std::min(x2, clip.Right - 1);
    if (x1 <= x2) out.push_back({x1, y, x2 - x1 + 1, 1});
}

void AddDots(TEllipseRaster& out, const TRect& box, int y, int x1, int x2, const TRect& clip,
             double mx, double my, double meanRadius) {
    x1 = std::max(x1, clip.Left);
    x2 = std::min(x2, clip.Right - 1);
    const bool kept = out.DotWidth == box.Width() && out.DotHeight == box.Height();
    for (int x = x1; x <= x2; ++x) {
        int8_t* on =
            kept ? &out.DotOn[size_t(y - box.Top) * size_t(box.Width()) + size_t(x - box.Left)]
                 : nullptr;
        if (!on || *on < 0) {
            const double arc =
                (std::atan2(y + 0.5 - my, x + 0.5 - mx) + std::numbers::pi) * meanRadius;
            const int8_t dot = Dotted(int64_t(arc)) ? 1 : 0;
            if (!on) {
                if (dot) out.Dots.push_back({x, y});
                continue;
            }
            *on = dot;
        }
        if (*on) out.Dots.push_back({x, y});
    }
}

} // namespace

void RasterLine(int x1, int y1, int x2, int y2, int penWidth, bool dotted, const TRect& clip,
                std::vector<SDL_Point>& out) {
    const int64_t dx = int64_t(x2) - x1, dy = int64_t(y2) - y1;
    const int64_t steps = std::max(std::llabs(dx), std::llabs(dy));
    if (steps == 0 || clip.Right <= clip.Left || clip.Bottom <= clip.Top) return;
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    const bool thick = penWidth >= 2;
    const int64_t ax = std::llabs(dx), ay = std::llabs(dy);
    const int sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
    // A thin line with both ends inside (a bullet's streak) stays inside.
    auto inside = [&](int x, int y) {
        return x >= clip.Left && x < clip.Right && y >= clip.Top && y < clip.Bottom;
    };
    if (!thick && !dotted && inside(x1, y1) && inside(x2, y2)) {
        const int64_t minor = xMajor ? ay : ax, twice = 2 * steps;
        int64_t q = 0, r = steps;
        for (int64_t i = 0; i < steps; ++i) {
            out.push_back({int(x1 + sx * (xMajor ? i : q)), int(y1 + sy * (xMajor ? q : i))});
            r += 2 * minor;
            if (r >= twice) {
                r -= twice;
                ++q;
            }
        }
        return;
    }

    // Only the steps whose pixels can fall inside the clip (with a pixel to
    // spare for the second pen row) are walked, so a line running far off
    // screen costs no more than one across it.
    double lo = 0, hi = double(steps - 1);
    auto limit = [&](int64_t from, int64_t delta, double min, double max) {
        if (delta == 0) {
            if (from < min || from > max) hi = -1;
            return;
        }
        double a = (min - from) * double(steps) / double(delta);
        double b = (max - from) * double(steps) / double(delta);
        if (a > b) std::swap(a, b);
        lo = std::max(lo, std::floor(a) - 1);
        hi = std::min(hi, std::ceil(b) + 1);
    };
    limit(x1, dx, clip.Left - 1.0, clip.Right);
    limit(y1, dy, clip.Top - 1.0, clip.Bottom);
    if (hi < lo) return;

    auto plot = [&](int64_t x, int64_t y) {
        if (x >= clip.Left && x < clip.Right && y >= clip.Top && y < clip.Bottom)
            out.push_back({int(x), int(y)});
    };
    // The minor axis is rounded to the nearest pixel, halves away from the
    // start: step i moves it by (2 i minor + steps) div (2 steps), kept here
    // as a quotient and a remainder that grow by 2 minor a step.
    const int64_t minor = xMajor ? ay : ax, twice = 2 * steps;
    const int64_t first = int64_t(lo);
    int64_t q = (2 * first * minor + steps) / twice, r = (2 * first * minor + steps) % twice;
    for (int64_t i = first; i <= int64_t(hi); ++i) {
        if (!dotted || Dotted(i)) {
            const int64_t x = x1 + sx * (xMajor ? i : q), y = y1 + sy * (xMajor ? q : i);
            plot(x, y);
            if (thick) xMajor ? plot(x, y + 1) : plot(x + 1, y);
        }
        r += 2 * minor;
        if (r >= twice) {
            r -= twice;
            ++q;
        }
    }
}

void RasterEllipse(const TRect& box, int penWidth, TPenStyle penStyle, bool filled,
                   const TRect& clip, TEllipseRaster& out) {
    if (box.Right <= box.Left || box.Bottom <= box.Top) return;
    const double mx = (double(box.Left) + box.Right) / 2, my = (double(box.Top) + box.Bottom) / 2;
    const double rx = (double(box.Right) - box.Left) / 2, ry = (double(box.Bottom) - box.Top) / 2;
    const int pen = penStyle == TPenStyle::Clear ? 0 : std::clamp(penWidth, 1, 8);
    // A dotted outline's dots are kept for boxes of a sensible size.
    if (penStyle == TPenStyle::Dotted && box.Width() <= 512 && box.Height() <= 512 &&
        (out.DotWidth != box.Width() || out.DotHeight != box.Height())) {
        out.DotWidth = box.Width();
        out.DotHeight = box.Height();
        out.DotOn.assign(size_t(box.Width()) * size_t(box.Height()), -1);
    }
    const int y1 = std::max(box.Top, clip.Top), y2 = std::min(box.Bottom, clip.Bottom);
    for (int y = y1; y < y2; ++y) {
        int ox1, ox2;
        if (!EllipseRow(y, mx, my, rx, ry, ox1, ox2)) continue;
        int ix1, ix2;
        bool inner = EllipseRow(y, mx, my, rx - pen, ry - pen, ix1, ix2);
        if (filled) {
            if (pen == 0)
                AddRow(out.Fill, y, ox1, ox2, clip);
            else if (inner)
                AddRow(out.Fill, y, ix1, ix2, clip);
        }
        if (pen == 0) continue;
        // The outline is what the outer ellipse has and the inner one has not.
        int left2 = inner ? ix1 - 1 : ox2, right1 = inner ? ix2 + 1 : ox2 + 1;
        if (penStyle == TPenStyle::Dotted) {
            AddDots(out, box, y, ox1, left2, clip, mx, my, (rx + ry) / 2);
            if (inner) AddDots(out, box, y, right1, ox2, clip, mx, my, (rx + ry) / 2);
        } else {
            AddRow(out.Ring, y, ox1, left2, clip);
            if (inner) AddRow(out.Ring, y, right1, ox2, clip);
        }
    }
}

bool ClipRect(const TRect& r, const TRect& clip, TRect& out) {
    out = {std::max(r.Left, clip.Left), std::max(r.Top, clip.Top), std::min(r.Right, clip.Right),
           std::min(r.Bottom, clip.Bottom)};
    return out.Right > out.Left && out.Bottom > out.Top;
}
