// Plain pictures and waves, and the file formats the game reads them from.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TRgb {
    uint8_t R = 0, G = 0, B = 0;
    bool operator==(const TRgb&) const = default;
};

// 24-bit picture, row 0 at the top.
struct TRgbImage {
    int Width = 0;
    int Height = 0;
    std::vector<TRgb> Pixels;

    TRgbImage() = default;
    TRgbImage(int w, int h, TRgb fill = {}) : Width(w), Height(h), Pixels(size_t(w) * h, fill) {}
    TRgb& At(int x, int y) { return Pixels[size_t(y) * Width + x]; }
    const TRgb& At(int x, int y) const { return Pixels[size_t(y) * Width + x]; }
    void Blit(const TRgbImage& src, int left, int top);
    // Copies src, leaving out pixels of the transparent colour.
    void BlitKeyed(const TRgbImage& src, int left, int top, TRgb key);
    TRgbImage Scaled(int w, int h) const; // box filter / nearest, for previews
};

// One-bit picture; true = set.
struct TBitImage {
    int Width = 0;
    int Height = 0;
    std::vector<uint8_t> Bits;

    TBitImage() = default;
    TBitImage(int w, int h) : Width(w), Height(h), Bits(size_t(w) * h, 0) {}
    bool At(int x, int y) const { return Bits[size_t(y) * Width + x] != 0; }
    void Set(int x, int y, bool on) { Bits[size_t(y) * Width + x] = on ? 1 : 0; }
};

// Mono 16-bit PCM.
struct TWave {
    int SampleRate = 22050;
    std::vector<int16_t> Samples;
};

// Writers return false (and say why in error) when the file cannot be made.
bool WriteBmp24(const std::string& path, const TRgbImage& image, std::string& error);
bool WriteBmp1(const std::string& path, const TBitImage& image, std::string& error);
bool WritePng(const std::string& path, const TRgbImage& image, std::string& error);
bool WriteWav(const std::string& path, const TWave& wave, std::string& error);

// Readers for the generator's own checks and for spoken samples.
bool ReadBmp24(const std::string& path, TRgbImage& image, std::string& error);
// Any PCM wave (8/16 bit, mono or stereo); mixed down to mono 16 bit.
bool ReadWav(const std::string& path, TWave& wave, std::string& error);
