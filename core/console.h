// The message console: the last few lines the game said, each fading out
// five seconds after it came, and the three timed lines of each local
// player's view. Plain buffers: what is said, and when, is decided by the
// rules that say it.
#pragma once

#include <array>
#include <cstdint>
#include <string>

struct TConsoleLine {
    std::string Text;
    int32_t Expiry = 0; // tick count
    int32_t Owner = -1; // the vehicle that said it, -1 the game itself
};

constexpr int ConsoleLines = 4;
constexpr int32_t ConsoleLineLifeMs = 5000;

struct TConsole {
    std::array<TConsoleLine, ConsoleLines> Lines{};
    int Count = 0; // oldest first

    // A fifth line pushes the oldest out, expired or not. Owner 255 is the
    // network's way of saying none.
    void Add(const std::string& text, int32_t owner, int32_t tickNow);
    // Drops the lines whose time is up.
    void Age(int32_t tickNow);
    void Clear() { Count = 0; }
};

// A timed line of a player's view: A the kill notice, B personal messages,
// C a taunt from the player's killer (with the vehicle that said it).
struct TTimedLine {
    std::string Text;
    int32_t Expiry = -1; // game time
    int32_t Speaker = -1;
};

struct TPlayerLines {
    TTimedLine KillNotice;
    TTimedLine Personal;
    TTimedLine Taunt;
    void Clear() { *this = TPlayerLines{}; }
};
