// The game window: owns the match while it is shown and runs the tick.
#pragma once

#include <string>

#include "core/game.h"
#include "frontend/application.h"
#include "frontend/start_form.h"
#include "match/match.h"
#include "render/display_mode.h"

// The window's screen side: its drawing surface, the keyboard's Num Lock,
// the pointer and the frame. The program implements it on the display; a
// headless run has a surface that draws nothing.
class IGameDisplay {
  public:
    virtual ~IGameDisplay() = default;
    // False (with the reason said) when the surface cannot be made.
    virtual bool InitSurface(const TDisplayMode& mode) = 0;
    virtual void FinalizeSurface() = 0;
    virtual void SetNumLockOn() = 0;
    virtual void HideCursor() = 0;
    virtual void DrawFrame() = 0;
};

// A display for a run without a screen.
class NoDisplay : public IGameDisplay {
  public:
    bool InitSurface(const TDisplayMode&) override { return true; }
    void FinalizeSurface() override {}
    void SetNumLockOn() override {}
    void HideCursor() override {}
    void DrawFrame() override {}
};

class TForm1 {
  public:
    TForm1(TApplication& app, Game& g, TStartForm& start, IGameDisplay& display,
           IMatchPictures& pictures, Clock& clock)
        : App(app), G(g), Start(start), Display(display), Pictures(pictures), TheClock(clock) {}

    // Loads what every match needs; false when the game cannot be played.
    bool FormCreate();
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
        FormActivate();
    }
    void Hide() {
        Visible = false;
        FormHide();
    }
    // The tick timer runs exactly while the window owns a surface.
    bool TimerEnabled() const { return SurfaceReady; }

    bool Visible = false;
    bool SurfaceReady = false;
    TDisplayMode Mode;
    // Why the last new game could not start; empty when it did.
    std::string StartError;

  private:
    TApplication& App;
    Game& G;
    TStartForm& Start;
    IGameDisplay& Display;
    IMatchPictures& Pictures;
    Clock& TheClock;
};
