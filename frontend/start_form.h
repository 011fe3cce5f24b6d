// The start screen: the main window. Closing it ends the program.
#pragma once

#include <string>

#include "core/game.h"
#include "frontend/application.h"

class TStartForm {
  public:
    TStartForm(TApplication& app, Game& g) : App(app), G(g) {}

    void FormCreate() {}
    // Closing the start screen ends the program.
    void Close() { App.Terminate(); }
    // The start screen's own drawing surface (its preview); the game window
    // takes the display over while it plays.
    void ReleaseSurface() { SurfaceReady = false; }

    std::string Caption() const {
        return GameStarted ? "Moorclash (press Esc to continue game)" : "Moorclash";
    }

    bool Visible = false;
    bool SurfaceReady = false;
    bool TimerEnabled = false;       // the 40 ms preview timer
    bool ServerTimerEnabled = false; // keeps a hosted match going while shown
    bool GameStarted = false;
    // "Resolution" (0: 640x480, 1: 800x600, 2: 1024x768) and "Color Depth"
    // (0: 16, 1: 24, 2: 32 bits).
    int ResolutionIndex = 2;
    int ColourDepthIndex = 2;
    bool ScreenSync = true;
    bool Windowed = true;

    TApplication& App;
    Game& G;
};
