#include "world/maze_solver.h"

#include <algorithm>
#include <bit>
#include <cstdlib>

namespace {

struct TStep {
    int8_t Dx, Dy;
};

// The steps in the order they are tried, for each of the eight orders: bit
// 2 of the order says the target is further away across the columns than
// along them, bit 1 that it lies left, bit 0 that it lies up. The steps
// that close the larger distance come first, the one straight away from
// the target last.
constexpr std::array<std::array<TStep, 4>, 8> Steps = [] {
    std::array<std::array<TStep, 4>, 8> t{};
    for (int o = 0; o < 8; ++o) {
        const int8_t dx = (o & 2) ? -1 : 1, dy = (o & 1) ? -1 : 1;
        const int8_t back = static_cast<int8_t>(-dx), up = static_cast<int8_t>(-dy);
        if (o & 4)
            t[o] = {{{dx, 0}, {0, dy}, {0, up}, {back, 0}}};
        else
            t[o] = {{{0, dy}, {dx, 0}, {back, 0}, {0, up}}};
    }
    return t;
}();

// The direction of each step as in TMazeSolver::Bridges: +x, -x, +y, -y.
constexpr std::array<std::array<uint8_t, 4>, 8> StepDirections = [] {
    std::array<std::array<uint8_t, 4>, 8> t{};
    for (int o = 0; o < 8; ++o)
        for (int j = 0; j < 4; ++j)
            t[o][j] = Steps[o][j].Dx > 0 ? 0 : Steps[o][j].Dx < 0 ? 1 : Steps[o][j].Dy > 0 ? 2 : 3;
    return t;
}();

constexpr size_t PackedWords = (static_cast<size_t>(MaxMapSize + 2) * (MaxMapSize + 2) + 63) / 64;

} // namespace

TMazeSolver::TMazeSolver(const TMapState& map)
    : Map(map), Walls(PackedWords, 0), Closed(PackedWords, 0), Stack(MaxPathLength) {}

// Packs the loader's grid. A grid the loader never numbered (revision 0)
// is packed for every search: nothing would say when it changed.
void TMazeSolver::PackWalls() {
    const int w = std::clamp(Map.SolverWidth, 0, MaxMapSize);
    const int h = std::clamp(Map.SolverHeight, 0, MaxMapSize);
    if (Map.BlockedRevision != 0 && Map.BlockedRevision == PackedRevision && w == Width &&
        h == Height)
        return;
    Width = w;
    Height = h;
    Stride = h + 2;
    const size_t bits = static_cast<size_t>(w + 2) * Stride;
    std::fill(Walls.begin(), Walls.begin() + static_cast<std::ptrdiff_t>((bits + 63) / 64), 0);
    auto wall = [&](int32_t bit) { Walls[bit >> 6] |= uint64_t{1} << (bit & 63); };
    for (int x = -1; x <= w; ++x) {
        wall(BitOf(x, -1));
        wall(BitOf(x, h));
    }
    for (int y = 0; y < h; ++y) {
        wall(BitOf(-1, y));
        wall(BitOf(w, y));
    }
    for (int x = 0; x < w; ++x) {
        const uint8_t* column = &Map.BlockedStore[static_cast<size_t>(x) * MaxMapSize];
        for (int y = 0; y < h; ++y)
            if (column[y]) wall(BitOf(x, y));
    }
    std::copy(Walls.begin(), Walls.begin() + static_cast<std::ptrdiff_t>((bits + 63) / 64),
              Closed.begin());
    for (int o = 0; o < 8; ++o)
        for (int j = 0; j < 4; ++j)
            StepBits[o][j] = Steps[o][j].Dx * Stride + Steps[o][j].Dy;
    FindBridges();
    PackedRevision = Map.BlockedRevision;
}

