// Tiny readers for the files in the program folder, independent of the
// game's own loaders, so the data is checked against the formats themselves.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

inline std::string BinPath(const std::string& name) {
    return std::string(MOOR_BIN_DIR) + "/" + name;
}

bool ReadBytes(const std::string& path, std::vector<uint8_t>& out);
std::string ReadText(const std::string& path);

struct TBmp {
    int Width = 0, Height = 0, Bits = 0;
    std::vector<uint32_t> Pixels; // 0xRRGGBB, row 0 at the top (24-bit only)
    uint32_t At(int x, int y) const { return Pixels[size_t(y) * Width + x]; }
};
// False when the file is missing or not an uncompressed bitmap.
bool ReadBmp(const std::string& path, TBmp& out, bool pixels = true);

struct TPcm {
    int Format = 0, Channels = 0, Rate = 0, Bits = 0;
    std::vector<int16_t> Samples;
};
bool ReadWave(const std::string& path, TPcm& out);

struct TMapFile {
    int Width = 0, Height = 0;
    std::vector<std::vector<long>> Rows;
    std::string Problem; // empty when the file follows the format
};
TMapFile ReadMapFile(const std::string& path);

struct TTextureLine {
    std::string Name;
    int Kind = 0;
    double Friction = 0, Grip = 0;
};
std::vector<TTextureLine> ReadTextureLines(std::string& problem);

std::vector<std::string> Lines(const std::string& text, bool& crlf);
