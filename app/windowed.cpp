// The game in a window, with sound and keyboard.
#include <SDL2/SDL.h>

#include <cstdio>

#include "app/run.h"
#include "frontend/game_window.h"
#include "frontend/key_config_form.h"
#include "frontend/network_form.h"
#include "frontend/start_form.h"
#include "platform/bitmap_file.h"
#include "platform/display.h"
#include "platform/game_assets.h"
#include "platform/keys.h"
#include "platform/main_loop.h"
#include "platform/sound_device.h"
#include "render/frame.h"
#include "world/maps.h"
#include "world/textures.h"

namespace {

// Message boxes never stop the game: they go to the console and stderr.
class WindowUi : public Ui {
public:
    explicit WindowUi(TDisplay& d) : Display(d) {}
    void MessageBox(const std::string& t) override { std::fprintf(stderr, "moorclash: %s\n", t.c_str()); }
    void DebugLine(const std::string&) override {}
    void SetCaption(const std::string& t) override { Display.SetCaption(t); }
    void ConsoleLine(const std::string&) override {}
    TDisplay& Display;
};

// The ground pictures go into their own list, read by the platform.
class GroundImages : public ITextureImages {
public:
    GroundImages(BitmapReader& reader, TImageList& list) : Reader(reader), List(list) {}
    bool LoadBitmap(const std::string& path, TImagePixels& out) override {
        return Reader.ReadBitmap(path, out).empty();
    }
    void AddImage(const TImagePixels& image, const std::string& name) override {
        List.Add(image, name, NoTransparency);
    }
    void Clear() override { List.Clear(); }

private:
    BitmapReader& Reader;
    TImageList& List;
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
        const uint32_t seed = o.Seed ? *o.Seed : static_cast<uint32_t>(SDL_GetTicks() ^ time(nullptr));
        std::unique_ptr<Game> game = MakeGame(clock, mixer, ui, net, seed);
        Game& g = *game;
        g.ProgramFolder = folder;

        SdlBitmapReader reader;
        TImageList sprites, ground;
        GroundImages groundImages(reader, ground);

        TApplication app;
        TStartForm start(app, g);
        TForm1 form(app, g, start);
        TKeyConfigForm keys;
        TNetworkForm network;

        TKeyboard keyboard;
        form.Host.LoadCreditsText = [&] { LoadCreditsText(g); };
        form.Host.LoadTextures = [&] { LoadTextures(g, groundImages); };
        form.Host.HideCursor = [&] { display.ShowPointer(false); };
        form.Host.SetNumLockOn = [&] {
            TKeyboard::TState s = keyboard.Read();
            s[vk::NumLock] = 1;
            keyboard.Write(s);
        };
        form.Host.InitSurface = [&](const TDisplayMode& mode) {
            const std::string error = display.Initialise("Moorclash", mode, mode.Width, mode.Height);
            if (!error.empty()) {
                std::fprintf(stderr, "moorclash: %s\n", error.c_str());
                app.Terminate();
                status = 1;
                return false;
            }
            display.ShowPointer(false);
            return true;
        };
        form.Host.FinalizeSurface = [&] { display.Finalise(); };

        bool shotTaken = false;
        form.Host.DrawFrame = [&] {
            DrawView(display.Canvas(), g, {sprites, ground}, g.Player1);
            if (o.Screenshot && !shotTaken) {
                std::string why;
                if (!display.SaveScreenshot(*o.Screenshot, &why)) {
                    std::fprintf(stderr, "moorclash: %s\n", why.c_str());
                    status = 1;
                }
                shotTaken = true;
                app.Terminate();
            }
            display.Present();
        };

        start.FormCreate();
        if (!LoadGameSprites(reader, folder, sprites, ui) || !LoadGameSounds(folder, mixer, ui)) {
            status = 1;
        } else {
            speakers.Open();
            form.FormCreate();
            keys.FormCreate();
            network.FormCreate();

            ApplyQuickStart(g, o);
            InstallLevelStart(g, folder);
            form.Show();

            TMainLoop loop(clock);
            loop.OnEvent = [&](const SDL_Event& e) {
                display.HandleEvent(e);
                TKeyEvent key;
                if (e.type == SDL_QUIT) app.Terminate();
                if (KeyEventFromSdl(e, key)) {
                    keyboard.OnKey(key);
                    // Until the start screen is in, Esc leaves the game.
                    if (key.Down && key.Key == vk::Escape) app.Terminate();
                }
            };
            loop.OnPass = [&] {
                speakers.Update(uint32_t(clock.TickCount()));
                if (app.Terminated) loop.Quit();
            };
            loop.Timers.Add(1, [&] { form.TimerTimer(); });
            loop.Run();
            if (form.Visible) form.Hide();
        }
    }
    SDL_Quit();
    return status;
}
