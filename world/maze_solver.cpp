#include "world/maze_solver.h"

#include <cstdlib>
#include <cstring>

TMazeSolver::TMazeSolver(const TMapState& map)
    : Map(map), Visited(static_cast<size_t>(MaxMapSize) * MaxMapSize), Stack(MaxPathLength) {}

void TMazeSolver::Enter(int x, int y, int depth) {
    if (Found || depth == MaxPathLength || x < 0 || y < 0 || x >= Width || y >= Height) return;
    uint8_t& seen = Visited[static_cast<size_t>(x) * MaxMapSize + y];
    if (seen) return; // a wall, or visited earlier: dead ends are never entered twice
    seen = 1;
    if (x == Target.X && y == Target.Y) {
        Found = true;
        Path[depth] = {x, y};
        PathLength = depth + 1;
        return;
    }
    // 64 bits: a target far outside the map must not overflow.
    const int64_t ax = std::llabs(static_cast<int64_t>(Target.X) - x);
    const int64_t ay = std::llabs(static_cast<int64_t>(Target.Y) - y);
    Stack[StackSize++] = {x,
                          y,
                          depth,
                          static_cast<int8_t>(Target.X < x ? -1 : 1),
                          static_cast<int8_t>(Target.Y < y ? -1 : 1),
                          ay < ax,
                          0};
}

bool TMazeSolver::FindPath(TCell start, TCell target) {
    Target = target;
    Found = false;
    PathLength = 0;
    Width = Map.SolverWidth < MaxMapSize ? Map.SolverWidth : MaxMapSize;
    Height = Map.SolverHeight < MaxMapSize ? Map.SolverHeight : MaxMapSize;
    for (int column = 0; column < Width; ++column)
        std::memcpy(&Visited[static_cast<size_t>(column) * MaxMapSize],
                    &Map.BlockedStore[static_cast<size_t>(column) * MaxMapSize],
                    static_cast<size_t>(Height > 0 ? Height : 0));

    StackSize = 0;
    Enter(start.X, start.Y, 0);
    while (StackSize > 0) {
        TFrame& f = Stack[StackSize - 1];
        if (Found) {
            // Unwinding: each cell on the way writes itself into the path.
            Path[f.Depth] = {f.X, f.Y};
            --StackSize;
            continue;
        }
        if (f.Next == 4) {
            --StackSize;
            continue;
        }
        // Steps that close the larger distance first, the one straight away
        // from the target last.
        int x = f.X, y = f.Y;
        const int step = f.Next++;
        if (f.AcrossFirst) {
            static constexpr int order[4][2] = {{1, 0}, {0, 1}, {0, -1}, {-1, 0}};
            x += order[step][0] * f.Dx;
            y += order[step][1] * f.Dy;
        } else {
            static constexpr int order[4][2] = {{0, 1}, {1, 0}, {-1, 0}, {0, -1}};
            x += order[step][0] * f.Dx;
            y += order[step][1] * f.Dy;
        }
        Enter(x, y, f.Depth + 1);
    }
    return Found;
}
