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
    // Reads the blocked grid the map loader keeps in map. The first search
    // on a newly loaded grid packs it and finds its bridges (some 25 ms for
    // a 1000 x 1000 maze); later searches on it allocate nothing.
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
        int32_t Bit; // the cell's place in the packed grids
        int16_t X, Y;
        uint8_t Order;  // which of the eight orders of steps it tries
        uint8_t Next;   // steps tried so far
        uint8_t Barred; // steps over a bridge away from the target, a bit each
    };

    // Where a cell lies in a depth-first numbering of the open cells made
    // once per grid: the cells numbered from Pre up to End are the ones
    // below it in that numbering's tree.
    struct TNumber {
        int32_t Pre = -1, End = -1;
    };

    void PackWalls();
    void FindBridges();
    bool Search(TCell start);
    int OrderAt(int x, int y) const;
    uint8_t BarredSteps(int32_t bit, int order) const;
    void ReopenSeen();

    int32_t BitOf(int x, int y) const { return (x + 1) * Stride + y + 1; }
    bool IsClosed(int32_t bit) const { return (Closed[bit >> 6] >> (bit & 63)) & 1; }
    void Close(int32_t bit) { Closed[bit >> 6] |= uint64_t{1} << (bit & 63); }

    const TMapState& Map;
    // The walls a bit per cell, column by column, in a frame of wall one
    // cell wide: a step never needs a bounds check. Packed small enough to
    // stay in the cache from search to search; rebuilt when the map's grid
    // changes.
    std::vector<uint64_t> Walls;
    // The walls and the cells entered in this search. After a search the
    // box of the cells entered is copied back from Walls.
    std::vector<uint64_t> Closed;
    // Per cell, a bit per direction (+x, -x, +y, -y): the edge that way is
    // a bridge, the only link between the open cells on its two sides. A
    // search never crosses one away from the target: it would search the
    // far side in vain, and the cells it marks there are reached only over
    // that bridge, so leaving them out changes neither the way found nor
    // whether one is found. In a maze without loops every edge is one.
    std::vector<uint8_t> Bridges;
    std::vector<TNumber> Numbers;
    std::vector<int32_t> ComponentStarts; // the first Pre of each connected part
    std::vector<int32_t> Work;            // FindBridges' stack
    uint64_t PackedRevision = 0;
    int Width = 0;
    int Height = 0;
    int32_t Stride = 2; // bits per column, the frame's two included
    std::array<std::array<int32_t, 4>, 8> StepBits{};
    std::vector<TFrame> Stack;
    TCell Target{};
    int32_t TargetBit = -1; // -1: outside the grid, never entered
    int32_t TargetPre = -1;
    int MinX = 0, MaxX = -1, MinY = 0, MaxY = -1;
};
