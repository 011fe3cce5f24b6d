#include "frontend/game_window.h"

#include "core/asset_names.h"
#include "core/setup.h"
#include "core/tick.h"

namespace {

void Call(const std::function<void()>& f) {
    if (f) f();
}

constexpr int ResolutionWidths[] = {640, 800, 1024};
constexpr int ResolutionHeights[] = {480, 600, 768};
constexpr int Depths[] = {16, 24, 32};

} // namespace

void TForm1::FormCreate() {
    Call(Host.HideCursor);
    Call(Host.LoadCreditsText);
    G.MineHalfWidth = SpriteList[spMine].Width / 2;
    Call(Host.LoadExplosions);
    Call(Host.LoadTextures);
    TuneSounds(G);
}

void TForm1::FormShow() {
    Start.ServerTimerEnabled = false;
    if (G.Start.NewGameRequested) {
        G.Start.NewGameRequested = false;
        SetupStep(G);
        if (G.Hooks.StartLevel) G.Hooks.StartLevel();
    } else {
        G.TheUi.SetCaption(Start.Caption());
        ApplyChangedSetups(G);
    }
    const int r = Start.ResolutionIndex >= 0 && Start.ResolutionIndex < 3 ? Start.ResolutionIndex : 2;
    const int d = Start.ColourDepthIndex >= 0 && Start.ColourDepthIndex < 3 ? Start.ColourDepthIndex : 2;
    Mode.Width = ResolutionWidths[r];
    Mode.Height = ResolutionHeights[r];
    Mode.Depth = Depths[d];
    Mode.FullScreen = !Start.Windowed;
    Mode.VSync = Start.ScreenSync;
    Start.TimerEnabled = false;
    Start.ReleaseSurface();
    SurfaceReady = Host.InitSurface ? Host.InitSurface(Mode) : true;
    if (SurfaceReady) G.LastTick = G.TheClock.TickCount();
}

void TForm1::FormHide() {
    G.Sound.Stop(sndHorn);
    G.HornPlaying = false;
    G.TheUi.SetCaption(Start.Caption());
    Call(Host.FinalizeSurface);
    SurfaceReady = false;
}

void TForm1::FormClose() { Start.Close(); }

void TForm1::FormActivate() { Call(Host.SetNumLockOn); }

void TForm1::KillTimerTimer() { App.Terminate(); }

void TForm1::TimerTimer() {
    if (!SurfaceReady) return;
    if (GameTick(G) && Visible) Call(Host.DrawFrame);
}
