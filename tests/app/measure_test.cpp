// The client's own measure of how well it keeps up: statuses told apart by
// their stamps, and where the status put each vehicle against where this
// client had it at the status's time.
#include <gtest/gtest.h>

#include "app/measure.h"
#include "fakes/fakes.h"
#include "sim/vehicles.h"

TEST(ClientMeter, ComparesEachStatusWithWhereTheClientHadTheVehiclesThen) {
    TestRig rig;
    Game& g = rig.g();
    const int runner = AddTank(g, sortTank), sitter = AddTank(g, sortTank);
    for (const int i : {runner, sitter}) {
        g.Tanks[i].Alive = true;
        g.Tanks[i].Health = 100;
    }
    TClientMeter meter;
    // The client's ticks: the runner at 100 px/s, jumping to the far
    // corner at 1955 (it respawned), the sitter still.
    auto tick = [&](int32_t t) {
        g.GameTime = t;
        g.Tanks[runner].Position = t < 1955 ? TVector{t * 0.1, 0} : TVector{800, 800};
        g.Tanks[sitter].Position = {0, 50};
    };
    auto status = [&](int32_t stamp, TVector runnerAt) {
        g.StatusReceived = true;
        g.LastServerUpdate = stamp;
        g.Tanks[runner].SnapshotPosition = runnerAt;
        g.Tanks[sitter].SnapshotPosition = {0, 50};
    };
    for (int32_t t = 1000; t <= 1700; t += 10) {
        tick(t);
        if (t == 1510) status(1500, {153, 4}); // 5 px off
        if (t == 1650) status(1600, {160, 0});
        meter.AfterPass(g);
    }
    EXPECT_EQ(meter.Error.Count(), 4u);
    // Two statuses lost on the way: the next stamp is three intervals on.
    for (int32_t t = 1710; t <= 2000; t += 10) {
        tick(t);
        if (t == 1910) status(1900, {190, 10}); // 10 px off
        if (t == 1980) {
            // Between the records round 1955 the runner jumped, and the
            // sitter died: neither is measured.
            status(1955, {800, 800});
            g.Tanks[sitter].Health = 0;
        }
        meter.AfterPass(g);
        meter.AfterPass(g); // a pass without a tick or a status changes nothing
    }
    EXPECT_EQ(meter.Statuses.Count(), 4);
    EXPECT_EQ(meter.Statuses.Interval(), 100);
    EXPECT_EQ(meter.Statuses.Lost(), 2);
    EXPECT_EQ(meter.Error.Count(), 6u);
    EXPECT_DOUBLE_EQ(meter.Error.Mean(), 2.5);
    EXPECT_DOUBLE_EQ(meter.Error.Percentile(99), 10);
    EXPECT_DOUBLE_EQ(meter.Error.Percentile(50), 0);
    meter.RoundTrip(4);
    meter.RoundTrip(0); // none measured now: the last one stands
    EXPECT_EQ(meter.Line(3 * 1024, 2),
              "statuses applied 4, lost 2 (66.7 % applied); position error mean 2.5 px, p99 "
              "10.0 px over 6 samples; round trip 4 ms; received 1.5 KB/s");

    // A new level starts the clock over: the old records and stamps count
    // no more, and an early stamp is no loss.
    g.Tanks[sitter].Health = 100;
    tick(10);
    meter.AfterPass(g);
    status(5, {0, 0});
    tick(20);
    meter.AfterPass(g);
    EXPECT_EQ(meter.Statuses.Count(), 5);
    EXPECT_EQ(meter.Statuses.Lost(), 2);
    EXPECT_EQ(meter.Error.Count(), 6u);

    EXPECT_EQ(ServerTickLine({40, 10, 30, 20}, 4096, 2),
              "server: 4 ticks, tick median 30.0 us, p99 40.0 us; upload 2.0 KB/s");
}
