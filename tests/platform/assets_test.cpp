// The sprite and sound lists loaded from the program folder.
#include <gtest/gtest.h>

#include <SDL2/SDL.h>

#include <cstdio>
#include <fstream>
#include <vector>

#include "core/asset_names.h"
#include "platform/bitmap_file.h"
#include "platform/game_assets.h"

namespace {

class RecordingUi : public Ui {
  public:
    std::vector<std::string> Boxes;
    void MessageBox(const std::string& text) override { Boxes.push_back(text); }
    void DebugLine(const std::string&) override {}
    void SetCaption(const std::string&) override {}
    void ConsoleLine(const std::string&) override {}
};

// Pictures from memory; one name can be made to fail.
class FakeReader : public BitmapReader {
  public:
    std::string Missing;
    std::vector<std::string> Asked;
    std::string ReadBitmap(const std::string& path, TImage& out) override {
        Asked.push_back(path);
        if (!Missing.empty() && path.ends_with(Missing)) return "Cannot open file " + path;
        out = TImage(int(Asked.size()), 2);
        return {};
    }
};

} // namespace

TEST(SpriteList, LoadsEveryNameInOrderWithItsTransparentColour) {
    FakeReader reader;
    RecordingUi ui;
    TImageList list;
    ASSERT_TRUE(LoadGameSprites(reader, "/game/", list, ui));
    ASSERT_EQ(list.Count(), SpriteCount);
    EXPECT_EQ(reader.Asked.front(), "/game/Tank.bmp");
    EXPECT_EQ(reader.Asked[spGuidedMissile], "/game/Guided missile.bmp");
    EXPECT_EQ(list.Entry(spCow)->Name, "Cow");
    EXPECT_EQ(list.Width(spAlarmLight), SpriteCount);
    EXPECT_EQ(list.Entry(spTank)->Transparent, clBlack);
    EXPECT_EQ(list.Entry(spWeaponIcons)->Transparent, clFuchsia);
    EXPECT_EQ(list.Entry(spCowShadow)->Transparent, clFuchsia);
    EXPECT_EQ(list.Entry(spAlarmLight)->Transparent, clBlack);
    EXPECT_TRUE(ui.Boxes.empty());
}

TEST(SpriteList, MissingFileIsReportedAndStopsTheLoading) {
    FakeReader reader;
    reader.Missing = "Mine.bmp";
    RecordingUi ui;
    TImageList list;
    EXPECT_FALSE(LoadGameSprites(reader, "/game/", list, ui));
    ASSERT_EQ(ui.Boxes.size(), 1u);
    EXPECT_EQ(ui.Boxes[0], "Cannot open file /game/Mine.bmp");
    EXPECT_EQ(list.Count(), spMine);
}

TEST(SoundList, MissingFolderIsReported) {
    TMixer mixer;
    RecordingUi ui;
    EXPECT_FALSE(LoadGameSounds("/no/such/folder/", mixer, ui));
    ASSERT_EQ(ui.Boxes.size(), 1u);
    EXPECT_EQ(ui.Boxes[0], "Cannot open file /no/such/folder/Diesel.wav");
}

TEST(BitmapFile, TwentyFourBitPixelsReadBack) {
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, 3, 2, 24, SDL_PIXELFORMAT_BGR24);
    ASSERT_NE(s, nullptr);
    SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, 0, 0, 0));
    SDL_Rect px{1, 0, 1, 1};
    SDL_FillRect(s, &px, SDL_MapRGB(s->format, 200, 150, 30));
    px = {2, 1, 1, 1};
    SDL_FillRect(s, &px, SDL_MapRGB(s->format, 255, 0, 255));
    const std::string path = testing::TempDir() + "bitmap_test.bmp";
    ASSERT_EQ(SDL_SaveBMP(s, path.c_str()), 0);
    SDL_FreeSurface(s);

    SdlBitmapReader reader;
    TImage image;
    ASSERT_EQ(reader.ReadBitmap(path, image), "");
    EXPECT_EQ(image.Width, 3);
    EXPECT_EQ(image.Height, 2);
    EXPECT_EQ(image.At(1, 0), Rgb(200, 150, 30));
    EXPECT_EQ(image.At(2, 1), uint32_t(clFuchsia));
    EXPECT_EQ(image.At(0, 0), 0u);
    std::remove(path.c_str());
}

TEST(BitmapFile, BrokenFileIsReportedAndChangesNothing) {
    const std::string path = testing::TempDir() + "broken.bmp";
    std::ofstream(path, std::ios::binary) << "BM\x7f\xff\xff\xff garbage";
    SdlBitmapReader reader;
    TImage image(1, 1, 5);
    EXPECT_EQ(reader.ReadBitmap(path, image), "Cannot open file " + path);
    EXPECT_EQ(reader.ReadBitmap("/no/such.bmp", image), "Cannot open file /no/such.bmp");
    EXPECT_EQ(image.At(0, 0), 5u);
    std::remove(path.c_str());
}

TEST(ImageList, PutGrowsAndGuardsItsIndex) {
    TImageList list;
    EXPECT_TRUE(list.Put(3, TImage(2, 2)));
    EXPECT_EQ(list.Count(), 4);
    EXPECT_EQ(list.Width(1), 0);
    EXPECT_FALSE(list.Put(-1, TImage(2, 2)));
    EXPECT_FALSE(list.Put(TImageList::MaxCount, TImage(2, 2)));
    EXPECT_EQ(list.Entry(4), nullptr);
    EXPECT_EQ(list.Image(-7).Width, 0);
    const uint64_t before = list.Entry(3)->Serial;
    list.Put(3, TImage(2, 2));
    EXPECT_NE(list.Entry(3)->Serial, before);
}
