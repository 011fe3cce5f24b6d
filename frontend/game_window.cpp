#include "frontend/game_window.h"

#include "core/asset_names.h"
#include "match/setup.h"
#include "match/tick.h"

namespace {

constexpr int ResolutionWidths[] = {640, 800, 1024};
constexpr int ResolutionHeights[] = {480, 600, 768};
constexpr int Depths[] = {16, 24, 32};

} // namespace

bool TForm1::FormCreate() {
    Display.HideCursor();
    return PrepareMatch(G, Pictures);
}

void TForm1::FormShow() {
    Start.ServerTimerEnabled = false;
    if (G.Start.NewGameRequested) {
        StartError = StartNewMatch(G, TheClock.TickCount());
        if (!StartError.empty()) {
            G.TheUi.MessageBox(StartError);
            return;
        }
    } else {
        G.TheUi.SetCaption(Start.Caption());
        ApplyChangedSetups(G);
        SetPause(false);
    }
    const int r =
        Start.ResolutionIndex >= 0 && Start.ResolutionIndex < 3 ? Start.ResolutionIndex : 2;
    const int d =
        Start.ColourDepthIndex >= 0 && Start.ColourDepthIndex < 3 ? Start.ColourDepthIndex : 2;
    Mode.Width = ResolutionWidths[r];
    Mode.Height = ResolutionHeights[r];
    Mode.Depth = Depths[d];
    Mode.FullScreen = !Start.Windowed;
    Mode.VSync = Start.ScreenSync;
    Start.TimerEnabled = false;
    Start.ReleaseSurface();
    SurfaceReady = Display.InitSurface(Mode);
    if (SurfaceReady) G.LastTick = TheClock.TickCount();
}

void TForm1::FormHide() {
    // Keys let go on the start screen would leave the vehicles driving.
    ReleaseHeldKeys();
    SetPause(true);
    G.Sound.Stop(sndHorn);
    G.HornPlaying = false;
    G.TheUi.SetCaption(Start.Caption());
    if (SurfaceReady) Display.FinalizeSurface();
    SurfaceReady = false;
}

void TForm1::FormClose() {
    Start.Close();
}

void TForm1::FormActivate() {
    Display.SetNumLockOn();
}

void TForm1::KillTimerTimer() {
    App.Terminate();
}

void TForm1::TimerTimer() {
    if (!SurfaceReady) return;
    if (GameTick(G, TheClock.TickCount()) && Visible) Display.DrawFrame();
}
