// Draws a map file with its textures, for judging a level at a glance.
#include <fstream>
#include <sstream>

#include "assets.h"

namespace {

// Rotation r of a square texture, as the game builds its four images.
TRgb Turned(const TRgbImage& t, int rotation, int x, int y) {
    const int n = t.Width - 1;
    switch (rotation) {
    case 1:
        return t.At(n - y, x); // a quarter turn counter-clockwise
    case 2:
        return t.At(n - x, n - y); // a half turn
    case 3:
        return t.At(y, n - x); // a quarter turn clockwise
    default:
        return t.At(x, y);
    }
}

} // namespace

bool RenderMap(const std::string& mapPath, const std::vector<TNamedImage>& textures, int cellPx,
               TRgbImage& out, std::string& error) {
    std::ifstream f(mapPath);
    if (!f) {
        error = "cannot open " + mapPath;
        return false;
    }
    std::vector<std::vector<long>> rows;
    std::string line;
    while (std::getline(f, line)) {
        std::istringstream in(line);
        std::vector<long> row;
        long v = 0;
        while (in >> v)
            row.push_back(v);
        if (!row.empty()) rows.push_back(row);
    }
    if (rows.empty()) {
        error = mapPath + " holds no cells";
        return false;
    }
    const int w = int(rows[0].size()), h = int(rows.size());
    TRgbImage full(w * 64, h * 64, {255, 0, 255});
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w && c < int(rows[r].size()); ++c) {
            const long code = rows[r][c];
            const long index = code / 4;
            if (code < 0 || index >= long(textures.size())) continue; // unknown: left magenta
            const TRgbImage& t = textures[size_t(index)].Image;
            for (int y = 0; y < 64; ++y)
                for (int x = 0; x < 64; ++x)
                    full.At(c * 64 + x, r * 64 + y) = Turned(t, int(code % 4), x, y);
        }
    out = cellPx == 64 ? full : full.Scaled(w * cellPx, h * cellPx);
    return true;
}
