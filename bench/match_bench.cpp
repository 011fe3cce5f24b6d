// A whole tick of a bots-only match, built by the program's own builder on
// a shipped map, so the benchmark plays the game people see.
#include <benchmark/benchmark.h>

#include "app/program.h"
#include "core/silent_sound.h"
#include "platform/bitmap_file.h"

namespace {

class BenchClock : public Clock {
  public:
    int32_t Now = 0;
    int32_t TickCount() override { return Now; }
};

class QuietUi : public Ui {
  public:
    void MessageBox(const std::string&) override {}
    void DebugLine(const std::string&) override {}
    void SetCaption(const std::string&) override {}
    void ConsoleLine(const std::string&) override {}
};

// Ticks of 5 ms on the largest map with range(0) bots.
void BM_MatchTick(benchmark::State& state) {
    BenchClock clock;
    SilentSound sound;
    QuietUi ui;
    NullNetOut net;
    NoDisplay display;
    SdlBitmapReader reader;
    TProgram program(clock, sound, ui, net, display, reader, 7, MOOR_BIN_DIR);
    TOptions o;
    o.Headless = true;
    o.ScreenSaver = true; // bots only
    o.Map = "Grand Moor";
    o.Bots = static_cast<int>(state.range(0));
    if (!StartProgram(program, o).empty()) {
        state.SkipWithError("the match did not start");
        return;
    }
    for (auto _ : state) {
        clock.Now += 5;
        program.Form.TimerTimer();
    }
    benchmark::DoNotOptimize(program.G->GameTime);
}
BENCHMARK(BM_MatchTick)->Arg(8)->Arg(62);

} // namespace
