// Drawing straight into the pixels of a surface that the software renderer
// draws on. Turning a picture through the renderer allocates and converts
// a whole new surface for every sprite; a battle turns hundreds a frame.
#pragma once

#include <SDL2/SDL_surface.h>

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
