// Keyboard: SDL keys to the game's virtual-key codes, and the 256-entry
// keyboard state the game reads and writes.
#pragma once

#include <SDL2/SDL_events.h>
#include <SDL2/SDL_keycode.h>

#include <array>
#include <cstdint>

#include "core/vkeys.h"

// The virtual-key code of a key, 0 when it has none. Letters follow the
// keyboard layout (the key that types 'z' is Z); every other key goes by
// its place on the keyboard, so digits, keypad and punctuation stay put.
// Left and right Shift, Ctrl and Alt give the one code each.
int VirtualKeyFromSdl(SDL_Keycode sym, SDL_Scancode scancode);

// TShiftFlag bits of SDL's modifier state.
int ShiftStateFromSdl(Uint16 mod);

// False for events that are not key presses or releases.
bool KeyEventFromSdl(const SDL_Event& event, TKeyEvent& out);

// The keyboard as the game sees it: entry k of a key is 0x80 while it is
// held; the low bit of the lock keys (Caps Lock, Num Lock, Scroll Lock)
// tells whether the lock is on.
class TKeyboard {
  public:
    using TState = std::array<uint8_t, 256>;

    // Follows key events; call it for each one before the game sees it.
    void OnKey(const TKeyEvent& key);
    bool IsDown(int vk) const { return vk > 0 && vk < 256 && (State[vk] & 0x80); }

    // The whole state, lock keys taken from the system.
    TState Read() const;
    // Takes a whole state; a lock entry that differs from the system's is
    // applied where the platform allows (Num Lock on while the game runs).
    void Write(const TState& state);
    // Everything up (the window lost the keyboard, so releases go astray).
    void ReleaseAll();

  private:
    TState State{};
};
