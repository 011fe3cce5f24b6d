// Pictures as plain CPU-side data: the sprite, texture, explosion and mask
// lists hold these, the code that tints vehicles or turns textures edits
// them, and the platform uploads them for drawing. No SDL here.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Colours are 0x00BBGGRR, as everywhere in the game.
constexpr uint32_t Rgb(int r, int g, int b) {
    return uint32_t(r & 255) | uint32_t(g & 255) << 8 | uint32_t(b & 255) << 16;
}
constexpr int RedOf(uint32_t c) {
    return int(c & 255);
}
constexpr int GreenOf(uint32_t c) {
    return int(c >> 8 & 255);
}
constexpr int BlueOf(uint32_t c) {
    return int(c >> 16 & 255);
}

constexpr int32_t clBlack = 0x000000;
constexpr int32_t clFuchsia = 0xFF00FF;
// A picture drawn without a transparent colour (terrain, explosions).
constexpr int32_t NoTransparency = -1;

struct TImage {
    int Width = 0;
    int Height = 0;
    std::vector<uint32_t> Pixels; // row after row, 0x00BBGGRR

    TImage() = default;
    TImage(int width, int height, uint32_t fill = 0)
        : Width(width > 0 ? width : 0), Height(height > 0 ? height : 0),
          Pixels(size_t(Width) * size_t(Height), fill) {}

    // Width, height and pixels agree.
    bool Valid() const {
        return Width > 0 && Height > 0 && Pixels.size() == size_t(Width) * size_t(Height);
    }
    bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < Width && y < Height; }
    // Outside the picture reads black and writes nothing.
    uint32_t At(int x, int y) const { return Inside(x, y) ? Pixels[size_t(y) * Width + x] : 0; }
    void Set(int x, int y, uint32_t c) {
        if (Inside(x, y)) Pixels[size_t(y) * Width + x] = c & 0xFFFFFF;
    }
};

struct TImageEntry {
    std::string Name;
    TImage Image;
    int32_t Transparent = clBlack; // or NoTransparency
    // Changes with every new picture in this slot, so a drawing surface
    // knows when its uploaded copy is stale.
    uint64_t Serial = 0;
};

// An ordered list of named pictures addressed by index.
class TImageList {
  public:
    // More slots than any list of the game needs; guards against a runaway index.
    static constexpr int MaxCount = 1 << 16;

    int Count() const { return int(Entries.size()); }
    void Clear() { Entries.clear(); }

    // Appends a picture; returns its index (-1 when the list is full).
    int Add(TImage image, std::string name = {}, int32_t transparent = clBlack) {
        if (Count() >= MaxCount) return -1;
        Entries.push_back({std::move(name), std::move(image), transparent, NewSerial()});
        return Count() - 1;
    }

    // Puts a picture into slot index, growing the list with empty slots when
    // needed (per-vehicle pictures live at fixed indices). False when the
    // index is out of range.
    bool Put(int index, TImage image, int32_t transparent = clBlack, std::string name = {}) {
        if (index < 0 || index >= MaxCount) return false;
        if (index >= Count()) Entries.resize(size_t(index) + 1);
        Entries[index] = {std::move(name), std::move(image), transparent, NewSerial()};
        return true;
    }

    const TImageEntry* Entry(int index) const {
        return index >= 0 && index < Count() ? &Entries[index] : nullptr;
    }
    // An empty picture for an index outside the list.
    const TImage& Image(int index) const {
        static const TImage none;
        const TImageEntry* e = Entry(index);
        return e ? e->Image : none;
    }
    int Width(int index) const { return Image(index).Width; }
    int Height(int index) const { return Image(index).Height; }

    int IndexOf(const std::string& name) const {
        for (int i = 0; i < Count(); ++i)
            if (Entries[i].Name == name) return i;
        return -1;
    }

  private:
    static uint64_t NewSerial() {
        static std::atomic<uint64_t> next{1};
        return next++;
    }
    std::vector<TImageEntry> Entries;
};

// Reads picture files; the platform provides it, tests hand in fakes.
class BitmapReader {
  public:
    virtual ~BitmapReader() = default;
    // Empty on success, else the message for the player
    // ("Cannot open file " + path); out is left alone then.
    virtual std::string ReadBitmap(const std::string& path, TImage& out) = 0;
};
