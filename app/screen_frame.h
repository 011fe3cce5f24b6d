// The pictures a frame is drawn from and the drawing itself, shared by the
// window and the off-screen screenshot.
#pragma once

#include <string>

#include "app/program.h"
#include "render/frame.h"
#include "render/tint.h"

class TScreenFrame {
  public:
    // The sprites and paint masks beside the program; false (said through
    // ui) when one is missing.
    bool Load(BitmapReader& reader, const std::string& folder, Ui& ui);

    // Everything a frame does: the views' bookkeeping, vehicles repainted
    // whose look changed, then the drawing. nowMs counts the frame rate.
    void Draw(ICanvas& screen, TProgram& program, int32_t nowMs);

    TImageList Sprites;
    TImageList Masks;
    TVehiclePictures Vehicles;
    TFrameRenderer Renderer;
    int DevData = 0;
    // Frames drawn so far, and the clock at the first and the last.
    int64_t TotalFrames = 0;
    int32_t FirstFrameMs = 0, LastFrameMs = 0;

  private:
    int Frames = 0;
    int Fps = 0;
    int32_t SecondStart = 0;
    bool Counting = false;
};
