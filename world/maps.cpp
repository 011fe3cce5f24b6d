#include "world/maps.h"

#include <algorithm>
#include <array>
#include <atomic>

#include "core/game.h"
#include "core/terrain.h"
#include "world/game_folders.h"
#include "world/text_file.h"

namespace {

constexpr int RandomSpawnCount = 16;
// Random draws for one spawn point before falling back to counting free
// cells, so a map that is nearly all wall still loads quickly.
constexpr int SpawnDrawLimit = 4096;
constexpr size_t MaxCreditsBytes = 1u << 20;

std::string MapFileName(const std::string& name) {
    return name == CreditsLevelName ? "Credits.dat" : name + ".map";
}

TCell PickRandomFreeCell(const TMapState& map, Random& rng, int freeCells) {
    for (int tries = 0; tries < SpawnDrawLimit; ++tries) {
        const int column = rng.Int(map.MapWidth);
        const int row = rng.Int(map.MapHeight);
        if (!map.Blocked(column, row)) return {column, row};
    }
    int k = rng.Int(freeCells);
    for (int row = 0; row < map.MapHeight; ++row)
        for (int column = 0; column < map.MapWidth; ++column)
            if (!map.Blocked(column, row) && k-- == 0) return {column, row};
    return {0, 0};
}

// A number no grid of any map state had before (states may be copied).
uint64_t NewBlockedRevision() {
    static std::atomic<uint64_t> last{0};
    return ++last;
}

void AssignBaseSpawns(TMapState& map) {
    map.BaseSpawnCount.fill(0);
    if (map.BaseCount <= 1) return;
    for (int i = 0; i < map.SpawnCount; ++i) {
        const TCell s = map.SpawnPoints[i];
        int nearest = 0;
        int best = -1;
        for (int b = 0; b < map.BaseCount; ++b) {
            const int dx = s.X - map.Bases[b].X;
            const int dy = s.Y - map.Bases[b].Y;
            const int d = dx * dx + dy * dy;
            if (best < 0 || d < best) { // ties stay with the earlier base
                best = d;
                nearest = b;
            }
        }
        map.BaseSpawns[nearest][map.BaseSpawnCount[nearest]++] = i;
    }
}

} // namespace

bool IsPlainLevelName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (const char c : name) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || c == ':' || u < 32 || u == 127) return false;
    }
    return true;
}

bool CommitMapGrid(TMapState& map, const TTerrainTables& tables, Random& rng, const TMapGrid& grid,
                   const std::string& name, std::string& error) {
    const int w = grid.Width;
    const int h = grid.Height;
    if (w <= 0 || h <= 0 || w > MaxMapSize || h > MaxMapSize ||
        grid.Cells.size() != static_cast<size_t>(w) * static_cast<size_t>(h)) {
        error = "The map \"" + name + "\" has no usable size.";
        return false;
    }
    // Scan first: a map with nowhere to start is refused before anything changes.
    int freeCells = 0;
    for (const int32_t code : grid.Cells)
        if (KindOfCode(tables, code) != tkWall) ++freeCells;
    if (freeCells == 0) {
        error = "The map \"" + name + "\" is wall everywhere: there is nowhere to start.";
        return false;
    }

    map.MapWidth = w;
    map.MapHeight = h;
    map.MapWidthPx = w * CellSize;
    map.MapHeightPx = h * CellSize;
    map.SpawnCount = 0;
    map.BaseCount = 0;
    map.SolverWidth = w;
    map.SolverHeight = h;
    int snowCells = 0;
    // Row by row from the top, left to right: spawn points and bases keep that order.
    for (int row = 0; row < h; ++row) {
        for (int column = 0; column < w; ++column) {
            const int32_t code = grid.At(column, row);
            map.MapCells(column, row) = code;
            const int32_t kind = KindOfCode(tables, code);
            map.Blocked(column, row) = kind == tkWall ? 1 : 0;
            if (kind == tkSpawn && map.SpawnCount < MaxSpawnPoints)
                map.SpawnPoints[map.SpawnCount++] = {column, row};
            if (kind == tkBase && map.BaseCount < MaxBases)
                map.Bases[map.BaseCount++] = {column, row};
            if (kind == tkSnow) ++snowCells;
        }
    }
    map.WallFreeStore.assign(static_cast<size_t>(w) * h, 0);
    for (int column = 0; column < w; ++column)
        for (int row = 0; row < h; ++row) {
            bool open = true;
            for (int c = std::max(0, column - 1); c <= std::min(w - 1, column + 1); ++c)
                for (int r = std::max(0, row - 1); r <= std::min(h - 1, row + 1); ++r)
                    open = open && !map.Blocked(c, r);
            map.WallFreeStore[static_cast<size_t>(column) * h + row] = open ? 1 : 0;
        }
    map.BlockedRevision = NewBlockedRevision();
    map.SnowMap = 2 * static_cast<int64_t>(snowCells) >= static_cast<int64_t>(w) * h;
    if (map.SpawnCount == 0)
        for (int i = 0; i < RandomSpawnCount; ++i)
            map.SpawnPoints[map.SpawnCount++] = PickRandomFreeCell(map, rng, freeCells);
    AssignBaseSpawns(map);
    map.CurrentMapName = name;
    return true;
}

