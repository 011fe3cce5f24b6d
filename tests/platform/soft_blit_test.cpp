// Pictures turned in software: kept turned pictures must draw exactly what
// turning them anew draws, wherever they land, and blends must round the
// way the renderer's own blending does.
#include <gtest/gtest.h>

#include <SDL2/SDL.h>

#include <cstdlib>
#include <memory>
#include <random>

#include "platform/raster.h"
#include "platform/soft_blit.h"

namespace {

using Surface = std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)>;

Surface MakeSurface(int w, int h, uint32_t fill) {
    Surface s(SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888),
              &SDL_FreeSurface);
    auto* p = static_cast<uint32_t*>(s->pixels);
    for (int i = 0; i < w * h; ++i)
        p[i] = fill;
    return s;
}

// Differing pixels, surface against surface.
int Differences(SDL_Surface* a, SDL_Surface* b) {
    int n = 0;
    for (int y = 0; y < a->h; ++y)
        for (int x = 0; x < a->w; ++x)
            n += static_cast<uint32_t*>(a->pixels)[y * a->pitch / 4 + x] !=
                 static_cast<uint32_t*>(b->pixels)[y * b->pitch / 4 + x];
    return n;
}

TImageEntry RandomPicture(std::mt19937& rng, int w, int h) {
    TImageEntry e;
    e.Image = TImage(w, h);
    // A third of it the transparent black, the rest colours.
    for (uint32_t& p : e.Image.Pixels)
        p = rng() % 3 == 0 ? 0 : rng() & 0xFFFFFF;
    e.Transparent = 0;
    e.Serial = rng();
    return e;
}

} // namespace

TEST(TurnedPictures, DrawExactlyWhatTurningAnewDraws) {
    std::mt19937 rng(7);
    TTurnedPictures kept;
    const TRect clip{3, 2, 157, 118};
    for (int round = 0; round < 300; ++round) {
        const TImageEntry pic = RandomPicture(rng, 5 + int(rng() % 40), 5 + int(rng() % 40));
        const int w = round % 5 == 0 ? pic.Image.Width * 2 : pic.Image.Width;
        const int h = round % 7 == 0 ? pic.Image.Height / 2 + 1 : pic.Image.Height;
        const double cx = (rng() % 5) / 4.0, cy = (rng() % 3) / 2.0;
        const int angle = int(rng() % 600) - 300;
        const TBlend blend = TBlend(round % 3);
        const int alpha = int(rng() % 256);
        // Several places for the same turn: inside, across each edge, off it.
        for (int k = 0; k < 6; ++k) {
            const int x = int(rng() % 200) - 20, y = int(rng() % 160) - 20;
            Surface a = MakeSurface(160, 120, 0xFF203040), b = MakeSurface(160, 120, 0xFF203040);
            kept.Blit(a.get(), clip, pic, x, y, w, h, cx, cy, angle, blend, alpha);
            BlitRotated(b.get(), clip, pic.Image, pic.Transparent, x, y, w, h, cx, cy, angle, blend,
                        alpha);
            ASSERT_EQ(Differences(a.get(), b.get()), 0)
                << "round " << round << " at " << x << "," << y << " angle " << angle;
        }
    }
    EXPECT_GT(kept.Count(), 0);
}

TEST(TurnedPictures, StayWithinTheirMemoryAndForgetReplacedPictures) {
    std::mt19937 rng(3);
    TTurnedPictures kept(200 * 1024);
    TImageEntry pic = RandomPicture(rng, 40, 40);
    Surface a = MakeSurface(100, 100, 0xFF000000);
    for (int angle = 0; angle < 256; ++angle) {
        kept.Blit(a.get(), {0, 0, 100, 100}, pic, 50, 50, 40, 40, 0.5, 0.5, angle, TBlend::Plain,
                  255);
        EXPECT_LE(kept.Bytes(), size_t(200 * 1024));
    }
    EXPECT_LT(kept.Count(), 256);
    // A new picture in the slot has a new serial: it is turned anew.
    Surface b = MakeSurface(100, 100, 0xFF000000), c = MakeSurface(100, 100, 0xFF000000);
    pic = RandomPicture(rng, 40, 40);
    kept.Blit(b.get(), {0, 0, 100, 100}, pic, 50, 50, 40, 40, 0.5, 0.5, 10, TBlend::Plain, 255);
    BlitRotated(c.get(), {0, 0, 100, 100}, pic.Image, 0, 50, 50, 40, 40, 0.5, 0.5, 10,
                TBlend::Plain, 255);
    EXPECT_EQ(Differences(b.get(), c.get()), 0);
}

