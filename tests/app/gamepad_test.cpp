// A game controller drives player 1 through the same control actions as the
// keys. SDL attaches a virtual pad, so no hardware is needed.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include "fakes/fakes.h"
#include "frontend/pad_controls.h"
#include "platform/gamepads.h"
#include "sim/vehicles.h"

namespace {

// A virtual pad laid out like a standard controller.
SDL_JoystickID AttachPad(int& deviceIndex) {
    SDL_VirtualJoystickDesc d{};
    d.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    d.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    d.naxes = SDL_CONTROLLER_AXIS_MAX;
    d.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    d.name = "Test Pad";
    deviceIndex = SDL_JoystickAttachVirtualEx(&d);
    return deviceIndex < 0 ? -1 : SDL_JoystickGetDeviceInstanceID(deviceIndex);
}

void Pump(TGamepads& pads) {
    SDL_Event e;
    SDL_GameControllerUpdate();
    while (SDL_PollEvent(&e))
        pads.HandleEvent(e);
}

struct PadRig : TestRig {
    TGamepads Pads;
    TPadControls Controls;
    SDL_Joystick* Stick = nullptr;
    int Device = -1;

    PadRig() {
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        std::string why;
        ok = Pads.Open(&why);
        if (!ok) return;
        Plug();
        g().LevelRunning = true;
        AddTank(g(), 0);
        g().Tanks[0].Alive = true;
    }
    ~PadRig() {
        if (Stick) SDL_JoystickClose(Stick);
        Pads.Close();
    }
    void Plug() {
        const SDL_JoystickID id = AttachPad(Device);
        ASSERT_GE(id, 0) << SDL_GetError();
        Stick = SDL_JoystickOpen(Device);
        Pump(Pads);
    }
    void Unplug() {
        SDL_JoystickClose(Stick);
        Stick = nullptr;
        SDL_JoystickDetachVirtual(Device);
        Pump(Pads);
    }
    void Axis(SDL_GameControllerAxis a, int16_t v) { SDL_JoystickSetVirtualAxis(Stick, a, v); }
    void Step(int32_t now = 0) {
        Pump(Pads);
        Controls.Update(g(), 0, Pads.Read(0), now);
    }
    bool ok = false;
};

TEST(Gamepad, StickSteersTriggerFiresAndUnplugLetsGo) {
    PadRig r;
    if (!r.ok) GTEST_SKIP() << "no controller support on this system";
    ASSERT_TRUE(r.Pads.Connected(0));
    EXPECT_FALSE(r.Pads.Connected(1));
    TTank& t = r.g().Tanks[0];

    r.Axis(SDL_CONTROLLER_AXIS_LEFTX, -32768);
    r.Axis(SDL_CONTROLLER_AXIS_LEFTY, -32768);
    r.Step();
    EXPECT_EQ(t.Steer, 1);
    EXPECT_EQ(t.Throttle, 1);

    // Stick across to the right in one pass: right steer, not a release.
    r.Axis(SDL_CONTROLLER_AXIS_LEFTX, 32767);
    r.Step();
    EXPECT_EQ(t.Steer, -1);

    r.Axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
    r.Step();
    EXPECT_TRUE(t.Firing);

    // Pulled out while steering and firing: nothing stays held.
    r.Unplug();
    EXPECT_FALSE(r.Pads.Connected(0));
    r.Step();
    EXPECT_EQ(t.Steer, 0);
    EXPECT_EQ(t.Throttle, 0);
    EXPECT_FALSE(t.Firing);

    // Plugged back, it drives again from slot 0.
    r.Plug();
    ASSERT_TRUE(r.Pads.Connected(0));
    r.Axis(SDL_CONTROLLER_AXIS_LEFTY, 32767);
    r.Step();
    EXPECT_EQ(t.Throttle, -1);
}

} // namespace