std::string MapFilePath(const Game& g, const std::string& name) {
    return ReadableFile(UserMapsFolder(), g.ProgramFolder, MapFileName(name));
}

bool LoadMap(Game& g, const std::string& name, std::string& error) {
    const bool credits = name == CreditsLevelName;
    if (!credits && !IsPlainLevelName(name)) {
        error = "\"" + Printable(name) + "\" is not a level name that can be loaded.";
        return false;
    }
    const std::string path = MapFilePath(g, name);
    std::string text;
    TMapGrid grid;
    if (!ReadTextFile(path, MaxMapFileBytes, text, error) ||
        !ParseMapText(text, path, grid, error) || !CommitMapGrid(g, g, g.Rng, grid, name, error))
        return false;
    g.CreditsLevel = credits;
    g.MapReceived = true;
    return true;
}

bool LoadMap(Game& g, const std::string& name) {
    std::string error;
    if (LoadMap(g, name, error)) return true;
    g.TheUi.MessageBox(error);
    return false;
}

bool SaveMap(Game& g, const std::string& name) {
    // The credits level is saved where it is loaded from, Credits.dat.
    if (!IsPlainLevelName(name)) {
        g.TheUi.MessageBox("Cannot save a map as \"" + Printable(name) +
                           "\": not a plain file name.");
        return false;
    }
    // Written to the player's own maps, never over a shipped one.
    const std::string& folder = UserMapsFolder().empty() ? g.ProgramFolder : UserMapsFolder();
    std::string error = PrepareWritableFolder(UserMapsFolder());
    if (!error.empty() ||
        !WriteTextFile(FolderFile(folder, MapFileName(name)), FormatMapText(g), error)) {
        g.TheUi.MessageBox(error);
        return false;
    }
    return true;
}

bool MapHasBases(const Game& g, const std::string& name) {
    if (!IsPlainLevelName(name)) return false;
    std::string text;
    std::string error;
    // An unreadable map simply has no bases here; loading it says what is wrong.
    if (!ReadTextFile(MapFilePath(g, name), MaxMapFileBytes, text, error)) return false;
    return CountBaseCodes(text, g, 2) > 1;
}

bool LoadCreditsText(Game& g) {
    const std::string path = FolderFile(g.ProgramFolder, "Credits.txt");
    std::string text;
    std::string error;
    if (!ReadTextFile(path, MaxCreditsBytes, text, error)) {
        g.TheUi.MessageBox(error);
        return false;
    }
    g.CreditsLines.clear();
    for (TTextLines lines(text); lines.Next();)
        g.CreditsLines.emplace_back(lines.Line);
    return true;
}
