#include "core/game.h"

#include <cmath>
#include <numbers>

std::unique_ptr<Game> MakeGame(Clock& clock, SoundOut& sound, Ui& ui, NetOut& net,
                               uint32_t seed) {
    return std::make_unique<Game>(clock, sound, ui, net, seed);
}

void SayConsole(Game& g, const std::string& text) {
    if (g.Hooks.ConsoleLine) g.Hooks.ConsoleLine(text);
    g.TheUi.ConsoleLine(text);
}

void RemoveRocket(Game& g, int k) {
    if (k < 0 || k >= g.Rockets.Count) return;
    const int last = g.Rockets.Count - 1;
    for (int i = 0; i < g.TankCount; ++i) {
        int32_t& m = g.Tanks[i].GuidedMissile;
        if (m == k) m = -1;
        else if (m == last) m = k;
    }
    g.Rockets.Remove(k);
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
    while (a > pi) a -= 2 * pi;
    while (a <= -pi) a += 2 * pi;
    return a;
}

int Sign(double x) { return x > 0 ? 1 : (x < 0 ? -1 : 0); }

int32_t RoundEven(double x) { return static_cast<int32_t>(std::nearbyint(x)); }
