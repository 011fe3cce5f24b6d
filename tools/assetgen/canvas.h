// A floating-point drawing surface with anti-aliased shapes given as signed
// distance functions (negative inside, in pixels), plus the "paint" flag that
// marks the tintable areas of vehicles: those must come out pure blue.
#pragma once

#include <functional>
#include <utility>
#include <vector>

#include "image_io.h"

struct TColour {
    float R = 0, G = 0, B = 0; // 0..255
};

TColour Mix(TColour a, TColour b, float t);
TColour Scale(TColour c, float k);
TColour Rgb(int r, int g, int b);

// What a fill lays down: a colour, or paint of a brightness (0..1).
struct TInk {
    TColour C;
    bool Paint = false;
};
inline TInk Solid(TColour c) {
    return {c, false};
}
inline TInk Solid(int r, int g, int b) {
    return {Rgb(r, g, b), false};
}
inline TInk PaintInk(float lum) {
    return {{0, 0, lum * 255.0f}, true};
}

using TSdf = std::function<float(float x, float y)>;
using TShader = std::function<TInk(float x, float y)>;

// Shapes. Coordinates are pixels, (0, 0) the top-left corner of the picture.
TSdf Circle(float cx, float cy, float r);
TSdf Ellipse(float cx, float cy, float rx, float ry);
TSdf Box(float x0, float y0, float x1, float y1, float radius = 0);
TSdf Segment(float ax, float ay, float bx, float by, float halfWidth);
TSdf Polygon(std::vector<std::pair<float, float>> points);
TSdf Union(TSdf a, TSdf b);
TSdf Intersect(TSdf a, TSdf b);
TSdf Subtract(TSdf a, TSdf b);
TSdf Grow(TSdf a, float by);           // positive grows, negative shrinks
TSdf Outline(TSdf a, float halfWidth); // a band along the edge
TSdf Rotated(TSdf a, float cx, float cy, float angle);
TSdf Tiled(TSdf a, float period); // repeats across a square tile's edges

struct TPixel {
    TColour C;
    float A = 0;     // coverage
    float Paint = 0; // 1 = tintable
};

class TCanvas {
  public:
    TCanvas(int w, int h) : W(w), H(h), Px(size_t(w) * h) {}
    int W, H;
    std::vector<TPixel> Px;

    TPixel& At(int x, int y) { return Px[size_t(y) * W + x]; }
    const TPixel& At(int x, int y) const { return Px[size_t(y) * W + x]; }

    void Fill(const TSdf& shape, const TShader& shader, float opacity = 1);
    void Fill(const TSdf& shape, TInk ink, float opacity = 1);
    // Lights the edge band of a raised shape: bright where it faces the
    // light (upper left), dark on the far side.
    void Bevel(const TSdf& shape, float width, float strength);
    // Multiplies what is already there inside the shape.
    void Shade(const TSdf& shape, const std::function<float(float, float)>& factor);
    void Shade(const TSdf& shape, float factor);

    // Opaque picture over a background colour.
    TRgbImage Flatten(TColour background) const;
    // Sprite on a transparent key colour: weakly covered edge pixels become
    // the key, the rest fade into a dark outline; paint comes out pure blue
    // and nothing else does.
    TRgbImage ToSprite(TRgb key, TColour outline = Rgb(14, 14, 16)) const;
};

// A dark silhouette of a sprite (same size, same key).
TRgbImage Silhouette(const TRgbImage& sprite, TRgb key, TRgb shadow);

// Every picture is lit from the upper left.
constexpr float LightX = -0.45f, LightY = -0.89f;
