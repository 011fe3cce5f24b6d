#include <map>

#include "world/textures.h"
#include "world_support.h"

namespace {

// An image list in memory; bitmaps are made up from their file name.
class FakeImages : public ITextureImages {
  public:
    std::map<std::string, TImagePixels> Bitmaps; // by file name
    std::vector<TImagePixels> Images;
    std::vector<std::string> Names;
    int Clears = 0;
    bool Finished = false;

    bool LoadBitmap(const std::string& path, TImagePixels& out) override {
        const auto it = Bitmaps.find(std::filesystem::path(path).filename().string());
        if (it == Bitmaps.end()) return false;
        out = it->second;
        return true;
    }
    void AddImage(const TImagePixels& image, const std::string& name) override {
        Images.push_back(image);
        Names.push_back(name);
    }
    void Clear() override {
        ++Clears;
        Images.clear();
        Names.clear();
    }
    void Finish() override { Finished = true; }
};

// w x h, every pixel a different value.
TImagePixels Numbered(int w, int h) {
    TImagePixels p;
    p.Width = w;
    p.Height = h;
    for (int i = 0; i < w * h; ++i)
        p.Pixels.push_back(static_cast<uint32_t>(i + 1));
    return p;
}

struct ParsedList {
    bool Ok;
    std::vector<TTextureEntry> Entries;
    std::string Error, Warning;
};

ParsedList ParseList(const std::string& text) {
    ParsedList p;
    p.Ok = ParseTextureList(text, "TextureList.txt", p.Entries, p.Error, p.Warning);
    return p;
}

} // namespace

TEST(TurnTexture, MovesEveryPixelAsTheTurnsSay) {
    const TImagePixels src = Numbered(3, 2);
    const TImagePixels ccw = TurnTexture(src, 1);
    const TImagePixels half = TurnTexture(src, 2);
    const TImagePixels cw = TurnTexture(src, 3);
    ASSERT_EQ(ccw.Width, 2);
    ASSERT_EQ(ccw.Height, 3);
    ASSERT_EQ(cw.Width, 2);
    ASSERT_EQ(half.Width, 3);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(ccw.At(y, 3 - 1 - x), src.At(x, y));
            EXPECT_EQ(half.At(3 - 1 - x, 2 - 1 - y), src.At(x, y));
            EXPECT_EQ(cw.At(2 - 1 - y, x), src.At(x, y));
        }
    // The top-right corner turns to the top-left counter-clockwise.
    EXPECT_EQ(ccw.At(0, 0), src.At(2, 0));
    EXPECT_EQ(TurnTexture(TurnTexture(src, 1), 3).Pixels, src.Pixels);
    EXPECT_EQ(TurnTexture(src, -1).Pixels, cw.Pixels);
}

TEST(TurnTexture, ABrokenPictureTurnsIntoNothing) {
    TImagePixels bad = Numbered(3, 2);
    bad.Pixels.pop_back();
    EXPECT_FALSE(TurnTexture(bad, 1).Valid());
}

TEST(ParseTextureList, ReadsNameKindFrictionGrip) {
    const ParsedList p = ParseList("grass 0 1.5 0.8\r\n\r\nwall 2 1 1\r\nice 4 0.1 -2.5e-1\x1a"
                                   "oops");
    ASSERT_TRUE(p.Ok) << p.Error;
    ASSERT_EQ(p.Entries.size(), 3u);
    EXPECT_EQ(p.Entries[1].Name, "wall");
    EXPECT_EQ(p.Entries[1].Kind, 2);
    EXPECT_DOUBLE_EQ(p.Entries[0].Friction, 1.5);
    EXPECT_DOUBLE_EQ(p.Entries[0].Grip, 0.8);
    EXPECT_DOUBLE_EQ(p.Entries[2].Grip, -0.25);
    EXPECT_TRUE(p.Warning.empty());
}

