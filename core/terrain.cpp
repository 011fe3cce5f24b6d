#include "core/terrain.h"

#include <cmath>

#include "core/game.h"

namespace {

// trunc(v) div 64 without undefined behaviour for NaN or huge values; the
// callers clamp the result into the map anyway.
int CellIndexOf(double v) {
    if (!(v > -1e9)) return -1;
    if (v > 1e9) return 1000000000 / CellSize;
    return static_cast<int>(v) / CellSize;
}

int ClampInt(int v, int lo, int hi) {
    return v < lo ? lo : (v > hi ? hi : v);
}

int ColumnOf(const TMapState& map, double x) {
    return ClampInt(CellIndexOf(x), 0, map.MapWidth - 1);
}

int RowOf(const TMapState& map, double y) {
    // Row 0 is the top row: rows count downward while y counts upward.
    return ClampInt(map.MapHeight - 1 - CellIndexOf(y), 0, map.MapHeight - 1);
}

bool Finite(TVector p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

// Moves p along the line through q until it lies on the map rectangle's
// edges, one axis limit at a time.
void ClipToMap(const TMapState& map, TVector& p, TVector q) {
    const double w = map.MapWidthPx;
    const double h = map.MapHeightPx;
    auto moveToX = [&](double x) {
        if (q.x != p.x) p.y += (x - p.x) * (q.y - p.y) / (q.x - p.x);
        p.x = x;
    };
    auto moveToY = [&](double y) {
        if (q.y != p.y) p.x += (y - p.y) * (q.x - p.x) / (q.y - p.y);
        p.y = y;
    };
    if (p.x < 0) moveToX(0);
    if (p.x > w) moveToX(w);
    if (p.y < 0) moveToY(0);
    if (p.y > h) moveToY(h);
}

TVector ClampPoint(const TMapState& map, TVector p) {
    auto clamp = [](double v, double hi) {
        return std::isfinite(v) ? std::fmin(std::fmax(v, 0.0), hi) : 0.0;
    };
    return {clamp(p.x, map.MapWidthPx), clamp(p.y, map.MapHeightPx)};
}

} // namespace

TCell CellAt(const TMapState& map, TVector p) {
    return {ColumnOf(map, p.x), RowOf(map, p.y)};
}

TVector CellCentre(const TMapState& map, int column, int row) {
    return {(column + 0.5) * CellSize, (map.MapHeight - 0.5 - row) * CellSize};
}

bool InsideMap(const TMapState& map, TVector p) {
    return p.x >= 0 && p.x <= map.MapWidthPx && p.y >= 0 && p.y <= map.MapHeightPx;
}

int32_t KindOfCode(const TTerrainTables& tables, int32_t code) {
    const int32_t texture = code / 4; // truncates toward zero, as the format says
    if (texture < 0 || texture >= tables.TextureCount || texture >= MaxTextures) return tkGround;
    const int32_t kind = tables.TerrainKind[texture];
    return kind >= tkGround && kind <= tkBase ? kind : tkGround;
}

int32_t KindAt(const TMapState& map, const TTerrainTables& tables, int column, int row) {
    if (column < 0 || row < 0 || column >= map.MapWidth || row >= map.MapHeight ||
        column >= MaxMapSize || row >= MaxMapSize)
        return tkGround;
    return KindOfCode(tables, map.MapCells(column, row));
}

int32_t KindAt(const Game& g, int column, int row) {
    return KindAt(g, g, column, row);
}

int CellImageIndex(const TTerrainTables& tables, int32_t code) {
    if (code < 0 || code / 4 >= tables.TextureCount || code / 4 >= MaxTextures) return -1;
    return code;
}

TWallHit SegmentHitsWall(const TMapState& map, const TTerrainTables& tables, TVector a, TVector b) {
    if (map.MapWidth <= 0 || map.MapHeight <= 0) return {true, b};
    // A NaN or infinite end would poison every crossing below: such a line
    // counts as leaving the map.
    if (!Finite(a) || !Finite(b)) return {true, ClampPoint(map, Finite(b) ? b : a)};

    bool hit = false;
    if (!InsideMap(map, a) || !InsideMap(map, b)) {
        ClipToMap(map, a, b);
        ClipToMap(map, b, a);
        // A line that misses the map altogether may be pushed off it again.
        if (!Finite(a) || !InsideMap(map, a)) a = ClampPoint(map, a);
        if (!Finite(b) || !InsideMap(map, b)) b = ClampPoint(map, b);
        hit = true;
    }
    auto isWall = [&](int column, int row) { return KindAt(map, tables, column, row) == tkWall; };

    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const TCell start = CellAt(map, a);
    const TCell end = CellAt(map, b);
    // Most shots of a tick stay inside one cell: no edge to cross.
    if (start.X == end.X && start.Y == end.Y) return {hit, b};

    if (dx != 0) {
        const int s = dx > 0 ? 1 : -1;
        const int last = end.X;
        for (int c = start.X; (last - c) * s > 0;) {
            c += s;
            const double x = (c + 0.5 - s * 0.5) * CellSize; // the edge just crossed
            const double y = a.y + (x - a.x) * dy / dx;
            if (isWall(c, RowOf(map, y))) {
                b = {x, y};
                hit = true;
                break;
            }
        }
    }
    if (dy != 0) {
        const int step = dy > 0 ? -1 : 1;
        const int last = CellAt(map, b).Y;
        for (int r = start.Y; (last - r) * step > 0;) {
            r += step;
            const double y = (map.MapHeight - 0.5 - r + step * 0.5) * CellSize;
            const double x = a.x + (y - a.y) * dx / dy;
            if (isWall(ColumnOf(map, x), r)) {
                b = {x, y};
                hit = true;
                break;
            }
        }
    }
    return {hit, b};
}

TWallHit SegmentHitsWall(const Game& g, TVector a, TVector b) {
    return SegmentHitsWall(g, g, a, b);
}
