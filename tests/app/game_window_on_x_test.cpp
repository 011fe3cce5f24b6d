// The game window on a real X server (run under Xvfb; elsewhere skipped):
// a windowed match sent to full screen and back through the start screen
// keeps its window, its place and its pictures. The frames are left in the
// build folder to look at.
#include <gtest/gtest.h>

#include <SDL2/SDL.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "app/game_display.h"
#include "app/program.h"
#include "core/vkeys.h"
#include "fakes/fakes.h"
#include "frontend/settings_file.h"
#include "platform/bitmap_file.h"
#include "platform/game_assets.h"
#include "world/world_support.h"

namespace {

void Settle() {
    // X applies moves, resizes and mode changes asynchronously.
    for (int i = 0; i < 30; ++i) {
        SDL_PumpEvents();
        SDL_Delay(10);
    }
}

struct Placement {
    int X = 0, Y = 0, W = 0, H = 0;
    bool operator==(const Placement&) const = default;
};

Placement PlaceOf(SDL_Window* w) {
    Placement p;
    SDL_GetWindowPosition(w, &p.X, &p.Y);
    SDL_GetWindowSize(w, &p.W, &p.H);
    return p;
}

struct XRig : ::testing::Test {
    SdlClock Clock;
    SilentSound Sound;
    RecordingUi TheUi;
    NullNetOut Net;
    SdlBitmapReader Reader;
    TempFolder Folder;
    TDisplay Display;
    TKeyboard Keyboard;
    std::unique_ptr<WindowDisplay> Screen;
    std::unique_ptr<TProgram> Program;

    void SetUp() override {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) GTEST_SKIP() << "no display";
        const char* driver = SDL_GetCurrentVideoDriver();
        if (!driver || std::strcmp(driver, "x11") != 0) GTEST_SKIP() << "needs an X server";
        for (const auto& e : std::filesystem::directory_iterator(MOOR_BIN_DIR)) {
            const std::string name = e.path().filename().string();
            if (name != SettingsFileName && e.is_regular_file())
                std::filesystem::create_symlink(e.path(), Folder.Path / name);
        }
        Screen = std::make_unique<WindowDisplay>(Display, Keyboard, Clock);
        Program = std::make_unique<TProgram>(Clock, Sound, TheUi, Net, *Screen, Reader, 7,
                                             Folder.Path.string());
        Screen->Program = Program.get();
        ASSERT_TRUE(Screen->Frame.Load(Reader, Folder.Path.string() + "/", TheUi))
            << (TheUi.Boxes.empty() ? "" : TheUi.Boxes.back());
        ASSERT_EQ(CreateWindows(*Program, TOptions{}), "");
        Start().FormActivate();
    }
    void TearDown() override {
        Program.reset();
        Screen.reset();
        Display.Finalise();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    TStartForm& Start() { return Program->Start; }
    TForm1& Form() { return Program->Form; }
    // A few frames of play, the last one saved as a picture.
    void Play(const std::string& picture) {
        for (int i = 0; i < 40; ++i) {
            Form().TimerTimer();
            SDL_PumpEvents();
            SDL_Delay(5);
        }
        Screen->Frame.Draw(Display.Canvas(), *Program, Clock.TickCount());
        std::string why;
        EXPECT_TRUE(Display.SaveScreenshot(std::string(MOOR_BIN_DIR) + "/../" + picture, &why))
            << why;
        Display.Present();
    }
    // Esc in the game, the options changed, Esc on the start screen.
    void Return(bool fullscreen) {
        Form().FormKeyDown(vk::Escape, 0);
        Start().FormActivate();
        EXPECT_FALSE(Display.Shown());
        Start().Fullscreen = fullscreen;
        Start().KeyDown(vk::Escape);
        Settle();
    }
};

} // namespace

TEST_F(XRig, AWindowedMatchGoesFullScreenAndBackToItsPlace) {
    Start().Fullscreen = false;
    Start().ResolutionIndex = 2;
    ASSERT_EQ(Start().StartClick(startLocal), TStartResult::Started);
    ASSERT_TRUE(Form().SurfaceReady) << Form().StartError;
    SDL_Window* const window = Display.Window();
    SDL_Renderer* const renderer = Display.RendererHandle();
    SDL_SetWindowSize(window, 900, 640);
    SDL_SetWindowPosition(window, 150, 70);
    Settle();
    const Placement before = PlaceOf(window);
    EXPECT_EQ(before, (Placement{150, 70, 900, 640}));
    Play("window_before.png");
    const int vehicles = Program->G->TankCount;

    Return(true);
    EXPECT_TRUE(Display.Shown());
    EXPECT_TRUE(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN);
    EXPECT_EQ(Display.Canvas().Width(), 1024);
    EXPECT_EQ(Display.Canvas().Height(), 768);
    Play("window_full.png");

    Return(false);
    EXPECT_FALSE(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN);
    EXPECT_EQ(PlaceOf(window), before);
    Play("window_after.png");

    // The same window and renderer all along: nothing uploaded was lost,
    // and the match is the one that was started.
    EXPECT_EQ(Display.Window(), window);
    EXPECT_EQ(Display.RendererHandle(), renderer);
    EXPECT_EQ(Program->G->TankCount, vehicles);
    EXPECT_EQ(Display.Canvas().Width(), 900);
}
