// The demo opens a real (here: dummy) window, draws and saves its frame.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "platform/bitmap_file.h"
#include "platform/demo.h"
#include "platform/display.h"

TEST(PlatformDemo, DrawsAFrameAndSavesIt) {
    const std::string path = testing::TempDir() + "platform_demo.bmp";
    std::remove(path.c_str());
    ASSERT_EQ(RunPlatformDemo(path, 0), 0);
    SdlBitmapReader reader;
    TImage shot;
    ASSERT_EQ(reader.ReadBitmap(path, shot), "");
    EXPECT_EQ(shot.Width, 800);
    EXPECT_EQ(shot.Height, 600);
    // The grass covers the window; the title is white.
    EXPECT_GT(GreenOf(shot.At(400, 150)), RedOf(shot.At(400, 150)));
    int white = 0;
    for (int y = 10; y < 45; ++y)
        for (int x = 10; x < 400; ++x)
            white += shot.At(x, y) == Rgb(255, 255, 255);
    EXPECT_GT(white, 200);
    std::remove(path.c_str());
}

TEST(Display, FailingToOpenSaysWhyAndDrawsNothing) {
    const char* before = std::getenv("SDL_VIDEODRIVER");
    const std::string saved = before ? before : "";
    setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
    TDisplay display;
    const std::string error = display.Initialise("Moorclash", TDisplayMode{}, 640, 480);
    if (before)
        setenv("SDL_VIDEODRIVER", saved.c_str(), 1);
    else
        unsetenv("SDL_VIDEODRIVER");
    EXPECT_EQ(error.rfind("Cannot open the display: ", 0), 0u) << error;
    EXPECT_FALSE(display.Initialised());
    display.Canvas().Fill(0xFF);
    display.Canvas().TextOut(0, 0, "nothing", {});
    display.Present();
    EXPECT_EQ(display.Canvas().Width(), 0);
}