TEST(ParseTextureList, AFaultyLineRefusesTheList) {
    const struct {
        const char* Text;
        const char* Says;
    } cases[] = {
        {"grass 0 1 1\r\nwall 2 1", "line 2: expected four fields"},
        {"grass 0 1 1 1", "line 1: expected four fields"},
        {"grass x 1 1", "line 1: the kind \"x\""},
        {"grass 0 1,5 1", "line 1: the friction \"1,5\""},
        {"grass 0 1 nan", "line 1: the grip \"nan\""},
        {"grass 0 1 inf", "line 1: the grip"},
        {"grass 0 1e999 1", "line 1: the friction"},
    };
    for (const auto& c : cases) {
        const ParsedList p = ParseList(c.Text);
        EXPECT_FALSE(p.Ok) << c.Text;
        EXPECT_NE(p.Error.find(std::string("TextureList.txt, ") + c.Says), std::string::npos)
            << p.Error;
    }
}

TEST(ParseTextureList, KeepsTheFirst1024Textures) {
    std::string text;
    for (int i = 0; i < 1030; ++i)
        text += "t" + std::to_string(i) + " 0 1 1\r\n";
    const ParsedList p = ParseList(text);
    ASSERT_TRUE(p.Ok);
    EXPECT_EQ(p.Entries.size(), 1024u);
    EXPECT_EQ(p.Entries.back().Name, "t1023");
    EXPECT_NE(p.Warning.find("line 1025"), std::string::npos) << p.Warning;
}

TEST(LoadTextures, BuildsFourTurnedImagesPerTexture) {
    WorldRig rig;
    Game& g = rig.g();
    rig.Folder.Write("TextureList.txt", "grass 0 1 0.9\r\nrock 2 2 0.5\r\n");
    FakeImages images;
    images.Bitmaps["grass.bmp"] = Numbered(4, 4);
    images.Bitmaps["rock.bmp"] = Numbered(3, 2);
    ASSERT_TRUE(LoadTextures(g, images));
    EXPECT_TRUE(rig.TheUi.Boxes.empty());
    EXPECT_EQ(g.TextureCount, 2);
    EXPECT_EQ(g.TerrainKind[1], tkWall);
    EXPECT_DOUBLE_EQ(g.Friction[1], 2);
    EXPECT_DOUBLE_EQ(g.Grip[0], 0.9);
    ASSERT_EQ(images.Images.size(), 8u);
    EXPECT_EQ(images.Names, (std::vector<std::string>{"grass", "", "", "", "rock", "", "", ""}));
    for (int r = 0; r < 4; ++r)
        EXPECT_EQ(images.Images[4 + r].Pixels, TurnTexture(Numbered(3, 2), r).Pixels);
    EXPECT_TRUE(images.Finished);
}

TEST(LoadTextures, AMissingBitmapGetsAStandIn) {
    WorldRig rig;
    rig.Folder.Write("TextureList.txt", "grass 0 1 1\r\nlava 3 1 1");
    FakeImages images;
    images.Bitmaps["grass.bmp"] = Numbered(2, 2);
    ASSERT_TRUE(LoadTextures(rig.g(), images));
    ASSERT_EQ(images.Images.size(), 8u);
    EXPECT_TRUE(images.Images[5].Valid());
    EXPECT_EQ(rig.g().TextureCount, 2);
    ASSERT_EQ(rig.TheUi.Boxes.size(), 1u);
    EXPECT_NE(rig.TheUi.Boxes[0].find("lava.bmp"), std::string::npos);
}

TEST(LoadTextures, AFaultyListChangesNothing) {
    WorldRig rig;
    Game& g = rig.g();
    rig.Folder.Write("TextureList.txt", "grass 0 1 1\r\nrock two 1 1");
    FakeImages images;
    EXPECT_FALSE(LoadTextures(g, images));
    EXPECT_EQ(images.Clears, 0);
    EXPECT_EQ(g.TextureCount, 6); // the tables the rig set up
    ASSERT_EQ(rig.TheUi.Boxes.size(), 1u);
    EXPECT_NE(rig.TheUi.Boxes[0].find("TextureList.txt, line 2"), std::string::npos)
        << rig.TheUi.Boxes[0];

    std::filesystem::remove(rig.Folder.File("TextureList.txt"));
    EXPECT_FALSE(LoadTextures(g, images));
    EXPECT_EQ(g.TextureCount, 6);
}
