// The appearance editor: the colour boxes' values at their edges and while
// dragging, their pictures, the named-colour chooser and "Random".
#include <gtest/gtest.h>

#include "core/colours.h"
#include "fakes/fakes.h"
#include "frontend/appearance_editor.h"

namespace {

struct EditorRig : TestRig {
    TApplication App;
    TStartForm Form{App, g()};
    TAppearanceEditor Editor{Form};
    TTankSetup& Setup() { return g().Start.TankSetups[Form.EditedSetup]; }
};

TRgb PixelOf(const TImage& pic, int x, int y) {
    const uint32_t p = pic.At(x, y);
    return {uint8_t(RedOf(p)), uint8_t(GreenOf(p)), uint8_t(BlueOf(p))};
}

} // namespace

TEST(ColourBoxes, ValuesRunFromTopToBottomAndAcrossTheStrip) {
    EXPECT_EQ(SaturationAt(0, LevelBoxHeight), 255);
    EXPECT_EQ(SaturationAt(LevelBoxHeight, LevelBoxHeight), 0);
    EXPECT_EQ(BrightnessAt(0, LevelBoxHeight), 511);
    EXPECT_EQ(BrightnessAt(LevelBoxHeight - 1, LevelBoxHeight), 6);
    EXPECT_EQ(HueAt(0, HueBoxWidth), 0);
    EXPECT_EQ(HueAt(HueBoxWidth - 1, HueBoxWidth), 1526);
    EXPECT_EQ(HueAt(HueBoxWidth, HueBoxWidth), 1536);
    // Marker places: the ends of each range.
    EXPECT_EQ(SaturationMarkerRow(255, LevelBoxHeight), 0);
    EXPECT_EQ(SaturationMarkerRow(0, LevelBoxHeight), LevelBoxHeight);
    EXPECT_EQ(BrightnessMarkerRow(511, LevelBoxHeight), 0);
    EXPECT_EQ(HueMarkerColumn(1536, HueBoxWidth), HueBoxWidth);
}

TEST(ColourBoxes, DraggingPastTheEdgesKeepsTheRangesAndHue1536IsBlack) {
    EditorRig rig;
    TAppearanceEditor& e = rig.Editor;
    rig.Setup().Colour1 = {100, 100, 100};
    rig.Setup().Colour2 = {200, 200, 200};
    e.Repaint();
    // Right half of the saturation box: the second colour.
    e.BoxMouseDown(boxSaturation, LevelBoxWidth - 1, 44);
    EXPECT_TRUE(e.Dragging());
    EXPECT_EQ(rig.Setup().Colour2.Saturation, SaturationAt(44, LevelBoxHeight));
    EXPECT_EQ(rig.Setup().Colour1.Saturation, 100);
    e.MouseMove(40, -300); // far above and beside: only the height counts
    EXPECT_EQ(rig.Setup().Colour2.Saturation, 255);
    e.MouseMove(-40, 500);
    EXPECT_EQ(rig.Setup().Colour2.Saturation, 0);
    // The boxes wait for the release; the table does not.
    e.Repaint();
    EXPECT_EQ(e.BoxColour2.Saturation, 200);
    EXPECT_FALSE(rig.Setup().Changed);
    e.MouseUp();
    EXPECT_FALSE(e.Dragging());
    EXPECT_EQ(e.BoxColour2.Saturation, 0);
    EXPECT_TRUE(rig.Setup().Changed);

    // Brightness in the left half: the first colour, up to 511 only.
    e.BoxMouseDown(boxBrightness, 0, 0);
    EXPECT_EQ(rig.Setup().Colour1.Brightness, 511);
    e.MouseMove(0, -50);
    EXPECT_EQ(rig.Setup().Colour1.Brightness, 511);
    e.MouseMove(0, 1000);
    EXPECT_EQ(rig.Setup().Colour1.Brightness, 0);
    e.MouseUp();

    // The hue strip's lower half is the second colour; past its right end
    // the hue is 1536, which has no hue: black at full saturation.
    rig.Setup().Colour2 = {0, 255, 255};
    e.BoxMouseDown(boxHue, 10, HueBoxHeight - 1);
    e.MouseMove(HueBoxWidth + 80, 0);
    EXPECT_EQ(rig.Setup().Colour2.Hue, 1536);
    EXPECT_EQ(HsbToRgb(rig.Setup().Colour2), (TRgb{0, 0, 0}));
    e.MouseMove(-5, 0);
    EXPECT_EQ(rig.Setup().Colour2.Hue, 0);
    e.MouseUp();
    // A press outside a box starts nothing.
    e.BoxMouseDown(boxHue, HueBoxWidth, 0);
    EXPECT_FALSE(e.Dragging());
}

TEST(ColourBoxes, ADragLetGoOutsideItsBoxStillReachesTheRunningMatch) {
    EditorRig rig;
    rig.Editor.BoxMouseDown(boxHue, 30, 0);
    rig.Editor.MouseMove(200, 0);
    rig.Editor.MouseUp();
    EXPECT_TRUE(rig.Setup().Changed);
    // A press that moves nothing is no edit of its own... but it set the
    // value where it was pressed, which is one.
    rig.Setup().Changed = false;
    rig.Editor.BoxMouseDown(boxSaturation, 0, 0);
    rig.Editor.MouseUp();
    EXPECT_TRUE(rig.Setup().Changed);
}

