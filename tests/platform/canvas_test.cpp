// Drawing on the off-screen canvas and looking at the pixels.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "platform/offscreen.h"
#include "platform/text.h"

namespace {

constexpr uint32_t Red = Rgb(255, 0, 0), Blue = Rgb(0, 0, 255), Green = Rgb(0, 255, 0),
                   White = Rgb(255, 255, 255);

struct CanvasTest : ::testing::Test {
    TOffscreenCanvas Canvas{200, 150};
    TImageList Sprites;
    void SetUp() override { ASSERT_EQ(Canvas.Error(), ""); }
    uint32_t At(int x, int y) { return Canvas.Snapshot().At(x, y); }
};

void ExpectNear(uint32_t got, int r, int g, int b, int tolerance = 2) {
    EXPECT_NEAR(RedOf(got), r, tolerance) << std::hex << got;
    EXPECT_NEAR(GreenOf(got), g, tolerance) << std::hex << got;
    EXPECT_NEAR(BlueOf(got), b, tolerance) << std::hex << got;
}

int CountColour(const TImage& image, uint32_t colour, const TRect& area) {
    int n = 0;
    for (int y = area.Top; y < area.Bottom; ++y)
        for (int x = area.Left; x < area.Right; ++x)
            n += image.At(x, y) == colour;
    return n;
}

} // namespace

TEST_F(CanvasTest, FillRectLeavesOutRightAndBottomEdge) {
    Canvas.Fill(Blue);
    Canvas.FillRect({10, 20, 30, 40}, Red);
    TImage img = Canvas.Snapshot();
    EXPECT_EQ(img.At(10, 20), Red);
    EXPECT_EQ(img.At(29, 39), Red);
    EXPECT_EQ(img.At(30, 39), Blue);
    EXPECT_EQ(img.At(29, 40), Blue);
    EXPECT_EQ(img.At(0, 0), Blue);
}

TEST_F(CanvasTest, TransparentColourIsNotDrawn) {
    TImage picture(4, 4, Red);
    picture.Set(1, 1, clBlack);
    picture.Set(2, 2, clFuchsia);
    int keyedBlack = Sprites.Add(picture, "black key", clBlack);
    int keyedFuchsia = Sprites.Add(picture, "fuchsia key", clFuchsia);
    int opaque = Sprites.Add(picture, "opaque", NoTransparency);
    Canvas.Fill(Green);
    Canvas.Draw(Sprites, keyedBlack, 10, 10);
    Canvas.Draw(Sprites, keyedFuchsia, 20, 10);
    Canvas.Draw(Sprites, opaque, 30, 10);
    TImage img = Canvas.Snapshot();
    EXPECT_EQ(img.At(10, 10), Red);
    EXPECT_EQ(img.At(11, 11), Green);
    EXPECT_EQ(img.At(12, 12), uint32_t(clFuchsia));
    EXPECT_EQ(img.At(21, 11), uint32_t(clBlack));
    EXPECT_EQ(img.At(22, 12), Green);
    EXPECT_EQ(img.At(31, 11), uint32_t(clBlack));
    EXPECT_EQ(img.At(32, 12), uint32_t(clFuchsia));
}

TEST_F(CanvasTest, StretchedPictureFillsTheRectangle) {
    TImage picture(2, 2, Red);
    picture.Set(1, 1, Blue);
    int i = Sprites.Add(picture, "", NoTransparency);
    Canvas.DrawStretched(Sprites, i, {40, 40, 60, 60});
    TImage img = Canvas.Snapshot();
    EXPECT_EQ(img.At(40, 40), Red);
    EXPECT_EQ(img.At(49, 49), Red);
    EXPECT_EQ(img.At(50, 50), Blue);
    EXPECT_EQ(img.At(59, 59), Blue);
    EXPECT_EQ(img.At(60, 60), 0u);
}

