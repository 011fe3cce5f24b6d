#include "platform/bitmap_file.h"

#include <SDL2/SDL.h>
#include <stb/stb_image_write.h>

#include <algorithm>
#include <cctype>
#include <vector>

namespace {

// Larger than any picture the game ships; a header claiming more is broken.
constexpr int MaxSide = 16384;

} // namespace

std::string SdlBitmapReader::ReadBitmap(const std::string& path, TImage& out) {
    const std::string failed = "Cannot open file " + path;
    SDL_Surface* loaded = SDL_LoadBMP(path.c_str());
    if (!loaded) return failed;
    SDL_Surface* s = nullptr;
    if (loaded->w > 0 && loaded->h > 0 && loaded->w <= MaxSide && loaded->h <= MaxSide)
        s = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ABGR8888, 0);
    SDL_FreeSurface(loaded);
    if (!s) return failed;
    TImage image(s->w, s->h);
    SDL_LockSurface(s);
    for (int y = 0; y < s->h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(s->pixels) +
                                                            size_t(y) * s->pitch);
        for (int x = 0; x < s->w; ++x)
            image.Pixels[size_t(y) * s->w + x] = row[x] & 0xFFFFFF;
    }
    SDL_UnlockSurface(s);
    SDL_FreeSurface(s);
    out = std::move(image);
    return {};
}

bool SaveImageFile(const TImage& image, const std::string& path, std::string* error) {
    auto fail = [&](const std::string& why) {
        if (error) *error = why;
        return false;
    };
    if (image.Width <= 0 || image.Height <= 0 ||
        image.Pixels.size() != size_t(image.Width) * image.Height)
        return fail("Nothing to save in " + path);
    std::vector<uint8_t> rgb(image.Pixels.size() * 3);
    for (size_t i = 0; i < image.Pixels.size(); ++i) {
        uint32_t p = image.Pixels[i];
        rgb[3 * i] = uint8_t(p);
        rgb[3 * i + 1] = uint8_t(p >> 8);
        rgb[3 * i + 2] = uint8_t(p >> 16);
    }
    std::string ext = path.size() >= 4 ? path.substr(path.size() - 4) : "";
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    const int ok = ext == ".bmp"
                       ? stbi_write_bmp(path.c_str(), image.Width, image.Height, 3, rgb.data())
                       : stbi_write_png(path.c_str(), image.Width, image.Height, 3, rgb.data(),
                                        image.Width * 3);
    return ok ? true : fail("Cannot write file " + path);
}
