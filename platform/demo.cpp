#include "platform/demo.h"

#include <SDL2/SDL.h>

#include <cmath>
#include <cstdio>
#include <numbers>

#include "platform/display.h"
#include "platform/keys.h"
#include "platform/main_loop.h"
#include "platform/sound_device.h"

namespace {

constexpr double Pi = std::numbers::pi;

// The pictures are drawn here by code, like everything the game shows.
enum TDemoPicture { dpTank, dpTurret, dpGlow, dpIcon, dpGround, dpShadow };

TImageList MakePictures() {
    TImageList list;
    TImage tank(40, 25);
    for (int y = 0; y < 25; ++y)
        for (int x = 0; x < 40; ++x) {
            bool track = y < 5 || y >= 20;
            bool corner = (x < 2 || x >= 38) && track;
            if (corner) continue; // black: transparent
            const int tread = x % 4 == 0 ? 50 : 70;
            tank.Set(x, y,
                     track ? Rgb(tread, tread, tread - 10)
                           : Rgb(0, 0, 120 + (x * 3 + y * 2) % 100));
        }
    list.Add(tank, "Tank");

    TImage turret(53, 21);
    for (int y = 6; y < 15; ++y)
        for (int x = 2; x < 20; ++x)
            turret.Set(x, y, Rgb(0, 0, 180 + x * 3));
    for (int y = 9; y < 12; ++y)
        for (int x = 20; x < 53; ++x)
            turret.Set(x, y, Rgb(150, 150, 160));
    list.Add(turret, "TankTurret");

    TImage glow(32, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            double d = std::hypot(x - 15.5, y - 15.5) / 16;
            double arm = std::abs(std::sin(std::atan2(y - 15.5, x - 15.5) * 2));
            int v = int(std::max(0.0, 1 - d) * 255 * (0.4 + 0.6 * arm));
            glow.Set(x, y, Rgb(v, v / 3, 0));
        }
    list.Add(glow, "AlarmLight");

    TImage icon(40, 20, uint32_t(clFuchsia));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x) {
            double a = std::atan2(y - 9.5, x - 19.5), r = std::hypot(x - 19.5, y - 9.5);
            if (r < 6 + 3 * std::cos(5 * a)) icon.Set(x, y, Rgb(255, 220, 0));
        }
    list.Add(icon, "wp_bfg", clFuchsia);

    TImage ground(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            int n = (x * 7 + y * 13 + (x * y) % 17) % 23;
            ground.Set(x, y, Rgb(60 + n, 90 + n * 2, 40 + n));
        }
    list.Add(ground, "Grass", NoTransparency);

    TImage shadow(40, 25);
    for (int y = 0; y < 25; ++y)
        for (int x = 0; x < 40; ++x)
            if (tank.At(x, y) != 0) shadow.Set(x, y, Rgb(1, 1, 1));
    list.Add(shadow, "TankShadow");
    return list;
}

TWave Tone(double hz, double seconds, double level, bool saw) {
    TWave w;
    w.Rate = 22050;
    const int n = int(seconds * w.Rate);
    for (int i = 0; i < n; ++i) {
        double t = double(i) / w.Rate, phase = t * hz - std::floor(t * hz);
        double v = saw ? 2 * phase - 1 : std::sin(2 * Pi * phase) * std::exp(-t * 6);
        w.Samples.push_back(float(v * level));
    }
    return w;
}

void ShadowText(ICanvas& c, int x, int y, const std::string& text, TFont font) {
    TFont shadow = font;
    shadow.Colour = 0;
    c.TextOut(x + 2, y + 2, text, shadow);
    c.TextOut(x, y, text, font);
}

