// Random bytes as a .map file: reading must refuse or accept cleanly, and an
// accepted grid must load, save and read back to the same cells.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/services.h"
#include "core/terrain.h"
#include "world/map_file.h"
#include "world/maps.h"
#include "world/maze_solver.h"

namespace {

struct World {
    TMapState Map;
    TTerrainTables Tables;
    Random Rng{5};
    TMazeSolver Solver{Map};
    World() {
        Tables.TextureCount = 7;
        for (int k = 0; k < 6; ++k)
            Tables.TerrainKind[k] = k;
        Tables.TerrainKind[6] = 99; // a kind the game does not know
    }
};

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static World* w = new World;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    TMapGrid grid;
    std::string error;
    CountBaseCodes(text, w->Tables, 2);
    if (!ParseMapText(text, "fuzz.map", grid, error)) {
        Check(!error.empty());
        return 0;
    }
    Check(grid.Width >= 1 && grid.Width <= MaxMapSize && grid.Height >= 1 &&
          grid.Height <= MaxMapSize);
    Check(grid.Cells.size() == static_cast<size_t>(grid.Width) * grid.Height);
    if (!CommitMapGrid(w->Map, w->Tables, w->Rng, grid, "fuzz", error)) return 0;

    const TMapState& m = w->Map;
    Check(m.SpawnCount >= 1 && m.SpawnCount <= MaxSpawnPoints && m.BaseCount <= MaxBases);
    int assigned = 0;
    for (int b = 0; b < MaxBases; ++b)
        assigned += m.BaseSpawnCount[b];
    Check(assigned == (m.BaseCount > 1 ? m.SpawnCount : 0));
    for (int i = 0; i < m.SpawnCount; ++i) {
        const TCell s = m.SpawnPoints[i];
        Check(s.X >= 0 && s.X < m.MapWidth && s.Y >= 0 && s.Y < m.MapHeight);
        Check(KindAt(m, w->Tables, s.X, s.Y) != tkWall);
    }

    TMapGrid again;
    Check(ParseMapText(FormatMapText(m), "again.map", again, error));
    Check(again.Width == grid.Width && again.Height == grid.Height && again.Cells == grid.Cells);
    MapChecksum(m);

    // Lines and ways between the spawn points, and a line from the bytes themselves.
    const TCell first = m.SpawnPoints[0];
    const TCell last = m.SpawnPoints[m.SpawnCount - 1];
    const TWallHit hit = SegmentHitsWall(m, w->Tables, CellCentre(m, first.X, first.Y),
                                         CellCentre(m, last.X, last.Y));
    Check(InsideMap(m, hit.End));
    if (size >= 4) {
        const TVector a{data[0] * 8.0 - 200, data[1] * 8.0 - 200};
        const TVector b{data[2] * 8.0 - 200, data[3] * 8.0 - 200};
        Check(InsideMap(m, SegmentHitsWall(m, w->Tables, a, b).End));
    }
    if (w->Solver.FindPath(first, last))
        Check(w->Solver.PathLength >= 1 && w->Solver.PathLength <= MaxPathLength);
    return 0;
}
