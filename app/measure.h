// How well a client keeps up with its host: where the vehicles stood at
// each game time, the distances between two views of them, and how many
// statuses arrived. Watches games from outside and changes nothing; the
// headless client's closing line and the loopback tests use it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/game.h"

// The vehicles' positions at the last few thousand recorded game times.
class TPositionHistory {
  public:
    explicit TPositionHistory(size_t capacity = 4096);
    // The game as it is now, at its GameTime; a time not after the last
    // record is ignored.
    void Record(const Game& g);
    // Where vehicle i was at game time t in a table of this generation:
    // between the two records around t, both of the same table with the
    // vehicle alive and no jump between them (a respawn). False when there
    // are no such records.
    bool At(int32_t t, uint32_t generation, int i, TVector& p) const;
    bool Empty() const { return Count == 0; }
    int32_t Oldest() const;
    int32_t Newest() const;

  private:
    struct TRecord {
        int32_t Time = 0;
        uint32_t Generation = 0;
        std::vector<TVector> Positions;
        std::vector<bool> Alive;
    };
    const TRecord& Nth(size_t k) const { return Records[(First + k) % Records.size()]; }
    std::vector<TRecord> Records;
    size_t First = 0, Count = 0;
};

// Distances (px) gathered one by one, with their mean and percentiles.
class TErrorFigures {
  public:
    void Add(double d) { Samples.push_back(d); }
    size_t Count() const { return Samples.size(); }
    double Mean() const;
    // The q-th percentile (0..100) by the nearest rank; 0 without samples.
    double Percentile(double q) const;

  private:
    std::vector<double> Samples;
};

// The statuses a client applied, told apart by their stamps: the host sends
// one every interval, so a gap of n intervals between two applied stamps
// means n - 1 statuses lost (or dropped as stale) on the way.
class TStatusTally {
  public:
    // A newly applied status of this stamp (a repeated stamp is no new one).
    void Applied(int32_t stamp);
    int Count() const { return AppliedCount; }
    // The host's interval as the median gap between applied stamps.
    int32_t Interval() const;
    int Lost() const;
    // Applied / (applied + lost), 0..1; 1 with nothing seen.
    double ShareApplied() const;

  private:
    int AppliedCount = 0;
    int32_t LastStamp = 0;
    std::vector<int32_t> Gaps;
};

// What a client measures while it plays: every tick it records where its
// vehicles are; every new status tells where the host had them at the
// status's stamp, and the distance to where this client had them at that
// same game time is its prediction error.
class TClientMeter {
  public:
    // After every pass of the program's loop: statuses applied since the
    // last call are tallied (the newest one measured), then the tick's
    // positions recorded.
    void AfterPass(const Game& g);
    // The round trip to the host (ms) now.
    void RoundTrip(int32_t ms);
    // "statuses applied 380, lost 20 (95.0 % applied); position error mean
    // 1.2 px, p99 8.0 px over 4000 samples; round trip 3 ms; received 24.1 KB/s"
    std::string Line(uint64_t receivedBytes, double seconds) const;

    TStatusTally Statuses;
    TErrorFigures Error;

  private:
    TPositionHistory History;
    int32_t LastStamp = -1000;
    bool Started = false;
    int32_t LastRoundTrip = 0;
};

// One line for a dedicated server at its end: how long its ticks took and
// how much it sent. "server: 120000 ticks, tick median 45 us, p99 210 us;
// upload 512.0 KB/s"
std::string ServerTickLine(std::vector<double> tickMicros, uint64_t sentBytes, double seconds);
