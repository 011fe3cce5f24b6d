#include "frontend/game_window.h"

#include <algorithm>

#include "core/asset_names.h"
#include "match/setup.h"
#include "match/tick.h"
#include "sim/sounds.h"

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
        ApplyLiveOptions();
        SetPause(false);
    }
    // Nothing chosen keeps the mode there was (at first 1024x768, 16 bits).
    const int r = Start.ResolutionIndex;
    if (r >= 0 && r < 3) {
        Mode.Width = ResolutionWidths[r];
        Mode.Height = ResolutionHeights[r];
    }
    const int d = Start.ColourDepthIndex;
    if (d >= 0 && d < 3) Mode.Depth = Depths[d];
    Mode.FullScreen = !Start.Windowed || G.ScreenSaverMode;
    Mode.VSync = Start.ScreenSync;
    SaverMouseSeen = false;
    Start.TimerEnabled = false;
    Start.ReleaseSurface();
    SurfaceReady = Display.InitSurface(Mode);
    if (SurfaceReady) G.LastTick = TheClock.TickCount();
}

void TForm1::ApplyLiveOptions() {
    const TStartChoices& st = G.Start;
    G.ShowShadows = !st.NoShadowsBox;
    if (!G.ClientMode) {
        G.TankIndicators = st.TankIndicatorsBox;
        G.FragLimit = std::max(1, st.FragLimitSpin);
    }
    // The split screen changes sides, and the engines' sounds go with them.
    G.SplitPan = st.Player2LeftSide ? -8000 : 8000;
    if (G.TwoPlayers) {
        const bool swap = st.Player2LeftSide;
        G.LeftViewPlayer = swap ? G.Player2 : G.Player1;
        G.RightViewPlayer = swap ? G.Player1 : G.Player2;
        if (G.Player2Engine >= 0) G.Sound.SetPan(G.Player2Engine, G.SplitPan);
    }
    SetSplitScreen(G, G.SplitScreen);
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
