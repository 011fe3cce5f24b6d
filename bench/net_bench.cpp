// The host's status, the only frequent message: encoding it into a block
// and reading it back, for a busy match.
#include <benchmark/benchmark.h>

#include "net/messages.h"

namespace {

// 64 vehicles, 100 bullets, 10 homing and 10 guided missiles, no cows.
TStatusMsg BusyStatus() {
    TStatusMsg m;
    m.Stamp = 123456;
    for (int i = 0; i < 64; ++i)
        m.Vehicles.push_back({i * 10.5f, i * 7.25f, 0.5f, -0.25f, 80, 100});
    for (int i = 0; i < 100; ++i)
        m.Bullets.push_back({i * 3.0f, i * 2.0f, 0.4f, -0.3f});
    for (int i = 0; i < 10; ++i) {
        m.Homing.push_back({i * 5.0f, i * 6.0f, 1.0f, static_cast<float>(i)});
        m.Guided.push_back({i * 4.0f, i * 3.0f, -1.0f, -1});
    }
    return m;
}

void BM_StatusEncodeDecode(benchmark::State& state) {
    const TStatusMsg status = BusyStatus();
    TBlock block;
    TStatusMsg back;
    size_t expected = 0;
    for (auto _ : state) {
        EncodeStatus(status, block);
        const bool ok = DecodeStatus(block.data(), block.size(), back, expected);
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(back.Vehicles.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(block.size()));
}
BENCHMARK(BM_StatusEncodeDecode)->Unit(benchmark::kMicrosecond);

} // namespace
