// A game controller as read once a pass: the sticks and triggers scaled to
// -1..1 and 0..1 (stick y grows downwards), the buttons held or not.
#pragma once

struct TPadState {
    bool Connected = false;
    double LeftX = 0, LeftY = 0;
    double LeftTrigger = 0, RightTrigger = 0;
    bool DpadUp = false, DpadDown = false, DpadLeft = false, DpadRight = false;
    bool A = false, B = false, X = false, Y = false;
    bool LeftShoulder = false, RightShoulder = false;
    bool Back = false, Start = false;
};
