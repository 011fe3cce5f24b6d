#include <cstdlib>
#include <random>

#include "world/maze_solver.h"
#include "world_support.h"

namespace {

// The search written the plain recursive way, to hold the solver's
// explicit stack to the same visit order.
struct RecursiveSolver {
    explicit RecursiveSolver(const TMapState& map) : Map(map) {}
    const TMapState& Map;
    std::vector<uint8_t> Seen;
    std::vector<TCell> Path = std::vector<TCell>(MaxPathLength);
    int Length = 0;
    bool Found = false;
    TCell Target{};

    void Visit(int x, int y, int depth) {
        if (Found || depth == MaxPathLength || x < 0 || y < 0 || x >= Map.SolverWidth ||
            y >= Map.SolverHeight)
            return;
        if (Seen[x * MaxMapSize + y]) return;
        Seen[x * MaxMapSize + y] = 1;
        if (x == Target.X && y == Target.Y) {
            Found = true;
            Path[depth] = {x, y};
            Length = depth + 1;
            return;
        }
        const int dx = Target.X < x ? -1 : 1;
        const int dy = Target.Y < y ? -1 : 1;
        if (std::abs(Target.Y - y) < std::abs(Target.X - x)) {
            Visit(x + dx, y, depth + 1);
            Visit(x, y + dy, depth + 1);
            Visit(x, y - dy, depth + 1);
            Visit(x - dx, y, depth + 1);
        } else {
            Visit(x, y + dy, depth + 1);
            Visit(x + dx, y, depth + 1);
            Visit(x - dx, y, depth + 1);
            Visit(x, y - dy, depth + 1);
        }
        if (Found) Path[depth] = {x, y};
    }
    bool FindPath(TCell start, TCell target) {
        Seen = Map.BlockedStore;
        Found = false;
        Length = 0;
        Target = target;
        Visit(start.X, start.Y, 0);
        return Found;
    }
};

std::vector<TCell> PathOf(const TMazeSolver& s) {
    return {s.Path.begin(), s.Path.begin() + s.PathLength};
}

bool SameCell(TCell a, TCell b) {
    return a.X == b.X && a.Y == b.Y;
}

// A corridor snaking across rows: w cells per pass, the turns at alternate ends.
std::vector<std::string> Serpentine(int w, int passes) {
    std::vector<std::string> rows;
    const std::string open = JoinRows(FilledRows(w, 1, G0));
    for (int p = 0; p < passes; ++p) {
        rows.push_back(open);
        if (p + 1 == passes) break;
        std::string wall;
        for (int x = 0; x < w; ++x) {
            const bool gap = (p % 2 == 0) ? x == w - 1 : x == 0;
            wall += (x ? " " : "") + std::to_string(gap ? G0 : WL);
        }
        rows.push_back(wall);
    }
    return rows;
}

// A maze of rooms on odd cells carved by a random depth-first walk (no
// loops: every edge a bridge), then `holes` walls knocked out for loops.
std::vector<std::string> RandomMaze(int size, int holes, std::mt19937& rng) {
    std::vector<std::vector<int32_t>> cells(size, std::vector<int32_t>(size, WL));
    std::vector<TCell> stack = {{1, 1}};
    cells[1][1] = G0;
    const int steps[4][2] = {{2, 0}, {-2, 0}, {0, 2}, {0, -2}};
    while (!stack.empty()) {
        const TCell c = stack.back();
        int options[4], n = 0;
        for (int k = 0; k < 4; ++k) {
            const int x = c.X + steps[k][0], y = c.Y + steps[k][1];
            if (x > 0 && y > 0 && x < size - 1 && y < size - 1 && cells[y][x] == WL)
                options[n++] = k;
        }
        if (n == 0) {
            stack.pop_back();
            continue;
        }
        const int k = options[rng() % n];
        cells[c.Y + steps[k][1] / 2][c.X + steps[k][0] / 2] = G0;
        cells[c.Y + steps[k][1]][c.X + steps[k][0]] = G0;
        stack.push_back({c.X + steps[k][0], c.Y + steps[k][1]});
    }
    for (int h = 0; h < holes; ++h)
        cells[1 + rng() % (size - 2)][1 + rng() % (size - 2)] = G0;
    std::vector<std::string> rows;
    for (const auto& line : cells) {
        std::string row;
        for (size_t x = 0; x < line.size(); ++x)
            row += (x ? " " : "") + std::to_string(line[x]);
        rows.push_back(row);
    }
    return rows;
}

class MazeSolverTest : public ::testing::Test {
  protected:
    WorldRig Rig;
    TMazeSolver Solver{Rig.g()};
};

} // namespace

TEST_F(MazeSolverTest, StartOnTheTargetIsAOneCellPath) {
    UseMap(Rig.g(), FilledRows(5, 5, G0));
    ASSERT_TRUE(Solver.FindPath({2, 3}, {2, 3}));
    ASSERT_EQ(Solver.PathLength, 1);
    EXPECT_TRUE(SameCell(Solver.Path[0], {2, 3}));
}

TEST_F(MazeSolverTest, StartOnAWallFails) {
    UseMap(Rig.g(), {"0 8 0"});
    EXPECT_FALSE(Solver.FindPath({1, 0}, {2, 0}));
    EXPECT_EQ(Solver.PathLength, 0);
}

TEST_F(MazeSolverTest, AWalledInTargetFails) {
    UseMap(Rig.g(), {"0 0 0 0 0", "0 0 8 0 0", "0 8 0 8 0", "0 0 8 0 0"});
    EXPECT_FALSE(Solver.FindPath({0, 0}, {2, 2}));
    EXPECT_EQ(Solver.PathLength, 0);
    // A later search starts afresh.
    EXPECT_TRUE(Solver.FindPath({0, 0}, {4, 3}));
}

