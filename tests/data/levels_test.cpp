// The shipped levels and the credits show: format, textures, reachability,
// bases and spawn pads.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <queue>

#include "data_files.h"

namespace {

struct TLevel {
    std::string Name;
    TMapFile Map;
};

std::vector<TLevel> Levels(bool withCredits) {
    std::vector<TLevel> out;
    for (const auto& entry : std::filesystem::directory_iterator(MOOR_BIN_DIR))
        if (entry.path().extension() == ".map")
            out.push_back({entry.path().stem().string(), ReadMapFile(entry.path().string())});
    if (withCredits) out.push_back({"Credits.dat", ReadMapFile(BinPath("Credits.dat"))});
    std::sort(out.begin(), out.end(),
              [](const TLevel& a, const TLevel& b) { return a.Name < b.Name; });
    return out;
}

std::vector<int> Kinds() {
    std::string problem;
    std::vector<int> kinds;
    for (const TTextureLine& t : ReadTextureLines(problem))
        kinds.push_back(t.Kind);
    return kinds;
}

constexpr int Wall = 2, Spawn = 1, Snow = 4, Base = 5;

int KindOf(const TMapFile& m, const std::vector<int>& kinds, int x, int y) {
    const long index = m.Rows[y][x] / 4;
    return index >= 0 && index < long(kinds.size()) ? kinds[size_t(index)] : -1;
}

struct TCellPos {
    int X, Y;
};

std::vector<TCellPos> CellsOfKind(const TMapFile& m, const std::vector<int>& kinds, int kind) {
    std::vector<TCellPos> out;
    for (int y = 0; y < m.Height; ++y)
        for (int x = 0; x < m.Width; ++x)
            if (KindOf(m, kinds, x, y) == kind) out.push_back({x, y});
    return out;
}

} // namespace

TEST(Levels, EveryMapFollowsTheFormatWithKnownTextures) {
    const std::vector<int> kinds = Kinds();
    const std::vector<TLevel> levels = Levels(true);
    ASSERT_GE(levels.size(), 9u); // eight maps and the credits
    for (const TLevel& l : levels) {
        SCOPED_TRACE(l.Name);
        EXPECT_EQ(l.Map.Problem, "");
        ASSERT_GT(l.Map.Width, 0);
        // Network clients receive maps of at most 255 x 255 cells.
        EXPECT_LE(l.Map.Width, 255);
        EXPECT_LE(l.Map.Height, 255);
        int open = 0;
        for (const auto& row : l.Map.Rows)
            for (long code : row) {
                EXPECT_GE(code, 0);
                EXPECT_LT(code / 4, long(kinds.size()));
            }
        for (int y = 0; y < l.Map.Height; ++y)
            for (int x = 0; x < l.Map.Width; ++x)
                open += KindOf(l.Map, kinds, x, y) != Wall;
        EXPECT_GT(open, 0);
    }
}

TEST(Levels, EveryOpenCellCanBeReachedFromEveryOther) {
    // No spawn pad or base sealed off behind walls.
    const std::vector<int> kinds = Kinds();
    for (const TLevel& l : Levels(true)) {
        SCOPED_TRACE(l.Name);
        const TMapFile& m = l.Map;
        std::vector<char> seen(size_t(m.Width) * m.Height, 0);
        std::queue<TCellPos> todo;
        int open = 0;
        for (int y = 0; y < m.Height; ++y)
            for (int x = 0; x < m.Width; ++x)
                if (KindOf(m, kinds, x, y) != Wall && open++ == 0) {
                    todo.push({x, y});
                    seen[size_t(y) * m.Width + x] = 1;
                }
        int reached = 0;
        while (!todo.empty()) {
            const TCellPos c = todo.front();
            todo.pop();
            ++reached;
            const int dx[] = {1, -1, 0, 0}, dy[] = {0, 0, 1, -1};
            for (int k = 0; k < 4; ++k) {
                const int x = c.X + dx[k], y = c.Y + dy[k];
                if (x < 0 || y < 0 || x >= m.Width || y >= m.Height ||
                    seen[size_t(y) * m.Width + x] || KindOf(m, kinds, x, y) == Wall)
                    continue;
                seen[size_t(y) * m.Width + x] = 1;
                todo.push({x, y});
            }
        }
        EXPECT_EQ(reached, open);
    }
}

