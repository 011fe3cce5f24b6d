#include <gtest/gtest.h>

#include "core/image.h"
#include "render/explosions.h"

namespace {

// In frame f of the sheet green is 10 * f, red 100 plus the column within
// the frame and blue the row, so a picture shows where its pixels came from.
TImage Sheet(int width, int height) {
    TImage s(width, height);
    const int w = width / ExplosionFrames;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            s.Set(x, y, Rgb(100 + x % w, 10 * (x / w), y % 150));
    return s;
}

} // namespace

TEST(ExplosionPictures, ThreeSetsOfThirteenFromOneSheet) {
    TImage sheet = Sheet(1300, 100);
    sheet.Set(5, 7, Rgb(200, 150, 30));     // frame 0
    sheet.Set(1290, 3, Rgb(250, 240, 230)); // frame 12, column 90
    sheet.Set(6, 7, Rgb(0, 3, 9));          // rounds up: 3.9, 11.7
    TImageList list;
    list.Add(TImage(4, 4), "old");
    ASSERT_TRUE(BuildExplosionPictures(sheet, list));
    ASSERT_EQ(list.Count(), 39);
    for (int i = 0; i < 39; ++i) {
        const int size = i >= 13 && i < 26 ? 50 : 100;
        EXPECT_EQ(list.Width(i), size) << "picture " << i;
        EXPECT_EQ(list.Height(i), size) << "picture " << i;
        // The sheet's black around the fire is not drawn.
        EXPECT_EQ(list.Entry(i)->Transparent, clBlack) << "picture " << i;
    }
    EXPECT_EQ(list.IndexOf("old"), -1);

    // Full size: the frames as cut.
    for (int f = 0; f < 13; ++f) {
        EXPECT_EQ(list.Image(f).At(0, 0), Rgb(100, 10 * f, 0)) << "frame " << f;
        EXPECT_EQ(list.Image(f).At(99, 99), Rgb(199, 10 * f, 99)) << "frame " << f;
        EXPECT_EQ(list.Image(f).At(40, 60), sheet.At(100 * f + 40, 60)) << "frame " << f;
    }
    EXPECT_EQ(list.Image(0).At(5, 7), Rgb(200, 150, 30));

    // Half size: the same frames shrunk.
    for (int f = 0; f < 13; ++f) {
        const TImage& half = list.Image(13 + f);
        EXPECT_EQ(GreenOf(half.At(25, 25)), 10 * f) << "frame " << f;
        // Corner to corner: the whole frame, not its top left quarter.
        EXPECT_EQ(half.At(0, 0), Rgb(100, 10 * f, 0));
        EXPECT_GE(RedOf(half.At(49, 49)), 197);
        EXPECT_GE(BlueOf(half.At(49, 49)), 97);
    }

    // The BFG's: played backwards and greened.
    for (int k = 0; k < 13; ++k) {
        const int f = 12 - k;
        EXPECT_EQ(list.Image(26 + k).At(0, 20), Rgb(26, 13 * f, 26)) << "picture " << 26 + k;
    }
    EXPECT_EQ(list.Image(38).At(5, 7), Rgb(39, 195, 39));
    EXPECT_EQ(list.Image(38).At(6, 7), Rgb(12, 4, 12));
    EXPECT_EQ(list.Image(26).At(90, 3), Rgb(255, 255, 255)); // capped
    // The full-size frames themselves stay as they were.
    EXPECT_EQ(list.Image(12).At(90, 3), Rgb(250, 240, 230));
}

TEST(ExplosionPictures, OddWidthsAndTooNarrowSheets) {
    // 1310 wide: frames are 100 wide and the last 10 columns are never used.
    TImage sheet = Sheet(1300, 60);
    TImage wide(1310, 60, Rgb(1, 2, 3));
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 1300; ++x)
            wide.Set(x, y, sheet.At(x, y));
    TImageList list;
    ASSERT_TRUE(BuildExplosionPictures(wide, list));
    ASSERT_EQ(list.Count(), 39);
    EXPECT_EQ(list.Width(12), 100);
    EXPECT_EQ(list.Height(12), 60);
    EXPECT_EQ(list.Width(25), 50);
    EXPECT_EQ(list.Height(25), 30);
    for (int y = 0; y < 60; ++y) {
        EXPECT_EQ(list.Image(12).At(99, y), sheet.At(1299, y));
        EXPECT_EQ(list.Image(0).At(0, y), sheet.At(0, y));
    }
    for (int i = 0; i < 13; ++i)
        for (uint32_t c : list.Image(i).Pixels)
            ASSERT_NE(c, Rgb(1, 2, 3)) << "picture " << i;

    // Thirteen columns make thirteen frames of one; twelve make nothing.
    TImageList small;
    ASSERT_TRUE(BuildExplosionPictures(TImage(13, 2, Rgb(10, 20, 30)), small));
    EXPECT_EQ(small.Count(), 39);
    EXPECT_EQ(small.Width(13), 1);
    EXPECT_EQ(small.Height(13), 1);

    TImageList kept;
    kept.Add(TImage(8, 8), "keep");
    EXPECT_FALSE(BuildExplosionPictures(TImage(12, 100), kept));
    EXPECT_FALSE(BuildExplosionPictures(TImage(), kept));
    ASSERT_EQ(kept.Count(), 1);
    EXPECT_EQ(kept.IndexOf("keep"), 0);
}
