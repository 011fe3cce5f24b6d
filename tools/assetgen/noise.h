// Our own deterministic randomness: the same seed gives the same bytes on
// every machine, which std::rand does not promise.
#pragma once

#include <cstdint>

class TNoise {
  public:
    explicit TNoise(uint64_t seed) : State(seed) {}
    uint64_t Next();
    double Real();                      // [0, 1)
    double Range(double lo, double hi); // [lo, hi)
    int Int(int n);                     // 0 .. n-1
    double Gauss();                     // roughly normal, mean 0, sd 1

  private:
    uint64_t State;
};

// Stateless hash of a lattice point, [0, 1).
double Hash2(int x, int y, uint32_t seed);

// Value noise that repeats every `period` lattice cells in both directions,
// so a 64 px tile built from it wraps without a seam.
double PeriodicNoise(double x, double y, int period, uint32_t seed);

// Sum of octaves, each twice the frequency; x and y in tile pixels, the tile
// `size` px wide; `cells` lattice cells across the tile at the first octave.
double TileFbm(double x, double y, int size, int cells, int octaves, uint32_t seed,
               double gain = 0.5);

// Distances to the nearest and second-nearest feature point of a periodic
// cell pattern (`cells` cells across a `size` px tile), and the nearest
// cell's id.
struct TVoronoi {
    double F1 = 0, F2 = 0;
    uint32_t Id = 0;
    double CentreX = 0, CentreY = 0;
};
TVoronoi TileVoronoi(double x, double y, int size, int cells, uint32_t seed, double jitter = 0.8);
