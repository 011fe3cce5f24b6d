#include "match/bot_census.h"

#include <cstdio>

#include "core/invariants.h"

int TBotCensus::Score(const Game& g) {
    int sum = 0;
    if (g.TeamGame) {
        for (int t = 0; t < g.TeamCount; ++t)
            sum += g.CaptureTheCow ? g.Teams[t].Cows : g.Teams[t].TeamFrags;
    } else {
        for (int i = 0; i < g.TankCount; ++i)
            sum += g.Tanks[i].Frags;
    }
    return sum;
}

void TBotCensus::Sample(const Game& g) {
    if (FirstBrokenInvariant.empty()) {
        const std::vector<std::string> wrong = CheckInvariants(g);
        if (!wrong.empty())
            FirstBrokenInvariant =
                g.CurrentMapName + " at " + std::to_string(g.GameTime) + " ms: " + wrong.front();
    }
    // A new level starts the clock over: scores and positions start over.
    if (g.GameTime < LastGameTime || LastGameTime < 0) {
        ++LevelsStarted;
        if (LastGameTime >= 0 && !ScoreByMinute.empty()) ScoreBeforeRestarts = ScoreByMinute.back();
        LastSecond = -1;
        Lives.fill(0);
    }
    LastGameTime = g.GameTime;
    const int second = g.GameTime / 1000;
    if (second != LastSecond) {
        LastSecond = second;
        SecondSample(g, second);
    }
}

void TBotCensus::SecondSample(const Game& g, int second) {
    constexpr int Slots = StuckWindowSeconds + 1;
    const int now = second % Slots;
    const int before = (second + 1) % Slots; // StuckWindowSeconds ago
    for (int i = 0; i < g.TankCount; ++i) {
        const TTank& t = g.Tanks[i];
        Seen[i][now] = t.Position;
        Lives[i] = t.Alive ? Lives[i] + 1 : 0;
        if (!t.IsBot || !t.Alive || t.BotIdle || Lives[i] <= StuckWindowSeconds) continue;
        ++MovingSeconds;
        if (DistanceSquared(t.Position, Seen[i][before]) < StuckDistance * StuckDistance)
            ++StuckSeconds;
    }
    if (second % 60 == 0 && second > 0) ScoreByMinute.push_back(ScoreBeforeRestarts + Score(g));
}

std::string TBotCensus::Report(const Game& g) const {
    const char* style = g.CaptureTheCow ? "cows" : (g.TeamGame ? "team frags" : "frags");
    std::string line = "Bots on \"" + g.CurrentMapName + "\": " + style + " by minute";
    for (const int s : ScoreByMinute)
        line += " " + std::to_string(s);
    line += " (now " + std::to_string(ScoreBeforeRestarts + Score(g)) + ")";
    char share[64];
    std::snprintf(share, sizeof share, "%.1f%%",
                  MovingSeconds ? 100.0 * StuckSeconds / MovingSeconds : 0.0);
    line += "; stuck " + std::string(share) + " of " + std::to_string(MovingSeconds) +
            " moving bot-seconds";
    line += "; levels " + std::to_string(LevelsStarted);
    line += FirstBrokenInvariant.empty() ? "; invariants hold"
                                         : "; INVARIANT BROKEN: " + FirstBrokenInvariant;
    return line;
}
