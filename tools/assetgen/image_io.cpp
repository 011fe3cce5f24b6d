#include "image_io.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include <stb/stb_image_write.h>

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

uint32_t Get16(const std::vector<uint8_t>& in, size_t at) {
    return at + 2 <= in.size() ? uint32_t(in[at]) | uint32_t(in[at + 1]) << 8 : 0;
}

uint32_t Get32(const std::vector<uint8_t>& in, size_t at) {
    return Get16(in, at) | Get16(in, at + 2) << 16;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    if (!f) {
        error = "cannot create " + path;
        return false;
    }
    f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!f) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

bool ReadFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
    std::ifstream f(path, std::ios::binary);
    if (!f) {
        error = "cannot open " + path;
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    return true;
}

// File header and BITMAPINFOHEADER; the caller appends palette and rows.
std::vector<uint8_t> BmpHeader(int w, int h, int bits, uint32_t paletteBytes, uint32_t imageBytes) {
    std::vector<uint8_t> out;
    const uint32_t offset = 14 + 40 + paletteBytes;
    out.push_back('B');
    out.push_back('M');
    Put32(out, offset + imageBytes);
    Put32(out, 0);
    Put32(out, offset);
    Put32(out, 40);
    Put32(out, uint32_t(w));
    Put32(out, uint32_t(h)); // positive: bottom-up
    Put16(out, 1);
    Put16(out, uint32_t(bits));
    Put32(out, 0); // no compression
    Put32(out, imageBytes);
    Put32(out, 2835); // 72 dpi
    Put32(out, 2835);
    Put32(out, bits == 1 ? 2 : 0);
    Put32(out, 0);
    return out;
}

} // namespace

void TRgbImage::Blit(const TRgbImage& src, int left, int top) {
    for (int y = 0; y < src.Height; ++y)
        for (int x = 0; x < src.Width; ++x) {
            const int tx = left + x, ty = top + y;
            if (tx >= 0 && ty >= 0 && tx < Width && ty < Height) At(tx, ty) = src.At(x, y);
        }
}

void TRgbImage::BlitKeyed(const TRgbImage& src, int left, int top, TRgb key) {
    for (int y = 0; y < src.Height; ++y)
        for (int x = 0; x < src.Width; ++x) {
            const int tx = left + x, ty = top + y;
            if (tx >= 0 && ty >= 0 && tx < Width && ty < Height && !(src.At(x, y) == key))
                At(tx, ty) = src.At(x, y);
        }
}

TRgbImage TRgbImage::Scaled(int w, int h) const {
    TRgbImage out(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            // Average the source pixels that fall into this one.
            const int x0 = x * Width / w, x1 = std::max(x0 + 1, (x + 1) * Width / w);
            const int y0 = y * Height / h, y1 = std::max(y0 + 1, (y + 1) * Height / h);
            uint32_t r = 0, g = 0, b = 0, n = 0;
            for (int sy = y0; sy < y1; ++sy)
                for (int sx = x0; sx < x1; ++sx) {
                    const TRgb& p = At(sx, sy);
                    r += p.R;
                    g += p.G;
                    b += p.B;
                    ++n;
                }
            out.At(x, y) = {uint8_t(r / n), uint8_t(g / n), uint8_t(b / n)};
        }
    return out;
}

bool WriteBmp24(const std::string& path, const TRgbImage& image, std::string& error) {
    const uint32_t stride = (uint32_t(image.Width) * 3 + 3) & ~3u;
    std::vector<uint8_t> out = BmpHeader(image.Width, image.Height, 24, 0, stride * image.Height);
    for (int y = image.Height - 1; y >= 0; --y) {
        const size_t rowStart = out.size();
        for (int x = 0; x < image.Width; ++x) {
            const TRgb& p = image.At(x, y);
            out.push_back(p.B);
            out.push_back(p.G);
            out.push_back(p.R);
        }
        out.resize(rowStart + stride, 0);
    }
    return WriteFile(path, out, error);
}

