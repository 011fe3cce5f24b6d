#include "platform/text.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <charconv>
#include <vector>

#include "platform/program_folder.h"
#include "world/game_folders.h"

namespace {

constexpr size_t MaxCachedLines = 512;
constexpr size_t MaxCachedSizes = 2048;

bool FileExists(const std::string& path) {
    SDL_RWops* f = SDL_RWFromFile(path.c_str(), "rb");
    if (!f) return false;
    SDL_RWclose(f);
    return true;
}

// Length of the UTF-8 sequence starting at s[i], or 0 when it is not one.
size_t Utf8Length(const std::string& s, size_t i) {
    auto byte = [&](size_t k) { return k < s.size() ? uint8_t(s[k]) : uint8_t(0); };
    uint8_t c = byte(i);
    size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || (n == 2 && c < 0xC2)) return 0;
    for (size_t k = 1; k < n; ++k)
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
    return n;
}

} // namespace

std::string FindFontFile(bool bold) {
    const std::string name = bold ? "DejaVuSans-Bold.ttf" : "DejaVuSans.ttf";
    const std::string dirs[] = {StartFolders().Data,
                                ProgramFolder(),
                                "/usr/share/fonts/truetype/dejavu/",
                                "/usr/share/fonts/TTF/",
                                "/usr/share/fonts/dejavu/",
                                "/usr/share/fonts/dejavu-sans-fonts/",
                                "/usr/local/share/fonts/"};
    for (const std::string& dir : dirs)
        if (!dir.empty() && FileExists(dir + name)) return dir + name;
    return {};
}

std::string ToValidUtf8(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        size_t n = Utf8Length(text, i);
        if (n > 0) {
            out.append(text, i, n);
            i += n;
        } else {
            uint8_t c = uint8_t(text[i++]);
            out += char(0xC0 | c >> 6);
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

TTextRenderer::TTextRenderer(SDL_Renderer* renderer) : Renderer(renderer) {
    if (TTF_Init() != 0) {
        Failure = std::string("Cannot start the font library: ") + TTF_GetError();
        return;
    }
    TtfReady = true;
    for (int bold = 0; bold < 2; ++bold) {
        Paths[bold] = FindFontFile(bold != 0);
        if (Paths[bold].empty()) {
            Failure =
                std::string("Cannot find the font ") +
                (bold ? "DejaVuSans-Bold.ttf" : "DejaVuSans.ttf") +
                " (install the package fonts-dejavu-core, or put the file beside the program)";
            return;
        }
    }
    if (!FontFor(TFont{})) Failure = std::string("Cannot open the font ") + Paths[0];
}

TTextRenderer::~TTextRenderer() {
    ForgetTextures();
    for (auto& [key, font] : Fonts)
        TTF_CloseFont(font);
    if (TtfReady) TTF_Quit();
}

TTF_Font* TTextRenderer::FontFor(const TFont& font) {
    if (!TtfReady) return nullptr;
    const int points = std::clamp(font.Size, MinFontPoints, 200);
    const std::pair<int, bool> key{points, font.Bold};
    auto it = Fonts.find(key);
    if (it != Fonts.end()) return it->second;
    const std::string& path = Paths[font.Bold ? 1 : 0];
    if (path.empty()) return nullptr;
    // Points at 96 dots per inch, as the game's layouts were made for.
    TTF_Font* f = TTF_OpenFontDPI(path.c_str(), points, 96, 96);
    if (f) Fonts[key] = f;
    return f;
}

bool TTextRenderer::Measure(const std::string& text, const TFont& font, int& width, int& height) {
    width = height = 0;
    TTF_Font* f = FontFor(font);
    if (!f) return false;
    if (text.empty()) {
        height = TTF_FontHeight(f);
        return true;
    }
    const std::string& key = KeyOf(text, font, false);
    if (auto it = Sizes.find(key); it != Sizes.end()) {
        width = it->second.first;
        height = it->second.second;
        return true;
    }
    if (TTF_SizeUTF8(f, ToValidUtf8(text).c_str(), &width, &height) != 0) return false;
    if (Sizes.size() >= MaxCachedSizes) Sizes.clear();
    Sizes.emplace(key, std::make_pair(width, height));
    return true;
}

const std::string& TTextRenderer::KeyOf(const std::string& text, const TFont& font, bool colour) {
    const int points = std::clamp(font.Size, MinFontPoints, 200);
    char head[32];
    char* end = std::to_chars(head, head + 8, points).ptr;
    *end++ = font.Bold ? 'b' : 'r';
    if (colour) end = std::to_chars(end, head + 24, int(font.Colour & 0xFFFFFF)).ptr;
    *end++ = '|';
    Key.assign(head, end);
    Key += text;
    return Key;
}

TTextRenderer::TLine* TTextRenderer::LineFor(const std::string& text, const TFont& font) {
    const std::string& key = KeyOf(text, font, true);
    auto it = Lines.find(key);
    if (it == Lines.end()) {
        TTF_Font* f = FontFor(font);
        if (!f) return nullptr;
        SDL_Color c{Uint8(font.Colour & 255), Uint8(font.Colour >> 8 & 255),
                    Uint8(font.Colour >> 16 & 255), 255};
        SDL_Surface* s = TTF_RenderUTF8_Blended(f, ToValidUtf8(text).c_str(), c);
        if (!s) return nullptr;
        TLine line;
        line.Texture = SDL_CreateTextureFromSurface(Renderer, s);
        line.Width = s->w;
        line.Height = s->h;
        SDL_FreeSurface(s);
        if (!line.Texture) return nullptr;
        SDL_SetTextureBlendMode(line.Texture, SDL_BLENDMODE_BLEND);
        if (Lines.size() >= MaxCachedLines) Evict();
        it = Lines.emplace(key, line).first;
    }
    it->second.LastUse = ++UseCount;
    return &it->second;
}

void TTextRenderer::Draw(int x, int y, const std::string& text, const TFont& font) {
    if (text.empty()) return;
    TLine* line = LineFor(text, font);
    if (!line) return;
    SDL_Rect dst{x, y, line->Width, line->Height};
    if (font.Background >= 0) {
        SDL_SetRenderDrawBlendMode(Renderer, SDL_BLENDMODE_NONE);
        SDL_SetRenderDrawColor(Renderer, font.Background & 255, font.Background >> 8 & 255,
                               font.Background >> 16 & 255, 255);
        SDL_RenderFillRect(Renderer, &dst);
    }
    SDL_RenderCopy(Renderer, line->Texture, nullptr, &dst);
}

// Keeps the more recently used half.
void TTextRenderer::Evict() {
    std::vector<uint64_t> uses;
    uses.reserve(Lines.size());
    for (auto& [key, line] : Lines)
        uses.push_back(line.LastUse);
    std::nth_element(uses.begin(), uses.begin() + uses.size() / 2, uses.end());
    const uint64_t median = uses[uses.size() / 2];
    for (auto it = Lines.begin(); it != Lines.end();) {
        if (it->second.LastUse < median) {
            SDL_DestroyTexture(it->second.Texture);
            it = Lines.erase(it);
        } else {
            ++it;
        }
    }
}

void TTextRenderer::ForgetTextures() {
    for (auto& [key, line] : Lines)
        SDL_DestroyTexture(line.Texture);
    Lines.clear();
}
