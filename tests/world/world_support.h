// Helpers for the world tests: a terrain table where texture t has kind t,
// maps written as rows of codes, and a scratch folder per test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "core/game.h"
#include "fakes/fakes.h"
#include "world/map_file.h"
#include "world/maps.h"

// Cell codes with these tables: kind * 4 + rotation.
constexpr int32_t G0 = tkGround * 4, SP = tkSpawn * 4, WL = tkWall * 4, WT = tkWater * 4,
                  SN = tkSnow * 4, BS = tkBase * 4;

inline void UseKindPerTexture(TTerrainTables& t) {
    t.TextureCount = 6;
    for (int k = 0; k < 6; ++k)
        t.TerrainKind[k] = k;
}

inline std::string JoinRows(const std::vector<std::string>& rows) {
    std::string text;
    for (size_t i = 0; i < rows.size(); ++i)
        text += (i ? "\r\n" : "") + rows[i];
    return text;
}

// Replaces g's map with the given rows (codes separated by blanks).
inline void UseMap(Game& g, const std::vector<std::string>& rows,
                   const std::string& name = "test") {
    TMapGrid grid;
    std::string error;
    ASSERT_TRUE(ParseMapText(JoinRows(rows), name, grid, error)) << error;
    ASSERT_TRUE(CommitMapGrid(g, g, g.Rng, grid, name, error)) << error;
}

// Rows of width w filled with code, as text.
inline std::vector<std::string> FilledRows(int w, int h, int32_t code) {
    std::string row;
    for (int x = 0; x < w; ++x)
        row += (x ? " " : "") + std::to_string(code);
    return std::vector<std::string>(h, row);
}

class TempFolder {
  public:
    TempFolder() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        Path = std::filesystem::temp_directory_path() /
               ("moor_world_" + std::string(info->test_suite_name()) + "_" + info->name() + "_" +
                std::to_string(::getpid()));
        std::filesystem::remove_all(Path);
        std::filesystem::create_directories(Path);
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(Path, ec);
    }
    std::string File(const std::string& name) const { return (Path / name).string(); }
    void Write(const std::string& name, const std::string& text) const {
        std::ofstream(File(name), std::ios::binary) << text;
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(File(name), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::filesystem::path Path;
};

// A Game whose program folder is a fresh scratch folder.
struct WorldRig : TestRig {
    TempFolder Folder;
    WorldRig() {
        UseKindPerTexture(g());
        g().ProgramFolder = Folder.Path.string();
    }
};