TEST(ColourBoxes, PicturesShowEachRowsValueAndWhiteBesideTheMarkers) {
    const THsb red{0, 255, 255}, grey{0, 0, 255};
    const TImage sat = PaintLevelBox(boxSaturation, red, grey);
    ASSERT_EQ(sat.Width, LevelBoxWidth);
    ASSERT_EQ(sat.Height, LevelBoxHeight);
    // Red's marker at row 0: row 1 is white, row 2 full red... nearly.
    EXPECT_EQ(PixelOf(sat, 0, 1), (TRgb{255, 255, 255}));
    EXPECT_EQ(PixelOf(sat, 0, 0), HsbToRgb({0, 255, 255}));
    EXPECT_EQ(PixelOf(sat, 0, 44), HsbToRgb({0, SaturationAt(44, LevelBoxHeight), 255}));
    // Grey (saturation 0) marks row 89: only row 88 shows it.
    EXPECT_EQ(PixelOf(sat, LevelBoxWidth - 1, LevelBoxHeight - 1), (TRgb{255, 255, 255}));
    EXPECT_EQ(PixelOf(sat, LevelBoxWidth - 1, 0), HsbToRgb({0, 255, 255}));
    const TImage bright = PaintLevelBox(boxBrightness, red, grey);
    EXPECT_EQ(PixelOf(bright, 0, LevelBoxHeight - 1), HsbToRgb({0, 255, 6}));
    // The hue strip: Colour1's marker above, Colour2's below.
    const TImage hue = PaintHueBox({768, 255, 255}, {0, 255, 255});
    const int m = HueMarkerColumn(768, HueBoxWidth);
    EXPECT_EQ(PixelOf(hue, m - 1, 0), (TRgb{255, 255, 255}));
    EXPECT_EQ(PixelOf(hue, m + 1, 0), (TRgb{255, 255, 255}));
    EXPECT_EQ(PixelOf(hue, m - 1, HueBoxHeight - 1), HueStripColour(m - 1, HueBoxWidth));
    EXPECT_EQ(PixelOf(hue, 1, HueBoxHeight - 1), (TRgb{255, 255, 255}));
    EXPECT_EQ(PixelOf(hue, 0, 0), (TRgb{255, 0, 0}));
}

TEST(ColourChooser, WrapsRoundAndPutsThePresetIntoTheFirstColour) {
    EditorRig rig;
    TAppearanceEditor& e = rig.Editor;
    e.ColourSelectChange(-1);
    EXPECT_EQ(rig.Form.ColourSelect, 10);
    EXPECT_EQ(rig.Setup().Colour1.Brightness, 255);
    EXPECT_EQ(rig.Setup().Colour1.Saturation, 0);
    EXPECT_TRUE(rig.Setup().Changed);
    e.ColourSelectChange(11);
    EXPECT_EQ(rig.Form.ColourSelect, 0);
    // White is brighter than a box can drag: 512, shown pure white.
    e.ColourSelectChange(9);
    EXPECT_EQ(rig.Setup().Colour1.Brightness, 512);
    EXPECT_EQ(HsbToRgb(rig.Setup().Colour1), (TRgb{255, 255, 255}));
    EXPECT_EQ(e.BoxColour1.Brightness, 512);
    // Every preset reads back as its own name.
    for (int i = 0; i < NamedColourCount; ++i)
        EXPECT_EQ(NamedColour(HsbToRgb(NamedColourPreset(i))), i) << ColourName(i);
    // While a set-up is being shown, the chooser follows without writing.
    rig.Form.Showing = true;
    e.ColourSelectChange(1);
    rig.Form.Showing = false;
    EXPECT_EQ(rig.Setup().Colour1.Brightness, 512);
}

TEST(RandomLook, StaysInsideTheRangesKeepsTheNameAndShowsTheResult) {
    EditorRig rig;
    rig.Form.NameChange("Mabel");
    bool sawEachSort[3] = {}, sawNone = false;
    for (int i = 0; i < 200; ++i) {
        rig.Editor.RandomClick();
        const TTankSetup& s = rig.Setup();
        for (const THsb& c : {s.Colour1, s.Colour2}) {
            EXPECT_GE(c.Hue, 0);
            EXPECT_LE(c.Hue, 1535);
            EXPECT_LE(c.Saturation, 255);
            EXPECT_GE(c.Brightness, 64);
            EXPECT_LE(c.Brightness, 511);
        }
        EXPECT_GE(s.Pattern, -1);
        EXPECT_LE(s.Pattern, 6);
        sawNone |= s.Pattern == -1;
        sawEachSort[s.Sort / 5] = true;
        EXPECT_EQ(rig.Form.PatternIndex, s.Pattern + 1);
        EXPECT_EQ(rig.Form.ColourSelect, NamedColour(HsbToRgb(s.Colour1)));
    }
    EXPECT_TRUE(sawNone);
    EXPECT_TRUE(sawEachSort[0] && sawEachSort[1] && sawEachSort[2]);
    EXPECT_EQ(rig.Setup().Name, "Mabel");
    EXPECT_TRUE(rig.Setup().Changed);
}

TEST(RandomLook, OnlyAPatternChangeIsHandedToARunningMatch) {
    EditorRig rig;
    rig.Form.SortChange(2);
    EXPECT_EQ(rig.Setup().Sort, sortHummer);
    EXPECT_FALSE(rig.Setup().Changed) << "a match keeps its vehicles' sorts";
    rig.Form.PatternChange(rig.Form.PatternIndex);
    EXPECT_FALSE(rig.Setup().Changed);
    rig.Form.PatternChange(3);
    EXPECT_EQ(rig.Setup().Pattern, 2);
    EXPECT_TRUE(rig.Setup().Changed);
}
