// A recording watched in the game window: the watcher's keys set the pace,
// jump about and pick whom to follow; the caption tells where it is.
#include <SDL2/SDL.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "app/game_display.h"
#include "app/replay.h"
#include "app/run.h"
#include "platform/bitmap_file.h"
#include "platform/display.h"
#include "platform/game_assets.h"
#include "platform/main_loop.h"
#include "platform/sound_device.h"
#include "render/hud.h"

namespace {

class WatchUi : public Ui {
  public:
    explicit WatchUi(TDisplay& d) : Display(d) {}
    void MessageBox(const std::string& t) override {
        std::fprintf(stderr, "moorclash: %s\n", t.c_str());
    }
    void DebugLine(const std::string&) override {}
    // The caption is the watcher's own: file, time and speed.
    void SetCaption(const std::string&) override {}
    void ConsoleLine(const std::string&) override {}
    TDisplay& Display;
};

// Half, normal, double and four times the recorded pace.
constexpr double Speeds[] = {0.5, 1, 2, 4};
constexpr int32_t JumpMs = 10000;

std::string SpeedText(double s) {
    return s == 0.5 ? "1/2x" : std::to_string(static_cast<int>(s)) + "x";
}

} // namespace

int RunWindowedReplay(const TOptions& o, const std::string& folder) {
    const std::string& file = *o.Replay;
    TRecordingContents contents = ReadRecordingFile(file);
    if (contents.Refused) {
        std::fprintf(stderr, "moorclash: %s: %s\n", file.c_str(), contents.Problem.c_str());
        return 1;
    }
    if (SDL_Init(SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0) {
        std::fprintf(stderr, "moorclash: cannot start SDL: %s\n", SDL_GetError());
        return 1;
    }
    int status = 0;
    {
        TDisplay display;
        SdlClock realClock;
        TKeyboard keyboard;
        TMixer mixer;
        TSoundDevice speakers(mixer);
        WatchUi inner(display);
        TReplayUi ui(inner);
        TReplayClock clock;
        TReplaySession session;
        SessionNetOut net(session);
        SdlBitmapReader reader;
        WindowDisplay screen(display, keyboard, realClock);
        TProgram program(clock, mixer, ui, net, screen, reader, 1, folder);
        screen.Program = &program;
        net.Attach(*program.G);
        TReplay replay(program, clock, session, net);
        replay.Voice = &ui;
        if (!screen.Frame.Load(reader, folder, ui) || !LoadGameSounds(folder, mixer, ui) ||
            !CreateWindows(program, o).empty() || !replay.Load(std::move(contents))) {
            if (!replay.Problem().empty())
                std::fprintf(stderr, "moorclash: %s: %s\n", file.c_str(), replay.Problem().c_str());
            status = 1;
        } else {
            speakers.Open();
            const std::string name = std::filesystem::path(file).filename().string();
            int speed = 1;
            bool paused = false, scores = false, quit = false, told = false;
            int32_t last = realClock.TickCount();
            double at = 0;
            while (!quit) {
                SDL_Event e;
                while (SDL_PollEvent(&e)) {
                    if (e.type == SDL_QUIT) quit = true;
                    if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE)
                        quit = true;
                    if (e.type != SDL_KEYDOWN) continue;
                    const SDL_Keycode k = e.key.keysym.sym;
                    const bool shift = (e.key.keysym.mod & KMOD_SHIFT) != 0;
                    if (k == SDLK_ESCAPE) quit = true;
                    if (k == SDLK_p || k == SDLK_SPACE) paused = !paused;
                    if (k >= SDLK_1 && k <= SDLK_4) speed = static_cast<int>(k - SDLK_1);
                    if (k == SDLK_LEFT || k == SDLK_RIGHT) {
                        replay.JumpTo(replay.Time() + (k == SDLK_LEFT ? -JumpMs : JumpMs));
                        at = static_cast<double>(replay.Time());
                    }
                    if (k == SDLK_TAB) replay.Follow(shift ? -1 : 1);
                    if (k == SDLK_F2) scores = !scores;
                }
                const int32_t now = realClock.TickCount();
                if (!paused)
                    at = std::min<double>(at + (now - last) * Speeds[speed],
                                          static_cast<double>(replay.Duration()));
                last = now;
                replay.PlayTo(static_cast<int64_t>(at));
                if (replay.Finished() && replay.Damaged() && !told) {
                    told = true;
                    std::fprintf(stderr, "moorclash: %s: %s\n", file.c_str(),
                                 replay.Problem().c_str());
                }
                Game& g = *program.G;
                if (program.Form.Visible && program.Form.SurfaceReady) {
                    ICanvas& canvas = display.Canvas();
                    screen.Frame.Draw(canvas, program, now);
                    if (scores) {
                        const TDisplayMode& m = program.Form.Mode;
                        DrawScoreTable(canvas, g, replay.Followed(), {0, 0, m.Width, m.Height});
                    }
                    display.Present();
                    display.SetCaption("Moorclash: " + name + "  " + MinutesSeconds(replay.Time()) +
                                       " / " + MinutesSeconds(replay.Duration()) + "  " +
                                       (paused ? "paused" : SpeedText(Speeds[speed])));
                }
                speakers.Update(static_cast<uint32_t>(now));
                std::this_thread::sleep_for(std::chrono::milliseconds(8));
            }
            if (program.Form.Visible) program.Form.Hide();
        }
    }
    SDL_Quit();
    return status;
}
