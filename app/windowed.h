// The game in a window, with sound, keyboard, pads and the start screen:
// one run of the program's main loop, which tests drive pass by pass.
#pragma once

#include <SDL2/SDL.h>

#include <memory>
#include <string>

#include "app/options.h"

struct TProgram;
class TStartScreen;
class TDisplay;

class TWindowedRun {
  public:
    TWindowedRun(const TOptions& options, std::string programFolder);
    ~TWindowedRun();
    TWindowedRun(const TWindowedRun&) = delete;
    TWindowedRun& operator=(const TWindowedRun&) = delete;

    // Starts SDL, loads the pictures and sounds and opens the windows (the
    // start screen, or the quick start's match). 0 when the loop may run,
    // else the program's exit status, the reason said.
    int Open();
    // One pass of the loop: events, then the timers that are due, or a
    // sleep until something is. False once the program is to end.
    bool Pass();
    // Ends the run: the program's exit status.
    int Finish();

    TProgram& Program();
    TStartScreen& StartScreen();
    SDL_Window* MenuWindow() const;
    TDisplay& GameDisplay();
    // Frames the start screen has drawn so far (it rests while nothing changes).
    long MenuFrames() const;

  private:
    struct TParts;
    const TOptions Options;
    const std::string Folder;
    std::unique_ptr<TParts> P;
    bool SdlStarted = false;
};
