// Game controllers through SDL: the first pad plugged in is slot 0 (player
// 1), the second slot 1 (player 2). A pad that goes away frees its slot; the
// next pad plugged in takes the lowest free slot.
#pragma once

#include <SDL2/SDL_events.h>
#include <SDL2/SDL_gamecontroller.h>

#include <array>
#include <string>

#include "core/pad.h"

class TGamepads {
  public:
    static constexpr int Slots = 2;

    TGamepads() = default;
    TGamepads(const TGamepads&) = delete;
    TGamepads& operator=(const TGamepads&) = delete;
    ~TGamepads();

    // Starts SDL's controller support and opens the pads already there.
    // False (with the reason) when the system offers no controllers; the
    // game then runs on the keyboard alone.
    bool Open(std::string* why = nullptr);
    void Close();
    // Follows pads plugged in and pulled out; other events are left alone.
    // True when the event was a pad coming or going.
    bool HandleEvent(const SDL_Event& e);
    // The pad in a slot now; not Connected when the slot is empty.
    TPadState Read(int slot) const;
    bool Connected(int slot) const;
    std::string Name(int slot) const;

  private:
    void Attach(int deviceIndex);
    void Detach(SDL_JoystickID id);

    std::array<SDL_GameController*, Slots> Pads{};
    std::array<SDL_JoystickID, Slots> Ids{-1, -1};
    bool Started = false;
};
