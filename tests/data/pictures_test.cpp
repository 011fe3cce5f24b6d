// Every picture in the program folder against the size and colour rules the
// game relies on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/asset_names.h"
#include "data_files.h"

namespace {

constexpr uint32_t Black = 0x000000, Fuchsia = 0xFF00FF;

bool PureBlue(uint32_t p) {
    return (p & 0xFFFF00) == 0 && (p & 0xFF) != 0;
}

int Count(const TBmp& b, bool (*pred)(uint32_t)) {
    return int(std::count_if(b.Pixels.begin(), b.Pixels.end(), pred));
}

TBmp Load(const std::string& name) {
    TBmp b;
    EXPECT_TRUE(ReadBmp(BinPath(name + ".bmp"), b)) << name;
    return b;
}

} // namespace

TEST(Sprites, EveryListedSpriteExistsAtItsSize) {
    for (const TSpriteInfo& s : SpriteList) {
        TBmp b;
        ASSERT_TRUE(ReadBmp(BinPath(std::string(s.Name) + ".bmp"), b)) << s.Name;
        EXPECT_EQ(b.Bits, 24) << s.Name;
        EXPECT_EQ(b.Width, s.Width) << s.Name;
        EXPECT_EQ(b.Height, s.Height) << s.Name;
    }
}

TEST(Sprites, TransparentColourFramesEachSpriteAndItDrawsSomething) {
    for (const TSpriteInfo& s : SpriteList) {
        const TBmp b = Load(std::string(s.Name));
        if (b.Pixels.empty()) continue;
        const uint32_t key = s.Fuchsia ? Fuchsia : Black;
        const int opaque = int(
            std::count_if(b.Pixels.begin(), b.Pixels.end(), [&](uint32_t p) { return p != key; }));
        EXPECT_GT(opaque, int(b.Pixels.size()) / 8) << s.Name << " is nearly empty";
        // The rocket is a solid two-pixel streak; everything else has room around it.
        if (s.Name != "Rocket" && s.Name != "AlarmLight") {
            EXPECT_EQ(b.At(0, 0), key) << s.Name << " corner is not transparent";
        }
        if (s.Fuchsia) {
            EXPECT_EQ(std::count(b.Pixels.begin(), b.Pixels.end(), Black), 0)
                << s.Name << " has stray black";
        }
    }
}

TEST(Sprites, BodiesAndTurretsCarryPaintAndNothingElseDoes) {
    for (int i = 0; i < SpriteCount; ++i) {
        const std::string name(SpriteList[i].Name);
        const TBmp b = Load(name);
        if (b.Pixels.empty()) continue;
        const int blue = Count(b, PureBlue);
        const bool tinted = i < 15 && (i % 5 == 0 || i % 5 == 1);
        if (tinted) {
            EXPECT_GT(blue, int(b.Pixels.size()) / 5) << name << " has too little paintable area";
        } else if (!SpriteList[i].Fuchsia) {
            EXPECT_EQ(blue, 0) << name << " has pure-blue pixels, which would be taken for paint";
        }
    }
}

TEST(Sprites, ShadowsAreOneDarkColourInTheShapeOfTheirVehicle) {
    for (int sort : {spTank, spHovercraft, spHummer}) {
        const TBmp body = Load(std::string(SpriteList[sort].Name));
        const TBmp shadow = Load(std::string(SpriteList[sort + 2].Name));
        ASSERT_EQ(body.Pixels.size(), shadow.Pixels.size());
        for (size_t p = 0; p < body.Pixels.size(); ++p) {
            EXPECT_EQ(body.Pixels[p] == Black, shadow.Pixels[p] == Black)
                << SpriteList[sort + 2].Name;
            if (shadow.Pixels[p] != Black) {
                EXPECT_LT(shadow.Pixels[p] & 0xFF, 40u);
            }
        }
    }
}

TEST(PatternMasks, OneBitAtTheBodySizeWithBothColoursUsed) {
    const char* sorts[] = {"Tank", "Hover", "Hummer"};
    const int sizes[3][2] = {{40, 25}, {45, 30}, {42, 22}};
    const char* tank[] = {"Stripes", "TwoStripes", "Camo", "Tribal", "Sides", "Tiger", "Fire"};
    const char* hover[] = {"TwoStripes", "TwoStripes2", "Camo", "Tribal", "Sides", "Tiger", "Fire"};
    const char* hummer[] = {"Stripes", "Stripes2", "Camo", "Tribal", "Sides", "Tiger", "Fire"};
    const char* const* names[] = {tank, hover, hummer};
    for (int s = 0; s < 3; ++s)
        for (int p = 0; p < 7; ++p) {
            const std::string name = std::string(sorts[s]) + names[s][p];
            std::vector<uint8_t> bytes;
            TBmp b;
            ASSERT_TRUE(ReadBmp(BinPath(name + ".bmp"), b, false)) << name;
            EXPECT_EQ(b.Bits, 1) << name;
            EXPECT_EQ(b.Width, sizes[s][0]) << name;
            EXPECT_EQ(b.Height, sizes[s][1]) << name;
            ASSERT_TRUE(ReadBytes(BinPath(name + ".bmp"), bytes));
            // Count set bits row by row (rows padded to 4 bytes).
            const size_t stride = ((size_t(b.Width) + 31) / 32) * 4,
                         offset = bytes[10] | bytes[11] << 8;
            int set = 0;
            for (int row = 0; row < b.Height; ++row)
                for (int x = 0; x < b.Width; ++x)
                    set += (bytes[offset + stride * row + x / 8] >> (7 - x % 8)) & 1;
            const int total = b.Width * b.Height;
            EXPECT_GT(set, total / 5) << name << ": too little of the first colour";
            EXPECT_GT(total - set, total / 12) << name << ": the pattern barely shows";
        }
}