// A 20 x 10 picture whose 2 x 2 block around the pivot (a quarter along,
// centred across) is white, its far end green, the rest red.
TEST_F(CanvasTest, RotatedPictureTurnsAboutItsPivot) {
    TImage picture(20, 10, Red);
    for (int y = 4; y < 6; ++y)
        for (int x = 4; x < 6; ++x)
            picture.Set(x, y, White);
    for (int y = 0; y < 10; ++y)
        picture.Set(19, y, Green);
    int i = Sprites.Add(picture);
    // The software renderer may round the turned picture's place by a
    // pixel; the pivot block's middle stays within that of (100, 70).
    for (int angle : {0, 16, 32, 64, 96, 128, 192, 256 + 64, -64}) {
        Canvas.Fill(Blue);
        Canvas.DrawRotated(Sprites, i, 100, 70, 0.25, 0.5, angle);
        TImage img = Canvas.Snapshot();
        double sx = 0, sy = 0;
        int n = 0;
        for (int y = 0; y < img.Height; ++y)
            for (int x = 0; x < img.Width; ++x)
                if (img.At(x, y) == White) {
                    sx += x + 0.5;
                    sy += y + 0.5;
                    ++n;
                }
        ASSERT_GE(n, 3) << "angle " << angle;
        EXPECT_LE(std::hypot(sx / n - 100, sy / n - 70), 1.0) << "angle " << angle;
    }
    // A quarter turn is clockwise on screen: the far end points down.
    Canvas.Fill(Blue);
    Canvas.DrawRotated(Sprites, i, 100, 70, 0.25, 0.5, 64);
    TImage img = Canvas.Snapshot();
    EXPECT_EQ(img.At(99, 84), Green);
    EXPECT_EQ(img.At(114, 69), Blue);
    EXPECT_EQ(img.At(99, 56), Blue);
}

TEST_F(CanvasTest, RotatedPictureTakesTheAskedSize) {
    int i = Sprites.Add(TImage(10, 10, Red));
    Canvas.Fill(Blue);
    Canvas.DrawRotated(Sprites, i, 50, 50, 20, 6, 0.5, 0.5, 0);
    TImage img = Canvas.Snapshot();
    EXPECT_EQ(img.At(40, 47), Red);
    EXPECT_EQ(img.At(59, 52), Red);
    EXPECT_EQ(img.At(60, 50), Blue);
    EXPECT_EQ(img.At(50, 53), Blue);
}

TEST_F(CanvasTest, AlphaBlendMixesWithTheBackground) {
    int i = Sprites.Add(TImage(10, 10, Rgb(200, 0, 0)));
    Canvas.Fill(Rgb(0, 0, 100));
    Canvas.DrawRotated(Sprites, i, 50, 50, 0.5, 0.5, 0, TBlend::Alpha, 64);
    ExpectNear(At(50, 50), 200 * 64 / 255, 0, 100 * 191 / 255);
}

TEST_F(CanvasTest, AdditiveBlendAddsAndSaturates) {
    TImage picture(10, 10, Rgb(100, 100, 100));
    picture.Set(5, 5, clBlack); // transparent: adds nothing
    int i = Sprites.Add(picture);
    Canvas.Fill(Rgb(100, 50, 200));
    Canvas.DrawRotated(Sprites, i, 50, 50, 0.5, 0.5, 0, TBlend::Additive, 255);
    ExpectNear(At(48, 48), 200, 150, 255);
    ExpectNear(At(50, 50), 100, 50, 200);
    Canvas.Fill(Rgb(100, 50, 0));
    Canvas.DrawRotated(Sprites, i, 50, 50, 0.5, 0.5, 0, TBlend::Additive, 128);
    ExpectNear(At(48, 48), 150, 100, 50);
}

TEST_F(CanvasTest, ReplacedPictureIsDrawnAnew) {
    int i = Sprites.Add(TImage(4, 4, Red));
    Canvas.Draw(Sprites, i, 0, 0);
    EXPECT_EQ(At(1, 1), Red);
    Sprites.Put(i, TImage(4, 4, Green));
    Canvas.Draw(Sprites, i, 0, 0);
    EXPECT_EQ(At(1, 1), Green);
}

TEST_F(CanvasTest, MissingPictureDrawsNothing) {
    Canvas.Fill(Blue);
    Canvas.Draw(Sprites, 5, 0, 0);
    Canvas.DrawRotated(Sprites, -1, 10, 10, 0.5, 0.5, 3, TBlend::Additive, 99);
    Sprites.Put(3, TImage(2, 2, Red));
    Canvas.Draw(Sprites, 1, 0, 0); // an empty slot below a filled one
    EXPECT_EQ(CountColour(Canvas.Snapshot(), Blue, {0, 0, 200, 150}), 200 * 150);
}

TEST_F(CanvasTest, LineLeavesOutItsEndPoint) {
    Canvas.Line(10, 10, 20, 10, {int32_t(Red), 1, TPenStyle::Solid});
    TImage img = Canvas.Snapshot();
    EXPECT_EQ(CountColour(img, Red, {0, 0, 200, 150}), 10);
    EXPECT_EQ(img.At(10, 10), Red);
    EXPECT_EQ(img.At(20, 10), 0u);
}

