#include "data_files.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

uint32_t U16(const std::vector<uint8_t>& b, size_t at) {
    return at + 2 <= b.size() ? b[at] | b[at + 1] << 8 : 0;
}
uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
    return U16(b, at) | U16(b, at + 2) << 16;
}

} // namespace

bool ReadBytes(const std::string& path, std::vector<uint8_t>& out) {
    std::ifstream f(path, std::ios::binary);
    if (!f) return false;
    out.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    return true;
}

std::string ReadText(const std::string& path) {
    std::vector<uint8_t> b;
    ReadBytes(path, b);
    return std::string(b.begin(), b.end());
}

bool ReadBmp(const std::string& path, TBmp& out, bool pixels) {
    std::vector<uint8_t> b;
    if (!ReadBytes(path, b) || b.size() < 54 || b[0] != 'B' || b[1] != 'M' || U32(b, 30) != 0)
        return false;
    out.Width = int(U32(b, 18));
    out.Height = int(int32_t(U32(b, 22)));
    out.Bits = int(U16(b, 28));
    if (out.Width <= 0 || out.Height <= 0 || out.Width > 4096 || out.Height > 4096) return false;
    const size_t stride = ((size_t(out.Width) * out.Bits + 31) / 32) * 4;
    const size_t offset = U32(b, 10);
    if (offset + stride * out.Height > b.size()) return false;
    if (!pixels || out.Bits != 24) return true;
    out.Pixels.resize(size_t(out.Width) * out.Height);
    for (int row = 0; row < out.Height; ++row) {
        const uint8_t* p = b.data() + offset + stride * row;
        for (int x = 0; x < out.Width; ++x)
            out.Pixels[size_t(out.Height - 1 - row) * out.Width + x] =
                p[x * 3 + 2] << 16 | p[x * 3 + 1] << 8 | p[x * 3];
    }
    return true;
}

bool ReadWave(const std::string& path, TPcm& out) {
    std::vector<uint8_t> b;
    if (!ReadBytes(path, b) || b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 ||
        std::memcmp(b.data() + 8, "WAVE", 4) != 0 || U32(b, 4) + 8 != b.size())
        return false;
    for (size_t at = 12; at + 8 <= b.size();) {
        const uint32_t size = U32(b, at + 4);
        if (at + 8 + size > b.size()) return false;
        if (std::memcmp(b.data() + at, "fmt ", 4) == 0) {
            out.Format = int(U16(b, at + 8));
            out.Channels = int(U16(b, at + 10));
            out.Rate = int(U32(b, at + 12));
            out.Bits = int(U16(b, at + 22));
        } else if (std::memcmp(b.data() + at, "data", 4) == 0 && out.Bits == 16) {
            for (size_t i = 0; i + 1 < size; i += 2)
                out.Samples.push_back(int16_t(U16(b, at + 8 + i)));
            return true;
        }
        at += 8 + size + (size & 1);
    }
    return false;
}

std::vector<std::string> Lines(const std::string& text, bool& crlf) {
    std::vector<std::string> out;
    crlf = true;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t nl = text.find('\n', start);
        std::string line =
            text.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
        if (nl != std::string::npos) {
            if (line.empty() || line.back() != '\r')
                crlf = false;
            else
                line.pop_back();
        }
        out.push_back(line);
        if (nl == std::string::npos) break;
        start = nl + 1;
    }
    return out;
}

TMapFile ReadMapFile(const std::string& path) {
    TMapFile m;
    std::vector<uint8_t> b;
    if (!ReadBytes(path, b) || b.empty()) {
        m.Problem = "missing or empty";
        return m;
    }
    bool crlf = true;
    const std::vector<std::string> lines = Lines(std::string(b.begin(), b.end()), crlf);
    if (!crlf) m.Problem = "a line does not end in CR LF";
    if (lines.back().empty()) m.Problem = "line break after the last row (read as a row of zeros)";
    for (const std::string& line : lines) {
        if (line.empty() || line.front() == ' ' || line.back() == ' ' ||
            line.find("  ") != std::string::npos) {
            m.Problem = "codes must be separated by exactly one blank";
            break;
        }
        std::istringstream in(line);
        std::vector<long> row;
        long v = 0;
        while (in >> v)
            row.push_back(v);
        if (!in.eof()) m.Problem = "not a number: " + line.substr(0, 20);
        m.Rows.push_back(row);
    }
    m.Height = int(m.Rows.size());
    m.Width = m.Rows.empty() ? 0 : int(m.Rows[0].size());
    for (const auto& row : m.Rows)
        if (int(row.size()) != m.Width) m.Problem = "rows of different lengths";
    return m;
}

std::vector<TTextureLine> ReadTextureLines(std::string& problem) {
    std::vector<TTextureLine> out;
    bool crlf = true;
    for (const std::string& line : Lines(ReadText(BinPath("TextureList.txt")), crlf)) {
        if (line.empty()) continue;
        std::istringstream in(line);
        TTextureLine t;
        std::string rest;
        if (!(in >> t.Name >> t.Kind >> t.Friction >> t.Grip) || (in >> rest))
            problem = "bad line: " + line;
        if (std::count(line.begin(), line.end(), ' ') != 3)
            problem = "fields must be separated by single blanks: " + line;
        out.push_back(t);
    }
    return out;
}
