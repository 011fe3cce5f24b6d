// Vehicles painted in their owners' colours and patterns.
#include <gtest/gtest.h>

#include "core/asset_names.h"
#include "fakes/fakes.h"
#include "render/tint.h"

namespace {

// Master pictures whose pixel (x, y) is pure blue with blue 100 + x, except
// a few marked spots; masks set on their left half only.
struct TintTest : ::testing::Test {
    TImageList Sprites, Masks;

    void SetUp() override {
        for (const TSpriteInfo& s : SpriteList) {
            TImage image(s.Width, s.Height);
            for (int y = 0; y < s.Height; ++y)
                for (int x = 0; x < s.Width; ++x)
                    image.Set(x, y, Rgb(0, 0, 100 + x));
            Sprites.Add(std::move(image), std::string(s.Name));
        }
        TImage& body = const_cast<TImage&>(Sprites.Image(sortTank));
        body.Set(0, 0, 0);               // transparent
        body.Set(1, 0, Rgb(10, 0, 200)); // a tinge of red: not paint
        body.Set(2, 0, Rgb(0, 0, 3));    // very dark blue
        const int sizes[3][2] = {{40, 25}, {45, 30}, {42, 22}};
        for (int m = 0; m < PaintMaskCount; ++m) {
            const int* size = sizes[m / PatternCount];
            TImage mask(size[0], size[1]);
            for (int y = 0; y < size[1]; ++y)
                for (int x = 0; x < size[0] / 2; ++x)
                    mask.Set(x, y, 0xFFFFFF);
            Masks.Add(std::move(mask), {}, NoTransparency);
        }
    }

    TImage Tint(int sort, int pattern, bool turret, TRgb c1, TRgb c2) {
        TImage out;
        EXPECT_TRUE(TintSprite(out, Sprites, Masks, sort, pattern, turret, c1, c2));
        return out;
    }
};

uint32_t Shaded(int blue, TRgb c) {
    const double a = blue / 255.0;
    return Rgb(int(std::nearbyint(a * c.R)), int(std::nearbyint(a * c.G)),
               int(std::nearbyint(a * c.B)));
}

} // namespace

TEST_F(TintTest, OnlyPureBlueIsPaintedAndNothingBecomesTransparent) {
    const TImage t = Tint(sortTank, -1, false, {0, 0, 0}, {255, 255, 255});
    EXPECT_EQ(t.At(0, 0), 0u);              // stays transparent
    EXPECT_EQ(t.At(1, 0), Rgb(10, 0, 200)); // not repainted
    EXPECT_EQ(t.At(2, 0), Rgb(8, 8, 8));    // floor for the darkest paint
    // Black is raised to (32, 32, 32) first, then shaded.
    EXPECT_EQ(t.At(10, 5), Shaded(110, {32, 32, 32}));
    const TImage& master = Sprites.Image(sortTank);
    for (size_t i = 0; i < t.Pixels.size(); ++i) {
        if (master.Pixels[i] != 0) {
            EXPECT_NE(t.Pixels[i], 0u) << "pixel " << i;
        }
    }
    // Every painted pixel is the raised black shaded by its blue, at least
    // (8, 8, 8); the turret likewise.
    for (bool turret : {false, true}) {
        const TImage& from = Sprites.Image(sortTank + (turret ? 1 : 0));
        const TImage tinted = Tint(sortTank, -1, turret, {0, 0, 0}, {255, 255, 255});
        for (size_t i = 0; i < tinted.Pixels.size(); ++i) {
            const uint32_t m = from.Pixels[i];
            if (m == 0 || RedOf(m) != 0 || GreenOf(m) != 0) continue;
            uint32_t want = Shaded(int(BlueOf(m)), {32, 32, 32});
            if (RedOf(want) < 8) want = Rgb(8, 8, 8);
            ASSERT_EQ(tinted.Pixels[i], want) << "pixel " << i << (turret ? " of the turret" : "");
        }
    }
}

