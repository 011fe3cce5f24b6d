#include "net/status.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "sim/projectiles.h"
#include "sim/sounds.h"
#include "sim/vehicles.h"

namespace {

constexpr float NoOne = -1;
constexpr int CowAtHomeState = 254;
constexpr int CowLooseState = 255;
constexpr int SoundMoo = 16;

bool Finite(std::initializer_list<float> values) {
    for (float f : values)
        if (!std::isfinite(f)) return false;
    return true;
}

// An index carried in a float: rounded, -1 when it names nothing below limit.
int IndexOf(float f, int limit) {
    if (!std::isfinite(f)) return -1;
    const double r = std::nearbyint(static_cast<double>(f));
    return r >= 0 && r < limit ? static_cast<int>(r) : -1;
}

// Vehicles and missiles are on the map on the host: a place far off it is
// no place, and is brought to the nearest edge.
TVector OnMap(const Game& g, float x, float y) {
    TVector p{x, y};
    if (g.MapWidthPx > 0 && g.MapHeightPx > 0) {
        p.x = std::clamp(p.x, 0.0, static_cast<double>(g.MapWidthPx));
        p.y = std::clamp(p.y, 0.0, static_cast<double>(g.MapHeightPx));
    }
    return p;
}

} // namespace

void BroadcastScore(Game& g) {
    g.Net.SendScore();
}

void BroadcastGameStatus(Game& g) {
    g.Net.SendStatus();
}

void StatusOf(const Game& g, TStatusMsg& m) {
    m.Stamp = g.GameTime;
    m.Vehicles.resize(static_cast<size_t>(g.TankCount));
    for (int i = 0; i < g.TankCount; ++i) {
        const TTank& t = g.Tanks[i];
        m.Vehicles[i] = {static_cast<float>(t.Position.x), static_cast<float>(t.Position.y),
                         static_cast<float>(t.Heading),    static_cast<float>(t.TurretAngle),
                         static_cast<float>(t.Health),     static_cast<float>(t.ReloadPercent)};
    }
    m.Homing.clear();
    m.Guided.clear();
    for (int k = 0; k < g.Rockets.Count; ++k) {
        const TRocket& r = g.Rockets[k];
        if (r.Kind == 1 && m.Homing.size() < 255) {
            m.Homing.push_back({static_cast<float>(r.Position.x), static_cast<float>(r.Position.y),
                                static_cast<float>(r.Angle), static_cast<float>(r.Target)});
        } else if (r.Kind == 2 && m.Guided.size() < 255) {
            const bool steered = IsTankIndex(g, r.Owner) && g.Tanks[r.Owner].Alive &&
                                 g.Tanks[r.Owner].GuidedMissile == k;
            m.Guided.push_back({static_cast<float>(r.Position.x), static_cast<float>(r.Position.y),
                                static_cast<float>(r.Angle),
                                steered ? static_cast<float>(r.Owner) : NoOne});
        }
    }
    // Bullets are read through the pool's count and index alone.
    m.Bullets.clear();
    for (int k = 0; k < g.Bullets.Count && m.Bullets.size() < 65535; ++k) {
        const TBullet& b = g.Bullets[k];
        if (b.Spent) continue;
        m.Bullets.push_back({static_cast<float>(b.Position.x), static_cast<float>(b.Position.y),
                             static_cast<float>(b.Velocity.x), static_cast<float>(b.Velocity.y)});
    }
    m.Cows.clear();
    if (g.CaptureTheCow)
        for (int t = 0; t < g.TeamCount; ++t) {
            const TTeam& team = g.Teams[t];
            const int state = team.CowAtHome         ? CowAtHomeState
                              : team.CowCarrier >= 0 ? team.CowCarrier
                                                     : CowLooseState;
            m.Cows.push_back({static_cast<float>(team.Colour), static_cast<float>(state),
                              static_cast<float>(team.CowPosition.x),
                              static_cast<float>(team.CowPosition.y),
                              static_cast<float>(team.CowHeading)});
        }
}

size_t EntrySlots(const TStatusMsg& m, size_t bound) {
    const size_t rest = 20 + 4 * (6 * m.Vehicles.size() + 5 * m.Cows.size());
    return rest >= bound ? 0 : (bound - rest) / 16;
}

