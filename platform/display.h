// The game window's drawing surface: a window with a double-buffered
// renderer, windowed (filling the client area) or full screen.
#pragma once

#include <SDL2/SDL.h>

#include <memory>
#include <string>

#include "platform/sdl_canvas.h"
#include "render/display_mode.h"

struct TMouseState {
    int X = 0, Y = 0; // on the drawing surface
    bool Left = false, Right = false, Middle = false;
};

// Starts SDL's video on the display the user has. A driver nobody asked
// for (without a display SDL falls back to its invisible "offscreen" or
// "dummy" one) counts as no display: the video is stopped again and the
// reason, beginning "Cannot open the display", returned. Empty when the
// video runs (also when it already did).
std::string StartVideo();

// OpenGL drawn by the processor (a virtual X server, a machine without a
// graphics driver) is slower than drawing in software ourselves.
bool RendersOnTheProcessor(SDL_Renderer* r);

class TDisplay {
  public:
    TDisplay() = default;
    ~TDisplay();
    TDisplay(const TDisplay&) = delete;
    TDisplay& operator=(const TDisplay&) = delete;

    // Opens the window; windowWidth x windowHeight is its client area when
    // not full screen. Empty on success, else what went wrong, and the
    // display stays closed.
    std::string Initialise(const std::string& title, const TDisplayMode& mode, int windowWidth,
                           int windowHeight);
    void Finalise();
    bool Initialised() const { return Renderer != nullptr; }
    // The window leaves the screen and comes back as it was: its place, its
    // mode and every uploaded picture are kept (a full screen gives the
    // monitor back its own mode meanwhile).
    void Show();
    void Hide();
    bool Shown() const;

    // Full screen on or off, its size, sync; pictures stay uploaded.
    void SetMode(const TDisplayMode& mode);
    const TDisplayMode& Mode() const { return CurrentMode; }
    // What the last switch to full screen could not do as asked (no such
    // screen mode here), once per cause; empty otherwise.
    std::string TakeModeNote();

    // The back buffer; draws nothing while the display is closed.
    ICanvas& Canvas();
    void Present();
    // The back buffer as drawn so far (call before Present).
    bool SaveScreenshot(const std::string& path, std::string* error = nullptr);

    // Window and renderer events that concern the display (lost textures).
    void HandleEvent(const SDL_Event& event);

    void SetCaption(const std::string& text);
    // The game hides the pointer over its own window only; elsewhere (the
    // start screen, the dialogs, the desktop) it stays. Call after events.
    void HidePointerInWindow(bool hide);
    void UpdatePointer();
    TMouseState Mouse() const;
    // Moves the mouse pointer to a point of the drawing surface.
    void MoveMouse(int x, int y);

    SDL_Window* Window() const { return Win; }
    SDL_Renderer* RendererHandle() const { return Renderer; }

  private:
    void ApplySize();

    SDL_Window* Win = nullptr;
    SDL_Renderer* Renderer = nullptr;
    std::shared_ptr<TRenderContext> Context;
    std::unique_ptr<TSdlCanvas> BackBuffer;
    // In full screen: the frame at its own size, scaled onto the screen once.
    std::unique_ptr<TSdlCanvas> Scaled;
    SDL_Texture* ScaledTexture = nullptr; // Scaled's own
    TDisplayMode CurrentMode;
    SDL_Rect Placement{0, 0, 0, 0}; // the window's place before it went full screen
    std::string LastNote, PendingNote;
    bool VideoStarted = false;
    bool PointerHiddenHere = false;
    int PointerShown = -1; // what was last asked of SDL (-1: nothing yet)
};
