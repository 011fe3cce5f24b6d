// MazeSolver: a depth-first way through the walls for the bots. It tries
// the steps towards the target first and returns the first way it finds,
// not the shortest; the bots straighten it with sight lines. The depth cap
// bounds both the work and the path length.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/map_state.h"

constexpr int MaxPathLength = 2000;

class TMazeSolver {
  public:
    // Reads the blocked grid the map loader keeps in map. Allocates its
    // working grids once, here; a search allocates nothing.
    explicit TMazeSolver(const TMapState& map);

    // On success Path[0] is start, Path[PathLength - 1] is target, each cell
    // an edge neighbour of the one before. On failure PathLength is 0.
    bool FindPath(TCell start, TCell target);

    std::array<TCell, MaxPathLength> Path{};
    int32_t PathLength = 0;

  private:
    // One call of the depth-first visit, kept on an explicit stack so a
    // 2000-deep search costs no machine stack.
    struct TFrame {
        int32_t X, Y, Depth;
        int8_t Dx, Dy;
        bool AcrossFirst; // the target is further away across the columns
        uint8_t Next;     // neighbours tried so far
    };

    void Enter(int x, int y, int depth);

    const TMapState& Map;
    std::vector<uint8_t> Visited;
    std::vector<TFrame> Stack;
    int StackSize = 0;
    int Width = 0;
    int Height = 0;
    TCell Target{};
    bool Found = false;
};
