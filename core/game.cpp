#include "core/game.h"

#include <cmath>
#include <numbers>

std::unique_ptr<Game> MakeGame(SoundOut& sound, Ui& ui, NetOut& net, uint32_t seed) {
    return std::make_unique<Game>(sound, ui, net, seed);
}

void ConsoleLine(Game& g, const std::string& text, int32_t owner) {
    g.Console.Add(text, owner, g.TickNow);
    // Said by a vehicle: the line reads as the picture shows it, name first.
    const int32_t who = owner == 255 ? -1 : owner;
    if (who >= 0 && who < g.TankCount)
        g.TheUi.ConsoleLine(g.Tanks[who].Name + ": " + text);
    else
        g.TheUi.ConsoleLine(text);
}

TTeam* TeamOf(Game& g, int i) {
    if (!IsTankIndex(g, i)) return nullptr;
    const int t = g.Tanks[i].TeamIndex;
    return t >= 0 && t < g.TeamCount ? &g.Teams[t] : nullptr;
}

const TTeam* TeamOf(const Game& g, int i) {
    return TeamOf(const_cast<Game&>(g), i);
}

void MarkAppearanceChanged(Game& g, int i) {
    if (IsTankIndex(g, i)) g.Tanks[i].AppearanceStamp = ++g.AppearanceSerial;
}

int FindTank(const Game& g, int32_t playerId, int seat) {
    for (int i = 0; i < g.TankCount; ++i) {
        const TTank& t = g.Tanks[i];
        if (!t.IsBot && t.PlayerId == playerId && t.Seat == seat) return i;
    }
    return -1;
}

double NormalizeAngle(double a) {
    constexpr double pi = std::numbers::pi;
    if (!std::isfinite(a)) return 0;
    // One step at a time matches the game's headings, which never drift far;
    // fmod guards against a wild value looping for long.
    if (a > 3 * pi || a < -3 * pi) a = std::fmod(a, 2 * pi);
    while (a > pi)
        a -= 2 * pi;
    while (a <= -pi)
        a += 2 * pi;
    return a;
}

int Sign(double x) {
    return x > 0 ? 1 : (x < 0 ? -1 : 0);
}

int32_t RoundEven(double x) {
    return static_cast<int32_t>(std::nearbyint(x));
}
