// The game window's screen side on the real display: one window for the
// whole run, shown while the match plays and hidden behind the start screen.
#pragma once

#include "app/screen_frame.h"
#include "frontend/game_window.h"
#include "platform/display.h"
#include "platform/keys.h"
#include "platform/main_loop.h"

class WindowDisplay : public IGameDisplay {
  public:
    WindowDisplay(TDisplay& display, TKeyboard& keyboard, Clock& clock)
        : Display(display), Keyboard(keyboard), TheClock(clock) {}

    // The first showing opens the window; every later one takes the chosen
    // mode on the same window, so its place and its pictures are kept.
    bool InitSurface(const TDisplayMode& mode) override;
    // The window is hidden, not closed.
    void FinalizeSurface() override;
    void SetNumLockOn() override;
    void HideCursor() override { Display.HidePointerInWindow(true); }
    void MovePointer(int x, int y) override { Display.MoveMouse(x, y); }
    void DrawFrame() override;

    TProgram* Program = nullptr;
    TScreenFrame Frame;
    bool Failed = false;

  private:
    TDisplay& Display;
    TKeyboard& Keyboard;
    Clock& TheClock;
    TFrameCap Cap;
};
