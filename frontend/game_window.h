// The game window: owns the match while it is shown and runs the tick.
#pragma once

#include <string>

#include "core/game.h"
#include "core/pad.h"
#include "frontend/application.h"
#include "frontend/pad_controls.h"
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
    // Puts the pointer at a point of the drawing surface (the developer
    // mouse keeps it in the middle).
    virtual void MovePointer(int, int) {}
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
        Visible = G.GameWindowShown = true;
        FormShow();
        FormActivate();
    }
    void Hide() {
        Visible = G.GameWindowShown = false;
        FormHide();
    }
    // The tick timer runs exactly while the window owns a surface.
    bool TimerEnabled() const { return SurfaceReady; }

    // Keys of the game window (virtual-key codes, TShiftFlag bits). A
    // repeat is the keyboard's auto-repeat of a key held down.
    void FormKeyDown(int key, int shift, bool repeat = false);
    void FormKeyUp(int key);
    // The developer mouse, in drawing-surface pixels; buttons are
    // TMouseButton values.
    void DXDrawMouseMove(int x, int y);
    void DXDrawMouseDown(int button);
    void DXDrawMouseUp(int button);
    // The pointer moved over the window, in screen pixels: the screen
    // saver's second position ends it (the first is only recorded).
    void ScreenSaverMouseMove(int x, int y);
    // Game controller slot 0 drives player 1, slot 1 player 2 in split
    // screen; called once a pass while the window is shown.
    void PadInput(int slot, const TPadState& pad);
    // Pauses or resumes a local game (a network game never pauses).
    void SetPause(bool pause);
    // Esc: back to the start screen, the match kept.
    void ToStartScreen();
    // Every mapped key that is down is let go: its release would reach
    // another window.
    void ReleaseHeldKeys();

    enum TMouseButton : int { mbLeft = 0, mbRight = 1, mbMiddle = 2 };

    // The first command-line argument was exactly "-developer": the key
    // left of "1" may switch developer mode.
    bool DeveloperSwitch = false;

    bool Visible = false;
    bool SurfaceReady = false;
    TDisplayMode Mode;
    // The screen saver's first pointer position (screens left of the main
    // one have negative places, so a flag says whether it was seen).
    bool SaverMouseSeen = false;
    int SaverMouseX = 0, SaverMouseY = 0;
    // Why the last new game could not start; empty when it did.
    std::string StartError;

  private:
    void FixedKeyDown(int key);
    // Options changed on the start screen, taken over by the running match.
    void ApplyLiveOptions();

    std::array<TPadControls, 2> Pads;

    TApplication& App;
    Game& G;
    TStartForm& Start;
    IGameDisplay& Display;
    IMatchPictures& Pictures;
    Clock& TheClock;
};
