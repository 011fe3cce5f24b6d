#include "canvas.h"

#include <algorithm>
#include <cmath>

TColour Mix(TColour a, TColour b, float t) {
    return {a.R + (b.R - a.R) * t, a.G + (b.G - a.G) * t, a.B + (b.B - a.B) * t};
}

TColour Scale(TColour c, float k) {
    return {c.R * k, c.G * k, c.B * k};
}

TColour Rgb(int r, int g, int b) {
    return {float(r), float(g), float(b)};
}

TSdf Circle(float cx, float cy, float r) {
    return [=](float x, float y) { return std::hypot(x - cx, y - cy) - r; };
}

TSdf Ellipse(float cx, float cy, float rx, float ry) {
    // Scaled-circle distance, corrected by the gradient length: good enough
    // for the small, mildly elongated ellipses used here.
    return [=](float x, float y) {
        const float u = (x - cx) / rx, v = (y - cy) / ry;
        const float k = std::hypot(u, v);
        const float g = std::hypot(u / rx, v / ry);
        return g > 1e-6f ? (k - 1) * k / g : -std::min(rx, ry);
    };
}

TSdf Box(float x0, float y0, float x1, float y1, float radius) {
    const float cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
    const float hx = (x1 - x0) / 2 - radius, hy = (y1 - y0) / 2 - radius;
    return [=](float x, float y) {
        const float dx = std::fabs(x - cx) - hx, dy = std::fabs(y - cy) - hy;
        const float outside = std::hypot(std::max(dx, 0.0f), std::max(dy, 0.0f));
        return outside + std::min(std::max(dx, dy), 0.0f) - radius;
    };
}

TSdf Segment(float ax, float ay, float bx, float by, float halfWidth) {
    return [=](float x, float y) {
        const float px = x - ax, py = y - ay, vx = bx - ax, vy = by - ay;
        const float len2 = vx * vx + vy * vy;
        const float t = len2 > 0 ? std::clamp((px * vx + py * vy) / len2, 0.0f, 1.0f) : 0.0f;
        return std::hypot(px - vx * t, py - vy * t) - halfWidth;
    };
}

TSdf Polygon(std::vector<std::pair<float, float>> pts) {
    return [pts = std::move(pts)](float x, float y) {
        float d = 1e9f;
        bool inside = false;
        const size_t n = pts.size();
        for (size_t i = 0, j = n - 1; i < n; j = i++) {
            const auto [xi, yi] = pts[i];
            const auto [xj, yj] = pts[j];
            const float ex = xj - xi, ey = yj - yi, wx = x - xi, wy = y - yi;
            const float len2 = ex * ex + ey * ey;
            const float t = len2 > 0 ? std::clamp((wx * ex + wy * ey) / len2, 0.0f, 1.0f) : 0.0f;
            d = std::min(d, std::hypot(wx - ex * t, wy - ey * t));
            if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) inside = !inside;
        }
        return inside ? -d : d;
    };
}

TSdf Union(TSdf a, TSdf b) {
    return [=](float x, float y) { return std::min(a(x, y), b(x, y)); };
}

TSdf Intersect(TSdf a, TSdf b) {
    return [=](float x, float y) { return std::max(a(x, y), b(x, y)); };
}

TSdf Subtract(TSdf a, TSdf b) {
    return [=](float x, float y) { return std::max(a(x, y), -b(x, y)); };
}

TSdf Grow(TSdf a, float by) {
    return [=](float x, float y) { return a(x, y) - by; };
}

TSdf Outline(TSdf a, float halfWidth) {
    return [=](float x, float y) { return std::fabs(a(x, y)) - halfWidth; };
}

TSdf Rotated(TSdf a, float cx, float cy, float angle) {
    const float c = std::cos(angle), s = std::sin(angle);
    return [=](float x, float y) {
        const float dx = x - cx, dy = y - cy;
        return a(cx + dx * c + dy * s, cy - dx * s + dy * c);
    };
}

TSdf Tiled(TSdf a, float period) {
    return [=](float x, float y) {
        float d = 1e9f;
        for (int j = -1; j <= 1; ++j)
            for (int i = -1; i <= 1; ++i)
                d = std::min(d, a(x + i * period, y + j * period));
        return d;
    };
}

