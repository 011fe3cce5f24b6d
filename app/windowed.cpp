// The game in a window, with sound and keyboard.
#include <SDL2/SDL.h>

#include <cstdio>
#include <ctime>

#include "app/program.h"
#include "app/run.h"
#include "app/screen_frame.h"
#include "platform/bitmap_file.h"
#include "platform/display.h"
#include "platform/game_assets.h"
#include "platform/keys.h"
#include "platform/main_loop.h"
#include "platform/sound_device.h"

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
    WindowDisplay(TDisplay& display, TKeyboard& keyboard, Clock& clock)
        : Display(display), Keyboard(keyboard), TheClock(clock) {}

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
    void DrawFrame() override {
        if (!Program) return;
        const int32_t now = TheClock.TickCount();
        // The tick runs every millisecond; a few hundred frames a second are
        // plenty, and the rest of the time the loop sleeps. (Vsync alone
        // does not pace: a software renderer ignores it.)
        if (!Cap.Due(now)) return;
        Frame.Draw(Display.Canvas(), *Program, now);
        Display.Present();
    }
    TProgram* Program = nullptr;
    TScreenFrame Frame;
    bool Failed = false;

  private:
    TDisplay& Display;
    TKeyboard& Keyboard;
    Clock& TheClock;
    TFrameCap Cap;
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
        WindowDisplay screen(display, keyboard, clock);
        const uint32_t seed =
            o.Seed ? *o.Seed : static_cast<uint32_t>(SDL_GetTicks() ^ time(nullptr));
        TProgram program(clock, mixer, ui, net, screen, reader, seed, folder);
        screen.Program = &program;

        if (!screen.Frame.Load(reader, folder, ui) || !LoadGameSounds(folder, mixer, ui)) {
            status = 1;
        } else if (!StartProgram(program, o).empty()) {
            status = screen.Failed ? 1 : 2; // the reason has been said as a message already
        } else if (!program.Form.SurfaceReady) {
            status = 1; // the display said why
        } else {
            speakers.Open();
            TForm1& form = program.Form;
            TMainLoop loop(clock);
            loop.OnEvent = [&](const SDL_Event& e) {
                display.HandleEvent(e);
                if (e.type == SDL_QUIT) program.App.Terminate();
                if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED)
                    form.FormActivate();
                TKeyEvent key;
                if (KeyEventFromSdl(e, key)) {
                    keyboard.OnKey(key);
                    // Until the start screen is in, Esc leaves the game.
                    if (key.Down && key.Key == vk::Escape) program.App.Terminate();
                }
            };
            loop.OnPass = [&] {
                speakers.Update(uint32_t(clock.TickCount()));
                if (program.App.Terminated) loop.Quit();
            };
            loop.Timers.Add(1, [&] { form.TimerTimer(); });
            loop.Run();
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