namespace {

template <class T>
void ChooseNearOf(const std::vector<T>& all, const std::vector<TVector>& points, size_t slots,
                  uint32_t& cursor, std::vector<T>& out) {
    out.clear();
    if (all.size() <= slots) {
        out = all;
        return;
    }
    thread_local std::vector<uint8_t> chosen;
    thread_local std::vector<std::pair<uint32_t, uint32_t>> byDistance;
    chosen.assign(all.size(), 0);
    size_t left = slots;
    if (!points.empty() && slots >= 2) {
        // The nearest half of the slots. A distance is never negative, and
        // such floats order as their bits do: a count by the top bits finds
        // the bucket where the nearest end, and only that bucket is sorted.
        thread_local std::vector<uint32_t> keys;
        thread_local std::vector<uint32_t> count;
        constexpr int Shift = 18;
        count.assign((0x7F800000u >> Shift) + 1, 0);
        keys.resize(all.size());
        for (size_t k = 0; k < all.size(); ++k) {
            float best = INFINITY;
            for (const TVector& p : points) {
                const float dx = all[k].X - static_cast<float>(p.x);
                const float dy = all[k].Y - static_cast<float>(p.y);
                const float d = dx * dx + dy * dy;
                if (d < best) best = d; // NaN stays far
            }
            uint32_t bits;
            std::memcpy(&bits, &best, sizeof bits);
            keys[k] = bits;
            ++count[bits >> Shift];
        }
        const size_t nearest = slots / 2;
        size_t below = 0, edge = 0;
        while (below + count[edge] < nearest)
            below += count[edge++];
        byDistance.clear();
        for (size_t k = 0; k < all.size(); ++k) {
            const uint32_t bucket = keys[k] >> Shift;
            if (bucket < edge)
                chosen[k] = 1;
            else if (bucket == edge)
                byDistance.push_back({keys[k], static_cast<uint32_t>(k)});
        }
        const size_t more = nearest - below;
        if (more < byDistance.size())
            std::nth_element(byDistance.begin(), byDistance.begin() + static_cast<ptrdiff_t>(more),
                             byDistance.end());
        for (size_t k = 0; k < more; ++k)
            chosen[byDistance[k].second] = 1;
        left -= nearest;
    }
    size_t k = cursor < all.size() ? cursor : 0;
    for (size_t seen = 0; left > 0 && seen < all.size(); ++seen, k = (k + 1) % all.size())
        if (!chosen[k]) {
            chosen[k] = 1;
            --left;
        }
    cursor = static_cast<uint32_t>(k);
    for (size_t i = 0; i < all.size(); ++i)
        if (chosen[i]) out.push_back(all[i]);
}

} // namespace

void ChooseNear(const std::vector<TBulletStatus>& all, const std::vector<TVector>& points,
                size_t slots, uint32_t& cursor, std::vector<TBulletStatus>& out) {
    ChooseNearOf(all, points, slots, cursor, out);
}

void ChooseNear(const std::vector<TMissileStatus>& all, const std::vector<TVector>& points,
                size_t slots, uint32_t& cursor, std::vector<TMissileStatus>& out) {
    ChooseNearOf(all, points, slots, cursor, out);
}

void StatusFor(const Game& g, const TStatusMsg& whole, uint32_t machine, TStatusCursor& cursor,
               TStatusMsg& out) {
    out.Stamp = whole.Stamp;
    out.Vehicles = whole.Vehicles;
    out.Cows = whole.Cows;
    thread_local std::vector<TVector> points;
    points.clear();
    for (int i = 0; i < g.TankCount; ++i)
        if (static_cast<uint32_t>(g.Tanks[i].PlayerId) == machine && machine != 0)
            points.push_back(g.Tanks[i].Position);
    // Missiles take at most half the room, each kind in its share of them.
    const size_t slots = EntrySlots(out);
    const size_t homing = whole.Homing.size(), guided = whole.Guided.size();
    size_t homingSlots = homing, guidedSlots = guided;
    if (homing + guided > slots / 2) {
        homingSlots = slots / 2 * homing / (homing + guided);
        guidedSlots = slots / 2 - homingSlots;
    }
    ChooseNear(whole.Homing, points, homingSlots, cursor.Homing, out.Homing);
    ChooseNear(whole.Guided, points, guidedSlots, cursor.Guided, out.Guided);
    ChooseNear(whole.Bullets, points, slots - out.Homing.size() - out.Guided.size(), cursor.Bullets,
               out.Bullets);
}

TScoreMsg ScoreOf(const Game& g) {
    TScoreMsg m;
    for (int i = 0; i < g.TankCount; ++i)
        m.Tanks.push_back({Clamp16(g.Tanks[i].Frags), Clamp16(g.Tanks[i].Deaths)});
    for (int t = 0; t < g.TeamCount && t < MaxTeams; ++t) {
        const TTeam& team = g.Teams[t];
        m.Teams.push_back({Clamp16(team.Colour), Clamp16(team.Cows), Clamp16(team.TeamFrags),
                           Clamp16(team.TeamDeaths)});
    }
    return m;
}

