// Lines and ellipses turned into pixels and spans. The renderer's own line
// drawing knows neither pen widths nor dots, so the canvas draws these.
#pragma once

#include <SDL2/SDL_rect.h>

#include <cstdint>
#include <vector>

#include "render/canvas.h"

// Dots of a dotted pen: this many pixels on, then as many off.
constexpr int DotLength = 2;

// Pixels of a line from (x1, y1) up to but not including (x2, y2), for a pen
// of width 1 or 2, solid or dotted, kept inside clip. Appends to out.
void RasterLine(int x1, int y1, int x2, int y2, int penWidth, bool dotted, const TRect& clip,
                std::vector<SDL_Point>& out);

// An ellipse inside box: the brush's rows (Fill) and the pen's outline, as
// one-pixel-high rows (Ring) or, for a dotted pen, single pixels (Dots),
// appended to out.
struct TEllipseRaster {
    std::vector<SDL_Rect> Fill;
    std::vector<SDL_Rect> Ring;
    std::vector<SDL_Point> Dots;
    // Which pixels of a dotted outline are on, by place in the box (they
    // depend on nothing else), kept for the next ellipse of the same size;
    // -1 where not yet worked out.
    int DotWidth = 0, DotHeight = 0;
    std::vector<int8_t> DotOn;

    void Clear() {
        Fill.clear();
        Ring.clear();
        Dots.clear();
    }
};
void RasterEllipse(const TRect& box, int penWidth, TPenStyle penStyle, bool filled,
                   const TRect& clip, TEllipseRaster& out);

// Box of a text or picture clipped to clip; false when nothing is left.
bool ClipRect(const TRect& r, const TRect& clip, TRect& out);
