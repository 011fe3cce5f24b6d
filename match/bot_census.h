// What the bots did in a match, for the headless report: how the scores
// grew minute by minute, and how much of their driving time bots spent
// stuck in one spot. Watches a game from outside; changes nothing.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "core/game.h"

// A bot is stuck when it is within this many px of where it was this many
// seconds earlier, though it meant to move.
constexpr double StuckDistance = 32;
constexpr int StuckWindowSeconds = 5;

class TBotCensus {
  public:
    // After every tick.
    void Sample(const Game& g);
    // One line: the style, the score by minute, the stuck share, and the
    // first broken invariant if any.
    std::string Report(const Game& g) const;

    // The score that shows progress in this style: frags of all vehicles,
    // team frags of all teams, or cows scored.
    static int Score(const Game& g);

    int MovingSeconds = 0; // bot-seconds alive and not idle, with a position 5 s before
    int StuckSeconds = 0;
    std::vector<int> ScoreByMinute;
    std::string FirstBrokenInvariant;
    int LevelsStarted = 0;

  private:
    void SecondSample(const Game& g, int second);

    int32_t LastGameTime = -1;
    int LastSecond = -1;
    // Per vehicle: its position at each of the last seconds.
    std::array<std::array<TVector, StuckWindowSeconds + 1>, MaxTanks> Seen{};
    std::array<int, MaxTanks> Lives{}; // seconds in a row seen alive
    int ScoreBeforeRestarts = 0;
};
