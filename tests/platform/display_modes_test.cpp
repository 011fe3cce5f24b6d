// The game window switching between a window and full screen on a real X
// server (run under Xvfb; elsewhere these cases are skipped).
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstring>

#include "platform/display.h"

namespace {

bool OnX() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && std::strcmp(driver, "x11") == 0;
}

void Settle() {
    // X applies moves and resizes asynchronously.
    for (int i = 0; i < 20; ++i) {
        SDL_PumpEvents();
        SDL_Delay(10);
    }
}

struct DisplayModes : ::testing::Test {
    TDisplay D;
    void SetUp() override {
        TDisplayMode windowed;
        windowed.Width = 800;
        windowed.Height = 600;
        ASSERT_EQ(D.Initialise("Moorclash", windowed, 640, 400), "");
        if (!OnX()) GTEST_SKIP() << "needs an X server";
        SDL_SetWindowPosition(D.Window(), 120, 90);
        Settle();
    }
};

TEST_F(DisplayModes, FullScreenAndBackRestoresThePlacementAndKeepsThePictures) {
    TImageList list;
    list.Add(TImage(8, 8, Rgb(0, 200, 0)));
    D.Canvas().Upload(list);

    int x0 = 0, y0 = 0, w0 = 0, h0 = 0;
    SDL_GetWindowPosition(D.Window(), &x0, &y0);
    SDL_GetWindowSize(D.Window(), &w0, &h0);
    EXPECT_EQ(w0, 640);
    EXPECT_EQ(h0, 400);

    TDisplayMode full = D.Mode();
    full.FullScreen = true;
    full.Width = 1024;
    full.Height = 768;
    D.SetMode(full);
    Settle();
    EXPECT_TRUE(SDL_GetWindowFlags(D.Window()) & SDL_WINDOW_FULLSCREEN);
    // The surface is the chosen size whatever the monitor had to offer.
    EXPECT_EQ(D.Canvas().Width(), 1024);
    EXPECT_EQ(D.Canvas().Height(), 768);

    TDisplayMode back = full;
    back.FullScreen = false;
    D.SetMode(back);
    Settle();
    int x1 = 0, y1 = 0, w1 = 0, h1 = 0;
    SDL_GetWindowPosition(D.Window(), &x1, &y1);
    SDL_GetWindowSize(D.Window(), &w1, &h1);
    EXPECT_EQ(w1, w0);
    EXPECT_EQ(h1, h0);
    EXPECT_EQ(x1, x0);
    EXPECT_EQ(y1, y0);

    // The picture uploaded before both switches still draws.
    D.Canvas().Fill(0);
    D.Canvas().Draw(list, 0, 10, 10);
    TImage shot;
    ASSERT_TRUE(D.Canvas().ReadPixels(shot));
    EXPECT_EQ(shot.At(12, 12), Rgb(0, 200, 0));
}

TEST_F(DisplayModes, AModeTheScreenLacksIsSaidOnceAndTheNearestTaken) {
    TDisplayMode full = D.Mode();
    full.FullScreen = true;
    full.Width = 640;
    full.Height = 480;
    D.SetMode(full);
    // Xvfb offers only its own size, so 640x480 is not there.
    const std::string note = D.TakeModeNote();
    EXPECT_NE(note.find("640x480"), std::string::npos) << note;
    EXPECT_EQ(D.TakeModeNote(), "");
    full.FullScreen = false;
    D.SetMode(full);
    full.FullScreen = true;
    D.SetMode(full);
    EXPECT_EQ(D.TakeModeNote(), ""); // the same shortfall is not said again
}

} // namespace