TEST_F(CanvasTest, WidePenDrawsTwoRows) {
    Canvas.Line(10, 10, 50, 20, {int32_t(Red), 2, TPenStyle::Solid});
    EXPECT_EQ(CountColour(Canvas.Snapshot(), Red, {0, 0, 200, 150}), 80);
}

TEST_F(CanvasTest, DottedLineHasGaps) {
    Canvas.Line(0, 5, 100, 5, {int32_t(Green), 1, TPenStyle::Dotted});
    TImage img = Canvas.Snapshot();
    EXPECT_EQ(CountColour(img, Green, {0, 5, 100, 6}), 50);
    int gaps = 0;
    for (int x = 1; x < 100; ++x)
        gaps += img.At(x - 1, 5) == Green && img.At(x, 5) != Green;
    EXPECT_GE(gaps, 20);
}

TEST_F(CanvasTest, LineFarOffTheSurfaceIsClipped) {
    Canvas.Line(-1000000, 10, 1000000, 10, {int32_t(Red), 1, TPenStyle::Solid});
    Canvas.Line(-5000, -5000, -10, -10, {int32_t(Red), 2, TPenStyle::Solid});
    EXPECT_EQ(CountColour(Canvas.Snapshot(), Red, {0, 0, 200, 150}), 200);
}

TEST_F(CanvasTest, EllipseWithSolidAndClearBrush) {
    Canvas.Fill(Blue);
    Canvas.Ellipse({10, 10, 50, 50}, {int32_t(Green), 1, TPenStyle::Solid},
                   {int32_t(Red), TBrushStyle::Solid});
    Canvas.Ellipse({60, 10, 100, 50}, {int32_t(Green), 2, TPenStyle::Solid},
                   {0, TBrushStyle::Clear});
    TImage img = Canvas.Snapshot();
    EXPECT_EQ(img.At(30, 30), Red);
    EXPECT_EQ(img.At(10, 30), Green);
    EXPECT_EQ(img.At(49, 30), Green);
    EXPECT_EQ(img.At(30, 10), Green);
    EXPECT_EQ(img.At(11, 11), Blue); // outside the round
    EXPECT_EQ(img.At(80, 30), Blue);
    EXPECT_EQ(img.At(60, 30), Green);
    EXPECT_EQ(img.At(61, 30), Green);
    EXPECT_EQ(img.At(62, 30), Blue);
}

TEST_F(CanvasTest, DottedCircleHasGaps) {
    Canvas.Ellipse({20, 20, 60, 60}, {int32_t(Green), 1, TPenStyle::Dotted},
                   {0, TBrushStyle::Clear});
    TImage dotted = Canvas.Snapshot();
    Canvas.Fill(0);
    Canvas.Ellipse({20, 20, 60, 60}, {int32_t(Green), 1, TPenStyle::Solid},
                   {0, TBrushStyle::Clear});
    TImage solid = Canvas.Snapshot();
    int d = CountColour(dotted, Green, {0, 0, 200, 150});
    int s = CountColour(solid, Green, {0, 0, 200, 150});
    EXPECT_GT(d, s / 4);
    EXPECT_LT(d, s * 3 / 4);
}

TEST_F(CanvasTest, RectangleOutlineOfWidthTwo) {
    Canvas.Rectangle({10, 10, 30, 20}, {int32_t(Blue), 2, TPenStyle::Solid},
                     {0, TBrushStyle::Clear});
    TImage img = Canvas.Snapshot();
    EXPECT_EQ(img.At(10, 10), Blue);
    EXPECT_EQ(img.At(11, 11), Blue);
    EXPECT_EQ(img.At(12, 12), 0u);
    EXPECT_EQ(img.At(29, 19), Blue);
    EXPECT_EQ(img.At(28, 18), Blue);
    EXPECT_EQ(img.At(30, 19), 0u);
    EXPECT_EQ(img.At(27, 17), 0u);
}

TEST_F(CanvasTest, SetPixelOutsideIsIgnored) {
    Canvas.SetPixel(5, 6, int32_t(Red));
    Canvas.SetPixel(-1, 6, int32_t(Red));
    Canvas.SetPixel(200, 6, int32_t(Red));
    EXPECT_EQ(At(5, 6), Red);
    EXPECT_EQ(CountColour(Canvas.Snapshot(), Red, {0, 0, 200, 150}), 1);
}

