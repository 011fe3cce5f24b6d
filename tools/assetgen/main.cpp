// moor_assetgen: draws and synthesises every picture and sound of the game
// into the program folder.
//
//   moor_assetgen OUT_DIR DATA_DIR WORK_DIR
//       all assets into OUT_DIR; the texture names come from
//       DATA_DIR/TextureList.txt; the contact sheet (and scratch files) go
//       to WORK_DIR, the program's icons to WORK_DIR/icons.
//   moor_assetgen --render-map DATA_DIR MAP_FILE OUT.png [CELL_PX]
//       a picture of a map drawn with the textures.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "assets.h"
#include "core/asset_names.h"

namespace {

bool Fail(const std::string& message) {
    std::fprintf(stderr, "moor_assetgen: %s\n", message.c_str());
    return false;
}

bool MakeTextures(const std::string& dataDir, std::vector<TNamedImage>& out) {
    std::vector<TTextureEntry> list;
    std::string error;
    if (!ReadTextureList(dataDir + "/TextureList.txt", list, error)) return Fail(error);
    for (const TTextureEntry& e : list) {
        TNamedImage t{e.Name, {}};
        if (!MakeTexture(e.Name, t.Image))
            return Fail("no drawing for texture \"" + e.Name + "\" in TextureList.txt");
        out.push_back(std::move(t));
    }
    return true;
}

bool Generate(const std::string& outDir, const std::string& dataDir, const std::string& workDir) {
    std::filesystem::create_directories(outDir);
    std::filesystem::create_directories(workDir);
    std::string error;
    auto bmp = [&](const std::string& name, const TRgbImage& img) {
        return WriteBmp24(outDir + "/" + name + ".bmp", img, error) || Fail(error);
    };

    TArtBook art;
    art.Sprites = MakeVehicleSprites();
    for (TRgbImage& s : MakeSmallSprites())
        art.Sprites.push_back(std::move(s));
    if (art.Sprites.size() != SpriteList.size())
        return Fail("sprite count differs from the sprite list");
    for (size_t i = 0; i < SpriteList.size(); ++i) {
        const TSpriteInfo& info = SpriteList[i];
        if (art.Sprites[i].Width != info.Width || art.Sprites[i].Height != info.Height)
            return Fail("sprite " + std::string(info.Name) + " drawn at the wrong size");
        if (!bmp(std::string(info.Name), art.Sprites[i])) return false;
    }

    art.Masks = MakePatternMasks();
    for (int i = 0; i < PatternMaskCount; ++i)
        if (!WriteBmp1(outDir + "/" + std::string(PatternMaskNames[i]) + ".bmp", art.Masks[i],
                       error))
            return Fail(error);

    if (!MakeTextures(dataDir, art.Textures)) return false;
    for (const TNamedImage& t : art.Textures)
        if (!bmp(t.Name, t.Image)) return false;

    art.Explosion = MakeExplosion();
    if (!bmp("explosion", art.Explosion)) return false;

    art.Ui = MakeUiPictures(art);
    for (const TNamedImage& p : art.Ui)
        if (!bmp(p.Name, p.Image)) return false;

    const std::vector<TWave> sounds = MakeSounds(workDir);
    for (size_t i = 0; i < SoundList.size(); ++i)
        if (!WriteWav(outDir + "/" + std::string(SoundList[i]) + ".wav", sounds[i], error))
            return Fail(error);

    if (!WriteIcons(workDir + "/icons", error)) return Fail(error);
    return WritePng(workDir + "/asset_contact_sheet.png", MakeContactSheet(art), error) ||
           Fail(error);
}

bool RenderMapFile(const std::string& dataDir, const std::string& mapPath,
                   const std::string& outPath, int cellPx) {
    std::vector<TNamedImage> textures;
    if (!MakeTextures(dataDir, textures)) return false;
    TRgbImage picture;
    std::string error;
    if (!RenderMap(mapPath, textures, cellPx, picture, error)) return Fail(error);
    return WritePng(outPath, picture, error) || Fail(error);
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 5 && std::string(argv[1]) == "--render-map") {
        const int cellPx = argc >= 6 ? std::atoi(argv[5]) : 16;
        if (cellPx < 1 || cellPx > 64) return Fail("CELL_PX must be 1..64"), 2;
        return RenderMapFile(argv[2], argv[3], argv[4], cellPx) ? 0 : 1;
    }
    if (argc != 4) {
        std::fprintf(stderr,
                     "usage: moor_assetgen OUT_DIR DATA_DIR WORK_DIR\n"
                     "       moor_assetgen --render-map DATA_DIR MAP_FILE OUT.png [CELL_PX]\n");
        return 2;
    }
    return Generate(argv[1], argv[2], argv[3]) ? 0 : 1;
}
