// One picture of all the art, for people to look at: every sprite, each
// vehicle painted in all patterns with two colour pairs, the textures, the
// explosion and the start-screen pictures.
#include <algorithm>
#include <cmath>

#include "assets.h"
#include "core/asset_names.h"

namespace {

constexpr TRgb SheetBack{58, 62, 56};
constexpr TRgb Label{220, 220, 200};

TRgbImage Zoom(const TRgbImage& src, int k) {
    TRgbImage out(src.Width * k, src.Height * k);
    for (int y = 0; y < out.Height; ++y)
        for (int x = 0; x < out.Width; ++x)
            out.At(x, y) = src.At(x / k, y / k);
    return out;
}

// A whole painted vehicle (shadows, body, turret on its mount) at 1:1.
TRgbImage PaintedVehicle(const TArtBook& art, int sort, int pattern, TRgb c1, TRgb c2) {
    TRgbImage out(64, 36, {92, 108, 70});
    DrawVehicle(out, art, sort, pattern, c1, c2, 6, 4, false);
    return out;
}

TRgbImage MaskPicture(const TBitImage& mask) {
    TRgbImage out(mask.Width, mask.Height);
    for (int y = 0; y < mask.Height; ++y)
        for (int x = 0; x < mask.Width; ++x)
            out.At(x, y) = mask.At(x, y) ? TRgb{240, 240, 240} : TRgb{40, 40, 60};
    return out;
}

const TRgbImage* FindTexture(const TArtBook& art, std::string_view name) {
    for (const TNamedImage& t : art.Textures)
        if (t.Name == name) return &t.Image;
    return nullptr;
}

// A little battlefield at 1:1, to judge the art at the size it is played.
TRgbImage Scene(const TArtBook& art) {
    const char* cells[4][7] = {{"Grass", "Meadow", "Grass", "Sand", "Water", "Water", "Brick"},
                               {"Road", "Road", "Road", "Road", "Sand", "Water", "Brick"},
                               {"Grass", "Base", "Grass", "Dirt", "Mud", "Snow", "Rock"},
                               {"Meadow", "Grass", "Spawn", "Dirt", "Ice", "Snow", "Rock"}};
    TRgbImage scene(7 * 64, 4 * 64);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 7; ++c)
            if (const TRgbImage* t = FindTexture(art, cells[r][c])) scene.Blit(*t, c * 64, r * 64);
    DrawVehicle(scene, art, 0, -1, {200, 40, 30}, {240, 220, 60}, 20, 74, false);
    DrawVehicle(scene, art, 0, 5, {236, 200, 50}, {30, 30, 30}, 150, 70, true);
    DrawVehicle(scene, art, 1, 2, {40, 150, 50}, {120, 90, 40}, 250, 20, false);
    DrawVehicle(scene, art, 2, 6, {40, 90, 210}, {240, 240, 240}, 200, 150, false);
    DrawVehicle(scene, art, 2, -1, {235, 235, 235}, {40, 40, 40}, 330, 200, true);
    scene.BlitKeyed(art.Sprites[28], 78, 154, FuchsiaKey);
    scene.BlitKeyed(art.Sprites[18], 140, 180, BlackKey);
    scene.BlitKeyed(art.Sprites[19], 360, 140, BlackKey);
    scene.BlitKeyed(art.Sprites[20], 300, 30, BlackKey);
    scene.BlitKeyed(art.Sprites[16], 100, 100, BlackKey);
    scene.BlitKeyed(art.Sprites[15], 120, 60, BlackKey);
    scene.BlitKeyed(art.Sprites[4], 20, 200, BlackKey);
    const int fw = art.Explosion.Width / ExplosionFrames;
    TRgbImage frame(fw, art.Explosion.Height);
    for (int y = 0; y < frame.Height; ++y)
        for (int x = 0; x < fw; ++x)
            frame.At(x, y) = art.Explosion.At(5 * fw + x, y);
    scene.BlitKeyed(frame, 8, 180, BlackKey);
    return scene;
}

void Title(TRgbImage& sheet, int x, int y, std::string_view text) {
    DrawText(sheet, x, y, text, 13, Label, true);
}

} // namespace

