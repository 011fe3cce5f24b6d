// The host's scores and events on a client. Every value is checked before
// it is used: indices against the tables, floats for being finite.
#include <algorithm>
#include <cmath>

#include "core/asset_names.h"
#include "core/terrain.h"
#include "match/net_receive_parts.h"
#include "sim/damage.h"
#include "sim/explosions.h"
#include "sim/messages.h"
#include "sim/projectiles.h"
#include "sim/sounds.h"
#include "sim/teams.h"
#include "sim/weapons.h"
#include "world/maps.h"

using namespace Vectors2D;

namespace NetReceive {

namespace {

constexpr int SoundCount = 18;

// Bomblets of one cluster shot: m, then six values each.
void EventBomblets(Game& g, const std::vector<float>& v) {
    if (v.empty()) return;
    const int m = Index(v[0], static_cast<int>((v.size() - 1) / 6) + 1);
    for (int j = 0; j < m && !g.Bomblets.Full(); ++j) {
        const size_t at = 1 + 6 * static_cast<size_t>(j);
        if (!Finite(v, at, 6)) continue;
        TBomblet b;
        b.Origin = b.Position = {v[at], v[at + 1]};
        b.Velocity = {v[at + 2], v[at + 3]};
        b.LaunchTime = RoundEven(std::clamp<double>(v[at + 4], INT32_MIN / 2, INT32_MAX / 2));
        b.FuseTime = RoundEven(std::clamp<double>(v[at + 5], INT32_MIN / 2, INT32_MAX / 2));
        g.Bomblets.Add(b);
    }
}

bool PathFrom(const std::vector<float>& v, size_t at, TTrajectory& p) {
    if (v.size() < at + 8 || !Finite(v, at, 8)) return false;
    p.C = {v[at], v[at + 1]};
    p.StartTime = RoundEven(std::clamp<double>(v[at + 2], INT32_MIN / 2, INT32_MAX / 2));
    p.A = {v[at + 3], v[at + 4]};
    p.F = {v[at + 5], v[at + 6]};
    p.K = v[at + 7];
    // A drag that is not negative would fly to infinity.
    return p.K < -1e-6;
}

int RocketWithId(const Game& g, int32_t id) {
    for (int k = 0; k < g.Rockets.Count; ++k)
        if (g.Rockets[k].Kind == 0 && g.Rockets[k].Id == id) return k;
    return -1;
}

int32_t IdOf(float f) {
    return std::isfinite(f) && std::fabs(f) < 1e9f ? RoundEven(f) : -1;
}

void AddMine(Game& g, int32_t id, TVector at) {
    TMine mine;
    mine.Id = id;
    mine.Position = at;
    const TCell c = CellAt(g, at);
    mine.InWater = KindAt(g, c.X, c.Y) == tkWater;
    g.Mines.Add(mine);
}

} // namespace

void ClientScore(Game& g, const uint8_t* d, size_t n) {
    TScoreMsg m;
    size_t expected = 0;
    if (!DecodeScore(d, n, g.CaptureTheCow, m, expected)) {
        SizeError(g, SizeErrorText("Msgsize error(C_sl): ", n, expected, true));
        return;
    }
    for (size_t i = 0; i < m.Tanks.size() && static_cast<int>(i) < g.TankCount; ++i) {
        g.Tanks[i].Frags = m.Tanks[i].Frags;
        g.Tanks[i].Deaths = std::max<int32_t>(0, m.Tanks[i].Deaths); // nobody died less than never
    }
    for (const TTeamScoreMsg& s : m.Teams) {
        const int t = FindTeamByColour(g, s.Colour);
        if (t < 0 || t >= g.TeamCount) {
            SizeError(g, "ERROR, team with specified style not found in msgscore");
            return;
        }
        TTeam& team = g.Teams[t];
        if (g.CaptureTheCow) team.Cows = s.Cows;
        team.TeamFrags = s.Frags;
        team.TeamDeaths = s.Deaths;
    }
    UpdateRanking(g);
    g.HaveScores = true;
}

void ClientEvent(Game& g, const uint8_t* d, size_t n) {
    TEventMsg m;
    if (!DecodeEvent(d, n, m)) return;
    const std::vector<float>& v = m.Values;
    const auto has = [&](size_t k) { return v.size() >= k && Finite(v, 0, k); };
    switch (m.Code) {
    case evRail: {
        if (!has(5)) return;
        const TVector from{v[0], v[1]};
        TVector to{v[2], v[3]};
        // No rail is longer than the map's diagonal.
        const double diagonal = std::hypot(g.MapWidthPx, g.MapHeightPx);
        const double length = Distance(from, to);
        if (length > diagonal) to = Add(from, Scale(Sub(to, from), diagonal / length));
        StrewRailParticles(g, from, to);
        PlaySoundAt(g, sndRailgun, from);
        return;
    }
    case evBomblets:
        EventBomblets(g, v);
        return;
    case evExplosion: {
        if (!has(3)) return;
        const int kind = RoundEven(std::clamp(v[0], -2.0f, 100.0f));
        if (kind != 1 && kind != 2 && kind != 14 && kind != -1) return;
        SpawnExplosion(g, {v[1], v[2]}, kind, kind > 0);
        return;
    }
    case evSound: {
        if (!has(3)) return;
        const int sound = Index(v[0], SoundCount);
        if (sound >= 0) PlaySoundAt(g, sound, {v[1], v[2]});
        return;
    }
    case evMultiKill:
        if (has(2) && Index(v[0], g.TankCount) >= 0)
            MultiKillAnnouncement(g, Index(v[0], g.TankCount), Index(v[1], 6));
        return;
    case evBfgBall: {
        TBfgBall b;
        if (!has(2) || !PathFrom(v, 2, b.Path) || g.BfgBalls.Full()) return;
        b.Id = IdOf(v[0]);
        b.Owner = Index(v[1], g.TankCount);
        b.ZapLast = -1;
        b.Position = b.PrevPosition = TrajectoryAt(b.Path, b.Path.StartTime);
        g.BfgBalls.Add(b);
        return;
    }
    case evBfgBurst:
        if (!has(1)) return;
        for (int k = 0; k < g.BfgBalls.Count; ++k)
            if (g.BfgBalls[k].Id == IdOf(v[0])) {
                SpawnExplosion(g, g.BfgBalls[k].Position, sndBlowBfg, true);
                g.BfgBalls.Remove(k);
                return;
            }
        return;
    case evMineLaid:
        if (has(3)) AddMine(g, IdOf(v[0]), {v[1], v[2]});
        return;
    case evMineGone:
        if (!has(1)) return;
        for (int k = 0; k < g.Mines.Count; ++k)
            if (g.Mines[k].Id == IdOf(v[0])) {
                const TMine mine = g.Mines[k];
                if (IsTankIndex(g, mine.Owner)) g.Tanks[mine.Owner].MinesLeft += 1;
                SpawnExplosion(g, mine.Position, sndSmallExplosion, true);
                g.Mines.Remove(k);
                return;
            }
        return;
    case evRocket: {
        TRocket r;
        if (!has(1) || !PathFrom(v, 1, r.Path) || g.Rockets.Full()) return;
        r.Id = IdOf(v[0]);
        r.Kind = 0;
        r.Angle = std::atan2(r.Path.F.y, r.Path.F.x);
        r.TargetRate = r.Rate = 0;
        r.Position = r.PrevPosition = r.PrevPrevPosition = TrajectoryAt(r.Path, r.Path.StartTime);
        g.Rockets.Add(r);
        return;
    }
    case evRocketGone: {
        if (!has(1)) return;
        const int k = RocketWithId(g, IdOf(v[0]));
        if (k < 0) return;
        SpawnExplosion(g, g.Rockets[k].Position, sndSmallExplosion, true);
        RemoveRocket(g, k);
        return;
    }
    case evGunSound:
        if (has(2) && Index(v[0], g.TankCount) >= 0)
            g.Tanks[Index(v[0], g.TankCount)].GunSounding = v[1] > 0;
        return;
    case evBaseList: {
        g.TheUi.DebugLine("-MsgBaselist");
        if (v.empty()) return;
        const int t =
            Index(v[0], std::min<int>(MaxTeams, static_cast<int>((v.size() - 1) / 2)) + 1);
        if (t < 0) return;
        g.ReceivedBaseList.clear();
        for (int j = 0; j < t; ++j) {
            const int colour = Index(v[1 + 2 * j], 256);
            const int base = Index(v[2 + 2 * j], MaxBases);
            if (colour < 0) continue;
            g.ReceivedBaseList.push_back(colour);
            g.ReceivedBaseList.push_back(base);
        }
        ApplyBaseList(g);
        return;
    }
    case evKill:
        if (has(2)) KillAnnouncement(g, Index(v[0], g.TankCount), Index(v[1], g.TankCount));
        return;
    case evMineList: {
        if (v.empty()) return;
        const int count = Index(v[0], static_cast<int>((v.size() - 1) / 3) + 1);
        if (count < 0) return;
        g.Mines.Clear();
        for (int j = 0; j < count; ++j)
            if (Finite(v, 1 + 3 * static_cast<size_t>(j), 3))
                AddMine(g, IdOf(v[1 + 3 * j]), {v[2 + 3 * j], v[3 + 3 * j]});
        return;
    }
    default:
        return;
    }
}

} // namespace NetReceive