TEST(TurnedPictures, BlendsRoundLikeThePlainFormula) {
    TImage one(1, 1);
    for (int alpha : {1, 64, 127, 128, 192, 254}) {
        for (uint32_t below : {0x000000u, 0xFFFFFFu, 0x807F01u, 0x12FE34u}) {
            for (uint32_t above : {0x0000FFu, 0xFFFFFFu, 0x01C880u}) {
                one.Pixels[0] = above; // 0x00BBGGRR
                for (TBlend blend : {TBlend::Alpha, TBlend::Additive}) {
                    Surface s = MakeSurface(1, 1, 0xFF000000u | below);
                    BlitRotated(s.get(), {0, 0, 1, 1}, one, NoTransparency, 0, 0, 1, 1, 0, 0, 0,
                                blend, alpha);
                    const uint32_t got = *static_cast<uint32_t*>(s->pixels);
                    for (int shift : {0, 8, 16}) {
                        // The surface is 0xAARRGGBB: red of the picture lands at 16.
                        const int src = int(above >> (16 - shift) & 255);
                        const int dst = int(below >> shift & 255);
                        const int want = blend == TBlend::Alpha
                                             ? (src * alpha + dst * (255 - alpha) + 127) / 255
                                             : std::min(255, dst + (src * alpha + 127) / 255);
                        EXPECT_EQ(int(got >> shift & 255), want)
                            << "alpha " << alpha << " shift " << shift << std::hex << " below "
                            << below << " above " << above;
                    }
                }
            }
        }
    }
}

TEST(Lines, EveryStepRoundsTheMinorAxisToTheNearestPixel) {
    // The walk keeps a running remainder; it must land where rounding each
    // step on its own lands, for every slope, direction and cut by the clip.
    std::mt19937 rng(11);
    const TRect clip{-5, 3, 90, 70};
    for (int k = 0; k < 2000; ++k) {
        const int x1 = int(rng() % 140) - 30, y1 = int(rng() % 120) - 30;
        const int x2 = int(rng() % 140) - 30, y2 = int(rng() % 120) - 30;
        std::vector<SDL_Point> got;
        RasterLine(x1, y1, x2, y2, 1, false, clip, got);
        std::vector<SDL_Point> want;
        const int dx = x2 - x1, dy = y2 - y1, steps = std::max(std::abs(dx), std::abs(dy));
        for (int i = 0; i < steps; ++i) {
            const bool xMajor = std::abs(dx) >= std::abs(dy);
            const int sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
            const int x = x1 + sx * (xMajor ? i : (2 * i * std::abs(dx) + steps) / (2 * steps));
            const int y = y1 + sy * (xMajor ? (2 * i * std::abs(dy) + steps) / (2 * steps) : i);
            if (x >= clip.Left && x < clip.Right && y >= clip.Top && y < clip.Bottom)
                want.push_back({x, y});
        }
        ASSERT_EQ(got.size(), want.size()) << x1 << "," << y1 << " to " << x2 << "," << y2;
        for (size_t i = 0; i < got.size(); ++i)
            ASSERT_TRUE(got[i].x == want[i].x && got[i].y == want[i].y)
                << x1 << "," << y1 << " to " << x2 << "," << y2 << " pixel " << i;
    }
}

TEST(Ellipses, DottedOutlinesKeptBySizeStayTheSameWhereverTheyAre) {
    // The dots of one box size are worked out once; a box of that size
    // elsewhere, cut by the clip or not, gets the dots it would get anew.
    TEllipseRaster kept;
    const TRect clip{0, 0, 100, 80};
    for (int k = 0; k < 40; ++k) {
        const int x = k * 7 % 120 - 20, y = k * 5 % 100 - 20;
        const TRect box{x, y, x + 40, y + (k % 3 == 0 ? 40 : 27)};
        TEllipseRaster fresh;
        kept.Clear();
        RasterEllipse(box, 1, TPenStyle::Dotted, false, clip, kept);
        RasterEllipse(box, 1, TPenStyle::Dotted, false, clip, fresh);
        ASSERT_EQ(kept.Dots.size(), fresh.Dots.size()) << k;
        for (size_t i = 0; i < kept.Dots.size(); ++i)
            ASSERT_TRUE(kept.Dots[i].x == fresh.Dots[i].x && kept.Dots[i].y == fresh.Dots[i].y);
    }
}
