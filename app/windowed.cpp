// The game in a window, with sound and keyboard.
#include <SDL2/SDL.h>

#include <cstdio>
#include <ctime>

#include "app/program.h"
#include "app/run.h"
#include "platform/bitmap_file.h"
#include "platform/display.h"
#include "platform/game_assets.h"
#include "platform/gamepads.h"
#include "platform/keys.h"
#include "platform/main_loop.h"
#include "platform/sound_device.h"
#include "render/frame.h"

namespace {

// Message boxes never stop the game: they go to stderr.
class WindowUi : public Ui {
  public:
    explicit WindowUi(TDisplay& d) : Display(d) {}
    void MessageBox(const std::string& t) override {
        std::fprintf(stderr, "moorclash: %s\n", t.c_str());
    }
    void DebugLine(const std::string&) override {}
    void SetCaption(const std::string& t) override { Display.SetCaption(t); }
    void ConsoleLine(const std::string&) override {}
    TDisplay& Display;
};

// The game window's screen side on the real display.
class WindowDisplay : public IGameDisplay {
  public:
    WindowDisplay(TDisplay& display, TKeyboard& keyboard, const TOptions& options)
        : Display(display), Keyboard(keyboard), Options(options) {}

    bool InitSurface(const TDisplayMode& mode) override {
        const std::string error = Display.Initialise("Moorclash", mode, mode.Width, mode.Height);
        if (!error.empty()) {
            std::fprintf(stderr, "moorclash: %s\n", error.c_str());
            Failed = true;
            return false;
        }
        Display.ShowPointer(false);
        return true;
    }
    void FinalizeSurface() override { Display.Finalise(); }
    void SetNumLockOn() override {
        TKeyboard::TState s = Keyboard.Read();
        s[vk::NumLock] = 1;
        Keyboard.Write(s);
    }
    void HideCursor() override { Display.ShowPointer(false); }
    void MovePointer(int x, int y) override { Display.MoveMouse(x, y); }
    void DrawFrame() override {
        if (!Program) return;
        const Game& g = *Program->G;
        DrawView(Display.Canvas(), g, {Sprites, Program->Pictures.Ground}, g.Player1);
        if (Options.Screenshot && !ShotTaken) {
            std::string why;
            if (!Display.SaveScreenshot(*Options.Screenshot, &why)) {
                std::fprintf(stderr, "moorclash: %s\n", why.c_str());
                Failed = true;
            }
            ShotTaken = true;
            Program->App.Terminate();
        }
        Display.Present();
    }

    TProgram* Program = nullptr;
    TImageList Sprites;
    bool Failed = false;

  private:
    TDisplay& Display;
    TKeyboard& Keyboard;
    const TOptions& Options;
    bool ShotTaken = false;
};

} // namespace

int RunWindowed(const TOptions& o, const std::string& folder) {
    if (SDL_Init(SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0) {
        std::fprintf(stderr, "moorclash: cannot start SDL: %s\n", SDL_GetError());
        return 1;
    }
    int status = 0;
    {
        TDisplay display;
        WindowUi ui(display);
        SdlClock clock;
        TMixer mixer;
        TSoundDevice speakers(mixer);
        NullNetOut net;
        TKeyboard keyboard;
        SdlBitmapReader reader;
        WindowDisplay screen(display, keyboard, o);
        const uint32_t seed =
            o.Seed ? *o.Seed : static_cast<uint32_t>(SDL_GetTicks() ^ time(nullptr));
        TProgram program(clock, mixer, ui, net, screen, reader, seed, folder);
        screen.Program = &program;

        if (!LoadGameSprites(reader, folder, screen.Sprites, ui) ||
            !LoadGameSounds(folder, mixer, ui)) {
            status = 1;
        } else if (!StartProgram(program, o).empty()) {
            status = screen.Failed ? 1 : 2; // the reason has been said as a message already
        } else if (!program.Form.SurfaceReady) {
            status = 1; // the display said why
        } else {
            speakers.Open();
            TForm1& form = program.Form;
            // Pads are welcome, never required.
            TGamepads pads;
            pads.Open();
            TMainLoop loop(clock);
            loop.OnEvent = [&](const SDL_Event& e) {
                display.HandleEvent(e);
                pads.HandleEvent(e);
                if (e.type == SDL_QUIT) program.App.Terminate();
                if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED)
                    form.FormActivate();
                TKeyEvent key;
                if (KeyEventFromSdl(e, key)) {
                    keyboard.OnKey(key);
                    if (!form.Visible) return;
                    if (key.Down)
                        form.FormKeyDown(key.Key, key.Shift, key.Repeat);
                    else
                        form.FormKeyUp(key.Key);
                    // Until the start screen is in, leaving the game ends the program.
                    if (!form.Visible) program.App.Terminate();
                }
                if (!form.Visible) return;
                if (e.type == SDL_MOUSEMOTION) {
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
                }
            };
            loop.OnPass = [&] {
                speakers.Update(uint32_t(clock.TickCount()));
                if (program.App.Terminated) loop.Quit();
            };
            loop.Timers.Add(1, [&] {
                if (form.Visible)
                    for (int slot = 0; slot < TGamepads::Slots; ++slot)
                        form.PadInput(slot, pads.Read(slot));
                form.TimerTimer();
            });
            loop.Run();
            if (form.Visible) form.Hide();
            if (screen.Failed) status = 1;
        }
    }
    SDL_Quit();
    return status;
}
