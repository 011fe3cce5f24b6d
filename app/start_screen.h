// The start screen on the display: the start form's controls drawn with
// Dear ImGui over the tinted moor, in the game's own colours. The window
// itself (real, or a software surface in tests) belongs to the caller.
#pragma once

#include <SDL2/SDL.h>

#include <cstdint>
#include <deque>
#include <map>

struct ImVec2;
#include <string>

#include "app/vehicle_look.h"
#include "frontend/appearance_editor.h"
#include "frontend/key_config_form.h"
#include "frontend/network_form.h"
#include "frontend/start_form.h"
#include "platform/imgui_layer.h"

class TStartScreen {
  public:
    TStartScreen(TStartForm& form, TImGuiLayer& gui) : Form(form), Editor(form), Gui(gui) {}
    ~TStartScreen();
    TStartScreen(const TStartScreen&) = delete;
    TStartScreen& operator=(const TStartScreen&) = delete;

    // An event of the start screen's window. Keys reach the form first
    // (Esc, F1, F12), then the controls.
    void HandleEvent(const SDL_Event& event);
    // Lays out, draws and presents one frame at tick count nowMs; what the
    // clicks asked for (starting, closing) runs after the frame is drawn.
    void Frame(int32_t nowMs, bool present = true);
    // Something on the screen moves by itself at nowMs (a help text due, a
    // button held down): the next frame is wanted even without an event.
    bool Animating(int32_t nowMs) const;
    // The turning preview wants its next picture (every 40 ms while the
    // player's panel shows it; the program calls this only while the start
    // screen is the active window).
    bool PreviewDue(int32_t nowMs) const;

    // Message boxes waiting to be shown, first one on top.
    std::deque<std::string> Messages;
    // Developer mode: the trace list is shown.
    bool Developer = false;
    // "Record matches": every level played goes into a file of its own.
    bool RecordMatches = false;
    // A recording chosen under "Watch a recording" (its path), to be shown
    // once the start screen has closed.
    std::string WatchRequested;
    // Where each named control was drawn in the last frame (its caption or
    // its name in the form), so tests and tools can find it.
    std::map<std::string, SDL_Rect> Places;

    TStartForm& Form;
    // The key dialog F1 and "Configure controls" open (none: they say it is
    // missing).
    TKeyConfigForm* Keys = nullptr;
    // The network dialog the network start buttons open.
    TNetworkForm* Network = nullptr;
    // The vehicles' master pictures and paint masks the editor tints.
    const TImageList* Sprites = nullptr;
    const TImageList* Masks = nullptr;
    TAppearanceEditor Editor;
    // The edited set-up in the preview; players 1 and 2 on the start buttons.
    TVehicleLook PreviewLook;
    TVehicleLook ButtonLook[2];

  private:
    enum class TAction { None, Start, Continue, Exit };

    void Theme();
    void DrawBackground();
    void PlayerPanel();
    void MatchPanel();
    void OptionsPanel();
    void StartButtons(int32_t nowMs);
    void BottomButtons();
    void HelpAndDebug();
    void MessagePopup(const SDL_Rect* area = nullptr);
    void KeyDialog();
    void NetworkDialog(int32_t nowMs);
    void AppearanceEditor(float width);
    void ColourBox(const char* id, TColourBox box, const TImage& picture, SDL_Texture*& texture,
                   const char* hint);
    void StartPicture(int kind, ImVec2 at);
    void Place(const std::string& name);

    TImGuiLayer& Gui;
    SDL_Texture* BackgroundTexture = nullptr;
    SDL_Texture* BoxTextures[3] = {};
    // The colour boxes as last painted, and the two colours they show.
    TImage BoxPictures[3];
    THsb BoxColours[2] = {};
    bool BoxesStale = true;
    // Where the colour box being dragged lies on the screen.
    float DragX = 0, DragY = 0;
    int32_t LastFrameMs = -1;
    int ListScrolledTo = -1;
    std::vector<std::string> Recordings;
    TAction Pending = TAction::None;
    TStartKind PendingStart = startLocal;
};
