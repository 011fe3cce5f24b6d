#include "platform/main_loop.h"

#include <SDL2/SDL.h>

#include <algorithm>

int32_t SdlClock::TickCount() {
    return int32_t(uint32_t(SDL_GetTicks64()));
}

int TTimerList::Add(int intervalMs, std::function<void()> onTimer, bool enabled) {
    TTimer t;
    t.Interval = std::max(intervalMs, 1);
    t.OnTimer = std::move(onTimer);
    t.Enabled = enabled;
    Timers.push_back(std::move(t));
    return int(Timers.size()) - 1;
}

TTimerList::TTimer* TTimerList::Find(int id) {
    return id >= 0 && id < int(Timers.size()) ? &Timers[id] : nullptr;
}

void TTimerList::SetEnabled(int id, bool enabled) {
    TTimer* t = Find(id);
    if (!t || t->Enabled == enabled) return;
    t->Enabled = enabled;
    // A timer switched on waits one interval before it first fires.
    t->Fired = true;
    t->LastFired = TheClock.TickCount();
}

bool TTimerList::Enabled(int id) const {
    return id >= 0 && id < int(Timers.size()) && Timers[id].Enabled;
}

void TTimerList::SetInterval(int id, int intervalMs) {
    if (TTimer* t = Find(id)) t->Interval = std::max(intervalMs, 1);
}

int TTimerList::RunDue() {
    // By index: a handler may add timers, which moves the vector.
    for (size_t i = 0; i < Timers.size(); ++i) {
        TTimer& t = Timers[i];
        if (!t.Enabled || t.Running) continue;
        const int32_t now = TheClock.TickCount();
        if (t.Fired && now - t.LastFired < t.Interval) continue;
        t.Fired = true;
        t.LastFired = now;
        t.Running = true;
        auto handler = t.OnTimer; // survives the handler adding timers
        if (handler) handler();
        Timers[i].Running = false;
    }
    int wait = -1;
    const int32_t now = TheClock.TickCount();
    for (const TTimer& t : Timers) {
        if (!t.Enabled || t.Running) continue;
        int left = t.Fired ? std::max(0, t.Interval - (now - t.LastFired)) : 0;
        wait = wait < 0 ? left : std::min(wait, left);
    }
    return wait;
}

void TMainLoop::Run() {
    while (!Quitting)
        Pass();
}

void TMainLoop::Pass() {
    const int32_t start = TheClock.TickCount();
    SDL_Event e;
    while (SDL_PollEvent(&e))
        if (OnEvent) OnEvent(e);
    if (OnPass) OnPass();
    const int wait = Timers.RunDue();
    if (Quitting) return;
    if (wait != 0) {
        // Nothing due yet: sleep until it is, or until input arrives, but
        // come round at least every 10 ms for the network.
        const int ms = wait < 0 ? 10 : std::min(wait, 10);
        if (SDL_WasInit(SDL_INIT_EVENTS))
            SDL_WaitEventTimeout(nullptr, ms);
        else
            SDL_Delay(Uint32(ms));
    } else if (TheClock.TickCount() - start < 1) {
        SDL_Delay(1);
    }
}
