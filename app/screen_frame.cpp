#include "app/screen_frame.h"

#include "platform/game_assets.h"

bool TScreenFrame::Load(BitmapReader& reader, const std::string& folder, Ui& ui) {
    Vehicles.Forget();
    return LoadGameSprites(reader, folder, Sprites, ui) &&
           LoadPatternMasks(reader, folder, Masks, ui);
}

void TScreenFrame::Draw(ICanvas& screen, TProgram& program, int32_t nowMs) {
    Game& g = *program.G;
    if (!Counting || nowMs - SecondStart >= 1000 || nowMs < SecondStart) {
        Fps = Counting ? Frames : 0;
        Frames = 0;
        SecondStart = nowMs;
        Counting = true;
    }
    ++Frames;
    if (TotalFrames++ == 0) FirstFrameMs = nowMs;
    LastFrameMs = nowMs;
    PrepareFrame(g, screen.Width(), screen.Height());
    Vehicles.Refresh(g, Sprites, Masks);
    TFrameInfo info;
    info.RealTick = nowMs;
    info.Fps = Fps;
    info.DevData = DevData;
    info.ShowNames = g.Start.ShowNamesBox;
    Renderer.DrawFrame(screen, g, {Sprites, program.Pictures.Ground, program.Pictures.Explosions},
                       info);
}
