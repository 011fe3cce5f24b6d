// The game in a window, with sound and keyboard.
#include <SDL2/SDL.h>

#include <cstdio>
#include <ctime>

#include "app/game_display.h"
#include "app/network_run.h"
#include "app/program.h"
#include "app/run.h"
#include "app/screen_frame.h"
#include "app/start_screen.h"
#include "net/net_out.h"
#include "platform/bitmap_file.h"
#include "platform/display.h"
#include "platform/enet_session.h"
#include "platform/game_assets.h"
#include "platform/gamepads.h"
#include "platform/imgui_layer.h"
#include "platform/keys.h"
#include "platform/main_loop.h"
#include "platform/sound_device.h"
#include "render/frame.h"

namespace {

// Message boxes never stop the game: they go to stderr, and wait on the
// start screen for the player to read them there.
class WindowUi : public Ui {
  public:
    explicit WindowUi(TDisplay& d) : Display(d) {}
    void MessageBox(const std::string& t) override {
        std::fprintf(stderr, "moorclash: %s\n", t.c_str());
        if (Menu) Menu->Messages.push_back(t);
    }
    void DebugLine(const std::string& t) override {
        if (Menu) Menu->Form.AddDebugLine(t);
    }
    // The captions the game sets are the start screen's.
    void SetCaption(const std::string& t) override {
        if (MenuWindow)
            SDL_SetWindowTitle(MenuWindow, t.c_str());
        else
            Display.SetCaption(t);
    }
    void ConsoleLine(const std::string&) override {}
    TDisplay& Display;
    TStartScreen* Menu = nullptr;
    SDL_Window* MenuWindow = nullptr;
};

// The start screen's own window: fixed size, centred, drawn by ImGui.
struct TMenuWindow {
    ~TMenuWindow() {
        Gui.Finalise();
        if (Renderer) SDL_DestroyRenderer(Renderer);
        if (Window) SDL_DestroyWindow(Window);
    }
    // A screen saver keeps it off the screen: its match comes up by itself.
    std::string Open(bool shown) {
        Window = SDL_CreateWindow("Moorclash", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                  StartFormWidth, StartFormHeight,
                                  shown ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN);
        if (!Window) return std::string("Cannot open the start screen: ") + SDL_GetError();
        // Synced to the monitor: the menu never spins the processor.
        Renderer =
            SDL_CreateRenderer(Window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
        if (!Renderer) Renderer = SDL_CreateRenderer(Window, -1, SDL_RENDERER_SOFTWARE);
        if (!Renderer) return std::string("Cannot draw the start screen: ") + SDL_GetError();
        SDL_StartTextInput();
        return Gui.Initialise(Renderer);
    }
    Uint32 Id() const { return Window ? SDL_GetWindowID(Window) : 0; }

    SDL_Window* Window = nullptr;
    SDL_Renderer* Renderer = nullptr;
    TImGuiLayer Gui;
};

// The window an event belongs to (0: none in particular).
Uint32 EventWindow(const SDL_Event& e) {
    switch (e.type) {
    case SDL_WINDOWEVENT:
        return e.window.windowID;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        return e.key.windowID;
    case SDL_TEXTINPUT:
        return e.text.windowID;
    case SDL_MOUSEMOTION:
        return e.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        return e.button.windowID;
    case SDL_MOUSEWHEEL:
        return e.wheel.windowID;
    default:
        return 0;
    }
}

// The start screen as a picture (read back before it is presented).
bool SaveMenuShot(SDL_Renderer* renderer, const std::string& path) {
    TImage image(StartFormWidth, StartFormHeight);
    if (SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_XBGR8888, image.Pixels.data(),
                             image.Width * 4) != 0)
        return false;
    for (uint32_t& p : image.Pixels)
        p &= 0xFFFFFF;
    std::string why;
    if (SaveImageFile(image, path, &why)) return true;
    std::fprintf(stderr, "moorclash: %s\n", why.c_str());
    return false;
}

} // namespace

