#include "render/explosions.h"

#include <algorithm>
#include <cmath>

namespace {

TImage Crop(const TImage& src, int left, int width) {
    TImage out(width, src.Height);
    for (int y = 0; y < src.Height; ++y)
        for (int x = 0; x < width; ++x)
            out.Set(x, y, src.At(left + x, y));
    return out;
}

TImage Stretch(const TImage& src, int width, int height) {
    TImage out(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            out.Set(x, y, src.At(x * src.Width / width, y * src.Height / height));
    return out;
}

// Fire turns green: red takes blue's value, then everything a bit brighter
// (halves round to even, as everywhere in the game).
uint32_t Greened(uint32_t c) {
    auto up = [](int v) { return std::min(255, static_cast<int>(std::nearbyint(v * 1.3))); };
    const int b = BlueOf(c);
    return Rgb(up(b), up(GreenOf(c)), up(b));
}

} // namespace

bool BuildExplosionPictures(const TImage& sheet, TImageList& list) {
    const int w = sheet.Valid() ? sheet.Width / ExplosionFrames : 0;
    if (w <= 0) return false;
    list.Clear();
    for (int i = 0; i < ExplosionFrames; ++i)
        list.Add(Crop(sheet, i * w, w), {}, clBlack);
    const int halfW = std::max(1, w / 2);
    const int halfH = std::max(1, sheet.Height / 2);
    for (int i = 0; i < ExplosionFrames; ++i)
        list.Add(Stretch(list.Image(i), halfW, halfH), {}, clBlack);
    for (int i = 0; i < ExplosionFrames; ++i) {
        TImage p = list.Image(ExplosionFrames - 1 - i);
        for (uint32_t& c : p.Pixels)
            c = Greened(c);
        list.Add(std::move(p), {}, clBlack);
    }
    return true;
}
