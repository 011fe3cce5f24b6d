// The game window: owns the match while it is shown and runs the tick.
#pragma once

#include <functional>

#include "core/game.h"
#include "frontend/application.h"
#include "frontend/start_form.h"

// What the game window needs from the display and from the loaders; the
// program fills these in (a headless run leaves the display ones empty).
struct TGameWindowHost {
    std::function<bool(const TDisplayMode&)> InitSurface;
    std::function<void()> FinalizeSurface;
    std::function<void()> SetNumLockOn;
    std::function<void()> HideCursor;
    std::function<void()> LoadCreditsText;
    std::function<void()> LoadExplosions;
    std::function<void()> LoadTextures;
    std::function<void()> DrawFrame;
};

class TForm1 {
public:
    TForm1(TApplication& app, Game& g, TStartForm& start) : App(app), G(g), Start(start) {}

    void FormCreate();
    void FormShow();
    void FormHide();
    void FormClose();
    void FormDestroy() {}
    void FormActivate();
    void KillTimerTimer();
    // The tick: runs while the window owns a drawing surface.
    void TimerTimer();

    void Show() {
        Visible = true;
        FormShow();
    }
    void Hide() {
        Visible = false;
        FormHide();
    }
    // The tick timer runs exactly while the window owns a surface.
    bool TimerEnabled() const { return SurfaceReady; }

    TGameWindowHost Host;
    bool Visible = false;
    bool SurfaceReady = false;
    TDisplayMode Mode;

private:
    TApplication& App;
    Game& G;
    TStartForm& Start;
};