void DrawFrame(ICanvas& c, const TImageList& pics, int32_t ms, int fps) {
    const int w = c.Width(), h = c.Height();
    for (int y = 0; y < h; y += 64)
        for (int x = 0; x < w; x += 64)
            c.Draw(pics, dpGround, x, y);

    // Three tanks driving round, shadows under them, turrets swinging.
    const int cx = w / 2, cy = h / 2 + 20;
    for (int k = 0; k < 3; ++k) {
        double a = ms * 0.0006 + k * 2 * Pi / 3;
        int x = cx + int(std::cos(a) * 170), y = cy + int(std::sin(a) * 140);
        int heading = int(std::lround((a + Pi / 2) * 128 / Pi));
        c.DrawRotated(pics, dpShadow, x + 4, y + 4, 0.4, 0.5, heading, TBlend::Alpha, 64);
        c.DrawRotated(pics, dpTank, x, y, 0.4, 0.5, heading);
        int swing = int(std::lround(32 * std::sin(ms * 0.001 + k)));
        c.DrawRotated(pics, dpTurret, x, y, 0.25, 0.5, heading + swing);
    }
    // Alarm lights: additive and turning once a second.
    for (int k = 0; k < 4; ++k)
        c.DrawRotated(pics, dpGlow, cx + (k % 2 ? 29 : -29), cy + (k / 2 ? 29 : -29), 0.5, 0.5,
                      ms / 4, TBlend::Additive, 192);
    // Weapon icons with fuchsia round them, one stretched.
    for (int k = 0; k < 3; ++k)
        c.Draw(pics, dpIcon, 20 + 50 * k, h - 40);
    c.DrawStretched(pics, dpIcon, {180, h - 60, 260, h - 20});

    // Pens and brushes.
    c.Line(cx - 60, cy, cx + 60, cy, {0x00FF00, 1, TPenStyle::Solid});
    c.Ellipse({cx - 20, cy - 20, cx + 20, cy + 20}, {0x00FF00, 1, TPenStyle::Dotted},
              {0, TBrushStyle::Clear});
    c.Line(cx, cy, cx + int(40 * std::cos(ms * 0.002)), cy + int(40 * std::sin(ms * 0.002)),
           {0x00FFFF, 2, TPenStyle::Solid});
    c.Ellipse({cx - 4, cy - 4, cx + 4, cy + 4}, {0x00FF00, 1, TPenStyle::Clear},
              {int32_t(Rgb(ms % 256, 255, (ms / 3) % 256)), TBrushStyle::Solid});
    c.Ellipse({w - 40, 10, w - 28, 22}, {0x0000FF, 2, TPenStyle::Solid},
              {int32_t(Rgb(255, 255, 0)), TBrushStyle::Solid});
    c.Rectangle({w - 200, h - 90, w - 20, h - 20}, {int32_t(0xFF0000), 2, TPenStyle::Solid},
                {0, TBrushStyle::Clear});
    for (int i = 0; i < 200; ++i) {
        int px = (i * 97 + ms / 7) % 180, py = (i * 31) % 60;
        c.SetPixel(w - 195 + px, h - 85 + py, int32_t(Rgb(255, 128 + i % 128, 0)));
    }

    // Text in the sizes the game uses.
    ShadowText(c, 10, 10, "Moorclash platform demo", {24, true, int32_t(Rgb(255, 255, 255))});
    ShadowText(c, 10, 48, "YOUR COW HAS BEEN STOLEN!", {14, true, 0x0000FF});
    c.TextOut(10, 75, "Console line at size 4, bold", {4, true, 0x00FF00});
    c.TextOut(10, 88, "FPS: " + std::to_string(fps), {8, false, 0x00FF00});
    const std::string prompt = "press fire to start next level or Esc to exit";
    TFont pf{12, false, int32_t(Rgb(255, 255, 255)), 0x808080};
    c.TextOut((w - c.TextWidth(prompt, pf)) / 2, h - 100, prompt, pf);
}

} // namespace

int RunPlatformDemo(const std::string& screenshotPath, int seconds) {
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        std::fprintf(stderr, "moorclash: cannot start the display: %s\n", SDL_GetError());
        return 1;
    }
    int status = 0;
    {
        TDisplay display;
        std::string error = display.Initialise("Moorclash", TDisplayMode{}, 800, 600);
        if (!error.empty()) {
            std::fprintf(stderr, "moorclash: %s\n", error.c_str());
            SDL_Quit();
            return 1;
        }
        display.HidePointerInWindow(true);
        const TImageList pictures = MakePictures();
        display.Canvas().Upload(pictures);

        TMixer mixer;
        TSoundDevice speakers(mixer);
        speakers.Open();
        int engine = mixer.Add("Diesel", Tone(55, 0.5, 0.15, true), true);
        int beep = mixer.Add("Railgun", Tone(880, 0.4, 0.3, false), false);
        mixer.Play(engine);

        SdlClock clock;
        TMainLoop loop(clock);
        const int32_t start = clock.TickCount();
        int32_t lastBeep = start, fpsStart = start;
        int frames = 0, fps = 0;
        loop.OnEvent = [&](const SDL_Event& e) {
            display.HandleEvent(e);
            TKeyEvent key;
            if (e.type == SDL_QUIT ||
                (KeyEventFromSdl(e, key) && key.Down && key.Key == vk::Escape))
                loop.Quit();
        };
        loop.OnPass = [&] { speakers.Update(uint32_t(clock.TickCount())); };
        loop.Timers.Add(1, [&] {
            const int32_t now = clock.TickCount(), ms = now - start;
            if (now - lastBeep >= 1000) {
                mixer.SetPan(beep, (ms / 1000) % 2 ? 8000 : -8000);
                mixer.Play(beep);
                lastBeep = now;
            }
            mixer.SetFrequency(engine, 22050 + int(8000 * std::sin(ms * 0.002)));
            if (now - fpsStart >= 1000) {
                fps = frames;
                frames = 0;
                fpsStart = now;
            }
            DrawFrame(display.Canvas(), pictures, ms, fps);
            ++frames;
            const bool last = seconds <= 0 || ms >= seconds * 1000;
            if (last) {
                loop.Quit();
                std::string why;
                if (!screenshotPath.empty() && !display.SaveScreenshot(screenshotPath, &why)) {
                    std::fprintf(stderr, "moorclash: %s\n", why.c_str());
                    status = 1;
                }
            }
            display.Present();
        });
        loop.Run();
        mixer.Stop(engine);
    }
    SDL_Quit();
    return status;
}
