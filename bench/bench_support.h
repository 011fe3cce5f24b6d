// What a benchmark's program needs around it: a clock it sets itself and a
// Ui that says nothing.
#pragma once

#include <string>

#include "core/services.h"

class BenchClock : public Clock {
  public:
    int32_t Now = 0;
    int32_t TickCount() override { return Now; }
};