void TCanvas::Fill(const TSdf& shape, const TShader& shader, float opacity) {
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const float px = x + 0.5f, py = y + 0.5f;
            const float c = std::clamp(0.5f - shape(px, py), 0.0f, 1.0f) * opacity;
            if (c <= 0) continue;
            const TInk ink = shader(px, py);
            TPixel& p = At(x, y);
            const float a = p.A * (1 - c) + c;
            const float keep = p.A * (1 - c) / a, take = c / a;
            p.C = {p.C.R * keep + ink.C.R * take, p.C.G * keep + ink.C.G * take,
                   p.C.B * keep + ink.C.B * take};
            p.Paint = p.Paint * keep + (ink.Paint ? take : 0.0f);
            p.A = a;
        }
}

void TCanvas::Fill(const TSdf& shape, TInk ink, float opacity) {
    Fill(
        shape, [ink](float, float) { return ink; }, opacity);
}

void TCanvas::Bevel(const TSdf& shape, float width, float strength) {
    const float ll = std::hypot(LightX, LightY);
    Shade(shape, [&](float x, float y) {
        const float d = shape(x, y);
        if (d > 0 || d < -width) return 1.0f;
        const float gx = shape(x + 0.5f, y) - shape(x - 0.5f, y);
        const float gy = shape(x, y + 0.5f) - shape(x, y - 0.5f);
        const float gl = std::hypot(gx, gy);
        if (gl < 1e-5f) return 1.0f;
        const float facing = (gx * LightX + gy * LightY) / (gl * ll);
        const float edge = 1 + d / width;
        return 1 + strength * facing * edge;
    });
}

void TCanvas::Shade(const TSdf& shape, const std::function<float(float, float)>& factor) {
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const float px = x + 0.5f, py = y + 0.5f;
            const float c = std::clamp(0.5f - shape(px, py), 0.0f, 1.0f);
            if (c <= 0) continue;
            const float k = 1 + (factor(px, py) - 1) * c;
            TPixel& p = At(x, y);
            p.C = {std::min(255.0f, p.C.R * k), std::min(255.0f, p.C.G * k),
                   std::min(255.0f, p.C.B * k)};
        }
}

void TCanvas::Shade(const TSdf& shape, float factor) {
    Shade(shape, [factor](float, float) { return factor; });
}

namespace {

uint8_t Byte(float v) {
    return uint8_t(std::lround(std::clamp(v, 0.0f, 255.0f)));
}

} // namespace

TRgbImage TCanvas::Flatten(TColour background) const {
    TRgbImage out(W, H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const TPixel& p = At(x, y);
            const TColour c = Mix(background, p.C, std::clamp(p.A, 0.0f, 1.0f));
            out.At(x, y) = {Byte(c.R), Byte(c.G), Byte(c.B)};
        }
    return out;
}

TRgbImage TCanvas::ToSprite(TRgb key, TColour outline) const {
    constexpr float Cutoff = 0.42f;
    TRgbImage out(W, H, key);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const TPixel& p = At(x, y);
            if (p.A < Cutoff) continue;
            const float t = std::clamp((p.A - Cutoff) / (0.95f - Cutoff), 0.0f, 1.0f);
            TRgb o;
            if (p.Paint >= 0.5f) {
                // Tintable: pure blue, and never so dark that the tint vanishes.
                o = {0, 0, Byte(std::max(24.0f, p.C.B * (0.45f + 0.55f * t)))};
            } else {
                const TColour c = Mix(outline, p.C, t);
                o = {Byte(c.R), Byte(c.G), Byte(c.B)};
                if (o.R == 0 && o.G == 0 && o.B > 0) o.G = 1;     // would be taken for paint
                if (o.R < 8 && o.G < 8 && o.B < 8) o = {8, 8, 8}; // would be transparent
            }
            if (o == key) o.B = uint8_t(key.B > 0 ? key.B - 1 : 1);
            out.At(x, y) = o;
        }
    return out;
}

TRgbImage Silhouette(const TRgbImage& sprite, TRgb key, TRgb shadow) {
    TRgbImage out(sprite.Width, sprite.Height, key);
    for (size_t i = 0; i < sprite.Pixels.size(); ++i)
        if (!(sprite.Pixels[i] == key)) out.Pixels[i] = shadow;
    return out;
}
