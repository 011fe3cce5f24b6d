#include "core/invariants.h"

#include <cmath>
#include <numbers>

namespace {

class TReport {
  public:
    explicit TReport(std::vector<std::string>& out) : Out(out) {}

    void Require(bool ok, const std::string& what) {
        if (!ok) Out.push_back(what);
    }
    void Finite(double v, const std::string& what) {
        Require(std::isfinite(v), what + " is not finite");
    }
    void Finite(TVector v, const std::string& what) {
        Require(std::isfinite(v.x) && std::isfinite(v.y), what + " is not finite");
    }
    // -1 or an entry in use.
    void Index(int32_t v, int32_t count, const std::string& what) {
        Require(v >= -1 && v < count,
                what + " = " + std::to_string(v) + " names no entry of " + std::to_string(count));
    }
    template <class Pool> void Count(const Pool& p, const std::string& what) {
        Require(p.Count >= 0 && p.Count <= Pool::Capacity,
                what + " count " + std::to_string(p.Count) + " out of bounds");
    }

  private:
    std::vector<std::string>& Out;
};

std::string Tank(int i) {
    return "vehicle " + std::to_string(i);
}

void CheckVehicles(const Game& g, TReport& r) {
    constexpr double pi = std::numbers::pi;
    const int n = g.TankCount;
    for (int i = 0; i < n; ++i) {
        const TTank& t = g.Tanks[i];
        const std::string name = Tank(i);
        r.Finite(t.Position, name + " position");
        r.Finite(t.PrevPosition, name + " previous position");
        r.Finite(t.Step, name + " step");
        r.Finite(t.Velocity, name + " velocity");
        r.Finite(t.Force, name + " force");
        r.Finite(t.Heading, name + " heading");
        r.Finite(t.Spin, name + " spin");
        r.Finite(t.Torque, name + " torque");
        r.Finite(t.TurretAngle, name + " turret angle");
        r.Finite(t.TurretSpeed, name + " turret speed");
        r.Finite(t.Health, name + " health");
        r.Require(!(t.Heading <= -pi || t.Heading > pi), name + " heading outside (-pi, pi]");
        if (g.MapWidth > 0)
            r.Require(t.Position.x >= 0 && t.Position.x <= g.MapWidthPx && t.Position.y >= 0 &&
                          t.Position.y <= g.MapHeightPx,
                      name + " is off the map");
        r.Index(t.BotTarget, n, name + " bot target");
        r.Index(t.MissionTarget, n, name + " mission target");
        r.Index(t.SavedMissionTarget, n, name + " saved mission target");
        r.Index(t.LastKiller, n, name + " last killer");
        r.Index(t.TeamIndex, g.TeamCount, name + " team");
        r.Index(t.TargetTeam, g.TeamCount, name + " target team");
        r.Index(t.GuidedMissile, g.Rockets.Count, name + " guided missile");
        r.Require(t.Deaths >= 0, name + " has negative deaths");
    }
    for (int i = n; i < MaxTanks; ++i)
        if (g.Tanks[i].Alive) r.Require(false, "unused " + Tank(i) + " is alive");
    // A network game finds a player's vehicle by the machine's id (from 1
    // up) and the seat: two machines given one id would share their vehicles.
    if (g.NetworkGame)
        for (int i = 0; i < n; ++i)
            for (int k = i + 1; k < n; ++k) {
                const TTank &a = g.Tanks[i], &b = g.Tanks[k];
                if (!a.IsBot && !b.IsBot && a.PlayerId != 0 && a.PlayerId == b.PlayerId &&
                    a.Seat == b.Seat)
                    r.Require(false, Tank(i) + " and " + Tank(k) + " have one player id and seat");
            }
}

void CheckPools(const Game& g, TReport& r) {
    const int n = g.TankCount;
    r.Count(g.Bullets, "bullets");
    r.Count(g.Bomblets, "bomblets");
    r.Count(g.Rockets, "rockets");
    r.Count(g.BfgBalls, "BFG balls");
    r.Count(g.Mines, "mines");
    r.Count(g.Explosions, "explosions");
    r.Count(g.Particles, "particles");
    for (int k = 0; k < g.Bullets.Count; ++k) {
        const TBullet& b = g.Bullets[k];
        r.Finite(b.Position, "bullet position");
        r.Finite(b.Velocity, "bullet velocity");
        r.Finite(b.Origin, "bullet origin");
        r.Index(b.Shooter, n, "bullet shooter");
    }
    for (int k = 0; k < g.Bomblets.Count; ++k) {
        r.Finite(g.Bomblets[k].Position, "bomblet position");
        r.Finite(g.Bomblets[k].Velocity, "bomblet velocity");
        r.Index(g.Bomblets[k].Owner, n, "bomblet owner");
    }
    for (int k = 0; k < g.Rockets.Count; ++k) {
        const TRocket& m = g.Rockets[k];
        r.Finite(m.Position, "rocket position");
        r.Finite(m.Velocity, "rocket velocity");
        r.Finite(m.Angle, "rocket angle");
        r.Finite(m.Rate, "rocket turn rate");
        r.Index(m.Owner, n, "rocket owner");
        r.Index(m.Target, n, "rocket target");
    }
    for (int k = 0; k < g.Explosions.Count; ++k)
        r.Finite(g.Explosions[k].Position, "explosion position");
    for (int k = 0; k < g.BfgBalls.Count; ++k) {
        const TBfgBall& b = g.BfgBalls[k];
        r.Finite(b.Position, "BFG ball position");
        r.Index(b.Owner, n, "BFG ball owner");
        r.Require(b.ZapLast >= -1 && b.ZapLast < MaxTanks, "BFG ball zap count out of bounds");
        for (int z = 0; z <= b.ZapLast && z < MaxTanks; ++z)
            r.Index(b.ZapTargets[z], n, "BFG zap target");
    }
    for (int k = 0; k < g.Mines.Count; ++k) {
        r.Finite(g.Mines[k].Position, "mine position");
        r.Index(g.Mines[k].Owner, n, "mine owner");
    }
}

void CheckTablesAndScores(const Game& g, TReport& r) {
    const int n = g.TankCount;
    r.Require(g.TeamCount >= 0 && g.TeamCount <= MaxTeams, "team count out of bounds");
    for (int t = 0; t < MaxTeams; ++t)
        r.Index(g.Teams[t].CowCarrier, n, "team " + std::to_string(t) + " cow carrier");
    // Before the first vehicle, and without a second local player, these
    // name nobody in particular.
    if (n > 0) {
        r.Index(g.Player1, n, "Player1");
        r.Index(g.LeftViewPlayer, n, "left view");
    }
    if (n > 0 && g.SplitScreen) {
        r.Index(g.Player2, n, "Player2");
        r.Index(g.RightViewPlayer, n, "right view");
    }
    for (const TMateList& m : g.MateLists) {
        r.Require(m.Count >= 0 && m.Count < MaxTanks, "team-mate count out of bounds");
        for (int k = 1; k <= m.Count && k < MaxTanks; ++k)
            r.Index(m.Mates[k], n, "team-mate");
    }
    r.Require(g.Console.Count >= 0 && g.Console.Count <= ConsoleLines,
              "console line count out of bounds");
    for (int k = 0; k < g.Console.Count && k < ConsoleLines; ++k)
        r.Index(g.Console.Lines[k].Owner, n, "console line owner");
    for (const TPlayerLines& p : g.PlayerLines)
        for (const TTimedLine* l : {&p.KillNotice, &p.Personal, &p.Taunt})
            r.Index(l->Speaker, n, "message speaker");

    // The ranking is a permutation that agrees with each vehicle's Rank.
    std::array<bool, MaxTanks> seen{};
    for (int k = 0; k < n; ++k) {
        const int v = g.RankOrder[k];
        if (v < 0 || v >= n || seen[v]) {
            r.Require(false, "ranking is not an order of the vehicles");
            return;
        }
        seen[v] = true;
        r.Require(g.Tanks[v].Rank == k + 1, Tank(v) + " rank disagrees with the ranking");
    }
    // The tick ends a level as soon as somebody reaches the limit.
    if (g.LevelRunning && !g.TeamGame)
        for (int i = 0; i < n; ++i)
            r.Require(g.Tanks[i].Frags < g.FragLimit,
                      Tank(i) + " reached the frag limit in a running level");
}

} // namespace

std::vector<std::string> CheckInvariants(const Game& g) {
    std::vector<std::string> out;
    TReport r(out);
    r.Require(g.TankCount >= 0 && g.TankCount <= MaxTanks, "vehicle count out of bounds");
    if (g.TankCount < 0 || g.TankCount > MaxTanks) return out;
    r.Require(g.DeltaMs >= 0, "negative time step");
    CheckVehicles(g, r);
    CheckPools(g, r);
    CheckTablesAndScores(g, r);
    return out;
}