// Numbers the open cells depth first and finds the bridges (an edge is one
// when nothing below its lower end reaches back above it). Its own stack:
// a maze's numbering may go a million cells deep.
void TMazeSolver::FindBridges() {
    const size_t cells = static_cast<size_t>(Width + 2) * Stride;
    Numbers.assign(cells, {});
    Bridges.assign(cells, 0); // bits 4-6 of a cell on the stack: its next direction
    ComponentStarts.clear();
    Work.clear();
    const std::array<int32_t, 4> delta = {Stride, -Stride, 1, -1};
    auto open = [&](int32_t bit) { return !((Walls[bit >> 6] >> (bit & 63)) & 1); };
    int32_t next = 0;
    for (int x = 0; x < Width; ++x)
        for (int y = 0; y < Height; ++y) {
            const int32_t root = BitOf(x, y);
            if (!open(root) || Numbers[root].Pre >= 0) continue;
            ComponentStarts.push_back(next);
            // Until a cell is done, its End holds the lowest Pre it reaches.
            Numbers[root] = {next, next};
            ++next;
            Work.push_back(root);
            while (!Work.empty()) {
                const int32_t c = Work.back();
                const int d = Bridges[c] >> 4;
                if (d < 4) {
                    Bridges[c] = static_cast<uint8_t>(Bridges[c] + 16);
                    const int32_t n = c + delta[d];
                    if (!open(n) || (Work.size() > 1 && n == Work[Work.size() - 2])) continue;
                    if (Numbers[n].Pre < 0) {
                        Numbers[n] = {next, next};
                        ++next;
                        Work.push_back(n);
                    } else {
                        Numbers[c].End = std::min(Numbers[c].End, Numbers[n].Pre);
                    }
                    continue;
                }
                Work.pop_back();
                const int32_t low = Numbers[c].End;
                Numbers[c].End = next;
                Bridges[c] &= 0xF;
                if (Work.empty()) continue;
                const int32_t p = Work.back();
                Numbers[p].End = std::min(Numbers[p].End, low);
                if (low > Numbers[p].Pre) {
                    const int dp = c - p == delta[0]   ? 0
                                   : c - p == delta[1] ? 1
                                   : c - p == 1        ? 2
                                                       : 3;
                    Bridges[p] = static_cast<uint8_t>(Bridges[p] | 1 << dp);
                    Bridges[c] = static_cast<uint8_t>(Bridges[c] | 1 << (dp ^ 1));
                }
            }
        }
    ComponentStarts.push_back(next); // the end of the last part
}

// The steps from this cell over a bridge whose far side lacks the target.
// Steps onto cells already closed need no answer.
uint8_t TMazeSolver::BarredSteps(int32_t bit, int order) const {
    const uint8_t bridges = Bridges[bit];
    if (bridges == 0) return 0;
    const std::array<int32_t, 4> delta = {Stride, -Stride, 1, -1};
    uint8_t barred = 0;
    const TNumber here = Numbers[bit];
    for (int j = 0; j < 4; ++j) {
        const int d = StepDirections[order][j];
        if (!((bridges >> d) & 1)) continue;
        const int32_t n = bit + delta[d];
        if (IsClosed(n)) continue;
        // Across the bridge lies the part below its lower end, or all but that.
        const TNumber there = Numbers[n];
        const bool beyond = there.Pre > here.Pre ? there.Pre <= TargetPre && TargetPre < there.End
                                                 : !(here.Pre <= TargetPre && TargetPre < here.End);
        if (!beyond) barred = static_cast<uint8_t>(barred | 1 << j);
    }
    return barred;
}

bool TMazeSolver::FindPath(TCell start, TCell target) {
    PackWalls();
    Target = target;
    PathLength = 0;
    const bool targetInside =
        target.X >= 0 && target.Y >= 0 && target.X < Width && target.Y < Height;
    TargetBit = targetInside ? BitOf(target.X, target.Y) : -1;
    MinX = MinY = 0;
    MaxX = MaxY = -1;
    const bool found = Search(start);
    ReopenSeen();
    return found;
}

