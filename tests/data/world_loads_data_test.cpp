// The shipped texture list and levels as the game's own loader sees them.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "core/map_state.h"
#include "core/services.h"
#include "data_files.h"
#include "world/map_file.h"
#include "world/maps.h"
#include "world/textures.h"

namespace {

TTerrainTables LoadedTables() {
    TTerrainTables tables;
    std::vector<TTextureEntry> entries;
    std::string error, warning;
    EXPECT_TRUE(ParseTextureList(ReadText(BinPath("TextureList.txt")), "TextureList.txt", entries,
                                 error, warning))
        << error;
    EXPECT_EQ(warning, "");
    for (size_t i = 0; i < entries.size(); ++i)
        tables.TerrainKind[i] = entries[i].Kind;
    tables.TextureCount = int32_t(entries.size());
    return tables;
}

struct TLoaded {
    std::unique_ptr<TMapState> Map = std::make_unique<TMapState>();
    bool Ok = false;
};

TLoaded Load(const std::string& file, const TTerrainTables& tables) {
    TLoaded out;
    TMapGrid grid;
    std::string error;
    Random rng(7);
    out.Ok = ParseMapText(ReadText(BinPath(file)), file, grid, error) &&
             CommitMapGrid(*out.Map, tables, rng, grid, file, error);
    EXPECT_TRUE(out.Ok) << file << ": " << error;
    return out;
}

} // namespace

TEST(WorldLoadsData, EveryShippedLevelLoadsWithItsSpawnsAndBases) {
    const TTerrainTables tables = LoadedTables();
    int withBases = 0;
    for (const auto& entry : std::filesystem::directory_iterator(MOOR_BIN_DIR)) {
        if (entry.path().extension() != ".map") continue;
        const std::string file = entry.path().filename().string();
        SCOPED_TRACE(file);
        const TLoaded l = Load(file, tables);
        if (!l.Ok) continue;
        EXPECT_GE(l.Map->SpawnCount, 4);
        if (l.Map->BaseCount < 2) continue;
        ++withBases;
        for (int b = 0; b < l.Map->BaseCount; ++b)
            EXPECT_GE(l.Map->BaseSpawnCount[b], 2) << "base " << b;
    }
    EXPECT_GE(withBases, 3);
}

TEST(WorldLoadsData, TheSnowLevelCountsAsSnowAndTheCreditsLoad) {
    const TTerrainTables tables = LoadedTables();
    EXPECT_TRUE(Load("Frostbite.map", tables).Map->SnowMap);
    EXPECT_FALSE(Load("Green Acres.map", tables).Map->SnowMap);
    const TLoaded credits = Load("Credits.dat", tables);
    EXPECT_GE(credits.Map->MapWidth, 20);
}
