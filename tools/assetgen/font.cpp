// Text for the title picture and the contact-sheet labels, rendered from the
// DejaVu font that the build machine carries anyway.
#include <cmath>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>

#include <stb/stb_truetype.h>

#include "assets.h"

namespace {

struct TFont {
    std::vector<unsigned char> Data;
    stbtt_fontinfo Info{};
    bool Ok = false;
};

const TFont& Font(bool bold) {
    static std::map<bool, std::unique_ptr<TFont>> fonts;
    auto& slot = fonts[bold];
    if (!slot) {
        slot = std::make_unique<TFont>();
        const char* path = bold ? "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
                                : "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
        std::ifstream f(path, std::ios::binary);
        slot->Data.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
        slot->Ok = !slot->Data.empty() && stbtt_InitFont(&slot->Info, slot->Data.data(), 0) != 0;
    }
    return *slot;
}

} // namespace

int TextWidth(std::string_view text, float pixelHeight, bool bold) {
    const TFont& font = Font(bold);
    if (!font.Ok) return 0;
    const float scale = stbtt_ScaleForPixelHeight(&font.Info, pixelHeight);
    float x = 0;
    for (char ch : text) {
        int advance = 0, lsb = 0;
        stbtt_GetCodepointHMetrics(&font.Info, static_cast<unsigned char>(ch), &advance, &lsb);
        x += advance * scale;
    }
    return int(std::ceil(x));
}

void DrawText(TRgbImage& image, int x, int baseline, std::string_view text, float pixelHeight,
              TRgb colour, bool bold) {
    const TFont& font = Font(bold);
    if (!font.Ok) return;
    const float scale = stbtt_ScaleForPixelHeight(&font.Info, pixelHeight);
    float pen = float(x);
    for (char ch : text) {
        const int cp = static_cast<unsigned char>(ch);
        int advance = 0, lsb = 0, w = 0, h = 0, xoff = 0, yoff = 0;
        stbtt_GetCodepointHMetrics(&font.Info, cp, &advance, &lsb);
        unsigned char* glyph =
            stbtt_GetCodepointBitmap(&font.Info, scale, scale, cp, &w, &h, &xoff, &yoff);
        const int gx = int(std::lround(pen)) + xoff, gy = baseline + yoff;
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i) {
                const int px = gx + i, py = gy + j;
                if (px < 0 || py < 0 || px >= image.Width || py >= image.Height) continue;
                const float a = glyph[j * w + i] / 255.0f;
                TRgb& p = image.At(px, py);
                p = {uint8_t(std::lround(p.R + (colour.R - p.R) * a)),
                     uint8_t(std::lround(p.G + (colour.G - p.G) * a)),
                     uint8_t(std::lround(p.B + (colour.B - p.B) * a))};
            }
        stbtt_FreeBitmap(glyph, nullptr);
        pen += advance * scale;
    }
}
