// Wall tests and path searches on the largest shipped map (or a generated
// 200 x 200 arena when none has been shipped) and on a 1000 x 1000 maze.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/services.h"
#include "core/terrain.h"
#include "world/map_file.h"
#include "world/maps.h"
#include "world/maze_solver.h"
#include "world/textures.h"

namespace {

constexpr int32_t Ground = 0, Wall = 8; // with the fallback tables: texture t has kind t

struct World {
    TMapState Map;
    TTerrainTables Tables;
    std::string Name;
    std::vector<TCell> FreeCells;
};

std::string ReadAll(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void KindPerTexture(TTerrainTables& t) {
    t.TextureCount = 6;
    for (int k = 0; k < 6; ++k)
        t.TerrainKind[k] = k;
}

void Install(World& w, const TMapGrid& grid) {
    Random rng(3);
    std::string error;
    if (!CommitMapGrid(w.Map, w.Tables, rng, grid, w.Name, error)) throw std::runtime_error(error);
    for (int y = 0; y < grid.Height; ++y)
        for (int x = 0; x < grid.Width; ++x)
            if (!w.Map.Blocked(x, y)) w.FreeCells.push_back({x, y});
}

TMapGrid Generated(int w, int h, uint32_t seed) {
    TMapGrid g;
    g.Width = w;
    g.Height = h;
    g.Cells.assign(static_cast<size_t>(w) * h, Ground);
    std::mt19937 rng(seed);
    // Border walls and scattered wall blocks, like a hand-made arena.
    for (int x = 0; x < w; ++x)
        g.Cells[x] = g.Cells[static_cast<size_t>(h - 1) * w + x] = Wall;
    for (int y = 0; y < h; ++y)
        g.Cells[static_cast<size_t>(y) * w] = g.Cells[static_cast<size_t>(y) * w + w - 1] = Wall;
    for (int b = 0; b < w * h / 60; ++b) {
        const int bx = static_cast<int>(rng() % w), by = static_cast<int>(rng() % h);
        const int bw = 1 + static_cast<int>(rng() % 6), bh = 1 + static_cast<int>(rng() % 6);
        for (int y = by; y < std::min(h, by + bh); ++y)
            for (int x = bx; x < std::min(w, bx + bw); ++x)
                g.Cells[static_cast<size_t>(y) * w + x] = Wall;
    }
    return g;
}

// A perfect maze: rooms on odd cells, carved by a depth-first walk.
TMapGrid Maze(int size, uint32_t seed) {
    TMapGrid g;
    g.Width = g.Height = size;
    g.Cells.assign(static_cast<size_t>(size) * size, Wall);
    auto at = [&](int x, int y) -> int32_t& { return g.Cells[static_cast<size_t>(y) * size + x]; };
    std::mt19937 rng(seed);
    std::vector<TCell> stack = {{1, 1}};
    at(1, 1) = Ground;
    const int steps[4][2] = {{2, 0}, {-2, 0}, {0, 2}, {0, -2}};
    while (!stack.empty()) {
        const TCell c = stack.back();
        int options[4], n = 0;
        for (int k = 0; k < 4; ++k) {
            const int nx = c.X + steps[k][0], ny = c.Y + steps[k][1];
            if (nx > 0 && ny > 0 && nx < size - 1 && ny < size - 1 && at(nx, ny) == Wall)
                options[n++] = k;
        }
        if (n == 0) {
            stack.pop_back();
            continue;
        }
        const int k = options[rng() % n];
        at(c.X + steps[k][0] / 2, c.Y + steps[k][1] / 2) = Ground;
        at(c.X + steps[k][0], c.Y + steps[k][1]) = Ground;
        stack.push_back({c.X + steps[k][0], c.Y + steps[k][1]});
    }
    return g;
}

// The largest data/*.map with data/TextureList.txt, else a generated arena.
World& ShippedOrArena() {
    static const std::unique_ptr<World> w = [] {
        auto world = std::make_unique<World>();
        const std::filesystem::path data = std::filesystem::path(MOOR_SOURCE_DIR) / "data";
        TMapGrid best;
        std::error_code ec;
        for (std::filesystem::directory_iterator it(data, ec), end; !ec && it != end;
             it.increment(ec)) {
            if (it->path().extension() != ".map") continue;
            TMapGrid grid;
            std::string error;
            if (ParseMapText(ReadAll(it->path()), it->path().string(), grid, error) &&
                static_cast<int64_t>(grid.Width) * grid.Height >
                    static_cast<int64_t>(best.Width) * best.Height) {
                best = std::move(grid);
                world->Name = it->path().stem().string();
            }
        }
        std::vector<TTextureEntry> entries;
        std::string error, warning;
        std::vector<std::string> missing;
        if (best.Width > 0 &&
            ParseTextureList(ReadAll(data / "TextureList.txt"), "TextureList.txt", entries, error,
                             warning) &&
            !entries.empty()) {
            for (size_t t = 0; t < entries.size(); ++t)
                world->Tables.TerrainKind[t] = entries[t].Kind;
            world->Tables.TextureCount = static_cast<int32_t>(entries.size());
        } else {
            KindPerTexture(world->Tables);
            best = Generated(200, 200, 11);
            world->Name = "arena200";
        }
        Install(*world, best);
        return world;
    }();
    return *w;
}

World& Maze1000() {
    static const std::unique_ptr<World> w = [] {
        auto world = std::make_unique<World>();
        KindPerTexture(world->Tables);
        world->Name = "maze1000";
        Install(*world, Maze(1000, 17));
        return world;
    }();
    return *w;
}

World& Pick(int which) {
    return which == 0 ? ShippedOrArena() : Maze1000();
}

// Segments from open cells, up to maxLength px long in any direction.
void BM_SegmentHitsWall(benchmark::State& state) {
    World& w = Pick(static_cast<int>(state.range(0)));
    const double maxLength = static_cast<double>(state.range(1));
    std::mt19937 rng(1);
    std::vector<std::pair<TVector, TVector>> segments;
    for (int i = 0; i < 4096; ++i) {
        const TCell c = w.FreeCells[rng() % w.FreeCells.size()];
        const TVector a = CellCentre(w.Map, c.X, c.Y);
        const double angle = (rng() % 10000) * 6.2831853 / 10000,
                     length = (rng() % 10000) * maxLength / 10000;
        segments.push_back({a, {a.x + std::cos(angle) * length, a.y + std::sin(angle) * length}});
    }
    size_t i = 0;
    int hits = 0;
    for (auto _ : state) {
        const auto& s = segments[i++ & 4095];
        hits += SegmentHitsWall(w.Map, w.Tables, s.first, s.second).Hit;
    }
    benchmark::DoNotOptimize(hits);
    state.SetLabel(w.Name);
}
BENCHMARK(BM_SegmentHitsWall)->Args({0, 800})->Args({0, 100000})->Args({1, 800})->Args({1, 100000});

// Searches between open cells at most `reach` cells apart (bot routes are short).
void BM_FindPath(benchmark::State& state) {
    World& w = Pick(static_cast<int>(state.range(0)));
    const int reach = static_cast<int>(state.range(1));
    static TMazeSolver* solvers[2] = {nullptr, nullptr};
    TMazeSolver*& solver = solvers[state.range(0)];
    if (!solver) solver = new TMazeSolver(w.Map);
    std::mt19937 rng(2);
    std::vector<std::pair<TCell, TCell>> pairs;
    while (pairs.size() < 256) {
        const TCell a = w.FreeCells[rng() % w.FreeCells.size()];
        const TCell b{a.X + static_cast<int>(rng() % (2 * reach + 1)) - reach,
                      a.Y + static_cast<int>(rng() % (2 * reach + 1)) - reach};
        if (b.X >= 0 && b.Y >= 0 && b.X < w.Map.MapWidth && b.Y < w.Map.MapHeight &&
            !w.Map.Blocked(b.X, b.Y))
            pairs.push_back({a, b});
    }
    size_t i = 0;
    int found = 0;
    for (auto _ : state) {
        const auto& p = pairs[i++ & 255];
        found += solver->FindPath(p.first, p.second);
    }
    state.counters["found%"] = 100.0 * found / static_cast<double>(state.iterations());
    state.SetLabel(w.Name);
}
BENCHMARK(BM_FindPath)
    ->Args({0, 20})
    ->Args({0, 1000})
    ->Args({1, 20})
    ->Args({1, 1000})
    ->Unit(benchmark::kMicrosecond);

// The first search of a solver on a grid: it packs the grid and finds its
// bridges before it searches.
void BM_FirstSearchOnAGrid(benchmark::State& state) {
    World& w = Pick(static_cast<int>(state.range(0)));
    const TCell a = w.FreeCells.front(), b = w.FreeCells.back();
    for (auto _ : state) {
        TMazeSolver solver(w.Map);
        benchmark::DoNotOptimize(solver.FindPath(a, b));
    }
    state.SetLabel(w.Name);
}
BENCHMARK(BM_FirstSearchOnAGrid)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
