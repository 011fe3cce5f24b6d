// Dear ImGui on an SDL renderer: one context, the game's fonts, and the
// window's mouse and keyboard events turned into ImGui's input. The same
// code runs on a real window and on a software renderer without any
// display, where tests feed it made-up events.
#pragma once

#include <SDL2/SDL.h>

#include <string>

struct ImFont;
struct ImGuiContext;

class TImGuiLayer {
  public:
    TImGuiLayer() = default;
    ~TImGuiLayer();
    TImGuiLayer(const TImGuiLayer&) = delete;
    TImGuiLayer& operator=(const TImGuiLayer&) = delete;

    // Creates the context drawing through renderer. Empty on success, else
    // why not (and the layer stays closed).
    std::string Initialise(SDL_Renderer* renderer);
    void Finalise();
    bool Initialised() const { return Context != nullptr; }

    // A mouse, wheel, key or text event of the layer's window.
    void HandleEvent(const SDL_Event& event);
    // Starts a frame of width x height pixels, dtSec after the last one.
    void NewFrame(int width, int height, double dtSec);
    // Draws the frame into the renderer (the caller presents it).
    void Render();

    // DejaVu Sans in the sizes the menus use; ImGui's own font when the
    // system has no DejaVu.
    ImFont* Normal = nullptr; // 15 px
    ImFont* Small = nullptr;  // 12 pt
    ImFont* Large = nullptr;  // 18 pt
    ImFont* Title = nullptr;  // the big heading
    ImFont* Bold = nullptr;   // 14 px bold: keys in the key dialog
    ImFont* Tiny = nullptr;   // 11 px: the key dialog's list of fixed keys

    SDL_Renderer* Renderer() const { return TheRenderer; }

  private:
    // A press and its release in the same pass of the loop would never be
    // seen by a frame: the release waits for the frame after the press.
    static constexpr int ButtonCount = 3;
    static constexpr int KeyCount = 512;
    bool ButtonUnseen[ButtonCount] = {};
    bool ButtonUpWaiting[ButtonCount] = {};
    bool KeyUnseen[KeyCount] = {};
    bool KeyUpWaiting[KeyCount] = {};

    ImGuiContext* Context = nullptr;
    SDL_Renderer* TheRenderer = nullptr;
};
