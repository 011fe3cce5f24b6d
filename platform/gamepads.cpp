#include "platform/gamepads.h"

#include <SDL2/SDL.h>

namespace {

double Axis(SDL_GameController* pad, SDL_GameControllerAxis axis) {
    const int v = SDL_GameControllerGetAxis(pad, axis);
    return v < 0 ? v / 32768.0 : v / 32767.0;
}

bool Button(SDL_GameController* pad, SDL_GameControllerButton b) {
    return SDL_GameControllerGetButton(pad, b) != 0;
}

} // namespace

TGamepads::~TGamepads() {
    Close();
}

bool TGamepads::Open(std::string* why) {
    if (Started) return true;
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
        if (why) *why = std::string("no game controllers: ") + SDL_GetError();
        return false;
    }
    Started = true;
    // The pads present at start come as "added" events too; attaching them
    // here as well is harmless, a pad is never taken twice.
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
        Attach(i);
    return true;
}

void TGamepads::Close() {
    for (int s = 0; s < Slots; ++s) {
        if (Pads[s]) SDL_GameControllerClose(Pads[s]);
        Pads[s] = nullptr;
        Ids[s] = -1;
    }
    if (Started) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    Started = false;
}

void TGamepads::Attach(int deviceIndex) {
    if (!SDL_IsGameController(deviceIndex)) return;
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
    for (int s = 0; s < Slots; ++s)
        if (Pads[s] && Ids[s] == id) return;
    for (int s = 0; s < Slots; ++s) {
        if (Pads[s]) continue;
        SDL_GameController* pad = SDL_GameControllerOpen(deviceIndex);
        if (!pad) return;
        Pads[s] = pad;
        Ids[s] = id;
        return;
    }
    // A third pad waits until a slot is free; it is not opened meanwhile.
}

void TGamepads::Detach(SDL_JoystickID id) {
    for (int s = 0; s < Slots; ++s)
        if (Pads[s] && Ids[s] == id) {
            SDL_GameControllerClose(Pads[s]);
            Pads[s] = nullptr;
            Ids[s] = -1;
        }
    // A pad that was waiting for a slot takes the one just freed.
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
        Attach(i);
}

bool TGamepads::HandleEvent(const SDL_Event& e) {
    if (!Started) return false;
    if (e.type == SDL_CONTROLLERDEVICEADDED) {
        Attach(e.cdevice.which);
        return true;
    }
    if (e.type == SDL_CONTROLLERDEVICEREMOVED) {
        Detach(e.cdevice.which);
        return true;
    }
    return false;
}

bool TGamepads::Connected(int slot) const {
    return slot >= 0 && slot < Slots && Pads[slot] && SDL_GameControllerGetAttached(Pads[slot]);
}

std::string TGamepads::Name(int slot) const {
    if (!Connected(slot)) return {};
    const char* n = SDL_GameControllerName(Pads[slot]);
    return n ? n : "game controller";
}

TPadState TGamepads::Read(int slot) const {
    TPadState s;
    if (!Connected(slot)) return s;
    SDL_GameController* p = Pads[slot];
    s.Connected = true;
    s.LeftX = Axis(p, SDL_CONTROLLER_AXIS_LEFTX);
    s.LeftY = Axis(p, SDL_CONTROLLER_AXIS_LEFTY);
    s.LeftTrigger = Axis(p, SDL_CONTROLLER_AXIS_TRIGGERLEFT);
    s.RightTrigger = Axis(p, SDL_CONTROLLER_AXIS_TRIGGERRIGHT);
    s.DpadUp = Button(p, SDL_CONTROLLER_BUTTON_DPAD_UP);
    s.DpadDown = Button(p, SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    s.DpadLeft = Button(p, SDL_CONTROLLER_BUTTON_DPAD_LEFT);
    s.DpadRight = Button(p, SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    s.A = Button(p, SDL_CONTROLLER_BUTTON_A);
    s.B = Button(p, SDL_CONTROLLER_BUTTON_B);
    s.X = Button(p, SDL_CONTROLLER_BUTTON_X);
    s.Y = Button(p, SDL_CONTROLLER_BUTTON_Y);
    s.LeftShoulder = Button(p, SDL_CONTROLLER_BUTTON_LEFTSHOULDER);
    s.RightShoulder = Button(p, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER);
    s.Back = Button(p, SDL_CONTROLLER_BUTTON_BACK);
    s.Start = Button(p, SDL_CONTROLLER_BUTTON_START);
    return s;
}