TEST_F(TintTest, WithoutAPatternEverythingTakesTheFirstColour) {
    const TRgb red{200, 20, 20}, green{20, 200, 20};
    const TImage t = Tint(sortHovercraft, -1, false, red, green);
    EXPECT_EQ(t.At(5, 3), Shaded(105, red));
    EXPECT_EQ(t.At(40, 20), Shaded(140, red)); // the mask's clear half
    const TImage p = Tint(sortHovercraft, 2, false, red, green);
    EXPECT_EQ(p.At(5, 3), Shaded(105, red));
    EXPECT_EQ(p.At(40, 20), Shaded(140, green));
    // Whatever the masks hold, every blue pixel of body and turret of
    // every sort takes the first colour.
    for (int m = 0; m < Masks.Count(); ++m) {
        TImage& mask = const_cast<TImage&>(Masks.Image(m));
        for (int y = 0; y < mask.Height; ++y)
            for (int x = 0; x < mask.Width; ++x)
                mask.Set(x, y, (x + y) % 2 ? 0xFFFFFF : 0);
    }
    for (int sort : {sortTank, sortHovercraft, sortHummer})
        for (bool turret : {false, true}) {
            const TImage& from = Sprites.Image(sort + (turret ? 1 : 0));
            const TImage all = Tint(sort, -1, turret, red, green);
            ASSERT_EQ(all.Pixels.size(), from.Pixels.size());
            for (size_t i = 0; i < all.Pixels.size(); ++i) {
                const uint32_t b = from.Pixels[i];
                if (b == 0 || RedOf(b) != 0 || GreenOf(b) != 0) continue;
                uint32_t want = Shaded(int(BlueOf(b)), red);
                if (RedOf(want) < 8 && GreenOf(want) < 8 && BlueOf(want) < 8) want = Rgb(8, 8, 8);
                ASSERT_EQ(all.Pixels[i], want) << "sort " << sort << " pixel " << i;
            }
        }
}

TEST_F(TintTest, TurretsReadThePatternUnderThem) {
    const TRgb red{200, 20, 20}, green{20, 200, 20};
    // Tank turret: 3 columns and 2 rows into the 40 x 25 mask (set below x 20).
    TImage& mask = const_cast<TImage&>(Masks.Image(PatternMaskIndex(sortTank, 0)));
    mask.Set(3, 2, 0); // only the turret's pixel (0, 0) reads this
    const TImage t = Tint(sortTank, 0, true, red, green);
    EXPECT_EQ(t.At(0, 0), Shaded(100, green));
    EXPECT_EQ(t.At(1, 0), Shaded(101, red));
    EXPECT_EQ(t.At(16, 5), Shaded(116, red));   // mask column 19
    EXPECT_EQ(t.At(17, 5), Shaded(117, green)); // mask column 20
    // The turret is longer than the body: its tip reads the last column.
    EXPECT_EQ(t.At(52, 20), Shaded(152, green));

    // Hummer: body one row down into its taller mask, turret from row 0.
    TImage& hm = const_cast<TImage&>(Masks.Image(PatternMaskIndex(sortHummer, 0)));
    hm.Set(0, 1, 0);
    EXPECT_EQ(Tint(sortHummer, 0, false, red, green).At(0, 0), Shaded(100, green));
}

TEST_F(TintTest, BadSortOrPatternPaintsSafely) {
    TImage out;
    EXPECT_FALSE(TintSprite(out, Sprites, Masks, 3, 0, false, {}, {}));
    EXPECT_EQ(PatternMaskIndex(sortTank, 7), -1);
    EXPECT_EQ(PatternMaskIndex(sortHummer, 6), 20);
    // A pattern without a mask picture paints like no pattern.
    TImageList none;
    EXPECT_TRUE(TintSprite(out, Sprites, none, sortTank, 3, true, {200, 0, 0}, {0, 200, 0}));
    EXPECT_EQ(out.At(5, 5), Shaded(105, {200, 0, 0}));
}

TEST_F(TintTest, VehiclePicturesAreRepaintedOnlyWhenTheLookChanges) {
    TestRig rig;
    Game& g = rig.g();
    g.TankCount = 2;
    for (int i = 0; i < 2; ++i) {
        g.Tanks[i].BodySprite = SpriteCount + 2 * i;
        g.Tanks[i].TurretSprite = SpriteCount + 2 * i + 1;
        g.Tanks[i].BodyColour = {255, 0, 0};
        MarkAppearanceChanged(g, i);
    }
    TVehiclePictures pictures;
    EXPECT_EQ(pictures.Refresh(g, Sprites, Masks), 2);
    EXPECT_EQ(Sprites.Count(), SpriteCount + 4);
    EXPECT_EQ(Sprites.Image(SpriteCount + 2).At(5, 5), Shaded(105, {255, 0, 0}));
    EXPECT_EQ(pictures.Refresh(g, Sprites, Masks), 0);

    g.Tanks[1].BodyColour = {0, 0, 255};
    MarkAppearanceChanged(g, 1);
    EXPECT_EQ(pictures.Refresh(g, Sprites, Masks), 1);
    EXPECT_EQ(Sprites.Image(SpriteCount + 2).At(5, 5), Shaded(105, {0, 0, 255}));
    EXPECT_EQ(Sprites.Image(SpriteCount).At(5, 5), Shaded(105, {255, 0, 0}));

    // A slot inside the named pictures is never painted over.
    g.Tanks[0].BodySprite = 3;
    MarkAppearanceChanged(g, 0);
    EXPECT_EQ(pictures.Refresh(g, Sprites, Masks), 0);
    EXPECT_EQ(Sprites.Image(3).At(5, 2), Rgb(0, 0, 105));
}