int RunWindowed(const TOptions& o, const std::string& folder) {
    if (SDL_Init(SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0) {
        std::fprintf(stderr, "moorclash: cannot start SDL: %s\n", SDL_GetError());
        return 1;
    }
    // Without match options the program opens on the start screen, which
    // needs the display from the start; so does the screen saver, whose
    // start screen starts the show.
    const bool menu = !o.QuickStart();
    if (menu && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "moorclash: cannot open the display: %s\n", SDL_GetError());
        SDL_Quit();
        return 1;
    }
    int status = 0;
    {
        TDisplay display;
        WindowUi ui(display);
        SdlClock clock;
        TMixer mixer;
        TSoundDevice speakers(mixer);
        EnetSession session;
        SessionNetOut net(session);
        TKeyboard keyboard;
        SdlBitmapReader reader;
        WindowDisplay screen(display, keyboard, clock);
        TMenuWindow menuWindow;
        const uint32_t seed =
            o.Seed ? *o.Seed : static_cast<uint32_t>(SDL_GetTicks() ^ time(nullptr));
        TProgram program(clock, mixer, ui, net, screen, reader, seed, folder);
        net.Attach(*program.G);
        program.UseNetwork(session, net);
        TStartScreen startScreen(program.Start, menuWindow.Gui);
        screen.Program = &program;
        TForm1& form = program.Form;
        TStartForm& start = program.Start;
        std::string menuError;

        if (!screen.Frame.Load(reader, folder, ui) || !LoadGameSounds(folder, mixer, ui)) {
            status = 1;
        } else if (menu && !(menuError = menuWindow.Open(!o.ScreenSaver)).empty()) {
            std::fprintf(stderr, "moorclash: %s\n", menuError.c_str());
            status = 1;
        } else if (menu && !CreateWindows(program, o).empty()) {
            status = 2; // the reason has been said as a message already
        } else if (!menu && !StartProgram(program, o).empty()) {
            status = screen.Failed ? 1 : 2; // the reason has been said as a message already
        } else if (!menu && !o.Join && !form.SurfaceReady) {
            status = 1; // the display said why
        } else {
            speakers.Open();
            // Pads are welcome, never required.
            TGamepads pads;
            pads.Open();
            if (menu) {
                ui.Menu = &startScreen;
                ui.MenuWindow = menuWindow.Window;
                startScreen.Developer = o.Developer;
                startScreen.Keys = &program.Keys;
                startScreen.Network = &program.Network;
                startScreen.Sprites = &screen.Frame.Sprites;
                startScreen.Masks = &screen.Frame.Masks;
                start.ScreenSaverCommand = o.ScreenSaver;
                start.FormActivate();
            }
            TMainLoop loop(clock);
            // Something happened in the start screen's window: draw it again
            // even while the game window is in front.
            bool menuDirty = true;
            // Esc in the game: back to the start screen, the match kept.
            auto backToMenu = [&] {
                if (form.Visible) form.Hide();
                // Closing the game window ends the program; so does anything
                // that would bring a screen saver's start screen up.
                if (program.App.Terminated) return;
                if (program.G->ScreenSaverMode) {
                    start.Close();
                    return;
                }
                SDL_ShowWindow(menuWindow.Window);
                SDL_RaiseWindow(menuWindow.Window);
                start.FormActivate();
            };
            loop.OnEvent = [&](const SDL_Event& e) {
                display.HandleEvent(e);
                pads.HandleEvent(e);
                if (e.type == SDL_QUIT) {
                    // Closing ends the program the way EXIT does.
                    if (menu)
                        start.Close();
                    else
                        program.App.Terminate();
                    return;
                }
                const Uint32 id = EventWindow(e);
                if (menu && id != 0 && id == menuWindow.Id()) {
                    menuDirty = true;
                    if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE)
                        start.Close();
                    else
                        startScreen.HandleEvent(e);
                    return;
                }
                // The game window's events.
                if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED)
                    form.FormActivate();
                if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE) {
                    // Closing the game window closes the start screen too.
                    if (menu)
                        form.FormClose();
                    else
                        program.App.Terminate();
                    return;
                }
                TKeyEvent key;
                if (KeyEventFromSdl(e, key)) {
                    keyboard.OnKey(key);
                    if (!form.Visible) return;
                    if (key.Down)
                        form.FormKeyDown(key.Key, key.Shift, key.Repeat);
                    else
                        form.FormKeyUp(key.Key);
                    // Esc hid the game window: back to the start screen, the
                    // match kept; a quick start has no menu to go to.
                    if (!form.Visible) {
                        if (menu)
                            backToMenu();
                        else
                            program.App.Terminate();
                    }
                    return;
                }
                if (!form.Visible) return;
                if (e.type == SDL_MOUSEMOTION && program.G->ScreenSaverMode) {
                    // Where the pointer is on the screen, to the pixel: the
                    // event's own place is scaled to the drawing surface, and
                    // the window may still be settling into full screen.
                    int x = 0, y = 0, wx = 0, wy = 0;
                    SDL_GetMouseState(&x, &y);
                    if (display.Window()) SDL_GetWindowPosition(display.Window(), &wx, &wy);
                    form.ScreenSaverMouseMove(wx + x, wy + y);
                    if (!form.Visible) backToMenu();
                } else if (e.type == SDL_MOUSEMOTION) {
                    const TMouseState m = display.Mouse();
                    form.DXDrawMouseMove(m.X, m.Y);
                } else if (e.type == SDL_MOUSEBUTTONDOWN || e.type == SDL_MOUSEBUTTONUP) {
                    const int b = e.button.button == SDL_BUTTON_LEFT    ? TForm1::mbLeft
                                  : e.button.button == SDL_BUTTON_RIGHT ? TForm1::mbRight
                                                                        : TForm1::mbMiddle;
                    if (e.type == SDL_MOUSEBUTTONDOWN)
                        form.DXDrawMouseDown(b);
                    else
                        form.DXDrawMouseUp(b);
                    if (!form.Visible) backToMenu();
                }
            };
            loop.OnPass = [&] {
                // The network between ticks, on this thread.
                const bool wasShown = form.Visible;
                PumpSession(program, session, clock.TickCount());
                if (!program.NetworkFailure.empty()) {
                    std::fprintf(stderr, "moorclash: %s\n", program.NetworkFailure.c_str());
                    status = 1;
                    program.App.Terminate();
                }
                if (form.Visible != wasShown) menuDirty = true;
                speakers.Update(uint32_t(clock.TickCount()));
                if (program.App.Terminated) loop.Quit();
            };
            loop.Timers.Add(1, [&] {
                if (form.Visible)
                    for (int slot = 0; slot < TGamepads::Slots; ++slot)
                        form.PadInput(slot, pads.Read(slot));
                form.TimerTimer();
            });
            // The timers below outlive this block: what they share lives out here.
            int frames = 0;
            int menuTimer = -1;
            if (menu) {
                // The menu redraws about 60 times a second; while a match is
                // shown, a few times a second is enough for a window behind.
                menuTimer = loop.Timers.Add(16, [&] {
                    start.ScreenSaverTimer(clock.TickCount());
                    // Behind a running match the menu rests until it is touched.
                    if (form.Visible && !menuDirty) return;
                    menuDirty = false;
                    const bool shot = o.Screenshot && ++frames == 5;
                    startScreen.Frame(clock.TickCount(), !shot);
                    if (shot) {
                        if (!SaveMenuShot(menuWindow.Renderer, *o.Screenshot)) status = 1;
                        SDL_RenderPresent(menuWindow.Renderer);
                        // A picture for people to look at: the settings stay as they were.
                        program.App.Terminate();
                    }
                    // A start that could not begin its level leaves the game window.
                    if (form.Visible && !form.SurfaceReady) backToMenu();
                });
                loop.Timers.Add(
                    250, [&] { loop.Timers.SetInterval(menuTimer, form.Visible ? 200 : 16); });
            }
            loop.Run();
            program.Start.CloseSession();
            if (form.Visible) form.Hide();
            // Developers get the frame rate of the whole run.
            const TScreenFrame& f = screen.Frame;
            if (o.Developer && f.TotalFrames > 1) {
                const double seconds = (f.LastFrameMs - f.FirstFrameMs) / 1000.0;
                std::fprintf(stderr, "moorclash: %lld frames in %.1f s, %.0f per second\n",
                             static_cast<long long>(f.TotalFrames), seconds,
                             seconds > 0 ? (f.TotalFrames - 1) / seconds : 0.0);
            }
            if (screen.Failed) status = 1;
        }
    }
    SDL_Quit();
    return status;
}