bool WriteBmp1(const std::string& path, const TBitImage& image, std::string& error) {
    const uint32_t stride = ((uint32_t(image.Width) + 31) / 32) * 4;
    std::vector<uint8_t> out = BmpHeader(image.Width, image.Height, 1, 8, stride * image.Height);
    Put32(out, 0x000000); // index 0: clear, black
    Put32(out, 0xFFFFFF); // index 1: set, white
    for (int y = image.Height - 1; y >= 0; --y) {
        std::vector<uint8_t> row(stride, 0);
        for (int x = 0; x < image.Width; ++x)
            if (image.At(x, y)) row[x / 8] |= uint8_t(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
    return WriteFile(path, out, error);
}

bool WritePng(const std::string& path, const TRgbImage& image, std::string& error) {
    std::vector<uint8_t> bytes;
    bytes.reserve(image.Pixels.size() * 3);
    for (const TRgb& p : image.Pixels) {
        bytes.push_back(p.R);
        bytes.push_back(p.G);
        bytes.push_back(p.B);
    }
    if (!stbi_write_png(path.c_str(), image.Width, image.Height, 3, bytes.data(),
                        image.Width * 3)) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

bool WriteWav(const std::string& path, const TWave& wave, std::string& error) {
    const uint32_t dataBytes = uint32_t(wave.Samples.size() * 2);
    std::vector<uint8_t> out;
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    Put32(out, 36 + dataBytes);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put32(out, 16);
    Put16(out, 1); // PCM
    Put16(out, 1); // mono
    Put32(out, uint32_t(wave.SampleRate));
    Put32(out, uint32_t(wave.SampleRate) * 2);
    Put16(out, 2);
    Put16(out, 16);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    Put32(out, dataBytes);
    for (int16_t s : wave.Samples)
        Put16(out, uint16_t(s));
    return WriteFile(path, out, error);
}

bool ReadBmp24(const std::string& path, TRgbImage& image, std::string& error) {
    std::vector<uint8_t> in;
    if (!ReadFile(path, in, error)) return false;
    if (in.size() < 54 || in[0] != 'B' || in[1] != 'M') {
        error = path + " is not a bitmap";
        return false;
    }
    const uint32_t offset = Get32(in, 10);
    const int w = int(Get32(in, 18));
    const int32_t rawH = int32_t(Get32(in, 22));
    const int h = rawH < 0 ? -rawH : rawH;
    if (Get16(in, 28) != 24 || Get32(in, 30) != 0 || w <= 0 || h <= 0 || w > 16384 || h > 16384) {
        error = path + " is not an uncompressed 24-bit bitmap";
        return false;
    }
    const size_t stride = (size_t(w) * 3 + 3) & ~size_t(3);
    if (offset + stride * h > in.size()) {
        error = path + " is cut short";
        return false;
    }
    image = TRgbImage(w, h);
    for (int row = 0; row < h; ++row) {
        const int y = rawH > 0 ? h - 1 - row : row;
        const uint8_t* p = in.data() + offset + stride * row;
        for (int x = 0; x < w; ++x)
            image.At(x, y) = {p[x * 3 + 2], p[x * 3 + 1], p[x * 3]};
    }
    return true;
}

bool ReadWav(const std::string& path, TWave& wave, std::string& error) {
    std::vector<uint8_t> in;
    if (!ReadFile(path, in, error)) return false;
    if (in.size() < 12 || std::memcmp(in.data(), "RIFF", 4) != 0 ||
        std::memcmp(in.data() + 8, "WAVE", 4) != 0) {
        error = path + " is not a wave file";
        return false;
    }
    int channels = 0, bits = 0;
    size_t at = 12;
    while (at + 8 <= in.size()) {
        const uint32_t size = Get32(in, at + 4);
        const size_t body = at + 8;
        const size_t end = std::min(in.size(), body + size); // espeak may leave the size open
        if (std::memcmp(in.data() + at, "fmt ", 4) == 0 && size >= 16) {
            if (Get16(in, body) != 1) break;
            channels = int(Get16(in, body + 2));
            wave.SampleRate = int(Get32(in, body + 4));
            bits = int(Get16(in, body + 14));
        } else if (std::memcmp(in.data() + at, "data", 4) == 0 && channels > 0 &&
                   (bits == 8 || bits == 16)) {
            const size_t frame = size_t(channels) * size_t(bits / 8);
            wave.Samples.clear();
            for (size_t p = body; p + frame <= end; p += frame) {
                int sum = 0;
                for (int c = 0; c < channels; ++c)
                    sum += bits == 16 ? int(int16_t(Get16(in, p + c * 2)))
                                      : (int(in[p + c]) - 128) * 256;
                wave.Samples.push_back(int16_t(sum / channels));
            }
            return true;
        }
        at = body + size + (size & 1);
    }
    error = path + " holds no PCM data";
    return false;
}
