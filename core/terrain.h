// Cell queries on the loaded map: which cell a world point lies in, where a
// cell's centre is, what kind of ground a cell is, and where a straight line
// first runs into a wall. World y grows upward while map row 0 is the top
// row of the file, hence the MapHeight - 1 - ... flips below.
#pragma once

#include <cstdint>

#include "core/map_state.h"
#include "core/vectors2d.h"

struct Game;

// Column and row of a world point, clamped into the map: points outside it
// land in the nearest edge cell.
TCell CellAt(const TMapState& map, TVector p);
TVector CellCentre(const TMapState& map, int column, int row);
// Edges inclusive.
bool InsideMap(const TMapState& map, TVector p);

// Terrain kind of a cell code. A code without a texture, or a texture whose
// kind is none of ours, is plain ground.
int32_t KindOfCode(const TTerrainTables& tables, int32_t code);
// Kind of a map cell; cells outside the map are plain ground.
int32_t KindAt(const TMapState& map, const TTerrainTables& tables, int column, int row);
int32_t KindAt(const Game& g, int column, int row);

// Index of a cell code's picture in the texture image list, -1 when the
// code names no loaded texture (draw nothing there).
int CellImageIndex(const TTerrainTables& tables, int32_t code);

struct TWallHit {
    bool Hit = false; // met a wall, or an end lay outside the map
    TVector End;      // the wall crossing, else the far end clipped to the map
};

// Walks the cell edges the segment a-b crosses, columns first, then rows.
// The cell a starts in is never tested: a shot fired from inside a wall cell
// gets out.
TWallHit SegmentHitsWall(const TMapState& map, const TTerrainTables& tables, TVector a, TVector b);
TWallHit SegmentHitsWall(const Game& g, TVector a, TVector b);

// Both points lie inside the map in one and the same cell: no wall can be
// met between them. The quick answer for the thousands of short shots of a
// tick; false says nothing.
inline bool InOneCell(const TMapState& map, TVector a, TVector b) {
    if (!(a.x >= 0 && a.y >= 0 && b.x >= 0 && b.y >= 0 && a.x < map.MapWidthPx &&
          b.x < map.MapWidthPx && a.y < map.MapHeightPx && b.y < map.MapHeightPx))
        return false;
    return static_cast<int>(a.x) / CellSize == static_cast<int>(b.x) / CellSize &&
           static_cast<int>(a.y) / CellSize == static_cast<int>(b.y) / CellSize;
}