// Which of the eight orders a cell at (x, y) tries its steps in.
int TMazeSolver::OrderAt(int x, int y) const {
    // 64 bits: a target far outside the map must not overflow.
    const int64_t ax = std::llabs(static_cast<int64_t>(Target.X) - x);
    const int64_t ay = std::llabs(static_cast<int64_t>(Target.Y) - y);
    return (ay < ax ? 4 : 0) | (Target.X < x ? 2 : 0) | (Target.Y < y ? 1 : 0);
}

bool TMazeSolver::Search(TCell start) {
    if (start.X < 0 || start.Y < 0 || start.X >= Width || start.Y >= Height) return false;
    // The cell being searched from, kept out of the stack: the stack holds
    // the cells before it on the way, one per depth.
    TFrame f{BitOf(start.X, start.Y),
             static_cast<int16_t>(start.X),
             static_cast<int16_t>(start.Y),
             0,
             0,
             0};
    if (IsClosed(f.Bit)) return false; // a wall
    if (f.Bit == TargetBit) {
        Path[0] = start;
        PathLength = 1;
        return true;
    }
    // A target on a wall, off the grid or in another connected part is
    // never reached: the search would only spend itself.
    if (TargetBit < 0 || IsClosed(TargetBit)) return false;
    TargetPre = Numbers[TargetBit].Pre;
    const auto part =
        std::upper_bound(ComponentStarts.begin(), ComponentStarts.end(), Numbers[f.Bit].Pre);
    if (TargetPre < *(part - 1) || TargetPre >= *part) return false;
    Close(f.Bit);
    MinX = MaxX = start.X;
    MinY = MaxY = start.Y;
    f.Order = static_cast<uint8_t>(OrderAt(start.X, start.Y));
    f.Barred = BarredSteps(f.Bit, f.Order);
    int depth = 0;
    for (;;) {
        // The steps not yet tried onto cells still open, all four read at
        // once: fewer branches to guess. A cell at the depth cap takes no
        // step, as the cells beyond it would lie past the cap.
        unsigned open = 0;
        if (depth + 1 < MaxPathLength) {
            const std::array<int32_t, 4>& step = StepBits[f.Order];
            open = static_cast<unsigned>(!IsClosed(f.Bit + step[0])) |
                   static_cast<unsigned>(!IsClosed(f.Bit + step[1])) << 1 |
                   static_cast<unsigned>(!IsClosed(f.Bit + step[2])) << 2 |
                   static_cast<unsigned>(!IsClosed(f.Bit + step[3])) << 3;
            open &= (0xFu << f.Next) & ~static_cast<unsigned>(f.Barred);
        }
        if (open == 0) { // every step tried: back to the cell before
            if (depth == 0) return false;
            f = Stack[--depth];
            continue;
        }
        const int j = std::countr_zero(open);
        f.Next = static_cast<uint8_t>(j + 1);
        const int32_t bit = f.Bit + StepBits[f.Order][j];
        const int x = f.X + Steps[f.Order][j].Dx, y = f.Y + Steps[f.Order][j].Dy;
        Close(bit);
        MinX = std::min(MinX, x);
        MaxX = std::max(MaxX, x);
        MinY = std::min(MinY, y);
        MaxY = std::max(MaxY, y);
        Stack[depth++] = f;
        if (bit == TargetBit) {
            for (int d = 0; d < depth; ++d)
                Path[d] = {Stack[d].X, Stack[d].Y};
            Path[depth] = {x, y};
            PathLength = depth + 1;
            return true;
        }
        const int order = OrderAt(x, y);
        f = {bit, static_cast<int16_t>(x), static_cast<int16_t>(y), static_cast<uint8_t>(order),
             0,   BarredSteps(bit, order)};
    }
}

// Opens the cells entered again: the box round them, copied from the walls.
void TMazeSolver::ReopenSeen() {
    for (int x = MinX; x <= MaxX; ++x) {
        const int32_t from = BitOf(x, MinY) >> 6, to = BitOf(x, MaxY) >> 6;
        for (int32_t w = from; w <= to; ++w)
            Closed[w] = Walls[w];
    }
}
