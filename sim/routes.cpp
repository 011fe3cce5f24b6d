// Ways round the walls: the path finder's first way, straightened by sight
// lines into a few waypoints.
#include "core/terrain.h"
#include "sim/bots.h"
#include "world/maze_solver.h"

namespace {

bool Sees(const Game& g, TVector a, TVector b) {
    return !SegmentHitsWall(g, a, b).Hit;
}

TVector Centre(const Game& g, TCell c) {
    return CellCentre(g, c.X, c.Y);
}

} // namespace

void PlanRoute(Game& g, int bot, TVector goal) {
    if (!IsTankIndex(g, bot) || g.MapWidth <= 0 || g.MapHeight <= 0) return;
    if (!g.PathFinder) g.PathFinder = std::make_shared<TMazeSolver>(g);
    TMazeSolver& solver = *g.PathFinder;
    TTank& t = g.Tanks[bot];
    if (!solver.FindPath(CellAt(g, t.Position), CellAt(g, goal))) return;
    const int last = solver.PathLength - 1;
    std::array<TCell, MaxRouteWaypoints + 1> route{};
    route[0] = solver.Path[0];
    int count = 1, taken = 0;
    while (count < MaxRouteWaypoints + 1 && taken < last) {
        const TVector from = count == 1 ? t.Position : Centre(g, route[count - 1]);
        // The next cell of the path always sees its neighbour's centre, so
        // the scan ends there at the latest.
        int k = last;
        while (k > taken + 1 && !Sees(g, from, Centre(g, solver.Path[k])))
            --k;
        route[count++] = solver.Path[k];
        taken = k;
    }
    t.RouteLength = count - 1;
    for (int k = 0; k < t.RouteLength; ++k)
        t.Route[k] = route[k + 1];
}