TRgbImage MakeContactSheet(const TArtBook& art) {
    TRgbImage sheet(1600, 2320, SheetBack);
    int y = 22;
    Title(sheet, 10, y, "Sprites (x3, transparent shown as the sheet background)");
    int x = 10, rowH = 0;
    y += 8;
    for (int i = 0; i < SpriteCount; ++i) {
        const TRgb key = SpriteList[i].Fuchsia ? FuchsiaKey : BlackKey;
        const TRgbImage big = Zoom(art.Sprites[i], 3);
        const int cellW = std::max(big.Width, TextWidth(SpriteList[i].Name, 11));
        if (x + cellW > sheet.Width - 10) {
            x = 10;
            y += rowH + 22;
            rowH = 0;
        }
        sheet.BlitKeyed(big, x, y, key);
        DrawText(sheet, x, y + big.Height + 13, SpriteList[i].Name, 11, Label);
        x += cellW + 14;
        rowH = std::max(rowH, big.Height);
    }
    y += rowH + 44;

    Title(sheet, 10, y,
          "Painted vehicles (x2): no pattern, then the seven patterns; two colour pairs");
    y += 8;
    const TRgb pairs[2][2] = {{{200, 40, 30}, {240, 220, 60}}, {{40, 90, 200}, {235, 235, 235}}};
    for (int sort = 0; sort < 3; ++sort)
        for (int pair = 0; pair < 2; ++pair) {
            x = 10;
            for (int pattern = -1; pattern < 7; ++pattern) {
                const TRgbImage v =
                    Zoom(PaintedVehicle(art, sort, pattern, pairs[pair][0], pairs[pair][1]), 2);
                sheet.Blit(v, x, y);
                x += v.Width + 6;
            }
            // The masks themselves beside the first row of each sort.
            if (pair == 0)
                for (int p = 0; p < 7; ++p)
                    sheet.Blit(Zoom(MaskPicture(art.Masks[sort * 7 + p]), 2), x + 10 + p * 92, y);
            y += 76;
        }
    y += 20;

    Title(sheet, 10, y, "Textures (1:1, each shown 2 x 2 to check the tiling)");
    y += 8;
    x = 10;
    for (const TNamedImage& t : art.Textures) {
        if (x + 128 > sheet.Width - 10) {
            x = 10;
            y += 128 + 24;
        }
        for (int j = 0; j < 2; ++j)
            for (int i = 0; i < 2; ++i)
                sheet.Blit(t.Image, x + i * 64, y + j * 64);
        DrawText(sheet, x, y + 128 + 13, t.Name, 11, Label);
        x += 128 + 14;
    }
    y += 128 + 40;

    Title(sheet, 10, y, "Explosion frames, and the green reversed set the game derives from them");
    y += 8;
    sheet.Blit(art.Explosion, 10, y);
    TRgbImage green = art.Explosion;
    const int fw = art.Explosion.Width / ExplosionFrames;
    for (int f = 0; f < ExplosionFrames; ++f)
        for (int yy = 0; yy < green.Height; ++yy)
            for (int xx = 0; xx < fw; ++xx) {
                TRgb p = art.Explosion.At((ExplosionFrames - 1 - f) * fw + xx, yy);
                p.R = p.B;
                auto up = [](uint8_t c) { return uint8_t(std::min(255L, std::lround(c * 1.3))); };
                green.At(f * fw + xx, yy) = {up(p.R), up(p.G), up(p.B)};
            }
    sheet.Blit(green, 10, y + art.Explosion.Height + 6);
    y += art.Explosion.Height * 2 + 30;

    Title(sheet, 10, y, "A scene at 1:1 (x2 beside it)");
    y += 8;
    const TRgbImage scene = Scene(art);
    sheet.Blit(scene, 10, y);
    sheet.Blit(Zoom(scene, 2), 10 + scene.Width + 14, y);
    y += scene.Height * 2 + 30;

    Title(sheet, 10, y, "Start-screen pictures");
    y += 8;
    x = 10;
    for (const TNamedImage& p : art.Ui) {
        const TRgbImage img =
            p.Image.Width > 300 ? p.Image.Scaled(p.Image.Width / 2, p.Image.Height / 2) : p.Image;
        sheet.Blit(img, x, y);
        DrawText(sheet, x, y + img.Height + 13, p.Name, 11, Label);
        x += std::max(img.Width, TextWidth(p.Name, 11)) + 14;
    }
    return sheet;
}
