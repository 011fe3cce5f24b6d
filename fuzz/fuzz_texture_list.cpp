// Random bytes as TextureList.txt: the list is refused or read within the
// tables, and every texture gets its four pictures.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/terrain.h"
#include "world/textures.h"

namespace {

// Pictures made up from the file name; some names have none.
class MadeUpImages : public ITextureImages {
  public:
    int Count = 0;
    bool LoadBitmap(const std::string& path, TImagePixels& out) override {
        const size_t h = std::hash<std::string>{}(path);
        if (h % 5 == 0) return false;
        out.Width = 1 + static_cast<int>(h % 7);
        out.Height = 1 + static_cast<int>((h / 7) % 5);
        out.Pixels.assign(static_cast<size_t>(out.Width) * out.Height, static_cast<uint32_t>(h));
        if (h % 11 == 0) out.Pixels.pop_back(); // a broken picture
        return true;
    }
    void AddImage(const TImagePixels& image, const std::string&) override {
        if (!image.Valid()) __builtin_trap();
        ++Count;
    }
    void Clear() override { Count = 0; }
};

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TTerrainTables* tables = new TTerrainTables;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<TTextureEntry> entries;
    std::string error, warning;
    if (!ParseTextureList(text, "TextureList.txt", entries, error, warning)) {
        Check(!error.empty());
        return 0;
    }
    Check(entries.size() <= MaxTextures);
    for (const TTextureEntry& e : entries)
        Check(!e.Name.empty() && std::isfinite(e.Friction) && std::isfinite(e.Grip));

    MadeUpImages images;
    std::vector<std::string> missing;
    InstallTextures(*tables, entries, "folder", images, missing);
    Check(tables->TextureCount == static_cast<int32_t>(entries.size()));
    Check(images.Count == 4 * tables->TextureCount);
    for (int32_t code = -8; code < 4 * tables->TextureCount + 8; ++code) {
        const int32_t kind = KindOfCode(*tables, code);
        Check(kind >= tkGround && kind <= tkBase);
        const int image = CellImageIndex(*tables, code);
        Check(image >= -1 && image < images.Count);
    }
    return 0;
}
