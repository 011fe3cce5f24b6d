#include "app/measure.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "net/status.h"

namespace {

// A new level starts the game clock over: a step back this long is one.
constexpr int32_t RestartStepMs = 1000;

// Between two records a vehicle moves at most this fast (px/ms), plus a
// little; more is a respawn or a teleport, not a drive.
constexpr double JumpSpeed = 1.0;
constexpr double JumpSlack = 16;

// A status stamped at most this far after this client's last record is
// compared with the last record: the clocks differ by a tick or two.
constexpr int32_t AheadToleranceMs = 50;

std::string Fixed(double v) {
    char s[32];
    std::snprintf(s, sizeof s, "%.1f", v);
    return s;
}

} // namespace

TPositionHistory::TPositionHistory(size_t capacity) : Records(std::max<size_t>(capacity, 2)) {}

int32_t TPositionHistory::Oldest() const {
    return Count ? Nth(0).Time : 0;
}

int32_t TPositionHistory::Newest() const {
    return Count ? Nth(Count - 1).Time : 0;
}

void TPositionHistory::Record(const Game& g) {
    if (Count) {
        const int32_t last = Newest();
        if (g.GameTime <= last && last - g.GameTime < RestartStepMs) return;
        if (g.GameTime <= last) Count = 0; // the clock started over
    }
    if (Count == Records.size()) {
        First = (First + 1) % Records.size();
        --Count;
    }
    TRecord& r = Records[(First + Count) % Records.size()];
    ++Count;
    r.Time = g.GameTime;
    r.Generation = RosterGeneration(g);
    r.Positions.resize(static_cast<size_t>(g.TankCount));
    r.Alive.resize(static_cast<size_t>(g.TankCount));
    for (int i = 0; i < g.TankCount; ++i) {
        r.Positions[i] = g.Tanks[i].Position;
        r.Alive[i] = g.Tanks[i].Alive;
    }
}

bool TPositionHistory::At(int32_t t, uint32_t generation, int i, TVector& p) const {
    if (Count == 0 || t < Oldest() || t > Newest() || i < 0) return false;
    // The first record at or after t.
    size_t lo = 0, hi = Count - 1;
    while (lo < hi) {
        const size_t mid = (lo + hi) / 2;
        if (Nth(mid).Time < t)
            lo = mid + 1;
        else
            hi = mid;
    }
    const TRecord& b = Nth(lo);
    const TRecord& a = Nth(lo > 0 && b.Time != t ? lo - 1 : lo);
    const size_t k = static_cast<size_t>(i);
    for (const TRecord* r : {&a, &b})
        if (r->Generation != generation || k >= r->Positions.size() || !r->Alive[k]) return false;
    const TVector pa = a.Positions[k], pb = b.Positions[k];
    const double span = b.Time - a.Time;
    if (Length(Sub(pb, pa)) > JumpSlack + JumpSpeed * span) return false;
    const double f = span > 0 ? (t - a.Time) / span : 0;
    p = Add(pa, Scale(Sub(pb, pa), f));
    return true;
}

double TErrorFigures::Mean() const {
    if (Samples.empty()) return 0;
    double sum = 0;
    for (const double d : Samples)
        sum += d;
    return sum / static_cast<double>(Samples.size());
}

double TErrorFigures::Percentile(double q) const {
    if (Samples.empty()) return 0;
    std::vector<double> s = Samples;
    const double rank = std::ceil(std::clamp(q, 0.0, 100.0) / 100 * static_cast<double>(s.size()));
    const size_t k = rank < 1 ? 0 : static_cast<size_t>(rank) - 1;
    std::nth_element(s.begin(), s.begin() + static_cast<std::ptrdiff_t>(k), s.end());
    return s[k];
}

void TStatusTally::Applied(int32_t stamp) {
    if (AppliedCount > 0 && stamp == LastStamp) return;
    // Stamps only grow within a level; a new level starts them over.
    if (AppliedCount > 0 && stamp > LastStamp) Gaps.push_back(stamp - LastStamp);
    ++AppliedCount;
    LastStamp = stamp;
}

int32_t TStatusTally::Interval() const {
    if (Gaps.empty()) return 0;
    std::vector<int32_t> g = Gaps;
    std::nth_element(g.begin(), g.begin() + static_cast<std::ptrdiff_t>(g.size() / 2), g.end());
    return std::max(1, g[g.size() / 2]);
}

int TStatusTally::Lost() const {
    const int32_t interval = Interval();
    if (interval <= 0) return 0;
    int lost = 0;
    for (const int32_t gap : Gaps)
        lost += std::max(0, static_cast<int>(std::lround(static_cast<double>(gap) / interval)) - 1);
    return lost;
}

double TStatusTally::ShareApplied() const {
    const int lost = Lost();
    return AppliedCount + lost > 0 ? static_cast<double>(AppliedCount) / (AppliedCount + lost) : 1;
}

void TClientMeter::AfterPass(const Game& g) {
    if (g.StatusReceived && (!Started || g.LastServerUpdate != LastStamp)) {
        Started = true;
        LastStamp = g.LastServerUpdate;
        Statuses.Applied(LastStamp);
        // Where the status puts each living vehicle against where this
        // client had it at the status's stamp.
        const uint32_t generation = RosterGeneration(g);
        const int32_t at =
            LastStamp > History.Newest() && LastStamp - History.Newest() <= AheadToleranceMs
                ? History.Newest()
                : LastStamp;
        for (int i = 0; i < g.TankCount; ++i) {
            const TTank& t = g.Tanks[i];
            TVector had;
            if (t.Health > 0 && History.At(at, generation, i, had))
                Error.Add(Length(Sub(t.SnapshotPosition, had)));
        }
    }
    History.Record(g);
}

void TClientMeter::RoundTrip(int32_t ms) {
    if (ms > 0) LastRoundTrip = ms;
}

std::string TClientMeter::Line(uint64_t receivedBytes, double seconds) const {
    const int applied = Statuses.Count(), lost = Statuses.Lost();
    std::string s = "statuses applied " + std::to_string(applied) + ", lost " +
                    std::to_string(lost) + " (" + Fixed(100 * Statuses.ShareApplied()) +
                    " % applied); position error mean " + Fixed(Error.Mean()) + " px, p99 " +
                    Fixed(Error.Percentile(99)) + " px over " + std::to_string(Error.Count()) +
                    " samples; round trip " + std::to_string(LastRoundTrip) + " ms; received " +
                    Fixed(seconds > 0 ? static_cast<double>(receivedBytes) / 1024 / seconds : 0) +
                    " KB/s";
    return s;
}

std::string ServerTickLine(std::vector<double> tickMicros, uint64_t sentBytes, double seconds) {
    double median = 0, p99 = 0;
    if (!tickMicros.empty()) {
        std::sort(tickMicros.begin(), tickMicros.end());
        const size_t n = tickMicros.size();
        median = tickMicros[n / 2];
        p99 = tickMicros[std::min(n - 1, static_cast<size_t>(std::ceil(0.99 * n)) - 1)];
    }
    return "server: " + std::to_string(tickMicros.size()) + " ticks, tick median " + Fixed(median) +
           " us, p99 " + Fixed(p99) + " us; upload " +
           Fixed(seconds > 0 ? static_cast<double>(sentBytes) / 1024 / seconds : 0) + " KB/s";
}
