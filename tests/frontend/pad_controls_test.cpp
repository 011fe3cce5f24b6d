// The pad's state becomes presses and releases of the control actions.
#include <gtest/gtest.h>

#include "fakes/fakes.h"
#include "frontend/pad_controls.h"
#include "sim/vehicles.h"

namespace {

struct Rig : TestRig {
    TPadControls Pad;
    TPadState S;
    Rig() {
        S.Connected = true;
        g().LevelRunning = true;
        AddTank(g(), 0);
        g().Tanks[0].Alive = true;
    }
    TTank& T() { return g().Tanks[0]; }
    bool Step(int32_t now = 0) { return Pad.Update(g(), 0, S, now); }
};

TEST(PadControls, StickHasHysteresisAndBrakeBeatsForward) {
    Rig r;
    r.S.LeftY = -0.45; // not yet past the press point
    r.Step();
    EXPECT_EQ(r.T().Throttle, 0);
    r.S.LeftY = -0.6;
    r.Step();
    EXPECT_EQ(r.T().Throttle, 1);
    r.S.LeftY = -0.4; // drifting back, still above the release point
    r.Step();
    EXPECT_EQ(r.T().Throttle, 1);
    r.S.LeftTrigger = 1; // the brake trigger while the stick is forward
    r.Step();
    EXPECT_EQ(r.T().Throttle, -1);
    r.S.LeftTrigger = 0;
    r.S.LeftY = 0;
    r.Step();
    EXPECT_EQ(r.T().Throttle, 0);
}

TEST(PadControls, ButtonsGiveOnePressEachHoldBackToBlowUp) {
    Rig r;
    r.T().Weapon = 6;
    r.S.A = true;
    r.Step();
    r.Step(); // still held: no second change
    EXPECT_EQ(r.T().Weapon, 0);

    r.S.Back = true;
    r.Step(100);
    r.Step(100 + PadSelfDestructHoldMs - 1);
    EXPECT_FALSE(r.Pad.Holds(caSelfDestruct));
    r.Step(100 + PadSelfDestructHoldMs);
    EXPECT_TRUE(r.Pad.Holds(caSelfDestruct));

    r.S.Start = true;
    EXPECT_TRUE(r.Step(2000));
    EXPECT_FALSE(r.Step(2001)); // held Start pauses once
}

TEST(PadControls, ADisconnectedPadReleasesEverything) {
    Rig r;
    r.S.LeftX = 1;
    r.S.X = true;
    r.Step();
    EXPECT_EQ(r.T().Steer, -1);
    EXPECT_TRUE(r.T().HornOn);
    r.S.Connected = false;
    r.Step();
    EXPECT_EQ(r.T().Steer, 0);
    EXPECT_FALSE(r.T().HornOn);
}

} // namespace
