// The clock, the timers and the one-thread main loop that drives them.
#pragma once

#include <SDL2/SDL_events.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "core/services.h"

// Milliseconds since the program started.
class SdlClock : public Clock {
  public:
    int32_t TickCount() override;
};

// Repeating timers called from the main loop, never from another thread.
// A timer fires at most once per pass and never inside its own handler
// (a handler that runs a modal dialog keeps pumping the loop).
class TTimerList {
  public:
    explicit TTimerList(Clock& clock) : TheClock(clock) {}

    // Returns the timer's id. An interval of 1 ms fires as often as the loop turns.
    int Add(int intervalMs, std::function<void()> onTimer, bool enabled = true);
    void SetEnabled(int id, bool enabled);
    bool Enabled(int id) const;
    void SetInterval(int id, int intervalMs);

    // Runs every enabled timer that is due; returns the milliseconds until
    // the next one is due (0: at once), or -1 when none is enabled.
    int RunDue();

  private:
    struct TTimer {
        int Interval = 1;
        std::function<void()> OnTimer;
        bool Enabled = true;
        bool Running = false;
        int32_t LastFired = 0;
        bool Fired = false;
    };
    TTimer* Find(int id);

    Clock& TheClock;
    std::vector<TTimer> Timers;
};

// Paces frames drawn without vsync: a frame is due once the interval since
// the last one has passed.
class TFrameCap {
  public:
    explicit TFrameCap(int intervalMs = 4) : Interval(intervalMs) {}
    // True (and the frame counted as drawn) when a frame is due at now.
    bool Due(int32_t now) {
        if (Drawn && now - Last < Interval && now >= Last) return false;
        Drawn = true;
        Last = now;
        return true;
    }

  private:
    int Interval;
    int32_t Last = 0;
    bool Drawn = false;
};

class TMainLoop {
  public:
    explicit TMainLoop(Clock& clock) : TheClock(clock), Timers(clock) {}

    // Each window event, in arrival order, before the timers of that pass.
    std::function<void(const SDL_Event&)> OnEvent;
    // Once a pass after the events (network polling, the silent sound clock).
    std::function<void()> OnPass;

    // Passes until Quit.
    void Run();
    // One pass: events, then due timers; a pass that finished early gives
    // the processor back for about a millisecond instead of spinning.
    void Pass();
    void Quit() { Quitting = true; }
    bool Stopped() const { return Quitting; }

    Clock& TheClock;
    TTimerList Timers;

  private:
    bool Quitting = false;
};
