// A running Capture The Cow level on a small map written as rows, for the
// cow and bot tests.
#pragma once

#include "core/terrain.h"
#include "fakes/fakes.h"
#include "sim/teams.h"
#include "sim/vehicles.h"
#include "world/world_support.h"

// '.' ground, '#' wall, 'B' base, 'S' spawn; the top line is map row 0.
inline std::vector<std::string> Picture(const std::vector<std::string>& lines) {
    std::vector<std::string> rows;
    for (const std::string& line : lines) {
        std::string row;
        for (const char c : line) {
            const int32_t code = c == '#' ? WL : (c == 'B' ? BS : (c == 'S' ? SP : G0));
            row += (row.empty() ? "" : " ") + std::to_string(code);
        }
        rows.push_back(row);
    }
    return rows;
}

struct CowField {
    TestRig rig;
    Game& g = rig.g();

    explicit CowField(const std::vector<std::string>& rows, bool captureTheCow = true) {
        UseKindPerTexture(g);
        g.Friction.fill(1);
        g.Grip.fill(1);
        UseMap(g, rows);
        g.TeamGame = true;
        g.CaptureTheCow = g.UseBases = captureTheCow;
        g.DeltaMs = 10;
        g.DeltaSec = 0.01;
    }
    // A team of named colour c on base b (-1 none).
    int Team(int colour, int base) {
        const int t = CreateTeam(g, colour);
        g.Teams[t].Base = base;
        g.Teams[t].CowAtHome = true;
        g.Teams[t].CowCarrier = -1;
        return t;
    }
    // A living bot of team t (-1 none) at p, facing heading.
    int Put(int t, TVector p, double heading = 0, int sort = sortTank) {
        const int i = AddTank(g, sort);
        TTank& v = g.Tanks[i];
        if (t >= 0) PutIntoTeam(g, i, t);
        v.Name = "V" + std::to_string(i);
        v.IsBot = true;
        v.Alive = true;
        v.Health = 100;
        v.Position = v.PrevPosition = p;
        v.Heading = heading;
        v.BumpSide = 0;
        RefreshWorldCorners(v);
        return i;
    }
    TVector Centre(int column, int row) const { return CellCentre(g, column, row); }
    TVector BaseCentreOf(int b) const { return CellCentre(g, g.Bases[b].X, g.Bases[b].Y); }
    // The base cell at this column and row.
    int BaseAt(int column, int row) const {
        for (int b = 0; b < g.BaseCount; ++b)
            if (g.Bases[b].X == column && g.Bases[b].Y == row) return b;
        return -1;
    }
    // Team t's cow stands on team b's base cell.
    bool CowOnBase(int t, int b) const {
        const TCell c = CellAt(g, g.Teams[t].CowPosition);
        const TCell base = g.Bases[g.Teams[b].Base];
        return c.X == base.X && c.Y == base.Y;
    }
    bool Said(const std::string& line) const {
        for (const std::string& l : rig.TheUi.Console)
            if (l == line) return true;
        return false;
    }
};