TEST_F(CanvasTest, TextLandsWhereAsked) {
    TFont font{14, true, int32_t(White)};
    const int w = Canvas.TextWidth("Moorclash", font), h = Canvas.TextHeight("Moorclash", font);
    EXPECT_GT(w, 40);
    EXPECT_GT(h, 10);
    Canvas.TextOut(30, 40, "Moorclash", font);
    TImage img = Canvas.Snapshot();
    int inside = 0, outside = 0;
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 200; ++x) {
            bool lit = img.At(x, y) != 0;
            bool in = x >= 30 && x < 30 + w && y >= 40 && y < 40 + h;
            (in ? inside : outside) += lit;
        }
    EXPECT_GT(inside, 50);
    EXPECT_EQ(outside, 0);
}

TEST_F(CanvasTest, TextBackgroundAndBoldAndTinySizes) {
    TFont plain{12, false, int32_t(White), int32_t(Rgb(128, 128, 128))};
    TFont bold = plain;
    bold.Bold = true;
    EXPECT_GT(Canvas.TextWidth("Wide words here", bold),
              Canvas.TextWidth("Wide words here", plain));
    Canvas.TextOut(0, 0, "W", plain);
    EXPECT_EQ(At(0, 0), Rgb(128, 128, 128));
    // Sizes 3 and 4 are drawn at the smallest legible size.
    EXPECT_EQ(Canvas.TextHeight("x", {3}), Canvas.TextHeight("x", {MinFontPoints}));
    EXPECT_GT(Canvas.TextWidth("Name", {3}), 0);
    EXPECT_EQ(Canvas.TextWidth("", {10}), 0);
}

TEST_F(CanvasTest, OffScreenSurfaceIsCopiedOnto) {
    auto surface = Canvas.CreateSurface(40, 30);
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(surface->Width(), 40);
    surface->Fill(int32_t(Red));
    surface->FillRect({10, 10, 20, 20}, int32_t(Green));
    Canvas.Fill(Blue);
    Canvas.CopyFrom(*surface, {5, 5, 25, 25}, 100, 100);
    TImage img = Canvas.Snapshot();
    EXPECT_EQ(img.At(100, 100), Red);
    EXPECT_EQ(img.At(105, 105), Green);
    EXPECT_EQ(img.At(119, 119), Red);
    EXPECT_EQ(img.At(120, 120), Blue);
    EXPECT_EQ(img.At(99, 99), Blue);
}

TEST_F(CanvasTest, SurfaceOutlivingItsCanvasIsHarmless) {
    std::unique_ptr<ICanvas> surface;
    {
        TOffscreenCanvas other(10, 10);
        surface = other.CreateSurface(5, 5);
    }
    // An off-screen canvas's surface is drawn in software on its own, so it
    // simply goes on working.
    surface->Fill(int32_t(Red));
    TImage pixels;
    ASSERT_TRUE(surface->ReadPixels(pixels));
    EXPECT_EQ(pixels.At(4, 4), Red);
    surface->TextOut(0, 0, "still here", {});
    EXPECT_GT(surface->TextWidth("still here", {}), 0);
}

TEST_F(CanvasTest, ScreenshotIsAPngFile) {
    Canvas.Fill(Red);
    const std::string path = testing::TempDir() + "canvas_shot.png";
    ASSERT_TRUE(Canvas.SaveScreenshot(path));
    std::ifstream f(path, std::ios::binary);
    char head[8] = {};
    f.read(head, 8);
    EXPECT_EQ(std::string(head + 1, 3), "PNG");
    std::string error;
    EXPECT_FALSE(Canvas.SaveScreenshot("/nonexistent-folder/x.png", &error));
    EXPECT_EQ(error, "Cannot write file /nonexistent-folder/x.png");
    std::remove(path.c_str());
}

TEST(TextEncoding, Latin1BytesBecomeUtf8) {
    EXPECT_EQ(ToValidUtf8("Tank"), "Tank");
    EXPECT_EQ(ToValidUtf8("J\xF6rg"), "J\xC3\xB6rg");
    EXPECT_EQ(ToValidUtf8("J\xC3\xB6rg"), "J\xC3\xB6rg");
    EXPECT_EQ(ToValidUtf8("\xE2\x82"), "\xC3\xA2\xC2\x82"); // cut-off sequence
}
