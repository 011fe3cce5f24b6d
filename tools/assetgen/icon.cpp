// The program's icon for menus and docks: a red tank seen from above on a
// rounded square of moor, drawn afresh at every size so small ones stay sharp.
#include <stb/stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "assets.h"
#include "canvas.h"
#include "noise.h"

namespace {

TCanvas DrawIcon(int size) {
    const float k = size / 256.0f;
    TCanvas c(size, size);
    // The moor: a rounded square, light at the top left.
    const TSdf badge = Box(6 * k, 6 * k, 250 * k, 250 * k, 44 * k);
    c.Fill(badge, [&](float x, float y) {
        const float t = std::clamp((x + y) / (2.0f * size), 0.0f, 1.0f);
        const float grain = size >= 48 ? float(TileFbm(x / k, y / k, 256, 6, 3, 77)) - 0.5f : 0;
        return Solid(Mix(Rgb(104, 150, 72), Rgb(48, 88, 40), t + 0.25f * grain));
    });
    c.Bevel(badge, std::max(1.5f, 10 * k), 0.35f);

    // The tank, turned a little and heading up and right.
    const float cx = 128 * k, cy = 134 * k, turn = -0.55f;
    auto turned = [&](TSdf s) { return Rotated(std::move(s), cx, cy, turn); };
    const TSdf shadow = turned(Box(cx - 60 * k + 10 * k, cy - 84 * k + 12 * k, cx + 60 * k + 10 * k,
                                   cy + 84 * k + 12 * k, 14 * k));
    c.Fill(shadow, Solid(14, 20, 12), 0.45f);
    const TSdf tracks =
        turned(Union(Box(cx - 62 * k, cy - 86 * k, cx - 32 * k, cy + 86 * k, 8 * k),
                     Box(cx + 32 * k, cy - 86 * k, cx + 62 * k, cy + 86 * k, 8 * k)));
    c.Fill(tracks, Solid(46, 44, 40));
    const TSdf hull = turned(Box(cx - 42 * k, cy - 74 * k, cx + 42 * k, cy + 76 * k, 10 * k));
    c.Fill(hull, Solid(196, 40, 32));
    c.Bevel(hull, std::max(1.0f, 7 * k), 0.5f);
    const TSdf barrel = turned(Box(cx - 7 * k, cy - 128 * k, cx + 7 * k, cy - 10 * k, 3 * k));
    c.Fill(barrel, Solid(58, 56, 52));
    const TSdf turret = Circle(cx, cy + 6 * k, 34 * k);
    c.Fill(turret, Solid(236, 196, 52));
    c.Bevel(turret, std::max(1.0f, 8 * k), 0.6f);
    return c;
}

} // namespace

bool WriteIcons(const std::string& folder, std::string& error) {
    std::filesystem::create_directories(folder);
    for (const int size : IconSizes) {
        const TCanvas c = DrawIcon(size);
        std::vector<uint8_t> bytes;
        bytes.reserve(size_t(size) * size * 4);
        for (const TPixel& p : c.Px) {
            auto byte = [](float v) { return uint8_t(std::clamp(std::lround(v), 0L, 255L)); };
            bytes.push_back(byte(p.C.R));
            bytes.push_back(byte(p.C.G));
            bytes.push_back(byte(p.C.B));
            bytes.push_back(byte(p.A * 255));
        }
        const std::string path = folder + "/moorclash-" + std::to_string(size) + ".png";
        if (!stbi_write_png(path.c_str(), size, size, 4, bytes.data(), size * 4)) {
            error = "cannot write " + path;
            return false;
        }
    }
    return true;
}
