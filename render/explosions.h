// The explosion pictures, cut from explosion.bmp: its 13 frames at full
// size (0-12), at half size (13-25), and greened and played backwards for
// the BFG (26-38).
#pragma once

#include "core/image.h"

constexpr int ExplosionFrames = 13;

// Replaces list's pictures with the 39 made from sheet. False (list left
// alone) when the sheet is too small to hold 13 frames.
bool BuildExplosionPictures(const TImage& sheet, TImageList& list);
