// Timers on a clock the test turns by hand.
#include <gtest/gtest.h>

#include "platform/main_loop.h"

namespace {

class ManualClock : public Clock {
  public:
    int32_t Now = 1000;
    int32_t TickCount() override { return Now; }
};

} // namespace

TEST(Timers, FireOncePerInterval) {
    ManualClock clock;
    TTimerList timers(clock);
    int fired = 0;
    timers.Add(40, [&] { ++fired; });
    EXPECT_EQ(timers.RunDue(), 40);
    EXPECT_EQ(fired, 1);
    clock.Now += 39;
    EXPECT_EQ(timers.RunDue(), 1);
    EXPECT_EQ(fired, 1);
    clock.Now += 1;
    timers.RunDue();
    EXPECT_EQ(fired, 2);
    // A long stall gives one call, not a burst of catch-ups.
    clock.Now += 1000;
    timers.RunDue();
    timers.RunDue();
    EXPECT_EQ(fired, 3);
}

TEST(Timers, DisabledTimerWaitsAnIntervalAfterSwitchingOn) {
    ManualClock clock;
    TTimerList timers(clock);
    int fired = 0;
    int id = timers.Add(
        40, [&] { ++fired; }, false);
    EXPECT_EQ(timers.RunDue(), -1);
    EXPECT_EQ(fired, 0);
    timers.SetEnabled(id, true);
    EXPECT_TRUE(timers.Enabled(id));
    timers.RunDue();
    EXPECT_EQ(fired, 0);
    clock.Now += 40;
    timers.RunDue();
    EXPECT_EQ(fired, 1);
    timers.SetEnabled(99, true); // unknown: ignored
}

// A handler that pumps the loop itself (a modal dialog) must not be
// re-entered, while the other timers keep running.
TEST(Timers, NeverOverlap) {
    ManualClock clock;
    TTimerList timers(clock);
    int outer = 0, inner = 0, depth = 0, deepest = 0;
    timers.Add(1, [&] {
        ++outer;
        deepest = std::max(deepest, ++depth);
        for (int i = 0; i < 3; ++i) {
            clock.Now += 5;
            timers.RunDue();
        }
        --depth;
    });
    timers.Add(1, [&] { ++inner; });
    timers.RunDue();
    EXPECT_EQ(outer, 1);
    EXPECT_EQ(deepest, 1);
    EXPECT_EQ(inner, 3);
}

TEST(MainLoop, PassRunsTheGameTimerAndYields) {
    SdlClock clock;
    TMainLoop loop(clock);
    int ticks = 0;
    loop.Timers.Add(1, [&] {
        if (++ticks == 20) loop.Quit();
    });
    const int32_t start = clock.TickCount();
    loop.Run();
    EXPECT_EQ(ticks, 20);
    // Twenty quick passes each gave the processor back for a millisecond.
    EXPECT_GE(clock.TickCount() - start, 19);
}
