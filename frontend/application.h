// The program's run: ends when the start screen closes.
#pragma once

#include "render/display_mode.h"

struct TApplication {
    bool Terminated = false;
    void Terminate() { Terminated = true; }
};