void ApplyStatus(Game& g, const TStatusMsg& m) {
    for (int i = 0; i < g.TankCount; ++i)
        g.Tanks[i].GuidedMissile = -1;
    for (int k = g.Rockets.Count - 1; k >= 0; --k)
        if (g.Rockets[k].Kind == 1 || g.Rockets[k].Kind == 2) RemoveRocket(g, k);
    const int n = std::min<int>(static_cast<int>(m.Vehicles.size()), g.TankCount);
    for (int i = 0; i < n; ++i) {
        const TVehicleStatus& v = m.Vehicles[i];
        if (!Finite({v.X, v.Y, v.Heading, v.TurretAngle, v.Health, v.ReloadPercent})) continue;
        TTank& t = g.Tanks[i];
        t.SnapshotPosition = OnMap(g, v.X, v.Y);
        t.SnapshotHeading = NormalizeAngle(v.Heading);
        t.TurretAngle = NormalizeAngle(v.TurretAngle);
        t.Health = v.Health;
        t.ReloadPercent = std::clamp(RoundEven(v.ReloadPercent), 0, 100);
    }
    for (int kind = 1; kind <= 2; ++kind)
        for (const TMissileStatus& s : kind == 1 ? m.Homing : m.Guided) {
            if (!Finite({s.X, s.Y, s.Angle}) || g.Rockets.Full()) continue;
            TRocket r;
            r.Kind = kind;
            r.SnapshotPosition = r.Position = r.PrevPosition = r.PrevPrevPosition =
                OnMap(g, s.X, s.Y);
            r.Angle = NormalizeAngle(s.Angle);
            const int who = IndexOf(s.Who, g.TankCount);
            if (kind == 1)
                r.Target = who;
            else
                r.Owner = who;
            const int k = g.Rockets.Add(r);
            if (kind == 2 && who >= 0) g.Tanks[who].GuidedMissile = k;
        }
    g.Bullets.Clear();
    for (const TBulletStatus& s : m.Bullets) {
        if (!Finite({s.X, s.Y, s.Vx, s.Vy})) continue;
        TBullet b;
        b.Position = b.Origin = b.PrevPosition = b.TrailPosition = {s.X, s.Y};
        b.Velocity = {s.Vx, s.Vy};
        b.FireTime = m.Stamp;
        if (g.Bullets.Add(b) < 0) break;
    }
    if (g.CaptureTheCow)
        for (const TCowStatus& c : m.Cows) {
            if (!Finite({c.Colour, c.State, c.X, c.Y, c.Heading})) continue;
            int t = -1;
            const double colour = std::nearbyint(static_cast<double>(c.Colour));
            for (int k = 0; k < g.TeamCount; ++k)
                if (g.Teams[k].Colour == colour) t = k;
            if (t < 0) continue;
            TTeam& team = g.Teams[t];
            team.CowPosition = {c.X, c.Y};
            team.CowHeading = NormalizeAngle(c.Heading);
            const double s = std::nearbyint(static_cast<double>(c.State));
            if (team.CowAtHome && s != CowAtHomeState) {
                team.CowLeftTime = m.Stamp;
                PlaySoundAt(g, SoundMoo, team.CowPosition);
            }
            team.CowAtHome = s == CowAtHomeState;
            const int carrier = s >= CowAtHomeState ? -1 : IndexOf(c.State, g.TankCount);
            if (carrier != team.CowCarrier) PlaySoundAt(g, SoundMoo, team.CowPosition);
            team.CowCarrier = carrier;
        }
    g.StatusReceived = true;
}

uint32_t RosterGeneration(const Game& g) {
    // FNV-1a over the table's length and each vehicle's machine id (bots: 0).
    uint32_t h = 2166136261u;
    auto mix = [&h](uint32_t v) {
        for (int k = 0; k < 4; ++k)
            h = (h ^ ((v >> (8 * k)) & 0xFF)) * 16777619u;
    };
    mix(static_cast<uint32_t>(g.TankCount));
    for (int i = 0; i < g.TankCount; ++i) {
        mix(static_cast<uint32_t>(g.Tanks[i].PlayerId));
    }
    return h;
}

void AppendRosterGeneration(TBlock& block, uint32_t generation) {
    for (int k = 0; k < 4; ++k)
        block.push_back(static_cast<uint8_t>((generation >> (8 * k)) & 0xFF));
}

bool SplitRosterGeneration(const uint8_t* data, size_t size, size_t& messageSize,
                           uint32_t& generation) {
    if (data == nullptr || size < 4 + StatusTrailerSize) return false;
    messageSize = size - StatusTrailerSize;
    generation = 0;
    for (int k = 0; k < 4; ++k)
        generation |= static_cast<uint32_t>(data[messageSize + k]) << (8 * k);
    return true;
}

bool StatusSizesAgree(const TStatusMsg& m, const TBlock& block) {
    if (block.size() < 16) return false;
    const size_t n = block[4], r = block[5], gu = block[6], t = block[10];
    const size_t b = block[8] | (static_cast<size_t>(block[9]) << 8);
    if (n != m.Vehicles.size() || r != m.Homing.size() || gu != m.Guided.size() ||
        b != m.Bullets.size() || t != m.Cows.size())
        return false;
    return block.size() == 20 + 4 * (6 * n + 4 * r + 4 * gu + 4 * b + 5 * t);
}
