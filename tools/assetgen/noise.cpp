#include "noise.h"

#include <cmath>

uint64_t TNoise::Next() {
    // splitmix64
    uint64_t z = (State += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double TNoise::Real() {
    return double(Next() >> 11) * (1.0 / 9007199254740992.0);
}

double TNoise::Range(double lo, double hi) {
    return lo + (hi - lo) * Real();
}

int TNoise::Int(int n) {
    return n <= 0 ? 0 : int(Next() % uint64_t(n));
}

double TNoise::Gauss() {
    double s = 0;
    for (int i = 0; i < 4; ++i)
        s += Real();
    return (s - 2.0) * 1.7320508;
}

double Hash2(int x, int y, uint32_t seed) {
    uint64_t h = uint64_t(uint32_t(x)) * 0x9E3779B1ull ^ uint64_t(uint32_t(y)) * 0x85EBCA77ull ^
                 uint64_t(seed) * 0xC2B2AE3Dull;
    h ^= h >> 15;
    h *= 0x2C1B3C6Dull;
    h ^= h >> 12;
    h *= 0x297A2D39ull;
    h ^= h >> 15;
    return double(h & 0xFFFFFF) / double(0x1000000);
}

namespace {

int Wrap(int v, int period) {
    const int m = v % period;
    return m < 0 ? m + period : m;
}

double Fade(double t) {
    return t * t * t * (t * (t * 6 - 15) + 10);
}

} // namespace

double PeriodicNoise(double x, double y, int period, uint32_t seed) {
    const double fx = std::floor(x), fy = std::floor(y);
    const int ix = int(fx), iy = int(fy);
    const double tx = Fade(x - fx), ty = Fade(y - fy);
    const int x0 = Wrap(ix, period), x1 = Wrap(ix + 1, period);
    const int y0 = Wrap(iy, period), y1 = Wrap(iy + 1, period);
    const double a = Hash2(x0, y0, seed), b = Hash2(x1, y0, seed);
    const double c = Hash2(x0, y1, seed), d = Hash2(x1, y1, seed);
    const double top = a + (b - a) * tx, bottom = c + (d - c) * tx;
    return top + (bottom - top) * ty;
}

double TileFbm(double x, double y, int size, int cells, int octaves, uint32_t seed, double gain) {
    double sum = 0, weight = 1, total = 0;
    int period = cells;
    for (int o = 0; o < octaves; ++o) {
        const double scale = double(period) / size;
        sum += weight * PeriodicNoise(x * scale, y * scale, period, seed + 101u * uint32_t(o));
        total += weight;
        weight *= gain;
        period *= 2;
    }
    return sum / total;
}

TVoronoi TileVoronoi(double x, double y, int size, int cells, uint32_t seed, double jitter) {
    const double cellSize = double(size) / cells;
    const int cx = int(std::floor(x / cellSize)), cy = int(std::floor(y / cellSize));
    TVoronoi v;
    v.F1 = v.F2 = 1e9;
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx) {
            const int gx = cx + dx, gy = cy + dy;
            const int wx = Wrap(gx, cells), wy = Wrap(gy, cells);
            const double px = (gx + 0.5 + jitter * (Hash2(wx, wy, seed) - 0.5)) * cellSize;
            const double py = (gy + 0.5 + jitter * (Hash2(wx, wy, seed + 7) - 0.5)) * cellSize;
            const double d = std::hypot(x - px, y - py);
            if (d < v.F1) {
                v.F2 = v.F1;
                v.F1 = d;
                v.Id = uint32_t(wy * cells + wx);
                v.CentreX = px;
                v.CentreY = py;
            } else if (d < v.F2) {
                v.F2 = d;
            }
        }
    return v;
}
