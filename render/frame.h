// Drawing one frame of the match: ground, vehicles, names.
#pragma once

#include <cmath>

#include "core/game.h"
#include "render/canvas.h"

struct TFramePictures {
    const TImageList& Sprites;
    const TImageList& Ground;
};

// The screen point of a world point, for a view whose top-left corner lies
// at world (left, top).
inline void WorldToScreen(double left, double top, TVector p, int& x, int& y) {
    x = static_cast<int>(std::lround(p.x - left));
    y = static_cast<int>(std::lround(top - p.y));
}

// Draws the view that follows vehicle `follow` (the map centre when none)
// onto the whole canvas.
void DrawView(ICanvas& c, const Game& g, const TFramePictures& pics, int follow);