TEST_F(MazeSolverTest, RunsStraightAlongARow) {
    UseMap(Rig.g(), FilledRows(10, 3, G0));
    ASSERT_TRUE(Solver.FindPath({0, 1}, {7, 1}));
    ASSERT_EQ(Solver.PathLength, 8);
    for (int i = 0; i < 8; ++i)
        EXPECT_TRUE(SameCell(Solver.Path[i], {i, 1})) << i;
}

TEST_F(MazeSolverTest, ClosesTheLargerDistanceFirst) {
    UseMap(Rig.g(), FilledRows(6, 6, G0));
    ASSERT_TRUE(Solver.FindPath({0, 0}, {3, 2}));
    const std::vector<TCell> expected = {{0, 0}, {1, 0}, {1, 1}, {2, 1}, {2, 2}, {3, 2}};
    ASSERT_EQ(Solver.PathLength, 6);
    for (int i = 0; i < 6; ++i)
        EXPECT_TRUE(SameCell(Solver.Path[i], expected[i])) << i;
}

TEST_F(MazeSolverTest, GivesUpBeyondTwoThousandSteps) {
    UseMap(Rig.g(), Serpentine(100, 23)); // about 2300 steps end to end
    EXPECT_FALSE(Solver.FindPath({0, 0}, {99, 44}));
    EXPECT_EQ(Solver.PathLength, 0);
    // 19 passes and gaps of 101 cells, then back along the 20th pass.
    ASSERT_TRUE(Solver.FindPath({0, 0}, {19, 38}));
    EXPECT_EQ(Solver.PathLength, 2000);
    EXPECT_FALSE(Solver.FindPath({0, 0}, {18, 38}));
}

TEST_F(MazeSolverTest, MatchesTheRecursiveSearchOnRandomMaps) {
    std::mt19937 rng(7);
    RecursiveSolver reference(Rig.g());
    for (int map = 0; map < 20; ++map) {
        std::vector<std::string> rows;
        for (int y = 0; y < 40; ++y) {
            std::string row;
            for (int x = 0; x < 60; ++x)
                row += (x ? " " : "") + std::to_string(rng() % 100 < 35 ? WL : G0);
            rows.push_back(row);
        }
        UseMap(Rig.g(), rows);
        for (int search = 0; search < 30; ++search) {
            const TCell a{static_cast<int32_t>(rng() % 60), static_cast<int32_t>(rng() % 40)};
            const TCell b{static_cast<int32_t>(rng() % 60), static_cast<int32_t>(rng() % 40)};
            const bool found = Solver.FindPath(a, b);
            ASSERT_EQ(found, reference.FindPath(a, b));
            ASSERT_EQ(Solver.PathLength, reference.Length);
            const std::vector<TCell> path = PathOf(Solver);
            for (int i = 0; i < Solver.PathLength; ++i) {
                ASSERT_TRUE(SameCell(path[i], reference.Path[i]));
                ASSERT_EQ(Rig.g().Blocked(path[i].X, path[i].Y), 0);
                if (i > 0) {
                    ASSERT_EQ(std::abs(path[i].X - path[i - 1].X) +
                                  std::abs(path[i].Y - path[i - 1].Y),
                              1);
                }
            }
            if (found) {
                EXPECT_TRUE(SameCell(path.front(), a));
                EXPECT_TRUE(SameCell(path.back(), b));
            }
        }
    }
}

TEST_F(MazeSolverTest, CellsOutsideTheMapAreNeverEntered) {
    UseMap(Rig.g(), FilledRows(3, 3, G0));
    EXPECT_FALSE(Solver.FindPath({-1, 0}, {2, 2}));
    EXPECT_FALSE(Solver.FindPath({0, 0}, {5, 5}));
    EXPECT_FALSE(Solver.FindPath({0, 0}, {-2147483647 - 1, 2147483647}));
}

// Mazes with few or many loops, ways far past the depth cap, targets on
// walls and in walled-off pockets: the solver skips what cannot lead to the
// target, yet finds exactly the recursive search's way or fails with it.
TEST_F(MazeSolverTest, MatchesTheRecursiveSearchInMazes) {
    std::mt19937 rng(11);
    RecursiveSolver reference(Rig.g());
    int found = 0, capped = 0;
    for (int map = 0; map < 8; ++map) {
        const int size = 121 + 40 * (map % 3);
        UseMap(Rig.g(), RandomMaze(size, (map % 4) * 60, rng));
        for (int search = 0; search < 40; ++search) {
            const TCell a{static_cast<int32_t>(rng() % size), static_cast<int32_t>(rng() % size)};
            const TCell b{static_cast<int32_t>(rng() % size), static_cast<int32_t>(rng() % size)};
            const bool expected = reference.FindPath(a, b);
            ASSERT_EQ(Solver.FindPath(a, b), expected) << map << " " << search;
            ASSERT_EQ(Solver.PathLength, reference.Length);
            for (int i = 0; i < Solver.PathLength; ++i)
                ASSERT_TRUE(SameCell(Solver.Path[i], reference.Path[i])) << i;
            found += expected;
            capped += !expected && !Rig.g().Blocked(a.X, a.Y) && !Rig.g().Blocked(b.X, b.Y);
        }
    }
    // Both outcomes were tried, the cap among the failures.
    EXPECT_GT(found, 40);
    EXPECT_GT(capped, 10);
}