TEST(Explosion, ThirteenSquareFramesThatStartBrightAndFade) {
    const TBmp b = Load("explosion");
    ASSERT_FALSE(b.Pixels.empty());
    ASSERT_EQ(b.Width % 13, 0);
    const int w = b.Width / 13;
    EXPECT_EQ(w, b.Height);
    auto lit = [&](int frame) {
        int n = 0;
        for (int y = 0; y < b.Height; ++y)
            for (int x = 0; x < w; ++x)
                n += b.At(frame * w + x, y) != Black;
        return n;
    };
    EXPECT_GT(lit(0), 0);
    EXPECT_GT(lit(6), lit(0));      // it swells
    EXPECT_LT(lit(12), lit(6) / 4); // and is nearly gone at the end
}

TEST(Textures, ListLinesAreWellFormed) {
    std::string problem;
    const std::vector<TTextureLine> list = ReadTextureLines(problem);
    EXPECT_EQ(problem, "");
    ASSERT_GE(list.size(), 10u);
    int kinds[6] = {};
    for (const TTextureLine& t : list) {
        ASSERT_TRUE(t.Kind >= 0 && t.Kind <= 5) << t.Name;
        ++kinds[t.Kind];
        EXPECT_GT(t.Friction, 0) << t.Name;
        EXPECT_GE(t.Grip, 0) << t.Name;
    }
    for (int k = 0; k < 6; ++k)
        EXPECT_GT(kinds[k], 0) << "no texture of kind " << k;
}

TEST(Textures, EachNamedBitmapIs64By64) {
    std::string problem;
    for (const TTextureLine& t : ReadTextureLines(problem)) {
        TBmp b;
        ASSERT_TRUE(ReadBmp(BinPath(t.Name + ".bmp"), b, false)) << t.Name;
        EXPECT_EQ(b.Bits, 24) << t.Name;
        EXPECT_EQ(b.Width, 64) << t.Name;
        EXPECT_EQ(b.Height, 64) << t.Name;
    }
}

TEST(Textures, NaturalGroundsTileWithoutAVisibleSeam) {
    // Across the tile's wrap the colour should change no more than it does
    // between neighbouring columns inside it.
    auto diff = [](uint32_t a, uint32_t b) {
        int d = 0;
        for (int s = 0; s < 24; s += 8)
            d += std::abs(int(a >> s & 0xFF) - int(b >> s & 0xFF));
        return d;
    };
    for (const char* name :
         {"Grass", "Meadow", "Dirt", "Sand", "Water", "Snow", "Ice", "Mud", "Rock", "Brick"}) {
        const TBmp b = Load(name);
        if (b.Pixels.empty()) continue;
        double inside = 0, wrapX = 0, wrapY = 0;
        for (int i = 0; i < 64; ++i) {
            inside += diff(b.At(31, i), b.At(32, i)) + diff(b.At(i, 31), b.At(i, 32));
            wrapX += diff(b.At(63, i), b.At(0, i));
            wrapY += diff(b.At(i, 63), b.At(i, 0));
        }
        EXPECT_LT(wrapX, inside * 1.5 + 300) << name << " shows a seam left to right";
        EXPECT_LT(wrapY, inside * 1.5 + 300) << name << " shows a seam top to bottom";
    }
}

TEST(StartScreen, BackgroundStylesArrowsAndNetworkPicture) {
    const struct {
        const char* Name;
        int W, H;
    } pictures[] = {{"StartBackground", 661, 480},
                    {"StyleDeathmatch", 96, 72},
                    {"StyleTeamWar", 96, 72},
                    {"StyleCaptureTheCow", 96, 72},
                    {"ArrowUp", 24, 24},
                    {"ArrowDown", 24, 24},
                    {"Network", 32, 32}};
    for (const auto& p : pictures) {
        TBmp b;
        ASSERT_TRUE(ReadBmp(BinPath(std::string(p.Name) + ".bmp"), b, false)) << p.Name;
        EXPECT_EQ(b.Bits, 24) << p.Name;
        EXPECT_EQ(b.Width, p.W) << p.Name;
        EXPECT_EQ(b.Height, p.H) << p.Name;
    }
}
