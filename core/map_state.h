// The map grid and the terrain tables. Plain data: loading lives in world/,
// the cell queries in core/terrain.h (movement needs them).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

constexpr int MaxMapSize = 1000; // cells, each way
constexpr int CellSize = 64;     // world px
constexpr int MaxSpawnPoints = 128;
constexpr int MaxBases = 11;
constexpr int MaxTextures = 1024;

enum TTerrainKindCode : int32_t {
    tkGround = 0,
    tkSpawn = 1,
    tkWall = 2,
    tkWater = 3,
    tkSnow = 4,
    tkBase = 5,
};

struct TCell {
    int32_t X = 0; // column
    int32_t Y = 0; // row, 0 = top row of the file
};

struct TMapState {
    // [column][row]; only MapWidth x MapHeight of it is meaningful.
    // Allocated once with the game (4 MB).
    std::vector<int32_t> MapCellStore = std::vector<int32_t>(MaxMapSize * MaxMapSize, 0);
    int32_t& MapCells(int column, int row) { return MapCellStore[column * MaxMapSize + row]; }
    int32_t MapCells(int column, int row) const { return MapCellStore[column * MaxMapSize + row]; }

    int32_t MapWidth = 0;
    int32_t MapHeight = 0;
    int32_t MapWidthPx = 0;
    int32_t MapHeightPx = 0;

    std::array<TCell, MaxSpawnPoints> SpawnPoints{};
    int32_t SpawnCount = 0;
    std::array<TCell, MaxBases> Bases{};
    int32_t BaseCount = 0;
    // Per base: positions in SpawnPoints of the spawn cells nearest to it.
    std::array<std::array<int32_t, MaxSpawnPoints>, MaxBases> BaseSpawns{};
    std::array<int32_t, MaxBases> BaseSpawnCount{};
    bool SnowMap = false;
    std::string CurrentMapName;

    // The folder beside the program that holds maps, textures and credits.
    std::string ProgramFolder;
    // Credits.txt, drawn over the credits level.
    std::vector<std::string> CreditsLines;

    // The path finder's view of the grid: 1 for a wall cell, else 0.
    std::vector<uint8_t> BlockedStore = std::vector<uint8_t>(MaxMapSize * MaxMapSize, 0);
    uint8_t& Blocked(int column, int row) { return BlockedStore[column * MaxMapSize + row]; }
    uint8_t Blocked(int column, int row) const { return BlockedStore[column * MaxMapSize + row]; }
    // Per cell ([column * MapHeight + row]): 1 when neither the cell nor
    // any of its eight neighbours is a wall (beyond the edges counts as
    // open). A straight step between two such cells that touch meets no
    // wall, which spares most bullets the wall walk. Made with the grid by
    // the loader; empty until then (every step is then walked).
    std::vector<uint8_t> WallFreeStore;
    bool WallFreeAround(int column, int row) const {
        const size_t i = static_cast<size_t>(column) * MapHeight + row;
        return column >= 0 && row >= 0 && column < MapWidth && row < MapHeight &&
               i < WallFreeStore.size() && WallFreeStore[i] != 0;
    }
    int32_t SolverWidth = 0;
    int32_t SolverHeight = 0;
    // Changes, to a number no grid had before, whenever the loader changes
    // the grid above: the path finder keeps its packed copy until then.
    uint64_t BlockedRevision = 0;
};

// Per texture, in TextureList.txt order. A cell code's texture is code div 4.
struct TTerrainTables {
    std::array<int32_t, MaxTextures> TerrainKind{};
    std::array<double, MaxTextures> Friction{};
    std::array<double, MaxTextures> Grip{};
    std::array<std::string, MaxTextures> TextureNames{};
    int32_t TextureCount = 0;
};
