#include <gtest/gtest.h>

#include "core/colours.h"

TEST(HsbToRgb, CornersOfTheColourModel) {
    EXPECT_EQ(HsbToRgb({0, 255, 255}), (TRgb{255, 0, 0}));
    EXPECT_EQ(HsbToRgb({512, 255, 128}), (TRgb{0, 128, 0}));
    EXPECT_EQ(HsbToRgb({0, 0, 512}), (TRgb{255, 255, 255})); // 257 before the clamp
    EXPECT_EQ(HsbToRgb({0, 0, 0}), (TRgb{0, 0, 0}));
    EXPECT_EQ(HsbToRgb({1536, 255, 255}), (TRgb{0, 0, 0})); // no hue at all
    EXPECT_EQ(HsbToRgb({1536, 0, 255}), (TRgb{128, 128, 128}));
    EXPECT_EQ(HsbToRgb({-5, 255, 255}), (TRgb{0, 0, 0}));
    // Each segment of the wheel, and grey halfway.
    EXPECT_EQ(HsbToRgb({128, 255, 255}), (TRgb{255, 128, 0}));
    EXPECT_EQ(HsbToRgb({767, 255, 255}), (TRgb{0, 255, 255}));
    EXPECT_EQ(HsbToRgb({1023, 255, 255}), (TRgb{0, 0, 255}));
    EXPECT_EQ(HsbToRgb({1279, 255, 255}), (TRgb{255, 0, 255}));
    EXPECT_EQ(HsbToRgb({0, 0, 255}), (TRgb{128, 128, 128}));
    // Every named colour's preset shows its swatch.
    const THsb presets[NamedColourCount] = {{0, 255, 0},     {0, 255, 255},    {128, 255, 255},
                                            {255, 255, 255}, {512, 255, 128},  {512, 255, 255},
                                            {767, 255, 255}, {1023, 255, 255}, {1279, 255, 255},
                                            {0, 0, 512},     {0, 0, 255}};
    for (int i = 0; i < NamedColourCount; ++i) {
        EXPECT_EQ(NamedColour(HsbToRgb(presets[i])), i) << ColourName(i);
        EXPECT_EQ(HsbToRgb(presets[i]), TeamRgb(i)) << ColourName(i);
    }
}

TEST(NamedColour, QuantisesEachChannel) {
    EXPECT_EQ(NamedColour({130, 130, 130}), 10);
    EXPECT_EQ(NamedColour({200, 60, 0}), 1);
    EXPECT_EQ(NamedColour({100, 100, 100}), 0);
    EXPECT_EQ(NamedColour({119, 137, 136}), 0); // (0, 255, 128) names nothing
    EXPECT_EQ(NamedColour({255, 136, 0}), 2);
    EXPECT_EQ(TeamRgb(-1), (TRgb{0, 0, 0}));
    EXPECT_EQ(TeamRgb(11), (TRgb{0, 0, 0}));
    EXPECT_STREQ(ColourName(99), "Black");
    EXPECT_STREQ(ColourName(6), "Cyan");
}
