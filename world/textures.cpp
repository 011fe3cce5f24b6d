#include "world/textures.h"

#include <charconv>
#include <cmath>

#include "core/game.h"
#include "world/text_file.h"

namespace {

constexpr size_t MaxTextureListBytes = 1u << 20;
constexpr int StandInSize = 64;

// Missing bitmaps are drawn as a grey checker board, plainly not a texture.
TImagePixels StandInPicture() {
    TImagePixels p;
    p.Width = p.Height = StandInSize;
    p.Pixels.resize(StandInSize * StandInSize);
    for (int y = 0; y < StandInSize; ++y)
        for (int x = 0; x < StandInSize; ++x)
            p.Pixels[y * StandInSize + x] = ((x / 8 + y / 8) % 2) ? 0x00606060u : 0x00A0A0A0u;
    return p;
}

// A decimal number with a point; infinities and NaN would wreck the
// driving, so they are not numbers here.
bool ParseNumber(std::string_view word, double& value) {
    if (word.size() > 1 && word.front() == '+' && word[1] != '-') word.remove_prefix(1);
    const char* end = word.data() + word.size();
    const auto [ptr, ec] = std::from_chars(word.data(), end, value, std::chars_format::general);
    return !word.empty() && ec == std::errc() && ptr == end && std::isfinite(value);
}

} // namespace

TImagePixels TurnTexture(const TImagePixels& src, int quarterTurns) {
    if (!src.Valid()) return {};
    const int turns = ((quarterTurns % 4) + 4) % 4;
    const int w = src.Width;
    const int h = src.Height;
    TImagePixels out;
    out.Width = turns % 2 ? h : w;
    out.Height = turns % 2 ? w : h;
    out.Pixels.resize(src.Pixels.size());
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            int nx = x, ny = y;
            switch (turns) {
            case 1:
                nx = y;
                ny = w - 1 - x;
                break; // counter-clockwise
            case 2:
                nx = w - 1 - x;
                ny = h - 1 - y;
                break; // half turn
            case 3:
                nx = h - 1 - y;
                ny = x;
                break; // clockwise
            default:
                break;
            }
            out.Pixels[static_cast<size_t>(ny) * out.Width + nx] = src.At(x, y);
        }
    }
    return out;
}

bool ParseTextureList(std::string_view text, const std::string& fileName,
                      std::vector<TTextureEntry>& entries, std::string& error,
                      std::string& warning) {
    entries.clear();
    warning.clear();
    TTextLines lines(text);
    std::string_view& line = lines.Line;
    while (lines.NextFilled()) {
        const int lineNumber = lines.Number;
        if (entries.size() == MaxTextures) {
            warning = fileName + ": only " + std::to_string(MaxTextures) + " textures fit; line " +
                      std::to_string(lineNumber) + " and the lines after it were left out.";
            break;
        }
        const auto fault = [&](const std::string& what) {
            error = LineFault(fileName, lineNumber, what);
            return false;
        };
        TTextureEntry e;
        const std::string_view name = NextWord(line);
        const std::string_view kind = NextWord(line);
        const std::string_view friction = NextWord(line);
        const std::string_view grip = NextWord(line);
        if (grip.empty() || !TrimBlanks(line).empty())
            return fault("expected four fields: name, kind, friction and grip.");
        e.Name = std::string(name);
        if (!ParseWholeNumber(kind, e.Kind))
            return fault("the kind \"" + Printable(kind) + "\" is not a whole number.");
        if (!ParseNumber(friction, e.Friction))
            return fault("the friction \"" + Printable(friction) + "\" is not a number.");
        if (!ParseNumber(grip, e.Grip))
            return fault("the grip \"" + Printable(grip) + "\" is not a number.");
        entries.push_back(std::move(e));
    }
    return true;
}

void InstallTextures(TTerrainTables& tables, const std::vector<TTextureEntry>& entries,
                     const std::string& folder, ITextureImages& images,
                     std::vector<std::string>& missing) {
    images.Clear();
    const size_t count = entries.size() < MaxTextures ? entries.size() : MaxTextures;
    for (size_t t = 0; t < count; ++t) {
        const TTextureEntry& e = entries[t];
        const std::string file = e.Name + ".bmp";
        TImagePixels picture;
        if (!images.LoadBitmap(FolderFile(folder, file), picture) || !picture.Valid()) {
            missing.push_back(file);
            picture = StandInPicture();
        }
        // Image 4t + r is texture t turned r quarter turns: the cell code is the index.
        images.AddImage(picture, e.Name);
        for (int turns = 1; turns < 4; ++turns)
            images.AddImage(TurnTexture(picture, turns), "");
        tables.TerrainKind[t] = e.Kind;
        tables.Friction[t] = e.Friction;
        tables.Grip[t] = e.Grip;
        tables.TextureNames[t] = e.Name;
    }
    tables.TextureCount = static_cast<int32_t>(count);
    images.Finish();
}

bool LoadTextures(Game& g, ITextureImages& images) {
    const std::string path = FolderFile(g.ProgramFolder, "TextureList.txt");
    std::string text;
    std::string error;
    std::string warning;
    std::vector<TTextureEntry> entries;
    if (!ReadTextFile(path, MaxTextureListBytes, text, error) ||
        !ParseTextureList(text, path, entries, error, warning)) {
        g.TheUi.MessageBox(error);
        return false;
    }
    if (!warning.empty()) g.TheUi.MessageBox(warning);
    std::vector<std::string> missing;
    InstallTextures(g, entries, g.ProgramFolder, images, missing);
    if (!missing.empty()) {
        constexpr size_t named = 10;
        std::string list;
        for (size_t i = 0; i < missing.size() && i < named; ++i)
            list += (i ? ", " : "") + missing[i];
        if (missing.size() > named)
            list += " and " + std::to_string(missing.size() - named) + " more";
        g.TheUi.MessageBox("These texture pictures are missing or unreadable and are drawn as a "
                           "grey checker board: " +
                           list + ".");
    }
    return true;
}
