// Drawing one frame of the match: one view, or two side by side on a split
// screen, each with its world layers and head-up display, then the
// console and developer lines over both.
#pragma once

#include <cstdint>
#include <memory>
#include <random>

#include "core/game.h"
#include "render/camera.h"
#include "render/canvas.h"

struct TFramePictures {
    const TImageList& Sprites;    // the named pictures, then two per vehicle
    const TImageList& Ground;     // textures by cell code
    const TImageList& Explosions; // the 39 explosion pictures
};

// What the frame shows that is not game state.
struct TFrameInfo {
    int32_t RealTick = 0;   // the system clock: "PAUSED" blinks on it
    int Fps = 0;            // frames drawn in the last second
    int DevData = 0;        // any counter worth watching while developing
    bool ShowNames = false; // "Show names"
};

// An explosion this old (ms) has played its last frame.
constexpr int32_t ExplosionLifeMs = 500;

// What a frame changes in the game: the explosions that have played out
// are removed, and each local player's view centre and size are stored for
// positional sound. Run before DrawFrame with the screen's size.
void PrepareFrame(Game& g, int screenWidth, int screenHeight);
// Removes the explosions that have played out (a run without a screen
// calls this instead of PrepareFrame, so the pool never clogs).
void ExpireExplosions(Game& g);

// The views of the frame on a screen of this size, in drawing order.
int FrameViews(const Game& g, int screenWidth, int screenHeight, TView views[2]);

class TFrameRenderer {
  public:
    // Draws the whole frame on screen (not presented).
    void DrawFrame(ICanvas& screen, const Game& g, const TFramePictures& pics,
                   const TFrameInfo& info);

  private:
    std::unique_ptr<ICanvas> Second; // the second view of a split screen
    // The BFG balls flicker in colours of their own.
    std::minstd_rand Flicker{12345};
};

// The world layers of one view, from the ground to the names.
void DrawWorld(ICanvas& c, const Game& g, const TFramePictures& pics, const TView& v,
               const TFrameInfo& info, std::minstd_rand& flicker);