TEST(Levels, TheSetCoversEveryKindOfGame) {
    const std::vector<int> kinds = Kinds();
    int baseMaps = 0, fourBases = 0, noSpawns = 0, snowMaps = 0, sizes = 0;
    std::vector<int> areas;
    for (const TLevel& l : Levels(false)) {
        const size_t bases = CellsOfKind(l.Map, kinds, Base).size();
        baseMaps += bases >= 2;
        fourBases += bases >= 4;
        noSpawns += CellsOfKind(l.Map, kinds, Spawn).empty();
        snowMaps +=
            CellsOfKind(l.Map, kinds, Snow).size() * 2 >= size_t(l.Map.Width) * l.Map.Height;
        areas.push_back(l.Map.Width * l.Map.Height);
    }
    std::sort(areas.begin(), areas.end());
    sizes = int(std::unique(areas.begin(), areas.end()) - areas.begin());
    EXPECT_GE(baseMaps, 3);
    EXPECT_GE(fourBases, 1);
    EXPECT_GE(noSpawns, 1);
    EXPECT_GE(snowMaps, 1);
    EXPECT_GE(sizes, 6) << "maps should come in different sizes";
}

TEST(Levels, EveryBaseHasSpawnPadsCloseBy) {
    const std::vector<int> kinds = Kinds();
    for (const TLevel& l : Levels(false)) {
        SCOPED_TRACE(l.Name);
        const std::vector<TCellPos> bases = CellsOfKind(l.Map, kinds, Base);
        const std::vector<TCellPos> spawns = CellsOfKind(l.Map, kinds, Spawn);
        if (bases.size() < 2) continue;
        for (const TCellPos& b : bases) {
            const int near =
                int(std::count_if(spawns.begin(), spawns.end(), [&](const TCellPos& s) {
                    return std::abs(s.X - b.X) <= 3 && std::abs(s.Y - b.Y) <= 3;
                }));
            EXPECT_GE(near, 2) << "base at " << b.X << "," << b.Y;
        }
    }
}

TEST(Levels, MapsWithSpawnPadsHaveSeveralSpreadOut) {
    const std::vector<int> kinds = Kinds();
    for (const TLevel& l : Levels(false)) {
        SCOPED_TRACE(l.Name);
        const std::vector<TCellPos> spawns = CellsOfKind(l.Map, kinds, Spawn);
        if (spawns.empty()) continue;
        EXPECT_GE(spawns.size(), 4u);
        int minX = l.Map.Width, maxX = 0, minY = l.Map.Height, maxY = 0;
        for (const TCellPos& s : spawns) {
            minX = std::min(minX, s.X);
            maxX = std::max(maxX, s.X);
            minY = std::min(minY, s.Y);
            maxY = std::max(maxY, s.Y);
        }
        EXPECT_GE(maxX - minX, l.Map.Width / 2);
        EXPECT_GE(maxY - minY, l.Map.Height / 2);
    }
}

TEST(Credits, TheTextFitsOnTheCreditsLevel) {
    bool crlf = false;
    const std::vector<std::string> lines = Lines(ReadText(BinPath("Credits.txt")), crlf);
    EXPECT_TRUE(crlf);
    // Left-column lines each open a 64 px row; right-column ones share it.
    int rows = 0, right = 0;
    bool team = false;
    // About 15 px a character at the credits' font size: a left line must
    // end before the right column when that row has a right-column line,
    // and every line must end on the map.
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        auto isRight = [](const std::string& l) {
            return l.rfind("Wil", 0) == 0 || l.rfind("Dir", 0) == 0;
        };
        const int width = 15 * int(line.size());
        if (isRight(line)) {
            ++right;
            EXPECT_LT(704 + width, 24 * 64) << line;
        } else {
            ++rows;
            const bool shared = i + 1 < lines.size() && isRight(lines[i + 1]);
            EXPECT_LT(192 + width, shared ? 704 : 24 * 64) << line;
        }
        team = team || line.find("Moorclash team") != std::string::npos;
    }
    EXPECT_TRUE(team);
    EXPECT_GE(right, 4);
    const TMapFile credits = ReadMapFile(BinPath("Credits.dat"));
    EXPECT_GE(credits.Width * 64, 704 + 15 * 45);
    EXPECT_GE(credits.Height * 64, (rows + 1) * 64);
}
